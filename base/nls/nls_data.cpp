// Enumeration of the built-in definitions by name (lihdata) and the component banner
// (livers).
#include <cstdint>
#include <cstring>

#include "zunt/nls.h"

namespace {

constexpr char kBanner[] = "KUVIMA Version 2.3.4.2.0 - Production";

// Name of entry i of a NULL-terminated definition array, or null past its end.
template <typename Def, typename NameOf>
const char* entry_name(const Def* const* table, int32_t i, NameOf name_of) noexcept {
  for (int32_t k = 0; k <= i; ++k)
    if (table[k] == nullptr) return nullptr;
  return name_of(table[i]);
}

}  // namespace

extern "C" {

const char* lihdata(int32_t kind, int32_t* index, int32_t* status) {
  const bool known = kind == LI_KIND_LANGUAGE || kind == LI_KIND_TERRITORY ||
                     kind == LI_KIND_CHARSET || kind == LI_KIND_SORT;
  if (status != nullptr) *status = known ? 0 : 13;
  if (index == nullptr) return nullptr;
  if (kind == LI_KIND_LANGUAGE && *index == 0) *index = 1;
  const int32_t i = *index;
  if (i < INT32_MAX) *index = i + 1;
  if (!known || i < 0) return nullptr;
  switch (kind) {
    case LI_KIND_LANGUAGE:
      return entry_name(liltbn, i, [](const li_langdef* d) { return d->lang_name; });
    case LI_KIND_TERRITORY:
      return entry_name(littbn, i, [](const li_terrdef* d) { return d->terr_name; });
    case LI_KIND_CHARSET:
      return entry_name(lictbn, i, [](const li_csdef* d) { return d->cs_name; });
    default:
      return entry_name(listab, i, [](const li_sortdef* d) { return d->sort_name; });
  }
}

int32_t livers(char* buffer, int32_t size) {
  constexpr int32_t n = sizeof kBanner;
  if (buffer == nullptr || size < n) return 0;
  std::memcpy(buffer, kBanner, n);
  return n;
}

}  // extern "C"
