// Version word, tick count and process id.
#include "sysinfo.h"

#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace zunt::platform {

uint32_t version() noexcept {
  // NT-like: major 4, minor 0, build 1381. The other platform: 3.10 with the top bit set.
  constexpr uint32_t kNtLike = 0x05650004u;
  constexpr uint32_t kHosted = 0x80000A03u;
  const char* p = std::getenv("ZUNT_PLATFORM");
  if (p != nullptr && std::strcmp(p, "win32s") == 0) return kHosted;
  return kNtLike;
}

uint32_t tick_count() noexcept {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

uint32_t process_id() noexcept { return static_cast<uint32_t>(getpid()); }

}  // namespace zunt::platform
