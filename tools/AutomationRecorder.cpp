#include "tools/AutomationRecorder.h"

#include <algorithm>

namespace kalvo5::meter {

AutomationRecorder::AutomationRecorder(int parameterCount) { Reset(parameterCount); }

void AutomationRecorder::Reset(int parameterCount) {
  std::lock_guard lock(mutex_);
  const auto count = static_cast<std::size_t>(std::max(parameterCount, 0));
  latest_.assign(count, 0.0f);
  lastWriteSeq_.assign(count, 0);
  previousBatch_.clear();
  writes_ = 0;
  writesElsewhere_ = 0;
  lastWrite_ = Clock::time_point{};
}

void AutomationRecorder::Record(int index, float normalized, bool fromRenderThread) {
  {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= latest_.size()) return;
    const auto i = static_cast<std::size_t>(index);
    latest_[i] = normalized;
    lastWriteSeq_[i] = ++writes_;
    if (!fromRenderThread) ++writesElsewhere_;
    lastWrite_ = Clock::now();
  }
  changed_.notify_all();
}

std::uint64_t AutomationRecorder::WriteCount() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

bool AutomationRecorder::BatchSettled(std::uint64_t after, Clock::duration quiet) const {
  if (writes_ <= after) return false;
  if (Clock::now() - lastWrite_ >= quiet) return true;
  if (previousBatch_.empty()) return false;
  return std::all_of(previousBatch_.begin(), previousBatch_.end(),
                     [&](int index) { return lastWriteSeq_[static_cast<std::size_t>(index)] > after; });
}

bool AutomationRecorder::WaitForBatch(std::uint64_t after, Clock::duration timeout, Clock::duration quiet) {
  std::unique_lock lock(mutex_);
  const auto deadline = Clock::now() + timeout;
  if (!changed_.wait_until(lock, deadline, [&] { return writes_ > after; })) return false;
  // The batch has begun; it ends when the parameters written last time have
  // all come again, or when the writer has gone quiet.
  while (!BatchSettled(after, quiet)) {
    changed_.wait_for(lock, quiet / 2 + std::chrono::microseconds(100));
  }
  previousBatch_.clear();
  for (std::size_t i = 0; i < lastWriteSeq_.size(); ++i) {
    if (lastWriteSeq_[i] > after) previousBatch_.push_back(static_cast<int>(i));
  }
  return true;
}

void AutomationRecorder::WaitForQuiet(Clock::duration quiet) {
  std::unique_lock lock(mutex_);
  while (writes_ > 0 && Clock::now() - lastWrite_ < quiet) {
    changed_.wait_for(lock, quiet / 2 + std::chrono::microseconds(100));
  }
}

bool AutomationRecorder::WritesOnlyWhileProcessing() const {
  std::lock_guard lock(mutex_);
  return writes_ > 0 && writesElsewhere_ == 0;
}

std::vector<int> AutomationRecorder::WrittenIndices() const {
  std::lock_guard lock(mutex_);
  std::vector<int> indices;
  for (std::size_t i = 0; i < lastWriteSeq_.size(); ++i) {
    if (lastWriteSeq_[i] > 0) indices.push_back(static_cast<int>(i));
  }
  return indices;
}

float AutomationRecorder::Latest(int index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<std::size_t>(index) >= latest_.size()) return 0.0f;
  return latest_[static_cast<std::size_t>(index)];
}

}  // namespace kalvo5::meter
