// The private per-user runtime directory that holds the window records and message queues of
// every process of one user. Created with mode 0700 and checked on every use, so another user
// can neither list, read nor post into it.
#pragma once

#include <cstdint>

namespace zunt::platform {

// Path of the runtime directory: $ZUNT_RUNTIME_DIR when set (tests point it at a temporary
// directory; it must exist), else $XDG_RUNTIME_DIR/zunt, else /tmp/zunt-<uid> (both created
// when missing). Returns
// nullptr when the directory cannot be made or is not a private directory of this user
// (owner differs, group or others have any access, or it is a symbolic link).
const char* runtime_dir() noexcept;

// Writes "<runtime dir>/<leaf>" into out (NUL-terminated). False when the directory is not
// usable or the path does not fit.
bool runtime_path(const char* leaf, char* out, uint32_t cap) noexcept;

}  // namespace zunt::platform
