#include "LV2Messages.h"

#include <lv2/buf-size/buf-size.h>

#include <cstring>

namespace iplug {

void* LV2FeatureData(const LV2_Feature* const* features, const char* uri) {
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  return nullptr;
}

LV2Urids::LV2Urids(const LV2_URID_Map& map)
    : atomSequence(map.map(map.handle, LV2_ATOM__Sequence)),
      atomString(map.map(map.handle, LV2_ATOM__String)),
      atomEventTransfer(map.map(map.handle, LV2_ATOM__eventTransfer)),
      param(map.map(map.handle, kLV2ParamURI)),
      snapshot(map.map(map.handle, kLV2SnapshotURI)),
      resend(map.map(map.handle, kLV2ResendURI)),
      state(map.map(map.handle, kLV2StateURI)),
      maxBlockLength(map.map(map.handle, LV2_BUF_SIZE__maxBlockLength)),
      nominalBlockLength(map.map(map.handle, LV2_BUF_SIZE__nominalBlockLength)),
      atomInt(map.map(map.handle, LV2_ATOM__Int)) {}

LV2MessageWriter::LV2MessageWriter(LV2_Atom_Sequence* port, const LV2Urids& urids, LV2_Atom_Forge& forge)
    : mForge(forge), mUrids(urids) {
  if (!port) return;
  // The host set the atom's size to the room it gave past the header; the
  // header's 8 bytes are left unused, which keeps within any reading.
  const std::uint32_t room = port->atom.size;
  lv2_atom_forge_set_buffer(&mForge, reinterpret_cast<std::uint8_t*>(port), room);
  mOpen = lv2_atom_forge_sequence_head(&mForge, &mFrame, 0) != 0;
  if (!mOpen) {
    // Too small even for an empty sequence: leave a valid empty one if the
    // header fits at all.
    if (room >= sizeof(LV2_Atom)) port->atom = LV2_Atom{0, urids.atomSequence};
  }
}

bool LV2MessageWriter::Put(LV2_URID type, const void* body, std::uint32_t size) {
  if (!mOpen) return false;
  // Check the room first: a forge that runs out mid-event leaves it half
  // written.
  const std::uint32_t needed = sizeof(LV2_Atom_Event) + lv2_atom_pad_size(size);
  if (mForge.offset + needed > mForge.size) return false;
  lv2_atom_forge_frame_time(&mForge, 0);
  lv2_atom_forge_atom(&mForge, size, type);
  if (size > 0) lv2_atom_forge_write(&mForge, body, size);  // padded to 8 bytes
  return true;
}

bool LV2MessageWriter::PutParam(int index, double value) {
  LV2ParamBody body;
  body.index = index;
  body.value = value;
  return Put(mUrids.param, &body, sizeof(body));
}

bool LV2MessageWriter::PutSnapshot(std::span<const std::byte> bytes) {
  return Put(mUrids.snapshot, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

bool LV2MessageWriter::PutResend() { return Put(mUrids.resend, nullptr, 0); }

}  // namespace iplug
