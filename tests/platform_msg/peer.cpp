// The second process of the platform tests. Modes:
//   window CLASS TITLE PARENT   create a window, print its handle, then answer each kPing
//                               (to wParam, lParam + 1) until kQuit destroys it
//   shm NAME                    create a 64-byte segment, print "ready", wait to be killed
//   bump-shm NAME               add 1 to the first word of an existing segment
//   bump-global HANDLE          add 1 to the first word of a global memory block
//   probe HWND OBJECT           exit status: bit set for each of runtime directory, window,
//                               post, shared memory object and window record it can reach
//   sleep                       sleep for a second
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "message.h"
#include "rundir.h"
#include "shm.h"
#include "window.h"

using namespace zunt::platform;

namespace {

constexpr uint32_t kPing = kWmUser + 1, kPong = kWmUser + 2, kQuit = kWmUser + 9;

int32_t proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) {
  if (msg == kPing) post_message(wparam, kPong, hwnd, lparam + 1);
  if (msg == kQuit) {
    destroy_window(hwnd);
    post_quit_message(0);
  }
  return def_window_proc(hwnd, msg, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::strcmp(argv[1], "window") == 0) {
    register_class(argv[2], proc, 8);
    int err = 0;
    uint32_t h = create_window(argv[2], argv[3], static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10)), &err);
    std::printf("%u\n", h);
    std::fflush(stdout);
    if (h == 0) return 1;
    Message m{};
    while (get_message(&m)) dispatch_message(m);
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "shm") == 0) {
    uint32_t h = 0;
    void* v = nullptr;
    if (shm_create(argv[2], 64, &h, &v) != 0) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    pause();
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "bump-shm") == 0) {
    uint32_t h = 0;
    void* v = nullptr;
    if (shm_open_existing(argv[2], 4, &h, &v) != 0) return 1;
    ++*static_cast<uint32_t*>(v);
    return shm_close(h, v, 4);
  }
  if (argc >= 3 && std::strcmp(argv[1], "bump-global") == 0) {
    uint32_t h = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    int err = 0;
    void* v = global_lock(h, nullptr, &err);
    if (v == nullptr) return 1;
    ++*static_cast<uint32_t*>(v);
    global_unlock(h);
    global_detach(h);
    return 0;
  }
  if (argc >= 4 && std::strcmp(argv[1], "probe") == 0) {
    // Run as another user: report in the exit status what could be reached.
    uint32_t w = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    int bad = 0;
    if (runtime_dir() != nullptr) bad |= 1;
    if (is_window(w) || find_window(nullptr, nullptr) != 0) bad |= 2;
    if (post_message(w, kPing, 0, 0) == 0) bad |= 4;
    // Going around the layer: the window's record and the segment itself.
    const char* dir = std::getenv("ZUNT_RUNTIME_DIR");
    std::string rec = std::string(dir != nullptr ? dir : "/nonexistent") + "/w." + argv[2];
    if (open(rec.c_str(), O_RDONLY) >= 0) bad |= 16;
    if (::shm_open(argv[3], O_RDWR, 0) >= 0) bad |= 8;
    return bad;
  }
  if (argc >= 2 && std::strcmp(argv[1], "sleep") == 0) {
    sleep(1);
    return 0;
  }
  return 2;
}
