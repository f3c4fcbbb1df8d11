/* MIRELINK: the two-task transport between a client process and a database server process
 * on the same machine. Each side owns a hidden window and one shared buffer it writes into;
 * the sides signal each other with posted window messages. osn2tt opens a connection and
 * hands back the operation table; every operation returns 0 or one of the codes below. */
#ifndef ZUNT_MIRELINK_H
#define ZUNT_MIRELINK_H

#include <stdint.h>

#include <zunt/export.h>

ZUNT_BEGIN_DECLS

/* Result codes. */
#define OSN_OK 0
#define OSN_E_BREAK 3111         /* a break is in force; cleared by a reset */
#define OSN_E_BROKEN 3113        /* the channel is broken: peer gone, post, timer or buffer failed */
#define OSN_E_CONFIG 3121        /* cannot connect in this configuration (no scheduler, peer platform) */
#define OSN_VERSION_ANSWER 6418  /* answer to a version query */
#define OSN_E_ALLOC 9360         /* allocating the context failed */
#define OSN_E_LOCK 9361          /* locking the context failed */
#define OSN_E_FREE 9362          /* freeing the context failed */
#define OSN_E_MISSING 9363       /* missing context, buffer size or window handle */
#define OSN_E_WINDOW 9364        /* creating or titling the window failed */
#define OSN_E_DESTROY 9365       /* destroying the window failed */
#define OSN_E_BUFFER 9366        /* creating, mapping or attaching a shared buffer failed */
#define OSN_E_UNMAP 9367         /* unmapping or closing the shared buffer failed */
#define OSN_E_SERVER 9368        /* the server program could not be started or showed no window */
#define OSN_E_NOINIT 9369        /* the library's instance handle is not set */
#define OSN_E_HANDSHAKE 9370     /* the handshake did not complete in time */

/* osn2tt flags. */
#define OSN_FLAG_CLIENT 0x1u    /* client side (else server side) */
#define OSN_FLAG_CTRLC 0x2u     /* a Ctrl-C character at the window sends a break */
#define OSN_FLAG_VERSION 0x10u  /* version query only */

/* State flags of osn_context.state. */
#define OSN_ST_OPEN 0x1u
#define OSN_ST_CONNECTED 0x2u
#define OSN_ST_CLIENT 0x4u
#define OSN_ST_CTRLC 0x8u
#define OSN_ST_SEND_PENDING 0x10u
#define OSN_ST_RECV_READY 0x20u
#define OSN_ST_DISC_PENDING 0x40u
#define OSN_ST_BREAK_PENDING 0x80u
#define OSN_ST_PEER_GONE 0x100u
#define OSN_ST_BREAK 0x200u
#define OSN_ST_PEER_SEEN 0x400u
#define OSN_ST_DESTROYED 0x800u
#define OSN_ST_LOCAL_SERVER 0x1000u

/* Window messages of the transport (posted; wParam is always the sender's window). */
#define OSN_MSG_DATA 1525       /* writer to reader: data ready */
#define OSN_MSG_CONSUMED 1526   /* reader to writer: buffer consumed */
#define OSN_MSG_BREAK 1527
#define OSN_MSG_BREAK_ACK 1528
#define OSN_MSG_DISC 1529
#define OSN_MSG_DISC_ACK 1530
#define OSN_MSG_ATTACH 1531
#define OSN_MSG_HELLO 1532      /* lParam = (platform << 16) | 0xABCD */
#define OSN_MSG_CONNECT 1533    /* to the server's main window: lParam = (platform << 16) + buffer size */

#define OSN_HEADER_SIZE 12      /* fill, read position, length: three 32-bit words */
#define OSN_MAX_TRANSFER 2147483647u

typedef struct osn_context osn_context;

typedef int32_t (*osn_send_fn)(osn_context** ctxp, uint32_t unused, const void* src, uint32_t count);
typedef int32_t (*osn_recv_fn)(osn_context** ctxp, uint32_t unused, void* dst, uint32_t count);
typedef uint32_t (*osn_poll_fn)(void* user, uint32_t zero);
typedef int32_t (*osn_wait_fn)(osn_context** ctxp, uint32_t unused, osn_poll_fn poll, void* user,
                               uint32_t* os_error_ref);
typedef int32_t (*osn_ctl_fn)(osn_context** ctxp);
typedef int32_t (*osn_ctl2_fn)(osn_context** ctxp, uint32_t unused);
typedef void (*osn_scheduler_fn)(void);

/* The operation table: seven entries of two words, the function followed by a zero word. */
typedef struct osn_ops {
  osn_send_fn send;       /* osnfsn */
  void* send_zero;
  osn_recv_fn receive;    /* osnfrc */
  void* receive_zero;
  osn_wait_fn wait;       /* wait operation */
  void* wait_zero;
  osn_ctl_fn brk;         /* osnfbr */
  void* brk_zero;
  osn_ctl2_fn test;       /* osnfts */
  void* test_zero;
  osn_ctl_fn reset;       /* osnfrs */
  void* reset_zero;
  osn_ctl2_fn disconnect; /* osnfds */
  void* disconnect_zero;
} osn_ops;

/* A two-task connection. Window, buffer and instance handles are 32-bit values. */
struct osn_context {
  uint32_t state;          /* OSN_ST_* flags */
  uint16_t platform;       /* 1 on the NT-like platform, 2 on the other */
  uint16_t peer_platform;  /* the peer's platform value */
  uint32_t instance;       /* module instance of the library */
  uint32_t own_window;     /* this side's window */
  uint32_t peer_window;    /* the other side's window */
  uint32_t buffer_size;    /* bytes of each shared buffer, header included */
  uint32_t own_buffer;     /* handle of this side's buffer */
  void* own_view;          /* this side's buffer, mapped */
  uint32_t peer_buffer;    /* handle of the peer's buffer */
  void* peer_view;         /* the peer's buffer; non-null once the handshake attached it */
  uint32_t error;          /* last error of the connection, 0 = none */
  uint32_t os_error;       /* platform error that goes with error */
  uint32_t* os_error_ref;  /* where platform errors are stored; initially &os_error */
  osn_ops ops;             /* the operation table handed to the caller */
  uint32_t user1;          /* caller values, stored and never interpreted */
  uint32_t user2;
  uint32_t message_seen;   /* set to 1 whenever the window procedure handles a message */
  uint32_t quantum;        /* liveness timer interval, milliseconds */
  osn_scheduler_fn scheduler; /* server-side wait callback */
  uint32_t own_pid;        /* process id of the client (client side) */
  char own_title[32];      /* "VLMCLIENT:<handle>" or "VLMSERVER:<handle>" */
  char peer_title[32];     /* the peer's title, built the same way */
  uint32_t reserved[3];
};

/* Opens a connection. text/len: the connect text; flags OSN_FLAG_*; *ops_out receives the
 * operation table, *ctx_out the context (on a version query the address of the text
 * "1.0.0.0"), *max_out the largest transfer size; os_error_ref may be null. */
ZUNT_API int32_t osn2tt(const char* text, uint32_t len, uint32_t unused, uint32_t flags, osn_ops** ops_out,
                        osn_context** ctx_out, uint32_t* max_out, uint32_t* os_error_ref, uint32_t user1,
                        uint32_t user2);
/* Runs the handshake on an allocated context; on failure the context has been released. */
ZUNT_API int32_t osnfop(osn_context** ctxp, const char* text, uint32_t len);
ZUNT_API int32_t osnfsn(osn_context** ctxp, uint32_t unused, const void* src, uint32_t count);
ZUNT_API int32_t osnfrc(osn_context** ctxp, uint32_t unused, void* dst, uint32_t count);
ZUNT_API int32_t osnfbr(osn_context** ctxp);
ZUNT_API int32_t osnfts(osn_context** ctxp, uint32_t unused);
ZUNT_API int32_t osnfrs(osn_context** ctxp);
ZUNT_API int32_t osnfds(osn_context** ctxp, uint32_t unused);
ZUNT_API int32_t osnash(osn_context* ctx);
ZUNT_API int32_t osndsh(osn_context* ctx);
ZUNT_API void osnschedinit(osn_scheduler_fn scheduler);

ZUNT_END_DECLS

#endif
