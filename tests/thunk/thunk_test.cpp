// THUNKA32 and THUNKB32 loaded as a program loads them, talking to the stand-in drivers:
// what each request hands the driver word by word, what comes back to the caller, the slot
// table, the callbacks, and the platform without a thunk.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "thunk16.h"
#include "zunt/thunk.h"

namespace {

const std::string kLibDir = std::string(ZUNT_BINARY_DIR) + "/lib";

using Connect = decltype(&osncon32);
using word = uintptr_t;

bool loaded(const std::string& so) {
  void* h = dlopen((kLibDir + "/" + so).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (h == nullptr) return false;
  dlclose(h);
  return true;
}

// One thunk library and its driver's test entries. The platform is chosen through the
// environment before the library loads, since the library reads it at load; on unload
// both libraries must leave the process so that the next test starts afresh.
struct Thunk {
  std::string name;
  void* lib = nullptr;
  void* drv = nullptr;
  Connect connect = nullptr;

  Thunk(const char* which, bool hosted) : name(which) {
    if (hosted)
      setenv("ZUNT_PLATFORM", "win32s", 1);
    else
      unsetenv("ZUNT_PLATFORM");
    lib = dlopen((kLibDir + "/libthunk" + name + "32.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    unsetenv("ZUNT_PLATFORM");
    if (lib == nullptr) return;
    connect = reinterpret_cast<Connect>(dlsym(lib, "osncon32"));
    drv = dlopen((kLibDir + "/libthunk" + name + "16.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (drv != nullptr) sym<void (*)()>("thunk16_reset")();
  }
  ~Thunk() {
    if (drv != nullptr) dlclose(drv);
    if (lib != nullptr) dlclose(lib);
    EXPECT_FALSE(loaded("libthunk" + name + "32.so"));
    EXPECT_FALSE(loaded("libthunk" + name + "16.so"));
  }
  template <typename F>
  F sym(const char* n) const {
    return reinterpret_cast<F>(dlsym(drv, n));
  }
  uint32_t records() const { return sym<uint32_t (*)()>("thunk16_record_count")(); }
  thunk16_record record(uint32_t i) const {
    thunk16_record r{};
    EXPECT_EQ(sym<int32_t (*)(uint32_t, thunk16_record*)>("thunk16_record_get")(i, &r), 1) << i;
    return r;
  }
  thunk16_record last() const { return record(records() - 1); }
  void configure(const thunk16_config& c) const { sym<void (*)(const thunk16_config*)>("thunk16_configure")(&c); }
  int32_t call_back(word* block) const { return sym<int32_t (*)(uintptr_t*)>("thunk16_call_back")(block); }
};

// A substrate record: word 5 holds the address of the layer's name.
struct Substrate {
  word w[6] = {};
  explicit Substrate(const char* layer) { w[5] = reinterpret_cast<word>(layer); }
};

// Everything one connect needs, with recognisable values.
struct Call {
  char a1[4] = "a1", a2[4] = "a2", a3[4] = "a3";
  Substrate sub{"KORVEX"};
  word result[3] = {0x77, 0x1001, 0x2002};
  word out1 = 0x77, out2 = 0x77;
  word conn[5] = {0, 0, 0, 0, 0};

  int32_t run(Connect c, osn_thunk_notify_fn notify = nullptr, uint32_t key = 0) {
    return c(a1, a2, a3, 0x44, &sub, 0x66, result, conn, &out1, &out2, notify, key);
  }
  const osn_thunk_table* table() const { return reinterpret_cast<const osn_thunk_table*>(result[0]); }
};

std::vector<int32_t> translated(const thunk16_record& r) { return {r.translated, r.translated + r.ntranslated}; }

std::vector<uint32_t> notified;
void notify_a(uint32_t key) { notified.push_back(key); }
void notify_b(uint32_t key) { notified.push_back(1000 + key); }

}  // namespace

TEST(Thunk, NtLikePlatformLoadsWithoutThunk) {
  for (const char* which : {"a", "b"}) {
    Thunk t(which, false);
    ASSERT_NE(t.lib, nullptr) << dlerror();
    ASSERT_NE(t.connect, nullptr);
    EXPECT_EQ(t.drv, nullptr) << "no driver is loaded without a thunk";
    Call call;
    EXPECT_EQ(call.run(t.connect), OSN_THUNK_NO_THUNK);
    EXPECT_EQ(call.result[0], 0x77u);
    EXPECT_EQ(call.out1, 0x77u);
  }
}

TEST(Thunk, RefusedRegistrationLeavesNoThunk) {
  setenv("ZUNT_THUNK16", "refuse_init", 1);
  Thunk t("a", true);
  unsetenv("ZUNT_THUNK16");
  ASSERT_NE(t.lib, nullptr) << dlerror();
  EXPECT_EQ(t.drv, nullptr) << "the refusing driver is released again";
  Call call;
  EXPECT_EQ(call.run(t.connect), OSN_THUNK_NO_THUNK);
}

TEST(Thunk, ConnectBlockWordByWord) {
  struct Case {
    const char* layer;  // null: no name
    bool null_record;
    word flag;
  };
  const Case cases[] = {
      {"KORVEX", false, 1}, {"korvex", false, 0}, {"KORVEX2", false, 0},
      {"KORVE", false, 0},  {nullptr, false, 0},  {"KORVEX", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layer ? c.layer : "(null)");
    Thunk t("a", true);
    ASSERT_NE(t.drv, nullptr);
    Call call;
    call.sub = Substrate(c.layer);
    const word before[5] = {0x10, 0x11, 0x12, 0x13, 0x14};
    std::memcpy(call.conn, before, sizeof before);
    const void* sub = c.null_record ? nullptr : &call.sub;
    ASSERT_EQ(t.connect(call.a1, call.a2, call.a3, 0x44, sub, 0x66, call.result, call.conn, &call.out1, &call.out2,
                        nullptr, 0xABCD),
              0);

    ASSERT_EQ(t.records(), 1u);
    const thunk16_record r = t.last();
    EXPECT_EQ(r.code, 2u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r.words[i], before[i]) << i;
    EXPECT_EQ(r.words[5], 0u);
    EXPECT_EQ(r.words[6], 0u);  // slot 0
    EXPECT_EQ(r.words[7], reinterpret_cast<word>(call.a1));
    EXPECT_EQ(r.words[8], reinterpret_cast<word>(call.a2));
    EXPECT_EQ(r.words[9], reinterpret_cast<word>(call.a3));
    EXPECT_EQ(r.words[10], 0x44u);
    EXPECT_EQ(r.words[11], 0x66u);
    EXPECT_EQ(r.words[12], reinterpret_cast<word>(&call.out1));
    EXPECT_EQ(r.words[13], reinterpret_cast<word>(&call.out2));
    EXPECT_EQ(r.words[14], 0xABCDu);
    EXPECT_EQ(r.words[15], c.flag);
    EXPECT_EQ(r.words[16], reinterpret_cast<word>(sub));
    EXPECT_NE(r.words[17], 0u);
    EXPECT_NE(r.words[18], 0u);
    EXPECT_NE(r.words[17], r.words[18]);
    EXPECT_EQ(translated(r), (std::vector<int32_t>{0, 2, 3, 4, 7, 8, 9, 12, 13, 16, 17, 18}));

    // The driver's answers reach the caller; the substrate copies only for "KORVEX".
    EXPECT_EQ(call.out1, 4096u);
    EXPECT_EQ(call.out2, 1u);
    ASSERT_NE(call.table(), nullptr);
    EXPECT_EQ(call.result[1], c.flag ? 0x1101u : 0x1001u);
    EXPECT_EQ(call.result[2], c.flag ? 0x2202u : 0x2002u);
    EXPECT_NE(call.conn[0], 0u);
    EXPECT_EQ(call.conn[1], 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(call.conn[2]), "THUNKA16.DLL");
    EXPECT_NE(call.conn[3], 0u);
    EXPECT_NE(call.conn[4], 0u);
  }
}

TEST(Thunk, EveryOperationForwardsItsBlock) {
  Thunk t("a", true);
  ASSERT_NE(t.drv, nullptr);
  Call call;
  ASSERT_EQ(call.run(t.connect), 0);
  const osn_thunk_table* tab = call.table();
  ASSERT_NE(tab, nullptr);
  for (word z : {tab->send_zero, tab->receive_zero, tab->wait_zero, tab->brk_zero, tab->test_zero, tab->reset_zero,
                 tab->disconnect_zero, tab->extra_zero})
    EXPECT_EQ(z, 0u);

  char out[16] = "hello, driver";
  char in[32] = {};
  word address = 0;
  auto poll = [](void*, uint32_t) -> int32_t { return 0; };
  int poll_arg = 0;

  struct Step {
    const char* what;
    uint32_t code;
    int32_t expect;
    std::vector<word> fields;      // block words 7..; poll pair checked apart
    std::vector<int32_t> list;     // translated words
  };
  const std::vector<Step> steps = {
      {"send", 3, 0, {reinterpret_cast<word>(out), 13, 0}, {0, 2, 3, 4, 7}},
      {"receive", 4, 0, {reinterpret_cast<word>(in), sizeof in, 0}, {0, 2, 3, 4, 7}},
      {"wait", 10, 0, {0, reinterpret_cast<word>(&address), 99, reinterpret_cast<word>(call.conn)}, {0, 1, 2, 3, 4, 8}},
      {"break", 6, 0, {}, {0, 2, 3, 4}},
      {"test", 8, 3111, {}, {0, 2, 3, 4}},
      {"reset", 7, 0, {}, {0, 2, 3, 4}},
      {"test", 8, 0, {}, {0, 2, 3, 4}},
      {"eighth", 5, 0, {}, {0, 2, 3, 4}},
      {"disconnect", 1, 0, {}, {0, 2, 3, 4}},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    SCOPED_TRACE(s.what);
    word before[5];
    std::memcpy(before, call.conn, sizeof before);
    const word value = 100 + i;
    int32_t rc = -1;
    switch (s.code) {
      case 3: rc = tab->send(call.conn, value, out, 13); break;
      case 4: rc = tab->receive(call.conn, value, in, sizeof in); break;
      case 10: rc = tab->wait(call.conn, value, poll, &poll_arg, &address, 99); break;
      case 6: rc = tab->brk(call.conn, value); break;
      case 8: rc = tab->test(call.conn, value); break;
      case 7: rc = tab->reset(call.conn, value); break;
      case 5: rc = tab->extra(call.conn, value); break;
      case 1: rc = tab->disconnect(call.conn, value); break;
    }
    EXPECT_EQ(rc, s.expect);
    const thunk16_record r = t.last();
    EXPECT_EQ(r.code, s.code);
    EXPECT_EQ(r.result, s.expect);
    for (int w = 0; w < 5; ++w) EXPECT_EQ(r.words[w], before[w]) << w;
    EXPECT_EQ(r.words[5], value);
    EXPECT_EQ(r.words[6], 0u);
    for (size_t f = 0; f < s.fields.size(); ++f) {
      // Word 7 of the wait is the address of the pair on the thunk's stack; the polling
      // test follows it.
      if (s.code == 10 && f == 0) {
        EXPECT_NE(r.words[7], 0u);
      } else {
        EXPECT_EQ(r.words[7 + f], s.fields[f]) << "word " << 7 + f;
      }
    }
    EXPECT_EQ(translated(r), s.list);
    // The driver's new state is copied back into the caller's block.
    if (s.code == 1) {
      EXPECT_EQ(call.conn[0], 0u);
      EXPECT_EQ(call.conn[2], 0u);
    } else {
      EXPECT_EQ(call.conn[0], before[0]);
    }
    EXPECT_EQ(call.conn[1], before[1] + 1);
  }
  EXPECT_STREQ(in, "hello, driver");

  // The disconnect freed the slot: the next operation does not reach the driver.
  const uint32_t n = t.records();
  EXPECT_EQ(tab->test(call.conn, 0), OSN_THUNK_NOT_CONNECTED);
  EXPECT_EQ(t.records(), n);
}

TEST(Thunk, ThirtyThreeConnectionsAndSlotReuse) {
  Thunk t("a", true);
  ASSERT_NE(t.drv, nullptr);
  Call calls[OSN_THUNK_SLOTS + 1];
  for (int i = 0; i < OSN_THUNK_SLOTS; ++i) {
    ASSERT_EQ(calls[i].run(t.connect, notify_a, static_cast<uint32_t>(i)), 0) << i;
    EXPECT_EQ(t.last().words[6], static_cast<word>(i));
  }
  Call& extra = calls[OSN_THUNK_SLOTS];
  const uint32_t n = t.records();
  EXPECT_EQ(extra.run(t.connect, notify_a, 99), OSN_THUNK_NO_SLOT);
  EXPECT_EQ(t.records(), n) << "the driver is not asked";
  EXPECT_EQ(extra.conn[0], 0u);
  EXPECT_EQ(extra.result[0], 0x77u);

  // The table is unchanged: every connection still reaches its own slot, and the rejected
  // connect's key reaches nobody.
  const osn_thunk_table* tab = calls[0].table();
  for (int i = 0; i < OSN_THUNK_SLOTS; ++i) {
    ASSERT_EQ(tab->extra(calls[i].conn, 0), 0) << i;
    EXPECT_EQ(t.last().words[6], static_cast<word>(i));
  }
  EXPECT_EQ(tab->extra(extra.conn, 0), OSN_THUNK_NOT_CONNECTED);
  notified.clear();
  word cb[9] = {9, 99};
  t.call_back(cb);
  EXPECT_TRUE(notified.empty());

  // Connecting an active block again keeps its slot; a disconnect frees one for a newcomer.
  ASSERT_EQ(calls[7].run(t.connect, notify_b, 700), 0);
  EXPECT_EQ(t.last().words[6], 7u);
  EXPECT_EQ(tab->disconnect(calls[12].conn, 0), 0);
  ASSERT_EQ(extra.run(t.connect, notify_a, 99), 0);
  EXPECT_EQ(t.last().words[6], 12u);
  ASSERT_EQ(calls[12].run(t.connect, notify_a, 12), OSN_THUNK_NO_SLOT);
}

TEST(Thunk, NotificationsReachActiveSlotsOnly) {
  Thunk t("a", true);
  ASSERT_NE(t.drv, nullptr);
  Call a, b, d;
  ASSERT_EQ(a.run(t.connect, notify_a, 7), 0);
  ASSERT_EQ(b.run(t.connect, notify_b, 8), 0);
  ASSERT_EQ(d.run(t.connect, notify_a, 9), 0);
  const osn_thunk_table* tab = a.table();

  struct Case {
    word key;
    std::vector<uint32_t> expect;
  };
  auto deliver = [&](const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      notified.clear();
      word cb[9] = {9, c.key};
      EXPECT_EQ(t.call_back(cb), 0);
      EXPECT_EQ(notified, c.expect) << "key " << c.key;
    }
  };
  deliver({{7, {7}}, {8, {1008}}, {9, {9}}, {10, {}}});

  // A connect with the same block replaces the notification; a disconnected slot drops it.
  ASSERT_EQ(a.run(t.connect, notify_b, 17), 0);
  ASSERT_EQ(tab->disconnect(b.conn, 0), 0);
  deliver({{7, {}}, {17, {1017}}, {8, {}}});

  // A freed slot's old key (slot 0) does not hide an active connection that now uses it
  // (slot 2).
  ASSERT_EQ(tab->disconnect(a.conn, 0), 0);
  ASSERT_EQ(d.run(t.connect, notify_a, 17), 0);
  EXPECT_EQ(t.last().words[6], 2u);
  deliver({{17, {17}}, {9, {}}});

  // A connection without a notification function is passed over quietly.
  Call c;
  ASSERT_EQ(c.run(t.connect, nullptr, 30), 0);
  deliver({{30, {}}});

  // Notifications the driver delivers while it serves a request.
  thunk16_config cfg{};
  cfg.notify_on = 8;
  cfg.notify_key = 17;
  t.configure(cfg);
  notified.clear();
  EXPECT_EQ(tab->test(d.conn, 0), 0);
  EXPECT_EQ(notified, (std::vector<uint32_t>{17}));

  // Unknown callback requests are ignored.
  notified.clear();
  word other[9] = {4, 17};
  EXPECT_EQ(t.call_back(other), 0);
  EXPECT_TRUE(notified.empty());
}

namespace {
struct PollSeen {
  uint32_t calls = 0;
  uint32_t value = 0;
  word state[5] = {};
  word* conn = nullptr;
};
int32_t poll_fn(void* arg, uint32_t value) {
  auto* seen = static_cast<PollSeen*>(arg);
  ++seen->calls;
  seen->value = value;
  std::memcpy(seen->state, seen->conn, sizeof seen->state);
  seen->conn[1] = 0x5151;  // the polling function changes the connection state
  return 77;
}
}  // namespace

TEST(Thunk, PollingCallbackSeesAndChangesConnectionState) {
  Thunk t("a", true);
  ASSERT_NE(t.drv, nullptr);
  Call call;
  ASSERT_EQ(call.run(t.connect), 0);
  thunk16_config cfg{};
  cfg.poll_on_wait = 1;
  cfg.poll_value = 42;
  t.configure(cfg);

  PollSeen seen;
  seen.conn = call.conn;
  const word before[5] = {call.conn[0], call.conn[1], call.conn[2], call.conn[3], call.conn[4]};
  word address = 0;
  EXPECT_EQ(call.table()->wait(call.conn, 5, poll_fn, &seen, &address, 6), 77);
  EXPECT_EQ(seen.calls, 1u);
  EXPECT_EQ(seen.value, 42u);
  // The polling function saw the driver's state of the moment (one more request served).
  EXPECT_EQ(seen.state[0], before[0]);
  EXPECT_EQ(seen.state[1], before[1] + 1);
  EXPECT_EQ(seen.state[2], before[2]);
  // Its change went back to the driver and from there into the caller's block.
  EXPECT_EQ(call.conn[1], 0x5151u);
  EXPECT_EQ(call.conn[0], before[0]);

  // A polling request naming no pair or area runs nothing and fails nothing.
  word cb[9] = {10, 1, 0, 1, 2, 3, 4, 5, 0};
  EXPECT_EQ(t.call_back(cb), 0);
  EXPECT_EQ(cb[3], 1u);
}

TEST(Thunk, FailedConnectFreesItsSlot) {
  Thunk t("a", true);
  ASSERT_NE(t.drv, nullptr);
  thunk16_config cfg{};
  cfg.connect_error = 4242;
  t.configure(cfg);
  Call a;
  const word before[5] = {1, 2, 3, 4, 5};
  std::memcpy(a.conn, before, sizeof before);
  EXPECT_EQ(a.run(t.connect, notify_a, 5), 4242);
  EXPECT_EQ(t.last().code, 2u);
  EXPECT_EQ(a.out1, 0u) << "result words are cleared before the driver runs";
  EXPECT_EQ(a.out2, 0u);
  EXPECT_EQ(std::memcmp(a.conn, before, sizeof before), 0) << "no copy-back after a failure";
  EXPECT_EQ(a.result[0], 0x77u);
  EXPECT_EQ(a.result[1], 0x1001u) << "substrate copies stay with the thunk";
  EXPECT_EQ(a.result[2], 0x2002u);
  notified.clear();
  word cb[9] = {9, 5};
  t.call_back(cb);
  EXPECT_TRUE(notified.empty());

  t.configure(thunk16_config{});
  Call b;
  ASSERT_EQ(b.run(t.connect), 0);
  EXPECT_EQ(t.last().words[6], 0u) << "the failed connect's slot is free again";
}

TEST(Thunk, NeverConnectedBlockFindsNoSlot) {
  Thunk t("a", true);
  ASSERT_NE(t.drv, nullptr);
  Call good;
  ASSERT_EQ(good.run(t.connect), 0);
  const osn_thunk_table* tab = good.table();
  word stranger[5] = {9, 9, 9, 9, 9};
  const uint32_t n = t.records();
  word address = 0;
  char buf[4] = {};
  for (word* conn : {stranger, static_cast<word*>(nullptr)}) {
    EXPECT_EQ(tab->send(conn, 0, buf, 4), OSN_THUNK_NOT_CONNECTED);
    EXPECT_EQ(tab->receive(conn, 0, buf, 4), OSN_THUNK_NOT_CONNECTED);
    EXPECT_EQ(tab->wait(conn, 0, nullptr, nullptr, &address, 0), OSN_THUNK_NOT_CONNECTED);
    EXPECT_EQ(tab->brk(conn, 0), OSN_THUNK_NOT_CONNECTED);
    EXPECT_EQ(tab->test(conn, 0), OSN_THUNK_NOT_CONNECTED);
    EXPECT_EQ(tab->reset(conn, 0), OSN_THUNK_NOT_CONNECTED);
    EXPECT_EQ(tab->disconnect(conn, 0), OSN_THUNK_NOT_CONNECTED);
    EXPECT_EQ(tab->extra(conn, 0), OSN_THUNK_NOT_CONNECTED);
  }
  EXPECT_EQ(t.records(), n);
  EXPECT_EQ(stranger[1], 9u);

  // Connect arguments the thunk would have to write through are refused the same way.
  Call c;
  word w = 0;
  EXPECT_EQ(t.connect(c.a1, c.a2, c.a3, 0, &c.sub, 0, nullptr, c.conn, &c.out1, &c.out2, nullptr, 0),
            OSN_THUNK_NOT_CONNECTED);
  EXPECT_EQ(t.connect(c.a1, c.a2, c.a3, 0, &c.sub, 0, c.result, nullptr, &c.out1, &c.out2, nullptr, 0),
            OSN_THUNK_NOT_CONNECTED);
  EXPECT_EQ(t.connect(c.a1, c.a2, c.a3, 0, &c.sub, 0, c.result, c.conn, nullptr, &w, nullptr, 0),
            OSN_THUNK_NOT_CONNECTED);
  EXPECT_EQ(t.connect(c.a1, c.a2, c.a3, 0, &c.sub, 0, c.result, c.conn, &w, nullptr, nullptr, 0),
            OSN_THUNK_NOT_CONNECTED);
  EXPECT_EQ(t.records(), n);
  ASSERT_EQ(c.run(t.connect), 0);
  EXPECT_EQ(t.last().words[6], 1u);
}

TEST(Thunk, BothLibrariesInOneProcess) {
  Thunk a("a", true);
  Thunk b("b", true);
  ASSERT_NE(a.drv, nullptr);
  ASSERT_NE(b.drv, nullptr);
  Call ca, cb;
  ASSERT_EQ(ca.run(a.connect), 0);
  ASSERT_EQ(cb.run(b.connect), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(ca.conn[2]), "THUNKA16.DLL");
  EXPECT_STREQ(reinterpret_cast<const char*>(cb.conn[2]), "THUNKB16.DLL");
  EXPECT_NE(ca.table(), cb.table());
  // Each library keeps its own slot table and reaches only its own driver.
  EXPECT_EQ(a.last().words[6], 0u);
  EXPECT_EQ(b.last().words[6], 0u);
  EXPECT_EQ(cb.table()->send(cb.conn, 0, cb.a1, 2), 0);
  EXPECT_EQ(a.records(), 1u);
  EXPECT_EQ(b.records(), 2u);
  EXPECT_EQ(ca.table()->send(cb.conn, 0, cb.a1, 2), OSN_THUNK_NOT_CONNECTED);
  EXPECT_EQ(ca.table()->disconnect(ca.conn, 0), 0);
  EXPECT_EQ(a.records(), 2u);
  EXPECT_EQ(b.records(), 2u);
}

namespace {
int32_t poll_and_test(void* arg, uint32_t value) {
  // A polling function may itself use the connection while the driver waits.
  auto* conn = static_cast<word*>(arg);
  const auto* tab = reinterpret_cast<const osn_thunk_table*>(conn[5]);
  return tab->test(conn, 0) == 0 ? static_cast<int32_t>(value) : -1;
}
}  // namespace

TEST(Thunk, DriverConfiguredThroughTheEnvironment) {
  struct Case {
    const char* env;
    int32_t connect;     // the connect's result
    int32_t wait;        // the wait's result (when connected)
    uint32_t notify_on;  // request code that brings a notification for key 3 (0: none)
  };
  const Case cases[] = {
      {"connect_error=77", 77, 0, 0},
      {"poll=5", 0, 5, 0},
      {"notify=8:3", 0, 0, 8},
      {"poll=9,notify=10:3", 0, 9, 10},
      {"bogus,poll=", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.env);
    setenv("ZUNT_THUNK16", c.env, 1);
    Thunk t("b", true);
    unsetenv("ZUNT_THUNK16");
    ASSERT_NE(t.drv, nullptr);
    // The connection block with the table's address after it, for the polling function.
    word conn[6] = {};
    Call call;
    notified.clear();
    ASSERT_EQ(t.connect(call.a1, call.a2, call.a3, 0, &call.sub, 0, call.result, conn, &call.out1, &call.out2,
                        notify_a, 3),
              c.connect);
    if (c.connect != 0) continue;
    conn[5] = call.result[0];
    const osn_thunk_table* tab = call.table();
    word address = 0;
    EXPECT_EQ(tab->wait(conn, 0, poll_and_test, conn, &address, 0), c.wait);
    EXPECT_EQ(tab->test(conn, 0), 0);
    const std::vector<uint32_t> expect = c.notify_on != 0 ? std::vector<uint32_t>{3} : std::vector<uint32_t>{};
    EXPECT_EQ(notified, expect);
  }
}
