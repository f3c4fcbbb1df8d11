// Library load and unload of ZUNT32S. Loading only counts; nothing else is initialised, so
// every operation is usable at once. The counter never goes below zero.
#pragma once

#include <cstdint>

namespace zunt {

// Called when the library is loaded into a process; returns the new count.
int32_t library_attach() noexcept;
// Called when the library is unloaded; returns the new count (never below 0).
int32_t library_detach() noexcept;
// The current count.
int32_t library_load_count() noexcept;

}  // namespace zunt
