#include "MeasurementExchange.h"

#include <algorithm>
#include <new>

namespace kalvo5 {

namespace {

// Keeps in `into` the longer of each pair of rings.
void KeepLonger(RingMemory& into, RingMemory& other) {
  const auto keep = [](FixedArray<double>& a, FixedArray<double>& b) {
    if (b.size() > a.size()) a.swap(b);
  };
  keep(into.rmsWindow, other.rmsWindow);
  keep(into.rmsLongWindow, other.rmsLongWindow);
  keep(into.dialWindow, other.dialWindow);
}

}  // namespace

MeasurementExchange::MeasurementExchange(double sampleRate, const AnalyzerSetup& setup)
    : mCurrent(std::make_unique<PreparedDriver>()) {
  mCurrent->driver.Init(sampleRate, setup);
  mSampleRate.store(mCurrent->driver.SampleRate());
  mProvidedRate = mCurrent->driver.SampleRate();
  mProvided = mCurrent->driver.Capacities();
  Publish(setup.type);
  PublishPaced();
}

MeasurementExchange::~MeasurementExchange() {
  delete mNextDriver.exchange(nullptr);
  delete mNextRings.exchange(nullptr);
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
  const RingSizes need = RingSizesFor(mProvidedRate, setup);
  if (Covers(mProvided, need)) return true;
  std::unique_ptr<PreparedRings> rings(new (std::nothrow) PreparedRings);
  if (!rings || !ObtainRings(rings->memory, mProvidedRate, need, mProvided)) return false;
  // Rings posted earlier and not yet taken go into the new posting.
  if (PreparedRings* earlier = mNextRings.exchange(nullptr, std::memory_order_acq_rel)) {
    KeepLonger(rings->memory, earlier->memory);
    delete earlier;
  }
  mNextRings.store(rings.release(), std::memory_order_release);
  mProvided = {std::max(mProvided.rmsWindow, need.rmsWindow),
               std::max(mProvided.dialWindow, need.dialWindow)};
  return true;
}

void MeasurementExchange::InstallRebuilt(double sampleRate, std::uint32_t serial,
                                         const AnalyzerSetup& setup) {
  std::unique_ptr<PreparedDriver> next(new (std::nothrow) PreparedDriver);
  if (!next) return;  // the running driver stays, reset by the request
  next->serial = serial;
  next->driver.Init(sampleRate, setup);
  mSampleRate.store(next->driver.SampleRate(), std::memory_order_relaxed);
  mProvidedRate = next->driver.SampleRate();
  mProvided = next->driver.Capacities();
  // Rings for the old driver, and a driver the audio thread never took, are
  // not needed any more.
  delete mNextRings.exchange(nullptr, std::memory_order_acq_rel);
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
  MeasurementDriver& driver = mCurrent->driver;
  if (!Covers(driver.Capacities(), RingSizesFor(driver.SampleRate(), setup))) {
    if (PreparedRings* rings = mNextRings.exchange(nullptr, std::memory_order_acq_rel)) {
      driver.AdoptRings(rings->memory);
      Retire(rings);
    }
  }
  // Until the rings arrive the measurement stays reset, block after block.
  mConfigurePending = !driver.Configure(setup);
}

void MeasurementExchange::Retire(Retired* item) {
  item->next = mRetired.load(std::memory_order_relaxed);
  while (!mRetired.compare_exchange_weak(item->next, item, std::memory_order_release,
                                         std::memory_order_relaxed)) {
  }
}

}  // namespace kalvo5
