// Gain to a loudness target, by the plug-in's own arithmetic: after a
// measurement, its "Match EBU I" trigger moves "EBU Gain" so that the
// integrated loudness meets "EBU RefLevel" (set to the target before the
// measurement), and the true peak follows the gain. There is no limiter: a
// true peak over the ceiling is reported, not prevented.
#pragma once

#include <string>
#include <vector>

#include "tools/MeterReport.h"
#include "tools/PluginInstance.h"

namespace kalvo5::meter {

// Matches the gain of `plugin`, which measured `analyzer`, to its reference
// level and leaves the gain on the plug-in's own display steps. A reading
// without a value gives no gain (noGain says why). False with a message when
// the plug-in lacks the parameters.
bool MatchTarget(PluginInstance& plugin, const AnalyzerReport& analyzer, double ceiling, TargetReport& result,
                 std::string& error);

// Warnings about a match: the true peak over the ceiling, a gain that stops
// at the end of its range short of the target.
std::vector<std::string> TargetWarnings(const TargetReport& result);

}  // namespace kalvo5::meter
