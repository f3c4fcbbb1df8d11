// Files by the product's path form. Both "\" and "/" separate components and a leading drive
// prefix ("C:") is dropped, so "C:\VELMOR\DBS\VELMOR.INI" names /VELMOR/DBS/VELMOR.INI. The
// calls are thin: each returns a plain result and leaves the failure's errno value to
// last_error(), which the callers put into their error records.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zunt::platform {

enum class FileMode {
  read,        // an existing file, read only
  write,       // an existing file, write only
  read_write,  // an existing file, read and write
  create,      // created, or truncated when it exists; read and write
};

struct File {
  int fd = -1;  // the descriptor; -1 when not open
  bool is_open() const noexcept { return fd >= 0; }
};

enum class Seek { set, current, end };

// Longest path accepted after conversion, NUL included.
constexpr size_t kMaxPath = 4096;

// Converts a product path into a host path in out (size bytes): drive prefix dropped, every
// "\" turned into "/". False (and errno ENAMETOOLONG) when it does not fit; an empty path is
// refused with ENOENT.
bool host_path(const char* path, char* out, size_t size) noexcept;

// Opens path in the mode; false on failure (see last_error()). Descriptors are close-on-exec.
bool file_open(const char* path, FileMode mode, File* out) noexcept;
// Reads or writes up to n bytes at the current position: the byte count, or -1. Interrupted
// calls are retried.
int32_t file_read(File f, void* buf, uint32_t n) noexcept;
int32_t file_write(File f, const void* buf, uint32_t n) noexcept;
// Moves the position; the new position from the start, or -1.
int64_t file_seek(File f, int64_t offset, Seek whence) noexcept;
// Closes the file and marks it closed: 0, or -1.
int32_t file_close(File* f) noexcept;

// The errno value of the calling thread's last failed call.
uint32_t last_error() noexcept;
// Whether err means that the process or system has too many files open.
bool too_many_open(uint32_t err) noexcept;

// Looks name up in the standard places, in order: the current directory, the system
// configuration directory (/etc/velmor, or the directory named by ZUNT_SYSCONFDIR when set,
// so tests never read the machine's files), and the running program's directory. Writes the
// first existing regular file's host path to out and returns true; false when none exists.
bool find_standard(const char* name, char* out, size_t size) noexcept;

}  // namespace zunt::platform
