// Windows visible to every process of one user: per-process window classes, windows with
// 32-bit handles, titles and parents, found by class and title from any process, enumerated
// by parent, destroyed by their owner. A window lives as a small record in the per-user
// runtime directory; the window procedure and the extra words stay in the owning process.
// A window whose process has died is no longer a window.
#pragma once

#include <cstdint>

namespace zunt::platform {

// Window procedure: (window, message, wParam, lParam) -> result.
using WndProc = int32_t (*)(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam);

// Message numbers the layer itself produces or gives a meaning to.
constexpr uint32_t kWmCreate = 0x0001;
constexpr uint32_t kWmDestroy = 0x0002;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmQuit = 0x0012;
constexpr uint32_t kWmChar = 0x0102;
constexpr uint32_t kWmTimer = 0x0113;
constexpr uint32_t kWmUser = 0x0400;

constexpr uint32_t kMaxClassName = 63;  // longest class name, bytes
constexpr uint32_t kMaxTitle = 63;      // longest window title, bytes

// Registers a class in this process. 0 on success, EEXIST when the name is taken, EINVAL for
// an empty or too long name, a null procedure or more than 16 extra bytes.
int register_class(const char* name, WndProc proc, uint32_t extra_bytes) noexcept;
bool class_registered(const char* name) noexcept;
bool unregister_class(const char* name) noexcept;

// Creates a window of a class of this process, owned by the calling thread, and sends it
// kWmCreate. parent 0 makes a top-level window; otherwise parent must be a window. Returns
// the handle (never 0), or 0 with *err set (errno value).
uint32_t create_window(const char* cls, const char* title, uint32_t parent, int* err) noexcept;

// Replaces the title of a window of this process. 0 or an errno value.
int set_window_title(uint32_t hwnd, const char* title) noexcept;

// Destroys a window of this process: its child windows first, then it receives kWmDestroy,
// its timers stop and it vanishes for every process. False when it is not such a window.
bool destroy_window(uint32_t hwnd) noexcept;

// True while hwnd names a window whose owning process is alive.
bool is_window(uint32_t hwnd) noexcept;

// What any process can learn about a window.
struct WindowInfo {
  uint32_t pid;     // owning process
  uint32_t tid;     // owning thread
  uint32_t parent;  // parent window, 0 for top level
  char cls[kMaxClassName + 1];
  char title[kMaxTitle + 1];
};
bool window_info(uint32_t hwnd, WindowInfo* out) noexcept;

// The live window whose class and title match (a null argument matches any) with the
// smallest handle, or 0.
uint32_t find_window(const char* cls, const char* title) noexcept;

// Live child windows of parent: writes up to cap handles, returns how many exist.
uint32_t enum_child_windows(uint32_t parent, uint32_t* out, uint32_t cap) noexcept;

// The extra words of a window of this process (word index 0 or 1). set returns false when
// hwnd is not a window of this process or the class has no room for the word.
bool set_window_word(uint32_t hwnd, uint32_t index, uintptr_t value) noexcept;
uintptr_t window_word(uint32_t hwnd, uint32_t index) noexcept;

// Default handling: kWmClose destroys the window; everything else answers 0.
int32_t def_window_proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) noexcept;

namespace detail {
// For the message layer: where a window's queue lives and how to call its procedure.
bool window_route(uint32_t hwnd, uint32_t* pid, uint32_t* tid) noexcept;
bool local_window_proc(uint32_t hwnd, WndProc* proc) noexcept;
// Destroys every window owned by the calling thread (at thread exit).
void destroy_thread_windows(uint32_t tid) noexcept;
uint32_t thread_id() noexcept;
bool process_alive(uint32_t pid, uint64_t start) noexcept;
uint64_t process_start(uint32_t pid) noexcept;
}  // namespace detail

}  // namespace zunt::platform
