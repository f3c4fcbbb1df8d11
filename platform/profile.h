// The user's profile section "Velmor". On Linux the process environment stands for it (the
// Unix home of per-user settings), so NLS_LANG=... in the shell reaches every lookup. Keys
// match without regard to letter case, as profile keys do: an exact match first, else the
// first variable whose name equals the key ignoring case.
#pragma once

#include <cstdint>

namespace zunt::platform {

// Copies the value of key into out (size bytes, at most size - 1 of the value and a NUL) and
// returns the bytes copied; 0 when the key is absent, empty or not a valid variable name
// (empty, or containing "="). The empty default of a profile read.
uint32_t profile_get(const char* key, char* out, uint32_t size) noexcept;

// Sets the environment variable name to value (which may be empty): 0, or the errno value
// (EINVAL for a name that is empty or holds "=", ENOMEM).
int32_t env_set(const char* name, const char* value) noexcept;

}  // namespace zunt::platform
