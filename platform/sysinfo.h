// System facts the libraries ask of the platform: the version word, the millisecond tick
// count and the process id.
#pragma once

#include <cstdint>

namespace zunt::platform {

// The platform version word. The top bit set means the 16-bit-hosted platform (where the
// transport uses movable shared global memory and the thunk registers with its 16-bit
// driver); clear means the NT-like platform, the default. The environment variable
// ZUNT_PLATFORM=win32s selects the other platform, so its paths can run in tests.
uint32_t version() noexcept;
inline bool is_nt(uint32_t v) noexcept { return (v & 0x80000000u) == 0; }

// Milliseconds since an arbitrary start, wrapping at 2^32 (monotonic clock).
uint32_t tick_count() noexcept;

// The calling process's id.
uint32_t process_id() noexcept;

}  // namespace zunt::platform
