// The single-byte code tables against glibc iconv: every byte of a set with a public code
// page maps to the page's character through the internal code and back, and the case maps
// agree with the classes.
#include <gtest/gtest.h>
#include <iconv.h>

#include <clocale>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cs_test_util.h"
#include "zunt/nlscs.h"

namespace {

using zunt::cstest::by_name;

// Unicode scalar of each internal code, from the source table the data is generated from.
const std::map<unsigned, long>& code_unicode() {
  static const std::map<unsigned, long> m = [] {
    std::map<unsigned, long> r;
    std::ifstream f(ZUNT_SOURCE_DIR "/base/data/src/internal-code.tsv");
    std::string line;
    while (std::getline(f, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream in(line);
      unsigned code;
      std::string uni;
      in >> code >> uni;
      r[code] = std::stol(uni.substr(2), nullptr, 16);
    }
    return r;
  }();
  return m;
}

long iconv_byte(const char* name, unsigned b) {
  iconv_t cd = iconv_open("UTF-32BE", name);
  if (cd == reinterpret_cast<iconv_t>(-1)) return -2;
  char in = char(b), out[8];
  char* ip = &in;
  char* op = out;
  size_t il = 1, ol = sizeof out;
  long u = -1;
  if (iconv(cd, &ip, &il, &op, &ol) != size_t(-1) && sizeof out - ol == 4) {
    auto* p = reinterpret_cast<unsigned char*>(out);
    u = long(p[0]) << 24 | long(p[1]) << 16 | long(p[2]) << 8 | p[3];
  }
  iconv_close(cd);
  return u;
}

struct Reference {
  const char* set;
  const char* iconv_name;
  std::vector<unsigned> skip;  // positions where the set follows another edition
};

const std::vector<Reference>& references() {
  static const std::vector<Reference> v = {
      {"US7ASCII", "ASCII", {}},
      {"WE8DEC", "DEC-MCS", {}},
      {"WE8HP", "HP-ROMAN8", {}},
      {"US8PC437", "IBM437", {}},
      {"WE8PC850", "IBM850", {}},
      {"RU8PC855", "IBM855", {}},
      {"EE8PC852", "IBM852", {}},
      {"RU8PC866", "IBM866", {}},
      {"TR8PC857", "IBM857", {}},
      {"WE8PC860", "IBM860", {}},
      {"IS8PC861", "IBM861", {}},
      {"N8PC865", "IBM865", {}},
      {"CDN8PC863", "IBM863", {}},
      {"HU8CWI2", "CWI", {}},
      {"LT8PC772", "CP772", {}},
      {"LT8PC774", "CP774", {}},
      {"EL8PC437S", "CP737", {}},
      {"WE8EBCDIC37", "IBM037", {}},
      {"WE8EBCDIC37C", "IBM037", {}},
      {"WE8EBCDIC500", "IBM500", {}},
      {"WE8EBCDIC500C", "IBM500", {}},
      {"D8EBCDIC273", "IBM273", {}},
      {"I8EBCDIC280", "IBM280", {}},
      {"DK8EBCDIC277", "IBM277", {}},
      {"S8EBCDIC278", "IBM278", {0x71, 0xE0}},
      {"EE8EBCDIC870", "IBM870", {0xB0}},
      {"EL8EBCDIC875", "IBM875", {0x6A, 0x74, 0xDD}},
      {"AR8EBCDICX", "IBM420", {}},
      {"D7DEC", "DIN_66003", {}},
      {"F7DEC", "NF_Z_62-010_1973", {}},
      {"E7DEC", "ES", {}},
      {"I7DEC", "IT", {}},
      {"SF7ASCII", "SEN_850200_B", {}},
      {"S7DEC", "SEN_850200_C", {0x24}},
      {"SF7DEC", "SEN_850200_C", {0x24, 0x40}},
      {"NDK7DEC", "NS_4551-1", {0x40, 0x5E, 0x60, 0x7E}},
      {"WE8ISO8859P1", "ISO-8859-1", {}},
      {"EE8ISO8859P2", "ISO-8859-2", {}},
      {"SE8ISO8859P3", "ISO-8859-3", {}},
      {"NEE8ISO8859P4", "ISO-8859-4", {}},
      {"CL8ISO8859P5", "ISO-8859-5", {}},
      {"AR8ISO8859P6", "ISO-8859-6", {}},
      {"EL8ISO8859P7", "ISO-8859-7", {0xA4, 0xA5, 0xAA}},
      {"IW8ISO8859P8", "ISO-8859-8", {0xFD, 0xFE}},
      {"WE8ISO8859P9", "ISO-8859-9", {}},
      {"TR8ISO8859P9", "ISO-8859-9", {}},
      {"NE8ISO8859P10", "ISO-8859-10", {}},
      {"TH8TISASCII", "TIS-620", {}},
      {"AR7ASMO449PLUS", "ASMO_449", {}},
      {"AR8MSAWIN", "CP1256", {0x80, 0x8A, 0x8F, 0x98, 0x9A, 0x9F, 0xAA, 0xC0, 0xFF}},
      {"WE8MACROMAN8", "MACINTOSH", {0xC6, 0xDB, 0xF0}},
      {"WE8MACROMAN8S", "MACINTOSH", {0xC6, 0xDB, 0xF0}},
      {"EE8MSWIN1250", "CP1250", {0x80}},
      {"CL8MSWIN1251", "CP1251", {0x88}},
      {"CL8MSWINDOW31", "CP1251", {0x88}},
  };
  return v;
}

TEST(SingleByteData, EveryByteMapsToItsCharacterAndBack) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  const auto& uni = code_unicode();
  ASSERT_GT(uni.size(), 800u);
  for (const Reference& o : references()) {
    const li_csdef* cs = by_name(o.set);
    ASSERT_NE(cs, nullptr) << o.set;
    // The seven-bit sets are checked on their 128 bytes.
    static const char* const kSeven[] = {"US7ASCII", "D7DEC", "F7DEC",  "E7DEC",   "I7DEC",
                                         "SF7ASCII", "S7DEC", "SF7DEC", "NDK7DEC", "AR7ASMO449PLUS"};
    bool seven = false;
    for (const char* n : kSeven) seven |= std::strcmp(n, o.set) == 0;
    unsigned limit = seven ? 128 : 256;
    // The page as iconv reads it, both ways, for the case-map check below.
    long page[256];
    std::map<long, unsigned> byte_of;
    for (unsigned b = 0; b < limit; ++b) {
      page[b] = iconv_byte(o.iconv_name, b);
      bool skipped = false;
      for (unsigned s : o.skip) skipped |= s == b;
      if (skipped) page[b] = -1;
      if (page[b] >= 0) byte_of.emplace(page[b], b);
    }
    for (unsigned b = 0; b < limit; ++b) {
      bool skipped = false;
      for (unsigned s : o.skip) skipped |= s == b;
      if (skipped) continue;
      long u = iconv_byte(o.iconv_name, b);
      ASSERT_NE(u, -2) << o.iconv_name;
      uint16_t code = cs->cs_to_code[b];
      if (u < 0) {
        EXPECT_EQ(code, LI_CODE_NONE) << o.set << " byte " << b;
        continue;
      }
      auto it = uni.find(code);
      ASSERT_NE(it, uni.end()) << o.set << " byte " << b;
      EXPECT_EQ(it->second, u) << o.set << " byte " << b;
      // Back: the byte itself, or the first byte of the set with the same character.
      uint8_t back = cs->cs_from_code[code];
      EXPECT_TRUE(back == b || (back < b && cs->cs_to_code[back] == code)) << o.set << " " << b;
      // The case maps take a letter to its simple Unicode case partner when the page has it.
      long up = long(towupper(wint_t(u))), lo = long(towlower(wint_t(u)));
      if (u == 0x130) lo = 'i';  // capital I with dot above lowers to a plain i
      auto iu = byte_of.find(up);
      auto il = byte_of.find(lo);
      // (A partner at a skipped position is not known here.)
      if (up == u || iu != byte_of.end()) {
        EXPECT_EQ(cs->cs_upper[b], up != u ? iu->second : b) << o.set << " " << b;
      }
      if (lo == u || il != byte_of.end()) {
        EXPECT_EQ(cs->cs_lower[b], lo != u ? il->second : b) << o.set << " " << b;
      }
    }
  }
}

TEST(SingleByteData, CaseMapsAreInverseAndAgreeWithClasses) {
  for (const li_csdef* const* p = lictbn; *p; ++p) {
    const li_csdef* cs = *p;
    if (!(cs->cs_flags & LI_CSF_SINGLE)) continue;
    for (unsigned b = 0; b < 256; ++b) {
      uint8_t up = cs->cs_upper[b], lo = cs->cs_lower[b];
      uint16_t cls = liclas[cs->cs_to_code[b]];
      if (up != b) {
        EXPECT_TRUE(cls & LI_CL_LOWER) << cs->cs_name << " " << b;
        EXPECT_TRUE(liclas[cs->cs_to_code[up]] & LI_CL_UPPER) << cs->cs_name << " " << b;
        EXPECT_EQ(cs->cs_upper[cs->cs_lower[up]], up) << cs->cs_name << " " << b;
      }
      if (lo != b) {
        EXPECT_TRUE(cls & LI_CL_UPPER) << cs->cs_name << " " << b;
        EXPECT_EQ(cs->cs_lower[cs->cs_upper[lo]], lo) << cs->cs_name << " " << b;
      }
      // Where both partners of a Latin pair are in the set, the maps join them.
      uint16_t c = cs->cs_to_code[b];
      if (c >= 300 && c < 400 && cs->cs_from_code[c] == b && (liclas[c + 100] & LI_CL_LOWER)) {
        uint8_t partner = cs->cs_from_code[c + 100];
        if (cs->cs_to_code[partner] == c + 100) {
          EXPECT_EQ(lo, partner) << cs->cs_name << " " << b;
          EXPECT_EQ(cs->cs_upper[partner], cs->cs_from_code[c]) << cs->cs_name << " " << b;
        }
      }
    }
  }
}

// Conversion between two sets is one lookup each way through the internal code.
TEST(SingleByteData, ConversionThroughTheInternalCode) {
  const struct {
    const char* from;
    const char* to;
    const char* in;
    const char* out;
  } rows[] = {
      {"WE8ISO8859P1", "WE8DEC", "s\xED kyll\xE4", "s\xED kyll\xE4"},
      {"WE8ISO8859P1", "WE8EBCDIC37", "AZaz09 ", "\xC1\xE9\x81\xA9\xF0\xF9\x40"},
      {"WE8ISO8859P1", "US8PC437", "\xE9\xC4\xDF", "\x82\x8E\xE1"},
      {"WE8ISO8859P1", "US7ASCII", "\xC0\xE9\xC4\xA3", "Ae??"},
      {"WE8ISO8859P1", "D7DEC", "\xC4\xD6\xDC\xE4\xF6\xFC\xDF[", "[\\]{|}~?"},
      {"CL8ISO8859P5", "RU8PC855", "\xE0", "\xE1"},
      {"CL8ISO8859P5", "CL8MSWIN1251", "\xD4\xD0", "\xE4\xE0"},
      {"EE8ISO8859P2", "EE8MSWIN1250", "\xB3\xB1", "\xB3\xB9"},
      {"WE8ISO8859P9", "TR8PC857", "\xFD\xDD", "\x8D\x98"},
      {"TH8TISASCII", "TH8TISEBCDIC", "\xA1", "\x42"},
      {"WE8ISO8859P1", "CL8ISO8859P5", "\xE9\xDF", "e?"},
      {"WE8ISO8859P1", "WE8HP", "\xE9\xFF", "\xC5\xEF"},
  };
  for (const auto& r : rows) {
    const li_csdef* a = by_name(r.from);
    const li_csdef* z = by_name(r.to);
    std::string got;
    for (const char* s = r.in; *s; ++s) got += char(z->cs_from_code[a->cs_to_code[uint8_t(*s)]]);
    EXPECT_EQ(got, r.out) << r.from << " -> " << r.to;
  }
}

TEST(SingleByteData, ArabicShapingSets) {
  const struct {
    const char* set;
    uint16_t glyph;
    uint16_t aflags;
    bool ligatures;
  } rows[] = {{"AR8ASMO708PLUS", 41, 0x02, true},
              {"AR8ADOS710T", 41, 0x02, true},
              {"AR8ADOS720T", 41, 0x00, false},
              {"AR7ASMO449PLUS", 23, 0x01, false}};
  for (const auto& r : rows) {
    const li_csdef* cs = by_name(r.set);
    EXPECT_EQ(cs->cs_flags, 0x1D) << r.set;
    EXPECT_EQ(cs->cs_glyph_charset, r.glyph) << r.set;
    EXPECT_EQ(cs->cs_arabic_flags, r.aflags) << r.set;
    ASSERT_NE(cs->cs_shape_table, nullptr) << r.set;
    EXPECT_STREQ(lictbn[cs->cs_glyph_charset]->cs_name, r.glyph == 41 ? "AR8ASMO8X" : "AR8ISO8859P6");
    EXPECT_EQ(cs->cs_ligatures != nullptr, r.ligatures) << r.set;
    // Every letter of the set has a joining class; digits and Latin letters do not join.
    EXPECT_EQ(cs->cs_shape_table['A'], LI_SHAPE_NONE);
    EXPECT_EQ(cs->cs_shape_table['1'], LI_SHAPE_NONE);
    if (!cs->cs_ligatures) continue;
    unsigned n = 0;
    for (const uint8_t* l = cs->cs_ligatures; *l; l += 3, ++n) {
      EXPECT_EQ(cs->cs_shape_table[l[0]], LI_SHAPE_RIGHT) << r.set;
      EXPECT_EQ(cs->cs_shape_table[l[1]], LI_SHAPE_DUAL) << r.set;   // lam
      EXPECT_EQ(cs->cs_shape_table[l[2]], LI_SHAPE_RIGHT) << r.set;  // an alef
      EXPECT_EQ(l[1], cs->cs_ligatures[1]) << r.set;                 // the same lam
      // The ligature byte means the same character in the glyph set.
      const li_csdef* g = lictbn[cs->cs_glyph_charset];
      EXPECT_EQ(g->cs_from_code[cs->cs_to_code[l[0]]], l[0]) << r.set;
    }
    EXPECT_EQ(n, 4u) << r.set;
  }
  // ISO 8859-6 letters in AR8ASMO708PLUS: alef (C7) joins right, beh (C8) both ways, fatha
  // (EE) is transparent, tatweel (E0) causes joining.
  const li_csdef* cs = by_name("AR8ASMO708PLUS");
  EXPECT_EQ(cs->cs_shape_table[0xC7], LI_SHAPE_RIGHT);
  EXPECT_EQ(cs->cs_shape_table[0xC8], LI_SHAPE_DUAL);
  EXPECT_EQ(cs->cs_shape_table[0xEE], LI_SHAPE_TRANSPARENT);
  EXPECT_EQ(cs->cs_shape_table[0xE0], LI_SHAPE_CAUSING);
  // Sets without shaping have no shaping data.
  EXPECT_EQ(by_name("AR8ISO8859P6")->cs_shape_table, nullptr);
  EXPECT_EQ(by_name("AR8ISO8859P6")->cs_glyph_charset, 0);
}

TEST(SingleByteData, GroupFields) {
  for (const li_csdef* const* p = lictbn; *p; ++p) {
    const li_csdef* cs = *p;
    bool single = cs->cs_flags & LI_CSF_SINGLE;
    EXPECT_EQ(single, cs->cs_id < 800) << cs->cs_name;
    EXPECT_EQ(cs->cs_reserved1, 0);
    EXPECT_EQ(cs->cs_reserved2, 0);
    if (single) {
      EXPECT_EQ(cs->cs_max_bytes, 1) << cs->cs_name;
      EXPECT_TRUE(cs->cs_to_code && cs->cs_from_code && cs->cs_upper && cs->cs_lower) << cs->cs_name;
      EXPECT_EQ(cs->cs_lead_attrs, nullptr) << cs->cs_name;
      EXPECT_EQ(cs->cs_class_tree, nullptr) << cs->cs_name;
      EXPECT_NE(lihci2h(cs->cs_base_id), nullptr) << cs->cs_name;
      // Every byte maps to a code below 999 (which would end a stream of internal codes).
      for (unsigned b = 0; b < 256; ++b) EXPECT_LT(cs->cs_to_code[b], 999) << cs->cs_name << " " << b;
      // The no-character code and the unassigned ones give the replacement byte.
      EXPECT_EQ(cs->cs_from_code[LI_CODE_NONE], cs->cs_from_code[999]) << cs->cs_name;
      EXPECT_EQ(cs->cs_from_code[LI_CODE_NONE], cs->cs_from_code[927]) << cs->cs_name;
      // Every set holds the Latin letters as codes 65 to 122 (the EBCDIC sets at their own
      // bytes, the ASCII-based ones at the ASCII bytes), except ASMO 449, whose letters are
      // Arabic.
      if (std::strcmp(cs->cs_name, "AR7ASMO449PLUS") != 0) {
        for (unsigned c = 'A'; c <= 'z'; ++c) {
          if (c == 'Z' + 1) c = 'a';
          EXPECT_EQ(cs->cs_to_code[cs->cs_from_code[c]], c) << cs->cs_name;
        }
        if (cs->cs_flags & LI_CSF_ASCII) {
          EXPECT_EQ(cs->cs_to_code[0x41], 0x41) << cs->cs_name;
        }
      }
    } else {
      EXPECT_EQ(cs->cs_base_id, 0) << cs->cs_name;
      EXPECT_EQ(cs->cs_to_code, nullptr) << cs->cs_name;
      EXPECT_EQ(cs->cs_from_code, nullptr) << cs->cs_name;
      EXPECT_NE(cs->cs_class_tree, nullptr) << cs->cs_name;
      EXPECT_EQ(cs->cs_class_tree->mask, 0xFC) << cs->cs_name;
    }
  }
  EXPECT_EQ(by_name("WE8EBCDIC37")->cs_flags, 0x05);
  EXPECT_EQ(by_name("TH8TISEBCDIC")->cs_base_id, 41);
  EXPECT_EQ(by_name("AR8EBCDICX")->cs_base_id, 36);
  EXPECT_EQ(by_name("EL8EBCDIC875")->cs_base_id, 37);
  EXPECT_EQ(by_name("WE8DEC")->cs_flags, 0x0D);
  EXPECT_EQ(by_name("LT8PC772")->cs_base_id, 34);
  EXPECT_EQ(by_name("HU8CWI2")->cs_base_id, 32);
  EXPECT_EQ(by_name("TR7DEC")->cs_base_id, 39);
  EXPECT_EQ(by_name("ZHT32EUC")->cs_max_bytes, 4);
  EXPECT_EQ(by_name("JA16TSTSET")->cs_flags, 0x0A);
  EXPECT_EQ(by_name("JA16DBCS")->cs_flags, 0x02);
}

}  // namespace
