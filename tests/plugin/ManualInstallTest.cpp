// The manual written into the data folder: once, replaced when it differs,
// and never harmful when it cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Kalvo5TestSupport.h"
#include "graphics/Resources.h"
#include "plugin/ManualInstall.h"
#include "support/ScratchFolder.h"

namespace kalvo5 {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

ino_t Inode(const fs::path& path) {
  struct stat facts {};
  return ::stat(path.c_str(), &facts) == 0 ? facts.st_ino : 0;
}

class ManualInstall : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch.Path().empty()); }

  std::string Embedded() const {
    const graphics::Resource* manual = graphics::FindResource(kManualFileName);
    return manual ? std::string(reinterpret_cast<const char*>(manual->data), manual->size) : std::string();
  }

  const testsupport::ScratchFolder scratch{"kalvo5-manual"};
  const fs::path folder = scratch.Path();
  const fs::path installed = folder / kManualFileName;
};

TEST_F(ManualInstall, WritesTheEmbeddedBytesOnceAndReplacesAChangedFile) {
  ASSERT_TRUE(InstallManual(folder));
  const std::string embedded = Embedded();
  ASSERT_GT(embedded.size(), 1000u);
  EXPECT_EQ(ReadFile(installed), embedded);

  // An identical file is left alone: the same file, not a new one renamed over it.
  const ino_t first = Inode(installed);
  ASSERT_TRUE(InstallManual(folder));
  EXPECT_EQ(Inode(installed), first);

  // An older manual, a shorter one and a longer one are all replaced.
  for (const std::string& other : {std::string(embedded).replace(embedded.size() / 2, 3, "old"),
                                   embedded.substr(0, 100), embedded + "x"}) {
    std::ofstream(installed, std::ios::binary | std::ios::trunc) << other;
    ASSERT_TRUE(InstallManual(folder));
    EXPECT_EQ(ReadFile(installed), embedded);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);  // no leftovers
}

TEST_F(ManualInstall, FailsQuietlyWhereNothingCanBeWritten) {
  EXPECT_FALSE(InstallManual(""));  // no data folder
  EXPECT_FALSE(InstallManual(folder / "missing"));
  // A data folder that is a file (even root cannot write into it).
  const fs::path notAFolder = folder / "Kalvo5";
  std::ofstream(notAFolder) << "a file";
  EXPECT_FALSE(InstallManual(notAFolder));
  EXPECT_EQ(ReadFile(notAFolder), "a file");
  // A folder in the manual's place stays a folder.
  fs::create_directory(installed);
  EXPECT_FALSE(InstallManual(folder));
  EXPECT_TRUE(fs::is_directory(installed));
}

TEST_F(ManualInstall, ANewPluginPutsTheManualIntoItsDataFolder) {
  test::UseTestDataHome();
  const fs::path manual = fs::path(test::TestDataHome()) / "Kalvo5" / kManualFileName;
  fs::remove(manual);
  const auto plugin = std::make_unique<test::TestKalvo5>();
  EXPECT_EQ(ReadFile(manual), Embedded());
}

}  // namespace
}  // namespace kalvo5
