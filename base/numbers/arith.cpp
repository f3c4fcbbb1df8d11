// The four arithmetic operations on numbers and the word form they compute in.
//
// Addition and subtraction read the digit bytes directly and work in a window of 21 base-100
// digits at the larger operand's leading position (digits of the smaller operand that fall
// outside it are dropped unrounded), rounding half up at the 21st digit. Multiplication and
// division unpack into 32-bit words: multiplication keeps only the partial products that land
// in the first 22 positions, division develops 22 quotient words against a three-digit trial
// divisor; both round their result up at the 21st digit only when it is 51 or more.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "numbers/number_internal.h"

namespace zunt::num {
namespace {

inline constexpr int kNoExp = -1000;  // exponent given to an operand without digits

// ---------------------------------------------------------------------------------------
// Addition and subtraction

// One operand of an addition: its digits (0..99) from the first non-zero one, zero-padded
// well beyond the last, the digit count and the exponent of the first digit.
struct AddOperand {
  uint8_t d[40];
  int n;
  int e;
  bool neg;
};

// Reads the digits of a finite operand straight from its bytes. A negative operand's
// terminator reads as a trailing zero digit and is dropped with the others.
inline void read_operand(Bytes b, AddOperand& o) {
  o.neg = is_negative(b);
  int m = b.n - 1;
  const uint8_t* src = b.p + 1;
  uint8_t raw[24];
  std::memset(raw, o.neg ? 101 : 1, sizeof raw);  // bytes of the digit 0
  std::memcpy(raw, src, static_cast<size_t>(m));
  std::memset(o.d, 0, sizeof o.d);
  if (o.neg) {
    for (int i = 0; i < 20; ++i) {
      int v = 101 - raw[i];
      o.d[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 99 ? 99 : v));
    }
  } else {
    for (int i = 0; i < 20; ++i) {
      int v = raw[i] - 1;
      o.d[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 99 ? 99 : v));
    }
  }
  int e = o.neg ? 62 - b.p[0] : b.p[0] - 193;
  int first = 0;
  while (first < m && o.d[first] == 0) ++first;
  while (m > first && o.d[m - 1] == 0) --m;
  if (m == first) {  // no digits: zero
    o.n = 0;
    o.e = kNoExp;
    return;
  }
  if (first != 0) {
    std::memmove(o.d, o.d + first, static_cast<size_t>(m - first));
    std::memset(o.d + (m - first), 0, static_cast<size_t>(first));
  }
  o.n = m - first;
  o.e = e - first;
}

// Rounds, trims and encodes a result of count digits r[0..count) with exponent e (r[0] may
// be 0), rounding half up at the 21st digit.
inline void finish_sum(bool neg, int e, uint8_t* r, int count, lnm_number* dst, int32_t* dstlen) {
  int first = 0;
  while (first < count && r[first] == 0) {
    ++first;
    --e;
  }
  if (first == count || e < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  r += first;
  count -= first;
  if (count > LNM_DIGITS) {
    bool up = r[LNM_DIGITS] >= 50;
    count = LNM_DIGITS;
    if (up) {
      int k = count - 1;
      while (k >= 0 && r[k] == 99) r[k--] = 0;
      if (k < 0) {
        r[0] = 1;
        count = 1;
        if (++e > kMaxExp) {
          store_inf(neg, dst, dstlen);
          return;
        }
      } else {
        ++r[k];
      }
    }
  }
  while (r[count - 1] == 0) --count;
  uint8_t out[LNM_MAXLEN + 1];
  int n = encode(neg, e, r, count, out);
  store(out, n, dst, dstlen);
}

void add_sub_generic_impl(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen) {
  // Infinities: the first operand's infinity wins, otherwise the second's, negated for a
  // subtraction.
  if (is_pos_inf(a) || is_neg_inf(a)) {
    store_inf(is_neg_inf(a), dst, dstlen);
    return;
  }
  if (is_pos_inf(b) || is_neg_inf(b)) {
    store_inf(is_neg_inf(b) != subtract, dst, dstlen);
    return;
  }
  AddOperand x, y;
  read_operand(a, x);
  read_operand(b, y);
  bool yneg = y.neg != subtract;  // sign of the second term
  bool magnitude_sub = x.neg != yneg;
  bool neg;
  const AddOperand* big = &x;
  const AddOperand* small = &y;
  int shift;
  int e;
  const uint8_t* bd;
  const uint8_t* sd;
  int bn, sn;
  if (!magnitude_sub || x.e != y.e) {
    // The larger exponent leads; for a magnitude subtraction it also has the larger magnitude.
    if (y.e > x.e) {
      big = &y;
      small = &x;
    }
    e = big->e;
    shift = big->e - small->e;
    bd = big->d;
    sd = small->d;
    bn = big->n;
    sn = small->n;
    neg = !magnitude_sub ? x.neg : (big == &x ? x.neg : yneg);
  } else {
    // Equal exponents: leading digits common to both cancel without costing precision.
    int j = 0;
    while (j < x.n && j < y.n && x.d[j] == y.d[j]) ++j;
    // The first differing digit decides; an operand that runs out first is the smaller.
    bool x_out = j == x.n, y_out = j == y.n;
    if (x_out && y_out) {
      store_zero(dst, dstlen);
      return;
    }
    if (x_out || (!y_out && x.d[j] < y.d[j])) {
      big = &y;
      small = &x;
    }
    e = x.e - j;
    shift = 0;
    bd = big->d + j;
    sd = small->d + j;
    bn = big->n - j;
    sn = small->n - j;
    neg = big == &x ? x.neg : yneg;
  }
  if (sn == 0) shift = 0;
  if (bn == 0) {  // both zero
    store_zero(dst, dstlen);
    return;
  }
  // r[0] takes the carry; r[1..21] is the window.
  uint8_t r[24];
  int len = bn;
  if (shift <= 21 && sn > 0) {
    int send = shift + sn;
    if (send > 21) send = 21;
    if (send > len) len = send;
  }
  if (!magnitude_sub) {
    int carry = 0;
    for (int i = len - 1; i >= 0; --i) {
      int j = i - shift;
      int v = bd[i] + (j >= 0 && j < sn && shift <= 21 ? sd[j] : 0) + carry;
      carry = v >= 100;
      r[1 + i] = static_cast<uint8_t>(carry ? v - 100 : v);
    }
    if (carry) {
      if (e == kMaxExp) {
        store_inf(neg, dst, dstlen);
        return;
      }
      r[0] = 1;
      finish_sum(neg, e + 1, r, len + 1, dst, dstlen);
    } else {
      finish_sum(neg, e, r + 1, len, dst, dstlen);
    }
    return;
  }
  int borrow = 0;
  for (int i = len - 1; i >= 0; --i) {
    int j = i - shift;
    int v = bd[i] - (j >= 0 && j < sn && shift <= 21 ? sd[j] : 0) - borrow;
    borrow = v < 0;
    r[1 + i] = static_cast<uint8_t>(borrow ? v + 100 : v);
  }
  finish_sum(neg, e, r + 1, len, dst, dstlen);
}

// ---------------------------------------------------------------------------------------
// Word form

// Unpacks a number's bytes into words w[1..] (w[0] = 0); sets exp and the digit range
// [first, end) as indices into w. Returns the sign flag.
int unpack_words(Bytes b, int32_t* w, int* exp, int* first, int* end) {
  bool neg = is_negative(b);
  w[0] = 0;
  int m = b.n - 1;
  const uint8_t* src = b.p + 1;
  if (neg && m > 0 && src[m - 1] == kTerminator) --m;
  int e = neg ? 62 - b.p[0] : b.p[0] - 193;
  for (int i = 0; i < m; ++i) {
    int v = neg ? 101 - src[i] : src[i] - 1;
    w[1 + i] = v < 0 ? 0 : (v > 100 ? 100 : v);
  }
  int lo = 1, hi = 1 + m;
  if (m > 0 && w[1] == 100) {
    lo = hi = 1;  // positive infinity (or its negative image): no digits
  } else {
    for (int i = 2; i < hi; ++i)
      if (w[i] == 100) w[i] = 99;
    while (lo < hi && w[lo] == 0) {
      ++lo;
      --e;
    }
    while (hi > lo && w[hi - 1] == 0) --hi;
  }
  *exp = e;
  *first = lo;
  *end = hi;
  return neg ? 0 : 1;
}

// Machine integer n into words w[1..] with E = digit count - 1 (-65 for 0); trailing zero
// digits stay in the range.
int unpack_int(int32_t n, int32_t* w, int* exp, int* first, int* end) {
  uint32_t mag = n < 0 ? static_cast<uint32_t>(-(n + 1)) + 1u : static_cast<uint32_t>(n);
  int32_t rev[5];
  int k = 0;
  while (mag != 0) {
    rev[k++] = static_cast<int32_t>(mag % 100);
    mag /= 100;
  }
  w[0] = 0;
  for (int i = 0; i < k; ++i) w[1 + i] = rev[k - 1 - i];
  *exp = k ? k - 1 : kMinExp;
  *first = 1;
  *end = 1 + k;
  return n >= 0 ? 1 : 0;
}

// Packs digits d[0..n) (any ints; normally 0..99, the first possibly carrying) with exponent
// e of d[0]: leading zeros lower e, rounding up at the 21st digit when it is 51 or more.
inline int32_t clamp_digit(int32_t v) { return v < 0 ? 0 : (v > 99 ? 99 : v); }

void pack_words(bool neg, int e, const int32_t* d, int n, lnm_number* dst, int32_t* dstlen) {
  int lo = 0;
  while (lo < n && clamp_digit(d[lo]) == 0) {
    ++lo;
    --e;
  }
  if (lo == n || e < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  int hi = n;
  while (clamp_digit(d[hi - 1]) == 0) --hi;
  // r[0] is the spare digit in front for a rounding carry.
  uint8_t r[LNM_DIGITS + 1];
  int count = hi - lo;
  bool up = false;
  if (count > LNM_DIGITS) {
    up = clamp_digit(d[lo + LNM_DIGITS]) >= 51;
    count = LNM_DIGITS;
  }
  for (int i = 0; i < count; ++i) r[1 + i] = static_cast<uint8_t>(clamp_digit(d[lo + i]));
  r[0] = 0;
  int start = 1;
  if (up) {
    int k = count;
    while (k >= 1 && r[k] == 99) {
      r[k] = 0;
      --k;
    }
    ++r[k];
    if (k == 0) {  // carry out of the first digit
      start = 0;
      if (++e > kMaxExp) {
        store_inf(neg, dst, dstlen);
        return;
      }
    }
  }
  if (e > kMaxExp) {
    store_inf(neg, dst, dstlen);
    return;
  }
  int last = count;  // index in r of the last kept digit
  while (r[last] == 0) --last;
  uint8_t out[LNM_MAXLEN + 1];
  int len = encode(neg, e, r + start, last - start + 1, out);
  store(out, len, dst, dstlen);
}

// ---------------------------------------------------------------------------------------
// Multiplication and division

struct Unpacked {
  int32_t w[30];
  int e;
  int first;
  int end;
  int sign;  // 1 positive or zero, 0 negative
  bool empty() const { return first == end; }
  bool inf() const { return first == end && e == kMaxExp; }
  bool zero() const { return first == end && e != kMaxExp; }
  int n() const { return end - first; }
  const int32_t* digits() const { return w + first; }
};

inline void unpack(const lnm_number* n, int32_t len, Unpacked& u) {
  if (n == nullptr) {
    u.sign = unpack_int(len, u.w, &u.e, &u.first, &u.end);
    return;
  }
  uint8_t scratch[LNM_MAXLEN];
  u.sign = unpack_words(operand(n, len, scratch), u.w, &u.e, &u.first, &u.end);
}

void multiply(const Unpacked& a, const Unpacked& b, lnm_number* dst, int32_t* dstlen) {
  bool neg = a.sign != b.sign;
  int ep = a.e + b.e + 1;
  if (a.zero() || b.zero() || ep < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  if (a.inf() || b.inf()) {
    store_inf(neg, dst, dstlen);
    return;
  }
  const Unpacked* outer = a.n() <= b.n() ? &a : &b;
  const Unpacked* inner = outer == &a ? &b : &a;
  const int no = outer->n(), ni = inner->n();
  const int32_t* od = outer->digits();
  // Inner digits zero-padded to 22 so each row is a fixed-length loop.
  int32_t id[22] = {};
  std::memcpy(id, inner->digits(), sizeof(int32_t) * static_cast<size_t>(ni));
  int words = no + ni < 23 ? no + ni : 23;
  int32_t acc[23 + 22] = {};
  for (int i = 0; i < no; ++i) {
    int32_t ai = od[i];
    if (ai == 0) continue;
    // Products a_i * b_j with i + j <= 21 go to word i + j + 1; the rest are discarded.
    int32_t* row = acc + i + 1;
    int lim = 22 - i;
    if (lim > ni) lim = ni;
    for (int j = 0; j < lim; ++j) row[j] += ai * id[j];
  }
  int32_t carry = 0;
  for (int k = words - 1; k >= 1; --k) {
    int32_t v = acc[k] + carry;
    carry = v / 100;
    acc[k] = v - carry * 100;
  }
  int e;
  const int32_t* d;
  int n;
  if (carry != 0) {
    acc[0] = carry;
    e = ep;
    d = acc;
    n = words;
  } else {
    e = ep - 1;
    d = acc + 1;
    n = words - 1;
  }
  if (e < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  if (e > kMaxExp) {
    store_inf(neg, dst, dstlen);
    return;
  }
  pack_words(neg, e, d, n, dst, dstlen);
}

// pack_words for digits known to lie in 0..99, followed by at least 24 zero words: the first
// 24 digits from the first non-zero one go into a digit window, rounded and written eight
// digits at a time.
void pack_valid(bool neg, int e, const int32_t* d, int n, lnm_number* dst, int32_t* dstlen) {
  int lo = 0;
  while (lo < n && d[lo] == 0) {
    ++lo;
    --e;
  }
  if (lo == n || e < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  // d is readable (and zero) up to 24 words past its last digit.
  const int32_t* p = d + lo;
  DigitWindow w;
  for (int k = 0; k < 3; ++k) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<uint32_t>(p[8 * k + i]);
    w.w[k] = v;
  }
  store_window(neg, e, w, 51, dst, dstlen);
}

// Digits of a canonical finite non-zero operand, zero-padded to 20; false for anything else
// (zero, infinities, machine integers, non-canonical bytes).
struct Digits {
  int32_t d[LNM_DIGITS];
  int n;
  int e;
  bool neg;
};

inline bool read_canonical(const lnm_number* p, int32_t len, Digits& o) {
  if (p == nullptr) return false;
  uint8_t scratch[LNM_MAXLEN];
  return decode_digits(operand(p, len, scratch), o.d, &o.n, &o.e, &o.neg);
}

// Truncating division of r by a fixed t (10000 <= t < 2^20, |r| < 2^31) by multiplying with
// a 33-bit reciprocal: with l = bit length of t, m = floor(2^(31+l) / t) + 1 gives
// floor(x / t) = (x * m) >> (31 + l) exactly for every x < 2^31, and x * m stays below 2^64.
struct Reciprocal {
  uint64_t m;
  int shift;
  uint32_t t;
  explicit Reciprocal(uint32_t divisor) : t(divisor) {
    const int l = 32 - __builtin_clz(divisor);
    shift = 31 + l;
    m = (1ull << shift) / divisor + 1;
  }
  int32_t div(int32_t r) const {
    const uint32_t mag = r < 0 ? 0u - static_cast<uint32_t>(r) : static_cast<uint32_t>(r);
    const int32_t q = static_cast<int32_t>((mag * m) >> shift);
    return r < 0 ? -q : q;
  }
};

// floor(v / 100) for any v.
inline int32_t floor_div100(int32_t v) { return v >= 0 ? v / 100 : -((99 - v) / 100); }

// Division of canonical operands, developing the same 22 quotient words as divide(): instead
// of subtracting q * b_k from the dividend words as each quotient word appears, each dividend
// word takes the sum of those subtractions when it is brought down. Subtractions the
// word-by-word form leaves out for late quotient words only ever reach positions beyond the
// 24th, which are never brought down, and its early stop only skips quotient words that are
// zero; neither changes the quotient.
void divide_digits(const Digits& a, const Digits& b, lnm_number* dst, int32_t* dstlen) {
  const bool neg = a.neg != b.neg;
  const int dexp = a.e - b.e;
  if (dexp < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  int32_t x[24];
  for (int i = 0; i < LNM_DIGITS; ++i) x[i] = a.d[i];
  x[20] = x[21] = x[22] = x[23] = 0;
  const int nb = b.n;
  const int32_t* y = b.d;
  const Reciprocal t(static_cast<uint32_t>(y[0] * 10000 + (nb > 1 ? y[1] : 0) * 100 + (nb > 2 ? y[2] : 0)));
  int32_t q[23 + 24];  // q[0] spare, quotient words q[1..22], zeros behind for pack_valid
  q[0] = 0;
  for (int i = 23; i < 47; ++i) q[i] = 0;
  // The subtraction landing on position p is the sum of q_p0 * b_(p - p0 + 2) over the earlier
  // quotient words (q_p0 is q[p0 - 1]), divisor digits 3..nb-1 only. The two newest terms
  // (digits 3 and 4) are added directly; the older ones form a dot product of 24 quotient
  // words with the divisor digits 5.. reversed, whose layout does not move with p. Quotient
  // words stay within +-121 (each is at most 100 plus the pending subtractions over the trial
  // divisor), so 16-bit lanes hold them and their products.
  alignas(16) int16_t q16[64] = {};    // q16[32 + j] = q[j]; zero for j <= 0 and unknown words
  alignas(16) int16_t ylane[24] = {};  // lane l: divisor digit 28 - l, for digits 5..nb-1
  for (int k = 5; k < nb; ++k) ylane[28 - k] = static_cast<int16_t>(y[k]);
  const int32_t y3 = y[3], y4 = y[4];  // zero beyond the divisor's digits
#if defined(__SSE2__)
  const __m128i yv0 = _mm_load_si128(reinterpret_cast<const __m128i*>(ylane));
  const __m128i yv1 = _mm_load_si128(reinterpret_cast<const __m128i*>(ylane + 8));
  const __m128i yv2 = _mm_load_si128(reinterpret_cast<const __m128i*>(ylane + 16));
#endif
  // r is the running remainder with the next dividend word brought down; the step's quotient
  // word w leaves r - w * T, and the next r is that times 100 plus the next word less its
  // subtractions, the newest of which (w * b_3) is folded into one multiplication by
  // 100 T + b_3 so the chain from one quotient word to the next stays short.
  const int64_t tk = static_cast<int64_t>(t.t) * 100 + y3;
  int32_t r = x[0] * 100 + x[1];
  int32_t q1 = 0, q2 = 0;  // the two previous quotient words
  r = r * 100 + x[2];  // position 2 has no pending subtractions
  for (int p = 2; p <= 23; ++p) {
    const int32_t w = t.div(r);
    q[p - 1] = w;
    q16[32 + p - 1] = static_cast<int16_t>(w);
    if (p == 23) break;
    // Subtractions landing on position p + 1 other than w * b_3: q1 * b_4 and the older words.
    const int16_t* qv = q16 + 32 + (p + 1) - 27;  // lane l holds q[p - 26 + l]
    int32_t older;
#if defined(__SSE2__)
    __m128i acc = _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(qv)), yv0);
    acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(qv + 8)), yv1));
    acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(qv + 16)), yv2));
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0x4E));
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0xB1));
    older = _mm_cvtsi128_si32(acc);
#else
    older = 0;
    for (int l = 0; l < 24; ++l) older += qv[l] * ylane[l];
#endif
    // Lanes cover quotient words up to q[p - 3]; q[p - 2] pairs with b_4 (q1 is q[p - 2]
    // once shifted below).
    q2 = q1;
    q1 = w;
    // r * 100 alone may pass 2^31; the difference does not.
    r = static_cast<int32_t>(static_cast<int64_t>(r) * 100 - static_cast<int64_t>(w) * tk) + x[p + 1] - older -
        q2 * y4;
  }
  finish_quotient(neg, dexp, q, dst, dstlen);
}

}  // namespace

void finish_quotient(bool neg, int dexp, int32_t* q, lnm_number* dst, int32_t* dstlen) {
  // Quotient words back into the range 0..99, carries moving toward the first word; a first
  // word outside it (possible only through the approximations) carries into the spare word.
  for (int i = 22; i >= 1; --i) {
    const int32_t v = q[i];
    if (static_cast<uint32_t>(v) > 99u) {
      const int32_t c = floor_div100(v);
      q[i] = v - c * 100;
      q[i - 1] += c;
    }
  }
  int e = dexp;
  const int32_t* d = q + 1;
  int n = 22;
  if (q[0] > 0) {
    e = dexp + 1;
    d = q;
    n = 23;
  }
  int lead = d[0] != 0 ? e : e - 1;
  if (lead > kMaxExp) {
    store_inf(neg, dst, dstlen);
    return;
  }
  if (lead < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  if (q[0] >= 0 && q[0] <= 99)  // the words are normalised: all digits
    pack_valid(neg, e, d, n, dst, dstlen);
  else
    pack_words(neg, e, d, n, dst, dstlen);
}

namespace {

void divide(Unpacked& a, const Unpacked& b, lnm_number* dst, int32_t* dstlen) {
  bool neg = a.sign != b.sign;
  if (a.inf() || b.zero()) {
    store_inf(neg, dst, dstlen);
    return;
  }
  int dexp = a.e - b.e;
  if (a.zero() || b.inf() || dexp < kMinExp) {
    store_zero(dst, dstlen);
    return;
  }
  // Dividend positions a_0..a_23 (zero-extended); the subtractions reach up to a_25.
  int32_t x[32] = {};
  std::memcpy(x, a.digits(), sizeof(int32_t) * static_cast<size_t>(a.n()));
  const int nb = b.n();
  int32_t y[24] = {};
  std::memcpy(y, b.digits(), sizeof(int32_t) * static_cast<size_t>(nb));
  const int32_t t = y[0] * 10000 + y[1] * 100 + y[2];  // trial divisor
  int32_t q[23 + 24] = {};  // q[0] spare, quotient words q[1..22], zeros behind for pack_valid
  int32_t r = x[0] * 100 + x[1];
  int hi = a.n() - 1;  // highest dividend position that may be non-zero
  for (int p = 2; p <= 23; ++p) {
    r = r * 100 + x[p];
    int32_t qw = r / t;
    r -= qw * t;
    const int idx = p - 2;  // index of this quotient word, 0..21
    q[1 + idx] = qw;
    if (qw != 0 && nb > 3) {
      // Subtract qw * b_k from a_(p+k-2) for k = 3.. ; late quotient words leave out the
      // divisor's last digits, one more for each word.
      int kend = nb;  // one past the last divisor digit used
      if (idx > 26 - nb) kend -= idx - (26 - nb);
      for (int k = 3; k < kend; ++k) x[p + k - 2] -= qw * y[k];
      if (kend > 3 && p + kend - 3 > hi) hi = p + kend - 3;
    }
    if (r == 0) {
      bool rest = false;
      for (int j = p + 1; j <= hi && j < 32; ++j)
        if (x[j] != 0) {
          rest = true;
          break;
        }
      if (!rest) break;
    }
  }
  finish_quotient(neg, dexp, q, dst, dstlen);
}

}  // namespace

void add_sub_generic(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen) {
  add_sub_generic_impl(a, b, subtract, dst, dstlen);
}

void divide_generic(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                    int32_t* dstlen) {
  Unpacked x, y;
  unpack(a, alen, x);
  unpack(b, blen, y);
  divide(x, y, dst, dstlen);
}

void multiply_generic(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                      int32_t* dstlen) {
  Unpacked x, y;
  unpack(a, alen, x);
  unpack(b, blen, y);
  multiply(x, y, dst, dstlen);
}

namespace {

// Bare operands of 2..21 bytes: the form the vector kernels read directly.
inline bool plain(const lnm_number* p, int32_t len) { return p != nullptr && static_cast<uint32_t>(len - 2) <= 19u; }

// The paths for operands the vector kernels do not take (machine integers, length-prefixed
// values, zero, infinities, non-canonical bytes, processors without the instructions), kept
// out of line so that the common call needs no stack frame of its own.
__attribute__((noinline)) void add_sub_other(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen,
                                             lnm_number* dst, int32_t* dstlen, bool subtract) {
  uint8_t sa[LNM_MAXLEN], sb[LNM_MAXLEN];
  Bytes x = operand(a, alen, sa), y = operand(b, blen, sb);
  // Bare operands have already been offered to the vector kernel by lnmqaos.
  const bool tried = plain(a, alen) && plain(b, blen);
  if ((!tried && add_sub_wide(x, y, subtract, dst, dstlen)) || add_sub_fast(x, y, subtract, dst, dstlen)) return;
  add_sub_generic(x, y, subtract, dst, dstlen);
}

__attribute__((noinline)) void divide_other(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen,
                                            lnm_number* dst, int32_t* dstlen) {
  // Bare operands have already been offered to the vector kernel by lnmdiv.
  if (a != nullptr && b != nullptr && !(plain(a, alen) && plain(b, blen))) {
    uint8_t sa[LNM_MAXLEN], sb[LNM_MAXLEN];
    if (divide_wide(operand(a, alen, sa), operand(b, blen, sb), dst, dstlen)) return;
  }
  divide_portable(a, alen, b, blen, dst, dstlen);
}

}  // namespace

void divide_portable(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                     int32_t* dstlen) {
  Digits p, q;
  if (read_canonical(a, alen, p) && read_canonical(b, blen, q)) {
    divide_digits(p, q, dst, dstlen);
    return;
  }
  divide_generic(a, alen, b, blen, dst, dstlen);
}

}  // namespace zunt::num

using namespace zunt::num;

extern "C" {

ZUNT_API void lnmqaos(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                      int32_t* dstlen, int32_t op) {
  if (plain(a, alen) && plain(b, blen) && add_sub_wide({a, alen}, {b, blen}, op != 0, dst, dstlen)) return;
  add_sub_other(a, alen, b, blen, dst, dstlen, op != 0);
}

ZUNT_API void lnmmul(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                     int32_t* dstlen) {
  if (a != nullptr && b != nullptr) {
    uint8_t sa[LNM_MAXLEN], sb[LNM_MAXLEN];
    const Bytes x = operand(a, alen, sa), y = operand(b, blen, sb);
    if (multiply_wide(x, y, dst, dstlen) || multiply_fast(x, y, dst, dstlen)) return;
  }
  multiply_generic(a, alen, b, blen, dst, dstlen);
}

ZUNT_API void lnmdiv(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                     int32_t* dstlen) {
  if (plain(a, alen) && plain(b, blen) && divide_wide({a, alen}, {b, blen}, dst, dstlen)) return;
  divide_other(a, alen, b, blen, dst, dstlen);
}

ZUNT_API int32_t lnmqosb(const lnm_number* n, int32_t len, int32_t* words, int32_t* exp, int32_t** first,
                         int32_t** end) {
  int e, lo, hi, sign;
  if (n == nullptr) {
    sign = unpack_int(len, words, &e, &lo, &hi);
  } else {
    uint8_t scratch[LNM_MAXLEN];
    sign = unpack_words(operand(n, len, scratch), words, &e, &lo, &hi);
  }
  if (exp) *exp = e;
  if (first) *first = words + lo;
  if (end) *end = words + hi;
  return sign;
}

ZUNT_API void lnmqsbo(lnm_number* dst, int32_t* dstlen, int32_t sign, int32_t exp, const int32_t* first,
                      const int32_t* end) {
  int n = (first != nullptr && end != nullptr && end > first) ? static_cast<int>(end - first) : 0;
  if (exp > kMaxExp + 40) exp = kMaxExp + 40;  // keeps the exponent arithmetic in range
  if (exp < kMinExp - 40) exp = kMinExp - 40;
  pack_words(sign == 0, exp, first, n, dst, dstlen);
}

}  // extern "C"
