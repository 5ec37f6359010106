// The editor framework in a real X server, through the real entry point of a
// small plug-in built on it, driven as a Linux host drives an editor.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "EditorHostFixture.h"

namespace editortest {
namespace {

// The framework's own small test plug-in.
class EditorHost : public HostedEditor {
 protected:
  const char* ModulePath() const override { return KALVO5_TEST_EDITOR_PLUGIN; }
};

TEST_F(EditorHost, OpensClicksTypesResizesAndCloses) {
  EXPECT_NE(effect->flags & vst2::effFlagsHasEditor, 0);
  EXPECT_EQ(Rect(), std::make_pair(300, 200));  // before opening
  ASSERT_TRUE(Open());
  Idle(100);
  const Window editor = EditorWindow();
  ASSERT_NE(editor, 0u);
  EXPECT_EQ(PixelAt(editor, 5, 5), 0xFFFFFFul);    // the background
  EXPECT_EQ(PixelAt(editor, 50, 40), 0x282828ul);  // the switch, off

  // A click turns the switch on: the host hears the change, in a gesture.
  Click(50, 40);
  Idle(100);
  EXPECT_EQ(effect->getParameter(effect, 0), 1.0f);
  EXPECT_GE(Automations(0), 1);
  EXPECT_GE(host.Count(vst2::audioMasterBeginEdit), 1);
  EXPECT_GE(host.Count(vst2::audioMasterEndEdit), 1);
  EXPECT_EQ(PixelAt(editor, 50, 40), 0x00C800ul);  // redrawn, on

  // A double click opens the text entry over the value field; typed text
  // with Enter sets the parameter (letters are filtered out).
  Click(160, 40);
  Click(160, 40);
  Idle(100);
  TypeBackspaces();
  for (KeySym key : {XK_1, XK_2, XK_x, XK_period, XK_5, XK_Return}) Type(key);
  Idle(100);
  EXPECT_NEAR(effect->getParameter(effect, 1), (12.5 + 60.0) / 120.0, 1e-6);

  // The corner resizer: a drag from the corner to 1.5 times the size asks
  // the host for the larger window.
  MoveTo(295, 195);
  Button(true);
  Idle(50);
  MoveTo(445, 295);
  Idle(50);
  Button(false);
  Idle(100);
  const auto sizes = host.CallsOf(vst2::audioMasterSizeWindow);
  ASSERT_FALSE(sizes.empty());
  EXPECT_NEAR(sizes.back().index, 450, 4);
  EXPECT_NEAR(static_cast<double>(sizes.back().value), 300, 4);
  EXPECT_EQ(Rect().first, sizes.back().index);

  Dispatch(vst2::effEditClose);
  XSync(display, False);
  EXPECT_EQ(EditorWindow(), 0u);
}

// Opening and closing many times while another thread processes audio.
TEST_F(EditorHost, ManyOpenCloseCyclesWhileAudioRuns) {
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> left(256), right(256);
    float* channels[] = {left.data(), right.data()};
    while (!stop.load()) effect->processReplacing(effect, channels, channels, 256);
  });
  for (int cycle = 0; cycle < 200; ++cycle) {
    ASSERT_TRUE(Open()) << cycle;
    Dispatch(vst2::effEditIdle);
    Dispatch(vst2::effEditClose);
  }
  stop = true;
  audio.join();
  XSync(display, False);
  EXPECT_EQ(EditorWindow(), 0u);
}

}  // namespace
}  // namespace editortest
