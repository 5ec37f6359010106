#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "PresetTestSupport.h"
#include "plugin/StateHeader.h"

namespace kalvo5::test {
namespace {

std::int32_t Int32At(const iplug::ByteChunk& chunk, int position) {
  std::int32_t value = 0;
  EXPECT_GE(chunk.GetInt32(value, position), 0) << "at " << position;
  return value;
}

std::string BytesAt(const iplug::ByteChunk& chunk, int position, int count) {
  return std::string(reinterpret_cast<const char*>(chunk.Data()) + position, static_cast<std::size_t>(count));
}

// A state block around any text, framed like WriteState frames its own.
iplug::ByteChunk StateOf(const std::string& text, const std::string& prefix = "") {
  iplug::ByteChunk chunk;
  chunk.PutBytes(prefix.data(), static_cast<int>(prefix.size()));
  const int start = BeginStateBlock(chunk);
  chunk.PutInt32(static_cast<std::int32_t>(text.size()));
  chunk.PutBytes(text.data(), static_cast<int>(text.size()));
  EndStateBlock(chunk, start);
  return chunk;
}

std::string TextOf(const iplug::ByteChunk& state) { return BytesAt(state, 32, Int32At(state, 28)); }

// Every parameter moved off its default, with the triggers left at 0 (a
// restored 1 would fire them). The values have one decimal: the document
// holds six, so a value with more digits comes back rounded to them.
void MoveEveryParameter(Kalvo5& plugin) {
  for (int i = 0; i < kNumParams; ++i) {
    iplug::IParam* param = plugin.GetParam(i);
    if (param->Kind() == iplug::ParamKind::Int) continue;
    const double target =
        std::round((param->GetMin() + 0.37 * (param->GetMax() - param->GetMin())) * 10) / 10;
    param->SetValue(target == param->GetDefault() ? param->GetMax() : target);
  }
}

using StateChunk = PresetTest;

TEST_F(StateChunk, DefaultStateIsFramedAndReadsBackToTheBlockEndUnchanged) {
  iplug::ByteChunk chunk;
  ASSERT_TRUE(plugin->WriteState(chunk));

  const int length = Int32At(chunk, 28);
  EXPECT_EQ(BytesAt(chunk, 0, 4), "RIFF");
  EXPECT_EQ(Int32At(chunk, 8), 1);
  EXPECT_EQ(BytesAt(chunk, 12, 8), "VRCMVRCS");
  EXPECT_EQ(Int32At(chunk, 20), 8 + length);
  EXPECT_EQ(Int32At(chunk, 24), 1);
  const int sizeA = Int32At(chunk, 4);
  EXPECT_EQ(chunk.Size(), 8 + sizeA + sizeA % 2);
  EXPECT_EQ(TextOf(chunk).rfind("<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\">\n", 0), 0u);
  EXPECT_NE(TextOf(chunk).find("<Preset name=\"Init\">"), std::string::npos);

  double before[kNumParams];
  for (int i = 0; i < kNumParams; ++i) before[i] = Value(i);
  EXPECT_EQ(plugin->ReadState(chunk, 0), chunk.Size());
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(Value(i), before[i]) << i;
}

TEST_F(StateChunk, PaddingFollowsTheParityOfBothSizes) {
  // Texts of both parities: the pads depend on L only.
  for (const std::string& text : {std::string("abc"), std::string("abcd")}) {
    const iplug::ByteChunk chunk = StateOf(text);
    const int sizeB = Int32At(chunk, 20);
    EXPECT_EQ(sizeB, 8 + static_cast<int>(text.size()));
    const int firstPad = sizeB % 2;
    const int sizeA = Int32At(chunk, 4);
    EXPECT_EQ(sizeA, 24 + static_cast<int>(text.size()) + firstPad);
    EXPECT_EQ(chunk.Size(), 8 + sizeA + sizeA % 2);
    for (int i = 32 + static_cast<int>(text.size()); i < chunk.Size(); ++i) EXPECT_EQ(chunk.Data()[i], 0);
  }
}

TEST_F(StateChunk, RoundTripRestoresEveryParameterAndThePresetName) {
  MoveEveryParameter(*plugin);
  iplug::CopyText(plugin->GetPreset(0)->name, "Mix \xC3\xBC & <Master>");
  iplug::ByteChunk chunk;
  chunk.PutInt32(0x70666674);  // what the host binding puts in front
  chunk.PutInt32(0x00010000);
  ASSERT_TRUE(plugin->WriteState(chunk));

  auto other = MakePlugin();
  EXPECT_EQ(other->ReadState(chunk, 8), chunk.Size());
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(other->GetParam(i)->GetValue(), Value(i)) << other->GetParam(i)->GetName();
  EXPECT_STREQ(other->GetPreset(0)->name, "Mix \xC3\xBC & <Master>");
  // The reactions ran: the mirror follows the restored parameters.
  EXPECT_EQ(other->Settings().Get(kRMSWindow), Value(kRMSWindow));
  EXPECT_EQ(other->Settings().GetInt(kType), static_cast<int>(Value(kType)));
}

TEST_F(StateChunk, HeaderMismatchesStopAtTheirPositionAndApplyNothing) {
  const iplug::ByteChunk good = StateOf(Document(Param("RMS Gain", "12")), "12345678");
  const struct {
    int offset;
    std::int32_t patch;
    int expected;  // relative to the block's start
  } cases[] = {
      {0, 0x46464952 + 1, 0},  // "RIFF" misspelt
      {8, 2, 12},              // version of the block
      {12, 0, 12},             // "VRCM"
      {16, 0, 16},             // "VRCS"
      {20, 0, 28},             // size B of 0
      {24, 0, 28},             // version of the record
  };
  for (const auto& c : cases) {
    iplug::ByteChunk chunk = good;
    const auto bits = static_cast<std::uint32_t>(c.patch);
    for (int i = 0; i < 4; ++i) chunk.Data()[8 + c.offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    EXPECT_EQ(plugin->ReadState(chunk, 8), 8 + c.expected) << "patch at " << c.offset;
    EXPECT_EQ(Value(kRMSGain), 0.0);
  }
  EXPECT_EQ(plugin->ReadState(iplug::ByteChunk(), 0), 0);
  EXPECT_EQ(plugin->ReadState(good, good.Size()), good.Size());
  EXPECT_EQ(plugin->ReadState(good, -1), -1);
  EXPECT_EQ(plugin->ReadState(good, 8), good.Size());
  EXPECT_EQ(Value(kRMSGain), 12.0);
}

TEST_F(StateChunk, CutOrOverlongChunksNeverApplyAnything) {
  const iplug::ByteChunk good = StateOf(Document(Param("RMS Gain", "12")));
  // Every cut: a text running past the end does not parse; a missing pad
  // makes the block run past the end.
  for (int size = 0; size < good.Size(); ++size) {
    iplug::ByteChunk cut = good;
    cut.Resize(size);
    const int position = plugin->ReadState(cut, 0);
    EXPECT_LE(position, std::max(size, 28)) << size;
    ASSERT_EQ(Value(kRMSGain), 0.0) << size;
  }
  // Sizes of the block (field 4) or lengths of the text (field 28) that are
  // negative or far too large.
  for (const int field : {4, 28}) {
    for (const std::int32_t length : {-1, -2147483647 - 1, 2147483647, 1 << 30}) {
      iplug::ByteChunk patched = good;
      const auto bits = static_cast<std::uint32_t>(length);
      for (int i = 0; i < 4; ++i) patched.Data()[field + i] = static_cast<std::uint8_t>(bits >> (8 * i));
      const int position = plugin->ReadState(patched, 0);
      if (field == 4) {
        EXPECT_EQ(position, -1) << length;
      }
      EXPECT_EQ(Value(kRMSGain), 0.0) << "field " << field << " length " << length;
    }
  }
}

TEST_F(StateChunk, ForeignDocumentsAreRejectedBeforeAnyValueOrName) {
  const std::string params = Param("RMS Gain", "12");
  const std::string documents[] = {
      Document(params, "X", "Vantorel "),
      Document(params, "X", " Vantorel"),
      Document(params, "X", "vantorel"),
      Document(params, "X", "Vantorel", "Kalvo6"),
      Document(params, "X", "", "Kalvo5"),
      "<?xml version=\"1.0\" ?>\n<Other><PluginVendor>Vantorel</PluginVendor></Other>",
      "<PresetXMLTree><PluginName>Kalvo5</PluginName><Preset name=\"X\"><Parameter>" + params +
          "</Parameter></Preset></PresetXMLTree>",
      "not xml at all <<<",
      "",
  };
  for (const std::string& document : documents) {
    const iplug::ByteChunk chunk = StateOf(document);
    // The block is read to its end whatever its document says.
    EXPECT_EQ(plugin->ReadState(chunk, 0), chunk.Size());
    EXPECT_EQ(Value(kRMSGain), 0.0) << document;
    EXPECT_STREQ(plugin->GetPreset(0)->name, "Init");
  }
}

TEST_F(StateChunk, ParamValuesAreMatchedByExactNameConstrainedAndSanitised) {
  const std::string params = Param("RMS Gain", "75") +          // clamped to 60
                             Param("rms refLevel", "-20") +     // letter case differs: skipped
                             Param("", "1") +                   // nameless: skipped
                             "<Param val=\"1\" />\n" +          // no name: skipped
                             "<Param name=\"EBU Gain\" />\n" +  // no value: 0
                             Param("Dial Gain", "nan") +        // not a number: skipped
                             Param("Dial RefLevel", "1e309") +  // +inf: clamped to 12
                             Param("RMS Window", "-1e309") +    // -inf: clamped to 10
                             Param("EBU RefLevel", "") +        // empty: 0
                             Param("Type", "1.6") +             // an Enum rounds to an entry
                             Param("Nonexistent", "3") + Param("RMS Meter Mode", " 2xyz");
  plugin->GetParam(kEBUGain)->SetValue(5.0);
  plugin->GetParam(kDIALGain)->SetValue(-7.0);
  const iplug::ByteChunk chunk = StateOf(Document(params, "Rules"));
  EXPECT_EQ(plugin->ReadState(chunk, 0), chunk.Size());
  EXPECT_EQ(Value(kRMSGain), 60.0);
  EXPECT_EQ(Value(kRMSRefLevel), -18.0);
  EXPECT_EQ(Value(kEBUGain), 0.0);
  EXPECT_EQ(Value(kDIALGain), -7.0);
  EXPECT_EQ(Value(kDIALRefLevel), 12.0);
  EXPECT_EQ(Value(kRMSWindow), 10.0);
  EXPECT_EQ(Value(kEBURefLevel), 0.0);
  EXPECT_EQ(Value(kType), 2.0);
  EXPECT_EQ(Value(kRMSMode), 2.0);
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Rules");
  for (int i = 0; i < kNumParams; ++i) EXPECT_FALSE(std::isnan(Value(i)));
}

TEST_F(StateChunk, ANonParamChildStopsTheListButWhatWasSetIsNotified) {
  const std::string params =
      Param("RMS Gain", "5") + "<Comment name=\"EBU Gain\" val=\"7\" />\n" + Param("Dial Gain", "9");
  const iplug::ByteChunk chunk = StateOf(Document(params));
  EXPECT_EQ(plugin->ReadState(chunk, 0), chunk.Size());  // hosts ignore the answer
  EXPECT_EQ(Value(kRMSGain), 5.0);
  EXPECT_EQ(Value(kEBUGain), 0.0);
  EXPECT_EQ(Value(kDIALGain), 0.0);
  EXPECT_EQ(plugin->Settings().Get(kRMSGain), 5.0);

  // Other elements around the list do not matter; inside it they do.
  const std::string tolerant =
      "<?xml version=\"1.0\" ?><!-- note --><PresetXMLTree><Extra/>"
      "<PluginName>Kalvo5</PluginName><PluginVendor>Vantorel</PluginVendor>"
      "<Preset name=\"Tolerant\" other=\"1\"><Extra/><Parameter><!-- c -->" +
      Param("EBU Gain", "3") + "</Parameter></Preset></PresetXMLTree>";
  plugin->ReadState(StateOf(tolerant), 0);
  EXPECT_EQ(Value(kEBUGain), 3.0);
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Tolerant");
}

TEST_F(StateChunk, PresetNeedsANameFirstAndAParameterList) {
  for (const std::string& document :
       {"<PresetXMLTree><PluginVendor>Vantorel</PluginVendor><PluginName>Kalvo5</PluginName>"
        "<Preset other=\"1\" name=\"Late\"><Parameter>" +
            Param("RMS Gain", "4") + "</Parameter></Preset></PresetXMLTree>",
        Document("")}) {
    plugin->ReadState(StateOf(document), 0);
    EXPECT_EQ(Value(kRMSGain), 0.0);
  }
  // An empty list still names the slot: the name comes before the list.
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Hand made");
}

TEST_F(StateChunk, HostileTextsFailQuietly) {
  std::string deep = Document("");
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<a>";
  deep.insert(deep.find("<Parameter>") + 11, nested);
  // Names that are not UTF-8, entities, a zero byte, and a long name.
  const std::string odd =
      Document(Param("RMS Gain", "3"), "\xFF\xFE\x80 &amp; &#x41; " + std::string(600, 'n'));
  const std::string zero = Document(Param("RMS Gain", "3")).insert(10, 1, '\0');

  // UTF-8 sequences cut short by the end of the text, in every place a
  // parser steps over characters (the declaration makes the text UTF-8).
  for (const std::string lead : {"\xC3", "\xE2\x82", "\xF0", "\xF4\x8F\xBF", "\xEF\xBB"}) {
    for (const std::string start :
         {"<PresetXMLTree><PluginVendor>Vantorel", "<PresetXMLTree><Preset name=\"Vantorel",
          "<PresetXMLTree><PresetXMLTree", "<PresetXMLTree><!-- Vantorel", "   "}) {
      plugin->ReadState(StateOf("<?xml version=\"1.0\" ?>" + start + lead), 0);
      EXPECT_STREQ(plugin->GetPreset(0)->name, "Init");
    }
  }

  plugin->ReadState(StateOf(deep), 0);
  EXPECT_EQ(Value(kRMSGain), 0.0);
  plugin->ReadState(StateOf(zero), 0);
  EXPECT_EQ(Value(kRMSGain), 0.0);
  plugin->ReadState(StateOf(odd), 0);
  EXPECT_EQ(Value(kRMSGain), 3.0);
  EXPECT_EQ(std::string(plugin->GetPreset(0)->name).rfind("\xFF\xFE\x80 & A nnn", 0), 0u);
  EXPECT_EQ(std::strlen(plugin->GetPreset(0)->name), 255u);
}

TEST_F(StateChunk, MenuRecallRestoresOnlyTheNamedParameters) {
  plugin->GetParam(kGUIScale)->SetValue(1.5);
  plugin->GetParam(kRMSGain)->SetValue(6.0);
  iplug::ByteChunk chunk;
  plugin->WriteState(chunk);
  plugin->GetParam(kGUIScale)->SetValue(2.0);
  plugin->GetParam(kRMSGain)->SetValue(-6.0);

  plugin->Presets().mMenuRecall = true;
  plugin->ReadState(chunk, 0);
  plugin->Presets().mMenuRecall = false;
  EXPECT_EQ(Value(kGUIScale), 2.0);
  EXPECT_EQ(Value(kRMSGain), 6.0);
}

// Records what the loaders pass for conversion and shifts one parameter.
class ConvertingKalvo5 : public PresetKalvo5 {
 public:
  ConvertingKalvo5() : iplug::IPlug(Kalvo5Config()) {}
  double ConvertParamValue(const char* fileVersion, const char* currentVersion, int index,
                           double value) override {
    versions = std::string(fileVersion) + " " + currentVersion;
    return index == kRMSGain ? value + 1.0 : value;
  }
  std::string versions;
};

TEST_F(StateChunk, EveryValueGoesThroughTheConversionHook) {
  ConvertingKalvo5 converting;
  converting.ReadState(StateOf(Document(Param("RMS Gain", "3"))), 0);
  EXPECT_EQ(converting.GetParam(kRMSGain)->GetValue(), 4.0);
  EXPECT_EQ(converting.versions, "v5.0.0 v5.3.6");
}

}  // namespace
}  // namespace kalvo5::test
