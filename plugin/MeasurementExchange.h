// The measurement between the threads. The audio thread owns the running
// block driver and is the only thread that touches it; every other thread
// asks for changes and reads what the audio thread publishes:
//
// - RequestApply (any thread): a reset and a re-configuration from the
//   current settings, done by the audio thread at the start of its next
//   block. setParameter may run on the audio thread, so asking never
//   allocates or waits.
// - Prepare, Rebuild (threads that may allocate: the host's GUI or main
//   thread, the plug-in's memory worker): the memory a setting needs
//   (analyzers carrying the rings it asks for, or carrying none, so that
//   memory no longer needed is let go: MemorySizesFor), or a whole new
//   driver for a new rate or block size, obtained here and left in a
//   mailbox; the audio thread puts them in place at its next
//   re-configuration (a new driver at its next block) by exchanging
//   pointers, and leaves what they replaced on a list that FreeRetired
//   empties on another thread.
// - ReadLatest (any thread): the readings the audio thread published at the
//   end of its latest block; ReadPaced: those it published at the end of its
//   latest 50 ms period (what the editor shows and the host records). While
//   a requested reset is still to be done there, the readings of a reset
//   measurement.
//
// The audio thread never waits for another thread: it takes no lock at all.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/MeasurementDriver.h"
#include "engine/MeasurementReadings.h"
#include "framework/iplug/SnapshotChannel.h"

namespace kalvo5 {

class MeasurementExchange {
 public:
  // Builds the first driver for the rate and setup (allocates).
  MeasurementExchange(double sampleRate, const AnalyzerSetup& setup);
  ~MeasurementExchange();
  MeasurementExchange(const MeasurementExchange&) = delete;
  MeasurementExchange& operator=(const MeasurementExchange&) = delete;

  // Any thread.
  void RequestApply() { mRequested.fetch_add(1, std::memory_order_acq_rel); }
  MeasurementReadings ReadLatest(int type) const { return Read(mLatest, type); }
  MeasurementReadings ReadPaced(int type) const { return Read(mPaced, type); }

  // Threads that may allocate; never the audio thread. Prepare returns false
  // when memory was not available (the setting then waits for a later try).
  bool Prepare(const AnalyzerSetup& setup);
  // The setup is read (`setup` called) once the rebuild counts as requested,
  // so a setting changed meanwhile is applied again at the audio thread.
  template <typename SetupSource>
  void Rebuild(double sampleRate, SetupSource setup) {
    std::lock_guard<std::mutex> lock(mPrepareLock);
    // Readers see a reset measurement from here until the new driver runs.
    const std::uint32_t serial = mRequested.fetch_add(1, std::memory_order_acq_rel) + 1;
    InstallRebuilt(sampleRate, serial, setup());
  }
  void FreeRetired();

  // The audio thread, at the start of a block: puts a rebuilt driver or
  // prepared memory in place, does a requested reset and re-configuration
  // (with the setup the settings hold now: `setup` is called only then), and
  // returns the driver to run. Allocation-free.
  template <typename SetupSource>
  MeasurementDriver& BeginBlock(SetupSource setup) {
    if (PreparedDriver* next = mNextDriver.exchange(nullptr, std::memory_order_acq_rel)) AdoptDriver(next);
    const std::uint32_t wanted = mRequested.load(std::memory_order_acquire);
    if (wanted != mApplied) {
      mApplied = wanted;
      mConfigurePending = true;
    }
    if (mConfigurePending) Configure(setup());
    return mCurrent->driver;
  }
  // The audio thread, at the end of a block: publishes the readings of the
  // type it measured, and returns them. PublishPaced then publishes the same
  // readings as those of a period's end. Allocation-free.
  const MeasurementReadings& Publish(int type);
  void PublishPaced() { mPaced.Publish(mPublished); }
  // What the audio thread published last, of type `type`; null when it
  // published another type (audio thread, no copy).
  const MeasurementReadings* Published(int type) const {
    return mPublished.type == type ? &mPublished.readings : nullptr;
  }
  // Counts the drivers the audio thread has put in place (audio thread).
  std::uint32_t DriverGeneration() const { return mGeneration; }
  // Something waits to be freed by FreeRetired. Any thread.
  bool HasRetired() const { return mRetired.load(std::memory_order_relaxed) != nullptr; }

 private:
  // What the audio thread lets go of, freed on another thread.
  struct Retired {
    virtual ~Retired() = default;
    Retired* next = nullptr;
  };
  struct PreparedDriver : Retired {
    MeasurementDriver driver;
    std::uint32_t serial = 0;  // the requests it already reflects
    std::uint32_t build = 0;   // counts the drivers built, the first one 0
  };
  struct PreparedMemory : Retired {
    AnalyzerMemory memory;
    std::uint32_t build = 0;  // of the driver it was obtained for
  };
  // What readers see: the readings of one type, and the request they follow.
  struct Snapshot {
    MeasurementReadings readings;
    int type = -1;
    std::uint32_t serial = 0;
  };

  MeasurementReadings Read(const iplug::SnapshotChannel<Snapshot>& channel, int type) const;
  void InstallRebuilt(double sampleRate, std::uint32_t serial, const AnalyzerSetup& setup);
  void AdoptDriver(PreparedDriver* next);
  void Configure(const AnalyzerSetup& setup);
  void Retire(Retired* item);

  // Audio thread (and the constructor).
  std::unique_ptr<PreparedDriver> mCurrent;
  std::uint32_t mApplied = 0;
  bool mConfigurePending = false;
  std::uint32_t mGeneration = 0;
  Snapshot mPublished;

  std::atomic<std::uint32_t> mRequested{0};
  std::atomic<PreparedDriver*> mNextDriver{nullptr};
  std::atomic<PreparedMemory*> mNextMemory{nullptr};
  std::atomic<Retired*> mRetired{nullptr};
  iplug::SnapshotChannel<Snapshot> mLatest;
  iplug::SnapshotChannel<Snapshot> mPaced;
  std::atomic<double> mSampleRate;  // of the newest driver, for the readings of a reset measurement

  // What the driver in place, or about to be, holds once it has adopted the
  // memory in the mailbox: what Prepare need not obtain again. Guarded by
  // mPrepareLock, which the audio thread never takes.
  std::mutex mPrepareLock;
  double mProvidedRate = 0.0;
  std::uint32_t mProvidedBuild = 0;
  MemorySizes mProvided;
};

}  // namespace kalvo5
