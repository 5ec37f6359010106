#include "tools/TotalMeasurement.h"

#include <memory>

#include "tools/AudioSource.h"
#include "tools/BatchProgress.h"
#include "tools/ConcatenatedSource.h"
#include "tools/SourceMeasurement.h"

namespace kalvo5::meter {

std::vector<std::string> TotalProblems(const MeterOptions& options, const std::vector<std::string>& files) {
  std::vector<std::string> problems;
  std::vector<std::unique_ptr<AudioSource>> sources;
  for (const auto& path : files) {
    std::string error;
    if (auto source = OpenSource(path, options.rawRate, options.rawChannels, error)) {
      sources.push_back(std::move(source));
    } else {
      problems.push_back(error);
    }
  }
  std::vector<const AudioSource*> parts;
  for (const auto& source : sources) parts.push_back(source.get());
  if (std::string error; problems.empty() && !CanConcatenate(parts, error)) problems.push_back(error);
  return problems;
}

Failure MeasureTotal(const MeterOptions& options, const std::vector<std::string>& files,
                     const PluginLibrary& library, const std::vector<std::uint8_t>& presetChunk,
                     std::ostream& out, std::FILE* progress, bool showProgress, FileReport& total,
                     PluginDescription& description) {
  std::string error;
  std::vector<std::unique_ptr<AudioSource>> parts;
  for (const auto& path : files) {
    parts.push_back(OpenAudioFile(path, error));
    if (!parts.back()) return {kExitInput, error};
  }
  const auto source = ConcatenateSources(std::move(parts), error);
  if (!source) return {kExitInput, error};
  MeterOptions totalOptions = options;
  totalOptions.audioOutputPath.clear();
  totalOptions.timelinePath.clear();
  totalOptions.snapshotPath.clear();
  BatchProgress bar(progress, showProgress, 1, source->Description());
  const MeasureJob job{totalOptions, library, presetChunk, out,
                       bar.FramesDone(0, source->SampleRate(), source->Frames())};
  const int code = MeasureSource(job, *source, total, description, error);
  return {code, error};
}

}  // namespace kalvo5::meter
