#include "tools/DeliveryProfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

// The readings each type's criteria may name.
bool TypeHasReading(const std::string& type, const std::string& reading) {
  static const std::vector<std::string> kEbu = {"I", "LRA", "TP", "M", "S", "PLR", "peak"};
  static const std::vector<std::string> kDial = {"I", "LRA", "TP", "S", "PLR", "peak"};
  const auto& names = type == "DIAL" ? kDial : kEbu;
  return std::find(names.begin(), names.end(), reading) != names.end();
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool ParseNumber(std::string_view text, double& value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// The reading's canonical name (I, LRA, TP, M, S, PLR, peak) from any
// letter case; empty when it is none.
std::string CanonicalReading(std::string_view text) {
  for (const char* name : {"I", "LRA", "TP", "M", "S", "PLR", "peak"}) {
    if (SameText(std::string(text), name)) return name;
  }
  return {};
}

bool ParseCriterion(std::string_view text, Criterion& c, std::string& error) {
  const std::string written(Trim(text));
  const auto fail = [&](const std::string& why) {
    error = "--check: \"" + written + "\": " + why;
    return false;
  };
  std::string_view rest = Trim(text);
  c.type = "EBU";
  if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
    const std::string type(Trim(rest.substr(0, colon)));
    if (!SameText(type, "EBU") && !SameText(type, "DIAL")) return fail("the type is EBU or DIAL");
    c.type = SameText(type, "EBU") ? "EBU" : "DIAL";
    rest = rest.substr(colon + 1);
  }
  const auto op = rest.find_first_of("<>=");
  if (op == std::string_view::npos)
    return fail("a criterion is READING=VALUE+-TOLERANCE, READING<=VALUE or READING>=VALUE");
  c.reading = CanonicalReading(Trim(rest.substr(0, op)));
  if (c.reading.empty()) return fail("the readings are I, LRA, TP, M, S, PLR and peak");
  if (!TypeHasReading(c.type, c.reading))
    return fail("the " + c.type + " type has no " + c.reading + " reading");
  std::string_view operand;
  if (rest.substr(op, 2) == "<=" || rest.substr(op, 2) == ">=") {
    c.op = rest[op] == '<' ? Criterion::kAtMost : Criterion::kAtLeast;
    operand = rest.substr(op + 2);
    if (!ParseNumber(operand, c.value)) return fail("no number after " + std::string(rest.substr(op, 2)));
    return true;
  }
  if (rest[op] != '=') return fail("the comparisons are =, <= and >=");
  c.op = Criterion::kWithin;
  operand = rest.substr(op + 1);
  // "+-", or the plus-minus sign (two bytes in UTF-8 too).
  std::size_t plusMinus = operand.find("+-");
  if (plusMinus == std::string_view::npos) plusMinus = operand.find("\xC2\xB1");
  if (plusMinus == std::string_view::npos) return fail("= takes a tolerance: VALUE+-TOLERANCE");
  if (!ParseNumber(operand.substr(0, plusMinus), c.value)) return fail("no number before the tolerance");
  if (!ParseNumber(operand.substr(plusMinus + 2), c.tolerance) || c.tolerance < 0.0)
    return fail("the tolerance is a number, 0 or more");
  return true;
}

}  // namespace

std::string Criterion::Text() const {
  const std::string prefix = type == "EBU" ? "" : type + ":";
  const auto number = [](double v) {
    std::string text = Fixed(v, 2);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
  };
  switch (op) {
    case kWithin:
      return prefix + reading + "=" + number(value) + "+-" + number(tolerance);
    case kAtMost:
      return prefix + reading + "<=" + number(value);
    case kAtLeast:
      break;
  }
  return prefix + reading + ">=" + number(value);
}

std::string Criterion::Unit() const {
  if (reading == "TP") return "dBTP";
  if (reading == "peak") return "dBFS";
  if (reading == "LRA" || reading == "PLR") return "LU";
  return type == "DIAL" ? "LKFS" : "LUFS";
}

std::vector<std::string> DeliveryProfile::Types() const {
  std::vector<std::string> types;
  for (const auto& c : criteria) {
    if (std::find(types.begin(), types.end(), c.type) == types.end()) types.push_back(c.type);
  }
  return types;
}

const std::vector<BuiltInProfile>& BuiltInProfiles() {
  static const std::vector<BuiltInProfile> kProfiles = {
      {"ebu-r128", "I=-23+-0.5,TP<=-1",
       "EBU R 128 (2020): -23 LUFS as the factory preset \"LUFS EBU R128\"; +-0.5 LU for programmes "
       "that can be normalised, a true peak of at most -1 dBTP"},
      {"ebu-r128-live", "I=-23+-1,TP<=-1", "EBU R 128 for live programmes: +-1 LU"},
      {"atsc-a85", "I=-24+-2,TP<=-2",
       "ATSC A/85 (2013): -24 LKFS as the factory preset \"LKFS ATSC A/85\", +-2 dB, true peak at most -2 "
       "dBTP"},
      {"streaming-dialogue", "DIAL:I=-27+-2,DIAL:TP<=-2",
       "dialogue-gated streaming delivery: -27 LKFS of dialogue as the factory preset \"Netflix 2020 LKFS\", "
       "+-2 LU, true peak at most -2 dBTP"},
      {"streaming-music-14", "I=-14+-1,TP<=-1",
       "music streaming at -14 LUFS as the factory preset \"LU -14 (-14LUFS)\", +-1 LU, true peak at most -1 "
       "dBTP"},
      {"streaming-music-16", "I=-16+-1,TP<=-1",
       "music streaming at -16 LUFS as the factory preset \"LU -16 (-16LUFS)\", +-1 LU, true peak at most -1 "
       "dBTP"},
  };
  return kProfiles;
}

bool ParseDeliveryProfile(const std::string& text, DeliveryProfile& profile, std::string& error) {
  profile = {};
  for (const auto& builtIn : BuiltInProfiles()) {
    if (!SameText(text, builtIn.name)) continue;
    const bool parsed = ParseDeliveryProfile(builtIn.criteria, profile, error);
    profile.name = builtIn.name;
    return parsed;
  }
  const bool custom = text.find_first_of("<>=") != std::string::npos;
  if (!custom) {
    error = "--check: unknown profile \"" + text + "\" (the profiles:";
    for (const auto& builtIn : BuiltInProfiles()) error += std::string(" ") + builtIn.name;
    error += "; or criteria such as \"I=-23+-0.5,TP<=-1\")";
    return false;
  }
  profile.name = text;
  std::string_view rest = text;
  while (true) {
    const auto comma = rest.find(',');
    Criterion c;
    if (!ParseCriterion(rest.substr(0, comma), c, error)) return false;
    profile.criteria.push_back(c);
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  return true;
}

}  // namespace kalvo5::meter
