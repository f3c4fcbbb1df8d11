// A private session for transport tests: a temporary runtime directory, registry file and
// server pid file, set in this process's environment (and so inherited by a Velmor71 that a
// connect starts), and the teardown that ends the server and removes everything.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace twotask_test {

inline bool process_running(long pid) {
  if (pid <= 0) return false;
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  auto p = s.rfind(')');
  return p != std::string::npos && p + 2 < s.size() && s[p + 2] != 'Z' && s[p + 2] != 'X';
}

class Session : public ::testing::Test {
 protected:
  std::filesystem::path dir_;
  std::string old_path_;

  void SetUp() override {
    char tmpl[] = "/tmp/zunt-tt-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::filesystem::create_directory(dir_ / "run");
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
    setenv("ZUNT_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
    setenv("ZUNT_REGISTRY", (dir_ / "registry").c_str(), 1);
    setenv("VELMOR71_PIDFILE", (dir_ / "server.pid").c_str(), 1);
    setenv("VELMOR71_LINGER_MS", "3000", 1);
    setenv("_two_task_quantum", "200", 1);
    unsetenv("VELMOR71_MODE");
    unsetenv("ZUNT_PLATFORM");
    if (const char* p = getenv("PATH")) old_path_ = p;
  }

  void TearDown() override {
    kill_server();
    setenv("PATH", old_path_.c_str(), 1);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  long server_pid() const {
    std::ifstream f(dir_ / "server.pid");
    long pid = 0;
    f >> pid;
    return pid;
  }

  // Ends the server started in this session, if any, and waits until it is gone.
  void kill_server() {
    long pid = server_pid();
    if (pid <= 0) return;
    std::ifstream cmd("/proc/" + std::to_string(pid) + "/cmdline");
    std::string name;
    std::getline(cmd, name, '\0');
    if (name.find("Velmor71") == std::string::npos) return;  // already gone; never kill another
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    for (int i = 0; i < 500 && process_running(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::filesystem::remove(dir_ / "server.pid");
  }

  void write_registry(const std::string& text) { std::ofstream(dir_ / "registry") << text; }
};

}  // namespace twotask_test
