// links: zunt32s_core
// The configuration-file reader on arbitrary bytes: the input is written as the file named
// by VLM_CONFIG and several names are looked up, plain and chained. The lookups must stay
// within their buffers and give one of the defined results.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "util/cfgname.h"
#include "util/sltb.h"
#include "zunt/config.h"

namespace {

const char* config_path() {
  static char path[64] = "";
  if (path[0] == '\0') {
    std::snprintf(path, sizeof path, "/tmp/zunt-fuzz-config-%ld.ini", static_cast<long>(getpid()));
    setenv("VLM_CONFIG", path, 1);
    // No name below may come from the environment.
    for (const char* n : {"NLS_LANG", "A", "B", "KEY", "X"}) unsetenv(n);
  }
  return path;
}

void check(int32_t rc, const sl_oserr& rec, uint32_t outsize) {
  if (rc < -2 || rc > static_cast<int32_t>(outsize)) __builtin_trap();
  if (rc == -2 && rec.code != SLTB_FAILED && rec.code != SLTB_TOOLONG) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = config_path();
  if (FILE* f = std::fopen(path, "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  zunt::cfg::sltb_cache_clear();
  static const char* const names[] = {"NLS_LANG", "A", "B", " key ", "X Y", "=", ""};
  for (uint32_t flags : {0u, SLTB_CHAIN}) {
    for (const char* n : names) {
      for (uint32_t outsize : {4u, 255u}) {
        char out[255];
        sl_oserr rec{};
        auto len = static_cast<uint32_t>(std::strlen(n));
        int32_t rc = sltbev(&rec, n, len, out, outsize, flags);
        check(rc, rec, outsize);
      }
    }
  }
  // The name rules on the raw bytes, bounded by n and by a NUL.
  uint32_t n = size > 300 ? 300u : static_cast<uint32_t>(size);
  char out[301];
  if (zunt::cfg::squeeze(reinterpret_cast<const char*>(data), n, out) > n) __builtin_trap();
  if (zunt::cfg::clean(reinterpret_cast<const char*>(data), n, out) > n) __builtin_trap();
  unlink(path);
  return 0;
}
