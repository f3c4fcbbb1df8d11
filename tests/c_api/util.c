/* The byte utilities called from C through the shared library: the variadic string
 * functions with their NULL terminator, the exported empty string and a few results. */
#include <stdio.h>
#include <string.h>

#include <zunt/config.h>
#include <zunt/util.h>

#include "c_check.h"

static int cmp_char(const void* a, const void* b) {
  return *(const char*)a - *(const char*)b;
}

int main(void) {
  char buf[64];
  char* pos = buf;
  char sorted[] = "dcba";
  int32_t v = 0;
  sl_oserr rec = {0, 0, 0};
  char out[255];

  CHECK(lstrcpn(buf, "ab", "cd", (char*)NULL) == buf + 4 && strcmp(buf, "abcd") == 0);
  CHECK(lstrap(&pos, buf + 4, "xyz", "w", (char*)NULL) == buf + 3 && strcmp(buf, "xyz") == 0);
  CHECK(lunulstr[0] == 0 && lunulstr[3] == 0);
  CHECK(lmfver(buf, sizeof buf) == 48 && strcmp(buf, "ZUNT Version 2.3.4.0.4 - Production (LSF Alpha)") == 0);
  CHECK(lmemlcomp("NLS_LANG", "nls_lang", 8) == 0);
  CHECK(lmfb2w("  -0x1F", 7, &v, 16) == 7 && v == -31);
  CHECK(lmf42b(buf, -255, -16) == 3 && memcmp(buf, "-ff", 3) == 0);
  lmfsrt(sorted, 4, 1, cmp_char);
  CHECK(strcmp(sorted, "abcd") == 0);
  /* A variable set with sltbes is the profile value sltbev finds; then it is cached. */
  CHECK(sltbes(&rec, "ZUNT_C_API_SETTING", 18, " from C ", 8) == 1 && rec.code == 0);
  CHECK(sltbev(&rec, "zunt_c_api_setting", 18, out, sizeof out, 0) == 6 && memcmp(out, "from C", 6) == 0);
  CHECK(sltbev(&rec, "ZUNT_C_API_SETTING", 18, out, 4, 0) == -2 && rec.code == SLTB_TOOLONG);
  CHECK(rec.extra == SLTB_EXTRA && rec.oserr == 0);
  CHECK(sltbev(NULL, "ZUNT_C_API_UNSET", 16, out, sizeof out, 0) == -1);
  return failures != 0;
}
