#include "tools/TextFormat.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace kalvo5::meter {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameText(const std::string& a, const std::string& b) {
  const std::string x = Trimmed(a), y = Trimmed(b);
  return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
           return std::tolower(static_cast<unsigned char>(p)) == std::tolower(static_cast<unsigned char>(q));
         });
}

bool StartsWithWord(const std::string& text, const std::string& word) {
  return !word.empty() && text.size() > word.size() && text[word.size()] == ' ' &&
         SameText(text.substr(0, word.size()), word);
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string ClockTime(double seconds, int decimals) {
  const double unit = std::pow(10.0, decimals);
  const double rounded = std::round(std::max(seconds, 0.0) * unit) / unit;
  const auto whole = static_cast<long long>(rounded);
  const long long hours = whole / 3600, minutes = whole / 60 % 60;
  // The seconds with their decimals, two digits before the point.
  std::string secs = Fixed(rounded - static_cast<double>(whole / 60 * 60), decimals);
  if (secs.size() < static_cast<std::size_t>(decimals > 0 ? decimals + 3 : 2)) secs = "0" + secs;
  char text[64];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%s", hours, minutes, secs.c_str());
  } else {
    std::snprintf(text, sizeof text, "%lld:%s", minutes, secs.c_str());
  }
  return text;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(const std::optional<double>& value, int decimals) {
  return value ? Fixed(*value, decimals) : "null";
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (const char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + "\"";
}

}  // namespace kalvo5::meter
