// A client that vanishes during the handshake, for the server's side of the failure tests.
// It plays the client's part by hand (window, buffer, messages) and exits at the step named
// by its argument: "connect" (right after the connect request), "hello" (after the server's
// hello), "attach" (after the attach exchange). It prints its window handle first.
#include <unistd.h>

#include <cstdio>
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

int main(int argc, char** argv) {
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
