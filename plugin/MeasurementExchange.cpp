#include "MeasurementExchange.h"

#include <new>
#include <utility>

namespace kalvo5 {

namespace {

// Moves into `into` the analyzers of `earlier` (memory posted before and not
// taken) for the types `into` leaves as they are.
void CarryOver(AnalyzerMemory& into, AnalyzerMemory& earlier) {
  if (!into.rms) into.rms = std::move(earlier.rms);
  if (!into.ebu) into.ebu = std::move(earlier.ebu);
  if (!into.dial) into.dial = std::move(earlier.dial);
}

}  // namespace

MeasurementExchange::MeasurementExchange(double sampleRate, const AnalyzerSetup& setup)
    : mCurrent(std::make_unique<PreparedDriver>()) {
  mCurrent->driver.Init(sampleRate, setup);
  mSampleRate.store(mCurrent->driver.SampleRate());
  mProvidedRate = mCurrent->driver.SampleRate();
  mProvided = mCurrent->driver.Held();
  Publish(setup.type);
  PublishPaced();
}

MeasurementExchange::~MeasurementExchange() {
  delete mNextDriver.exchange(nullptr);
  delete mNextMemory.exchange(nullptr);
  FreeRetired();
}

MeasurementReadings MeasurementExchange::Read(const iplug::SnapshotChannel<Snapshot>& channel,
                                              int type) const {
  const Snapshot snapshot = channel.Read();
  if (snapshot.serial == mRequested.load(std::memory_order_acquire) && snapshot.type == type)
    return snapshot.readings;
  MeasurementReadings reset;
  reset.sampleRate = mSampleRate.load(std::memory_order_relaxed);
  return reset;
}

bool MeasurementExchange::Prepare(const AnalyzerSetup& setup) {
  std::lock_guard<std::mutex> lock(mPrepareLock);
  if (Fits(mProvided, MemorySizesFor(mProvidedRate, setup))) return true;
  std::unique_ptr<PreparedMemory> prepared(new (std::nothrow) PreparedMemory);
  if (!prepared || !ObtainMemory(prepared->memory, mProvidedRate, setup, mProvided)) return false;
  prepared->build = mProvidedBuild;
  mProvided = MemoryAfter(mProvided, prepared->memory);
  // Memory posted earlier and not yet taken goes into the new posting where
  // the new one leaves a type as it is (what mProvided counted on).
  if (PreparedMemory* earlier = mNextMemory.exchange(nullptr, std::memory_order_acq_rel)) {
    CarryOver(prepared->memory, earlier->memory);
    delete earlier;
  }
  mNextMemory.store(prepared.release(), std::memory_order_release);
  return true;
}

void MeasurementExchange::InstallRebuilt(double sampleRate, std::uint32_t serial,
                                         const AnalyzerSetup& setup) {
  std::unique_ptr<PreparedDriver> next(new (std::nothrow) PreparedDriver);
  if (!next) return;  // the running driver stays, reset by the request
  next->serial = serial;
  next->build = ++mProvidedBuild;
  next->driver.Init(sampleRate, setup);
  mSampleRate.store(next->driver.SampleRate(), std::memory_order_relaxed);
  mProvidedRate = next->driver.SampleRate();
  mProvided = next->driver.Held();
  // Memory for the old driver, and a driver the audio thread never took, are
  // not needed any more.
  delete mNextMemory.exchange(nullptr, std::memory_order_acq_rel);
  delete mNextDriver.exchange(next.release(), std::memory_order_acq_rel);
}

void MeasurementExchange::FreeRetired() {
  Retired* item = mRetired.exchange(nullptr, std::memory_order_acquire);
  while (item) {
    Retired* next = item->next;
    delete item;
    item = next;
  }
}

const MeasurementReadings& MeasurementExchange::Publish(int type) {
  mPublished.readings = mCurrent->driver.Read(type);
  mPublished.type = type;
  mPublished.serial = mApplied;
  mLatest.Publish(mPublished);
  return mPublished.readings;
}

void MeasurementExchange::AdoptDriver(PreparedDriver* next) {
  Retire(mCurrent.release());
  mCurrent.reset(next);
  mApplied = next->serial;
  mConfigurePending = false;
  ++mGeneration;
}

void MeasurementExchange::Configure(const AnalyzerSetup& setup) {
  // Posted memory is always taken (the measurement is reset here anyway), so
  // that the driver soon holds what mProvided says, no more.
  if (PreparedMemory* prepared = mNextMemory.exchange(nullptr, std::memory_order_acq_rel)) {
    // Memory for a driver posted after this block looked for one: that
    // driver is put in place first, else the memory would go to the old one.
    if (prepared->build != mCurrent->build) {
      if (PreparedDriver* next = mNextDriver.exchange(nullptr, std::memory_order_acq_rel)) AdoptDriver(next);
    }
    if (prepared->build == mCurrent->build) mCurrent->driver.AdoptMemory(prepared->memory);
    Retire(prepared);
  }
  // Until the memory arrives the measurement stays reset, block after block.
  mConfigurePending = !mCurrent->driver.Configure(setup);
}

void MeasurementExchange::Retire(Retired* item) {
  item->next = mRetired.load(std::memory_order_relaxed);
  while (!mRetired.compare_exchange_weak(item->next, item, std::memory_order_release,
                                         std::memory_order_relaxed)) {
  }
}

}  // namespace kalvo5
