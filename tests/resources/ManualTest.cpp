// The manual compiled into the module: a real PDF of several pages whose text
// holds every heading of its source.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "graphics/Resources.h"
#include "resources/manual/ManualResource.h"
#include "support/ScratchFolder.h"

namespace {

std::string Output(const std::string& command) {
  std::string text;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return text;
  std::array<char, 4096> buffer;
  for (std::size_t got; (got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
    text.append(buffer.data(), got);
  return text;
}

// Every run of blanks and line ends as one blank: pdftotext breaks lines
// where the typesetter did.
std::string Words(const std::string& text) {
  std::string words;
  for (const char c : text) {
    const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (!blank) {
      words += c;
    } else if (words.empty() || words.back() != ' ') {
      words += ' ';
    }
  }
  return words;
}

class Manual : public ::testing::Test {
 protected:
  void SetUp() override {
    resources::RegisterManualResource();
    resource = graphics::FindResource("kalvo5 MANUAL.pdf");  // found without regard to case
    ASSERT_NE(resource, nullptr);
    ASSERT_FALSE(scratch.Path().empty());
    std::ofstream(pdf, std::ios::binary)
        .write(reinterpret_cast<const char*>(resource->data), static_cast<std::streamsize>(resource->size));
  }

  const graphics::Resource* resource = nullptr;
  const testsupport::ScratchFolder scratch{"kalvo5-manual"};
  const std::string pdf = scratch.Path() + "/manual.pdf";
};

TEST_F(Manual, IsAnA4DocumentOfSeveralPages) {
  ASSERT_GT(resource->size, 5u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(resource->data), 5), "%PDF-");
  const std::string info = Output("pdfinfo '" + pdf + "' 2>&1");
  const std::size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_GE(std::atoi(info.c_str() + pages + 6), 6) << info;
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("Title:           Kalvo5 manual"), std::string::npos) << info;
}

TEST_F(Manual, ItsTextHoldsEveryHeadingAndTheVersion) {
  const std::string text = Words(Output("pdftotext -enc UTF-8 '" + pdf + "' - 2>&1"));
  std::ifstream source(KALVO5_MANUAL_TEXT);
  ASSERT_TRUE(source);
  int headings = 0;
  for (std::string line; std::getline(source, line);) {
    if (line.rfind("## ", 0) != 0 && line.rfind("### ", 0) != 0) continue;
    const std::string heading = line.substr(line.find(' ') + 1);
    EXPECT_NE(text.find(Words(heading)), std::string::npos) << heading;
    ++headings;
  }
  EXPECT_GE(headings, 10);
  EXPECT_NE(text.find("version " KALVO5_VERSION_TEXT), std::string::npos);
  EXPECT_EQ(text.find("@VERSION@"), std::string::npos);
  // Parameter names as the host shows them.
  for (const char* name : {"OUT:EBU LRA", "WriteAutomationData", "No reset during DAW sync", "Dial S-Window"})
    EXPECT_NE(text.find(name), std::string::npos) << name;
}

}  // namespace
