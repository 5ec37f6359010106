// UTF-8 and UTF-16 through the system's converters.
#include "platform/TextEncoding.h"

#include <windows.h>

#include <climits>

namespace platform {

namespace {

// MultiByteToWideChar and WideCharToMultiByte count in int.
bool FitsInt(std::size_t size) { return size <= static_cast<std::size_t>(INT_MAX); }

std::wstring ToWide(unsigned codePage, DWORD flags, std::string_view text) {
  if (text.empty() || !FitsInt(text.size())) return {};
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed);
  return wide;
}

bool IsValidUtf8(std::string_view text) {
  return text.empty() ||
         (FitsInt(text.size()) && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                      static_cast<int>(text.size()), nullptr, 0) > 0);
}

}  // namespace

std::wstring Utf8ToUtf16(std::string_view text) { return ToWide(CP_UTF8, 0, text); }

std::string Utf16ToUtf8(std::wstring_view text) {
  if (text.empty() || !FitsInt(text.size())) return {};
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string utf8(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr, nullptr);
  return utf8;
}

std::string CodePageToUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  return Utf16ToUtf8(ToWide(CP_ACP, 0, text));
}

std::string Utf8ToCodePage(std::string_view text) { return std::string(text); }

SystemPath Utf8ToSystemPath(std::string_view path) {
  SystemPath wide = Utf8ToUtf16(path);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  return wide;
}

std::string SystemPathToUtf8(const SystemPath& path) { return Utf16ToUtf8(path); }

}  // namespace platform
