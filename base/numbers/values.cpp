// Operations on single number values: the constants, sign, absolute value, negation, the
// integer test and increment, conversions to and from machine integers and binary floating
// point, and the byte-digit form (normalisation, packing, unpacking).
//
// Every operation reads at most the bytes its argument conventions allow (at most 21 of a
// value) and writes at most 22, whatever the bytes hold; a digit byte outside its range is
// read as the nearest valid digit.
#include <cmath>
#include <cstring>
#include <limits>

#include "numbers/number_internal.h"

using namespace zunt::num;

extern "C" {

const lnm_number lnmpi[LNM_MAXBUF] = {21, 0xC1, 3 + 1, 14 + 1, 15 + 1, 92 + 1, 65 + 1, 35 + 1, 89 + 1,
                                               79 + 1, 32 + 1, 38 + 1, 46 + 1, 26 + 1, 43 + 1, 38 + 1, 32 + 1,
                                               79 + 1, 50 + 1, 28 + 1, 84 + 1, 19 + 1};
const lnm_number lnme[LNM_MAXBUF] = {21, 0xC1, 2 + 1, 71 + 1, 82 + 1, 81 + 1, 82 + 1, 84 + 1, 59 + 1,
                                              4 + 1, 52 + 1, 35 + 1, 36 + 1, 2 + 1, 87 + 1, 47 + 1, 13 + 1,
                                              52 + 1, 66 + 1, 24 + 1, 97 + 1, 75 + 1};
const lnm_number lnml10[LNM_MAXBUF] = {21, 0xC1, 2 + 1, 30 + 1, 25 + 1, 85 + 1, 9 + 1, 29 + 1, 94 + 1,
                                                4 + 1, 56 + 1, 84 + 1, 1 + 1, 79 + 1, 91 + 1, 45 + 1, 46 + 1,
                                                84 + 1, 36 + 1, 42 + 1, 7 + 1, 60 + 1};

}  // extern "C"

namespace zunt::num {

namespace {

inline uint8_t clamp_byte(int b, int lo, int hi) { return static_cast<uint8_t>(b < lo ? lo : (b > hi ? hi : b)); }

// Bare digit values of a value's mantissa (terminator dropped), clamped to 0..99.
int read_digits(Bytes b, bool negative, uint8_t* d) {
  int n = b.n - 1;
  const uint8_t* m = b.p + 1;
  if (negative && n > 0 && m[n - 1] == kTerminator) --n;
  for (int i = 0; i < n; ++i) d[i] = negative ? clamp_byte(101 - m[i], 0, 99) : clamp_byte(m[i] - 1, 0, 99);
  return n;
}

inline int exponent_of(uint8_t e) { return (e & 0x80) ? e - 193 : 62 - e; }

// Magnitude of a machine integer as base-100 digits, most significant first; returns the count.
int magnitude_digits(uint32_t mag, uint8_t* d) {
  uint8_t rev[5];
  int n = 0;
  while (mag != 0) {
    rev[n++] = static_cast<uint8_t>(mag % 100);
    mag /= 100;
  }
  for (int i = 0; i < n; ++i) d[i] = rev[n - 1 - i];
  return n;
}

int encode_magnitude(bool negative, uint32_t mag, uint8_t* out) {
  if (mag == 0) {
    out[0] = kZeroByte;
    return 1;
  }
  uint8_t d[5];
  int n = magnitude_digits(mag, d);
  int e = n - 1;
  while (d[n - 1] == 0) --n;
  return encode(negative, e, d, n, out);
}

// Correctly rounded 100^E for E = -65..65 (index E + 65).
constexpr double kPow100[] = {
    1e-130, 1e-128, 1e-126, 1e-124, 1e-122, 1e-120, 1e-118, 1e-116, 1e-114, 1e-112, 1e-110, 1e-108, 1e-106, 1e-104,
    1e-102, 1e-100, 1e-98,  1e-96,  1e-94,  1e-92,  1e-90,  1e-88,  1e-86,  1e-84,  1e-82,  1e-80,  1e-78,  1e-76,
    1e-74,  1e-72,  1e-70,  1e-68,  1e-66,  1e-64,  1e-62,  1e-60,  1e-58,  1e-56,  1e-54,  1e-52,  1e-50,  1e-48,
    1e-46,  1e-44,  1e-42,  1e-40,  1e-38,  1e-36,  1e-34,  1e-32,  1e-30,  1e-28,  1e-26,  1e-24,  1e-22,  1e-20,
    1e-18,  1e-16,  1e-14,  1e-12,  1e-10,  1e-8,   1e-6,   1e-4,   1e-2,   1e0,    1e2,    1e4,    1e6,    1e8,
    1e10,   1e12,   1e14,   1e16,   1e18,   1e20,   1e22,   1e24,   1e26,   1e28,   1e30,   1e32,   1e34,   1e36,
    1e38,   1e40,   1e42,   1e44,   1e46,   1e48,   1e50,   1e52,   1e54,   1e56,   1e58,   1e60,   1e62,   1e64,
    1e66,   1e68,   1e70,   1e72,   1e74,   1e76,   1e78,   1e80,   1e82,   1e84,   1e86,   1e88,   1e90,   1e92,
    1e94,   1e96,   1e98,   1e100,  1e102,  1e104,  1e106,  1e108,  1e110,  1e112,  1e114,  1e116,  1e118,  1e120,
    1e122,  1e124,  1e126,  1e128,  1e130};
static_assert(sizeof kPow100 / sizeof kPow100[0] == 131);

inline double pow100(int e) { return kPow100[e + 65]; }

}  // namespace

Bytes encode_int32(int32_t v, uint8_t* scratch) {
  uint32_t mag = v < 0 ? static_cast<uint32_t>(-(v + 1)) + 1u : static_cast<uint32_t>(v);
  int n = encode_magnitude(v < 0, mag, scratch);
  return {scratch, n};
}

int32_t lnm_unpack_digits(uint8_t* out, int32_t size, const lnm_number* n, int32_t len) {
  uint8_t tmp[LNM_MAXBUF] = {};
  uint8_t scratch[LNM_MAXLEN];
  Bytes b = operand(n, len, scratch);
  bool negative = is_negative(b);
  if (is_neg_inf(b)) {
    tmp[0] = 1;
    tmp[1] = 0x7F;
    tmp[2] = 100;
  } else if (is_pos_inf(b)) {
    tmp[0] = 1;
    tmp[1] = 0x7F;
    tmp[2] = 100;
  } else if (!is_zero(b)) {
    tmp[1] = static_cast<uint8_t>((negative ? ~b.p[0] : b.p[0]) & 0x7F);
    tmp[0] = static_cast<uint8_t>(read_digits(b, negative, tmp + 2));
  }
  if (size > 0) {
    std::memset(out, 0, static_cast<size_t>(size));
    std::memcpy(out, tmp, static_cast<size_t>(size < LNM_MAXBUF ? size : LNM_MAXBUF));
  }
  return negative ? 1 : 0;
}

}  // namespace zunt::num

extern "C" {

ZUNT_API int32_t lnmsgn(const lnm_number* n, int32_t len) {
  uint8_t scratch[LNM_MAXLEN];
  Bytes b = operand(n, len, scratch);
  if (is_zero(b)) return 0;
  return (b.p[0] & 0x80) ? 1 : -1;
}

ZUNT_API void lnmabs(const lnm_number* n, int32_t len, lnm_number* dst, int32_t* dstlen) {
  uint8_t scratch[LNM_MAXLEN];
  Bytes b = operand(n, len, scratch);
  if (!is_negative(b)) {
    store(b.p, b.n, dst, dstlen);
    return;
  }
  if (is_neg_inf(b)) {
    store_inf(false, dst, dstlen);
    return;
  }
  // The source is copied aside by building the result in a local buffer.
  uint8_t out[LNM_MAXLEN];
  int m = b.n;
  if (m > 1 && b.p[m - 1] == kTerminator) --m;
  out[0] = static_cast<uint8_t>(~b.p[0]);
  for (int i = 1; i < m; ++i) out[i] = clamp_byte(102 - b.p[i], 1, 100);
  store(out, m, dst, dstlen);
}

ZUNT_API void lnmneg(const lnm_number* n, int32_t len, lnm_number* dst, int32_t* dstlen) {
  uint8_t scratch[LNM_MAXLEN];
  Bytes b = operand(n, len, scratch);
  if (is_zero(b)) {
    store_zero(dst, dstlen);
    return;
  }
  if (is_pos_inf(b) || is_neg_inf(b)) {
    store_inf(is_pos_inf(b), dst, dstlen);
    return;
  }
  uint8_t out[LNM_MAXLEN];
  int m = b.n;
  bool negative = is_negative(b);
  if (negative && m > 1 && b.p[m - 1] == kTerminator) --m;
  out[0] = static_cast<uint8_t>(~b.p[0]);
  for (int i = 1; i < m; ++i)
    out[i] = negative ? clamp_byte(102 - b.p[i], 1, 100) : clamp_byte(102 - b.p[i], 2, 101);
  if (!negative && m - 1 < LNM_DIGITS) out[m++] = kTerminator;
  store(out, m, dst, dstlen);
}

ZUNT_API int32_t lnmint(const lnm_number* n, int32_t len) {
  uint8_t scratch[LNM_MAXLEN];
  Bytes b = operand(n, len, scratch);
  if (is_neg_inf(b)) return 4;
  if (is_pos_inf(b)) return 3;
  if (is_zero(b)) return 1;
  int digits = b.n - 1;
  if (is_negative(b) && digits > 0 && b.p[b.n - 1] == kTerminator) --digits;
  return digits > exponent_of(b.p[0]) + 1 ? 2 : 1;
}

ZUNT_API void lnminc(lnm_number* buf, int32_t* len) {
  if (buf == nullptr) return;
  uint8_t* v = len ? buf : buf + 1;
  int n = len ? *len : buf[0];
  if (n > LNM_MAXLEN) n = LNM_MAXLEN;
  uint8_t e = n >= 1 ? v[0] : 0;
  int out_n;
  if (n < 1 || e < 0xC1 || e > 0xD3) {
    v[0] = 0xC1;
    v[1] = 0x02;
    out_n = 2;
  } else if (n - 1 > e - 193 + 1) {
    // Fractional digits lie outside the operation's domain; such a value gets the
    // ordinary sum with one.
    uint8_t r[LNM_MAXLEN];
    int32_t rn = 0;
    lnmqaos(v, n, nullptr, 1, r, &rn, 0);
    std::memcpy(v, r, static_cast<size_t>(rn));
    out_n = rn;
  } else {
    int units = e - 193 + 1;  // digit bytes up to and including the units digit, 1..19
    for (int i = n; i <= units; ++i) v[i] = 1;
    int last = units;
    int k = last;
    v[k] = static_cast<uint8_t>(v[k] + 1);
    while (k >= 1 && v[k] > 100) {
      --last;  // a digit that reached 100 is a trailing zero: dropped
      --k;
      if (k >= 1) v[k] = static_cast<uint8_t>(v[k] + 1);
    }
    if (k == 0) {  // every digit overflowed: 99..99 becomes 100..00
      v[0] = static_cast<uint8_t>(e + 1);
      v[1] = 0x02;
      last = 1;
    }
    out_n = last + 1;
  }
  if (len)
    *len = out_n;
  else
    buf[0] = static_cast<uint8_t>(out_n);
}

ZUNT_API int32_t lnmmin(const void* ival, int32_t size, int32_t kind, lnm_number* dst, int32_t* dstlen) {
  if (ival == nullptr || (size != 1 && size != 2 && size != 4) || kind < 0 || kind > 2) return 3;
  // The integer widened to 32 bits: zero-extended for kind 0, sign-extended otherwise.
  const bool is_signed = kind != 0;
  uint32_t raw;
  if (size == 1) {
    uint8_t x;
    std::memcpy(&x, ival, 1);
    raw = is_signed ? static_cast<uint32_t>(static_cast<int8_t>(x)) : x;
  } else if (size == 2) {
    uint16_t x;
    std::memcpy(&x, ival, 2);
    raw = is_signed ? static_cast<uint32_t>(static_cast<int16_t>(x)) : x;
  } else {
    std::memcpy(&raw, ival, 4);
  }
  const bool negative = is_signed && (raw & 0x80000000u) != 0;
  // The magnitude as -(x + 1) + 1, which keeps the most negative value exact.
  const uint32_t mag = negative ? ~raw + 1u : raw;
  uint8_t out[LNM_MAXLEN];
  int n = encode_magnitude(negative, mag, out);
  store(out, n, dst, dstlen);
  return 0;
}

ZUNT_API int32_t lnmsni(const lnm_number* n, int32_t len, void* ival, int32_t size, int32_t kind) {
  int k = kind & 0x7F;
  if ((size != 1 && size != 2 && size != 4) || k > 2 || ival == nullptr) return 3;
  bool wrap = (kind & 0x8000) != 0;
  uint8_t scratch[LNM_MAXLEN];
  Bytes b = operand(n, len, scratch);
  bool negative = is_negative(b);

  const uint32_t bits = static_cast<uint32_t>(size) * 8;
  const uint32_t umax = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  const uint32_t smax = umax >> 1;
  // The most negative value of the size is accepted for kind 2 (it is exactly
  // representable), so its round trip reports no overflow.
  uint32_t limit = negative ? (k == 2 ? smax + 1 : 0) : (k == 0 ? umax : smax);
  uint32_t overflow = negative ? (k == 2 ? smax + 1 : 0) : (k == 0 ? umax : smax);

  int32_t status = 0;
  uint32_t acc = 0;
  if (is_zero(b)) {
    acc = 0;
  } else if (is_neg_inf(b)) {
    status = 1;
    acc = overflow;
  } else {
    int e = exponent_of(b.p[0]);
    uint8_t d[LNM_DIGITS];
    int nd = read_digits(b, negative, d);
    if (is_pos_inf(b)) d[0] = 100;
    if (e < 0) {
      status = nd > 0 ? 2 : 0;
      acc = 0;
    } else {
      bool out = false;
      for (int i = 0; i <= e; ++i) {
        uint32_t digit = i < nd ? d[i] : 0;
        if (!out) {
          bool bad = i < nd ? (digit > limit || (limit - digit) / 100 < acc) : (limit / 100 < acc);
          if (bad) {
            out = true;
            status = 1;
            if (!wrap) break;
          }
        }
        acc = acc * 100u + digit;
      }
      if (out && !wrap) acc = overflow;
    }
  }
  if (status != 1 || wrap) {
    if (negative && k != 0) acc = 0u - acc;
  } else if (negative && k == 2) {
    acc = 0u - acc;  // overflow value of a negative: the most negative value
  }
  if (size == 1) {
    uint8_t x = static_cast<uint8_t>(acc);
    std::memcpy(ival, &x, 1);
  } else if (size == 2) {
    uint16_t x = static_cast<uint16_t>(acc);
    std::memcpy(ival, &x, 2);
  } else {
    std::memcpy(ival, &acc, 4);
  }
  return status;
}

ZUNT_API void lnmren(const void* fval, int32_t size, lnm_number* dst, int32_t* dstlen) {
  double v = 0.0;
  int D = 15;  // significant decimal digits kept
  if (fval != nullptr && size == 8) {
    std::memcpy(&v, fval, 8);
  } else if (fval != nullptr && size == 4) {
    float f;
    std::memcpy(&f, fval, 4);
    v = f;
    D = 6;
  }
  if (v == 0.0 || std::isnan(v)) {
    store_zero(dst, dstlen);
    return;
  }
  bool negative = v < 0;
  double x = std::fabs(v);
  if (std::isinf(x)) {
    store_inf(negative, dst, dstlen);
    return;
  }
  int k = static_cast<int>(std::log10(x));  // truncated toward zero
  int X = (k % 2 == 0 && D % 2 == 1) ? 0 : 1;
  int E = k / 2;
  if (E > kMaxExp) {
    store_inf(negative, dst, dstlen);
    return;
  }
  if (E >= kMinExp && pow100(E) > x) --E;
  if (E < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  // y = x / 100^E with one rounding, neither overflowing nor underflowing.
  double y = E >= 0 ? x / pow100(E) : x * pow100(-E);
  if (y >= 100.0) {  // x rounded up to the next power of 100
    y /= 100.0;
    if (++E > kMaxExp) {
      store_inf(negative, dst, dstlen);
      return;
    }
  }
  const int m = D / 2;
  const int nd = m + X;
  uint8_t d[8];
  for (int i = 0; i < nd; ++i) {
    double t = std::trunc(y);
    d[i] = static_cast<uint8_t>(t);
    y = (y - std::floor(y)) * 100.0;
    if (y < 0) y += 100.0;
  }
  int count = nd;
  if (d[m - 1] == 99) {
    // Binary noise below the kept digits: a run of trailing 99s becomes a carry.
    count = m;
    while (count > 0 && d[count - 1] == 99) --count;
    if (count == 0) {
      d[0] = 1;
      count = 1;
      if (++E > kMaxExp) {
        store_inf(negative, dst, dstlen);
        return;
      }
    } else {
      d[count - 1] = static_cast<uint8_t>(d[count - 1] + 1);
    }
  } else if (X == 1) {
    d[nd - 1] = static_cast<uint8_t>(10 * (d[nd - 1] / 10));
  }
  int first = 0;
  while (first < count && d[first] == 0) {
    ++first;
    --E;
  }
  while (count > first && d[count - 1] == 0) --count;
  if (count == first || E < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  uint8_t out[LNM_MAXLEN];
  int n = encode(negative, E, d + first, count - first, out);
  store(out, n, dst, dstlen);
}

ZUNT_API void lnmnur(const lnm_number* n, int32_t len, void* fval, int32_t size) {
  if (fval == nullptr || (size != 8 && size != 4)) return;
  uint8_t u[LNM_MAXBUF];
  bool negative = lnm_unpack_digits(u, LNM_MAXBUF, n, len) != 0;
  int count = u[0];
  double v = 0.0;
  if (count >= 1 && u[2] == 100) {
    v = size == 8 ? std::numeric_limits<double>::max() : static_cast<double>(std::numeric_limits<float>::max());
  } else {
    int P = u[1] - 65 + 1;
    int lim = count < 19 ? count : 19;
    for (int i = 0; i < lim; ++i) {
      v = v * 100.0 + u[2 + i];
      --P;
    }
    if (count >= 20 && u[2 + 19] >= 50) v += 1.0;
    for (; P > 0; --P) v *= 100.0;
    for (; P < 0; ++P) v /= 100.0;
  }
  if (negative) v = -v;
  if (size == 8) {
    std::memcpy(fval, &v, 8);
  } else {
    // Narrowing rounds to nearest: values from the largest float plus half its last place
    // upward become an infinity, values just above the largest float round down to it.
    constexpr double fmax = std::numeric_limits<float>::max();
    constexpr double to_inf = fmax + 0x1p103;
    double mag = std::fabs(v);
    float f;
    if (mag >= to_inf)
      f = std::numeric_limits<float>::infinity();
    else if (mag > fmax)
      f = std::numeric_limits<float>::max();
    else
      f = static_cast<float>(mag);
    if (v < 0) f = -f;
    std::memcpy(fval, &f, 4);
  }
}

ZUNT_API int32_t lnmqnrm(uint8_t* buf, int32_t n) {
  if (buf == nullptr || n < 1) return 0;
  if (n >= 2 && buf[1] == 100) {
    buf[0] = 0x7F;
    return 2;
  }
  int code = buf[0];
  int lo = 1, hi = n;  // digits buf[lo..hi)
  while (lo < hi && buf[lo] == 0) {
    ++lo;
    --code;
  }
  if (lo == hi || code < 0) {  // no digit left, or below the smallest exponent
    buf[0] = 0x80;
    return 1;
  }
  while (buf[hi - 1] == 0) --hi;
  bool carried = false;
  if (hi - lo > LNM_DIGITS) {
    bool up = buf[lo + LNM_DIGITS] >= 50;
    hi = lo + LNM_DIGITS;
    if (up) {
      int k = hi - 1;
      while (k >= lo && buf[k] >= 99) --k;  // digits that carry are dropped
      if (k < lo) {
        buf[lo] = 1;
        hi = lo + 1;
        ++code;
        carried = true;
      } else {
        buf[k] = static_cast<uint8_t>(buf[k] + 1);
        hi = k + 1;
      }
    }
    while (buf[hi - 1] == 0) --hi;
  }
  if (carried && code > 0x7F) {  // a carry beyond the largest exponent: infinity
    buf[0] = 0x7F;
    buf[1] = 100;
    return 2;
  }
  buf[0] = static_cast<uint8_t>(code);
  int count = hi - lo;
  std::memmove(buf + 1, buf + lo, static_cast<size_t>(count));
  return count + 1;
}

ZUNT_API void lnmqprs(uint8_t* buf, lnm_number* dst, int32_t* dstlen, int32_t neg) {
  if (buf == nullptr) return;
  int n = lnmqnrm(buf, LNM_MAXBUF);
  buf[0] = static_cast<uint8_t>(buf[0] | 0x80);
  uint8_t out[LNM_MAXLEN];
  if (n == 1) {
    store_zero(dst, dstlen);
    return;
  }
  if (buf[1] == 100) {
    if (neg) buf[0] = 0x00;
    store_inf(neg != 0, dst, dstlen);
    return;
  }
  int count = n - 1;
  if (neg) {
    buf[0] = static_cast<uint8_t>(~buf[0]);
    for (int i = 1; i <= count; ++i) buf[i] = static_cast<uint8_t>(100 - clamp_byte(buf[i], 0, 99));
    if (count < LNM_DIGITS) buf[++n - 1] = 101;
  }
  out[0] = buf[0];
  for (int i = 1; i < n; ++i) out[i] = static_cast<uint8_t>(clamp_byte(buf[i], 0, neg ? 101 : 99) + 1);
  store(out, n, dst, dstlen);
}

}  // extern "C"
