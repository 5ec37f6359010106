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

double DefaultScreenScale() {
  const Backend backend = GetBackend();
  const double scale = backend.defaultScreenScale ? backend.defaultScreenScale() : 1.0;
  return scale > 0.0 ? scale : 1.0;
}

}  // namespace igraphics
