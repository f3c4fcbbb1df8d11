// Letter classes and case changes of the C locale, shared by the byte utilities. They never
// consult the process locale, so results do not change with setlocale().
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
