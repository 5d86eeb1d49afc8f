// Processors for which no wider kernels are built run the portable table.

#include "kernels/KernelTables.h"

namespace kelvandor::kernels {

std::span<const DrawKernels* const> ProcessorKernelSets() {
    static const DrawKernels* const sets[] = {&PortableKernels()};
    return sets;
}

}  // namespace kelvandor::kernels
