// Posted messages between the windows of one user, per-thread message retrieval with timers,
// and dispatch to the window procedure. Each thread that owns windows has one queue: a Unix
// datagram socket "q.<pid>.<tid>" in the private runtime directory. A message is four 32-bit
// words; timers are kept by the owning process and turn into kWmTimer messages when due and
// the queue is otherwise empty.
#pragma once

#include <cstdint>

namespace zunt::platform {

struct Message {
  uint32_t hwnd;     // target window (0: a message for the thread itself)
  uint32_t message;  // message number
  uint32_t wparam;
  uint32_t lparam;
};

// Posts a message to a window of any process of this user. 0 on success; ENOENT when hwnd is
// not a window, or the errno of the failed delivery. A full queue is retried for up to two
// seconds before the post fails with EAGAIN.
int post_message(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) noexcept;

// Makes the calling thread's next retrieval report the quit message once.
void post_quit_message(uint32_t code) noexcept;

// Blocks until a message for the calling thread is available (a posted message, or a due
// timer) and removes it. False when the quit message was retrieved (m then holds kWmQuit with
// the code in wparam) or the thread has no usable queue.
bool get_message(Message* m) noexcept;

// As get_message but waits at most timeout_ms; false when nothing arrived in time (and
// m->message is 0) or on quit (m->message is kWmQuit).
bool get_message_timeout(Message* m, uint32_t timeout_ms) noexcept;

// Calls the window procedure of the message's window when that window belongs to this
// process; messages for unknown windows are dropped (result 0).
int32_t dispatch_message(const Message& m) noexcept;

// Starts or restarts timer id of a window of this process: a kWmTimer message (wparam = id)
// every interval_ms (at least 1) to the owning thread. 0 or an errno value.
int set_timer(uint32_t hwnd, uint32_t id, uint32_t interval_ms) noexcept;
bool kill_timer(uint32_t hwnd, uint32_t id) noexcept;

namespace detail {
// Creates the calling thread's queue if it has none. False when the runtime directory or the
// socket is unusable.
bool ensure_thread_queue() noexcept;
void kill_window_timers(uint32_t hwnd) noexcept;
}  // namespace detail

}  // namespace zunt::platform
