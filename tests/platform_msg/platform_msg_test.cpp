// The platform layer on its own, with platform_peer as the second process.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "message.h"
#include "process.h"
#include "registry.h"
#include "rundir.h"
#include "shm.h"
#include "sysinfo.h"
#include "window.h"

namespace {

using namespace zunt::platform;
namespace fs = std::filesystem;

constexpr uint32_t kPing = kWmUser + 1, kPong = kWmUser + 2, kQuit = kWmUser + 9;

int32_t record_proc(uint32_t hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam) {
  return def_window_proc(hwnd, msg, wparam, lparam);
}

std::string peer_path() { return std::string(ZUNT_BINARY_DIR) + "/bin/platform_peer"; }

// A platform_peer process whose standard output we read.
struct Peer {
  FILE* out = nullptr;
  pid_t pid = 0;
  explicit Peer(const std::string& args) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      std::string cmd = "exec " + peer_path() + " " + args;
      execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    out = fdopen(fds[0], "r");
  }
  std::string line() {
    char buf[128] = {};
    if (out == nullptr || std::fgets(buf, sizeof buf, out) == nullptr) return "";
    buf[std::strcspn(buf, "\n")] = '\0';
    return buf;
  }
  int wait() {
    int st = 0;
    if (pid > 0 && waitpid(pid, &st, 0) == pid) pid = 0;
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  void kill_now() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      wait();
    }
  }
  ~Peer() {
    kill_now();
    if (out != nullptr) std::fclose(out);
  }
};

int run_peer(const std::string& args) {
  Peer p(args);
  return p.wait();
}

class Platform : public ::testing::Test {
 protected:
  fs::path dir_;
  void SetUp() override {
    char tmpl[] = "/tmp/zunt-pm-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    setenv("ZUNT_RUNTIME_DIR", tmpl, 1);
    register_class("Rec", record_proc, 8);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  bool get_within(Message* m, uint32_t ms) { return get_message_timeout(m, ms); }
};

TEST_F(Platform, ClassesAndWindowRecords) {
  EXPECT_EQ(register_class("Rec", record_proc, 8), EEXIST);
  EXPECT_EQ(register_class("", record_proc, 0), EINVAL);
  EXPECT_EQ(register_class(std::string(64, 'c').c_str(), record_proc, 0), EINVAL);
  EXPECT_EQ(register_class("X", nullptr, 0), EINVAL);
  int err = 0;
  EXPECT_EQ(create_window("NoSuchClass", "t", 0, &err), 0u);
  EXPECT_EQ(err, ENOENT);
  EXPECT_EQ(create_window("Rec", "t", 0x7FFF0001u, &err), 0u);  // parent is not a window
  uint32_t top = create_window("Rec", "top", 0, &err);
  ASSERT_NE(top, 0u);
  uint32_t a = create_window("Rec", "child a", top, nullptr);
  uint32_t b = create_window("Rec", "child b", top, nullptr);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_EQ(find_window("Rec", "top"), top);
  EXPECT_EQ(find_window("Rec", "nope"), 0u);
  EXPECT_EQ(find_window(nullptr, "child b"), b);
  EXPECT_EQ(find_window("Rec", nullptr), std::min({top, a, b}));  // the same choice everywhere
  EXPECT_EQ(set_window_title(a, "renamed"), 0);
  EXPECT_EQ(find_window("Rec", "renamed"), a);
  EXPECT_EQ(find_window("Rec", "child a"), 0u);
  EXPECT_EQ(set_window_title(a, std::string(64, 't').c_str()), ENAMETOOLONG);
  uint32_t kids[4] = {};
  ASSERT_EQ(enum_child_windows(top, kids, 4), 2u);
  EXPECT_TRUE((kids[0] == a && kids[1] == b) || (kids[0] == b && kids[1] == a));
  EXPECT_EQ(enum_child_windows(top, kids, 1), 2u);  // the count even when the array is short
  WindowInfo info{};
  ASSERT_TRUE(window_info(b, &info));
  EXPECT_EQ(info.pid, process_id());
  EXPECT_EQ(info.parent, top);
  EXPECT_STREQ(info.cls, "Rec");
  EXPECT_STREQ(info.title, "child b");
  EXPECT_TRUE(set_window_word(a, 0, 0x1234));
  EXPECT_TRUE(set_window_word(a, 1, 0x5678));
  EXPECT_FALSE(set_window_word(a, 2, 1));
  EXPECT_EQ(window_word(a, 0), 0x1234u);
  EXPECT_EQ(window_word(a, 1), 0x5678u);
  EXPECT_TRUE(destroy_window(top));
  for (uint32_t h : {top, a, b}) EXPECT_FALSE(is_window(h));
  EXPECT_FALSE(destroy_window(top));
  EXPECT_EQ(enum_child_windows(top, kids, 4), 0u);
  EXPECT_EQ(post_message(a, kPing, 0, 0), ENOENT);
}

TEST_F(Platform, MessagesBetweenTwoProcesses) {
  uint32_t mine = create_window("Rec", "mine", 0, nullptr);
  ASSERT_NE(mine, 0u);
  Peer p("window Peer peer-1 " + std::to_string(mine));
  uint32_t theirs = static_cast<uint32_t>(std::stoul(p.line()));
  ASSERT_NE(theirs, 0u);
  EXPECT_EQ(find_window("Peer", "peer-1"), theirs);
  WindowInfo info{};
  ASSERT_TRUE(window_info(theirs, &info));
  EXPECT_EQ(info.pid, static_cast<uint32_t>(p.pid));
  EXPECT_EQ(info.parent, mine);
  uint32_t kid = 0;
  EXPECT_EQ(enum_child_windows(mine, &kid, 1), 1u);
  EXPECT_EQ(kid, theirs);
  for (uint32_t i = 0; i < 50; ++i) ASSERT_EQ(post_message(theirs, kPing, mine, i * 1000), 0);
  for (uint32_t i = 0; i < 50; ++i) {
    Message m{};
    ASSERT_TRUE(get_within(&m, 5000)) << i;
    EXPECT_EQ(m.hwnd, mine);
    EXPECT_EQ(m.message, kPong);
    EXPECT_EQ(m.wparam, theirs);
    EXPECT_EQ(m.lparam, i * 1000 + 1);  // in posting order
  }
  ASSERT_EQ(post_message(theirs, kQuit, mine, 0), 0);
  EXPECT_EQ(p.wait(), 0);
  EXPECT_FALSE(is_window(theirs));
  destroy_window(mine);
}

TEST_F(Platform, WindowsOfAKilledProcessVanish) {
  Peer p("window Peer doomed 0");
  uint32_t theirs = static_cast<uint32_t>(std::stoul(p.line()));
  ASSERT_TRUE(is_window(theirs));
  p.kill_now();
  EXPECT_FALSE(is_window(theirs));
  EXPECT_EQ(find_window("Peer", "doomed"), 0u);
  EXPECT_NE(post_message(theirs, kPing, 0, 0), 0);
  EXPECT_FALSE(fs::exists(dir_ / ("w." + std::to_string(theirs))));  // the stale record is removed
}

TEST_F(Platform, TimersQuitAndTimeouts) {
  uint32_t w = create_window("Rec", "timed", 0, nullptr);
  ASSERT_EQ(set_timer(w, 7, 30), 0);
  EXPECT_EQ(set_timer(0x7FFF0001u, 7, 30), ENOENT);
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) {
    Message m{};
    ASSERT_TRUE(get_within(&m, 2000));
    EXPECT_EQ(m.hwnd, w);
    EXPECT_EQ(m.message, kWmTimer);
    EXPECT_EQ(m.wparam, 7u);
  }
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(85));
  // A posted message comes before a due timer.
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  ASSERT_EQ(post_message(w, kPing, 1, 2), 0);
  Message m{};
  ASSERT_TRUE(get_within(&m, 100));
  EXPECT_EQ(m.message, kPing);
  EXPECT_TRUE(kill_timer(w, 7));
  EXPECT_FALSE(kill_timer(w, 7));
  EXPECT_FALSE(get_within(&m, 80));
  EXPECT_EQ(m.message, 0u);
  post_quit_message(5);
  EXPECT_FALSE(get_message(&m));
  EXPECT_EQ(m.message, kWmQuit);
  EXPECT_EQ(m.wparam, 5u);
  // Destroying a window stops its timers.
  set_timer(w, 8, 10);
  destroy_window(w);
  EXPECT_FALSE(get_within(&m, 60));
}

TEST_F(Platform, ForeignDatagramsAreDropped) {
  uint32_t w = create_window("Rec", "q", 0, nullptr);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::snprintf(a.sun_path, sizeof a.sun_path, "%s/q.%u.%u", dir_.c_str(), process_id(),
                static_cast<uint32_t>(gettid()));
  int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  const char junk[7] = "junk!!";
  ASSERT_EQ(sendto(fd, junk, sizeof junk, 0, reinterpret_cast<sockaddr*>(&a), sizeof a), 7);
  char big[40] = {};
  ASSERT_EQ(sendto(fd, big, sizeof big, 0, reinterpret_cast<sockaddr*>(&a), sizeof a), 40);
  close(fd);
  ASSERT_EQ(post_message(w, kPing, 3, 4), 0);
  Message m{};
  ASSERT_TRUE(get_within(&m, 500));
  EXPECT_EQ(m.message, kPing);
  EXPECT_EQ(m.lparam, 4u);
  // A message for a window that is gone is not dispatched.
  destroy_window(w);
  EXPECT_EQ(dispatch_message(Message{w, kWmClose, 0, 0}), 0);
}

TEST_F(Platform, RuntimeDirectoryMustBePrivate) {
  EXPECT_STREQ(runtime_dir(), dir_.c_str());
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_EQ(runtime_dir(), nullptr);
  int err = 0;
  EXPECT_EQ(create_window("Rec", "t", 0, &err), 0u);
  fs::permissions(dir_, fs::perms::owner_all);
  fs::create_directory_symlink(dir_, dir_.string() + "-link");
  setenv("ZUNT_RUNTIME_DIR", (dir_.string() + "-link").c_str(), 1);
  EXPECT_EQ(runtime_dir(), nullptr);
  setenv("ZUNT_RUNTIME_DIR", (dir_ / "missing").c_str(), 1);
  EXPECT_EQ(runtime_dir(), nullptr);  // an explicit directory is never created
  fs::remove(dir_.string() + "-link");
  setenv("ZUNT_RUNTIME_DIR", dir_.c_str(), 1);
}

TEST_F(Platform, SharedMemoryAcrossProcesses) {
  const std::string name = "TEST:" + std::to_string(process_id());
  uint32_t h = 0;
  void* v = nullptr;
  ASSERT_EQ(shm_create(name.c_str(), 4096, &h, &v), 0);
  struct stat st{};
  const std::string dev = "/dev/shm/zunt." + std::to_string(geteuid()) + "." + name;
  ASSERT_EQ(stat(dev.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(static_cast<const uint32_t*>(v)[100], 0u);  // zero-filled
  uint32_t h2 = 0;
  void* v2 = nullptr;
  EXPECT_EQ(shm_create(name.c_str(), 4096, &h2, &v2), EEXIST);
  EXPECT_EQ(shm_open_existing(name.c_str(), 8192, &h2, &v2), EINVAL);  // smaller than asked
  EXPECT_EQ(shm_open_existing("no/slash", 8, &h2, &v2), EINVAL);
  EXPECT_TRUE(shm_accessible(h, 4096));
  EXPECT_FALSE(shm_accessible(h, 8192));
  EXPECT_EQ(run_peer("bump-shm " + name), 0);
  EXPECT_EQ(run_peer("bump-shm " + name), 0);
  EXPECT_EQ(*static_cast<volatile uint32_t*>(v), 2u);
  EXPECT_EQ(shm_remove(name.c_str()), 0);
  EXPECT_FALSE(fs::exists(dev));
  EXPECT_EQ(*static_cast<volatile uint32_t*>(v), 2u);  // the mapping outlives the name
  EXPECT_EQ(shm_close(h, v, 4096), 0);
  EXPECT_NE(run_peer("bump-shm " + name), 0);
}

TEST_F(Platform, SegmentOfAKilledCreatorIsSwept) {
  const std::string name = "DOOMED:" + std::to_string(process_id());
  const std::string dev = "/dev/shm/zunt." + std::to_string(geteuid()) + "." + name;
  Peer p("shm " + name);
  ASSERT_EQ(p.line(), "ready");
  EXPECT_TRUE(fs::exists(dev));
  p.kill_now();
  find_window("Rec", "anything");  // any window search sweeps
  EXPECT_FALSE(fs::exists(dev));
}

TEST_F(Platform, GlobalMemoryAcrossProcesses) {
  uint32_t h = 0;
  ASSERT_EQ(global_alloc(1024, &h), 0);
  int err = 0;
  uint32_t size = 0;
  auto* p = static_cast<volatile uint32_t*>(global_lock(h, &size, &err));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(size, 1024u);
  EXPECT_EQ(global_lock(h, nullptr, &err), const_cast<uint32_t*>(p));  // same address again
  EXPECT_TRUE(global_unlock(h));
  EXPECT_TRUE(global_unlock(h));
  EXPECT_FALSE(global_unlock(h));
  EXPECT_TRUE(global_accessible(h, 1024));
  EXPECT_FALSE(global_accessible(h, 1025));
  EXPECT_EQ(run_peer("bump-global " + std::to_string(h)), 0);
  EXPECT_EQ(p[0], 1u);
  EXPECT_EQ(global_free(h), 0);
  EXPECT_EQ(global_free(h), EINVAL);
  EXPECT_NE(run_peer("bump-global " + std::to_string(h)), 0);
  EXPECT_EQ(global_lock(0, nullptr, &err), nullptr);
  EXPECT_EQ(global_lock(0x7FFF0001u, nullptr, &err), nullptr);
  EXPECT_EQ(err, ENOENT);
}

TEST_F(Platform, ProgramStartOnPath) {
  const std::string old = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (std::string(ZUNT_BINARY_DIR) + "/bin:" + old).c_str(), 1);
  uint32_t pid = 0;
  EXPECT_EQ(start_program("platform_peer sleep", 7, &pid), 0);
  EXPECT_GT(pid, 0u);
  EXPECT_EQ(start_program("no-such-program-zunt", 7, nullptr), ENOENT);
  EXPECT_EQ(start_program("   ", 7, nullptr), EINVAL);
  EXPECT_EQ(start_program(std::string(2000, 'a').c_str(), 7, nullptr), E2BIG);
  EXPECT_EQ(start_program("a b c d e f g h i j k l m n o p", 7, nullptr), E2BIG);
  setenv("PATH", old.c_str(), 1);
  // The started program is detached (not our child to reap) and ends by itself.
  EXPECT_EQ(waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(Platform, OtherUsersSeeNothing) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  uint32_t w = create_window("Rec", "private", 0, nullptr);
  const std::string name = "PRIV:" + std::to_string(process_id());
  uint32_t h = 0;
  void* v = nullptr;
  ASSERT_EQ(shm_create(name.c_str(), 64, &h, &v), 0);
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    const std::string obj = "/zunt." + std::to_string(geteuid()) + "." + name;
    execl(peer_path().c_str(), "platform_peer", "probe", std::to_string(w).c_str(), obj.c_str(),
          static_cast<char*>(nullptr));
    _exit(101);
  }
  int st = 0;
  ASSERT_EQ(waitpid(child, &st, 0), child);
  EXPECT_TRUE(WIFEXITED(st));
  EXPECT_EQ(WEXITSTATUS(st), 0);
  shm_close(h, v, 64);
  shm_remove(name.c_str());
  destroy_window(w);
}

TEST(Registry, ValueFile) {
  char tmpl[] = "/tmp/zunt-regf-XXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  close(fd);
  setenv("ZUNT_REGISTRY", tmpl, 1);
  std::ofstream(tmpl) << "global = g\n# note\n[software\\velmor]\n  Name A = 1 2 \r\nempty=\n"
                      << "long=" << std::string(2000, 'x') << "\n[Other]\nname a=other\n";
  struct Row {
    const char* key;
    const char* name;
    uint32_t cap;
    int32_t result;
    const char* value;
  } rows[] = {
      {"SOFTWARE\\VELMOR", "name a", 64, 5, " 1 2 "},
      {"software\\velmor", "global", 64, 2, " g"},
      {"other", "name a", 64, 5, "other"},
      {"software\\velmor", "empty", 64, 0, ""},
      {"software\\velmor", "name a", 3, -2, nullptr},
      {"software\\velmor", "long", 4000, -1, nullptr},
      {"software\\velmor", "missing", 64, -1, nullptr},
      {"nokey", "name a", 64, -1, nullptr},
  };
  for (const auto& r : rows) {
    char out[4000];
    int32_t n = registry_value(r.key, r.name, out, r.cap);
    EXPECT_EQ(n, r.result) << r.key << " " << r.name;
    if (r.value != nullptr && n >= 0) {
      EXPECT_EQ(std::string(out, static_cast<size_t>(n)), r.value);
    }
  }
  setenv("ZUNT_REGISTRY", "/nonexistent/zunt/registry", 1);
  char out[8];
  EXPECT_EQ(registry_value("software\\velmor", "global", out, 8), -1);
  std::remove(tmpl);
}

TEST(SystemFacts, TickCountAndVersion) {
  uint32_t t0 = tick_count();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  uint32_t d = tick_count() - t0;
  EXPECT_GE(d, 19u);
  EXPECT_LT(d, 5000u);
  unsetenv("ZUNT_PLATFORM");
  EXPECT_TRUE(is_nt(version()));
  setenv("ZUNT_PLATFORM", "win32s", 1);
  EXPECT_FALSE(is_nt(version()));
  unsetenv("ZUNT_PLATFORM");
}

}  // namespace
