// The connect text's tokens and numbers, and the one setting of the library,
// _two_task_quantum, read from the environment and then from the registry stand-in.
#include <cstdlib>
#include <cstring>

#include "base/util/cfgname.h"
#include "osn_internal.h"
#include "registry.h"

namespace zunt::osn {

void split_tokens(const char* text, uint32_t n, Tokens* out) noexcept {
  std::memset(out, 0, sizeof *out);
  if (text == nullptr) return;
  if (n > kMaxConnectText) n = kMaxConnectText;
  uint32_t len = 0;
  while (len < n && text[len] != '\0') ++len;
  auto separator = [](char c) { return c == ',' || c == ' ' || c == '\t'; };
  uint32_t i = 0;
  while (i < len && out->count < kMaxTokens) {
    while (i < len && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == len) break;
    char* t = out->tok[out->count++];
    uint32_t w = 0;
    for (; i < len && !separator(text[i]); ++i)
      if (w < kMaxTokenLen) t[w++] = text[i];
    t[w] = '\0';
    if (i < len) ++i;  // the separator that ended the token
  }
}

int32_t read_number(const char* s) noexcept {
  if (s == nullptr) return 0;
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  bool neg = false;
  if (*s == '+' || *s == '-') neg = *s++ == '-';
  int64_t v = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    v = v * 10 + (*s - '0');
    if (v > 2147483648LL) v = 2147483648LL;
  }
  if (neg) v = -v;
  if (v > 2147483647LL) v = 2147483647LL;
  return static_cast<int32_t>(v);
}

uint32_t client_buffer_size(const Tokens& t) noexcept {
  int32_t v = t.count >= 2 ? read_number(t.tok[1]) : 0;
  return v < 256 || v > 65535 ? 4096u : static_cast<uint32_t>(v);
}

void server_connect_values(const Tokens& t, uint32_t* size, uint16_t* peer_platform, uint32_t* peer_window) noexcept {
  const char* size_text = t.tok[0];
  if (size_text[0] != '\0' && size_text[1] == ':') size_text += 2;
  int32_t v = t.count >= 1 ? read_number(size_text) : 0;
  // The client only ever asks for 256..65535 bytes; anything else cannot hold the header and
  // a useful data area, or cannot have come from a connect request.
  *size = v < 256 || v > 65535 ? 0u : static_cast<uint32_t>(v);
  *peer_platform = static_cast<uint16_t>(t.count >= 2 ? read_number(t.tok[1]) : 0);
  *peer_window = t.count >= 3 ? static_cast<uint32_t>(read_number(t.tok[2])) : 0;
}

int32_t config_value(const char* name, char* out, uint32_t cap) noexcept {
  if (name == nullptr || out == nullptr || cap == 0) return -1;
  char squeezed[256];
  uint32_t nlen = static_cast<uint32_t>(std::strlen(name));
  if (nlen >= sizeof squeezed) return -1;
  if (cfg::squeeze(name, nlen, squeezed) >= 32) return -1;
  char raw[256];
  int32_t rlen = -1;
  if (const char* env = std::getenv(squeezed); env != nullptr && std::strlen(env) < 256) {
    rlen = static_cast<int32_t>(std::strlen(env));
    std::memcpy(raw, env, static_cast<size_t>(rlen));
  } else {
    rlen = platform::registry_value("software\\velmor", squeezed, raw, 255);
    if (rlen < 0) return -1;
  }
  char cleaned[256];
  uint32_t clen = cfg::clean(raw, static_cast<uint32_t>(rlen), cleaned);
  if (clen + 1 > cap) return -1;
  std::memcpy(out, cleaned, clen + 1);
  return static_cast<int32_t>(clen);
}

uint32_t quantum_from_text(const char* value) noexcept {
  if (value == nullptr) return 10000;
  // Every character counts as a digit, as the setting has always been read.
  uint32_t v = 0;
  for (const char* p = value; *p != '\0'; ++p)
    v = v * 10u + static_cast<uint32_t>(static_cast<unsigned char>(*p)) - 48u;
  return v < 200 || v > 90000 ? 10000u : v;
}

uint32_t read_quantum() noexcept {
  char value[256];
  if (config_value("_two_task_quantum", value, sizeof value) < 0) return 10000;
  return quantum_from_text(value);
}

}  // namespace zunt::osn
