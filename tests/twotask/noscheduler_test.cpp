// Connections that cannot be made in this configuration. This process registers no scheduler
// callback until the last test, so it runs alone.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>

#include "osn_internal.h"
#include "window.h"

namespace {

using namespace zunt;

class NoScheduler : public ::testing::Test {
 protected:
  std::filesystem::path dir_;
  void SetUp() override {
    char tmpl[] = "/tmp/zunt-ns-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    setenv("ZUNT_RUNTIME_DIR", tmpl, 1);
    setenv("_two_task_quantum", "200", 1);
    ASSERT_TRUE(osn::library_attach());
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  int32_t open(const char* text, uint32_t flags) {
    osn_ops* ops = nullptr;
    osn_context* ctx = nullptr;
    uint32_t max = 0;
    int32_t r = osn2tt(text, static_cast<uint32_t>(std::strlen(text)), 0, flags, &ops, &ctx, &max, nullptr, 0, 0);
    EXPECT_EQ(ctx, nullptr);
    return r;
  }
};

TEST_F(NoScheduler, ServerSideAndInProcessServerNeedOne) {
  EXPECT_EQ(open("4096,1,12345", 0), 3121);
  // A client whose server main window lives in its own process waits through the scheduler.
  platform::register_class("VELMOR7", platform::def_window_proc, 0);
  uint32_t main = platform::create_window("VELMOR7", "VELMOR7", 0, nullptr);
  ASSERT_NE(main, 0u);
  EXPECT_EQ(open("zunt,4096", OSN_FLAG_CLIENT), 3121);
  EXPECT_EQ(platform::find_window("Vlm.Client", nullptr), 0u);

  // With a scheduler: a peer platform value with bit 0x4 cannot connect here; a missing
  // buffer size or client window is refused; a client window that is not one fails to post.
  osnschedinit([] {});
  EXPECT_EQ(open("4096,4,12345", 0), 3121);
  EXPECT_EQ(open("100,1,12345", 0), 9363);
  EXPECT_EQ(open("4096,1,0", 0), 9363);
  EXPECT_EQ(open("x:4096,1,12345", 0), 3113);
  EXPECT_EQ(platform::find_window("Vlm.Server", nullptr), 0u);  // every failure released its window
  platform::destroy_window(main);
}

TEST_F(NoScheduler, LibraryNotInitialised) {
  osn::library_detach();
  EXPECT_EQ(open("zunt,4096", OSN_FLAG_CLIENT), 9369);
  ASSERT_TRUE(osn::library_attach());
}

}  // namespace
