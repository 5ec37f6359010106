// Time bounds are stated for the release build; sanitizer builds run the
// same code several times slower, ThreadSanitizer most of all.
#pragma once

namespace testsupport {

#if defined(__SANITIZE_THREAD__)
inline constexpr double kSanitizerSlowdown = 20.0;
#elif defined(__SANITIZE_ADDRESS__)
inline constexpr double kSanitizerSlowdown = 4.0;
#else
inline constexpr double kSanitizerSlowdown = 1.0;
#endif

}  // namespace testsupport
