// The product's version, written once: the project version in the top
// CMakeLists.txt, which the build hands to the compiler.
#pragma once

namespace kalvo5 {

inline constexpr int kVersionMajor = KALVO5_VERSION_MAJOR;
inline constexpr int kVersionMinor = KALVO5_VERSION_MINOR;
inline constexpr int kVersionPatch = KALVO5_VERSION_PATCH;
inline constexpr const char* kVersionText = KALVO5_VERSION_TEXT;  // "major.minor.patch"

}  // namespace kalvo5
