// The system registry value store: a NAME=VALUE file, by default /etc/velmor/registry, or the
// file named by $ZUNT_REGISTRY (tests point it at a fixture). Lines "[key]" open the values
// of a key; lines before any such line belong to every key. Keys and value names compare
// without regard to letter case, blanks around names are ignored; the value is the rest of
// the line after "=" without its line end.
#pragma once

#include <cstdint>

namespace zunt::platform {

// Looks up value name under key. Returns the value's length (bytes copied, no NUL added) or
// -1 when the file, key or value is missing, -2 when the value is longer than cap.
int32_t registry_value(const char* key, const char* name, char* out, uint32_t cap) noexcept;

}  // namespace zunt::platform
