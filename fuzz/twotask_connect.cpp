// links: mirelink_core
// The connect-text token splitter and number reader, the buffer-size rules of both sides and
// the reading of the quantum setting, on arbitrary bytes of any length.
#include <cstdint>
#include <cstring>
#include <vector>

#include "osn_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zunt::osn;
  const char* text = reinterpret_cast<const char*>(data);
  const uint32_t n = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
  Tokens t{};
  split_tokens(size == 0 ? nullptr : text, n, &t);
  if (t.count > kMaxTokens) __builtin_trap();
  for (uint32_t i = 0; i < t.count; ++i) {
    if (std::strlen(t.tok[i]) > kMaxTokenLen) __builtin_trap();
    read_number(t.tok[i]);
  }
  uint32_t size_client = client_buffer_size(t);
  if (size_client < 256 || size_client > 65535) __builtin_trap();
  uint32_t size_server = 0, window = 0;
  uint16_t platform = 0;
  server_connect_values(t, &size_server, &platform, &window);
  if (size_server != 0 && (size_server < 256 || size_server > 65535)) __builtin_trap();
  std::vector<char> z(data, data + size);
  z.push_back('\0');
  uint32_t q = quantum_from_text(z.data());
  if (q != 10000 && (q < 200 || q > 90000)) __builtin_trap();
  read_number(z.data());
  return 0;
}
