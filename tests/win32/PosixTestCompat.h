// The few POSIX calls the shared unit tests make (environment variables, a
// private temporary folder), in their Windows forms. Included first in every
// test program of the Windows build, so the tests themselves stay as they are.
#pragma once

#include <direct.h>
#include <stdlib.h>
#include <string.h>

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
// A std::filesystem path's c_str() is wide on Windows.
inline int setenv(const char* name, const wchar_t* value, int) {
  wchar_t wide[256] = {};
  for (int i = 0; i < 255 && name[i]; ++i) wide[i] = static_cast<wchar_t>(name[i]);
  return _wputenv_s(wide, value);
}
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

// The template's trailing XXXXXX replaced; the folder made private to the
// process's user as every new folder of the user's temporary folder is.
inline char* mkdtemp(char* templ) {
  if (_mktemp_s(templ, strlen(templ) + 1) != 0) return nullptr;
  return _mkdir(templ) == 0 ? templ : nullptr;
}
