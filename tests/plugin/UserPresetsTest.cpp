// The user presets of a large data folder: read by a thread of the
// plug-in's own within the bound, never by the thread that asks for them,
// and read again only when the folder changed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

#include "PresetTestSupport.h"
#include "plugin/PresetFolderScan.h"
#include "plugin/XMLParamBinding.h"
#include "support/TimingBounds.h"

namespace kalvo5::test {
namespace {

constexpr double kFrameMs = 1000.0 / 60.0 * testsupport::kSanitizerSlowdown;
constexpr double kRescanBoundMs = 200.0 * testsupport::kSanitizerSlowdown;

using UserPresets = PresetTest;

TEST_F(UserPresets, TenThousandAreReadOffTheAskingThreadWithinTheBoundAndOnlyWhenChanged) {
  plugin->editorExists = true;
  ASSERT_TRUE(plugin->PresetFiles().SavePresetXML(*plugin, DataFolder() / "seed.vrs", "Seed"));
  const std::string text = ReadFile(DataFolder() / "seed.vrs");
  fs::remove(DataFolder() / "seed.vrs");
  constexpr int kCount = 10000;
  for (int i = 0; i < kCount; ++i) {
    std::string name = "preset ";
    WriteFile(DataFolder() / name.append(std::to_string(i)).append(".vrs"), text);
  }
  // A folder last changed a while ago: its list, once read, stays current.
  fs::last_write_time(DataFolder(), fs::file_time_type::clock::now() - std::chrono::hours(1));

  // The asking thread goes on at once; a thread of the plug-in's own reads.
  const double start = testsupport::ThreadCpuMs();
  plugin->Command(kCmdRescanPresets);
  EXPECT_LT(testsupport::ThreadCpuMs() - start, kFrameMs);
  EXPECT_TRUE(plugin->Presets().ReadingUser());
  RescanAndWait(*plugin);
  ASSERT_EQ(plugin->Presets().NUser(), kCount);
  EXPECT_STREQ(plugin->Presets().User(kCount - 1)->name, "Seed");

  // What that thread does, timed here.
  const std::atomic<bool> cancel{false};
  const double rescanMs = testsupport::FastestCpuMs(
      [&] {
        EXPECT_EQ(ListUserPresetFiles(DataFolder(), PluginIdentity(*plugin), cancel).size(),
                  std::size_t{kCount});
      },
      3);
  RecordProperty("RescanMs", std::to_string(rescanMs));
  EXPECT_LT(rescanMs, kRescanBoundMs);

  // Unchanged: nothing is read again.
  plugin->Command(kCmdRescanPresets);
  EXPECT_FALSE(plugin->Presets().ReadingUser());

  WriteFile(DataFolder() / "added.vrs", text);
  RescanAndWait(*plugin);
  EXPECT_EQ(plugin->Presets().NUser(), kCount + 1);
}

}  // namespace
}  // namespace kalvo5::test
