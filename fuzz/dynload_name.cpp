// links: zunt_platform
// The mapping of driver library names onto shared object names: any text, any buffer size.
// The result fits the buffer, is "lib...so" and names a file in one directory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "dynload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t cap = data[0];  // buffer sizes 0..255
  char name[512];
  const size_t n = size - 1 < sizeof name - 1 ? size - 1 : sizeof name - 1;
  std::memcpy(name, data + 1, n);
  name[n] = '\0';
  char out[256 + 1];
  out[cap] = '\x7f';
  const bool ok = zunt::platform::shared_object_name(name, out, cap);
  if (out[cap] != '\x7f') std::abort();  // wrote past the buffer
  if (ok) {
    const size_t len = std::strlen(out);
    if (len + 1 > cap || len < 7 || std::strncmp(out, "lib", 3) != 0 || std::strcmp(out + len - 3, ".so") != 0)
      std::abort();
    if (std::strchr(out, '/') != nullptr || std::strchr(out, '\\') != nullptr) std::abort();
    for (const char* p = out; *p != '\0'; ++p)
      if (*p >= 'A' && *p <= 'Z') std::abort();
  }
  return 0;
}
