// A small LV2 host on lilv for the tests: loads the build's bundle, makes
// one instance of a plug-in, connects every port (audio buffers of one
// block, control values, empty message sequences) and runs audio through it
// as a host's audio thread does.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kalvo5::lv2test {

// Maps URIs to numbers for the plug-ins of one host.
class UridMap {
 public:
  UridMap();
  LV2_URID Map(const char* uri);
  LV2_URID_Map* Feature() { return &mMap; }

 private:
  static LV2_URID MapFunction(LV2_URID_Map_Handle handle, const char* uri);
  std::map<std::string, LV2_URID> mUrids;
  LV2_URID_Map mMap{};
};

class TestWorld {
 public:
  // The world of the bundles in `path` (an LV2_PATH).
  explicit TestWorld(const std::string& path);
  ~TestWorld();
  TestWorld(const TestWorld&) = delete;
  TestWorld& operator=(const TestWorld&) = delete;

  LilvWorld* Get() const { return mWorld; }
  // Null when no plug-in has that URI.
  const LilvPlugin* Plugin(const std::string& uri) const;

 private:
  LilvWorld* mWorld = nullptr;
};

class TestInstance {
 public:
  static constexpr int kBlock = 512;
  static constexpr std::uint32_t kMessageBytes = 16384;

  TestInstance(const TestWorld& world, const std::string& uri, double rate);
  ~TestInstance();
  TestInstance(const TestInstance&) = delete;
  TestInstance& operator=(const TestInstance&) = delete;

  bool Valid() const { return mInstance != nullptr; }
  LilvInstance* Get() const { return mInstance; }
  const LilvPlugin* Plugin() const { return mPlugin; }
  UridMap& Urids() { return mUrids; }

  // A control port's value by symbol; NaN for no such port.
  float Control(const std::string& symbol) const;
  void SetControl(const std::string& symbol, float value);
  // lilv's port setter, for restoring a state or preset into the controls.
  static void SetPortValue(const char* symbol, void* self, const void* value, std::uint32_t size,
                           std::uint32_t type);
  // Runs interleaved frames through the plug-in in blocks of kBlock (the
  // first call activates it); the
  // output, interleaved, goes to `output` when given.
  void Process(const std::vector<float>& interleaved, int channels, std::vector<float>* output = nullptr);
  // The atoms the plug-in sent on its message output in the last run.
  std::vector<std::vector<std::uint8_t>> Messages() const;

 private:
  void ResetSequences();

  const LilvPlugin* mPlugin = nullptr;
  UridMap mUrids;
  LilvInstance* mInstance = nullptr;
  std::vector<std::string> mSymbols;
  std::vector<float> mControls;
  std::vector<std::vector<float>> mAudioIn, mAudioOut;
  std::vector<std::uint32_t> mAudioInPorts, mAudioOutPorts;
  std::vector<std::uint64_t> mMessagesIn, mMessagesOut;  // 8-byte aligned sequences
  std::uint32_t mMessagesOutPort = UINT32_MAX;
  LV2_URID mSequence = 0;
  bool mActive = false;
};

}  // namespace kalvo5::lv2test
