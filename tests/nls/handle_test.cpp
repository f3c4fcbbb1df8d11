// The NLS handle: lookups by name, the setters and their flag rules, the cutting of a
// language setting into components, and the queries on the handle's character set.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "nls_testing.h"
#include "zunt/nls.h"

namespace {

using nls_testing::cs;


// A handle built the way the builders do: cleared, then language, territory and set.
li_handle build(const char* lang, const char* terr = "", const char* set = "") {
  li_handle h;
  std::memset(&h, 0, sizeof h);
  int32_t nf = 0;
  const uint16_t l = liplget(lang, static_cast<int32_t>(std::strlen(lang)), &nf);
  liplset(l, &h);
  liptset(liptget(terr, static_cast<int32_t>(std::strlen(terr)), l, &nf), &h);
  lipcset(lipcget(set, static_cast<int32_t>(std::strlen(set)), l, &nf), &h);
  return h;
}

const li_csdef* current(const li_handle& h) { return LI_HANDLE_CSDEF(&h); }

TEST(NlsLookup, NamesMatchWholeIgnoringCase) {
  struct Row {
    char kind;  // l language, t territory, c charset, s sort
    const char* name;
    int32_t length;  // -1: strlen
    uint16_t language;
    const char* expect;  // name of the definition expected
    int32_t not_found;
  };
  const Row rows[] = {
      {'l', "american", -1, 0, "AMERICAN", 0},
      {'l', "AMERICA", -1, 0, "AMERICAN", 1},      // a prefix is not a match
      {'l', "AMERICANS", -1, 0, "AMERICAN", 1},    // nor a longer name
      {'l', "gErMaN", -1, 0, "GERMAN", 0},
      {'l', "german_germany", 6, 0, "GERMAN", 0},  // only `length` bytes count
      {'l', "Canadian French", -1, 0, "CANADIAN FRENCH", 0},
      {'l', "", 0, 0, "AMERICAN", 1},
      {'l', "x", 1, 0, "AMERICAN", 1},
      {'l', "traditional chinese", 0xFE00, 0, "TRADITIONAL CHINESE", 0},  // NUL-terminated
      {'t', "the netherlands", -1, 1, "THE NETHERLANDS", 0},
      {'t', "NOWHERE", -1, 2, "GERMANY", 1},        // default: the language's territory
      {'t', "", 0, 24, "UNITED ARAB EMIRATES", 1},
      {'t', "", 0, 99, "AMERICA", 1},               // unknown language: AMERICAN's defaults
      {'c', "we8iso8859p1", -1, 1, "WE8ISO8859P1", 0},
      {'c', "ZHT32CNS1164386", -1, 1, "ZHT32CNS1164386", 0},
      {'c', "WE8", -1, 13, "EL8ISO8859P7", 1},
      {'s', "xgerman", -1, 1, "XGERMAN", 0},
      {'s', "BINARYX", -1, 3, "FRENCH", 1},
      {'s', "thai_telephone", -1, 1, "THAI_TELEPHONE", 0},
  };
  for (const Row& r : rows) {
    const int32_t len = r.length < 0 ? static_cast<int32_t>(std::strlen(r.name)) : r.length;
    int32_t nf = -7;
    const char* got = nullptr;
    switch (r.kind) {
      case 'l': got = liltbn[liplget(r.name, len, &nf)]->lang_name; break;
      case 't': got = littbn[liptget(r.name, len, r.language, &nf)]->terr_name; break;
      case 'c': got = lictbn[lipcget(r.name, len, r.language, &nf)]->cs_name; break;
      default: got = listab[lipsget(r.name, len, r.language, &nf)]->sort_name; break;
    }
    EXPECT_STREQ(got, r.expect) << r.kind << " " << r.name;
    EXPECT_EQ(nf, r.not_found) << r.kind << " " << r.name;
  }
  int32_t nf = 0;
  EXPECT_EQ(liplget(nullptr, 5, &nf), 1);
  EXPECT_EQ(nf, 1);
  EXPECT_EQ(liplget("german", -3, &nf), 1);
  EXPECT_EQ(nf, 1);
  EXPECT_EQ(liplget("german", 6, nullptr), 2);  // the out-word is optional
}

TEST(NlsLookup, CharsetsById) {
  int32_t nf = 0;
  EXPECT_STREQ(lictbn[lipuget(860, &nf)]->cs_name, "ZHT32EUC");  // the first of the two
  EXPECT_EQ(nf, 0);
  EXPECT_EQ(lipuget(7, &nf), 0);
  EXPECT_EQ(nf, 1);
  EXPECT_EQ(lipuget(1, &nf), 0);
  EXPECT_EQ(nf, 0);
  EXPECT_EQ(lihchtoid("ja16sjis", 8), lictbn[cs("JA16SJIS")]);
  EXPECT_EQ(lihchtoid("NOSUCHSET", 9), nullptr);
  EXPECT_EQ(lihchtoid(nullptr, 0), nullptr);
}

TEST(NlsHandle, DefaultSetting) {
  const li_handle h = build("");
  EXPECT_EQ(h.language, 1);
  EXPECT_EQ(h.date_language, 1);
  EXPECT_EQ(h.territory, 0);
  EXPECT_EQ(h.iso_territory, 0);
  EXPECT_EQ(h.charset, 0);
  EXPECT_EQ(h.sort, 0);
  EXPECT_EQ(h.decimal_char, '.');
  EXPECT_EQ(h.group_char, ',');
  EXPECT_STREQ(h.currency, "$");
  EXPECT_STREQ(h.date_format, "DD-MON-YY");
  EXPECT_EQ(h.flags, 0x10u | 0x20 | 0x40 | 0x200 | 0x400 | 0x20000 | 0x2 | 0x4);
  EXPECT_EQ(h.max_char_bytes, 1);
  EXPECT_EQ(current(h), lictbn[0]);
}

TEST(NlsHandle, GermanDefaults) {
  const li_handle h = build("GERMAN");
  EXPECT_STREQ(littbn[h.territory]->terr_name, "GERMANY");
  EXPECT_STREQ(lictbn[h.charset]->cs_name, "WE8DEC");
  EXPECT_STREQ(listab[h.sort]->sort_name, "GERMAN");
  EXPECT_EQ(h.decimal_char, ',');
  EXPECT_EQ(h.group_char, '.');
  EXPECT_STREQ(h.currency, "DM");
  EXPECT_STREQ(h.date_format, "DD.MM.YY");
  EXPECT_EQ(h.flags & (LI_FLAG_AMERICAN | LI_FLAG_DATE_AMERICAN), 0u);
  EXPECT_EQ(h.flags & (LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE), LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE);
  EXPECT_EQ(h.numchar_charset, cs("WE8DEC"));

  // ÖS is stored in AUSTRIA's text set, WE8ISO8859P1.
  const li_handle a = build("german", "austria", "we8iso8859p1");
  EXPECT_STREQ(a.currency, "\xD6S");
  EXPECT_EQ(a.currency_charset, cs("WE8ISO8859P1"));
}

TEST(NlsHandle, LanguageAttributesAndAmerican) {
  li_handle h;
  std::memset(&h, 0, sizeof h);
  liplset(24, &h);  // ARABIC: attributes 10 = bits 1 and 3
  EXPECT_EQ(h.flags & 0xF, uint32_t{LI_FLAG_LANG_ATTR1 | LI_FLAG_LANG_ATTR3});
  liplset(0, &h);  // 0 means AMERICAN: bits 0 and 1
  EXPECT_EQ(h.language, 1);
  EXPECT_EQ(h.flags & 0xF, uint32_t{LI_FLAG_LANG_ATTR0 | LI_FLAG_LANG_ATTR1});
  EXPECT_NE(h.flags & LI_FLAG_AMERICAN, 0u);
  EXPECT_NE(h.flags & LI_FLAG_DATE_AMERICAN, 0u);
  liplset(500, &h);  // out of range: the handle is left alone
  EXPECT_EQ(h.language, 1);
  liplset(2, nullptr);  // a null handle is ignored
}

TEST(NlsHandle, NumbersOutOfRangeLeaveTheHandleAlone) {
  li_handle h = build("GERMAN");
  const li_handle before = h;
  liplset(LI_LANGUAGE_COUNT, &h);
  liptset(LI_TERRITORY_COUNT, &h);
  lipcset(LI_CS_COUNT, &h);
  lipsset(LI_SORT_COUNT, &h);
  lipsset(0xFFFF, &h);
  EXPECT_EQ(std::memcmp(&h, &before, sizeof h), 0);
  liptset(1, nullptr);
  lipcset(1, nullptr);
  lipsset(1, nullptr);
}

TEST(NlsHandle, FixedValuesSurviveChanges) {
  li_handle h = build("FRENCH");
  h.flags |= LI_FLAG_FIXED_DATE_LANG | LI_FLAG_FIXED_SORT;
  const uint16_t date_lang = h.date_language, sort = h.sort;
  liplset(2, &h);
  EXPECT_EQ(h.language, 2);
  EXPECT_EQ(h.date_language, date_lang);
  EXPECT_EQ(h.sort, sort);
  EXPECT_EQ(h.flags & LI_FLAG_DATE_AMERICAN, 0u);

  li_handle t = build("FRENCH");
  t.flags |= LI_FLAG_FIXED_ISO_TERR | LI_FLAG_FIXED_NUMCHARS | LI_FLAG_FIXED_CURRENCY |
             LI_FLAG_FIXED_DATE_FMT;
  const li_handle before = t;
  liptset(0, &t);
  EXPECT_EQ(t.territory, 0);
  EXPECT_EQ(t.iso_territory, before.iso_territory);
  EXPECT_EQ(t.decimal_char, before.decimal_char);
  EXPECT_EQ(t.numchar_charset, before.numchar_charset);
  EXPECT_STREQ(t.currency, before.currency);
  EXPECT_STREQ(t.date_format, before.date_format);

  // Unfixed, every dependent field follows; a long currency is cut to 10 bytes.
  li_handle u = build("FRENCH");
  liptset(29, &u);  // JAPAN
  EXPECT_EQ(u.iso_territory, 29);
  EXPECT_STREQ(u.currency, "\\");
  EXPECT_EQ(u.currency_charset, cs("JA16EUC"));
  EXPECT_STREQ(u.date_format, "YY-MM-DD");
}

TEST(NlsHandle, SortAndCharsetFlags) {
  li_handle h = build("SPANISH");
  EXPECT_EQ(h.flags & (LI_FLAG_SORT_SPECIAL | LI_FLAG_BYTEWISE), uint32_t{LI_FLAG_BYTEWISE});
  lipsset(10, &h);  // XSPANISH has contractions
  EXPECT_EQ(h.flags & (LI_FLAG_SORT_SPECIAL | LI_FLAG_BYTEWISE), uint32_t{LI_FLAG_SORT_SPECIAL});
  lipcset(cs("WE8ISO8859P1"), &h);  // a single-byte set keeps byte-wise comparison off
  EXPECT_EQ(h.flags & LI_FLAG_BYTEWISE, 0u);
  lipsset(9, &h);
  EXPECT_NE(h.flags & LI_FLAG_BYTEWISE, 0u);

  struct Row {
    const char* set;
    uint32_t on, off;
    uint8_t max_bytes, shift_in, shift_out;
  };
  const Row rows[] = {
      {"WE8DEC", LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE | LI_FLAG_NO_ARMOUR,
       LI_FLAG_SHIFT | LI_FLAG_ARABIC_SHAPING, 1, 0, 0},
      {"JA16EUC", LI_FLAG_NO_ARMOUR, LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE | LI_FLAG_SHIFT, 2, 0, 0},
      {"JA16SJIS", 0, LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE | LI_FLAG_NO_ARMOUR, 2, 0, 0},
      {"ZHT32EUC", LI_FLAG_NO_ARMOUR, LI_FLAG_SINGLE_BYTE, 4, 0, 0},
      {"JA16DBCS", LI_FLAG_SHIFT, LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE, 2, 0x0F, 0x0E},
      {"AR8ASMO708PLUS", LI_FLAG_ARABIC_SHAPING | LI_FLAG_SINGLE_BYTE, LI_FLAG_SHIFT, 1, 0, 0},
  };
  for (const Row& r : rows) {
    li_handle x = build("SPANISH");
    lipcset(cs(r.set), &x);
    EXPECT_EQ(x.flags & r.on, r.on) << r.set;
    EXPECT_EQ(x.flags & r.off, 0u) << r.set;
    EXPECT_EQ(x.max_char_bytes, r.max_bytes) << r.set;
    EXPECT_EQ(x.shift_in, r.shift_in) << r.set;
    EXPECT_EQ(x.shift_out, r.shift_out) << r.set;
    // Moving back to a single-byte set restores byte-wise comparison for a plain sort.
    lipcset(cs("WE8DEC"), &x);
    EXPECT_NE(x.flags & LI_FLAG_BYTEWISE, 0u) << r.set;
    EXPECT_EQ(x.flags & LI_FLAG_SHIFT, 0u) << r.set;
  }
}

TEST(NlsHandle, ReferencesAreOffsetsIntoTheDefinitionArea) {
  const li_handle h = build("JAPANESE");
  const li_csdef* d = lictbn[cs("JA16EUC")];
  EXPECT_EQ(current(h), d);
  EXPECT_EQ(LI_HANDLE_REF(h.upper_ref), d->cs_upper);
  EXPECT_EQ(LI_HANDLE_REF(h.lower_ref), d->cs_lower);
  EXPECT_EQ(LI_HANDLE_REF(h.class_ref), d->cs_to_code);
  EXPECT_EQ(LI_HANDLE_REF(h.aux_ref), d->cs_lead_attrs);  // multibyte: lead attributes

  const li_handle g = build("ARABIC", "", "AR8ASMO708PLUS");
  const li_csdef* a = lictbn[cs("AR8ASMO708PLUS")];
  EXPECT_EQ(LI_HANDLE_REF(g.aux_ref), a->cs_shape_table);  // single-byte: shaping table
  // A byte-for-byte copy resolves to the same definitions.
  unsigned char bytes[sizeof(li_handle)];
  std::memcpy(bytes, &g, sizeof g);
  li_handle copy;
  std::memcpy(&copy, bytes, sizeof copy);
  EXPECT_EQ(current(copy), a);
  EXPECT_EQ(lihcsn(&copy), a->cs_id);

  // The definitions lie in one array from licbas[0], so every set has an offset; a
  // reference that names none reads as definition 0.
  for (uint16_t n = 0; n < LI_CS_COUNT; ++n) {
    li_handle x = build("AMERICAN");
    lipcset(n, &x);
    EXPECT_EQ(current(x), lictbn[n]) << n;
    EXPECT_EQ(lihcsn(&x), lictbn[n]->cs_id) << n;
  }
  li_handle bad = build("AMERICAN");
  bad.cs_ref = 0xFFFFFFF0u;
  EXPECT_EQ(lihcsn(&bad), 1);
  bad.cs_ref = 3;
  EXPECT_EQ(lihasc(&bad), 1);
}

TEST(NlsHandle, ComponentsOfASetting) {
  struct Row {
    const char* text;
    int32_t component;
    const char* expect;  // nullptr: absent
  };
  const Row rows[] = {
      {"GERMAN_GERMANY.WE8DEC", 66, "GERMAN"},
      {"GERMAN_GERMANY.WE8DEC", 63, "GERMANY"},
      {"GERMAN_GERMANY.WE8DEC", 64, "WE8DEC"},
      {"AMERICAN.US7ASCII", 63, nullptr},
      {"AMERICAN.US7ASCII", 64, "US7ASCII"},
      {"_SWITZERLAND", 66, nullptr},
      {"_SWITZERLAND", 63, "SWITZERLAND"},
      {" french \t_ france\n. we8dec ", 66, "french"},
      {" french \t_ france\n. we8dec ", 63, "france"},
      {" french \t_ france\n. we8dec ", 64, "we8dec"},
      {"GERMAN", 64, nullptr},
      {"GERMAN.", 64, nullptr},
      {".WE8DEC", 66, nullptr},
      {"   _  .  ", 66, nullptr},
      {"   _  .  ", 63, nullptr},
      {"A.B_C", 66, "A"},
      {"A.B_C", 63, "C"},    // the territory starts after the first "_" anywhere
      {"A.B_C", 64, "B_C"},  // the set runs from the first "." to the end
      {"GERMAN_GERMANY.WE8DEC", 65, nullptr},
  };
  for (const Row& r : rows) {
    int32_t len = -1;
    const char* p = lipname(r.text, static_cast<int32_t>(std::strlen(r.text)), r.component, &len);
    if (r.expect == nullptr) {
      EXPECT_EQ(len, 0) << r.text << " " << r.component;
      EXPECT_EQ(p, r.text);
    } else {
      EXPECT_EQ(std::string(p, static_cast<size_t>(len)), r.expect) << r.text << " " << r.component;
    }
  }
  int32_t len = -1;
  EXPECT_EQ(lipname(nullptr, 4, 66, &len), nullptr);
  EXPECT_EQ(len, 0);
  // Only `length` bytes are read.
  const char* t = "DUTCH_THE NETHERLANDS";
  const char* p = lipname(t, 8, 63, &len);
  EXPECT_EQ(std::string(p, static_cast<size_t>(len)), "TH");
}

TEST(NlsQuery, CharacterLengthsAndKinds) {
  const li_handle sjis = build("JAPANESE", "", "JA16SJIS");
  const uint8_t lead[] = {0x88, 0x9F}, ascii[] = {'A'}, kana[] = {0xB1};
  EXPECT_EQ(licsing(lead, &sjis), 0);
  EXPECT_EQ(licmult(lead, &sjis), 1);
  EXPECT_EQ(licdone(lead, &sjis, 1), 0);
  EXPECT_EQ(licdone(lead, &sjis, 2), 1);
  EXPECT_EQ(licdone(lead, &sjis, 0), 0);
  EXPECT_EQ(licsing(ascii, &sjis), 1);
  EXPECT_EQ(licsing(kana, &sjis), 1);
  EXPECT_EQ(licmult(kana, &sjis), 0);

  const li_handle tw = build("TRADITIONAL CHINESE");
  const uint8_t ss2[] = {0x8E};
  EXPECT_EQ(licmult(ss2, &tw), 3);
  EXPECT_EQ(licdone(ss2, &tw, 3), 0);
  EXPECT_EQ(licdone(ss2, &tw, 4), 1);

  const li_handle we = build("GERMAN");
  EXPECT_EQ(licsing(lead, &we), 1);
  EXPECT_EQ(licmult(lead, &we), 0);
  EXPECT_EQ(licdone(lead, &we, 1), 1);
  EXPECT_EQ(licsing(nullptr, &we), 0);

  EXPECT_EQ(lihcsn(&we), 2);
  EXPECT_EQ(lihasc(&we), 1);
  const li_handle ebc = build("AMERICAN", "", "WE8EBCDIC37");
  EXPECT_EQ(lihasc(&ebc), 0);
  EXPECT_EQ(lihcsn(nullptr), 0);

  const li_handle greek = build("GREEK", "", "WE8ISO8859P1");
  EXPECT_EQ(lihdtchid(&greek), lictbn[cs("EL8ISO8859P7")]);  // the language's text set
  EXPECT_EQ(lihdtchid(nullptr), nullptr);
}

TEST(NlsQuery, ArabicShapingSets) {
  const li_handle plus = build("ARABIC", "", "AR8ASMO708PLUS");
  EXPECT_EQ(lix7bit(&plus), 0);
  EXPECT_EQ(lixliga(&plus), 1);
  EXPECT_EQ(lixgsc(&plus), lictbn[cs("AR8ASMO8X")]);
  const uint8_t* l = lictbn[cs("AR8ASMO708PLUS")]->cs_ligatures;
  ASSERT_NE(l, nullptr);
  int n = 0;
  for (; l[0] != 0; l += 3, ++n) {
    EXPECT_EQ(lixclig(l[1], l[2], &plus), l[0]);
    EXPECT_EQ(lixfcm(l[0], &plus), l[1]);
    EXPECT_EQ(lixscm(l[0], &plus), l[2]);
  }
  EXPECT_GT(n, 0);
  EXPECT_EQ(lixclig('a', 'b', &plus), 0);
  EXPECT_EQ(lixfcm('a', &plus), 0);

  const li_handle asmo7 = build("ARABIC", "", "AR7ASMO449PLUS");
  EXPECT_EQ(lix7bit(&asmo7), 1);
  EXPECT_EQ(lixliga(&asmo7), 0);
  EXPECT_EQ(lixgsc(&asmo7), lictbn[cs("AR8ISO8859P6")]);

  const li_handle we = build("GERMAN");
  EXPECT_EQ(lixliga(&we), 0);
  EXPECT_EQ(lixclig(0xC4, 0xC7, &we), 0);  // no ligatures at all
  EXPECT_EQ(lixscm(0xC4, &we), 0);
}

}  // namespace
