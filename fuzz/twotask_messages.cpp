// links: mirelink_core
// Arbitrary message sequences with arbitrary parameters delivered to a connection's window
// procedure. Each input is a run of 12-byte records (message, wParam, lParam); a wParam of 1
// stands for the peer's window, so forged protocol messages from the peer are covered too.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "message.h"
#include "osn_internal.h"
#include "window.h"

namespace {

struct Scene {
  std::string dir;
  Scene() {
    char tmpl[] = "/tmp/zunt-fuzz-XXXXXX";
    if (mkdtemp(tmpl) != nullptr) dir = tmpl;
    setenv("ZUNT_RUNTIME_DIR", dir.c_str(), 1);
    setenv("_two_task_quantum", "200", 1);
    zunt::osn::library_attach();
  }
  ~Scene() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zunt;
  static Scene scene;
  alignas(4) static unsigned char own[512], peer[512];
  osn_context c{};
  c.state = OSN_ST_CONNECTED | OSN_ST_CLIENT;
  c.platform = 1;
  c.buffer_size = sizeof own;
  c.own_view = own;
  c.peer_view = (size & 1) ? peer : nullptr;
  c.os_error_ref = &c.os_error;
  c.own_window = platform::create_window("Vlm.Client", "VLMCLIENT", 0, nullptr);
  uint32_t peer_window = platform::create_window("Vlm.Server", "VLMSERVER", 0, nullptr);
  if (c.own_window == 0 || peer_window == 0) return 0;
  c.peer_window = peer_window;
  platform::set_window_word(c.own_window, 0, reinterpret_cast<uintptr_t>(&c));
  for (size_t i = 0; i + 12 <= size; i += 12) {
    uint32_t w[3];
    std::memcpy(w, data + i, 12);
    uint32_t msg = w[0] % 4 == 0 ? 1525 + w[0] % 9 : w[0] & 0x3FF;
    if (msg == platform::kWmChar && (w[1] & 0xFFFF) == 3) c.state &= ~OSN_ST_OPEN;  // no blocking break
    uint32_t wparam = w[1] == 1 ? c.peer_window : w[1];
    osn::window_proc(c.own_window, msg, wparam, w[2]);
  }
  c.peer_window = 0;
  platform::destroy_window(c.own_window);
  platform::destroy_window(peer_window);
  platform::Message m{};
  while (platform::get_message_timeout(&m, 0)) {
  }
  return 0;
}
