#include "editor/menus/PluginMenuTable.h"

#include "framework/iplug/IEditorDelegate.h"
#include "plugin/Kalvo5Params.h"

namespace kalvo5 {

namespace {

using Kind = PluginMenuEntryKind;

PluginMenuEntry Entry(std::string text, Kind kind, int id = -1, std::string address = {}, int group = -1) {
  PluginMenuEntry entry;
  entry.text = std::move(text);
  entry.kind = kind;
  entry.id = id;
  entry.address = std::move(address);
  entry.group = group;
  return entry;
}

PluginMenuEntry Separator() { return Entry("--", Kind::Separator); }
PluginMenuEntry Toggle(std::string text, int param) {
  return Entry(std::move(text), Kind::ParamToggle, param);
}
PluginMenuEntry Command(std::string text, int code) { return Entry(std::move(text), Kind::Command, code); }
PluginMenuEntry Link(std::string text, std::string address) {
  return Entry(std::move(text), Kind::Link, -1, std::move(address));
}

constexpr const char* kScaleTexts[] = {"50%",  "75%",  "100%", "125%", "150%", "175%",
                                       "200%", "225%", "250%", "275%", "300%"};

}  // namespace

std::vector<PluginMenuEntry> MakePluginMenuEntries(const iplug::IEditorDelegate& plugin,
                                                   const PluginMenuAddresses& addresses) {
  const iplug::IParam* onlineCheck = plugin.GetParam(kOnlineUpdateCheck);
  std::vector<PluginMenuEntry> entries{
      Command("About ...", kCmdAbout),
      Separator(),
      Link("Open manual ...", addresses.manual),
      Link("Change log ...", addresses.changeLog),
      Link("Download ...", addresses.changeLog),
      Separator(),
      Command("Check for update ...", kCmdCheckUpdate),
      Toggle(onlineCheck ? onlineCheck->GetName() : "", kOnlineUpdateCheck),
      Separator(),
      Link("Open data folder ...", addresses.dataFolder),
      Separator(),
      Toggle("Tooltips", kToggleTooltips),
      Separator(),
      Command("Reset GUI scale", kCmdToggleEditorScale),
      Command("Set min GUI scale", kCmdMinEditorScale),
      Entry("Fixed GUI scale", Kind::SubmenuHeader, -1, {}, kScaleMenuGroup),
  };
  for (const char* text : kScaleTexts)
    entries.push_back(Entry(text, Kind::SubmenuCommand, kCmdMenuEditorScale, {}, kScaleMenuGroup));
  entries.push_back(Separator());
  entries.push_back(Toggle("Enable TruePeak measurement", kTruePeak));
  entries.push_back(Toggle("No reset during DAW sync", kNoResetOnSync));
  entries.push_back(Toggle("No link output to chan conf", kNoLinkOutput));
  return entries;
}

}  // namespace kalvo5
