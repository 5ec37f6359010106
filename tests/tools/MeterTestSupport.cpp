#include "MeterTestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/MeterCommand.h"

namespace kalvo5::meter::test {

namespace fs = std::filesystem;

MeterRun RunMeter(const std::vector<std::string>& args, std::FILE* progress) {
  std::vector<const char*> argv{"kalvo5-meter"};
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  MeterRun run;
  run.code = MeterMain(static_cast<int>(argv.size()), argv.data(), out, err, progress);
  run.out = out.str();
  run.err = err.str();
  return run;
}

MeterRun RunMeterProgram(const std::string& args, const std::string& prefix) {
  TempFolder folder;
  const std::string errFile = folder.Path("stderr.txt");
  const std::string command =
      prefix + " '" + std::string(KALVO5_METER_PROGRAM) + "' " + args + " 2>'" + errFile + "'";
  MeterRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  return run;
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  path_ = (fs::path(::testing::TempDir()) /
           ("kalvo5-meter-" + std::to_string(getpid()) + "-" + std::to_string(counter++)))
              .string();
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempFolder::Path(const std::string& name) const { return (fs::path(path_) / name).string(); }

void WriteAudio(const std::string& path, int channels, int sampleRate, long frames,
                const std::function<double(int, long)>& sample, int format) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = format != 0 ? format : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<double> interleaved(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
  for (long n = 0; n < frames; ++n) {
    for (int c = 0; c < channels; ++c) {
      interleaved[static_cast<std::size_t>(n * channels + c)] = sample(c, n);
    }
  }
  EXPECT_EQ(sf_writef_double(file, interleaved.data(), frames), frames);
  sf_close(file);
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::size_t EditOggPage(std::string& bytes, int page, const std::function<void(std::string& page)>& edit) {
  std::vector<std::pair<std::size_t, std::size_t>> pages;  // offset, size
  for (std::size_t at = 0; at + 27 <= bytes.size() && bytes.compare(at, 4, "OggS") == 0;) {
    const auto segments = static_cast<unsigned char>(bytes[at + 26]);
    std::size_t size = 27 + segments;
    for (std::size_t i = 0; i < segments; ++i) size += static_cast<unsigned char>(bytes[at + 27 + i]);
    pages.emplace_back(at, size);
    at += size;
  }
  const auto [offset, size] = pages.at(page < 0 ? pages.size() - 1 : static_cast<std::size_t>(page));
  std::string edited = bytes.substr(offset, size);
  edit(edited);
  // CRC-32, polynomial 0x04c11db7, most significant bit first, over the
  // page with its checksum field zero.
  edited.replace(22, 4, 4, '\0');
  std::uint32_t crc = 0;
  for (const char c : edited) {
    crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04c11db7u : crc << 1;
  }
  for (std::size_t i = 0; i < 4; ++i) edited[22 + i] = static_cast<char>(crc >> (8 * i));
  bytes.replace(offset, size, edited);
  return offset;
}

std::int64_t OggGranule(const std::string& page) {
  std::uint64_t granule = 0;
  for (std::size_t i = 0; i < 8; ++i)
    granule |= std::uint64_t{static_cast<unsigned char>(page[6 + i])} << (8 * i);
  return static_cast<std::int64_t>(granule);
}

void SetOggGranule(std::string& page, std::int64_t granule) {
  for (std::size_t i = 0; i < 8; ++i)
    page[6 + i] = static_cast<char>(static_cast<std::uint64_t>(granule) >> (8 * i));
}

std::vector<std::vector<double>> ReadAudio(const std::string& path, int* sampleRate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return {};
  std::vector<double> interleaved(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_double(file, interleaved.data(), info.frames);
  sf_close(file);
  if (sampleRate != nullptr) *sampleRate = info.samplerate;
  std::vector<std::vector<double>> channels(static_cast<std::size_t>(info.channels));
  for (sf_count_t n = 0; n < info.frames; ++n) {
    for (int c = 0; c < info.channels; ++c) {
      channels[static_cast<std::size_t>(c)].push_back(
          interleaved[static_cast<std::size_t>(n * info.channels + c)]);
    }
  }
  return channels;
}

std::map<std::string, std::string> JsonDisplays(const std::string& json, const std::string& section,
                                                const std::string& type) {
  std::map<std::string, std::string> displays;
  const auto from = type.empty() ? 0 : json.find("\"" + type + "\": {");
  if (from == std::string::npos) return displays;
  const auto start = json.find("\"" + section + "\": [", from);
  if (start == std::string::npos) return displays;
  const auto end = json.find(']', start);
  const std::string part = json.substr(start, end - start);
  const std::string nameKey = "\"name\": \"", displayKey = "\", \"display\": \"";
  for (auto at = part.find(nameKey); at != std::string::npos; at = part.find(nameKey, at + 1)) {
    const auto nameStart = at + nameKey.size();
    const auto nameEnd = part.find(displayKey, nameStart);
    if (nameEnd == std::string::npos) break;
    const auto displayStart = nameEnd + displayKey.size();
    const auto displayEnd = part.find('"', displayStart);
    if (displayEnd == std::string::npos) break;
    displays[part.substr(nameStart, nameEnd - nameStart)] =
        part.substr(displayStart, displayEnd - displayStart);
  }
  return displays;
}

std::string JsonReading(const std::string& json, const std::string& name) {
  const auto at = json.find("\"name\": \"" + name + "\"");
  if (at == std::string::npos) return {};
  const auto from = json.rfind('{', at);
  return json.substr(from, json.find('}', at) + 1 - from);
}

std::vector<std::string> TableRow(const std::string& table, const std::string& name) {
  const std::string start = "\n  " + name + " ";
  const auto at = table.find(start);
  if (at == std::string::npos) return {};
  const auto from = at + start.size();
  std::stringstream line(table.substr(from, table.find('\n', from) - from));
  std::vector<std::string> words;
  for (std::string word; line >> word;) words.push_back(word);
  return words;
}

}  // namespace kalvo5::meter::test
