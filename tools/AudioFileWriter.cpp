#include "tools/AudioFileWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {

int AudioFileWriter::FormatFor(const std::string& path) {
  std::string extension = platform::FsPathToUtf8(platform::Utf8ToFsPath(path).extension());
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (extension == ".aif" || extension == ".aiff") return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
  if (extension == ".flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  if (extension == ".ogg") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  return 0;
}

std::unique_ptr<AudioFileWriter> AudioFileWriter::Create(const std::string& path, int channels,
                                                         double sampleRate, std::string& error) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = static_cast<int>(std::lround(sampleRate));
  info.format = FormatFor(path);
  if (info.format == 0 || sf_format_check(&info) == 0) {
    error = "cannot write audio file " + path + ": use a name ending in one of " + KnownExtensions() +
            " (for " + std::to_string(channels) + " channels at " + std::to_string(info.samplerate) + " Hz)";
    return nullptr;
  }
  auto pending = PendingFile::Create(path, error);
  if (!pending) return nullptr;
  // Through a descriptor: the name may hold characters the system's narrow
  // file calls cannot spell.
  const int descriptor = pending->OpenDescriptor();
  if (descriptor < 0) {
    error = "cannot create audio file " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  SNDFILE* file = sf_open_fd(descriptor, SFM_WRITE, &info, SF_TRUE);
  if (file == nullptr) {
    error = "cannot create audio file " + path + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  std::unique_ptr<AudioFileWriter> writer(new AudioFileWriter());
  const int subtype = info.format & SF_FORMAT_SUBMASK;
  writer->clips_ = subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE && subtype != SF_FORMAT_VORBIS;
  // Without it, a sample beyond full scale wraps round in an integer format.
  if (writer->clips_) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  writer->format_ = info.format;
  writer->pending_ = std::move(pending);
  writer->file_ = file;
  writer->channels_ = channels;
  return writer;
}

AudioFileWriter::~AudioFileWriter() {
  if (file_ != nullptr) sf_close(static_cast<SNDFILE*>(file_));
}

bool AudioFileWriter::Write(const double* const* channels, int channelCount, std::int64_t frames) {
  if (file_ == nullptr || failed_) return false;
  const auto width = static_cast<std::size_t>(channels_);
  interleaved_.assign(static_cast<std::size_t>(frames) * width, 0.0);
  for (int c = 0; c < channelCount && c < channels_; ++c) {
    for (std::int64_t n = 0; n < frames; ++n) {
      interleaved_[static_cast<std::size_t>(n) * width + static_cast<std::size_t>(c)] = channels[c][n];
    }
  }
  if (clips_) {
    clipped_ += std::count_if(interleaved_.begin(), interleaved_.end(),
                              [](double sample) { return std::fabs(sample) > 1.0; });
  }
  if (sf_writef_double(static_cast<SNDFILE*>(file_), interleaved_.data(), frames) != frames) failed_ = true;
  return !failed_;
}

const char* AudioFileWriter::FormatName() const {
  switch (format_ & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_FLAC:
      return "24-bit FLAC";
    case SF_FORMAT_OGG:
      return "Ogg Vorbis";
    case SF_FORMAT_AIFF:
      return "32-bit float AIFF";
    default:
      return "32-bit float WAV";
  }
}

bool AudioFileWriter::Close(std::string& error) {
  error = "cannot write audio file " + pending_->Target();
  if (file_ == nullptr) return false;
  SNDFILE* file = static_cast<SNDFILE*>(file_);
  file_ = nullptr;
  if (failed_) error += std::string(": ") + sf_strerror(file);
  if (sf_close(file) != 0) failed_ = true;
  return !failed_ && pending_->Commit(error);
}

}  // namespace kalvo5::meter
