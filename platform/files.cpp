// Files by the product's path form, over POSIX descriptors (see files.h).
#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zunt::platform {
namespace {

bool is_regular(const char* path) noexcept {
  struct stat st {};
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// dir + "/" + name into out; false when it does not fit.
bool join(const char* dir, size_t dirlen, const char* name, char* out, size_t size) noexcept {
  size_t nlen = std::strlen(name);
  if (dirlen + 1 + nlen + 1 > size) return false;
  std::memcpy(out, dir, dirlen);
  out[dirlen] = '/';
  std::memcpy(out + dirlen + 1, name, nlen + 1);
  return true;
}

}  // namespace

bool host_path(const char* path, char* out, size_t size) noexcept {
  if (path == nullptr || size == 0) {
    errno = EINVAL;
    return false;
  }
  const char* p = path;
  if (((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':') p += 2;
  size_t n = std::strlen(p);
  if (n == 0) {
    errno = ENOENT;
    return false;
  }
  if (n + 1 > size) {
    errno = ENAMETOOLONG;
    return false;
  }
  for (size_t i = 0; i <= n; ++i) out[i] = p[i] == '\\' ? '/' : p[i];
  return true;
}

bool file_open(const char* path, FileMode mode, File* out) noexcept {
  out->fd = -1;
  char host[kMaxPath];
  if (!host_path(path, host, sizeof host)) return false;
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileMode::read: flags |= O_RDONLY; break;
    case FileMode::write: flags |= O_WRONLY; break;
    case FileMode::read_write: flags |= O_RDWR; break;
    case FileMode::create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  int fd;
  do {
    fd = ::open(host, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  // A directory opens for reading on POSIX but is no file to read lines from.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return false;
  }
  out->fd = fd;
  return true;
}

int32_t file_read(File f, void* buf, uint32_t n) noexcept {
  if (n > 0x7FFFFFFFu) n = 0x7FFFFFFFu;
  ssize_t r;
  do {
    r = ::read(f.fd, buf, n);
  } while (r < 0 && errno == EINTR);
  return r < 0 ? -1 : static_cast<int32_t>(r);
}

int32_t file_write(File f, const void* buf, uint32_t n) noexcept {
  if (n > 0x7FFFFFFFu) n = 0x7FFFFFFFu;
  ssize_t r;
  do {
    r = ::write(f.fd, buf, n);
  } while (r < 0 && errno == EINTR);
  return r < 0 ? -1 : static_cast<int32_t>(r);
}

int64_t file_seek(File f, int64_t offset, Seek whence) noexcept {
  int w = whence == Seek::set ? SEEK_SET : whence == Seek::current ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(f.fd, static_cast<off_t>(offset), w);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

int32_t file_close(File* f) noexcept {
  if (!f->is_open()) {
    errno = EBADF;
    return -1;
  }
  int r = ::close(f->fd);
  f->fd = -1;
  // POSIX leaves the descriptor closed after EINTR on Linux: never retry.
  return r == 0 || errno == EINTR ? 0 : -1;
}

uint32_t last_error() noexcept { return static_cast<uint32_t>(errno); }

bool too_many_open(uint32_t err) noexcept { return err == EMFILE || err == ENFILE; }

bool find_standard(const char* name, char* out, size_t size) noexcept {
  if (name == nullptr || *name == '\0') return false;
  char host_name[kMaxPath];
  if (!host_path(name, host_name, sizeof host_name)) return false;

  // The current directory.
  if (is_regular(host_name) && std::strlen(host_name) < size) {
    std::memcpy(out, host_name, std::strlen(host_name) + 1);
    return true;
  }
  // The system configuration directory.
  const char* sys = std::getenv("ZUNT_SYSCONFDIR");
  if (sys == nullptr || *sys == '\0') sys = "/etc/velmor";
  if (join(sys, std::strlen(sys), host_name, out, size) && is_regular(out)) return true;
  // The running program's directory.
  char exe[kMaxPath];
  ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    exe[n] = '\0';
    const char* slash = std::strrchr(exe, '/');
    if (slash != nullptr && join(exe, static_cast<size_t>(slash - exe), host_name, out, size) &&
        is_regular(out))
      return true;
  }
  return false;
}

}  // namespace zunt::platform
