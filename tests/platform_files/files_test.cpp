// The platform file layer: path conversion, open/read/write/seek/close and the search of
// the standard places, all inside a temporary directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "files.h"

namespace {

namespace fs = std::filesystem;
using namespace zunt::platform;

TEST(HostPath, DriveAndSeparators) {
  struct {
    const char* in;
    const char* want;  // null: refused
  } rows[] = {{"C:\\VELMOR\\DBS\\VELMOR.INI", "/VELMOR/DBS/VELMOR.INI"},
              {"c:relative\\x", "relative/x"},
              {"dir\\sub/file.msb", "dir/sub/file.msb"},
              {"/already/unix", "/already/unix"},
              {"1:x", "1:x"},  // only a letter makes a drive
              {"", nullptr},
              {"C:", nullptr}};
  for (auto& r : rows) {
    char out[64];
    bool ok = host_path(r.in, out, sizeof out);
    EXPECT_EQ(ok, r.want != nullptr) << r.in;
    if (ok && r.want) {
      EXPECT_STREQ(out, r.want);
    }
  }
  char small[5];
  errno = 0;
  EXPECT_FALSE(host_path("abcde", small, sizeof small));
  EXPECT_EQ(errno, ENAMETOOLONG);
  EXPECT_TRUE(host_path("abcd", small, sizeof small));
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zunt-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path dir_;
};

TEST_F(Files, CreateWriteSeekReadClose) {
  std::string dos = (dir_ / "data.bin").string();
  for (auto& c : dos)
    if (c == '/') c = '\\';
  File f;
  ASSERT_TRUE(file_open(("D:" + dos).c_str(), FileMode::create, &f));
  EXPECT_EQ(file_write(f, "hello world", 11), 11);
  EXPECT_EQ(file_seek(f, 6, Seek::set), 6);
  char buf[16] = {};
  EXPECT_EQ(file_read(f, buf, 16), 5);
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(file_seek(f, -5, Seek::end), 6);
  EXPECT_EQ(file_seek(f, -1, Seek::current), 5);
  EXPECT_EQ(file_read(f, buf, 0), 0);
  EXPECT_EQ(file_close(&f), 0);
  EXPECT_FALSE(f.is_open());
  EXPECT_EQ(file_close(&f), -1);  // closing twice is an error, not a crash

  // Reopened read only: reads work, writes fail; create truncates.
  ASSERT_TRUE(file_open((dir_ / "data.bin").c_str(), FileMode::read, &f));
  EXPECT_EQ(file_read(f, buf, 5), 5);
  EXPECT_EQ(file_write(f, "x", 1), -1);
  EXPECT_EQ(last_error(), uint32_t(EBADF));
  file_close(&f);
  ASSERT_TRUE(file_open((dir_ / "data.bin").c_str(), FileMode::create, &f));
  EXPECT_EQ(file_read(f, buf, 5), 0);
  file_close(&f);
  EXPECT_EQ(fs::file_size(dir_ / "data.bin"), 0u);
}

TEST_F(Files, OpenFailures) {
  File f;
  EXPECT_FALSE(file_open((dir_ / "missing").c_str(), FileMode::read, &f));
  EXPECT_EQ(last_error(), uint32_t(ENOENT));
  EXPECT_FALSE(file_open((dir_ / "missing").c_str(), FileMode::read_write, &f));
  EXPECT_FALSE(f.is_open());
  EXPECT_FALSE(file_open(dir_.c_str(), FileMode::read, &f));
  EXPECT_EQ(last_error(), uint32_t(EISDIR));
  std::string huge(kMaxPath + 10, 'a');
  EXPECT_FALSE(file_open(huge.c_str(), FileMode::read, &f));
  EXPECT_EQ(last_error(), uint32_t(ENAMETOOLONG));
  EXPECT_TRUE(too_many_open(EMFILE));
  EXPECT_FALSE(too_many_open(ENOENT));
}

TEST_F(Files, StandardPlacesInOrder) {
  fs::path old = fs::current_path();
  fs::create_directories(dir_ / "cwd");
  fs::create_directories(dir_ / "etc");
  fs::current_path(dir_ / "cwd");
  setenv("ZUNT_SYSCONFDIR", (dir_ / "etc").c_str(), 1);
  char out[kMaxPath];
  EXPECT_FALSE(find_standard("ZUNTTEST.INI", out, sizeof out));
  std::ofstream(dir_ / "etc" / "ZUNTTEST.INI") << "x";
  ASSERT_TRUE(find_standard("ZUNTTEST.INI", out, sizeof out));
  EXPECT_EQ(fs::path(out), dir_ / "etc" / "ZUNTTEST.INI");
  std::ofstream(dir_ / "cwd" / "ZUNTTEST.INI") << "x";
  ASSERT_TRUE(find_standard("ZUNTTEST.INI", out, sizeof out));
  EXPECT_STREQ(out, "ZUNTTEST.INI");
  char tiny[4];
  EXPECT_FALSE(find_standard("ZUNTTEST.INI", tiny, sizeof tiny));  // does not fit
  fs::create_directory(dir_ / "cwd" / "DIR.INI");
  EXPECT_FALSE(find_standard("DIR.INI", out, sizeof out));  // a directory is no file
  fs::current_path(old);
  unsetenv("ZUNT_SYSCONFDIR");
}

}  // namespace
