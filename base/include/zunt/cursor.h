/* The character cursor: how every text operation of ZUNT32S reads and writes text in the
 * character set of an NLS handle.
 *
 * A lim_cursor is a small caller-owned record (normally a local variable) over a buffer.
 * It hides the three kinds of character set:
 *   - single-byte sets: one byte is one character;
 *   - lead-byte multibyte sets (EUC, Shift-JIS, BIG5, 4-byte EUC): the attribute word of the
 *     first byte gives the number of trailing bytes (0 to 3);
 *   - shift-sensitive sets: a shift-out byte (SO) enters double-byte mode, a shift-in byte
 *     (SI) returns to single-byte mode; shift bytes are not characters, and a step over a
 *     character also consumes one shift byte that follows it.
 *
 * Text of unknown length that ends with a NUL is opened with length LIM_NULTERM (65024).
 *
 * Bounds. Whatever the bytes, no operation reads before `start` or at or beyond
 * `start + len`, nor past the NUL of NUL-terminated text while the cursor is at or before it:
 * a character whose trailing bytes are cut off by the end of the text, or by a NUL (which is
 * never part of a multibyte character), is taken as a single-byte character of its first
 * byte; so is, in double-byte mode, a byte pair that holds a shift byte (a stray SO or SI is
 * a single-byte character of its own). At or past the end a step advances one byte without reading, and the reading and
 * classification operations give 0. Writers never write at or beyond `start + len`: a
 * character (with its shift byte) that does not fit is not written and the result is 0.
 *
 * li_status is the status record of the string and conversion operations. Codes used
 * across the library are the LI_STATUS_* values below.
 *
 * The inline operations at the end (lim_charlen, lim_next, lim_isalpha, lim_chareq, ...)
 * decide the single-byte and end-of-text cases without a call and reach the exported
 * functions only for multibyte text. */
#ifndef ZUNT_CURSOR_H
#define ZUNT_CURSOR_H

#include <stdint.h>

#include <zunt/export.h>
#include <zunt/nls.h>

ZUNT_BEGIN_DECLS

/* Length that stands for NUL-terminated text of unknown length. */
#define LIM_NULTERM 65024u

/* Status codes of the string and conversion operations (li_status.code). */
#define LI_STATUS_OK 0
#define LI_STATUS_NO_ROOM 6         /* output too small */
#define LI_STATUS_UNKNOWN_ID 7      /* a character-set id that no definition has */
#define LI_STATUS_NO_CONVERSION 8   /* no conversion available */
#define LI_STATUS_NO_DIGITS 9       /* no digits, or item out of range */
#define LI_STATUS_RANGE 10          /* number out of range */
#define LI_STATUS_KIND 11           /* numeral kind not supported */
#define LI_STATUS_NO_MATCH 12       /* no match */
#define LI_STATUS_BAD_FORMAT 13     /* bad format letter, kind or settings record */
#define LI_STATUS_SHORT 14          /* fewer characters than asked for */
#define LI_STATUS_CALLBACK 15       /* a stream callback failed */
#define LI_STATUS_CONFIG 16         /* the configuration lookup failed */
#define LI_STATUS_PARTIAL 17        /* the stream ended inside a character */
#define LI_STATUS_WRITER 21         /* the writer wrote less than asked */

/* The character cursor. When sb is set only cur, start, len and hdl matter. */
typedef struct lim_cursor {
  uint32_t sb;           /* 1: the handle's set is single-byte (handle flag 0x10) */
  uint32_t shiftset;     /* nonzero: the set is shift-sensitive (cs_flags 0x02) */
  uint8_t* cur;          /* first byte of the current character */
  const li_handle* hdl;  /* the handle whose character set the text is in */
  uint8_t* start;        /* first byte of the buffer */
  uint32_t shifted;      /* shift-sensitive text at cur: 1 double-byte mode, 0 single-byte */
  uint32_t len;          /* bytes available from start; LIM_NULTERM: up to the NUL */
} lim_cursor;

/* One step of a conversion route: 8 bytes. */
typedef struct li_route_step {
  uint16_t from_id;   /* source character-set id */
  uint16_t to_id;     /* destination character-set id */
  uint16_t converter; /* converter number */
  uint16_t cost;      /* its low byte is the cost */
} li_route_step;

/* A route cache slot of a conversion context: the id pair it is valid for, then up to five
 * steps ended by a step whose from_id is 0 (52 bytes). */
typedef struct li_route_slot {
  uint16_t src_id;
  uint16_t dst_id;
  li_route_step steps[6];
} li_route_slot;

/* The stream area of li_status: the shift flags of the multibyte text streams, and the
 * state that a resumable stream conversion keeps between calls (its layout belongs to the
 * conversion code). Every byte is 0 at the start of a stream. */
typedef struct li_stream_area {
  uint8_t in_shifted;      /* the stream read by limnsg is in double-byte mode */
  uint8_t wide_in_shifted; /* the same for liwwsg */
  uint8_t out_shifted;     /* the stream written by limnsp / limnspt is in double-byte mode */
  uint8_t reserved;        /* 0 */
  uint32_t conv[16];       /* resumable stream conversion state */
} li_stream_area;

/* Status record of string and conversion operations. Callers clear code, count, result and
 * the first word of both route slots before first use. */
typedef struct li_status {
  int32_t code;              /* LI_STATUS_*: 0 on success */
  uint32_t count;            /* as each operation states; as a rule source bytes consumed */
  li_route_slot route_fwd;   /* route cache, used by conversions only */
  li_route_slot route_back;  /* second route cache slot */
  uint32_t result;           /* bytes produced, where an operation reports it */
  li_stream_area stream;     /* stream state */
} li_status;

/* ---- Opening and positioning ---- */

/* Opens a cursor on length bytes at buffer in the handle's character set. Unless for_output
 * is set, a shift byte at the start of shift-sensitive text is consumed (SO enters
 * double-byte mode): the result is then 1, else 0. A null handle gives an empty cursor. */
ZUNT_API int32_t limopen(const void* buffer, uint32_t length, lim_cursor* c,
                         const li_handle* handle, uint32_t for_output);
/* limopen with for_output 0. */
ZUNT_API int32_t limcpen(const void* buffer, uint32_t length, lim_cursor* c,
                         const li_handle* handle);
/* Moves the cursor to another buffer: start, len, and cur = start + offset; the shift state
 * stays. */
ZUNT_API void limral(lim_cursor* c, const void* start, uint32_t length, uint32_t offset);

/* ---- Stepping and reading the current character ---- */

/* Steps over the current character and a shift byte that follows it; returns the bytes
 * advanced. */
ZUNT_API uint32_t limfwdx(lim_cursor* c);
/* Steps back onto a shift byte just before cur (so that a writer overwrites a trailing SI
 * rather than following it with another shift byte): -1 when it did, else 0. Sets code and
 * count of the status (which may be null) to 0. */
ZUNT_API int32_t limr2w(lim_cursor* c, li_status* status);
/* The wide code of the current character: its bytes as one big-endian number. */
ZUNT_API uint32_t limc2wx(const lim_cursor* c);
/* The class-tree leaf word of the current multibyte character (0 for a single-byte one). */
ZUNT_API uint16_t limctv(const lim_cursor* c);
/* Display width of the current character: 2 for a double-width multibyte character, else
 * 1 (0 at the end of the text). */
ZUNT_API uint32_t limdspx(const lim_cursor* c);
/* Nonzero when the current character equals the byte ch: for a multibyte character when it
 * is the full-width form of ch. */
ZUNT_API int32_t limctex(const lim_cursor* c, uint8_t ch);

/* ---- Classification of the current character: the masked class bits, nonzero when the
 * class applies. Single-byte sets answer through the internal code and liclas. ---- */

ZUNT_API uint32_t limalpx(const lim_cursor* c); /* alphabetic */
ZUNT_API uint32_t limalnx(const lim_cursor* c); /* alphanumeric */
ZUNT_API uint32_t limdigx(const lim_cursor* c); /* decimal digit */
ZUNT_API uint32_t limxdix(const lim_cursor* c); /* hexadecimal digit */
ZUNT_API uint32_t limspax(const lim_cursor* c); /* white space */
ZUNT_API uint32_t limblax(const lim_cursor* c); /* blank */
ZUNT_API uint32_t limpunx(const lim_cursor* c); /* punctuation */
ZUNT_API uint32_t limgrax(const lim_cursor* c); /* graphic */
ZUNT_API uint32_t limprix(const lim_cursor* c); /* printable */
ZUNT_API uint32_t limuppx(const lim_cursor* c); /* upper case */
ZUNT_API uint32_t limlowx(const lim_cursor* c); /* lower case */
ZUNT_API uint32_t limcntx(const lim_cursor* c); /* control (never a multibyte character) */

/* ---- Writing through a cursor (an output position) ---- */

/* Writes a single-byte character, preceded by SI in double-byte mode: 1 or 2. */
ZUNT_API uint32_t limpuc(lim_cursor* c, uint8_t byte);
/* Writes the character of a wide code with the shift byte it needs: 1 to 5. */
ZUNT_API uint32_t liwc2mx(uint32_t wide, lim_cursor* c);
/* Ends double-byte mode: 1 when an SI was written, else 0. */
ZUNT_API uint32_t limwclose(lim_cursor* c);
/* Writes a NUL, preceded by SI in double-byte mode: 1 or 2; cur ends after the NUL. */
ZUNT_API uint32_t limwterm(lim_cursor* c);
/* Copies the source's current character (with the shift byte the destination needs) and
 * steps the source over it and a shift byte that follows it. Returns the bytes written;
 * status code 0 (6 when the destination has no room: nothing moves), count = source bytes
 * consumed. Both cursors are in the same character set. */
ZUNT_API uint32_t limcpcx(lim_cursor* dst, lim_cursor* src, li_status* status);
/* As limcpcx without moving the source; *status is 0 (6 when there is no room). */
ZUNT_API uint32_t limcpnx(lim_cursor* dst, const lim_cursor* src, int32_t* status);
/* The bytes that limcpnx would write; writes nothing. *status is 0. */
ZUNT_API uint32_t limcpbx(const lim_cursor* dst, const lim_cursor* src, int32_t* status);

/* ---- Inline operations ---- */

/* Offset of cur from start, or len when cur lies outside [start, start + len). */
static inline uint32_t lim_offset(const lim_cursor* c) {
  if (c->cur < c->start || (uintptr_t)(c->cur - c->start) >= c->len) return c->len;
  return (uint32_t)(c->cur - c->start);
}

/* Bytes of the current character that lie within the text: 0 at or past the end; a
 * character cut off by the end or by a NUL counts as its first byte alone. */
static inline uint32_t lim_charbytes(const lim_cursor* c) {
  uint32_t off = lim_offset(c), n, i;
  if (off >= c->len) return 0;
  if (c->sb) return 1;
  if (c->shiftset) {
    if (!c->shifted) return 1;
    n = c->hdl->max_char_bytes;
    if (n <= 1 || n > c->len - off) return 1;
    for (i = 0; i < n; ++i) {
      const uint8_t b = c->cur[i];
      if (b == 0 || b == c->hdl->shift_in || b == c->hdl->shift_out) return 1;
    }
    return n;
  }
  n = (((const uint16_t*)LI_HANDLE_REF(c->hdl->aux_ref))[*c->cur] & 3u) + 1u;
  if (n <= 1) return 1;
  if (n > c->len - off) return 1;
  for (i = 1; i < n; ++i)
    if (c->cur[i] == 0) return 1;
  return n;
}

/* Length of the current character in bytes (1 at or past the end). */
static inline uint32_t lim_charlen(const lim_cursor* c) {
  uint32_t n;
  if (c->sb) return 1;
  n = lim_charbytes(c);
  return n ? n : 1u;
}

/* True when the current character is a single-byte character. */
static inline int lim_issb(const lim_cursor* c) { return c->sb || lim_charbytes(c) < 2; }

/* Steps over the current character; in single-byte text and at or past the end by one
 * byte. Returns the bytes advanced. */
static inline uint32_t lim_next(lim_cursor* c) {
  if (!c->sb && lim_offset(c) < c->len) return limfwdx(c);
  ++c->cur;
  return 1;
}

/* liclas class flags of the current character of a single-byte set (0 at the end). */
static inline uint32_t lim_sbclass(const lim_cursor* c) {
  if (lim_offset(c) >= c->len) return 0;
  return liclas[((const uint16_t*)LI_HANDLE_REF(c->hdl->class_ref))[*c->cur]];
}

static inline uint32_t lim_isalpha(const lim_cursor* c) {
  return c->sb ? (lim_sbclass(c) & (LI_CL_UPPER | LI_CL_LOWER)) : limalpx(c);
}
static inline uint32_t lim_isdigit(const lim_cursor* c) {
  return c->sb ? (lim_sbclass(c) & LI_CL_DIGIT) : limdigx(c);
}
static inline uint32_t lim_isspace(const lim_cursor* c) {
  return c->sb ? (lim_sbclass(c) & LI_CL_SPACE) : limspax(c);
}
static inline uint32_t lim_isxdigit(const lim_cursor* c) {
  return c->sb ? (lim_sbclass(c) & LI_CL_XDIGIT) : limxdix(c);
}
static inline uint32_t lim_isalnum(const lim_cursor* c) {
  return c->sb ? (lim_sbclass(c) & (LI_CL_UPPER | LI_CL_LOWER | LI_CL_DIGIT)) : limalnx(c);
}

/* True when the current character is the byte ch, or the full-width form of ch. */
static inline int lim_chareq(const lim_cursor* c, uint8_t ch) {
  if (lim_issb(c)) return lim_offset(c) < c->len && *c->cur == ch;
  return limctex(c, ch) != 0;
}

ZUNT_END_DECLS

#endif
