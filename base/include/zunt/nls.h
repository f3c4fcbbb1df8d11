/* National-language definitions and the NLS handle of ZUNT32S.
 *
 * The runtime carries its languages, territories and linguistic sorts as constant data (the
 * character sets are in zunt/nlscs.h). Each kind lives in a NULL-terminated array of pointers
 * to records; a definition's number is its position in that array, and handles store numbers:
 *
 *   liltbn  languages, 0 an empty placeholder, 1 to 29 the languages, 1 (AMERICAN) the default
 *   littbn  territories 0 to 31, 0 (AMERICA) the default
 *   listab  linguistic sorts 0 to 37, 0 (BINARY: byte order, no tables)
 *
 * Language and territory texts are stored in the record's own text character set
 * (lang_text_charset, terr_text_charset). Sort tables are indexed by the internal character
 * code (0 to 999) that every single-byte set maps its bytes to.
 *
 * li_handle selects one language, territory, character set and sort by number and holds the
 * numeric characters, currency and date format in force. It holds no addresses: its
 * references are offsets from licbas[0] to a field of the current li_csdef, so a handle
 * copied byte for byte into another process stays valid. */
#ifndef ZUNT_NLS_H
#define ZUNT_NLS_H

#include <stddef.h>
#include <stdint.h>

#include <zunt/export.h>
#include <zunt/nlscs.h>

ZUNT_BEGIN_DECLS

/* ---- Languages ---- */

typedef struct li_langdef {
  const char* lang_name;                 /* upper-case name, the lookup key ("AMERICAN") */
  uint16_t lang_territory;               /* default territory number */
  uint16_t lang_charset;                 /* default character-set number */
  uint16_t lang_text_charset;            /* number of the set this record's texts are in */
  uint16_t lang_sort;                    /* default sort number */
  const char* lang_abbrev;               /* short code used in message-file names ("US") */
  const char (*lang_day_abbrevs)[11];    /* 7 abbreviated day names, Sunday first, NUL-padded */
  const char (*lang_day_names)[21];      /* 7 day names, Sunday first */
  const char (*lang_month_abbrevs)[11];  /* 12 abbreviated month names, January first */
  const char (*lang_month_names)[21];    /* 12 month names */
  uint16_t lang_attr_a;                  /* attribute word, 1 or 0 (NLS item 69) */
  uint16_t lang_attr_b;                  /* attribute word equal to lang_attr_a (NLS item 70) */
  uint16_t lang_max_month;               /* bytes of the longest month name */
  uint16_t lang_max_day;                 /* bytes of the longest day name */
  uint16_t lang_max_month_abbrev;        /* bytes of the longest abbreviated month name */
  uint16_t lang_max_day_abbrev;          /* bytes of the longest abbreviated day name */
  const char* lang_yes;
  const char* lang_no;
  const char* lang_ad;                   /* era after the epoch */
  const char* lang_bc;                   /* era before it */
  const char* lang_am;
  const char* lang_pm;
  uint32_t lang_attrs;                   /* attribute bits 0 to 3, copied into handle flags */
} li_langdef;

/* ---- Territories ---- */

typedef struct li_terrdef {
  const char* terr_name;           /* upper-case name, the lookup key ("AMERICA") */
  const char* terr_decimal;        /* decimal separator; its first byte is used */
  const char* terr_group;          /* group separator; its first byte is used */
  const char* terr_iso_currency;   /* three-letter ISO currency code */
  uint16_t terr_attr_a;            /* attribute word, 2 or 0 (NLS item 67) */
  uint16_t terr_attr_b;            /* attribute word, 1 or 0 (NLS item 68) */
  const char* terr_currency;       /* local currency symbol (at most 10 bytes are taken) */
  uint16_t terr_text_charset;      /* number of the set this record's texts are in */
  uint16_t terr_first_weekday;     /* 0 Sunday, 1 Monday, 6 Saturday (NLS item 75) */
  uint16_t terr_attr_c;            /* attribute word, 1 or 0 (NLS item 76) */
  uint16_t terr_reserved;          /* 0 */
  const char* terr_c_datetime_fmt; /* strftime notation: date and time */
  const char* terr_c_date_fmt;     /* strftime notation: date */
  const char* terr_c_time_fmt;     /* strftime notation: time */
  const char* terr_date_format;    /* default date format model (at most 30 bytes taken) */
  const char* terr_time_format;    /* time format model */
} li_terrdef;

/* ---- Linguistic sorts ---- */

/* Number of internal character codes every sort table covers. */
#define LI_SORT_CODES 1000

/* sort_code_flags bits (extended sorts). */
#define LI_SORT_ORDINARY 0x01         /* plain weights */
#define LI_SORT_EXPANDS 0x02          /* weighs as two characters */
#define LI_SORT_CONTRACT_FIRST 0x04   /* may begin a contraction */
#define LI_SORT_CONTRACT_SECOND 0x08  /* may end a contraction */
#define LI_SORT_UPPER_SPECIAL 0x10    /* has an upper-case special */
#define LI_SORT_LOWER_SPECIAL 0x20    /* has a lower-case special */
#define LI_SORT_BASE_SPECIAL 0x40     /* has a base-form special */

/* sort_features bits. */
#define LI_SORT_HAS_EXPANSIONS 0x01
#define LI_SORT_HAS_CONTRACTIONS 0x02
#define LI_SORT_HAS_UPPER_SPECIALS 0x04
#define LI_SORT_HAS_LOWER_SPECIALS 0x08
#define LI_SORT_HAS_BASE_SPECIALS 0x10

/* An expansion: the code weighs p1/s1 at its position and p2/s2 at the next. 6 bytes. */
typedef struct li_sort_expansion {
  uint16_t code; /* 0 ends the list */
  uint8_t p1, s1, p2, s2;
} li_sort_expansion;

/* A contraction: the two codes together weigh p/s. 6 bytes. */
typedef struct li_sort_contraction {
  uint16_t first; /* 0 ends the list */
  uint16_t second;
  uint8_t p, s;
} li_sort_contraction;

/* A case or base-form special: one or two source codes become one or two result codes.
 * 16 bytes. */
typedef struct li_sort_special {
  uint32_t source_count; /* 1 or 2; 0 ends the list */
  uint16_t source[2];
  uint32_t result_count; /* 1 or 2 */
  uint16_t result[2];
} li_sort_special;

typedef struct li_sortdef {
  const char* sort_name;                           /* upper-case name */
  const uint8_t* sort_primary;                     /* 1000 primary weights; 0 = ignored */
  const uint8_t* sort_secondary;                   /* 1000 secondary weights */
  const uint8_t* sort_code_flags;                  /* extended sorts: 1000 LI_SORT_* flags */
  const li_sort_expansion* sort_expansions;        /* ended by code 0 */
  uint32_t sort_expansion_width;                   /* 2 where expansions exist */
  const li_sort_contraction* sort_contractions;    /* ended by first code 0 */
  const li_sort_special* sort_upper_specials;      /* ended by a 0 count */
  uint32_t sort_upper_width;                       /* 2 where upper-case specials exist */
  const li_sort_special* sort_lower_specials;      /* none in any built-in sort */
  uint32_t sort_lower_width;                       /* 0 */
  const uint16_t* sort_base;                       /* 1000 base-letter codes */
  const li_sort_special* sort_base_specials;       /* base forms of two letters */
  uint16_t sort_base_width;                        /* 2 where base-form specials exist */
  uint16_t sort_features;                          /* LI_SORT_HAS_* */
} li_sortdef;

/* ---- Exported definition arrays ---- */

ZUNT_API extern const li_langdef* const liltbn[];
ZUNT_API extern const li_terrdef* const littbn[];
ZUNT_API extern const li_sortdef* const listab[];

/* Counts of the arrays above, without the terminating NULL (liltbn counts the placeholder). */
#define LI_LANGUAGE_COUNT 30
#define LI_TERRITORY_COUNT 32
#define LI_SORT_COUNT 38

/* lihdata kinds; also the component codes of lipname (66 language, 63 territory, 64 set). */
#define LI_KIND_LANGUAGE 52
#define LI_KIND_TERRITORY 63
#define LI_KIND_CHARSET 64
#define LI_KIND_SORT 65
#define LI_COMPONENT_LANGUAGE 66
#define LI_COMPONENT_TERRITORY 63
#define LI_COMPONENT_CHARSET 64

/* Names definition `*index` of the given kind (52 languages, 63 territories, 64 character
 * sets, 65 sorts) and advances the index; null at the end of the array. For languages an
 * index of 0 is first raised to 1. Any other kind sets *status to 13. */
ZUNT_API const char* lihdata(int32_t kind, int32_t* index, int32_t* status);

/* Copies the component banner with its NUL when size can hold it; returns the bytes copied
 * or 0 (then nothing is copied). */
ZUNT_API int32_t livers(char* buffer, int32_t size);

/* ---- The NLS handle ---- */

/* Handle flags. */
#define LI_FLAG_LANG_ATTR3 0x1          /* lang_attrs bit 3 */
#define LI_FLAG_LANG_ATTR0 0x2          /* lang_attrs bit 0 */
#define LI_FLAG_LANG_ATTR1 0x4          /* lang_attrs bit 1 */
#define LI_FLAG_LANG_ATTR2 0x8          /* lang_attrs bit 2 */
#define LI_FLAG_SINGLE_BYTE 0x10        /* the character set is single-byte */
#define LI_FLAG_DATE_FORMAT 0x20        /* date_format holds a format */
#define LI_FLAG_AMERICAN 0x40           /* the language is AMERICAN */
#define LI_FLAG_ARABIC_SHAPING 0x80     /* the character set is an Arabic shaping set */
#define LI_FLAG_SORT_SPECIAL 0x100      /* the sort has expansions, contractions or specials */
#define LI_FLAG_BYTEWISE 0x200          /* byte-wise linguistic comparison is possible */
#define LI_FLAG_NO_ARMOUR 0x400         /* no byte of a multibyte character is below 0x80 */
#define LI_FLAG_FIXED_DATE_LANG 0x800   /* the date language was chosen explicitly */
#define LI_FLAG_FIXED_SORT 0x1000       /* the sort was chosen explicitly */
#define LI_FLAG_FIXED_CURRENCY 0x2000   /* the currency symbol was chosen explicitly */
#define LI_FLAG_FIXED_ISO_TERR 0x4000   /* the ISO currency territory was chosen explicitly */
#define LI_FLAG_FIXED_NUMCHARS 0x8000   /* the numeric characters were chosen explicitly */
#define LI_FLAG_FIXED_DATE_FMT 0x10000  /* the date format was chosen explicitly */
#define LI_FLAG_DATE_AMERICAN 0x20000   /* the date language is AMERICAN */
#define LI_FLAG_SHIFT 0x40000           /* the character set is shift-sensitive */

typedef struct li_handle {
  uint32_t aux_ref;           /* -> cs_shape_table (single-byte) or cs_lead_attrs (multibyte) */
  uint32_t upper_ref;         /* -> cs_upper */
  uint32_t lower_ref;         /* -> cs_lower */
  uint32_t class_ref;         /* -> cs_to_code */
  uint32_t cs_ref;            /* -> the li_csdef itself */
  uint16_t charset;           /* character-set number */
  uint16_t territory;         /* territory number */
  uint16_t iso_territory;     /* territory whose ISO currency code is used */
  uint16_t language;          /* language number */
  uint16_t date_language;     /* language of day and month names, AM/PM, AD/BC */
  uint16_t sort;              /* linguistic sort number */
  uint16_t numchar_charset;   /* set of decimal_char and group_char */
  uint16_t currency_charset;  /* set of currency */
  uint16_t datefmt_charset;   /* set of date_format */
  uint32_t flags;             /* LI_FLAG_* */
  uint8_t decimal_char;       /* decimal separator, in numchar_charset */
  uint8_t group_char;         /* group separator, in numchar_charset */
  char currency[11];          /* currency symbol, NUL-padded, in currency_charset */
  char date_format[31];       /* date format model, NUL-padded, in datefmt_charset */
  uint8_t decimal_char_cs;    /* decimal_char converted into the handle's set */
  uint8_t group_char_cs;      /* group_char converted into the handle's set */
  char currency_cs[11];       /* currency converted into the handle's set */
  uint8_t max_char_bytes;     /* cs_max_bytes of the current set */
  uint8_t shift_in;           /* cs_shift_in of the current set */
  uint8_t shift_out;          /* cs_shift_out of the current set */
} li_handle;

/* Resolving references: the address stored in the field a reference points at. */
#define LI_HANDLE_REF(ref) (*(const void* const*)(const void*)((const char*)licbas[0] + (ref)))
/* The current character-set definition of a handle. */
#define LI_HANDLE_CSDEF(h) ((const li_csdef*)(const void*)((const char*)licbas[0] + (h)->cs_ref))

/* Lookups by name. The name matches a definition when it has exactly `length` characters
 * and equals the definition's name ignoring letter case. On no match (or a null name or a
 * length of 0) *not_found is set to 1 and the default is returned; on a match to 0.
 * not_found may be null. */
ZUNT_API uint16_t liplget(const char* name, int32_t length, int32_t* not_found);
ZUNT_API uint16_t liptget(const char* name, int32_t length, uint16_t language,
                          int32_t* not_found);
ZUNT_API uint16_t lipcget(const char* name, int32_t length, uint16_t language,
                          int32_t* not_found);
ZUNT_API uint16_t lipsget(const char* name, int32_t length, uint16_t language,
                          int32_t* not_found);
/* Number of the first character set with that id; 0 with *not_found 1 when none. */
ZUNT_API uint16_t lipuget(uint16_t id, int32_t* not_found);
/* The character-set definition of that name, or null. */
ZUNT_API const li_csdef* lihchtoid(const char* name, int32_t length);

/* Setters: change one selection of the handle and keep the dependent fields consistent. */
ZUNT_API void liplset(uint16_t language, li_handle* handle);
ZUNT_API void liptset(uint16_t territory, li_handle* handle);
ZUNT_API void lipcset(uint16_t charset, li_handle* handle);
ZUNT_API void lipsset(uint16_t sort, li_handle* handle);

/* The component (66 language, 63 territory, 64 character set) of a setting of the form
 * language "_" territory "." character set: returns its start and stores its length, or
 * returns text with length 0 when it is absent. */
ZUNT_API const char* lipname(const char* text, int32_t length, int32_t component,
                             int32_t* length_out);

/* Queries on the handle's current character set. */
ZUNT_API uint16_t lihcsn(const li_handle* handle);
ZUNT_API int32_t lihasc(const li_handle* handle);
ZUNT_API const li_csdef* lihdtchid(const li_handle* handle);
ZUNT_API int32_t licsing(const uint8_t* p, const li_handle* handle);
ZUNT_API int32_t licmult(const uint8_t* p, const li_handle* handle);
ZUNT_API int32_t licdone(const uint8_t* p, const li_handle* handle, int32_t available);
ZUNT_API int32_t lix7bit(const li_handle* handle);
ZUNT_API int32_t lixliga(const li_handle* handle);
ZUNT_API const li_csdef* lixgsc(const li_handle* handle);
ZUNT_API uint8_t lixclig(uint8_t first, uint8_t second, const li_handle* handle);
ZUNT_API uint8_t lixfcm(uint8_t ligature, const li_handle* handle);
ZUNT_API uint8_t lixscm(uint8_t ligature, const li_handle* handle);

ZUNT_END_DECLS

#endif
