// Numbers in the texts a plug-in displays for its parameters.
#pragma once

#include <string>

namespace kalvo5::meter {

// The number a display text starts with (leading blanks allowed, a unit may
// follow); false when it does not start with one.
bool LeadingNumber(const std::string& text, double& number);

// The number a display shows when the whole text is one number; else false.
bool DisplayedNumber(const std::string& display, double& number);

// Decimal places of the number a display starts with.
int DisplayedDecimals(const std::string& display);

// Whether a display shows `text`: the same words (without letter case and
// surrounding blanks), or the number `text` starts with as the display
// rounds it ("-12.35" shows "-12.3456", "600" shows "600.0").
bool DisplayShows(const std::string& display, const std::string& text);

}  // namespace kalvo5::meter
