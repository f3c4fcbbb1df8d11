// The universal thunk: the bridge between a 32-bit library and a 16-bit driver library.
//
// A 32-bit module registers once with a 16-bit library. Registration loads that library,
// calls its initialisation entry with a callback entry the 16-bit side may call later, and
// hands back a 32-bit entry that forwards (block, code, translation list) to the library's
// dispatcher. On this platform the two sides share one flat address space, so translating
// the listed pointer words to 16-bit form is the identity: the words are left as they are
// and the list is passed on, which lets a driver see which words were marked.
//
// The 16-bit library side (what a driver exports under the names given at registration):
//   init:       int32_t init(UtCallback16 callback, void* buffer) -> non-zero to accept
//   dispatcher: int32_t dispatch(void* block, uint32_t code, void* const* translated)
// The callback handed to init forwards (block, value) to the 32-bit callback entry.
//
// Registrations are process-wide within the module that links this layer; they take no
// lock, like the rest of the thunk's state.
#pragma once

#include <cstdint>

namespace zunt::platform {

// The 16-bit library's entries.
using UtCallback16 = int32_t (*)(void* block, uint32_t value);
using UtInit16 = int32_t (*)(UtCallback16 callback, void* buffer);
using UtDispatch16 = int32_t (*)(void* block, uint32_t code, void* const* translated);

// The 32-bit side: the dispatcher entry handed back by registration, and the callback
// entry the registering module supplies.
using UtDispatch32 = int32_t (*)(void* block, uint32_t code, void** translation_list);
using UtCallback32 = int32_t (*)(void* block, uint32_t value);

// The signatures under which the two services are found by name (see dynload.h).
using UtRegisterFn = int32_t (*)(const void* module, const char* library16, const char* init_name,
                                 const char* dispatch_name, UtDispatch32* dispatcher,
                                 UtCallback32 callback, void* buffer);
using UtUnRegisterFn = void (*)(const void* module);

// The most modules that can be registered at once in one process.
inline constexpr int kUtMaxRegistrations = 8;

// Registers `module` with the 16-bit library `library16` (a name such as "THUNKA16.DLL",
// located as dynload.h describes): loads it, finds `init_name` and `dispatch_name`, calls
// init with the callback entry and `buffer`, and stores the dispatcher entry through
// `dispatcher`. Returns 1 on success; 0 when an argument is null, the module is already
// registered, all registrations are taken, the library or an entry is missing, or init
// returns 0 (nothing is then stored and the library is released again).
int32_t ut_register(const void* module, const char* library16, const char* init_name,
                    const char* dispatch_name, UtDispatch32* dispatcher, UtCallback32 callback,
                    void* buffer) noexcept;

// Ends the registration of `module` and releases its 16-bit library; nothing happens when
// the module is not registered. A dispatcher entry handed out for it returns -1 from then
// on, and callbacks from its library return 0 without reaching the module.
void ut_unregister(const void* module) noexcept;

// Whether `module` is currently registered.
bool ut_registered(const void* module) noexcept;

}  // namespace zunt::platform
