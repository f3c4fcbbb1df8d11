// Load and unload hooks of libthunka32.so and libthunkb32.so: the dynamic loader runs these
// when a process maps or unmaps the library, where the platform called the library entry.
// A shared object's initialiser cannot refuse the load, so a failed attach leaves the
// library loaded without a thunk (osncon32 then returns 3121).
#include "thunk_entry.h"

__attribute__((constructor)) static void thunk_load() {
  (void)zunt::thunk::library_entry(zunt::thunk::kProcessAttach);
}
__attribute__((destructor)) static void thunk_unload() {
  (void)zunt::thunk::library_entry(zunt::thunk::kProcessDetach);
}
