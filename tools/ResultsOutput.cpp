#include "tools/ResultsOutput.h"

#include <algorithm>
#include <optional>

#include "tools/OutputFile.h"
#include "tools/Summary.h"

namespace kalvo5::meter {
namespace {

std::size_t CountOf(const std::vector<FileReport>& reports, FileStatus status) {
  return static_cast<std::size_t>(
      std::count_if(reports.begin(), reports.end(), [&](const auto& r) { return r.Status() == status; }));
}

// "12 files: 11 measured (1 damaged), 1 could not be read".
void WriteCount(std::ostream& out, const std::vector<FileReport>& reports) {
  const std::size_t unreadable = CountOf(reports, FileStatus::kUnreadable);
  const std::size_t damaged = CountOf(reports, FileStatus::kDamaged);
  out << '\n' << reports.size() << " files: " << reports.size() - unreadable << " measured";
  if (damaged > 0) out << " (" << damaged << " damaged)";
  out << ", " << unreadable << " could not be read\n";
}

}  // namespace

Failure WriteResults(const MeterOptions& options, const RunResults& results, std::ostream& out) {
  const std::vector<FileReport>& reports = results.reports;
  const bool several = reports.size() > 1;
  const bool showSummary = options.summary || (several && !options.details);
  const bool showDetails = options.details || !showSummary;
  std::optional<Summary> summary;
  if (showSummary || !options.summaryCsvPath.empty()) summary = Summarize(reports, results.total);

  if (!options.summaryCsvPath.empty()) {
    const auto write = [&](std::ostream& to) { WriteSummaryCsv(to, *summary); };
    std::string error;
    if (options.summaryCsvPath == "-") {
      write(out);
    } else if (!WriteTextFile(options.summaryCsvPath, write, error)) {
      return {kExitOutput, "--summary-csv: " + error};
    }
  }
  if (options.timelinePath == "-" || options.summaryCsvPath == "-") return {};
  if (options.format == OutputFormat::kJson) {
    WriteJson(out, results.description, reports, results.total, showSummary ? &*summary : nullptr);
    return {};
  }
  const bool measured = CountOf(reports, FileStatus::kUnreadable) < reports.size();
  if (!measured && !showSummary) return {};
  WriteTableHeading(out, results.description);
  if (showDetails) WriteTableResults(out, reports, results.total);
  if (showSummary) WriteSummaryTable(out, *summary);
  if (several) WriteCount(out, reports);
  return {};
}

}  // namespace kalvo5::meter
