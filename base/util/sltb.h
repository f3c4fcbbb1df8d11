// Internal steps of the configuration lookup (sltbev, sltbes): the per-process answer
// cache, the profile and file searches and the line reader. Declared here so the tests can
// drive each step on its own.
#pragma once

#include <cstdint>

#include "files.h"
#include "zunt/config.h"

namespace zunt::cfg {

// Kinds of a cached answer.
enum : int32_t { kValue = 0, kNotFound = -1, kFailed = -2 };

constexpr uint32_t kMaxEntries = 20;  // cache entries kept, newest first
constexpr uint32_t kMaxChain = 255;   // chained rounds before a lookup counts as looping
constexpr uint32_t kLineBuffer = 256; // bytes of a configuration-file line, NUL included

struct Answer {
  int32_t kind;                      // kValue, kNotFound or kFailed
  uint32_t len;                      // value length (kValue only)
  char value[SLTB_MAXVALUE + 1];     // NUL-terminated value (kValue only)
};

// The cached answer for name (compared ignoring case); false when the cache has none.
bool sltb_cache_get(const char* name, Answer* out) noexcept;
// Puts (name[0, namelen) -> answer) at the head, replacing an entry of the same name and
// dropping the oldest when 20 are held. kNotFound and kFailed carry no value. Allocation
// failure leaves the cache as it was.
void sltb_cache_put(const char* name, uint32_t namelen, int32_t kind, const char* value,
                    uint32_t valuelen) noexcept;
// Entries held, and emptying the cache (tests use both; the environment or files they set up
// change between cases).
uint32_t sltb_cache_count() noexcept;
void sltb_cache_clear() noexcept;

// The configuration file of one sltbev call: closed by the call on every exit.
struct ConfigFile {
  platform::File file;
  bool open = false;
  bool mid_line = false;  // the last piece read did not end its line (the line was too long)
};

// One line piece of at most size - 1 bytes into buf, NUL-terminated: the text ends at a
// line feed (kept, a CR before it becoming the line feed) or before a Ctrl-Z, else it is the
// whole piece read. *len gets the text's length, *ended whether a line feed or Ctrl-Z ended
// it; the file is left right after the end mark (or the piece). Returns the bytes consumed
// from the file, 0 at the end of the file or on a read error.
uint32_t sltb_readline(char* buf, uint32_t size, platform::File f, uint32_t* len, bool* ended) noexcept;

// The profile value of name into out (kLineBuffer bytes): its length, 0 when not found (rec
// then holds SLTB_NOTFOUND).
uint32_t sltb_profile_get(sl_oserr* rec, const char* name, char* out) noexcept;
// The cleaned value of name's line in the configuration file into out (kLineBuffer bytes):
// its length, or -1 when not found (rec then holds SLTB_NOTFOUND). The file is opened on the
// first call of an sltbev call and left open after a match, so a chained round reads on
// from the following line.
int32_t sltb_file_get(sl_oserr* rec, ConfigFile& cf, const char* name, char* out) noexcept;

}  // namespace zunt::cfg
