// Small queries on a handle's current character set: its id and kind, the length of the
// character a byte starts, and the Arabic shaping set's glyph set and ligatures. All of them
// reach the set through the handle's cs_ref.
#include "nls/nls_internal.h"
#include "zunt/nls.h"

namespace zunt::nls {
namespace {

bool single_byte(const li_csdef* cs) noexcept { return (cs->cs_flags & 0x01) != 0; }

// Number of bytes that follow the lead byte *p in a multibyte set (0 for a single-byte
// character).
uint32_t trailing_bytes(const li_csdef* cs, uint8_t lead) noexcept {
  if (single_byte(cs) || cs->cs_lead_attrs == nullptr) return 0;
  return cs->cs_lead_attrs[lead] & 0x3u;
}

// The set's ligature list as (ligature, first, second) byte triples ended by ligature 0.
const uint8_t* ligatures(const li_csdef* cs) noexcept {
  return static_cast<const uint8_t*>(static_cast<const void*>(cs->cs_ligatures));
}

// The entry of a ligature byte, or null.
const uint8_t* find_ligature(const li_handle* h, uint8_t ligature) noexcept {
  if (h == nullptr || ligature == 0) return nullptr;
  const uint8_t* l = ligatures(handle_charset(h));
  if (l == nullptr) return nullptr;
  for (; l[0] != 0; l += 3)
    if (l[0] == ligature) return l;
  return nullptr;
}

}  // namespace
}  // namespace zunt::nls

using namespace zunt::nls;

extern "C" {

uint16_t lihcsn(const li_handle* h) { return h != nullptr ? handle_charset(h)->cs_id : 0; }

int32_t lihasc(const li_handle* h) {
  return h != nullptr && (handle_charset(h)->cs_flags & 0x08) != 0 ? 1 : 0;
}

const li_csdef* lihdtchid(const li_handle* h) {
  if (h == nullptr) return nullptr;
  const li_langdef* l = language_def(h->language);
  return l != nullptr ? charset_def(l->lang_text_charset) : nullptr;
}

int32_t licsing(const uint8_t* p, const li_handle* h) {
  if (p == nullptr || h == nullptr) return 0;
  return trailing_bytes(handle_charset(h), *p) == 0 ? 1 : 0;
}

int32_t licmult(const uint8_t* p, const li_handle* h) {
  if (p == nullptr || h == nullptr) return 0;
  return static_cast<int32_t>(trailing_bytes(handle_charset(h), *p));
}

int32_t licdone(const uint8_t* p, const li_handle* h, int32_t available) {
  if (p == nullptr || h == nullptr || available <= 0) return 0;
  const li_csdef* cs = handle_charset(h);
  if (single_byte(cs) || available >= 4) return 1;
  return 1 + static_cast<int32_t>(trailing_bytes(cs, *p)) <= available ? 1 : 0;
}

int32_t lix7bit(const li_handle* h) {
  return h != nullptr ? static_cast<int32_t>(handle_charset(h)->cs_arabic_flags & 0x01) : 0;
}

int32_t lixliga(const li_handle* h) {
  return h != nullptr && (handle_charset(h)->cs_arabic_flags & 0x02) != 0 ? 1 : 0;
}

const li_csdef* lixgsc(const li_handle* h) {
  return h != nullptr ? charset_def(handle_charset(h)->cs_glyph_charset) : nullptr;
}

uint8_t lixclig(uint8_t first, uint8_t second, const li_handle* h) {
  if (h == nullptr) return 0;
  const uint8_t* l = ligatures(handle_charset(h));
  if (l == nullptr) return 0;
  for (; l[0] != 0; l += 3)
    if (l[1] == first && l[2] == second) return l[0];
  return 0;
}

uint8_t lixfcm(uint8_t ligature, const li_handle* h) {
  const uint8_t* l = find_ligature(h, ligature);
  return l != nullptr ? l[1] : 0;
}

uint8_t lixscm(uint8_t ligature, const li_handle* h) {
  const uint8_t* l = find_ligature(h, ligature);
  return l != nullptr ? l[2] : 0;
}

}  // extern "C"
