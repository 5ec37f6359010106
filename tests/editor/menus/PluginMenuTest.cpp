// The plug-in menu: its addresses, the built menu, and what each kind of
// choice does to the plug-in, the host and the desktop.
#include "MenusTestSupport.h"

namespace kalvo5::menutest {
namespace {

TEST(PluginMenuAddresses, FileLinksArePlainAbsolutePaths) {
  EXPECT_EQ(ChangeLogAddress(), "https://www.vantorel.com/products/kalvo#Changelog");
  EXPECT_EQ(ManualAddress("/home/u/.local/share/Kalvo5"),
            "file:///home/u/.local/share/Kalvo5/Kalvo5%20manual.pdf");
  EXPECT_EQ(DataFolderAddress("/home/u/.local/share/Kalvo5"), "file:///home/u/.local/share/Kalvo5");
  // A folder that could not be found, or an address that would have to be
  // cut into another one, gives no address at all.
  EXPECT_EQ(ManualAddress(""), "");
  EXPECT_EQ(DataFolderAddress(""), "");
  const std::string deep = "/" + std::string(kMaxMenuAddressLength, 'd');
  EXPECT_EQ(DataFolderAddress(deep), "");
  EXPECT_EQ(ManualAddress(deep.substr(0, kMaxMenuAddressLength - 20)), "");
  EXPECT_EQ(DataFolderAddress(deep.substr(0, kMaxMenuAddressLength - 7)).size(), kMaxMenuAddressLength);
}

TEST_F(MenuTest, TheBuiltMenuHoldsEveryEntryAtItsPosition) {
  ASSERT_EQ(pluginMenu().GetRect(), (Rect{7, 7, 31, 31}));
  Click(10, 10);
  const PopupMenu& menu = Shown();
  ASSERT_EQ(menu.NItems(), 22);
  const std::vector<std::pair<int, std::string>> items{{0, ">> Plugin menu <<"},
                                                       {2, "About ..."},
                                                       {4, "Open manual ..."},
                                                       {5, "Change log ..."},
                                                       {6, "Download ..."},
                                                       {8, "Check for update ..."},
                                                       {9, "Online Update Check"},
                                                       {11, "Open data folder ..."},
                                                       {13, "Tooltips"},
                                                       {15, "Reset GUI scale"},
                                                       {16, "Set min GUI scale"},
                                                       {17, "Fixed GUI scale"},
                                                       {19, "Enable TruePeak measurement"},
                                                       {20, "No reset during DAW sync"},
                                                       {21, "No link output to chan conf"}};
  for (const auto& [position, text] : items) {
    EXPECT_EQ(menu.GetItem(position)->Text(), text) << position;
    EXPECT_FALSE(menu.GetItem(position)->IsSeparator()) << position;
  }
  for (int position : {1, 3, 7, 10, 12, 14, 18})
    EXPECT_TRUE(menu.GetItem(position)->IsSeparator()) << position;

  const PopupMenu* scales = menu.GetItem(17)->Submenu();
  ASSERT_NE(scales, nullptr);
  ASSERT_EQ(scales->NItems(), 11);
  EXPECT_EQ(scales->GetItem(0)->Text(), "50%");
  EXPECT_EQ(scales->GetItem(10)->Text(), "300%");

  // Check marks follow the parameters at the time of the click.
  EXPECT_TRUE(menu.GetItem(13)->Checked());   // tooltips on by default
  EXPECT_TRUE(menu.GetItem(19)->Checked());   // true peak on by default
  EXPECT_FALSE(menu.GetItem(20)->Checked());  // no-reset-on-sync off
}

TEST_F(MenuTest, AToggleFlipsItsParameterAndTheHostHearsIt) {
  Click(10, 10);
  Choose(0);  // the title item
  Click(10, 10);
  Dismiss();
  EXPECT_TRUE(plugin->hostHeard.empty());
  ASSERT_EQ(Value(kToggleTooltips), 1.0);

  Click(10, 10);
  Choose(13);
  EXPECT_EQ(Value(kToggleTooltips), 0.0);
  ASSERT_EQ(plugin->hostHeard.size(), 1u);
  EXPECT_EQ(plugin->hostHeard[0], std::make_pair(static_cast<int>(kToggleTooltips), 0.0));
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::Tooltips));

  Click(10, 10);
  EXPECT_FALSE(Shown().GetItem(13)->Checked());
  Choose(13);
  EXPECT_EQ(Value(kToggleTooltips), 1.0);
  EXPECT_EQ(plugin->hostHeard.back(), std::make_pair(static_cast<int>(kToggleTooltips), 1.0));
}

TEST_F(MenuTest, LinksOpenTheirAddresses) {
  for (int item : {5, 6, 4, 11}) {
    Click(10, 10);
    Choose(item);
  }
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[0], ChangeLogAddress());
  EXPECT_EQ(opened[1], opened[0]);  // "Download ..." leads to the change log
  EXPECT_EQ(opened[2], ManualAddress(plugin->DataFolder()));
  EXPECT_EQ(opened[3], "file://" + plugin->DataFolder());
}

TEST_F(MenuTest, AFixedScaleIsChosenByItsEntry) {
  Click(10, 10);
  Choose(10, 17);  // "300%"
  EXPECT_DOUBLE_EQ(Value(kGUIScale), 3.0);
  Click(10, 10);
  Choose(2, 17);  // "100%"
  EXPECT_DOUBLE_EQ(Value(kGUIScale), 1.0);
  Click(10, 10);
  Choose(15);  // "Reset GUI scale", a plain command
  EXPECT_DOUBLE_EQ(Value(kGUIScale), 1.5);
}

}  // namespace
}  // namespace kalvo5::menutest
