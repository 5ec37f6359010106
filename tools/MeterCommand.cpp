#include "tools/MeterCommand.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "tools/AudioFileWriter.h"
#include "tools/AudioSource.h"
#include "tools/ChannelLayout.h"
#include "tools/MeterReport.h"
#include "tools/ParameterSetter.h"
#include "tools/PluginInstance.h"
#include "tools/PluginLibrary.h"
#include "tools/PresetChunk.h"
#include "tools/ProgressBar.h"
#include "tools/RenderLoop.h"

namespace kalvo5::meter {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPluginFile = "Kalvo5.so";
constexpr const char* kTypeParameter = "Type";
constexpr const char* kAutomationSwitch = "WriteAutomationData";

struct Failure {
  int code = kExitOk;
  std::string message;
};

void AppendSearchPath(std::vector<std::string>& out, const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr) return;
  std::stringstream list(value);
  std::string folder;
  while (std::getline(list, folder, ':')) {
    if (!folder.empty()) out.push_back((fs::path(folder) / kPluginFile).string());
  }
}

std::string FindDefaultPlugin(std::vector<std::string>& searched) {
  searched = DefaultPluginCandidates();
  std::error_code ec;
  for (const auto& candidate : searched) {
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

ParameterReading Reading(const PluginInstance& plugin, int index) {
  return {index, plugin.ParameterName(index), plugin.ParameterDisplay(index), plugin.ParameterLabel(index)};
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

bool SetExplicitly(const MeterOptions& options, const std::string& name) {
  return std::any_of(options.settings.begin(), options.settings.end(),
                     [&](const auto& s) { return s.first == name; });
}

// Applies the preset and the settings of the command line, in this order:
// preset, channel layout of the file, automation output on, analyzer type,
// then every --set. Collects the parameters set, in index order.
Failure ApplySettings(PluginInstance& plugin, const MeterOptions& options, const std::string& preset,
                      int channels, std::vector<int>& touched) {
  std::string error;
  if (!options.presetPath.empty() && !ApplyPreset(plugin, FramePresetDocument(preset), error)) {
    return {kExitPlugin, options.presetPath + ": " + error};
  }
  auto set = [&](const std::string& name, const std::string& text) -> bool {
    const int index = plugin.FindParameter(name);
    if (index < 0) {
      error = "the plug-in has no parameter named \"" + name + "\"";
      return false;
    }
    if (!SetParameterFromText(plugin, index, text, error)) return false;
    if (std::find(touched.begin(), touched.end(), index) == touched.end()) touched.push_back(index);
    return true;
  };
  // Settings that suit the file but that a plug-in without them simply lacks.
  for (const auto& [name, text] : ChannelConfigurationsFor(channels)) {
    if (!SetExplicitly(options, name) && plugin.FindParameter(name) >= 0 && !set(name, text)) {
      return {kExitPlugin, error};
    }
  }
  if (!SetExplicitly(options, kAutomationSwitch) && plugin.FindParameter(kAutomationSwitch) >= 0 &&
      !set(kAutomationSwitch, "On")) {
    return {kExitPlugin, error};
  }
  if (!options.type.empty() && !set(kTypeParameter, options.type)) return {kExitPlugin, "--type: " + error};
  for (const auto& [name, text] : options.settings) {
    if (!set(name, text)) return {kExitPlugin, "--set " + name + "=" + text + ": " + error};
  }
  std::sort(touched.begin(), touched.end());
  return {};
}

struct Job {
  const MeterOptions& options;
  const PluginLibrary& library;
  const std::string& preset;
  std::ostream& err;
  std::FILE* progress;
};

Failure MeasureSource(const Job& job, AudioSource& source, FileReport& report, PluginDescription& description,
                      std::vector<TimelineRow>& timeline, std::vector<ParameterReading>& columns) {
  const MeterOptions& options = job.options;
  std::string error;
  auto plugin = PluginInstance::Create(job.library, error);
  if (!plugin) return {kExitPlugin, error};
  description = Describe(job.library, *plugin);

  if (source.Channels() > plugin->InputCount()) {
    return {kExitInput, source.Description() + ": unsupported channel count " +
                            std::to_string(source.Channels()) + " (the plug-in has " +
                            std::to_string(plugin->InputCount()) + " inputs)"};
  }
  bool useDouble = plugin->CanDoubleReplacing();
  if (options.precision == Precision::k32) useDouble = false;
  if (options.precision == Precision::k64 && !useDouble) {
    return {kExitPlugin, "the plug-in cannot process 64-bit audio"};
  }
  plugin->Configure(source.SampleRate(), options.blockSize, useDouble);

  std::vector<int> touched;
  if (Failure f = ApplySettings(*plugin, options, job.preset, source.Channels(), touched);
      f.code != kExitOk) {
    return f;
  }

  std::unique_ptr<AudioFileWriter> writer;
  RenderOptions render;
  render.blockSize = options.blockSize;
  render.doublePrecision = useDouble;
  render.timeline = !options.timelinePath.empty();
  if (!options.audioOutputPath.empty()) {
    writer =
        AudioFileWriter::Create(options.audioOutputPath, std::min(plugin->OutputCount(), source.Channels()),
                                source.SampleRate(), error);
    if (!writer) return {kExitOutput, error};
    render.output = [&](const double* const* channels, int count, std::int64_t frames) {
      return writer->Write(channels, count, frames);
    };
  }
  const bool showProgress = options.progress == ProgressMode::kOn ||
                            (options.progress == ProgressMode::kAuto && ProgressBar::StderrIsTerminal());
  const std::string label =
      job.options.files.empty() ? "reference signal" : fs::path(source.Description()).filename().string();
  ProgressBar bar(job.progress, showProgress, label);
  render.progress = [&](double fraction) { bar.Update(fraction); };

  RenderResult result = Render(*plugin, source, render);
  if (!result.ok) return {kExitInput, source.Description() + ": " + result.error};
  if (writer && !writer->Close()) return {kExitOutput, "cannot write audio file " + options.audioOutputPath};

  report.source = source.Description();
  report.sampleRate = source.SampleRate();
  report.channels = source.Channels();
  report.frames = result.frames;
  report.blockSize = options.blockSize;
  report.doublePrecision = useDouble;
  report.warnings = result.warnings;
  for (int index : touched) report.settings.push_back(Reading(*plugin, index));

  // The reported values: what the plug-in wrote as automation, or every
  // parameter when asked or when it wrote nothing.
  std::vector<int> reported = plugin->Host().Automation().WrittenIndices();
  if (options.allParameters || reported.empty()) {
    reported.clear();
    for (int i = 0; i < plugin->ParameterCount(); ++i) reported.push_back(i);
  }
  for (int index : reported) report.values.push_back(Reading(*plugin, index));
  for (int index : plugin->Host().Automation().WrittenIndices()) columns.push_back(Reading(*plugin, index));
  timeline = std::move(result.timeline);
  return {};
}

bool WriteTimeline(const std::string& path, std::ostream& out, const std::vector<ParameterReading>& columns,
                   const std::vector<TimelineRow>& rows) {
  if (path == "-") {
    WriteTimelineCsv(out, columns, rows);
    return static_cast<bool>(out);
  }
  std::ofstream file(path, std::ios::binary);
  if (!file) return false;
  WriteTimelineCsv(file, columns, rows);
  file.close();
  return !file.fail();
}

}  // namespace

std::vector<std::string> DefaultPluginCandidates() {
  std::vector<std::string> out;
  if (const char* explicitPath = std::getenv("KALVO5_PLUGIN"); explicitPath != nullptr && *explicitPath) {
    out.emplace_back(explicitPath);
    return out;
  }
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path dir = self.parent_path();
    out.push_back((dir / kPluginFile).string());
    out.push_back((dir.parent_path() / kPluginFile).string());
    out.push_back((dir.parent_path() / "plugin" / kPluginFile).string());
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home) {
    out.push_back((fs::path(home) / ".vst" / kPluginFile).string());
  }
  AppendSearchPath(out, "VST_PATH");
  AppendSearchPath(out, "LXVST_PATH");
  out.push_back(std::string("/usr/local/lib/vst/") + kPluginFile);
  out.push_back(std::string("/usr/lib/vst/") + kPluginFile);
  return out;
}

int RunMeter(const MeterOptions& options, std::ostream& out, std::ostream& err, std::FILE* progress) {
  auto fail = [&](int code, const std::string& message) {
    err << "kalvo5-meter: " << message << '\n';
    return code;
  };
  if (options.help) {
    out << MeterUsage();
    return kExitOk;
  }

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

  if (options.listParameters) {
    auto plugin = PluginInstance::Create(*library, error);
    if (!plugin) return fail(kExitPlugin, error);
    std::vector<ParameterReading> parameters;
    for (int i = 0; i < plugin->ParameterCount(); ++i) parameters.push_back(Reading(*plugin, i));
    WriteParameterList(out, Describe(*library, *plugin), parameters);
    return kExitOk;
  }

  std::string preset;
  if (!options.presetPath.empty() && !ReadPresetFile(options.presetPath, preset, error)) {
    return fail(kExitInput, error);
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

  const Job job{options, *library, preset, err, progress};
  PluginDescription description;
  std::vector<FileReport> reports;
  std::vector<TimelineRow> timeline;
  std::vector<ParameterReading> columns;
  for (auto& source : sources) {
    FileReport report;
    columns.clear();
    if (Failure f = MeasureSource(job, *source, report, description, timeline, columns); f.code != kExitOk) {
      return fail(f.code, f.message);
    }
    reports.push_back(std::move(report));
  }

  if (!options.timelinePath.empty() && !WriteTimeline(options.timelinePath, out, columns, timeline)) {
    return fail(kExitOutput, "cannot write timeline " + options.timelinePath);
  }
  if (options.timelinePath != "-") {
    if (options.format == OutputFormat::kJson) {
      WriteJson(out, description, reports);
    } else {
      WriteTable(out, description, reports);
    }
  }
  out.flush();
  if (!out) return fail(kExitOutput, "cannot write the results");
  return kExitOk;
}

int MeterMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::FILE* progress) {
  MeterOptions options;
  std::string error;
  if (!ParseMeterOptions(argc, argv, options, error)) {
    err << "kalvo5-meter: " << error << "\n\n" << MeterUsage();
    return kExitUsage;
  }
  return RunMeter(options, out, err, progress);
}

}  // namespace kalvo5::meter
