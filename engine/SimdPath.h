// Instruction sets the multi-channel DSP kernels can run on. The plug-in
// runs on any x86-64 processor: the baseline path is always there, a wider
// one is chosen at initialisation when the processor has it. Every path gives
// the same results to within floating-point rounding.
#pragma once

namespace kalvo5 {

enum class SimdPath : int {
  Baseline = 0,  // SSE2, which every x86-64 processor has
  Avx2Fma = 1,   // 256-bit vectors with fused multiply-add
};

bool SimdPathSupported(SimdPath path);

// The fastest path this processor supports.
SimdPath BestSimdPath();

}  // namespace kalvo5
