// The NLS handle: lookups of definitions by name, the four setters that change one selection
// and keep the dependent fields and flags consistent, and the cutting of a language setting
// ("language_territory.charset") into its components.
#include <cstring>

#include "nls/nls_internal.h"
#include "zunt/nls.h"
#include "zunt/util.h"

namespace zunt::nls {
namespace {

// A text length of 0xFE00 stands for NUL-terminated text of unknown length.
constexpr int32_t kNulTerminated = 0xFE00;

int32_t effective_length(const char* text, int32_t length) noexcept {
  if (text != nullptr && length == kNulTerminated) return static_cast<int32_t>(std::strlen(text));
  return length;
}

unsigned char ascii_upper(unsigned char c) noexcept { return c >= 'a' && c <= 'z' ? c - 32 : c; }
unsigned char ascii_lower(unsigned char c) noexcept { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// Whether `name` (exactly `length` bytes) equals the definition name `def` ignoring letter
// case. The definition name must end exactly there, so a prefix of it does not match.
bool name_matches(const char* def, const char* name, int32_t length) noexcept {
  if (def == nullptr || std::strlen(def) != static_cast<size_t>(length)) return false;
  const auto d0 = static_cast<unsigned char>(def[0]);
  const auto n0 = static_cast<unsigned char>(name[0]);
  if (d0 != ascii_upper(n0) && d0 != ascii_lower(n0)) return false;
  return lmemlcomp(def + 1, name + 1, static_cast<uint32_t>(length - 1)) == 0;
}

// Searches a NULL-terminated definition array from `first` for the name; -1 when absent.
template <typename Def, typename NameOf>
int32_t find_name(const Def* const* table, int32_t first, const char* name, int32_t length,
                  NameOf name_of) noexcept {
  length = effective_length(name, length);
  if (name == nullptr || length <= 0) return -1;
  for (int32_t i = first; table[i] != nullptr; ++i)
    if (name_matches(name_of(table[i]), name, length)) return i;
  return -1;
}

uint16_t found_or(int32_t found, uint16_t fallback, int32_t* not_found) noexcept {
  if (not_found != nullptr) *not_found = found < 0 ? 1 : 0;
  return found < 0 ? fallback : static_cast<uint16_t>(found);
}

// The language whose defaults a lookup falls back on; an unknown number counts as AMERICAN.
const li_langdef* defaults_of(uint16_t language) noexcept {
  const li_langdef* l = language_def(language);
  return l != nullptr ? l : liltbn[1];
}

bool is_white(unsigned char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }

const char* find_byte(const char* p, const char* end, char c) noexcept {
  for (; p < end; ++p)
    if (*p == c) return p;
  return nullptr;
}

void copy_field(char* field, size_t width, const char* text, size_t take) noexcept {
  std::memset(field, 0, width);
  if (text == nullptr) return;
  for (size_t i = 0; i < take && text[i] != '\0'; ++i) field[i] = text[i];
}

void set_flag(li_handle* h, uint32_t bit, bool on) noexcept {
  h->flags = on ? (h->flags | bit) : (h->flags & ~bit);
}

}  // namespace
}  // namespace zunt::nls

using namespace zunt::nls;

extern "C" {

uint16_t liplget(const char* name, int32_t length, int32_t* not_found) {
  const int32_t i = find_name(liltbn, 1, name, length, [](const li_langdef* d) { return d->lang_name; });
  return found_or(i, 1, not_found);
}

uint16_t liptget(const char* name, int32_t length, uint16_t language, int32_t* not_found) {
  const int32_t i = find_name(littbn, 0, name, length, [](const li_terrdef* d) { return d->terr_name; });
  return found_or(i, defaults_of(language)->lang_territory, not_found);
}

uint16_t lipcget(const char* name, int32_t length, uint16_t language, int32_t* not_found) {
  const int32_t i = find_name(lictbn, 0, name, length, [](const li_csdef* d) { return d->cs_name; });
  return found_or(i, defaults_of(language)->lang_charset, not_found);
}

uint16_t lipsget(const char* name, int32_t length, uint16_t language, int32_t* not_found) {
  const int32_t i = find_name(listab, 0, name, length, [](const li_sortdef* d) { return d->sort_name; });
  return found_or(i, defaults_of(language)->lang_sort, not_found);
}

uint16_t lipuget(uint16_t id, int32_t* not_found) {
  int32_t found = -1;
  for (int32_t i = 0; lictbn[i] != nullptr; ++i)
    if (lictbn[i]->cs_id == id) {
      found = i;
      break;
    }
  return found_or(found, 0, not_found);
}

const li_csdef* lihchtoid(const char* name, int32_t length) {
  int32_t not_found = 0;
  const uint16_t n = lipcget(name, length, 1, &not_found);
  return not_found ? nullptr : lictbn[n];
}

void liplset(uint16_t language, li_handle* h) {
  if (language == 0) language = 1;
  const li_langdef* l = language_def(language);
  if (h == nullptr || l == nullptr) return;
  h->language = language;
  const bool american = name_matches(l->lang_name, "american", 8);
  set_flag(h, LI_FLAG_AMERICAN, american);
  if (!(h->flags & LI_FLAG_FIXED_DATE_LANG)) {
    h->date_language = language;
    set_flag(h, LI_FLAG_DATE_AMERICAN, american);
  }
  const uint32_t a = l->lang_attrs;
  h->flags &= ~uint32_t{LI_FLAG_LANG_ATTR0 | LI_FLAG_LANG_ATTR1 | LI_FLAG_LANG_ATTR2 | LI_FLAG_LANG_ATTR3};
  if (a & 0x1) h->flags |= LI_FLAG_LANG_ATTR0;
  if (a & 0x2) h->flags |= LI_FLAG_LANG_ATTR1;
  if (a & 0x4) h->flags |= LI_FLAG_LANG_ATTR2;
  if (a & 0x8) h->flags |= LI_FLAG_LANG_ATTR3;
  if (!(h->flags & LI_FLAG_FIXED_SORT)) lipsset(l->lang_sort, h);
}

void liptset(uint16_t territory, li_handle* h) {
  const li_terrdef* t = territory_def(territory);
  if (h == nullptr || t == nullptr) return;
  h->territory = territory;
  if (!(h->flags & LI_FLAG_FIXED_ISO_TERR)) h->iso_territory = territory;
  if (!(h->flags & LI_FLAG_FIXED_NUMCHARS)) {
    h->decimal_char = static_cast<uint8_t>(t->terr_decimal[0]);
    h->group_char = static_cast<uint8_t>(t->terr_group[0]);
    h->numchar_charset = t->terr_text_charset;
  }
  if (!(h->flags & LI_FLAG_FIXED_CURRENCY)) {
    copy_field(h->currency, sizeof h->currency, t->terr_currency, 10);
    h->currency_charset = t->terr_text_charset;
  }
  if (!(h->flags & LI_FLAG_FIXED_DATE_FMT)) {
    copy_field(h->date_format, sizeof h->date_format, t->terr_date_format, 30);
    h->datefmt_charset = t->terr_text_charset;
    h->flags |= LI_FLAG_DATE_FORMAT;
  }
}

void lipcset(uint16_t charset, li_handle* h) {
  const li_csdef* cs = charset_def(charset);
  if (h == nullptr || cs == nullptr) return;
  const bool single = (cs->cs_flags & 0x01) != 0;
  h->cs_ref = reference_to(cs);
  h->upper_ref = reference_to(&cs->cs_upper);
  h->lower_ref = reference_to(&cs->cs_lower);
  h->class_ref = reference_to(&cs->cs_to_code);
  h->aux_ref = single ? reference_to(&cs->cs_shape_table) : reference_to(&cs->cs_lead_attrs);
  h->charset = charset;
  if (single) {
    h->flags |= LI_FLAG_SINGLE_BYTE;
    if (!(h->flags & LI_FLAG_SORT_SPECIAL)) h->flags |= LI_FLAG_BYTEWISE;
  } else {
    h->flags &= ~uint32_t{LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE};
  }
  if (cs->cs_flags & 0x02) {
    h->flags |= LI_FLAG_SHIFT;
    h->flags &= ~uint32_t{LI_FLAG_BYTEWISE};
  } else {
    h->flags &= ~uint32_t{LI_FLAG_SHIFT};
  }
  set_flag(h, LI_FLAG_ARABIC_SHAPING, (cs->cs_flags & 0x10) != 0);
  set_flag(h, LI_FLAG_NO_ARMOUR, (cs->cs_flags & 0x04) != 0);
  h->max_char_bytes = static_cast<uint8_t>(cs->cs_max_bytes);
  h->shift_in = cs->cs_shift_in;
  h->shift_out = cs->cs_shift_out;
}

void lipsset(uint16_t sort, li_handle* h) {
  const li_sortdef* s = sort_def(sort);
  if (h == nullptr || s == nullptr) return;
  h->sort = sort;
  if (s->sort_features == 0) {
    h->flags &= ~uint32_t{LI_FLAG_SORT_SPECIAL};
    if ((h->flags & LI_FLAG_SINGLE_BYTE) && !(h->flags & LI_FLAG_SHIFT)) h->flags |= LI_FLAG_BYTEWISE;
  } else {
    h->flags |= LI_FLAG_SORT_SPECIAL;
    h->flags &= ~uint32_t{LI_FLAG_BYTEWISE};
  }
}

const char* lipname(const char* text, int32_t length, int32_t component, int32_t* length_out) {
  int32_t dummy = 0;
  int32_t* out = length_out != nullptr ? length_out : &dummy;
  *out = 0;
  length = effective_length(text, length);
  if (text == nullptr || length <= 0) return text;
  const char* const end = text + length;
  const char* start = nullptr;
  const char* stop = end;
  switch (component) {
    case LI_COMPONENT_LANGUAGE: {
      start = text;
      for (const char* p = text; p < end; ++p)
        if (*p == '_' || *p == '.') {
          stop = p;
          break;
        }
      break;
    }
    case LI_COMPONENT_TERRITORY: {
      const char* u = find_byte(text, end, '_');
      if (u == nullptr) return text;
      start = u + 1;
      const char* dot = find_byte(start, end, '.');
      if (dot != nullptr) stop = dot;
      break;
    }
    case LI_COMPONENT_CHARSET: {
      const char* dot = find_byte(text, end, '.');
      if (dot == nullptr) return text;
      start = dot + 1;
      break;
    }
    default:
      return text;
  }
  while (start < stop && is_white(static_cast<unsigned char>(*start))) ++start;
  while (stop > start && is_white(static_cast<unsigned char>(stop[-1]))) --stop;
  if (stop == start) return text;
  *out = static_cast<int32_t>(stop - start);
  return start;
}

}  // extern "C"
