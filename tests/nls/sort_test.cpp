// The linguistic sorts: the weights the comparison rules rely on, the order of each
// language's own letters, accents after their base letter, base letters, and the extended
// sorts' special lists and flags. Characters are written in UTF-8 and turned into internal
// codes through a character set's table (encoded with glibc iconv).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nls_testing.h"
#include "zunt/nls.h"

namespace {

using nls_testing::cs;
using nls_testing::sort;


// The internal codes of UTF-8 text, through the named ISO 8859 set.
std::vector<uint16_t> codes(const std::string& utf8, const char* set, const char* iconv_set) {
  const std::string bytes = nls_testing::convert(utf8, "UTF-8", iconv_set);
  EXPECT_NE(bytes[0], '<') << utf8;
  const li_csdef* d = lictbn[cs(set)];
  std::vector<uint16_t> v;
  for (unsigned char b : bytes) v.push_back(d->cs_to_code[b]);
  return v;
}

uint16_t code1(const std::string& utf8, const char* set, const char* iconv_set) {
  const auto v = codes(utf8, set, iconv_set);
  EXPECT_EQ(v.size(), 1u) << utf8;
  return v.empty() ? 0 : v[0];
}

struct Script {
  const char* set;
  const char* iconv_set;
};
constexpr Script kWest{"WE8ISO8859P1", "ISO-8859-1"};
constexpr Script kCentral{"EE8ISO8859P2", "ISO-8859-2"};
constexpr Script kBaltic{"NEE8ISO8859P4", "ISO-8859-4"};
constexpr Script kTurkish{"WE8ISO8859P9", "ISO-8859-9"};
constexpr Script kGreek{"EL8ISO8859P7", "ISO-8859-7"};
constexpr Script kCyrillic{"CL8ISO8859P5", "ISO-8859-5"};

TEST(NlsSorts, TableOfSorts) {
  const li_sortdef* b = listab[0];
  EXPECT_STREQ(b->sort_name, "BINARY");
  EXPECT_EQ(b->sort_primary, nullptr);
  EXPECT_EQ(b->sort_secondary, nullptr);
  EXPECT_EQ(b->sort_base, nullptr);
  EXPECT_EQ(b->sort_features, 0);
  EXPECT_EQ(listab[LI_SORT_COUNT], nullptr);
  const uint16_t features[LI_SORT_COUNT] = {0, 0, 0x15, 0, 0x15, 0, 0x15, 0, 0x17, 0, 0x02, 0, 0, 0,
                                            0, 0, 0,  0, 0x05, 0, 0x15, 0, 0, 0x17, 0, 0, 0, 0x03,
                                            0, 0x01, 0, 0, 0, 0, 0x03, 0, 0, 0};
  for (int i = 1; i < LI_SORT_COUNT; ++i) {
    const li_sortdef* s = listab[i];
    EXPECT_EQ(s->sort_features, features[i]) << s->sort_name;
    ASSERT_NE(s->sort_primary, nullptr);
    ASSERT_NE(s->sort_secondary, nullptr);
    ASSERT_NE(s->sort_base, nullptr);
    EXPECT_EQ(s->sort_lower_specials, nullptr);
    EXPECT_EQ(s->sort_lower_width, 0u);
    const bool x = s->sort_name[0] == 'X';
    if (x) {
      // An extended sort shares its base sort's tables.
      const li_sortdef* base = sort(s->sort_name + 1);
      EXPECT_EQ(s->sort_primary, base->sort_primary) << s->sort_name;
      EXPECT_EQ(s->sort_secondary, base->sort_secondary) << s->sort_name;
      EXPECT_EQ(s->sort_base, base->sort_base) << s->sort_name;
      EXPECT_NE(s->sort_code_flags, nullptr) << s->sort_name;
    } else {
      EXPECT_EQ(s->sort_code_flags, nullptr) << s->sort_name;
    }
    const uint16_t f = s->sort_features;
    EXPECT_EQ(s->sort_expansions != nullptr, (f & 0x01) != 0) << s->sort_name;
    EXPECT_EQ(s->sort_contractions != nullptr, (f & 0x02) != 0) << s->sort_name;
    EXPECT_EQ(s->sort_upper_specials != nullptr, (f & 0x04) != 0) << s->sort_name;
    EXPECT_EQ(s->sort_base_specials != nullptr, (f & 0x10) != 0) << s->sort_name;
    EXPECT_EQ(s->sort_expansion_width, (f & 0x01) ? 2u : 0u) << s->sort_name;
    EXPECT_EQ(s->sort_upper_width, (f & 0x04) ? 2u : 0u) << s->sort_name;
    EXPECT_EQ(s->sort_base_width, (f & 0x10) ? 2 : 0) << s->sort_name;
  }
  // Sorts that describe the same order share one table.
  EXPECT_EQ(sort("FRENCH")->sort_primary, sort("WEST_EUROPEAN")->sort_primary);
  EXPECT_EQ(sort("THAI_TELEPHONE")->sort_primary, sort("THAI_DICTIONARY")->sort_primary);
}

TEST(NlsSorts, FixedWeights) {
  const li_sortdef* we = sort("WEST_EUROPEAN");
  const li_sortdef* de = sort("GERMAN");
  EXPECT_EQ(we->sort_primary['A'], 20);
  EXPECT_EQ(we->sort_primary['a'], 20);
  EXPECT_EQ(we->sort_secondary['A'], 1);
  EXPECT_EQ(we->sort_secondary['a'], 2);
  EXPECT_EQ(de->sort_secondary['a'], 1);  // lower case first
  EXPECT_EQ(de->sort_secondary['A'], 2);
  EXPECT_EQ(we->sort_primary['b'], 25);
  EXPECT_EQ(we->sort_primary['c'], 30);
  EXPECT_EQ(we->sort_primary['d'], 35);
  EXPECT_EQ(we->sort_primary[' '], 1);
  EXPECT_EQ(we->sort_primary['-'], 0);
  EXPECT_EQ(we->sort_primary['\''], 0);
  EXPECT_EQ(we->sort_secondary['-'], 0);
  for (int d = 0; d < 10; ++d) EXPECT_EQ(we->sort_primary['0' + d], 240 + d);
  for (int i = 1; i < LI_SORT_COUNT; ++i) {
    const li_sortdef* s = listab[i];
    const bool turkish = std::strstr(s->sort_name, "TURKISH") != nullptr;
    for (int c = 'a'; c <= 'z'; ++c) {
      if (turkish && c == 'i') continue;  // Turkish I is the capital of the dotless i
      EXPECT_GE(s->sort_primary[c], 20) << s->sort_name << " " << char(c);
      EXPECT_LT(s->sort_primary[c], 240) << s->sort_name << " " << char(c);
      EXPECT_EQ(s->sort_primary[c], s->sort_primary[c - 32]) << s->sort_name << " " << char(c);
    }
    for (int d = 0; d < 10; ++d) EXPECT_EQ(s->sort_primary['0' + d], 240 + d) << s->sort_name;
    // A weighted character has a secondary weight too (a sort key ends each half with a
    // NUL), and a weightless one none.
    for (int c = 0; c < LI_SORT_CODES; ++c)
      ASSERT_EQ(s->sort_secondary[c] != 0, s->sort_primary[c] != 0) << s->sort_name << " code " << c;
    // Every weighted character of the internal code has weights of its own.
    for (int a = 0; a < LI_SORT_CODES; ++a)
      for (int b = a + 1; b < LI_SORT_CODES && s->sort_primary[a] != 0; ++b)
        if (s->sort_primary[a] == s->sort_primary[b]) {
          ASSERT_NE(s->sort_secondary[a], s->sort_secondary[b]) << s->sort_name << " " << a << " " << b;
        }
  }
}

// Each row: a sort, the set its letters are written in, and runs such as "z<å<ä<ö" in
// which "<" means a greater primary weight and "=" the same primary weight.
TEST(NlsSorts, LanguagesOwnLetters) {
  struct Row {
    const char* sort;
    Script script;
    const char* order;
  };
  const Row rows[] = {
      {"WEST_EUROPEAN", kWest, "a=à=ä=å=æ<b c=ç<d n=ñ<o o=ö=ø<p s=ß<t"},
      {"GERMAN", kWest, "a=ä<b o=ö<p u=ü<v s=ß<t"},
      {"SWEDISH", kWest, "y=ü<z<å<ä<ö a<b ä=æ ö=ø"},
      {"FINNISH", kWest, "z<å<ä<ö"},
      {"NORWEGIAN", kWest, "z<æ<ø<å ä=æ ö=ø"},
      {"DANISH", kWest, "y=ü<z<æ<ø<å ä=æ ö=ø"},
      {"SPANISH", kWest, "n<ñ<o c<d l<m"},
      {"ICELANDIC", kWest, "a<á<b d<ð<e e<é<f i<í<j o<ó<p u<ú<v y<ý<z<þ<æ<ö ö=ø"},
      {"POLISH", kCentral, "a<ą<b c<ć<d e<ę<f l<ł<m n<ń<o o<ó<p s<ś<t z<ź<ż"},
      {"CZECH", kCentral, "c<č<d h<i r<ř<s s<š<t z<ž a=á e=é=ě u=ú=ů"},
      {"SLOVAK", kCentral, "a<ä<b c<č<d o<ô<p s<š<t z<ž a=á l=ľ=ĺ"},
      {"HUNGARIAN", kCentral, "o<ö=ő<p u<ü=ű<v a=á e=é"},
      {"TURKISH", kTurkish, "h<ı<i<j c<ç<d g<ğ<h o<ö<p s<ş<t u<ü<v I=ı İ=i"},
      {"LITHUANIAN", kBaltic, "c<č<d s<š<t z<ž i=y a=ą e=ę=ė u=ų=ū"},
      {"GREEK", kGreek, "α<β<γ<δ<ε<ζ<η<θ<ι<κ<λ<μ<ν<ξ<ο<π<ρ<σ<τ<υ<φ<χ<ψ<ω α=ά ι=ί=ϊ σ=ς z<α"},
      {"RUSSIAN", kCyrillic,
       "а<б<в<г<д<е<ж<з<и<й<к<л<м<н<о<п<р<с<т<у<ф<х<ц<ч<ш<щ<ъ<ы<ь<э<ю<я е=ё z<а"},
  };
  for (const Row& r : rows) {
    const li_sortdef* s = sort(r.sort);
    std::string text = r.order;
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find(' ', pos);
      if (end == std::string::npos) end = text.size();
      const std::string run = text.substr(pos, end - pos);
      pos = end + 1;
      // Split the run at "<" and "=".
      std::vector<std::string> letters;
      std::string rel;
      std::string cur;
      for (char ch : run) {
        if (ch == '<' || ch == '=') {
          letters.push_back(cur);
          rel.push_back(ch);
          cur.clear();
        } else {
          cur.push_back(ch);
        }
      }
      letters.push_back(cur);
      for (size_t k = 0; k + 1 < letters.size(); ++k) {
        const uint16_t a = code1(letters[k], r.script.set, r.script.iconv_set);
        const uint16_t b = code1(letters[k + 1], r.script.set, r.script.iconv_set);
        const int pa = s->sort_primary[a], pb = s->sort_primary[b];
        if (rel[k] == '<')
          EXPECT_LT(pa, pb) << r.sort << ": " << letters[k] << " < " << letters[k + 1];
        else
          EXPECT_EQ(pa, pb) << r.sort << ": " << letters[k] << " = " << letters[k + 1];
        EXPECT_NE(pa, 0) << r.sort << ": " << letters[k];
      }
    }
  }
}

// Within one primary weight the plain letter comes first (both cases), then its accented
// forms; checked for every letter of the ISO 8859 sets in every sort.
TEST(NlsSorts, AccentsAreSecondaryAfterTheBaseLetter) {
  const Script scripts[] = {kWest, kCentral, kBaltic, kTurkish, kGreek, kCyrillic};
  int checked = 0;
  for (int i = 1; i < LI_SORT_COUNT; ++i) {
    const li_sortdef* s = listab[i];
    for (const Script& sc : scripts) {
      const li_csdef* d = lictbn[cs(sc.set)];
      for (int byte = 0xC0; byte < 0x100; ++byte) {
        const uint16_t c = d->cs_to_code[byte];
        if (c >= LI_SORT_CODES || !(liclas[c] & 0x03)) continue;
        const uint16_t base = s->sort_base[c];
        const uint16_t lower = d->cs_to_code[d->cs_lower[byte]];
        if (base == c || base == lower) continue;                   // no diacritic
        if (s->sort_primary[c] != s->sort_primary[base]) continue;  // a letter of its own
        // The plain letter weighs less in pass 2, in both cases.
        EXPECT_LT(s->sort_secondary[base], s->sort_secondary[c]) << s->sort_name << " " << c;
        const uint16_t upper = d->cs_to_code[d->cs_upper[d->cs_from_code[base]]];
        if (upper != base && s->sort_primary[upper] == s->sort_primary[c]) {
          EXPECT_LT(s->sort_secondary[upper], s->sort_secondary[c]) << s->sort_name << " " << c;
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 1000);
}

TEST(NlsSorts, BaseLetters) {
  struct Row {
    const char* sort;
    Script script;
    const char* chars;  // each character and then its base letter, in pairs
  };
  const Row rows[] = {
      {"WEST_EUROPEAN", kWest, "AaaaÄaäaÉeçcÑn11..  "},
      {"GERMAN", kWest, "ÜuöoßßZz"},
      {"SWEDISH", kWest, "ÄäääÖöÅåÉe"},
      {"SPANISH", kWest, "ÑñÁa"},
      {"POLISH", kCentral, "ŁłĄąÓóŽz"},
      {"TURKISH", kTurkish, "IıİiŞşÇç"},
      {"GREEK", kGreek, "ΆαάαΪιΣσ"},
      {"RUSSIAN", kCyrillic, "ЁеёеЙйЯя"},
  };
  for (const Row& r : rows) {
    const li_sortdef* s = sort(r.sort);
    // Split into UTF-8 characters.
    std::vector<std::string> chars;
    for (size_t i = 0; i < std::strlen(r.chars);) {
      size_t n = 1;
      while (i + n < std::strlen(r.chars) && (static_cast<unsigned char>(r.chars[i + n]) & 0xC0) == 0x80) ++n;
      chars.emplace_back(r.chars + i, n);
      i += n;
    }
    ASSERT_EQ(chars.size() % 2, 0u) << r.sort;
    for (size_t k = 0; k < chars.size(); k += 2) {
      const uint16_t c = code1(chars[k], r.script.set, r.script.iconv_set);
      const uint16_t b = code1(chars[k + 1], r.script.set, r.script.iconv_set);
      EXPECT_EQ(s->sort_base[c], b) << r.sort << " " << chars[k];
    }
  }
  EXPECT_EQ(sort("LATIN")->sort_base[0], 0);
}

// The extended sorts: each expanding letter weighs as the two letters it stands for, each
// contraction lies after its first letter (and before the next one), and the per-code flags
// mark exactly the codes of the lists.
TEST(NlsSorts, ExtendedSortLists) {
  struct Expansion {
    const char* sort;
    const char* letter;
    const char* as;  // the two letters whose primary weights it takes
  };
  const Expansion expansions[] = {
      {"XWEST_EUROPEAN", "ß", "ss"}, {"XGERMAN", "ß", "ss"},     {"XGERMAN_DIN", "Ä", "ae"},
      {"XGERMAN_DIN", "ö", "oe"},    {"XGERMAN_DIN", "Ü", "ue"}, {"XGERMAN_DIN", "ß", "ss"},
      {"XDANISH", "ß", "ss"},        {"XSWISS", "ß", "sz"},      {"XHUNGARIAN", "ß", "ss"},
      {"XSLOVAK", "ß", "ss"},        {"XTURKISH", "Æ", "ae"},    {"XTURKISH", "æ", "ae"},
      {"XTURKISH", "ß", "ss"},       {"XCZECH", "ß", "ss"},
  };
  for (const Expansion& e : expansions) {
    const li_sortdef* s = sort(e.sort);
    const uint16_t c = code1(e.letter, "WE8ISO8859P1", "ISO-8859-1");
    const li_sort_expansion* x = s->sort_expansions;
    while (x->code != 0 && x->code != c) ++x;
    ASSERT_EQ(x->code, c) << e.sort << " " << e.letter;
    EXPECT_EQ(x->p1, s->sort_primary[static_cast<unsigned char>(e.as[0])]) << e.sort << " " << e.letter;
    EXPECT_EQ(x->p2, s->sort_primary[static_cast<unsigned char>(e.as[1])]) << e.sort << " " << e.letter;
    EXPECT_NE(s->sort_code_flags[c] & LI_SORT_EXPANDS, 0) << e.sort;
  }
  // Straße against Strasse under XGERMAN: "ß" weighs as "s" then a second "s" of the next
  // secondary weight, so the words tie in pass 1 and Straße follows in pass 2.
  const li_sortdef* xg = sort("XGERMAN");
  const li_sort_expansion* sz = xg->sort_expansions;
  EXPECT_EQ(sz->code, 492);
  EXPECT_EQ(sz->p1, xg->sort_primary['s']);
  EXPECT_EQ(sz->s1, xg->sort_secondary['s']);
  EXPECT_GT(sz->s2, xg->sort_secondary['s']);
  const li_sortdef* du = sort("XDUTCH");
  EXPECT_EQ(du->sort_expansions[0].code, 340);  // Ĳ
  EXPECT_EQ(du->sort_expansions[0].p1, du->sort_primary['i']);
  EXPECT_EQ(du->sort_expansions[0].p2, du->sort_primary['j']);
  EXPECT_EQ(du->sort_upper_specials[0].source_count, 2u);
  EXPECT_EQ(du->sort_upper_specials[0].source[0], 'I');
  EXPECT_EQ(du->sort_upper_specials[0].source[1], 'j');
  EXPECT_EQ(du->sort_upper_specials[0].result[1], 'J');

  int contractions = 0;
  for (int i = 1; i < LI_SORT_COUNT; ++i) {
    const li_sortdef* s = listab[i];
    if (s->sort_code_flags == nullptr) continue;
    std::vector<uint8_t> want(LI_SORT_CODES, 0);
    for (const li_sort_expansion* x = s->sort_expansions; x && x->code; ++x) want[x->code] |= 0x02;
    for (const li_sort_contraction* k = s->sort_contractions; k && k->first; ++k) {
      want[k->first] |= 0x04;
      want[k->second] |= 0x08;
      ++contractions;
      if (std::strcmp(s->sort_name, "XDANISH") == 0) {
        EXPECT_EQ(k->p, s->sort_primary[405]);  // "aa" sorts as å
        continue;
      }
      // Any other pair sorts as a letter of its own after its first letter.
      EXPECT_GT(k->p, s->sort_primary[k->first]) << s->sort_name;
      for (int c = 0; c < LI_SORT_CODES; ++c)
        ASSERT_NE(s->sort_primary[c], k->p) << s->sort_name << " code " << c;
    }
    for (const li_sort_special* u = s->sort_upper_specials; u && u->source_count; ++u) want[u->source[0]] |= 0x10;
    for (const li_sort_special* b = s->sort_base_specials; b && b->source_count; ++b) want[b->source[0]] |= 0x40;
    for (int c = 0; c < LI_SORT_CODES; ++c)
      ASSERT_EQ(s->sort_code_flags[c], want[c] ? want[c] : 0x01) << s->sort_name << " code " << c;
  }
  EXPECT_EQ(contractions, 2 + 6 + 18 + 6 + 3);

  const li_sortdef* sp = sort("XSPANISH");
  EXPECT_EQ(sp->sort_contractions[2].first, 'c');
  EXPECT_EQ(sp->sort_contractions[2].second, 'h');
  EXPECT_EQ(sp->sort_contractions[2].p, 32);
  EXPECT_EQ(sp->sort_contractions[2].s, 3);
  const li_sortdef* dn = sort("XGERMAN_DIN");
  int base_specials = 0;
  for (const li_sort_special* b = dn->sort_base_specials; b->source_count; ++b, ++base_specials) {
    EXPECT_EQ(b->source_count, 1u);
    EXPECT_EQ(b->result_count, 2u);
    EXPECT_EQ(b->result[1], b->source[0] == 492 ? 's' : 'e');
  }
  EXPECT_EQ(base_specials, 7);
}

}  // namespace
