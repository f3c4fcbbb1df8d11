// Load and unload hooks of libmirelink.so. A failed class registration leaves the instance
// unset, so every connection attempt then reports 9369 instead of working half-initialised.
#include "osn_internal.h"

__attribute__((constructor)) static void mirelink_load() { zunt::osn::library_attach(); }
__attribute__((destructor)) static void mirelink_unload() { zunt::osn::library_detach(); }
