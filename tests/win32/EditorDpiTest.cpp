// Kalvo5.dll's editor on a 144 DPI screen (scripts/windows/wine-tests.sh runs
// this program in a Wine prefix set to 144 DPI): the rectangle a host reads
// before it opens the editor is the one the editor opens at, so a host that
// sizes its window first shows all of it. The DLL is $KALVO5_MODULE, else
// the build's Kalvo5.dll beside this program's folder.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/RunTimePaths.h"
#include "vst2/VSTInterface.h"

namespace {

vst2::VstIntPtr QuietHost(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr, void*,
                          float) {
  return opcode == vst2::audioMasterVersion ? 2400 : 0;
}

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

void PrintTo(const Size& size, std::ostream* out) { *out << size.width << " x " << size.height; }

TEST(EditorAt144Dpi, TheRectangleBeforeOpeningIsTheOpenedEditors) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, 144) << "run in a prefix whose LogPixels is 144";

  const std::filesystem::path path = testsupport::RunTimePath("KALVO5_MODULE", "../Kalvo5.dll");
  HMODULE module = LoadLibraryW(path.c_str());
  ASSERT_NE(module, nullptr) << path.string() << ": error " << GetLastError();
  const auto entry = reinterpret_cast<vst2::PluginEntryProc>(
      reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
  ASSERT_NE(entry, nullptr);
  vst2::AEffect* effect = entry(&QuietHost);
  ASSERT_NE(effect, nullptr);
  const auto dispatch = [effect](vst2::VstInt32 opcode, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
  };
  const auto rectangle = [&] {
    vst2::ERect* rect = nullptr;
    if (dispatch(vst2::effEditGetRect, &rect) != 1 || rect == nullptr) return Size{};
    return Size{rect->right - rect->left, rect->bottom - rect->top};
  };
  dispatch(vst2::effOpen);

  // The host sizes its window from the rectangle, then opens the editor in it.
  const Size before = rectangle();
  EXPECT_EQ(before, (Size{924, 528}));
  WNDCLASSW hostClass{};
  hostClass.lpfnWndProc = &DefWindowProcW;
  hostClass.hInstance = GetModuleHandleW(nullptr);
  hostClass.lpszClassName = L"Kalvo5DpiHost";
  RegisterClassW(&hostClass);
  HWND host =
      CreateWindowExW(0, L"Kalvo5DpiHost", L"Kalvo5 DPI host", WS_POPUP | WS_VISIBLE, 0, 0, before.width,
                      before.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(dispatch(vst2::effEditOpen, host), 1);
  RECT client{};
  GetClientRect(GetWindow(host, GW_CHILD), &client);
  EXPECT_EQ((Size{client.right - client.left, client.bottom - client.top}), before);
  EXPECT_EQ(rectangle(), before);

  dispatch(vst2::effEditClose);
  DestroyWindow(host);
  dispatch(vst2::effClose);
}

}  // namespace
