/* The NLS definitions and handle from C through the shared library: a handle built with the
 * lookups and setters, the record layouts, the exported arrays and the banner. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <zunt/nls.h>

#include "c_check.h"

int main(void) {
  li_handle h;
  int32_t nf = -1, len = 0, index = 0, status = -1;
  const char* setting = "german_switzerland.we8iso8859p1";
  const char* p;
  uint16_t lang;
  char buf[40];

  /* Byte-exact parts of the handle and the special-list entries. */
  CHECK(offsetof(li_handle, charset) == 20);
  CHECK(offsetof(li_handle, flags) == 40);
  CHECK(offsetof(li_handle, decimal_char) == 44);
  CHECK(offsetof(li_handle, currency) == 46);
  CHECK(offsetof(li_handle, date_format) == 57);
  CHECK(offsetof(li_handle, currency_cs) == 90);
  CHECK(offsetof(li_handle, shift_out) == 103);
  CHECK(sizeof(li_sort_expansion) == 6 && sizeof(li_sort_contraction) == 6);
  CHECK(sizeof(li_sort_special) == 16);

  memset(&h, 0, sizeof h);
  p = lipname(setting, (int32_t)strlen(setting), LI_COMPONENT_LANGUAGE, &len);
  lang = liplget(p, len, &nf);
  CHECK(nf == 0 && strcmp(liltbn[lang]->lang_name, "GERMAN") == 0);
  liplset(lang, &h);
  p = lipname(setting, (int32_t)strlen(setting), LI_COMPONENT_TERRITORY, &len);
  liptset(liptget(p, len, lang, &nf), &h);
  CHECK(nf == 0 && strcmp(littbn[h.territory]->terr_name, "SWITZERLAND") == 0);
  p = lipname(setting, (int32_t)strlen(setting), LI_COMPONENT_CHARSET, &len);
  lipcset(lipcget(p, len, lang, &nf), &h);
  CHECK(nf == 0 && lihcsn(&h) == 31 && lihasc(&h) == 1);
  CHECK(strcmp(listab[h.sort]->sort_name, "GERMAN") == 0);
  CHECK(h.decimal_char == ',' && strcmp(h.currency, "SF") == 0);
  CHECK(strcmp(h.date_format, "DD.MM.YY") == 0);
  CHECK((h.flags & (LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE | LI_FLAG_DATE_FORMAT)) ==
        (LI_FLAG_SINGLE_BYTE | LI_FLAG_BYTEWISE | LI_FLAG_DATE_FORMAT));
  CHECK(LI_HANDLE_CSDEF(&h) == lihci2h(31));

  CHECK(strcmp(lihdata(LI_KIND_LANGUAGE, &index, &status), "AMERICAN") == 0 && index == 2);
  CHECK(strcmp(liltbn[2]->lang_month_names[2], "m\344rz") == 0);
  CHECK(listab[4]->sort_expansions[0].code == 492);
  CHECK(livers(buf, (int32_t)sizeof buf) == 38 && strncmp(buf, "KUVIMA", 6) == 0);
  return failures != 0;
}
