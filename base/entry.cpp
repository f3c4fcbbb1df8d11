// The load counter of ZUNT32S: incremented at load, decremented at unload, never below 0.
// It is the library's only state besides the configuration cache.
#include "entry.h"

#include <atomic>

namespace zunt {
namespace {
std::atomic<int32_t> load_count{0};
}

int32_t library_attach() noexcept { return load_count.fetch_add(1) + 1; }

int32_t library_detach() noexcept {
  int32_t cur = load_count.load();
  while (cur > 0 && !load_count.compare_exchange_weak(cur, cur - 1)) {
  }
  return cur > 0 ? cur - 1 : 0;
}

int32_t library_load_count() noexcept { return load_count.load(); }

}  // namespace zunt
