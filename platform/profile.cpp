// The profile section "Velmor" over the process environment (see profile.h). Reads and
// writes of the environment made through these calls hold one lock, so threads of this
// library never see the environment while another of them changes it.
#include "profile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

extern char** environ;

namespace zunt::platform {
namespace {

std::mutex env_lock;

bool valid_name(const char* key) noexcept {
  return key != nullptr && *key != '\0' && std::strchr(key, '=') == nullptr;
}

char lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The value of the first variable whose name equals key ignoring case, or null.
const char* find_nocase(const char* key) noexcept {
  size_t n = std::strlen(key);
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const char* v = *e;
    size_t i = 0;
    while (i < n && v[i] != '\0' && lower(v[i]) == lower(key[i])) ++i;
    if (i == n && v[n] == '=') return v + n + 1;
  }
  return nullptr;
}

}  // namespace

uint32_t profile_get(const char* key, char* out, uint32_t size) noexcept {
  if (size == 0) return 0;
  out[0] = '\0';
  if (!valid_name(key)) return 0;
  std::lock_guard<std::mutex> hold(env_lock);
  const char* v = std::getenv(key);
  if (v == nullptr) v = find_nocase(key);
  if (v == nullptr) return 0;
  size_t n = strnlen(v, size - 1);
  std::memcpy(out, v, n);
  out[n] = '\0';
  return static_cast<uint32_t>(n);
}

int32_t env_set(const char* name, const char* value) noexcept {
  if (!valid_name(name) || value == nullptr) return EINVAL;
  std::lock_guard<std::mutex> hold(env_lock);
  if (::setenv(name, value, 1) != 0) return errno ? errno : ENOMEM;
  return 0;
}

}  // namespace zunt::platform
