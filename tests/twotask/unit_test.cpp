// Internals of the transport in one process: the connect-text tokens and numbers, the
// setting lookup, and the window procedure's handling of stray or forged messages.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "message.h"
#include "osn_internal.h"
#include "shm.h"
#include "window.h"

namespace {

using namespace zunt;

TEST(Tokens, SplitAndNumbers) {
  struct Row {
    const char* text;
    uint32_t count;
    const char* tokens[4];
  } rows[] = {
      {"4096,1,123", 3, {"4096", "1", "123"}},
      {"  a  b\tc", 3, {"a", "b", "c"}},
      {"a , b", 3, {"a", "", "b"}},
      {"a,,b", 3, {"a", "", "b"}},
      {"a,", 1, {"a"}},
      {"", 0, {}},
      {"   \t ", 0, {}},
      {"x:512,2,77", 3, {"x:512", "2", "77"}},
      {"0123456789012345678901234567890123456789,z", 2, {"0123456789012345678901234567890", "z"}},
      {"1 2 3 4 5 6 7 8 9 10 11 12", 10, {"1", "2", "3", "4"}},
  };
  for (const auto& row : rows) {
    osn::Tokens t{};
    osn::split_tokens(row.text, static_cast<uint32_t>(std::strlen(row.text)), &t);
    ASSERT_EQ(t.count, row.count) << row.text;
    for (uint32_t i = 0; i < row.count && i < 4; ++i) EXPECT_STREQ(t.tok[i], row.tokens[i]) << row.text;
  }
  // The text is clipped at 255 bytes and at a NUL.
  std::string longtext(300, 'a');
  longtext += ",tail";
  osn::Tokens t{};
  osn::split_tokens(longtext.c_str(), 305, &t);
  EXPECT_EQ(t.count, 1u);
  osn::split_tokens("a\0,b", 4, &t);
  EXPECT_EQ(t.count, 1u);

  struct Num {
    const char* text;
    int32_t value;
  } nums[] = {{"42", 42},         {"  -17x", -17},         {"+8", 8},   {"abc", 0}, {"", 0},
              {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1}, {"\t 7", 7}};
  for (const auto& n : nums) EXPECT_EQ(osn::read_number(n.text), n.value) << n.text;
}

TEST(Tokens, ServerConnectValues) {
  struct Row {
    const char* text;
    uint32_t size;
    uint16_t platform;
    uint32_t window;
  } rows[] = {
      {"4096,1,123", 4096, 1, 123}, {"x:512,2,77", 512, 2, 77}, {"100,1,5", 0, 1, 5},
      {"70000,1,5", 0, 1, 5},       {"", 0, 0, 0},              {"8192", 8192, 0, 0},
      {"::4096,1,2", 4096, 1, 2}, {"9:x4096,1,2", 0, 1, 2},
  };
  for (const auto& row : rows) {
    osn::Tokens t{};
    osn::split_tokens(row.text, static_cast<uint32_t>(std::strlen(row.text)), &t);
    uint32_t size = 1, window = 1;
    uint16_t platform = 1;
    osn::server_connect_values(t, &size, &platform, &window);
    EXPECT_EQ(size, row.size) << row.text;
    EXPECT_EQ(platform, row.platform) << row.text;
    EXPECT_EQ(window, row.window) << row.text;
  }
}

TEST(Setting, QuantumText) {
  struct Row {
    const char* text;
    uint32_t quantum;
  } rows[] = {{"500", 500},     {"200", 200},     {"199", 10000}, {"90000", 90000}, {"90001", 10000},
              {"150", 10000},   {"100000", 10000}, {"", 10000},   {"5a", 10000},    {"-300", 10000},
              {"0000250", 250}};
  for (const auto& row : rows) EXPECT_EQ(osn::quantum_from_text(row.text), row.quantum) << row.text;
}

class SettingLookup : public ::testing::Test {
 protected:
  std::filesystem::path file_;
  void SetUp() override {
    char tmpl[] = "/tmp/zunt-reg-XXXXXX";
    int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    close(fd);
    file_ = tmpl;
    setenv("ZUNT_REGISTRY", tmpl, 1);
    unsetenv("_two_task_quantum");
  }
  void TearDown() override { std::filesystem::remove(file_); }
};

TEST_F(SettingLookup, EnvironmentBeforeRegistryAndCleaning) {
  std::ofstream(file_) << "# comment\n[Software\\Velmor]\n  _two_task_quantum =  1200\t\n";
  char v[256];
  EXPECT_EQ(osn::config_value("_two_task_quantum", v, sizeof v), 4);
  EXPECT_STREQ(v, "1200");
  EXPECT_EQ(osn::read_quantum(), 1200u);
  setenv("_two_task_quantum", "\t 300", 1);
  EXPECT_EQ(osn::config_value("  _two_task_quantum ", v, sizeof v), 3);  // the name is squeezed
  EXPECT_EQ(osn::read_quantum(), 300u);
  // An environment value of 256 characters or more counts as absent.
  setenv("_two_task_quantum", std::string(256, '7').c_str(), 1);
  EXPECT_EQ(osn::read_quantum(), 1200u);
  EXPECT_EQ(osn::config_value(std::string(32, 'n').c_str(), v, sizeof v), -1);
  unsetenv("_two_task_quantum");
  std::ofstream(file_) << "[other]\n_two_task_quantum=1200\n";
  EXPECT_EQ(osn::read_quantum(), 10000u);
  std::ofstream(file_) << "_two_task_quantum=" << std::string(300, '1') << "\n";
  EXPECT_EQ(osn::config_value("_two_task_quantum", v, sizeof v), -1);
  setenv("ZUNT_REGISTRY", "/nonexistent/zunt/registry", 1);
  EXPECT_EQ(osn::read_quantum(), 10000u);
}

// A context wired to a real window of this process, so messages can be dispatched to it.
class WindowProc : public ::testing::Test {
 protected:
  std::filesystem::path dir_;
  osn_context ctx_{};
  alignas(4) unsigned char own_buf_[256]{};
  alignas(4) unsigned char peer_buf_[256]{};
  uint32_t peer_ = 0;

  void SetUp() override {
    char tmpl[] = "/tmp/zunt-wp-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    setenv("ZUNT_RUNTIME_DIR", tmpl, 1);
    ASSERT_TRUE(osn::library_attach());
    ctx_.state = OSN_ST_CLIENT | OSN_ST_CONNECTED | OSN_ST_OPEN;
    ctx_.platform = 1;
    ctx_.buffer_size = sizeof own_buf_;
    ctx_.own_view = own_buf_;
    ctx_.os_error_ref = &ctx_.os_error;
    ctx_.own_window = platform::create_window("Vlm.Client", "VLMCLIENT", 0, nullptr);
    ASSERT_NE(ctx_.own_window, 0u);
    platform::set_window_word(ctx_.own_window, 0, reinterpret_cast<uintptr_t>(&ctx_));
    peer_ = platform::create_window("Vlm.Server", "VLMSERVER", 0, nullptr);
    ctx_.peer_window = peer_;
  }
  void TearDown() override {
    ctx_.peer_window = 0;
    platform::destroy_window(ctx_.own_window);
    platform::destroy_window(peer_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  void deliver(uint32_t msg, uint32_t w, uint32_t l) { osn::window_proc(ctx_.own_window, msg, w, l); }
};

TEST_F(WindowProc, ProtocolMessagesOnlyFromThePeer) {
  ctx_.peer_view = peer_buf_;
  const uint32_t stranger = peer_ + 1;
  deliver(OSN_MSG_DATA, stranger, 0);
  EXPECT_EQ(ctx_.state & OSN_ST_RECV_READY, 0u);
  EXPECT_EQ(ctx_.message_seen, 1u);
  deliver(OSN_MSG_DATA, peer_, 0);
  EXPECT_NE(ctx_.state & OSN_ST_RECV_READY, 0u);

  // Buffer consumed empties this side's buffer only while it is handed over.
  osn::hdr_set(own_buf_, osn::kFill, 40);
  osn::hdr_set(own_buf_, osn::kLength, 40);
  deliver(OSN_MSG_CONSUMED, peer_, 0);
  EXPECT_EQ(osn::hdr_get(own_buf_, osn::kFill), 40u);
  ctx_.state |= OSN_ST_SEND_PENDING;
  deliver(OSN_MSG_CONSUMED, stranger, 0);
  EXPECT_EQ(osn::hdr_get(own_buf_, osn::kFill), 40u);
  deliver(OSN_MSG_CONSUMED, peer_, 0);
  EXPECT_EQ(osn::hdr_get(own_buf_, osn::kFill), 0u);
  EXPECT_EQ(ctx_.state & OSN_ST_SEND_PENDING, 0u);

  deliver(OSN_MSG_BREAK, stranger, 0);
  deliver(OSN_MSG_DISC, stranger, 0);
  deliver(OSN_MSG_DISC_ACK, stranger, 0);
  EXPECT_EQ(ctx_.state & (OSN_ST_BREAK | OSN_ST_PEER_GONE), 0u);
  ctx_.state |= OSN_ST_BREAK_PENDING;
  deliver(OSN_MSG_BREAK_ACK, stranger, 0);
  EXPECT_NE(ctx_.state & OSN_ST_BREAK_PENDING, 0u);
  deliver(OSN_MSG_BREAK_ACK, peer_, 0);
  EXPECT_EQ(ctx_.state & OSN_ST_BREAK_PENDING, 0u);
  deliver(OSN_MSG_BREAK, peer_, 0);
  EXPECT_NE(ctx_.state & OSN_ST_BREAK, 0u);
  EXPECT_EQ(ctx_.error, 3111u);
  EXPECT_EQ(ctx_.peer_window, peer_);
}

TEST_F(WindowProc, HelloAcceptedOnceWithSignatureFromServerChild) {
  ctx_.peer_window = 0;
  platform::register_class("VELMOR7", platform::def_window_proc, 0);
  uint32_t main = platform::create_window("VELMOR7", "VELMOR7", 0, nullptr);
  uint32_t child = platform::create_window("Vlm.Server", "VLMSERVER", main, nullptr);
  deliver(OSN_MSG_HELLO, child, (1u << 16) | 0x1234u);  // wrong signature
  EXPECT_EQ(ctx_.peer_window, 0u);
  deliver(OSN_MSG_HELLO, peer_, (1u << 16) | 0xABCDu);  // not a child of the main window
  EXPECT_EQ(ctx_.peer_window, 0u);
  deliver(OSN_MSG_HELLO, 0x7FFF0001u, (1u << 16) | 0xABCDu);  // not a window
  EXPECT_EQ(ctx_.peer_window, 0u);
  deliver(OSN_MSG_HELLO, child, (2u << 16) | 0xABCDu);
  EXPECT_EQ(ctx_.peer_window, child);
  EXPECT_EQ(ctx_.peer_platform, 2);
  EXPECT_EQ(std::string(ctx_.peer_title), "VLMSERVER:" + std::to_string(child));
  uint32_t other = platform::create_window("Vlm.Server", "VLMSERVER", main, nullptr);
  deliver(OSN_MSG_HELLO, other, (1u << 16) | 0xABCDu);  // a second hello
  EXPECT_EQ(ctx_.peer_window, child);
  EXPECT_EQ(ctx_.peer_platform, 2);
  platform::destroy_window(main);  // its children go with it
  EXPECT_FALSE(platform::is_window(child));
  EXPECT_FALSE(platform::is_window(other));
  ctx_.peer_window = peer_;
}

TEST_F(WindowProc, AttachOfAMissingOrShortBufferFails) {
  ctx_.state = OSN_ST_OPEN;  // server side
  deliver(OSN_MSG_ATTACH, peer_, 0);
  EXPECT_EQ(ctx_.error, 9366u);
  EXPECT_EQ(ctx_.peer_view, nullptr);
  // A mapping smaller than the buffer size is refused as well.
  char name[32];
  std::snprintf(name, sizeof name, "CSEND:%u", peer_);
  uint32_t h = 0;
  void* view = nullptr;
  ASSERT_EQ(platform::shm_create(name, 64, &h, &view), 0);
  ctx_.error = 0;
  deliver(OSN_MSG_ATTACH, peer_, 0);
  EXPECT_EQ(ctx_.error, 9366u);
  EXPECT_EQ(ctx_.peer_view, nullptr);
  platform::shm_close(h, view, 64);
  platform::shm_remove(name);
}

TEST_F(WindowProc, DestroyNotifiesPeerAndMarksGone) {
  // The peer window belongs to this thread, so the disconnect message lands in our queue.
  platform::destroy_window(ctx_.own_window);
  EXPECT_NE(ctx_.state & OSN_ST_PEER_GONE, 0u);
  EXPECT_NE(ctx_.state & OSN_ST_DESTROYED, 0u);
  EXPECT_EQ(ctx_.error, 3113u);
  EXPECT_EQ(ctx_.peer_window, 0u);
  platform::Message m{};
  bool got = false;
  while (platform::get_message_timeout(&m, 100))
    if (m.message == OSN_MSG_DISC && m.hwnd == peer_) got = true; else printf("msg %u %u\n", m.hwnd, m.message);
  EXPECT_TRUE(got);
}

std::vector<uint32_t> g_other_seen;
int32_t other_proc(uint32_t, uint32_t msg, uint32_t, uint32_t) {
  g_other_seen.push_back(msg);
  return 0;
}

TEST_F(WindowProc, WaitingClientDropsClicksButRepaints) {
  platform::register_class("App", other_proc, 0);
  uint32_t app = platform::create_window("App", "application", 0, nullptr);
  g_other_seen.clear();
  ASSERT_EQ(platform::post_message(app, 0x0201, 0, 0), 0);  // mouse click: dropped
  ASSERT_EQ(platform::post_message(app, 0x000F, 0, 0), 0);  // paint: dispatched
  ASSERT_EQ(platform::post_message(app, 0x0100, 27, 0), 0); // key: dropped
  ASSERT_EQ(platform::post_message(ctx_.own_window, OSN_MSG_DATA, peer_ + 1, 0), 0);  // ends the step
  osn::wait_step(&ctx_);
  EXPECT_EQ(ctx_.message_seen, 1u);
  EXPECT_EQ(g_other_seen, std::vector<uint32_t>{0x000F});
  platform::destroy_window(app);
}

TEST(Filter, DispatchesOnlyWhatAWaitingClientMayHandle) {
  osn_context c{};
  c.own_window = 0x10001;
  struct Row {
    uint32_t hwnd, msg, wparam;
    bool pass;
  } rows[] = {
      {0x10001, 0x0201, 0, true},   // anything for this side's window
      {0x20002, 0x000F, 0, true},   // paint
      {0x20002, 0x0020, 0, true},   // set cursor
      {0x20002, 0x0112, 0, true},   // system command
      {0x20002, 0x0200, 0, true},   // mouse move
      {0x20002, 0x0104, 27, true},  // system key Escape
      {0x20002, 0x0106, 0x1001B, true},
      {0x20002, 0x0104, 13, false},
      {0x20002, 0x0201, 0, false},  // a click on another window
      {0x20002, 0x0100, 27, false}, // a plain key
  };
  for (const auto& r : rows)
    EXPECT_EQ(osn::filter_message(&c, r.hwnd, r.msg, r.wparam), r.pass) << r.msg << " " << r.wparam;
}

}  // namespace
