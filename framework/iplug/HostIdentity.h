// Which host the plug-in runs in, recognised from the host's product string.
#pragma once

#include <string_view>

namespace iplug {

// Host ids that other code compares against (the full list is in the .cpp).
enum EHost : int {
  kHostUninit = -1,  // not asked yet
  kHostUnknown = 0,  // asked, no match
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCakewalk = 5,
  kHostFL = 7,
  kHostAbletonLive = 9,
  kHostForte = 15,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostStudioOne = 26,
  kHostBitwig = 34,
  kHostWaveform = 38,
  kHostIzotopeRX = 42,
  kHostSadie = 46,
};

// The id of the first search key found, case-insensitively, anywhere in the
// product string; 0 when none is (also for an empty string).
int IdentifyHost(std::string_view productString);

// Whether the host takes the integer range of a parameter
// (kVstParameterUsesIntegerMinMax) as the range of the values it sends to
// setParameter, which takes 0 ... 1: Qtractor's generic panel does, so a list
// described to it that way can reach only its last entries. Such a host is
// told only the normalized range, stepped entry by entry.
bool HostSendsIntegerRangeValues(std::string_view productString);

// "Unknown" for 0, -1 and every id without a name.
const char* HostDisplayName(int hostId);

}  // namespace iplug
