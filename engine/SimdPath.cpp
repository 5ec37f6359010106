#include "SimdPath.h"

namespace kalvo5 {

bool SimdPathSupported(SimdPath path) {
  switch (path) {
    case SimdPath::Baseline:
      return true;
    case SimdPath::Avx2Fma:
#if defined(__x86_64__) || defined(__i386__)
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
      return false;
#endif
  }
  return false;
}

SimdPath BestSimdPath() {
  return SimdPathSupported(SimdPath::Avx2Fma) ? SimdPath::Avx2Fma : SimdPath::Baseline;
}

}  // namespace kalvo5
