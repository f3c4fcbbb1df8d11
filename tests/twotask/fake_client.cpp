// A client that vanishes during the handshake, for the server's side of the failure tests.
// It plays the client's part by hand (window, buffer, messages) and exits at the step named
// by its argument: "connect" (right after the connect request), "hello" (after the server's
// hello), "attach" (after the attach exchange). It prints its window handle first.
// "rogue SEED COUNT HWND..." instead posts COUNT random messages to the given windows.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "message.h"
#include "shm.h"
#include "window.h"

using namespace zunt::platform;

namespace {
int32_t proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) {
  return def_window_proc(hwnd, msg, wparam, lparam);
}

// Waits up to 5 s for message msg; returns its wParam, or 0.
uint32_t wait_for(uint32_t msg) {
  Message m{};
  for (int i = 0; i < 100; ++i)
    if (get_message_timeout(&m, 50) && m.message == msg) return m.wparam;
  return 0;
}
}  // namespace

int rogue(int argc, char** argv) {
  uint32_t x = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) | 1u;
  auto next = [&x] {  // xorshift
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  const unsigned long count = std::strtoul(argv[3], nullptr, 10);
  const int targets = argc - 4;
  for (unsigned long i = 0; i < count; ++i) {
    uint32_t msg = next() % 4 == 0 ? 1525 + next() % 9 : next() % 2048;
    // Closing or destroying a window is a legitimate request of anyone; leave those out.
    if (msg == 0x0002 || msg == 0x0010 || msg == 0x0012) continue;
    uint32_t to = static_cast<uint32_t>(std::strtoul(argv[4 + next() % static_cast<uint32_t>(targets)], nullptr, 10));
    post_message(to, msg, next(), next());
    if (i % 8 == 0) usleep(1000);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 5 && std::strcmp(argv[1], "rogue") == 0) return rogue(argc, argv);
  if (argc < 2) return 2;
  register_class("Vlm.Client", proc, 8);
  uint32_t w = create_window("Vlm.Client", "VLMCLIENT", 0, nullptr);
  if (w == 0) return 1;
  char title[32];
  std::snprintf(title, sizeof title, "VLMCLIENT:%u", w);
  set_window_title(w, title);
  char name[32];
  std::snprintf(name, sizeof name, "CSEND:%u", w);
  uint32_t h = 0;
  void* view = nullptr;
  if (shm_create(name, 4096, &h, &view) != 0) return 1;
  std::printf("%u\n", w);
  std::fflush(stdout);
  uint32_t main_window = find_window("VELMOR7", "VELMOR7");
  if (main_window == 0 || post_message(main_window, 1533, w, (1u << 16) + 4096) != 0) return 1;
  if (std::strcmp(argv[1], "connect") == 0) _exit(0);
  uint32_t server = wait_for(1532);
  if (server == 0) return 1;
  if (std::strcmp(argv[1], "hello") == 0) _exit(0);
  post_message(server, 1531, w, h);
  if (wait_for(1531) == 0) return 1;
  _exit(0);  // "attach": connected, then gone without a word
}
