// Addition, subtraction and multiplication of two canonical finite non-zero numbers, eight
// digits at a time.
//
// The 21-digit window (plus three spare positions) lives in three 64-bit words, one base-100
// digit per byte, the first digit in the lowest byte. Digits are decoded from the stored bytes
// with one subtraction per word, the smaller operand is shifted into place and cut at the
// window's end, and the words are added or subtracted with per-byte decimal carries: biasing
// each byte by 156 turns a decimal carry into a binary one, so one 64-bit addition carries
// through all eight digits. The result is the same, byte for byte, as the digit-by-digit
// window arithmetic of add_sub_generic, which handles everything this path declines.
//
// Products are formed on limbs of four digits (below 10^8) from the same digit words; see
// multiply_fast for how exactly the partial products of the word-by-word accumulation are
// kept.
#include <cstring>

#include "numbers/number_internal.h"

// The words are independent scalars kept in registers; pairing them into vector registers
// (or clearing through string instructions) costs more in stack round trips than it saves.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-tree-slp-vectorize", "no-tree-loop-vectorize", "no-tree-loop-distribute-patterns")
#endif

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
// Non-zero bytes (bit 7 of each such byte).
inline uint64_t nonzero(uint64_t x) { return (((x & ~kHigh) + ~kHigh) | x) & kHigh; }

struct Window {
  uint64_t w[3];  // digits 0..23, first digit in the low byte of w[0]
};

// Shifts the window toward later digit positions by s (0..23) digits. Written on named
// words so the window stays in registers.
inline Window shift_later(const Window& a, int s) {
  uint64_t w0 = a.w[0], w1 = a.w[1], w2 = a.w[2];
  if (s >= 16) {
    w2 = w0;
    w1 = w0 = 0;
    s -= 16;
  } else if (s >= 8) {
    w2 = w1;
    w1 = w0;
    w0 = 0;
    s -= 8;
  }
  if (s != 0) {
    const int b = 8 * s;
    w2 = (w2 << b) | (w1 >> (64 - b));
    w1 = (w1 << b) | (w0 >> (64 - b));
    w0 <<= b;
  }
  return Window{{w0, w1, w2}};
}

// Shifts the window toward earlier digit positions by s (0..23) digits (dropping the first s).
inline Window shift_earlier(const Window& a, int s) {
  uint64_t w0 = a.w[0], w1 = a.w[1], w2 = a.w[2];
  if (s >= 16) {
    w0 = w2;
    w1 = w2 = 0;
    s -= 16;
  } else if (s >= 8) {
    w0 = w1;
    w1 = w2;
    w2 = 0;
    s -= 8;
  }
  if (s != 0) {
    const int b = 8 * s;
    w0 = (w0 >> b) | (w1 << (64 - b));
    w1 = (w1 >> b) | (w2 << (64 - b));
    w2 >>= b;
  }
  return Window{{w0, w1, w2}};
}

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

// Decodes a canonical finite non-zero operand; false for anything else.
inline bool decode(Bytes b, Fast& f) {
  if (b.n < 2) return false;
  const uint8_t e = b.p[0];
  f.neg = (e & 0x80) == 0;
  int n = b.n - 1;
  const uint8_t* m = b.p + 1;
  if (f.neg) {
    if (m[n - 1] == kTerminator) {
      --n;
      if (n == 0 || n == LNM_DIGITS) return false;
    } else if (n != LNM_DIGITS) {
      return false;
    }
    f.e = 62 - e;
  } else {
    if (e == 0xFF && m[0] == 101) return false;  // positive infinity
    f.e = e - 193;
  }
  const uint8_t pad = f.neg ? 101 : 1;  // the byte of digit 0
  if (m[0] == pad || m[n - 1] == pad) return false;
  // The n digit bytes straight into registers (zero beyond them); digits are byte - 1 or
  // 101 - byte within the first n bytes and 0 beyond. A byte outside the digit range decodes
  // to 100 or more (a borrow it causes only reaches later bytes, which the check rejects as a
  // whole anyway).
  const Window img = load_image(m, n);
  uint64_t bad = 0;
  for (int i = 0; i < 3; ++i) {
    const uint64_t mask = kByteMask[clamp_bytes(n - 8 * i)];
    const uint64_t x = img.w[i];
    const uint64_t d = f.neg ? (0x6565656565656565ull & mask) - x : x - (kOnes & mask);
    bad |= ge100(d);
    f.d.w[i] = d;
  }
  if (bad) return false;
  f.n = n;
  return true;
}

inline uint64_t bswap(uint64_t x) { return __builtin_bswap64(x); }

// a + b per digit with decimal carries; returns the carry out of the first digit.
inline int add_windows(const Window& a, const Window& b, Window& r) {
  uint64_t carry = 0;
  for (int i = 2; i >= 0; --i) {
    // Most significant digit in the high byte, so carries run upward.
    uint64_t x = bswap(a.w[i]) + 0x9C9C9C9C9C9C9C9Cull;  // each byte a + 156 <= 255
    uint64_t y = bswap(b.w[i]);
    uint64_t t = x + y;
    uint64_t out = (t < x) ? 1 : 0;
    uint64_t t2 = t + carry;
    out |= (t2 < t) ? 1 : 0;
    // Bit 0 of byte k+1 of (t2 ^ x ^ y) is the carry out of byte k (carry-in at byte 0).
    uint64_t into = (t2 ^ x ^ y) & kOnes;
    uint64_t carried = (into >> 8) | (out << 56);  // carry out of each byte, at its bit 0
    // Bytes without a carry out still hold the bias.
    uint64_t t3 = t2 - (kOnes & ~carried) * 0x9C;
    r.w[i] = bswap(t3);
    carry = out;
  }
  return static_cast<int>(carry);
}

// a - b per digit with decimal borrows (a >= b as magnitudes).
inline void sub_windows(const Window& a, const Window& b, Window& r) {
  uint64_t borrow = 0;
  for (int i = 2; i >= 0; --i) {
    uint64_t x = bswap(a.w[i]);
    uint64_t y = bswap(b.w[i]);
    uint64_t t = x - y;
    uint64_t out = (x < y) ? 1 : 0;
    uint64_t t2 = t - borrow;
    out |= (t < borrow) ? 1 : 0;
    uint64_t into = (t2 ^ x ^ y) & kOnes;
    uint64_t borrowed = (into >> 8) | (out << 56);
    // A byte that borrowed holds d + 256; it must hold d + 100.
    uint64_t t3 = t2 - borrowed * 0x9C;
    r.w[i] = bswap(t3);
    borrow = out;
  }
}

inline int first_nonzero(const Window& w) {
  for (int i = 0; i < 3; ++i) {
    uint64_t nz = nonzero(w.w[i]);
    if (nz) return 8 * i + __builtin_ctzll(nz) / 8;
  }
  return 24;
}
inline int last_nonzero(const Window& w) {
  for (int i = 2; i >= 0; --i) {
    uint64_t nz = nonzero(w.w[i]);
    if (nz) return 8 * i + (63 - __builtin_clzll(nz)) / 8;
  }
  return -1;
}

}  // namespace

namespace {

// store_window on a window held in registers.
inline void finish_window(bool neg, int e, Window res, int round_at, lnm_number* dst, int32_t* dstlen) {
  int last = last_nonzero(res);
  if (last >= LNM_DIGITS) {
    // More than 20 digits: cut after the 20th, rounding half up at the 21st.
    const bool up = static_cast<int>((res.w[2] >> 32) & 0xFF) >= round_at;
    res.w[2] &= 0xFFFFFFFFull;
    if (up) {
      const Window one{{0, 0, 1ull << 24}};  // one at the 20th digit
      Window sum;
      if (add_windows(res, one, sum)) {  // 20 digits of 99: the single digit 1
        sum = Window{{1, 0, 0}};
        if (++e > kMaxExp) {
          store_inf(neg, dst, dstlen);
          return;
        }
      }
      res = sum;
    }
    last = last_nonzero(res);
  }
  const int count = last + 1;
  // Encode all three words, then put the exponent byte in front.
  uint64_t enc[3];
  for (int i = 0; i < 3; ++i) enc[i] = neg ? 0x6565656565656565ull - res.w[i] : res.w[i] + kOnes;
  int n = count + 1;
  uint64_t o[3];
  const uint64_t ebyte = neg ? static_cast<uint8_t>(62 - e) : static_cast<uint8_t>(193 + e);
  o[0] = ebyte | (enc[0] << 8);
  o[1] = (enc[0] >> 56) | (enc[1] << 8);
  o[2] = (enc[1] >> 56) | (enc[2] << 8);
  if (neg && count < LNM_DIGITS) {
    // The terminator replaces the encoded 0 digit at byte n.
    const int w = n / 8, sh = 8 * (n % 8);
    o[w] = (o[w] & ~(0xFFull << sh)) | (static_cast<uint64_t>(kTerminator) << sh);
    ++n;
  }
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
  finish_window(neg, e, Window{{win.w[0], win.w[1], win.w[2]}}, round_at, dst, dstlen);
}

bool add_sub_fast(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen) {
  Fast x, y;
  if (!decode(a, x) || !decode(b, y)) return false;
  const bool yneg = y.neg != subtract;
  const bool msub = x.neg != yneg;
  const Fast* big = &x;
  const Fast* small = &y;
  bool neg;
  int e;
  Window bw, sw;
  if (!msub || x.e != y.e) {
    if (y.e > x.e) {
      big = &y;
      small = &x;
    }
    e = big->e;
    const int s = big->e - small->e;
    bw = big->d;
    if (s > 21) {
      sw = Window{{0, 0, 0}};
    } else {
      sw = shift_later(small->d, s);
      sw.w[2] &= 0x000000FFFFFFFFFFull;  // positions 21..23 are outside the window
    }
    neg = msub ? (big == &x ? x.neg : yneg) : x.neg;
  } else {
    // Equal exponents: skip the common leading digits; the first difference decides.
    int j = 24;
    for (int i = 0; i < 3; ++i) {
      uint64_t diff = x.d.w[i] ^ y.d.w[i];
      if (diff) {
        j = 8 * i + __builtin_ctzll(diff) / 8;
        break;
      }
    }
    if (j >= 24) {
      store_zero(dst, dstlen);
      return true;
    }
    const int xj = static_cast<int>((x.d.w[j / 8] >> (8 * (j % 8))) & 0xFF);
    const int yj = static_cast<int>((y.d.w[j / 8] >> (8 * (j % 8))) & 0xFF);
    if (xj < yj) {
      big = &y;
      small = &x;
    }
    e = x.e - j;
    bw = shift_earlier(big->d, j);
    sw = shift_earlier(small->d, j);
    neg = big == &x ? x.neg : yneg;
  }

  Window res;
  int carry = 0;
  if (!msub)
    carry = add_windows(bw, sw, res);
  else
    sub_windows(bw, sw, res);
  if (carry) {
    // A new first digit 1 in front of the window.
    if (e == kMaxExp) {
      store_inf(neg, dst, dstlen);
      return true;
    }
    res = shift_later(res, 1);
    res.w[0] |= 1;
    ++e;
  } else {
    const int first = first_nonzero(res);
    if (first >= 24) {
      store_zero(dst, dstlen);
      return true;
    }
    e -= first;
    if (e < kMinExp) {
      store_zero(dst, dstlen);
      return true;
    }
    if (first) res = shift_earlier(res, first);
  }
  finish_window(neg, e, res, 50, dst, dstlen);
  return true;
}

namespace {

// Digit i (0..23) of a window.
inline uint64_t digit(const Window& w, int i) { return (w.w[i / 8] >> (8 * (i % 8))) & 0xFF; }

// The digits of a window as five limbs of four digits each (limb I = digits 4I .. 4I + 3).
inline void limbs(const Window& w, uint64_t* l) {
  uint64_t q[3];
  for (int i = 0; i < 3; ++i) {
    const uint64_t x = w.w[i];
    // Pairs in 16-bit lanes, then quadruples in 32-bit lanes; the earlier digit weighs more.
    const uint64_t pairs = (x & 0x00FF00FF00FF00FFull) * 100 + ((x >> 8) & 0x00FF00FF00FF00FFull);
    q[i] = (pairs & 0x0000FFFF0000FFFFull) * 10000 + ((pairs >> 16) & 0x0000FFFF0000FFFFull);
  }
  l[0] = q[0] & 0xFFFFFFFFu;
  l[1] = q[0] >> 32;
  l[2] = q[1] & 0xFFFFFFFFu;
  l[3] = q[1] >> 32;
  l[4] = q[2] & 0xFFFFFFFFu;
}

// Four digits (v < 10^8) as bytes, the first digit in the low byte. The two halves are split
// by 100 side by side in 32-bit lanes: (x * 5243) >> 19 is x / 100 for x < 10^4, and the
// other lane's bits land above bit 12, outside the 7-bit quotient.
inline uint64_t chunk(uint64_t v) {
  const uint64_t hi = v / 10000, lo = v - hi * 10000;
  const uint64_t x = hi | (lo << 32);
  const uint64_t q = ((x * 5243) >> 19) & 0x0000007F0000007Full;
  const uint64_t r = x - q * 100;
  return (q & 0xFF) | ((r & 0xFF) << 8) | ((q >> 32) << 16) | ((r >> 32) << 24);
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
  uint64_t A[5], B[5];
  limbs(x.d, A);
  limbs(y.d, B);
  // The kept value counted in units of position 21 (digit position i of a times j of b lands
  // at position i + j and is kept when i + j <= 21). Limb product A_I * B_J, K = I + J, holds
  // positions 4K .. 4K + 6: whole for K <= 3, without its last position (digits 3 and 3) for
  // K = 4, only its first two positions for K = 5, nothing after.
  const uint64_t c0 = A[0] * B[0];
  const uint64_t c1 = A[0] * B[1] + A[1] * B[0];
  const uint64_t c2 = A[0] * B[2] + A[1] * B[1] + A[2] * B[0];
  const uint64_t c3 = A[0] * B[3] + A[1] * B[2] + A[2] * B[1] + A[3] * B[0];
  const uint64_t c4 = A[0] * B[4] + A[1] * B[3] + A[2] * B[2] + A[3] * B[1] + A[4] * B[0];
  uint64_t d4 = 0, p0 = 0, p1 = 0;
  for (int i = 0; i <= 4; ++i) d4 += digit(x.d, 4 * i + 3) * digit(y.d, 4 * (4 - i) + 3);
  for (int i = 1; i <= 4; ++i) {
    const int j = 5 - i;
    p0 += digit(x.d, 4 * i) * digit(y.d, 4 * j);
    p1 += digit(x.d, 4 * i) * digit(y.d, 4 * j + 1) + digit(x.d, 4 * i + 1) * digit(y.d, 4 * j);
  }
  // value = c0 10^30 + c1 10^22 + c2 10^14 + c3 10^6 + (c4 - d4) / 100 + 100 p0 + p1, gathered
  // into columns of weight 10^(8m).
  uint64_t g[6];
  g[0] = (c4 - d4) / 100 + 100 * p0 + p1 + (c3 % 100) * 1000000;
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
  const bool carry_word = (g[5] / 10000) != 0;  // word 0
  const int e = carry_word ? ep : ep - 1;
  if (e < kMinExp) {
    store_zero(dst, dstlen);
    return true;
  }
  if (e > kMaxExp) {
    store_inf(neg, dst, dstlen);
    return true;
  }
  w = shift_earlier(w, carry_word ? 1 : 2);
  finish_window(neg, e, w, 51, dst, dstlen);
  return true;
}

}  // namespace zunt::num
