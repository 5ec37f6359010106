// Documents crafted to hold the host up: refused before parsing, with their
// reason, and whatever passes the limits parses within 50 ms.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "PresetTestSupport.h"
#include "plugin/StateHeader.h"
#include "plugin/XMLParamBinding.h"
#include "plugin/XMLPresetTree.h"
#include "support/TimingBounds.h"

namespace kalvo5::test {
namespace {

constexpr double kParseBoundMs = 50.0 * testsupport::kSanitizerSlowdown;

// `count` attributes on the "Preset" element, each name `nameLength` long.
std::string ManyAttributes(int count, std::size_t nameLength = 1) {
  std::string name = "good\"";
  for (int i = 0; i < count; ++i) {
    name.append(" ").append(nameLength, 'a');
    name.append(std::to_string(i)).append("=\"\"");
  }
  return Document(Param("RMS Gain", "3"), name.append(" x=\""));
}

std::string Repeated(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

iplug::ByteChunk StateOf(const std::string& text) {
  iplug::ByteChunk chunk;
  const int start = BeginStateBlock(chunk);
  chunk.PutInt32(static_cast<std::int32_t>(text.size()));
  chunk.PutBytes(text.data(), static_cast<int>(text.size()));
  EndStateBlock(chunk, start);
  return chunk;
}

using DocumentLimits = PresetTest;

TEST_F(DocumentLimits, CraftedDocumentsAreRefusedBeforeParsingWithTheirReason) {
  const std::string crafted = ManyAttributes(20000);
  PresetTreeReader reader;
  EXPECT_EQ(reader.Open(crafted, PluginIdentity(*plugin)), PresetTreeReader::Status::Refused);
  EXPECT_EQ(DocumentRefusalReason(reader.Refusal()), "more than 512 attributes");

  // As a host's state chunk: answered at once, nothing applied.
  const iplug::ByteChunk chunk = StateOf(crafted);
  EXPECT_LT(testsupport::FastestCpuMs([&] { plugin->ReadState(chunk, 0); }), kParseBoundMs);
  EXPECT_EQ(Value(kRMSGain), 0.0);

  // As a preset file.
  WriteFile(home / "crafted.vrs", crafted);
  std::string name;
  EXPECT_LT(testsupport::FastestCpuMs([&] {
              EXPECT_FALSE(plugin->PresetFiles().LoadPresetXML(*plugin, home / "crafted.vrs", name,
                                                               PresetLoadMode::Normal));
            }),
            kParseBoundMs);
  EXPECT_EQ(Value(kRMSGain), 0.0);

  std::string nested = Document("");
  for (int i = 0; i < 2000; ++i) nested.insert(nested.find("<Parameter>"), "<a>");
  EXPECT_EQ(reader.Open(nested, PluginIdentity(*plugin)), PresetTreeReader::Status::Refused);
  EXPECT_EQ(DocumentRefusalReason(reader.Refusal()), "more than 1024 elements");
  EXPECT_EQ(reader.Open(Document("") + std::string(kMaxDocumentBytes, ' '), PluginIdentity(*plugin)),
            PresetTreeReader::Status::Refused);
  EXPECT_EQ(DocumentRefusalReason(reader.Refusal()), "larger than 1048576 bytes");
}

TEST_F(DocumentLimits, TheCostliestAcceptedDocumentsParseWithinTheBound) {
  const std::size_t room = kMaxDocumentBytes - Document("").size() - 64;
  std::string nested = Document(Param("RMS Gain", "3"));
  for (int i = 0; i < kMaxDocumentElements - 70; ++i) nested.insert(nested.find("</Parameter>"), "<a>");
  const std::string worst[] = {
      // The most attributes on one element, with names as long as the size allows.
      ManyAttributes(kMaxDocumentAttributes - 6, room / kMaxDocumentAttributes),
      Document(Param("RMS Gain", "3"), std::string(room, 'n')),
      Document(Param("RMS Gain", "3") + "<!--" + std::string(room, '-') + "-->"),
      Document(Param("RMS Gain", "3"), Repeated("&amp;", room / 5)),
      nested,
  };
  for (const std::string& text : worst) {
    ASSERT_EQ(CheckDocumentLimits(text), DocumentRefusal::None) << text.substr(0, 300);
    PresetTreeReader reader;
    const double ms = testsupport::FastestCpuMs([&] { reader.Open(text, PluginIdentity(*plugin)); });
    EXPECT_LT(ms, kParseBoundMs) << text.substr(0, 300);
    RecordProperty("ParseMs" + std::to_string(&text - worst), std::to_string(ms));
  }
}

}  // namespace
}  // namespace kalvo5::test
