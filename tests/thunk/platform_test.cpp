// The dynamic-loading and universal-thunk layers: built-in module names, driver libraries
// found by name, registration, dispatch and callbacks through the registered entries.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>

#include "dynload.h"
#include "thunk16.h"
#include "uthunk.h"

namespace zp = zunt::platform;

namespace {

const std::string kLibDir = std::string(ZUNT_BINARY_DIR) + "/lib";

// Points the driver search at the build's lib/ (after a directory that does not exist, so
// the list is walked) and clears the driver's environment configuration.
class Platform : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZUNT_DLL_PATH", ("/nonexistent/zunt:" + kLibDir).c_str(), 1);
    unsetenv("ZUNT_THUNK16");
  }
  void TearDown() override { unsetenv("ZUNT_DLL_PATH"); }
};

// The test entries of a driver that is already loaded.
struct Driver {
  void* h = nullptr;
  explicit Driver(const char* so) { h = dlopen((kLibDir + "/" + so).c_str(), RTLD_NOW | RTLD_NOLOAD); }
  ~Driver() {
    if (h != nullptr) dlclose(h);
  }
  template <typename F>
  F get(const char* name) const {
    return reinterpret_cast<F>(dlsym(h, name));
  }
};

void* last_callback_block = nullptr;
uint32_t callback_calls = 0;
int32_t test_callback(void* block, uint32_t) {
  last_callback_block = block;
  ++callback_calls;
  return 55;
}

int module_a = 0;
int module_b = 0;

}  // namespace

TEST_F(Platform, BuiltinModuleAnswersToItsNamesOnly) {
  zp::Module k = zp::load_library("Kernel32.Dll");
  ASSERT_NE(k, nullptr);
  for (const char* alias : {"KERNEL32.DLL", "kernel32", "C:\\WINDOWS\\SYSTEM\\kernel32.dll", "/x/Kernel32.Dll"})
    EXPECT_EQ(zp::load_library(alias), k) << alias;
  for (const char* other : {"", "Kernel32.Dl", "Kernel32.Dll.x", "NOSUCH16.DLL", "Kernel"})
    EXPECT_EQ(zp::load_library(other), nullptr) << other;
  EXPECT_EQ(zp::load_library(nullptr), nullptr);

  EXPECT_EQ(zp::get_proc_address(k, "UTRegister"), reinterpret_cast<void*>(&zp::ut_register));
  EXPECT_EQ(zp::get_proc_address(k, "UTUnRegister"), reinterpret_cast<void*>(&zp::ut_unregister));
  for (const char* missing : {"utregister", "UTRegisterX", "GetProcAddress", ""})
    EXPECT_EQ(zp::get_proc_address(k, missing), nullptr) << missing;
  EXPECT_EQ(zp::get_proc_address(k, nullptr), nullptr);
  EXPECT_EQ(zp::get_proc_address(nullptr, "UTRegister"), nullptr);
  EXPECT_TRUE(zp::free_library(k));
  EXPECT_FALSE(zp::free_library(nullptr));
}

TEST(Dynload, SharedObjectNames) {
  struct Case {
    const char* name;
    std::size_t size;
    const char* expect;  // null: refused
  };
  const Case cases[] = {
      {"THUNKA16.DLL", 64, "libthunka16.so"},
      {"C:\\WINDOWS\\SYSTEM\\ThunkB16.Dll", 64, "libthunkb16.so"},
      {"c:thunka16.dll", 64, "libthunka16.so"},
      {"dir/sub\\NET.DRV", 64, "libnet.drv.so"},
      {"NODOT", 64, "libnodot.so"},
      {"A.DLL", 64, "liba.so"},
      {".DLL", 64, "lib.dll.so"},
      {"THUNKA16.DLL", 15, "libthunka16.so"},  // exactly fits with its terminator
      {"THUNKA16.DLL", 14, nullptr},
      {"THUNKA16.DLL", 0, nullptr},
      {"", 64, nullptr},
      {"C:", 64, nullptr},
      {"dir\\", 64, nullptr},
  };
  for (const Case& c : cases) {
    char out[64];
    std::memset(out, 'x', sizeof out);
    const bool ok = zp::shared_object_name(c.name, out, c.size);
    EXPECT_EQ(ok, c.expect != nullptr) << c.name << " " << c.size;
    if (ok) {
      EXPECT_STREQ(out, c.expect) << c.name;
    } else if (c.size > 0) {
      EXPECT_EQ(out[0], '\0') << c.name;
    }
    if (c.size < sizeof out) {
      EXPECT_EQ(out[c.size], 'x') << "wrote past the buffer: " << c.name;
    }
  }
  char out[8];
  EXPECT_FALSE(zp::shared_object_name(nullptr, out, sizeof out));
  EXPECT_FALSE(zp::shared_object_name("A.DLL", nullptr, 8));
}

TEST_F(Platform, DriverLibraryNamesMapToSharedObjects) {
  struct Case {
    const char* name;
    const char* driver;
  };
  const Case cases[] = {
      {"THUNKA16.DLL", "THUNKA16.DLL"},
      {"thunkb16.dll", "THUNKB16.DLL"},
      {"C:\\WIN\\SYSTEM\\ThunkA16.Dll", "THUNKA16.DLL"},
      {"THUNKB16", "THUNKB16.DLL"},
  };
  for (const Case& c : cases) {
    zp::Module m = zp::load_library(c.name);
    ASSERT_NE(m, nullptr) << c.name;
    EXPECT_NE(zp::get_proc_address(m, "thunka16init"), nullptr);
    EXPECT_NE(zp::get_proc_address(m, "osndispatch16"), nullptr);
    EXPECT_EQ(zp::get_proc_address(m, "OSNDISPATCH16"), nullptr);
    auto name = reinterpret_cast<const char* (*)()>(zp::get_proc_address(m, "thunk16_name"));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name(), c.driver) << c.name;
    EXPECT_TRUE(zp::free_library(m));
  }
  // Beside this program (bin/) and on the system search there is no such driver.
  setenv("ZUNT_DLL_PATH", "/nonexistent/zunt", 1);
  EXPECT_EQ(zp::load_library("THUNKA16.DLL"), nullptr);
  EXPECT_EQ(zp::load_library(".DLL"), nullptr);
}

TEST_F(Platform, RegistrationDispatchesAndCallsBackPerModule) {
  zp::UtDispatch32 da = nullptr;
  zp::UtDispatch32 db = nullptr;
  ASSERT_EQ(zp::ut_register(&module_a, "THUNKA16.DLL", "thunka16init", "osndispatch16", &da, test_callback, nullptr), 1);
  ASSERT_EQ(zp::ut_register(&module_b, "THUNKB16.DLL", "thunka16init", "osndispatch16", &db, test_callback, nullptr), 1);
  ASSERT_NE(da, nullptr);
  ASSERT_NE(db, nullptr);
  EXPECT_NE(da, db);
  EXPECT_TRUE(zp::ut_registered(&module_a));
  // One registration per module.
  zp::UtDispatch32 again = nullptr;
  EXPECT_EQ(zp::ut_register(&module_a, "THUNKB16.DLL", "thunka16init", "osndispatch16", &again, test_callback, nullptr), 0);
  EXPECT_EQ(again, nullptr);

  Driver a("libthunka16.so");
  Driver b("libthunkb16.so");
  ASSERT_NE(a.h, nullptr);
  ASSERT_NE(b.h, nullptr);
  auto count_a = a.get<uint32_t (*)()>("thunk16_record_count");
  auto count_b = b.get<uint32_t (*)()>("thunk16_record_count");
  auto get_a = a.get<int32_t (*)(uint32_t, thunk16_record*)>("thunk16_record_get");

  // The list reaches the driver as given: translation is the identity.
  uintptr_t block[7] = {0, 1, 2, 3, 4, 5, 6};
  void* list[] = {&block[0], &block[2], &block[4], nullptr};
  EXPECT_EQ(da(block, 8, list), 3113);  // no connection of that driver
  ASSERT_EQ(count_a(), 1u);
  EXPECT_EQ(count_b(), 0u);
  thunk16_record r{};
  ASSERT_EQ(get_a(0, &r), 1);
  EXPECT_EQ(r.code, 8u);
  ASSERT_EQ(r.ntranslated, 3u);
  EXPECT_EQ(r.translated[0], 0);
  EXPECT_EQ(r.translated[1], 2);
  EXPECT_EQ(r.translated[2], 4);
  EXPECT_EQ(block[2], 2u);
  EXPECT_EQ(db(block, 8, list), 3113);
  EXPECT_EQ(count_b(), 1u);

  // The driver's callback reaches the registered 32-bit callback with the block.
  auto call_back_a = a.get<int32_t (*)(uintptr_t*)>("thunk16_call_back");
  uintptr_t cb[9] = {9, 7};
  callback_calls = 0;
  EXPECT_EQ(call_back_a(cb), 55);
  EXPECT_EQ(last_callback_block, cb);
  EXPECT_EQ(callback_calls, 1u);

  // After unregistering, the handed-out entries no longer reach the driver or the module.
  zp::ut_unregister(&module_a);
  EXPECT_FALSE(zp::ut_registered(&module_a));
  EXPECT_EQ(da(block, 8, list), -1);
  EXPECT_EQ(count_a(), 1u);
  EXPECT_EQ(call_back_a(cb), 0);
  EXPECT_EQ(callback_calls, 1u);
  zp::ut_unregister(&module_a);  // no longer registered: nothing happens
  zp::ut_unregister(nullptr);
  zp::ut_unregister(&module_b);
  EXPECT_FALSE(zp::ut_registered(&module_b));
}

TEST_F(Platform, RegistrationFailuresStoreNothing) {
  struct Case {
    const void* module;
    const char* library;
    const char* init;
    const char* dispatch;
    bool out;
  };
  const Case cases[] = {
      {&module_a, "NOSUCH16.DLL", "thunka16init", "osndispatch16", true},
      {&module_a, "THUNKA16.DLL", "noinit", "osndispatch16", true},
      {&module_a, "THUNKA16.DLL", "thunka16init", "nodispatch", true},
      {nullptr, "THUNKA16.DLL", "thunka16init", "osndispatch16", true},
      {&module_a, nullptr, "thunka16init", "osndispatch16", true},
      {&module_a, "THUNKA16.DLL", nullptr, "osndispatch16", true},
      {&module_a, "THUNKA16.DLL", "thunka16init", nullptr, true},
      {&module_a, "THUNKA16.DLL", "thunka16init", "osndispatch16", false},
  };
  for (const Case& c : cases) {
    zp::UtDispatch32 d = nullptr;
    EXPECT_EQ(zp::ut_register(c.module, c.library, c.init, c.dispatch, c.out ? &d : nullptr, test_callback, nullptr), 0)
        << (c.library ? c.library : "(null)") << " " << (c.init ? c.init : "(null)");
    EXPECT_EQ(d, nullptr);
    EXPECT_FALSE(zp::ut_registered(&module_a));
  }
  // A driver whose init refuses: the registration fails and the driver is released again.
  setenv("ZUNT_THUNK16", "refuse_init", 1);
  zp::UtDispatch32 d = nullptr;
  EXPECT_EQ(zp::ut_register(&module_a, "THUNKA16.DLL", "thunka16init", "osndispatch16", &d, test_callback, nullptr), 0);
  EXPECT_EQ(d, nullptr);
  EXPECT_FALSE(zp::ut_registered(&module_a));
  EXPECT_EQ(dlopen((kLibDir + "/libthunka16.so").c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST_F(Platform, RegistrationsAreBounded) {
  int modules[zp::kUtMaxRegistrations + 1];
  zp::UtDispatch32 d = nullptr;
  for (int i = 0; i < zp::kUtMaxRegistrations; ++i)
    ASSERT_EQ(zp::ut_register(&modules[i], "THUNKA16.DLL", "thunka16init", "osndispatch16", &d, test_callback, nullptr), 1) << i;
  d = nullptr;
  EXPECT_EQ(zp::ut_register(&modules[zp::kUtMaxRegistrations], "THUNKA16.DLL", "thunka16init", "osndispatch16", &d,
                            test_callback, nullptr),
            0);
  EXPECT_EQ(d, nullptr);
  zp::ut_unregister(&modules[3]);
  EXPECT_EQ(zp::ut_register(&modules[zp::kUtMaxRegistrations], "THUNKA16.DLL", "thunka16init", "osndispatch16", &d,
                            test_callback, nullptr),
            1);
  for (int i = 0; i <= zp::kUtMaxRegistrations; ++i) zp::ut_unregister(&modules[i]);
  EXPECT_EQ(dlopen((kLibDir + "/libthunka16.so").c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}
