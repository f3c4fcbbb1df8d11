// "zunt langs", "zunt territories", "zunt sorts": the built-in languages, territories and
// linguistic sorts; and the NLS showcase section (a few languages with their month names and
// the handle a language setting gives).
#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "command.h"
#include "zunt/nls.h"

namespace zunt::tool {
namespace {

// The text of a definition in UTF-8 for the terminal, through glibc's converter for the
// set the text is stored in; bytes it cannot convert are shown as "?".
std::string utf8(const char* text, uint16_t charset) {
  static const struct {
    const char* set;
    const char* iconv;
  } names[] = {
      {"US7ASCII", "ASCII"},          {"WE8DEC", "DEC-MCS"},         {"WE8ISO8859P1", "ISO-8859-1"},
      {"EE8ISO8859P2", "ISO-8859-2"}, {"NEE8ISO8859P4", "ISO-8859-4"}, {"CL8ISO8859P5", "ISO-8859-5"},
      {"AR8ISO8859P6", "ISO-8859-6"}, {"EL8ISO8859P7", "ISO-8859-7"}, {"WE8ISO8859P9", "ISO-8859-9"},
      {"TH8TISASCII", "TIS-620"},     {"JA16EUC", "EUC-JP"},         {"KO16KSC5601", "EUC-KR"},
      {"ZHS16CGB231280", "GB2312"},   {"ZHT32EUC", "EUC-TW"},        {"RU8PC855", "IBM855"},
      {"IW8ISO8859P8", "ISO-8859-8"},
  };
  const char* from = nullptr;
  for (const auto& n : names)
    if (std::strcmp(n.set, lictbn[charset]->cs_name) == 0) from = n.iconv;
  std::string out;
  iconv_t cd = from != nullptr ? iconv_open("UTF-8", from) : reinterpret_cast<iconv_t>(-1);
  size_t left = std::strlen(text);
  char* in = const_cast<char*>(text);
  while (left > 0) {
    char buf[64];
    char* o = buf;
    size_t room = sizeof buf;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      out += static_cast<unsigned char>(*in) < 0x80 ? *in : '?';
      ++in;
      --left;
      continue;
    }
    const size_t r = iconv(cd, &in, &left, &o, &room);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && room == sizeof buf) {
      out += '?';
      ++in;
      --left;
    }
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return out;
}

bool wants_help(int argc, char** argv) { return argc > 1 && std::strcmp(argv[1], "--help") == 0; }

// The names of one language: days, abbreviated days, months, abbreviated months and words.
int show_language(const char* name) {
  int32_t nf = 0;
  const uint16_t n = liplget(name, static_cast<int32_t>(std::strlen(name)), &nf);
  if (nf) {
    std::fprintf(stderr, "zunt langs: no language named '%s' (zunt langs lists them)\n", name);
    return 1;
  }
  const li_langdef* l = liltbn[n];
  const uint16_t set = l->lang_text_charset;
  std::printf("%s (%s), texts in %s\n", l->lang_name, l->lang_abbrev, lictbn[set]->cs_name);
  const struct {
    const char* title;
    const char* first;
    int width, count;
  } rows[] = {{"days", l->lang_day_names[0], 21, 7},
              {"abbreviated days", l->lang_day_abbrevs[0], 11, 7},
              {"months", l->lang_month_names[0], 21, 12},
              {"abbreviated months", l->lang_month_abbrevs[0], 11, 12}};
  for (const auto& r : rows) {
    std::string line;
    for (int k = 0; k < r.count; ++k) {
      if (k > 0) line += ", ";
      line += utf8(r.first + k * r.width, set);
    }
    std::printf("  %-19s %s\n", r.title, line.c_str());
  }
  std::printf("  %-19s %s / %s\n", "yes / no", utf8(l->lang_yes, set).c_str(), utf8(l->lang_no, set).c_str());
  std::printf("  %-19s %s / %s\n", "eras", utf8(l->lang_ad, set).c_str(), utf8(l->lang_bc, set).c_str());
  std::printf("  %-19s %s / %s\n", "halves of the day", utf8(l->lang_am, set).c_str(),
              utf8(l->lang_pm, set).c_str());
  std::printf("  %-19s territory %s, character set %s, sort %s\n", "defaults",
              littbn[l->lang_territory]->terr_name, lictbn[l->lang_charset]->cs_name,
              listab[l->lang_sort]->sort_name);
  return 0;
}

int langs(int argc, char** argv) {
  if (wants_help(argc, argv)) {
    std::printf(
        "usage: zunt langs [NAME]\n"
        "Lists the built-in languages: number, name, abbreviation, default territory,\n"
        "character set and sort, and the month names (shown in UTF-8). With NAME (any\n"
        "letter case) shows that language's day and month names and words.\n");
    return 0;
  }
  if (argc > 2) return usage_error("langs", "takes at most one NAME (see zunt langs --help)");
  if (argc == 2) return show_language(argv[1]);
  std::printf("%-3s %-21s %-5s %-21s %-15s %-16s %s\n", "no", "name", "abbr", "territory", "charset",
              "sort", "months");
  for (int i = 1; liltbn[i] != nullptr; ++i) {
    const li_langdef* l = liltbn[i];
    std::string months;
    for (int m = 0; m < 12; ++m) {
      if (m > 0) months += ' ';
      months += utf8(l->lang_month_names[m], l->lang_text_charset);
    }
    std::printf("%-3d %-21s %-5s %-21s %-15s %-16s %s\n", i, l->lang_name, l->lang_abbrev,
                littbn[l->lang_territory]->terr_name, lictbn[l->lang_charset]->cs_name,
                listab[l->lang_sort]->sort_name, months.c_str());
  }
  return 0;
}

int territories(int argc, char** argv) {
  if (wants_help(argc, argv)) {
    std::printf(
        "usage: zunt territories\n"
        "Lists the built-in territories: number, name, decimal and group separators, ISO\n"
        "currency, local currency, first day of the week and default date format.\n");
    return 0;
  }
  if (argc > 1) return usage_error("territories", "takes no arguments (see zunt territories --help)");
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::printf("%-3s %-21s %-4s %-5s %-4s %-8s %-5s %s\n", "no", "name", "dec", "group", "iso",
              "currency", "week", "date format");
  for (int i = 0; littbn[i] != nullptr; ++i) {
    const li_terrdef* t = littbn[i];
    char dec[8], grp[8];
    std::snprintf(dec, sizeof dec, "'%c'", t->terr_decimal[0]);
    std::snprintf(grp, sizeof grp, "'%c'", t->terr_group[0]);
    std::printf("%-3d %-21s %-4s %-5s %-4s %-8s %-5s %s\n", i, t->terr_name, dec, grp,
                t->terr_iso_currency, utf8(t->terr_currency, t->terr_text_charset).c_str(),
                days[t->terr_first_weekday % 7], t->terr_date_format);
  }
  return 0;
}

// The letters and signs of one character set in the order of a sort: one line per primary
// weight, its characters in the order of their secondary weights.
int show_sort(const char* name, const char* set_name) {
  int32_t nf = 0;
  const li_sortdef* s = listab[lipsget(name, static_cast<int32_t>(std::strlen(name)), 1, &nf)];
  if (nf) {
    std::fprintf(stderr, "zunt sorts: no sort named '%s' (zunt sorts lists them)\n", name);
    return 1;
  }
  const uint16_t set = lipcget(set_name, static_cast<int32_t>(std::strlen(set_name)), 1, &nf);
  const li_csdef* cs = lictbn[set];
  if (nf || !(cs->cs_flags & 0x01)) {
    std::fprintf(stderr, "zunt sorts: '%s' is no single-byte character set\n", set_name);
    return 1;
  }
  if (s->sort_primary == nullptr) {
    std::printf("%s compares bytes; it has no weights\n", s->sort_name);
    return 0;
  }
  std::printf("%s over %s (primary weight: characters by secondary weight)\n", s->sort_name, cs->cs_name);
  for (int w = 1; w < 256; ++w) {
    std::string line;
    for (int sec = 1; sec < 256; ++sec)
      for (int b = 0x21; b < 256; ++b) {
        const uint16_t c = cs->cs_to_code[b];
        if (c < LI_SORT_CODES && s->sort_primary[c] == w && s->sort_secondary[c] == sec &&
            cs->cs_from_code[c] == b) {
          const char text[2] = {static_cast<char>(b), 0};
          line += utf8(text, set);
        }
      }
    if (!line.empty()) std::printf("%3d %s\n", w, line.c_str());
  }
  return 0;
}

int sorts(int argc, char** argv) {
  if (wants_help(argc, argv)) {
    std::printf(
        "usage: zunt sorts [NAME [CHARSET]]\n"
        "Lists the built-in linguistic sorts: number, name, the sort whose weight tables it\n"
        "shares, and its special features (expansions, contractions, case and base-form\n"
        "specials). With NAME shows the characters of a single-byte CHARSET (default\n"
        "WE8ISO8859P1) in that sort's order, one line per primary weight.\n");
    return 0;
  }
  if (argc > 3) return usage_error("sorts", "takes at most NAME and CHARSET (see zunt sorts --help)");
  if (argc >= 2) return show_sort(argv[1], argc == 3 ? argv[2] : "WE8ISO8859P1");
  std::printf("%-3s %-16s %-16s %s\n", "no", "name", "weights of", "features");
  for (int i = 0; listab[i] != nullptr; ++i) {
    const li_sortdef* s = listab[i];
    const char* owner = s->sort_primary == nullptr ? "(byte order)" : s->sort_name;
    for (int k = 0; k < i; ++k)
      if (s->sort_primary != nullptr && listab[k]->sort_primary == s->sort_primary &&
          listab[k]->sort_secondary == s->sort_secondary) {
        owner = listab[k]->sort_name;
        break;
      }
    std::string f;
    static const char* const names[] = {"expansions", "contractions", "upper-case specials",
                                        "lower-case specials", "base-form specials"};
    for (int b = 0; b < 5; ++b)
      if (s->sort_features & (1 << b)) {
        if (!f.empty()) f += ", ";
        f += names[b];
      }
    std::printf("%-3d %-16s %-16s %s\n", i, s->sort_name, owner, f.empty() ? "-" : f.c_str());
  }
  return 0;
}

void showcase() {
  char banner[64];
  if (livers(banner, sizeof banner) > 0) std::printf("%s\n", banner);
  for (const char* name : {"GERMAN", "GREEK", "RUSSIAN", "JAPANESE"}) {
    const li_langdef* l = liltbn[liplget(name, static_cast<int32_t>(std::strlen(name)), nullptr)];
    std::printf("%-9s %-14s %s, %s, %s\n", l->lang_name, lictbn[l->lang_text_charset]->cs_name,
                utf8(l->lang_month_names[0], l->lang_text_charset).c_str(),
                utf8(l->lang_month_names[2], l->lang_text_charset).c_str(),
                utf8(l->lang_day_names[0], l->lang_text_charset).c_str());
  }
  const char* setting = "GERMAN_AUSTRIA.WE8ISO8859P1";
  li_handle h;
  std::memset(&h, 0, sizeof h);
  int32_t len = 0;
  const char* p = lipname(setting, static_cast<int32_t>(std::strlen(setting)), LI_COMPONENT_LANGUAGE, &len);
  const uint16_t lang = liplget(p, len, nullptr);
  liplset(lang, &h);
  p = lipname(setting, static_cast<int32_t>(std::strlen(setting)), LI_COMPONENT_TERRITORY, &len);
  liptset(liptget(p, len, lang, nullptr), &h);
  p = lipname(setting, static_cast<int32_t>(std::strlen(setting)), LI_COMPONENT_CHARSET, &len);
  lipcset(lipcget(p, len, lang, nullptr), &h);
  std::printf("%s: sort %s, decimal '%c', group '%c', currency %s, dates %s\n", setting,
              listab[h.sort]->sort_name, h.decimal_char, h.group_char,
              utf8(h.currency, h.currency_charset).c_str(), h.date_format);
}

const Registrar langs_cmd(Command{"langs", "[NAME]", "list the built-in languages, or show one", langs});
const Registrar territories_cmd(Command{"territories", "", "list the built-in territories", territories});
const Registrar sorts_cmd(Command{"sorts", "[NAME [CHARSET]]", "list the linguistic sorts, or show one's order", sorts});
const Registrar nls_showcase(ShowcaseSection{21, "Languages, territories and sorts", showcase});

}  // namespace
}  // namespace zunt::tool
