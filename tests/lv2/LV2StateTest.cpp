// The LV2 state holds the same settings document as the VST 2 chunk: a
// state saved by either format loads in the other and is written again byte
// for byte; a state the plug-in cannot read is refused and changes nothing.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include <cmath>
#include <string>

#include "LilvHost.h"
#include "module/Kalvo5VST2.h"
#include "module/lv2/Kalvo5LV2.h"
#include "plugin/Kalvo5TestSupport.h"

namespace kalvo5::lv2test {
namespace {

// A host's store for one property.
struct StoredState {
  std::string value;
  std::uint32_t key = 0, type = 0, flags = 0;
  bool present = true;

  static LV2_State_Status Store(LV2_State_Handle handle, std::uint32_t key, const void* value,
                                std::size_t size, std::uint32_t type, std::uint32_t flags) {
    auto* state = static_cast<StoredState*>(handle);
    state->key = key;
    state->value.assign(static_cast<const char*>(value), size);
    state->type = type;
    state->flags = flags;
    return LV2_STATE_SUCCESS;
  }
  static const void* Retrieve(LV2_State_Handle handle, std::uint32_t /*key*/, std::size_t* size,
                              std::uint32_t* type, std::uint32_t* flags) {
    auto* state = static_cast<StoredState*>(handle);
    if (!state->present) return nullptr;
    *size = state->value.size();
    *type = state->type;
    *flags = state->flags;
    return state->value.data();
  }
};

class LV2State : public ::testing::Test {
 protected:
  LV2State() {
    test::UseTestDataHome();
    iplug::MainThreadScope scope;
    lv2 = std::make_unique<Kalvo5LV2>(iplug::LV2InstanceInfo{2, 48000.0, features});
    lv2->CompleteConstruction();
    vst2 = std::make_unique<Kalvo5VST2<>>();
  }

  StoredState Save() {
    StoredState state;
    EXPECT_EQ(lv2->SaveState(&StoredState::Store, &state), LV2_STATE_SUCCESS);
    return state;
  }
  // The document of the VST 2 program chunk: after the chunk's header and
  // the state block's.
  std::string ChunkDocument() {
    void* data = nullptr;
    const auto size =
        iplug::IPlugVST2::VSTDispatcher(&vst2->GetEffect(), vst2::effGetChunk, 1, 0, &data, 0.0f);
    const std::string chunk(static_cast<const char*>(data), static_cast<std::size_t>(size));
    std::int32_t length = 0;
    std::memcpy(&length, chunk.data() + 8 + 28, sizeof(length));
    return chunk.substr(8 + 32, static_cast<std::size_t>(length));
  }
  void LoadChunkDocument(const std::string& document) {
    iplug::ByteChunk chunk;
    chunk.PutInt32(iplug::kStateChunkMagic);
    chunk.PutInt32(iplug::kStateChunkVersion);
    const int start = BeginStateBlock(chunk);
    chunk.PutInt32(static_cast<std::int32_t>(document.size()));
    chunk.PutBytes(document.data(), static_cast<int>(document.size()));
    EndStateBlock(chunk, start);
    ASSERT_EQ(iplug::IPlugVST2::VSTDispatcher(&vst2->GetEffect(), vst2::effSetChunk, 1, chunk.Size(),
                                              chunk.Data(), 0.0f),
              1);
  }

  UridMap urids;
  LV2_Feature map{LV2_URID__map, urids.Feature()};
  const LV2_Feature* features[2] = {&map, nullptr};
  std::unique_ptr<Kalvo5LV2> lv2;
  std::unique_ptr<Kalvo5VST2<>> vst2;
};

TEST_F(LV2State, AStateOfEitherFormatLoadsInTheOtherAndIsWrittenAgainByteForByte) {
  // Settings off their defaults in the VST 2 instance.
  iplug::MainThreadScope scope;
  vst2->SetParamFromPlugin(kType, kTypeDIAL);
  vst2->SetParamFromPlugin(kEBURefLevel, -18.0);
  vst2->SetParamFromPlugin(kDIALWindow, 3000.0);
  const std::string fromVST2 = ChunkDocument();
  ASSERT_NE(fromVST2.find("<PresetXMLTree"), std::string::npos);

  StoredState state;
  state.value = fromVST2 + '\0';
  state.type = urids.Map(LV2_ATOM__String);
  ASSERT_EQ(lv2->RestoreState(&StoredState::Retrieve, &state), LV2_STATE_SUCCESS);
  EXPECT_EQ(lv2->GetParam(kEBURefLevel)->GetValue(), -18.0);
  const StoredState saved = Save();
  EXPECT_EQ(saved.value, fromVST2 + '\0');
  EXPECT_EQ(saved.type, urids.Map(LV2_ATOM__String));
  EXPECT_EQ(saved.flags & LV2_STATE_IS_PORTABLE, LV2_STATE_IS_PORTABLE);

  // And back: the LV2 state, changed there, into the VST 2 instance.
  lv2->SetParamFromPlugin(kRMSWindow, 300.0);
  const std::string fromLV2 = Save().value;
  LoadChunkDocument(fromLV2.substr(0, fromLV2.size() - 1));
  EXPECT_EQ(vst2->GetParam(kRMSWindow)->GetValue(), 300.0);
  EXPECT_EQ(ChunkDocument() + '\0', fromLV2);
}

TEST_F(LV2State, AStateItCannotReadIsRefusedAndChangesNothing) {
  iplug::MainThreadScope scope;
  lv2->SetParamFromPlugin(kEBURefLevel, -20.0);
  const std::string before = Save().value;

  StoredState state;
  state.type = urids.Map(LV2_ATOM__String);
  for (const std::string& bad : {std::string("not xml at all"), std::string("<PresetXMLTree><Preset"),
                                 std::string(2 << 20, '<'), std::string()}) {
    state.value = bad + '\0';
    EXPECT_NE(lv2->RestoreState(&StoredState::Retrieve, &state), LV2_STATE_SUCCESS);
  }
  state.value = before;
  state.type = urids.Map(LV2_ATOM__Chunk);
  EXPECT_EQ(lv2->RestoreState(&StoredState::Retrieve, &state), LV2_STATE_ERR_BAD_TYPE);
  state.present = false;
  EXPECT_EQ(lv2->RestoreState(&StoredState::Retrieve, &state), LV2_STATE_ERR_NO_PROPERTY);
  EXPECT_EQ(Save().value, before);
}

TEST(LV2Presets, EveryVariantListsTheFactoryPresetsAndOneAppliesThroughLilv) {
  const TestWorld world(KALVO5_LV2_PATH);
  LilvWorld* w = world.Get();
  LilvNode* presetClass = lilv_new_uri(w, LV2_PRESETS__Preset);
  LilvNode* label = lilv_new_uri(w, LILV_NS_RDFS "label");
  for (const char* variant : {"mono", "stereo", "5.1"}) {
    const LilvPlugin* plugin =
        world.Plugin(std::string("https://www.vantorel.com/plugins/kalvo5/lv2/") + variant);
    ASSERT_NE(plugin, nullptr) << variant;
    LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
    EXPECT_EQ(lilv_nodes_size(presets), 21u) << variant;
    lilv_nodes_free(presets);
  }
  lilv_node_free(presetClass);
  lilv_node_free(label);

  // The preset's ports and state applied to a mono instance: its reference
  // level, and its own channel layout kept.
  TestInstance plug(world, "https://www.vantorel.com/plugins/kalvo5/lv2/mono", 48000);
  ASSERT_TRUE(plug.Valid());
  LilvNode* uri = lilv_new_uri(w, "https://www.vantorel.com/plugins/kalvo5/lv2/presets/db_k_14");
  lilv_world_load_resource(w, uri);
  LilvState* preset = lilv_state_new_from_world(w, plug.Urids().Feature(), uri);
  ASSERT_NE(preset, nullptr);
  lilv_state_restore(preset, plug.Get(), &TestInstance::SetPortValue, &plug, 0, nullptr);
  EXPECT_EQ(plug.Control("rms_reflevel"), -14.0f);
  EXPECT_EQ(plug.Control("ebu_channel_config"), 0.0f);  // "1.0"
  lilv_state_free(preset);
  lilv_node_free(uri);
}

}  // namespace
}  // namespace kalvo5::lv2test
