#include "Backend.h"

#include <mutex>

namespace igraphics {
namespace {

std::mutex& BackendLock() {
  static std::mutex lock;
  return lock;
}

Backend& BackendTable() {
  static Backend table;
  return table;
}

}  // namespace

void SetBackend(Backend backend) {
  std::lock_guard<std::mutex> guard(BackendLock());
  BackendTable() = std::move(backend);
}

Backend GetBackend() {
  std::lock_guard<std::mutex> guard(BackendLock());
  return BackendTable();
}

}  // namespace igraphics
