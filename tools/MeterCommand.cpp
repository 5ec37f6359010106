#include "tools/MeterCommand.h"

#include <memory>

#include "tools/AudioFileWriter.h"
#include "tools/AudioSource.h"
#include "tools/ConcatenatedSource.h"
#include "tools/MeterReport.h"
#include "tools/OutputFile.h"
#include "tools/ParameterSetter.h"
#include "tools/PluginFacts.h"
#include "tools/PluginInstance.h"
#include "tools/PluginLibrary.h"
#include "tools/PluginSearch.h"
#include "tools/PresetChunk.h"
#include "tools/SourceMeasurement.h"

namespace kalvo5::meter {
namespace {

struct Failure {
  int code = kExitOk;
  std::string message;
};

// Refuses an audio output of a type it cannot write, and an output that is
// one of the inputs (or the other output), also through another name, before
// anything is opened for writing.
Failure CheckOutputs(const MeterOptions& options) {
  std::vector<std::pair<std::string, std::string>> inputs;
  for (const auto& file : options.files) inputs.emplace_back("input", file);
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
  if (!options.timelinePath.empty() && options.timelinePath != "-") {
    outputs.emplace_back("--csv", options.timelinePath);
  }
  for (std::size_t o = 0; o < outputs.size(); ++o) {
    auto others = inputs;
    others.insert(others.end(), outputs.begin() + static_cast<std::ptrdiff_t>(o) + 1, outputs.end());
    for (const auto& [what, path] : others) {
      if (outputs[o].second == path || SameFile(outputs[o].second, path)) {
        return {kExitUsage, outputs[o].first + " " + outputs[o].second + " is the same file as the " + what +
                                " " + path + "; refusing to overwrite it"};
      }
    }
  }
  return {};
}

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

// The files again, read one after the other as one programme.
std::unique_ptr<AudioSource> TotalSource(const std::vector<std::string>& files, std::string& error) {
  std::vector<std::unique_ptr<AudioSource>> parts;
  for (const auto& path : files) {
    parts.push_back(OpenAudioFile(path, error));
    if (!parts.back()) return nullptr;
  }
  return ConcatenateSources(std::move(parts), error);
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
  if (Failure f = CheckOutputs(options); f.code != kExitOk) return fail(f.code, f.message);

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
  }

  // Open every file first, so a typo fails before a long measurement.
  std::vector<std::unique_ptr<AudioSource>> sources;
  if (options.files.empty()) sources.push_back(MakeReferenceSignal());
  int failure = kExitOk;
  for (const auto& path : options.files) {
    auto source = OpenAudioFile(path, error);
    if (!source) {
      failure = fail(kExitInput, error);
      continue;
    }
    sources.push_back(std::move(source));
  }
  if (failure != kExitOk) return failure;
  if (options.total) {
    std::vector<const AudioSource*> parts;
    for (const auto& source : sources) parts.push_back(source.get());
    if (!CanConcatenate(parts, error)) return fail(kExitInput, error);
  }

  const MeasureJob job{options, *library, presetChunk, progress, out};
  PluginDescription description;
  std::vector<FileReport> reports;
  bool damaged = false;
  for (auto& source : sources) {
    FileReport report;
    if (const int code = MeasureSource(job, *source, report, description, error); code != kExitOk) {
      return fail(code, error);
    }
    if (report.damaged) {
      damaged = true;
      for (const auto& w : report.warnings)
        err << "kalvo5-meter: warning: " << report.source << ": " << w << '\n';
    }
    reports.push_back(std::move(report));
  }

  std::unique_ptr<FileReport> total;
  if (options.total) {
    auto source = TotalSource(options.files, error);
    if (!source) return fail(kExitInput, error);
    // The files' own passes wrote the outputs.
    MeterOptions totalOptions = options;
    totalOptions.audioOutputPath.clear();
    totalOptions.timelinePath.clear();
    total = std::make_unique<FileReport>();
    const MeasureJob totalJob{totalOptions, *library, presetChunk, progress, out};
    if (const int code = MeasureSource(totalJob, *source, *total, description, error); code != kExitOk) {
      return fail(code, error);
    }
  }

  if (options.timelinePath != "-") {
    if (options.format == OutputFormat::kJson) {
      WriteJson(out, description, reports, total.get());
    } else {
      WriteTable(out, description, reports, total.get());
    }
  }
  out.flush();
  if (!out) return fail(kExitOutput, "cannot write the results");
  return damaged ? kExitDamaged : kExitOk;
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
