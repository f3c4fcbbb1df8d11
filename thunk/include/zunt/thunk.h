/* THUNKA32 and THUNKB32: a 32-bit caller's bridge to a 16-bit network driver through the
 * universal thunk. Both libraries export only osncon32; THUNKA32 talks to "THUNKA16.DLL",
 * THUNKB32 to "THUNKB16.DLL".
 *
 * A word is pointer-sized: 32 bits on a 32-bit target, 64 on a 64-bit one. Every record
 * below is an array of words.
 *
 * The connection block is the caller's: five words in which the driver keeps its state for
 * one connection (words 0, 2, 3 and 4 hold addresses, word 1 a value). It is copied into
 * every request and copied back after it; its address identifies the connection. */
#ifndef ZUNT_THUNK_H
#define ZUNT_THUNK_H

#include <stdint.h>

#include <zunt/export.h>

ZUNT_BEGIN_DECLS

/* Result codes of osncon32 and of the operation table's entries. Every other code comes
 * from the 16-bit driver unchanged. */
#define OSN_THUNK_OK 0
#define OSN_THUNK_NO_SLOT 3100       /* all 32 connection slots are in use */
#define OSN_THUNK_NOT_CONNECTED 3113 /* an operation on a block that is not connected: no slot */
#define OSN_THUNK_NO_THUNK 3121      /* no thunk: NT-like platform, or registration failed */

#define OSN_THUNK_SLOTS 32            /* connections one process can hold at once */
#define OSN_THUNK_CONNECTION_WORDS 5  /* words of a connection block */

/* The notification function of a connection: called with the connection's notification
 * key when the driver delivers a notification. */
typedef void (*osn_thunk_notify_fn)(uint32_t key);

/* A polling function handed to the wait entry: called with its argument and a value the
 * driver chooses while the driver waits; its result is returned to the driver. */
typedef int32_t (*osn_thunk_poll_fn)(void* argument, uint32_t value);

/* Entries of the operation table; the first argument is always the connection block. */
typedef int32_t (*osn_thunk_transfer_fn)(uintptr_t* connection, uintptr_t value, void* buffer,
                                         uintptr_t length);
typedef int32_t (*osn_thunk_wait_fn)(uintptr_t* connection, uintptr_t value, osn_thunk_poll_fn poll,
                                     void* poll_argument, void* address, uintptr_t value2);
typedef int32_t (*osn_thunk_simple_fn)(uintptr_t* connection, uintptr_t value);

/* The operation table osncon32 hands back: eight entries, each a function address followed
 * by a zero word. The first seven stand where the transport's table has send, receive,
 * wait, break, test, reset and disconnect. Request codes to the driver are in brackets;
 * disconnect also frees the connection's slot. */
typedef struct osn_thunk_table {
  osn_thunk_transfer_fn send;      /* [3] value, buffer, length */
  uintptr_t send_zero;
  osn_thunk_transfer_fn receive;   /* [4] value, buffer, length */
  uintptr_t receive_zero;
  osn_thunk_wait_fn wait;          /* [10] value, polling function and argument, address, value */
  uintptr_t wait_zero;
  osn_thunk_simple_fn brk;         /* [6] break */
  uintptr_t brk_zero;
  osn_thunk_simple_fn test;        /* [8] */
  uintptr_t test_zero;
  osn_thunk_simple_fn reset;       /* [7] */
  uintptr_t reset_zero;
  osn_thunk_simple_fn disconnect;  /* [1] */
  uintptr_t disconnect_zero;
  osn_thunk_simple_fn extra;       /* [5] the eighth entry */
  uintptr_t extra_zero;
} osn_thunk_table;

/* Connects through the 16-bit driver (request code 2).
 *   a1, a2, a3   addresses for the driver (opaque here);
 *   a4           a value for the driver;
 *   substrate    a record whose word 5 (byte offset 20 with 32-bit words) is the address of
 *                the network substrate layer's name; with the name "KORVEX" words 1 and 2
 *                of `result` go to the driver as copies and come back on success. A null
 *                record or name counts as another substrate;
 *   a6           a value for the driver;
 *   result       three words: on success word 0 receives the address of the operation
 *                table (an osn_thunk_table);
 *   connection   the caller's connection block (five words);
 *   out1, out2   two result words, cleared to 0 before the driver runs;
 *   notify, key  the connection's notification function (may be null) and key.
 * Returns 0, OSN_THUNK_NO_THUNK, OSN_THUNK_NO_SLOT (the table is then unchanged), or the
 * driver's code; a failed connect frees the slot. Connecting again with the same block
 * reuses its slot and replaces the notification. A null `result`, `connection`, `out1`
 * or `out2` gives OSN_THUNK_NOT_CONNECTED without reaching the driver. */
ZUNT_API int32_t osncon32(void* a1, void* a2, void* a3, uintptr_t a4, const void* substrate, uintptr_t a6,
                          uintptr_t* result, uintptr_t* connection, uintptr_t* out1, uintptr_t* out2,
                          osn_thunk_notify_fn notify, uint32_t key);

ZUNT_END_DECLS

#endif
