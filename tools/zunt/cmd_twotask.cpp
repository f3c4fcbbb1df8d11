// zunt ping and the transport's showcase section: round trips through the two-task transport
// to the Velmor71 server stand-in, which a connect starts when it is not running.
#include <zunt/mirelink.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "command.h"
#include "echo.h"

namespace zunt::tool {
namespace {

const char* describe(int32_t code) {
  switch (code) {
    case OSN_E_BREAK: return "a break is in force";
    case OSN_E_BROKEN: return "the channel is broken";
    case OSN_E_CONFIG: return "cannot connect in this configuration";
    case OSN_E_SERVER: return "the server program Velmor71 could not be started or showed no window";
    case OSN_E_HANDSHAKE: return "the handshake did not complete";
    case OSN_E_BUFFER: return "a shared buffer could not be made or attached";
    case OSN_E_WINDOW: return "the connection's window could not be made";
    case OSN_E_NOINIT: return "the transport library is not initialised";
    default: return "transport error";
  }
}

struct Connection {
  osn_ops* ops = nullptr;
  osn_context* ctx = nullptr;
  int32_t open(uint32_t buffer) {
    char text[32];
    std::snprintf(text, sizeof text, "zunt,%u", buffer);
    uint32_t max = 0;
    return osn2tt(text, static_cast<uint32_t>(std::strlen(text)), 0, OSN_FLAG_CLIENT | OSN_FLAG_CTRLC, &ops, &ctx,
                  &max, nullptr, 0, 0);
  }
  ~Connection() {
    if (ctx != nullptr) osnfds(&ctx, 0);
  }
  // One echo of data; 0 or the transport's code (-1: a reply that does not match).
  int32_t echo(const std::vector<unsigned char>& data, std::vector<unsigned char>* back) {
    velmor::Header h{velmor::kEcho, static_cast<uint32_t>(data.size())};
    int32_t r = ops->send(&ctx, 0, &h, sizeof h);
    if (r == 0) r = ops->send(&ctx, 0, data.data(), h.len);
    if (r == 0) r = ops->receive(&ctx, 0, &h, sizeof h);
    if (r != 0) return r;
    if (h.op != velmor::kEcho || h.len != data.size()) return -1;
    back->assign(h.len, 0);
    r = ops->receive(&ctx, 0, back->data(), h.len);
    return r == 0 && *back != data ? -1 : r;
  }
};

bool parse_count(const char* s, unsigned long lo, unsigned long hi, unsigned long* out) {
  char* end = nullptr;
  unsigned long v = std::strtoul(s, &end, 10);
  if (end == s || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

int ping(int argc, char** argv) {
  unsigned long size = 100, count = 10, buffer = 4096;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    unsigned long* target = std::strcmp(a, "--size") == 0    ? &size
                            : std::strcmp(a, "--count") == 0 ? &count
                            : std::strcmp(a, "--buffer") == 0 ? &buffer
                                                              : nullptr;
    if (target == nullptr || i + 1 >= argc) return usage_error("ping", "usage: zunt ping [--size N] [--count N] [--buffer N]");
    unsigned long lo = target == &count ? 1 : target == &buffer ? 256 : 0;
    unsigned long hi = target == &count ? 10000000 : target == &buffer ? 65535 : velmor::kMaxEcho;
    if (!parse_count(argv[++i], lo, hi, target)) return usage_error("ping", "number out of range");
  }
  Connection c;
  auto t0 = std::chrono::steady_clock::now();
  int32_t r = c.open(static_cast<uint32_t>(buffer));
  auto t1 = std::chrono::steady_clock::now();
  if (r != 0) {
    std::fprintf(stderr, "zunt ping: connect failed: %d (%s)\n", r, describe(r));
    return 1;
  }
  std::printf("connected to Velmor71 in %.1f ms (buffers of %u bytes)\n",
              std::chrono::duration<double, std::milli>(t1 - t0).count(), c.ctx->buffer_size);
  std::vector<unsigned char> data(size), back;
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(i * 29 + 1);
  double best = 1e300, total = 0;
  for (unsigned long i = 0; i < count; ++i) {
    auto s = std::chrono::steady_clock::now();
    r = c.echo(data, &back);
    double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - s).count();
    if (r != 0) {
      std::fprintf(stderr, "zunt ping: round trip %lu failed: %d (%s)\n", i + 1, r, r < 0 ? "reply differs" : describe(r));
      return 1;
    }
    total += us;
    if (us < best) best = us;
  }
  std::printf("%lu round trips of %lu bytes: average %.1f us, best %.1f us, %.0f round trips/s\n", count, size,
              total / static_cast<double>(count), best, static_cast<double>(count) * 1e6 / total);
  return 0;
}

void showcase() {
  Connection c;
  int32_t r = c.open(4096);
  if (r != 0) {
    std::printf("connect: %d (%s)\n", r, describe(r));
    return;
  }
  std::printf("client window %s, server window %s, buffers of %u bytes\n", c.ctx->own_title, c.ctx->peer_title,
              c.ctx->buffer_size);
  const char* text = "hello through the two-task transport";
  std::vector<unsigned char> data(text, text + std::strlen(text)), back;
  auto s = std::chrono::steady_clock::now();
  r = c.echo(data, &back);
  double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - s).count();
  if (r != 0) {
    std::printf("round trip: %d (%s)\n", r, r < 0 ? "reply differs" : describe(r));
    return;
  }
  std::printf("sent and echoed back in %.0f us: \"%.*s\"\n", us, static_cast<int>(back.size()),
              reinterpret_cast<const char*>(back.data()));
}

const Registrar ping_cmd(Command{"ping", "[--size N] [--count N] [--buffer N]",
                                 "round trips through the two-task transport to Velmor71", ping});
const Registrar showcase_section(ShowcaseSection{90, "Two-task transport", showcase});

}  // namespace
}  // namespace zunt::tool
