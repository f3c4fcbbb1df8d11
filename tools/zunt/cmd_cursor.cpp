// "zunt walk": a text walked character by character with the character cursor, one line per
// character (offset, bytes, wide code, display width, classes); and the cursor's showcase
// section, which walks a short Japanese EUC text and a shift-sensitive host text and writes
// the host text back through an output cursor.
#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "command.h"
#include "zunt/cursor.h"

namespace zunt::tool {
namespace {

bool handle_for(const char* name, li_handle* h) {
  int32_t not_found = 1;
  const uint16_t n = lipcget(name, static_cast<int32_t>(std::strlen(name)), 1, &not_found);
  if (not_found) return false;
  std::memset(h, 0, sizeof *h);
  liplset(1, h);
  liptset(0, h);
  lipcset(n, h);
  return true;
}

std::string classes(const lim_cursor& c) {
  struct {
    uint32_t (*test)(const lim_cursor*);
    const char* name;
  } const kinds[] = {{limalpx, "alpha"}, {limdigx, "digit"}, {limxdix, "xdigit"},
                     {limspax, "space"}, {limblax, "blank"}, {limpunx, "punct"},
                     {limgrax, "graph"}, {limprix, "print"}, {limuppx, "upper"},
                     {limlowx, "lower"}, {limcntx, "cntrl"}};
  std::string s;
  for (const auto& k : kinds)
    if (k.test(&c)) {
      if (!s.empty()) s += ' ';
      s += k.name;
    }
  return s.empty() ? "-" : s;
}

// One line per character; shift bytes that the cursor consumed are shown on their own.
void walk(const li_handle& h, const uint8_t* text, uint32_t size) {
  lim_cursor c;
  std::printf("  offset  bytes         code        width  mode    classes\n");
  if (limcpen(text, size, &c, &h))
    std::printf("  %6u  %-12s  (shift byte)\n", 0u, text[0] == h.shift_out ? "SO" : "SI");
  while (lim_offset(&c) < c.len) {
    const uint32_t off = static_cast<uint32_t>(c.cur - c.start);
    const uint32_t n = lim_charlen(&c);
    std::string bytes;
    char buf[16];
    for (uint32_t i = 0; i < n; ++i) {
      std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", c.cur[i]);
      bytes += buf;
    }
    std::printf("  %6u  %-12s  0x%-8X  %5u  %-6s  %s\n", off, bytes.c_str(), limc2wx(&c),
                limdspx(&c), c.shiftset ? (c.shifted ? "double" : "single") : "",
                classes(c).c_str());
    const uint32_t step = lim_next(&c);
    if (step > n)
      std::printf("  %6u  %-12s  (shift byte)\n", off + n, c.cur[-1] == h.shift_out ? "SO" : "SI");
  }
}

// Text from hex digits ("0E 45 62 0F", spaces optional); false on anything else.
bool from_hex(const char* s, std::string* out) {
  std::string digits;
  for (; *s; ++s) {
    if (std::isspace(static_cast<unsigned char>(*s))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(*s))) return false;
    digits += *s;
  }
  if (digits.size() % 2) return false;
  for (size_t i = 0; i < digits.size(); i += 2)
    out->push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return true;
}

int run(int argc, char** argv) {
  const char* usage = "usage: zunt walk CHARSET [--hex HEX | TEXT]  (no TEXT: standard input)";
  if (argc < 2 || argc > 4) return usage_error(argv[0], usage);
  li_handle h;
  if (!handle_for(argv[1], &h)) {
    std::fprintf(stderr, "zunt walk: no character set '%s'\n", argv[1]);
    return 1;
  }
  std::string text;
  if (argc == 4) {
    if (std::strcmp(argv[2], "--hex") != 0) return usage_error(argv[0], usage);
    if (!from_hex(argv[3], &text)) return usage_error(argv[0], "HEX must be pairs of hex digits");
  } else if (argc == 3) {
    text = argv[2];
  } else {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) text.append(buf, n);
    if (text.size() >= LIM_NULTERM) {
      std::fprintf(stderr, "zunt walk: text longer than %u bytes\n", LIM_NULTERM - 1);
      return 1;
    }
  }
  walk(h, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
  return 0;
}

void showcase() {
  li_handle euc, dbcs;
  if (!handle_for("JA16EUC", &euc) || !handle_for("JA16DBCS", &dbcs)) return;
  // "日本 ＡＢ 12" in JA16EUC.
  static const uint8_t eucjp[] = {0xC6, 0xFC, 0xCB, 0xDC, ' ', 0xA3, 0xC1, 0xA3, 0xC2, ' ', '1', '2'};
  std::printf("JA16EUC \"\xE6\x97\xA5\xE6\x9C\xAC \xEF\xBC\xA1\xEF\xBC\xA2 12\":\n");
  walk(euc, eucjp, sizeof eucjp);

  // The same kind of text in the host set: SO and SI switch between EBCDIC single bytes
  // and double-byte characters; written back from wide codes, the shift bytes fall where
  // the mode changes.
  const uint32_t codes[] = {0x4562, 0x4566, 0x40, 0xC1, 0xC2, 0x40, 0x42F1, 0x42F2};
  uint8_t out[32];
  lim_cursor w;
  limopen(out, sizeof out, &w, &dbcs, 1);
  for (uint32_t code : codes) liwc2mx(code, &w);
  limwclose(&w);
  const uint32_t n = static_cast<uint32_t>(w.cur - w.start);
  std::printf("JA16DBCS written from the wide codes 4562 4566 40 C1 C2 40 42F1 42F2: ");
  print_hex(out, n);
  std::printf("\n");
  walk(dbcs, out, n);
}

const Registrar cmd(Command{"walk", "CHARSET [--hex HEX | TEXT]",
                            "walk a text character by character in a character set", run});
const Registrar show(ShowcaseSection{30, "Character cursor", showcase});

}  // namespace
}  // namespace zunt::tool
