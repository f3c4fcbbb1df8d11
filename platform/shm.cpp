// Shared memory segments and global memory blocks.
#include "shm.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "rundir.h"
#include "sysinfo.h"
#include "window.h"

namespace zunt::platform {
namespace {

bool object_name(const char* name, char* out, size_t cap) {
  if (name == nullptr || *name == '\0' || std::strchr(name, '/') != nullptr) return false;
  int n = std::snprintf(out, cap, "/zunt.%u.%s", static_cast<unsigned>(geteuid()), name);
  return n > 0 && static_cast<size_t>(n) < cap;
}

bool marker_path(uint32_t pid, uint64_t start, const char* name, char* out, uint32_t cap) {
  char leaf[160];
  int n = std::snprintf(leaf, sizeof leaf, "m.%u.%llu.%s", pid, static_cast<unsigned long long>(start), name);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof leaf) return false;
  return runtime_path(leaf, out, cap);
}

void put_marker(const char* name) {
  char path[400];
  uint32_t pid = process_id();
  if (!marker_path(pid, detail::process_start(pid), name, path, sizeof path)) return;
  int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) close(fd);
}

void drop_marker(const char* name) {
  char path[400];
  uint32_t pid = process_id();
  if (marker_path(pid, detail::process_start(pid), name, path, sizeof path)) unlink(path);
}

int create_object(const char* name, uint32_t size, int* fd_out) {
  char obj[200];
  if (!object_name(name, obj, sizeof obj) || size == 0) return EINVAL;
  int fd = ::shm_open(obj, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
    int e = errno;
    close(fd);
    shm_unlink(obj);
    return e;
  }
  put_marker(name);
  *fd_out = fd;
  return 0;
}

int open_object(const char* name, uint32_t size, int* fd_out, uint32_t* actual) {
  char obj[200];
  if (!object_name(name, obj, sizeof obj)) return EINVAL;
  int fd = ::shm_open(obj, O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) return errno;
  struct stat st{};
  if (fstat(fd, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 077) != 0 || st.st_size < size ||
      st.st_size > 0x7FFFFFFF || st.st_size == 0) {
    close(fd);
    return EINVAL;
  }
  *fd_out = fd;
  if (actual != nullptr) *actual = static_cast<uint32_t>(st.st_size);
  return 0;
}

int map_fd(int fd, uint32_t size, void** view) {
  void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (p == MAP_FAILED) return errno;
  *view = p;
  return 0;
}

bool fd_covers(int fd, uint32_t size) {
  struct stat st{};
  return fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(size);
}

// The global memory blocks this process has mapped.
struct Block {
  uint32_t handle;
  int fd;
  void* view;
  uint32_t size;
  uint32_t locks;
  bool owner;
};
constexpr int kBlocks = 256;
std::mutex g_blocks_lock;
Block g_blocks[kBlocks];

Block* find_block(uint32_t h) {
  for (auto& b : g_blocks)
    if (b.handle == h && h != 0) return &b;
  return nullptr;
}

void global_name(uint32_t h, char* out, size_t cap) { std::snprintf(out, cap, "G%u", h); }

}  // namespace

int shm_create(const char* name, uint32_t size, uint32_t* handle, void** view) noexcept {
  int fd = -1;
  int e = create_object(name, size, &fd);
  if (e != 0) return e;
  e = map_fd(fd, size, view);
  if (e != 0) {
    close(fd);
    shm_remove(name);
    return e;
  }
  *handle = static_cast<uint32_t>(fd) + 1;
  return 0;
}

int shm_open_existing(const char* name, uint32_t size, uint32_t* handle, void** view) noexcept {
  int fd = -1;
  int e = open_object(name, size, &fd, nullptr);
  if (e != 0) return e;
  e = map_fd(fd, size, view);
  if (e != 0) {
    close(fd);
    return e;
  }
  *handle = static_cast<uint32_t>(fd) + 1;
  return 0;
}

int shm_close(uint32_t handle, void* view, uint32_t size) noexcept {
  int e = 0;
  if (view != nullptr && munmap(view, size) != 0) e = errno;
  if (handle != 0 && close(static_cast<int>(handle - 1)) != 0 && e == 0) e = errno;
  return e;
}

int shm_remove(const char* name) noexcept {
  char obj[200];
  if (!object_name(name, obj, sizeof obj)) return EINVAL;
  drop_marker(name);
  if (shm_unlink(obj) != 0 && errno != ENOENT) return errno;
  return 0;
}

int shm_remove_name(const char* name) noexcept {
  char obj[200];
  if (!object_name(name, obj, sizeof obj)) return EINVAL;
  if (shm_unlink(obj) != 0 && errno != ENOENT) return errno;
  return 0;
}

bool shm_accessible(uint32_t handle, uint32_t size) noexcept {
  return handle != 0 && fd_covers(static_cast<int>(handle - 1), size);
}

int global_alloc(uint32_t size, uint32_t* handle) noexcept {
  std::lock_guard<std::mutex> g(g_blocks_lock);
  Block* slot = nullptr;
  for (auto& b : g_blocks)
    if (b.handle == 0) {
      slot = &b;
      break;
    }
  if (slot == nullptr) return ENOMEM;
  for (int attempt = 0; attempt < 16; ++attempt) {
    uint32_t h = 0;
    if (getrandom(&h, sizeof h, 0) != static_cast<ssize_t>(sizeof h)) h = tick_count() * 2654435761u + process_id();
    h = 0x00010000u + (h % 0x7FFE0000u);
    char name[24];
    global_name(h, name, sizeof name);
    int fd = -1;
    int e = create_object(name, size, &fd);
    if (e == EEXIST) continue;
    if (e != 0) return e;
    *slot = Block{h, fd, nullptr, size, 0, true};
    *handle = h;
    return 0;
  }
  return EEXIST;
}

void* global_lock(uint32_t handle, uint32_t* size, int* err) noexcept {
  int dummy = 0;
  if (err == nullptr) err = &dummy;
  std::lock_guard<std::mutex> g(g_blocks_lock);
  Block* b = find_block(handle);
  if (b == nullptr) {
    for (auto& s : g_blocks)
      if (s.handle == 0) {
        b = &s;
        break;
      }
    if (b == nullptr || handle == 0) {
      *err = handle == 0 ? EINVAL : ENOMEM;
      return nullptr;
    }
    char name[24];
    global_name(handle, name, sizeof name);
    int fd = -1;
    uint32_t actual = 0;
    int e = open_object(name, 1, &fd, &actual);
    if (e != 0) {
      *err = e;
      return nullptr;
    }
    *b = Block{handle, fd, nullptr, actual, 0, false};
  }
  if (b->view == nullptr) {
    int e = map_fd(b->fd, b->size, &b->view);
    if (e != 0) {
      *err = e;
      if (!b->owner) {
        close(b->fd);
        *b = Block{};
      }
      return nullptr;
    }
  }
  ++b->locks;
  if (size != nullptr) *size = b->size;
  *err = 0;
  return b->view;
}

bool global_unlock(uint32_t handle) noexcept {
  std::lock_guard<std::mutex> g(g_blocks_lock);
  Block* b = find_block(handle);
  if (b == nullptr || b->locks == 0) return false;
  --b->locks;
  return true;
}

int global_free(uint32_t handle) noexcept {
  std::lock_guard<std::mutex> g(g_blocks_lock);
  Block* b = find_block(handle);
  if (b == nullptr || !b->owner) return EINVAL;
  if (b->view != nullptr) munmap(b->view, b->size);
  close(b->fd);
  char name[24];
  global_name(handle, name, sizeof name);
  *b = Block{};
  return shm_remove(name);
}

void global_detach(uint32_t handle) noexcept {
  std::lock_guard<std::mutex> g(g_blocks_lock);
  Block* b = find_block(handle);
  if (b == nullptr || b->owner) return;
  if (b->view != nullptr) munmap(b->view, b->size);
  close(b->fd);
  *b = Block{};
}

bool global_accessible(uint32_t handle, uint32_t size) noexcept {
  std::lock_guard<std::mutex> g(g_blocks_lock);
  Block* b = find_block(handle);
  return b != nullptr && b->view != nullptr && b->size >= size && fd_covers(b->fd, size);
}

namespace detail {

void shm_sweep_marker(const char* dir, const char* entry) noexcept {
  // "m.<pid>.<start>.<name>"
  char* end = nullptr;
  unsigned long pid = std::strtoul(entry + 2, &end, 10);
  if (end == nullptr || *end != '.') return;
  unsigned long long start = std::strtoull(end + 1, &end, 10);
  if (end == nullptr || *end != '.' || end[1] == '\0') return;
  if (process_alive(static_cast<uint32_t>(pid), start)) return;
  char obj[200];
  if (object_name(end + 1, obj, sizeof obj)) shm_unlink(obj);
  char path[400];
  std::snprintf(path, sizeof path, "%s/%s", dir, entry);
  unlink(path);
}

}  // namespace detail

}  // namespace zunt::platform
