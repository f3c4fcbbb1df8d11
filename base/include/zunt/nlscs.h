/* Built-in character-set data: the internal character code, its class-flag table, and the
 * 93 character-set definitions with their tables. All of it is constant data compiled into
 * ZUNT32S; callers may read it, nothing writes it.
 *
 * Records:
 *   lictbn   NULL-terminated array of pointers to the character-set definitions; a set's
 *            number is its position here (0 US7ASCII ... 92 AR8ARABICMACS).
 *   licbas   two words: the address of character-set definition 0, then 0. All 93
 *            definitions lie in one array starting there, so a handle can hold the offset of
 *            a definition field from licbas[0] instead of an address.
 *   liclas   pointer to the class-flag table: one 16-bit word of LI_CL_* bits per internal
 *            code (LI_CODE_COUNT words).
 *   liaebc   256 32-bit flags indexed by a byte value, published for callers only.
 *
 * The internal code has LI_CODE_COUNT slots: 0-127 the ASCII characters (in every set, the
 * EBCDIC ones too), 128-267 symbols and punctuation, 268-298 C1 controls, 300-399 upper-case
 * Latin letters with diacritics and 400-499 their lower-case partners at code + 100, then
 * Greek (500-), Cyrillic (580-), Hebrew (680-), Arabic (710-) and Thai (830-). Anchors that
 * sort data relies on: 300 "À", 304 "Ä", 340 "Ĳ", 357 "Ö", 377 "Ü", 400 "à", 404 "ä",
 * 440 "ĳ", 457 "ö", 477 "ü", 492 "ß". Code 998 has no character: bytes that a set leaves
 * undefined map to it, and every set gives it back as its replacement byte. (Code 999 and
 * above end a stream of internal codes, so no byte maps there.)
 */
#ifndef ZUNT_NLSCS_H
#define ZUNT_NLSCS_H

#include <stdint.h>

#include "zunt/export.h"

ZUNT_BEGIN_DECLS

#define LI_CODE_COUNT 1000 /* slots of the internal character code */
#define LI_CODE_NONE 998   /* the code of bytes without a character */
#define LI_CS_COUNT 93     /* built-in character-set definitions */

/* Class flags of an internal code (liclas). */
#define LI_CL_UPPER 0x01  /* upper-case letter */
#define LI_CL_LOWER 0x02  /* lower-case letter */
#define LI_CL_DIGIT 0x04  /* decimal digit */
#define LI_CL_SPACE 0x08  /* white space */
#define LI_CL_PUNCT 0x10  /* punctuation and symbols */
#define LI_CL_CNTRL 0x20  /* control */
#define LI_CL_XDIGIT 0x40 /* hexadecimal digit */
#define LI_CL_BLANK 0x80  /* the space character itself */

/* cs_flags */
#define LI_CSF_SINGLE 0x01 /* single-byte set */
#define LI_CSF_SHIFT 0x02  /* shift-sensitive (SO/SI) */
#define LI_CSF_HIGH 0x04   /* no byte of a multibyte character lies below 0x80 */
#define LI_CSF_ASCII 0x08  /* the 7-bit ASCII characters have their ASCII bytes */
#define LI_CSF_ARABIC 0x10 /* Arabic shaping set */

/* cs_arabic_flags */
#define LI_CSA_7BIT 0x01      /* seven-bit set */
#define LI_CSA_LIGATURES 0x02 /* the set has ligatures */

/* Attribute words of a multibyte set (cs_lead_attrs, cs_shift_attrs), one per byte value. */
#define LI_MBA_TRAIL 0x0003   /* number of bytes that follow this lead byte */
#define LI_MBA_UPPER 0x0004   /* upper-case letter (single-byte character) */
#define LI_MBA_LOWER 0x0008   /* lower-case letter */
#define LI_MBA_DIGIT 0x0010   /* decimal digit */
#define LI_MBA_SPACE 0x0020   /* white space */
#define LI_MBA_PUNCT 0x0040   /* punctuation */
#define LI_MBA_ALPHA 0x0080   /* alphabetic */
#define LI_MBA_XDIGIT 0x0100  /* hexadecimal digit */
#define LI_MBA_BLANK 0x0200   /* blank */
#define LI_MBA_PRINTSP 0x0400 /* printable but not graphic (the space characters that print) */
#define LI_MBA_CNTRL 0x0800   /* control */

/* Leaf words of the class tree (multibyte characters). */
#define LI_MBL_CASE 0x000F   /* index into cs_mb_upper_delta / cs_mb_lower_delta */
#define LI_MBL_UPPER 0x0004  /* upper case (within the index) */
#define LI_MBL_LOWER 0x0008  /* lower case (within the index) */
#define LI_MBL_WIDE 0x0010   /* double display width */
#define LI_MBL_ALPHA 0x0020  /* alphabetic */
#define LI_MBL_DIGIT 0x0040  /* digit */
#define LI_MBL_PUNCT 0x0080  /* punctuation */
#define LI_MBL_XDIGIT 0x0100 /* hexadecimal digit */
#define LI_MBL_SPACE 0x0200  /* space */
#define LI_MBL_PRINT 0x0400  /* printable */
#define LI_MBL_BLANK 0x0800  /* blank */

/* A node of a multibyte set's class tree. From the root, an inner node is left through
 * children[byte & (mask | 3)] for the next byte of the character; at a node without children
 * leaves[last byte & (mask | 3)] is the character's leaf word. The built-in roots have mask
 * 0xFC, so every byte value selects its own entry. */
typedef struct li_cstree {
  uint32_t inner;                          /* nonzero for an inner node (one with children) */
  uint16_t mask;                           /* index mask; the index is byte & (mask | 3) */
  const uint16_t* leaves;                  /* leaf words of a node without children */
  const struct li_cstree* const* children; /* child nodes of an inner node */
} li_cstree;

/* A character-set definition. Fields that do not apply to the kind of set are zero. */
typedef struct li_csdef {
  uint16_t cs_id;                   /* id; multibyte sets 800 and above */
  uint16_t cs_reserved1;            /* 0 */
  const char* cs_name;              /* upper-case name, the key for lookups */
  const uint16_t* cs_lead_attrs;    /* multibyte: 256 attribute words, normal state */
  const uint16_t* cs_shift_attrs;   /* multibyte: 256 attribute words, shifted state */
  const li_cstree* cs_class_tree;   /* multibyte: root of the class tree */
  const uint8_t* cs_upper;          /* 256 bytes: upper-case image of each byte */
  const uint8_t* cs_lower;          /* 256 bytes: lower-case image of each byte */
  const int32_t* cs_mb_upper_delta; /* multibyte: 16 deltas to the upper-case wide code */
  const int32_t* cs_mb_lower_delta; /* multibyte: 16 deltas to the lower-case wide code */
  const uint8_t* cs_from_code;      /* single-byte: byte of each internal code (1000) */
  const uint16_t* cs_to_code;       /* single-byte: internal code of each byte (256) */
  const uint32_t* cs_wide_forms;    /* multibyte: 256 codes indexed by byte value: the
                                       full-width form of bytes wide_first..wide_last, else 0 */
  uint8_t cs_wide_first;            /* first byte covered by cs_wide_forms */
  uint8_t cs_wide_last;             /* last byte covered by cs_wide_forms */
  uint8_t cs_shift_in;              /* shift-sensitive: byte back to single-byte mode (0x0F) */
  uint8_t cs_shift_out;             /* shift-sensitive: byte into double-byte mode (0x0E) */
  uint16_t cs_base_id;              /* id of the ISO 8859 set of the same script; 0 multibyte */
  uint16_t cs_max_bytes;            /* bytes per character at most: 1, 2 or 4 */
  uint16_t cs_flags;                /* LI_CSF_* */
  uint16_t cs_reserved2;            /* 0 */
  const uint8_t* cs_shape_table;    /* Arabic shaping sets: shaping class of each byte (256) */
  const uint8_t* cs_ligatures;      /* Arabic shaping sets: (ligature, first, second) triples,
                                       ended by a 0 ligature byte */
  uint16_t cs_glyph_charset;        /* Arabic shaping sets: number of the glyph set */
  uint16_t cs_arabic_flags;         /* Arabic shaping sets: LI_CSA_* */
} li_csdef;

/* Shaping classes of cs_shape_table. */
#define LI_SHAPE_NONE 0        /* does not join (digits, punctuation, Latin) */
#define LI_SHAPE_RIGHT 1       /* joins to the preceding letter only (alef, dal, reh, waw) */
#define LI_SHAPE_DUAL 2        /* joins on both sides (beh, seen, lam, ...) */
#define LI_SHAPE_TRANSPARENT 3 /* vowel marks: skipped when joining */
#define LI_SHAPE_CAUSING 4     /* tatweel: joins on both sides, has one form */

ZUNT_API extern const li_csdef* const lictbn[];
ZUNT_API extern const void* const licbas[2];
ZUNT_API extern const uint16_t* const liclas;
ZUNT_API extern const uint32_t liaebc[256];

/* The definition whose cs_id is id (the first in table order), or null. */
ZUNT_API const li_csdef* lihci2h(uint16_t id);
/* The cs_id of a definition (0 for null). */
ZUNT_API uint16_t lihh2ci(const li_csdef* cs);

ZUNT_END_DECLS

#endif
