// The AVX-512 kernels: the AVX2 table with the fill compiled for 64-byte stores, which fill a
// whole cache line each and let a fill run far faster than 32-byte stores. The other loops
// gain nothing from the wider registers here, so they stay the AVX2 ones.

#define KELVANDOR_KERNELS_NS avx512

#include "kernels/DrawKernels.h"
#include "kernels/FillLoop.h"
#include "kernels/KernelTables.h"

namespace kelvandor::kernels {

const DrawKernels& Avx512Kernels() {
    static const DrawKernels kTable = [] {
        DrawKernels table = Avx2Kernels();
        table.name = "avx512";
        table.fillRow = avx512::FillRow;
        return table;
    }();
    return kTable;
}

}  // namespace kelvandor::kernels
