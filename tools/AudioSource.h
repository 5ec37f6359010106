// Where the audio comes from: an audio file read through libsndfile, or the
// embedded reference signal. Both stream in chunks, so files of any length
// need little memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/StreamCheck.h"

namespace kalvo5::meter {

inline constexpr int kMaxChannels = 6;

class AudioSource {
 public:
  virtual ~AudioSource() = default;

  virtual std::string Description() const = 0;
  virtual int Channels() const = 0;
  virtual double SampleRate() const = 0;
  virtual std::int64_t Frames() const = 0;  // total length, -1 when unknown
  // Whether Frames() is the exact length rather than an estimate (the
  // length of a compressed stream such as Vorbis or MP3 is estimated).
  virtual bool LengthIsExact() const { return true; }

  // Reads up to `frames` frames into channels[0 ... Channels()-1] (each with
  // room for `frames` samples). Returns the number read, 0 at the end, -1
  // when the data cannot be read or decoded any further (ReadError says why).
  virtual std::int64_t Read(double* const* channels, std::int64_t frames) = 0;
  virtual std::string ReadError() const { return {}; }

  // Starts reading from the first frame again; false when the source cannot
  // (a stream through a pipe).
  virtual bool Rewind() { return false; }

  // Bytes of audio data the header announces beyond what the file holds,
  // for formats whose header gives the data's size (WAV, RF64, AIFF, ...):
  // their reader trims the length it reports to what is there.
  virtual std::uint64_t MissingDataBytes() const { return 0; }

  // What a check of a compressed stream's own structure found (the pages of
  // an Ogg file, the frames of an MP3), for files read by name.
  virtual StreamCheck StreamStructure() const { return {}; }
};

// Opens an audio file (WAV, FLAC, OGG, AIFF and whatever else libsndfile
// reads). Null with a message for a missing or unreadable file or a channel
// count outside 1 ... 6.
std::unique_ptr<AudioSource> OpenAudioFile(const std::string& path, std::string& error);

// Standard input: a WAV file (or another type libsndfile reads from a pipe),
// or with rawRate and rawChannels both above 0, raw 32-bit float samples,
// interleaved, in the machine's byte order.
std::unique_ptr<AudioSource> OpenStandardInput(int rawRate, int rawChannels, std::string& error);

// A file by its path, or standard input for "-" (see OpenStandardInput).
std::unique_ptr<AudioSource> OpenSource(const std::string& path, int rawRate, int rawChannels,
                                        std::string& error);

// 20 s of a 1 kHz sine at -23 dBFS peak on both channels of a stereo signal
// at 48 kHz: an EBU loudness meter reads -23.0 LUFS integrated.
std::unique_ptr<AudioSource> MakeReferenceSignal();

}  // namespace kalvo5::meter
