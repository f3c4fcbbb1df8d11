// Per-user runtime directory: located once per process, created 0700, verified on each call.
#include "rundir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zunt::platform {
namespace {

bool private_dir(const char* path, bool create) noexcept {
  struct stat st{};
  if (lstat(path, &st) != 0) {
    if (errno != ENOENT || !create) return false;
    if (mkdir(path, 0700) != 0 && errno != EEXIST) return false;
    if (lstat(path, &st) != 0) return false;
  }
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

const char* runtime_dir() noexcept {
  // The path is chosen from the environment at each call, so a test process may switch it;
  // the buffer is per thread so callers on different threads do not race.
  thread_local char path[256];
  const char* env = std::getenv("ZUNT_RUNTIME_DIR");
  int n;
  bool create = true;
  if (env != nullptr && *env != '\0') {
    n = std::snprintf(path, sizeof path, "%s", env);
    create = false;  // a directory named explicitly must exist already
  } else if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg == '/') {
    n = std::snprintf(path, sizeof path, "%s/zunt", xdg);
  } else {
    n = std::snprintf(path, sizeof path, "/tmp/zunt-%u", static_cast<unsigned>(geteuid()));
  }
  if (n <= 0 || static_cast<size_t>(n) >= sizeof path) return nullptr;
  return private_dir(path, create) ? path : nullptr;
}

bool runtime_path(const char* leaf, char* out, uint32_t cap) noexcept {
  const char* dir = runtime_dir();
  if (dir == nullptr) return false;
  int n = std::snprintf(out, cap, "%s/%s", dir, leaf);
  return n > 0 && static_cast<uint32_t>(n) < cap;
}

}  // namespace zunt::platform
