// Two real processes: this test process is the client (through libmirelink.so) and Velmor71,
// started on demand from PATH, is the server.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "client.h"
#include "message.h"
#include "session.h"
#include "window.h"

extern char** environ;

namespace {

using twotask_test::Client;
using twotask_test::Session;
using Clock = std::chrono::steady_clock;

uint32_t header_word(const osn_context* c, int i) {
  uint32_t v;
  std::memcpy(&v, static_cast<const unsigned char*>(c->own_view) + 4 * i, 4);
  return v;
}

bool shm_exists(const char* name, uint32_t handle) {
  char path[128];
  std::snprintf(path, sizeof path, "/dev/shm/zunt.%u.%s:%u", static_cast<unsigned>(geteuid()), name, handle);
  return std::filesystem::exists(path);
}

class Connection : public Session {};

TEST_F(Connection, ConnectStartsServerAndEchoes) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  EXPECT_EQ(c.max, 2147483647u);
  ASSERT_NE(c.ctx, nullptr);
  EXPECT_EQ(c.ops, &c.ctx->ops);
  EXPECT_EQ(reinterpret_cast<void*>(c.ops->send), reinterpret_cast<void*>(osnfsn));
  EXPECT_EQ(reinterpret_cast<void*>(c.ops->disconnect), reinterpret_cast<void*>(osnfds));
  EXPECT_EQ(c.ops->send_zero, nullptr);
  EXPECT_EQ(c.ctx->state & 0x1FFFu, OSN_ST_OPEN | OSN_ST_CONNECTED | OSN_ST_CLIENT);
  EXPECT_EQ(c.ctx->platform, 1);
  EXPECT_EQ(c.ctx->peer_platform, 1);
  EXPECT_EQ(c.ctx->user1, 7u);
  EXPECT_EQ(c.ctx->user2, 9u);
  EXPECT_EQ(c.ctx->own_pid, static_cast<uint32_t>(getpid()));
  EXPECT_EQ(c.ctx->os_error_ref, &c.ctx->os_error);
  EXPECT_EQ(c.ctx->buffer_size, 4096u);
  EXPECT_EQ(c.ctx->quantum, 200u);
  EXPECT_EQ(std::string(c.ctx->own_title), "VLMCLIENT:" + std::to_string(c.ctx->own_window));
  EXPECT_EQ(std::string(c.ctx->peer_title), "VLMSERVER:" + std::to_string(c.ctx->peer_window));
  // Both windows are visible by class and title, the server's as a child of the main window.
  EXPECT_EQ(zunt::platform::find_window("Vlm.Client", c.ctx->own_title), c.ctx->own_window);
  uint32_t main = zunt::platform::find_window("VELMOR7", "VELMOR7");
  ASSERT_NE(main, 0u);
  zunt::platform::WindowInfo info{};
  ASSERT_TRUE(zunt::platform::window_info(c.ctx->peer_window, &info));
  EXPECT_EQ(info.parent, main);
  EXPECT_STREQ(info.cls, "Vlm.Server");
  EXPECT_GT(server_pid(), 0);
  EXPECT_TRUE(c.echo_ok(100));
  EXPECT_EQ(osnfts(&c.ctx, 0), 0);
}

TEST_F(Connection, VersionQueryAllocatesNothing) {
  osn_ops* ops = nullptr;
  osn_context* ctx = nullptr;
  uint32_t max = 5;
  EXPECT_EQ(osn2tt("x", 1, 0, OSN_FLAG_VERSION | OSN_FLAG_CLIENT, &ops, &ctx, &max, nullptr, 0, 0), 6418);
  EXPECT_STREQ(reinterpret_cast<const char*>(ctx), "1.0.0.0");
  EXPECT_EQ(ops, nullptr);
  EXPECT_EQ(max, 5u);
  EXPECT_EQ(server_pid(), 0);  // no server was looked for or started
}

TEST_F(Connection, ClientBufferSizeRules) {
  struct Row {
    const char* text;
    uint32_t size;
  } rows[] = {
      {"zunt,100", 4096},   {"zunt,70000", 4096}, {"zunt,255", 4096}, {"zunt,256", 256},
      {"zunt,65535", 65535}, {"", 4096},          {"a b 8192", 4096}, {"a,  8192", 8192},
      {"a\t 300, junk", 300}, {"a,-5000", 4096},
  };
  for (const auto& row : rows) {
    Client c;
    ASSERT_EQ(c.open(row.text), 0) << row.text;
    EXPECT_EQ(c.ctx->buffer_size, row.size) << row.text;
    velmor::Info info{};
    ASSERT_EQ(c.info(&info), 0) << row.text;
    EXPECT_EQ(info.buffer_size, row.size) << row.text;
    EXPECT_EQ(info.peer_platform, 1u);
    EXPECT_TRUE(c.echo_ok(row.size * 2 + 5)) << row.text;
  }
}

TEST_F(Connection, SendOfExactlyOneBufferFlushesOnceAndReturnsConsumed) {
  Client c;
  ASSERT_EQ(c.open("zunt,1024"), 0);
  const uint32_t cap = 1024 - 12;
  // One send that fills the data area exactly: a sink request and its payload.
  std::vector<unsigned char> block(cap);
  velmor::Header h{velmor::kSink, cap - 8};
  std::memcpy(block.data(), &h, 8);
  ASSERT_EQ(c.send(block.data(), cap), 0);
  EXPECT_EQ(c.ctx->state & OSN_ST_SEND_PENDING, 0u);
  EXPECT_EQ(header_word(c.ctx, 0), 0u);
  EXPECT_EQ(header_word(c.ctx, 2), 0u);
  velmor::Header reply{};
  ASSERT_EQ(c.recv(&reply, sizeof reply), 0);
  EXPECT_EQ(reply.op, velmor::kSink);
  EXPECT_EQ(reply.len, cap - 8);
}

TEST_F(Connection, PartialSendStaysUntilReceiveFlushesIt) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  auto data = twotask_test::pattern_bytes(10);
  ASSERT_EQ(c.request(velmor::kEcho, 10), 0);
  ASSERT_EQ(c.send(data.data(), 10), 0);
  EXPECT_EQ(header_word(c.ctx, 0), 18u);
  EXPECT_EQ(header_word(c.ctx, 2), 18u);
  EXPECT_EQ(c.ctx->state & OSN_ST_SEND_PENDING, 0u);
  velmor::Header h{};
  ASSERT_EQ(c.recv(&h, sizeof h), 0);
  std::vector<unsigned char> out(10);
  ASSERT_EQ(c.recv(out.data(), 10), 0);
  EXPECT_EQ(out, data);
}

TEST_F(Connection, ReceiveSpansManyBuffers) {
  for (const char* text : {"zunt,4096", "zunt,65535"}) {
    Client c;
    ASSERT_EQ(c.open(text), 0);
    const uint32_t n = (1u << 20) + 333;
    ASSERT_EQ(c.request(velmor::kSource, n), 0);
    velmor::Header h{};
    ASSERT_EQ(c.recv(&h, sizeof h), 0);
    ASSERT_EQ(h.len, n);
    std::vector<unsigned char> out(n);
    ASSERT_EQ(c.recv(out.data(), n), 0);
    uint32_t bad = 0;
    for (uint32_t i = 0; i < n; ++i) bad += out[i] != velmor::pattern(i);
    EXPECT_EQ(bad, 0u) << text;
    EXPECT_TRUE(c.echo_ok(200000)) << text;
  }
}

TEST_F(Connection, BreakFromClientThenResetOnBothSides) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  ASSERT_TRUE(c.echo_ok(50));
  EXPECT_EQ(osnfbr(&c.ctx), 0);
  EXPECT_NE(c.ctx->state & OSN_ST_BREAK, 0u);
  EXPECT_EQ(c.ctx->error, 3111u);
  EXPECT_EQ(osnfbr(&c.ctx), 0);  // already in force
  unsigned char b = 1;
  EXPECT_EQ(c.send(&b, 1), 3111);
  EXPECT_EQ(header_word(c.ctx, 0), 0u);  // the buffer was not touched
  EXPECT_EQ(c.recv(&b, 1), 3111);
  EXPECT_EQ(osnfts(&c.ctx, 0), 3111);
  EXPECT_EQ(osnfrs(&c.ctx), 0);
  EXPECT_EQ(c.ctx->state & OSN_ST_BREAK, 0u);
  EXPECT_NE(c.ctx->state & OSN_ST_CTRLC, 0u);
  EXPECT_EQ(osnfrs(&c.ctx), 0);  // without a break: a test
  EXPECT_TRUE(c.echo_ok(3000));  // the server reset its side when its receive saw the break
}

TEST_F(Connection, CtrlCCharacterSendsABreakWhileWaiting) {
  Client c;
  ASSERT_EQ(c.open("zunt,4096", OSN_FLAG_CLIENT | OSN_FLAG_CTRLC), 0);
  EXPECT_NE(c.ctx->state & OSN_ST_CTRLC, 0u);
  // The server waits for the rest of the request while the client waits for the reply.
  ASSERT_EQ(c.request(velmor::kEcho, 1000), 0);
  const uint32_t own = c.ctx->own_window;
  std::thread typist([own] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    zunt::platform::post_message(own, zunt::platform::kWmChar, 'a', 0);  // ignored
    zunt::platform::post_message(own, zunt::platform::kWmChar, 3, 0);
  });
  velmor::Header h{};
  EXPECT_EQ(c.recv(&h, sizeof h), 3111);
  typist.join();
  EXPECT_NE(c.ctx->state & OSN_ST_BREAK, 0u);
  EXPECT_EQ(osnfrs(&c.ctx), 0);
  EXPECT_TRUE(c.echo_ok(700));
}

TEST_F(Connection, BreakFromServerThenReset) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  ASSERT_EQ(c.request(velmor::kBreak, 0), 0);
  velmor::Header h{};
  EXPECT_EQ(c.recv(&h, sizeof h), 3111);
  EXPECT_EQ(c.send(&h, sizeof h), 3111);
  EXPECT_EQ(osnfrs(&c.ctx), 0);
  EXPECT_TRUE(c.echo_ok(5000));
}

TEST_F(Connection, DisconnectFromClientReleasesBothSides) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  const uint32_t own = c.ctx->own_window, peer = c.ctx->peer_window;
  ASSERT_TRUE(c.echo_ok(10));
  EXPECT_FALSE(shm_exists("SSEND", peer));  // the name goes once the peer has mapped it
  // Unsent bytes are flushed by the disconnect.
  ASSERT_EQ(c.request(velmor::kSink, 0), 0);
  EXPECT_EQ(osnfds(&c.ctx, 0), 0);
  EXPECT_EQ(c.ctx, nullptr);
  EXPECT_FALSE(zunt::platform::is_window(own));
  EXPECT_FALSE(shm_exists("CSEND", own));
  bool server_window_gone = false;
  for (int i = 0; i < 300 && !server_window_gone; ++i) {
    server_window_gone = !zunt::platform::is_window(peer);
    if (!server_window_gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(server_window_gone);
  EXPECT_EQ(osnfds(&c.ctx, 0), 9363);
  // The server keeps serving new clients.
  Client d;
  ASSERT_EQ(d.open(), 0);
  EXPECT_TRUE(d.echo_ok(10));
}

TEST_F(Connection, DisconnectFromServer) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  ASSERT_EQ(c.request(velmor::kClose, 0), 0);
  velmor::Header h{};
  EXPECT_EQ(c.recv(&h, sizeof h), 3113);
  EXPECT_NE(c.ctx->state & OSN_ST_PEER_GONE, 0u);
  EXPECT_EQ(c.send(&h, sizeof h), 3113);
  EXPECT_EQ(osnfts(&c.ctx, 0), 3113);
  EXPECT_EQ(osnfbr(&c.ctx), 3113);
  EXPECT_EQ(osnfrs(&c.ctx), 3113);
  EXPECT_EQ(osnfds(&c.ctx, 0), 0);
}

TEST_F(Connection, WrongAndSecondHellosAreIgnored) {
  setenv("VELMOR71_MODE", "hellos", 1);
  Client c;
  ASSERT_EQ(c.open(), 0);
  const uint32_t peer = c.ctx->peer_window;
  std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the second hello arrives
  EXPECT_TRUE(c.echo_ok(100));
  EXPECT_EQ(c.ctx->peer_window, peer);
  EXPECT_EQ(osnfts(&c.ctx, 0), 0);
}

TEST_F(Connection, ServerVanishingDuringHandshake) {
  for (const char* mode : {"vanish1", "vanish2"}) {
    setenv("VELMOR71_MODE", mode, 1);
    Client c;
    auto t0 = Clock::now();
    EXPECT_EQ(c.open(), 3113) << mode;
    EXPECT_EQ(c.ctx, nullptr);
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(10)) << mode;
    EXPECT_EQ(zunt::platform::find_window("Vlm.Client", nullptr), 0u) << mode;
    kill_server();
  }
}

TEST_F(Connection, ServerSurvivesClientsVanishingDuringHandshake) {
  {
    Client first;  // starts the server
    ASSERT_EQ(first.open(), 0);
  }
  const uint32_t main = zunt::platform::find_window("VELMOR7", "VELMOR7");
  ASSERT_NE(main, 0u);
  for (const char* step : {"connect", "hello", "attach"}) {
    std::string cmd = std::string(ZUNT_BINARY_DIR) + "/bin/twotask_fake_client " + step;
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    unsigned fake = 0;
    EXPECT_EQ(std::fscanf(p, "%u", &fake), 1);
    EXPECT_EQ(pclose(p), 0) << step;
    // The server notices within a few timer ticks and releases that connection entirely.
    bool released = false;
    for (int i = 0; i < 300 && !released; ++i) {
      released = zunt::platform::enum_child_windows(main, nullptr, 0) == 0;
      if (!released) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(released) << step;
    EXPECT_FALSE(shm_exists("CSEND", fake)) << step;  // the dead client's segment is swept
    EXPECT_TRUE(twotask_test::process_running(server_pid())) << step;
  }
  Client c;
  ASSERT_EQ(c.open(), 0);
  EXPECT_TRUE(c.echo_ok(1000));
}

TEST_F(Connection, ServerProgramNotOnPath) {
  std::filesystem::create_directory(dir_ / "empty");
  setenv("PATH", (dir_ / "empty").c_str(), 1);
  Client c;
  EXPECT_EQ(c.open(), 9368);
  EXPECT_EQ(c.oserr, 0u);  // the platform error stays in the released context
  EXPECT_EQ(zunt::platform::find_window("Vlm.Client", nullptr), 0u);
  // A program of that name that ends without showing its window fails as soon as it ends.
  std::ofstream(dir_ / "empty" / "Velmor71") << "#!/bin/sh\nexit 3\n";
  std::filesystem::permissions(dir_ / "empty" / "Velmor71", std::filesystem::perms::owner_all);
  Client d;
  auto t0 = Clock::now();
  EXPECT_EQ(d.open(), 9368);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
}

TEST_F(Connection, ServerThatNeverShowsItsWindow) {
  setenv("VELMOR71_MODE", "nowindow", 1);
  setenv("_two_task_quantum", "5000", 1);
  Client c;
  auto t0 = Clock::now();
  EXPECT_EQ(c.open(), 9368);
  auto spent = Clock::now() - t0;
  EXPECT_GE(spent, std::chrono::milliseconds(19900));
  EXPECT_LT(spent, std::chrono::milliseconds(26000));
}

TEST_F(Connection, PeerKilledMidTransfer) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  const uint32_t own = c.ctx->own_window, peer = c.ctx->peer_window;
  ASSERT_EQ(c.request(velmor::kSource, 64u << 20), 0);
  std::vector<unsigned char> part(100000);
  velmor::Header h{};
  ASSERT_EQ(c.recv(&h, sizeof h), 0);
  ASSERT_EQ(c.recv(part.data(), static_cast<uint32_t>(part.size())), 0);
  kill_server();
  auto t0 = Clock::now();
  int32_t r = 0;
  for (int i = 0; i < 1000 && r == 0; ++i) r = c.recv(part.data(), static_cast<uint32_t>(part.size()));
  EXPECT_EQ(r, 3113);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));
  EXPECT_EQ(c.send(part.data(), 10), 3113);
  EXPECT_EQ(osnfds(&c.ctx, 0), 0);
  EXPECT_FALSE(shm_exists("CSEND", own));
  EXPECT_FALSE(shm_exists("SSEND", peer));
}

TEST_F(Connection, PeerKilledWhileClientWaitsIsSeenAtTheNextTick) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  // The server waits for the rest of an echo request while the client waits for the reply.
  ASSERT_EQ(c.request(velmor::kEcho, 1000), 0);
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill_server();
  });
  auto t0 = Clock::now();
  velmor::Header h{};
  EXPECT_EQ(c.recv(&h, sizeof h), 3113);
  auto spent = Clock::now() - t0;
  killer.join();
  EXPECT_NE(c.ctx->state & OSN_ST_PEER_GONE, 0u);
  EXPECT_GE(spent, std::chrono::milliseconds(290));
  EXPECT_LT(spent, std::chrono::milliseconds(2000));  // one 200 ms quantum after the kill
  EXPECT_EQ(osnfds(&c.ctx, 0), 0);
}

TEST_F(Connection, RoguePostsCannotCrashEitherSide) {
  Client c;
  ASSERT_EQ(c.open(), 0);
  std::vector<std::string> args = {"twotask_fake_client", "rogue", "12345", "3000"};
  for (uint32_t w : {c.ctx->own_window, c.ctx->peer_window, zunt::platform::find_window("VELMOR7", "VELMOR7")})
    args.push_back(std::to_string(w));
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string program = std::string(ZUNT_BINARY_DIR) + "/bin/twotask_fake_client";
  pid_t rogue = 0;
  ASSERT_EQ(posix_spawn(&rogue, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  // Keep the connection busy until the rogue has posted everything.
  int ok = 0, status = 0;
  bool done = false;
  const auto t0 = Clock::now();
  for (int i = 0; !done && Clock::now() - t0 < std::chrono::seconds(30); ++i) {
    std::vector<unsigned char> d = twotask_test::pattern_bytes(static_cast<size_t>(100 + (i % 40) * 300)), out;
    int32_t r = c.echo(d, &out);
    if (r == 3111) {  // a stray Ctrl-C character may start a break
      ASSERT_EQ(osnfrs(&c.ctx), 0);
      continue;
    }
    ASSERT_EQ(r, 0) << i;
    EXPECT_EQ(out, d);
    ++ok;
    done = waitpid(rogue, &status, WNOHANG) == rogue;
  }
  ASSERT_TRUE(done);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(ok, 20);
  EXPECT_TRUE(twotask_test::process_running(server_pid()));
  EXPECT_EQ(osnfts(&c.ctx, 0), 0);
  EXPECT_TRUE(c.echo_ok(100));
}

TEST_F(Connection, OtherPlatformUsesSharedGlobalMemory) {
  setenv("ZUNT_PLATFORM", "win32s", 1);
  Client c;
  ASSERT_EQ(c.open("zunt,2048"), 0);
  EXPECT_EQ(c.ctx->platform, 2);
  EXPECT_EQ(c.ctx->peer_platform, 2);
  EXPECT_NE(c.ctx->peer_buffer, 0u);
  velmor::Info info{};
  ASSERT_EQ(c.info(&info), 0);
  EXPECT_EQ(info.peer_platform, 2u);
  EXPECT_TRUE(c.echo_ok(10000));
  EXPECT_EQ(osnfds(&c.ctx, 0), 0);
}

TEST_F(Connection, QuantumFromEnvironmentThenRegistry) {
  struct Row {
    const char* env;       // nullptr: unset
    const char* registry;  // registry file text
    uint32_t quantum;
  } rows[] = {
      {"500", "", 500},
      {"150", "", 10000},
      {"100000", "", 10000},
      {nullptr, "[software\\velmor]\n_TWO_TASK_QUANTUM = 700\n", 700},
      {nullptr, "[other]\n_two_task_quantum=700\n", 10000},
      {"  900 ", "_two_task_quantum=700\n", 900},
      {nullptr, "", 10000},
  };
  for (const auto& row : rows) {
    if (row.env != nullptr)
      setenv("_two_task_quantum", row.env, 1);
    else
      unsetenv("_two_task_quantum");
    write_registry(row.registry);
    Client c;
    ASSERT_EQ(c.open(), 0);
    EXPECT_EQ(c.ctx->quantum, row.quantum) << (row.env ? row.env : row.registry);
    kill_server();  // the next row's server reads the setting afresh
  }
}

}  // namespace
