// The meter's files on Windows under names in any script: outputs land under
// the name asked for with their data (not empty beside a garbled leftover),
// and a folder given to -r is walked whatever its name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/FileIO.h"
#include "platform/TextEncoding.h"
#include "support/ScratchFolder.h"
#include "tools/AudioFileWriter.h"
#include "tools/FileList.h"
#include "tools/InputFile.h"
#include "tools/OutputFile.h"

namespace {

namespace fs = std::filesystem;

const std::string kSound = "\xE9\x9F\xB3";  // 音
const std::string kUmlaut =
    "\xC3\x9C"
    "bung";  // Übung

// A folder of its own for each test, with a name in two scripts.
std::string Folder(const std::string& name) {
  const std::string folder =
      testsupport::ProgramScratchFolder("kalvo5-meter-paths") + "/" + name + " " + kSound;
  fs::create_directories(platform::Utf8ToFsPath(folder));
  return folder;
}

// The names in the folder, as UTF-8.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(platform::Utf8ToFsPath(folder)))
    names.push_back(platform::FsPathToUtf8(entry.path().filename()));
  return names;
}

std::string Contents(const std::string& path) {
  std::string bytes;
  return platform::ReadWholeFile(path, bytes, 1 << 20) ? bytes : "(unreadable)";
}

TEST(MeterPaths, TextAndAudioOutputsKeepTheirDataUnderNamesInAnyScript) {
  const std::string folder = Folder("out");
  const std::string csv = folder + "/Zeit " + kSound + ".csv";
  std::string error;
  ASSERT_TRUE(kalvo5::meter::WriteTextFile(
      csv, [](std::ostream& out) { out << "time,value\n0,1\n"; }, error))
      << error;
  EXPECT_EQ(Contents(csv), "time,value\n0,1\n");

  const std::string wav = folder + "/Ausgabe " + kUmlaut + ".wav";
  auto writer = kalvo5::meter::AudioFileWriter::Create(wav, 1, 48000.0, error);
  ASSERT_NE(writer, nullptr) << error;
  std::vector<double> samples(4800, 0.25);
  const double* channels[] = {samples.data()};
  ASSERT_TRUE(writer->Write(channels, 1, 4800));
  ASSERT_TRUE(writer->Close(error)) << error;
  // 4800 float samples and a header.
  kalvo5::meter::InputRefusal refusal;
  auto written = kalvo5::meter::InputFile::Open(wav, refusal);
  ASSERT_NE(written, nullptr);
  EXPECT_GT(written->Size(), 4800u * 4u);
  written.reset();

  // Nothing else is left in the folder: no temporary file under any name.
  std::vector<std::string> names = Names(folder);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Ausgabe " + kUmlaut + ".wav", "Zeit " + kSound + ".csv"}));
}

TEST(MeterPaths, RecursiveListingWalksAFolderNamedInAnyScript) {
  const std::string folder = Folder("in");
  fs::create_directories(platform::Utf8ToFsPath(folder + "/" + kUmlaut));
  for (const std::string& name :
       std::vector<std::string>{"/b " + kSound + ".wav", "/" + kUmlaut + "/a.flac", "/notes.txt"})
    std::ofstream(platform::Utf8ToFsPath(folder + name)) << "x";
  const std::vector<std::string> files = kalvo5::meter::ExpandFolders({folder}, true);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], platform::FsPathToUtf8(platform::Utf8ToFsPath(folder + "/b " + kSound + ".wav")));
  EXPECT_EQ(files[1], platform::FsPathToUtf8(platform::Utf8ToFsPath(folder + "/" + kUmlaut + "/a.flac")));
}

}  // namespace
