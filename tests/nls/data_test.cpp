// The built-in languages, territories and sorts. The texts are checked by decoding the
// stored bytes with glibc iconv (an encoder independent of the generator's) and comparing
// them with the words of base/data/src/languages.txt; the sorts by the properties their
// weights must have.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "nls_testing.h"
#include "zunt/nls.h"

namespace {

using nls_testing::convert;
using nls_testing::cs;
using nls_testing::iconv_name;


std::string to_utf8(const char* bytes, const char* set) {
  return convert(bytes, iconv_name(set), "UTF-8");
}

// base/data/src/languages.txt as blocks of key -> value.
std::vector<std::map<std::string, std::string>> read_source(const char* file, const char* head) {
  std::ifstream in(std::string(ZUNT_SOURCE_DIR) + "/base/data/src/" + file);
  std::vector<std::map<std::string, std::string>> blocks;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] != ' ') {
      blocks.emplace_back();
      blocks.back()["name"] = line.substr(std::strlen(head) + 1);
      continue;
    }
    const size_t k = line.find_first_not_of(' ');
    const size_t sp = line.find(' ', k);
    const size_t v = line.find_first_not_of(' ', sp);
    blocks.back()[line.substr(k, sp - k)] = line.substr(v);
  }
  return blocks;
}

// The letters of a source value: "quoted" literal, text [HEX], or plain text. A value given
// only as [HEX] has no letters to compare; it returns the bytes.
std::string letters(const std::string& v, bool* hex_only) {
  *hex_only = false;
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  const size_t b = v.rfind(" [");
  if (b != std::string::npos && v.back() == ']') return v.substr(0, b);
  if (v.front() == '[') *hex_only = true;
  return v;
}

std::vector<std::string> split(const std::string& s) {
  std::vector<std::string> out;
  std::stringstream ss(s);
  for (std::string item; std::getline(ss, item, '|');) out.push_back(item);
  return out;
}

TEST(NlsLanguages, RecordsMatchTheTable) {
  struct Row {
    const char* name;
    const char* abbrev;
    const char* territory;
    const char* charset;
    const char* sort;
    uint16_t longest[4];  // month, day, abbreviated month, abbreviated day
    uint16_t attr;
    uint32_t attrs;
  };
  const Row rows[] = {
      {"AMERICAN", "US", "AMERICA", "US7ASCII", "BINARY", {9, 9, 3, 3}, 1, 3},
      {"GERMAN", "D", "GERMANY", "WE8DEC", "GERMAN", {9, 10, 3, 2}, 1, 3},
      {"FRENCH", "F", "FRANCE", "WE8DEC", "FRENCH", {9, 8, 3, 2}, 1, 3},
      {"CANADIAN FRENCH", "FRC", "CANADA", "WE8DEC", "WEST_EUROPEAN", {9, 8, 3, 3}, 0, 3},
      {"SPANISH", "E", "SPAIN", "WE8DEC", "SPANISH", {10, 9, 3, 3}, 1, 3},
      {"ITALIAN", "I", "ITALY", "WE8DEC", "WEST_EUROPEAN", {9, 9, 3, 3}, 1, 3},
      {"DUTCH", "NL", "THE NETHERLANDS", "WE8DEC", "DUTCH", {9, 9, 3, 2}, 0, 3},
      {"SWEDISH", "S", "SWEDEN", "WE8DEC", "SWEDISH", {9, 7, 3, 3}, 0, 3},
      {"NORWEGIAN", "N", "NORWAY", "WE8DEC", "NORWEGIAN", {9, 7, 3, 3}, 1, 3},
      {"DANISH", "DK", "DENMARK", "WE8DEC", "DANISH", {9, 7, 3, 3}, 0, 3},
      {"FINNISH", "SF", "FINLAND", "WE8DEC", "FINNISH", {9, 11, 3, 2}, 0, 3},
      {"ICELANDIC", "IS", "ICELAND", "WE8ISO8859P1", "ICELANDIC", {9, 12, 3, 3}, 0, 3},
      {"GREEK", "EL", "GREECE", "EL8ISO8859P7", "GREEK", {11, 9, 3, 3}, 1, 3},
      {"PORTUGUESE", "PT", "PORTUGAL", "WE8DEC", "WEST_EUROPEAN", {9, 13, 3, 3}, 1, 3},
      {"TURKISH", "TR", "TURKEY", "WE8ISO8859P9", "TURKISH", {7, 9, 3, 3}, 1, 3},
      {"BRAZILIAN PORTUGUESE", "PTB", "BRAZIL", "WE8DEC", "WEST_EUROPEAN", {9, 13, 3, 3}, 0, 3},
      {"MEXICAN SPANISH", "ESM", "MEXICO", "WE8DEC", "WEST_EUROPEAN", {10, 9, 3, 3}, 1, 3},
      {"RUSSIAN", "RU", "CIS", "CL8ISO8859P5", "RUSSIAN", {8, 11, 3, 3}, 0, 3},
      {"POLISH", "PL", "POLAND", "EE8ISO8859P2", "POLISH", {11, 12, 3, 3}, 1, 3},
      {"HUNGARIAN", "HU", "HUNGARY", "EE8ISO8859P2", "HUNGARIAN", {10, 9, 3, 3}, 0, 3},
      {"CZECH", "CS", "CZECHOSLOVAKIA", "EE8ISO8859P2", "CZECH", {8, 7, 3, 2}, 1, 3},
      {"LITHUANIAN", "LT", "LITHUANIA", "NEE8ISO8859P4", "LITHUANIAN", {9, 14, 3, 4}, 0, 3},
      {"SLOVAK", "SK", "CZECHOSLOVAKIA", "EE8ISO8859P2", "SLOVAK", {9, 8, 3, 2}, 1, 3},
      {"ARABIC", "AR", "UNITED ARAB EMIRATES", "AR8ISO8859P6", "ARABIC", {12, 8, 2, 8}, 0, 10},
      {"THAI", "TH", "THAILAND", "TH8TISASCII", "THAI_DICTIONARY", {9, 9, 3, 3}, 1, 3},
      {"JAPANESE", "JA", "JAPAN", "JA16EUC", "BINARY", {4, 6, 3, 3}, 0, 3},
      {"KOREAN", "KO", "KOREA", "KO16KSC5601", "BINARY", {4, 6, 3, 2}, 0, 3},
      {"SIMPLIFIED CHINESE", "ZHS", "CHINA", "ZHS16CGB231280", "BINARY", {9, 9, 3, 3}, 1, 3},
      {"TRADITIONAL CHINESE", "ZHT", "TAIWAN", "ZHT32EUC", "BINARY", {9, 9, 3, 3}, 1, 3},
  };
  ASSERT_EQ(sizeof rows / sizeof rows[0], 29u);
  for (size_t i = 0; i < 29; ++i) {
    const Row& r = rows[i];
    const li_langdef* l = liltbn[i + 1];
    ASSERT_NE(l, nullptr);
    EXPECT_STREQ(l->lang_name, r.name);
    EXPECT_STREQ(l->lang_abbrev, r.abbrev) << r.name;
    EXPECT_STREQ(littbn[l->lang_territory]->terr_name, r.territory) << r.name;
    EXPECT_STREQ(lictbn[l->lang_charset]->cs_name, r.charset) << r.name;
    EXPECT_EQ(l->lang_text_charset, l->lang_charset) << r.name;
    EXPECT_STREQ(listab[l->lang_sort]->sort_name, r.sort) << r.name;
    EXPECT_EQ(l->lang_max_month, r.longest[0]) << r.name;
    EXPECT_EQ(l->lang_max_day, r.longest[1]) << r.name;
    EXPECT_EQ(l->lang_max_month_abbrev, r.longest[2]) << r.name;
    EXPECT_EQ(l->lang_max_day_abbrev, r.longest[3]) << r.name;
    EXPECT_EQ(l->lang_attr_a, r.attr) << r.name;
    EXPECT_EQ(l->lang_attr_b, r.attr) << r.name;
    EXPECT_EQ(l->lang_attrs, r.attrs) << r.name;
  }
  EXPECT_EQ(liltbn[LI_LANGUAGE_COUNT], nullptr);
  // The placeholder: empty texts, numbers zero, name arrays of empty names.
  const li_langdef* z = liltbn[0];
  EXPECT_STREQ(z->lang_name, "");
  EXPECT_EQ(z->lang_territory + z->lang_charset + z->lang_sort + z->lang_attrs, 0u);
  EXPECT_STREQ(z->lang_month_names[11], "");
  EXPECT_STREQ(z->lang_yes, "");
}

TEST(NlsLanguages, NamesDecodeToTheListedWords) {
  const auto blocks = read_source("languages.txt", "language");
  ASSERT_EQ(blocks.size(), 29u);
  std::map<std::string, const std::map<std::string, std::string>*> by_name;
  for (const auto& b : blocks) by_name[b.at("name")] = &b;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const auto& b = blocks[i];
    const li_langdef* l = liltbn[i + 1];
    ASSERT_EQ(b.at("name"), l->lang_name);
    const char* set = lictbn[l->lang_text_charset]->cs_name;
    ASSERT_NE(iconv_name(set), nullptr) << set;
    const auto& names = b.count("names_as") ? *by_name.at(b.at("names_as")) : b;
    struct Field {
      const char* key;
      const char* first;
      size_t width, count;
    };
    const Field fields[] = {
        {"days", l->lang_day_names[0], 21, 7},
        {"day_abbrevs", l->lang_day_abbrevs[0], 11, 7},
        {"months", l->lang_month_names[0], 21, 12},
        {"month_abbrevs", l->lang_month_abbrevs[0], 11, 12},
    };
    for (const Field& f : fields) {
      const auto words = split(names.at(f.key));
      ASSERT_EQ(words.size(), f.count) << l->lang_name << " " << f.key;
      for (size_t k = 0; k < f.count; ++k) {
        const char* entry = f.first + k * f.width;
        ASSERT_LT(std::strlen(entry), f.width);
        for (size_t pad = std::strlen(entry); pad < f.width; ++pad) EXPECT_EQ(entry[pad], '\0');
        EXPECT_EQ(to_utf8(entry, set), words[k]) << l->lang_name << " " << f.key << " " << k;
      }
    }
    const std::pair<const char*, const char*> word_fields[] = {
        {"yes", l->lang_yes}, {"no", l->lang_no}, {"ad", l->lang_ad},
        {"bc", l->lang_bc},   {"am", l->lang_am}, {"pm", l->lang_pm}};
    for (const auto& [key, stored] : word_fields) {
      bool hex_only = false;
      const std::string want = letters(b.at(key), &hex_only);
      ASSERT_FALSE(hex_only) << key;
      EXPECT_EQ(to_utf8(stored, set), want) << l->lang_name << " " << key;
    }
  }
}

TEST(NlsLanguages, BytesGivenExactly) {
  struct Row {
    const char* lang;
    const char* li_langdef::*field;
    const char* bytes;
  };
  const Row rows[] = {
      {"SPANISH", &li_langdef::lang_yes, "\x73\xED"},
      {"FINNISH", &li_langdef::lang_yes, "\x6B\x79\x6C\x6C\xE4"},
      {"GREEK", &li_langdef::lang_no, "\xEF\xF7\xE9"},
      {"TURKISH", &li_langdef::lang_am, "\xD6\xD6"},
      {"RUSSIAN", &li_langdef::lang_bc, "\xD4\xDE\x20\xDD\x2E\xD7\x2E"},
      {"POLISH", &li_langdef::lang_am, "\x70\x72\x7A\x65\x64\x20\x70\x6F\xB3"},
      {"SLOVAK", &li_langdef::lang_yes, "\xC1\x6E\x6F"},
      {"ARABIC", &li_langdef::lang_pm, "\xC8\x2E\xD8"},
      {"JAPANESE", &li_langdef::lang_bc, "\xB5\xAA\xB8\xB5\xC1\xB0"},
      {"BRAZILIAN PORTUGUESE", &li_langdef::lang_am, "\x6D\x61\x6E\x68\xE3"},
  };
  for (const Row& r : rows) {
    const li_langdef* l = liltbn[liplget(r.lang, static_cast<int32_t>(std::strlen(r.lang)), nullptr)];
    EXPECT_STREQ(l->*r.field, r.bytes) << r.lang;
  }
  // Names that only differ where the languages do.
  const li_langdef* es = liltbn[5];
  const li_langdef* mx = liltbn[17];
  EXPECT_STREQ(es->lang_month_abbrevs[11], "dic");
  EXPECT_STREQ(mx->lang_month_abbrevs[11], "dec");
  EXPECT_STREQ(liltbn[22]->lang_month_names[8], "rugs\xEC" "joer");
  EXPECT_EQ(liltbn[16]->lang_day_names, liltbn[14]->lang_day_names);  // shared arrays
}

TEST(NlsTerritories, RecordsMatchTheTable) {
  struct Row {
    const char* name;
    const char* decimal;
    const char* group;
    const char* iso;
    const char* currency;  // stored bytes
    const char* text_set;
    uint16_t first_day, a67, a68, a76;
    const char* date_format;
    const char* time_format;
  };
  const Row rows[] = {
      {"AMERICA", ".", ",", "USD", "$", "US7ASCII", 0, 2, 1, 0, "DD-MON-YY", "HH.MI.SS AM"},
      {"UNITED KINGDOM", ".", ",", "GBP", "\xA3", "WE8ISO8859P1", 1, 2, 1, 1, "DD-Mon-YY", "HH24.MI.SS"},
      {"GERMANY", ",", ".", "DEM", "DM", "WE8DEC", 1, 2, 1, 1, "DD.MM.YY", "HH24:MI:SS"},
      {"FRANCE", ",", ".", "FRF", "F", "WE8DEC", 1, 2, 1, 1, "DD/MM/YY", "HH24:MI:SS"},
      {"CANADA", ",", " ", "CAD", "$", "WE8DEC", 0, 2, 1, 1, "YY-MM-DD", "HH24:MI:SS"},
      {"SPAIN", ",", ".", "ESP", "Pts", "WE8DEC", 1, 2, 1, 1, "DD/MM/YY", "HH24:MI:SS"},
      {"ITALY", ",", ".", "ITL", "L.", "WE8DEC", 1, 2, 1, 1, "DD-Mon-YY", "HH24:MI:SS"},
      {"THE NETHERLANDS", ",", ".", "NLG", "f", "WE8DEC", 1, 2, 1, 1, "DD-MM-YY", "HH24:MI:SS"},
      {"SWEDEN", ",", ".", "SEK", "Kr", "WE8DEC", 1, 2, 1, 1, "YYYY-MM-DD", "HH24:MI:SS"},
      {"NORWAY", ",", ".", "NOK", "Kr.", "WE8DEC", 1, 2, 1, 1, "DD.MM.YYYY", "HH24.MI"},
      {"DENMARK", ",", ".", "DKK", "Kr", "WE8DEC", 1, 2, 1, 1, "YY-MM-DD", "HH24:MI:SS"},
      {"FINLAND", ",", ".", "FIM", "mk", "WE8DEC", 1, 2, 1, 1, "DD.MM.YYYY", "HH24:MI:SS"},
      {"ICELAND", ",", ".", "IKR", "kr.", "WE8ISO8859P1", 1, 2, 1, 1, "DD.MM.YYYY", "HH24:MI:SS"},
      {"GREECE", ",", ".", "GRD", "\xC4\xF1\xF7", "EL8ISO8859P7", 1, 0, 0, 0, "DD/MM/YY", "HH24:MI:SS"},
      {"PORTUGAL", ",", ".", "PTE", "$", "WE8DEC", 0, 2, 0, 1, "YY.MM.DD", "HH24:MI:SS"},
      {"TURKEY", ",", ".", "TRL", "TL", "WE8ISO8859P9", 1, 2, 1, 0, "DD/MM/YYYY", "HH24:MI:SS"},
      {"BRAZIL", ",", ".", "BRC", "Cr$", "WE8DEC", 0, 2, 0, 1, "DD/MM/YY", "HH24:MI:SS"},
      {"MEXICO", ",", ".", "MXP", "$", "WE8DEC", 1, 2, 1, 1, "DD/MM/YY", "HH24:MI:SS"},
      {"CIS", ",", " ", "SUR", "\xE1.", "RU8PC855", 1, 2, 1, 0, "DD.MM.YY", "HH24:MI:SS"},
      {"POLAND", ",", " ", "PLZ", "z\xB3", "EE8ISO8859P2", 1, 2, 1, 1, "YY/MM/DD", "HH24:MI:SS"},
      {"HUNGARY", ".", " ", "HUF", "Ft", "EE8ISO8859P2", 1, 2, 1, 1, "YY-Mon-DD", "HH24.MI.SS"},
      {"CZECHOSLOVAKIA", ",", ".", "CSK", "K\xE8s", "EE8ISO8859P2", 1, 2, 1, 1, "DD.MM.YY", "HH24:MI"},
      {"LITHUANIA", ",", ".", "UKN", "Lt", "NEE8ISO8859P4", 1, 2, 0, 1, "YYYY.MM.DD", "HH24:MI"},
      {"UNITED ARAB EMIRATES", ",", " ", "AED", "\xCF\xD1\xE7\xE5", "AR8ISO8859P6", 6, 2, 1, 1, "YY-MM-DD",
       "HH24:MI:SS"},
      {"SWITZERLAND", ",", ".", "CHF", "SF", "WE8ISO8859P1", 1, 2, 1, 1, "DD.MM.YY", "HH24:MI:SS"},
      {"AUSTRIA", ",", ".", "ATS", "\xD6S", "WE8ISO8859P1", 1, 2, 1, 1, "DD.MM.YY", "HH24:MI:SS"},
      {"THAILAND", ".", ",", "THB", "$", "TH8TISASCII", 0, 2, 1, 0, "DD-MON-YY", "HH.MI.SS AM"},
      {"CHINA", ".", ",", "CNY", "$", "ZHS16CGB231280", 0, 2, 1, 0, "DD-MON-YY", "HH.MI.SS AM"},
      {"HONG KONG", ".", ",", "HKD", "$", "ZHT32EUC", 0, 2, 1, 0, "DD-MON-YY", "HH.MI.SS AM"},
      {"JAPAN", ".", ",", "JPY", "\x5C", "JA16EUC", 0, 2, 0, 1, "YY-MM-DD", "HH24:MI:SS"},
      {"KOREA", ".", ",", "KRW", "\xA3\xDC", "KO16KSC5601", 0, 2, 1, 0, "YY/MM/DD", "HH24:MI:SS"},
      {"TAIWAN", ".", ",", "TWD", "$", "ZHT32EUC", 0, 2, 1, 0, "DD-MON-YY", "HH.MI.SS AM"},
  };
  ASSERT_EQ(sizeof rows / sizeof rows[0], size_t{LI_TERRITORY_COUNT});
  for (size_t i = 0; i < LI_TERRITORY_COUNT; ++i) {
    const Row& r = rows[i];
    const li_terrdef* t = littbn[i];
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->terr_name, r.name);
    EXPECT_STREQ(t->terr_decimal, r.decimal) << r.name;
    EXPECT_STREQ(t->terr_group, r.group) << r.name;
    EXPECT_STREQ(t->terr_iso_currency, r.iso) << r.name;
    EXPECT_STREQ(t->terr_currency, r.currency) << r.name;
    EXPECT_EQ(t->terr_text_charset, cs(r.text_set)) << r.name;
    EXPECT_EQ(t->terr_first_weekday, r.first_day) << r.name;
    EXPECT_EQ(t->terr_attr_a, r.a67) << r.name;
    EXPECT_EQ(t->terr_attr_b, r.a68) << r.name;
    EXPECT_EQ(t->terr_attr_c, r.a76) << r.name;
    EXPECT_EQ(t->terr_reserved, 0) << r.name;
    EXPECT_STREQ(t->terr_date_format, r.date_format) << r.name;
    EXPECT_STREQ(t->terr_time_format, r.time_format) << r.name;
  }
  EXPECT_EQ(littbn[LI_TERRITORY_COUNT], nullptr);
  EXPECT_STREQ(littbn[9]->terr_c_datetime_fmt, "%A %B den %d %Y Kl. %H.%M");
  EXPECT_STREQ(littbn[22]->terr_c_date_fmt, "%Y m. %B %d d.");
  EXPECT_EQ(to_utf8(littbn[29]->terr_c_datetime_fmt, "JA16EUC"), "%Y年%m月%d日 %H時%M分");
  EXPECT_EQ(to_utf8(littbn[18]->terr_currency, "RU8PC855"), "р.");
}

TEST(NlsData, Enumeration) {
  struct Row {
    int32_t kind;
    int32_t count;  // names returned from index 0
    const char* first;
    const char* last;
  };
  const Row rows[] = {
      {LI_KIND_LANGUAGE, 29, "AMERICAN", "TRADITIONAL CHINESE"},
      {LI_KIND_TERRITORY, 32, "AMERICA", "TAIWAN"},
      {LI_KIND_CHARSET, 93, "US7ASCII", "AR8ARABICMACS"},
      {LI_KIND_SORT, 38, "BINARY", "THAI_TELEPHONE"},
  };
  for (const Row& r : rows) {
    int32_t index = 0, status = -1;
    std::vector<std::string> names;
    while (const char* n = lihdata(r.kind, &index, &status)) {
      EXPECT_EQ(status, 0);
      names.push_back(n);
      ASSERT_LT(names.size(), 200u);
    }
    ASSERT_EQ(static_cast<int32_t>(names.size()), r.count) << r.kind;
    EXPECT_EQ(names.front(), r.first);
    EXPECT_EQ(names.back(), r.last);
    // The call that found the end still advanced the index.
    EXPECT_EQ(index, r.count + 1 + (r.kind == LI_KIND_LANGUAGE ? 1 : 0));
  }
  int32_t index = 5, status = 0;
  EXPECT_EQ(lihdata(99, &index, &status), nullptr);
  EXPECT_EQ(status, 13);
  EXPECT_EQ(index, 6);
  index = 3;
  EXPECT_STREQ(lihdata(LI_KIND_LANGUAGE, &index, &status), "FRENCH");
  EXPECT_EQ(status, 0);
  index = -4;
  EXPECT_EQ(lihdata(LI_KIND_SORT, &index, &status), nullptr);
  EXPECT_EQ(index, -3);
}

TEST(NlsData, Banner) {
  char buf[64];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(livers(buf, 38), 38);
  EXPECT_STREQ(buf, "KUVIMA Version 2.3.4.2.0 - Production");
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(livers(buf, 37), 0);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(livers(nullptr, 64), 0);
}

}  // namespace
