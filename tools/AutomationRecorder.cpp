#include "tools/AutomationRecorder.h"

#include <algorithm>

namespace kalvo5::meter {

AutomationRecorder::AutomationRecorder(int parameterCount) { Reset(parameterCount); }

void AutomationRecorder::Reset(int parameterCount) {
  const auto count = static_cast<std::size_t>(std::max(parameterCount, 0));
  latest_.assign(count, 0.0f);
  written_.assign(count, false);
  writes_ = 0;
}

void AutomationRecorder::Record(int index, float normalized) {
  if (index < 0 || static_cast<std::size_t>(index) >= latest_.size()) return;
  const auto i = static_cast<std::size_t>(index);
  latest_[i] = normalized;
  written_[i] = true;
  ++writes_;
}

std::vector<int> AutomationRecorder::WrittenIndices() const {
  std::vector<int> indices;
  for (std::size_t i = 0; i < written_.size(); ++i) {
    if (written_[i]) indices.push_back(static_cast<int>(i));
  }
  return indices;
}

float AutomationRecorder::Latest(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= latest_.size()) return 0.0f;
  return latest_[static_cast<std::size_t>(index)];
}

}  // namespace kalvo5::meter
