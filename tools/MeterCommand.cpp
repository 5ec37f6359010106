#include "tools/MeterCommand.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

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

// Refuses an audio output of a type it cannot write, an output the caller
// may not write, and an output that is one of the inputs (or the other
// output), also through another name, before anything is opened for writing.
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
  if (!options.snapshotPath.empty()) outputs.emplace_back("--snapshot", options.snapshotPath);
  for (std::size_t o = 0; o < outputs.size(); ++o) {
    if (const std::string refusal = WriteRefusal(outputs[o].second); !refusal.empty()) {
      return {kExitOutput, outputs[o].first + ": " + refusal};
    }
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

// The audio files a folder stands for with --recursive: every regular file
// below it that libsndfile may read, by extension, in name order. Without
// --recursive (or for anything else) the path stays as it is.
std::vector<std::string> ExpandFolders(const std::vector<std::string>& paths, bool recursive) {
  static const std::set<std::string> kAudio = {".wav",  ".wave", ".aif", ".aiff", ".aifc",
                                               ".flac", ".ogg",  ".oga", ".opus", ".w64",
                                               ".caf",  ".rf64", ".au",  ".snd",  ".mp3"};
  std::vector<std::string> files;
  for (const auto& path : paths) {
    std::error_code ec;
    if (!recursive || path == "-" || !std::filesystem::is_directory(path, ec)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::string> found;
    const auto walk = std::filesystem::recursive_directory_iterator(
        path, std::filesystem::directory_options::skip_permission_denied, ec);
    for (auto it = walk; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      std::string extension = it->path().extension().string();
      for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (kAudio.count(extension)) found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    if (found.empty()) found.push_back(path);  // reported as a folder, not silently skipped
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
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

  const std::vector<std::string> files = ExpandFolders(options.files, options.recursive);
  auto open = [&](const std::string& path, std::string& why) {
    return path == "-" ? OpenStandardInput(options.rawRate, options.rawChannels, why)
                       : OpenAudioFile(path, why);
  };

  // With --total every file must open before anything is measured: the
  // total needs them all.
  if (options.total) {
    std::vector<std::unique_ptr<AudioSource>> sources;
    int failure = kExitOk;
    for (const auto& path : files) {
      auto source = open(path, error);
      if (!source) {
        failure = fail(kExitInput, error);
        continue;
      }
      sources.push_back(std::move(source));
    }
    if (failure != kExitOk) return failure;
    std::vector<const AudioSource*> parts;
    for (const auto& source : sources) parts.push_back(source.get());
    if (!CanConcatenate(parts, error)) return fail(kExitInput, error);
  }

  // The files are measured by `workers` threads, each with its own plug-in
  // instances; every file's outcome goes to its own slot, so the reports
  // come out in the order of the files whatever order they finish in.
  struct Outcome {
    FileReport report;
    PluginDescription description;
    int code = kExitOk;
    std::string error;
  };
  const std::size_t count = files.empty() ? 1 : files.size();
  std::vector<Outcome> outcomes(count);
  std::size_t workers = options.jobs > 0 ? static_cast<std::size_t>(options.jobs)
                                         : std::max(1u, std::thread::hardware_concurrency());
  if (!options.timelinePath.empty() || !options.audioOutputPath.empty() || !options.snapshotPath.empty())
    workers = 1;
  workers = std::min(workers, count);
  MeterOptions workerOptions = options;
  if (workers > 1) workerOptions.progress = ProgressMode::kOff;  // one bar per file would interleave
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    const MeasureJob job{workerOptions, *library, presetChunk, progress, out};
    for (std::size_t i = next++; i < count; i = next++) {
      Outcome& o = outcomes[i];
      auto source = files.empty() ? MakeReferenceSignal() : open(files[i], o.error);
      if (!source) {
        o.code = kExitInput;
        o.report.source = files[i];
        continue;
      }
      o.code = MeasureSource(job, *source, o.report, o.description, o.error);
    }
  };
  if (workers == 1) {
    work();
  } else {
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < workers; ++w) threads.emplace_back(work);
    for (auto& t : threads) t.join();
  }

  PluginDescription description;
  std::vector<FileReport> reports;
  std::vector<const Outcome*> unreadable;
  bool damaged = false;
  for (const Outcome& o : outcomes) {
    if (!o.description.path.empty() && description.path.empty()) description = o.description;
    // A file that cannot be read is listed at the end; the plug-in refusing
    // a setting or an output that cannot be written ends the run.
    if (o.code == kExitInput) {
      unreadable.push_back(&o);
      continue;
    }
    if (o.code != kExitOk) return fail(o.code, o.error);
    if (o.report.damaged) {
      damaged = true;
      for (const auto& w : o.report.warnings)
        err << "kalvo5-meter: warning: " << o.report.source << ": " << w << '\n';
    }
    reports.push_back(o.report);
  }
  if (description.path.empty()) description = outcomes.front().description;

  std::unique_ptr<FileReport> total;
  if (options.total) {
    auto source = TotalSource(files, error);
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
  if (files.size() > 1 && options.format == OutputFormat::kTable && options.timelinePath != "-") {
    out << '\n'
        << files.size() << " files: " << reports.size() << " measured, " << unreadable.size()
        << " could not be read\n";
  }
  out.flush();
  if (!out) return fail(kExitOutput, "cannot write the results");
  for (const Outcome* o : unreadable) err << "kalvo5-meter: " << o->error << '\n';
  if (!unreadable.empty()) {
    err << "kalvo5-meter: " << unreadable.size() << " of " << files.size() << " files could not be read\n";
    return kExitInput;
  }
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
