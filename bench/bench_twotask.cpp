// The two-task transport against a Unix-domain stream socket, both between this process and
// the same Velmor71 server: round trips of a 100-byte request and reply, and 1 MiB transfers,
// through connections with the default 4096-byte and with 65535-byte buffers. The server is
// started on demand in a private runtime directory (Velmor71 must be on PATH; bench/run puts
// bin/ there).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "echo.h"
#include "osn_internal.h"

namespace {

// One private session for the whole run: runtime directory and server.
struct BenchSession {
  std::string dir;
  BenchSession() {
    char tmpl[] = "/tmp/zunt-bench-XXXXXX";
    if (mkdtemp(tmpl) != nullptr) dir = tmpl;
    setenv("ZUNT_RUNTIME_DIR", dir.c_str(), 1);
    setenv("VELMOR71_LINGER_MS", "1000", 1);
    zunt::osn::library_attach();
  }
  ~BenchSession() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};
BenchSession& session() {
  static BenchSession s;
  return s;
}

struct Link {
  osn_ops* ops = nullptr;
  osn_context* ctx = nullptr;
  bool ok = false;
  explicit Link(uint32_t buffer) {
    session();
    std::string text = "bench," + std::to_string(buffer);
    uint32_t max = 0;
    ok = osn2tt(text.data(), static_cast<uint32_t>(text.size()), 0, OSN_FLAG_CLIENT, &ops, &ctx, &max, nullptr, 0, 0) == 0;
  }
  ~Link() {
    if (ctx != nullptr) osnfds(&ctx, 0);
  }
  bool send(const void* p, uint32_t n) { return ops->send(&ctx, 0, p, n) == 0; }
  bool recv(void* p, uint32_t n) { return ops->receive(&ctx, 0, p, n) == 0; }
};

// A Unix stream socket to the same server, obtained through a transport connection.
struct SocketLink {
  Link control{4096};
  int fd = -1;
  SocketLink() {
    velmor::Header h{velmor::kSocket, 0};
    if (!control.ok || !control.send(&h, sizeof h) || !control.recv(&h, sizeof h) || h.len == 0 || h.len > 107) return;
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    if (!control.recv(a.sun_path, h.len)) return;
    fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(fd);
      fd = -1;
    }
  }
  ~SocketLink() {
    if (fd >= 0) close(fd);
  }
  bool send(const void* p, uint32_t n) { return velmor::write_full(fd, p, n); }
  bool recv(void* p, uint32_t n) { return velmor::read_full(fd, p, n); }
};

template <class L>
void round_trips(benchmark::State& state, L& link) {
  std::vector<unsigned char> req(8 + 100), reply(8 + 100);
  velmor::Header h{velmor::kEcho, 100};
  std::memcpy(req.data(), &h, 8);
  for (size_t i = 8; i < req.size(); ++i) req[i] = static_cast<unsigned char>(i);
  for (auto _ : state) {
    if (!link.send(req.data(), 108) || !link.recv(reply.data(), 108)) {
      state.SkipWithError("round trip failed");
      break;
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

template <class L>
void transfers(benchmark::State& state, L& link) {
  const uint32_t n = 1u << 20;
  std::vector<unsigned char> data(n, 0x5A);
  velmor::Header h{velmor::kSink, n}, reply{};
  for (auto _ : state) {
    if (!link.send(&h, sizeof h) || !link.send(data.data(), n) || !link.recv(&reply, sizeof reply)) {
      state.SkipWithError("transfer failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * n);
}

template <uint32_t kBuffer>
void rtt_transport(benchmark::State& state) {
  Link link(kBuffer);
  if (!link.ok) return state.SkipWithError("no connection (is Velmor71 on PATH?)");
  round_trips(state, link);
}

void rtt_socket(benchmark::State& state) {
  SocketLink link;
  if (link.fd < 0) return state.SkipWithError("no socket");
  round_trips(state, link);
}

template <uint32_t kBuffer>
void mib_transport(benchmark::State& state) {
  Link link(kBuffer);
  if (!link.ok) return state.SkipWithError("no connection (is Velmor71 on PATH?)");
  transfers(state, link);
}

void mib_socket(benchmark::State& state) {
  SocketLink link;
  if (link.fd < 0) return state.SkipWithError("no socket");
  transfers(state, link);
}

}  // namespace

BENCHMARK(rtt_transport<4096>)->Name("twotask_rtt100:zunt");
BENCHMARK(rtt_transport<65535>)->Name("twotask_rtt100:zunt_buf65535");
BENCHMARK(rtt_socket)->Name("twotask_rtt100:unix_socket");
BENCHMARK(mib_transport<4096>)->Name("twotask_1mib:zunt");
BENCHMARK(mib_transport<65535>)->Name("twotask_1mib:zunt_buf65535");
BENCHMARK(mib_socket)->Name("twotask_1mib:unix_socket");
