// Checks of the built-in character-set data: numbering and ids, the internal code and its
// class flags, and the single-byte tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cs_test_util.h"
#include "zunt/nlscs.h"

namespace {

using zunt::cstest::by_name;

TEST(CharsetTable, NumbersNamesAndIds) {
  unsigned n = 0;
  while (lictbn[n]) ++n;
  EXPECT_EQ(n, unsigned{LI_CS_COUNT});
  EXPECT_STREQ(lictbn[0]->cs_name, "US7ASCII");
  EXPECT_STREQ(lictbn[92]->cs_name, "AR8ARABICMACS");
  EXPECT_EQ(lictbn[92]->cs_id, 566);
  // All definitions lie in one array that starts at licbas[0].
  const auto* base = static_cast<const li_csdef*>(licbas[0]);
  EXPECT_EQ(licbas[1], nullptr);
  for (unsigned i = 0; i < n; ++i) EXPECT_EQ(lictbn[i], base + i) << i;
}

TEST(CharsetTable, LookupById) {
  EXPECT_STREQ(lihci2h(860)->cs_name, "ZHT32EUC");
  EXPECT_EQ(lihci2h(7), nullptr);
  EXPECT_EQ(lihci2h(0), nullptr);
  EXPECT_STREQ(lihci2h(1)->cs_name, "US7ASCII");
  EXPECT_STREQ(lihci2h(566)->cs_name, "AR8ARABICMACS");
  EXPECT_EQ(lihh2ci(by_name("JA16SJIS")), 832);
  EXPECT_EQ(lihh2ci(nullptr), 0);
  const li_csdef* cns = by_name("ZHT32CNS1164386");
  const li_csdef* euc = by_name("ZHT32EUC");
  ASSERT_TRUE(cns && euc);
  EXPECT_EQ(cns->cs_id, euc->cs_id);
  EXPECT_EQ(cns->cs_lead_attrs, euc->cs_lead_attrs);
  EXPECT_EQ(cns->cs_class_tree, euc->cs_class_tree);
}

}  // namespace

namespace {

uint16_t code_of(const char* set, unsigned byte) {
  return by_name(set)->cs_to_code[byte];
}

TEST(InternalCode, AnchorsAndClasses) {
  // (set, byte, code): the anchors that sort data names, reached through real code pages.
  struct Row {
    const char* set;
    unsigned byte;
    uint16_t code;
  };
  const Row rows[] = {
      {"WE8ISO8859P1", 0xC0, 300}, {"WE8ISO8859P1", 0xE0, 400}, {"WE8ISO8859P1", 0xC4, 304},
      {"WE8ISO8859P1", 0xE4, 404}, {"WE8ISO8859P1", 0xD6, 357}, {"WE8ISO8859P1", 0xF6, 457},
      {"WE8ISO8859P1", 0xDC, 377}, {"WE8ISO8859P1", 0xFC, 477}, {"WE8ISO8859P1", 0xDF, 492},
      {"NL7DEC", 0x5B, 440},       {"WE8ISO8859P1", 0xE9, 419}, {"WE8EBCDIC37", 0xC1, 65},
      {"US7ASCII", 0xC1, 65},      {"D7DEC", 0x5B, 304},        {"WE8DEC", 0xDF, 492},
  };
  for (const Row& r : rows) EXPECT_EQ(code_of(r.set, r.byte), r.code) << r.set << " " << r.byte;
  // The class of a byte goes through its internal code: "é" in WE8ISO8859P1 is lower case.
  EXPECT_EQ(liclas[code_of("WE8ISO8859P1", 0xE9)], LI_CL_LOWER);
  // POSIX classes of the ASCII half.
  struct Cls {
    uint16_t code, flags;
  };
  const Cls cls[] = {{0, 0x20},   {9, 0x28},   {13, 0x28},  {14, 0x20},  {32, 0x88}, {33, 0x10},
                     {48, 0x44},  {57, 0x44},  {65, 0x41},  {70, 0x41},  {71, 0x01}, {97, 0x42},
                     {102, 0x42}, {103, 0x02}, {126, 0x10}, {127, 0x20}, {159, 0x28}};
  for (const Cls& c : cls) EXPECT_EQ(liclas[c.code], c.flags) << c.code;
  // Above 127 only upper, lower, punctuation or nothing, except code 159.
  for (unsigned c = 128; c < LI_CODE_COUNT; ++c) {
    if (c == 159) continue;
    uint16_t f = liclas[c];
    EXPECT_TRUE(f == 0 || f == LI_CL_UPPER || f == LI_CL_LOWER || f == LI_CL_PUNCT) << c;
  }
  // A lower-case Latin letter sits at its upper-case partner plus 100.
  for (unsigned c = 300; c < 400; ++c)
    if (liclas[c] == LI_CL_UPPER && liclas[c + 100] == LI_CL_LOWER) {
      const li_csdef* l1 = by_name("WE8ISO8859P1");
      uint8_t up = l1->cs_from_code[c], lo = l1->cs_from_code[c + 100];
      if (l1->cs_to_code[up] == c && l1->cs_to_code[lo] == c + 100) {
        EXPECT_EQ(l1->cs_upper[lo], up) << c;
        EXPECT_EQ(l1->cs_lower[up], lo) << c;
      }
    }
}

TEST(SingleByte, UsAsciiSimilarCharacters) {
  const li_csdef* us = by_name("US7ASCII");
  const li_csdef* l1 = by_name("WE8ISO8859P1");
  unsigned similar = 0;
  for (unsigned c = 128; c < LI_CODE_COUNT; ++c)
    if (us->cs_from_code[c] != '?') ++similar;
  EXPECT_EQ(similar, 48u);
  // Latin-1 characters and the symbols named for their similar character.
  const struct {
    unsigned latin1;
    char ascii;
  } rows[] = {{0xC0, 'A'}, {0xC1, 'A'}, {0xC2, 'A'}, {0xC3, '?'}, {0xC4, '?'},  {0xC7, 'C'},
              {0xE7, 'c'}, {0xDD, 'Y'}, {0xFD, 'y'}, {0xFF, '?'}, {0xA1, '!'},  {0xAB, '<'},
              {0xBB, '>'}, {0xA0, ' '}, {0xAD, '-'}, {0xA6, '|'}, {0xB4, '\''}, {0xA5, 'Y'},
              {0xA3, '?'}, {0xDF, '?'}, {0xFB, 'u'}, {0xEC, 'i'}};
  for (const auto& r : rows)
    EXPECT_EQ(us->cs_from_code[l1->cs_to_code[r.latin1]], uint8_t(r.ascii)) << r.latin1;
  const struct {
    unsigned code;
    char ascii;
  } fixed[] = {{146, '`'}, {153, '-'}, {193, '^'}, {194, '~'}, {215, 'f'}, {216, 'L'}};
  for (const auto& r : fixed) EXPECT_EQ(us->cs_from_code[r.code], uint8_t(r.ascii)) << r.code;
  // Bytes with the top bit set read as the byte without it.
  for (unsigned b = 128; b < 256; ++b) EXPECT_EQ(us->cs_to_code[b], b & 0x7F);
}

TEST(SingleByte, NationalSevenBitSets) {
  const li_csdef* d7 = by_name("D7DEC");
  const li_csdef* l1 = by_name("WE8ISO8859P1");
  EXPECT_EQ(d7->cs_from_code[l1->cs_to_code[0xC0]], 'A');   // À has a similar letter
  EXPECT_EQ(d7->cs_from_code[l1->cs_to_code[0xC4]], 0x5B);  // Ä is held
  EXPECT_EQ(d7->cs_from_code['['], '?');                    // "[" is not
  EXPECT_EQ(d7->cs_from_code[LI_CODE_NONE], '?');
  EXPECT_EQ(d7->cs_upper[0x7B], 0x5B);  // ä -> Ä
  EXPECT_EQ(d7->cs_lower[0x5D], 0x7D);  // Ü -> ü
}

TEST(SingleByte, ReplacementBytes) {
  const struct {
    const char* set;
    uint8_t repl;
  } rows[] = {
      {"WE8DEC", 0xBF},       {"WE8ISO8859P1", 0xBF},  {"EL8DEC", 0xBF},       {"TR8DEC", 0xBF},
      {"WE8HP", 0xFC},        {"US8PC437", 0xFE},      {"WE8PC850", 0xFE},     {"EE8PC852", 0xFE},
      {"TR8PC857", 0xFE},     {"WE8PC860", 0xFE},      {"IS8PC861", 0xFE},     {"N8PC865", 0xFE},
      {"HU8CWI2", 0xFE},      {"EL8PC437S", 0xFE},     {"LT8PC774", 0xFE},     {"CDN8PC863", 0xFE},
      {"WE8EBCDIC37", 0xAB},  {"WE8EBCDIC500", 0xAB},  {"WE8EBCDIC37C", 0xAB}, {"WE8EBCDIC500C", 0xAB},
      {"D8EBCDIC273", 0xAB},  {"I8EBCDIC280", 0xAB},   {"DK8EBCDIC277", 0xAB}, {"S8EBCDIC278", 0xAB},
      {"TH8TISEBCDIC", 0x6F}, {"EE8EBCDIC870", 0x6F},  {"EL8EBCDIC875", 0x6F}, {"AR8EBCDICX", 0x7B},
      {"WE8MACROMAN8", 0xC0}, {"WE8MACROMAN8S", 0xC0}, {"US7ASCII", 0x3F},     {"CL8ISO8859P5", 0x3F},
      {"TH8TISASCII", 0x3F},  {"AR8MSAWIN", 0x3F},     {"LT8PC772", 0x3F},     {"RU8PC866", 0x3F},
  };
  for (const auto& r : rows) {
    const li_csdef* cs = by_name(r.set);
    ASSERT_NE(cs, nullptr) << r.set;
    EXPECT_EQ(cs->cs_from_code[LI_CODE_NONE], r.repl) << r.set;
    // A Thai letter has no place (and no similar letter) in any of these but the Thai sets.
    if (cs->cs_base_id != 41) {
      EXPECT_EQ(cs->cs_from_code[860], r.repl) << r.set;
    }
  }
}

}  // namespace

namespace {

TEST(CharsetTable, ByteFlags) {
  unsigned zeros = 0;
  for (unsigned b = 0; b < 256; ++b) {
    EXPECT_LE(liaebc[b], 1u);
    zeros += liaebc[b] == 0;
  }
  EXPECT_EQ(zeros, 105u);
  const struct {
    uint8_t b;
    uint32_t v;
  } rows[] = {{0x07, 1}, {0x08, 0}, {0x09, 0}, {0x0A, 1}, {0x23, 0}, {0x24, 1}, {0x3A, 0},
              {0x3B, 1}, {0x41, 0}, {0x49, 0}, {0x4A, 1}, {0x80, 0}, {0x81, 1}, {0xBD, 1},
              {0xBE, 0}, {0xE0, 1}, {0xE1, 0}, {0xE2, 1}, {0xFA, 1}, {0xFB, 0}, {0xFF, 0}};
  for (const auto& r : rows) EXPECT_EQ(liaebc[r.b], r.v) << int(r.b);
}

}  // namespace
