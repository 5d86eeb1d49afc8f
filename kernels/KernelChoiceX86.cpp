// Which tables an x86-64 processor runs. The processor (and the operating system, which must
// save the wider registers) is asked once.

#include <vector>

#include "kernels/KernelTables.h"

namespace kelvandor::kernels {

std::span<const DrawKernels* const> ProcessorKernelSets() {
    static const std::vector<const DrawKernels*> sets = [] {
        __builtin_cpu_init();
        const bool avx2 = __builtin_cpu_supports("avx2") != 0;
        // The AVX-512 file is compiled for exactly these extensions.
        const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") != 0 &&
                            __builtin_cpu_supports("avx512bw") != 0 &&
                            __builtin_cpu_supports("avx512vbmi") != 0;
        std::vector<const DrawKernels*> available = {&PortableKernels()};
        if (avx2) {
            available.push_back(&Avx2Kernels());
        }
        if (avx512) {  // builds on the AVX2 table
            available.push_back(&Avx512Kernels());
        }
        return available;
    }();
    return sets;
}

}  // namespace kelvandor::kernels
