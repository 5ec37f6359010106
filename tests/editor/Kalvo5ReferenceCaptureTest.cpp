// The picture the Windows build's editor must match: Kalvo5.so's editor in
// the X server after the clicks the Windows editor test makes (the next
// preset arrow, then the Type selector's menu), captured from the window and
// kept for that test (tests/win32/EditorHostTest.cpp): in the build folder,
// or where $KALVO5_EDITOR_REFERENCE says. $KALVO5_MODULE names another
// Kalvo5.so to capture, such as a copied tree's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "EditorHostFixture.h"
#include "support/PixelFile.h"
#include "support/RunTimePaths.h"
#include "support/ScratchFolder.h"

namespace editortest {
namespace {

class Kalvo5ReferenceCapture : public HostedEditor {
 protected:
  const char* ModulePath() const override { return modulePath.c_str(); }
  void SetUp() override {
    modulePath = testsupport::RunTimePath("KALVO5_MODULE", KALVO5_MODULE).string();
    // No user's presets and no update check: the window shows the factory
    // presets only and no indicator.
    setenv("XDG_DATA_HOME", testsupport::ProgramScratchFolder("kalvo5-reference").c_str(), 1);
    setenv("KALVO5_UPDATE_SERVER", "http://127.0.0.1:9", 1);
    HostedEditor::SetUp();
  }

  std::string modulePath;
};

TEST_F(Kalvo5ReferenceCapture, NextPresetThenTheTypeMenuIsCapturedForTheWindowsBuild) {
  if (IsSkipped()) return;
  ASSERT_TRUE(Open());
  Idle(300);
  const auto [width, height] = Rect();
  ASSERT_EQ(width, 616);
  Click(463, 19);  // the next preset arrow
  Idle(200);
  char name[256] = {};
  Dispatch(vst2::effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "LUFS EBU R128");
  Click(29, 78);  // the Type selector opens its menu
  Idle(200);

  XImage* image = XGetImage(display, EditorWindow(), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  testsupport::RgbImage capture;
  capture.width = width;
  capture.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      capture.rgb.push_back(static_cast<std::uint8_t>(pixel >> 16));
      capture.rgb.push_back(static_cast<std::uint8_t>(pixel >> 8));
      capture.rgb.push_back(static_cast<std::uint8_t>(pixel));
    }
  XDestroyImage(image);
  EXPECT_TRUE(testsupport::WritePpm(
      testsupport::RunTimePath("KALVO5_EDITOR_REFERENCE", KALVO5_EDITOR_REFERENCE).string(), capture));
  Dispatch(vst2::effEditClose);
}

}  // namespace
}  // namespace editortest
