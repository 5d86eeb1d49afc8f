#include "kernels/DrawKernels.h"

#include <atomic>

#include "kernels/KernelTables.h"

namespace kelvandor::kernels {

namespace {

std::atomic<const DrawKernels*> gTestingChoice{nullptr};

}  // namespace

std::span<const DrawKernels* const> AvailableKernels() {
    return ProcessorKernelSets();
}

const DrawKernels& Kernels() {
    static const DrawKernels* const best = ProcessorKernelSets().back();
    const DrawKernels* const chosen = gTestingChoice.load(std::memory_order_relaxed);
    return chosen != nullptr ? *chosen : *best;
}

void UseKernelsForTesting(const DrawKernels* kernels) {
    gTestingChoice.store(kernels, std::memory_order_relaxed);
}

}  // namespace kelvandor::kernels
