// Running the meter command in-process and making audio files for it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kalvo5::meter::test {

struct MeterRun {
  int code = -1;
  std::string out, err;
};

// Runs the meter command with these arguments (program name added); its
// progress bar, when enabled, goes to `progress`.
MeterRun RunMeter(const std::vector<std::string>& args, std::FILE* progress = nullptr);

// Runs the meter program itself through the shell; out holds its standard
// output and err its standard error. `prefix` goes before the program on the
// command line: environment settings, or a command piped into it.
MeterRun RunMeterProgram(const std::string& args, const std::string& prefix = "");

// A folder of its own below the test temporary folder, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  std::string Path(const std::string& name) const;

 private:
  std::string path_;
};

// Writes an audio file; sample(channel, frame) gives each sample.
// `format` is a libsndfile format code (16-bit WAV by default).
void WriteAudio(const std::string& path, int channels, int sampleRate, long frames,
                const std::function<double(int, long)>& sample, int format = 0);

// A file's bytes; empty when it cannot be read.
std::string Bytes(const std::string& path);

// Edits page `page` (from 0; -1 for the last) of an Ogg file's bytes in
// place, then gives it the checksum its new bytes make, so that only the
// edit is wrong. The page's offset.
std::size_t EditOggPage(std::string& bytes, int page, const std::function<void(std::string& page)>& edit);

// An Ogg page's granule position, and the page with another.
std::int64_t OggGranule(const std::string& page);
void SetOggGranule(std::string& page, std::int64_t granule);

// Reads an audio file whole, channel by channel.
std::vector<std::vector<double>> ReadAudio(const std::string& path, int* sampleRate = nullptr);

// Display texts by parameter name of one section ("settings" or "values")
// of the first result in the command's JSON output; of the analyzer `type`
// when the result holds several side by side.
std::map<std::string, std::string> JsonDisplays(const std::string& json, const std::string& section,
                                                const std::string& type = "");

// The JSON object of the first reading named `name`, as one line.
std::string JsonReading(const std::string& json, const std::string& name);

// The words after `name` on the first table line that starts with it.
std::vector<std::string> TableRow(const std::string& table, const std::string& name);

}  // namespace kalvo5::meter::test
