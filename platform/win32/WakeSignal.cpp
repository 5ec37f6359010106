#include "platform/WakeSignal.h"

#include <windows.h>

#include <climits>

namespace platform {

struct WakeSignal::System {
  HANDLE semaphore = CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr);
};

WakeSignal::WakeSignal() : mSystem(std::make_unique<System>()) {}

WakeSignal::~WakeSignal() { CloseHandle(mSystem->semaphore); }

void WakeSignal::Raise() { ReleaseSemaphore(mSystem->semaphore, 1, nullptr); }

void WakeSignal::Wait() { WaitForSingleObject(mSystem->semaphore, INFINITE); }

}  // namespace platform
