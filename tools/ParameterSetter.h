// Setting a parameter of any plug-in from the text its display shows: through
// effString2Parameter when the plug-in takes it, else by walking the
// normalized range through setParameter and effGetParamDisplay.
#pragma once

#include <string>
#include <vector>

#include "tools/PluginInstance.h"

namespace kalvo5::meter {

// Sets parameter `index` so that its display reads `text`. A parameter that
// shows at most 64 distinct texts over its range is a list and takes only
// those texts (compared without letter case and surrounding blanks); other
// parameters also take numbers. The plug-in's own text conversion
// (effString2Parameter) comes first and counts when the display then shows
// the text (DisplayShows for a number). Otherwise:
// - a display text (such as "EBU" or "On") is found by sweeping the
//   normalized range and taking the middle of the first run showing it;
// - a number ("-23", "600 ms") is found by bisection between the two sweep
//   points whose displayed numbers enclose it; the closest displayed value
//   wins when the display cannot show it exactly.
// On failure the parameter is put back as it was and error explains why.
bool SetParameterFromText(PluginInstance& plugin, int index, const std::string& text, std::string& error);

// The displays of a parameter at 201 evenly spaced normalized values, read
// through the Cockos extension when the plug-in answers it (the parameter
// stays untouched), else by setting each value and putting the old one back.
std::vector<std::string> SweepDisplays(PluginInstance& plugin, int index);

// The texts of a list parameter (one that shows at most 64 distinct texts
// over its range), in order; empty for a continuous parameter.
std::vector<std::string> ListTexts(PluginInstance& plugin, int index);

// What a parameter can be set to: a list's entries ("RMS | EBU | DIAL"), or
// the range a continuous parameter shows ("-60.00 ... 12.00").
std::string DescribeChoices(PluginInstance& plugin, int index);

// Same, with the parameter named as the plug-in names it.
bool SetParameterByName(PluginInstance& plugin, const std::string& name, const std::string& text,
                        std::string& error);

}  // namespace kalvo5::meter
