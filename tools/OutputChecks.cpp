#include "tools/OutputChecks.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "platform/TextEncoding.h"
#include "tools/AudioFileWriter.h"
#include "tools/LoudnessReport.h"
#include "tools/OutputFile.h"

namespace kalvo5::meter {

Failure CheckOutputs(const MeterOptions& options, const std::vector<std::string>& files) {
  std::vector<std::pair<std::string, std::string>> inputs;
  for (const auto& file : files) inputs.emplace_back("input", file);
  if (!options.presetPath.empty()) inputs.emplace_back("preset", options.presetPath);
  std::vector<std::pair<std::string, std::string>> outputs;
  if (!options.audioOutputPath.empty()) {
    if (AudioFileWriter::FormatFor(options.audioOutputPath) == 0) {
      return {kExitUsage, "--output " + options.audioOutputPath +
                              ": unknown audio file type; use a name ending in " +
                              AudioFileWriter::KnownExtensions()};
    }
    outputs.emplace_back("--output", options.audioOutputPath);
  }
  if (!options.timelinePath.empty()) outputs.emplace_back("--csv", options.timelinePath);
  if (!options.snapshotPath.empty()) outputs.emplace_back("--snapshot", options.snapshotPath);
  if (files.size() > 1 && !outputs.empty()) {
    return {kExitUsage,
            outputs.front().first + " takes one audio file at a time, got " + std::to_string(files.size())};
  }
  if (!options.summaryCsvPath.empty()) outputs.emplace_back("--summary-csv", options.summaryCsvPath);
  if (!options.reportPath.empty()) {
    if (const std::string refusal = ReportRefusal(options.reportPath); !refusal.empty()) {
      return {kExitUsage, "--report " + options.reportPath + ": " + refusal};
    }
    // An image per file: each name is an output of its own.
    const std::size_t pages = ReportFormatFor(options.reportPath) == ReportFormat::kPdf
                                  ? 1
                                  : std::max<std::size_t>(files.size(), 1);
    for (std::size_t page = 0; page < pages; ++page)
      outputs.emplace_back("--report", ReportPagePath(options.reportPath, page));
  }
  std::erase_if(outputs, [](const auto& output) { return output.second == "-"; });
  for (std::size_t o = 0; o < outputs.size(); ++o) {
    if (const std::string refusal = WriteRefusal(outputs[o].second); !refusal.empty()) {
      return {kExitOutput, outputs[o].first + ": " + refusal};
    }
    auto others = inputs;
    others.insert(others.end(), outputs.begin() + static_cast<std::ptrdiff_t>(o) + 1, outputs.end());
    // Only an existing file can be another through another name (a report
    // of many files has as many outputs as inputs).
    std::error_code ec;
    const bool exists = std::filesystem::exists(platform::Utf8ToFsPath(outputs[o].second), ec);
    for (const auto& [what, path] : others) {
      if (outputs[o].second == path || (exists && SameFile(outputs[o].second, path))) {
        return {kExitUsage, outputs[o].first + " " + outputs[o].second + " is the same file as the " + what +
                                " " + path + "; refusing to overwrite it"};
      }
    }
  }
  return {};
}

}  // namespace kalvo5::meter
