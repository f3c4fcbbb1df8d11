// Helpers shared by the character-set data tests.
#pragma once

#include <cstring>

#include "zunt/nlscs.h"

namespace zunt::cstest {

// The definition of that name, or null.
inline const li_csdef* by_name(const char* name) {
  for (const li_csdef* const* p = lictbn; *p; ++p)
    if (std::strcmp((*p)->cs_name, name) == 0) return *p;
  return nullptr;
}

}  // namespace zunt::cstest
