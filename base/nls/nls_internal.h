// Internal access to the built-in NLS definitions: range-checked lookups by number and the
// resolution of a handle's references, shared by the handle operations.
#pragma once

#include <cstdint>

#include "zunt/nls.h"

namespace zunt::nls {

inline constexpr uint16_t kCharsetCount = LI_CS_COUNT;

// The definition of that number, or null when the number is out of range.
inline const li_langdef* language_def(uint32_t n) noexcept {
  return n < LI_LANGUAGE_COUNT ? liltbn[n] : nullptr;
}
inline const li_terrdef* territory_def(uint32_t n) noexcept {
  return n < LI_TERRITORY_COUNT ? littbn[n] : nullptr;
}
inline const li_sortdef* sort_def(uint32_t n) noexcept {
  return n < LI_SORT_COUNT ? listab[n] : nullptr;
}
inline const li_csdef* charset_def(uint32_t n) noexcept {
  return n < kCharsetCount ? lictbn[n] : nullptr;
}

// Start of the character-set definition area that handle references are offsets into.
inline const char* definition_base() noexcept {
  return static_cast<const char*>(static_cast<const void*>(licbas[0]));
}

// Offset of an object inside the definition area, as stored in a handle.
inline uint32_t reference_to(const void* p) noexcept {
  return static_cast<uint32_t>(static_cast<const char*>(p) - definition_base());
}

// The current character-set definition of a handle (through cs_ref). A reference that
// names no definition (a handle never set up, or overwritten) gives definition 0 rather
// than an address outside the area.
inline const li_csdef* handle_charset(const li_handle* h) noexcept {
  const uint32_t ref = h->cs_ref;
  if (ref % sizeof(li_csdef) != 0 || ref / sizeof(li_csdef) >= kCharsetCount) return lictbn[0];
  return reinterpret_cast<const li_csdef*>(definition_base() + ref);
}

}  // namespace zunt::nls
