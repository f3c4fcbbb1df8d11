// Letter classes and case changes of the C locale, and a byte-comparison helper, shared
// by the byte utilities. They never consult the process locale, so results do not change
// with setlocale().
#pragma once

#include <cstdint>

namespace zunt::util {

constexpr bool is_upper(uint8_t c) noexcept { return c >= 'A' && c <= 'Z'; }
constexpr bool is_lower(uint8_t c) noexcept { return c >= 'a' && c <= 'z'; }
constexpr bool is_alpha(uint8_t c) noexcept { return is_upper(c) || is_lower(c); }
constexpr bool is_space(uint8_t c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr uint8_t to_lower(uint8_t c) noexcept { return is_upper(c) ? uint8_t(c + 32) : c; }
constexpr uint8_t to_upper(uint8_t c) noexcept { return is_lower(c) ? uint8_t(c - 32) : c; }

}  // namespace zunt::util

namespace zunt::util {

// +-(i + 1) for the first index i < n where p and q differ, positive when p's byte is
// greater; 0 when the n bytes are equal. The signed-position result of lmemcpp and lmfcmp.
inline int32_t first_difference(const uint8_t* p, const uint8_t* q, uint32_t n) noexcept {
  for (uint32_t i = 0; i < n; ++i)
    if (p[i] != q[i]) return p[i] > q[i] ? int32_t(i + 1) : -int32_t(i + 1);
  return 0;
}

}  // namespace zunt::util
