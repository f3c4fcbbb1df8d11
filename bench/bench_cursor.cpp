// Walking text character by character: the cursor over 1 MiB of Japanese EUC and of Latin-1
// text, beside glibc mbrtowc over the same text in UTF-8 (converted with iconv), each walk
// alone and with a classification of every character (the inner loop of every parser).
//   zunt      the library's inline core (what its own string code runs)
//   limfwdx   the public inline lim_next, calling the exported step for multibyte text
//   mbrtowc   glibc, UTF-8 locale; with iswalpha for the classifying walk
#include <benchmark/benchmark.h>
#include <locale.h>
#include <wchar.h>
#include <wctype.h>

#include <cstring>
#include <string>
#include <vector>

#include "nlsstr/cursor_inl.h"
#include "text_support.h"
#include "zunt/cursor.h"
#include "zunt/nls.h"

namespace {

constexpr size_t kSize = 1 << 20;

li_handle handle_for(const char* name) {
  int32_t not_found = 1;
  return zunt_support::handle_for(name, &not_found);
}

// Japanese running text in EUC: kanji and hiragana with ASCII digits, spaces and
// punctuation, about one single-byte character in six.
std::string eucjp_text() {
  std::string s;
  unsigned x = 12345;
  while (s.size() < kSize - 4) {
    x = x * 1103515245u + 12345u;
    const unsigned r = (x >> 16) % 12;
    if (r < 2) {
      s += static_cast<char>(r == 0 ? ' ' : '0' + (x >> 8) % 10);
    } else if (r < 6) {
      s += '\xA4';  // hiragana
      s += static_cast<char>(0xA1 + (x >> 4) % 83);
    } else {
      s += static_cast<char>(0xB0 + (x >> 4) % 31);  // the full kanji rows of level 1
      s += static_cast<char>(0xA1 + (x >> 9) % 94);
    }
  }
  return s;
}

// Western European text in ISO 8859-1: mostly ASCII letters, an accented letter in about
// one character of eight.
std::string latin_text() {
  static const char kAccented[] = "\xE0\xE1\xE2\xE4\xE7\xE8\xE9\xEA\xEB\xEE\xEF\xF4\xF6\xF9\xFC\xDF\xC9\xC4";
  std::string s;
  unsigned x = 777;
  while (s.size() < kSize) {
    x = x * 1103515245u + 12345u;
    const unsigned r = (x >> 16) % 16;
    if (r < 2)
      s += kAccented[(x >> 4) % (sizeof kAccented - 1)];
    else if (r < 4)
      s += ' ';
    else
      s += static_cast<char>('a' + (x >> 8) % 26);
  }
  return s;
}

std::string to_utf8(const std::string& in, const char* from) {
  std::string out;
  return zunt_support::iconv_convert(in, from, "UTF-8", &out) ? out : std::string();  // the walk reports it
}

struct Corpus {
  std::string text, utf8;
  li_handle h;
  Corpus(std::string t, const char* iconv_name, const char* set)
      : text(std::move(t)), utf8(to_utf8(text, iconv_name)), h(handle_for(set)) {}
};

const Corpus& eucjp() {
  static const Corpus c(eucjp_text(), "EUC-JP", "JA16EUC");
  return c;
}
const Corpus& latin() {
  static const Corpus c(latin_text(), "ISO-8859-1", "WE8ISO8859P1");
  return c;
}

// kInline: the library's inline core; otherwise the public inline operations, which call
// the exported functions for multibyte text.
template <bool kClassify, bool kInline>
void walk_cursor(benchmark::State& state, const Corpus& k) {
  int64_t chars = 0;
  for (auto _ : state) {
    lim_cursor c;
    limcpen(k.text.data(), static_cast<uint32_t>(k.text.size()), &c, &k.h);
    uint32_t n = 0, alpha = 0;
    while (lim_offset(&c) < c.len) {
      if constexpr (kClassify)
        alpha += (kInline ? zunt::cursor::classify(c, zunt::cursor::kAlpha) : lim_isalpha(&c)) != 0;
      if constexpr (kInline)
        zunt::cursor::next(c);
      else
        lim_next(&c);
      ++n;
    }
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(alpha);
    chars += n;
  }
  state.SetItemsProcessed(chars);
}

template <bool kClassify>
void walk_mbrtowc(benchmark::State& state, const Corpus& k) {
  if (k.utf8.empty()) {
    state.SkipWithError("iconv could not convert the text to UTF-8");
    return;
  }
  locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) {
    state.SkipWithError("no C.UTF-8 locale");
    return;
  }
  const locale_t old = uselocale(loc);
  int64_t chars = 0;
  for (auto _ : state) {
    mbstate_t st;
    std::memset(&st, 0, sizeof st);
    const char* p = k.utf8.data();
    size_t left = k.utf8.size();
    uint32_t n = 0, alpha = 0;
    while (left > 0) {
      wchar_t wc;
      size_t r = mbrtowc(&wc, p, left, &st);
      if (r == 0) r = 1;
      if (r > left) break;  // invalid or cut off: not in this text
      if constexpr (kClassify) alpha += iswalpha(static_cast<wint_t>(wc)) != 0;
      p += r;
      left -= r;
      ++n;
    }
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(alpha);
    chars += n;
  }
  state.SetItemsProcessed(chars);
  uselocale(old);
  freelocale(loc);
}

void eucjp_zunt(benchmark::State& s) { walk_cursor<false, true>(s, eucjp()); }
void eucjp_public(benchmark::State& s) { walk_cursor<false, false>(s, eucjp()); }
void eucjp_mbrtowc(benchmark::State& s) { walk_mbrtowc<false>(s, eucjp()); }
void latin_zunt(benchmark::State& s) { walk_cursor<false, true>(s, latin()); }
void latin_public(benchmark::State& s) { walk_cursor<false, false>(s, latin()); }
void latin_mbrtowc(benchmark::State& s) { walk_mbrtowc<false>(s, latin()); }
void eucjp_class_zunt(benchmark::State& s) { walk_cursor<true, true>(s, eucjp()); }
void eucjp_class_public(benchmark::State& s) { walk_cursor<true, false>(s, eucjp()); }
void eucjp_class_mbrtowc(benchmark::State& s) { walk_mbrtowc<true>(s, eucjp()); }
void latin_class_zunt(benchmark::State& s) { walk_cursor<true, true>(s, latin()); }
void latin_class_public(benchmark::State& s) { walk_cursor<true, false>(s, latin()); }
void latin_class_mbrtowc(benchmark::State& s) { walk_mbrtowc<true>(s, latin()); }

}  // namespace

BENCHMARK(eucjp_zunt)->Name("cursor_walk_eucjp_1mib:zunt");
BENCHMARK(eucjp_public)->Name("cursor_walk_eucjp_1mib:limfwdx");
BENCHMARK(eucjp_mbrtowc)->Name("cursor_walk_eucjp_1mib:mbrtowc");
BENCHMARK(latin_zunt)->Name("cursor_walk_latin_1mib:zunt");
BENCHMARK(latin_public)->Name("cursor_walk_latin_1mib:limfwdx");
BENCHMARK(latin_mbrtowc)->Name("cursor_walk_latin_1mib:mbrtowc");
BENCHMARK(eucjp_class_zunt)->Name("cursor_classify_eucjp_1mib:zunt");
BENCHMARK(eucjp_class_public)->Name("cursor_classify_eucjp_1mib:limfwdx");
BENCHMARK(eucjp_class_mbrtowc)->Name("cursor_classify_eucjp_1mib:mbrtowc");
BENCHMARK(latin_class_zunt)->Name("cursor_classify_latin_1mib:zunt");
BENCHMARK(latin_class_public)->Name("cursor_classify_latin_1mib:limfwdx");
BENCHMARK(latin_class_mbrtowc)->Name("cursor_classify_latin_1mib:mbrtowc");
