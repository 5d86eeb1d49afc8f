#pragma once
// The tables of the kernels files, and which of them this processor runs. Internal to the
// kernels module: everyone else goes through Kernels() and AvailableKernels().

#include <span>

#include "kernels/DrawKernels.h"

namespace kelvandor::kernels {

// One per kernels file. A table may only be used when ProcessorKernelSets lists it.
const DrawKernels& PortableKernels();
const DrawKernels& Avx2Kernels();
const DrawKernels& Avx512Kernels();

// The tables this processor runs, portable first and best last. Defined once per kind of
// processor (KernelChoiceX86.cpp, KernelChoiceNone.cpp), chosen by the build.
std::span<const DrawKernels* const> ProcessorKernelSets();

}  // namespace kelvandor::kernels
