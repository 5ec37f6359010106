#include "tools/BatchMeasurement.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "tools/AudioSource.h"
#include "tools/ExitCode.h"
#include "tools/SourceMeasurement.h"

namespace kalvo5::meter {

std::vector<FileOutcome> MeasureFiles(const BatchJob& job, const std::vector<std::string>& files,
                                      std::size_t workers) {
  const MeterOptions& options = job.options;
  const std::size_t count = files.empty() ? 1 : files.size();
  std::vector<FileOutcome> outcomes(count);
  workers = std::clamp<std::size_t>(workers, 1, count);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      FileOutcome& o = outcomes[i];
      auto source = files.empty() ? MakeReferenceSignal()
                                  : OpenSource(files[i], options.rawRate, options.rawChannels, o.error);
      if (!source) {
        o.code = kExitInput;
        o.report.source = files[i];
        job.progress.Finish(i);
        continue;
      }
      const MeasureJob measure{options, job.library, job.presetChunk, job.out,
                               job.progress.FramesDone(i, source->SampleRate(), source->Frames())};
      o.code = MeasureSource(measure, *source, o.report, o.description, o.error);
      job.progress.Finish(i);
    }
  };
  if (workers == 1) {
    work();
  } else {
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < workers; ++w) threads.emplace_back(work);
    for (auto& t : threads) t.join();
  }
  return outcomes;
}

}  // namespace kalvo5::meter
