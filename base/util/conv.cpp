// Integer and text conversions: integers to text in any base from 2 to 36, fixed-width
// hexadecimal, text to integers, and floating values in exponent notation.
#include <cstdio>

#include "util/ascii.h"
#include "zunt/util.h"

using namespace zunt::util;

namespace {

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

uint32_t int_to_text(char* dst, int32_t value, int32_t base) {
  bool is_signed = base <= 0;
  uint32_t b = base == 0 ? 10u : base < 0 ? 0u - uint32_t(base) : uint32_t(base);
  if (b < 2 || b > 36) return 0;  // no digit set for such a base
  uint32_t u = uint32_t(value);
  uint32_t w = 0;
  if (is_signed && value < 0) {
    dst[w++] = '-';
    u = 0u - u;  // magnitude, exact for INT32_MIN as well
  }
  char rev[32];
  uint32_t k = 0;
  do {
    rev[k++] = kDigits[u % b];
    u /= b;
  } while (u != 0);
  while (k > 0) dst[w++] = rev[--k];
  return w;
}

constexpr uint32_t digit_value(uint8_t c) {
  if (c >= '0' && c <= '9') return uint32_t(c - '0');
  if (is_lower(c)) return uint32_t(c - 'a' + 10);
  if (is_upper(c)) return uint32_t(c - 'A' + 10);
  return 99;
}

// Reads a NUL as the end of the text as well, so the conventional "unknown length" 0xFE00
// never reads past the terminator: a NUL is neither white space, a sign nor a digit.
uint32_t text_to_int(const char* text, uint32_t len, int32_t* out, int32_t base) {
  const auto* t = reinterpret_cast<const uint8_t*>(text);
  uint32_t i = 0;
  while (i < len && is_space(t[i])) ++i;
  bool negative = false;
  if (i < len && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  uint32_t b = base == 0 ? 10u : base < 0 ? 0u : uint32_t(base);
  // The 0x prefix counts only when a hexadecimal digit follows; "0x" alone reads as 0.
  if (b == 16 && len - i >= 3 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X') &&
      digit_value(t[i + 2]) < 16)
    i += 2;
  uint32_t v = 0;
  uint32_t start = i;
  for (; i < len; ++i) {
    uint32_t d = digit_value(t[i]);
    if (d >= b) break;
    v = v * b + d;  // wraps modulo 2^32
  }
  if (i == start) {
    if (out) *out = 0;
    return 0;
  }
  if (negative) v = 0u - v;
  if (out) *out = int32_t(v);
  return i;
}

}  // namespace

extern "C" {

uint32_t lmf42b(char* dst, int32_t value, int32_t base) { return int_to_text(dst, value, base); }

uint32_t lmfw2b(char* dst, int32_t value, int32_t base) { return int_to_text(dst, value, base); }

uint32_t lmf42h(char* dst, uint32_t value, uint32_t n) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t shift = 4 * (n - 1 - i);
    dst[i] = shift < 32 ? kHex[(value >> shift) & 15u] : '0';
  }
  return n;
}

uint32_t lmfb24(const char* text, uint32_t len, int32_t* out, int32_t base) {
  return text_to_int(text, len, out, base);
}

uint32_t lmfb2w(const char* text, uint32_t len, int32_t* out, int32_t base) {
  return text_to_int(text, len, out, base);
}

uint32_t lmfd2e(char* dst, double value, int32_t a, int32_t b) {
  int64_t p = int64_t(a) + int64_t(b) - 1;
  int prec = p < 0 ? 0 : p > 14 ? 14 : int(p);
  int n = std::snprintf(dst, LMFD2E_MAX, "%.*e", prec, value);
  return n < 0 ? 0u : uint32_t(n);
}

}  // extern "C"
