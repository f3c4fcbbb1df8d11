// Addition, subtraction and multiplication of two canonical finite non-zero numbers, eight
// digits at a time, and the rounding and encoding of results held as digit windows.
//
// A window holds 24 base-100 digit positions, one digit per byte, in three 64-bit words. For
// arithmetic it is a 192-bit integer with position 0 in the top byte (h: positions 0..7,
// m: 8..15, l: 16..23), so that a binary carry runs from later digits to earlier ones.
// Adding 156 to each byte of one addend turns a decimal carry into a binary one: one 192-bit
// addition carries through all 24 digits, and the bytes that did not carry give back their
// bias. A subtraction adds the complement plus one. Signs, operand order, the alignment shift
// and the rounding only select masks and shift counts, so operands of random signs and
// magnitudes cost no mispredicted branches; only the rarer carry out of the window and
// cancelled leading digits branch. The result is the same, byte for byte, as the
// digit-by-digit window arithmetic of add_sub_generic, which handles everything this path
// declines.
//
// Products are formed on limbs of four digits (below 10^8) from the same digit words; see
// multiply_fast for how exactly the partial products of the word-by-word accumulation are
// kept.
#include <cstring>

#if defined(__x86_64__)
#include <x86intrin.h>
#endif

#include "numbers/number_internal.h"

namespace zunt::num {
namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHigh = 0x8080808080808080ull;

inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// Bytes whose value is 100 or more (bit 7 of each such byte).
inline uint64_t ge100(uint64_t x) { return (((x & ~kHigh) + 0x1C1C1C1C1C1C1C1Cull) | x) & kHigh; }

struct Window {
  uint64_t w[3];  // digits 0..23, first digit in the low byte of w[0]
};

// The bytes [0, len) of p (len 1..21) as a 24-byte image, zero beyond len; reads nothing
// outside them.
inline Window load_image(const uint8_t* p, int len) {
  Window r{{0, 0, 0}};
  if (len >= 16) {
    r.w[0] = load64(p);
    r.w[1] = load64(p + 8);
    if (len > 16) r.w[2] = load64(p + len - 8) >> (8 * (24 - len));
  } else if (len >= 8) {
    r.w[0] = load64(p);
    if (len > 8) r.w[1] = load64(p + len - 8) >> (8 * (16 - len));
  } else if (len >= 4) {
    uint32_t a, b;
    std::memcpy(&a, p, 4);
    std::memcpy(&b, p + len - 4, 4);
    r.w[0] = a | (static_cast<uint64_t>(b) << (8 * (len - 4)));
  } else {
    r.w[0] = p[0] | (len > 1 ? static_cast<uint64_t>(p[1]) << 8 : 0) | (len > 2 ? static_cast<uint64_t>(p[2]) << 16 : 0);
  }
  return r;
}

// Writes bytes [0, n) (n 1..21) of a 24-byte image, nothing beyond.
inline void store_image(uint8_t* dst, const uint64_t* o, int n) {
  if (n >= 16) {
    store64(dst, o[0]);
    store64(dst + 8, o[1]);
    if (n > 16) store64(dst + n - 8, (o[1] >> (8 * (n - 16))) | (o[2] << (8 * (24 - n))));
  } else if (n >= 8) {
    store64(dst, o[0]);
    if (n > 8) store64(dst + n - 8, (o[0] >> (8 * (n - 8))) | (o[1] << (8 * (16 - n))));
  } else if (n >= 4) {
    uint32_t a = static_cast<uint32_t>(o[0]), b = static_cast<uint32_t>(o[0] >> (8 * (n - 4)));
    std::memcpy(dst, &a, 4);
    std::memcpy(dst + n - 4, &b, 4);
  } else {
    for (int i = 0; i < n; ++i) dst[i] = static_cast<uint8_t>(o[0] >> (8 * i));
  }
}

// The low k bytes of a word (k = 0..8).
constexpr uint64_t kByteMask[9] = {0,
                                   0xFFull,
                                   0xFFFFull,
                                   0xFFFFFFull,
                                   0xFFFFFFFFull,
                                   0xFFFFFFFFFFull,
                                   0xFFFFFFFFFFFFull,
                                   0xFFFFFFFFFFFFFFull,
                                   ~0ull};
inline int clamp_bytes(int k) { return k < 0 ? 0 : (k > 8 ? 8 : k); }

// A canonical operand as its digits.
struct Fast {
  bool neg;
  int e;
  int n;
  Window d;
};

// Decodes a canonical finite non-zero operand of any length; false for anything else. The
// sign selects masks rather than branches.
inline bool decode_any(Bytes b, Fast& f) {
  if (b.n < 2) return false;
  const uint8_t eb = b.p[0];
  const uint8_t* m = b.p + 1;
  const bool neg = (eb & 0x80) == 0;
  const int raw = b.n - 1;  // mantissa bytes, a terminator included
  const bool term = neg & (m[raw - 1] == kTerminator);
  const int n = raw - static_cast<int>(term);
  if (n == 0) return false;  // a terminator alone
  const uint64_t sm = 0 - static_cast<uint64_t>(neg);
  // A negative value ends with the terminator exactly when it has fewer than 20 digits (raw is
  // at most 20, so a terminated value never has 20 digits). Digit 0 is byte 1 or byte 101; the
  // first and the last digit must not be 0.
  const uint8_t pad = static_cast<uint8_t>(1 + (sm & 100));
  const bool bad = (neg & !term & (n != LNM_DIGITS)) | (m[0] == pad) | (m[n - 1] == pad);
  // Digits are byte - 1 or 101 - byte within the first n bytes and 0 beyond. A byte outside
  // the digit range decodes to 100 or more (a borrow it causes only reaches later bytes, and
  // the value is rejected anyway); the terminator lies beyond the mask.
  const Window img = load_image(m, n);
  uint64_t big = 0;
  for (int i = 0; i < 3; ++i) {
    const uint64_t mask = kByteMask[clamp_bytes(n - 8 * i)];
    const uint64_t x = img.w[i];
    const uint64_t pos = x - (kOnes & mask);
    const uint64_t ng = (0x6565656565656565ull & mask) - x;
    const uint64_t d = (pos ^ ((pos ^ ng) & sm)) & mask;
    big |= ge100(d);
    f.d.w[i] = d;
  }
  if (bad | (big != 0)) return false;
  f.neg = neg;
  f.e = static_cast<int>(static_cast<uint8_t>(eb ^ static_cast<uint8_t>(sm))) - 193;
  f.n = n;
  return true;
}

// decode_any for the common case of 8 digits or more, without branches on the sign or the
// length: digit = (byte ^ s) - k with s = 0, k = 1 for a positive value and s = 0xFF, k = 154
// (255 - byte - 154 = 101 - byte) for a negative one; neither borrows for a byte in range.
__attribute__((always_inline)) inline bool decode(Bytes b, Fast& f) {
  if (__builtin_expect(b.n < 9, 0)) return decode_any(b, f);
  const uint8_t eb = b.p[0];
  const uint8_t* m = b.p + 1;
  const bool neg = (eb & 0x80) == 0;
  const int raw = b.n - 1;  // 8..20 mantissa bytes, a terminator included
  const bool term = neg & (m[raw - 1] == kTerminator);
  const int n = raw - static_cast<int>(term);
  if (__builtin_expect(n < 8, 0)) return decode_any(b, f);
  const uint64_t sm = 0 - static_cast<uint64_t>(neg);
  const uint64_t k = kOnes + (sm & (0x9A9A9A9A9A9A9A9Aull - kOnes));
  const uint8_t pad = static_cast<uint8_t>(1 + (sm & 100));  // the byte of digit 0
  // Bytes 8 .. min(n, 16) - 1 from an in-bounds load, and bytes 16 .. n - 1 (none below 17).
  const int short1 = n < 16 ? 16 - n : 0;
  const int n2 = n < 16 ? 16 : n;
  const uint64_t last = load64(m + n - 8);
  const uint64_t w1 = (load64(m + 8 - short1) >> (4 * short1)) >> (4 * short1);  // short1 may be 8
  const uint64_t w2 = (last >> (8 * (23 - n2))) >> 8;
  const uint64_t d0 = (load64(m) ^ sm) - k;
  const uint64_t d1 = ((w1 ^ sm) - k) & kByteMask[8 - short1];
  const uint64_t d2 = ((w2 ^ sm) - k) & kByteMask[n2 - 16];
  // A byte out of range decodes to 100 or more; the first and last digits are not 0; a
  // negative value without the terminator has 20 digits.
  const uint64_t over = ge100(d0) | ge100(d1) | ge100(d2);
  const bool bad = (neg & !term & (n != LNM_DIGITS)) | ((d0 & 0xFF) == 0) | (m[n - 1] == pad);
  if (bad | (over != 0)) return false;
  f.d = Window{{d0, d1, d2}};
  f.neg = neg;
  f.e = static_cast<int>(static_cast<uint8_t>(eb ^ static_cast<uint8_t>(sm))) - 193;
  f.n = n;
  return true;
}

inline uint64_t bswap(uint64_t x) { return __builtin_bswap64(x); }

// A window as a 192-bit integer: position 0 in the top byte of h, position 23 in the low byte
// of l.
struct Be {
  uint64_t h, m, l;
};
inline Be to_be(const Window& w) { return Be{bswap(w.w[0]), bswap(w.w[1]), bswap(w.w[2])}; }

// All ones when c holds, else zero.
inline uint64_t all_if(bool c) { return 0 - static_cast<uint64_t>(c); }

// The window moved toward later positions by s digits (0..23), the first s positions zero.
inline Be later(const Be& v, unsigned s) {
  const unsigned q = s >> 3, r = 8 * (s & 7);
  const uint64_t q0 = all_if(q == 0), q1 = all_if(q == 1), q2 = all_if(q == 2);
  const uint64_t h = v.h & q0, m = (v.m & q0) | (v.h & q1), l = (v.l & q0) | (v.m & q1) | (v.h & q2);
  return Be{h >> r, (m >> r) | (h << 1 << (63 - r)), (l >> r) | (m << 1 << (63 - r))};
}

// The window moved toward earlier positions by s digits (0..23), dropping the first s.
inline Be earlier(const Be& v, unsigned s) {
  const unsigned q = s >> 3, r = 8 * (s & 7);
  const uint64_t q0 = all_if(q == 0), q1 = all_if(q == 1), q2 = all_if(q == 2);
  const uint64_t h = (v.h & q0) | (v.m & q1) | (v.l & q2), m = (v.m & q0) | (v.l & q1), l = v.l & q0;
  return Be{(h << r) | (m >> 1 >> (63 - r)), (m << r) | (l >> 1 >> (63 - r)), l << r};
}

constexpr uint64_t kBias = 0x9C9C9C9C9C9C9C9Cull;  // 156 per byte: a digit + 156 <= 255

// The bytes of a sum t = x + y (+ carry in at the last position), x biased by 156 per byte
// (or an unbiased subtraction written as x + ~y + 1), turned back into digits: bit 0 of each
// byte of t ^ x ^ y is the carry into that byte, the carry out of a byte is the carry into the
// next one, and a byte without a carry out gives back 156 (it holds at least that, so nothing
// borrows). cout is the carry out of position 0.
inline Be settle(uint64_t th, uint64_t tm, uint64_t tl, uint64_t xh, uint64_t xm, uint64_t xl, const Be& y,
                 uint64_t cout) {
  const uint64_t il = (tl ^ xl ^ y.l) & kOnes, im = (tm ^ xm ^ y.m) & kOnes, ih = (th ^ xh ^ y.h) & kOnes;
  const uint64_t cl = (il >> 8) | (im << 56), cm = (im >> 8) | (ih << 56), ch = (ih >> 8) | (cout << 56);
  return Be{th - kBias + ch * 0x9C, tm - kBias + cm * 0x9C, tl - kBias + cl * 0x9C};
}

// x + y + cin with the carries settled into digits (x biased, or y complemented for a
// subtraction); returns the carry out of position 0.
inline uint64_t add_raw(uint64_t xh, uint64_t xm, uint64_t xl, const Be& y, uint64_t cin, Be& r) {
  uint64_t th, tm, tl, cout;
#if defined(__x86_64__)
  unsigned long long a, b, c;
  unsigned char k = _addcarry_u64(static_cast<unsigned char>(cin), xl, y.l, &a);
  k = _addcarry_u64(k, xm, y.m, &b);
  k = _addcarry_u64(k, xh, y.h, &c);
  tl = a, tm = b, th = c, cout = k;
#else
  // x + y + c wraps exactly when the sum is below x, or equal to it with c = 1.
  tl = xl + y.l + cin;
  const uint64_t cl = (tl < xl) | ((tl == xl) & (cin != 0));
  tm = xm + y.m + cl;
  const uint64_t cm = (tm < xm) | ((tm == xm) & (cl != 0));
  th = xh + y.h + cm;
  cout = (th < xh) | ((th == xh) & (cm != 0));
#endif
  r = settle(th, tm, tl, xh, xm, xl, y, cout);
  return cout;
}

// x + y digit by digit with decimal carries (every byte of both 0..99); returns the carry out
// of position 0.
inline uint64_t add_digits(const Be& x, const Be& y, Be& r) {
  return add_raw(x.h + kBias, x.m + kBias, x.l + kBias, y, 0, r);
}

// Leading and trailing zero bits of a non-zero window.
inline unsigned lead_zero_bits(const Be& v) {
  const unsigned ch = static_cast<unsigned>(__builtin_clzll(v.h | 1));
  const unsigned cm = 64 + static_cast<unsigned>(__builtin_clzll(v.m | 1));
  const unsigned cl = 128 + static_cast<unsigned>(__builtin_clzll(v.l | 1));
  unsigned z = v.m != 0 ? cm : cl;
  z = v.h != 0 ? ch : z;
  return z;
}
inline unsigned trail_zero_bits(const Be& v) {
  const unsigned cl = static_cast<unsigned>(__builtin_ctzll(v.l | (1ull << 63)));
  const unsigned cm = 64 + static_cast<unsigned>(__builtin_ctzll(v.m | (1ull << 63)));
  const unsigned ch = 128 + static_cast<unsigned>(__builtin_ctzll(v.h | (1ull << 63)));
  unsigned z = v.m != 0 ? cm : ch;
  z = v.l != 0 ? cl : z;
  return z;
}

// Rounds a result whose first digit (non-zero) is at position 0 and whose exponent e is in
// range: with more than 20 digits the 20th goes up by one when the 21st is at least round_at
// (a carry through 20 nines gives 1 with e + 1, an infinity beyond the range). Then encodes it
// without its trailing zero digits and stores it.
__attribute__((always_inline)) inline void finish_be(bool neg, int e, Be r, unsigned round_at, lnm_number* dst, int32_t* dstlen) {
  const uint64_t up = ((r.l >> 24) & 0xFF) >= round_at;  // position 20 (0 with 20 digits or fewer)
  r.l = (r.l & 0xFFFFFFFF00000000ull) + (up << 32);      // positions 20..23 cut, the 20th raised
  if (__builtin_expect(((r.l >> 32) & 0xFF) == 100, 0)) {
    // The 20th digit was 99: carry decimally from the 19th.
    r.l -= 1ull << 32;
    Be t;
    if (add_digits(r, Be{0, 0, 1ull << 32}, t)) {  // 20 digits of 99: the single digit 1
      t = Be{1ull << 56, 0, 0};
      if (++e > kMaxExp) {
        store_inf(neg, dst, dstlen);
        return;
      }
    }
    r = t;
  }
  const int count = 24 - static_cast<int>(trail_zero_bits(r) >> 3);
  const uint64_t sm = all_if(neg);
  // Digit d is byte d + 1, or 101 - d = (d ^ 0xFF) - 154 when negative; the exponent byte
  // 193 + e, or its complement 62 - e.
  const uint64_t c = kOnes + (sm & (0 - 0x9A9A9A9A9A9A9A9Aull - kOnes));
  const uint64_t e0 = (bswap(r.h) ^ sm) + c, e1 = (bswap(r.m) ^ sm) + c, e2 = (bswap(r.l) ^ sm) + c;
  const uint64_t ebyte = static_cast<uint8_t>(static_cast<uint8_t>(193 + e) ^ static_cast<uint8_t>(sm));
  uint64_t o[3] = {ebyte | (e0 << 8), (e0 >> 56) | (e1 << 8), (e1 >> 56) | (e2 << 8)};
  // A negative value with fewer than 20 digits ends with the terminator: the encoded digit 0
  // after the last digit (byte 101) becomes 102.
  const bool term = neg & (count < LNM_DIGITS);
  const int at = count + 1;
  o[at >> 3] += static_cast<uint64_t>(term) << (8 * (at & 7));
  const int n = at + static_cast<int>(term);
  if (dstlen != nullptr) {
    store_image(dst, o, n);
    *dstlen = n;
  } else {
    store_image(dst + 1, o, n);
    dst[0] = static_cast<uint8_t>(n);
  }
}

}  // namespace

void store_window(bool neg, int e, const DigitWindow& win, int round_at, lnm_number* dst, int32_t* dstlen) {
  finish_be(neg, e, to_be(Window{{win.w[0], win.w[1], win.w[2]}}), static_cast<unsigned>(round_at), dst, dstlen);
}

bool add_sub_fast(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen) {
  Fast x, y;
  if (!decode(a, x) || !decode(b, y)) return false;
  const bool yneg = y.neg != subtract;  // sign of the second term
  const bool msub = x.neg != yneg;      // magnitudes are subtracted
  const Be bx = to_be(x.d), by = to_be(y.d);
  // The larger magnitude leads: the larger exponent, or with equal exponents the larger
  // digits (which then share the window unshifted, so skipping their common leading digits
  // changes nothing).
#if defined(__SIZEOF_INT128__)
  using u128 = unsigned __int128;
  const bool mless = ((static_cast<u128>(bx.m) << 64) | bx.l) < ((static_cast<u128>(by.m) << 64) | by.l);
#else
  const bool mless = (bx.m < by.m) | ((bx.m == by.m) & (bx.l < by.l));
#endif
  const bool dless = (bx.h < by.h) | ((bx.h == by.h) & mless);
  const bool swap = (x.e < y.e) | ((x.e == y.e) & dless);
  const uint64_t sw = all_if(swap);
  const Be t{(bx.h ^ by.h) & sw, (bx.m ^ by.m) & sw, (bx.l ^ by.l) & sw};
  const Be big{bx.h ^ t.h, bx.m ^ t.m, bx.l ^ t.l};
  Be small{by.h ^ t.h, by.m ^ t.m, by.l ^ t.l};
  const int eb = x.e > y.e ? x.e : y.e;
  const int s = eb - (x.e > y.e ? y.e : x.e);
  const bool neg = ((static_cast<uint32_t>(x.neg) & ~sw) | (static_cast<uint32_t>(yneg) & sw)) != 0;  // for a magnitude addition both signs agree
  // The smaller operand in the 21-digit window at the larger one's leading position: digits
  // from position 21 on are dropped, and a shift of 21 or more leaves nothing.
  small = later(small, static_cast<unsigned>(s > 23 ? 23 : s));
  const uint64_t keep = all_if(s <= 21);
  // big + small with decimal carries, or big - small as big + (99..99 - small) + 1, which is
  // the binary big + ~small + 1 without the bias; its carry out of position 0 is not a digit.
  const uint64_t cm = all_if(msub), bias = kBias & ~cm;
  const Be y2{(small.h & keep) ^ cm, (small.m & keep) ^ cm, ((small.l & keep & 0xFFFFFFFFFF000000ull) ^ cm)};
  Be r;
  const uint64_t carry = add_raw(big.h + bias, big.m + bias, big.l + bias, y2, msub, r) & ~cm;
  int e = eb;
  if (__builtin_expect(carry != 0, 0)) {
    // A carry out of the window puts a digit 1 in front.
    if (e == kMaxExp) {
      store_inf(neg, dst, dstlen);
      return true;
    }
    r = Be{(r.h >> 8) | (1ull << 56), (r.m >> 8) | (r.h << 56), (r.l >> 8) | (r.m << 56)};
    ++e;
  } else if (__builtin_expect((r.h >> 56) == 0, 0)) {
    // A difference drops its leading zero digits; equal magnitudes cancel.
    if ((r.h | r.m | r.l) == 0) {
      store_zero(dst, dstlen);
      return true;
    }
    const unsigned lz = lead_zero_bits(r) >> 3;
    r = earlier(r, lz);
    e -= static_cast<int>(lz);
    if (e < kMinExp) {
      store_zero(dst, dstlen);
      return true;
    }
  }
  finish_be(neg, e, r, 50, dst, dstlen);
  return true;
}

namespace {

// Digit i (0..23) of a window.
inline uint64_t digit(const Window& w, int i) { return (w.w[i / 8] >> (8 * (i % 8))) & 0xFF; }

// The digits of a window as five limbs of four digits each (limb I = digits 4I .. 4I + 3),
// and the first two digits of each limb as a pair (100 d_4I + d_4I+1).
inline void limbs(const Window& w, uint64_t* l, uint64_t* hp) {
  uint64_t q[3], pr[3];
  for (int i = 0; i < 3; ++i) {
    const uint64_t x = w.w[i];
    // Pairs in 16-bit lanes, then quadruples in 32-bit lanes; the earlier digit weighs more.
    const uint64_t pairs = (x & 0x00FF00FF00FF00FFull) * 100 + ((x >> 8) & 0x00FF00FF00FF00FFull);
    pr[i] = pairs;
    q[i] = (pairs & 0x0000FFFF0000FFFFull) * 10000 + ((pairs >> 16) & 0x0000FFFF0000FFFFull);
  }
  l[0] = q[0] & 0xFFFFFFFFu;
  l[1] = q[0] >> 32;
  l[2] = q[1] & 0xFFFFFFFFu;
  l[3] = q[1] >> 32;
  l[4] = q[2] & 0xFFFFFFFFu;
  hp[0] = pr[0] & 0xFFFF;
  hp[1] = (pr[0] >> 32) & 0xFFFF;
  hp[2] = pr[1] & 0xFFFF;
  hp[3] = (pr[1] >> 32) & 0xFFFF;
  hp[4] = pr[2] & 0xFFFF;
}

// Four digits (v < 10^8) as bytes, the first digit in the low byte. The two halves are split
// by 100 side by side in 32-bit lanes: (x * 5243) >> 19 is x / 100 for x < 10^4, and the
// other lane's bits land above bit 12, outside the 7-bit quotient.
inline uint64_t chunk(uint64_t v) {
  const uint64_t hi = v / 10000, lo = v - hi * 10000;
  const uint64_t x = hi | (lo << 32);
  const uint64_t q = ((x * 5243) >> 19) & 0x0000007F0000007Full;
  const uint64_t r = x - q * 100;
  // Quotient and remainder bytes side by side in each lane, then the upper lane's two bytes
  // moved down beside the lower lane's.
  const uint64_t t = q | (r << 8);
  return (t | (t >> 16)) & 0xFFFFFFFFu;
}

}  // namespace

bool decode_digits(Bytes b, int32_t* d, int* n, int* e, bool* neg) {
  Fast f;
  if (!decode(b, f)) return false;
  for (int k = 0; k < 3; ++k) {
    uint64_t w = f.d.w[k];
    const int m = k == 2 ? 4 : 8;  // 20 digits
    for (int i = 0; i < m; ++i, w >>= 8) d[8 * k + i] = static_cast<int32_t>(w & 0xFF);
  }
  *n = f.n;
  *e = f.e;
  *neg = f.neg;
  return true;
}

bool multiply_fast(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen) {
  Fast x, y;
  if (!decode(a, x) || !decode(b, y)) return false;
  const bool neg = x.neg != y.neg;
  const int ep = x.e + y.e + 1;
  if (ep < kMinExp) {
    store_zero(dst, dstlen);
    return true;
  }
  uint64_t A[5], B[5], PA[5], PB[5];
  limbs(x.d, A, PA);
  limbs(y.d, B, PB);
  // The kept value counted in units of position 21 (digit position i of a times j of b lands
  // at position i + j and is kept when i + j <= 21). Limb product A_I * B_J, K = I + J, holds
  // positions 4K .. 4K + 6: whole for K <= 3, without its last position (digits 3 and 3) for
  // K = 4, only its first two positions for K = 5, nothing after.
  const uint64_t c0 = A[0] * B[0];
  const uint64_t c1 = A[0] * B[1] + A[1] * B[0];
  const uint64_t c2 = A[0] * B[2] + A[1] * B[1] + A[2] * B[0];
  const uint64_t c3 = A[0] * B[3] + A[1] * B[2] + A[2] * B[1] + A[3] * B[0];
  const uint64_t c4 = A[0] * B[4] + A[1] * B[3] + A[2] * B[2] + A[3] * B[1] + A[4] * B[0];
  // For K = 5 the kept positions 20 and 21 of A_I * B_J are 100 a_4I b_4J + a_4I b_4J+1 +
  // a_4I+1 b_4J, which is (P_I Q_J - a_4I+1 b_4J+1) / 100 for the leading pairs P, Q.
  uint64_t d4 = 0, pq = 0, d5 = 0;
  for (int i = 0; i <= 4; ++i) d4 += digit(x.d, 4 * i + 3) * digit(y.d, 4 * (4 - i) + 3);
  for (int i = 1; i <= 4; ++i) {
    pq += PA[i] * PB[5 - i];
    d5 += digit(x.d, 4 * i + 1) * digit(y.d, 4 * (5 - i) + 1);
  }
  // value = c0 10^30 + c1 10^22 + c2 10^14 + c3 10^6 + (c4 - d4 + pq - d5) / 100, gathered
  // into columns of weight 10^(8m).
  uint64_t g[6];
  g[0] = (c4 - d4 + pq - d5) / 100 + (c3 % 100) * 1000000;
  g[1] = c3 / 100 + (c2 % 100) * 1000000;
  g[2] = c2 / 100 + (c1 % 100) * 1000000;
  g[3] = c1 / 100 + (c0 % 100) * 1000000;
  g[4] = c0 / 100;
  uint64_t carry = 0;
  for (int m = 0; m < 5; ++m) {
    const uint64_t v = g[m] + carry;
    carry = v / 100000000;
    g[m] = v - carry * 100000000;
  }
  g[5] = carry;  // below 10^6: the carry word and position 0..1
  // Words of the accumulation: column m holds words 19 - 4m .. 22 - 4m (word = position + 1).
  // In byte order that is g[5] g[4] ... g[0] from word -1 on.
  Window w{{chunk(g[5]) | (chunk(g[4]) << 32), chunk(g[3]) | (chunk(g[2]) << 32), chunk(g[1]) | (chunk(g[0]) << 32)}};
  const int carry_word = g[5] >= 10000;  // word 0 is not zero
  const int e = ep - 1 + carry_word;
  if (e < kMinExp) {
    store_zero(dst, dstlen);
    return true;
  }
  if (e > kMaxExp) {
    store_inf(neg, dst, dstlen);
    return true;
  }
  // The digits from word 0 or from word 1 on.
  Be v = to_be(w);
  const int sh = 16 - 8 * carry_word;
  v = Be{(v.h << sh) | (v.m >> (64 - sh)), (v.m << sh) | (v.l >> (64 - sh)), v.l << sh};
  finish_be(neg, e, v, 51, dst, dstlen);
  return true;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ZUNT_WIDE_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,bmi,bmi2")))
#define ZUNT_WIDE_VBMI_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,avx512vbmi,bmi,bmi2")))

namespace {

// GCC 12's AVX-512 intrinsics start some results from a deliberately undefined value.
#pragma GCC diagnostic push
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// A canonical finite non-zero operand as digit bytes: digit i in byte i + 1 of v (byte 0 and
// the bytes after the last digit zero), the digit count n, exponent e and sign. Reads exactly
// the operand's bytes (the masked load suppresses the rest); false for anything else.
struct Wide {
  __m256i v;
  int n;
  int e;
  bool neg;
};

ZUNT_WIDE_TARGET inline bool decode_wide(Bytes b, Wide& w) {
  if (b.n < 2) return false;
  const unsigned len = static_cast<unsigned>(b.n);
  const __m256i raw = _mm256_maskz_loadu_epi8(_bzhi_u32(~0u, len), b.p);
  const uint32_t neg = (b.p[0] >> 7) ^ 1u;
  const uint32_t term = neg & (b.p[len - 1] == kTerminator);
  const unsigned n = len - 1 - term;
  // Digit = byte - 1 for a positive value, 101 - byte = 100 - (byte - 1) for a negative one,
  // in bytes 1..n; a byte outside the digit range gives 100 or more. Masks rather than
  // branches: the sign of random operands is not predictable.
  const __mmask32 dm = _bzhi_u32(~1u, n + 1);
  w.v = _mm256_maskz_sub_epi8(dm, raw, _mm256_set1_epi8(1));
  w.v = _mm256_mask_sub_epi8(w.v, dm & (0u - neg), _mm256_set1_epi8(100), w.v);
  const uint32_t big = _mm256_cmpgt_epu8_mask(w.v, _mm256_set1_epi8(99));
  const uint32_t nonzero = _mm256_test_epi8_mask(w.v, w.v);
  // The first and last digits are not 0, and a negative value without the terminator has 20.
  const uint32_t ends = (nonzero >> 1) & (nonzero >> n) & 1u;
  const uint32_t unended = neg & (term ^ 1u) & (len != LNM_DIGITS + 1);
  w.n = static_cast<int>(n);
  w.e = static_cast<int>(b.p[0] ^ (0xFFu & (0u - neg))) - 193;
  w.neg = neg != 0;
  return (big | (ends ^ 1u) | unended) == 0;
}

// Division on the quotient words of the word-by-word definition, one word per step of a short
// integer recurrence.
//
// Each step's word is trunc(r / T) for the running remainder r and the trial divisor T. With
// m = floor(2^47 / T) + 1 that is floor(r m / 2^47), plus one when r is negative: for
// |r| < 2^27 and T < 2^20 the excess of r m / 2^47 over r / T stays below 1 / T, so the floor
// never crosses an integer, and for r < 0 the product is never itself an integer. Remainders
// stay within 100 T + 17 * 120 * 99 < 2^27 and words within -120..220, so r m fits 61 bits.
// The recurrence is kept on P = r m rather than on r: the next remainder is
// 100 r - w (100 T + b_3) + (the next dividend word less its pending subtractions), so
// P' = 100 P - w (100 T + b_3) m + (that word) m, all modulo 2^64, which is exact because P'
// itself fits. Two shifts and one multiplication separate one word from the next.
//
// The subtractions of the divisor's digits 6 to 19 wait, unscaled, in sixteen 32-bit lanes
// holding the pending totals of the dividend positions p + 4 .. p + 19 after step p; the lanes
// slide down one position per step and the first is taken out, and scaled by m, three steps
// before its position is brought down, off the critical path. Digits 4 and 5 reach their
// positions one and two steps after their word and are applied as scalars; digit 3 is part of
// the trial subtraction. Subtractions the word-by-word form leaves out for late quotient
// words only reach positions beyond the 24th, which are never brought down, and its early
// stop only skips words that are zero, so the words are the same.
ZUNT_WIDE_TARGET bool divide_wide_impl(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen) {
  Wide x, y;
  if (!decode_wide(a, x) || !decode_wide(b, y)) return false;
  const bool neg = x.neg != y.neg;
  const int dexp = x.e - y.e;
  if (dexp < kMinExp) {
    store_zero(dst, dstlen);
    return true;
  }
  const __m128i xl = _mm256_castsi256_si128(x.v), xh = _mm256_extracti128_si256(x.v, 1);
  const __m128i yl = _mm256_castsi256_si128(y.v), yh = _mm256_extracti128_si256(y.v, 1);
  const uint64_t a0 = static_cast<uint64_t>(_mm_cvtsi128_si64(xl)), b0 = static_cast<uint64_t>(_mm_cvtsi128_si64(yl));
  auto at = [](uint64_t v, int i) { return static_cast<int64_t>((v >> (8 * i)) & 0xFF); };  // digit i - 1
  // The trial divisor straight from the stored bytes when it has three digits: the reciprocal
  // below waits for it, and the vector decoding takes longer.
  int64_t t;
  if (__builtin_expect(y.n >= 3, 1)) {
    uint32_t raw;
    std::memcpy(&raw, b.p, 4);
    const uint32_t sm = 0u - static_cast<uint32_t>(y.neg);
    const uint32_t d = (((raw ^ sm) | 0xFFu) - (0x01010101u + (sm & 0x99999999u)));  // no borrows
    t = static_cast<int64_t>(((d >> 8) & 0xFF) * 10000 + ((d >> 16) & 0xFF) * 100 + (d >> 24));
  } else {
    t = at(b0, 1) * 10000 + at(b0, 2) * 100 + at(b0, 3);
  }
  const uint64_t m = (1ull << 47) / static_cast<uint64_t>(t) + 1;
  const uint64_t tkm = static_cast<uint64_t>(t * 100 + at(b0, 4)) * m;
  const uint64_t b4m = static_cast<uint64_t>(at(b0, 5)) * m, b5m = static_cast<uint64_t>(at(b0, 6)) * m;
  // The pending totals of dividend positions 5..20 in 32-bit lanes, unscaled (at most
  // 99 + 16 * 220 * 99 in size), and the divisor's digits 6..19 (then 0).
  __m512i pend = _mm512_cvtepu8_epi32(_mm_alignr_epi8(xh, xl, 6));
  const __m512i bd = _mm512_cvtepu8_epi32(_mm_alignr_epi8(yh, yl, 7));
  // The scaled totals of the next three positions, taken out before their turn.
  uint64_t f0 = static_cast<uint64_t>(at(a0, 4)) * m, f1 = static_cast<uint64_t>(at(a0, 5)) * m,
           f2 = static_cast<uint64_t>(at(a0, 6)) * m;
  uint64_t prod = static_cast<uint64_t>(at(a0, 1) * 10000 + at(a0, 2) * 100 + at(a0, 3)) * m;
  int64_t w1 = 0, w2 = 0;       // the two previous words
  uint64_t dig[3] = {0, 0, 0};  // the words as digit bytes, first word in the low byte
  int32_t q[23 + 24];  // q[0] spare, the words q[1..22], zeros behind: for words outside 0..99
  uint64_t hundred = 100;
  __asm__("" : "+r"(hundred));
#pragma GCC unroll 22
  for (int p = 2; p <= 23; ++p) {
    const int64_t sp = static_cast<int64_t>(prod);
    const int64_t fl = sp >> 47;              // floor(r / T)
    const uint64_t sg = static_cast<uint64_t>(sp >> 63);  // all ones when r < 0
    const int64_t w = fl - static_cast<int64_t>(sg);
    q[p - 1] = static_cast<int32_t>(w);
    // A negative word sets the top bit of its own byte (and of the bytes after it), which the
    // range check below sees.
    dig[(p - 2) >> 3] |= static_cast<uint64_t>(w) << (8 * ((p - 2) & 7));
    if (p == 23) break;
    // w (100 T + b_3) m split as floor * tkm + (r < 0 ? tkm : 0): the multiplication starts
    // one operation earlier. The multiplier 100 goes through a register: as a constant the
    // compiler would build it from three dependent address computations.
    uint64_t add = f0 - static_cast<uint64_t>(w1) * b4m - static_cast<uint64_t>(w2) * b5m - (sg & tkm);
    __asm__("" : "+r"(add));  // one sum, ready before the products it joins
    prod = (prod * hundred + add) - static_cast<uint64_t>(fl) * tkm;
    w2 = w1;
    w1 = w;
    f0 = f1;
    f1 = f2;
    // Positions p + 4 .. p + 19 after this word's subtractions; only positions up to 23 are
    // ever brought down. The next one is scaled as it is taken out.
    if (p <= 19) {
      pend = _mm512_sub_epi32(_mm512_alignr_epi32(_mm512_setzero_si512(), pend, 1),
                              _mm512_mullo_epi32(_mm512_set1_epi32(static_cast<int32_t>(w)), bd));
      f2 = static_cast<uint64_t>(static_cast<int64_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(pend)))) * m;
    }
  }
  // Words outside 0..99 (where the trial divisor's estimate was one too high, a word is
  // followed by a negative one) are brought into range word by word. A word above 99 shows in
  // its byte, a negative one in the top bit of its byte.
  const uint64_t over = ge100(dig[0]) | ge100(dig[1]) | ge100(dig[2]);
  const uint64_t first = dig[0] & 0xFF;
  if (__builtin_expect((over != 0) | ((dig[0] & 0xFFFF) == 0), 0)) {
    q[0] = 0;
    for (int i = 23; i < 47; ++i) q[i] = 0;
    finish_quotient(neg, dexp, q, dst, dstlen);
    return true;
  }
  // The digits from the first non-zero word: a zero first word lowers the exponent.
  // Masks rather than a branch: about half of all quotients start with a zero word.
  const uint64_t z = first == 0, mz = 0 - z;
  const unsigned sh = static_cast<unsigned>(8 * z);
  const uint64_t d0 = (dig[0] >> sh) | ((dig[1] << 56) & mz), d1 = (dig[1] >> sh) | ((dig[2] << 56) & mz),
                 d2 = dig[2] >> sh;
  const int e = dexp - static_cast<int>(z);
  if (e > kMaxExp) {
    store_inf(neg, dst, dstlen);
    return true;
  }
  if (e < kMinExp) {
    store_zero(dst, dstlen);
    return true;
  }
  finish_be(neg, e, to_be(Window{{d0, d1, d2}}), 51, dst, dstlen);
  return true;
}

// Byte k holds k: the identity permutation, from which the kernels' indexes are built.
ZUNT_WIDE_TARGET inline __m256i byte_index() {
  return _mm256_set_epi8(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7,
                         6, 5, 4, 3, 2, 1, 0);
}

// Rounds, encodes and stores a result held as digit bytes in reverse order (byte k the digit
// of weight 100^k, the first digit in the highest non-zero byte, at most 24 digits), whose
// exponent is ebase plus the index of its highest non-zero byte: the 20 digits from the first
// are kept, the next one rounds them up when it is round_at or more, trailing zero digits are
// dropped. Zero, an infinity or the range's ends as the range rules have them.
ZUNT_WIDE_VBMI_TARGET __attribute__((always_inline)) inline void finish_wide(__m256i r, int ebase, int round_at, bool neg,
                                                                            lnm_number* dst, int32_t* dstlen) {
  // The leading digit and its exponent.
  const uint32_t nz = _mm256_test_epi8_mask(r, r);
  if (__builtin_expect(nz == 0, 0)) {
    store_zero(dst, dstlen);
    return;
  }
  int top = 31 - __builtin_clz(nz);
  int e = ebase + top;
  if (__builtin_expect(e > kMaxExp, 0)) {
    store_inf(neg, dst, dstlen);
    return;
  }
  if (__builtin_expect(e < kMinExp, 0)) {
    store_zero(dst, dstlen);
    return;
  }
  // Twenty digits from the leading one (bytes k0..top); byte k0 - 1, when there is one, rounds
  // up when it is round_at or more.
  const int k0 = top - 19;
  const uint32_t has_round = 0u - static_cast<uint32_t>(k0 >= 1);
  const unsigned k0u = static_cast<unsigned>(k0) & has_round;  // 0 without a 21st digit
  // The carry of a round-up starts at byte k0 and runs through the 99s above it; it is worked
  // out in mask registers, as a carry between the bits of a binary sum.
  const __mmask32 low_cut = _cvtu32_mask32(_bzhi_u32(~0u, k0u));
  const __mmask32 round_byte = _cvtu32_mask32((1u << k0u >> 1) & has_round);
  const __mmask32 up = _kshiftli_mask32(
      _mm256_mask_cmpge_epu8_mask(round_byte, r, _mm256_set1_epi8(static_cast<char>(round_at))), 1);
  const __mmask32 p99 = _mm256_mask_cmpeq_epi8_mask(_knot_mask32(low_cut), r, _mm256_set1_epi8(99));
  const __mmask32 c2 = _kandn_mask32(low_cut, _kxor_mask32(_kadd_mask32(p99, up), p99));
  r = _mm256_mask_add_epi8(r, c2, r, _mm256_set1_epi8(1));
  r = _mm256_mask_mov_epi8(r, _kor_mask32(_kand_mask32(p99, c2), low_cut), _mm256_setzero_si256());
  // Twenty 99s carried into the byte above: the result is the single digit 1.
  if (__builtin_expect(!_kortestz_mask32_u8(_kand_mask32(c2, _cvtu32_mask32(2u << top)), _cvtu32_mask32(0)), 0)) {
    ++top;
    if (++e > kMaxExp) {
      store_inf(neg, dst, dstlen);
      return;
    }
  }
  const uint32_t nz2 = _mm256_test_epi8_mask(r, r);
  const int low = __builtin_ctz(nz2);  // the leading digit is not zero
  const int count = top - low + 1;
  // Output byte j (1..count) is digit byte top + 1 - j, encoded as d + 1 or 101 - d
  // (= ~d + 102 in a byte); byte 0 the exponent byte; then the terminator of a short negative.
  const __m256i iota = byte_index();
  const __m256i oidx = _mm256_sub_epi8(_mm256_set1_epi8(static_cast<char>(top + 1)), iota);
  const __m256i d = _mm256_maskz_permutexvar_epi8(_bzhi_u32(~1u, static_cast<unsigned>(count + 1)), oidx, r);
  const uint32_t nm = 0u - static_cast<uint32_t>(neg);
  __m256i out = _mm256_add_epi8(_mm256_xor_si256(d, _mm256_set1_epi8(static_cast<char>(nm))),
                                _mm256_set1_epi8(static_cast<char>(1 + (nm & 101))));
  const uint8_t ebyte = static_cast<uint8_t>((193 + e) ^ static_cast<int>(nm));
  out = _mm256_mask_mov_epi8(out, 1u, _mm256_set1_epi8(static_cast<char>(ebyte)));
  const bool term = neg & (count < LNM_DIGITS);
  out = _mm256_mask_mov_epi8(out, term ? 1u << (count + 1) : 0u, _mm256_set1_epi8(static_cast<char>(kTerminator)));
  const int n = count + 1 + static_cast<int>(term);
  if (dstlen != nullptr) {
    _mm256_mask_storeu_epi8(dst, _bzhi_u32(~0u, static_cast<unsigned>(n)), out);
    *dstlen = n;
  } else {
    _mm256_mask_storeu_epi8(dst + 1, _bzhi_u32(~0u, static_cast<unsigned>(n)), out);
    dst[0] = static_cast<uint8_t>(n);
  }
}

// Addition and subtraction on 256-bit vectors, the window reversed so that a carry runs from
// one byte to the next higher one, as in a binary addition.
//
// Byte k holds window position 20 - k (byte 20 the larger operand's leading position, byte 21
// the carry position). Where the sum of two digits is 100 or more a carry is generated (G),
// where it is 99 a carry passes on (P); the binary sum G + (G | P) carries exactly where the
// decimal sum does, so (G + (G | P)) ^ P marks every byte that receives a carry. A
// subtraction adds the nines' complement of the smaller magnitude with a carry into byte 0
// and drops the carry out of byte 20. Rounding at the 21st digit reuses the same masks with
// P alone. Both operands, the alignment and the result's order are single byte permutations.
ZUNT_WIDE_VBMI_TARGET bool add_sub_wide_impl(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen) {
  Wide x, y;
  if (!decode_wide(a, x) || !decode_wide(b, y)) return false;
  const bool yneg = y.neg != subtract;  // sign of the second term
  const bool msub = x.neg != yneg;      // magnitudes are subtracted
  // The larger magnitude leads: the larger exponent, or with equal exponents the first
  // differing digit (the lowest differing byte).
  const uint32_t gt = _mm256_cmpgt_epu8_mask(x.v, y.v), lt = _mm256_cmplt_epu8_mask(x.v, y.v);
  const uint32_t diff = gt | lt;
  // Computed with arithmetic, not compared and branched on: the order of random operands is
  // not predictable.
  const uint32_t dless = (lt & (diff & (0u - diff))) != 0;
  const int de = x.e - y.e;
  uint32_t sw = (static_cast<uint32_t>(de) >> 31) | (static_cast<uint32_t>(de == 0) & dless);
  __asm__("" : "+r"(sw));
  const int swm = -static_cast<int>(sw);
  const int eb = x.e ^ ((x.e ^ y.e) & swm);
  const int s = (de ^ swm) - swm;  // |x.e - y.e|
  const bool neg = ((static_cast<uint32_t>(x.neg) & ~sw) | (static_cast<uint32_t>(yneg) & sw)) != 0;
  // Byte k of the larger operand is its digit 20 - k (source byte 21 - k); the smaller one is
  // shifted s positions later and cut at the window's end. Indexes 32..63 pick from y.
  const __m256i iota = byte_index();
  const __m256i rev = _mm256_sub_epi8(_mm256_set1_epi8(21), iota);
  const __m256i pick_big = _mm256_set1_epi8(static_cast<char>(sw << 5));
  const __m256i pick_small = _mm256_set1_epi8(static_cast<char>((sw ^ 1) << 5));
  const __m256i big = _mm256_maskz_permutex2var_epi8(0x1FFFFF, x.v, _mm256_add_epi8(rev, pick_big), y.v);
  const uint32_t window_s = s > 20 ? 0u : _bzhi_u32(~0u, static_cast<unsigned>(21 - s));
  __m256i small = _mm256_maskz_permutex2var_epi8(window_s, x.v,
                                                 _mm256_add_epi8(_mm256_sub_epi8(rev, _mm256_set1_epi8(static_cast<char>(s))), pick_small), y.v);
  // Nines' complement within the window for a subtraction.
  // (Masks computed rather than selected: a branch on the operation mispredicts half the time.)
  const uint32_t sub_mask = 0u - static_cast<uint32_t>(msub);
  small = _mm256_mask_sub_epi8(small, 0x1FFFFFu & sub_mask, _mm256_set1_epi8(99), small);
  const __m256i sum = _mm256_add_epi8(big, small);
  const __mmask32 g = _mm256_cmpge_epu8_mask(sum, _mm256_set1_epi8(100));
  const __mmask32 pr = _mm256_cmpeq_epi8_mask(sum, _mm256_set1_epi8(99));
  // In mask registers: a round trip through general registers costs more than the arithmetic.
  const __mmask32 cin = _cvtu32_mask32(static_cast<uint32_t>(msub));
  const __mmask32 keep = _cvtu32_mask32(0x3FFFFFu & ~(sub_mask & 0x200000u));
  const __mmask32 c = _kand_mask32(_kxor_mask32(_kadd_mask32(_kadd_mask32(g, _kor_mask32(g, pr)), cin), pr), keep);
  __m256i r = _mm256_mask_add_epi8(sum, c, sum, _mm256_set1_epi8(1));
  r = _mm256_mask_sub_epi8(r, _kand_mask32(_kor_mask32(g, _kand_mask32(pr, c)), _cvtu32_mask32(0x3FFFFFu)), r, _mm256_set1_epi8(100));
  finish_wide(r, eb - 20, 50, neg, dst, dstlen);
  return true;
}

// The word indexes of the second operand's pairs for the five vpmaddwd terms of a product:
// 32-bit lane K + 1 (K = 0..9) of term t takes pairs K - 2t and K - 2t - 1; pairs out of
// range, and the other lanes, take word 15, which is zero.
struct PickTable {
  uint16_t w[5][32];
};
constexpr PickTable pick_table() {
  PickTable p{};
  for (int t = 0; t < 5; ++t) {
    for (int i = 0; i < 32; ++i) p.w[t][i] = 15;
    for (int k = 0; k <= 9; ++k) {
      const int j0 = k - 2 * t, j1 = k - 2 * t - 1;
      if (j0 >= 0) p.w[t][2 * (k + 1)] = static_cast<uint16_t>(j0);
      if (j1 >= 0) p.w[t][2 * (k + 1) + 1] = static_cast<uint16_t>(j1);
    }
  }
  return p;
}

// Multiplication on 512-bit vectors, on pairs of digits (P_I = 100 d_2I + d_2I+1 of the first
// operand, Q_J of the second, below 10^4 so that vpmaddwd multiplies two of them and adds the
// next two in one 32-bit lane).
//
// Digit position i of one operand times position j of the other lands at position i + j and
// is kept when i + j <= 21. A pair product P_I Q_J, K = I + J, covers positions 2K .. 2K + 2:
// whole for K <= 9; for K = 10 without its last position, which leaves
// 100 (d_2I Q_J + d_2I+1 e_2J) (e the second operand's digits); nothing for K > 10. Counted in
// units of position 22, the kept value is the sum of c_K 10^(4 (10 - K)) over K = 0..10, with
// c_K the sum of P_I Q_J for K <= 9 and c_10 = 100 E for the K = 10 remainder E. Lane K + 1
// of one vector holds c_K (below 10^9); two carry passes in base 10^4 give the columns of
// positions 2K + 1 and 2K + 2, which split into the digit bytes. Columns that still hold
// 10^4 or more after two passes need a carry to ripple further: those rare products go to the
// scalar path.
ZUNT_WIDE_VBMI_TARGET bool multiply_wide_impl(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen) {
  Wide x, y;
  if (!decode_wide(a, x) || !decode_wide(b, y)) return false;
  const bool neg = x.neg != y.neg;
  const int ep = x.e + y.e + 1;
  // Digit i in byte i, then the pairs in 16-bit lanes and the digits in 16-bit lanes.
  const __m256i down = _mm256_set_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13,
                                       12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);  // 32 wraps to byte 0, which is 0
  const __m256i dx = _mm256_permutexvar_epi8(down, x.v), dy = _mm256_permutexvar_epi8(down, y.v);
  const __m256i weights = _mm256_set1_epi16(0x0164);  // bytes 100, 1
  const __m512i px = _mm512_castsi256_si512(_mm256_maddubs_epi16(dx, weights));
  const __m512i py = _mm512_castsi256_si512(_mm256_maddubs_epi16(dy, weights));
  const __m512i ex = _mm512_cvtepu8_epi16(dx), ey = _mm512_cvtepu8_epi16(dy);
  // Lane K + 1 of term t: P_2t Q_(K-2t) + P_2t+1 Q_(K-2t-1); word 15 of the pairs is zero.
  alignas(64) static constexpr PickTable kPick = pick_table();
  __m512i c[5];
  for (int t = 0; t < 5; ++t) {
    const __m512i at = _mm512_permutexvar_epi32(_mm512_set1_epi32(t), px);
    const __m512i bt = _mm512_permutexvar_epi16(_mm512_load_si512(kPick.w[t]), py);
    c[t] = _mm512_madd_epi16(at, bt);
  }
  __m512i acc = _mm512_add_epi32(_mm512_add_epi32(c[0], c[1]), _mm512_add_epi32(_mm512_add_epi32(c[2], c[3]), c[4]));
  // E: 32-bit lane I holds d_2I Q_(10-I) + d_2I+1 e_(20-2I) for I = 1..9; index 15 is zero,
  // indexes from 32 pick the second operand's digits.
  alignas(64) static constexpr uint16_t kRest[32] = {15, 15, 9,  50, 8,  48, 7,  46, 6,  44, 5,  42, 4,  40, 3,  38,
                                                     2,  36, 1,  34, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15};
  const __m512i er = _mm512_madd_epi16(ex, _mm512_permutex2var_epi16(py, _mm512_load_si512(kRest), ey));
  const int32_t rest = _mm512_reduce_add_epi32(er);
  acc = _mm512_mask_add_epi32(acc, 1u << 11, acc, _mm512_set1_epi32(100 * rest));
  // First carry pass: lane j keeps c mod 10^4 and takes the quotient of lane j + 1. c < 2^30,
  // so (c * 3518437209) >> 45 is c / 10^4.
  const __m512i magic = _mm512_set1_epi64(3518437209);
  const __m512i qe = _mm512_srli_epi64(_mm512_mul_epu32(acc, magic), 45);
  const __m512i qo = _mm512_srli_epi64(_mm512_mul_epu32(_mm512_srli_epi64(acc, 32), magic), 45);
  const __m512i q1 = _mm512_or_si512(qe, _mm512_slli_epi64(qo, 32));
  const __m512i ten4 = _mm512_set1_epi32(10000);
  const __m512i zero = _mm512_setzero_si512();
  const __m512i s1 = _mm512_add_epi32(_mm512_sub_epi32(acc, _mm512_mullo_epi32(q1, ten4)), _mm512_alignr_epi32(zero, q1, 1));
  // Second pass on values below 2^17, exact in single precision: (s + 1/2) / 10^4 truncated.
  const __m512i q2 = _mm512_cvttps_epi32(
      _mm512_fmadd_ps(_mm512_cvtepi32_ps(s1), _mm512_set1_ps(1e-4f), _mm512_set1_ps(0.5e-4f)));
  const __m512i s2 = _mm512_add_epi32(_mm512_sub_epi32(s1, _mm512_mullo_epi32(q2, ten4)), _mm512_alignr_epi32(zero, q2, 1));
  if (__builtin_expect(_mm512_cmpge_epi32_mask(s2, ten4) != 0, 0)) return false;
  // Column j (below 10^4) as the digit of position 2j - 1 in byte 0 and 2j in byte 1:
  // (v * 41944) >> 22 is v / 100 below 10^4.
  const __m512i hi = _mm512_srli_epi16(_mm512_mulhi_epu16(s2, _mm512_set1_epi16(static_cast<short>(41944))), 6);
  const __m512i lo = _mm512_sub_epi16(s2, _mm512_mullo_epi16(hi, _mm512_set1_epi16(100)));
  const __m512i cols = _mm512_or_si512(hi, _mm512_slli_epi16(lo, 8));
  // Byte k holds position 22 - k: byte 4j + 1 of the columns for an even position 2j, byte
  // 4j for an odd one 2j - 1; byte 2 is zero.
  alignas(64) static constexpr uint8_t kOrder[64] = {45, 44, 41, 40, 37, 36, 33, 32, 29, 28, 25, 24, 21, 20, 17, 16,
                                                     13, 12, 9,  8,  5,  4,  1,  0,  2,  2,  2,  2,  2,  2,  2,  2};
  const __m256i r = _mm512_castsi512_si256(_mm512_permutexvar_epi8(_mm512_load_si512(kOrder), cols));
  finish_wide(r, ep - 23, 51, neg, dst, dstlen);
  return true;
}

#pragma GCC diagnostic pop

// The processor's features, read from what the compiler's runtime found at load time.
inline bool wide_supported() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("bmi2");
}
// ... and the byte permutations the addition and multiplication kernels use.
inline bool wide_vbmi_supported() { return wide_supported() && __builtin_cpu_supports("avx512vbmi"); }

}  // namespace

bool divide_wide(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen) { return wide_supported() && divide_wide_impl(a, b, dst, dstlen); }

bool multiply_wide(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen) {
  return wide_vbmi_supported() && multiply_wide_impl(a, b, dst, dstlen);
}

bool add_sub_wide(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen) {
  return wide_vbmi_supported() && add_sub_wide_impl(a, b, subtract, dst, dstlen);
}

#else

bool divide_wide(Bytes, Bytes, lnm_number*, int32_t*) { return false; }
bool add_sub_wide(Bytes, Bytes, bool, lnm_number*, int32_t*) { return false; }
bool multiply_wide(Bytes, Bytes, lnm_number*, int32_t*) { return false; }

#endif

}  // namespace zunt::num
