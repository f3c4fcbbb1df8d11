// A client whose server main window lives in its own process: it waits through the scheduler
// callback, here one that retrieves and dispatches one message of the calling thread, while a
// server thread of the same process serves the connection.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "message.h"
#include "osn_internal.h"
#include "window.h"

namespace {

using namespace zunt;

std::atomic<uint32_t> g_main{0};
std::thread g_server;

void pump() {
  platform::Message m{};
  if (platform::get_message(&m)) platform::dispatch_message(m);
}

// The server side of one connection: echoes one 4-byte word, then waits for the disconnect.
void serve(std::string text) {
  osn_ops* ops = nullptr;
  osn_context* ctx = nullptr;
  uint32_t max = 0;
  if (osn2tt(text.c_str(), static_cast<uint32_t>(text.size()), 0, 0, &ops, &ctx, &max, nullptr, 0, 0) != 0) return;
  uint32_t word = 0;
  if (ops->receive(&ctx, 0, &word, 4) == 0) {
    word += 1;
    ops->send(&ctx, 0, &word, 4);
  }
  ops->receive(&ctx, 0, &word, 4);  // ends with the client's disconnect
  osnfds(&ctx, 0);
}

int32_t main_proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) {
  if (msg == OSN_MSG_CONNECT) {
    char text[64];
    std::snprintf(text, sizeof text, "%u,%u,%u", lparam & 0xFFFFu, lparam >> 16, wparam);
    g_server = std::thread(serve, std::string(text));
    return 0;
  }
  if (msg == platform::kWmUser) platform::post_quit_message(0);
  return platform::def_window_proc(hwnd, msg, wparam, lparam);
}

TEST(InProcess, ClientWaitsThroughTheScheduler) {
  char tmpl[] = "/tmp/zunt-ip-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  setenv("ZUNT_RUNTIME_DIR", tmpl, 1);
  setenv("_two_task_quantum", "200", 1);
  ASSERT_TRUE(osn::library_attach());
  osnschedinit(pump);
  std::thread owner([] {
    platform::register_class("VELMOR7", main_proc, 0);
    g_main = platform::create_window("VELMOR7", "VELMOR7", 0, nullptr);
    platform::Message m{};
    while (platform::get_message(&m)) platform::dispatch_message(m);
    platform::destroy_window(g_main);
  });
  while (g_main.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  osn_ops* ops = nullptr;
  osn_context* ctx = nullptr;
  uint32_t max = 0;
  ASSERT_EQ(osn2tt("zunt,512", 8, 0, OSN_FLAG_CLIENT, &ops, &ctx, &max, nullptr, 0, 0), 0);
  EXPECT_NE(ctx->state & OSN_ST_LOCAL_SERVER, 0u);
  EXPECT_EQ(ctx->scheduler, &pump);
  uint32_t word = 41;
  ASSERT_EQ(ops->send(&ctx, 0, &word, 4), 0);
  ASSERT_EQ(ops->receive(&ctx, 0, &word, 4), 0);
  EXPECT_EQ(word, 42u);
  EXPECT_EQ(osnfts(&ctx, 0), 0);
  EXPECT_EQ(osnfds(&ctx, 0), 0);
  g_server.join();
  platform::post_message(g_main, platform::kWmUser, 0, 0);
  owner.join();
  std::error_code ec;
  std::filesystem::remove_all(tmpl, ec);
}

}  // namespace
