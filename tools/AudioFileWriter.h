// Writes the plug-in's output as a 32-bit float WAV file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kalvo5::meter {

class AudioFileWriter {
 public:
  // Null with a message when the file cannot be created.
  static std::unique_ptr<AudioFileWriter> Create(const std::string& path, int channels, double sampleRate,
                                                 std::string& error);
  ~AudioFileWriter();
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // Appends `frames` frames of `channels` channel buffers; false on a write
  // error.
  bool Write(const double* const* channels, int channelCount, std::int64_t frames);
  // Flushes and closes; false when anything failed to reach the file.
  bool Close();

 private:
  AudioFileWriter() = default;
  void* file_ = nullptr;  // SNDFILE*
  int channels_ = 0;
  bool failed_ = false;
  std::vector<double> interleaved_;
};

}  // namespace kalvo5::meter
