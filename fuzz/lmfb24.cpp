// links: zunt32s_core
// Text to integer (lmfb24, lmfb2w) on arbitrary text and bases: the count consumed never
// exceeds the length, re-reading the consumed prefix gives the same result, and for the
// bases 2 to 36 writing the value back (lmf42b) and reading it again round-trips.
#include <cstdint>
#include <cstring>

#include "zunt/util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int32_t base = static_cast<int8_t>(data[0]);  // -128..127, so odd bases are reached too
  const char* text = reinterpret_cast<const char*>(data + 1);
  auto len = static_cast<uint32_t>(size - 1);
  int32_t v = 0, w = 0;
  uint32_t used = lmfb24(text, len, &v, base);
  if (used > len) __builtin_trap();
  if (lmfb2w(text, len, &w, base) != used || w != v) __builtin_trap();
  if (used > 0) {
    int32_t again = 0;
    if (lmfb24(text, used, &again, base) != used || again != v) __builtin_trap();
  }
  int32_t b = base == 0 ? 10 : base;
  if (b >= 2 && b <= 36) {
    char buf[40];
    uint32_t n = lmf42b(buf, v, b);  // unsigned digits in base b
    int32_t back = 0;
    if (n == 0 || n > 32 || lmfb24(buf, n, &back, b) != n || back != v) __builtin_trap();
    uint32_t m = lmf42b(buf, v, -b);  // signed
    if (m == 0 || m > 33 || lmfb24(buf, m, &back, b) != m || back != v) __builtin_trap();
  }
  return 0;
}
