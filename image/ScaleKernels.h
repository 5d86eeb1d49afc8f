#pragma once
// Which row kernels CDibImage::Scale uses for area averaging. By default it takes the fastest
// ones the processor supports; the portable ones give the same pixels everywhere, and tests
// select them to check that every path agrees.

namespace kelvandor {

enum class ScaleKernels { Fastest, Portable };

// Takes effect for the calls that start afterwards; safe to call from any thread.
void SetScaleKernels(ScaleKernels kernels);
ScaleKernels GetScaleKernels();

}  // namespace kelvandor
