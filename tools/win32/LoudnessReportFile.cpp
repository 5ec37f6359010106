// The Windows meter draws no loudness report: its cairo has neither the
// fonts the pages are set in nor the SVG and PDF surfaces.
#include "tools/LoudnessReport.h"

namespace kalvo5::meter {

std::string ReportRefusal(const std::string&) {
  return "the Windows meter draws no loudness report; use the Linux meter for --report";
}

Failure WriteLoudnessReport(const std::string& path, const std::vector<ReportPageInput>&) {
  return {kExitUsage, "--report " + path + ": " + ReportRefusal(path)};
}

}  // namespace kalvo5::meter
