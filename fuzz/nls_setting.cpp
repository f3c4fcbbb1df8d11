// links: zunt32s_core
// Language settings and names from untrusted text: cuts the input into its components,
// looks each up, and builds a handle with the setters, which must keep every number in
// range and every reference inside the definition area.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zunt/nls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so a read past the text is caught.
  std::vector<char> text(data, data + size);
  const char* t = text.empty() ? nullptr : text.data();
  const auto n = static_cast<int32_t>(size);

  int32_t nf = 0, len = 0;
  li_handle h;
  std::memset(&h, 0, sizeof h);
  const char* p = lipname(t, n, LI_COMPONENT_LANGUAGE, &len);
  if (len < 0 || len > n || (len > 0 && (p < t || p + len > t + n))) std::abort();
  const uint16_t lang = liplget(p, len, &nf);
  liplset(lang, &h);
  p = lipname(t, n, LI_COMPONENT_TERRITORY, &len);
  if (len < 0 || len > n || (len > 0 && (p < t || p + len > t + n))) std::abort();
  liptset(liptget(p, len, lang, &nf), &h);
  p = lipname(t, n, LI_COMPONENT_CHARSET, &len);
  if (len < 0 || len > n || (len > 0 && (p < t || p + len > t + n))) std::abort();
  lipcset(lipcget(p, len, lang, &nf), &h);
  lipsset(lipsget(t, n, lang, &nf), &h);
  if (h.language == 0 || h.language >= LI_LANGUAGE_COUNT || h.territory >= LI_TERRITORY_COUNT ||
      h.sort >= LI_SORT_COUNT || LI_HANDLE_CSDEF(&h) != lictbn[h.charset])
    std::abort();
  (void)lihchtoid(t, n);

  // The first bytes as raw numbers for the setters and queries: out-of-range numbers must
  // leave the handle as it was.
  if (size >= 4) {
    const li_handle before = h;
    liplset(static_cast<uint16_t>(data[0] | data[1] << 8) | 0x100, &h);
    liptset(static_cast<uint16_t>(data[2] | 0x100), &h);
    lipcset(static_cast<uint16_t>(data[3] | 0x100), &h);
    lipsset(static_cast<uint16_t>(data[0] | 0x100), &h);
    if (std::memcmp(&before, &h, sizeof h) != 0) std::abort();
    lipcset(data[3] % 93, &h);
    (void)licdone(data + 1, &h, n - 1);
    (void)licmult(data + 1, &h);
    (void)lixclig(data[1], data[2], &h);
    (void)lixfcm(data[1], &h);
  }
  return 0;
}
