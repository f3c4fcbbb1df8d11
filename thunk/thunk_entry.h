// The library entry of THUNKA32/THUNKB32 and what the unit tests may ask of its state.
#pragma once

#include <cstdint>

namespace zunt::thunk {

// Reasons the platform calls the library entry with.
inline constexpr uint32_t kProcessDetach = 0;
inline constexpr uint32_t kProcessAttach = 1;
inline constexpr uint32_t kThreadAttach = 2;
inline constexpr uint32_t kThreadDetach = 3;

// Runs the load and unload steps: the first process attach registers the universal thunk
// with the 16-bit library unless the platform is NT-like, the last detach unregisters it.
// Returns false when an attach fails (the thunk services are missing or registration is
// refused); the library then stays without a thunk and osncon32 returns 3121.
bool library_entry(uint32_t reason) noexcept;

// The identity under which this library registers with the universal thunk.
const void* module_identity() noexcept;

// The attach count.
int32_t attach_count() noexcept;

}  // namespace zunt::thunk
