// Small text helpers the meter command's outputs share.
#pragma once

#include <optional>
#include <string>

namespace kalvo5::meter {

// Without leading and trailing blanks (spaces and tabs).
std::string Trimmed(const std::string& text);

// Equal after trimming, ignoring letter case.
bool SameText(const std::string& a, const std::string& b);

// Whether `text` starts with the word `word` (ignoring letter case) and a
// space: "Dial Channel Config" starts with "DIAL".
bool StartsWithWord(const std::string& text, const std::string& word);

// "%.*f" in the C locale's notation.
std::string Fixed(double value, int decimals);

// A duration as a clock shows it, "1:02:03" or "2:03", with `decimals`
// decimals of the seconds ("2:03.4").
std::string ClockTime(double seconds, int decimals = 0);

// A JSON string literal, quotes included.
std::string JsonString(const std::string& text);

// A number for JSON with `decimals` decimals, or null.
std::string JsonNumber(const std::optional<double>& value, int decimals);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace kalvo5::meter
