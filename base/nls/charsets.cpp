// Character-set lookups by id and the published byte flags liaebc. The definitions
// themselves are generated data (base/data/cs_*.cpp).
#include "zunt/nlscs.h"

namespace {

// liaebc: 1 for every byte value except the 105 listed in the zero ranges below.
constexpr struct {
  uint8_t first, last;
} kZeroRanges[] = {
    {0x08, 0x09}, {0x23, 0x23}, {0x28, 0x29}, {0x2C, 0x2C}, {0x30, 0x31}, {0x33, 0x33}, {0x38, 0x3A},
    {0x3E, 0x3E}, {0x41, 0x49}, {0x51, 0x59}, {0x62, 0x69}, {0x70, 0x78}, {0x80, 0x80}, {0x8A, 0x8A},
    {0x8C, 0x90}, {0x9A, 0x9A}, {0x9C, 0xA0}, {0xAA, 0xAC}, {0xAE, 0xBC}, {0xBE, 0xBF}, {0xCA, 0xCF},
    {0xDA, 0xDF}, {0xE1, 0xE1}, {0xEA, 0xEF}, {0xFB, 0xFF},
};

struct ByteFlags {
  uint32_t v[256];
};

constexpr ByteFlags make_aebc() {
  ByteFlags f{};
  for (auto& x : f.v) x = 1;
  for (const auto& r : kZeroRanges)
    for (unsigned b = r.first; b <= r.last; ++b) f.v[b] = 0;
  return f;
}

constexpr ByteFlags kAebc = make_aebc();

}  // namespace

extern "C" {

const uint32_t liaebc[256] = {
#define ZUNT_AEBC_ROW(r)                                                                                \
  kAebc.v[r + 0], kAebc.v[r + 1], kAebc.v[r + 2], kAebc.v[r + 3], kAebc.v[r + 4], kAebc.v[r + 5],       \
      kAebc.v[r + 6], kAebc.v[r + 7], kAebc.v[r + 8], kAebc.v[r + 9], kAebc.v[r + 10], kAebc.v[r + 11], \
      kAebc.v[r + 12], kAebc.v[r + 13], kAebc.v[r + 14], kAebc.v[r + 15]
    ZUNT_AEBC_ROW(0x00), ZUNT_AEBC_ROW(0x10), ZUNT_AEBC_ROW(0x20), ZUNT_AEBC_ROW(0x30),
    ZUNT_AEBC_ROW(0x40), ZUNT_AEBC_ROW(0x50), ZUNT_AEBC_ROW(0x60), ZUNT_AEBC_ROW(0x70),
    ZUNT_AEBC_ROW(0x80), ZUNT_AEBC_ROW(0x90), ZUNT_AEBC_ROW(0xA0), ZUNT_AEBC_ROW(0xB0),
    ZUNT_AEBC_ROW(0xC0), ZUNT_AEBC_ROW(0xD0), ZUNT_AEBC_ROW(0xE0), ZUNT_AEBC_ROW(0xF0),
#undef ZUNT_AEBC_ROW
};

ZUNT_API const li_csdef* lihci2h(uint16_t id) {
  for (const li_csdef* const* p = lictbn; *p; ++p)
    if ((*p)->cs_id == id) return *p;
  return nullptr;
}

ZUNT_API uint16_t lihh2ci(const li_csdef* cs) {
  return cs ? cs->cs_id : 0;
}

}  // extern "C"
