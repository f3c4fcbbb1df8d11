// Internal interface of the transport: the pieces the connection, the data path and the
// window procedure share, and the entry points the static core offers to programs and tests
// that link it directly.
#pragma once

#include <zunt/mirelink.h>

#include <cstdint>

namespace zunt::osn {

// Library attach: remembers the instance and registers "Vlm.Client" and "Vlm.Server" unless
// they exist. False when a registration failed; the instance then stays unset and every
// connection attempt fails with 9369. The shared library calls it when it is loaded; programs
// linking the static core call it once themselves.
bool library_attach() noexcept;
void library_detach() noexcept;

// Connect-text tokens: at most 10 of at most 31 characters.
constexpr uint32_t kMaxTokens = 10;
constexpr uint32_t kMaxTokenLen = 31;
constexpr uint32_t kMaxConnectText = 255;
struct Tokens {
  uint32_t count;
  char tok[kMaxTokens][kMaxTokenLen + 1];
};
// Splits text[0, n) (n clipped to 255, stops at a NUL).
void split_tokens(const char* text, uint32_t n, Tokens* out) noexcept;
// Optionally signed decimal integer after leading white space; saturates at the 32-bit range;
// 0 when there are no digits.
int32_t read_number(const char* s) noexcept;
// Buffer size of a client connect text (token 2, 256..65535, else 4096).
uint32_t client_buffer_size(const Tokens& t) noexcept;
// The server side's connect text: buffer size (token 1, optionally after "X:"; outside
// 256..65535 gives 0), the client's platform value (token 2) and window (token 3).
void server_connect_values(const Tokens& t, uint32_t* size, uint16_t* peer_platform, uint32_t* peer_window) noexcept;
// The configuration value of name (environment, then the registry stand-in), squeezed name,
// cleaned value; length or -1 when missing.
int32_t config_value(const char* name, char* out, uint32_t cap) noexcept;
// The liveness timer interval from _two_task_quantum: 200..90000 ms, else 10000.
uint32_t quantum_from_text(const char* value) noexcept;
uint32_t read_quantum() noexcept;

// Names and values shared between the two sides.
inline constexpr const char* kMainClass = "VELMOR7";
inline constexpr const char* kMainTitle = "VELMOR7";
inline constexpr const char* kServerCommand = "Velmor71";
inline constexpr const char* kClientClass = "Vlm.Client";
inline constexpr const char* kServerClass = "Vlm.Server";
inline constexpr const char* kClientTitle = "VLMCLIENT";
inline constexpr const char* kServerTitle = "VLMSERVER";
inline constexpr const char* kVersionText = "1.0.0.0";
constexpr uint32_t kHandshakeMs = 20000;
constexpr uint32_t kDisconnectMs = 10000;
constexpr uint32_t kHelloSignature = 0xABCD;
constexpr uint32_t kSearchTimer = 1;       // timer id of the fast main-window search
constexpr uint32_t kSearchIntervalMs = 100;

// Windows messages the window procedure and the filter know.
constexpr uint32_t kWmPaint = 0x000F;
constexpr uint32_t kWmSetCursor = 0x0020;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint32_t kWmSysKeyUp = 0x0105;
constexpr uint32_t kWmSysChar = 0x0106;
constexpr uint32_t kWmSysCommand = 0x0112;
constexpr uint32_t kWmMouseMove = 0x0200;

// Process-wide values.
uint32_t instance() noexcept;
osn_scheduler_fn scheduler() noexcept;

// Connection helpers.
void set_error(osn_context* c, uint32_t code, uint32_t os_error) noexcept;
// A message could not be posted to the peer: the channel is broken for good (error 3113 with
// the platform error, state bit 0x100), so no later call reports success on a dead channel.
void post_failed(osn_context* c, int os_error) noexcept;
int32_t check_peer(osn_context* c) noexcept;       // liveness test: 0 or 3113
bool own_buffer_ok(const osn_context* c) noexcept;
bool peer_buffer_ok(const osn_context* c) noexcept;
void release_peer_buffer(osn_context* c) noexcept;
int32_t attach_peer(osn_context* c, uint32_t lparam) noexcept;  // handshake attach on receipt
int32_t flush(osn_context* c) noexcept;
void wait_step(osn_context* c) noexcept;
bool filter_message(const osn_context* c, uint32_t hwnd, uint32_t msg, uint32_t wparam) noexcept;
int32_t wait_op(osn_context** ctxp, uint32_t unused, osn_poll_fn poll, void* user, uint32_t* ref) noexcept;
int32_t window_proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) noexcept;
void fill_ops(osn_context* c) noexcept;

// Buffer header words (shared memory: accessed atomically).
uint32_t hdr_get(const void* view, uint32_t index) noexcept;
void hdr_set(void* view, uint32_t index, uint32_t value) noexcept;
constexpr uint32_t kFill = 0, kRead = 1, kLength = 2;

}  // namespace zunt::osn
