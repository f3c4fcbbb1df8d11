/* The check macro of the plain C test programs: a failed condition is reported with its
 * place and counted in the program's `failures`, which main returns. */
#ifndef ZUNT_C_CHECK_H
#define ZUNT_C_CHECK_H

#include <stdio.h>

static int failures = 0;
#define CHECK(cond)                                                      \
  do {                                                                   \
    if (!(cond)) {                                                       \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                        \
    }                                                                    \
  } while (0)

#endif
