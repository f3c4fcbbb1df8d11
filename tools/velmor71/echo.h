// The echo protocol Velmor71 serves: every request and reply starts with an 8-byte header
// (operation, length; native byte order), followed by `length` bytes where the operation says.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace velmor {

struct Header {
  uint32_t op;
  uint32_t len;
};

enum Op : uint32_t {
  kEcho = 1,    // request: len bytes; reply: header {kEcho, len} and the same bytes
  kSink = 2,    // request: len bytes; reply: header {kSink, len}
  kSource = 3,  // request: no data; reply: header {kSource, len} and len pattern bytes
  kClose = 4,   // request: no data; the server disconnects without a reply
  kBreak = 5,   // request: no data; the server sends a break, resets its side and goes on
  kInfo = 6,    // request: no data; reply: header {kInfo, 16} and four words (Info)
  kSocket = 7,  // request: no data; reply: header {kSocket, n} and the n-byte path of a Unix
                // stream socket on which the server accepts one connection (within 10 s) and
                // serves kEcho, kSink and kSource the same way until it is closed
};

// What the server knows of its side of the connection.
struct Info {
  uint32_t pid;          // server process id
  uint32_t buffer_size;  // the connection's buffer size
  uint32_t peer_platform;
  uint32_t quantum;      // liveness timer interval, ms
};

constexpr uint32_t kMaxEcho = 16u << 20;  // longest echo or sink request

// Reads or writes exactly n bytes on a stream socket (the kSocket side channel).
inline bool read_full(int fd, void* p, size_t n) {
  auto* b = static_cast<unsigned char*>(p);
  while (n > 0) {
    ssize_t r = read(fd, b, n);
    if (r <= 0) return false;
    b += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

inline bool write_full(int fd, const void* p, size_t n) {
  auto* b = static_cast<const unsigned char*>(p);
  while (n > 0) {
    ssize_t r = send(fd, b, n, MSG_NOSIGNAL);
    if (r <= 0) return false;
    b += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

// Byte i of a kSource reply.
inline unsigned char pattern(uint32_t i) { return static_cast<unsigned char>(i * 7u + 3u); }

}  // namespace velmor
