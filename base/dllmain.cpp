// Load and unload hooks of libzunt32s.so: the dynamic loader runs these when a process maps
// or unmaps the library, where the original ran its DLL entry point.
#include "entry.h"

__attribute__((constructor)) static void zunt32s_load() { zunt::library_attach(); }
__attribute__((destructor)) static void zunt32s_unload() { zunt::library_detach(); }
