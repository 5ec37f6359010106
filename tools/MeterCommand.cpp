#include "tools/MeterCommand.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/TextEncoding.h"
#include "tools/BatchMeasurement.h"
#include "tools/BatchProgress.h"
#include "tools/FileList.h"
#include "tools/LoudnessReport.h"
#include "tools/MeterReport.h"
#include "tools/OutputChecks.h"
#include "tools/ParameterSetter.h"
#include "tools/PluginFacts.h"
#include "tools/PluginInstance.h"
#include "tools/PluginLibrary.h"
#include "tools/PluginSearch.h"
#include "tools/PresetChunk.h"
#include "tools/PresetEffect.h"
#include "tools/ResultsOutput.h"
#include "tools/TotalMeasurement.h"

namespace kalvo5::meter {
namespace {

void ListParameters(std::ostream& out, const PluginLibrary& library, PluginInstance& plugin) {
  std::vector<ParameterReading> parameters;
  std::vector<std::string> choices;
  for (int i = 0; i < plugin.ParameterCount(); ++i) {
    parameters.push_back(ReadParameter(plugin, i));
    choices.push_back(DescribeChoices(plugin, i));
  }
  WriteParameterList(out, DescribePlugin(library, plugin), parameters, choices);
}

void ListPrograms(std::ostream& out, const PluginLibrary& library, const PluginInstance& plugin) {
  std::vector<std::string> names;
  for (int i = 0; i < plugin.ProgramCount(); ++i) names.push_back(plugin.ProgramName(i));
  WriteProgramList(out, DescribePlugin(library, plugin), names);
}

}  // namespace

int RunMeter(const MeterOptions& options, std::ostream& out, std::ostream& err, std::FILE* progress) {
  auto fail = [&](int code, const std::string& message) {
    err << "kalvo5-meter: " << message << '\n';
    return code;
  };
  if (options.help) {
    out << MeterUsage();
    return kExitOk;
  }
  if (options.version) {
    out << "kalvo5-meter " << KALVO5_VERSION_TEXT << '\n';
    return kExitOk;
  }
  const std::vector<std::string> files = ExpandFolders(options.files, options.recursive);
  if (const Failure f = CheckOutputs(options, files); f.Failed()) return fail(f.code, f.message);

  std::string pluginPath = options.pluginPath;
  if (pluginPath.empty()) {
    std::vector<std::string> searched;
    pluginPath = FindDefaultPlugin(searched);
    if (pluginPath.empty()) {
      std::string where;
      for (const auto& s : searched) where += "\n  " + s;
      return fail(kExitPlugin, std::string(kPluginFile) +
                                   " not found; name the plug-in with --plugin PATH. Looked for:" + where);
    }
  }
  std::string error;
  auto library = PluginLibrary::Open(pluginPath, error);
  if (!library) return fail(kExitPlugin, error);

  if (options.listParameters || options.listPrograms) {
    auto plugin = PluginInstance::Create(*library, error);
    if (!plugin) return fail(kExitPlugin, error);
    if (options.listParameters) {
      ListParameters(out, *library, *plugin);
    } else {
      ListPrograms(out, *library, *plugin);
    }
    return kExitOk;
  }

  std::vector<std::uint8_t> presetChunk;
  if (!options.presetPath.empty()) {
    std::string document;
    if (!ReadPresetFile(options.presetPath, document, error)) return fail(kExitInput, error);
    presetChunk = FramePresetDocument(document);
    if (const Failure f = CheckPresetTakesEffect(*library, presetChunk, options.presetPath); f.Failed())
      return fail(f.code, f.message);
  }

  if (options.total) {
    const std::vector<std::string> problems = TotalProblems(options, files);
    for (const auto& problem : problems) fail(kExitInput, problem);
    if (!problems.empty()) return kExitInput;
  }

  // The outputs that only one file can fill are written by one worker.
  std::size_t workers = options.jobs > 0 ? static_cast<std::size_t>(options.jobs)
                                         : std::max(1u, std::thread::hardware_concurrency());
  if (!options.timelinePath.empty() || !options.audioOutputPath.empty() || !options.snapshotPath.empty())
    workers = 1;
  const bool showProgress = options.progress == ProgressMode::kOn ||
                            (options.progress == ProgressMode::kAuto && ProgressBar::StderrIsTerminal());
  const std::string label = files.empty() ? "reference signal"
                            : files.size() == 1
                                ? platform::FsPathToUtf8(platform::Utf8ToFsPath(files.front()).filename())
                                : std::to_string(files.size()) + " files";
  BatchProgress bar(progress, showProgress, std::max<std::size_t>(files.size(), 1), label);
  const std::vector<FileOutcome> outcomes =
      MeasureFiles({options, *library, presetChunk, out, bar}, files, workers);
  bar.Clear();

  PluginDescription description;
  std::vector<FileReport> reports;
  std::size_t unreadable = 0, damaged = 0;
  std::string outputFailure;
  for (const FileOutcome& o : outcomes) {
    if (!o.description.path.empty() && description.path.empty()) description = o.description;
    // A file that cannot be read is listed at the end, as is an output that
    // could not be written after the file was measured; the plug-in refusing
    // a setting or an output refused before measuring ends the run.
    const bool measuredButNotWritten = o.code == kExitOutput && !o.report.analyzers.empty();
    if (o.code != kExitOk && o.code != kExitInput && !measuredButNotWritten) return fail(o.code, o.error);
    if (measuredButNotWritten && outputFailure.empty()) outputFailure = o.error;
    reports.push_back(o.report);
    if (o.code == kExitInput) {
      reports.back().error = o.error;
      ++unreadable;
      continue;
    }
    if (o.report.damaged) ++damaged;
    for (const auto& w : o.report.warnings)
      err << "kalvo5-meter: warning: " << o.report.source << ": " << w << '\n';
  }
  // Nothing read: the plug-in is described by an instance of its own.
  if (description.path.empty()) description = DescribeLibrary(*library);

  std::unique_ptr<FileReport> total;
  if (options.total) {
    total = std::make_unique<FileReport>();
    if (const Failure f = MeasureTotal(options, files, *library, presetChunk, out, progress, showProgress,
                                       *total, description);
        f.Failed()) {
      return fail(f.code, f.message);
    }
  }

  const RunResults results{description, std::move(reports), total.get()};
  if (const Failure f = WriteResults(options, results, out); f.Failed()) return fail(f.code, f.message);
  if (!options.reportPath.empty()) {
    std::vector<ReportPageInput> pages;
    for (const FileReport& r : results.reports)
      pages.push_back({&r, CheckOfFile(r, options.profile ? &*options.profile : nullptr)});
    if (const Failure f = WriteLoudnessReport(options.reportPath, pages); f.Failed())
      return fail(f.code, f.message);
  }
  out.flush();
  if (!out) return fail(kExitOutput, "cannot write the results");
  for (const FileReport& r : results.reports) {
    if (!r.error.empty()) err << "kalvo5-meter: " << r.error << '\n';
  }
  if (!outputFailure.empty()) return fail(kExitOutput, outputFailure);
  // The exit status tells the worst: an unreadable file before a damaged one,
  // which the line then names too.
  if (unreadable > 0) {
    err << "kalvo5-meter: " << unreadable << " of " << files.size() << " files could not be read";
    if (damaged > 0) err << ", " << damaged << " damaged";
    err << '\n';
    return kExitInput;
  }
  if (damaged > 0) return kExitDamaged;
  const auto failed = std::count_if(results.reports.begin(), results.reports.end(),
                                    [](const FileReport& r) { return r.check && !r.check->pass; });
  const bool totalFailed = total && total->check && !total->check->pass;
  if (failed == 0 && !totalFailed) return kExitOk;
  err << "kalvo5-meter: " << failed << " of " << results.reports.size() << " files failed the check"
      << (totalFailed ? ", and so did the total" : "") << '\n';
  return kExitCheckFailed;
}

int MeterMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::FILE* progress) {
  MeterOptions options;
  std::string error;
  if (!ParseMeterOptions(argc, argv, options, error)) {
    err << "kalvo5-meter: " << error << "\nTry \"kalvo5-meter --help\" for the options.\n";
    return kExitUsage;
  }
  return RunMeter(options, out, err, progress);
}

}  // namespace kalvo5::meter
