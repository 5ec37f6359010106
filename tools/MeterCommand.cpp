#include "tools/MeterCommand.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "tools/AudioFileWriter.h"
#include "tools/AudioSource.h"
#include "tools/ConcatenatedSource.h"
#include "tools/InstanceSetup.h"
#include "tools/KnownPlugins.h"
#include "tools/MeterReport.h"
#include "tools/OutputFile.h"
#include "tools/ParameterSetter.h"
#include "tools/PluginInstance.h"
#include "tools/PluginLibrary.h"
#include "tools/PluginSearch.h"
#include "tools/PresetChunk.h"
#include "tools/ProgressBar.h"
#include "tools/RenderLoop.h"
#include "tools/TextFormat.h"
#include "tools/Timeline.h"

namespace kalvo5::meter {
namespace {

namespace fs = std::filesystem;

// The analyzer types measured side by side when none is asked for.
const std::vector<std::string> kAllTypes = {"RMS", "EBU", "DIAL"};

struct Failure {
  int code = kExitOk;
  std::string message;
};

ParameterReading Reading(const PluginInstance& plugin, int index) {
  return {
      index, plugin.ParameterName(index), plugin.ParameterDisplay(index), plugin.ParameterLabel(index), {}};
}

PluginDescription Describe(const PluginLibrary& library, const PluginInstance& plugin) {
  PluginDescription d;
  d.path = library.Path();
  d.entry = library.EntryName();
  d.name = plugin.EffectName();
  d.vendor = plugin.VendorName();
  d.product = plugin.ProductName();
  if (d.name.empty()) d.name = fs::path(library.Path()).stem().string();
  d.parameters = plugin.ParameterCount();
  d.inputs = plugin.InputCount();
  d.outputs = plugin.OutputCount();
  return d;
}

// What one source is measured with: the instances, one per analyzer type,
// and what each was set to.
struct Measurement {
  PluginDescription description;
  bool doublePrecision = true;
  std::vector<std::unique_ptr<PluginInstance>> instances;
  std::vector<std::string> types;         // empty text: the type was left alone
  std::vector<std::vector<int>> touched;  // parameters set, per instance
  std::vector<PluginInstance*> Pointers() const {
    std::vector<PluginInstance*> out;
    for (const auto& i : instances) out.push_back(i.get());
    return out;
  }
};

struct Job {
  const MeterOptions& options;
  const PluginLibrary& library;
  const std::vector<std::uint8_t>& presetChunk;
};

// The analyzer types to measure: the one asked for; else all three when
// the plug-in has a type parameter the command line leaves alone.
std::vector<std::string> TypesFor(const MeterOptions& options, const PluginInstance& first,
                                  const InstanceSetup& setup) {
  if (!options.type.empty()) return {options.type};
  if (first.FindParameter(kTypeParameter) < 0 || SetsParameter(setup, kTypeParameter)) return {""};
  return kAllTypes;
}

// Creates and sets up the instances. The first one also tells what the
// plug-in is, whether it can take the file, the sample precision and the
// analyzer types to measure.
Failure Prepare(const Job& job, const AudioSource& source, Measurement& m) {
  const MeterOptions& options = job.options;
  InstanceSetup setup;
  setup.programName = options.programName;
  setup.presetChunk = job.presetChunk;
  setup.presetLabel = options.presetPath;
  setup.channels = source.Channels();
  setup.settings = options.settings;
  std::string error;
  for (std::size_t i = 0; i == 0 || i < m.types.size(); ++i) {
    auto plugin = PluginInstance::Create(job.library, error);
    if (!plugin) return {kExitPlugin, error};
    if (i == 0) {
      m.description = Describe(job.library, *plugin);
      if (source.Channels() > plugin->InputCount()) {
        return {kExitInput, source.Description() + ": unsupported channel count " +
                                std::to_string(source.Channels()) + " (the plug-in has " +
                                std::to_string(plugin->InputCount()) + " inputs)"};
      }
      if (const auto rates = SupportedSampleRates(*plugin);
          rates && !(source.SampleRate() >= rates->lowest && source.SampleRate() <= rates->highest)) {
        return {kExitInput, source.Description() + ": sample rate " + Fixed(source.SampleRate(), 0) +
                                " Hz is not supported by " + m.description.name + " (" +
                                Fixed(rates->lowest, 0) + " ... " + Fixed(rates->highest, 0) + " Hz)"};
      }
      m.doublePrecision = options.precision != Precision::k32 && plugin->CanDoubleReplacing();
      if (options.precision == Precision::k64 && !m.doublePrecision) {
        return {kExitPlugin, "the plug-in cannot process 64-bit audio"};
      }
      m.types = TypesFor(options, *plugin, setup);
    }
    plugin->Configure(source.SampleRate(), options.blockSize, m.doublePrecision);
    setup.type = m.types[i];
    std::vector<int> touched;
    if (!SetUpInstance(*plugin, setup, touched, error)) return {kExitPlugin, error};
    m.touched.push_back(std::move(touched));
    m.instances.push_back(std::move(plugin));
  }
  return {};
}

// A level (dBFS, dBTP, LUFS, LKFS) that shows what the bottom of its range
// shows (-144 dBFS for silence, -70 LUFS for an integrated loudness with
// nothing above the absolute gate) measured nothing. Known only from
// plug-ins that tell the display of a value.
bool IsLevelAtItsFloor(const PluginInstance& plugin, const ParameterReading& reading) {
  static const char* const kLevelUnits[] = {"dBFS", "dBTP", "LUFS", "LKFS"};
  if (std::none_of(std::begin(kLevelUnits), std::end(kLevelUnits),
                   [&](const char* unit) { return reading.label == unit; })) {
    return false;
  }
  const auto floor = plugin.DisplayOfValueIfAnswered(reading.index, 0.0f);
  return floor && Trimmed(*floor) == Trimmed(reading.display);
}

// What one instance reported: what the plug-in wrote as automation, or
// every parameter when asked or when it wrote nothing.
AnalyzerReport Report(const PluginInstance& plugin, const std::string& type, const std::vector<int>& touched,
                      bool allParameters) {
  AnalyzerReport report;
  report.type = type;
  for (int index : touched) report.settings.push_back(Reading(plugin, index));
  std::vector<int> reported = plugin.Host().Automation().WrittenIndices();
  if (allParameters || reported.empty()) {
    reported.clear();
    for (int i = 0; i < plugin.ParameterCount(); ++i) reported.push_back(i);
  }
  for (int index : reported) {
    report.values.push_back(Reading(plugin, index));
    if (IsLevelAtItsFloor(plugin, report.values.back())) {
      report.values.back().noValue = "at the bottom of its range: no signal, or nothing above the gate";
    }
  }
  return report;
}

bool WriteTimeline(const std::string& path, std::ostream& out, const std::vector<TimelineColumn>& columns,
                   const std::vector<TimelineRow>& rows) {
  if (path == "-") {
    WriteTimelineCsv(out, columns, rows);
    return static_cast<bool>(out);
  }
  std::string error;
  auto pending = PendingFile::Create(path, error);
  if (!pending) return false;
  std::ofstream file(pending->TemporaryPath(), std::ios::binary);
  if (!file) return false;
  WriteTimelineCsv(file, columns, rows);
  file.close();
  return !file.fail() && pending->Commit(error);
}

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

Failure MeasureSource(const Job& job, AudioSource& source, std::FILE* progress, std::ostream& out,
                      FileReport& report, PluginDescription& description) {
  const MeterOptions& options = job.options;
  Measurement m;
  const Failure prepared = Prepare(job, source, m);
  description = m.description;
  if (prepared.code != kExitOk) return prepared;
  const bool useDouble = m.doublePrecision;

  std::unique_ptr<AudioFileWriter> writer;
  RenderOptions render;
  render.blockSize = options.blockSize;
  render.doublePrecision = useDouble;
  render.timeline = !options.timelinePath.empty();
  if (!options.audioOutputPath.empty()) {
    std::string error;
    writer = AudioFileWriter::Create(options.audioOutputPath,
                                     std::min(m.instances.front()->OutputCount(), source.Channels()),
                                     source.SampleRate(), error);
    if (!writer) return {kExitOutput, error};
    render.output = [&](const double* const* channels, int count, std::int64_t frames) {
      return writer->Write(channels, count, frames);
    };
  }
  const bool showProgress = options.progress == ProgressMode::kOn ||
                            (options.progress == ProgressMode::kAuto && ProgressBar::StderrIsTerminal());
  const std::string label =
      options.files.empty() ? "reference signal" : fs::path(source.Description()).filename().string();
  ProgressBar bar(progress, showProgress, label);
  render.progress = [&](double fraction) { bar.Update(fraction); };

  const std::vector<PluginInstance*> instances = m.Pointers();
  RenderResult result = Render(instances, source, render);
  if (!result.ok) return {kExitInput, source.Description() + ": " + result.error};
  if (writer && !writer->Close()) return {kExitOutput, "cannot write audio file " + options.audioOutputPath};

  report.source = source.Description();
  report.sampleRate = source.SampleRate();
  report.channels = source.Channels();
  report.frames = result.frames;
  report.blockSize = options.blockSize;
  report.doublePrecision = useDouble;
  report.warnings = result.damage;
  report.warnings.insert(report.warnings.end(), result.warnings.begin(), result.warnings.end());
  report.damaged = !result.damage.empty();
  for (std::size_t i = 0; i < instances.size(); ++i) {
    report.analyzers.push_back(Report(*instances[i], m.types[i], m.touched[i], options.allParameters));
    if (const int stray = instances[i]->Host().StrayAutomationWrites(); stray > 0) {
      report.warnings.push_back((m.types[i].empty() ? "" : m.types[i] + ": ") + "the plug-in wrote " +
                                std::to_string(stray) +
                                " automation values from outside the host's calls; they were ignored");
    }
  }
  if (!options.timelinePath.empty() &&
      !WriteTimeline(options.timelinePath, out, TimelineColumns(instances, m.types), result.timeline)) {
    return {kExitOutput, "cannot write timeline " + options.timelinePath};
  }
  return {};
}

void ListParameters(std::ostream& out, const PluginLibrary& library, PluginInstance& plugin) {
  std::vector<ParameterReading> parameters;
  std::vector<std::string> choices;
  for (int i = 0; i < plugin.ParameterCount(); ++i) {
    parameters.push_back(Reading(plugin, i));
    choices.push_back(DescribeChoices(plugin, i));
  }
  WriteParameterList(out, Describe(library, plugin), parameters, choices);
}

void ListPrograms(std::ostream& out, const PluginLibrary& library, const PluginInstance& plugin) {
  std::vector<std::string> names;
  for (int i = 0; i < plugin.ProgramCount(); ++i) names.push_back(plugin.ProgramName(i));
  WriteProgramList(out, Describe(library, plugin), names);
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

  const Job job{options, *library, presetChunk};
  PluginDescription description;
  std::vector<FileReport> reports;
  bool damaged = false;
  for (auto& source : sources) {
    FileReport report;
    if (Failure f = MeasureSource(job, *source, progress, out, report, description); f.code != kExitOk) {
      return fail(f.code, f.message);
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
    const Job totalJob{totalOptions, *library, presetChunk};
    if (Failure f = MeasureSource(totalJob, *source, progress, out, *total, description); f.code != kExitOk) {
      return fail(f.code, f.message);
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
