// The preset menu: the built menu, stepping through the stored presets,
// applying them with only the measurement settings changing, the file
// dialogs that answer later, dropped files and the name shown.
#include <filesystem>

#include "MenusTestSupport.h"
#include "editor/menus/BitmapFrames.h"
#include "framework/igraphics/TextLayout.h"

namespace kalvo5::menutest {
namespace {

constexpr float kMenuX = 300, kPreviousX = 430, kNextX = 460, kY = 15;
constexpr int kLoadItem = 2, kResetItem = 3, kSaveItem = 5;

class PresetMenuTest : public MenuTest {
 protected:
  std::string CurrentName() const { return plugin->GetPreset(plugin->GetCurrentPresetIdx())->name; }

  // Saves the current settings as a user preset through the menu's dialog.
  std::string SaveUserPreset(const std::string& name) {
    Click(kMenuX, kY);
    Choose(kSaveItem);
    const std::string path = plugin->DataFolder() + "/" + name + ".vrs";
    AnswerPrompt(path);
    return path;
  }
};

TEST_F(PresetMenuTest, TheMenuListsCommandsCategoriesAndUserPresets) {
  Click(kMenuX, kY);
  const PopupMenu& menu = Shown();
  ASSERT_EQ(menu.NItems(), 15);
  EXPECT_EQ(menu.GetItem(0)->Text(), ">> Preset menu <<");
  EXPECT_EQ(menu.GetItem(kLoadItem)->Text(), "Load preset ...");
  EXPECT_EQ(menu.GetItem(kResetItem)->Text(), "Reset to default");
  EXPECT_EQ(menu.GetItem(kSaveItem)->Text(), "Save preset ...");
  EXPECT_EQ(menu.GetItem(6)->Text(), "Save as default");
  EXPECT_TRUE(menu.GetItem(7)->IsSeparator());
  EXPECT_EQ(menu.GetItem(8)->Text(), "Init");
  const std::vector<std::pair<std::string, int>> categories{
      {"EBU R128", 7}, {"ITU BS1770", 1}, {"ATSC A/85", 1}, {"Studioscale", 5}, {"TASA", 1}, {"Dialog", 5}};
  for (int i = 0; i < 6; ++i) {
    const PopupMenu::Item& item = *menu.GetItem(9 + i);
    EXPECT_EQ(item.Text(), categories[static_cast<std::size_t>(i)].first);
    ASSERT_NE(item.Submenu(), nullptr);
    EXPECT_EQ(item.Submenu()->NItems(), categories[static_cast<std::size_t>(i)].second) << item.Text();
  }
  EXPECT_EQ(menu.GetItem(9)->Submenu()->GetItem(1)->Text(), "LU EBU R128");
  Dismiss();

  // A preset saved into the data folder shows at the next click, once a
  // thread of the plug-in has read the folder: the click returns at once,
  // the menu opens on a later idle.
  SaveUserPreset("Mine");
  ui()->OnMouseDown(kMenuX, kY, editortest::Left());
  ui()->OnMouseUp(kMenuX, kY, editortest::Left());
  EXPECT_FALSE(ui()->PopupMenuShowing());
  WaitForUserPresets();
  ASSERT_EQ(Shown().NItems(), 17);
  EXPECT_TRUE(Shown().GetItem(15)->IsSeparator());
  EXPECT_EQ(Shown().GetItem(16)->Text(), "User");
  ASSERT_NE(Shown().GetItem(16)->Submenu(), nullptr);
  EXPECT_EQ(Shown().GetItem(16)->Submenu()->GetItem(0)->Text(), "Mine");
}

TEST_F(PresetMenuTest, ArrowsStepThroughFactoryThenUserPresetsAndStopAtTheEnds) {
  Set(kType, kTypeDIAL);
  Click(kPreviousX, kY);  // nothing before the first preset
  EXPECT_EQ(presetMenu().PresetPosition(), 0);
  EXPECT_EQ(Value(kType), kTypeDIAL);
  EXPECT_EQ(plugin->displayChanges, 0);

  Click(420, kY);  // between the menu area and the arrows
  EXPECT_EQ(presetMenu().PresetPosition(), 0);
  EXPECT_FALSE(ui()->PopupMenuShowing());

  Click(kNextX, kY);
  EXPECT_EQ(presetMenu().PresetPosition(), 1);
  EXPECT_EQ(CurrentName(), "LUFS EBU R128");
  EXPECT_EQ(presetMenu().ShownName(), "LUFS EBU R128");
  EXPECT_EQ(Value(kType), kTypeEBU);
  EXPECT_EQ(plugin->displayChanges, 1);

  Set(kRMSRefLevel, -15.0);
  SaveUserPreset("Mine");
  Click(kMenuX, kY);  // the rescan finds it
  Dismiss();
  const int lastFactory = plugin->Presets().NFactory() - 1;
  while (presetMenu().PresetPosition() < lastFactory) Click(kNextX, kY);
  EXPECT_EQ(CurrentName(), "Netflix 2020 LKFS");
  Set(kRMSRefLevel, -10.0);

  Click(kNextX, kY);
  EXPECT_EQ(presetMenu().PresetPosition(), lastFactory + 1);
  EXPECT_EQ(CurrentName(), "Mine");
  EXPECT_EQ(Value(kRMSRefLevel), -15.0);

  Set(kRMSRefLevel, -10.0);
  const int changes = plugin->displayChanges;
  Click(kNextX, kY);  // nothing after the last user preset
  EXPECT_EQ(presetMenu().PresetPosition(), lastFactory + 1);
  EXPECT_EQ(Value(kRMSRefLevel), -10.0);
  EXPECT_EQ(plugin->displayChanges, changes);

  Click(kPreviousX, kY);
  EXPECT_EQ(CurrentName(), "Netflix 2020 LKFS");

  // A fast second click on an arrow is one more step.
  ui()->OnMouseDown(kPreviousX, kY, editortest::Left());
  ui()->OnMouseUp(kPreviousX, kY, editortest::Left());
  ui()->OnMouseDblClick(kPreviousX, kY, editortest::Left());
  EXPECT_EQ(presetMenu().PresetPosition(), lastFactory - 2);
}

TEST_F(PresetMenuTest, ArrowsGoOnFromAUserPresetRestoredWithTheSession) {
  SaveUserPreset("Mine");
  Click(kMenuX, kY);
  Choose(0, 16);  // "User" > "Mine"
  ASSERT_EQ(CurrentName(), "Mine");
  iplug::ByteChunk session;
  ASSERT_TRUE(plugin->WriteState(session));

  Open(true);
  ASSERT_GT(plugin->ReadState(session, 0), 0);
  Click(kPreviousX, kY);
  EXPECT_EQ(CurrentName(), "Netflix 2020 LKFS");
}

TEST_F(PresetMenuTest, AStoredPresetKeepsTheEditorAndEngineOptionsButResetToDefaultDoesNot) {
  Set(kGUIScale, 2.0);
  Set(kToggleTooltips, 0.0);
  Set(kTruePeak, 0.0);
  Click(kMenuX, kY);
  Choose(1, 9);  // "EBU R128" > "LU EBU R128"
  EXPECT_EQ(CurrentName(), "LU EBU R128");
  EXPECT_EQ(presetMenu().PresetPosition(), 2);
  EXPECT_EQ(Value(kType), kTypeEBU);
  EXPECT_EQ(Value(kEBURefLevel), -23.0);
  EXPECT_EQ(Value(kEBUDelta), 1.0);
  EXPECT_EQ(Value(kGUIScale), 2.0);
  EXPECT_EQ(Value(kToggleTooltips), 0.0);
  EXPECT_EQ(Value(kTruePeak), 0.0);
  EXPECT_FALSE(plugin->Presets().mMenuRecall);

  Click(kMenuX, kY);
  Choose(kResetItem);
  EXPECT_EQ(Value(kGUIScale), 1.0);
  EXPECT_EQ(Value(kToggleTooltips), 1.0);
  EXPECT_EQ(Value(kTruePeak), 1.0);
  EXPECT_EQ(Value(kEBUDelta), 0.0);
  EXPECT_EQ(CurrentName(), "Init");
  EXPECT_EQ(presetMenu().PresetPosition(), 0);  // the arrows go on from the "Init" shown

  Click(kMenuX, kY);
  Choose(8);  // "Init", straight in the main menu
  EXPECT_EQ(presetMenu().PresetPosition(), 0);
}

TEST_F(PresetMenuTest, FileDialogsAnswerLaterAndACancelLoadsNothing) {
  Set(kType, kTypeDIAL);
  const std::string path = SaveUserPreset("Dialog type");
  EXPECT_EQ(promptedAction, igraphics::FileAction::Save);
  EXPECT_EQ(promptedFolder, plugin->DataFolder());
  EXPECT_EQ(promptedExtensions, "vrs");
  EXPECT_TRUE(std::filesystem::exists(path));

  Set(kType, kTypeRMS);
  Click(kMenuX, kY);
  Choose(kLoadItem);
  EXPECT_EQ(promptedAction, igraphics::FileAction::Open);
  EXPECT_EQ(presetMenu().ChosenPath(), "");  // cleared while the dialog is open
  AnswerPrompt("");
  EXPECT_EQ(Value(kType), kTypeRMS);

  Click(kMenuX, kY);
  Choose(kLoadItem);
  AnswerPrompt(path);
  EXPECT_EQ(presetMenu().ChosenPath(), path);
  EXPECT_EQ(Value(kType), kTypeDIAL);
  EXPECT_EQ(CurrentName(), "Dialog type");
}

TEST_F(PresetMenuTest, ADialogAnsweringAfterTheEditorClosedIsIgnored) {
  Set(kType, kTypeRMS);
  const std::string path = SaveUserPreset("Saved");
  Set(kType, kTypeEBU);
  Click(kMenuX, kY);
  Choose(kLoadItem);
  plugin->GetEditorSession().Close();
  AnswerPrompt(path);
  EXPECT_EQ(Value(kType), kTypeEBU);
}

TEST_F(PresetMenuTest, ADroppedPathIsTakenLiterallyUnlessTooLong) {
  const std::string odd = plugin->DataFolder() + "/50%_%s%d level.vrs";
  ui()->OnDrop({odd}, kMenuX, kY);
  EXPECT_EQ(presetMenu().ChosenPath(), odd);
  presetMenu().OnDrop(std::string(kMaxChosenPathLength + 1, 'x').c_str());
  EXPECT_EQ(presetMenu().ChosenPath(), odd);
  presetMenu().OnDrop("");
  EXPECT_EQ(presetMenu().ChosenPath(), odd);
}

TEST_F(PresetMenuTest, ALongNameIsShortenedWhileTheTooltipShowsItWhole) {
  const std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
  iplug::CopyText(plugin->GetPreset(0)->name, name.c_str());
  presetMenu().MarkDirty(false);
  ASSERT_TRUE(ui()->Draw());
  auto* surface = dynamic_cast<editortest::RecordingSurface*>(ui()->GetSurface());
  ASSERT_NE(surface, nullptr);
  const std::string shown = igraphics::ShortenMiddle(name, 19);
  ASSERT_EQ(shown.size(), 19u);
  EXPECT_NE(shown.find(" ... "), std::string::npos);
  EXPECT_NE(std::find(surface->texts.begin(), surface->texts.end(), shown), surface->texts.end());
  EXPECT_EQ(presetMenu().GetTooltip(), "Preset menu: " + name);

  iplug::CopyText(plugin->GetPreset(0)->name, "Netflix 2020 LKFS");
  EXPECT_EQ(presetMenu().ShownName(), "Netflix 2020 LKFS");
}

}  // namespace
}  // namespace kalvo5::menutest
