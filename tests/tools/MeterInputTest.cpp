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
#include "tools/AudioSource.h"
#include "tools/MeterCommand.h"

namespace kalvo5::meter::test {
namespace {

const std::string kPlugin = KALVO5_TEST_PLUGIN;

// An intact Ogg Vorbis file whose last page's granule position runs `extra`
// frames past the audio, as streams cut from longer ones do: libsndfile's
// length estimate then differs from what decodes.
void WriteOggWithLongerEstimate(const std::string& path, long frames, int extra) {
  WriteAudio(
      path, 2, 44100, frames, [](int, long n) { return 0.3 * std::sin(0.01 * static_cast<double>(n)); },
      SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  std::string bytes = Bytes(path);
  EditOggPage(bytes, -1, [&](std::string& page) { SetOggGranule(page, OggGranule(page) + extra); });
  std::ofstream(path, std::ios::binary) << bytes;
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

// Ogg Vorbis, Ogg Opus and MP3 files damaged as files are in transfers and
// edits: each fault is named with where it is, and audio that did not decode
// is counted. The intact files, and an MP3 between ID3 tags, are sound.
// An Ogg file cut short has no length libsndfile can tell: it is unknown,
// not the largest count (which would freeze the progress estimate).
TEST(MeterInput, AnOggStreamCutShortHasNoAnnouncedLength) {
  TempFolder folder;
  const std::string ogg = folder.Path("cut.ogg");
  WriteAudio(
      ogg, 1, 44100, 441000, [](int, long n) { return 0.3 * std::sin(0.01 * static_cast<double>(n)); },
      SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  std::filesystem::resize_file(ogg, std::filesystem::file_size(ogg) * 6 / 10);
  std::string error;
  const auto source = OpenSource(ogg, 0, 0, error);
  ASSERT_NE(source, nullptr) << error;
  EXPECT_EQ(source->Frames(), -1);
}

TEST(MeterInput, DamagedCompressedStreamsSayWhatIsWrongAndWhere) {
  TempFolder folder;
  const auto sine = [](int, long n) { return 0.3 * std::sin(0.01 * static_cast<double>(n)); };
  struct Stream {
    std::string name;
    int rate, format;
  };
  const Stream streams[] = {{"a.ogg", 44100, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                            {"a.opus", 48000, SF_FORMAT_OGG | SF_FORMAT_OPUS},
                            {"a.mp3", 44100, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}};
  for (const Stream& stream : streams) {
    const std::string intact = folder.Path(stream.name);
    WriteAudio(intact, 2, stream.rate, 10L * stream.rate, sine, stream.format);
    const std::string bytes = Bytes(intact);
    const bool ogg = (stream.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG;
    std::vector<std::pair<std::string, std::vector<std::string>>> damaged;  // bytes, findings
    const auto add = [&](std::string file, std::vector<std::string> findings) {
      damaged.emplace_back(std::move(file), std::move(findings));
    };
    add(bytes.substr(0, bytes.size() * 6 / 10),
        ogg ? std::vector<std::string>{"the file ends inside the Ogg page at byte ",
                                       "the Ogg stream ends without its last page (cut short?) after "}
            : std::vector<std::string>{"the MP3 stream stops inside the frame at byte ",
                                       " frames its Xing header announces", " s of audio are lost: "});
    std::string overwritten = bytes;
    const std::size_t middle = bytes.size() / 2;
    for (std::size_t i = 0; i < 2000; ++i) overwritten[middle + i] = static_cast<char>(i * 37 + 11);
    add(overwritten,
        {ogg ? "the Ogg page at byte " + std::to_string(bytes.rfind("OggS", middle)) + " fails its checksum"
             : " hold no MPEG audio frame",
         "s of audio are lost: ", " of the 10.000 s the stream announces decode"});
    if (ogg) {
      std::string unended = bytes;
      EditOggPage(unended, -1, [](std::string& page) { page[5] = static_cast<char>(page[5] & ~4); });
      add(unended, {"the Ogg stream ends without its last page (cut short?) after 10.000 s"});
      // One page whose granule position runs 5 s past its audio: the pages
      // after it are in step again.
      std::string jump = bytes;
      const std::size_t at = EditOggPage(
          jump, 6, [&](std::string& page) { SetOggGranule(page, OggGranule(page) + 5 * stream.rate); });
      add(jump, {"the granule position of the Ogg page at byte " + std::to_string(at) +
                 " runs 5.000 s ahead of the audio its packets hold (after "});
      // That page taken out: a gap in the page numbers, and the audio lost.
      std::string gap = bytes;
      gap.erase(at, EditOggPage(gap, 7, [](std::string&) {}) - at);
      add(gap,
          {"1 Ogg page is missing before the page at byte " + std::to_string(at), "s of audio are lost: "});
    }

    MeterRun run = RunMeter({"--plugin", kPlugin, "-t", "RMS", intact});
    EXPECT_EQ(run.code, kExitOk) << stream.name << run.err;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
      const std::string file = folder.Path(std::to_string(i) + stream.name);
      std::ofstream(file, std::ios::binary) << damaged[i].first;
      run = RunMeter({"--plugin", kPlugin, "--json", "-t", "RMS", file});
      EXPECT_EQ(run.code, kExitDamaged) << file << run.err;
      EXPECT_NE(run.out.find("\"damaged\": true"), std::string::npos) << file;
      for (const std::string& finding : damaged[i].second)
        EXPECT_NE(run.err.find(finding), std::string::npos) << file << ": " << finding << "\n" << run.err;
    }
  }
  const std::string tagged = folder.Path("tagged.mp3");
  std::ofstream(tagged, std::ios::binary) << std::string("ID3\x04\0\0\0\0\0\x40", 10) << std::string(64, '\0')
                                          << Bytes(folder.Path("a.mp3")) << "TAG" << std::string(125, 'x');
  const MeterRun run = RunMeter({"--plugin", kPlugin, "-t", "RMS", tagged});
  EXPECT_EQ(run.code, kExitOk) << run.err;
}

}  // namespace
}  // namespace kalvo5::meter::test
