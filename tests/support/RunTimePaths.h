// Paths a test program takes when it runs rather than when it is built, so
// that a copy of the tree (its build folders included) tests with its own
// files and never reaches back into the tree it was built in.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

// The folder of the running program.
inline std::filesystem::path ProgramFolder() {
#ifdef _WIN32
  std::wstring self(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  self.resize(length);
  return std::filesystem::path(self).parent_path();
#else
  std::error_code ignored;
  return std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
#endif
}

// The path the environment variable names when it is set and not empty (read
// as UTF-16 on Windows, so any name a user can type works); else `built`, the
// build's own choice, taken from the program's folder when it is relative.
inline std::filesystem::path RunTimePath(const char* variable, const char* built) {
#ifdef _WIN32
  const std::wstring name(variable, variable + std::char_traits<char>::length(variable));
  if (const wchar_t* value = _wgetenv(name.c_str()); value != nullptr && *value) return value;
#else
  if (const char* value = getenv(variable); value != nullptr && *value) return value;
#endif
  const std::filesystem::path path(built);
  return path.is_absolute() ? path : (ProgramFolder() / path).lexically_normal();
}

}  // namespace testsupport
