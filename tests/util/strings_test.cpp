// NUL-terminated strings and the integer/text conversions of the byte utilities.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "zunt/util.h"

namespace {

TEST(Strings, CaseCopies) {
  char buf[32];
  EXPECT_STREQ(lstrlo(buf, "Hello, WORLD [@]"), "hello, world [@]");
  EXPECT_STREQ(lstrup(buf, "Hello, world {`}"), "HELLO, WORLD {`}");
  struct {
    const char* in;
    const char* want;
  } rows[] = {{"hello world-wide", "Hello World-Wide"}, {"x", "X"}, {"", ""},
              {"mIXED case", "MIXED Case"},            {"a1b 2c", "A1B 2C"}, {"\xE9t\xE9", "\xE9T\xE9"}};
  for (auto& r : rows) EXPECT_STREQ(lstrcp(buf, r.in), r.want) << r.in;
  std::strcpy(buf, "in place");
  EXPECT_STREQ(lstrcp(buf, buf), "In Place");
}

TEST(Strings, CaseInsensitiveCompare) {
  EXPECT_EQ(lstrlcomp("Abc", "aBC"), 0);
  EXPECT_LT(lstrlcomp("abc", "abd"), 0);
  EXPECT_GT(lstrlcomp("abcd", "ABC"), 0);
  EXPECT_LT(lstrlcomp("", "a"), 0);
  EXPECT_EQ(lstrlcomp("", ""), 0);
  EXPECT_EQ(lstrlcomp("_", "a"), '_' - 'a');
}

TEST(Strings, Concatenation) {
  char buf[32];
  char* end = lstrcpn(buf, "ab", "", "cde", "f", (char*)nullptr);
  EXPECT_STREQ(buf, "abcdef");
  EXPECT_EQ(end, buf + 6);
  EXPECT_EQ(lstrcpn(buf, (char*)nullptr), buf);
  EXPECT_STREQ(buf, "");
}

TEST(Strings, AppendWithinLimit) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  char* pos = buf;
  EXPECT_EQ(lstrap(&pos, buf + 8, "abc", "de", (char*)nullptr), buf + 5);
  EXPECT_STREQ(buf, "abcde");
  EXPECT_EQ(pos, buf + 5);
  // The limit cuts the text: 7 bytes and the NUL in the last byte.
  pos = buf;
  EXPECT_EQ(lstrap(&pos, buf + 8, "abcd", "efghij", (char*)nullptr), buf + 7);
  EXPECT_STREQ(buf, "abcdefg");
  // Appending continues from the NUL left by an earlier call.
  char two[8];
  pos = two;
  lstrap(&pos, two + 8, "ab", (char*)nullptr);
  lstrap(&pos, two + 8, "cd", (char*)nullptr);
  EXPECT_STREQ(two, "abcd");
  // A full buffer writes nothing more; a position at the limit writes nothing at all.
  pos = buf + 7;
  EXPECT_EQ(lstrap(&pos, buf + 8, "zz", (char*)nullptr), buf + 7);
  EXPECT_EQ(buf[7], '\0');
  pos = buf + 8;
  EXPECT_EQ(lstrap(&pos, buf + 8, "zz", (char*)nullptr), buf + 8);
}

TEST(Strings, PadAndJustify) {
  char buf[16];
  EXPECT_STREQ(lstrpd(buf, "ab", 5, '.'), "ab...");
  EXPECT_STREQ(lstrpd(buf, "abcdef", 3, '.'), "abcdef");
  EXPECT_STREQ(lstrpd(buf, "", 0, '.'), "");
  EXPECT_STREQ(lstrrj(buf, "abcdef", 4, '*'), "abcd");
  EXPECT_STREQ(lstrrj(buf, "ab", 4, '*'), "**ab");
  EXPECT_STREQ(lstrrj(buf, "", 3, '-'), "---");
  std::strcpy(buf, "xy");
  EXPECT_STREQ(lstrrj(buf, buf, 5, ' '), "   xy");  // overlapping
  std::strcpy(buf, "xy");
  EXPECT_STREQ(lstrpd(buf + 1, buf, 4, '#'), "xy##");
}

TEST(Conversions, IntegerToText) {
  struct {
    int32_t value, base;
    const char* want;
  } rows[] = {
      {-255, -16, "-ff"},       {-255, 16, "ffffff01"},   {0, 10, "0"},
      {0, 0, "0"},              {-42, 0, "-42"},          {-42, 10, "4294967254"},
      {INT_MIN, 0, "-2147483648"}, {INT_MAX, -36, "zik0zj"}, {5, 2, "101"},
      {-1, 2, "11111111111111111111111111111111"},        {35, 36, "z"},
      {7, 1, ""},               {7, 37, ""},              {7, -1, ""},
  };
  for (auto& r : rows) {
    char buf[40];
    uint32_t n = lmf42b(buf, r.value, r.base);
    EXPECT_EQ(std::string(buf, n), r.want) << r.value << " base " << r.base;
    EXPECT_EQ(lmfw2b(buf, r.value, r.base), n);
  }
  char buf[40];
  EXPECT_EQ(lmf42b(buf, INT_MIN, -2), 33u);
}

TEST(Conversions, Hex) {
  char buf[12];
  EXPECT_EQ(lmf42h(buf, 0xBEEFu, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "BEEF");
  EXPECT_EQ(lmf42h(buf, 0x12345u, 2), 2u);
  EXPECT_EQ(std::string(buf, 2), "45");
  EXPECT_EQ(lmf42h(buf, 0xFFFFFFFFu, 10), 10u);
  EXPECT_EQ(std::string(buf, 10), "00FFFFFFFF");
  EXPECT_EQ(lmf42h(buf, 1, 0), 0u);
}

TEST(Conversions, TextToInteger) {
  struct {
    const char* text;
    uint32_t len;  // 0: strlen
    int32_t base;
    int32_t value;
    uint32_t used;
  } rows[] = {
      {"  -0x1F", 0, 16, -31, 7},   {"xyz", 0, 10, 0, 0},        {"123abc", 0, 0, 123, 3},
      {"+77", 0, 8, 63, 3},         {"zz", 0, 36, 1295, 2},      {"0x", 0, 16, 0, 1},
      {"0xg", 0, 16, 0, 1},         {"0X10", 0, 16, 16, 4},      {"0x10", 0, 10, 0, 1},
      {"12345", 3, 10, 123, 3},     {"\t\n 9", 0, 10, 9, 4},     {"-", 0, 10, 0, 0},
      {"   ", 0, 10, 0, 0},         {"4294967297", 0, 10, 1, 10}, {"-2147483648", 0, 10, INT_MIN, 11},
      {"101", 0, 2, 5, 3},          {"12", 0, 1, 0, 0},          {"7", 0, -5, 0, 0},
      {"Ab", 0, 16, 171, 2},        {"42\0" "99", 0xFE00, 10, 42, 2},
  };
  for (auto& r : rows) {
    uint32_t len = r.len ? r.len : uint32_t(std::strlen(r.text));
    int32_t v = 12345;
    EXPECT_EQ(lmfb2w(r.text, len, &v, r.base), r.used) << r.text;
    EXPECT_EQ(v, r.value) << r.text;
    v = 12345;
    EXPECT_EQ(lmfb24(r.text, len, &v, r.base), r.used) << r.text;
    EXPECT_EQ(v, r.value) << r.text;
  }
  EXPECT_EQ(lmfb24("15", 2, nullptr, 10), 2u);
}

TEST(Conversions, ExponentNotation) {
  char buf[LMFD2E_MAX];
  struct {
    double v;
    int32_t a, b;
    const char* want;
  } rows[] = {{1234.5, 2, 1, "1.23e+03"}, {-0.5, 1, 0, "-5e-01"},
              {1.0 / 3, 10, 10, "3.33333333333333e-01"}, {2.0, -5, 0, "2e+00"},
              {-1.7976931348623157e308, 20, 0, "-1.79769313486232e+308"}};
  for (auto& r : rows) {
    uint32_t n = lmfd2e(buf, r.v, r.a, r.b);
    EXPECT_STREQ(buf, r.want);
    EXPECT_EQ(n, std::strlen(r.want));
  }
}

}  // namespace
