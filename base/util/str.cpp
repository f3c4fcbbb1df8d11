// NUL-terminated string operations: case-changing copies, word capitalisation,
// case-insensitive comparison, variadic concatenation, padding and right justification.
#include <cstdarg>
#include <cstring>

#include "util/ascii.h"
#include "zunt/util.h"

using namespace zunt::util;

namespace {

template <typename Map>
char* map_string(char* dst, const char* src, Map map) {
  // Byte by byte, front to back, NUL included: dst may be src.
  size_t i = 0;
  for (;; ++i) {
    auto c = static_cast<uint8_t>(src[i]);
    dst[i] = static_cast<char>(map(c));
    if (c == 0) break;
  }
  return dst;
}

}  // namespace

extern "C" {

char* lstrlo(char* dst, const char* src) { return map_string(dst, src, to_lower); }

char* lstrup(char* dst, const char* src) { return map_string(dst, src, to_upper); }

char* lstrcp(char* dst, const char* src) {
  bool in_word = false;
  return map_string(dst, src, [&in_word](uint8_t c) {
    bool letter = is_alpha(c);
    uint8_t r = (letter && !in_word) ? to_upper(c) : c;
    in_word = letter;
    return r;
  });
}

int32_t lstrlcomp(const char* a, const char* b) {
  const auto* p = reinterpret_cast<const uint8_t*>(a);
  const auto* q = reinterpret_cast<const uint8_t*>(b);
  for (size_t i = 0;; ++i) {
    int32_t d = int32_t(to_lower(p[i])) - int32_t(to_lower(q[i]));
    if (d != 0 || p[i] == 0) return d;
  }
}

char* lstrcpn(char* dst, ...) {
  va_list ap;
  va_start(ap, dst);
  char* w = dst;
  while (const char* s = va_arg(ap, const char*)) {
    size_t n = std::strlen(s);
    std::memmove(w, s, n);
    w += n;
  }
  va_end(ap);
  *w = '\0';
  return w;
}

char* lstrap(char** pos, const char* end, ...) {
  char* w = *pos;
  if (w >= end) return w;  // no room even for the NUL
  *w = '\0';
  va_list ap;
  va_start(ap, end);
  bool full = false;
  while (!full) {
    const char* s = va_arg(ap, const char*);
    if (!s) break;
    for (; *s; ++s) {
      if (w + 1 == end) {  // the last usable byte is kept for the NUL
        full = true;
        break;
      }
      *w++ = *s;
    }
  }
  va_end(ap);
  *w = '\0';
  *pos = w;
  return w;
}

char* lstrpd(char* dst, const char* src, uint32_t width, char pad) {
  size_t n = std::strlen(src);
  std::memmove(dst, src, n);
  if (n < width) {
    std::memset(dst + n, static_cast<unsigned char>(pad), width - n);
    n = width;
  }
  dst[n] = '\0';
  return dst;
}

char* lstrrj(char* dst, const char* src, uint32_t width, char pad) {
  size_t n = strnlen(src, width);
  std::memmove(dst + (width - n), src, n);
  std::memset(dst, static_cast<unsigned char>(pad), width - n);
  dst[width] = '\0';
  return dst;
}

}  // extern "C"
