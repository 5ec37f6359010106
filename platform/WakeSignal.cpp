#include "platform/WakeSignal.h"

#include <semaphore.h>

#include <cerrno>

namespace platform {

struct WakeSignal::System {
  sem_t semaphore;
};

WakeSignal::WakeSignal() : mSystem(std::make_unique<System>()) { sem_init(&mSystem->semaphore, 0, 0); }

WakeSignal::~WakeSignal() { sem_destroy(&mSystem->semaphore); }

void WakeSignal::Raise() { sem_post(&mSystem->semaphore); }

void WakeSignal::Wait() {
  // A signal handler may interrupt the sleep; only a raise ends it.
  while (sem_wait(&mSystem->semaphore) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
