// Kalvo5.dll's editor in a small Win32 host: a top-level window of the
// host's, effEditOpen with its HWND, a message loop on the host's thread with
// effEditIdle between messages, clicks posted to the editor's window, and an
// audio thread of the host's. The window's pixels after the clicks equal the
// Linux build's (tests/editor/Kalvo5ReferenceCaptureTest.cpp) within the
// tolerance below, and the plug-in calls the host only on a host thread,
// inside a call the host made (dispatcher, process, or the message dispatch
// of the host's loop). The DLL is $KALVO5_MODULE, else the build's
// Kalvo5.dll beside this program's folder; the Linux picture is
// $KALVO5_EDITOR_REFERENCE, else kalvo5-editor-reference.ppm beside this
// program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "support/PixelFile.h"
#include "support/RunTimePaths.h"
#include "vst2/VSTInterface.h"

namespace {

constexpr int kWidth = 616;
constexpr int kHeight = 352;
// Both builds draw with the same cairo, pixman and FreeType (Debian's
// sources, cross-built) and show the same pixels (0 differ under Wine 8 on
// Xvfb). The tolerance leaves room only for another X server's rounding: a
// channel at most 2 levels apart, on at most 0.1 % of the pixels.
constexpr int kChannelTolerance = 2;
constexpr double kDifferingShareTolerance = 0.001;

DWORD gHostThread = 0;
DWORD gAudioThread = 0;
std::atomic<int> gInsideHostCalls{0};
std::atomic<int> gCallsOutside{0};
std::atomic<int> gCalls{0};
HWND gParent = nullptr;

// Marks a call of the host into the plug-in (or its message dispatch).
struct HostCall {
  HostCall() { ++gInsideHostCalls; }
  ~HostCall() { --gInsideHostCalls; }
};

vst2::VstIntPtr HostCallback(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32 index,
                             vst2::VstIntPtr value, void*, float) {
  ++gCalls;
  const DWORD thread = GetCurrentThreadId();
  if ((thread != gHostThread && thread != gAudioThread) || gInsideHostCalls.load() == 0) ++gCallsOutside;
  switch (opcode) {
    case vst2::audioMasterVersion:
      return 2400;
    case vst2::audioMasterSizeWindow:
      if (gParent && thread == gHostThread)
        SetWindowPos(gParent, nullptr, 0, 0, index, static_cast<int>(value), SWP_NOMOVE | SWP_NOZORDER);
      return 1;
    default:
      return 0;
  }
}

class Win32EditorHost : public ::testing::Test {
 protected:
  void SetUp() override {
    gHostThread = GetCurrentThreadId();
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = &DefWindowProcW;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.lpszClassName = L"Kalvo5TestHost";
    RegisterClassW(&parentClass);
    gParent = CreateWindowExW(0, L"Kalvo5TestHost", L"Kalvo5 test host", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                              kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(gParent, nullptr);
    const std::filesystem::path path = testsupport::RunTimePath("KALVO5_MODULE", "../Kalvo5.dll");
    module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << path.string() << ": error " << GetLastError();
    const auto entry = reinterpret_cast<vst2::PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    ASSERT_NE(entry, nullptr);
    {
      HostCall call;
      effect = entry(&HostCallback);
    }
    ASSERT_NE(effect, nullptr);
    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(vst2::effSetBlockSize, 0, 512);
    Dispatch(vst2::effMainsChanged, 0, 1);
  }

  void TearDown() override {
    if (effect) Dispatch(vst2::effClose);
    if (gParent) DestroyWindow(gParent);
    gParent = nullptr;
    EXPECT_GT(gCalls.load(), 0);
    EXPECT_EQ(gCallsOutside.load(), 0) << "host callbacks from a thread the host did not call in on";
  }

  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f) {
    HostCall call;
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  // The host's message loop for a while, with effEditIdle between messages
  // when `editIdle` (without, only the editor's own timer keeps it going).
  void Run(int milliseconds, bool editIdle) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        HostCall call;
        DispatchMessageW(&message);
      }
      if (editIdle) Dispatch(vst2::effEditIdle);
      Sleep(10);
    }
  }

  HWND Editor() const { return GetWindow(gParent, GW_CHILD); }

  void Click(int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(Editor(), WM_MOUSEMOVE, 0, at);
    PostMessageW(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(Editor(), WM_LBUTTONUP, 0, at);
  }

  // The editor window's pixels, read back from the window system.
  testsupport::RgbImage Capture() {
    testsupport::RgbImage image;
    image.width = kWidth;
    image.height = kHeight;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC window = GetDC(Editor());
    HDC memory = CreateCompatibleDC(window);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, kWidth, kHeight, window, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < kWidth * kHeight; ++i) {
      image.rgb.push_back(static_cast<std::uint8_t>(pixels[i] >> 16));
      image.rgb.push_back(static_cast<std::uint8_t>(pixels[i] >> 8));
      image.rgb.push_back(static_cast<std::uint8_t>(pixels[i]));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(Editor(), window);
    return image;
  }

  HMODULE module = nullptr;
  vst2::AEffect* effect = nullptr;
};

TEST_F(Win32EditorHost, ClickedEditorMatchesTheLinuxPictureAndCallsTheHostOnlyOnItsThreads) {
  testsupport::RgbImage reference;
  const std::string referencePath =
      testsupport::RunTimePath("KALVO5_EDITOR_REFERENCE", "kalvo5-editor-reference.ppm").string();
  ASSERT_TRUE(testsupport::ReadPpm(referencePath, reference))
      << "no " << referencePath << ": the Linux editor tests make it (ctest -R Kalvo5ReferenceCapture)";

  ASSERT_EQ(Dispatch(vst2::effEditOpen, 0, 0, gParent), 1);
  ASSERT_NE(Editor(), nullptr);
  Run(300, true);
  Click(463, 19);  // the next preset arrow
  Run(200, true);
  char name[256] = {};
  Dispatch(vst2::effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "LUFS EBU R128");

  Click(29, 78);  // the Type selector opens its menu
  // Only the host's message loop: the editor's own timer draws the menu.
  Run(300, false);
  const testsupport::RgbImage window = Capture();
  ASSERT_EQ(reference.width, window.width);
  ASSERT_EQ(reference.height, window.height);
  int largest = 0;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < window.rgb.size(); i += 3) {
    int worst = 0;
    for (std::size_t c = 0; c < 3; ++c)
      worst = std::max(worst, std::abs(window.rgb[i + c] - reference.rgb[i + c]));
    largest = std::max(largest, worst);
    if (worst > 0) ++differing;
  }
  const double share = static_cast<double>(differing) / static_cast<double>(kWidth * kHeight);
  std::printf("editor pixels differing from Linux: %zu of %d (largest channel difference %d)\n", differing,
              kWidth * kHeight, largest);
  if (share > 0.0) testsupport::WritePpm("kalvo5-editor-windows.ppm", window);
  EXPECT_LE(largest, kChannelTolerance);
  EXPECT_LE(share, kDifferingShareTolerance);
  // Audio on a thread of the host's while the editor runs: the read-outs
  // follow it, and the plug-in calls the host only from the host's threads.
  std::atomic<bool> playing{true};
  std::thread audio([&] {
    gAudioThread = GetCurrentThreadId();
    std::vector<float> samples(512), silence(512);
    float *inputs[6], *outputs[6];
    std::vector<std::vector<float>> out(6, std::vector<float>(512));
    for (int c = 0; c < 6; ++c) {
      inputs[c] = c < 2 ? samples.data() : silence.data();
      outputs[c] = out[static_cast<std::size_t>(c)].data();
    }
    double phase = 0.0;
    while (playing.load()) {
      for (float& s : samples) {
        s = static_cast<float>(0.1 * std::sin(phase));
        phase += 2.0 * 3.141592653589793 * 1000.0 / 48000.0;
      }
      HostCall call;
      effect->processReplacing(effect, inputs, outputs, 512);
      Sleep(5);
    }
  });
  Run(800, true);
  playing = false;
  audio.join();
  gAudioThread = 0;
  Run(200, true);
  EXPECT_NE(Capture().rgb, window.rgb) << "the read-outs did not follow the audio";
  EXPECT_EQ(Dispatch(vst2::effEditClose), 1);
  EXPECT_EQ(Editor(), nullptr);
}

}  // namespace
