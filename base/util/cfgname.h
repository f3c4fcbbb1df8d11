// Name-squeezing and value-cleaning rules of the configuration lookup. The transport library
// compiles this file in as well, so it depends on nothing but the standard integer types.
#pragma once

#include <cstdint>

namespace zunt::cfg {

// Squeezed form of text[0, n): stops at a NUL; drops white space at both ends and makes each inner run
// of white space one blank. Writes at most n bytes plus a NUL to out; returns the length written.
uint32_t squeeze(const char* text, uint32_t n, char* out) noexcept;
// Cleaned form of text[0, n) by the value-cleaning rule; same buffer contract.
// The rule: leading white space is dropped, every other white-space byte becomes a blank,
// except that a white-space byte in the last position (n - 1, or just before a NUL) is
// dropped. A file line's trailing line feed goes while blanks before it stay.
uint32_t clean(const char* text, uint32_t n, char* out) noexcept;

}  // namespace zunt::cfg
