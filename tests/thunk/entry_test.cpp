// The library entry of the thunk (linked from the static core, talking to "THUNKA16.DLL"):
// the attach count, registration at the first attach and unregistration at the last
// detach, a refused registration, and the NT-like platform, after which the thunk flag
// stays clear for the rest of the process.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "thunk_entry.h"
#include "uthunk.h"
#include "zunt/thunk.h"

namespace zt = zunt::thunk;

namespace {

const std::string kDriver = std::string(ZUNT_BINARY_DIR) + "/lib/libthunka16.so";

int32_t connect_once() {
  uintptr_t result[3] = {};
  uintptr_t conn[5] = {};
  uintptr_t out1 = 0, out2 = 0;
  return osncon32(nullptr, nullptr, nullptr, 0, nullptr, 0, result, conn, &out1, &out2, nullptr, 0);
}

}  // namespace

TEST(ThunkEntry, AttachCountRegistrationAndPlatform) {
  setenv("ZUNT_DLL_PATH", (std::string(ZUNT_BINARY_DIR) + "/lib").c_str(), 1);
  setenv("ZUNT_PLATFORM", "win32s", 1);
  unsetenv("ZUNT_THUNK16");

  // The first attach registers; later attaches only count.
  ASSERT_TRUE(zt::library_entry(zt::kProcessAttach));
  EXPECT_EQ(zt::attach_count(), 1);
  EXPECT_TRUE(zunt::platform::ut_registered(zt::module_identity()));
  void* drv = dlopen(kDriver.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(drv, nullptr);
  auto inits = reinterpret_cast<uint32_t (*)()>(dlsym(drv, "thunk16_init_count"));
  EXPECT_EQ(inits(), 1u);
  EXPECT_TRUE(zt::library_entry(zt::kProcessAttach));
  EXPECT_TRUE(zt::library_entry(zt::kThreadAttach));
  EXPECT_TRUE(zt::library_entry(zt::kThreadDetach));
  EXPECT_EQ(zt::attach_count(), 2);
  EXPECT_EQ(inits(), 1u);
  EXPECT_EQ(connect_once(), 0);

  // Only the last detach unregisters; the thunk is gone after it.
  EXPECT_TRUE(zt::library_entry(zt::kProcessDetach));
  EXPECT_EQ(zt::attach_count(), 1);
  EXPECT_TRUE(zunt::platform::ut_registered(zt::module_identity()));
  EXPECT_TRUE(zt::library_entry(zt::kProcessDetach));
  EXPECT_EQ(zt::attach_count(), 0);
  EXPECT_FALSE(zunt::platform::ut_registered(zt::module_identity()));
  EXPECT_EQ(connect_once(), OSN_THUNK_NO_THUNK);
  EXPECT_TRUE(zt::library_entry(zt::kProcessDetach));  // never below 0
  EXPECT_EQ(zt::attach_count(), 0);

  // A driver that refuses: the attach fails and leaves nothing to undo.
  setenv("ZUNT_THUNK16", "refuse_init", 1);
  EXPECT_FALSE(zt::library_entry(zt::kProcessAttach));
  unsetenv("ZUNT_THUNK16");
  EXPECT_EQ(inits(), 2u);
  EXPECT_EQ(zt::attach_count(), 0);
  EXPECT_FALSE(zunt::platform::ut_registered(zt::module_identity()));
  EXPECT_EQ(connect_once(), OSN_THUNK_NO_THUNK);
  EXPECT_TRUE(zt::library_entry(zt::kProcessDetach));
  EXPECT_EQ(zt::attach_count(), 0);

  // The next attach tries again and succeeds.
  ASSERT_TRUE(zt::library_entry(zt::kProcessAttach));
  EXPECT_EQ(inits(), 3u);
  EXPECT_TRUE(zt::library_entry(zt::kProcessDetach));

  // NT-like: the attach succeeds without a thunk and clears the flag, after which attaches
  // are no longer counted.
  unsetenv("ZUNT_PLATFORM");
  EXPECT_TRUE(zt::library_entry(zt::kProcessAttach));
  EXPECT_EQ(zt::attach_count(), 1);
  EXPECT_FALSE(zunt::platform::ut_registered(zt::module_identity()));
  EXPECT_EQ(connect_once(), OSN_THUNK_NO_THUNK);
  setenv("ZUNT_PLATFORM", "win32s", 1);
  EXPECT_TRUE(zt::library_entry(zt::kProcessAttach));
  EXPECT_EQ(zt::attach_count(), 1);
  EXPECT_FALSE(zunt::platform::ut_registered(zt::module_identity()));
  EXPECT_TRUE(zt::library_entry(zt::kProcessDetach));
  EXPECT_EQ(zt::attach_count(), 0);
  EXPECT_EQ(inits(), 3u);
  unsetenv("ZUNT_PLATFORM");
  dlclose(drv);
}
