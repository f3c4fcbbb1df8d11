// "zunt charsets": the built-in character sets (number, id, name, kind, bytes per character),
// or the details of one set.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command.h"
#include "zunt/nlscs.h"

namespace zunt::tool {
namespace {

const char* kind(const li_csdef* cs) {
  if (cs->cs_flags & LI_CSF_ARABIC) return "single-byte, Arabic shaping";
  if (cs->cs_flags & LI_CSF_SINGLE) return "single-byte";
  if (cs->cs_flags & LI_CSF_SHIFT) return "shift-sensitive";
  return "multibyte";
}

void print_row(unsigned number, const li_csdef* cs) {
  std::printf("%3u %4u  %-16s %-28s %u\n", number, cs->cs_id, cs->cs_name, kind(cs), cs->cs_max_bytes);
}

void print_header() {
  std::printf("  # id    name             kind                         max bytes\n");
}

void print_details(unsigned number, const li_csdef* cs) {
  print_header();
  print_row(number, cs);
  std::printf("flags 0x%02X", cs->cs_flags);
  if (cs->cs_base_id) {
    const li_csdef* base = lihci2h(cs->cs_base_id);
    std::printf(", base set %s (%u)", base ? base->cs_name : "?", cs->cs_base_id);
  }
  std::printf("\n");
  if (cs->cs_flags & LI_CSF_SINGLE) {
    // The bytes' characters as the set's own letters for A..Z, and the replacement byte.
    std::printf("bytes of A-Z:");
    for (unsigned c = 'A'; c <= 'Z'; ++c) std::printf(" %02X", cs->cs_from_code[c]);
    std::printf("\nreplacement byte 0x%02X\n", cs->cs_from_code[LI_CODE_NONE]);
    if (cs->cs_flags & LI_CSF_ARABIC)
      std::printf("glyph set %s, Arabic flags 0x%02X\n", lictbn[cs->cs_glyph_charset]->cs_name,
                  cs->cs_arabic_flags);
  } else {
    unsigned leads = 0;
    for (unsigned b = 0; b < 256; ++b) leads += (cs->cs_lead_attrs[b] & LI_MBA_TRAIL) != 0;
    std::printf("lead bytes %u", leads);
    if (cs->cs_wide_forms)
      std::printf(", wide forms of 0x%02X-0x%02X (\"A\" is 0x%X)", cs->cs_wide_first, cs->cs_wide_last,
                  cs->cs_wide_first <= 'A' && 'A' <= cs->cs_wide_last ? cs->cs_wide_forms[0x41] : 0u);
    if (cs->cs_shift_out)
      std::printf(", shift out 0x%02X, shift in 0x%02X", cs->cs_shift_out, cs->cs_shift_in);
    std::printf("\n");
  }
}

int run(int argc, char** argv) {
  if (argc > 2) return usage_error(argv[0], "usage: zunt charsets [NAME|ID]");
  if (argc == 2) {
    char* end = nullptr;
    unsigned long id = std::strtoul(argv[1], &end, 10);
    bool by_id = end != argv[1] && *end == 0;
    for (unsigned i = 0; lictbn[i]; ++i) {
      const li_csdef* cs = lictbn[i];
      if (by_id ? cs->cs_id == id : strcasecmp(cs->cs_name, argv[1]) == 0) {
        print_details(i, cs);
        return 0;
      }
    }
    std::fprintf(stderr, "zunt charsets: no character set '%s'\n", argv[1]);
    return 1;
  }
  print_header();
  for (unsigned i = 0; lictbn[i]; ++i) print_row(i, lictbn[i]);
  return 0;
}

void showcase() {
  print_header();
  const char* names[] = {"US7ASCII", "WE8ISO8859P1", "WE8EBCDIC37", "AR8ASMO708PLUS",
                         "JA16SJIS", "ZHT32EUC",     "JA16DBCS"};
  for (const char* n : names)
    for (unsigned i = 0; lictbn[i]; ++i)
      if (std::strcmp(lictbn[i]->cs_name, n) == 0) print_row(i, lictbn[i]);
  // The internal code in action: one table lookup each way between two single-byte sets.
  const li_csdef* l1 = lihci2h(31);
  const li_csdef* ebc = lihci2h(5);
  const unsigned char text[] = "K\xF6ln";
  std::printf("\"K\xC3\xB6ln\" in WE8ISO8859P1 (");
  print_hex(text, 4);
  std::printf(") is ");
  unsigned char out[4];
  for (unsigned i = 0; i < 4; ++i) out[i] = ebc->cs_from_code[l1->cs_to_code[text[i]]];
  print_hex(out, 4);
  std::printf(" in WE8EBCDIC37\n");
}

const Registrar cmd(Command{"charsets", "[NAME|ID]", "the built-in character sets, or one in detail", run});
const Registrar show(ShowcaseSection{20, "Character sets", showcase});

}  // namespace
}  // namespace zunt::tool
