// Configuration lookup: sltbev answers a setting from the per-process cache, the profile
// section "Velmor" or the configuration file; sltbes sets an environment variable.
//
// The answer cache is a list of at most 20 entries, newest first, that remembers values,
// misses and looping chains. The library's data is not shared between processes here, so
// the cache is simply this process's, behind one lock so threads can share it. Its entries
// are ours alone (allocated and freed only below), so they are sound by construction and
// need no probing of their memory.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "profile.h"
#include "util/cfgname.h"
#include "util/sltb.h"
#include "zunt/util.h"

namespace zunt::cfg {
namespace {

struct Entry {
  Entry* next;      // the next older entry
  int32_t kind;     // kValue, kNotFound or kFailed
  uint32_t len;     // value length
  char* name;       // NUL-terminated, inside this allocation
  char* value;      // NUL-terminated, inside this allocation (empty unless kValue)
};

std::mutex cache_lock;
Entry* cache_head = nullptr;

constexpr char kConfigName[] = "VLM_CONFIG";
constexpr char kDefaultFile[] = "VELMOR.INI";

int32_t fail(sl_oserr* rec, uint32_t code, int32_t result) noexcept {
  if (rec) {
    rec->code = code;
    rec->oserr = 0;
    rec->extra = SLTB_EXTRA;
  }
  return result;
}

void close_file(ConfigFile& cf) noexcept {
  if (cf.open) platform::file_close(&cf.file);
  cf.open = false;
  cf.mid_line = false;
}

bool open_file(ConfigFile& cf) noexcept {
  char name[SLTB_MAXVALUE + 1];
  bool named = false;
  Answer a;
  if (sltb_cache_get(kConfigName, &a) && a.kind == kValue) {
    std::memcpy(name, a.value, a.len + 1);
    named = true;
  } else {
    char raw[kLineBuffer];
    uint32_t n = platform::profile_get(kConfigName, raw, sizeof raw);
    if (n > 0) {
      uint32_t len = clean(raw, n, name);
      sltb_cache_put(kConfigName, sizeof kConfigName - 1, kValue, name, len);
      named = true;
    } else {
      sltb_cache_put(kConfigName, sizeof kConfigName - 1, kNotFound, nullptr, 0);
    }
  }
  if (named) {
    // A named file that cannot be opened is no reason to read another one.
    cf.open = name[0] != '\0' && platform::file_open(name, platform::FileMode::read, &cf.file);
  } else {
    char path[platform::kMaxPath];
    cf.open = platform::find_standard(kDefaultFile, path, sizeof path) &&
              platform::file_open(path, platform::FileMode::read, &cf.file);
  }
  cf.mid_line = false;
  return cf.open;
}

}  // namespace

bool sltb_cache_get(const char* name, Answer* out) noexcept {
  std::lock_guard<std::mutex> hold(cache_lock);
  for (Entry* e = cache_head; e != nullptr; e = e->next) {
    if (lstrlcomp(e->name, name) != 0) continue;
    out->kind = e->kind;
    out->len = e->kind == kValue ? e->len : 0;
    std::memcpy(out->value, e->value, out->len);
    out->value[out->len] = '\0';
    return true;
  }
  return false;
}

void sltb_cache_put(const char* name, uint32_t namelen, int32_t kind, const char* value,
                    uint32_t valuelen) noexcept {
  if (kind != kValue) valuelen = 0;
  if (valuelen > SLTB_MAXVALUE) valuelen = SLTB_MAXVALUE;
  namelen = static_cast<uint32_t>(strnlen(name, namelen));
  auto* e = static_cast<Entry*>(std::malloc(sizeof(Entry) + namelen + 1 + valuelen + 1));
  if (e == nullptr) return;
  e->kind = kind;
  e->len = valuelen;
  e->name = reinterpret_cast<char*>(e + 1);
  std::memcpy(e->name, name, namelen);
  e->name[namelen] = '\0';
  e->value = e->name + namelen + 1;
  if (valuelen) std::memcpy(e->value, value, valuelen);
  e->value[valuelen] = '\0';

  std::lock_guard<std::mutex> hold(cache_lock);
  // Two threads may look the same name up at once; keep one entry per name.
  uint32_t count = 0;
  for (Entry** link = &cache_head; *link != nullptr;) {
    Entry* cur = *link;
    if (lstrlcomp(cur->name, e->name) == 0 || count + 1 >= kMaxEntries) {
      *link = cur->next;
      std::free(cur);
      continue;
    }
    ++count;
    link = &cur->next;
  }
  e->next = cache_head;
  cache_head = e;
}

uint32_t sltb_cache_count() noexcept {
  std::lock_guard<std::mutex> hold(cache_lock);
  uint32_t n = 0;
  for (Entry* e = cache_head; e != nullptr; e = e->next) ++n;
  return n;
}

void sltb_cache_clear() noexcept {
  std::lock_guard<std::mutex> hold(cache_lock);
  while (cache_head != nullptr) {
    Entry* next = cache_head->next;
    std::free(cache_head);
    cache_head = next;
  }
}

uint32_t sltb_readline(char* buf, uint32_t size, platform::File f, uint32_t* len, bool* ended) noexcept {
  *len = 0;
  *ended = false;
  if (size == 0) return 0;
  buf[0] = '\0';
  int32_t got = size > 1 ? platform::file_read(f, buf, size - 1) : 0;
  if (got <= 0) return 0;
  auto n = static_cast<uint32_t>(got);
  uint32_t text = n, consumed = n;
  for (uint32_t i = 0; i < n; ++i) {
    if (buf[i] == '\n') {
      if (i > 0 && buf[i - 1] == '\r') {
        buf[i - 1] = '\n';
        text = i;
      } else {
        text = i + 1;
      }
      consumed = i + 1;
      *ended = true;
      break;
    }
    if (buf[i] == '\x1A') {
      text = i;
      consumed = i + 1;
      *ended = true;
      break;
    }
  }
  buf[text] = '\0';
  *len = text;
  if (consumed < n) platform::file_seek(f, -static_cast<int64_t>(n - consumed), platform::Seek::current);
  return consumed;
}

uint32_t sltb_profile_get(sl_oserr* rec, const char* name, char* out) noexcept {
  uint32_t n = platform::profile_get(name, out, kLineBuffer);
  if (n == 0) return static_cast<uint32_t>(fail(rec, SLTB_NOTFOUND, 0));
  if (rec) rec->code = 0;
  return n;
}

int32_t sltb_file_get(sl_oserr* rec, ConfigFile& cf, const char* name, char* out) noexcept {
  if (name[0] == '\0') return fail(rec, SLTB_NOTFOUND, -1);  // no line has an empty key
  if (!cf.open && !open_file(cf)) return fail(rec, SLTB_NOTFOUND, -1);
  char line[kLineBuffer];
  uint32_t len;
  bool ended;
  while (sltb_readline(line, sizeof line, cf.file, &len, &ended) != 0) {
    // The rest of a line longer than the buffer is not a line of its own: skip it, so text
    // deep inside a long value can never pass for another setting.
    bool continuation = cf.mid_line;
    cf.mid_line = !ended;
    if (continuation) continue;
    const char* eq = std::strchr(line, '=');
    if (eq == nullptr) continue;
    char key[kLineBuffer];
    squeeze(line, static_cast<uint32_t>(eq - line), key);
    if (lstrlcomp(key, name) != 0) continue;
    int32_t n = static_cast<int32_t>(clean(eq + 1, len - static_cast<uint32_t>(eq + 1 - line), out));
    if (rec) rec->code = 0;
    return n;
  }
  close_file(cf);
  return fail(rec, SLTB_NOTFOUND, -1);
}

}  // namespace zunt::cfg

using namespace zunt::cfg;

extern "C" {

int32_t sltbev(sl_oserr* rec, const char* name, uint32_t namelen, char* out, uint32_t outsize,
               uint32_t flags) {
  if (rec) rec->code = 0;
  if (name == nullptr || namelen == 0 || out == nullptr || outsize == 0)
    return fail(rec, SLTB_FAILED, -2);
  if (namelen > SLTB_MAXNAME) return fail(rec, SLTB_TOOLONG, -2);

  // The squeezed name is both the first name looked up and the cache key of the answer.
  char key[SLTB_MAXNAME + 1];
  uint32_t keylen = squeeze(name, namelen, key);
  char current[kLineBuffer];
  std::memcpy(current, key, keylen + 1);

  ConfigFile cf;
  char value[kLineBuffer];  // the latest value found
  uint32_t vlen = 0;
  bool have = false;        // a round found a value
  bool from_file = false;   // it came from the file, already cleaned
  uint32_t chained = 0;
  int32_t result;

  for (;;) {
    Answer a;
    if (sltb_cache_get(current, &a)) {
      if (a.kind == kFailed) {
        result = fail(rec, SLTB_FAILED, -2);
        goto done;
      }
      if (a.kind == kNotFound) {
        if (!have) {
          result = -1;
          goto done;
        }
        break;  // a chain ends at a known miss: the previous value is the answer
      }
      std::memcpy(out, a.value, a.len < outsize ? a.len : outsize);
      result = a.len > outsize ? fail(rec, SLTB_TOOLONG, -2) : static_cast<int32_t>(a.len);
      goto done;
    }
    char found[kLineBuffer];
    int32_t flen = static_cast<int32_t>(sltb_profile_get(rec, current, found));
    bool file = false;
    if (flen == 0) {
      flen = sltb_file_get(rec, cf, current, found);
      file = true;
    }
    if (flen < 0) {
      if (!have) {
        sltb_cache_put(key, keylen, kNotFound, nullptr, 0);
        result = -1;  // rec holds SLTB_NOTFOUND from the file search
        goto done;
      }
      break;
    }
    vlen = static_cast<uint32_t>(flen);
    std::memcpy(value, found, vlen + 1);
    have = true;
    from_file = file;
    if ((flags & SLTB_CHAIN) == 0) break;
    if (++chained > kMaxChain) {
      sltb_cache_put(key, keylen, kFailed, nullptr, 0);
      result = fail(rec, SLTB_FAILED, -2);
      goto done;
    }
    // The value names the next setting, unless it is too long (or empty) to be a name.
    uint32_t clen = squeeze(value, vlen, current);
    if (clen == 0 || clen > SLTB_MAXNAME) break;
  }

  {
    char answer[kLineBuffer];
    uint32_t len = vlen;
    if (from_file)
      std::memcpy(answer, value, vlen + 1);
    else
      len = clean(value, vlen, answer);
    std::memcpy(out, answer, len < outsize ? len : outsize);
    if (len > outsize) {
      result = fail(rec, SLTB_TOOLONG, -2);
    } else {
      if (rec) rec->code = 0;
      sltb_cache_put(key, keylen, kValue, answer, len);
      result = static_cast<int32_t>(len);
    }
  }

done:
  close_file(cf);
  return result;
}

int32_t sltbes(sl_oserr* rec, const char* name, uint32_t namelen, const char* value,
               uint32_t valuelen) {
  if (rec) rec->code = 0;
  if (name == nullptr || name[0] == '\0' || namelen == 0) return fail(rec, SLTB_FAILED, 0);
  bool consistent = value != nullptr ? (value[0] != '\0' && valuelen > 0) : valuelen == 0;
  if (!consistent) return fail(rec, SLTB_FAILED, 0);
  if (namelen > SLTB_MAXNAME || valuelen > SLTB_MAXVALUE) return fail(rec, SLTB_TOOLONG, 0);

  char n[SLTB_MAXNAME + 1];
  char v[SLTB_MAXVALUE + 1];
  size_t nl = strnlen(name, namelen);
  size_t vl = value ? strnlen(value, valuelen) : 0;
  std::memcpy(n, name, nl);
  n[nl] = '\0';
  if (vl) std::memcpy(v, value, vl);
  v[vl] = '\0';
  int32_t err = zunt::platform::env_set(n, v);
  if (err == ENOMEM) return fail(rec, SLTB_NOMEM, 0);
  if (err != 0) return fail(rec, SLTB_FAILED, 0);
  return 1;
}

}  // extern "C"
