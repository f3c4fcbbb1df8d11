// Bit vectors, memory blocks, EBCDIC translation, comparisons, search and replacement, tab
// handling, sorting and the small helpers of the byte utilities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "zunt/util.h"

namespace {

std::string S(const void* p, uint32_t n) { return std::string(static_cast<const char*>(p), n); }

TEST(BitVectors, PackKeepsHighBitsOfPartialByte) {
  const uint8_t bytes[5] = {1, 0, 1, 1, 0};
  uint8_t bits[1] = {0xE0};
  lbitvpk(bits, bytes, 5, 1);
  EXPECT_EQ(bits[0], 0xED);

  // Whole bytes are written whole; mask selects which byte bits count.
  uint8_t many[10] = {2, 2, 0, 0, 0, 0, 0, 3, 1, 2};
  uint8_t out[2] = {0xFF, 0xFF};
  lbitvpk(out, many, 10, 2);
  EXPECT_EQ(out[0], 0x83);
  EXPECT_EQ(out[1], 0xFE);  // bit 9 set, bit 8 clear, bits 2..7 untouched
}

TEST(BitVectors, UnpackSetsAndClearsMaskBits) {
  const uint8_t bits[2] = {0x05, 0x01};  // bits 0, 2 and 8
  uint8_t bytes[9];
  std::memset(bytes, 0xF0, sizeof bytes);
  lbitvu(bytes, bits, 9, 0x11);
  const uint8_t want[9] = {0xF1, 0xE0, 0xF1, 0xE0, 0xE0, 0xE0, 0xE0, 0xE0, 0xF1};
  EXPECT_EQ(0, std::memcmp(bytes, want, 9));
}

TEST(BitVectors, CopyFromAnyStartMatchesBitByBit) {
  std::mt19937 rng(7);
  uint8_t src[6];
  for (auto& b : src) b = uint8_t(rng());
  auto bit = [&](uint32_t i) { return (src[i / 8] >> (i % 8)) & 1; };
  for (uint32_t s = 0; s < 16; ++s)
    for (uint32_t n = 1; s + n <= 48; ++n) {
      uint8_t dst[6] = {};
      lbitvcp(dst, src, s, n);
      for (uint32_t i = 0; i < n; ++i) ASSERT_EQ((dst[i / 8] >> (i % 8)) & 1, bit(s + i)) << s << " " << n;
    }
}

TEST(BitVectors, OrAndXorReturnByteCount) {
  const uint8_t a[2] = {0x0F, 0xAA}, b[2] = {0xF1, 0x0A};
  uint8_t d[2] = {};
  EXPECT_EQ(lbitvo(d, a, b, 9), 2u);
  EXPECT_EQ(d[0], 0xFF);
  EXPECT_EQ(d[1], 0xAA);
  EXPECT_EQ(lbitvx(d, a, b, 16), 2u);
  EXPECT_EQ(d[0], 0xFE);
  EXPECT_EQ(d[1], 0xA0);
  EXPECT_EQ(lbitvx(d, a, b, 0), 0u);
}

TEST(Ebcdic, FixedPointsAndRoundTrip) {
  struct {
    uint8_t ascii, ebcdic;
  } rows[] = {{0x00, 0x00}, {' ', 0x40}, {'0', 0xF0}, {'A', 0xC1}, {'J', 0xD1}, {'Z', 0xE9},
              {'a', 0x81}, {'z', 0xA9}, {'[', 0x4A}, {']', 0x5A}, {'|', 0x6A}, {0x7F, 0x07},
              {0x85, 0x15}, {0x9F, 0xE1}, {0xFF, 0xFF}, {'\n', 0x25}, {'\t', 0x05}};
  for (auto r : rows) {
    uint8_t e = 0, a = 0;
    lmema2e(&e, &r.ascii, 1);
    lmeme2a(&a, &r.ebcdic, 1);
    EXPECT_EQ(e, r.ebcdic) << int(r.ascii);
    EXPECT_EQ(a, r.ascii) << int(r.ebcdic);
  }
  uint8_t all[256], there[256], back[256];
  std::iota(all, all + 256, 0);
  lmema2e(there, all, 256);
  lmeme2a(back, there, 256);
  EXPECT_EQ(0, std::memcmp(all, back, 256));
  std::sort(there, there + 256);
  EXPECT_EQ(0, std::memcmp(all, there, 256));  // a permutation
}

TEST(MemoryBlocks, CaseCopiesAllowOverlap) {
  char buf[16] = "abcDEF12";
  lmemup(buf + 2, buf, 8);  // destination starts inside the source
  EXPECT_EQ(S(buf, 10), "abABCDEF12");
  char low[] = "MiXeD [@]";
  EXPECT_EQ(S(lmemlo(low, low, 9), 9), "mixed [@]");
  char e[8] = "HELLO";
  lmema2e(e + 1, e, 5);
  lmeme2a(e + 1, e + 1, 5);
  EXPECT_EQ(S(e, 6), "HHELLO");
}

TEST(MemoryBlocks, CaseInsensitiveCompare) {
  EXPECT_EQ(lmemlcomp("GERMAN", "german", 6), 0);
  EXPECT_EQ(lmemlcomp("Abc", "abD", 3), 'c' - 'd');
  EXPECT_EQ(lmemlcomp("[", "{", 1), '[' - '{');  // only letters fold
  EXPECT_EQ(lmemlcomp("x", "y", 0), 0);
  EXPECT_GT(lmemlcomp("\xE9", "e", 1), 0);  // bytes are unsigned
}

TEST(MemoryBlocks, BlankPaddedCompare) {
  struct {
    const char* a;
    const char* b;
    int32_t want;
  } rows[] = {{"AB", "AB  ", 0},  {"ABC", "ABD", -3}, {"AB\t", "AB", -3}, {"AB", "AB\t", 3},
              {"ABx", "AB", 3},   {"AB", "AB !", -4},  {"", "", 0},        {"B", "A", 1},
              {"\x80", "a", 1},   {"", "  ", 0}};
  for (auto& r : rows)
    EXPECT_EQ(lmemcpp(r.a, uint32_t(strlen(r.a)), r.b, uint32_t(strlen(r.b))), r.want) << r.a << "|" << r.b;
}

TEST(MemoryBlocks, CompareGivesPositionOrPrefixLength) {
  EXPECT_EQ(lmfcmp("AB", 2, "ABC", 3), -3);
  EXPECT_EQ(lmfcmp("ABC", 3, "AB", 2), 3);
  EXPECT_EQ(lmfcmp("ABC", 3, "ABC", 3), 0);
  EXPECT_EQ(lmfcmp("AXC", 3, "ABC", 3), 2);
  EXPECT_EQ(lmfcmp("", 0, "A", 1), -1);
}

TEST(MemoryBlocks, Search) {
  EXPECT_EQ(lmemsub("hello world", 11, "o", 1), 4u);
  EXPECT_EQ(lmemsub("hello world", 11, "world", 5), 6u);
  EXPECT_EQ(lmemsub("hello", 5, "xyz", 3), 5u);
  EXPECT_EQ(lmemsub("hi", 2, "high", 4), 2u);
  EXPECT_EQ(lmemsub("hi", 2, "", 0), 0u);
  EXPECT_EQ(lmemsub("a\0b", 3, "\0b", 2), 1u);  // NUL is an ordinary byte
}

TEST(MemoryBlocks, ReplaceInPlace) {
  struct {
    const char* text;
    uint32_t cap;
    const char* pat;
    const char* rep;
    const char* want;
    int stop_at;  // offset of the reported occurrence in the result, -1 for none
  } rows[] = {
      {"a-b-c", 32, "-", "--", "a--b--c", -1},
      {"aaa", 32, "a", "aa", "aaaaaa", -1},  // continues after each replacement
      {"xyxy", 32, "xy", "", "", -1},
      {"abcabc", 32, "", "z", "abcabc", -1},
      {"a-b-c", 6, "-", "--", "a--b-c", 4},  // second replacement would exceed 6 bytes
      {"one", 32, "one", "three", "three", -1},
  };
  for (auto& r : rows) {
    char buf[32] = {};
    uint32_t n = uint32_t(strlen(r.text));
    std::memcpy(buf, r.text, n);
    void* stop = reinterpret_cast<void*>(1);
    uint32_t got = lmemrep(buf, n, r.cap, r.pat, uint32_t(strlen(r.pat)), r.rep, uint32_t(strlen(r.rep)), &stop);
    EXPECT_EQ(S(buf, got), r.want) << r.text;
    if (r.stop_at < 0)
      EXPECT_EQ(stop, nullptr) << r.text;
    else
      EXPECT_EQ(stop, buf + r.stop_at) << r.text;
  }
}

TEST(MemoryBlocks, ReplacingCopyStopsWhenFull) {
  struct {
    const char* src;
    uint32_t cap;
    const char* pat;
    const char* rep;
    const char* want;
    uint32_t unconsumed;
  } rows[] = {
      {"a.b.c", 16, ".", "::", "a::b::c", 0},
      {"a.b.c", 4, ".", "::", "a::b", 2},  // the second ".::" does not fit whole
      {"a.b.c", 2, ".", "::", "a", 4},
      {"abc", 2, "", "x", "ab", 1},
      {"a..", 8, "..", "", "a", 0},
      {"aXX", 3, "XX", "YYY", "a", 2},
  };
  for (auto& r : rows) {
    char out[16];
    uint32_t left = 99;
    uint32_t n = lmemcpr(out, r.cap, r.src, uint32_t(strlen(r.src)), r.pat, uint32_t(strlen(r.pat)), r.rep,
                         uint32_t(strlen(r.rep)), &left);
    EXPECT_EQ(S(out, n), r.want) << r.src << " cap " << r.cap;
    EXPECT_EQ(left, r.unconsumed) << r.src << " cap " << r.cap;
  }
}

TEST(MemoryBlocks, TabCompression) {
  struct {
    const char* in;
    const char* want;
  } rows[] = {
      {"abcdefgh   x", "abcdefgh   x"},  // the run ends at column 11, not a stop
      {"abc     x", "abc\tx"},
      {"abcdefg x", "abcdefg x"},         // a single blank at a stop stays
      {"ab      cd      e", "ab\tcd\te"},
      {"x   \n        y", "x   \n\ty"},   // line feed restarts the column count
      {"abc     ", "abc"},               // trailing blanks go before anything else
      {"   ", ""},
      {"a\t        b", "a\t\tb"},          // tab restarts the count too
      {"abc          z", "abc\t     z"},
  };
  for (auto& r : rows) {
    std::string in = r.in;
    std::vector<char> out(in.size() + 1);
    uint32_t n = lmemcps(in.data(), out.data(), uint32_t(in.size()));
    EXPECT_EQ(S(out.data(), n), r.want) << r.in;
    // In place gives the same.
    uint32_t m = lmemcps(in.data(), in.data(), uint32_t(in.size()));
    EXPECT_EQ(in.substr(0, m), r.want) << r.in;
  }
}

TEST(MemoryBlocks, TabExpansion) {
  char out[LMEMRTB_MAX];
  EXPECT_EQ(S(out, lmemrtb(out, "a\tb", 3)), "a       b");
  EXPECT_EQ(S(out, lmemrtb(out, "abcdefgh\tx", 10)), "abcdefgh        x");
  EXPECT_EQ(S(out, lmemrtb(out, "\t\t", 2)), std::string(16, ' '));
  // The result is cut at the work area's size, never beyond.
  std::string tabs(1000, '\t');
  EXPECT_EQ(lmemrtb(out, tabs.data(), 1000), LMEMRTB_MAX);
  EXPECT_EQ(std::count(out, out + LMEMRTB_MAX, ' '), LMEMRTB_MAX);
  // Expansion into an overlapping destination.
  char buf[32] = "x\ty";
  EXPECT_EQ(S(buf, lmemrtb(buf, buf, 3)), "x       y");
}

TEST(Misc, Primes) {
  struct {
    uint32_t n, p;
  } rows[] = {{0, 3},        {2, 3},        {3, 3},          {9, 11},        {10, 11}, {11, 11},
              {24, 29},      {7919, 7919},  {1000000, 1000003}, {4294967291u, 4294967291u},
              {4294967292u, 0}, {0xFFFFFFFFu, 0}};
  for (auto r : rows) EXPECT_EQ(lmfprim(r.n), r.p) << r.n;
}

int cmp_int(const void* a, const void* b) {
  int x, y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  return (x > y) - (x < y);
}

int cmp_mod(void* ctx, const void* a, const void* b) {
  int m = *static_cast<int*>(ctx);
  int x = *static_cast<const int*>(a) % m, y = *static_cast<const int*>(b) % m;
  ++static_cast<int*>(ctx)[1];
  return (x > y) - (x < y);
}

TEST(Misc, HeapsortAgainstStdSort) {
  std::mt19937 rng(3);
  for (uint32_t count : {0u, 1u, 2u, 3u, 7u, 8u, 100u, 1001u}) {
    std::vector<int> v(count);
    for (auto& x : v) x = int(rng() % 50) - 25;  // with duplicates
    auto want = v;
    std::sort(want.begin(), want.end());
    lmfsrt(v.data(), count, sizeof(int), cmp_int);
    EXPECT_EQ(v, want) << count;
  }
  // Odd element sizes are swapped as bytes.
  char recs[5][3] = {{'d', '1', '1'}, {'b', '2', '2'}, {'e', '3', '3'}, {'a', '4', '4'}, {'c', '5', '5'}};
  lmfsrt(recs, 5, 3, [](const void* a, const void* b) { return *(const char*)a - *(const char*)b; });
  EXPECT_EQ(S(recs, 15), "a44b22c55d11e33");

  int ctx[2] = {10, 0};
  std::vector<int> v = {19, 3, 45, 21, 8};
  lmfsrx(v.data(), 5, sizeof(int), cmp_mod, ctx);
  EXPECT_EQ(v, (std::vector<int>{21, 3, 45, 8, 19}));
  EXPECT_GT(ctx[1], 0);  // the context reached the comparisons
}

TEST(Misc, SwapClearAndTables) {
  char a[] = "abc", b[] = "xyz";
  EXPECT_EQ(slswap(a, b, 3), a);
  EXPECT_STREQ(a, "xyz");
  EXPECT_STREQ(b, "abc");
  lmfclr(a, 3);
  EXPECT_EQ(S(a, 4), std::string(4, '\0'));

  const ltbent table[] = {{"ALPHA", 1}, {"BETA", 2}, {"DELTA", 4}, {"GAMMA", 3}, {"OMEGA", 24}};
  EXPECT_STREQ(ltbnam(table, 5, 3), "GAMMA");
  EXPECT_EQ(ltbnam(table, 5, 99), nullptr);
  for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(ltbval(table, 5, table[i].name, 0), table[i].value);
  EXPECT_EQ(ltbval(table, 5, "delta", 0), 0);
  EXPECT_EQ(ltbval(table, 5, "delta", 1), 4);
  EXPECT_EQ(ltbval(table, 5, "EPSILON", 1), 0);
  EXPECT_EQ(ltbval(table, 0, "ALPHA", 0), 0);
}

TEST(Misc, BannerEmptyStringAndTemporaryBlock) {
  char buf[64];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(lmfver(buf, 47), 0);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(lmfver(buf, 48), 48);
  EXPECT_STREQ(buf, "ZUNT Version 2.3.4.0.4 - Production (LSF Alpha)");
  EXPECT_EQ(std::memcmp(lunulstr, "\0\0\0\0", 4), 0);
  lunoop();

  struct Seen {
    void* block = nullptr;
    int calls = 0;
  } seen;
  EXPECT_EQ(smaacb([](void* arg, void* block) {
              auto* s = static_cast<Seen*>(arg);
              s->block = block;
              ++s->calls;
              std::memset(block, 0xAB, 100);  // the whole size is usable
            }, &seen, 100), 1);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_NE(seen.block, nullptr);
  EXPECT_EQ(smaacb(nullptr, &seen, 8), 0);
}

}  // namespace
