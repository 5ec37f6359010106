// The update indicator and the corner resizer, and every menu control
// without its artwork.
#include "MenusTestSupport.h"

namespace kalvo5::menutest {
namespace {

TEST_F(MenuTest, TheUpdateIndicatorShowsWhatIsKnownAndAClickAsksForACheck) {
  IBUpdateControlVt* indicator = plugin->UpdateIndicator();
  ASSERT_NE(indicator, nullptr);
  EXPECT_EQ(indicator->GetRect(), (Rect{601, 7, 613, 31}));
  EXPECT_EQ(indicator->GetTooltip(), "Click to check for updates");

  Click(605, 15);
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::UpdateCheck));

  indicator->SetUpdateAvailable(true);
  ASSERT_TRUE(ui()->Draw());
  EXPECT_EQ(indicator->GetTooltip(), "Update available");
  auto* surface = dynamic_cast<editortest::RecordingSurface*>(ui()->GetSurface());
  ASSERT_NE(surface, nullptr);
  const auto frame =
      std::find_if(surface->images.begin(), surface->images.end(),
                   [](const editortest::DrawnImage& image) { return image.dst.left == 601.0f; });
  ASSERT_NE(frame, surface->images.end());
  EXPECT_EQ(frame->srcY, 24.0f);  // the second frame

  Click(605, 15);  // in either state
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::UpdateCheck));
}

TEST_F(MenuTest, TheResizerSquareKeepsItsUnitsAndItsScaleReachesThePlugin) {
  const Rect square{600, 336, 616, 352};
  auto* resizer = ui()->GetCornerResizer();
  EXPECT_EQ(resizer->GetRect(), square);
  ui()->ResizeEditor(616, 352, 2.0f, false);
  EXPECT_EQ(resizer->GetRect(), square);
  EXPECT_DOUBLE_EQ(Value(kGUIScale), 2.0);  // taken from the window

  ui()->ResizeEditor(616, 352, 1.0f, false);
  ui()->OnMouseDblClick(610, 345, editortest::Left());
  EXPECT_DOUBLE_EQ(Value(kGUIScale), 1.5);
  ui()->OnMouseDblClick(610, 345, editortest::Left());
  EXPECT_DOUBLE_EQ(Value(kGUIScale), 1.0);

  ui()->OnMouseDown(605, 340, editortest::Left());
  EXPECT_TRUE(ui()->ResizeDragActive());
}

TEST_F(MenuTest, MissingArtworkDrawsNothingAndBreaksNothing) {
  plugin.reset();
  Open(false);
  ui()->OnMouseOver(300, 15, {});
  ASSERT_TRUE(ui()->Draw());
  auto* surface = dynamic_cast<editortest::RecordingSurface*>(ui()->GetSurface());
  ASSERT_NE(surface, nullptr);
  EXPECT_TRUE(surface->images.empty());
  EXPECT_EQ(ui()->GetCornerResizer()->GetRect(), (Rect{600, 336, 616, 352}));
  Click(300, 15);  // the preset menu has its areas without artwork
  EXPECT_TRUE(ui()->PopupMenuShowing());
}

}  // namespace
}  // namespace kalvo5::menutest
