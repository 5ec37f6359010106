#include "tools/SourceMeasurement.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "platform/TextEncoding.h"
#include "tools/AudioFileWriter.h"
#include "tools/ChannelLayout.h"
#include "tools/DeliveryCheck.h"
#include "tools/ExitCode.h"
#include "tools/InstanceReport.h"
#include "tools/InstanceSetup.h"
#include "tools/LoudnessHistory.h"
#include "tools/LoudnessTarget.h"
#include "tools/OutputFile.h"
#include "tools/ParameterSetter.h"
#include "tools/PluginFacts.h"
#include "tools/PluginInstance.h"
#include "tools/RenderLoop.h"
#include "tools/TextFormat.h"
#include "tools/Timeline.h"

namespace kalvo5::meter {
namespace {

namespace fs = std::filesystem;

// The analyzer types measured side by side with --type all. Without a
// type, kLoudnessType is measured.
const std::vector<std::string> kAllTypes = {"RMS", "EBU", "DIAL"};
constexpr const char* kEveryType = "all";

// What one source is measured with: the instances, one per analyzer type,
// and what each was set to.
struct Measurement {
  PluginDescription description;
  bool doublePrecision = true;
  std::vector<std::unique_ptr<PluginInstance>> instances;
  std::vector<std::string> types;          // empty text: the type was left alone
  std::vector<std::vector<int>> touched;   // parameters set, per instance
  std::vector<std::vector<int>> hostOnly;  // those of them set for the host's needs only
  std::vector<std::string> warnings;       // about the settings
  std::vector<PluginInstance*> Pointers() const {
    std::vector<PluginInstance*> out;
    for (const auto& i : instances) out.push_back(i.get());
    return out;
  }
};

// The analyzer types to measure: the one asked for, or all three for
// "all"; else EBU when the plug-in has a type parameter that lists it and
// the command line leaves alone.
std::vector<std::string> TypesFor(const MeterOptions& options, PluginInstance& first,
                                  const InstanceSetup& setup) {
  if (SameText(options.type, kEveryType)) return kAllTypes;
  if (!options.type.empty()) return {options.type};
  const int index = first.FindParameter(kTypeParameter);
  if (index < 0 || SetsParameter(setup, kTypeParameter)) return {""};
  const std::vector<std::string> texts = ListTexts(first, index);
  const bool listed =
      std::any_of(texts.begin(), texts.end(), [](const auto& t) { return SameText(t, kLoudnessType); });
  return {listed ? kLoudnessType : ""};
}

// A --type the plug-in does not list is a bad argument, as any other.
Failure CheckType(const MeterOptions& options, PluginInstance& first) {
  if (options.type.empty() || SameText(options.type, kEveryType)) return {};
  const int index = first.FindParameter(kTypeParameter);
  if (index < 0)
    return {kExitUsage, "--type: the plug-in has no \"" + std::string(kTypeParameter) + "\" parameter"};
  const std::vector<std::string> texts = ListTexts(first, index);
  if (std::any_of(texts.begin(), texts.end(), [&](const auto& t) { return SameText(t, options.type); }))
    return {};
  std::string known;
  for (const auto& text : texts) known += text + ", ";
  return {kExitUsage,
          "--type: unknown type \"" + options.type + "\" (the plug-in's types: " + known + kEveryType + ")"};
}

// The snapshot file of one of `count` instances measured side by side: the
// path itself for one, else the type put before the extension.
std::string SnapshotPathFor(const std::string& path, const std::string& type, std::size_t count) {
  if (count < 2 || type.empty()) return path;
  const fs::path p = platform::Utf8ToFsPath(path);
  return platform::FsPathToUtf8(
      p.parent_path() /
      (p.stem().native() + platform::Utf8ToSystemPath("-" + type) + p.extension().native()));
}

// Warns when the command line sets the channel configuration of the type
// measured to another number of channels than the file has.
void WarnOfLayouts(const PluginInstance& plugin, const MeterOptions& options, int channels,
                   const std::string& type, std::vector<std::string>& warnings) {
  for (const auto& [name, text] : options.settings) {
    if (!type.empty() && !StartsWithWord(name, type)) continue;
    const int index = plugin.FindParameter(name);
    if (index < 0) continue;
    const std::string warning = LayoutMismatch(name, plugin.ParameterDisplay(index), channels);
    if (!warning.empty() && std::find(warnings.begin(), warnings.end(), warning) == warnings.end()) {
      warnings.push_back(warning);
    }
  }
}

// Creates and sets up the instances. The first one also tells what the
// plug-in is, whether it can take the file, the sample precision and the
// analyzer types to measure.
Failure Prepare(const MeasureJob& job, const AudioSource& source, Measurement& m) {
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
      m.description = DescribePlugin(job.library, *plugin);
      if (source.Channels() > plugin->InputCount()) {
        return {kExitInput, source.Description() + ": unsupported channel count " +
                                std::to_string(source.Channels()) + " (the plug-in has " +
                                std::to_string(plugin->InputCount()) + " inputs)"};
      }
      if (const auto rates = plugin->MeasuredSampleRates();
          rates && !(source.SampleRate() >= rates->lowest && source.SampleRate() <= rates->highest)) {
        return {kExitInput, source.Description() + ": sample rate " + Fixed(source.SampleRate(), 0) +
                                " Hz is not supported by " + m.description.name + " (" +
                                Fixed(rates->lowest, 0) + " ... " + Fixed(rates->highest, 0) + " Hz)"};
      }
      m.doublePrecision = options.precision != Precision::k32 && plugin->CanDoubleReplacing();
      if (options.precision == Precision::k64 && !m.doublePrecision) {
        return {kExitPlugin, "the plug-in cannot process 64-bit audio"};
      }
      if (const Failure f = CheckType(options, *plugin); f.Failed()) return f;
      m.types = TypesFor(options, *plugin, setup);
    }
    plugin->Configure(source.SampleRate(), options.blockSize, m.doublePrecision);
    setup.type = m.types[i];
    const bool loudness = setup.type.empty() || SameText(setup.type, kLoudnessType);
    setup.target = options.target && loudness ? Fixed(*options.target, 1) : "";
    std::vector<int> touched;
    if (!SetUpInstance(*plugin, setup, touched, error)) return {kExitPlugin, error};
    WarnOfLayouts(*plugin, options, source.Channels(), m.types[i], m.warnings);
    std::vector<int> hostOnly;
    std::copy_if(touched.begin(), touched.end(), std::back_inserter(hostOnly),
                 [&](int index) { return IsHostSetting(setup, plugin->ParameterName(index)); });
    m.hostOnly.push_back(std::move(hostOnly));
    m.touched.push_back(std::move(touched));
    m.instances.push_back(std::move(plugin));
  }
  return {};
}

bool WriteTimeline(const std::string& path, std::ostream& out, const std::vector<TimelineColumn>& columns,
                   const std::vector<TimelineRow>& rows, std::string& error) {
  const auto write = [&](std::ostream& to) { WriteTimelineCsv(to, columns, rows); };
  if (path != "-") return WriteTextFile(path, write, error);
  write(out);
  error = "cannot write the timeline to standard output";
  return static_cast<bool>(out);
}

// The --output writer, fed by `render` with the output of `plugin`.
Failure AttachWriter(const MeterOptions& options, const PluginInstance& plugin, const AudioSource& source,
                     std::unique_ptr<AudioFileWriter>& writer, RenderOptions& render) {
  if (options.audioOutputPath.empty()) return {};
  std::string error;
  writer = AudioFileWriter::Create(options.audioOutputPath, std::min(plugin.OutputCount(), source.Channels()),
                                   source.SampleRate(), error);
  if (!writer) return {kExitOutput, error};
  render.output = [&writer](const double* const* channels, int count, std::int64_t frames) {
    return writer->Write(channels, count, frames);
  };
  return {};
}

// Closes the --output file. Samples its format clipped are a warning; a
// file that could not be written is the output's failure, not the input's.
Failure FinishOutput(std::unique_ptr<AudioFileWriter>& writer, FileReport& report) {
  if (!writer) return {};
  std::string error;
  const bool written = writer->Close(error);
  if (const std::int64_t clipped = writer->ClippedSamples(); clipped > 0) {
    report.warnings.push_back("--output: " + std::to_string(clipped) +
                              " samples beyond full scale were clipped in the " + writer->FormatName() +
                              " file");
  }
  return written ? Failure{} : Failure{kExitOutput, "--output: " + error};
}

// --target: the plug-in's match on the loudness type's instance, and with
// --output the audio once more through that instance, now with the gain.
Failure ApplyTarget(const MeterOptions& options, AudioSource& source, Measurement& m, FileReport& report) {
  const auto at = std::find_if(m.types.begin(), m.types.end(), [](const std::string& type) {
    return type.empty() || SameText(type, kLoudnessType);
  });
  if (at == m.types.end()) return {};
  const auto i = static_cast<std::size_t>(at - m.types.begin());
  PluginInstance& plugin = *m.instances[i];
  TargetReport target;
  if (std::string error; !MatchTarget(plugin, report.analyzers[i], options.ceiling, target, error)) {
    return {kExitPlugin, error};
  }
  for (auto& warning : TargetWarnings(target)) report.warnings.push_back(std::move(warning));
  report.target = target;
  if (options.audioOutputPath.empty()) return {};
  if (!target.gain) return {kExitOutput, "--output: " + target.noGain + ", so no audio was written"};
  if (!source.Rewind()) return {kExitOutput, "--output: " + source.Description() + " cannot be read again"};
  RenderOptions render;
  render.blockSize = options.blockSize;
  render.doublePrecision = m.doublePrecision;
  std::unique_ptr<AudioFileWriter> writer;
  if (const Failure f = AttachWriter(options, plugin, source, writer, render); f.Failed()) return f;
  const RenderResult result = Render({&plugin}, source, render);
  if (!result.ok) return {kExitInput, source.Description() + ": " + result.error};
  return FinishOutput(writer, report);
}

Failure Measure(const MeasureJob& job, AudioSource& source, FileReport& report,
                PluginDescription& description) {
  const MeterOptions& options = job.options;
  // Named before anything can fail: a file refused at any step (its sample
  // rate or channel count, the render) is listed under its name.
  report.source = source.Description();
  Measurement m;
  const Failure prepared = Prepare(job, source, m);
  description = m.description;
  if (prepared.Failed()) return prepared;
  const bool useDouble = m.doublePrecision;

  RenderOptions render;
  render.blockSize = options.blockSize;
  render.doublePrecision = useDouble;
  render.timeline = !options.timelinePath.empty() || !options.reportPath.empty();
  render.progress = job.progress;
  // With --target the audio is written by a second pass, with the gain.
  std::unique_ptr<AudioFileWriter> writer;
  if (!options.target) {
    if (const Failure f = AttachWriter(options, *m.instances.front(), source, writer, render); f.Failed())
      return f;
  }

  const std::vector<PluginInstance*> instances = m.Pointers();
  RenderResult result = Render(instances, source, render);
  if (!result.ok) return {kExitInput, source.Description() + ": " + result.error};

  report.sampleRate = source.SampleRate();
  report.channels = source.Channels();
  report.frames = result.frames;
  report.blockSize = options.blockSize;
  report.doublePrecision = useDouble;
  report.warnings = m.warnings;
  report.warnings.insert(report.warnings.end(), result.damage.begin(), result.damage.end());
  report.damaged = !result.damage.empty();
  if (!options.reportPath.empty()) report.history = ReduceTimeline(instances, m.types, result.timeline);
  if (result.samplePeak > 0.0) report.samplePeak = 20.0 * std::log10(result.samplePeak);
  // The readings stand whatever became of the output.
  const Failure written = FinishOutput(writer, report);
  for (std::size_t i = 0; i < instances.size(); ++i) {
    report.analyzers.push_back(ReportInstance(*instances[i], m.types[i], {m.touched[i], m.hostOnly[i]},
                                              {result.frames, source.SampleRate()}, options.allParameters));
    if (const int stray = instances[i]->Host().StrayAutomationWrites(); stray > 0) {
      report.warnings.push_back((m.types[i].empty() ? "" : m.types[i] + ": ") + "the plug-in wrote " +
                                std::to_string(stray) +
                                " automation values from outside the host's calls; they were ignored");
    }
  }
  if (std::string error; !options.timelinePath.empty() &&
                         !WriteTimeline(options.timelinePath, job.out, TimelineColumns(instances, m.types),
                                        result.timeline, error)) {
    return {kExitOutput, "--csv: " + error};
  }
  if (!options.snapshotPath.empty()) {
    for (std::size_t i = 0; i < instances.size(); ++i) {
      const std::string path = SnapshotPathFor(options.snapshotPath, m.types[i], instances.size());
      if (!instances[i]->WriteEditorSnapshot(path, options.snapshotScale))
        return {kExitOutput, "cannot write snapshot " + path + " (the plug-in drew no editor into it)"};
    }
  }
  if (written.Failed()) return written;
  const Failure matched = options.target ? ApplyTarget(job.options, source, m, report) : Failure{};
  report.check = CheckDelivery(options.profile ? &*options.profile : nullptr, report);
  return matched;
}

}  // namespace

int MeasureSource(const MeasureJob& job, AudioSource& source, FileReport& report,
                  PluginDescription& description, std::string& error) {
  const Failure failure = Measure(job, source, report, description);
  error = failure.message;
  return failure.code;
}

}  // namespace kalvo5::meter
