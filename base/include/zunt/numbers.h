/* Exact decimal numbers: the variable-length base-100 number value (lnm_number), its
 * constants, conversions to and from machine integers and binary floating point, and the four
 * arithmetic operations.
 *
 * A number is 1 to 21 bytes: an exponent byte and up to 20 base-100 digit bytes.
 *   positive: exponent byte 193 + E, digit bytes d + 1
 *   negative: exponent byte 62 - E, digit bytes 101 - d, then 102 when fewer than 20 digits
 *   zero: 0x80 (one byte); positive infinity: 0xFF 0x65; negative infinity: 0x00 (one byte)
 * E (the base-100 exponent of the first digit) runs from -65 to 62. Unsigned byte-wise
 * comparison of two values orders them numerically.
 *
 * Argument conventions shared by every operation:
 *   - a number argument is (pointer, length): a length of 1..21 counts the bytes at the
 *     pointer; a length of 0 means the pointer addresses a length byte followed by the value.
 *     Operations marked "machine integer accepted" also take a null pointer, the length then
 *     being a signed 32-bit integer used as the value. (Every operation tolerates a null
 *     pointer this way; lengths above 21 are read as 21, negative lengths as zero.)
 *   - a result goes to (destination, length pointer): with a length pointer the bare value is
 *     written and its length stored; with a null length pointer a length byte is written
 *     first. A destination needs LNM_MAXBUF bytes. Destination and source may be the same
 *     buffer.
 *   - overflow gives an infinity of the result's sign and underflow gives zero; nothing
 *     else is reported except where a status is returned. */
#ifndef ZUNT_NUMBERS_H
#define ZUNT_NUMBERS_H

#include <stdint.h>

#include "export.h"

ZUNT_BEGIN_DECLS

/* One byte of a number value; numbers are handled as arrays of these. */
typedef uint8_t lnm_number;

#define LNM_MAXLEN 21 /* longest bare value: exponent byte and 20 digits */
#define LNM_MAXBUF 22 /* a length-prefixed value, and the size every destination needs */
#define LNM_DIGITS 20 /* base-100 digits kept in a value */

/* Word form of a number: a spare word (0) in front of up to 21 base-100 digits in 32-bit
 * words, the exponent E of the first digit, and [first, end) delimiting the non-zero digits.
 * Zero is the empty range with E = -65, either infinity the empty range with E = 62; the sign
 * travels separately (lnmqosb's result). Dividing needs 29 words of scratch, hence the size. */
typedef struct lnm_unpacked {
  int32_t words[29];
  int32_t exp;
  int32_t *first;
  int32_t *end;
} lnm_unpacked;

/* Constants, length-prefixed (22 bytes each), truncated after the 20th base-100 digit. */
ZUNT_API extern const lnm_number lnmpi[LNM_MAXBUF];  /* 3.14159265358979323846264338327950288419 */
ZUNT_API extern const lnm_number lnme[LNM_MAXBUF];   /* 2.71828182845904523536028747135266249775 */
ZUNT_API extern const lnm_number lnml10[LNM_MAXBUF]; /* ln 10 = 2.30258509299404568401799145468436420760 */

/* Sign: 0 for zero, 1 for positive (positive infinity included), -1 for negative. */
ZUNT_API int32_t lnmsgn(const lnm_number *n, int32_t len);

/* Absolute value (machine integer accepted). */
ZUNT_API void lnmabs(const lnm_number *n, int32_t len, lnm_number *dst, int32_t *dstlen);

/* Negated value. */
ZUNT_API void lnmneg(const lnm_number *n, int32_t len, lnm_number *dst, int32_t *dstlen);

/* Integer test: 1 integer (zero included), 2 has a fractional part, 3 positive infinity,
 * 4 negative infinity. */
ZUNT_API int32_t lnmint(const lnm_number *n, int32_t len);

/* Adds one to a non-negative integer in place. With len the bare value's length is read and
 * written through it; without, buf starts with the length byte. A value below 1, negative, an
 * infinity or at least 100^19 becomes 1. */
ZUNT_API void lnminc(lnm_number *buf, int32_t *len);

/* Machine integer to number: size 1, 2 or 4 bytes; kind 0 unsigned, 1 or 2 signed.
 * Returns 0, or 3 (nothing written) for another size or kind. */
ZUNT_API int32_t lnmmin(const void *ival, int32_t size, int32_t kind, lnm_number *dst, int32_t *dstlen);

/* Number to machine integer, truncating toward zero. kind & 0x7F: 0 unsigned, 1 signed with
 * negative values out of range, 2 signed; kind & 0x8000 wraps instead of saturating.
 * Returns 0 exact, 1 out of range, 2 non-zero magnitude below one (0 stored), 3 size or kind
 * not supported. */
ZUNT_API int32_t lnmsni(const lnm_number *n, int32_t len, void *ival, int32_t size, int32_t kind);

/* Binary floating point (size 8 double, 4 float) to number, keeping 13 to 15 significant
 * digits of a double (6 or 7 of a float) and removing the binary noise in the last place. */
ZUNT_API void lnmren(const void *fval, int32_t size, lnm_number *dst, int32_t *dstlen);

/* Number to binary floating point (size 8 double, 4 float; other sizes store nothing).
 * Infinities give the largest finite value of the type. */
ZUNT_API void lnmnur(const lnm_number *n, int32_t len, void *fval, int32_t size);

/* Normalises a byte-digit buffer in place (buf[0] the exponent code 65 + E, then n - 1 digits
 * 0..99, a first digit 100 meaning infinity) to at most 20 digits, rounding half up at the
 * 21st. Returns the new length (code plus digits). */
ZUNT_API int32_t lnmqnrm(uint8_t *buf, int32_t n);

/* Normalises the 22-byte byte-digit buffer buf and encodes it as a number, negative when neg
 * is non-zero. */
ZUNT_API void lnmqprs(uint8_t *buf, lnm_number *dst, int32_t *dstlen, int32_t neg);

/* a + b when op is 0, a - b otherwise (both machine integers accepted). */
ZUNT_API void lnmqaos(const lnm_number *a, int32_t alen, const lnm_number *b, int32_t blen, lnm_number *dst,
                      int32_t *dstlen, int32_t op);

/* a * b (machine integers accepted). */
ZUNT_API void lnmmul(const lnm_number *a, int32_t alen, const lnm_number *b, int32_t blen, lnm_number *dst,
                     int32_t *dstlen);

/* a / b (machine integers accepted). Division by zero gives an infinity of the sign of a
 * (0 / 0 gives positive infinity). */
ZUNT_API void lnmdiv(const lnm_number *a, int32_t alen, const lnm_number *b, int32_t blen, lnm_number *dst,
                     int32_t *dstlen);

/* Unpacks a number (machine integer accepted) into the word form: words needs at least 22
 * words; words[0] is set to 0 and the digits follow it. Returns the sign flag: 1 for positive
 * or zero, 0 for negative. */
ZUNT_API int32_t lnmqosb(const lnm_number *n, int32_t len, int32_t *words, int32_t *exp, int32_t **first,
                         int32_t **end);

/* Packs the word form (digits in [first, end), exponent exp of *first, sign flag 1 positive,
 * 0 negative) into a canonical number rounded to 20 digits (up when the 21st is 51 or more).
 * The words are not modified. */
ZUNT_API void lnmqsbo(lnm_number *dst, int32_t *dstlen, int32_t sign, int32_t exp, const int32_t *first,
                      const int32_t *end);

ZUNT_END_DECLS

#endif
