/* The stand-in 16-bit drivers libthunka16.so ("THUNKA16.DLL") and libthunkb16.so
 * ("THUNKB16.DLL"), for tests and demos of the thunk libraries.
 *
 * Both export the driver entries "thunka16init" and "osndispatch16" (see platform/uthunk.h
 * for their shapes) and the test entries below. A driver keeps its state for a connection
 * in the caller's five connection words:
 *   word 0  address of the driver's record of the connection
 *   word 1  requests served on the connection (the connect sets 1, every request adds 1)
 *   word 2  address of the driver's name, "THUNKA16.DLL" or "THUNKB16.DLL"
 *   word 3  address of the record's data area (what the last send stored)
 *   word 4  address of the record's data length word
 * Requests: 2 connect (writes 4096 to the word at block word 12 and the record number,
 * from 1, to the one at word 13; with the substrate flag adds 0x100 and 0x200 to the words
 * at block words 17 and 18), 3 send (stores up to 256 bytes), 4 receive (copies the stored
 * bytes out, at most the length asked), 6 break, 8 test (3111 after a break, else 0),
 * 7 reset (ends the break), 5 (no action), 10 wait, 1 disconnect (frees the record and
 * clears words 0, 2, 3, 4). A request on words that name no record of this driver returns
 * 3113; unknown codes return 3113 too.
 *
 * Configuration: thunk16_configure, or (replacing it at every init) the environment
 * variable ZUNT_THUNK16, a comma-separated list of
 *   connect_error=N   every connect fails with N (after writing 0xDEAD into block word 1
 *                     and the words at block words 17 and 18, which must not reach the caller)
 *   refuse_init       the init entry returns 0, so registration fails
 *   poll=V            a wait calls back with request 10 and value V, then takes the
 *                     connection state from the callback block and returns its result
 *   notify=C:K        while serving request code C, call back with request 9 and key K
 */
#ifndef ZUNT_THUNK16_H
#define ZUNT_THUNK16_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define THUNK16_MAX_WORDS 19
#define THUNK16_MAX_TRANSLATED 16
#define THUNK16_LOG_SIZE 256
#define THUNK16_DATA_SIZE 256

/* One request as the driver received it. */
typedef struct thunk16_record {
  uint32_t code;                              /* request code */
  uint32_t nwords;                            /* block words this code has */
  uintptr_t words[THUNK16_MAX_WORDS];         /* the block before the driver touched it */
  uint32_t ntranslated;                       /* entries of the translation list */
  int32_t translated[THUNK16_MAX_TRANSLATED]; /* block word index of each; -1 outside the block */
  int32_t result;                             /* what the dispatcher returned */
} thunk16_record;

typedef struct thunk16_config {
  int32_t connect_error; /* non-zero: connects fail with this code */
  int32_t refuse_init;   /* non-zero: the init entry returns 0 */
  int32_t poll_on_wait;  /* non-zero: a wait calls back with request 10 ... */
  uint32_t poll_value;   /* ... and this value in callback word 1 */
  uint32_t notify_on;    /* non-zero: serving this request code calls back with request 9 ... */
  uint32_t notify_key;   /* ... and this key */
} thunk16_config;

typedef int32_t (*thunk16_callback_fn)(void* block, uint32_t value);

/* The driver entries. */
int32_t thunka16init(thunk16_callback_fn callback, void* buffer);
int32_t osndispatch16(void* block, uint32_t code, void* const* translated);

/* Test entries. */
const char* thunk16_name(void);                  /* "THUNKA16.DLL" or "THUNKB16.DLL" */
void thunk16_configure(const thunk16_config* c); /* null: the defaults (all zero) */
void thunk16_reset(void);                        /* forget records, free every connection record */
uint32_t thunk16_init_count(void);               /* calls of the init entry so far */
uint32_t thunk16_record_count(void);             /* requests recorded since the last reset */
/* Copies record `index` (0 = the first since the reset) to *out; 0 when it is no longer
 * (or not yet) kept, 1 otherwise. The last THUNK16_LOG_SIZE records are kept. */
int32_t thunk16_record_get(uint32_t index, thunk16_record* out);
/* Calls back through the callback init received, as the driver would; 0 without one. */
int32_t thunk16_call_back(uintptr_t* block);

#ifdef __cplusplus
}
#endif

#endif
