/* The number operations through the shared library from plain C: build two numbers from
 * machine integers, add, multiply, divide and negate them, and read the results back. */
#include <stdio.h>
#include <string.h>

#include <zunt/numbers.h>

static int failures = 0;

static void expect_bytes(const char *what, const lnm_number *got, int32_t n, const unsigned char *want, int32_t wn) {
  if (n != wn || memcmp(got, want, (size_t)n) != 0) {
    int32_t i;
    printf("FAIL %s:", what);
    for (i = 0; i < n; ++i) printf(" %02X", got[i]);
    printf("\n");
    ++failures;
  }
}

int main(void) {
  lnm_number a[LNM_MAXBUF], b[LNM_MAXBUF], r[LNM_MAXBUF];
  int32_t an = 0, bn = 0, rn = 0, v = 0;
  int32_t x = 1250, y = -4;
  double d = 0.0;
  static const unsigned char sum[] = {0xC2, 0x0D, 0x2F};      /* 1246 */
  static const unsigned char quot[] = {0x3D, 0x62, 0x59, 0x33, 0x66}; /* -312.5 */
  static const unsigned char neg[] = {0x3D, 0x59, 0x37, 0x66};  /* -1246 */

  if (lnmmin(&x, 4, 2, a, &an) != 0 || lnmmin(&y, 4, 2, b, &bn) != 0) {
    printf("FAIL lnmmin\n");
    return 1;
  }
  lnmqaos(a, an, b, bn, r, &rn, 0);
  expect_bytes("1250 + -4", r, rn, sum, 3);
  lnmneg(r, rn, r, &rn);
  expect_bytes("-(1246)", r, rn, neg, 4);
  lnmdiv(a, an, b, bn, r, &rn);
  expect_bytes("1250 / -4", r, rn, quot, 5);
  lnmmul(r, rn, NULL, -4, r, NULL); /* length-prefixed result, machine integer operand */
  if (lnmsni(r, 0, &v, 4, 2) != 0 || v != 1250) {
    printf("FAIL lnmsni: %d\n", (int)v);
    ++failures;
  }
  lnmnur(lnmpi, 0, &d, 8);
  if (d < 3.14159265358 || d > 3.14159265360) {
    printf("FAIL lnmnur(lnmpi): %.17g\n", d);
    ++failures;
  }
  if (lnmsgn(lnme, 0) != 1 || lnmint(lnml10, 0) != 2) {
    printf("FAIL constants\n");
    ++failures;
  }
  return failures != 0;
}
