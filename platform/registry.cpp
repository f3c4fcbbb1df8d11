// Registry value file reader.
#include "registry.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zunt::platform {
namespace {

// Trims blanks and tabs at both ends of [b, e).
void trim(const char*& b, const char*& e) {
  while (b < e && (*b == ' ' || *b == '\t')) ++b;
  while (e > b && (e[-1] == ' ' || e[-1] == '\t')) --e;
}

bool equal_nocase(const char* b, const char* e, const char* s) {
  size_t n = static_cast<size_t>(e - b);
  return std::strlen(s) == n && strncasecmp(b, s, n) == 0;
}

}  // namespace

int32_t registry_value(const char* key, const char* name, char* out, uint32_t cap) noexcept {
  if (key == nullptr || name == nullptr || out == nullptr) return -1;
  const char* path = std::getenv("ZUNT_REGISTRY");
  if (path == nullptr || *path == '\0') path = "/etc/velmor/registry";
  FILE* f = std::fopen(path, "re");
  if (f == nullptr) return -1;
  int32_t result = -1;
  bool in_key = true;  // lines before the first section belong to every key
  char line[1024];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    size_t n = std::strlen(line);
    bool whole = n > 0 && line[n - 1] == '\n';
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) --n;
    if (!whole && !std::feof(f)) {
      // Longer than the buffer: skip the rest of it; such a line never matches.
      int c;
      while ((c = std::fgetc(f)) != EOF && c != '\n') {
      }
      continue;
    }
    const char* b = line;
    const char* e = line + n;
    trim(b, e);
    if (b == e || *b == '#' || *b == ';') continue;
    if (*b == '[' && e[-1] == ']') {
      const char* kb = b + 1;
      const char* ke = e - 1;
      trim(kb, ke);
      in_key = equal_nocase(kb, ke, key);
      continue;
    }
    const char* eq = static_cast<const char*>(std::memchr(b, '=', static_cast<size_t>(e - b)));
    if (!in_key || eq == nullptr) continue;
    const char* nb = b;
    const char* ne = eq;
    trim(nb, ne);
    if (!equal_nocase(nb, ne, name)) continue;
    const char* vb = eq + 1;
    const char* ve = line + n;
    size_t len = static_cast<size_t>(ve - vb);
    if (len > cap) {
      result = -2;
    } else {
      std::memcpy(out, vb, len);
      result = static_cast<int32_t>(len);
    }
    break;
  }
  std::fclose(f);
  return result;
}

}  // namespace zunt::platform
