// Test helpers: numbers written as digit lists or decimal text, compared and printed as bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "zunt/numbers.h"

namespace numtest {

// A bare number value.
struct Num {
  std::vector<uint8_t> b;
  const lnm_number* p() const { return b.data(); }
  int32_t n() const { return static_cast<int32_t>(b.size()); }
  bool operator==(const Num& o) const { return b == o.b; }
};

inline std::string hex(const Num& v) {
  std::string s;
  char buf[4];
  for (size_t i = 0; i < v.b.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%s%02X", i ? " " : "", v.b[i]);
    s += buf;
  }
  return s;
}
inline std::ostream& operator<<(std::ostream& os, const Num& v) { return os << "[" << hex(v) << "]"; }

inline Num bytes(std::initializer_list<int> l) {
  Num v;
  for (int x : l) v.b.push_back(static_cast<uint8_t>(x));
  return v;
}

// Canonical encoding of base-100 digits (first and last non-zero, at most 20) at exponent e.
inline Num digits(std::vector<int> d, int e, bool neg = false) {
  Num v;
  v.b.push_back(static_cast<uint8_t>(neg ? 62 - e : 193 + e));
  for (int x : d) v.b.push_back(static_cast<uint8_t>(neg ? 101 - x : x + 1));
  if (neg && d.size() < 20) v.b.push_back(102);
  return v;
}

// Exact decimal text ("-12.5", "3e-7") to a canonical number; the text must fit in 20
// base-100 digits.
inline Num dec(const char* s) {
  bool neg = false;
  if (*s == '-' || *s == '+') neg = *s++ == '-';
  std::string ds;
  int point = -1;
  for (; *s && *s != 'e' && *s != 'E'; ++s) {
    if (*s == '.')
      point = static_cast<int>(ds.size());
    else
      ds += *s;
  }
  int exp10 = *s ? std::atoi(s + 1) : 0;
  if (point < 0) point = static_cast<int>(ds.size());
  size_t lead = ds.find_first_not_of('0');
  if (lead == std::string::npos) return bytes({0x80});
  // Decimal position of the first significant digit: value = 0.d1d2... * 10^pos
  int pos = point - static_cast<int>(lead) + exp10;
  ds = ds.substr(lead);
  while (!ds.empty() && ds.back() == '0') ds.pop_back();
  // Align so the first base-100 digit covers decimal positions (2E+1, 2E+2).
  int e = (pos - 1) >= 0 ? (pos - 1) / 2 : -((2 - pos) / 2);  // floor((pos - 1) / 2)
  // Leading padding: number of decimal places before d1 inside the first pair.
  int pad = 2 * (e + 1) - pos;
  std::string al = std::string(static_cast<size_t>(pad), '0') + ds;
  if (al.size() % 2) al += '0';
  std::vector<int> d;
  for (size_t i = 0; i < al.size(); i += 2) d.push_back((al[i] - '0') * 10 + (al[i + 1] - '0'));
  while (!d.empty() && d.back() == 0) d.pop_back();
  EXPECT_LE(d.size(), 20u) << "test value too long";
  EXPECT_NE(d[0], 0);
  return digits(d, e, neg);
}

inline Num from_prefixed(const uint8_t* buf) { return Num{std::vector<uint8_t>(buf + 1, buf + 1 + buf[0])}; }
inline Num from_bare(const uint8_t* buf, int32_t n) { return Num{std::vector<uint8_t>(buf, buf + n)}; }

// True when v is in canonical form.
inline bool canonical(const Num& v) {
  const auto& b = v.b;
  if (b.empty() || b.size() > 21) return false;
  if (b.size() == 1) return b[0] == 0x80 || b[0] == 0x00;
  if (b[0] == 0xFF && b[1] == 101) return b.size() == 2;
  bool neg = (b[0] & 0x80) == 0;
  size_t n = b.size() - 1;
  if (neg) {
    if (b.back() == 102) {
      --n;
      if (n >= 20) return false;
    } else if (n != 20) {
      return false;
    }
  }
  if (n == 0) return false;
  for (size_t i = 1; i <= n; ++i) {
    int d = neg ? 101 - b[i] : b[i] - 1;
    if (d < 0 || d > 99) return false;
    if ((i == 1 || i == n) && d == 0) return false;
  }
  return true;
}

}  // namespace numtest
