// sltbev and sltbes: arguments, the cache, profile and file sources, chaining, the file
// line rules and concurrent use.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fixture.h"
#include "util/sltb.h"
#include "zunt/config.h"

namespace {

using zunt::test::ConfigSandbox;
using namespace zunt::cfg;

struct Result {
  int32_t rc;
  std::string value;  // the bytes written to the output (min of length and size)
  sl_oserr rec;
};

Result lookup(const std::string& name, uint32_t outsize = 255, uint32_t flags = 0) {
  Result r{};
  r.rec = {77, 77, 77};
  std::string out(outsize, '\x7F');
  r.rc = sltbev(&r.rec, name.data(), uint32_t(name.size()), out.data(), outsize, flags);
  size_t n = r.rc >= 0 ? size_t(r.rc) : out.find('\x7F') == std::string::npos ? outsize : out.find('\x7F');
  r.value = out.substr(0, n);
  return r;
}

// prefix followed by the decimal number i.
std::string numbered(const char* prefix, int i) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%d", prefix, i);
  return buf;
}

bool cached(const char* name) {
  Answer a;
  return sltb_cache_get(name, &a);
}

using Lookup = ConfigSandbox;

TEST_F(Lookup, FileLineWithBlanksAndCrLf) {
  write("cwd/VELMOR.INI", "# settings\r\n  nls_lang =  AMERICAN_AMERICA.WE8ISO8859P1\r\nOTHER=1\r\n");
  Result r = lookup("NLS_LANG");
  EXPECT_EQ(r.rc, 29);
  EXPECT_EQ(r.value, "AMERICAN_AMERICA.WE8ISO8859P1");
  EXPECT_EQ(r.rec.code, 0u);
}

TEST_F(Lookup, ArgumentErrors) {
  char out[8];
  sl_oserr rec{1, 2, 3};
  EXPECT_EQ(sltbev(&rec, nullptr, 3, out, 8, 0), -2);
  EXPECT_EQ(rec.code, SLTB_FAILED);
  EXPECT_EQ(rec.oserr, 0u);
  EXPECT_EQ(rec.extra, SLTB_EXTRA);
  EXPECT_EQ(sltbev(&rec, "ABC", 0, out, 8, 0), -2);
  EXPECT_EQ(sltbev(&rec, "ABC", 3, nullptr, 8, 0), -2);
  EXPECT_EQ(sltbev(&rec, "ABC", 3, out, 0, 0), -2);
  EXPECT_EQ(rec.code, SLTB_FAILED);
  EXPECT_EQ(sltbev(nullptr, nullptr, 0, nullptr, 0, 0), -2);  // no record is fine

  std::string n31(31, 'Q'), n32(32, 'Q');
  Result r = lookup(n32);
  EXPECT_EQ(r.rc, -2);
  EXPECT_EQ(r.rec.code, SLTB_TOOLONG);
  r = lookup(n31);
  EXPECT_EQ(r.rc, -1);
  EXPECT_EQ(r.rec.code, SLTB_NOTFOUND);
}

TEST_F(Lookup, MissIsCachedAndAnsweredWithoutError) {
  Result r = lookup("ZT_UNKNOWN");
  EXPECT_EQ(r.rc, -1);
  EXPECT_EQ(r.rec.code, SLTB_NOTFOUND);
  EXPECT_EQ(r.rec.extra, SLTB_EXTRA);
  // Defining it now does not change the answer: the miss is remembered.
  setenv("ZT_UNKNOWN", "late", 1);
  r = lookup("zt_unknown");
  EXPECT_EQ(r.rc, -1);
  EXPECT_EQ(r.rec.code, 0u);
  // A name that differs only by white space is the same setting.
  r = lookup("  ZT_UNKNOWN ");
  EXPECT_EQ(r.rc, -1);
  EXPECT_EQ(r.rec.code, 0u);
}

TEST_F(Lookup, ValueLongerThanOutputIsCutAndNotCached) {
  std::string forty = "0123456789012345678901234567890123456789";
  setenv("ZT_LONG", forty.c_str(), 1);
  Result r = lookup("ZT_LONG", 16);
  EXPECT_EQ(r.rc, -2);
  EXPECT_EQ(r.rec.code, SLTB_TOOLONG);
  EXPECT_EQ(r.value, forty.substr(0, 16));
  EXPECT_FALSE(cached("ZT_LONG"));
  r = lookup("ZT_LONG", 40);
  EXPECT_EQ(r.rc, 40);
  EXPECT_TRUE(cached("ZT_LONG"));
  // From the cache the same limit holds.
  r = lookup("ZT_LONG", 39);
  EXPECT_EQ(r.rc, -2);
  EXPECT_EQ(r.rec.code, SLTB_TOOLONG);
  EXPECT_EQ(r.value, forty.substr(0, 39));
}

TEST_F(Lookup, CacheKeepsTwentyNewestFirst) {
  for (int i = 0; i < 21; ++i) {
    std::string name = numbered("ZT_N", i);
    setenv(name.c_str(), (numbered("v", i)).c_str(), 1);
    ASSERT_EQ(lookup(name).rc, int32_t(1 + std::to_string(i).size()));
  }
  EXPECT_EQ(sltb_cache_count(), kMaxEntries);
  EXPECT_FALSE(cached("ZT_N0"));
  EXPECT_TRUE(cached("ZT_N1"));
  EXPECT_TRUE(cached("ZT_N20"));
  // Answers come from the cache: changing the environment changes nothing.
  setenv("ZT_N5", "changed", 1);
  EXPECT_EQ(lookup("ZT_N5").value, "v5");
}

TEST_F(Lookup, ProfileComesBeforeFileAndIgnoresCase) {
  write("cwd/VELMOR.INI", "ZT_BOTH=from file\nZT_FILE=only file\n");
  setenv("ZT_BOTH", "from profile", 1);
  setenv("ZT_Mixed", " padded\tvalue \t", 1);
  EXPECT_EQ(lookup("ZT_BOTH").value, "from profile");
  EXPECT_EQ(lookup("ZT_FILE").value, "only file");
  Result r = lookup("zt_mixed");  // profile keys match ignoring case
  EXPECT_EQ(r.value, "padded value ");  // the profile value is cleaned as well
  EXPECT_EQ(r.rc, 13);
}

TEST_F(Lookup, FileValueKeepsBlanksBeforeLineEnd) {
  write("cwd/VELMOR.INI", "ZT_B=ab  \nZT_EMPTY=\nZT_T = x\ty\n");
  Result r = lookup("ZT_B");
  EXPECT_EQ(r.rc, 4);
  EXPECT_EQ(r.value, "ab  ");
  EXPECT_EQ(lookup("ZT_T").value, "x y");
  // An empty value is an answer, and cached as one.
  r = lookup("ZT_EMPTY");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.rec.code, 0u);
  std::filesystem::remove(dir_ / "cwd/VELMOR.INI");
  r = lookup("ZT_EMPTY");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.rec.code, 0u);
}

TEST_F(Lookup, WhereTheFileIsFound) {
  // VLM_CONFIG in the product's path form: drive prefix and backslashes.
  std::string named = write("named.ini", "ZT_WHERE=named\n");
  write("cwd/VELMOR.INI", "ZT_WHERE=cwd\n");
  write("etc/VELMOR.INI", "ZT_WHERE=etc\nZT_ETC_ONLY=etc\n");
  std::string dos = "C:" + named;
  for (auto& c : dos)
    if (c == '/') c = '\\';
  setenv("VLM_CONFIG", dos.c_str(), 1);
  EXPECT_EQ(lookup("ZT_WHERE").value, "named");
  EXPECT_EQ(lookup("ZT_ETC_ONLY").rc, -1);  // a named file replaces the search

  sltb_cache_clear();
  unsetenv("VLM_CONFIG");
  EXPECT_EQ(lookup("ZT_WHERE").value, "cwd");
  EXPECT_EQ(lookup("ZT_ETC_ONLY").rc, -1);  // only the first file found is read

  sltb_cache_clear();
  std::filesystem::remove(dir_ / "cwd/VELMOR.INI");
  EXPECT_EQ(lookup("ZT_WHERE").value, "etc");

  // A named file that does not exist: not found, without falling back.
  sltb_cache_clear();
  setenv("VLM_CONFIG", (dir_ / "missing.ini").c_str(), 1);
  Result r = lookup("ZT_WHERE");
  EXPECT_EQ(r.rc, -1);
  EXPECT_EQ(r.rec.code, SLTB_NOTFOUND);
  EXPECT_TRUE(cached("VLM_CONFIG"));
}

TEST_F(Lookup, LineRules) {
  // Ctrl-Z ends a line; a last line needs no line feed; lines without "=" are skipped; a
  // key may carry inner blanks squeezed to one.
  write("cwd/VELMOR.INI", "junk line\nZT_Z=zed\x1AZT_AFTER=after\nZT_SP  KEY = s\nZT_LAST=end");
  EXPECT_EQ(lookup("ZT_Z").value, "zed");
  EXPECT_EQ(lookup("ZT_AFTER").value, "after");
  EXPECT_EQ(lookup("ZT_SP KEY").value, "s");
  EXPECT_EQ(lookup("ZT_LAST").value, "end");
}

TEST_F(Lookup, LongLinesAndBinaryBytes) {
  // The tail of a line longer than the line buffer cannot define a setting.
  std::string longline = "ZT_URL=" + std::string(300, 'u') + "&ZT_EVIL=1\n";
  std::string bin = std::string("\x00\xFF\x01=\x80ZT_BIN=no\n", 15);
  write("cwd/VELMOR.INI", longline + bin + "ZT_GOOD=yes\n" + std::string(5000, 'x') + "\nZT_END=end");
  EXPECT_EQ(lookup("ZT_EVIL").rc, -1);
  Result r = lookup("ZT_URL");
  EXPECT_EQ(r.rc, int32_t(kLineBuffer - 1 - 7));  // the line's first 255 bytes less "ZT_URL="
  EXPECT_EQ(r.value, std::string(248, 'u'));
  EXPECT_EQ(lookup("ZT_BIN").rc, -1);  // text after a NUL is no part of the line
  EXPECT_EQ(lookup("ZT_GOOD").value, "yes");
  EXPECT_EQ(lookup("ZT_END").value, "end");
}

TEST_F(Lookup, ChainedTranslation) {
  setenv("ZT_A", "ZT_B", 1);
  setenv("ZT_B", " ZT_C ", 1);
  setenv("ZT_C", "final value", 1);
  EXPECT_EQ(lookup("ZT_A", 255, SLTB_CHAIN).value, "final value");
  EXPECT_EQ(lookup("ZT_B").value, "ZT_C");
  // A value too long to be a name ends the chain.
  setenv("ZT_LONGCHAIN", std::string(40, 'Z').c_str(), 1);
  setenv(std::string(40, 'Z').c_str(), "never", 1);
  EXPECT_EQ(lookup("ZT_LONGCHAIN", 255, SLTB_CHAIN).value, std::string(40, 'Z'));

  // A loop fails, and the failure is remembered.
  setenv("ZT_LOOP1", "ZT_LOOP2", 1);
  setenv("ZT_LOOP2", "zt_loop1", 1);
  Result r = lookup("ZT_LOOP1", 255, SLTB_CHAIN);
  EXPECT_EQ(r.rc, -2);
  EXPECT_EQ(r.rec.code, SLTB_FAILED);
  unsetenv("ZT_LOOP2");
  r = lookup("ZT_LOOP1", 255, SLTB_CHAIN);
  EXPECT_EQ(r.rc, -2);
  EXPECT_EQ(r.rec.code, SLTB_FAILED);
}

TEST_F(Lookup, ChainEndsAtCachedMissAsAtFreshMiss) {
  setenv("ZT_HEAD", "ZT_NOWHERE", 1);
  EXPECT_EQ(lookup("ZT_HEAD", 255, SLTB_CHAIN).value, "ZT_NOWHERE");
  sltb_cache_clear();
  EXPECT_EQ(lookup("ZT_NOWHERE").rc, -1);
  EXPECT_EQ(lookup("ZT_HEAD", 255, SLTB_CHAIN).value, "ZT_NOWHERE");
}

TEST_F(Lookup, ChainInFileReadsOnFromTheMatch) {
  write("cwd/VELMOR.INI", "ZT_F1=ZT_F2\nZT_F2=ZT_F3\nZT_F3=ZT_F1\nZT_F0=early\nZT_G=ZT_F0\n");
  // ZT_F1 -> ZT_F2 -> ZT_F3 -> ZT_F1, which lies before: not found on, so ZT_F1 is the answer.
  EXPECT_EQ(lookup("ZT_F1", 255, SLTB_CHAIN).value, "ZT_F1");
  // ZT_G names ZT_F0 above it: the chain ends with ZT_G's own value.
  EXPECT_EQ(lookup("ZT_G", 255, SLTB_CHAIN).value, "ZT_F0");
}

TEST_F(Lookup, SetEnvironment) {
  sl_oserr rec{5, 5, 5};
  EXPECT_EQ(sltbes(&rec, "ZT_X", 4, nullptr, 0), 1);
  EXPECT_EQ(rec.code, 0u);
  ASSERT_NE(getenv("ZT_X"), nullptr);
  EXPECT_STREQ(getenv("ZT_X"), "");
  EXPECT_EQ(sltbes(&rec, "ZT_YES  ", 6, "value and more", 5), 1);
  EXPECT_STREQ(getenv("ZT_YES"), "value");
  EXPECT_EQ(sltbes(&rec, std::string("ZT_NUL\0ZZ", 9).data(), 9, "v\0w", 3), 1);
  EXPECT_STREQ(getenv("ZT_NUL"), "v");
  // Looked up afterwards it is seen (unless an answer was cached before).
  EXPECT_EQ(lookup("ZT_YES").value, "value");

  struct {
    const char* name;
    uint32_t namelen;
    const char* value;
    uint32_t valuelen;
    uint32_t code;
  } bad[] = {
      {nullptr, 3, "v", 1, SLTB_FAILED},  {"", 1, "v", 1, SLTB_FAILED},
      {"ZT_Q", 0, "v", 1, SLTB_FAILED},   {"ZT_Q", 4, "", 1, SLTB_FAILED},
      {"ZT_Q", 4, "v", 0, SLTB_FAILED},   {"ZT_Q", 4, nullptr, 2, SLTB_FAILED},
      {"ZT_Q=X", 6, "v", 1, SLTB_FAILED},  // the environment refuses such a name
      {"ZT_QQQQQQQQQQQQQQQQQQQQQQQQQQQQQ", 32, "v", 1, SLTB_TOOLONG},
  };
  for (auto& b : bad) {
    rec = {5, 5, 5};
    EXPECT_EQ(sltbes(&rec, b.name, b.namelen, b.value, b.valuelen), 0) << (b.name ? b.name : "null");
    EXPECT_EQ(rec.code, b.code) << (b.name ? b.name : "null");
    EXPECT_EQ(rec.extra, SLTB_EXTRA);
  }
  std::string v256(256, 'v');
  EXPECT_EQ(sltbes(&rec, "ZT_Q", 4, v256.c_str(), 256), 0);
  EXPECT_EQ(rec.code, SLTB_TOOLONG);
  EXPECT_EQ(getenv("ZT_Q"), nullptr);
  EXPECT_EQ(getenv("ZT_Q=X"), nullptr);
}

TEST_F(Lookup, ThreadsShareTheCache) {
  write("cwd/VELMOR.INI", "ZT_FILE0=f0\nZT_FILE1=f1\nZT_FILE2=f2\n");
  for (int i = 0; i < 30; ++i)
    setenv((numbered("ZT_T", i)).c_str(), (numbered("value", i)).c_str(), 1);
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &wrong] {
      for (int k = 0; k < 400; ++k) {
        int i = (k * 7 + t) % 33;
        std::string name = i < 30 ? numbered("ZT_T", i) : numbered("ZT_FILE", i - 30);
        std::string want = i < 30 ? numbered("value", i) : numbered("f", i - 30);
        char out[64];
        sl_oserr rec;
        int32_t n = sltbev(&rec, name.c_str(), uint32_t(name.size()), out, sizeof out, 0);
        if (n < 0 || std::string(out, size_t(n)) != want) ++wrong[size_t(t)];
      }
    });
  for (auto& th : threads) th.join();
  for (int w : wrong) EXPECT_EQ(w, 0);
  EXPECT_LE(sltb_cache_count(), kMaxEntries);
}

}  // namespace

namespace {

using LineReader = zunt::test::ConfigSandbox;

TEST_F(LineReader, PiecesAndEndMarks) {
  std::string path = write("lines.txt", "a\r\nb\n\r\nc\x1A" "d\r\r\n" + std::string(300, 'L') + "\nlast");
  zunt::platform::File f;
  ASSERT_TRUE(zunt::platform::file_open(path.c_str(), zunt::platform::FileMode::read, &f));
  struct {
    const char* text;
    bool ended;
  } want[] = {{"a\n", true}, {"b\n", true}, {"\n", true}, {"c", true}, {"d\r\n", true},
              {nullptr, false},  // 255 bytes of L
              {"LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL\n", true}, {"last", false}};
  for (auto& w : want) {
    char buf[zunt::cfg::kLineBuffer];
    uint32_t len = 99;
    bool ended = true;
    ASSERT_GT(zunt::cfg::sltb_readline(buf, sizeof buf, f, &len, &ended), 0u);
    std::string expect = w.text ? w.text : std::string(255, 'L');
    EXPECT_EQ(std::string(buf, len), expect);
    EXPECT_EQ(buf[len], '\0');
    EXPECT_EQ(ended, w.ended) << expect;
  }
  char buf[8];
  uint32_t len;
  bool ended;
  EXPECT_EQ(zunt::cfg::sltb_readline(buf, sizeof buf, f, &len, &ended), 0u);  // end of file
  EXPECT_EQ(len, 0u);
  zunt::platform::file_close(&f);
}

}  // namespace
