// The connection: osn2tt and its context, the handshake of osnfop, the shared buffers of
// both platforms, the liveness test, break, reset, test and disconnect.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "message.h"
#include "osn_internal.h"
#include "process.h"
#include "shm.h"
#include "sysinfo.h"
#include "window.h"

static_assert(sizeof(void*) != 4 || sizeof(osn_context) == 208, "connection context layout");
static_assert(sizeof(osn_ops) == 14 * sizeof(void*), "operation table: 7 entries of two words");

namespace zunt::osn {
namespace {

uint32_t g_os_error_word = 0;  // the platform-error word when the caller gives none

bool is_nt(const osn_context* c) { return c->platform == 1; }
bool client(const osn_context* c) { return (c->state & OSN_ST_CLIENT) != 0; }

void buffer_name(const osn_context* c, bool own, char* out, size_t cap) {
  // The client's buffer is "CSEND:<client window>", the server's "SSEND:<server window>".
  bool client_buffer = own == client(c);
  uint32_t owner = own ? c->own_window : c->peer_window;
  std::snprintf(out, cap, "%s:%u", client_buffer ? "CSEND" : "SSEND", owner);
}

// Waits with the wait step until done() holds, an error is recorded, or timeout_ms pass
// (0: no limit). While the handshake runs, a peer whose window vanished ends the wait early.
template <class Done>
bool wait_for(osn_context* c, Done done, uint32_t timeout_ms, bool watch_peer) {
  const uint32_t start = platform::tick_count();
  for (;;) {
    if (done()) return true;
    if (c->error != 0) return false;
    if (timeout_ms != 0 && platform::tick_count() - start >= timeout_ms) return false;
    if (watch_peer) {
      bool gone = c->peer_window != 0 ? !platform::is_window(c->peer_window)
                                      : client(c) && platform::find_window(kMainClass, kMainTitle) == 0;
      if (gone) {
        set_error(c, OSN_E_BROKEN, 0);
        c->state |= OSN_ST_PEER_GONE;
        return false;
      }
    }
    wait_step(c);
  }
}

// Creates this side's window, its buffer and the liveness timer.
int32_t create_window(osn_context* c) {
  const bool cl = client(c);
  uint32_t parent = cl ? 0 : platform::find_window(kMainClass, kMainTitle);
  int err = 0;
  uint32_t w = platform::create_window(cl ? kClientClass : kServerClass, cl ? kClientTitle : kServerTitle, parent, &err);
  if (w == 0) {
    set_error(c, OSN_E_WINDOW, static_cast<uint32_t>(err));
    return OSN_E_WINDOW;
  }
  c->own_window = w;
  std::snprintf(c->own_title, sizeof c->own_title, "%s:%u", cl ? kClientTitle : kServerTitle, w);
  if ((err = platform::set_window_title(w, c->own_title)) != 0) {
    set_error(c, OSN_E_WINDOW, static_cast<uint32_t>(err));
    return OSN_E_WINDOW;
  }
  platform::set_window_word(w, 0, reinterpret_cast<uintptr_t>(c));
  osnash(c);  // a failure leaves error 9366 set, which ends the waits that follow
  if ((err = platform::set_timer(w, w, c->quantum)) != 0) {
    set_error(c, OSN_E_BROKEN, static_cast<uint32_t>(err));
    return OSN_E_BROKEN;
  }
  return 0;
}

// Posts a handshake message from this side's window; 0, or 3113 with the channel broken.
int32_t post(osn_context* c, uint32_t to, uint32_t msg, uint32_t lparam) {
  if (int e = platform::post_message(to, msg, c->own_window, lparam); e != 0) {
    post_failed(c, e);
    return OSN_E_BROKEN;
  }
  return 0;
}

// The last step of either side: wait until the peer's buffer is attached.
int32_t wait_attached(osn_context* c) {
  if (!wait_for(c, [&] { return c->peer_view != nullptr; }, kHandshakeMs, true))
    return c->error != 0 ? static_cast<int32_t>(c->error) : OSN_E_HANDSHAKE;
  c->state |= OSN_ST_CONNECTED;
  return 0;
}

int32_t client_open(osn_context* c) {
  uint32_t main = platform::find_window(kMainClass, kMainTitle);
  if (main == 0) {
    uint32_t pid = 0;
    int e = platform::start_program(kServerCommand, 7, &pid);
    if (e != 0) {
      set_error(c, OSN_E_SERVER, static_cast<uint32_t>(e));
      return OSN_E_SERVER;
    }
    // A short extra timer keeps the search responsive however long the quantum is; a program
    // that ended without showing a window will not show one later.
    platform::set_timer(c->own_window, kSearchTimer, kSearchIntervalMs);
    wait_for(
        c,
        [&] {
          if ((main = platform::find_window(kMainClass, kMainTitle)) != 0) return true;
          if (platform::program_running(pid)) return false;
          main = platform::find_window(kMainClass, kMainTitle);  // it may have just appeared
          return true;
        },
        kHandshakeMs, false);
    bool found = main != 0;
    platform::kill_timer(c->own_window, kSearchTimer);
    if (!found) {
      if (c->error != 0) return static_cast<int32_t>(c->error);
      set_error(c, OSN_E_SERVER, 0);
      return OSN_E_SERVER;
    }
  }
  if (c->error != 0) return static_cast<int32_t>(c->error);
  uint32_t lparam = (static_cast<uint32_t>(c->platform) << 16) + c->buffer_size;
  if (int32_t r = post(c, main, OSN_MSG_CONNECT, lparam)) return r;
  if (!wait_for(c, [&] { return c->peer_window != 0; }, kHandshakeMs, true))
    return c->error != 0 ? static_cast<int32_t>(c->error) : OSN_E_HANDSHAKE;
  if (int32_t r = post(c, c->peer_window, OSN_MSG_ATTACH, c->own_buffer)) return r;
  return wait_attached(c);
}

int32_t server_open(osn_context* c) {
  if (c->error != 0) return static_cast<int32_t>(c->error);
  if (c->peer_window == 0) {
    set_error(c, OSN_E_MISSING, 0);
    return OSN_E_MISSING;
  }
  uint32_t hello = (static_cast<uint32_t>(c->platform) << 16) | kHelloSignature;
  if (int32_t r = post(c, c->peer_window, OSN_MSG_HELLO, hello)) return r;
  return wait_attached(c);
}

bool broken_or_break(const osn_context* c) { return (c->state & (OSN_ST_PEER_GONE | OSN_ST_BREAK)) != 0; }

}  // namespace

void set_error(osn_context* c, uint32_t code, uint32_t os_error) noexcept {
  c->error = code;
  c->os_error = os_error;
  if (c->os_error_ref != nullptr && c->os_error_ref != &c->os_error) *c->os_error_ref = os_error;
}

void post_failed(osn_context* c, int os_error) noexcept {
  set_error(c, OSN_E_BROKEN, static_cast<uint32_t>(os_error));
  c->state |= OSN_ST_PEER_GONE;
}

bool own_buffer_ok(const osn_context* c) noexcept {
  if (c->own_view == nullptr) return false;
  return is_nt(c) ? platform::shm_accessible(c->own_buffer, c->buffer_size)
                  : platform::global_accessible(c->own_buffer, c->buffer_size);
}

bool peer_buffer_ok(const osn_context* c) noexcept {
  if (c->peer_view == nullptr) return false;
  return is_nt(c) ? platform::shm_accessible(c->peer_buffer, c->buffer_size)
                  : platform::global_accessible(c->peer_buffer, c->buffer_size);
}

void release_peer_buffer(osn_context* c) noexcept {
  if (c->peer_view != nullptr || c->peer_buffer != 0) {
    if (is_nt(c))
      platform::shm_close(c->peer_buffer, c->peer_view, c->buffer_size);
    else
      platform::global_detach(c->peer_buffer);
  }
  c->peer_buffer = 0;
  c->peer_view = nullptr;
}

int32_t attach_peer(osn_context* c, uint32_t lparam) noexcept {
  if (c->peer_view != nullptr) return 0;
  if (is_nt(c)) {
    char name[32];
    buffer_name(c, false, name, sizeof name);
    uint32_t h = 0;
    void* view = nullptr;
    int e = platform::shm_open_existing(name, c->buffer_size, &h, &view);
    if (e != 0) {
      set_error(c, OSN_E_BUFFER, static_cast<uint32_t>(e));
      return OSN_E_BUFFER;
    }
    // Only the two sides ever open a buffer, so its name can go now: the memory lives on
    // while mapped and vanishes with the last mapping, even if its owner is killed.
    platform::shm_remove_name(name);
    c->peer_buffer = h;
    c->peer_view = view;
  } else {
    uint32_t size = 0;
    int e = 0;
    void* view = platform::global_lock(lparam, &size, &e);
    if (view == nullptr || size < c->buffer_size) {
      if (view != nullptr) platform::global_detach(lparam);
      set_error(c, OSN_E_BUFFER, static_cast<uint32_t>(view == nullptr ? e : EINVAL));
      return OSN_E_BUFFER;
    }
    platform::global_unlock(lparam);
    c->peer_buffer = lparam;
    c->peer_view = view;
  }
  if (!client(c)) {
    // The server answers with its own attach; its handle is all the client may need.
    if (int e = platform::post_message(c->peer_window, OSN_MSG_ATTACH, c->own_window, c->own_buffer); e != 0) {
      post_failed(c, e);
      return OSN_E_BROKEN;
    }
  }
  return 0;
}

int32_t check_peer(osn_context* c) noexcept {
  bool ok = platform::is_window(c->peer_window);
  if (ok && !client(c)) {
    ok = platform::find_window(kClientClass, c->peer_title) == c->peer_window;
  } else if (ok) {
    uint32_t main = platform::find_window(kMainClass, kMainTitle);
    c->state &= ~OSN_ST_PEER_SEEN;
    if (main != 0) {
      uint32_t kids[64];
      uint32_t n = platform::enum_child_windows(main, kids, 64);
      for (uint32_t i = 0; i < n && i < 64; ++i)
        if (kids[i] == c->peer_window) c->state |= OSN_ST_PEER_SEEN;
      if (n > 64 && (c->state & OSN_ST_PEER_SEEN) == 0) {
        platform::WindowInfo info{};
        if (platform::window_info(c->peer_window, &info) && info.parent == main) c->state |= OSN_ST_PEER_SEEN;
      }
    }
    ok = (c->state & OSN_ST_PEER_SEEN) != 0;
  }
  if (ok) ok = peer_buffer_ok(c);
  if (ok) return 0;
  set_error(c, OSN_E_BROKEN, 0);
  c->state |= OSN_ST_PEER_GONE;
  return OSN_E_BROKEN;
}

void fill_ops(osn_context* c) noexcept {
  c->ops = osn_ops{osnfsn, nullptr, osnfrc, nullptr, wait_op, nullptr, osnfbr, nullptr,
                   osnfts, nullptr, osnfrs, nullptr, osnfds, nullptr};
}

}  // namespace zunt::osn

using namespace zunt;
using namespace zunt::osn;

extern "C" ZUNT_API int32_t osn2tt(const char* text, uint32_t len, uint32_t, uint32_t flags, osn_ops** ops_out,
                                   osn_context** ctx_out, uint32_t* max_out, uint32_t* os_error_ref,
                                   uint32_t user1, uint32_t user2) {
  if (flags & OSN_FLAG_VERSION) {
    if (ctx_out != nullptr) *ctx_out = reinterpret_cast<osn_context*>(const_cast<char*>(kVersionText));
    return OSN_VERSION_ANSWER;
  }
  if (ctx_out == nullptr || ops_out == nullptr) return OSN_E_MISSING;
  *ctx_out = nullptr;
  char copy[kMaxConnectText + 1];
  uint32_t n = 0;
  if (text != nullptr)
    while (n < len && n < kMaxConnectText && text[n] != '\0') {
      copy[n] = text[n];
      ++n;
    }
  copy[n] = '\0';
  if (max_out != nullptr) *max_out = OSN_MAX_TRANSFER;
  uint32_t* ref = os_error_ref != nullptr ? os_error_ref : &g_os_error_word;

  auto* c = static_cast<osn_context*>(std::calloc(1, sizeof(osn_context)));
  if (c == nullptr) {
    *ref = ENOMEM;
    return OSN_E_ALLOC;
  }
  auto fail = [&](int32_t code) {
    std::free(c);
    return code;
  };
  c->instance = instance();
  if (c->instance == 0) return fail(OSN_E_NOINIT);
  c->os_error_ref = &c->os_error;
  Tokens tokens{};
  split_tokens(copy, n, &tokens);
  c->quantum = read_quantum();
  const uint32_t version = platform::version();
  c->platform = platform::is_nt(version) ? 1 : 2;

  if (flags & OSN_FLAG_CLIENT) {
    c->buffer_size = client_buffer_size(tokens);
    c->state |= OSN_ST_CLIENT;
    c->own_pid = platform::process_id();
    uint32_t main = platform::find_window(kMainClass, kMainTitle);
    platform::WindowInfo info{};
    if (main != 0 && platform::window_info(main, &info) && info.pid == c->own_pid) {
      c->state |= OSN_ST_LOCAL_SERVER;
      c->scheduler = scheduler();
      if (c->scheduler == nullptr) return fail(OSN_E_CONFIG);
    }
  } else {
    server_connect_values(tokens, &c->buffer_size, &c->peer_platform, &c->peer_window);
    std::snprintf(c->peer_title, sizeof c->peer_title, "%s:%u", kClientTitle, c->peer_window);
    c->scheduler = scheduler();
    if (c->scheduler == nullptr) return fail(OSN_E_CONFIG);
    if ((c->peer_platform & 0x4) != 0 && c->platform == 1) return fail(OSN_E_CONFIG);
    if (c->buffer_size == 0) return fail(OSN_E_MISSING);
  }
  fill_ops(c);
  osn_context* var = c;
  int32_t r = osnfop(&var, copy, n);
  if (r != 0) return r;
  c->state &= ~OSN_ST_BREAK;
  c->user1 = user1;
  c->user2 = user2;
  if (flags & OSN_FLAG_CTRLC) c->state |= OSN_ST_CTRLC;
  c->state |= OSN_ST_OPEN;
  *ops_out = &c->ops;
  *ctx_out = c;
  return 0;
}

extern "C" ZUNT_API int32_t osnfop(osn_context** ctxp, const char*, uint32_t) {
  if (ctxp == nullptr || *ctxp == nullptr) return OSN_E_MISSING;
  osn_context* c = *ctxp;
  int32_t r = create_window(c);
  if (r == 0) r = client(c) ? client_open(c) : server_open(c);
  if (r == 0) return 0;
  c->error = static_cast<uint32_t>(r);
  osnfds(ctxp, 0);
  return r;
}

extern "C" ZUNT_API int32_t osnfts(osn_context** ctxp, uint32_t) {
  if (ctxp == nullptr || *ctxp == nullptr) return OSN_E_MISSING;
  osn_context* c = *ctxp;
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
  check_peer(c);
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
  return static_cast<int32_t>(c->error);
}

extern "C" ZUNT_API int32_t osnfbr(osn_context** ctxp) {
  if (ctxp == nullptr || *ctxp == nullptr) return OSN_E_MISSING;
  osn_context* c = *ctxp;
  if ((c->state & OSN_ST_OPEN) == 0 || (c->state & OSN_ST_BREAK) != 0) return 0;
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  c->state |= OSN_ST_BREAK_PENDING;
  if (int e = platform::post_message(c->peer_window, OSN_MSG_BREAK, c->own_window, 0); e != 0) {
    c->state &= ~OSN_ST_BREAK_PENDING;
    post_failed(c, e);
    return OSN_E_BROKEN;
  }
  wait_for(c, [&] { return (c->state & OSN_ST_BREAK_PENDING) == 0 || broken_or_break(c); }, 0, false);
  c->state &= ~OSN_ST_BREAK_PENDING;
  if (c->state & OSN_ST_DESTROYED) {
    osndsh(c);
    return OSN_E_BROKEN;
  }
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->error != 0) return static_cast<int32_t>(c->error);
  c->error = OSN_E_BREAK;
  c->state |= OSN_ST_BREAK;
  return 0;
}

extern "C" ZUNT_API int32_t osnfrs(osn_context** ctxp) {
  if (ctxp == nullptr || *ctxp == nullptr) return OSN_E_MISSING;
  osn_context* c = *ctxp;
  if ((c->state & OSN_ST_BREAK) == 0) return osnfts(ctxp, 0);
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->own_view != nullptr) {
    hdr_set(c->own_view, kFill, 0);
    hdr_set(c->own_view, kRead, 0);
    hdr_set(c->own_view, kLength, 0);
  }
  // Both directions start again empty: what this side had handed over is withdrawn, and what
  // the peer had announced is dropped (the peer empties its buffer on its own reset).
  c->state &= ~(OSN_ST_BREAK | OSN_ST_SEND_PENDING | OSN_ST_RECV_READY);
  c->error = 0;
  c->state |= OSN_ST_CTRLC;
  return 0;
}

extern "C" ZUNT_API int32_t osnfds(osn_context** ctxp, uint32_t) {
  if (ctxp == nullptr || *ctxp == nullptr) return OSN_E_MISSING;
  osn_context* c = *ctxp;
  if ((c->state & OSN_ST_CONNECTED) != 0 && (c->state & OSN_ST_PEER_GONE) == 0 && c->peer_window != 0) {
    if ((c->state & OSN_ST_BREAK) == 0 && c->own_view != nullptr && hdr_get(c->own_view, kFill) != 0) {
      int32_t r = flush(c);
      if (r != 0) return r;
    }
    if (platform::post_message(c->peer_window, OSN_MSG_DISC, c->own_window, 0) == 0) {
      c->state |= OSN_ST_DISC_PENDING;
      wait_for(c, [&] { return (c->state & (OSN_ST_DISC_PENDING | OSN_ST_PEER_GONE)) != OSN_ST_DISC_PENDING; },
               kDisconnectMs, false);
    }
  }
  int32_t result = 0;
  if (c->own_window != 0) platform::kill_timer(c->own_window, c->own_window);
  osndsh(c);
  c->peer_window = 0;
  if (c->own_window != 0 && (c->state & OSN_ST_DESTROYED) == 0) {
    if (!platform::destroy_window(c->own_window)) result = OSN_E_DESTROY;
  }
  release_peer_buffer(c);
  std::free(c);
  *ctxp = nullptr;
  return result;
}

extern "C" ZUNT_API int32_t osnash(osn_context* c) {
  if (c == nullptr || c->buffer_size == 0) return OSN_E_MISSING;
  int e = 0;
  if (is_nt(c)) {
    char name[32];
    buffer_name(c, true, name, sizeof name);
    e = platform::shm_create(name, c->buffer_size, &c->own_buffer, &c->own_view);
  } else {
    e = platform::global_alloc(c->buffer_size, &c->own_buffer);
    if (e == 0) {
      c->own_view = platform::global_lock(c->own_buffer, nullptr, &e);
      if (c->own_view == nullptr) {
        platform::global_free(c->own_buffer);
        c->own_buffer = 0;
      }
    }
  }
  if (e != 0) {
    c->own_buffer = 0;
    c->own_view = nullptr;
    set_error(c, OSN_E_BUFFER, static_cast<uint32_t>(e));
    return OSN_E_BUFFER;
  }
  hdr_set(c->own_view, kFill, 0);
  hdr_set(c->own_view, kRead, 0);
  hdr_set(c->own_view, kLength, 0);
  return 0;
}

extern "C" ZUNT_API int32_t osndsh(osn_context* c) {
  if (c == nullptr) return OSN_E_MISSING;
  if (c->own_view == nullptr && c->own_buffer == 0) return 0;
  int32_t result = 0;
  if (is_nt(c)) {
    char name[32];
    buffer_name(c, true, name, sizeof name);
    if (platform::shm_close(c->own_buffer, c->own_view, c->buffer_size) != 0) result = OSN_E_UNMAP;
    platform::shm_remove(name);
  } else {
    platform::global_unlock(c->own_buffer);
    if (platform::global_free(c->own_buffer) != 0) result = OSN_E_UNMAP;
  }
  c->own_buffer = 0;
  c->own_view = nullptr;
  return result;
}
