#include "tools/ConcatenatedSource.h"

#include <algorithm>

namespace kalvo5::meter {
namespace {

class ConcatenatedSource final : public AudioSource {
 public:
  explicit ConcatenatedSource(std::vector<std::unique_ptr<AudioSource>> parts) : parts_(std::move(parts)) {
    for (const auto& part : parts_) {
      if (part->Frames() < 0 || frames_ < 0) {
        frames_ = -1;
      } else {
        frames_ += part->Frames();
      }
    }
  }

  std::string Description() const override { return "total of " + std::to_string(parts_.size()) + " files"; }
  int Channels() const override { return parts_.front()->Channels(); }
  double SampleRate() const override { return parts_.front()->SampleRate(); }
  std::int64_t Frames() const override { return frames_; }

  std::int64_t Read(double* const* channels, std::int64_t frames) override {
    for (; current_ < parts_.size(); ++current_) {
      const std::int64_t got = parts_[current_]->Read(channels, frames);
      if (got != 0) return got;
    }
    return 0;
  }

  std::string ReadError() const override {
    return current_ < parts_.size() ? parts_[current_]->Description() + ": " + parts_[current_]->ReadError()
                                    : "";
  }

  bool LengthIsExact() const override {
    return std::all_of(parts_.begin(), parts_.end(), [](const auto& part) { return part->LengthIsExact(); });
  }

  std::uint64_t MissingDataBytes() const override {
    std::uint64_t missing = 0;
    for (const auto& part : parts_) missing += part->MissingDataBytes();
    return missing;
  }

  // Each part's faults, named by its file; the length a part announces
  // stays with the part.
  StreamCheck StreamStructure() const override {
    StreamCheck total;
    for (const auto& part : parts_) {
      for (const std::string& fault : part->StreamStructure().faults)
        total.faults.push_back(part->Description() + ": " + fault);
    }
    return total;
  }

 private:
  std::vector<std::unique_ptr<AudioSource>> parts_;
  std::size_t current_ = 0;
  std::int64_t frames_ = 0;
};

}  // namespace

bool CanConcatenate(const std::vector<const AudioSource*>& parts, std::string& error) {
  if (parts.empty()) {
    error = "no audio to total";
    return false;
  }
  for (const AudioSource* part : parts) {
    if (part->SampleRate() != parts.front()->SampleRate() || part->Channels() != parts.front()->Channels()) {
      error = "a total needs files of one sample rate and channel count: " + part->Description() +
              " differs from " + parts.front()->Description();
      return false;
    }
  }
  return true;
}

std::unique_ptr<AudioSource> ConcatenateSources(std::vector<std::unique_ptr<AudioSource>> parts,
                                                std::string& error) {
  std::vector<const AudioSource*> view;
  for (const auto& part : parts) view.push_back(part.get());
  if (!CanConcatenate(view, error)) return nullptr;
  return std::make_unique<ConcatenatedSource>(std::move(parts));
}

}  // namespace kalvo5::meter
