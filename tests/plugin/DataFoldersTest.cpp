#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "Kalvo5TestSupport.h"
#include "plugin/DataFolders.h"

namespace kalvo5::test {
namespace {

namespace fs = std::filesystem;

class DataFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    base = fs::path(TestDataHome()) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(base);
    setenv("XDG_DATA_HOME", base.c_str(), 1);
  }
  void TearDown() override { UseTestDataHome(); }
  fs::path base;
};

TEST_F(DataFolders, AreCreatedOnceEvenWhenTheBaseIsMissing) {
  IMPlugPaths first;
  first.InitPaths("Kalvo5");
  EXPECT_EQ(first.DataFolder(), (base / "Kalvo5").string());
  EXPECT_EQ(first.PresetFolder(), (base / "Kalvo5" / "VST2").string());
  EXPECT_TRUE(fs::is_directory(first.PresetFolder()));

  std::ofstream(fs::path(first.PresetFolder()) / "default.vrs") << "kept";
  IMPlugPaths second;
  second.InitPaths("Kalvo5");
  EXPECT_EQ(second.PresetFolder(), first.PresetFolder());
  EXPECT_TRUE(fs::exists(fs::path(first.PresetFolder()) / "default.vrs"));
}

TEST_F(DataFolders, AFileInTheWayIsLeftAlone) {
  fs::create_directories(base);
  std::ofstream(base / "Kalvo5") << "not a folder";
  IMPlugPaths paths;
  paths.InitPaths("Kalvo5");
  EXPECT_TRUE(fs::is_regular_file(base / "Kalvo5"));
  EXPECT_FALSE(EnsureFolder(paths.PresetFolder()));
}

TEST_F(DataFolders, AMissingHomeFolderGetsNoDataFolderAndNothingIsCreated) {
  unsetenv("XDG_DATA_HOME");
  const fs::path missing = base / "missing";
  fs::create_directories(base);
  const char* savedHome = getenv("HOME");
  const std::string oldHome = savedHome ? savedHome : "";
  setenv("HOME", (missing / "home").c_str(), 1);
  IMPlugPaths paths;
  paths.InitPaths("Kalvo5");
  if (savedHome) setenv("HOME", oldHome.c_str(), 1);
  EXPECT_EQ(paths.DataFolder(), "");
  EXPECT_EQ(paths.PresetFolder(), "");
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace kalvo5::test
