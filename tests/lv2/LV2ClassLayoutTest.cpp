// The joined LV2 classes as the module creates them: in the editor the
// binding's part comes first and Kalvo5's after it. Kalvo5's constructor is
// compiled for a "this" on the alignment of its shared base; an editor whose
// Kalvo5 part came 8 bytes off that crashed in its constructor (jalv.gtk3).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "module/lv2/Kalvo5LV2.h"
#include "module/lv2/Kalvo5LV2Variants.h"
#include "plugin/Kalvo5TestSupport.h"

namespace kalvo5::lv2test {
namespace {

bool OnSharedBaseAlignment(const Kalvo5* part) {
  return reinterpret_cast<std::uintptr_t>(part) % alignof(iplug::IPlug) == 0;
}

TEST(LV2ClassLayout, EveryVariantsProcessorAndEditorConstructWithKalvo5OnItsAlignment) {
  test::UseTestDataHome();
  iplug::MainThreadScope scope;
  for (const iplug::LV2Variant& variant : kLV2Variants) {
    SCOPED_TRACE(variant.uri);
    auto editor =
        std::make_unique<Kalvo5LV2Editor>(iplug::LV2UIInfo{variant.channels, nullptr, nullptr, nullptr});
    EXPECT_TRUE(OnSharedBaseAlignment(editor.get()));
    auto processor = std::make_unique<Kalvo5LV2>(iplug::LV2InstanceInfo{variant.channels, 48000.0, nullptr});
    EXPECT_TRUE(OnSharedBaseAlignment(processor.get()));
  }
}

}  // namespace
}  // namespace kalvo5::lv2test
