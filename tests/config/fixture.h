// A sandbox for configuration tests: a fresh temporary directory that is also the current
// directory, the system configuration directory pointed into it, VLM_CONFIG and the names
// the tests use removed from this process's environment, and an empty answer cache. Nothing
// outside the temporary directory is read or written.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "util/sltb.h"

namespace zunt::test {

class ConfigSandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    old_cwd_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "zunt-config-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    fs::create_directory(dir_ / "etc");
    fs::create_directory(dir_ / "cwd");
    fs::current_path(dir_ / "cwd");
    setenv("ZUNT_SYSCONFDIR", (dir_ / "etc").c_str(), 1);
    for (const char* n : {"VLM_CONFIG", "NLS_LANG", "nls_lang"}) unsetenv(n);
    clear_test_names();
    cfg::sltb_cache_clear();
  }
  void TearDown() override {
    std::filesystem::current_path(old_cwd_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    clear_test_names();
    unsetenv("VLM_CONFIG");
    unsetenv("ZUNT_SYSCONFDIR");
    cfg::sltb_cache_clear();
  }
  // Every variable whose name starts with ZT_ (any case) belongs to the tests.
  static void clear_test_names() {
    for (bool again = true; again;) {
      again = false;
      for (char** e = environ; *e; ++e) {
        std::string kv = *e;
        if (kv.size() > 3 && (kv[0] == 'Z' || kv[0] == 'z') && (kv[1] == 'T' || kv[1] == 't') && kv[2] == '_') {
          unsetenv(kv.substr(0, kv.find('=')).c_str());
          again = true;
          break;
        }
      }
    }
  }
  // Writes bytes to a file below the sandbox and returns its path.
  std::string write(const std::string& rel, const std::string& bytes) {
    auto p = dir_ / rel;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  std::filesystem::path dir_;
  std::filesystem::path old_cwd_;
};

}  // namespace zunt::test
