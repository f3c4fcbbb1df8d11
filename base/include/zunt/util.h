/* Byte-level utilities of ZUNT32S: bit vectors, memory blocks, NUL-terminated strings,
 * integer/text conversions, sorting, pair tables and the version banner.
 *
 * None of these needs an NLS handle. Letter tests and case changes use the plain ASCII
 * classes of the C locale (A-Z, a-z); bytes compare as unsigned values. Every operation
 * works in caller memory and allocates nothing, except smaacb. Lengths and counts are
 * 32-bit. */
#ifndef ZUNT_UTIL_H
#define ZUNT_UTIL_H

#include <stddef.h>
#include <stdint.h>

#include "zunt/export.h"

ZUNT_BEGIN_DECLS

/* ---- Bit vectors: bit i lives in byte i / 8 at position i % 8 (least significant first).
 * A byte array holds one byte per bit. */

/* For each bit i < n: bytes[i] gets the mask bits set when bit i is 1, cleared when 0. */
ZUNT_API void lbitvu(uint8_t* bytes, const uint8_t* bits, uint32_t n, uint8_t mask);
/* Bit i := 1 when bytes[i] has any mask bit. Whole bytes are written whole; in a last
 * partial byte only the low n % 8 bits change. */
ZUNT_API void lbitvpk(uint8_t* bits, const uint8_t* bytes, uint32_t n, uint8_t mask);
/* Copies bits [s, s + n) of bits into the byte-aligned dst ((n + 7) / 8 bytes). */
ZUNT_API void lbitvcp(uint8_t* dst, const uint8_t* bits, uint32_t s, uint32_t n);
/* dst := a OR b (lbitvo) or a XOR b (lbitvx) over (n + 7) / 8 bytes; returns that count. */
ZUNT_API uint32_t lbitvo(uint8_t* dst, const uint8_t* a, const uint8_t* b, uint32_t n);
ZUNT_API uint32_t lbitvx(uint8_t* dst, const uint8_t* a, const uint8_t* b, uint32_t n);

/* ---- Memory blocks: (address, length) pairs, no NUL involved. The translating and
 * case-changing copies accept overlapping source and destination. */

/* ASCII to EBCDIC and back through one fixed 256-byte table and its inverse. */
ZUNT_API void* lmema2e(void* dst, const void* src, uint32_t n);
ZUNT_API void* lmeme2a(void* dst, const void* src, uint32_t n);
/* Copy with upper-case letters lowered (lmemlo) or lower-case letters raised (lmemup). */
ZUNT_API void* lmemlo(void* dst, const void* src, uint32_t n);
ZUNT_API void* lmemup(void* dst, const void* src, uint32_t n);
/* Compares n bytes ignoring letter case; the difference of the first differing lowered
 * bytes, 0 when equal. */
ZUNT_API int32_t lmemlcomp(const void* a, const void* b, uint32_t n);
/* Compares as if the shorter block were padded with blanks: 0 when equal, else +-p with p
 * the 1-based position of the first difference, positive when a is greater. */
ZUNT_API int32_t lmemcpp(const void* a, uint32_t alen, const void* b, uint32_t blen);
/* Offset of the first occurrence of pat in the block; len when absent or when pat is
 * longer; 0 for an empty pattern. */
ZUNT_API uint32_t lmemsub(const void* block, uint32_t len, const void* pat, uint32_t patlen);
/* Replaces every occurrence of pat by rep in place (block holds used bytes of capacity
 * cap), left to right, continuing after each inserted replacement. Returns the new length.
 * When a replacement would not fit, stops there and sets *stop (when given) to that
 * occurrence's address; otherwise *stop is set to NULL. An empty pattern changes nothing. */
ZUNT_API uint32_t lmemrep(void* block, uint32_t used, uint32_t cap, const void* pat,
                          uint32_t patlen, const void* rep, uint32_t replen, void** stop);
/* Copies src to dst (capacity cap) replacing occurrences of pat by rep; stops when dst is
 * full (a replacement that does not fit whole stops the copy before it). Returns the bytes
 * written; *unconsumed (when given) receives the source bytes not consumed. */
ZUNT_API uint32_t lmemcpr(void* dst, uint32_t cap, const void* src, uint32_t srclen,
                          const void* pat, uint32_t patlen, const void* rep, uint32_t replen,
                          uint32_t* unconsumed);
/* Copies n bytes of src to dst without trailing blanks, turning each run of two or more
 * blanks that ends at a tab stop (every 8 columns; line feed, tab and carriage return
 * restart the count) into one tab. dst needs n bytes and may be src. Returns the length. */
ZUNT_API uint32_t lmemcps(const void* src, void* dst, uint32_t n);
/* Copies n bytes of src to dst expanding tabs to blanks up to the next multiple of 8
 * columns (counted from the start of the block). The result is cut at LMEMRTB_MAX bytes;
 * dst must hold that many unless the caller knows the expansion is shorter. Returns the
 * length. */
#define LMEMRTB_MAX 4096u
ZUNT_API uint32_t lmemrtb(void* dst, const void* src, uint32_t n);

/* ---- NUL-terminated strings. */

/* Copy, NUL included, with letters lowered / raised. dst may be src. */
ZUNT_API char* lstrlo(char* dst, const char* src);
ZUNT_API char* lstrup(char* dst, const char* src);
/* Copy capitalising words: the first letter of each run of letters is raised. */
ZUNT_API char* lstrcp(char* dst, const char* src);
/* Case-insensitive comparison; the difference of the first differing lowered bytes. */
ZUNT_API int32_t lstrlcomp(const char* a, const char* b);
/* Concatenates the strings that follow dst, up to a NULL pointer, into dst and
 * NUL-terminates it; no limit. Returns the address of the terminating NUL. */
ZUNT_API char* lstrcpn(char* dst, ...);
/* Appends the strings that follow end, up to a NULL pointer, at *pos, which is first made
 * an empty string. end is one past the last usable byte: when the text reaches it, it is
 * cut and its last byte becomes the NUL. *pos is left on the NUL and returned. When *pos is
 * not below end nothing is written. */
ZUNT_API char* lstrap(char** pos, const char* end, ...);
/* Copies src (overlap allowed) and, when shorter than width, pads with pad to the width;
 * NUL-terminated. */
ZUNT_API char* lstrpd(char* dst, const char* src, uint32_t width, char pad);
/* Right-justifies the first min(strlen(src), width) bytes of src in a field of width
 * bytes, pad bytes on the left, and a NUL after the field. Overlap allowed. */
ZUNT_API char* lstrrj(char* dst, const char* src, uint32_t width, char pad);

/* ---- Integer and text conversion. */

/* The value in the base: base >= 2 as unsigned; base 0 (meaning 10) or a negative base
 * -b as signed, with "-" for a negative value. Digits 0-9 then a-z; no NUL is written;
 * returns the length (at most 33). A base whose size is 1 or above 36 writes nothing. */
ZUNT_API uint32_t lmf42b(char* dst, int32_t value, int32_t base);
ZUNT_API uint32_t lmfw2b(char* dst, int32_t value, int32_t base);
/* The low n hexadecimal digits of value, upper case, most significant first (digits above
 * the eighth are 0); no NUL. Returns n. */
ZUNT_API uint32_t lmf42h(char* dst, uint32_t value, uint32_t n);
/* Parses text[0, len): white space, an optional sign, for base 16 an optional 0x/0X
 * prefix, then digits (letters count 10 and up) below the base; base 0 means 10. *out
 * (when given) receives the value, negated after "-", wrapping modulo 2^32. Returns the
 * characters consumed, 0 when no digit was read. */
ZUNT_API uint32_t lmfb24(const char* text, uint32_t len, int32_t* out, int32_t base);
ZUNT_API uint32_t lmfb2w(const char* text, uint32_t len, int32_t* out, int32_t base);
/* Writes value as "%.*e" with precision min(a + b - 1, 14) (not below 0) and a NUL;
 * dst needs LMFD2E_MAX bytes. Returns the length. */
#define LMFD2E_MAX 32u
ZUNT_API uint32_t lmfd2e(char* dst, double value, int32_t a, int32_t b);

/* ---- Other operations. */

/* A (name, value) pair of the tables of ltbnam and ltbval. */
typedef struct ltbent {
  const char* name; /* NUL-terminated name */
  int32_t value;    /* the value it stands for */
} ltbent;

ZUNT_API void lmfclr(void* block, uint32_t n);
/* 0 when equal; +-p with p the 1-based position of the first differing byte, positive
 * when a's byte is greater; when one is a prefix of the other +-(shorter length + 1),
 * positive when a is longer. */
ZUNT_API int32_t lmfcmp(const void* a, uint32_t alen, const void* b, uint32_t blen);
/* The smallest odd prime >= n (3 for n < 3); 0 when none fits in 32 bits. */
ZUNT_API uint32_t lmfprim(uint32_t n);
/* Heapsort in place, ascending: cmp(a, b) > 0 means a sorts after b. Not stable. */
ZUNT_API void lmfsrt(void* array, uint32_t count, uint32_t size,
                     int (*cmp)(const void* a, const void* b));
/* The same, passing ctx to every comparison. */
ZUNT_API void lmfsrx(void* array, uint32_t count, uint32_t size,
                     int (*cmp)(void* ctx, const void* a, const void* b), void* ctx);
/* Swaps n bytes of a and b; returns a. */
ZUNT_API void* slswap(void* a, void* b, uint32_t n);
/* The name of the first pair with the value (linear search); NULL when absent. */
ZUNT_API const char* ltbnam(const ltbent* table, uint32_t count, int32_t value);
/* The value of the pair with the name in a table sorted by name (binary search, strcmp or,
 * with nocase non-zero, lstrlcomp); 0 when absent. */
ZUNT_API int32_t ltbval(const ltbent* table, uint32_t count, const char* name, int32_t nocase);
/* Copies the 48-byte version banner with its NUL when size >= 48 and returns 48; else 0. */
ZUNT_API int32_t lmfver(char* buf, uint32_t size);
ZUNT_API void lunoop(void);
/* An empty string: four zero bytes. */
ZUNT_API extern const char lunulstr[4];
/* Allocates a block of size bytes, calls fn(arg, block) and frees the block. Returns 1
 * when fn ran, 0 when no block could be allocated (fn is then not called). */
ZUNT_API int32_t smaacb(void (*fn)(void* arg, void* block), void* arg, uint32_t size);

ZUNT_END_DECLS

#endif
