// The system clipboard as UTF-16 text (CF_UNICODETEXT).
#include <cstring>

#include "Win32Window.h"
#include "platform/TextEncoding.h"

namespace graphics {
namespace {

// Another program may hold the clipboard for a moment.
bool OpenClipboardSoon(HWND owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(5);
  }
  return false;
}

}  // namespace

void Win32Window::SetClipboardText(const std::string& text) {
  if (!OpenClipboardSoon(mWindow)) return;
  EmptyClipboard();
  const std::wstring wide = platform::Utf8ToUtf16(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, wide.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

std::string Win32Window::GetClipboardText() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardSoon(mWindow)) return {};
  std::string text;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(memory))) {
      // Bounded by the block's size: a text without its terminator is cut there.
      const std::size_t capacity = GlobalSize(memory) / sizeof(wchar_t);
      std::size_t length = 0;
      while (length < capacity && wide[length] != L'\0') ++length;
      text = platform::Utf16ToUtf8(std::wstring_view(wide, length));
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace graphics
