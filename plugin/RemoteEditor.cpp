// The plug-in's share of an editor that runs apart from the processor: the
// processor sends the readings of every 50 ms period, the editor's own copy
// of the plug-in shows them.
#include "plugin/Kalvo5.h"

namespace kalvo5 {

std::size_t Kalvo5::TakeEditorSnapshot(std::span<std::byte> out) {
  if (!mPeriodDue) return 0;
  EditorSnapshot snapshot;
  snapshot.type = mSettings.GetInt(kType);
  snapshot.final = mShowFinalReadings.load(std::memory_order_relaxed) ? 1 : 0;
  snapshot.readings = DisplayedReadings(snapshot.type);
  return EncodeEditorSnapshot(snapshot, out);
}

void Kalvo5::ShowEditorSnapshot(std::span<const std::byte> bytes) {
  if (!DecodeEditorSnapshot(bytes, mRemoteSnapshot)) return;
  mShowsRemoteSnapshot = true;
  Request(IdleRequest::MeterRefresh);
  Request(IdleRequest::ReadoutRefresh);
}

}  // namespace kalvo5
