// Number arithmetic and conversions beside GCC's decimal128 and GMP mpf (128 bits), over the
// same few thousand operands of 30 to 40 significant digits in every implementation.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zunt/numbers.h"

#if ZUNT_HAVE_GMP
#include <gmp.h>
#endif

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define ZUNT_HAVE_DEC128 1
typedef float dec128 __attribute__((mode(TD)));
#endif

namespace {

constexpr size_t kCount = 4096;  // operands per set (a power of two: the index wraps by mask)

struct Operands {
  std::vector<std::string> text;  // decimal text, the common source of every implementation
  std::vector<std::array<uint8_t, 22>> num;
  std::vector<int32_t> len;
  std::vector<double> dbl;
#if ZUNT_HAVE_DEC128
  std::vector<dec128> d128;
#endif
};

uint64_t next(uint64_t& s) {
  s ^= s << 13;
  s ^= s >> 7;
  s ^= s << 17;
  return s;
}

#if ZUNT_HAVE_DEC128
dec128 dec128_from(const std::string& digits, int exp10, bool neg) {
  // Exact up to 34 digits: the mantissa in two halves, scaled by exact powers of ten.
  dec128 v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  dec128 ten = 10;
  if (exp10 > 0)
    for (int i = 0; i < exp10; ++i) v *= ten;
  else
    for (int i = 0; i < -exp10; ++i) v /= ten;
  return neg ? -v : v;
}
#endif

// Decimal text to a number through the byte-digit form.
void encode(const std::string& digits, int exp10, bool neg, uint8_t* out, int32_t* len) {
  // value = 0.digits * 10^(digits.size() + exp10); pad to base-100 pairs.
  int pos = static_cast<int>(digits.size()) + exp10;  // decimal exponent of the first digit + 1
  int e = pos - 1 >= 0 ? (pos - 1) / 2 : -((2 - pos) / 2);
  int pad = 2 * (e + 1) - pos;
  std::string al = std::string(static_cast<size_t>(pad), '0') + digits;
  if (al.size() % 2) al += '0';
  uint8_t buf[22] = {};
  buf[0] = static_cast<uint8_t>(65 + e);
  for (size_t i = 0; i < al.size() / 2 && i < 21; ++i)
    buf[1 + i] = static_cast<uint8_t>((al[2 * i] - '0') * 10 + (al[2 * i + 1] - '0'));
  lnmqprs(buf, out, len, neg ? 1 : 0);
}

Operands make(uint64_t seed) {
  Operands o;
  for (size_t i = 0; i < kCount; ++i) {
    int nd = 30 + static_cast<int>(next(seed) % 11);
    std::string digits;
    digits += static_cast<char>('1' + next(seed) % 9);
    for (int k = 1; k < nd; ++k) digits += static_cast<char>('0' + next(seed) % 10);
    int exp10 = static_cast<int>(next(seed) % 41) - 20 - nd;  // values from about 1e-20 to 1e20
    bool neg = next(seed) % 2;
    std::string text = (neg ? "-" : "") + digits + "e" + std::to_string(exp10);
    o.text.push_back(text);
    std::array<uint8_t, 22> b{};
    int32_t n;
    encode(digits, exp10, neg, b.data(), &n);
    o.num.push_back(b);
    o.len.push_back(n);
    o.dbl.push_back(std::strtod(text.c_str(), nullptr));
#if ZUNT_HAVE_DEC128
    o.d128.push_back(dec128_from(digits.substr(0, 34), exp10 + (nd > 34 ? nd - 34 : 0), neg));
#endif
  }
  return o;
}

const Operands& set_a() {
  static const Operands o = make(0x1234567887654321ull);
  return o;
}
const Operands& set_b() {
  static const Operands o = make(0x0F1E2D3C4B5A6978ull);
  return o;
}

template <int Op>
void zunt_binary(benchmark::State& state) {
  const auto& a = set_a();
  const auto& b = set_b();
  uint8_t out[22];
  int32_t n;
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    if constexpr (Op == 0) lnmqaos(a.num[k].data(), a.len[k], b.num[k].data(), b.len[k], out, &n, 0);
    if constexpr (Op == 1) lnmqaos(a.num[k].data(), a.len[k], b.num[k].data(), b.len[k], out, &n, 1);
    if constexpr (Op == 2) lnmmul(a.num[k].data(), a.len[k], b.num[k].data(), b.len[k], out, &n);
    if constexpr (Op == 3) lnmdiv(a.num[k].data(), a.len[k], b.num[k].data(), b.len[k], out, &n);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(zunt_binary<0>)->Name("num_add:zunt");
BENCHMARK(zunt_binary<1>)->Name("num_sub:zunt");
BENCHMARK(zunt_binary<2>)->Name("num_mul:zunt");
BENCHMARK(zunt_binary<3>)->Name("num_div:zunt");

void zunt_from_double(benchmark::State& state) {
  const auto& a = set_a();
  uint8_t out[22];
  int32_t n;
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    lnmren(&a.dbl[k], 8, out, &n);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(zunt_from_double)->Name("num_from_double:zunt");

void zunt_to_double(benchmark::State& state) {
  const auto& a = set_a();
  double d;
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    lnmnur(a.num[k].data(), a.len[k], &d, 8);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(zunt_to_double)->Name("num_to_double:zunt");

#if ZUNT_HAVE_DEC128
template <int Op>
void dec128_binary(benchmark::State& state) {
  const auto& a = set_a();
  const auto& b = set_b();
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    dec128 x = a.d128[k], y = b.d128[k], r;
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
    if constexpr (Op == 0) r = x + y;
    if constexpr (Op == 1) r = x - y;
    if constexpr (Op == 2) r = x * y;
    if constexpr (Op == 3) r = x / y;
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(dec128_binary<0>)->Name("num_add:decimal128");
BENCHMARK(dec128_binary<1>)->Name("num_sub:decimal128");
BENCHMARK(dec128_binary<2>)->Name("num_mul:decimal128");
BENCHMARK(dec128_binary<3>)->Name("num_div:decimal128");

void dec128_from_double(benchmark::State& state) {
  const auto& a = set_a();
  size_t i = 0;
  for (auto _ : state) {
    double d = a.dbl[i++ & (kCount - 1)];
    benchmark::DoNotOptimize(d);
    dec128 r = static_cast<dec128>(d);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(dec128_from_double)->Name("num_from_double:decimal128");

void dec128_to_double(benchmark::State& state) {
  const auto& a = set_a();
  size_t i = 0;
  for (auto _ : state) {
    dec128 x = a.d128[i++ & (kCount - 1)];
    benchmark::DoNotOptimize(x);
    double d = static_cast<double>(x);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(dec128_to_double)->Name("num_to_double:decimal128");
#endif

#if ZUNT_HAVE_GMP
struct MpfSet {
  std::vector<__mpf_struct> v;
  explicit MpfSet(const Operands& o) : v(kCount) {
    for (size_t i = 0; i < kCount; ++i) {
      mpf_init2(&v[i], 128);
      mpf_set_str(&v[i], o.text[i].c_str(), 10);
    }
  }
  ~MpfSet() {
    for (auto& x : v) mpf_clear(&x);
  }
};

template <int Op>
void mpf_binary(benchmark::State& state) {
  static MpfSet a(set_a()), b(set_b());
  mpf_t r;
  mpf_init2(r, 128);
  size_t i = 0;
  for (auto _ : state) {
    const size_t k = i++ & (kCount - 1);
    if constexpr (Op == 0) mpf_add(r, &a.v[k], &b.v[k]);
    if constexpr (Op == 1) mpf_sub(r, &a.v[k], &b.v[k]);
    if constexpr (Op == 2) mpf_mul(r, &a.v[k], &b.v[k]);
    if constexpr (Op == 3) mpf_div(r, &a.v[k], &b.v[k]);
    benchmark::DoNotOptimize(r);
    benchmark::ClobberMemory();
  }
  mpf_clear(r);
}
BENCHMARK(mpf_binary<0>)->Name("num_add:mpf");
BENCHMARK(mpf_binary<1>)->Name("num_sub:mpf");
BENCHMARK(mpf_binary<2>)->Name("num_mul:mpf");
BENCHMARK(mpf_binary<3>)->Name("num_div:mpf");

void mpf_from_double(benchmark::State& state) {
  const auto& a = set_a();
  mpf_t r;
  mpf_init2(r, 128);
  size_t i = 0;
  for (auto _ : state) {
    mpf_set_d(r, a.dbl[i++ & (kCount - 1)]);
    benchmark::DoNotOptimize(r);
    benchmark::ClobberMemory();
  }
  mpf_clear(r);
}
BENCHMARK(mpf_from_double)->Name("num_from_double:mpf");

void mpf_to_double(benchmark::State& state) {
  static MpfSet a(set_a());
  size_t i = 0;
  for (auto _ : state) {
    double d = mpf_get_d(&a.v[i++ & (kCount - 1)]);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(mpf_to_double)->Name("num_to_double:mpf");
#endif

}  // namespace
