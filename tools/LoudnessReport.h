// The loudness report (--report): one page per measured file with its
// loudness over time, its readings and what it was checked against, drawn
// into a PNG, SVG or PDF file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/DeliveryProfile.h"
#include "tools/ExitCode.h"
#include "tools/MeterReport.h"

namespace kalvo5::meter {

// What a file was checked against, and the verdict. Every part is optional:
// a page without a check shows the measurement alone.
struct ReportCheck {
  // The integrated loudness the file should have, in the checked type's
  // unit (LUFS; LKFS for DIAL); low == high for a single level.
  std::optional<double> bandLow, bandHigh;
  std::optional<double> ceiling;  // the highest true peak allowed, dBTP
  // The analyzer type whose graph shows the band and the ceiling; empty:
  // the loudness type (EBU), else the first type measured.
  std::string type;
  std::optional<bool> passed;  // none: no verdict
  std::string verdict;         // shown in the page's header; empty: none
};

// One page: a file as the run reported it (with its LoudnessHistory) and
// its check.
struct ReportPageInput {
  const FileReport* file = nullptr;
  ReportCheck check;
};

// The check --target and --ceiling make: the target level as the band and
// whether the true peak with the matched gain stays at or under the ceiling.
ReportCheck CheckOfTarget(const TargetReport& target);

// The check a file's page shows: with a delivery profile (--check), its
// integrated-loudness criterion as the band, its true-peak limit as the
// ceiling and the file's verdict with what failed; else --target's check.
ReportCheck CheckOfFile(const FileReport& file, const DeliveryProfile* profile);

enum class ReportFormat { kUnknown, kPng, kSvg, kPdf };

// By the name's extension, without regard to letter case.
ReportFormat ReportFormatFor(const std::string& path);

// Where page `page` (0 for the first) goes: a PDF holds every page at
// `path`; PNG and SVG have one image per page, the first at `path`, the
// next ones with the page number before the extension (report-2.png,
// report-3.png, ...).
std::string ReportPagePath(const std::string& path, std::size_t page);

// Why --report cannot write `path`, checked before anything is measured
// (an unknown extension; on a system without the report, any name); empty
// when it can.
std::string ReportRefusal(const std::string& path);

// Writes the pages; a failure names the file that could not be written.
Failure WriteLoudnessReport(const std::string& path, const std::vector<ReportPageInput>& pages);

}  // namespace kalvo5::meter
