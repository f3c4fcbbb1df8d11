// Memory-block operations: EBCDIC translation, case-changing copies, case-insensitive and
// blank-padded comparison, search and replacement, tab compression and expansion.
#include <cstring>

#include "util/ascii.h"
#include "zunt/util.h"

namespace zunt::util {
namespace {

// ASCII to EBCDIC, indexed by the ASCII byte.
constexpr uint8_t kA2E[256] = {
    0x00, 0x01, 0x02, 0x03, 0x37, 0x2D, 0x2E, 0x2F, 0x16, 0x05, 0x25, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x3C, 0x3D, 0x32, 0x26, 0x18, 0x19, 0x3F, 0x27, 0x1C, 0x1D, 0x1E, 0x1F,
    0x40, 0x4F, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0x4A, 0xE0, 0x5A, 0x5F, 0x6D,
    0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x6A, 0xD0, 0xA1, 0x07,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x15, 0x06, 0x17, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x09, 0x0A, 0x1B,
    0x30, 0x31, 0x1A, 0x33, 0x34, 0x35, 0x36, 0x08, 0x38, 0x39, 0x3A, 0x3B, 0x04, 0x14, 0x3E, 0xE1,
    0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57,
    0x58, 0x59, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75,
    0x76, 0x77, 0x78, 0x80, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E,
    0x9F, 0xA0, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xDA, 0xDB,
    0xDC, 0xDD, 0xDE, 0xDF, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

struct Table {
  uint8_t b[256];
};

// EBCDIC to ASCII: the exact inverse of kA2E, built at compile time; the static_assert below
// proves kA2E is a permutation, so every EBCDIC byte has exactly one ASCII preimage.
constexpr Table invert(const uint8_t (&t)[256]) {
  Table r{};
  for (int i = 0; i < 256; ++i) r.b[t[i]] = static_cast<uint8_t>(i);
  return r;
}
constexpr Table kE2A = invert(kA2E);

constexpr bool is_inverse() {
  for (int i = 0; i < 256; ++i)
    if (kE2A.b[kA2E[i]] != i || kA2E[kE2A.b[i]] != i) return false;
  return true;
}
static_assert(is_inverse(), "the ASCII/EBCDIC table must be a permutation");

// The copies allow any overlap: move the source into place first, then map in place.
template <typename Map>
void* map_copy(void* dst, const void* src, uint32_t n, Map map) {
  if (n == 0) return dst;
  std::memmove(dst, src, n);
  auto* d = static_cast<uint8_t*>(dst);
  for (uint32_t i = 0; i < n; ++i) d[i] = map(d[i]);
  return dst;
}

constexpr uint8_t kBlank = ' ';
constexpr uint32_t kTabStop = 8;

}  // namespace
}  // namespace zunt::util

using namespace zunt::util;

extern "C" {

void* lmema2e(void* dst, const void* src, uint32_t n) {
  return map_copy(dst, src, n, [](uint8_t c) { return kA2E[c]; });
}

void* lmeme2a(void* dst, const void* src, uint32_t n) {
  return map_copy(dst, src, n, [](uint8_t c) { return kE2A.b[c]; });
}

void* lmemlo(void* dst, const void* src, uint32_t n) { return map_copy(dst, src, n, to_lower); }

void* lmemup(void* dst, const void* src, uint32_t n) { return map_copy(dst, src, n, to_upper); }

int32_t lmemlcomp(const void* a, const void* b, uint32_t n) {
  const auto* p = static_cast<const uint8_t*>(a);
  const auto* q = static_cast<const uint8_t*>(b);
  for (uint32_t i = 0; i < n; ++i) {
    if (p[i] == q[i]) continue;
    int32_t d = int32_t(to_lower(p[i])) - int32_t(to_lower(q[i]));
    if (d != 0) return d;
  }
  return 0;
}

int32_t lmemcpp(const void* a, uint32_t alen, const void* b, uint32_t blen) {
  const auto* p = static_cast<const uint8_t*>(a);
  const auto* q = static_cast<const uint8_t*>(b);
  uint32_t common = alen < blen ? alen : blen;
  if (int32_t d = first_difference(p, q, common)) return d;
  // Beyond the shorter block the longer one is compared with blanks.
  const uint8_t* rest = alen > blen ? p : q;
  int32_t sign = alen > blen ? 1 : -1;
  for (uint32_t i = common; i < (alen > blen ? alen : blen); ++i)
    if (rest[i] != kBlank) return rest[i] > kBlank ? sign * int32_t(i + 1) : -sign * int32_t(i + 1);
  return 0;
}

uint32_t lmemsub(const void* block, uint32_t len, const void* pat, uint32_t patlen) {
  if (patlen == 0) return 0;
  if (patlen > len) return len;
  const void* hit = memmem(block, len, pat, patlen);
  return hit ? uint32_t(static_cast<const uint8_t*>(hit) - static_cast<const uint8_t*>(block)) : len;
}

uint32_t lmemrep(void* block, uint32_t used, uint32_t cap, const void* pat, uint32_t patlen,
                 const void* rep, uint32_t replen, void** stop) {
  if (stop) *stop = nullptr;
  auto* b = static_cast<uint8_t*>(block);
  if (patlen == 0 || used < patlen) return used;
  uint32_t pos = 0;
  while (pos + patlen <= used) {
    const void* hit = memmem(b + pos, used - pos, pat, patlen);
    if (!hit) break;
    pos = uint32_t(static_cast<const uint8_t*>(hit) - b);
    uint64_t grown = uint64_t(used) - patlen + replen;
    if (grown > cap) {
      if (stop) *stop = b + pos;
      return used;
    }
    std::memmove(b + pos + replen, b + pos + patlen, used - pos - patlen);
    if (replen) std::memcpy(b + pos, rep, replen);
    used = uint32_t(grown);
    pos += replen;
  }
  return used;
}

uint32_t lmemcpr(void* dst, uint32_t cap, const void* src, uint32_t srclen, const void* pat,
                 uint32_t patlen, const void* rep, uint32_t replen, uint32_t* unconsumed) {
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  const auto* p = static_cast<const uint8_t*>(pat);
  uint32_t i = 0, w = 0;
  while (i < srclen) {
    if (patlen > 0 && srclen - i >= patlen && s[i] == p[0] && std::memcmp(s + i, p, patlen) == 0) {
      if (cap - w < replen) break;
      if (replen) std::memcpy(d + w, rep, replen);
      w += replen;
      i += patlen;
      continue;
    }
    if (w == cap) break;
    d[w++] = s[i++];
  }
  if (unconsumed) *unconsumed = srclen - i;
  return w;
}

uint32_t lmemcps(const void* src, void* dst, uint32_t n) {
  const auto* s = static_cast<const uint8_t*>(src);
  auto* d = static_cast<uint8_t*>(dst);
  while (n > 0 && s[n - 1] == kBlank) --n;
  // Output never runs ahead of input (each byte read yields at most one byte written), so
  // dst may be src.
  uint32_t w = 0, col = 0, blanks = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint8_t c = s[i];
    if (c == kBlank) {
      ++blanks;
      if (++col % kTabStop == 0) {
        d[w++] = blanks >= 2 ? '\t' : kBlank;
        blanks = 0;
      }
      continue;
    }
    for (; blanks > 0; --blanks) d[w++] = kBlank;
    d[w++] = c;
    col = (c == '\n' || c == '\t' || c == '\r') ? 0 : col + 1;
  }
  return w;
}

uint32_t lmemrtb(void* dst, const void* src, uint32_t n) {
  // Built in a work area first, so dst may overlap src.
  uint8_t work[LMEMRTB_MAX];
  const auto* s = static_cast<const uint8_t*>(src);
  uint32_t w = 0;
  for (uint32_t i = 0; i < n && w < LMEMRTB_MAX; ++i) {
    if (s[i] != '\t') {
      work[w++] = s[i];
      continue;
    }
    uint32_t to = (w / kTabStop + 1) * kTabStop;
    if (to > LMEMRTB_MAX) to = LMEMRTB_MAX;
    while (w < to) work[w++] = kBlank;
  }
  if (w) std::memcpy(dst, work, w);
  return w;
}

}  // extern "C"
