// A thread of the plug-in's own, one for the process, running while any
// instance exists: it obtains the memory a changed setting needs when the
// change came in on a thread that must not allocate (hosts call setParameter
// on their audio thread too), and frees what the audio thread let go of.
// It computes and leaves results only; it never calls the host.
#pragma once

#include <atomic>

namespace kalvo5 {

class MemoryWorker {
 public:
  // What an instance gives the worker to do. WorkWanted may be raised on
  // any thread, the audio thread included (a plain atomic store); the worker
  // notices it within a few milliseconds and calls DoBackgroundWork.
  class Client {
   public:
    virtual ~Client() = default;
    void WorkWanted() { mWanted.store(true, std::memory_order_release); }

   private:
    friend class MemoryWorker;
    virtual void DoBackgroundWork() = 0;
    std::atomic<bool> mWanted{false};
  };

  // Not on the audio thread. Unregister returns once no work for the client
  // runs or will run; the last one out stops the thread.
  static void Register(Client* client);
  static void Unregister(Client* client);
};

}  // namespace kalvo5
