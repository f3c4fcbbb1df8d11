/* The operating-system error record of the system layer: which operation failed, the
 * platform's error code and the exact step. Every system-layer operation first sets code
 * to 0; a failure fills all three words. */
#ifndef ZUNT_OSERR_H
#define ZUNT_OSERR_H

#include <stdint.h>

typedef struct sl_oserr {
  uint32_t code;  /* the failed operation; 0 when the last call succeeded */
  uint32_t oserr; /* the platform's error code (errno), 0 when none applies */
  uint32_t extra; /* the step that failed */
} sl_oserr;

#endif
