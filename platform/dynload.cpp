// Dynamic loading: the built-in module table and the mapping of driver library names onto
// shared objects found with dlopen.
#include "dynload.h"

#include <dlfcn.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "uthunk.h"

namespace zunt::platform {
namespace {

struct BuiltinEntry {
  const char* name;
  void* address;
};

struct BuiltinModule {
  const char* name;
  const BuiltinEntry* entries;
  std::size_t count;
};

const BuiltinEntry kernel_entries[] = {
    {"UTRegister", reinterpret_cast<void*>(&ut_register)},
    {"UTUnRegister", reinterpret_cast<void*>(&ut_unregister)},
};

const BuiltinModule builtin_modules[] = {
    {"Kernel32.Dll", kernel_entries, sizeof kernel_entries / sizeof kernel_entries[0]},
};
constexpr std::size_t kBuiltinCount = sizeof builtin_modules / sizeof builtin_modules[0];

constexpr std::size_t kPathMax = 4096;

char lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_nocase(const char* a, std::size_t alen, const char* b, std::size_t blen) noexcept {
  if (alen != blen) return false;
  for (std::size_t i = 0; i < alen; ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// The last path component of a product-style name: "\" and "/" separate, "X:" is a drive.
const char* base_name(const char* name) noexcept {
  const char* base = name;
  if (((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) && name[1] == ':')
    base = name + 2;
  for (const char* p = base; *p != '\0'; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  return base;
}

bool has_extension(const char* base) noexcept { return std::strchr(base, '.') != nullptr; }

const BuiltinModule* find_builtin(const char* base) noexcept {
  const std::size_t len = std::strlen(base);
  for (const BuiltinModule& m : builtin_modules) {
    const std::size_t mlen = std::strlen(m.name);
    if (equal_nocase(base, len, m.name, mlen)) return &m;
    // "Kernel32" alone means "Kernel32.Dll".
    if (!has_extension(base) && mlen > 4 && equal_nocase(base, len, m.name, mlen - 4)) return &m;
  }
  return nullptr;
}

const BuiltinModule* as_builtin(Module m) noexcept {
  for (std::size_t i = 0; i < kBuiltinCount; ++i)
    if (m == static_cast<const void*>(&builtin_modules[i])) return &builtin_modules[i];
  return nullptr;
}

// Appends src[0..n) to dst[0..len), keeping room for the terminator within size; false
// when it does not fit.
bool append(char* dst, std::size_t size, std::size_t& len, const char* src, std::size_t n) noexcept {
  if (len + n + 1 > size) return false;
  std::memcpy(dst + len, src, n);
  len += n;
  dst[len] = '\0';
  return true;
}

void* open_in(const char* dir, std::size_t dirlen, const char* so) noexcept {
  if (dirlen == 0) return nullptr;
  char path[kPathMax];
  std::size_t len = 0;
  if (!append(path, sizeof path, len, dir, dirlen) || !append(path, sizeof path, len, "/", 1) ||
      !append(path, sizeof path, len, so, std::strlen(so)))
    return nullptr;
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* open_driver(const char* so) noexcept {
  if (const char* list = std::getenv("ZUNT_DLL_PATH"); list != nullptr) {
    for (const char* p = list;;) {
      const char* end = std::strchr(p, ':');
      const std::size_t n = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
      if (void* h = open_in(p, n, so)) return h;
      if (end == nullptr) break;
      p = end + 1;
    }
  }
  // Beside the shared object (or program) this layer is linked into.
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&open_driver), &info) != 0 && info.dli_fname != nullptr) {
    const char* slash = std::strrchr(info.dli_fname, '/');
    if (slash != nullptr)
      if (void* h = open_in(info.dli_fname, static_cast<std::size_t>(slash - info.dli_fname), so)) return h;
  }
  return dlopen(so, RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

bool shared_object_name(const char* name, char* out, std::size_t size) noexcept {
  if (name == nullptr || out == nullptr || size == 0) return false;
  out[0] = '\0';
  const char* base = base_name(name);
  std::size_t n = std::strlen(base);
  if (n > 4 && equal_nocase(base + n - 4, 4, ".dll", 4)) n -= 4;
  if (n == 0) return false;
  std::size_t len = 0;
  bool ok = append(out, size, len, "lib", 3);
  for (std::size_t i = 0; ok && i < n; ++i) {
    const char c = lower(base[i]);
    ok = append(out, size, len, &c, 1);
  }
  ok = ok && append(out, size, len, ".so", 3);
  if (!ok) out[0] = '\0';  // nothing half-written
  return ok;
}

Module load_library(const char* name) noexcept {
  if (name == nullptr || name[0] == '\0') return nullptr;
  const char* base = base_name(name);
  if (const BuiltinModule* m = find_builtin(base)) return const_cast<BuiltinModule*>(m);
  char so[kPathMax];
  if (!shared_object_name(base, so, sizeof so)) return nullptr;
  return open_driver(so);
}

void* get_proc_address(Module module, const char* name) noexcept {
  if (module == nullptr || name == nullptr) return nullptr;
  if (const BuiltinModule* m = as_builtin(module)) {
    for (std::size_t i = 0; i < m->count; ++i)
      if (std::strcmp(m->entries[i].name, name) == 0) return m->entries[i].address;
    return nullptr;
  }
  return dlsym(module, name);
}

bool free_library(Module module) noexcept {
  if (module == nullptr) return false;
  if (as_builtin(module) != nullptr) return true;
  return dlclose(module) == 0;
}

}  // namespace zunt::platform
