// Every text the plug-in writes into a buffer the host owns, with the size
// of that buffer, in one place. Each text is valid UTF-8 (a byte that
// belongs to no well-formed sequence becomes U+FFFD), cut on a character
// boundary to fit, and terminated. Names stay whole inside the plug-in, its
// presets and its editor; only the copy handed to the host is cut.
//
//   program names (effGetProgramName, effGetProgramNameIndexed)
//       24 characters + terminator: the VST 2 size, which hosts allocate
//       exactly
//   parameter names, labels and displays (effGetParamName,
//   effGetParamLabel, effGetParamDisplay and its Cockos vendor form)
//       31 + terminator, the longest a parameter text is kept at: hosts pass
//       buffers far larger than the interface's nominal 8
//   effect name 32 + 1, vendor and product strings 64 + 1: the VST 2 sizes
//   pin and parameter property labels: the fields of their records (64)
//   the no-measurement reason (our own vendor call): 4 × 64, the size our
//       meter passes
#pragma once

#include <cstddef>

#include "framework/iplug/IParam.h"
#include "vst2/VSTInterface.h"

namespace iplug {

inline constexpr std::size_t kHostProgramNameSize = vst2::kVstMaxProgNameLen + 1;
inline constexpr std::size_t kHostParamTextSize = kMaxParamTextLength + 1;
inline constexpr std::size_t kHostEffectNameSize = vst2::kVstMaxEffectNameLen + 1;
inline constexpr std::size_t kHostVendorStringSize = vst2::kVstMaxVendorStrLen + 1;
inline constexpr std::size_t kHostProductStringSize = vst2::kVstMaxProductStrLen + 1;
inline constexpr std::size_t kHostReasonSize = vst2::kVstMaxLabelLen * 4;

// Copies src (null: empty) into the host's buffer of `capacity` bytes as
// described above.
void CopyHostText(char* dst, std::size_t capacity, const char* src);

template <std::size_t N>
void CopyHostText(char (&dst)[N], const char* src) {
  CopyHostText(dst, N, src);
}

}  // namespace iplug
