// Helpers of the NLS tests: definitions by name, and text conversion with glibc iconv as an
// encoder independent of the generators.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "text_support.h"
#include "zunt/nls.h"

namespace nls_testing {

// The number of a character set, or of a sort, by name; the name must exist.
inline uint16_t cs(const char* name) {
  int32_t nf = 1;
  const uint16_t n = lipcget(name, static_cast<int32_t>(std::strlen(name)), 1, &nf);
  EXPECT_EQ(nf, 0) << name;
  return n;
}

inline const li_sortdef* sort(const char* name) {
  int32_t nf = 1;
  const uint16_t n = lipsget(name, static_cast<int32_t>(std::strlen(name)), 1, &nf);
  EXPECT_EQ(nf, 0) << name;
  return listab[n];
}

// glibc's name of the encoding a text character set denotes, or null.
inline const char* iconv_name(const char* set) {
  static const std::map<std::string, const char*> names = {
      {"US7ASCII", "ASCII"},          {"WE8DEC", "DEC-MCS"},         {"WE8ISO8859P1", "ISO-8859-1"},
      {"EE8ISO8859P2", "ISO-8859-2"}, {"NEE8ISO8859P4", "ISO-8859-4"}, {"CL8ISO8859P5", "ISO-8859-5"},
      {"AR8ISO8859P6", "ISO-8859-6"}, {"EL8ISO8859P7", "ISO-8859-7"}, {"WE8ISO8859P9", "ISO-8859-9"},
      {"TH8TISASCII", "TIS-620"},     {"JA16EUC", "EUC-JP"},         {"KO16KSC5601", "EUC-KR"},
      {"ZHS16CGB231280", "GB2312"},   {"ZHT32EUC", "EUC-TW"},        {"RU8PC855", "IBM855"},
  };
  auto it = names.find(set);
  return it == names.end() ? nullptr : it->second;
}

// The text converted between two iconv encodings; a marker text when that fails.
inline std::string convert(const std::string& in, const char* from, const char* to) {
  std::string out;
  if (zunt_support::iconv_convert(in, from, to, &out)) return out;
  return "<not valid " + std::string(from) + " for " + std::string(to) + ">";
}

}  // namespace nls_testing
