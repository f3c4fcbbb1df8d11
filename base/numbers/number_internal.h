// Helpers shared by the number operations: reading a (pointer, length) argument, writing a
// result in either form, and the byte-digit unpacking used by the conversion to floating point.
#pragma once

#include <cstdint>
#include <cstring>

#include "zunt/numbers.h"

namespace zunt::num {

inline constexpr uint8_t kZeroByte = 0x80;
inline constexpr uint8_t kTerminator = 102;
inline constexpr int kMinExp = -65;
inline constexpr int kMaxExp = 62;

// A number argument resolved to its bare bytes: 1..21 bytes at p (machine integers are
// converted into the caller's scratch buffer first, empty or invalid arguments read as zero).
struct Bytes {
  const uint8_t* p;
  int n;
};

Bytes encode_int32(int32_t v, uint8_t* scratch);

// Resolves (n, len) by the argument conventions; scratch must hold LNM_MAXLEN bytes.
inline Bytes operand(const lnm_number* n, int32_t len, uint8_t* scratch) {
  static constexpr uint8_t zero = kZeroByte;
  if (n == nullptr) return encode_int32(len, scratch);
  if (len == 0) {
    int k = n[0];
    if (k == 0) return {&zero, 1};
    return {n + 1, k > LNM_MAXLEN ? LNM_MAXLEN : k};
  }
  if (len < 0) return {&zero, 1};
  return {n, len > LNM_MAXLEN ? LNM_MAXLEN : len};
}

inline bool is_zero(Bytes b) { return b.n == 1 && b.p[0] == kZeroByte; }
inline bool is_neg_inf(Bytes b) { return b.n == 1 && b.p[0] == 0x00; }
inline bool is_pos_inf(Bytes b) { return b.n >= 2 && b.p[0] == 0xFF && b.p[1] == 101; }
inline bool is_negative(Bytes b) { return (b.p[0] & 0x80) == 0; }

// Writes n result bytes (n <= 21) in the form the length pointer selects. The bytes may
// overlap the destination.
inline void store(const uint8_t* bytes, int n, lnm_number* dst, int32_t* dstlen) {
  if (dstlen != nullptr) {
    std::memmove(dst, bytes, static_cast<size_t>(n));
    *dstlen = n;
  } else {
    std::memmove(dst + 1, bytes, static_cast<size_t>(n));
    dst[0] = static_cast<uint8_t>(n);
  }
}

// Encodes sign, exponent and count digits 0..99 (first non-zero, last non-zero, count 1..20,
// exponent in range) into out; returns the length.
inline int encode(bool negative, int exp, const uint8_t* digits, int count, uint8_t* out) {
  if (!negative) {
    out[0] = static_cast<uint8_t>(193 + exp);
    for (int i = 0; i < count; ++i) out[1 + i] = static_cast<uint8_t>(digits[i] + 1);
    return count + 1;
  }
  out[0] = static_cast<uint8_t>(62 - exp);
  for (int i = 0; i < count; ++i) out[1 + i] = static_cast<uint8_t>(101 - digits[i]);
  if (count < LNM_DIGITS) {
    out[1 + count] = kTerminator;
    return count + 2;
  }
  return count + 1;
}

// Writes zero or an infinity of the given sign.
inline void store_zero(lnm_number* dst, int32_t* dstlen) {
  static constexpr uint8_t z = kZeroByte;
  store(&z, 1, dst, dstlen);
}
inline void store_inf(bool negative, lnm_number* dst, int32_t* dstlen) {
  static constexpr uint8_t pos[2] = {0xFF, 101};
  static constexpr uint8_t neg = 0x00;
  if (negative)
    store(&neg, 1, dst, dstlen);
  else
    store(pos, 2, dst, dstlen);
}

// Up to 24 base-100 digits, one per byte, the first digit in the low byte of w[0].
struct DigitWindow {
  uint64_t w[3];
};

// Rounds a result whose first digit (non-zero) is at position 0 of win and whose exponent e is
// in range: when it has more than 20 digits, the 20th goes up by one when the 21st is at least
// round_at (a carry through 20 nines gives 1 with e + 1, an infinity beyond the range). Then
// writes it without its trailing zero digits.
void store_window(bool neg, int e, const DigitWindow& win, int round_at, lnm_number* dst, int32_t* dstlen);

// Addition (subtract false) or subtraction of two resolved operands. add_sub_fast handles
// canonical finite non-zero operands and returns false for anything else; add_sub_generic
// handles every input digit by digit. Both give the same bytes where both apply.
bool add_sub_fast(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen);
// add_sub_fast on 256-bit vectors; false also where the processor lacks the instructions.
bool add_sub_wide(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen);
void add_sub_generic(Bytes a, Bytes b, bool subtract, lnm_number* dst, int32_t* dstlen);

// Multiplication word by word, as the accumulation of partial products is defined;
// multiply_fast gives the same bytes for canonical finite non-zero operands on limbs of four
// digits and returns false for anything else.
bool multiply_fast(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen);
// multiply_fast on 512-bit vectors; false (nothing written) also for the rare products whose
// carries ripple far, and where the processor lacks the instructions.
bool multiply_wide(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen);

// The 20 digits (zero-padded), digit count, exponent and sign of a canonical finite non-zero
// number; false for anything else.
bool decode_digits(Bytes b, int32_t* d, int* n, int* e, bool* neg);
void multiply_generic(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                      int32_t* dstlen);

// Brings the quotient words q[1..22] (q[0] spare, 24 zero words behind, any values) into
// 0..99 and packs the quotient whose first word has exponent dexp.
void finish_quotient(bool neg, int dexp, int32_t* q, lnm_number* dst, int32_t* dstlen);

// Division of canonical finite non-zero operands with the quotient words of the word-by-word
// division, on 512-bit vectors; false (nothing written) for other operands or where the
// processor lacks the instructions.
bool divide_wide(Bytes a, Bytes b, lnm_number* dst, int32_t* dstlen);

// lnmdiv without the vector kernel: the deferred-subtraction division for canonical operands,
// divide_generic for the rest.
void divide_portable(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                     int32_t* dstlen);

// Division word by word with the dividend updated as each quotient word appears; lnmdiv
// computes canonical operands with the same quotient words.
void divide_generic(const lnm_number* a, int32_t alen, const lnm_number* b, int32_t blen, lnm_number* dst,
                    int32_t* dstlen);

// Byte-digit unpacking: out[0] = digit count (0..20), out[1] = exponent code (65 + E, 0 for
// zero), out[2..] = digits 0..99 (100 first for an infinity). Clears all size bytes first and
// writes no more than size. Returns 1 for a negative number, else 0.
int32_t lnm_unpack_digits(uint8_t* out, int32_t size, const lnm_number* n, int32_t len);

}  // namespace zunt::num
