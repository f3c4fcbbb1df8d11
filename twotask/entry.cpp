// Library entry: the module instance, the window classes of both sides and the process-wide
// scheduler callback.
#include <atomic>
#include <cerrno>

#include "osn_internal.h"
#include "sysinfo.h"
#include "window.h"

namespace zunt::osn {
namespace {

std::atomic<uint32_t> g_instance{0};
std::atomic<osn_scheduler_fn> g_scheduler{nullptr};

bool ensure_class(const char* name) {
  if (platform::class_registered(name)) return true;
  int e = platform::register_class(name, window_proc, 8);
  return e == 0 || e == EEXIST;
}

}  // namespace

bool library_attach() noexcept {
  if (!ensure_class(kClientClass) || !ensure_class(kServerClass)) return false;
  // The instance handle only has to be non-zero and stable for the process.
  uint32_t inst = platform::process_id() | 0x10000000u;
  g_instance.store(inst);
  return true;
}

void library_detach() noexcept { g_instance.store(0); }

uint32_t instance() noexcept { return g_instance.load(); }
osn_scheduler_fn scheduler() noexcept { return g_scheduler.load(); }

}  // namespace zunt::osn

extern "C" ZUNT_API void osnschedinit(osn_scheduler_fn fn) { zunt::osn::g_scheduler.store(fn); }
