/* The character cursor from C through the shared library: a Japanese EUC text walked with
 * the inline operations, a shift-sensitive text written and read back, and the layout of
 * the status record. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <zunt/cursor.h>

#include "c_check.h"

static void handle_for(li_handle* h, const char* name) {
  int32_t nf = 1;
  memset(h, 0, sizeof *h);
  liplset(1, h);
  liptset(0, h);
  lipcset(lipcget(name, (int32_t)strlen(name), 1, &nf), h);
  CHECK(nf == 0);
}

int main(void) {
  li_handle euc, dbcs;
  lim_cursor c;
  li_status st;
  /* "日本" "Ａ" "1", NUL-terminated */
  static const unsigned char text[] = {0xC6, 0xFC, 0xCB, 0xDC, 0xA3, 0xC1, '1', 0};
  unsigned char out[16];
  unsigned chars = 0, wide = 0, digits = 0;
  int32_t word = -1;

  CHECK(sizeof(li_route_slot) == 52);
  CHECK(offsetof(li_status, result) == 112);
  CHECK(offsetof(lim_cursor, sb) == 0 && offsetof(lim_cursor, shiftset) == 4);

  handle_for(&euc, "JA16EUC");
  CHECK(limcpen(text, LIM_NULTERM, &c, &euc) == 0);
  while (*c.cur != 0) {
    ++chars;
    if (!lim_issb(&c) && limdspx(&c) == 2) ++wide;
    if (lim_isdigit(&c)) ++digits;
    if (chars == 3) CHECK(lim_chareq(&c, 'A') && limuppx(&c) != 0 && limc2wx(&c) == 0xA3C1u);
    lim_next(&c);
  }
  CHECK(chars == 4 && wide == 3 && digits == 1);
  CHECK(c.cur == text + 7);

  handle_for(&dbcs, "JA16DBCS");
  CHECK(limopen(out, sizeof out, &c, &dbcs, 1) == 0);
  CHECK(limpuc(&c, 0xC1) == 1);
  CHECK(liwc2mx(0x4562, &c) == 3);
  CHECK(limwterm(&c) == 2);
  CHECK(c.cur - c.start == 6 && memcmp(out, "\xC1\x0E\x45\x62\x0F", 6) == 0);

  CHECK(limcpen(out, LIM_NULTERM, &c, &dbcs) == 0);
  CHECK(limfwdx(&c) == 2 && c.shifted == 1);
  CHECK(limc2wx(&c) == 0x4562u && limcpbx(&c, &c, &word) == 2 && word == 0);
  CHECK(limfwdx(&c) == 3 && *c.cur == 0);
  CHECK(limr2w(&c, &st) == -1 && st.code == 0 && c.shifted == 1);

  if (failures == 0) printf("cursor C API: ok\n");
  return failures != 0;
}
