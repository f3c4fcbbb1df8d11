// Name-squeezing and value-cleaning rules of the configuration lookup (see cfgname.h).
// White space is that of the C locale: blank, tab, line feed, vertical tab, form feed and
// carriage return, whatever locale the process has set.
#include "cfgname.h"

namespace zunt::cfg {
namespace {

constexpr bool is_space(char c) noexcept {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

uint32_t squeeze(const char* text, uint32_t n, char* out) noexcept {
  uint32_t w = 0;
  bool gap = false;  // white space seen since the last kept byte
  for (uint32_t i = 0; i < n && text[i] != '\0'; ++i) {
    if (is_space(text[i])) {
      gap = w > 0;  // leading white space never opens a gap
      continue;
    }
    if (gap) out[w++] = ' ';
    gap = false;
    out[w++] = text[i];
  }
  out[w] = '\0';
  return w;
}

uint32_t clean(const char* text, uint32_t n, char* out) noexcept {
  uint32_t i = 0;
  while (i < n && text[i] != '\0' && is_space(text[i])) ++i;
  uint32_t w = 0;
  for (; i < n && text[i] != '\0'; ++i) {
    if (!is_space(text[i])) {
      out[w++] = text[i];
      continue;
    }
    bool last = i + 1 == n || text[i + 1] == '\0';
    if (!last) out[w++] = ' ';
  }
  out[w] = '\0';
  return w;
}

}  // namespace zunt::cfg
