// The data path: send and receive through the shared buffers, the flush that hands a buffer
// to the peer, the wait step and its message filter, and the table's wait operation.
//
// Buffer layout: three 32-bit words (fill, read position, length) and the data area. The
// header words of a buffer mapped by another process are untrusted: every value read from
// them is checked against the data area before it is used.
#include <cstring>

#include "message.h"
#include "osn_internal.h"
#include "shm.h"
#include "window.h"

namespace zunt::osn {
namespace {

unsigned char* data_area(void* view) { return static_cast<unsigned char*>(view) + OSN_HEADER_SIZE; }

bool gone_or_break(const osn_context* c) { return (c->state & (OSN_ST_PEER_GONE | OSN_ST_BREAK)) != 0; }

int32_t broken(osn_context* c, uint32_t os_error) {
  set_error(c, OSN_E_BROKEN, os_error);
  c->state |= OSN_ST_PEER_GONE;
  return OSN_E_BROKEN;
}

// The result after a wait ended: window destroyed, peer gone, break, recorded error, or 0.
int32_t after_wait(osn_context* c) {
  if (c->state & OSN_ST_DESTROYED) {
    osndsh(c);
    return OSN_E_BROKEN;
  }
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
  return static_cast<int32_t>(c->error);
}

// Waits while flag is still in the state `set` and nothing ended the operation.
void wait_while(osn_context* c, uint32_t flag, bool set) {
  while (((c->state & flag) != 0) == set && !gone_or_break(c) && c->error == 0 &&
         (c->state & OSN_ST_DESTROYED) == 0)
    wait_step(c);
}

int32_t entry_check(osn_context** ctxp, osn_context** out) {
  if (ctxp == nullptr || *ctxp == nullptr) return OSN_E_MISSING;
  osn_context* c = *ctxp;
  *out = c;
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
  if (c->state & OSN_ST_DESTROYED) {
    osndsh(c);
    return OSN_E_BROKEN;
  }
  if ((c->state & OSN_ST_CONNECTED) == 0 || c->peer_view == nullptr) return broken(c, 0);
  return 0;
}

}  // namespace

uint32_t hdr_get(const void* view, uint32_t index) noexcept {
  return __atomic_load_n(static_cast<const uint32_t*>(view) + index, __ATOMIC_ACQUIRE);
}

void hdr_set(void* view, uint32_t index, uint32_t value) noexcept {
  __atomic_store_n(static_cast<uint32_t*>(view) + index, value, __ATOMIC_RELEASE);
}

int32_t flush(osn_context* c) noexcept {
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
  c->state |= OSN_ST_SEND_PENDING;
  if (int e = platform::post_message(c->peer_window, OSN_MSG_DATA, c->own_window, 0); e != 0) {
    post_failed(c, e);
    return OSN_E_BROKEN;
  }
  wait_while(c, OSN_ST_SEND_PENDING, true);
  return after_wait(c);
}

bool filter_message(const osn_context* c, uint32_t hwnd, uint32_t msg, uint32_t wparam) noexcept {
  if (hwnd == c->own_window && hwnd != 0) return true;
  switch (msg) {
    case kWmPaint:
    case kWmSetCursor:
    case kWmSysCommand:
    case kWmMouseMove:
      return true;
    case kWmSysKeyDown:
    case kWmSysKeyUp:
    case kWmSysChar:
      return (wparam & 0xFFFFu) == 27;
    default:
      break;
  }
  platform::WindowInfo info{};
  return hwnd != 0 && platform::window_info(hwnd, &info) && std::strncmp(info.cls, kClientClass, 6) == 0;
}

void wait_step(osn_context* c) noexcept {
  c->message_seen = 0;
  if (!(c->state & OSN_ST_CLIENT) || (c->state & OSN_ST_LOCAL_SERVER)) {
    if (c->scheduler != nullptr)
      c->scheduler();
    else
      set_error(c, OSN_E_CONFIG, 0);
    return;
  }
  platform::Message m{};
  while (c->message_seen == 0) {
    if (!platform::get_message(&m)) {
      // The quit message ends this step; a thread without a usable queue cannot wait at all.
      if (m.message != platform::kWmQuit) broken(c, 0);
      return;
    }
    if (filter_message(c, m.hwnd, m.message, m.wparam)) platform::dispatch_message(m);
  }
}

int32_t wait_op(osn_context** ctxp, uint32_t, osn_poll_fn poll, void* user, uint32_t* ref) noexcept {
  if (ctxp == nullptr || *ctxp == nullptr) return OSN_E_BROKEN;
  osn_context* c = *ctxp;
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
  if (ref != nullptr) c->os_error_ref = ref;
  if (poll != nullptr)
    while (poll(user, 0) != 0) {
    }
  if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
  if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
  return 0;
}

}  // namespace zunt::osn

using namespace zunt;
using namespace zunt::osn;

extern "C" ZUNT_API int32_t osnfsn(osn_context** ctxp, uint32_t, const void* src, uint32_t count) {
  osn_context* c = nullptr;
  if (int32_t r = entry_check(ctxp, &c); r != 0) return r;
  if (count != 0 && src == nullptr) return OSN_E_MISSING;
  const auto* p = static_cast<const unsigned char*>(src);
  const uint32_t cap = c->buffer_size - OSN_HEADER_SIZE;
  // A buffer still handed to the peer (an earlier flush was cut short) must come back first.
  if (c->state & OSN_ST_SEND_PENDING) {
    wait_while(c, OSN_ST_SEND_PENDING, true);
    if (int32_t r = after_wait(c); r != 0) return r;
  }
  while (count > 0) {
    if (!own_buffer_ok(c)) return broken(c, 0);
    uint32_t fill = hdr_get(c->own_view, kFill);
    if (fill > cap) return broken(c, 0);  // the header was overwritten from outside
    uint32_t n = cap - fill < count ? cap - fill : count;
    std::memcpy(data_area(c->own_view) + fill, p, n);
    fill += n;
    hdr_set(c->own_view, kFill, fill);
    hdr_set(c->own_view, kLength, fill);
    p += n;
    count -= n;
    if (fill == cap) {
      if (int32_t r = flush(c); r != 0) return r;
    }
  }
  return 0;
}

extern "C" ZUNT_API int32_t osnfrc(osn_context** ctxp, uint32_t, void* dst, uint32_t count) {
  osn_context* c = nullptr;
  if (int32_t r = entry_check(ctxp, &c); r != 0) return r;
  if (count != 0 && dst == nullptr) return OSN_E_MISSING;
  if (c->own_view != nullptr && hdr_get(c->own_view, kFill) != 0 && (c->state & OSN_ST_SEND_PENDING) == 0) {
    if (int32_t r = flush(c); r != 0) return r;
  }
  auto* p = static_cast<unsigned char*>(dst);
  const uint32_t cap = c->buffer_size - OSN_HEADER_SIZE;
  while (count > 0) {
    wait_while(c, OSN_ST_RECV_READY, false);
    if (int32_t r = after_wait(c); r != 0) return r;
    if (!peer_buffer_ok(c)) return broken(c, 0);
    uint32_t length = hdr_get(c->peer_view, kLength);
    uint32_t read = hdr_get(c->peer_view, kRead);
    if (length > cap || read > length) return broken(c, 0);  // not a header the peer could write
    uint32_t n = length - read < count ? length - read : count;
    std::memcpy(p, data_area(c->peer_view) + read, n);
    read += n;
    hdr_set(c->peer_view, kRead, read);
    p += n;
    count -= n;
    if (read == length) {
      c->state &= ~OSN_ST_RECV_READY;
      if (c->state & OSN_ST_PEER_GONE) return OSN_E_BROKEN;
      if (c->state & OSN_ST_BREAK) return OSN_E_BREAK;
      if (int e = platform::post_message(c->peer_window, OSN_MSG_CONSUMED, c->own_window, 0); e != 0) {
        post_failed(c, e);
        return OSN_E_BROKEN;
      }
    }
  }
  return 0;
}
