// What the meter command reads, and what it counts as damage: a test plug-in
// loaded through its real entry point measures the files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "MeterTestSupport.h"
#include "tools/MeterCommand.h"

namespace kalvo5::meter::test {
namespace {

const std::string kPlugin = KALVO5_TEST_PLUGIN;

// The CRC an Ogg page carries: polynomial 0x04c11db7, no reflection.
std::uint32_t OggChecksum(const std::string& page) {
  std::uint32_t crc = 0;
  for (const char c : page) {
    crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04c11db7u : crc << 1;
  }
  return crc;
}

// An intact Ogg Vorbis file whose last page's granule position runs `extra`
// frames past the audio, as streams cut from longer ones do: libsndfile's
// length estimate then differs from what decodes.
void WriteOggWithLongerEstimate(const std::string& path, long frames, int extra) {
  WriteAudio(
      path, 2, 44100, frames, [](int, long n) { return 0.3 * std::sin(0.01 * static_cast<double>(n)); },
      SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  std::string bytes = Bytes(path);
  const std::size_t last = bytes.rfind("OggS");
  std::string page = bytes.substr(last);
  std::int64_t granule = 0;
  for (int i = 0; i < 8; ++i) granule |= std::int64_t{static_cast<unsigned char>(page[6 + i])} << (8 * i);
  granule += extra;
  for (int i = 0; i < 8; ++i) page[6 + i] = static_cast<char>(granule >> (8 * i));
  page.replace(22, 4, 4, '\0');
  const std::uint32_t crc = OggChecksum(page);
  for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<char>(crc >> (8 * i));
  std::ofstream(path, std::ios::binary) << bytes.replace(last, page.size(), page);
}

TEST(MeterInput, AnEstimatedLengthThatDiffersFromTheDecodedOneIsNoDamage) {
  TempFolder folder;
  const std::string ogg = folder.Path("cut.ogg");
  WriteOggWithLongerEstimate(ogg, 100000, 5000);
  const MeterRun run = RunMeter({"--plugin", kPlugin, "--json", "-t", "RMS", ogg});
  EXPECT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\"damaged\": false"), std::string::npos) << run.out;
}

// A FLAC stream cannot be read through a pipe, and a folder needs
// --recursive: both say what to do instead.
TEST(MeterInput, InputsThatCannotBeReadSayWhatWould) {
  TempFolder folder;
  const std::string flac = folder.Path("a.flac");
  WriteAudio(
      flac, 2, 44100, 4410, [](int, long) { return 0.1; }, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  MeterRun run = RunMeterProgram("--plugin '" + kPlugin + "' -", "cat '" + flac + "' |");
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(
      run.err.find("standard input takes a WAV file, or raw 32-bit float samples with --rate and --channels"),
      std::string::npos)
      << run.err;

  run = RunMeter({"--plugin", kPlugin, folder.Path("")});
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(run.err.find("with --recursive (-r) a folder stands for the audio files in it"),
            std::string::npos)
      << run.err;
}

// A named pipe blocks open() until a writer comes: the command refuses it
// without opening it, as audio and as preset. Should it wait, the test
// becomes the writer, so a failure never hangs.
TEST(MeterInput, NamedPipesAreRefusedWithoutWaiting) {
  TempFolder folder;
  const std::string fifo = folder.Path("pipe.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::vector<std::string>> commands = {
      {"--plugin", kPlugin, fifo},
      {"--plugin", kPlugin, "--preset", fifo},
  };
  for (const auto& args : commands) {
    auto run = std::async(std::launch::async, [&] { return RunMeter(args); });
    if (run.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      ADD_FAILURE() << "the command waits for a writer to " << args.back();
      close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    const MeterRun result = run.get();
    EXPECT_EQ(result.code, kExitInput);
    EXPECT_NE(result.err.find("not a regular file (a named pipe): " + fifo), std::string::npos) << result.err;
  }
}

// Walking a folder leaves nothing out silently: a subfolder that cannot be
// read and a named pipe called .wav are each listed as unreadable with the
// reason, and the exit status says so.
TEST(MeterInput, AFolderWalkListsWhatItCannotRead) {
  TempFolder folder;
  const std::string lib = folder.Path("lib");
  std::filesystem::create_directories(lib + "/locked");
  std::filesystem::permissions(folder.Path(""), std::filesystem::perms::all);
  std::filesystem::permissions(lib, std::filesystem::perms::all);
  WriteAudio(lib + "/a.wav", 1, 44100, 44100, [](int, long n) { return 0.1 * ((n / 50) % 2 ? 1.0 : -1.0); });
  WriteAudio(lib + "/locked/b.wav", 1, 44100, 4410, [](int, long) { return 0.1; });
  std::filesystem::permissions(lib + "/a.wav", std::filesystem::perms::all);
  ASSERT_EQ(chmod((lib + "/locked").c_str(), 0), 0);
  ASSERT_EQ(mkfifo((lib + "/pipe.wav").c_str(), 0600), 0);
  // The superuser reads any folder; the meter then runs as nobody.
  const std::string as = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  const MeterRun run = RunMeterProgram("--plugin '" + kPlugin + "' --json -r '" + lib + "'", as);
  chmod((lib + "/locked").c_str(), 0700);
  EXPECT_EQ(run.code, kExitInput) << run.err;
  EXPECT_NE(run.err.find("cannot read the folder " + lib + "/locked: Permission denied"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("not a regular file (a named pipe): " + lib + "/pipe.wav"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("2 of 3 files could not be read"), std::string::npos) << run.err;
}

// Whether a file ends before its header says is read from the header itself
// in every format with a data size: RF64 keeps it in its ds64 chunk, and a
// WAV file may hold any number of chunks (an odd-sized one padded) before its
// data. Intact files are sound.
TEST(MeterInput, FilesCutShortAreDamagedInEveryFormatWithADataSize) {
  TempFolder folder;
  const auto sine = [](int, long n) { return 0.3 * std::sin(0.01 * static_cast<double>(n)); };
  std::vector<std::string> files;
  for (const auto& [name, format] : std::vector<std::pair<std::string, int>>{{"a.rf64", SF_FORMAT_RF64},
                                                                             {"a.aiff", SF_FORMAT_AIFF},
                                                                             {"a.w64", SF_FORMAT_W64},
                                                                             {"a.au", SF_FORMAT_AU}}) {
    files.push_back(folder.Path(name));
    WriteAudio(files.back(), 2, 44100, 44100, sine, format | SF_FORMAT_PCM_16);
  }
  files.push_back(folder.Path("chunks.wav"));
  WriteAudio(files.back(), 2, 44100, 44100, sine);
  std::string wav = Bytes(files.back());
  std::string chunks = "odd!" + std::string("\x03\0\0\0abc\0", 8);
  for (int i = 0; i < 300; ++i) chunks += "note" + std::string("\x04\0\0\0", 4) + "1234";
  wav.insert(wav.find("data"), chunks);
  const auto riffSize = static_cast<std::uint32_t>(wav.size() - 8);
  for (int i = 0; i < 4; ++i) wav[4 + static_cast<std::size_t>(i)] = static_cast<char>(riffSize >> (8 * i));
  std::ofstream(files.back(), std::ios::binary) << wav;

  // The placeholder a writer into a pipe leaves in the data size means an
  // unknown length.
  const std::string piped = folder.Path("piped.wav");
  std::ofstream(piped, std::ios::binary) << wav.replace(wav.find("data") + 4, 4, 4, '\xff');
  EXPECT_EQ(RunMeter({"--plugin", kPlugin, "-t", "RMS", piped}).code, kExitOk);

  for (const std::string& file : files) {
    MeterRun run = RunMeter({"--plugin", kPlugin, "--json", "-t", "RMS", file});
    EXPECT_EQ(run.code, kExitOk) << file << run.err;
    EXPECT_NE(run.out.find("\"damaged\": false"), std::string::npos) << file;

    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 10000);
    run = RunMeter({"--plugin", kPlugin, "--json", "-t", "RMS", file});
    EXPECT_EQ(run.code, kExitDamaged) << file;
    EXPECT_NE(run.err.find("warning: " + file + ": the file ends before its header says"), std::string::npos)
        << run.err;
  }
}

}  // namespace
}  // namespace kalvo5::meter::test
