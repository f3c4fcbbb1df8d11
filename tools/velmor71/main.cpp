// Velmor71, the server program behind the "VELMOR7" window. The main thread owns the main
// window and answers each connect request (message 1533) by starting a thread that opens the
// server side of the connection with the connect text "<buffer size>,<client platform>,
// <client window>" and serves the echo protocol until the client leaves. The scheduler
// callback given to the transport retrieves and dispatches one message of the calling thread.
//
// Settings (environment):
//   VELMOR71_LINGER_MS  the program ends when no connection has been open for this long
//                       (default 5000), so a server started on demand goes away by itself
//   VELMOR71_PIDFILE    file that receives the process id at start
//   VELMOR71_MODE       misbehaviour for tests: "hellos" (a hello with a wrong signature
//                       before and a second hello after the real one), "vanish1" (exit on
//                       the connect request), "vanish2" (send a hello, then exit),
//                       "nowindow" (never show the main window; exit after 30 s)
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "echo.h"
#include "message.h"
#include "osn_internal.h"
#include "rundir.h"
#include "sysinfo.h"
#include "window.h"

namespace {

using namespace zunt;

std::atomic<int> g_active{0};
uint32_t g_last_activity = 0;
uint32_t g_linger_ms = 5000;
const char* g_mode = "";
uint32_t g_main = 0;
uint32_t g_dummy = 0;         // a stray server window used by the misbehaving modes
uint32_t g_pending_hello = 0;  // client window still owed the second hello ("hellos")

constexpr uint32_t kLingerTimer = 1;
constexpr uint32_t kHelloTimer = 2;
constexpr uint32_t kExitTimer = 3;

void pump_one() {
  platform::Message m{};
  if (platform::get_message(&m)) platform::dispatch_message(m);
}

int32_t recv_all(osn_context** c, void* dst, uint32_t n) { return osnfrc(c, 0, dst, n); }
int32_t send_all(osn_context** c, const void* src, uint32_t n) { return osnfsn(c, 0, src, n); }

// The same echo protocol over a Unix stream socket: the yardstick the benchmark measures the
// transport against, between the same two processes.
void serve_socket(int listener, std::string path) {
  pollfd p{listener, POLLIN, 0};
  int fd = poll(&p, 1, 10000) == 1 ? accept(listener, nullptr, nullptr) : -1;
  close(listener);
  unlink(path.c_str());
  std::vector<unsigned char> buf;
  velmor::Header h{};
  while (fd >= 0 && velmor::read_full(fd, &h, sizeof h)) {
    if ((h.op != velmor::kEcho && h.op != velmor::kSink && h.op != velmor::kSource) || h.len > velmor::kMaxEcho) break;
    buf.resize(h.len);
    if (h.op != velmor::kSource && !velmor::read_full(fd, buf.data(), h.len)) break;
    if (h.op == velmor::kSource)
      for (uint32_t i = 0; i < h.len; ++i) buf[i] = velmor::pattern(i);
    bool ok = velmor::write_full(fd, &h, sizeof h);
    if (ok && h.op != velmor::kSink) ok = velmor::write_full(fd, buf.data(), h.len);
    if (!ok) break;
  }
  if (fd >= 0) close(fd);
  --g_active;
}

// Opens a listening socket in the runtime directory; returns its descriptor and path.
int open_listener(std::string* path) {
  static std::atomic<uint32_t> serial{0};
  char leaf[64];
  std::snprintf(leaf, sizeof leaf, "echo.%u.%u", platform::process_id(), ++serial);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (!platform::runtime_path(leaf, a.sun_path, sizeof a.sun_path)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  unlink(a.sun_path);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 1) != 0) {
    close(fd);
    return -1;
  }
  *path = a.sun_path;
  return fd;
}

// Serves one connection until it ends.
void serve(std::string text) {
  osn_ops* ops = nullptr;
  osn_context* ctx = nullptr;
  uint32_t max = 0;
  int32_t r = osn2tt(text.c_str(), static_cast<uint32_t>(text.size()), 0, 0, &ops, &ctx, &max, nullptr, 0, 0);
  if (r != 0) {
    --g_active;
    return;
  }
  std::vector<unsigned char> buf;
  for (;;) {
    velmor::Header h{};
    r = recv_all(&ctx, &h, sizeof h);
    if (r == OSN_E_BREAK) {
      osnfrs(&ctx);
      continue;
    }
    if (r != 0) break;
    if (h.op == velmor::kEcho || h.op == velmor::kSink) {
      if (h.len > velmor::kMaxEcho) break;
      buf.resize(h.len);
      r = recv_all(&ctx, buf.data(), h.len);
      if (r == 0) r = send_all(&ctx, &h, sizeof h);
      if (r == 0 && h.op == velmor::kEcho) r = send_all(&ctx, buf.data(), h.len);
    } else if (h.op == velmor::kSource) {
      r = send_all(&ctx, &h, sizeof h);
      unsigned char chunk[8192];
      for (uint32_t done = 0; r == 0 && done < h.len;) {
        uint32_t n = h.len - done < sizeof chunk ? h.len - done : static_cast<uint32_t>(sizeof chunk);
        for (uint32_t i = 0; i < n; ++i) chunk[i] = velmor::pattern(done + i);
        r = send_all(&ctx, chunk, n);
        done += n;
      }
    } else if (h.op == velmor::kClose) {
      break;
    } else if (h.op == velmor::kBreak) {
      osnfbr(&ctx);
      osnfrs(&ctx);
      continue;
    } else if (h.op == velmor::kSocket) {
      std::string path;
      int listener = open_listener(&path);
      velmor::Header reply{velmor::kSocket, listener < 0 ? 0u : static_cast<uint32_t>(path.size())};
      if (listener >= 0) {
        ++g_active;
        std::thread(serve_socket, listener, path).detach();
      }
      r = send_all(&ctx, &reply, sizeof reply);
      if (r == 0) r = send_all(&ctx, path.data(), reply.len);
    } else if (h.op == velmor::kInfo) {
      velmor::Info info{platform::process_id(), ctx->buffer_size, ctx->peer_platform, ctx->quantum};
      velmor::Header reply{velmor::kInfo, sizeof info};
      r = send_all(&ctx, &reply, sizeof reply);
      if (r == 0) r = send_all(&ctx, &info, sizeof info);
    } else {
      break;  // not a request of this protocol
    }
    if (r == OSN_E_BREAK) {
      osnfrs(&ctx);
      continue;
    }
    if (r != 0) break;
  }
  osnfds(&ctx, 0);
  --g_active;
}

void post_hello(uint32_t client, uint32_t signature) {
  if (g_dummy == 0) g_dummy = platform::create_window(osn::kServerClass, "VLMSERVER", g_main, nullptr);
  platform::post_message(client, OSN_MSG_HELLO, g_dummy, (1u << 16) | signature);
}

int32_t main_proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) {
  if (msg == OSN_MSG_CONNECT) {
    // Only a live client window of this user may ask for a connection.
    platform::WindowInfo info{};
    if (!platform::window_info(wparam, &info) || std::strcmp(info.cls, osn::kClientClass) != 0) return 0;
    if (std::strcmp(g_mode, "vanish1") == 0) _exit(0);
    if (std::strcmp(g_mode, "vanish2") == 0) {
      post_hello(wparam, osn::kHelloSignature);
      platform::set_timer(hwnd, kExitTimer, 300);
      return 0;
    }
    if (std::strcmp(g_mode, "hellos") == 0) {
      post_hello(wparam, 0x1234);
      g_pending_hello = wparam;
      platform::set_timer(hwnd, kHelloTimer, 200);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%u,%u,%u", lparam & 0xFFFFu, lparam >> 16, wparam);
    ++g_active;
    g_last_activity = platform::tick_count();
    std::thread(serve, std::string(text)).detach();
    return 0;
  }
  if (msg == platform::kWmTimer) {
    if (wparam == kExitTimer) _exit(0);
    if (wparam == kHelloTimer) {
      platform::kill_timer(hwnd, kHelloTimer);
      if (g_pending_hello != 0) post_hello(g_pending_hello, osn::kHelloSignature);
      g_pending_hello = 0;
    }
    if (wparam == kLingerTimer) {
      uint32_t now = platform::tick_count();
      if (g_active.load() > 0) g_last_activity = now;
      if (now - g_last_activity >= g_linger_ms) {
        platform::destroy_window(hwnd);
        platform::post_quit_message(0);
      }
    }
    return 0;
  }
  if (msg == platform::kWmDestroy) return 0;
  return platform::def_window_proc(hwnd, msg, wparam, lparam);
}

}  // namespace

int main() {
  if (const char* p = std::getenv("VELMOR71_PIDFILE"); p != nullptr && *p != '\0') {
    if (FILE* f = std::fopen(p, "w")) {
      std::fprintf(f, "%u\n", platform::process_id());
      std::fclose(f);
    }
  }
  if (const char* m = std::getenv("VELMOR71_MODE")) g_mode = m;
  if (const char* l = std::getenv("VELMOR71_LINGER_MS"); l != nullptr && *l != '\0') g_linger_ms = static_cast<uint32_t>(std::strtoul(l, nullptr, 10));
  if (std::strcmp(g_mode, "nowindow") == 0) {
    sleep(30);
    return 0;
  }
  if (!osn::library_attach()) {
    std::fprintf(stderr, "Velmor71: cannot register the window classes\n");
    return 1;
  }
  if (platform::find_window(osn::kMainClass, osn::kMainTitle) != 0) return 0;  // one server per user
  if (platform::register_class(osn::kMainClass, main_proc, 0) != 0) return 1;
  int err = 0;
  g_main = platform::create_window(osn::kMainClass, osn::kMainTitle, 0, &err);
  if (g_main == 0) {
    std::fprintf(stderr, "Velmor71: cannot create the main window (%s)\n", std::strerror(err));
    return 1;
  }
  // Two servers started at the same moment: the one every client would pick stays.
  if (platform::find_window(osn::kMainClass, osn::kMainTitle) != g_main) {
    platform::destroy_window(g_main);
    return 0;
  }
  osnschedinit(pump_one);
  g_last_activity = platform::tick_count();
  platform::set_timer(g_main, kLingerTimer, 100);
  platform::Message m{};
  while (platform::get_message(&m)) platform::dispatch_message(m);
  // Connections still open when the program is told to quit finish first.
  while (g_active.load() > 0) usleep(10000);
  return 0;
}
