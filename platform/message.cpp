// Message queues, posting, retrieval, timers and dispatch.
#include "message.h"

#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "rundir.h"
#include "sysinfo.h"
#include "window.h"

namespace zunt::platform {
namespace {

struct Timer {
  uint32_t tid;       // owning thread of the window
  uint32_t hwnd;
  uint32_t id;
  uint32_t interval;  // milliseconds
  uint32_t due;       // tick count of the next expiry
};

std::mutex g_timer_lock;
std::vector<Timer>& timers() {
  static std::vector<Timer> v;
  return v;
}

bool queue_address(uint32_t pid, uint32_t tid, sockaddr_un* a, socklen_t* len) {
  std::memset(a, 0, sizeof *a);
  a->sun_family = AF_UNIX;
  char leaf[40];
  std::snprintf(leaf, sizeof leaf, "q.%u.%u", pid, tid);
  if (!runtime_path(leaf, a->sun_path, sizeof a->sun_path)) return false;
  *len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + std::strlen(a->sun_path) + 1);
  return true;
}

// The socket holds only a few datagrams, so messages waiting in it are moved into an
// in-process backlog whenever this thread would otherwise block on a full queue elsewhere;
// two threads posting to each other then never wait on one another.
constexpr size_t kMaxBacklog = 10000;

struct ThreadQueue {
  int fd = -1;
  uint32_t tid = 0;
  bool quit = false;
  uint32_t quit_code = 0;
  sockaddr_un addr{};
  char key[200] = {};   // the runtime directory setting the queue was made under
  std::deque<Message> backlog;
  ~ThreadQueue() {
    if (fd < 0) return;
    detail::destroy_thread_windows(tid);
    close(fd);
    unlink(addr.sun_path);
  }
};
thread_local ThreadQueue tq;

// A forked child must not read its parent's queue: it makes its own when it needs one.
void forget_queue_in_child() {
  if (tq.fd >= 0) close(tq.fd);
  tq.fd = -1;
  tq.backlog.clear();
  tq.key[0] = '\0';
}

// A send socket per thread, so posting never needs the thread to own a queue.
struct SendSocket {
  int fd = -1;
  ~SendSocket() {
    if (fd >= 0) close(fd);
  }
};
thread_local SendSocket ts;

// The earliest due timer of this thread; true with *wait_ms (0 if already due) when one exists.
bool next_timer(uint32_t tid, uint32_t now, uint32_t* wait_ms) {
  std::lock_guard<std::mutex> g(g_timer_lock);
  bool any = false;
  uint32_t best = 0;
  for (auto& t : timers()) {
    if (t.tid != tid) continue;
    int32_t left = static_cast<int32_t>(t.due - now);
    uint32_t w = left < 0 ? 0 : static_cast<uint32_t>(left);
    if (!any || w < best) best = w;
    any = true;
  }
  *wait_ms = best;
  return any;
}

// Takes the earliest due timer of this thread as a message and schedules its next expiry.
bool take_due_timer(uint32_t tid, uint32_t now, Message* m) {
  std::lock_guard<std::mutex> g(g_timer_lock);
  Timer* best = nullptr;
  for (auto& t : timers()) {
    if (t.tid != tid || static_cast<int32_t>(t.due - now) > 0) continue;
    if (best == nullptr || static_cast<int32_t>(t.due - best->due) < 0) best = &t;
  }
  if (best == nullptr) return false;
  *m = Message{best->hwnd, kWmTimer, best->id, 0};
  best->due = now + best->interval;
  return true;
}

bool read_socket(Message* m) {
  for (;;) {
    uint32_t words[4];
    ssize_t n = recv(tq.fd, words, sizeof words, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0) return false;
    if (n != static_cast<ssize_t>(sizeof words)) continue;  // not one of ours: drop it
    *m = Message{words[0], words[1], words[2], words[3]};
    return true;
  }
}

// Moves what waits in this thread's socket into the backlog (beyond its limit: dropped).
void drain_socket() {
  if (tq.fd < 0) return;
  Message m{};
  while (read_socket(&m))
    if (tq.backlog.size() < kMaxBacklog) tq.backlog.push_back(m);
}

bool receive_one(Message* m) {
  if (!tq.backlog.empty()) {
    *m = tq.backlog.front();
    tq.backlog.pop_front();
    return true;
  }
  return read_socket(m);
}

// The retrieval loop; timeout_ms ~0u waits forever.
bool retrieve(Message* m, uint32_t timeout_ms, bool* timed_out) {
  *timed_out = false;
  if (!detail::ensure_thread_queue()) return false;
  const uint32_t start = tick_count();
  for (;;) {
    if (receive_one(m)) return true;
    if (tq.quit) {
      tq.quit = false;
      *m = Message{0, kWmQuit, tq.quit_code, 0};
      return false;
    }
    uint32_t now = tick_count();
    if (take_due_timer(tq.tid, now, m)) return true;
    uint32_t wait = 0;
    int poll_ms = -1;
    if (next_timer(tq.tid, now, &wait)) poll_ms = static_cast<int>(wait > 0x7FFFFFFFu ? 0x7FFFFFFF : wait);
    if (timeout_ms != ~0u) {
      uint32_t spent = now - start;
      if (spent >= timeout_ms) {
        *timed_out = true;
        *m = Message{0, 0, 0, 0};
        return false;
      }
      uint32_t left = timeout_ms - spent;
      if (poll_ms < 0 || static_cast<uint32_t>(poll_ms) > left) poll_ms = static_cast<int>(left);
    }
    pollfd p{tq.fd, POLLIN, 0};
    int r = poll(&p, 1, poll_ms);
    if (r < 0 && errno != EINTR) return false;
  }
}

}  // namespace

namespace detail {

bool ensure_thread_queue() noexcept {
  // Fast path: the queue exists and the runtime directory setting has not changed.
  const char* key = std::getenv("ZUNT_RUNTIME_DIR");
  if (key == nullptr) key = "";
  if (tq.fd >= 0 && std::strcmp(key, tq.key) == 0) return true;
  if (std::strlen(key) >= sizeof tq.key) return false;
  uint32_t tid = tq.fd >= 0 ? tq.tid : thread_id();
  sockaddr_un want{};
  socklen_t len = 0;
  if (!queue_address(process_id(), tid, &want, &len)) return false;
  if (tq.fd >= 0) {
    if (std::strcmp(want.sun_path, tq.addr.sun_path) == 0) return true;
    // The runtime directory was switched (tests do): the queue moves along.
    close(tq.fd);
    unlink(tq.addr.sun_path);
    tq.fd = -1;
    tq.backlog.clear();
  }
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  tq.addr = want;
  unlink(tq.addr.sun_path);  // left over by an earlier process with the same ids
  if (bind(fd, reinterpret_cast<sockaddr*>(&tq.addr), len) != 0) {
    close(fd);
    return false;
  }
  chmod(tq.addr.sun_path, 0600);
  int size = 1 << 20;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  tq.fd = fd;
  tq.tid = tid;
  std::strcpy(tq.key, key);
  static std::once_flag fork_hook;
  std::call_once(fork_hook, [] { pthread_atfork(nullptr, nullptr, forget_queue_in_child); });
  return true;
}

void kill_window_timers(uint32_t hwnd) noexcept {
  std::lock_guard<std::mutex> g(g_timer_lock);
  auto& v = timers();
  for (size_t i = v.size(); i-- > 0;)
    if (v[i].hwnd == hwnd) v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace detail

// Recently used routes of this thread: a window's queue is looked up from its record once;
// later posts only check that the record still exists (the window was not destroyed) and
// let the kernel refuse delivery when the owning process has died.
struct Route {
  uint32_t hwnd;
  sockaddr_un addr;
  socklen_t len;
  char record[sizeof(sockaddr_un::sun_path)];
  char key[200];  // the runtime directory setting it was learnt under
};
constexpr int kRoutes = 8;
thread_local Route t_routes[kRoutes];
thread_local int t_next_route = 0;

int post_message(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) noexcept {
  if (hwnd == 0) return ENOENT;
  Route* route = nullptr;
  for (auto& r : t_routes)
    if (r.hwnd == hwnd) route = &r;
  const char* key = std::getenv("ZUNT_RUNTIME_DIR");
  if (key == nullptr) key = "";
  if (route != nullptr) {
    // A route learnt under another runtime directory, or to a window that is gone, is dropped.
    if (std::strcmp(key, route->key) != 0 || access(route->record, F_OK) != 0) {
      route->hwnd = 0;
      route = nullptr;
    }
  }
  if (route == nullptr) {
    uint32_t pid = 0, tid = 0;
    if (!detail::window_route(hwnd, &pid, &tid)) return ENOENT;
    Route& r = t_routes[t_next_route];
    t_next_route = (t_next_route + 1) % kRoutes;
    char leaf[24];
    std::snprintf(leaf, sizeof leaf, "w.%u", hwnd);
    if (!queue_address(pid, tid, &r.addr, &r.len) || !runtime_path(leaf, r.record, sizeof r.record) ||
        std::strlen(key) >= sizeof r.key) {
      r.hwnd = 0;
      return EACCES;
    }
    r.hwnd = hwnd;
    std::strcpy(r.key, key);
    route = &r;
  }
  if (ts.fd < 0) {
    ts.fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (ts.fd < 0) return errno;
  }
  sockaddr_un& a = route->addr;
  socklen_t len = route->len;
  const uint32_t words[4] = {hwnd, msg, wparam, lparam};
  const uint32_t start = tick_count();
  for (;;) {
    ssize_t n = sendto(ts.fd, words, sizeof words, MSG_DONTWAIT | MSG_NOSIGNAL,
                       reinterpret_cast<sockaddr*>(&a), len);
    if (n == static_cast<ssize_t>(sizeof words)) return 0;
    int e = n < 0 ? errno : EIO;
    if (e == EINTR) continue;
    if (e != EAGAIN && e != ENOBUFS) {
      route->hwnd = 0;  // look the window up afresh next time
      return e;
    }
    if (tick_count() - start >= 2000u) return e;
    drain_socket();
    usleep(200);
  }
}

void post_quit_message(uint32_t code) noexcept {
  tq.quit = true;
  tq.quit_code = code;
}

bool get_message(Message* m) noexcept {
  bool timed_out = false;
  return retrieve(m, ~0u, &timed_out);
}

bool get_message_timeout(Message* m, uint32_t timeout_ms) noexcept {
  bool timed_out = false;
  return retrieve(m, timeout_ms == ~0u ? timeout_ms - 1 : timeout_ms, &timed_out);
}

int32_t dispatch_message(const Message& m) noexcept {
  WndProc proc = nullptr;
  if (m.hwnd == 0 || !detail::local_window_proc(m.hwnd, &proc)) return 0;
  return proc(m.hwnd, m.message, m.wparam, m.lparam);
}

int set_timer(uint32_t hwnd, uint32_t id, uint32_t interval_ms) noexcept {
  uint32_t pid = 0, tid = 0;
  if (!detail::window_route(hwnd, &pid, &tid) || pid != process_id()) return ENOENT;
  if (interval_ms == 0) interval_ms = 1;
  std::lock_guard<std::mutex> g(g_timer_lock);
  uint32_t due = tick_count() + interval_ms;
  for (auto& t : timers())
    if (t.hwnd == hwnd && t.id == id) {
      t.interval = interval_ms;
      t.due = due;
      return 0;
    }
  timers().push_back(Timer{tid, hwnd, id, interval_ms, due});
  return 0;
}

bool kill_timer(uint32_t hwnd, uint32_t id) noexcept {
  std::lock_guard<std::mutex> g(g_timer_lock);
  auto& v = timers();
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i].hwnd == hwnd && v[i].id == id) {
      v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  return false;
}

}  // namespace zunt::platform
