// Bit vectors: bit i in byte i / 8 at position i % 8, least significant bit first.
#include "zunt/util.h"

namespace {
constexpr uint32_t bytes_for(uint32_t n) { return n / 8 + (n % 8 != 0); }
}  // namespace

extern "C" {

void lbitvu(uint8_t* bytes, const uint8_t* bits, uint32_t n, uint8_t mask) {
  for (uint32_t i = 0; i < n; ++i) {
    if ((bits[i / 8] >> (i % 8)) & 1u)
      bytes[i] = uint8_t(bytes[i] | mask);
    else
      bytes[i] = uint8_t(bytes[i] & ~mask);
  }
}

void lbitvpk(uint8_t* bits, const uint8_t* bytes, uint32_t n, uint8_t mask) {
  uint32_t whole = n / 8;
  for (uint32_t k = 0; k < whole; ++k) {
    uint8_t v = 0;
    for (uint32_t j = 0; j < 8; ++j)
      if (bytes[k * 8 + j] & mask) v = uint8_t(v | (1u << j));
    bits[k] = v;
  }
  uint32_t rest = n % 8;
  if (rest == 0) return;
  uint8_t v = 0;
  for (uint32_t j = 0; j < rest; ++j)
    if (bytes[whole * 8 + j] & mask) v = uint8_t(v | (1u << j));
  uint8_t low = uint8_t((1u << rest) - 1);
  bits[whole] = uint8_t((bits[whole] & ~low) | v);
}

void lbitvcp(uint8_t* dst, const uint8_t* bits, uint32_t s, uint32_t n) {
  if (n == 0) return;
  const uint8_t* src = bits + s / 8;
  uint32_t shift = s % 8;
  // Only the source bytes that hold bits of [s, s + n) are read; the byte after the last
  // one contributes nothing (its bits would lie beyond the copied range).
  uint32_t src_bytes = bytes_for(shift + n);
  uint32_t out = bytes_for(n);
  for (uint32_t k = 0; k < out; ++k) {
    uint32_t v = uint32_t(src[k]) >> shift;
    if (shift != 0 && k + 1 < src_bytes) v |= uint32_t(src[k + 1]) << (8 - shift);
    dst[k] = uint8_t(v);
  }
}

uint32_t lbitvo(uint8_t* dst, const uint8_t* a, const uint8_t* b, uint32_t n) {
  uint32_t m = bytes_for(n);
  for (uint32_t k = 0; k < m; ++k) dst[k] = uint8_t(a[k] | b[k]);
  return m;
}

uint32_t lbitvx(uint8_t* dst, const uint8_t* a, const uint8_t* b, uint32_t n) {
  uint32_t m = bytes_for(n);
  for (uint32_t k = 0; k < m; ++k) dst[k] = uint8_t(a[k] ^ b[k]);
  return m;
}

}  // extern "C"
