// Single-value operations: encoding, sign, absolute value, negation, integer test, increment,
// machine integers, binary floating point, the byte-digit form and the constants.
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "numbers/number_internal.h"
#include "num_test_util.h"

using namespace numtest;

namespace {

Num neg(const Num& v) {
  uint8_t out[22];
  int32_t n = -1;
  lnmneg(v.p(), v.n(), out, &n);
  return from_bare(out, n);
}
Num abs_(const Num& v) {
  uint8_t out[22];
  int32_t n = -1;
  lnmabs(v.p(), v.n(), out, &n);
  return from_bare(out, n);
}
Num from_int(int32_t x) {
  uint8_t out[22];
  int32_t n = -1;
  EXPECT_EQ(lnmmin(&x, 4, 2, out, &n), 0);
  return from_bare(out, n);
}
Num from_double(double d) {
  uint8_t out[22];
  int32_t n = -1;
  lnmren(&d, 8, out, &n);
  return from_bare(out, n);
}
double to_double(const Num& v) {
  double d = -12345.0;
  lnmnur(v.p(), v.n(), &d, 8);
  return d;
}

const Num kZero = bytes({0x80});
const Num kPosInf = bytes({0xFF, 0x65});
const Num kNegInf = bytes({0x00});

TEST(NumberValues, DecimalHelperEncodesAsDocumented) {
  EXPECT_EQ(dec("0.3"), bytes({0xC0, 0x1F}));
  EXPECT_EQ(dec("100"), bytes({0xC2, 0x02}));
  EXPECT_EQ(dec("-2147483648"), bytes({0x3A, 0x50, 0x36, 0x35, 0x41, 0x35, 0x66}));
  EXPECT_EQ(dec("1e-130"), bytes({0x80, 0x02}));
  EXPECT_EQ(dec("0.05"), bytes({0xC0, 0x06}));
}

TEST(NumberValues, SignAndInteger) {
  struct Case {
    Num v;
    int sgn;
    int cls;
  } cases[] = {
      {kZero, 0, 1},
      {bytes({0x80, 0x02}), 1, 2},  // 10^-130: differs from zero only by its length
      {kPosInf, 1, 3},
      {kNegInf, -1, 4},
      {bytes({0xFF, 0x06}), 1, 1},  // 5 * 100^62
      {dec("-7"), -1, 1},
      {dec("-7.5"), -1, 2},
      {dec("123400"), 1, 1},
      {dec("1234.01"), 1, 2},
      {dec("0.5"), 1, 2},
      {digits({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 19, true), -1, 1},
      {digits({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 18, true), -1, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lnmsgn(c.v.p(), c.v.n()), c.sgn) << c.v;
    EXPECT_EQ(lnmint(c.v.p(), c.v.n()), c.cls) << c.v;
  }
  // Length-prefixed form and a machine integer.
  const uint8_t pre[4] = {3, 0x3E, 0x63, 0x66};  // -2
  EXPECT_EQ(lnmsgn(pre, 0), -1);
  EXPECT_EQ(lnmint(pre, 0), 1);
  EXPECT_EQ(lnmsgn(nullptr, -5), -1);
  EXPECT_EQ(lnmsgn(nullptr, 0), 0);
}

TEST(NumberValues, NegateAndAbsolute) {
  EXPECT_EQ(neg(bytes({0x80, 0x02})), bytes({0x7F, 0x64, 0x66}));
  EXPECT_EQ(neg(bytes({0xFF, 0x06})), bytes({0x00, 0x60, 0x66}));  // finite, not -inf
  EXPECT_EQ(neg(kZero), kZero);
  EXPECT_EQ(neg(kPosInf), kNegInf);
  EXPECT_EQ(neg(kNegInf), kPosInf);
  EXPECT_EQ(abs_(kNegInf), kPosInf);
  EXPECT_EQ(abs_(kPosInf), kPosInf);
  EXPECT_EQ(neg(dec("-12.5")), dec("12.5"));

  std::vector<int> d19, d20;
  for (int i = 1; i <= 19; ++i) d19.push_back(i * 5);
  d20 = d19;
  d20.push_back(7);
  Num p19 = digits(d19, 3), p20 = digits(d20, -4);
  Num n19 = neg(p19), n20 = neg(p20);
  EXPECT_EQ(n19.b.size(), 21u);
  EXPECT_EQ(n19.b.back(), 102);
  EXPECT_EQ(n19, digits(d19, 3, true));
  EXPECT_EQ(n20.b.size(), 21u);
  EXPECT_NE(n20.b.back(), 102);
  EXPECT_EQ(n20, digits(d20, -4, true));
  EXPECT_EQ(abs_(n19), p19);
  EXPECT_EQ(abs_(n20), p20);
  EXPECT_EQ(neg(n19), p19);
  EXPECT_EQ(abs_(p19), p19);

  // Machine integer, length-prefixed result, and the result over its own source.
  uint8_t out[22];
  lnmabs(nullptr, -2147483647 - 1, out, nullptr);
  EXPECT_EQ(from_prefixed(out), dec("2147483648"));
  uint8_t buf[22] = {3, 0x3E, 0x63, 0x66};  // -2, length-prefixed
  lnmabs(buf, 0, buf, nullptr);
  EXPECT_EQ(from_prefixed(buf), dec("2"));
  lnmneg(buf, 0, buf, nullptr);
  EXPECT_EQ(from_prefixed(buf), dec("-2"));
}

TEST(NumberValues, Increment) {
  struct Case {
    Num in, out;
  } cases[] = {
      {dec("99"), bytes({0xC2, 0x02})},
      {dec("100"), bytes({0xC2, 0x02, 0x02})},
      {dec("0.5"), dec("1")},
      {dec("0"), dec("1")},
      {dec("-5"), dec("1")},
      {dec("1e38"), dec("1")},  // 100^19 is outside the counter's range
      {dec("9999"), dec("10000")},
      {dec("199"), dec("200")},
      {dec("1e36"), dec("1000000000000000000000000000000000001")},
      {dec("999999999999999999999999999999999999"), dec("1e36")},
      {dec("1.5"), dec("2.5")},  // fractional values get the ordinary sum
      {kPosInf, dec("1")},
  };
  for (const auto& c : cases) {
    uint8_t buf[22] = {};
    std::memcpy(buf, c.in.p(), c.in.b.size());
    int32_t n = c.in.n();
    lnminc(buf, &n);
    EXPECT_EQ(from_bare(buf, n), c.out) << c.in;
    // Length-prefixed.
    uint8_t pbuf[22] = {static_cast<uint8_t>(c.in.n())};
    std::memcpy(pbuf + 1, c.in.p(), c.in.b.size());
    lnminc(pbuf, nullptr);
    EXPECT_EQ(from_prefixed(pbuf), c.out) << c.in;
  }
}

TEST(NumberValues, MachineIntegerToNumber) {
  EXPECT_EQ(from_int(-2147483647 - 1), bytes({0x3A, 0x50, 0x36, 0x35, 0x41, 0x35, 0x66}));
  EXPECT_EQ(from_int(0), kZero);
  EXPECT_EQ(from_int(100), bytes({0xC2, 0x02}));
  EXPECT_EQ(from_int(-1), bytes({0x3E, 0x64, 0x66}));
  EXPECT_EQ(from_int(2147483647), dec("2147483647"));

  uint8_t out[22];
  int32_t n;
  uint32_t u = 4294967295u;
  ASSERT_EQ(lnmmin(&u, 4, 0, out, &n), 0);
  EXPECT_EQ(from_bare(out, n), dec("4294967295"));
  int8_t s8 = -128;
  ASSERT_EQ(lnmmin(&s8, 1, 1, out, &n), 0);
  EXPECT_EQ(from_bare(out, n), dec("-128"));
  uint8_t u8 = 200;
  ASSERT_EQ(lnmmin(&u8, 1, 0, out, &n), 0);
  EXPECT_EQ(from_bare(out, n), dec("200"));
  int16_t s16 = -30000;
  ASSERT_EQ(lnmmin(&s16, 2, 2, out, nullptr), 0);
  EXPECT_EQ(from_prefixed(out), dec("-30000"));

  // Unsupported size or kind: status 3 and nothing written.
  int32_t x = 5;
  for (auto [size, kind] : {std::pair{3, 0}, {8, 2}, {0, 1}, {4, 3}, {4, -1}}) {
    std::memset(out, 0xAA, sizeof out);
    n = 77;
    EXPECT_EQ(lnmmin(&x, size, kind, out, &n), 3);
    EXPECT_EQ(n, 77);
    EXPECT_EQ(out[0], 0xAA);
  }
}

TEST(NumberValues, NumberToMachineInteger) {
  struct Case {
    Num v;
    int size, kind, status;
    int64_t stored;
  } cases[] = {
      {dec("3000000000"), 4, 2, 1, 2147483647},
      {dec("3000000000"), 4, 0, 0, 3000000000LL},
      {dec("-0.5"), 4, 2, 2, 0},
      {dec("7.9"), 4, 2, 0, 7},
      {dec("-7.9"), 4, 2, 0, -7},
      {dec("0"), 4, 2, 0, 0},
      {dec("-3000000000"), 4, 2, 1, -2147483647 - 1},
      {dec("-2147483648"), 4, 2, 0, -2147483647 - 1},  // the most negative value is in range
      {dec("-129"), 1, 2, 1, -128},
      {dec("-128"), 1, 2, 0, -128},
      {dec("128"), 1, 2, 1, 127},
      {dec("255"), 1, 0, 0, 255},
      {dec("256"), 1, 0, 1, 255},
      {dec("-1"), 1, 0, 1, 0},
      {dec("-1"), 2, 1, 1, 0},
      {dec("65535"), 2, 0, 0, 65535},
      {dec("32768"), 2, 1, 1, 32767},
      {dec("1e20"), 4, 2, 1, 2147483647},  // positions beyond the stored digits
      {dec("2e9"), 4, 2, 0, 2000000000},
      {kPosInf, 4, 2, 1, 2147483647},
      {kNegInf, 4, 2, 1, -2147483647 - 1},
      {kNegInf, 4, 0, 1, 0},
      // Wrapping: the accumulation continues modulo 2^32 and is cut to the size.
      {dec("4294967296"), 4, 0x8000, 1, 0},
      {dec("4294967301"), 4, 0x8000, 1, 5},
      {dec("300"), 1, 0x8000, 1, 44},
      {dec("-300"), 1, 0x8002, 1, -44},
      {dec("1"), 4, 3, 3, -1},
      {dec("1"), 3, 2, 3, -1},
  };
  for (const auto& c : cases) {
    int64_t stored = -1;
    int32_t st;
    if (c.size == 1) {
      if (c.kind & 0x7F) {
        int8_t x = -1;
        st = lnmsni(c.v.p(), c.v.n(), &x, 1, c.kind);
        if (st != 3) stored = x;
      } else {
        uint8_t x = 0xFF;
        st = lnmsni(c.v.p(), c.v.n(), &x, 1, c.kind);
        if (st != 3) stored = x;
      }
    } else if (c.size == 2) {
      if (c.kind & 0x7F) {
        int16_t x = -1;
        st = lnmsni(c.v.p(), c.v.n(), &x, 2, c.kind);
        if (st != 3) stored = x;
      } else {
        uint16_t x = 0xFFFF;
        st = lnmsni(c.v.p(), c.v.n(), &x, 2, c.kind);
        if (st != 3) stored = x;
      }
    } else {
      uint32_t x = 0xFFFFFFFFu;
      st = lnmsni(c.v.p(), c.v.n(), &x, c.size, c.kind);
      if (st != 3) stored = (c.kind & 0x7F) ? static_cast<int64_t>(static_cast<int32_t>(x)) : x;
    }
    EXPECT_EQ(st, c.status) << c.v << " size " << c.size << " kind " << c.kind;
    EXPECT_EQ(stored, c.stored) << c.v << " size " << c.size << " kind " << c.kind;
  }
}

TEST(NumberValues, DoubleToNumber) {
  struct Case {
    double x;
    Num v;
  } cases[] = {
      {0.3, bytes({0xC0, 0x1F})},
      {-0.3, dec("-0.3")},
      {1e126, kPosInf},
      {-1e126, kNegInf},
      {1e-131, kZero},
      {0.0, kZero},
      {-0.0, kZero},
      {1.0, dec("1")},
      {0.1, dec("0.1")},
      {0.01, dec("0.01")},
      {1e-4, dec("1e-4")},
      {12.345, dec("12.345")},
      {123456789.0, dec("123456789")},
      {1.0 / 3.0, dec("0.33333333333333")},  // 14 significant digits for 0.1 <= x < 1
      {2.0 / 3.0, dec("0.66666666666666")},  // digits are cut, not rounded
      {10.0 / 3.0, dec("3.333333333333")},   // 13 for an even decimal exponent
      {100.0 / 3.0, dec("33.3333333333333")},  // 15 for an odd decimal exponent
      {1e125, dec("1e125")},
      {9.99999999999999e125, kPosInf},  // its 13 digits round up to 10^126
      {1e-130, dec("1e-130")},
      {1e-200, kZero},  // far below the range: no power-of-100 lookup outside the table
      {5e-324, kZero},
      {123.456e-100, dec("1.23456e-98")},
      {HUGE_VAL, kPosInf},
      {std::nan(""), kZero},
  };
  for (const auto& c : cases) EXPECT_EQ(from_double(c.x), c.v) << c.x;

  // Singles keep 6 or 7 significant digits.
  uint8_t out[22];
  int32_t n;
  float f = 0.1f;
  lnmren(&f, 4, out, &n);
  EXPECT_EQ(from_bare(out, n), dec("0.1"));
  f = 3.14159265f;
  lnmren(&f, 4, out, &n);
  EXPECT_EQ(from_bare(out, n), dec("3.14159"));
  // Other sizes convert 0.0.
  double d = 5.0;
  lnmren(&d, 6, out, nullptr);
  EXPECT_EQ(from_prefixed(out), kZero);
}

// Doubles with up to 11 significant digits come out exactly as printed.
TEST(NumberValues, DoubleToNumberPrintedExactly) {
  std::srand(7);
  for (int i = 0; i < 20000; ++i) {
    int nd = 1 + std::rand() % 11;
    char text[64];
    int len = 0;
    if (std::rand() % 2) text[len++] = '-';
    text[len++] = static_cast<char>('1' + std::rand() % 9);
    text[len++] = '.';
    for (int k = 1; k < nd; ++k) text[len++] = static_cast<char>('0' + std::rand() % 10);
    std::snprintf(text + len, sizeof text - static_cast<size_t>(len), "e%d", std::rand() % 250 - 125);
    double x = std::strtod(text, nullptr);
    EXPECT_EQ(from_double(x), dec(text)) << text;
  }
}

// Any double in range converts to a canonical value within the 13 significant digits kept at
// the least (relative error below 1e-12), compared with the platform's own decimal reading.
TEST(NumberValues, DoubleToNumberAcrossTheRange) {
  uint64_t s = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < 200000; ++i) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    // Uniform in the exponent from 1e-130 to 1e125, uniform mantissa bits.
    double x = std::ldexp(1.0 + static_cast<double>(s >> 12) / 4503599627370496.0,
                          static_cast<int>(s % 847) - 431);
    if (s & 1) x = -x;
    Num v = from_double(x);
    ASSERT_TRUE(canonical(v)) << x << " " << v;
    if (std::fabs(x) < 1e-130 || std::fabs(x) >= 9.9999999999999e125) continue;
    // The value printed by the platform from the number's digits.
    std::string text = (v.b[0] & 0x80) ? "0." : "-0.";
    bool negative = (v.b[0] & 0x80) == 0;
    int e = negative ? 62 - v.b[0] : v.b[0] - 193;
    for (size_t k = 1; k < v.b.size(); ++k) {
      if (negative && v.b[k] == 102) break;
      int d = negative ? 101 - v.b[k] : v.b[k] - 1;
      text += static_cast<char>('0' + d / 10);
      text += static_cast<char>('0' + d % 10);
    }
    char ex[16];
    std::snprintf(ex, sizeof ex, "e%d", 2 * (e + 1));
    text += ex;
    double back = std::strtod(text.c_str(), nullptr);
    ASSERT_LE(std::fabs(back - x), std::fabs(x) * 1e-12) << x << " -> " << text;
  }
}

TEST(NumberValues, NumberToDouble) {
  EXPECT_EQ(to_double(kPosInf), DBL_MAX);
  EXPECT_EQ(to_double(kNegInf), -DBL_MAX);
  EXPECT_EQ(to_double(kZero), 0.0);
  float f = 0;
  lnmnur(kPosInf.p(), kPosInf.n(), &f, 4);
  EXPECT_EQ(f, 3.4028234663852886e38f);
  lnmnur(kNegInf.p(), kNegInf.n(), &f, 4);
  EXPECT_EQ(f, -3.4028234663852886e38f);
  Num big = dec("1e100");
  lnmnur(big.p(), big.n(), &f, 4);  // beyond the float range
  EXPECT_TRUE(std::isinf(f));
  Num v = dec("-12.5");
  lnmnur(v.p(), v.n(), &f, 4);
  EXPECT_EQ(f, -12.5f);
  double keep = 9.0;
  lnmnur(v.p(), v.n(), &keep, 2);  // other sizes store nothing
  EXPECT_EQ(keep, 9.0);

  // Short values round-trip through their double.
  for (double x : {0.3, 0.5, 1.25, -7.75, 100.0, 1e10, 123456.0, 0.01, -2.5e-7, 4e20})
    EXPECT_EQ(to_double(from_double(x)), x) << x;

  // Against the platform's decimal conversion: the repeated scaling by 100 costs at most one
  // rounding per step.
  std::srand(11);
  for (int i = 0; i < 20000; ++i) {
    std::vector<int> d;
    int nd = 1 + std::rand() % 20;
    for (int k = 0; k < nd; ++k) d.push_back(std::rand() % 100);
    d[0] = 1 + std::rand() % 99;
    d.back() = 1 + std::rand() % 99;
    int e = std::rand() % 128 - 65;
    bool negative = std::rand() % 2;
    Num x = digits(d, e, negative);
    std::string text = negative ? "-0." : "0.";
    char pair[3];
    for (int k : d) {
      std::snprintf(pair, sizeof pair, "%02d", k);
      text += pair;
    }
    char ex[16];
    std::snprintf(ex, sizeof ex, "e%d", 2 * (e + 1));
    text += ex;
    double want = std::strtod(text.c_str(), nullptr);
    double got = to_double(x);
    int steps = nd + std::abs(e + 1 - std::min(nd, 19)) + 2;
    EXPECT_LE(std::fabs(got - want), std::fabs(want) * steps * DBL_EPSILON) << text;
  }
}

TEST(NumberValues, Constants) {
  struct Case {
    const lnm_number* c;
    const char* text;
  } cases[] = {
      {lnmpi, "3.14159265358979323846264338327950288419"},
      {lnme, "2.71828182845904523536028747135266249775"},
      {lnml10, "2.30258509299404568401799145468436420760"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.c[0], 21);
    EXPECT_EQ(from_prefixed(c.c), dec(c.text)) << c.text;
  }
  double pi = 0;
  lnmnur(lnmpi, 0, &pi, 8);
  EXPECT_NEAR(pi, M_PI, 4 * DBL_EPSILON);
}

TEST(NumberValues, ByteDigitNormalise) {
  struct Case {
    std::vector<uint8_t> in;
    int32_t result;
    std::vector<uint8_t> out;  // code and digits after the call
  } cases[] = {
      {{0x41, 0, 0, 0}, 1, {0x80}},                 // all digits zero
      {{0x41, 100, 5}, 2, {0x7F, 100}},             // infinity
      {{0x41, 0, 0, 12, 34, 0, 0}, 3, {0x3F, 12, 34}},
      {{0x41, 7}, 2, {0x41, 7}},
      {{0x01, 0, 0, 5}, 1, {0x80}},                 // below the smallest exponent
      {{0x41}, 1, {0x80}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> b = c.in;
    int32_t r = lnmqnrm(b.data(), static_cast<int32_t>(b.size()));
    EXPECT_EQ(r, c.result);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + static_cast<long>(c.out.size())), c.out);
  }
  // 21 digits: the 21st rounds half up, carries drop the 99s, a full carry adds a digit.
  uint8_t b[22] = {0x41};
  for (int i = 1; i <= 21; ++i) b[i] = static_cast<uint8_t>(i);
  b[21] = 50;
  EXPECT_EQ(lnmqnrm(b, 22), 21);
  EXPECT_EQ(b[20], 21);
  for (int i = 1; i <= 21; ++i) b[i] = 99;
  b[0] = 0x41;
  EXPECT_EQ(lnmqnrm(b, 22), 2);
  EXPECT_EQ(b[0], 0x42);
  EXPECT_EQ(b[1], 1);
  for (int i = 1; i <= 21; ++i) b[i] = 99;
  b[0] = 0x41;
  b[21] = 49;
  EXPECT_EQ(lnmqnrm(b, 22), 21);
  EXPECT_EQ(b[20], 99);
  // A carry past the largest exponent becomes infinity instead of wrapping the code.
  for (int i = 1; i <= 21; ++i) b[i] = 99;
  b[0] = 0x7F;
  EXPECT_EQ(lnmqnrm(b, 22), 2);
  EXPECT_EQ(b[0], 0x7F);
  EXPECT_EQ(b[1], 100);
}

TEST(NumberValues, BytePack) {
  auto pack = [](std::vector<uint8_t> in, int neg) {
    uint8_t b[22] = {};
    std::memcpy(b, in.data(), in.size());
    uint8_t out[22];
    int32_t n;
    lnmqprs(b, out, &n, neg);
    Num v = from_bare(out, n);
    uint8_t pre[22];
    std::memcpy(b, in.data(), in.size());
    std::memset(b + in.size(), 0, 22 - in.size());
    lnmqprs(b, pre, nullptr, neg);
    EXPECT_EQ(from_prefixed(pre), v);
    return v;
  };
  EXPECT_EQ(pack({0x41, 12, 50}, 0), dec("12.5"));
  EXPECT_EQ(pack({0x41, 12, 50}, 1), dec("-12.5"));
  EXPECT_EQ(pack({0x41, 0, 0}, 1), kZero);
  EXPECT_EQ(pack({0x41, 100}, 0), kPosInf);
  EXPECT_EQ(pack({0x41, 100}, 1), kNegInf);
  std::vector<uint8_t> twenty = {0x40};
  for (int i = 0; i < 20; ++i) twenty.push_back(static_cast<uint8_t>(i + 1));
  std::vector<int> d(twenty.begin() + 1, twenty.end());
  EXPECT_EQ(pack(twenty, 1), digits(d, -1, true));
  EXPECT_EQ(pack(twenty, 0), digits(d, -1));
}

TEST(NumberValues, UnpackDigits) {
  using zunt::num::lnm_unpack_digits;
  uint8_t out[22];
  EXPECT_EQ(lnm_unpack_digits(out, 22, dec("-12.5").p(), dec("-12.5").n()), 1);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 5), (std::vector<uint8_t>{2, 0x41, 12, 50, 0}));
  EXPECT_EQ(lnm_unpack_digits(out, 22, kNegInf.p(), 1), 1);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{1, 0x7F, 100}));
  EXPECT_EQ(lnm_unpack_digits(out, 22, kPosInf.p(), 2), 0);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{1, 0x7F, 100}));
  EXPECT_EQ(lnm_unpack_digits(out, 22, kZero.p(), 1), 0);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(lnm_unpack_digits(out, 22, nullptr, -250), 1);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{2, 0x42, 2, 50}));
  // A short destination is filled only up to its size.
  uint8_t small[4] = {9, 9, 9, 9};
  lnm_unpack_digits(small, 3, dec("123456").p(), dec("123456").n());
  EXPECT_EQ(small[3], 9);
}

// Arguments outside the conventions read no more than they are given and write no more than
// 22 bytes.
TEST(NumberValues, BadArgumentsStayInBounds) {
  uint8_t src[21];
  std::memset(src, 0x55, sizeof src);
  uint8_t out[40];
  for (int32_t len : {-7, 21, 22, 1000}) {
    std::memset(out, 0xEE, sizeof out);
    lnmabs(src, len, out, nullptr);
    lnmneg(src, len, out, nullptr);
    EXPECT_LE(out[0], 21);
    EXPECT_EQ(out[22], 0xEE);
    EXPECT_NE(lnmint(src, len), 0);
  }
  uint8_t pre[22];
  std::memset(pre, 0x42, sizeof pre);
  pre[0] = 200;  // prefix beyond 21
  std::memset(out, 0xEE, sizeof out);
  lnmneg(pre, 0, out, nullptr);
  EXPECT_EQ(out[22], 0xEE);
  int32_t n = 500;
  uint8_t inc[22];
  std::memset(inc, 0xC5, sizeof inc);
  lnminc(inc, &n);
  EXPECT_LE(n, 21);
  uint8_t digitsbuf[22];
  std::memset(digitsbuf, 0xFE, sizeof digitsbuf);
  digitsbuf[0] = 0x41;
  uint8_t res[22];
  lnmqprs(digitsbuf, res, nullptr, 1);
  EXPECT_LE(res[0], 21);
}

}  // namespace
