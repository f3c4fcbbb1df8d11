// The name-squeezing and value-cleaning rules shared with the transport library.
#include <gtest/gtest.h>

#include <string>

#include "util/cfgname.h"

namespace {

struct Row {
  std::string in;
  uint32_t n;  // bytes offered; npos: the whole string
  const char* want;
};
constexpr uint32_t kAll = 0xFFFFFFFFu;

template <typename F>
void run(F f, const Row& r) {
  uint32_t n = r.n == kAll ? uint32_t(r.in.size()) : r.n;
  std::string out(n + 1, '#');
  uint32_t len = f(r.in.data(), n, out.data());
  EXPECT_EQ(out.substr(0, len), r.want) << '"' << r.in << "\" n=" << n;
  EXPECT_EQ(out[len], '\0');
  EXPECT_LE(len, n);
}

TEST(ConfigNames, Squeeze) {
  const Row rows[] = {
      {"  nls_lang ", kAll, "nls_lang"},
      {"a \t\r\n b", kAll, "a b"},
      {"\t\v\f", kAll, ""},
      {"", kAll, ""},
      {"one  two   three", 8, "one two"},  // only the first n bytes count
      {std::string("ab\0cd", 5), kAll, "ab"},
      {"x", 0, ""},
      {" a b c ", kAll, "a b c"},
  };
  for (const auto& r : rows) run(zunt::cfg::squeeze, r);
}

TEST(ConfigNames, Clean) {
  const Row rows[] = {
      {"  AMERICAN_AMERICA.WE8ISO8859P1\n", kAll, "AMERICAN_AMERICA.WE8ISO8859P1"},
      {"value  \n", kAll, "value  "},  // only the last white-space byte goes
      {"a\tb\rc", kAll, "a b c"},
      {"a  ", kAll, "a "},
      {std::string("ab \0zz", 6), kAll, "ab"},  // the byte before the NUL is last
      {"   ", kAll, ""},
      {"\n", kAll, ""},
      {"abc def", 4, "abc"},
      {"", kAll, ""},
  };
  for (const auto& r : rows) run(zunt::cfg::clean, r);
}

}  // namespace
