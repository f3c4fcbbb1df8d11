// The universal thunk: registrations of 32-bit modules with their 16-bit libraries.
//
// Each registration owns a fixed pair of entry points (a dispatcher for the 32-bit side, a
// callback for the 16-bit side), so several modules can talk to several libraries in one
// process and each call reaches the right one without generating code at run time.
#include "uthunk.h"

#include <cstddef>
#include <utility>

#include "dynload.h"

namespace zunt::platform {
namespace {

struct Registration {
  const void* module;        // the registered 32-bit module; null when the entry is free
  Module library;            // the loaded 16-bit library
  UtDispatch16 dispatch16;   // its dispatcher
  UtCallback32 callback32;   // the module's callback entry
};

Registration registrations[kUtMaxRegistrations];

template <int N>
int32_t dispatch_entry(void* block, uint32_t code, void** translation_list) noexcept {
  const Registration& r = registrations[N];
  if (r.module == nullptr || r.dispatch16 == nullptr) return -1;
  // Flat addresses are valid on both sides: the words the list names need no change.
  return r.dispatch16(block, code, translation_list);
}

template <int N>
int32_t callback_entry(void* block, uint32_t value) noexcept {
  const Registration& r = registrations[N];
  if (r.module == nullptr || r.callback32 == nullptr) return 0;
  return r.callback32(block, value);
}

template <std::size_t... I>
constexpr auto make_dispatch_entries(std::index_sequence<I...>) {
  struct Table {
    UtDispatch32 e[sizeof...(I)];
  };
  return Table{{&dispatch_entry<static_cast<int>(I)>...}};
}

template <std::size_t... I>
constexpr auto make_callback_entries(std::index_sequence<I...>) {
  struct Table {
    UtCallback16 e[sizeof...(I)];
  };
  return Table{{&callback_entry<static_cast<int>(I)>...}};
}

constexpr auto dispatch_entries = make_dispatch_entries(std::make_index_sequence<kUtMaxRegistrations>{});
constexpr auto callback_entries = make_callback_entries(std::make_index_sequence<kUtMaxRegistrations>{});

int find(const void* module) noexcept {
  for (int i = 0; i < kUtMaxRegistrations; ++i)
    if (registrations[i].module == module) return i;
  return -1;
}

}  // namespace

int32_t ut_register(const void* module, const char* library16, const char* init_name,
                    const char* dispatch_name, UtDispatch32* dispatcher, UtCallback32 callback,
                    void* buffer) noexcept {
  if (module == nullptr || library16 == nullptr || init_name == nullptr || dispatch_name == nullptr ||
      dispatcher == nullptr)
    return 0;
  if (find(module) >= 0) return 0;
  const int slot = find(nullptr);
  if (slot < 0) return 0;

  Module lib = load_library(library16);
  if (lib == nullptr) return 0;
  auto init = reinterpret_cast<UtInit16>(get_proc_address(lib, init_name));
  auto dispatch16 = reinterpret_cast<UtDispatch16>(get_proc_address(lib, dispatch_name));
  if (init == nullptr || dispatch16 == nullptr) {
    free_library(lib);
    return 0;
  }

  // Fill the entry before init runs: a driver may call back from its initialisation.
  Registration& r = registrations[slot];
  r = Registration{module, lib, dispatch16, callback};
  if (init(callback_entries.e[slot], buffer) == 0) {
    r = Registration{};
    free_library(lib);
    return 0;
  }
  *dispatcher = dispatch_entries.e[slot];
  return 1;
}

void ut_unregister(const void* module) noexcept {
  if (module == nullptr) return;
  const int slot = find(module);
  if (slot < 0) return;
  Module lib = registrations[slot].library;
  registrations[slot] = Registration{};
  free_library(lib);
}

bool ut_registered(const void* module) noexcept { return module != nullptr && find(module) >= 0; }

}  // namespace zunt::platform
