// Checks of the multibyte character-set data against the encodings: attribute tables by
// byte range, the class tree and case deltas against glibc iconv, and the wide forms.
#include <gtest/gtest.h>
#include <iconv.h>

#include <clocale>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "cs_test_util.h"
#include "zunt/nlscs.h"

namespace {

using zunt::cstest::by_name;

// The class-tree walk: from the root, one byte per level until a node without children.
uint16_t leaf_word(const li_csdef* cs, const uint8_t* p) {
  const li_cstree* n = cs->cs_class_tree;
  while (n->inner) n = n->children[*p++ & (n->mask | 3)];
  return n->leaves[*p & (n->mask | 3)];
}

uint16_t leaf_of_code(const li_csdef* cs, uint32_t code, unsigned nbytes) {
  uint8_t b[4];
  for (unsigned i = 0; i < nbytes; ++i) b[i] = uint8_t(code >> (8 * (nbytes - 1 - i)));
  return leaf_word(cs, b);
}

// One iconv decoder; decode() gives the single Unicode scalar of a byte string, or -1.
class Decoder {
 public:
  explicit Decoder(const char* name) : cd_(iconv_open("UTF-32BE", name)) {}
  ~Decoder() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  long decode(const std::string& in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* ip = const_cast<char*>(in.data());
    char* op = out;
    size_t il = in.size(), ol = sizeof out;
    if (iconv(cd_, &ip, &il, &op, &ol) == size_t(-1) || il != 0) return -1;
    if (sizeof out - ol != 4) return -1;
    auto* u = reinterpret_cast<unsigned char*>(out);
    return long(u[0]) << 24 | long(u[1]) << 16 | long(u[2]) << 8 | u[3];
  }

 private:
  iconv_t cd_;
};

std::string bytes_of(uint32_t code, unsigned n, bool host) {
  std::string s;
  if (host) s += '\x0E';
  for (unsigned i = 0; i < n; ++i) s += char(code >> (8 * (n - 1 - i)));
  if (host) s += '\x0F';
  return s;
}

struct LeadRange {
  uint8_t first, last, trail;
};

TEST(Multibyte, AttributeTablesFollowTheByteRanges) {
  struct Row {
    const char* set;
    std::vector<LeadRange> leads;  // every other byte has no trailing bytes
  };
  const std::vector<Row> rows = {
      {"JA16EUC", {{0x8E, 0x8E, 1}, {0xA1, 0xFE, 1}}},
      {"JA16VMS", {{0xA1, 0xFE, 1}}},
      {"JA16SJIS", {{0x81, 0x9F, 1}, {0xE0, 0xFC, 1}}},
      {"KO16KSC5601", {{0xA1, 0xFE, 1}}},
      {"ZHS16CGB231280", {{0xA1, 0xFE, 1}}},
      {"ZHT32EUC", {{0x8E, 0x8E, 3}, {0xA1, 0xFE, 1}}},
      {"ZHT32CNS1164386", {{0x8E, 0x8E, 3}, {0xA1, 0xFE, 1}}},
      {"ZHT32TRIS", {{0x8E, 0x8E, 3}, {0xA1, 0xFE, 1}}},
      {"ZHT16BIG5", {{0x81, 0xFE, 1}}},
      {"ZHT16DBT", {{0x81, 0xFE, 1}}},
      {"ZHT32SOPS", {{0x81, 0xFE, 1}}},
      {"JA16TSTSET2", {{0x80, 0xFF, 1}}},
      {"JA16TSTSET", {}},
      {"JA16DBCS", {}},
      {"JA16EBCDIC930", {}},
      {"KO16DBCS", {}},
  };
  for (const Row& r : rows) {
    const li_csdef* cs = by_name(r.set);
    ASSERT_NE(cs, nullptr) << r.set;
    ASSERT_NE(cs->cs_lead_attrs, nullptr) << r.set;
    EXPECT_EQ(cs->cs_flags & LI_CSF_SINGLE, 0) << r.set;
    for (unsigned b = 0; b < 256; ++b) {
      unsigned want = 0;
      for (const LeadRange& l : r.leads)
        if (b >= l.first && b <= l.last) want = l.trail;
      EXPECT_EQ(cs->cs_lead_attrs[b] & LI_MBA_TRAIL, want) << r.set << " byte " << b;
      // A lead byte carries no class of its own.
      if (want) {
        EXPECT_EQ(cs->cs_lead_attrs[b] & ~LI_MBA_TRAIL, 0) << r.set << " " << b;
      }
      if (want) {
        EXPECT_LE(want + 1, cs->cs_max_bytes) << r.set;
      }
      if (want && (cs->cs_flags & LI_CSF_HIGH)) {
        EXPECT_GE(b, 0x80u) << r.set;
      }
    }
    bool shift = cs->cs_flags & LI_CSF_SHIFT;
    EXPECT_EQ(cs->cs_shift_in, shift ? 0x0F : 0) << r.set;
    EXPECT_EQ(cs->cs_shift_out, shift ? 0x0E : 0) << r.set;
    if (shift) {
      // Double-byte mode: every byte but the shift bytes starts a two-byte character.
      for (unsigned b = 0; b < 256; ++b)
        EXPECT_EQ(cs->cs_shift_attrs[b] & LI_MBA_TRAIL, (b == 0x0E || b == 0x0F) ? 0u : 1u)
            << r.set << " " << b;
      EXPECT_EQ(cs->cs_lead_attrs[0x0E], LI_MBA_CNTRL);
    } else {
      EXPECT_EQ(cs->cs_shift_attrs, cs->cs_lead_attrs) << r.set;
    }
    if (cs->cs_flags & LI_CSF_ASCII) {
      // The ASCII characters of an ASCII-based set and their classes.
      const struct {
        uint8_t b;
        uint16_t attr;
      } ascii[] = {{'A', LI_MBA_UPPER | LI_MBA_ALPHA | LI_MBA_XDIGIT},
                   {'z', LI_MBA_LOWER | LI_MBA_ALPHA},
                   {'7', LI_MBA_DIGIT | LI_MBA_XDIGIT},
                   {' ', LI_MBA_SPACE | LI_MBA_BLANK | LI_MBA_PRINTSP},
                   {'\t', LI_MBA_SPACE | LI_MBA_CNTRL},
                   {'!', LI_MBA_PUNCT},
                   {0, LI_MBA_CNTRL}};
      for (const auto& a : ascii) EXPECT_EQ(cs->cs_lead_attrs[a.b], a.attr) << r.set << " " << int(a.b);
      EXPECT_EQ(cs->cs_upper['q'], 'Q');
      EXPECT_EQ(cs->cs_lower['Q'], 'q');
    }
  }
}

// Every two-byte code of a set's code space: the class tree knows exactly the codes the
// encoding defines, and its case deltas lead to the case partner.
TEST(Multibyte, ClassTreesAndCaseDeltasAgreeWithIconv) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  struct Reference {
    const char* set;
    const char* iconv_name;
    bool host;
  };
  const Reference references[] = {
      {"JA16EUC", "EUC-JP", false},      {"JA16SJIS", "IBM943", false},
      {"KO16KSC5601", "EUC-KR", false},  {"ZHS16CGB231280", "EUC-CN", false},
      {"JA16EBCDIC930", "IBM930", true}, {"JA16DBCS", "IBM939", true},
      {"KO16DBCS", "IBM933", true},      {"JA16TSTSET", "IBM930", true},
  };
  for (const Reference& o : references) {
    const li_csdef* cs = by_name(o.set);
    Decoder dec(o.iconv_name);
    ASSERT_TRUE(dec.ok()) << o.iconv_name;
    unsigned defined = 0, cased = 0;
    const uint16_t* attrs = o.host ? cs->cs_shift_attrs : cs->cs_lead_attrs;
    for (unsigned lead = 0; lead < 256; ++lead) {
      if ((attrs[lead] & LI_MBA_TRAIL) != 1) continue;
      for (unsigned trail = 0; trail < 256; ++trail) {
        uint32_t code = lead << 8 | trail;
        uint16_t w = leaf_of_code(cs, code, 2);
        long u = dec.decode(bytes_of(code, 2, o.host));
        if (u >= 0 && u < 0x20) u = -1;  // controls reached through a double-byte code
        ASSERT_EQ(w != 0, u >= 0) << o.set << " code " << std::hex << code << " U+" << u;
        if (u < 0) continue;
        ++defined;
        EXPECT_TRUE(w & LI_MBL_PRINT) << o.set << std::hex << code;
        EXPECT_EQ((w & LI_MBL_SPACE) != 0, iswspace(wint_t(u)) != 0) << o.set << std::hex << code;
        if (w & LI_MBL_DIGIT) {
          EXPECT_TRUE(u >= 0xFF10 && u <= 0xFF19) << std::hex << code;
        }
        unsigned idx = w & LI_MBL_CASE;
        if (w & LI_MBL_UPPER) {
          EXPECT_TRUE(iswupper(wint_t(u))) << o.set << std::hex << code;
          EXPECT_EQ(cs->cs_mb_upper_delta[idx], 0);
          if (int32_t d = cs->cs_mb_lower_delta[idx]) {
            ++cased;
            EXPECT_EQ(dec.decode(bytes_of(code + d, 2, o.host)), long(towlower(wint_t(u))))
                << o.set << std::hex << code;
          }
        }
        if (w & LI_MBL_LOWER) {
          EXPECT_TRUE(iswlower(wint_t(u))) << o.set << std::hex << code;
          EXPECT_EQ(cs->cs_mb_lower_delta[idx], 0);
          if (int32_t d = cs->cs_mb_upper_delta[idx]) {
            ++cased;
            EXPECT_EQ(dec.decode(bytes_of(code + d, 2, o.host)), long(towupper(wint_t(u))))
                << o.set << std::hex << code;
          }
        }
      }
    }
    // The full-width Latin letters have their case partners in every one of these sets.
    EXPECT_GE(cased, 104u) << o.set;
    EXPECT_GT(defined, 6000u) << o.set;
  }
}

TEST(Multibyte, FourByteCodesWalkFourLevels) {
  const li_csdef* cs = by_name("ZHT32EUC");
  // Plane 2 behind 8E A2; plane 1 as two bytes.
  uint16_t plane2 = leaf_of_code(cs, 0x8EA2A1A1, 4);
  EXPECT_EQ(plane2 & (LI_MBL_ALPHA | LI_MBL_WIDE | LI_MBL_PRINT), LI_MBL_ALPHA | LI_MBL_WIDE | LI_MBL_PRINT);
  EXPECT_NE(leaf_of_code(cs, 0xC4A1, 2), 0);
  EXPECT_EQ(leaf_of_code(cs, 0x8EA3A1A1, 4), 0);  // a plane the set does not use
  EXPECT_EQ(leaf_of_code(cs, 0xA1A1, 2) & (LI_MBL_SPACE | LI_MBL_BLANK), LI_MBL_SPACE | LI_MBL_BLANK);
  // Full-width A and a with their deltas in the EUC form of CNS 11643 (rows A4).
  uint16_t a = leaf_of_code(cs, 0xA4C1, 2);
  EXPECT_TRUE(a & LI_MBL_UPPER);
  EXPECT_EQ(cs->cs_mb_lower_delta[a & LI_MBL_CASE], 0xA4DB - 0xA4C1);
}

TEST(Multibyte, ShiftJisExamples) {
  const li_csdef* sj = by_name("JA16SJIS");
  uint16_t fa = leaf_of_code(sj, 0x8260, 2);  // full-width A
  EXPECT_TRUE(fa & LI_MBL_UPPER);
  EXPECT_EQ(sj->cs_mb_lower_delta[fa & LI_MBL_CASE], 33);
  uint16_t f0 = leaf_of_code(sj, 0x824F, 2);  // full-width zero
  EXPECT_TRUE(f0 & LI_MBL_DIGIT);
  EXPECT_TRUE(f0 & LI_MBL_XDIGIT);
  // Half-width katakana are single bytes, alphabetic and narrow.
  EXPECT_EQ(sj->cs_lead_attrs[0xB1], LI_MBA_ALPHA);
  EXPECT_EQ(sj->cs_lead_attrs[0xA1], LI_MBA_PUNCT);
  // In EUC the same kana are two-byte codes of single display width.
  uint16_t k = leaf_of_code(by_name("JA16EUC"), 0x8EB1, 2);
  EXPECT_TRUE(k & LI_MBL_ALPHA);
  EXPECT_FALSE(k & LI_MBL_WIDE);
  EXPECT_TRUE(leaf_of_code(by_name("JA16EUC"), 0xB0A1, 2) & LI_MBL_WIDE);
}

TEST(Multibyte, WideForms) {
  struct Row {
    const char* set;
    uint8_t byte;
    uint32_t wide;
  };
  const Row rows[] = {
      {"JA16SJIS", 0x20, 0x8140},    {"JA16SJIS", 0x21, 0x8149},       {"JA16SJIS", 0x41, 0x8260},
      {"JA16SJIS", 0x5C, 0x815F},    {"JA16SJIS", 0x7E, 0x8160},       {"JA16EUC", 0x41, 0xA3C1},
      {"JA16EUC", 0x20, 0xA1A1},     {"JA16EUC", 0x7E, 0xA1C1},        {"JA16VMS", 0x61, 0xA3E1},
      {"KO16KSC5601", 0x41, 0xA3C1}, {"ZHS16CGB231280", 0x31, 0xA3B1}, {"ZHT16BIG5", 0x20, 0xA140},
      {"ZHT32EUC", 0x20, 0xA1A1},    {"JA16DBCS", 0xC1, 0x42C1},       {"JA16DBCS", 0x40, 0x4040},
      {"KO16DBCS", 0xC1, 0x42C1},    {"JA16EBCDIC930", 0x40, 0x4040},  {"JA16TSTSET", 0x41, 0x42C1},
      {"JA16TSTSET2", 0x41, 0xC1C1},
  };
  for (const Row& r : rows) {
    const li_csdef* cs = by_name(r.set);
    ASSERT_NE(cs->cs_wide_forms, nullptr) << r.set;
    ASSERT_GE(r.byte, cs->cs_wide_first);
    ASSERT_LE(r.byte, cs->cs_wide_last);
    EXPECT_EQ(cs->cs_wide_forms[r.byte], r.wide) << r.set << " " << int(r.byte);
  }
  // Ranges by group.
  const struct {
    const char* set;
    uint8_t first, last;
  } ranges[] = {{"JA16EUC", 0x20, 0x7F},  {"ZHT32SOPS", 0x20, 0x7F}, {"JA16TSTSET2", 0x20, 0x7E},
                {"JA16DBCS", 0x40, 0xFF}, {"KO16DBCS", 0x40, 0xFF},  {"ZHT16DBT", 0, 0}};
  for (const auto& r : ranges) {
    EXPECT_EQ(by_name(r.set)->cs_wide_first, r.first) << r.set;
    EXPECT_EQ(by_name(r.set)->cs_wide_last, r.last) << r.set;
  }
  EXPECT_EQ(by_name("ZHT16DBT")->cs_wide_forms, nullptr);
  // The tables are indexed by byte value; bytes outside the range and bytes without a
  // full-width form give 0.
  for (const li_csdef* const* p = lictbn; *p; ++p) {
    const li_csdef* cs = *p;
    if (!cs->cs_wide_forms) continue;
    for (unsigned b = 0; b < 256; ++b) {
      if (b < cs->cs_wide_first || b > cs->cs_wide_last) {
        EXPECT_EQ(cs->cs_wide_forms[b], 0u) << cs->cs_name << " " << b;
      } else if (cs->cs_wide_forms[b]) {
        EXPECT_GT(cs->cs_wide_forms[b], 0xFFu) << cs->cs_name << " " << b;
        EXPECT_NE(leaf_of_code(cs, cs->cs_wide_forms[b], cs->cs_wide_forms[b] > 0xFFFF ? 4 : 2), 0)
            << cs->cs_name << " " << b;
      }
    }
  }
  EXPECT_EQ(by_name("JA16EUC")->cs_wide_forms[0x7F], 0u);  // DEL has no full-width form
  // Every printable ASCII character has its full-width form in the sets with an reference.
  const struct {
    const char* set;
    const char* iconv_name;
    bool host;
  } references[] = {{"JA16EUC", "EUC-JP", false},     {"JA16SJIS", "IBM943", false},
                 {"KO16KSC5601", "EUC-KR", false}, {"ZHS16CGB231280", "EUC-CN", false},
                 {"JA16DBCS", "IBM939", true},     {"KO16DBCS", "IBM933", true}};
  for (const auto& o : references) {
    const li_csdef* cs = by_name(o.set);
    Decoder dec(o.iconv_name);
    for (unsigned b = cs->cs_wide_first; b <= cs->cs_wide_last; ++b) {
      long u = o.host ? dec.decode(std::string(1, char(b))) : long(b);
      if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'))) continue;
      uint32_t w = cs->cs_wide_forms[b];
      EXPECT_EQ(dec.decode(bytes_of(w, 2, o.host)), u - 0x21 + 0xFF01) << o.set << " " << b;
    }
  }
}

}  // namespace

namespace {

TEST(Multibyte, TestSetWithDoubledBytes) {
  const li_csdef* t2 = by_name("JA16TSTSET2");
  // "Ä" and "ä" of WE8DEC written twice, 0x2020 apart.
  uint16_t up = leaf_of_code(t2, 0xC4C4, 2), lo = leaf_of_code(t2, 0xE4E4, 2);
  EXPECT_TRUE(up & LI_MBL_UPPER);
  EXPECT_TRUE(lo & LI_MBL_LOWER);
  EXPECT_FALSE(up & LI_MBL_WIDE);
  EXPECT_EQ(t2->cs_mb_lower_delta[up & LI_MBL_CASE], 0x2020);
  EXPECT_EQ(t2->cs_mb_upper_delta[lo & LI_MBL_CASE], -0x2020);
  EXPECT_EQ(leaf_of_code(t2, 0xA0A0, 2), 0);  // undefined in WE8DEC
  EXPECT_EQ(leaf_of_code(t2, 0xBFBF, 2) & LI_MBL_PUNCT, LI_MBL_PUNCT);
}

}  // namespace
