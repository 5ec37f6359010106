// Writes the plug-in's output as an audio file of the type its name ends
// in: .wav, .aif/.aiff (32-bit float), .flac (24-bit), .ogg (Vorbis). The file
// appears under its name only when it is complete (Close); until then it is
// written under a temporary name beside it. Samples beyond full scale are
// clipped in the integer formats (FLAC) and counted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/OutputFile.h"

namespace kalvo5::meter {

class AudioFileWriter {
 public:
  // The libsndfile format for a file name's extension (letter case aside);
  // 0 when there is none.
  static int FormatFor(const std::string& path);
  // The extensions FormatFor knows, for messages.
  static const char* KnownExtensions() { return ".wav, .aif, .aiff, .flac, .ogg"; }

  // Null with a message when the file cannot be created.
  static std::unique_ptr<AudioFileWriter> Create(const std::string& path, int channels, double sampleRate,
                                                 std::string& error);
  ~AudioFileWriter();  // without Close: the file is abandoned, an older one stays
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // Appends `frames` frames of `channels` channel buffers; false on a write
  // error.
  bool Write(const double* const* channels, int channelCount, std::int64_t frames);
  // Flushes, closes and puts the file in place; false with a message when
  // anything failed.
  bool Close(std::string& error);

  // Samples beyond full scale that the file's integer format clipped.
  std::int64_t ClippedSamples() const { return clipped_; }
  // The file's sample format as a phrase ("24-bit FLAC").
  const char* FormatName() const;

 private:
  AudioFileWriter() = default;
  std::unique_ptr<PendingFile> pending_;
  void* file_ = nullptr;  // SNDFILE*
  int channels_ = 0;
  bool failed_ = false;
  bool clips_ = false;  // an integer format: full scale is a limit
  int format_ = 0;
  std::int64_t clipped_ = 0;
  std::vector<double> interleaved_;
};

}  // namespace kalvo5::meter
