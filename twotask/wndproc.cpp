// The window procedure of "Vlm.Client" and "Vlm.Server". Messages of the protocol are taken
// only from the peer's window (wParam), so a stray or hostile post cannot make a connection
// read, release or overwrite anything; a hello is taken only from a server window that is a
// child of the server's main window.
#include <cstdio>
#include <cstring>

#include "message.h"
#include "osn_internal.h"
#include "shm.h"
#include "window.h"

namespace zunt::osn {
namespace {

bool from_peer(const osn_context* c, uint32_t wparam) { return c->peer_window != 0 && wparam == c->peer_window; }

void on_hello(osn_context* c, uint32_t wparam, uint32_t lparam) {
  if (!(c->state & OSN_ST_CLIENT) || c->peer_window != 0 || (lparam & 0xFFFFu) != kHelloSignature) return;
  platform::WindowInfo info{};
  if (!platform::window_info(wparam, &info) || std::strcmp(info.cls, kServerClass) != 0) return;
  uint32_t main = platform::find_window(kMainClass, kMainTitle);
  if (main == 0 || info.parent != main) return;
  c->peer_window = wparam;
  c->peer_platform = static_cast<uint16_t>(lparam >> 16);
  std::snprintf(c->peer_title, sizeof c->peer_title, "%s:%u", kServerTitle, wparam);
}

void on_destroy(osn_context* c) {
  if (c->peer_window != 0) {
    platform::post_message(c->peer_window, OSN_MSG_DISC, c->own_window, 0);
    c->state |= OSN_ST_PEER_GONE | OSN_ST_DESTROYED;
    c->error = OSN_E_BROKEN;
    c->peer_window = 0;
  }
}

}  // namespace

int32_t window_proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) noexcept {
  auto* c = reinterpret_cast<osn_context*>(platform::window_word(hwnd, 0));
  if (c == nullptr) {
    if (msg == platform::kWmClose) return platform::def_window_proc(hwnd, msg, wparam, lparam);
    return 0;
  }
  switch (msg) {
    case platform::kWmCreate:
      c->message_seen = 1;
      return 0;
    case platform::kWmDestroy:
      c->message_seen = 1;
      on_destroy(c);
      return platform::def_window_proc(hwnd, msg, wparam, lparam);
    case platform::kWmClose:
      c->message_seen = 1;
      platform::post_message(hwnd, platform::kWmDestroy, 0, 0);
      return platform::def_window_proc(hwnd, msg, wparam, lparam);
    case platform::kWmChar:
      if ((c->state & OSN_ST_CTRLC) != 0 && (wparam & 0xFFFFu) == 3) {
        c->message_seen = 1;
        osn_context* var = c;
        int32_t r = osnfbr(&var);
        if (r != 0) c->error = static_cast<uint32_t>(r);
        return 0;
      }
      return platform::def_window_proc(hwnd, msg, wparam, lparam);
    case platform::kWmTimer:
      c->message_seen = 1;
      if ((c->state & OSN_ST_CONNECTED) != 0 && wparam == c->own_window && (c->state & OSN_ST_PEER_GONE) == 0)
        check_peer(c);
      return 0;
    case OSN_MSG_DATA:
      c->message_seen = 1;
      if (from_peer(c, wparam) && c->peer_view != nullptr) c->state |= OSN_ST_RECV_READY;
      return 0;
    case OSN_MSG_CONSUMED:
      c->message_seen = 1;
      if (from_peer(c, wparam) && (c->state & OSN_ST_SEND_PENDING) != 0 && c->own_view != nullptr) {
        hdr_set(c->own_view, kFill, 0);
        hdr_set(c->own_view, kRead, 0);
        hdr_set(c->own_view, kLength, 0);
        c->state &= ~OSN_ST_SEND_PENDING;
      }
      return 0;
    case OSN_MSG_BREAK:
      c->message_seen = 1;
      if (from_peer(c, wparam)) {
        c->state |= OSN_ST_BREAK;
        c->error = OSN_E_BREAK;
        if (int e = platform::post_message(c->peer_window, OSN_MSG_BREAK_ACK, c->own_window, 0); e != 0)
          post_failed(c, e);
      }
      return 0;
    case OSN_MSG_BREAK_ACK:
      c->message_seen = 1;
      if (from_peer(c, wparam)) c->state &= ~OSN_ST_BREAK_PENDING;
      return 0;
    case OSN_MSG_DISC:
      c->message_seen = 1;
      if (from_peer(c, wparam)) {
        platform::post_message(c->peer_window, OSN_MSG_DISC_ACK, c->own_window, 0);
        c->state |= OSN_ST_PEER_GONE;
      }
      return 0;
    case OSN_MSG_DISC_ACK:
      c->message_seen = 1;
      if (from_peer(c, wparam)) c->state &= ~OSN_ST_DISC_PENDING;
      return 0;
    case OSN_MSG_ATTACH:
      c->message_seen = 1;
      if (from_peer(c, wparam) && c->peer_view == nullptr) attach_peer(c, lparam);
      return 0;
    case OSN_MSG_HELLO:
      c->message_seen = 1;
      on_hello(c, wparam, lparam);
      return 0;
    default:
      return platform::def_window_proc(hwnd, msg, wparam, lparam);
  }
}

}  // namespace zunt::osn
