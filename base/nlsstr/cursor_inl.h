// The character cursor's core as inline functions, for the library's own text code: the
// string families include this header and walk text without a call per character; the
// exported lim* functions (cursor.cpp) wrap the same functions.
//
// Every function keeps the cursor's bounds: nothing is read before start or at or beyond
// start + len (nor past the NUL of NUL-terminated text), nothing is written at or beyond
// start + len. The character length that everything is measured by is lim_charbytes() of
// the public header: 0 at the end, and a character cut off by the end, a NUL or (in
// double-byte mode) a shift byte counts as a single-byte character of its first byte.
#pragma once

#include <stdint.h>
#include <string.h>

#include "zunt/cursor.h"
#include "zunt/nls.h"

namespace zunt::cursor {

// Masks of the classes: on the attribute word (single-byte characters of a multibyte set),
// on the leaf word (multibyte characters) and on liclas (single-byte sets).
struct ClassMasks {
  uint16_t attr;
  uint16_t leaf;
  uint16_t sb;
};

inline constexpr ClassMasks kAlpha{LI_MBA_ALPHA, LI_MBL_ALPHA, LI_CL_UPPER | LI_CL_LOWER};
inline constexpr ClassMasks kAlnum{LI_MBA_ALPHA | LI_MBA_DIGIT, LI_MBL_ALPHA | LI_MBL_DIGIT,
                                   LI_CL_UPPER | LI_CL_LOWER | LI_CL_DIGIT};
inline constexpr ClassMasks kDigit{LI_MBA_DIGIT, LI_MBL_DIGIT, LI_CL_DIGIT};
inline constexpr ClassMasks kXdigit{LI_MBA_XDIGIT, LI_MBL_XDIGIT, LI_CL_XDIGIT};
inline constexpr ClassMasks kSpace{LI_MBA_SPACE, LI_MBL_SPACE, LI_CL_SPACE};
inline constexpr ClassMasks kBlank{LI_MBA_BLANK, LI_MBL_BLANK, LI_CL_BLANK};
inline constexpr ClassMasks kPunct{LI_MBA_PUNCT, LI_MBL_PUNCT, LI_CL_PUNCT};
// Graphic: letters, digits and punctuation; printable adds the characters that print as
// space (in a single-byte set the space character itself).
inline constexpr ClassMasks kGraph{LI_MBA_ALPHA | LI_MBA_DIGIT | LI_MBA_PUNCT,
                                   LI_MBL_ALPHA | LI_MBL_DIGIT | LI_MBL_PUNCT,
                                   LI_CL_UPPER | LI_CL_LOWER | LI_CL_DIGIT | LI_CL_PUNCT};
inline constexpr ClassMasks kPrint{
    LI_MBA_ALPHA | LI_MBA_DIGIT | LI_MBA_PUNCT | LI_MBA_PRINTSP,
    LI_MBL_ALPHA | LI_MBL_DIGIT | LI_MBL_PUNCT | LI_MBL_PRINT,
    LI_CL_UPPER | LI_CL_LOWER | LI_CL_DIGIT | LI_CL_PUNCT | LI_CL_BLANK};
inline constexpr ClassMasks kUpper{LI_MBA_UPPER, LI_MBL_UPPER, LI_CL_UPPER};
inline constexpr ClassMasks kLower{LI_MBA_LOWER, LI_MBL_LOWER, LI_CL_LOWER};
inline constexpr ClassMasks kCntrl{LI_MBA_CNTRL, 0, LI_CL_CNTRL};

inline const li_csdef* csdef(const lim_cursor& c) { return LI_HANDLE_CSDEF(c.hdl); }

// Attribute words of the handle's multibyte set (cs_lead_attrs).
inline const uint16_t* attrs(const lim_cursor& c) {
  return static_cast<const uint16_t*>(LI_HANDLE_REF(c.hdl->aux_ref));
}

// Bytes from cur to the end of the text (0 at or past it).
inline uint32_t left(const lim_cursor& c) { return c.len - lim_offset(&c); }

// True when the byte after the current character may be read: it lies within the text,
// and the current character is not the NUL that ends NUL-terminated text.
inline bool may_look_past(const lim_cursor& c, uint32_t n) {
  return left(c) > n && !(c.len == LIM_NULTERM && c.cur[0] == 0);
}

inline uint32_t open(lim_cursor& c, const void* buffer, uint32_t length, const li_handle* h,
                     bool for_output) {
  c.cur = c.start = static_cast<uint8_t*>(const_cast<void*>(buffer));
  c.hdl = h;
  c.shifted = 0;
  if (h == nullptr) {  // nothing to walk: an empty single-byte cursor
    c.sb = 1;
    c.shiftset = 0;
    c.len = 0;
    return 0;
  }
  c.sb = (h->flags & LI_FLAG_SINGLE_BYTE) ? 1 : 0;
  c.shiftset = LI_HANDLE_CSDEF(h)->cs_flags & LI_CSF_SHIFT;
  c.len = length;
  if (!c.shiftset || for_output || length == 0) return 0;
  const uint8_t b = *c.cur;
  if (b == h->shift_out) {
    c.shifted = 1;
  } else if (b != h->shift_in) {
    return 0;
  }
  ++c.cur;
  return 1;
}

// The shift byte after the n bytes of the current character of shift-sensitive text: when
// it switches the mode (SI in double-byte mode, SO in single-byte mode; with either_mode SI
// or SO whatever the mode), the cursor takes its mode and n + 1 is returned, else n.
inline uint32_t take_shift(lim_cursor& c, uint32_t n, bool either_mode) {
  if (!c.shiftset || !may_look_past(c, n)) return n;
  const uint8_t b = c.cur[n];
  const li_csdef* d = csdef(c);
  if (b == d->cs_shift_in && (either_mode || c.shifted)) {
    c.shifted = 0;
  } else if (b == d->cs_shift_out && (either_mode || !c.shifted)) {
    c.shifted = 1;
  } else {
    return n;
  }
  return n + 1;
}

// limfwdx: over the current character and a shift byte that follows it.
inline uint32_t fwd(lim_cursor& c) {
  const uint32_t n = take_shift(c, lim_charlen(&c), false);
  c.cur += n;
  return n;
}

// lim_next with the step in line.
inline uint32_t next(lim_cursor& c) {
  if (!c.sb && lim_offset(&c) < c.len) return fwd(c);
  ++c.cur;
  return 1;
}

// limr2w: back onto a shift byte just before cur, restoring the state before it.
inline int32_t back_over_shift(lim_cursor& c) {
  if (c.sb || !c.shiftset || c.cur <= c.start ||
      static_cast<uintptr_t>(c.cur - c.start) > c.len)
    return 0;
  const uint8_t b = c.cur[-1];
  const li_csdef* d = csdef(c);
  if (b == d->cs_shift_out) {
    c.shifted = 0;
  } else if (b == d->cs_shift_in) {
    c.shifted = 1;
  } else {
    return 0;
  }
  --c.cur;
  return -1;
}

// The n bytes at cur as one big-endian number.
inline uint32_t code_of(const uint8_t* p, uint32_t n) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

// limc2wx: the wide code of the current character (0 at the end).
inline uint32_t wide(const lim_cursor& c) { return code_of(c.cur, lim_charbytes(&c)); }

// The class-tree walk over the n bytes of a multibyte character at p; 0 when the tree
// does not hold the character or needs more bytes than it has.
inline uint16_t tree_leaf(const li_cstree* node, const uint8_t* p, uint32_t n) {
  for (uint32_t i = 0; node != nullptr && i < n; ++i) {
    const unsigned idx = p[i] & (node->mask | 3u);
    if (!node->inner) return node->leaves != nullptr ? node->leaves[idx] : 0;
    node = node->children != nullptr ? node->children[idx] : nullptr;
  }
  return 0;
}

// limctv: the leaf word of the current character (0 unless it is multibyte).
inline uint16_t leaf(const lim_cursor& c) {
  const uint32_t n = lim_charbytes(&c);
  if (n < 2) return 0;
  return tree_leaf(csdef(c)->cs_class_tree, c.cur, n);
}

// The classification operations: the masked attribute word of a single-byte character,
// the masked leaf word of a multibyte one, liclas in a single-byte set.
inline uint32_t classify(const lim_cursor& c, const ClassMasks& m) {
  if (c.sb) return lim_sbclass(&c) & m.sb;
  const uint32_t n = lim_charbytes(&c);
  if (n == 0) return 0;
  if (n == 1) return attrs(c)[*c.cur] & m.attr;
  return tree_leaf(csdef(c)->cs_class_tree, c.cur, n) & m.leaf;
}

// limdspx: 2 for a double-width multibyte character, 1 otherwise, 0 at the end.
inline uint32_t display_width(const lim_cursor& c) {
  const uint32_t n = lim_charbytes(&c);
  if (n < 2) return n;
  return (tree_leaf(csdef(c)->cs_class_tree, c.cur, n) & LI_MBL_WIDE) ? 2 : 1;
}

// limctex: the current character is compared with the full-width form of ch when the set
// has one for it (cs_wide_forms, indexed by byte value, holds the forms of the bytes
// cs_wide_first to cs_wide_last and 0 elsewhere), else with ch itself.
inline bool full_width_eq(const lim_cursor& c, uint8_t ch) {
  const uint32_t n = lim_charbytes(&c);
  if (n == 0) return false;
  uint32_t t = ch;
  if (!c.sb) {
    const li_csdef* d = csdef(c);
    if (d->cs_wide_forms != nullptr && ch >= d->cs_wide_first && ch <= d->cs_wide_last &&
        d->cs_wide_forms[ch] != 0)
      t = d->cs_wide_forms[ch];
  }
  return t == code_of(c.cur, n);
}

// lim_chareq with the multibyte test in line.
inline bool chareq(const lim_cursor& c, uint8_t ch) {
  if (lim_issb(&c)) return lim_offset(&c) < c.len && *c.cur == ch;
  return full_width_eq(c, ch);
}

// ---- Writing ----

// limpuc: a single-byte character, preceded by SI in double-byte mode.
inline uint32_t put(lim_cursor& c, uint8_t byte) {
  const bool si = c.shiftset && c.shifted;
  const uint32_t n = si ? 2 : 1;
  if (left(c) < n) return 0;
  if (si) {
    *c.cur++ = csdef(c)->cs_shift_in;
    c.shifted = 0;
  }
  *c.cur++ = byte;
  return n;
}

// Bytes of the character of a wide code.
inline uint32_t wide_bytes(uint32_t w) {
  return w < 0x100u ? 1 : w < 0x10000u ? 2 : w < 0x1000000u ? 3 : 4;
}

// liwc2mx: the character of a wide code, with the shift byte a shift-sensitive set needs.
inline uint32_t put_wide(uint32_t w, lim_cursor& c) {
  const uint32_t n = wide_bytes(w);
  int shift = 0;  // +1: SO first, -1: SI first
  if (c.shiftset) {
    if (n == 1 && c.shifted)
      shift = -1;
    else if (n > 1 && !c.shifted)
      shift = 1;
  }
  const uint32_t total = n + (shift != 0 ? 1u : 0u);
  if (left(c) < total) return 0;
  if (shift != 0) {
    const li_csdef* d = csdef(c);
    *c.cur++ = shift > 0 ? d->cs_shift_out : d->cs_shift_in;
    c.shifted = shift > 0 ? 1 : 0;
  }
  for (uint32_t i = n; i-- > 0;) *c.cur++ = static_cast<uint8_t>(w >> (8 * i));
  return total;
}

// limwclose: SI when the text is in double-byte mode.
inline uint32_t close(lim_cursor& c) {
  if (!c.shiftset || !c.shifted || left(c) < 1) return 0;
  *c.cur++ = csdef(c)->cs_shift_in;
  c.shifted = 0;
  return 1;
}

// limwterm: NUL, preceded by SI in double-byte mode; a NUL is written as any single-byte
// character is.
inline uint32_t terminate(lim_cursor& c) { return put(c, 0); }

// The shift byte the destination needs before the source's current character: the
// destination's SO or SI, or 0 when the states agree (or the set has no shift state).
inline uint8_t needed_shift(const lim_cursor& dst, const lim_cursor& src) {
  if (!dst.shiftset || (dst.shifted != 0) == (src.shifted != 0)) return 0;
  const li_csdef* d = csdef(dst);
  return src.shifted ? d->cs_shift_out : d->cs_shift_in;
}

// limcpbx: the bytes a copy of the source's current character writes.
inline uint32_t copy_size(const lim_cursor& dst, const lim_cursor& src) {
  const uint32_t n = lim_charbytes(&src);
  if (n == 0) return 0;
  return n + (needed_shift(dst, src) != 0 ? 1 : 0);
}

// limcpnx: the source's current character (and the shift byte it needs) to the destination;
// the source stays. Returns the bytes written; 0 with *no_room set when they do not fit.
inline uint32_t copy_char(lim_cursor& dst, const lim_cursor& src, bool* no_room) {
  *no_room = false;
  const uint32_t n = lim_charbytes(&src);
  if (n == 0) return 0;
  const uint8_t shift = needed_shift(dst, src);
  const uint32_t total = n + (shift != 0 ? 1 : 0);
  if (left(dst) < total) {
    *no_room = true;
    return 0;
  }
  if (shift != 0) {
    *dst.cur++ = shift;
    dst.shifted = src.shifted ? 1 : 0;
  }
  memcpy(dst.cur, src.cur, n);
  dst.cur += n;
  return total;
}

// limcpcx: copy_char, then the source steps over the character and a shift byte after it.
// Returns the bytes written; *consumed is the source bytes consumed.
inline uint32_t copy_step(lim_cursor& dst, lim_cursor& src, uint32_t* consumed,
                          bool* no_room) {
  *consumed = 0;
  const uint32_t written = copy_char(dst, src, no_room);
  if (written == 0) return 0;
  const uint32_t n = take_shift(src, lim_charbytes(&src), true);
  src.cur += n;
  *consumed = n;
  return written;
}

}  // namespace zunt::cursor
