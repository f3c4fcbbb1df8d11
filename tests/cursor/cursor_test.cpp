// The character cursor over the three kinds of character set: opening, stepping, reading,
// classification, writing and copying, the shift bytes of shift-sensitive text, and the
// bounds that hold whatever the bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nlsstr/cursor_inl.h"
#include "text_support.h"
#include "zunt/cursor.h"
#include "zunt/nls.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t SO = 0x0E, SI = 0x0F;

// A handle for the character set of that name; the name must exist.
li_handle handle_for(const char* name) {
  int32_t not_found = 1;
  const li_handle h = zunt_support::handle_for(name, &not_found);
  EXPECT_EQ(not_found, 0) << name;
  return h;
}

// Text held in a heap block of exactly its size, so that a read past the end is caught by
// the address sanitizer.
struct Text {
  explicit Text(const Bytes& b) : bytes(b) {}
  Bytes bytes;
  uint8_t* data() { return bytes.empty() ? nullptr : bytes.data(); }
  uint32_t size() const { return static_cast<uint32_t>(bytes.size()); }
};

std::string hex(const uint8_t* p, size_t n) {
  std::string s;
  char buf[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%02X ", p[i]);
    s += buf;
  }
  return s;
}

// ---- Walking ----

// A text, how a walk with limfwdx divides it (bytes advanced per step) and the wide code
// of each character (read before its step).
struct WalkCase {
  const char* set;
  Bytes text;
  int32_t opened;  // limcpen result
  std::vector<uint32_t> steps;
  std::vector<uint32_t> codes;
};

const WalkCase kWalks[] = {
    // Single-byte sets: one byte per character.
    {"WE8ISO8859P1", {'c', 0xE9, 'A', 0x00, 0xFF}, 0, {1, 1, 1, 1, 1}, {'c', 0xE9, 'A', 0, 0xFF}},
    {"WE8EBCDIC500", {0xC1, 0x0E, 0xF0}, 0, {1, 1, 1}, {0xC1, 0x0E, 0xF0}},
    // JA16EUC: "日本" A "ａ", a half-width katakana behind 0x8E, 0x8F is no lead byte here.
    {"JA16EUC",
     {0xC6, 0xFC, 0xCB, 0xDC, 'A', 0xA3, 0xE1, 0x8E, 0xB1, 0x8F},
     0,
     {2, 2, 1, 2, 2, 1},
     {0xC6FC, 0xCBDC, 'A', 0xA3E1, 0x8EB1, 0x8F}},
    // JA16SJIS: "日" A half-width katakana (single byte) "Ａ".
    {"JA16SJIS", {0x93, 0xFA, 'A', 0xB1, 0x82, 0x60}, 0, {2, 1, 1, 2}, {0x93FA, 'A', 0xB1, 0x8260}},
    // ZHT32EUC: plane 1 in two bytes, plane 2 behind 0x8E 0xA2 in four.
    {"ZHT32EUC",
     {0xC4, 0xA1, 0x8E, 0xA2, 0xA1, 0xA1, 'x', 0x8E, 0xA1, 0xC4, 0xA1},
     0,
     {2, 4, 1, 4},
     {0xC4A1, 0x8EA2A1A1, 'x', 0x8EA1C4A1}},
    // ZHT16BIG5: "一" "中" and a trail byte below 0x80.
    {"ZHT16BIG5", {0xA4, 0x40, 'z', 0xA4, 0xA4}, 0, {2, 1, 2}, {0xA440, 'z', 0xA4A4}},
    // JA16DBCS: SO at the start is consumed by the opening; the SI after the last
    // double-byte character by the step over it.
    {"JA16DBCS",
     {SO, 0x45, 0x62, 0x45, 0x66, SI, 0xC1, SO, 0x42, 0x81, SI},
     1,
     {2, 3, 2, 3},
     {0x4562, 0x4566, 0xC1, 0x4281}},
    // A leading SI is consumed too, and leaves single-byte mode.
    {"JA16DBCS", {SI, 0xC1, 0xC2}, 1, {1, 1}, {0xC1, 0xC2}},
    // JA16TSTSET: ASCII with SO/SI around host double-byte codes.
    {"JA16TSTSET", {'a', SO, 0x45, 0x41, SI, 'b'}, 0, {2, 3, 1}, {'a', 0x4541, 'b'}},
};

TEST(CursorWalk, StepsAndWideCodes) {
  for (const WalkCase& w : kWalks) {
    SCOPED_TRACE(std::string(w.set) + ": " + hex(w.text.data(), w.text.size()));
    const li_handle h = handle_for(w.set);
    Text t(w.text);
    lim_cursor c;
    EXPECT_EQ(limcpen(t.data(), t.size(), &c, &h), w.opened);
    std::vector<uint32_t> steps, codes;
    while (lim_offset(&c) < c.len) {
      codes.push_back(limc2wx(&c));
      steps.push_back(limfwdx(&c));
    }
    EXPECT_EQ(steps, w.steps);
    EXPECT_EQ(codes, w.codes);
    EXPECT_EQ(c.cur, t.data() + t.size());

    // lim_next and the library's own inline step divide the text the same way.
    lim_cursor a, b;
    limcpen(t.data(), t.size(), &a, &h);
    limcpen(t.data(), t.size(), &b, &h);
    std::vector<uint32_t> inline_steps, lib_steps;
    while (lim_offset(&a) < a.len) inline_steps.push_back(lim_next(&a));
    while (lim_offset(&b) < b.len) lib_steps.push_back(zunt::cursor::next(b));
    EXPECT_EQ(inline_steps, w.steps);
    EXPECT_EQ(lib_steps, w.steps);
  }
}

TEST(CursorOpen, KindsAndLeadingShift) {
  const li_handle ascii = handle_for("US7ASCII");
  const li_handle euc = handle_for("JA16EUC");
  const li_handle dbcs = handle_for("JA16DBCS");
  uint8_t text[] = {SO, 0x45, 0x62, SI};
  lim_cursor c;

  EXPECT_EQ(limopen(text, 4, &c, &ascii, 0), 0);
  EXPECT_EQ(c.sb, 1u);
  EXPECT_EQ(c.shiftset, 0u);
  EXPECT_EQ(c.hdl, &ascii);
  EXPECT_EQ(c.cur, text);

  EXPECT_EQ(limopen(text, 4, &c, &euc, 0), 0);
  EXPECT_EQ(c.sb, 0u);
  EXPECT_EQ(c.shiftset, 0u);

  EXPECT_EQ(limopen(text, 4, &c, &dbcs, 0), 1);
  EXPECT_EQ(c.sb, 0u);
  EXPECT_NE(c.shiftset, 0u);
  EXPECT_EQ(c.shifted, 1u);
  EXPECT_EQ(c.cur, text + 1);
  EXPECT_EQ(c.start, text);
  EXPECT_EQ(c.len, 4u);

  // For output the first byte is not looked at.
  EXPECT_EQ(limopen(text, 4, &c, &dbcs, 1), 0);
  EXPECT_EQ(c.shifted, 0u);
  EXPECT_EQ(c.cur, text);

  // An empty text is not read at all.
  EXPECT_EQ(limcpen(nullptr, 0, &c, &dbcs), 0);
  EXPECT_EQ(c.cur, nullptr);

  // limral moves to another buffer and keeps the shift state.
  uint8_t other[] = {0x45, 0x41, 0x45, 0x42};
  limcpen(text, 4, &c, &dbcs);
  limral(&c, other, 4, 2);
  EXPECT_EQ(c.start, other);
  EXPECT_EQ(c.len, 4u);
  EXPECT_EQ(c.cur, other + 2);
  EXPECT_EQ(c.shifted, 1u);
  EXPECT_EQ(limc2wx(&c), 0x4542u);
}

TEST(CursorWalk, ShiftBytesAroundCharacters) {
  const li_handle h = handle_for("JA16DBCS");
  // SO c1 c2 SI x: stepping over the double-byte character consumes the SI as well.
  {
    uint8_t t[] = {SO, 0x45, 0x62, SI, 0xC1};
    lim_cursor c;
    limcpen(t, sizeof t, &c, &h);
    EXPECT_EQ(limfwdx(&c), 3u);
    EXPECT_EQ(c.shifted, 0u);
    EXPECT_EQ(c.cur, t + 4);
  }
  // A shift byte beyond len is not looked at; the last byte within len is consumed.
  {
    uint8_t t[] = {SO, 0x45, 0x62, SI};
    lim_cursor c;
    limcpen(t, 3, &c, &h);
    EXPECT_EQ(limfwdx(&c), 2u);
    EXPECT_EQ(c.shifted, 1u);
    EXPECT_EQ(c.cur, t + 3);
    limcpen(t, 4, &c, &h);
    EXPECT_EQ(limfwdx(&c), 3u);
    EXPECT_EQ(c.shifted, 0u);
    EXPECT_EQ(c.cur, t + 4);
  }
  // x SO c1 c2: the SO after a single-byte character is consumed by its step.
  {
    uint8_t t[] = {0xC1, SO, 0x45, 0x62};
    lim_cursor c;
    limcpen(t, sizeof t, &c, &h);
    EXPECT_EQ(limfwdx(&c), 2u);
    EXPECT_EQ(c.shifted, 1u);
    EXPECT_EQ(limc2wx(&c), 0x4562u);
  }
  // Only the first byte after a character is examined: SI SI leaves the second SI as a
  // character of its own.
  {
    uint8_t t[] = {SO, 0x45, 0x62, SI, SI, 0xC1};
    lim_cursor c;
    limcpen(t, sizeof t, &c, &h);
    EXPECT_EQ(limfwdx(&c), 3u);
    EXPECT_EQ(c.cur, t + 4);
    EXPECT_EQ(limfwdx(&c), 1u);
    EXPECT_EQ(limc2wx(&c), 0xC1u);
  }
}

TEST(CursorWalk, NextAtOrPastTheEndAdvancesOneByte) {
  const li_handle h = handle_for("JA16SJIS");
  uint8_t t[8] = {0x82, 0x60, 0x82, 0x60};
  lim_cursor c;
  limcpen(t, 2, &c, &h);  // only the first character is in the text
  EXPECT_EQ(lim_next(&c), 2u);
  EXPECT_EQ(lim_next(&c), 1u);  // at len: one byte, although 0x82 is a lead byte
  EXPECT_EQ(c.cur, t + 3);
  EXPECT_EQ(lim_next(&c), 1u);  // past len
  EXPECT_EQ(limfwdx(&c), 1u);   // the out-of-line step does not read there either
  EXPECT_EQ(lim_charlen(&c), 1u);
  EXPECT_EQ(lim_charbytes(&c), 0u);
  EXPECT_EQ(limc2wx(&c), 0u);
  EXPECT_EQ(limalpx(&c), 0u);
}

// ---- Reading and classification ----

enum : uint32_t {
  ALPHA = 1 << 0,
  DIGIT = 1 << 1,
  XDIGIT = 1 << 2,
  SPACE = 1 << 3,
  BLANK = 1 << 4,
  PUNCT = 1 << 5,
  GRAPH = 1 << 6,
  PRINT = 1 << 7,
  UPPER = 1 << 8,
  LOWER = 1 << 9,
  CNTRL = 1 << 10,
  ALNUM = 1 << 11,
};

uint32_t classes_of(const lim_cursor& c) {
  uint32_t k = 0;
  if (limalpx(&c)) k |= ALPHA;
  if (limdigx(&c)) k |= DIGIT;
  if (limxdix(&c)) k |= XDIGIT;
  if (limspax(&c)) k |= SPACE;
  if (limblax(&c)) k |= BLANK;
  if (limpunx(&c)) k |= PUNCT;
  if (limgrax(&c)) k |= GRAPH;
  if (limprix(&c)) k |= PRINT;
  if (limuppx(&c)) k |= UPPER;
  if (limlowx(&c)) k |= LOWER;
  if (limcntx(&c)) k |= CNTRL;
  if (limalnx(&c)) k |= ALNUM;
  return k;
}

struct ClassCase {
  const char* set;
  Bytes text;  // the character (after a leading SO for double-byte mode)
  uint32_t classes;
  uint32_t width;  // limdspx
  int32_t single;  // lim_issb
};

constexpr uint32_t kLetterUp = ALPHA | GRAPH | PRINT | UPPER | ALNUM;
constexpr uint32_t kLetterLow = ALPHA | GRAPH | PRINT | LOWER | ALNUM;
constexpr uint32_t kHexUp = kLetterUp | XDIGIT;
constexpr uint32_t kDigit = DIGIT | XDIGIT | GRAPH | PRINT | ALNUM;

const ClassCase kClasses[] = {
    // Single-byte sets, through the internal code and liclas.
    {"WE8ISO8859P1", {0xE9}, kLetterLow, 1, 1},                      // é
    {"WE8ISO8859P1", {'A'}, kHexUp, 1, 1},
    {"WE8ISO8859P1", {'7'}, kDigit, 1, 1},
    {"WE8ISO8859P1", {' '}, SPACE | BLANK | PRINT, 1, 1},
    {"WE8ISO8859P1", {'\t'}, SPACE | CNTRL, 1, 1},
    {"WE8ISO8859P1", {','}, PUNCT | GRAPH | PRINT, 1, 1},
    {"WE8EBCDIC500", {0xF7}, kDigit, 1, 1},                          // EBCDIC "7"
    {"WE8EBCDIC500", {0x81}, kLetterLow | XDIGIT, 1, 1},             // EBCDIC "a"
    // Single-byte characters of multibyte sets, through the attribute words.
    {"JA16EUC", {'a'}, kLetterLow | XDIGIT, 1, 1},
    {"JA16EUC", {'9'}, kDigit, 1, 1},
    {"JA16EUC", {' '}, SPACE | BLANK | PRINT, 1, 1},
    {"JA16EUC", {0x01}, CNTRL, 1, 1},
    {"JA16EUC", {'_'}, PUNCT | GRAPH | PRINT, 1, 1},
    // Multibyte characters, through the class tree.
    {"JA16SJIS", {0x82, 0x60}, kHexUp, 2, 0},                        // Ａ
    {"JA16SJIS", {0x82, 0x81}, kLetterLow | XDIGIT, 2, 0},           // ａ
    {"JA16SJIS", {0x82, 0x4F}, kDigit, 2, 0},                        // ０
    {"JA16SJIS", {0x81, 0x40}, SPACE | BLANK | PRINT, 2, 0},         // ideographic space
    {"JA16SJIS", {0x81, 0x51}, PUNCT | GRAPH | PRINT, 2, 0},         // ＿
    {"JA16SJIS", {0x93, 0xFA}, ALPHA | GRAPH | PRINT | ALNUM, 2, 0}, // 日
    {"JA16SJIS", {0xB1}, ALPHA | GRAPH | PRINT | ALNUM, 1, 1},       // half-width katakana
    {"JA16EUC", {0xA3, 0xC1}, kHexUp, 2, 0},                         // Ａ
    {"JA16EUC", {0x8E, 0xB1}, ALPHA | GRAPH | PRINT | ALNUM, 1, 0},  // half-width katakana
    {"JA16EUC", {0xA1, 0xA1}, SPACE | BLANK | PRINT, 2, 0},
    {"ZHT32EUC", {0x8E, 0xA2, 0xA1, 0xA1}, ALPHA | GRAPH | PRINT | ALNUM, 2, 0},
    {"ZHT32EUC", {0xC4, 0xA1}, ALPHA | GRAPH | PRINT | ALNUM, 2, 0},
    {"ZHT32EUC", {0xA4, 0xDB}, kLetterLow | XDIGIT, 2, 0},          // ａ
    {"ZHT16BIG5", {0xA4, 0x40}, ALPHA | GRAPH | PRINT | ALNUM, 2, 0},
    {"ZHT16BIG5", {0xA2, 0xCF}, kHexUp, 2, 0},                       // Ａ
    {"KO16KSC5601", {0xA3, 0xB1}, kDigit, 2, 0},                     // １
    {"JA16DBCS", {SO, 0x42, 0xC1}, kHexUp, 2, 0},                    // Ａ in double-byte mode
    {"JA16DBCS", {SO, 0x40, 0x40}, SPACE | BLANK | PRINT, 2, 0},
    {"JA16DBCS", {0xC1}, kHexUp, 1, 1},                              // EBCDIC "A"
    // Undefined codes have no class but are still one character.
    {"JA16SJIS", {0x85, 0x40}, 0, 1, 0},
};

TEST(CursorClass, TableOfCharacters) {
  for (const ClassCase& k : kClasses) {
    SCOPED_TRACE(std::string(k.set) + ": " + hex(k.text.data(), k.text.size()));
    const li_handle h = handle_for(k.set);
    Text t(k.text);
    lim_cursor c;
    limcpen(t.data(), t.size(), &c, &h);
    EXPECT_EQ(classes_of(c), k.classes);
    EXPECT_EQ(limdspx(&c), k.width);
    EXPECT_EQ(lim_issb(&c) != 0, k.single != 0);
    // The inline wrappers agree with the exported operations.
    EXPECT_EQ(lim_isalpha(&c) != 0, (k.classes & ALPHA) != 0);
    EXPECT_EQ(lim_isdigit(&c) != 0, (k.classes & DIGIT) != 0);
    EXPECT_EQ(lim_isspace(&c) != 0, (k.classes & SPACE) != 0);
    EXPECT_EQ(lim_isxdigit(&c) != 0, (k.classes & XDIGIT) != 0);
    EXPECT_EQ(lim_isalnum(&c) != 0, (k.classes & ALNUM) != 0);
    if (!lim_issb(&c)) {
      EXPECT_EQ(limcntx(&c), 0u);
      EXPECT_EQ(limctv(&c) != 0, k.classes != 0);
    }
  }
}

TEST(CursorClass, NoMultibyteCharacterIsAControl) {
  // Every byte pair of the two-byte sets and every double-byte pair of the host set.
  for (const char* set : {"JA16SJIS", "JA16EUC", "ZHT16BIG5", "KO16KSC5601", "JA16DBCS"}) {
    const li_handle h = handle_for(set);
    const bool shift = std::strcmp(set, "JA16DBCS") == 0;
    unsigned multibyte = 0;
    for (unsigned b0 = 1; b0 < 256; ++b0)
      for (unsigned b1 = 1; b1 < 256; ++b1) {
        uint8_t t[3] = {SO, static_cast<uint8_t>(b0), static_cast<uint8_t>(b1)};
        lim_cursor c;
        limcpen(shift ? t : t + 1, shift ? 3 : 2, &c, &h);
        if (lim_issb(&c)) continue;
        ++multibyte;
        ASSERT_EQ(limcntx(&c), 0u) << set << " " << b0 << " " << b1;
      }
    EXPECT_GT(multibyte, 5000u) << set;
  }
}

TEST(CursorClass, LeafWordsAndWidth) {
  const li_handle sjis = handle_for("JA16SJIS");
  uint8_t a[] = {0x82, 0x60};
  lim_cursor c;
  limcpen(a, 2, &c, &sjis);
  const uint16_t leaf = limctv(&c);
  EXPECT_TRUE(leaf & LI_MBL_ALPHA);
  EXPECT_TRUE(leaf & LI_MBL_UPPER);
  EXPECT_TRUE(leaf & LI_MBL_WIDE);
  EXPECT_EQ(limdspx(&c), 2u);
  EXPECT_EQ(limc2wx(&c), 0x8260u);
  // The ideographic space prints but is not graphic.
  uint8_t sp[] = {0x81, 0x40};
  limcpen(sp, 2, &c, &sjis);
  EXPECT_NE(limprix(&c), 0u);
  EXPECT_EQ(limgrax(&c), 0u);
  // Half-width katakana behind 0x8E in JA16EUC are two bytes but one column wide.
  const li_handle euc = handle_for("JA16EUC");
  uint8_t kana[] = {0x8E, 0xB1};
  limcpen(kana, 2, &c, &euc);
  EXPECT_EQ(limdspx(&c), 1u);
  EXPECT_FALSE(lim_issb(&c));
}

struct EqCase {
  const char* set;
  Bytes text;
  uint8_t ch;
  bool chareq;  // lim_chareq
  bool ctex;    // limctex
};

const EqCase kEq[] = {
    {"JA16SJIS", {0x82, 0x60}, 'A', true, true},    // full-width A
    {"JA16SJIS", {0x82, 0x60}, 'B', false, false},
    {"JA16SJIS", {0x81, 0x51}, '_', true, true},    // full-width low line
    {"JA16SJIS", {0x81, 0x40}, ' ', true, true},    // ideographic space
    {"JA16SJIS", {'A'}, 'A', true, false},          // a table is present: limctex compares
                                                    // the single byte with the wide form
    {"JA16SJIS", {0x0A}, 0x0A, true, true},         // outside the table's range: the byte
    {"JA16SJIS", {0x7F}, 0x7F, true, true},         // in range without a full-width form
    {"JA16SJIS", {0x00}, 0x7F, false, false},
    {"JA16EUC", {0xA3, 0xC1}, 'A', true, true},
    {"ZHT16BIG5", {0xA2, 0xCF}, 'A', true, true},
    {"JA16DBCS", {SO, 0x42, 0xC1}, 0xC1, true, true},  // EBCDIC "A" and its full-width form
    {"JA16DBCS", {SO, 0x42, 0xC1}, 0xC2, false, false},
    {"WE8ISO8859P1", {'A'}, 'A', true, true},       // no table in a single-byte set
    {"WE8ISO8859P1", {'A'}, 'a', false, false},
};

TEST(CursorClass, CharEqAndFullWidth) {
  for (const EqCase& e : kEq) {
    SCOPED_TRACE(std::string(e.set) + ": " + hex(e.text.data(), e.text.size()) + "vs " +
                 std::to_string(e.ch));
    const li_handle h = handle_for(e.set);
    Text t(e.text);
    lim_cursor c;
    limcpen(t.data(), t.size(), &c, &h);
    EXPECT_EQ(lim_chareq(&c, e.ch) != 0, e.chareq);
    EXPECT_EQ(zunt::cursor::chareq(c, e.ch), e.chareq);
    EXPECT_EQ(limctex(&c, e.ch) != 0, e.ctex);
  }
}

// ---- Writing ----

TEST(CursorWrite, ShiftBytesWhereNeeded) {
  const li_handle h = handle_for("JA16DBCS");
  uint8_t out[32];
  std::memset(out, 0xAA, sizeof out);
  lim_cursor c;
  EXPECT_EQ(limopen(out, sizeof out, &c, &h, 1), 0);
  EXPECT_EQ(limpuc(&c, 0xC1), 1u);          // single-byte mode: no shift byte
  EXPECT_EQ(liwc2mx(0x4562, &c), 3u);       // SO first
  EXPECT_EQ(liwc2mx(0x4566, &c), 2u);       // already in double-byte mode
  EXPECT_EQ(limpuc(&c, 0xC2), 2u);          // SI first
  EXPECT_EQ(liwc2mx(0xC3, &c), 1u);         // a code below 256 in single-byte mode
  EXPECT_EQ(liwc2mx(0x4281, &c), 3u);
  EXPECT_EQ(liwc2mx(0xC4, &c), 2u);         // SI, then the byte
  EXPECT_EQ(limwclose(&c), 0u);             // single-byte mode: nothing to close
  EXPECT_EQ(liwc2mx(0x4040, &c), 3u);
  EXPECT_EQ(limwterm(&c), 2u);              // SI and NUL
  EXPECT_EQ(c.shifted, 0u);
  const Bytes want = {0xC1, SO, 0x45, 0x62, 0x45, 0x66, SI, 0xC2, 0xC3, SO, 0x42,
                      0x81, SI, 0xC4, SO, 0x40, 0x40, SI, 0x00};
  ASSERT_EQ(static_cast<size_t>(c.cur - c.start), want.size());
  EXPECT_EQ(Bytes(out, out + want.size()), want);
  EXPECT_EQ(out[want.size()], 0xAA);

  // Reading it back gives the same characters.
  lim_cursor r;
  limcpen(out, LIM_NULTERM, &r, &h);
  std::vector<uint32_t> codes;
  while (*r.cur != 0) {
    codes.push_back(limc2wx(&r));
    lim_next(&r);
  }
  EXPECT_EQ(codes, (std::vector<uint32_t>{0xC1, 0x4562, 0x4566, 0xC2, 0xC3, 0x4281, 0xC4,
                                          0x4040}));
  EXPECT_EQ(r.shifted, 0u);

  // limwclose in double-byte mode.
  limopen(out, sizeof out, &c, &h, 1);
  liwc2mx(0x4562, &c);
  EXPECT_EQ(limwclose(&c), 1u);
  EXPECT_EQ(c.shifted, 0u);
  EXPECT_EQ(Bytes(out, c.cur), (Bytes{SO, 0x45, 0x62, SI}));
}

TEST(CursorWrite, WideCodesByMagnitude) {
  struct {
    const char* set;
    uint32_t code;
    Bytes bytes;
  } const cases[] = {
      {"JA16EUC", 'A', {'A'}},
      {"JA16EUC", 0xA4A2, {0xA4, 0xA2}},
      {"ZHT32EUC", 0x8EA2A1A1, {0x8E, 0xA2, 0xA1, 0xA1}},
      {"JA16EUC", 0x8FB0A1, {0x8F, 0xB0, 0xA1}},  // three bytes by magnitude
      {"WE8ISO8859P1", 0xE9, {0xE9}},
      {"JA16DBCS", 0xC1, {0xC1}},
      {"JA16DBCS", 0x4562, {SO, 0x45, 0x62}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.set);
    const li_handle h = handle_for(k.set);
    uint8_t out[8];
    lim_cursor c;
    limopen(out, sizeof out, &c, &h, 1);
    EXPECT_EQ(liwc2mx(k.code, &c), k.bytes.size());
    EXPECT_EQ(Bytes(out, c.cur), k.bytes);
    EXPECT_EQ(zunt::cursor::wide_bytes(k.code), k.bytes.size() - (k.bytes[0] == SO ? 1 : 0));
  }
}

TEST(CursorWrite, NoRoomWritesNothing) {
  const li_handle h = handle_for("JA16DBCS");
  uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  lim_cursor c;
  limopen(out, 3, &c, &h, 1);
  EXPECT_EQ(liwc2mx(0x4562, &c), 3u);
  EXPECT_EQ(limpuc(&c, 0xC1), 0u);  // needs SI and the byte: 2 > 0 left
  EXPECT_EQ(liwc2mx(0x4562, &c), 0u);
  EXPECT_EQ(limwterm(&c), 0u);
  EXPECT_EQ(limwclose(&c), 0u);
  EXPECT_EQ(c.cur, out + 3);
  EXPECT_EQ(c.shifted, 1u);
  EXPECT_EQ(out[3], 0xAA);
  // With room for the SI only, limwclose still closes.
  limopen(out, 4, &c, &h, 1);
  liwc2mx(0x4562, &c);
  EXPECT_EQ(limpuc(&c, 0xC1), 0u);
  EXPECT_EQ(limwclose(&c), 1u);
  EXPECT_EQ(out[3], SI);

  const li_handle sjis = handle_for("JA16SJIS");
  uint8_t two[2];
  limopen(two, 2, &c, &sjis, 1);
  EXPECT_EQ(limpuc(&c, 'x'), 1u);
  EXPECT_EQ(liwc2mx(0x8260, &c), 0u);
  EXPECT_EQ(limwterm(&c), 1u);
  EXPECT_EQ(limwterm(&c), 0u);
}

TEST(CursorWrite, AppendOverTrailingShiftIn) {
  const li_handle h = handle_for("JA16DBCS");
  // Existing text "c1c2" in double-byte mode, closed by SI, NUL-terminated.
  uint8_t buf[16] = {SO, 0x45, 0x62, SI, 0x00};
  lim_cursor c;
  limopen(buf, sizeof buf, &c, &h, 0);
  while (*c.cur != 0) lim_next(&c);
  EXPECT_EQ(c.shifted, 0u);  // the step over the last character consumed the SI
  EXPECT_EQ(c.cur, buf + 4);
  li_status st;
  st.code = 99;
  st.count = 99;
  // On the NUL: the byte before is SI; limr2w steps back onto it.
  EXPECT_EQ(limr2w(&c, &st), -1);
  EXPECT_EQ(st.code, 0);
  EXPECT_EQ(st.count, 0u);
  EXPECT_EQ(c.cur, buf + 3);
  EXPECT_EQ(c.shifted, 1u);
  EXPECT_EQ(liwc2mx(0x4566, &c), 2u);  // continues in double-byte mode, no new SO
  EXPECT_EQ(limwterm(&c), 2u);
  EXPECT_EQ(Bytes(buf, c.cur), (Bytes{SO, 0x45, 0x62, 0x45, 0x66, SI, 0x00}));

  // Counted text that ends "c1 c2 SI", walked to its end.
  uint8_t t2[] = {SO, 0x45, 0x62, SI};
  limcpen(t2, sizeof t2, &c, &h);
  EXPECT_EQ(limfwdx(&c), 3u);
  EXPECT_EQ(c.cur, t2 + 4);
  EXPECT_EQ(limr2w(&c, &st), -1);
  EXPECT_EQ(c.cur, t2 + 3);
  EXPECT_EQ(c.shifted, 1u);
  // After SO: back onto it, single-byte mode restored.
  uint8_t t3[] = {0xC1, SO, 0x45, 0x62};
  limcpen(t3, sizeof t3, &c, &h);
  limfwdx(&c);
  EXPECT_EQ(c.shifted, 1u);
  EXPECT_EQ(limr2w(&c, nullptr), -1);
  EXPECT_EQ(c.cur, t3 + 1);
  EXPECT_EQ(c.shifted, 0u);
  // Nothing to step back over: at the start, after an ordinary byte, in other sets.
  limcpen(t3, sizeof t3, &c, &h);
  EXPECT_EQ(limr2w(&c, &st), 0);
  EXPECT_EQ(c.cur, t3);
  limfwdx(&c);
  limfwdx(&c);
  EXPECT_EQ(limr2w(&c, &st), 0);
  const li_handle sjis = handle_for("JA16SJIS");
  uint8_t t4[] = {'a', SI, 'b'};
  limcpen(t4, sizeof t4, &c, &sjis);
  limfwdx(&c);
  limfwdx(&c);
  EXPECT_EQ(limr2w(&c, &st), 0);
  EXPECT_EQ(c.cur, t4 + 2);
}

// ---- Copying ----

TEST(CursorCopy, ShiftSensitiveTextCharacterByCharacter) {
  const li_handle h = handle_for("JA16DBCS");
  uint8_t in[] = {SO, 0x45, 0x62, 0x45, 0x66, SI, 0xC1, 0xC2, SO, 0x42, 0x81};
  uint8_t out[32];
  lim_cursor src, dst;
  limcpen(in, sizeof in, &src, &h);
  limopen(out, sizeof out, &dst, &h, 1);
  struct Step {
    uint32_t written, consumed, size;
  };
  const Step want[] = {{3, 2, 3}, {2, 3, 2}, {2, 1, 2}, {1, 2, 1}, {3, 2, 3}};
  for (const Step& s : want) {
    int32_t st = 99;
    lim_cursor probe = src;
    EXPECT_EQ(limcpbx(&dst, &src, &st), s.size);
    EXPECT_EQ(st, 0);
    li_status status;
    std::memset(&status, 0xFF, sizeof status);
    EXPECT_EQ(limcpcx(&dst, &src, &status), s.written);
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(status.count, s.consumed);
    EXPECT_EQ(static_cast<uint32_t>(src.cur - probe.cur), s.consumed);
  }
  EXPECT_EQ(src.cur, in + sizeof in);
  EXPECT_EQ(limwclose(&dst), 1u);
  EXPECT_EQ(Bytes(out, dst.cur),
            (Bytes{SO, 0x45, 0x62, 0x45, 0x66, SI, 0xC1, 0xC2, SO, 0x42, 0x81, SI}));
}

TEST(CursorCopy, NonMovingCopyAndRoom) {
  const li_handle h = handle_for("JA16DBCS");
  uint8_t in[] = {SO, 0x45, 0x62};
  uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  lim_cursor src, dst;
  limcpen(in, sizeof in, &src, &h);
  limopen(out, 2, &dst, &h, 1);
  int32_t st = 0;
  EXPECT_EQ(limcpbx(&dst, &src, &st), 3u);
  EXPECT_EQ(limcpnx(&dst, &src, &st), 0u);  // SO and two bytes do not fit in 2
  EXPECT_EQ(st, LI_STATUS_NO_ROOM);
  li_status status;
  EXPECT_EQ(limcpcx(&dst, &src, &status), 0u);
  EXPECT_EQ(status.code, LI_STATUS_NO_ROOM);
  EXPECT_EQ(status.count, 0u);
  EXPECT_EQ(src.cur, in + 1);
  EXPECT_EQ(dst.cur, out);
  EXPECT_EQ(out[0], 0xAA);

  limopen(out, 4, &dst, &h, 1);
  EXPECT_EQ(limcpnx(&dst, &src, &st), 3u);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(src.cur, in + 1);  // the source stays
  EXPECT_EQ(dst.shifted, 1u);
  EXPECT_EQ(Bytes(out, dst.cur), (Bytes{SO, 0x45, 0x62}));
  // A second copy of the same character needs no shift byte any more.
  EXPECT_EQ(limcpbx(&dst, &src, &st), 2u);
}

TEST(CursorCopy, MultibyteSets) {
  for (const WalkCase& w : kWalks) {
    SCOPED_TRACE(std::string(w.set) + ": " + hex(w.text.data(), w.text.size()));
    const li_handle h = handle_for(w.set);
    Text t(w.text);
    std::vector<uint8_t> out(t.size() + 4);
    lim_cursor src, dst;
    limcpen(t.data(), t.size(), &src, &h);
    limopen(out.data(), static_cast<uint32_t>(out.size()), &dst, &h, 1);
    li_status st;
    uint32_t consumed = 0;
    while (lim_offset(&src) < src.len) {
      ASSERT_GT(limcpcx(&dst, &src, &st), 0u);
      consumed += st.count;
    }
    limwclose(&dst);
    EXPECT_EQ(consumed + static_cast<uint32_t>(w.opened), t.size());
    // A copy of the walk gives the same characters.
    lim_cursor r;
    limcpen(out.data(), static_cast<uint32_t>(dst.cur - dst.start), &r, &h);
    std::vector<uint32_t> codes;
    while (lim_offset(&r) < r.len) {
      codes.push_back(limc2wx(&r));
      limfwdx(&r);
    }
    EXPECT_EQ(codes, w.codes);
  }
}

// glibc iconv as an independent encoder: the text in the named encoding, ending in
// single-byte mode; false when iconv cannot convert all of it.
bool iconv_text(const std::string& utf8, const char* to, std::string* out) {
  return zunt_support::iconv_convert(utf8, "UTF-8", to, out);
}

// The cursor divides text that iconv encoded into the characters iconv encoded one by one.
TEST(CursorReference, DividesIconvTextIntoItsCharacters) {
  // ASCII, kana (full and half width), kanji and hanzi of two-byte and four-byte forms,
  // hangul, full-width forms, Greek, Cyrillic, the ideographic space; each set takes those
  // it has.
  static const char* const kChars[] = {"A", "z", "9", " ", "~", "\xE6\x97\xA5", "\xE6\x9C\xAC",
                                       "\xE4\xB8\xAD", "\xE4\xB8\x80", "\xE4\xB9\x82",
                                       "\xED\x95\x9C", "\xE3\x81\x82", "\xE3\x82\xA2",
                                       "\xEF\xBD\xB1", "\xEF\xBC\xA1", "\xEF\xBC\x90",
                                       "\xE3\x80\x80", "\xCE\xB1", "\xD0\x96", "\xEF\xBC\xBF"};
  struct {
    const char* set;
    const char* encoding;
    bool stateful;
  } const kSets[] = {
      {"JA16EUC", "EUC-JP", false},      {"JA16SJIS", "SHIFT_JIS", false},
      {"KO16KSC5601", "EUC-KR", false},  {"ZHS16CGB231280", "GB2312", false},
      {"ZHT32EUC", "EUC-TW", false},     {"ZHT16BIG5", "BIG5", false},
      {"JA16DBCS", "IBM939", true},      {"JA16EBCDIC930", "IBM930", true},
      {"KO16DBCS", "IBM933", true},
  };
  for (const auto& k : kSets) {
    SCOPED_TRACE(k.set);
    std::vector<std::pair<const char*, std::string>> known;  // character, its own bytes
    for (const char* ch : kChars) {
      std::string one;
      if (!iconv_text(ch, k.encoding, &one)) continue;
      // Shift bytes are not part of a character.
      if (k.stateful && one.size() > 2 && one.front() == '\x0E' && one.back() == '\x0F')
        one = one.substr(1, one.size() - 2);
      known.emplace_back(ch, one);
    }
    // In order, then shuffled, so that characters of each kind follow one another.
    std::string utf8;
    std::vector<std::string> pieces;
    const size_t n = known.size();
    for (size_t i = 0; i < 2 * n; ++i) {
      const auto& [ch, one] = known[i < n ? i : (i * 7 + 3) % n];
      utf8 += ch;
      pieces.push_back(one);
    }
    ASSERT_GE(pieces.size(), 16u);
    std::string text;
    ASSERT_TRUE(iconv_text(utf8, k.encoding, &text));
    const li_handle h = handle_for(k.set);
    Text t(Bytes(text.begin(), text.end()));
    lim_cursor c;
    limcpen(t.data(), t.size(), &c, &h);
    std::vector<std::string> got;
    while (lim_offset(&c) < c.len) {
      got.emplace_back(reinterpret_cast<const char*>(c.cur), lim_charbytes(&c));
      EXPECT_NE(limdspx(&c), 0u);
      limfwdx(&c);
    }
    EXPECT_EQ(got, pieces);
    EXPECT_EQ(c.shifted, 0u);
  }
}

// ---- Bounds: bad input has a defined result and nothing is read outside the text ----

struct BoundsCase {
  const char* set;
  Bytes text;
  uint32_t len;  // LIM_NULTERM or the text's size (0 for the size)
  std::vector<uint32_t> steps;
  std::vector<uint32_t> codes;
};

const BoundsCase kBounds[] = {
    // A lead byte at the end: a single-byte character of its own.
    {"JA16SJIS", {'a', 0x82}, 0, {1, 1}, {'a', 0x82}},
    {"JA16EUC", {0xA4}, 0, {1}, {0xA4}},
    // The 4-byte form cut off after 2 and after 3 bytes.
    {"ZHT32EUC", {0x8E, 0xA2}, 0, {1, 1}, {0x8E, 0xA2}},
    {"ZHT32EUC", {'x', 0x8E, 0xA2, 0xA1}, 0, {1, 1, 2}, {'x', 0x8E, 0xA2A1}},
    // A NUL never belongs to a multibyte character.
    {"JA16SJIS", {0x82, 0x00, 0x60}, 0, {1, 1, 1}, {0x82, 0x00, 0x60}},
    {"ZHT32EUC", {0x8E, 0xA2, 0x00, 0xA1}, 0, {1, 1, 1, 1}, {0x8E, 0xA2, 0x00, 0xA1}},
    // Invalid trail bytes: the lead byte still tells the length.
    {"JA16EUC", {0xA4, 0x41, 0x42}, 0, {2, 1}, {0xA441, 0x42}},
    {"ZHT16BIG5", {0xA4, 0x0A}, 0, {2}, {0xA40A}},
    // Shift-sensitive text that ends inside a character or inside a shift sequence.
    {"JA16DBCS", {SO, 0x45}, 0, {1}, {0x45}},
    {"JA16DBCS", {SO}, 0, {}, {}},
    {"JA16DBCS", {0xC1, SO}, 0, {2}, {0xC1}},
    {"JA16DBCS", {SO, 0x45, SI, 0xC1}, 0, {2, 1}, {0x45, 0xC1}},
    // Stray shift bytes: SO in double-byte mode and SI in single-byte mode are characters.
    {"JA16DBCS", {SO, 0x45, 0x62, SO, 0x45, 0x66}, 0, {2, 1, 2}, {0x4562, SO, 0x4566}},
    {"JA16DBCS", {0xC1, SI, 0xC2}, 0, {1, 1, 1}, {0xC1, SI, 0xC2}},
    // NUL-terminated text: the walk stops at the NUL and nothing after it is read.
    {"JA16SJIS", {0x82, 0x60, 'b', 0x00}, LIM_NULTERM, {2, 1}, {0x8260, 'b'}},
    {"JA16SJIS", {'a', 0x82, 0x00}, LIM_NULTERM, {1, 1}, {'a', 0x82}},
    {"ZHT32EUC", {0x8E, 0xA2, 0xA1, 0x00}, LIM_NULTERM, {1, 2}, {0x8E, 0xA2A1}},
    {"JA16DBCS", {SO, 0x45, 0x00}, LIM_NULTERM, {1}, {0x45}},
    {"JA16DBCS", {SO, 0x45, 0x62, SI, 0x00}, LIM_NULTERM, {3}, {0x4562}},
    {"JA16DBCS", {0x00}, LIM_NULTERM, {}, {}},
};

TEST(CursorBounds, CutAndInvalidCharacters) {
  for (const BoundsCase& b : kBounds) {
    SCOPED_TRACE(std::string(b.set) + ": " + hex(b.text.data(), b.text.size()));
    const li_handle h = handle_for(b.set);
    Text t(b.text);
    const uint32_t len = b.len ? b.len : t.size();
    lim_cursor c;
    limcpen(t.data(), len, &c, &h);
    std::vector<uint32_t> steps, codes;
    while (lim_offset(&c) < c.len && (len != LIM_NULTERM || *c.cur != 0)) {
      codes.push_back(limc2wx(&c));
      // Every reading operation stays inside the text (checked by the sanitizer build).
      (void)classes_of(c);
      (void)limdspx(&c);
      (void)limctv(&c);
      (void)limctex(&c, 'A');
      EXPECT_LE(lim_charlen(&c), static_cast<uint32_t>(t.data() + t.size() - c.cur));
      steps.push_back(limfwdx(&c));
    }
    EXPECT_EQ(steps, b.steps);
    EXPECT_EQ(codes, b.codes);
    if (len != LIM_NULTERM) {
      EXPECT_EQ(c.cur, t.data() + t.size());
    } else {
      EXPECT_EQ(*c.cur, 0);
      // Stepping on the NUL itself does not look past it.
      EXPECT_EQ(limfwdx(&c), 1u);
    }
  }
}

// Every built-in character set walks every byte value, alone and in pairs, without
// leaving the text, and the pieces add up to the text.
TEST(CursorBounds, EveryCharacterSetEveryByte) {
  Bytes all;
  for (unsigned i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
  for (unsigned i = 0; i < 256; ++i) {
    all.push_back(static_cast<uint8_t>(i));
    all.push_back(static_cast<uint8_t>(255 - i));
  }
  for (const li_csdef* const* p = lictbn; *p; ++p) {
    const li_handle h = handle_for((*p)->cs_name);
    for (uint32_t from = 0; from < 8; ++from) {
      Text t(Bytes(all.begin() + from, all.end()));
      lim_cursor c;
      const uint32_t opened = static_cast<uint32_t>(limcpen(t.data(), t.size(), &c, &h));
      uint32_t total = opened;
      while (lim_offset(&c) < c.len) {
        (void)classes_of(c);
        (void)limdspx(&c);
        (void)limc2wx(&c);
        (void)lim_chareq(&c, '0');
        const uint32_t n = limfwdx(&c);
        ASSERT_GE(n, 1u);
        total += n;
      }
      ASSERT_EQ(total, t.size()) << (*p)->cs_name;
    }
  }
}

TEST(CursorBounds, NullArguments) {
  lim_cursor c;
  const li_handle h = handle_for("JA16SJIS");
  uint8_t t[] = {0x82, 0x60};
  EXPECT_EQ(limopen(t, 2, &c, nullptr, 0), 0);  // no handle: an empty cursor
  EXPECT_EQ(c.len, 0u);
  EXPECT_EQ(lim_next(&c), 1u);
  EXPECT_EQ(limpuc(&c, 'x'), 0u);
  EXPECT_EQ(limopen(t, 2, nullptr, &h, 0), 0);
  EXPECT_EQ(limfwdx(nullptr), 0u);
  EXPECT_EQ(limc2wx(nullptr), 0u);
  EXPECT_EQ(limalpx(nullptr), 0u);
  EXPECT_EQ(limr2w(nullptr, nullptr), 0);
  int32_t st = 5;
  EXPECT_EQ(limcpnx(nullptr, nullptr, &st), 0u);
  EXPECT_EQ(st, 0);
}

// The record layouts other code and stored contexts rely on.
TEST(CursorLayout, StatusRecord) {
  EXPECT_EQ(sizeof(li_route_step), 8u);
  EXPECT_EQ(sizeof(li_route_slot), 52u);
  EXPECT_EQ(offsetof(li_status, code), 0u);
  EXPECT_EQ(offsetof(li_status, count), 4u);
  EXPECT_EQ(offsetof(li_status, route_fwd), 8u);
  EXPECT_EQ(offsetof(li_status, route_back), 60u);
  EXPECT_EQ(offsetof(li_status, result), 112u);
  EXPECT_EQ(offsetof(li_status, stream), 116u);
}

}  // namespace
