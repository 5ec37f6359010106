// A delivery profile: the limits a file's readings must keep to, as a
// broadcaster or a platform states them ("I -23.0 +- 0.5 LU, true peak at
// most -1 dBTP"). Built-in profiles by name, or a custom one written as
// criteria: "I=-23+-0.5,TP<=-1,LRA<=15".
#pragma once

#include <string>
#include <vector>

namespace kalvo5::meter {

struct Criterion {
  enum Op { kWithin, kAtMost, kAtLeast };
  std::string type;     // the analyzer type whose reading it reads ("EBU", "DIAL")
  std::string reading;  // I, LRA, TP, M, S, PLR or peak
  Op op = kWithin;
  double value = 0.0;
  double tolerance = 0.0;  // kWithin: value +- tolerance

  // As written in the custom form, with the type when it is not EBU:
  // "I=-23+-0.5", "DIAL:TP<=-2".
  std::string Text() const;
  // The reading's unit ("LUFS", "dBTP", "LU", "dBFS"; LKFS for DIAL).
  std::string Unit() const;
};

struct DeliveryProfile {
  std::string name;  // the built-in's name, or the custom text
  std::vector<Criterion> criteria;
  // The analyzer types the criteria read (EBU, DIAL), in order.
  std::vector<std::string> Types() const;
};

struct BuiltInProfile {
  const char* name;
  const char* criteria;  // in the custom form
  const char* source;    // where its figures come from
};

// The built-in profiles, for --help and the README.
const std::vector<BuiltInProfile>& BuiltInProfiles();

// A built-in profile's name (letter case aside) or the custom form. False
// with a message that says what is wrong.
bool ParseDeliveryProfile(const std::string& text, DeliveryProfile& profile, std::string& error);

}  // namespace kalvo5::meter
