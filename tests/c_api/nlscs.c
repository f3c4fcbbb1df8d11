/* The character-set data through the shared library from C: the exported objects resolve,
 * the record layout is the one the header declares, and the id lookup works. */
#include <stddef.h>
#include <string.h>
#include <zunt/nlscs.h>

int main(void) {
  const li_csdef* euc = lihci2h(860);
  const li_csdef* l1 = lihci2h(31);
  unsigned n = 0;
  while (lictbn[n]) ++n;
  if (n != LI_CS_COUNT) return 1;
  if ((const void*)lictbn[0] != licbas[0] || licbas[1] != NULL) return 2;
  if (!euc || strcmp(euc->cs_name, "ZHT32EUC") != 0 || lihci2h(7) != NULL) return 3;
  if (lihh2ci(lictbn[44]) != 832) return 4;
  /* "é" in WE8ISO8859P1 is internal code 419, a lower-case letter. */
  if (!l1 || l1->cs_to_code[0xE9] != 419 || liclas[419] != LI_CL_LOWER) return 5;
  if (liaebc[0x08] != 0 || liaebc[0x0A] != 1 || liaebc[0xFF] != 0) return 6;
  if (offsetof(li_csdef, cs_name) <= offsetof(li_csdef, cs_id)) return 7;
  return 0;
}
