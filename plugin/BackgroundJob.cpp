#include "plugin/BackgroundJob.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kalvo5 {

namespace {

void KeepLoaded() {
  // Found by the address of this function: the plug-in's module, or the
  // program itself when it is linked in (then nothing is to be kept).
  const void* self = reinterpret_cast<const void*>(&KeepLoaded);
#ifdef _WIN32
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     static_cast<LPCWSTR>(self), &module);
#else
  Dl_info info{};
  if (dladdr(self, &info) == 0 || info.dli_fname == nullptr) return;
  // Marks the loaded module as never to be unloaded; the extra reference
  // taken on the way is not needed for that.
  if (void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(handle);
#endif
}

std::atomic<int> gRunningJobs{0};
std::atomic<int> gStartedJobs{0};

}  // namespace

int RunningBackgroundJobs() { return gRunningJobs.load(); }

int StartedBackgroundJobs() { return gStartedJobs.load(); }

void CountBackgroundJob(int change) {
  gRunningJobs.fetch_add(change);
  if (change > 0) gStartedJobs.fetch_add(change);
}

void KeepModuleLoaded() {
  static const bool kept = (KeepLoaded(), true);
  (void)kept;
}

}  // namespace kalvo5
