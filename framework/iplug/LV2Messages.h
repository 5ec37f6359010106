// The messages between an LV2 processor on this framework and its editor,
// carried as atoms on the message ports (LV2Ports.h), and the URIs they and
// the state are known by.
//
//   Param     editor -> processor: a parameter the editor set;
//             processor -> editor: a parameter the plug-in set itself, or
//             every parameter after Resend or a restored state.
//             Body: int32 index, int32 0, double real value.
//   Snapshot  processor -> editor: what the editor shows (IPlug.h), as
//             the plug-in's own bytes.
//   Resend    editor -> processor: send every parameter. No body.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace iplug {

inline constexpr const char* kLV2ParamURI = "https://www.vantorel.com/ns/iplug-lv2#Param";
inline constexpr const char* kLV2SnapshotURI = "https://www.vantorel.com/ns/iplug-lv2#Snapshot";
inline constexpr const char* kLV2ResendURI = "https://www.vantorel.com/ns/iplug-lv2#Resend";
// The state's one property: the plug-in's state document (atom:String).
inline constexpr const char* kLV2StateURI = "https://www.vantorel.com/ns/iplug-lv2#state";

// The data of the host's feature `uri`; null when the host offers none.
void* LV2FeatureData(const LV2_Feature* const* features, const char* uri);

struct LV2ParamBody {
  std::int32_t index = -1;
  std::int32_t reserved = 0;
  double value = 0.0;
};

// The URIDs of one host's map.
struct LV2Urids {
  explicit LV2Urids(const LV2_URID_Map& map);

  LV2_URID atomSequence;
  LV2_URID atomString;
  LV2_URID atomEventTransfer;
  LV2_URID param;
  LV2_URID snapshot;
  LV2_URID resend;
  LV2_URID state;
  LV2_URID maxBlockLength;
  LV2_URID nominalBlockLength;
  LV2_URID atomInt;
};

// Writes the events of one run into an output sequence the host handed
// over (its atom size is the room there is). Each Put answers false, and
// writes nothing, once the room is used up. The forge was made with the
// host's map beforehand: mapping is no work for the audio thread.
class LV2MessageWriter {
 public:
  LV2MessageWriter(LV2_Atom_Sequence* port, const LV2Urids& urids, LV2_Atom_Forge& forge);
  bool PutParam(int index, double value);
  bool PutSnapshot(std::span<const std::byte> bytes);
  bool PutResend();

 private:
  bool Put(LV2_URID type, const void* body, std::uint32_t size);

  LV2_Atom_Forge& mForge;
  LV2_Atom_Forge_Frame mFrame{};
  const LV2Urids& mUrids;
  bool mOpen = false;
};

}  // namespace iplug
