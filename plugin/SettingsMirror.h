// The plug-in's plain copy of its settings: one field per non-output
// parameter, holding the last value the parameter reactions accepted. The
// audio thread and the editor read it, never the parameter objects. Each field
// is atomic: the reactions write it from whichever thread changed the
// parameter, and a block sees either the old or the new value.
#pragma once

#include <array>
#include <atomic>

#include "ReadingTable.h"
#include "engine/MeasurementDriver.h"

namespace kalvo5 {

class SettingsMirror {
 public:
  // Starts with the parameter table's defaults.
  SettingsMirror();

  double Get(int index) const { return Slot(index).load(std::memory_order_relaxed); }
  // Integer fields (Enum and Int parameters) hold whole numbers.
  int GetInt(int index) const { return static_cast<int>(Get(index)); }
  void Set(int index, double value) { Slot(index).store(value, std::memory_order_relaxed); }
  void SetInt(int index, int value) { Set(index, static_cast<double>(value)); }

  void CopyTo(double (&values)[kNumParams]) const;

  // What the measurement is created with, and what one block reads.
  AnalyzerSetup Setup() const;
  BlockSettings ForBlock() const;

 private:
  // Out-of-range indices share one scratch field, so a stray index is harmless.
  std::atomic<double>& Slot(int index) {
    return index >= 0 && index < kNumParams ? mValues[static_cast<std::size_t>(index)] : mStray;
  }
  const std::atomic<double>& Slot(int index) const {
    return index >= 0 && index < kNumParams ? mValues[static_cast<std::size_t>(index)] : mStray;
  }

  std::array<std::atomic<double>, kNumParams> mValues;
  std::atomic<double> mStray{0.0};
};

}  // namespace kalvo5
