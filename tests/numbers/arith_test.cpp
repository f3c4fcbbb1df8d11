// Arithmetic: the rounding rules, the truncating window of addition, the discarded partial
// products of multiplication, division's trial divisor, infinities and zero, and the word
// form.
#include "numbers/number_internal.h"
#include "num_test_util.h"

using namespace numtest;

namespace {

const Num kZero = bytes({0x80});
const Num kPosInf = bytes({0xFF, 0x65});
const Num kNegInf = bytes({0x00});

Num add(const Num& a, const Num& b) {
  uint8_t out[22];
  int32_t n = -1;
  lnmqaos(a.p(), a.n(), b.p(), b.n(), out, &n, 0);
  return from_bare(out, n);
}
Num sub(const Num& a, const Num& b) {
  uint8_t out[22];
  int32_t n = -1;
  lnmqaos(a.p(), a.n(), b.p(), b.n(), out, &n, 7);
  return from_bare(out, n);
}
Num mul(const Num& a, const Num& b) {
  uint8_t out[22];
  int32_t n = -1;
  lnmmul(a.p(), a.n(), b.p(), b.n(), out, &n);
  return from_bare(out, n);
}
Num div(const Num& a, const Num& b) {
  uint8_t out[22];
  int32_t n = -1;
  lnmdiv(a.p(), a.n(), b.p(), b.n(), out, &n);
  return from_bare(out, n);
}
std::vector<int> rep(int digit, int count) { return std::vector<int>(static_cast<size_t>(count), digit); }

TEST(NumberArith, AddAndSubtract) {
  Num nines = digits(rep(99, 20), 0);
  std::vector<int> tail = rep(0, 19);
  tail.insert(tail.begin(), 1);
  tail.back() = 60;
  struct Case {
    Num a, b, sum, diff;
  } cases[] = {
      {dec("1"), dec("-1"), kZero, dec("2")},
      {dec("0.1"), dec("0.1"), dec("0.2"), kZero},
      {dec("12.5"), dec("7.25"), dec("19.75"), dec("5.25")},
      {dec("-12.5"), dec("7.25"), dec("-5.25"), dec("-19.75")},
      {dec("7.25"), dec("12.5"), dec("19.75"), dec("-5.25")},
      {dec("-7.25"), dec("-12.5"), dec("-19.75"), dec("5.25")},
      {dec("99"), dec("1"), dec("100"), dec("98")},
      {dec("0"), dec("-3"), dec("-3"), dec("3")},
      {dec("-3"), dec("0"), dec("-3"), dec("-3")},
      {dec("0"), dec("0"), kZero, kZero},
      // After the common digit 12 the shorter operand has run out: it is the smaller.
      {dec("-12"), dec("12.0005"), dec("0.0005"), dec("-24.0005")},
      // 20 digits of 99 plus a digit 1 / 50 at the 21st window position: half up.
      {nines, dec("1e-40"), nines, digits(rep(99, 20), 0)},
      {nines, dec("5e-39"), bytes({0xC2, 0x02}), digits(rep(99, 20), 0)},
      // Cancelled leading digits cost no precision.
      {digits({12, 34, 56, 78, 90, 12, 34, 56, 78, 90, 12, 34, 56, 78, 90, 12, 34, 56, 78, 91}, 3),
       digits({12, 34, 56, 78, 90, 12, 34, 56, 78, 90, 12, 34, 56, 78, 90, 12, 34, 56, 78, 90}, 3),
       digits({24, 69, 13, 57, 80, 24, 69, 13, 57, 80, 24, 69, 13, 57, 80, 24, 69, 13, 57, 81}, 3), dec("1e-32")},
      // The smaller operand is cut to the window before subtracting: 1 - (0.0001 + 60e-42)
      // gives 0.9999, not 0.99989999...
      {dec("1"), digits(tail, -2), dec("1.0001"), dec("0.9999")},
      // The smallest exponents: the difference would fall below 10^-130.
      {digits({1, 1}, -65), digits({1}, -65), digits({2, 1}, -65), kZero},
      {digits({1}, -65), digits({1}, -65), digits({2}, -65), kZero},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(add(c.a, c.b), c.sum) << c.a << " + " << c.b;
    EXPECT_EQ(sub(c.a, c.b), c.diff) << c.a << " - " << c.b;
  }
}

TEST(NumberArith, AddOverflowAndInfinities) {
  Num big = digits({60}, 62), big2 = digits({40}, 62);
  EXPECT_EQ(add(big, big2), kPosInf);
  EXPECT_EQ(sub(digits({60}, 62, true), big2), kNegInf);
  EXPECT_EQ(add(digits({59}, 62), big2), digits({99}, 62));
  // Rounding that carries through 20 digits of 99 at E = 62 overflows too.
  EXPECT_EQ(add(digits(rep(99, 20), 62), digits({50}, 42)), kPosInf);
  struct Case {
    Num a, b, sum, diff;
  } cases[] = {
      {kPosInf, dec("5"), kPosInf, kPosInf},
      {kNegInf, dec("5"), kNegInf, kNegInf},
      {dec("5"), kPosInf, kPosInf, kNegInf},
      {dec("5"), kNegInf, kNegInf, kPosInf},
      {kPosInf, kPosInf, kPosInf, kPosInf},  // the first operand's infinity wins
      {kPosInf, kNegInf, kPosInf, kPosInf},
      {kNegInf, kPosInf, kNegInf, kNegInf},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(add(c.a, c.b), c.sum) << c.a << " + " << c.b;
    EXPECT_EQ(sub(c.a, c.b), c.diff) << c.a << " - " << c.b;
  }
}

TEST(NumberArith, Multiply) {
  std::vector<int> a = rep(0, 11), b = rep(0, 11);
  a.front() = 1, a.back() = 1;   // 1 + 100^-10
  b.front() = 1, b.back() = 50;  // 1 + 50 * 100^-10
  std::vector<int> p = rep(0, 11);
  p.front() = 1, p.back() = 51;  // 21st digit 50 is dropped
  std::vector<int> b51 = b;
  b51.back() = 51;  // 21st digit 51 rounds up
  std::vector<int> p51 = rep(0, 20);
  p51.front() = 1, p51[10] = 52, p51[19] = 1;
  struct Case {
    Num a, b, prod;
  } cases[] = {
      {dec("12.5"), dec("-4"), dec("-50")},
      {dec("-0.5"), dec("-0.5"), dec("0.25")},
      {digits({2}, 31), digits({3}, 31), bytes({0xFF, 0x07})},
      {digits({20}, 31), digits({5}, 31), kPosInf},
      {digits({20}, 31), digits({5}, 31, true), kNegInf},
      {kZero, kPosInf, kZero},
      {kNegInf, kZero, kZero},
      {kPosInf, kNegInf, kNegInf},
      {kNegInf, digits({1}, -65), kNegInf},
      {digits({1}, -30), digits({1}, -36), kZero},      // exponent below -65
      {digits({10}, -30), digits({10}, -35), digits({1}, -64)},
      {digits(a, 0), digits(b, 0), digits(p, 0)},
      {digits(a, 0), digits(b51, 0), digits(p51, 0)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mul(c.a, c.b), c.prod) << c.a << " * " << c.b;
    EXPECT_EQ(mul(c.b, c.a), c.prod) << c.b << " * " << c.a;
  }
  // Products landing beyond the 22nd position are dropped before the carries: 20 digits
  // of 99 squared loses the carries of the dropped columns.
  Num n = digits(rep(99, 20), 0);
  Num sq = mul(n, n);
  EXPECT_TRUE(canonical(sq)) << sq;
  EXPECT_EQ(sq.b[0], 0xC2);
}

TEST(NumberArith, Divide) {
  std::vector<int> two_thirds = rep(66, 19);
  two_thirds.push_back(67);
  struct Case {
    Num a, b, quot;
  } cases[] = {
      {dec("1"), dec("3"), digits(rep(33, 20), -1)},
      {dec("2"), dec("3"), digits(two_thirds, -1)},
      {dec("10"), dec("4"), dec("2.5")},
      {dec("-7"), dec("0.5"), dec("-14")},
      {dec("1"), dec("1"), dec("1")},
      {dec("100"), dec("3"), digits(rep(33, 20), 0)},
      {kZero, kZero, kPosInf},
      {dec("-5"), kZero, kNegInf},
      {dec("5"), kPosInf, kZero},
      {kPosInf, dec("-2"), kNegInf},
      {kNegInf, kNegInf, kPosInf},
      {digits({1}, 62), digits({1}, -1), kPosInf},
      {digits({1}, -65), digits({1}, 1), kZero},
      {digits({50}, 62), digits({50}, -1), kPosInf},
      {digits({12, 34, 56, 78}, 2), digits({12, 34, 56, 78}, 2), dec("1")},
      {dec("1"), dec("1.25"), dec("0.8")},
      {dec("121932631112635269"), dec("987654321"), dec("123456789")},  // five-digit divisor, exact
  };
  for (const auto& c : cases) EXPECT_EQ(div(c.a, c.b), c.quot) << c.a << " / " << c.b;
}

TEST(NumberArith, MachineIntegerOperands) {
  uint8_t out[22];
  lnmqaos(nullptr, 150, nullptr, -250, out, nullptr, 0);
  EXPECT_EQ(from_prefixed(out), dec("-100"));
  lnmqaos(nullptr, 0, dec("0.5").p(), dec("0.5").n(), out, nullptr, 1);
  EXPECT_EQ(from_prefixed(out), dec("-0.5"));
  lnmmul(nullptr, -2147483647 - 1, nullptr, 1000000, out, nullptr);
  EXPECT_EQ(from_prefixed(out), dec("-2147483648000000"));
  lnmdiv(nullptr, 10, nullptr, 4, out, nullptr);
  EXPECT_EQ(from_prefixed(out), dec("2.5"));
  lnmdiv(nullptr, 1, nullptr, 0, out, nullptr);
  EXPECT_EQ(from_prefixed(out), kPosInf);
  // Length-prefixed operands, and results written over an operand.
  uint8_t a[22] = {2, 0xC1, 0x0D};  // 12
  uint8_t b[22] = {2, 0xC1, 0x04};  // 3
  lnmdiv(a, 0, b, 0, a, nullptr);
  EXPECT_EQ(from_prefixed(a), dec("4"));
  lnmmul(a, 0, b, 0, b, nullptr);
  EXPECT_EQ(from_prefixed(b), dec("12"));
  lnmqaos(a, 0, b, 0, b, nullptr, 0);
  EXPECT_EQ(from_prefixed(b), dec("16"));
}

TEST(NumberArith, WordForm) {
  int32_t w[22];
  int32_t e;
  int32_t *first, *end;
  Num v = dec("-1200.5");  // digits 12, 0, 50 at E = 1
  EXPECT_EQ(lnmqosb(v.p(), v.n(), w, &e, &first, &end), 0);
  EXPECT_EQ(e, 1);
  EXPECT_EQ(w[0], 0);
  ASSERT_EQ(end - first, 3);
  EXPECT_EQ(first[0], 12);
  EXPECT_EQ(first[1], 0);
  EXPECT_EQ(first[2], 50);
  uint8_t out[22];
  int32_t n;
  lnmqsbo(out, &n, 0, e, first, end);
  EXPECT_EQ(from_bare(out, n), v);

  // Machine integers keep their trailing zero digits; zero and the infinities are empty.
  EXPECT_EQ(lnmqosb(nullptr, 120000, w, &e, &first, &end), 1);
  EXPECT_EQ(e, 2);
  EXPECT_EQ(end - first, 3);
  EXPECT_EQ(lnmqosb(nullptr, 0, w, &e, &first, &end), 1);
  EXPECT_EQ(e, -65);
  EXPECT_EQ(end, first);
  EXPECT_EQ(lnmqosb(kPosInf.p(), 2, w, &e, &first, &end), 1);
  EXPECT_EQ(e, 62);
  EXPECT_EQ(end, first);
  EXPECT_EQ(lnmqosb(kNegInf.p(), 1, w, &e, &first, &end), 0);
  EXPECT_EQ(e, 62);
  EXPECT_EQ(end, first);

  // Packing: leading and trailing zero words, rounding up only from 51, carries.
  struct Case {
    std::vector<int32_t> words;
    int32_t exp;
    int32_t sign;
    Num out;
  } cases[] = {
      {{0, 0, 12, 50, 0}, 2, 1, dec("12.5")},
      {{0, 0, 0}, 3, 1, kZero},
      {{0, 1}, -65, 1, kZero},  // the leading zero takes it below the smallest exponent
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 50}, 0, 1,
       digits({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 0)},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 51}, 0, 0,
       digits({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21}, 0, true)},
      {std::vector<int32_t>(21, 99), 0, 1, dec("100")},
      {std::vector<int32_t>(21, 99), 62, 1, kPosInf},
      {std::vector<int32_t>(21, 99), 62, 0, kNegInf},
  };
  for (const auto& c : cases) {
    lnmqsbo(out, nullptr, c.sign, c.exp, c.words.data(), c.words.data() + c.words.size());
    EXPECT_EQ(from_prefixed(out), c.out) << c.exp;
  }
}

// Arbitrary bytes and lengths give canonical results and stay inside 22 bytes.
TEST(NumberArith, ArbitraryBytes) {
  uint32_t seed = 12345;
  auto rnd = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (int i = 0; i < 20000; ++i) {
    uint8_t a[21], b[21];
    for (auto& x : a) x = static_cast<uint8_t>(rnd());
    for (auto& x : b) x = static_cast<uint8_t>(rnd());
    int32_t an = static_cast<int32_t>(rnd() % 21) + 1, bn = static_cast<int32_t>(rnd() % 21) + 1;
    uint8_t out[32];
    std::memset(out, 0xEE, sizeof out);
    int32_t n;
    lnmqaos(a, an, b, bn, out, &n, static_cast<int32_t>(rnd() % 2));
    EXPECT_TRUE(canonical(from_bare(out, n))) << from_bare(out, n);
    lnmmul(a, an, b, bn, out, &n);
    EXPECT_TRUE(canonical(from_bare(out, n))) << from_bare(out, n);
    lnmdiv(a, an, b, bn, out, nullptr);
    EXPECT_TRUE(canonical(from_prefixed(out))) << from_prefixed(out);
    EXPECT_EQ(out[22], 0xEE);
  }
}

}  // namespace

namespace {

// Each fast path against its digit-by-digit definition on one pair of operands.
void expect_sums_match(const Num& a, const Num& b) {
  for (int op = 0; op < 2; ++op) {
    uint8_t fast[22], slow[22];
    int32_t fn = -1, sn = -2;
    lnmqaos(a.p(), a.n(), b.p(), b.n(), fast, &fn, op);
    zunt::num::add_sub_generic({a.p(), a.n()}, {b.p(), b.n()}, op != 0, slow, &sn);
    ASSERT_EQ(from_bare(fast, fn), from_bare(slow, sn)) << a << (op ? " - " : " + ") << b;
    // The scalar word-at-a-time path, which processors without the vector kernel take.
    if (zunt::num::add_sub_fast({a.p(), a.n()}, {b.p(), b.n()}, op != 0, fast, &fn)) {
      ASSERT_EQ(from_bare(fast, fn), from_bare(slow, sn)) << a << (op ? " - " : " + ") << b << " (scalar)";
    }
  }
}
using BinaryOp = void (*)(const lnm_number*, int32_t, const lnm_number*, int32_t, lnm_number*, int32_t*);
void expect_same(BinaryOp op, BinaryOp reference, const char* sign, const Num& a, const Num& b) {
  uint8_t fast[22], slow[22];
  int32_t fn = -1, sn = -2;
  op(a.p(), a.n(), b.p(), b.n(), fast, &fn);
  reference(a.p(), a.n(), b.p(), b.n(), slow, &sn);
  ASSERT_EQ(from_bare(fast, fn), from_bare(slow, sn)) << a << sign << b;
}
void expect_product_matches(const Num& a, const Num& b) {
  expect_same(lnmmul, zunt::num::multiply_generic, " * ", a, b);
  // The scalar limb path, which processors without the vector kernel take.
  uint8_t fast[22], slow[22];
  int32_t fn = -1, sn = -2;
  if (zunt::num::multiply_fast({a.p(), a.n()}, {b.p(), b.n()}, fast, &fn)) {
    zunt::num::multiply_generic(a.p(), a.n(), b.p(), b.n(), slow, &sn);
    ASSERT_EQ(from_bare(fast, fn), from_bare(slow, sn)) << a << " * " << b << " (scalar)";
  }
}
void expect_quotient_matches(const Num& a, const Num& b) {
  expect_same(lnmdiv, zunt::num::divide_generic, " / ", a, b);
  expect_same(zunt::num::divide_portable, zunt::num::divide_generic, " / (portable) ", a, b);
}

// The word-at-a-time addition, the digit-pair multiplication and the division with deferred
// subtractions give the same bytes as the word-by-word definitions, on operands built to reach their corners: every length and sign, shifts around the window's end, shared
// leading digits, runs of 99 and 0 digits, the exponent limits.
TEST(NumberArith, FastPathsMatchDigitByDigit) {
  uint64_t s = 0x243F6A8885A308D3ull;
  auto rnd = [&](int n) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<int>(s % static_cast<uint64_t>(n));
  };
  auto make = [&](int e, const std::vector<int>* prefix) {
    int n = rnd(3) == 0 ? 20 : 1 + rnd(20);
    std::vector<int> d(static_cast<size_t>(n));
    for (auto& x : d) {
      int k = rnd(4);
      x = k == 0 ? 99 : (k == 1 ? 0 : rnd(100));
    }
    if (prefix)
      for (size_t i = 0; i < d.size() && i < prefix->size() && rnd(8) != 0; ++i) d[i] = (*prefix)[i];
    if (d.front() == 0) d.front() = 1 + rnd(99);
    if (d.back() == 0) d.back() = 1 + rnd(99);
    return digits(d, e, rnd(2) == 0);
  };
  for (int i = 0; i < 300000; ++i) {
    int ea = rnd(3) == 0 ? (rnd(2) ? 62 - rnd(3) : -65 + rnd(3)) : rnd(128) - 65;
    Num a = make(ea, nullptr);
    std::vector<int> pa;
    for (size_t k = 1; k < a.b.size(); ++k) {
      bool neg = (a.b[0] & 0x80) == 0;
      if (neg && a.b[k] == 102) break;
      pa.push_back(neg ? 101 - a.b[k] : a.b[k] - 1);
    }
    int eb = rnd(2) ? ea - rnd(24) : ea + rnd(3) - 1;
    if (eb < -65) eb = -65;
    if (eb > 62) eb = 62;
    Num b = make(eb, rnd(2) ? &pa : nullptr);
    expect_sums_match(a, b);
    if (HasFatalFailure()) return;
    // Products on digit pairs against the word-by-word accumulation.
    Num c = make(rnd(128) - 65, nullptr);
    expect_product_matches(a, c);
    expect_quotient_matches(a, c);
    if (HasFatalFailure()) return;
    // Dividing by a multiple exercises the early stop and the correction of the trial divisor.
    uint8_t prod[22];
    int32_t pn = -1;
    lnmmul(c.p(), c.n(), b.p(), b.n(), prod, &pn);
    expect_quotient_matches(from_bare(prod, pn), c);
    if (HasFatalFailure()) return;
  }
}

}  // namespace

namespace {

// The fast paths on operand classes chosen to reach their corners rather than at random: every
// length (the decoders split at 8 and 16 digits), runs of 99 that carry through every digit,
// near-equal operands that cancel, 21st digits of 49, 50 and 51, shifts around the window's
// end and the exponent limits, each with both signs.
TEST(NumberArith, FastPathsMatchOnCornerOperands) {
  std::vector<std::vector<int>> shapes;
  for (int n : {1, 2, 7, 8, 9, 15, 16, 17, 19, 20}) {
    shapes.push_back(rep(99, n));  // carries through every digit
    std::vector<int> one = rep(0, n);
    one.front() = 1;
    one.back() = 1;
    shapes.push_back(one);  // 1 0 ... 0 1
    std::vector<int> mixed(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) mixed[static_cast<size_t>(i)] = (37 * i + 11) % 99 + 1;
    shapes.push_back(mixed);
  }
  // Tails that put 49, 50 or 51 at the 21st position of a 20-digit sum.
  for (int t : {49, 50, 51}) shapes.push_back({t});
  const int exps[] = {-65, -64, -1, 0, 21, 61, 62};
  std::vector<Num> vals;
  for (const auto& d : shapes)
    for (int e : exps)
      for (bool neg : {false, true}) vals.push_back(digits(d, e, neg));
  // Pairs: every shape against every other at a few relative exponents, and against its own
  // neighbours (one digit changed) for the cancellations.
  auto check = [](const Num& a, const Num& b) {
    expect_sums_match(a, b);
    expect_product_matches(a, b);
    expect_quotient_matches(a, b);
  };
  for (const auto& a : vals)
    for (const auto& d : shapes)
      for (int de : {0, 1, 8, 16, 20, 21, 22}) {
        const int e = static_cast<int>((a.b[0] & 0x80) ? a.b[0] - 193 : 62 - a.b[0]) - de;
        if (e < -65) continue;
        for (bool neg : {false, true}) {
          check(a, digits(d, e, neg));
          if (HasFatalFailure()) return;
        }
      }
  for (const auto& d : shapes) {
    for (size_t k = 0; k < d.size(); ++k) {
      std::vector<int> near = d;
      near[k] = d[k] == 99 ? 98 : d[k] + 1;
      for (int e : {-65, 0, 62})
        for (bool na : {false, true})
          for (bool nb : {false, true}) {
            check(digits(d, e, na), digits(near, e, nb));
            if (HasFatalFailure()) return;
          }
    }
  }
}

}  // namespace
