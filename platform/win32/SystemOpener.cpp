// Addresses and folders handed to the shell ("open" verb, Explorer).
#include "platform/SystemOpener.h"

#include <windows.h>
// After windows.h: the shell's header needs its types.
#include <shellapi.h>

#include "platform/DataFolders.h"
#include "platform/Paths.h"
#include "platform/TextEncoding.h"

namespace platform {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "file:///C:/Users/x/Kalvo5%20manual.pdf" -> "C:/Users/x/Kalvo5 manual.pdf":
// the shell opens a local path with the file's program, whereas the escaped
// address of a drive letter is not always understood. Other addresses stay.
std::string LocalPathOfFileAddress(const std::string& address) {
  constexpr std::string_view kScheme = "file://";
  if (address.compare(0, kScheme.size(), kScheme) != 0) return address;
  std::string_view rest = std::string_view(address).substr(kScheme.size());
  if (rest.substr(0, 9) == "localhost") rest.remove_prefix(9);
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const int high = rest[i] == '%' && i + 2 < rest.size() ? HexDigit(rest[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(rest[i + 2]) : -1;
    if (low < 0) {
      path += rest[i];
      continue;
    }
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  // "/C:/..." is the drive path "C:/...".
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  return path.find('\0') == std::string::npos ? path : std::string();
}

bool ShellOpen(const wchar_t* file, const wchar_t* parameters) {
  const auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace

bool OpenWithSystem(const std::string& address) {
  if (address.empty() || address[0] == '-') return false;
  const std::string target = LocalPathOfFileAddress(address);
  if (target.empty()) return false;
  const bool local = target != address;
  const std::wstring wide = local ? Utf8ToSystemPath(target) : Utf8ToUtf16(target);
  return ShellOpen(wide.c_str(), nullptr);
}

bool RevealInFileManager(const std::string& path) {
  if (IsFolder(path)) return ShellOpen(Utf8ToSystemPath(path).c_str(), nullptr);
  if (!IsFolder(FolderOf(path))) return false;
  const std::wstring select = L"/select,\"" + Utf8ToSystemPath(path) + L"\"";
  return ShellOpen(L"explorer.exe", select.c_str());
}

}  // namespace platform
