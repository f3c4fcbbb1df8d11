// Named shared memory (the stand-in for named file mappings) and the other platform's
// movable shared global memory, both on POSIX shared memory objects created with mode 0600
// under a per-user prefix. The creator of a segment leaves a marker in the runtime directory;
// segments whose creator died are removed by the next window search, so a killed process
// leaves nothing behind in /dev/shm.
#pragma once

#include <cstdint>

namespace zunt::platform {

// Creates the segment `name` (exclusively) of size bytes, zero-filled, and maps all of it
// read-write. 0 with *handle and *view set, or an errno value.
int shm_create(const char* name, uint32_t size, uint32_t* handle, void** view) noexcept;

// Opens an existing segment and maps its first size bytes read-write. EINVAL when the
// segment is smaller than size.
int shm_open_existing(const char* name, uint32_t size, uint32_t* handle, void** view) noexcept;

// Unmaps a view and closes its handle. 0 or an errno value.
int shm_close(uint32_t handle, void* view, uint32_t size) noexcept;

// Removes the name of a segment this process created (the memory lives on while mapped).
int shm_remove(const char* name) noexcept;

// Removes the name of a segment another process created, once this process has mapped it.
int shm_remove_name(const char* name) noexcept;

// True while the segment behind handle still covers size bytes (it cannot have shrunk under
// the mapping).
bool shm_accessible(uint32_t handle, uint32_t size) noexcept;

// Movable shared global memory: a block any process of the user can lock by its handle.
// global_alloc creates a zero-filled block; global_lock maps it in this process (once; later
// locks return the same address) and counts the lock; global_unlock only counts down, the
// address stays valid until global_free (the creator) or global_detach (any other process).
int global_alloc(uint32_t size, uint32_t* handle) noexcept;
void* global_lock(uint32_t handle, uint32_t* size, int* err) noexcept;
bool global_unlock(uint32_t handle) noexcept;
int global_free(uint32_t handle) noexcept;
void global_detach(uint32_t handle) noexcept;
bool global_accessible(uint32_t handle, uint32_t size) noexcept;

namespace detail {
// Called for each "m." entry of the runtime directory: removes the segment and the marker
// when the creating process has died.
void shm_sweep_marker(const char* dir, const char* entry) noexcept;
}

}  // namespace zunt::platform
