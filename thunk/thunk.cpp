// THUNKA32 / THUNKB32: forwards a connection and every later operation on it to a 16-bit
// driver through the universal thunk. This one source builds both libraries; the name of
// the 16-bit library (ZUNT_THUNK16_LIBRARY) is the only difference.
//
// Each request goes to the driver's dispatcher as a parameter block of words on this
// library's stack, with a null-terminated list of the addresses of the block words that
// hold pointers. The driver keeps its per-connection state in the caller's five-word
// connection block, which is copied into every block and copied back after the call.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dynload.h"
#include "sysinfo.h"
#include "thunk_entry.h"
#include "uthunk.h"
#include "zunt/thunk.h"

#ifndef ZUNT_THUNK16_LIBRARY
#error "ZUNT_THUNK16_LIBRARY names the 16-bit library this build talks to"
#endif

namespace zunt::thunk {
namespace {

using platform::UtDispatch32;
using word = uintptr_t;

// Request codes of the 16-bit dispatcher.
constexpr uint32_t kRequestDisconnect = 1;
constexpr uint32_t kRequestConnect = 2;
constexpr uint32_t kRequestSend = 3;
constexpr uint32_t kRequestReceive = 4;
constexpr uint32_t kRequestExtra = 5;
constexpr uint32_t kRequestBreak = 6;
constexpr uint32_t kRequestReset = 7;
constexpr uint32_t kRequestTest = 8;
constexpr uint32_t kRequestWait = 10;

// Requests of the 16-bit side's callback block.
constexpr word kCallbackNotify = 9;
constexpr word kCallbackPoll = 10;

constexpr int kConnWords = OSN_THUNK_CONNECTION_WORDS;
constexpr int kConnectWords = 19;
constexpr int kMaxOperationWords = 11;  // the wait's block: 7 common words and 4 of its own

// Word 5 of the substrate record holds the address of the layer's name.
constexpr int kSubstrateNameWord = 5;
constexpr char kSubstrateKorvex[] = "KORVEX";

struct Slot {
  const uintptr_t* key;       // the caller's connection block; null while never used
  uint32_t notify_key;        // key the driver's notifications name this connection by
  osn_thunk_notify_fn notify; // called with notify_key on a notification
  bool active;
};

// The pair the wait entry hands to the driver: polling function and its argument, in this
// order, as two words.
struct PollPair {
  osn_thunk_poll_fn poll;
  void* argument;
};

static_assert(sizeof(PollPair) == 2 * sizeof(word), "the pair is two words");
static_assert(sizeof(osn_thunk_table) == 16 * sizeof(word), "eight entries of two words");

// Process-wide state (no lock: one caller thread drives the thunk).
int32_t attaches = 0;
word thunk_flag = 1;  // non-zero until the first attach finds an NT-like platform
platform::Module kernel = nullptr;
platform::UtRegisterFn ut_register = nullptr;
platform::UtUnRegisterFn ut_unregister = nullptr;
UtDispatch32 dispatcher = nullptr;
Slot slots[OSN_THUNK_SLOTS];

int find_active(const uintptr_t* connection) noexcept {
  for (int i = 0; i < OSN_THUNK_SLOTS; ++i)
    if (slots[i].active && slots[i].key == connection) return i;
  return -1;
}

void copy_words(word* to, const word* from) noexcept {
  for (int i = 0; i < kConnWords; ++i) to[i] = from[i];
}

// Builds an operation's block (five connection words, the value, the slot index, the
// operation's fields), calls the dispatcher, copies the connection words back. The
// translation list names words 0, 2, 3 and 4, word 1 when asked, and the fields whose bit
// is set in `translated_fields`.
int32_t forward(uintptr_t* connection, uint32_t code, word value, const word* fields, int nfields,
                unsigned translated_fields, bool translate_word1, bool release) noexcept {
  if (dispatcher == nullptr) return OSN_THUNK_NO_THUNK;
  const int slot = find_active(connection);
  if (slot < 0) return OSN_THUNK_NOT_CONNECTED;

  word block[kMaxOperationWords] = {};
  copy_words(block, connection);
  block[5] = value;
  block[6] = static_cast<word>(slot);
  for (int i = 0; i < nfields; ++i) block[7 + i] = fields[i];

  void* list[kConnWords + 4 + 1];
  int n = 0;
  list[n++] = &block[0];
  if (translate_word1) list[n++] = &block[1];
  list[n++] = &block[2];
  list[n++] = &block[3];
  list[n++] = &block[4];
  for (int i = 0; i < nfields; ++i)
    if ((translated_fields >> i) & 1u) list[n++] = &block[7 + i];
  list[n] = nullptr;

  const int32_t rc = dispatcher(block, code, list);
  copy_words(connection, block);
  if (release) slots[slot].active = false;
  return rc;
}

int32_t op_send(uintptr_t* connection, uintptr_t value, void* buffer, uintptr_t length) {
  const word fields[] = {reinterpret_cast<word>(buffer), length, 0};
  return forward(connection, kRequestSend, value, fields, 3, 0x1u, false, false);
}

int32_t op_receive(uintptr_t* connection, uintptr_t value, void* buffer, uintptr_t length) {
  const word fields[] = {reinterpret_cast<word>(buffer), length, 0};
  return forward(connection, kRequestReceive, value, fields, 3, 0x1u, false, false);
}

int32_t op_wait(uintptr_t* connection, uintptr_t value, osn_thunk_poll_fn poll, void* poll_argument,
                void* address, uintptr_t value2) {
  // The driver hands the pair's address back untranslated in a polling callback.
  PollPair pair{poll, poll_argument};
  const word fields[] = {reinterpret_cast<word>(&pair), reinterpret_cast<word>(address), value2,
                         reinterpret_cast<word>(connection)};
  return forward(connection, kRequestWait, value, fields, 4, 0x2u, true, false);
}

int32_t op_break(uintptr_t* connection, uintptr_t value) {
  return forward(connection, kRequestBreak, value, nullptr, 0, 0, false, false);
}
int32_t op_test(uintptr_t* connection, uintptr_t value) {
  return forward(connection, kRequestTest, value, nullptr, 0, 0, false, false);
}
int32_t op_reset(uintptr_t* connection, uintptr_t value) {
  return forward(connection, kRequestReset, value, nullptr, 0, 0, false, false);
}
int32_t op_disconnect(uintptr_t* connection, uintptr_t value) {
  return forward(connection, kRequestDisconnect, value, nullptr, 0, 0, false, true);
}
int32_t op_extra(uintptr_t* connection, uintptr_t value) {
  return forward(connection, kRequestExtra, value, nullptr, 0, 0, false, false);
}

const osn_thunk_table operation_table = {
    op_send, 0, op_receive, 0, op_wait, 0, op_break, 0,
    op_test, 0, op_reset,   0, op_disconnect, 0, op_extra, 0,
};

// The callback entry: the 16-bit side asks for a polling function to run or delivers a
// notification.
int32_t callback(void* raw, uint32_t /*value*/) noexcept {
  if (raw == nullptr) return 0;
  word* cb = static_cast<word*>(raw);
  if (cb[0] == kCallbackPoll) {
    // The polling function sees the driver's current connection state in the caller's
    // block and may change it; the driver gets the block back.
    const auto* pair = reinterpret_cast<const PollPair*>(cb[2]);
    auto* area = reinterpret_cast<word*>(cb[8]);
    if (area != nullptr) copy_words(area, cb + 3);
    int32_t rc = 0;
    if (pair != nullptr && pair->poll != nullptr) rc = pair->poll(pair->argument, static_cast<uint32_t>(cb[1]));
    if (area != nullptr) copy_words(cb + 3, area);
    return rc;
  }
  if (cb[0] == kCallbackNotify) {
    // Only an active connection receives it; a stale key in a freed slot does not hide an
    // active connection that uses the same key.
    const auto key = static_cast<uint32_t>(cb[1]);
    for (const Slot& s : slots) {
      if (s.active && s.notify_key == key) {
        if (s.notify != nullptr) s.notify(key);
        break;
      }
    }
  }
  return 0;
}

void drop_thunk_services() noexcept {
  if (kernel != nullptr) platform::free_library(kernel);
  kernel = nullptr;
  ut_register = nullptr;
  ut_unregister = nullptr;
  dispatcher = nullptr;
}

bool attach() noexcept {
  if (thunk_flag == 0) return true;
  if (++attaches != 1) return true;
  thunk_flag = platform::version() & 0x80000000u;
  if (thunk_flag == 0) return true;  // NT-like: no thunk

  kernel = platform::load_library("Kernel32.Dll");
  if (kernel != nullptr) {
    ut_register = reinterpret_cast<platform::UtRegisterFn>(platform::get_proc_address(kernel, "UTRegister"));
    ut_unregister = reinterpret_cast<platform::UtUnRegisterFn>(platform::get_proc_address(kernel, "UTUnRegister"));
  }
  if (ut_register != nullptr && ut_unregister != nullptr &&
      ut_register(module_identity(), ZUNT_THUNK16_LIBRARY, "thunka16init", "osndispatch16", &dispatcher, callback,
                  nullptr) != 0)
    return true;

  // The load fails: leave nothing behind for the detach to undo.
  drop_thunk_services();
  attaches = 0;
  return false;
}

void detach() noexcept {
  if (attaches <= 0) return;
  if (--attaches != 0 || thunk_flag == 0) return;
  if (ut_unregister != nullptr) ut_unregister(module_identity());
  drop_thunk_services();
}

}  // namespace

bool library_entry(uint32_t reason) noexcept {
  if (reason == kProcessAttach) return attach();
  if (reason == kProcessDetach) detach();
  return true;
}

const void* module_identity() noexcept { return &attaches; }

int32_t attach_count() noexcept { return attaches; }

}  // namespace zunt::thunk

using namespace zunt::thunk;

extern "C" ZUNT_API int32_t osncon32(void* a1, void* a2, void* a3, uintptr_t a4, const void* substrate,
                                     uintptr_t a6, uintptr_t* result, uintptr_t* connection, uintptr_t* out1,
                                     uintptr_t* out2, osn_thunk_notify_fn notify, uint32_t key) {
  if (dispatcher == nullptr) return OSN_THUNK_NO_THUNK;
  if (result == nullptr || connection == nullptr || out1 == nullptr || out2 == nullptr)
    return OSN_THUNK_NOT_CONNECTED;

  const char* layer = nullptr;
  if (substrate != nullptr) layer = reinterpret_cast<const char*>(static_cast<const word*>(substrate)[kSubstrateNameWord]);
  const bool korvex = layer != nullptr && std::strcmp(layer, kSubstrateKorvex) == 0;
  word copy1 = 0;
  word copy2 = 0;
  if (korvex) {
    copy1 = result[1];
    copy2 = result[2];
  }

  word block[kConnectWords];
  copy_words(block, connection);
  block[5] = 0;
  block[6] = 0;
  block[7] = reinterpret_cast<word>(a1);
  block[8] = reinterpret_cast<word>(a2);
  block[9] = reinterpret_cast<word>(a3);
  block[10] = a4;
  block[11] = a6;
  block[12] = reinterpret_cast<word>(out1);
  block[13] = reinterpret_cast<word>(out2);
  block[14] = key;
  block[15] = korvex ? 1 : 0;
  block[16] = reinterpret_cast<word>(substrate);
  block[17] = reinterpret_cast<word>(&copy1);
  block[18] = reinterpret_cast<word>(&copy2);
  void* list[] = {&block[0],  &block[2],  &block[3],  &block[4],  &block[7],  &block[8],  &block[9],
                  &block[12], &block[13], &block[16], &block[17], &block[18], nullptr};
  *out1 = 0;
  *out2 = 0;

  // The same block connecting again keeps its slot; otherwise the first free slot.
  int slot = -1;
  for (int i = 0; i < OSN_THUNK_SLOTS && slot < 0; ++i)
    if (slots[i].key == connection) slot = i;
  for (int i = 0; i < OSN_THUNK_SLOTS && slot < 0; ++i)
    if (!slots[i].active) slot = i;
  if (slot < 0) return OSN_THUNK_NO_SLOT;
  slots[slot] = Slot{connection, key, notify, true};
  block[6] = static_cast<word>(slot);

  const int32_t rc = dispatcher(block, kRequestConnect, list);
  if (rc != 0) {
    slots[slot].active = false;
    return rc;
  }
  result[0] = reinterpret_cast<word>(&operation_table);
  if (korvex) {
    result[1] = copy1;
    result[2] = copy2;
  }
  copy_words(connection, block);
  return 0;
}
