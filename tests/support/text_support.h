// Helpers shared by the tests and benchmarks that work on text: glibc iconv as an encoder
// independent of our tables, and a work handle for a character set named by its name.
// No test framework here, so benchmarks can use it too.
#pragma once

#include <iconv.h>

#include <cstring>
#include <string>

#include "zunt/nls.h"

namespace zunt_support {

// Converts `in` from one iconv encoding to another, flushing the converter so that a stateful
// encoding ends in its initial mode. False when iconv lacks either encoding or cannot convert
// all of the text; `out` then holds what was converted.
inline bool iconv_convert(const std::string& in, const char* from, const char* to, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    out->clear();
    return false;
  }
  std::string buf(in.size() * 4 + 16, '\0');
  char* ip = const_cast<char*>(in.data());
  size_t il = in.size();
  char* op = buf.data();
  size_t ol = buf.size();
  const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) &&
                  iconv(cd, nullptr, nullptr, &op, &ol) != static_cast<size_t>(-1);
  iconv_close(cd);
  buf.resize(buf.size() - ol);
  *out = buf;
  return ok;
}

// A handle for the character set of that name, built as the conversions build their work
// handles: cleared, the language and territory setters with their defaults, then the set.
// `not_found` receives the lookup's answer (0 when the name exists).
inline li_handle handle_for(const char* name, int32_t* not_found) {
  li_handle h;
  std::memset(&h, 0, sizeof h);
  liplset(1, &h);
  liptset(0, &h);
  *not_found = 1;
  lipcset(lipcget(name, static_cast<int32_t>(std::strlen(name)), 1, not_found), &h);
  return h;
}

}  // namespace zunt_support
