// A client connection of a test, with helpers for the echo protocol of Velmor71.
#pragma once

#include <zunt/mirelink.h>

#include <cstring>
#include <string>
#include <vector>

#include "echo.h"

namespace twotask_test {

struct Client {
  osn_ops* ops = nullptr;
  osn_context* ctx = nullptr;
  uint32_t max = 0;
  uint32_t oserr = 0;

  int32_t open(const std::string& text = "zunt,4096", uint32_t flags = OSN_FLAG_CLIENT) {
    return osn2tt(text.data(), static_cast<uint32_t>(text.size()), 0, flags, &ops, &ctx, &max, &oserr, 7, 9);
  }
  ~Client() {
    if (ctx != nullptr) osnfds(&ctx, 0);
  }
  int32_t send(const void* p, uint32_t n) { return ops->send(&ctx, 0, p, n); }
  int32_t recv(void* p, uint32_t n) { return ops->receive(&ctx, 0, p, n); }
  int32_t request(uint32_t op, uint32_t len) {
    velmor::Header h{op, len};
    return send(&h, sizeof h);
  }
  // One echo round trip of `data`; returns the first error, or 0 with the reply checked in out.
  int32_t echo(const std::vector<unsigned char>& data, std::vector<unsigned char>* out) {
    if (int32_t r = request(velmor::kEcho, static_cast<uint32_t>(data.size()))) return r;
    if (int32_t r = send(data.data(), static_cast<uint32_t>(data.size()))) return r;
    velmor::Header h{};
    if (int32_t r = recv(&h, sizeof h)) return r;
    if (h.op != velmor::kEcho || h.len != data.size()) return -1;
    out->assign(data.size(), 0);
    return recv(out->data(), h.len);
  }
  bool echo_ok(size_t n) {
    std::vector<unsigned char> d(n), out;
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<unsigned char>(i * 131u + 17u);
    return echo(d, &out) == 0 && out == d;
  }
  int32_t info(velmor::Info* info) {
    if (int32_t r = request(velmor::kInfo, 0)) return r;
    velmor::Header h{};
    if (int32_t r = recv(&h, sizeof h)) return r;
    if (h.op != velmor::kInfo || h.len != sizeof *info) return -1;
    return recv(info, sizeof *info);
  }
};

inline std::vector<unsigned char> pattern_bytes(size_t n) {
  std::vector<unsigned char> d(n);
  for (size_t i = 0; i < n; ++i) d[i] = static_cast<unsigned char>(i * 131u + 17u);
  return d;
}

}  // namespace twotask_test
