// A file's readings against a delivery profile (--check) and --target's
// ceiling: pass or fail, and for each criterion what was read and how far
// past its limit it is.
#pragma once

#include <optional>

#include "tools/DeliveryProfile.h"
#include "tools/MeterReport.h"

namespace kalvo5::meter {

// The peak-to-loudness ratio: the true-peak maximum less the integrated
// loudness, of the EBU type (else the DIAL type); none without both.
std::optional<double> PeakToLoudnessRatio(const FileReport& file, const std::string& type = "");

// The check of a measured file; none when there is neither a profile nor a
// target.
std::optional<CheckReport> CheckDelivery(const DeliveryProfile* profile, const FileReport& file);

}  // namespace kalvo5::meter
