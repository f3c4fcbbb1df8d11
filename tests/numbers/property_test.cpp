// Sums, differences, products and quotients of random canonical operands against exact
// rational arithmetic: every result is canonical, equals the exact value when that has at most
// 20 base-100 digits and lies in range, is otherwise within one unit of its 20th digit, and is
// an infinity or zero exactly where the range puts it.
#include <gmp.h>

#include "num_test_util.h"

using namespace numtest;

namespace {

struct Rng {
  uint64_t s;
  uint64_t next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

// Exact rational with RAII.
struct Q {
  mpq_t v;
  Q() { mpq_init(v); }
  ~Q() { mpq_clear(v); }
  Q(const Q&) = delete;
  Q& operator=(const Q&) = delete;
};

// 100^k for any k.
void pow100(mpq_t out, int k) {
  mpz_t p;
  mpz_init(p);
  mpz_ui_pow_ui(p, 100, static_cast<unsigned long>(k < 0 ? -k : k));
  mpq_set_z(out, p);
  if (k < 0) mpq_inv(out, out);
  mpz_clear(p);
}

struct Parts {
  bool neg;
  int e;
  std::vector<int> d;
};

Parts parts(const Num& v) {
  Parts p;
  p.neg = (v.b[0] & 0x80) == 0;
  p.e = p.neg ? 62 - v.b[0] : v.b[0] - 193;
  for (size_t i = 1; i < v.b.size(); ++i) {
    if (p.neg && v.b[i] == 102) break;
    p.d.push_back(p.neg ? 101 - v.b[i] : v.b[i] - 1);
  }
  return p;
}

// The exact value of a finite number.
void value(mpq_t out, const Num& v) {
  if (v.b.size() == 1 && v.b[0] == 0x80) {
    mpq_set_ui(out, 0, 1);
    return;
  }
  Parts p = parts(v);
  mpz_t n;
  mpz_init_set_ui(n, 0);
  for (int x : p.d) {
    mpz_mul_ui(n, n, 100);
    mpz_add_ui(n, n, static_cast<unsigned long>(x));
  }
  if (p.neg) mpz_neg(n, n);
  Q scale;
  pow100(scale.v, p.e - static_cast<int>(p.d.size()) + 1);
  mpq_set_z(out, n);
  mpq_mul(out, out, scale.v);
  mpz_clear(n);
}

bool is_inf(const Num& v) { return v.b == std::vector<uint8_t>{0xFF, 0x65} || v.b == std::vector<uint8_t>{0x00}; }
bool is_zero(const Num& v) { return v.b == std::vector<uint8_t>{0x80}; }

// A random canonical operand: any length (often 20 digits), either sign, exponents with
// weight on the extremes.
Num random_num(Rng& r, int e_hint = 1000) {
  int n = r.below(3) == 0 ? 20 : 1 + r.below(20);
  std::vector<int> d(static_cast<size_t>(n));
  for (auto& x : d) x = r.below(100);
  if (r.below(4) == 0)
    for (auto& x : d) x = r.below(2) ? 99 : x;  // runs of 99 provoke carries
  d.front() = 1 + r.below(99);
  d.back() = 1 + r.below(99);
  int e;
  if (e_hint != 1000) {
    e = e_hint;
  } else {
    switch (r.below(4)) {
      case 0: {
        static const int extremes[] = {-65, -64, -63, -33, -32, 0, 30, 31, 32, 60, 61, 62};
        e = extremes[r.below(12)];
        break;
      }
      case 1:
        e = r.below(11) - 5;
        break;
      default:
        e = r.below(128) - 65;
    }
  }
  return digits(d, e, r.below(2) == 0);
}

// Checks one result against the exact value.
void check(const Num& got, const mpq_t exact, const char* what, const Num& a, const Num& b) {
  SCOPED_TRACE(testing::Message() << a << " " << what << " " << b << " = " << got);
  ASSERT_TRUE(canonical(got));
  Q mag, lo, hi, tmp;
  mpq_abs(mag.v, exact);
  // Range limits: the largest finite magnitude and the smallest non-zero one.
  Q maxv, minv;
  pow100(maxv.v, 63);
  pow100(tmp.v, 43);
  mpq_sub(maxv.v, maxv.v, tmp.v);
  pow100(minv.v, -65);
  if (is_inf(got)) {
    EXPECT_EQ(got.b[0] == 0xFF, mpq_sgn(exact) > 0);
    // Within one unit of the largest finite value, or beyond it.
    pow100(tmp.v, 43);
    mpq_sub(lo.v, maxv.v, tmp.v);
    EXPECT_GE(mpq_cmp(mag.v, lo.v), 0) << "infinity for a finite result";
    return;
  }
  pow100(tmp.v, 63);
  EXPECT_LT(mpq_cmp(mag.v, tmp.v), 0) << "finite result beyond the range";
  if (is_zero(got)) {
    // Zero only for results below 100^-65 (by at most a unit of its 20th digit).
    pow100(tmp.v, -84);
    mpq_add(hi.v, minv.v, tmp.v);
    EXPECT_LT(mpq_cmp(mag.v, hi.v), 0) << "zero for a result in range";
    return;
  }
  // A finite non-zero result must not stand for an exact value below the range.
  pow100(tmp.v, -84);
  mpq_sub(lo.v, minv.v, tmp.v);
  EXPECT_GE(mpq_cmp(mag.v, lo.v), 0) << "non-zero result for an underflow";
  Q g, diff, unit;
  value(g.v, got);
  Parts p = parts(got);
  mpq_sub(diff.v, g.v, exact);
  mpq_abs(diff.v, diff.v);
  pow100(unit.v, p.e - 19);
  EXPECT_LE(mpq_cmp(diff.v, unit.v), 0) << "more than one unit of the 20th digit away";
  if (mpq_sgn(diff.v) != 0) {
    // The exact value must then need more than 20 digits: scaled to 20 digits at its own
    // exponent it is not an integer.
    int e = p.e;
    pow100(tmp.v, e);
    if (mpq_cmp(mag.v, tmp.v) < 0) --e;
    pow100(tmp.v, e + 1);
    if (mpq_cmp(mag.v, tmp.v) >= 0) ++e;
    pow100(tmp.v, 19 - e);
    mpq_mul(tmp.v, mag.v, tmp.v);
    EXPECT_NE(mpz_cmp_ui(mpq_denref(tmp.v), 1), 0) << "inexact result for an exact value";
  }
}

enum Op { kAdd, kSub, kMul, kDiv };

Num run(Op op, const Num& a, const Num& b) {
  uint8_t out[22];
  int32_t n = -1;
  switch (op) {
    case kAdd:
      lnmqaos(a.p(), a.n(), b.p(), b.n(), out, &n, 0);
      break;
    case kSub:
      lnmqaos(a.p(), a.n(), b.p(), b.n(), out, &n, 1);
      break;
    case kMul:
      lnmmul(a.p(), a.n(), b.p(), b.n(), out, &n);
      break;
    case kDiv:
      lnmdiv(a.p(), a.n(), b.p(), b.n(), out, &n);
      break;
  }
  return from_bare(out, n);
}

void property(Op op, uint64_t seed, int rounds) {
  static const char* names[] = {"+", "-", "*", "/"};
  Rng r{seed};
  Q x, y, z;
  for (int i = 0; i < rounds && !testing::Test::HasFatalFailure(); ++i) {
    Num a = random_num(r);
    Num b;
    int mode = r.below(4);
    if ((op == kAdd || op == kSub) && mode == 0) {
      // Nearby exponents exercise the window and its cut.
      Parts pa = parts(a);
      int e = pa.e - r.below(24);
      if (e < -65) e = -65;
      b = random_num(r, e);
    } else if ((op == kAdd || op == kSub) && mode == 1) {
      // Shared leading digits exercise cancellation.
      Parts pa = parts(a);
      Num c = random_num(r, pa.e);
      Parts pc = parts(c);
      size_t keep = 1 + static_cast<size_t>(r.below(static_cast<int>(pa.d.size())));
      for (size_t k = 0; k < keep && k < pc.d.size(); ++k) pc.d[k] = pa.d[k];
      if (pc.d.back() == 0) pc.d.back() = 1;
      b = digits(pc.d, pc.e, r.below(2) == 0);
    } else {
      b = random_num(r);
    }
    value(x.v, a);
    value(y.v, b);
    switch (op) {
      case kAdd:
        mpq_add(z.v, x.v, y.v);
        break;
      case kSub:
        mpq_sub(z.v, x.v, y.v);
        break;
      case kMul:
        mpq_mul(z.v, x.v, y.v);
        break;
      case kDiv:
        mpq_div(z.v, x.v, y.v);
        break;
    }
    check(run(op, a, b), z.v, names[op], a, b);
  }
}

TEST(NumberProperty, Add) { property(kAdd, 0x9E3779B97F4A7C15ull, 30000); }
TEST(NumberProperty, Subtract) { property(kSub, 0xD1B54A32D192ED03ull, 30000); }
TEST(NumberProperty, Multiply) { property(kMul, 0x8CB92BA72F3D8DD7ull, 30000); }
TEST(NumberProperty, Divide) { property(kDiv, 0xABCDEF0123456789ull, 30000); }

}  // namespace
