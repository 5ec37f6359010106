#include "tools/AudioSource.h"

#include <sndfile.h>

#include <cmath>
#include <numbers>

#include "tools/AudioDataExtent.h"
#include "tools/InputFile.h"

namespace kalvo5::meter {
namespace {

class SndFileSource final : public AudioSource {
 public:
  // streamed: the stream announces no length (raw samples, or a header whose
  // writer could not know it), so the length counts as unknown.
  // missingData: what the header announces beyond the file's end, in bytes.
  // structure: what the check of a compressed stream's pages or frames found.
  SndFileSource(SNDFILE* file, const SF_INFO& info, std::string path, bool streamed,
                std::uint64_t missingData = 0, StreamCheck structure = {})
      : file_(file),
        info_(info),
        path_(std::move(path)),
        streamed_(streamed),
        missingData_(missingData),
        structure_(std::move(structure)) {}
  ~SndFileSource() override { sf_close(file_); }

  std::string Description() const override { return path_; }
  int Channels() const override { return info_.channels; }
  double SampleRate() const override { return info_.samplerate; }
  // libsndfile announces the largest count for a stream whose length it
  // cannot tell (an Ogg file cut short): unknown, as for a pipe.
  std::int64_t Frames() const override {
    return info_.frames >= 0 && info_.frames != SF_COUNT_MAX && !streamed_ ? info_.frames : -1;
  }
  bool LengthIsExact() const override {
    const int container = info_.format & SF_FORMAT_TYPEMASK;
    return container != SF_FORMAT_OGG && container != SF_FORMAT_MPEG;
  }

  std::int64_t Read(double* const* channels, std::int64_t frames) override {
    const auto count = static_cast<std::size_t>(info_.channels);
    if (interleaved_.size() < static_cast<std::size_t>(frames) * count) {
      interleaved_.resize(static_cast<std::size_t>(frames) * count);
    }
    const sf_count_t got = sf_readf_double(file_, interleaved_.data(), frames);
    if (got < 0 || (got == 0 && sf_error(file_) != SF_ERR_NO_ERROR)) {
      error_ = sf_strerror(file_);
      return -1;
    }
    for (std::size_t c = 0; c < count; ++c) {
      double* out = channels[c];
      for (sf_count_t n = 0; n < got; ++n) out[n] = interleaved_[static_cast<std::size_t>(n) * count + c];
    }
    return got;
  }

  std::string ReadError() const override { return error_; }

  bool Rewind() override { return !streamed_ && sf_seek(file_, 0, SEEK_SET) == 0; }

  std::uint64_t MissingDataBytes() const override { return missingData_; }

  StreamCheck StreamStructure() const override { return structure_; }

 private:
  SNDFILE* file_;
  SF_INFO info_;
  std::string path_;
  bool streamed_ = false;
  std::uint64_t missingData_ = 0;
  StreamCheck structure_;
  std::string error_;
  std::vector<double> interleaved_;
};

class ReferenceSource final : public AudioSource {
 public:
  ReferenceSource() {
    // 48 samples make exactly one period of 1 kHz at 48 kHz.
    const double amplitude = std::pow(10.0, -23.0 / 20.0);
    for (int n = 0; n < kPeriod; ++n) {
      period_[n] = amplitude * std::sin(2.0 * std::numbers::pi * static_cast<double>(n) / kPeriod);
    }
  }

  std::string Description() const override { return "reference signal (1 kHz sine, -23 dBFS, stereo, 20 s)"; }
  int Channels() const override { return 2; }
  double SampleRate() const override { return kRate; }
  std::int64_t Frames() const override { return kLength; }

  std::int64_t Read(double* const* channels, std::int64_t frames) override {
    const std::int64_t count = std::min(frames, kLength - position_);
    for (std::int64_t n = 0; n < count; ++n) {
      const double x = period_[(position_ + n) % kPeriod];
      channels[0][n] = x;
      channels[1][n] = x;
    }
    position_ += count;
    return count;
  }

  bool Rewind() override {
    position_ = 0;
    return true;
  }

 private:
  static constexpr int kPeriod = 48;
  static constexpr double kRate = 48000.0;
  static constexpr std::int64_t kLength = 20 * 48000;
  double period_[kPeriod] = {};
  std::int64_t position_ = 0;
};

}  // namespace

std::unique_ptr<AudioSource> OpenAudioFile(const std::string& path, std::string& error) {
  InputRefusal refusal;
  auto input = InputFile::Open(path, refusal);
  if (!input) {
    error = RefusalMessage(refusal, "audio file", path);
    if (refusal.kind == InputRefusal::kFolder)
      error += "; with --recursive (-r) a folder stands for the audio files in it and its subfolders";
    return nullptr;
  }
  const auto read = [&](std::uint64_t offset, void* out, std::size_t count) {
    return input->ReadAt(offset, out, count);
  };
  const std::optional<DataExtent> extent = FindDataExtent(read, input->Size());
  StreamCheck structure = CheckStream(read, input->Size());
  SF_INFO info{};
  SNDFILE* file = sf_open_fd(input->Release(), SFM_READ, &info, SF_TRUE);
  if (file == nullptr) {
    error = "cannot read audio file " + path + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  if (info.channels < 1 || info.channels > kMaxChannels) {
    sf_close(file);
    error = "unsupported channel count " + std::to_string(info.channels) + " in " + path + " (1 ... " +
            std::to_string(kMaxChannels) + " channels)";
    return nullptr;
  }
  if (info.samplerate <= 0) {
    sf_close(file);
    error = "audio file has no valid sample rate: " + path;
    return nullptr;
  }
  // The check goes by the file's first bytes; it holds for what libsndfile
  // reads as Ogg or MPEG audio only.
  const int container = info.format & SF_FORMAT_TYPEMASK;
  if (container != SF_FORMAT_OGG && container != SF_FORMAT_MPEG) structure = {};
  return std::make_unique<SndFileSource>(file, info, path, false, extent ? extent->Missing() : 0,
                                         std::move(structure));
}

std::unique_ptr<AudioSource> OpenStandardInput(int rawRate, int rawChannels, std::string& error) {
  SF_INFO info{};
  if (rawRate > 0 && rawChannels > 0) {
    info.samplerate = rawRate;
    info.channels = rawChannels;
    info.format = SF_FORMAT_RAW | SF_FORMAT_FLOAT | SF_ENDIAN_CPU;
  }
  SNDFILE* file = sf_open_fd(0, SFM_READ, &info, SF_FALSE);
  if (file == nullptr) {
    // Most types need a file libsndfile can seek in; a pipe carries WAV or
    // raw samples.
    error = std::string("cannot read audio from standard input (") + sf_strerror(nullptr) +
            "): standard input takes a WAV file, or raw 32-bit float samples with --rate and --channels; "
            "name a file of another type";
    return nullptr;
  }
  if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate <= 0) {
    sf_close(file);
    error = "unsupported channel count or sample rate on standard input";
    return nullptr;
  }
  // Raw samples announce no length: libsndfile's frame count for them is
  // what the largest file would hold. A writer that cannot seek back (ffmpeg
  // into a pipe) leaves the largest size a RIFF header can hold, 4 GiB - 1,
  // in place of the data's length; libsndfile notes the size it read in its
  // log.
  const bool raw = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW;
  std::string log(4096, '\0');
  sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
  const bool placeholder = log.find("\ndata : 4294967295") != std::string::npos;
  return std::make_unique<SndFileSource>(file, info, "-", raw || placeholder);
}

std::unique_ptr<AudioSource> OpenSource(const std::string& path, int rawRate, int rawChannels,
                                        std::string& error) {
  return path == "-" ? OpenStandardInput(rawRate, rawChannels, error) : OpenAudioFile(path, error);
}

std::unique_ptr<AudioSource> MakeReferenceSignal() { return std::make_unique<ReferenceSource>(); }

}  // namespace kalvo5::meter
