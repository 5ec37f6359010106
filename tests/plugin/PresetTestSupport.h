// A plug-in with a stand-in preset menu and message box, in a data folder of
// its own for every test, and helpers for state chunks and preset files.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Kalvo5TestSupport.h"

namespace kalvo5::test {

namespace fs = std::filesystem;

struct ShownBox {
  std::string text;
  std::string caption;
};

class PresetKalvo5 : public TestKalvo5 {
 public:
  PresetKalvo5() : iplug::IPlug(Kalvo5Config()) {}
  std::vector<ShownBox> boxes;

 protected:
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    boxes.push_back({text, caption});
  }
};

// Every test starts with empty data folders, so that a default preset saved
// by one test never reaches another.
class PresetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home = fs::path(TestDataHome()) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(home);
    fs::create_directories(home);
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    UseClosedUpdateServer();
    plugin = MakePlugin();
  }
  void TearDown() override {
    plugin.reset();
    UseTestDataHome();
    fs::remove_all(home);
  }

  static std::unique_ptr<PresetKalvo5> MakePlugin() { return std::make_unique<PresetKalvo5>(); }

  fs::path DataFolder() const { return home / "Kalvo5"; }
  fs::path PresetFolder() const { return home / "Kalvo5" / "VST2"; }

  double Value(int index) const { return plugin->GetParam(index)->GetValue(); }

  fs::path home;
  std::unique_ptr<PresetKalvo5> plugin;
};

// The rescan command, and the wait for the list a thread of the plug-in
// reads (at most ten seconds).
inline void RescanAndWait(PresetKalvo5& plugin) {
  plugin.Command(kCmdRescanPresets);
  const auto start = std::chrono::steady_clock::now();
  while (!plugin.Presets().CollectUser() && plugin.Presets().ReadingUser() &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A document of this plug-in with the given preset name and "Param" lines
// (each a complete element), as a hand-edited file might hold it.
inline std::string Document(const std::string& params, const std::string& presetName = "Hand made",
                            const std::string& vendor = "Vantorel", const std::string& name = "Kalvo5") {
  return "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\">\n<PluginVendor>" + vendor +
         "</PluginVendor>\n<PluginName>" + name +
         "</PluginName>\n<PluginVersion>v5.0.0</PluginVersion>\n<Preset name=\"" + presetName +
         "\">\n<Parameter>\n" + params + "</Parameter>\n</Preset>\n</PresetXMLTree>\n";
}

inline std::string Param(const std::string& name, const std::string& value) {
  return "<Param name=\"" + name + "\" val=\"" + value + "\" />\n";
}

// Writes are limited to a few bytes, as on a full disk.
class FullDisk {
 public:
  FullDisk() {
    getrlimit(RLIMIT_FSIZE, &mSaved);
    mHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = mSaved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &mSaved);
    signal(SIGXFSZ, mHandler);
  }

 private:
  rlimit mSaved{};
  sighandler_t mHandler;
};

}  // namespace kalvo5::test
