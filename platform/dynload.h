// Dynamic loading: libraries by their product names, entries by name.
//
// Two kinds of module answer to a name:
// - built-in modules, a small table inside this layer: "Kernel32.Dll" offers the universal
//   thunk's "UTRegister" and "UTUnRegister" (uthunk.h). Module names compare without regard
//   to case, and a name without an extension means the same name with ".DLL";
// - driver libraries: "NAME.DLL" (any directory prefix, drive or case) is the shared object
//   libname.so, in lower case. It is searched for in each directory of the environment
//   variable ZUNT_DLL_PATH (colon-separated) in turn, then in the directory of the shared
//   object (or program) that contains this layer, then by the system's usual search.
//   So "THUNKA16.DLL" is the libthunka16.so that lies beside libthunka32.so.
// Entry names compare exactly.
#pragma once

#include <cstddef>

namespace zunt::platform {

using Module = void*;  // opaque; null means "no module"

// Loads the module of that name; null when there is none. Each successful load is paired
// with one free_library.
Module load_library(const char* name) noexcept;

// The address of the module's entry `name`, or null when it has none.
void* get_proc_address(Module module, const char* name) noexcept;

// The shared object file name a driver library name maps to ("C:\\WIN\\THUNKA16.DLL" ->
// "libthunka16.so"), written NUL-terminated into out[0..size). False when the name is null,
// has no file name, or the result does not fit.
bool shared_object_name(const char* name, char* out, std::size_t size) noexcept;

// Releases one load of the module. Returns false for a null module or when the system
// refuses.
bool free_library(Module module) noexcept;

}  // namespace zunt::platform
