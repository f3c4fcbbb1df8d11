// Window classes, window records and their lookup. Each window is a file "w.<handle>" in the
// runtime directory holding a fixed record (owner process and its start time, owner thread,
// parent, class, title); the handle is random and claimed by exclusive creation, so handles
// are unique among all windows of the user. Titles change by writing a new record and
// renaming it over the old one, so readers never see half a record.
#include "window.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "message.h"
#include "rundir.h"
#include "shm.h"
#include "sysinfo.h"

namespace zunt::platform {
namespace {

constexpr uint32_t kMagic = 0x574e4457u;  // "WDNW"

struct Record {
  uint32_t magic;
  uint32_t handle;
  uint32_t pid;
  uint32_t tid;
  uint64_t start;   // owner's start time (clock ticks since boot), guards against pid reuse
  uint32_t parent;
  uint32_t reserved;
  char cls[kMaxClassName + 1];
  char title[kMaxTitle + 1];
};

struct WindowClass {
  char name[kMaxClassName + 1];
  WndProc proc;
  uint32_t extra;
};

struct LocalWindow {
  uint32_t handle;
  uint32_t tid;
  uint32_t parent;
  WndProc proc;
  uint32_t extra;       // extra bytes of the class
  uintptr_t words[2];
  Record rec;           // the published record, kept to rewrite it on retitling
};

std::mutex g_lock;  // guards the two tables below
std::vector<WindowClass>& classes() {
  static std::vector<WindowClass> v;
  return v;
}
std::vector<LocalWindow>& locals() {
  static std::vector<LocalWindow> v;
  return v;
}

LocalWindow* find_local(uint32_t h) {
  for (auto& w : locals())
    if (w.handle == h) return &w;
  return nullptr;
}

bool copy_name(char* out, const char* in, uint32_t max) {
  size_t n = std::strlen(in);
  if (n > max) return false;
  std::memcpy(out, in, n + 1);
  return true;
}

bool record_path(uint32_t h, char* out, uint32_t cap) {
  char leaf[24];
  std::snprintf(leaf, sizeof leaf, "w.%u", h);
  return runtime_path(leaf, out, cap);
}

int write_record(const Record& r, bool exclusive) {
  char path[300];
  if (!record_path(r.handle, path, sizeof path)) return EACCES;
  if (exclusive) {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    bool ok = write(fd, &r, sizeof r) == static_cast<ssize_t>(sizeof r);
    close(fd);
    if (!ok) {
      unlink(path);
      return EIO;
    }
    return 0;
  }
  char tmp[320];
  std::snprintf(tmp, sizeof tmp, "%s.t%u", path, detail::thread_id());
  int fd = open(tmp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  bool ok = write(fd, &r, sizeof r) == static_cast<ssize_t>(sizeof r);
  close(fd);
  if (!ok || rename(tmp, path) != 0) {
    int e = ok ? errno : EIO;
    unlink(tmp);
    return e;
  }
  return 0;
}

bool read_record_file(const char* path, Record* r) {
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  ssize_t n = read(fd, r, sizeof *r);
  close(fd);
  if (n != static_cast<ssize_t>(sizeof *r) || r->magic != kMagic) return false;
  r->cls[kMaxClassName] = '\0';
  r->title[kMaxTitle] = '\0';
  return true;
}

// Reads the record of h; a record whose owner has died is removed and reported missing.
bool read_live_record(uint32_t h, Record* r) {
  char path[300];
  if (h == 0 || !record_path(h, path, sizeof path)) return false;
  if (!read_record_file(path, r) || r->handle != h) return false;
  if (!detail::process_alive(r->pid, r->start)) {
    unlink(path);
    return false;
  }
  return true;
}

// Walks every live window record; f returns true to stop. Records of dead processes and
// leftovers of dead processes' shared memory are removed on the way.
template <class F>
void for_each_record(F f) {
  const char* dir = runtime_dir();
  if (dir == nullptr) return;
  DIR* d = opendir(dir);
  if (d == nullptr) return;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == 'm' && e->d_name[1] == '.') {
      detail::shm_sweep_marker(dir, e->d_name);
      continue;
    }
    if (e->d_name[0] != 'w' || e->d_name[1] != '.' || std::strchr(e->d_name + 2, '.') != nullptr) continue;
    char* end = nullptr;
    unsigned long h = std::strtoul(e->d_name + 2, &end, 10);
    if (end == nullptr || *end != '\0' || h == 0 || h > 0xFFFFFFFFul) continue;
    Record r{};
    if (!read_live_record(static_cast<uint32_t>(h), &r)) continue;
    if (f(r)) break;
  }
  closedir(d);
}

uint32_t random_handle() {
  uint32_t v = 0;
  if (getrandom(&v, sizeof v, 0) != static_cast<ssize_t>(sizeof v)) {
    static uint32_t counter = 0;
    v = (process_id() << 12) ^ tick_count() ^ ++counter;
  }
  // Keep handles positive as signed values and clear of small numbers.
  return 0x00010000u + (v % 0x7FFE0000u);
}

}  // namespace

namespace detail {

uint32_t thread_id() noexcept { return static_cast<uint32_t>(syscall(SYS_gettid)); }

uint64_t process_start(uint32_t pid) noexcept {
  char path[40];
  std::snprintf(path, sizeof path, "/proc/%u/stat", pid);
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char buf[1024];
  ssize_t n = read(fd, buf, sizeof buf - 1);
  close(fd);
  if (n <= 0) return 0;
  buf[n] = '\0';
  // After the command name in parentheses: state is field 3, start time field 22.
  char* p = std::strrchr(buf, ')');
  if (p == nullptr) return 0;
  ++p;
  while (*p == ' ') ++p;
  if (*p == 'Z' || *p == 'X' || *p == 'x') return 0;  // a zombie is no longer running
  for (int field = 3; field < 22 && *p != '\0'; ++field) {
    while (*p != ' ' && *p != '\0') ++p;
    while (*p == ' ') ++p;
  }
  uint64_t v = std::strtoull(p, nullptr, 10);
  return v == 0 ? 1 : v;
}

bool process_alive(uint32_t pid, uint64_t start) noexcept {
  if (pid == 0) return false;
  uint64_t now = process_start(pid);
  return now != 0 && now == start;
}

bool window_route(uint32_t hwnd, uint32_t* pid, uint32_t* tid) noexcept {
  {
    std::lock_guard<std::mutex> g(g_lock);
    if (LocalWindow* w = find_local(hwnd)) {
      *pid = process_id();
      *tid = w->tid;
      return true;
    }
  }
  Record r{};
  if (!read_live_record(hwnd, &r)) return false;
  *pid = r.pid;
  *tid = r.tid;
  return true;
}

bool local_window_proc(uint32_t hwnd, WndProc* proc) noexcept {
  std::lock_guard<std::mutex> g(g_lock);
  LocalWindow* w = find_local(hwnd);
  if (w == nullptr) return false;
  *proc = w->proc;
  return true;
}

void destroy_thread_windows(uint32_t tid) noexcept {
  for (;;) {
    uint32_t h = 0;
    {
      std::lock_guard<std::mutex> g(g_lock);
      for (auto& w : locals())
        if (w.tid == tid && (w.parent == 0 || find_local(w.parent) == nullptr || find_local(w.parent)->tid != tid)) {
          h = w.handle;
          break;
        }
    }
    if (h == 0 || !destroy_window(h)) return;
  }
}

}  // namespace detail

int register_class(const char* name, WndProc proc, uint32_t extra_bytes) noexcept {
  if (name == nullptr || *name == '\0' || std::strlen(name) > kMaxClassName || proc == nullptr ||
      extra_bytes > 16)
    return EINVAL;
  std::lock_guard<std::mutex> g(g_lock);
  for (auto& c : classes())
    if (std::strcmp(c.name, name) == 0) return EEXIST;
  WindowClass c{};
  copy_name(c.name, name, kMaxClassName);
  c.proc = proc;
  c.extra = extra_bytes;
  classes().push_back(c);
  return 0;
}

bool class_registered(const char* name) noexcept {
  if (name == nullptr) return false;
  std::lock_guard<std::mutex> g(g_lock);
  for (auto& c : classes())
    if (std::strcmp(c.name, name) == 0) return true;
  return false;
}

bool unregister_class(const char* name) noexcept {
  if (name == nullptr) return false;
  std::lock_guard<std::mutex> g(g_lock);
  auto& v = classes();
  for (size_t i = 0; i < v.size(); ++i)
    if (std::strcmp(v[i].name, name) == 0) {
      v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  return false;
}

uint32_t create_window(const char* cls, const char* title, uint32_t parent, int* err) noexcept {
  int dummy = 0;
  if (err == nullptr) err = &dummy;
  *err = 0;
  if (cls == nullptr) {
    *err = EINVAL;
    return 0;
  }
  if (title == nullptr) title = "";
  if (parent != 0 && !is_window(parent)) {
    *err = ENOENT;
    return 0;
  }
  if (!detail::ensure_thread_queue()) {
    *err = EACCES;
    return 0;
  }
  LocalWindow w{};
  {
    std::lock_guard<std::mutex> g(g_lock);
    const WindowClass* c = nullptr;
    for (auto& k : classes())
      if (std::strcmp(k.name, cls) == 0) c = &k;
    if (c == nullptr) {
      *err = ENOENT;
      return 0;
    }
    w.proc = c->proc;
    w.extra = c->extra;
  }
  w.tid = detail::thread_id();
  w.parent = parent;
  Record& r = w.rec;
  r.magic = kMagic;
  r.pid = process_id();
  r.start = detail::process_start(r.pid);
  r.tid = w.tid;
  r.parent = parent;
  if (!copy_name(r.cls, cls, kMaxClassName) || !copy_name(r.title, title, kMaxTitle)) {
    *err = ENAMETOOLONG;
    return 0;
  }
  int e = EEXIST;
  for (int attempt = 0; attempt < 16 && e == EEXIST; ++attempt) {
    r.handle = random_handle();
    e = write_record(r, true);
  }
  if (e != 0) {
    *err = e;
    return 0;
  }
  w.handle = r.handle;
  {
    std::lock_guard<std::mutex> g(g_lock);
    locals().push_back(w);
  }
  w.proc(w.handle, kWmCreate, 0, 0);
  return w.handle;
}

int set_window_title(uint32_t hwnd, const char* title) noexcept {
  if (title == nullptr) title = "";
  Record r{};
  {
    std::lock_guard<std::mutex> g(g_lock);
    LocalWindow* w = find_local(hwnd);
    if (w == nullptr) return ENOENT;
    if (!copy_name(w->rec.title, title, kMaxTitle)) return ENAMETOOLONG;
    r = w->rec;
  }
  return write_record(r, false);
}

bool destroy_window(uint32_t hwnd) noexcept {
  WndProc proc = nullptr;
  if (!detail::local_window_proc(hwnd, &proc)) return false;
  // Children first, as they cannot outlive their parent.
  for (;;) {
    uint32_t child = 0;
    {
      std::lock_guard<std::mutex> g(g_lock);
      for (auto& w : locals())
        if (w.parent == hwnd) {
          child = w.handle;
          break;
        }
    }
    if (child == 0 || !destroy_window(child)) break;
  }
  proc(hwnd, kWmDestroy, 0, 0);
  detail::kill_window_timers(hwnd);
  char path[300];
  if (record_path(hwnd, path, sizeof path)) unlink(path);
  std::lock_guard<std::mutex> g(g_lock);
  auto& v = locals();
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i].handle == hwnd) {
      v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  // A child of another process's window stays: it notices through is_window on the parent.
  return true;
}

bool is_window(uint32_t hwnd) noexcept {
  if (hwnd == 0) return false;
  {
    std::lock_guard<std::mutex> g(g_lock);
    if (find_local(hwnd) != nullptr) return true;
  }
  Record r{};
  return read_live_record(hwnd, &r);
}

bool window_info(uint32_t hwnd, WindowInfo* out) noexcept {
  Record r{};
  if (out == nullptr || !read_live_record(hwnd, &r)) return false;
  out->pid = r.pid;
  out->tid = r.tid;
  out->parent = r.parent;
  std::memcpy(out->cls, r.cls, sizeof out->cls);
  std::memcpy(out->title, r.title, sizeof out->title);
  return true;
}

uint32_t find_window(const char* cls, const char* title) noexcept {
  // Of several matches the smallest handle wins, so every process picks the same window.
  uint32_t found = 0;
  for_each_record([&](const Record& r) {
    if ((cls == nullptr || std::strcmp(r.cls, cls) == 0) && (title == nullptr || std::strcmp(r.title, title) == 0) &&
        (found == 0 || r.handle < found))
      found = r.handle;
    return false;
  });
  return found;
}

uint32_t enum_child_windows(uint32_t parent, uint32_t* out, uint32_t cap) noexcept {
  uint32_t n = 0;
  if (parent == 0) return 0;
  for_each_record([&](const Record& r) {
    if (r.parent == parent) {
      if (out != nullptr && n < cap) out[n] = r.handle;
      ++n;
    }
    return false;
  });
  return n;
}

bool set_window_word(uint32_t hwnd, uint32_t index, uintptr_t value) noexcept {
  std::lock_guard<std::mutex> g(g_lock);
  LocalWindow* w = find_local(hwnd);
  if (w == nullptr || index > 1 || (index + 1) * 4 > w->extra) return false;
  w->words[index] = value;
  return true;
}

uintptr_t window_word(uint32_t hwnd, uint32_t index) noexcept {
  std::lock_guard<std::mutex> g(g_lock);
  LocalWindow* w = find_local(hwnd);
  if (w == nullptr || index > 1) return 0;
  return w->words[index];
}

int32_t def_window_proc(uint32_t hwnd, uint32_t msg, uint32_t, uint32_t) noexcept {
  if (msg == kWmClose) destroy_window(hwnd);
  return 0;
}

}  // namespace zunt::platform
