// A thread of the plug-in's own, one for the process, running while any
// instance exists: it obtains the memory a changed setting needs when the
// change came in on a thread that must not allocate (hosts call setParameter
// on their audio thread too), and frees what the audio thread let go of.
// It sleeps until an instance wants work, computes and leaves results only,
// and never calls the host.
#pragma once

#include <atomic>

namespace kalvo5 {

class MemoryWorker {
 public:
  // What an instance gives the worker to do. WorkWanted may be called on
  // any thread, the audio thread included: it never waits (an atomic flag,
  // and a semaphore raised when the flag was down) and the worker calls
  // DoBackgroundWork soon after.
  class Client {
   public:
    virtual ~Client() = default;
    void WorkWanted();

   private:
    friend class MemoryWorker;
    virtual void DoBackgroundWork() = 0;
    std::atomic<bool> mWanted{false};
    bool mBusy = false;  // its work runs now (guarded by the worker's lock)
  };

  // Not on the audio thread. Neither waits for other clients' work: the
  // worker runs it outside the lock they take. Unregister returns once no
  // work for the client runs or will run; the last one out stops the
  // thread.
  static void Register(Client* client);
  static void Unregister(Client* client);

  // The times the worker has woken since the process started.
  static unsigned long WakeUps();
};

}  // namespace kalvo5
