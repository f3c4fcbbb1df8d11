// Stand-in 16-bit driver: serves the thunk's requests, records each one, and calls back
// when told to. One source for both drivers; THUNK16_LIBRARY is the name it answers to.
#include "thunk16.h"

#include <cstdlib>
#include <cstring>

#ifndef THUNK16_LIBRARY
#error "THUNK16_LIBRARY names the driver"
#endif

#define THUNK16_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using word = uintptr_t;

constexpr int kConnections = 64;
constexpr int32_t kNotConnected = 3113;
constexpr int32_t kBreakInForce = 3111;
constexpr word kFailMark = 0xDEAD;

struct Connection {
  bool in_use;
  bool broken;
  unsigned char data[THUNK16_DATA_SIZE];
  word length;
};

const char driver_name[] = THUNK16_LIBRARY;
thunk16_callback_fn callback = nullptr;
thunk16_config config{};
uint32_t inits = 0;
Connection connections[kConnections];
thunk16_record log_ring[THUNK16_LOG_SIZE];
uint32_t logged = 0;

uint32_t block_words(uint32_t code) {
  switch (code) {
    case 2: return 19;
    case 3:
    case 4: return 10;
    case 10: return 11;
    default: return 7;
  }
}

void record(const word* block, uint32_t code, void* const* translated, thunk16_record*& out) {
  thunk16_record& r = log_ring[logged % THUNK16_LOG_SIZE];
  ++logged;
  r = thunk16_record{};
  r.code = code;
  r.nwords = block_words(code);
  std::memcpy(r.words, block, r.nwords * sizeof(word));
  for (void* const* p = translated; p != nullptr && *p != nullptr && r.ntranslated < THUNK16_MAX_TRANSLATED; ++p) {
    const auto a = reinterpret_cast<uintptr_t>(*p);
    const auto b = reinterpret_cast<uintptr_t>(block);
    const bool inside = a >= b && a < b + r.nwords * sizeof(word) && (a - b) % sizeof(word) == 0;
    r.translated[r.ntranslated++] = inside ? static_cast<int32_t>((a - b) / sizeof(word)) : -1;
  }
  out = &r;
}

Connection* connection_of(const word* block) {
  for (Connection& c : connections)
    if (c.in_use && block[0] == reinterpret_cast<word>(&c)) return &c;
  return nullptr;
}

void set_state(word* block, Connection* c) {
  block[0] = reinterpret_cast<word>(c);
  block[2] = reinterpret_cast<word>(driver_name);
  block[3] = reinterpret_cast<word>(c->data);
  block[4] = reinterpret_cast<word>(&c->length);
}

void put(word address, word value) {
  if (address != 0) *reinterpret_cast<word*>(address) = value;
}

int32_t connect(word* block) {
  if (config.connect_error != 0) {
    block[1] = kFailMark;
    put(block[17], kFailMark);
    put(block[18], kFailMark);
    return config.connect_error;
  }
  Connection* c = connection_of(block);  // connecting again keeps the record
  for (int i = 0; c == nullptr && i < kConnections; ++i)
    if (!connections[i].in_use) c = &connections[i];
  if (c == nullptr) return kNotConnected;
  if (!c->in_use) *c = Connection{true, false, {}, 0};
  set_state(block, c);
  block[1] = 1;
  put(block[12], 4096);
  put(block[13], static_cast<word>(c - connections) + 1);
  if (block[15] == 1) {
    if (block[17] != 0) put(block[17], *reinterpret_cast<word*>(block[17]) + 0x100);
    if (block[18] != 0) put(block[18], *reinterpret_cast<word*>(block[18]) + 0x200);
  }
  return 0;
}

int32_t poll(word* block) {
  if (config.poll_on_wait == 0 || callback == nullptr) return 0;
  word cb[9] = {10, config.poll_value, block[7], block[0], block[1], block[2], block[3], block[4], block[10]};
  const int32_t rc = callback(cb, 0);
  for (int i = 0; i < 5; ++i) block[i] = cb[3 + i];
  return rc;
}

int32_t serve(word* block, uint32_t code) {
  if (code == 2) return connect(block);
  Connection* c = connection_of(block);
  if (c == nullptr) return kNotConnected;
  ++block[1];
  switch (code) {
    case 1:
      c->in_use = false;
      block[0] = block[2] = block[3] = block[4] = 0;
      return 0;
    case 3: {
      const word n = block[8] < THUNK16_DATA_SIZE ? block[8] : THUNK16_DATA_SIZE;
      if (n != 0 && block[7] == 0) return kNotConnected;
      if (n != 0) std::memcpy(c->data, reinterpret_cast<const void*>(block[7]), n);
      c->length = n;
      return 0;
    }
    case 4: {
      const word n = block[8] < c->length ? block[8] : c->length;
      if (n != 0 && block[7] == 0) return kNotConnected;
      if (n != 0) std::memcpy(reinterpret_cast<void*>(block[7]), c->data, n);
      return 0;
    }
    case 5: return 0;
    case 6: c->broken = true; return 0;
    case 7: c->broken = false; return 0;
    case 8: return c->broken ? kBreakInForce : 0;
    case 10: return poll(block);
    default: return kNotConnected;
  }
}

// ZUNT_THUNK16: connect_error=N, refuse_init, poll=V, notify=C:K, comma-separated.
void configure_from_environment() {
  config = thunk16_config{};
  const char* env = std::getenv("ZUNT_THUNK16");
  if (env == nullptr) return;
  for (const char* p = env; *p != '\0';) {
    const char* end = std::strchr(p, ',');
    const std::size_t n = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
    auto is = [&](const char* key) { return std::strncmp(p, key, std::strlen(key)) == 0; };
    if (is("connect_error=")) {
      config.connect_error = static_cast<int32_t>(std::strtol(p + 14, nullptr, 10));
    } else if (n == 11 && is("refuse_init")) {
      config.refuse_init = 1;
    } else if (is("poll=")) {
      config.poll_on_wait = 1;
      config.poll_value = static_cast<uint32_t>(std::strtoul(p + 5, nullptr, 10));
    } else if (is("notify=")) {
      char* colon = nullptr;
      config.notify_on = static_cast<uint32_t>(std::strtoul(p + 7, &colon, 10));
      if (colon != nullptr && *colon == ':') config.notify_key = static_cast<uint32_t>(std::strtoul(colon + 1, nullptr, 10));
    }
    if (end == nullptr) break;
    p = end + 1;
  }
}

}  // namespace

THUNK16_EXPORT int32_t thunka16init(thunk16_callback_fn cb, void* /*buffer*/) {
  ++inits;
  configure_from_environment();
  if (config.refuse_init != 0) return 0;
  callback = cb;
  return 1;
}

THUNK16_EXPORT int32_t osndispatch16(void* raw, uint32_t code, void* const* translated) {
  if (raw == nullptr) return kNotConnected;
  auto* block = static_cast<word*>(raw);
  thunk16_record* r = nullptr;
  record(block, code, translated, r);
  if (config.notify_on != 0 && config.notify_on == code && callback != nullptr) {
    word cb[9] = {9, config.notify_key, 0, 0, 0, 0, 0, 0, 0};
    callback(cb, 0);
  }
  const int32_t rc = serve(block, code);
  r->result = rc;
  return rc;
}

THUNK16_EXPORT const char* thunk16_name(void) { return driver_name; }

THUNK16_EXPORT void thunk16_configure(const thunk16_config* c) { config = c != nullptr ? *c : thunk16_config{}; }

THUNK16_EXPORT void thunk16_reset(void) {
  logged = 0;
  for (Connection& c : connections) c.in_use = false;
}

THUNK16_EXPORT uint32_t thunk16_init_count(void) { return inits; }

THUNK16_EXPORT uint32_t thunk16_record_count(void) { return logged; }

THUNK16_EXPORT int32_t thunk16_record_get(uint32_t index, thunk16_record* out) {
  if (out == nullptr || index >= logged || logged - index > THUNK16_LOG_SIZE) return 0;
  *out = log_ring[index % THUNK16_LOG_SIZE];
  return 1;
}

THUNK16_EXPORT int32_t thunk16_call_back(uintptr_t* block) {
  if (callback == nullptr || block == nullptr) return 0;
  return callback(block, 0);
}
