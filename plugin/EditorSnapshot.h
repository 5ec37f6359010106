// What the processor sends an editor that runs apart from it, every 50 ms
// period: the type whose readings these are, whether they are the final
// ones, and the readings. As bytes: a mark, then the record as it lies in
// memory (both sides are the same build of the plug-in; a record of another
// size or mark is refused).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/MeasurementReadings.h"

namespace kalvo5 {

struct EditorSnapshot {
  std::int32_t type = 0;
  std::int32_t final = 0;
  MeasurementReadings readings;
};

// The bytes of a snapshot: 0 when `out` is too small.
std::size_t EncodeEditorSnapshot(const EditorSnapshot& snapshot, std::span<std::byte> out);
// False, and `snapshot` unchanged, for bytes that are no snapshot of this
// build.
bool DecodeEditorSnapshot(std::span<const std::byte> bytes, EditorSnapshot& snapshot);

}  // namespace kalvo5
