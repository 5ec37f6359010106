// Showing the drawn pixels: each frame is copied into a DIB section that the
// window keeps, drawn at once and again on every WM_PAINT, so uncovered parts
// come back even while the host keeps its GUI thread from the editor's idle.
#include <cstring>

#include "Win32Window.h"

namespace graphics {

void Win32Window::ReleaseFrame() {
  if (mFrameDc) {
    if (mFrameOld) SelectObject(mFrameDc, mFrameOld);
    DeleteDC(mFrameDc);
  }
  if (mFrame) DeleteObject(mFrame);
  mFrameDc = nullptr;
  mFrame = nullptr;
  mFrameOld = nullptr;
  mFramePixels = nullptr;
  mFrameWidth = mFrameHeight = 0;
}

bool Win32Window::EnsureFrame(int width, int height) {
  if (mFrame && mFrameWidth == width && mFrameHeight == height) return true;
  ReleaseFrame();
  // Top-down 32-bit BGRA: the byte order of the surface's premultiplied
  // ARGB words on a little-endian machine.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  mFrameDc = CreateCompatibleDC(nullptr);
  mFrame = mFrameDc ? CreateDIBSection(mFrameDc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0) : nullptr;
  if (!mFrame || !pixels) {
    ReleaseFrame();
    return false;
  }
  mFrameOld = SelectObject(mFrameDc, mFrame);
  mFramePixels = static_cast<std::uint32_t*>(pixels);
  mFrameWidth = width;
  mFrameHeight = height;
  return true;
}

void Win32Window::Present(const std::uint32_t* argb, int widthPixels, int heightPixels, int strideBytes) {
  if (!argb || widthPixels < 1 || heightPixels < 1 || mDestroyed || !mWindow) return;
  if (strideBytes / 4 < widthPixels || !EnsureFrame(widthPixels, heightPixels)) return;
  GdiFlush();  // GDI is done with the section before it is written
  const auto* source = reinterpret_cast<const unsigned char*>(argb);
  for (int y = 0; y < heightPixels; ++y)
    std::memcpy(mFramePixels + static_cast<std::ptrdiff_t>(y) * widthPixels,
                source + static_cast<std::ptrdiff_t>(y) * strideBytes,
                static_cast<std::size_t>(widthPixels) * 4);
  if (HDC target = GetDC(mWindow)) {
    BitBlt(target, 0, 0, widthPixels, heightPixels, mFrameDc, 0, 0, SRCCOPY);
    ReleaseDC(mWindow, target);
  }
  ValidateRect(mWindow, nullptr);
}

void Win32Window::Paint() {
  PAINTSTRUCT paint{};
  HDC target = BeginPaint(mWindow, &paint);
  if (!target) return;
  if (mFrame) BitBlt(target, 0, 0, mFrameWidth, mFrameHeight, mFrameDc, 0, 0, SRCCOPY);
  // What the frame does not cover (before the first frame, or while a new
  // size waits for its frame) is black, as the surface's empty pixels are.
  RECT client{};
  GetClientRect(mWindow, &client);
  const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (client.right > mFrameWidth) {
    const RECT right{mFrameWidth, 0, client.right, client.bottom};
    FillRect(target, &right, black);
  }
  if (client.bottom > mFrameHeight) {
    const RECT below{0, mFrameHeight, mFrameWidth < client.right ? mFrameWidth : client.right, client.bottom};
    FillRect(target, &below, black);
  }
  EndPaint(mWindow, &paint);
}

}  // namespace graphics
