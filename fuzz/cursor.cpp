// links: zunt32s_core
// The character cursor on arbitrary bytes in every multibyte and shift-sensitive set: the
// first byte picks the set, the second the way the text is walked (counted or
// NUL-terminated, the room of the output), the rest is the text. The text lies in a heap
// block of exactly its size, so every read outside it is caught by the address sanitizer;
// the walk must divide the text exactly and the copy must stay within its room.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "nlsstr/cursor_inl.h"
#include "zunt/cursor.h"
#include "zunt/nls.h"

namespace {

struct Sets {
  std::vector<li_handle> handles;
  Sets() {
    for (uint16_t n = 0; lictbn[n] != nullptr; ++n) {
      if (lictbn[n]->cs_flags & LI_CSF_SINGLE) continue;
      li_handle h;
      std::memset(&h, 0, sizeof h);
      liplset(1, &h);
      liptset(0, &h);
      lipcset(n, &h);
      handles.push_back(h);
    }
  }
};

void require(bool ok) {
  if (!ok) std::abort();
}

// Every reading operation at the cursor's position.
uint32_t read_all(const lim_cursor& c) {
  uint32_t x = limc2wx(&c) ^ limctv(&c) ^ limdspx(&c);
  x ^= limalpx(&c) ^ limalnx(&c) ^ limdigx(&c) ^ limxdix(&c) ^ limspax(&c) ^ limblax(&c);
  x ^= limpunx(&c) ^ limgrax(&c) ^ limprix(&c) ^ limuppx(&c) ^ limlowx(&c);
  x ^= static_cast<uint32_t>(limctex(&c, 'A') + lim_chareq(&c, '_') + lim_isalnum(&c));
  require(limcntx(&c) == 0 || lim_issb(&c));  // a multibyte character is never a control
  return x;
}

void walk(const li_handle& h, uint8_t* text, uint32_t size, bool nul_terminated,
          uint32_t room) {
  const uint32_t len = nul_terminated ? LIM_NULTERM : size;
  lim_cursor c;
  uint32_t total = static_cast<uint32_t>(limcpen(text, len, &c, &h));
  uint32_t sink = 0;
  while (lim_offset(&c) < c.len && !(nul_terminated && *c.cur == 0)) {
    sink ^= read_all(c);
    const uint32_t n = (total & 1) ? limfwdx(&c) : zunt::cursor::next(c);
    require(n >= 1 && c.cur <= text + size);
    total += n;
  }
  if (!nul_terminated) require(total == size && c.cur == text + size);

  // Copy the text through an output cursor of the given room, in exact-size heap memory.
  std::vector<uint8_t> out(room);
  lim_cursor src, dst;
  limcpen(text, len, &src, &h);
  limopen(out.data(), room, &dst, &h, 1);
  while (lim_offset(&src) < src.len && !(nul_terminated && *src.cur == 0)) {
    int32_t st = -1;
    const uint32_t need = limcpbx(&dst, &src, &st);
    li_status status;
    const uint32_t wrote = limcpcx(&dst, &src, &status);
    require(wrote == 0 ? status.code == LI_STATUS_NO_ROOM : wrote == need);
    if (wrote == 0) break;
  }
  limwterm(&dst);
  require(dst.cur >= dst.start && dst.cur <= out.data() + room);
  limr2w(&dst, nullptr);
  require(dst.cur >= dst.start);
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Sets sets;
  if (size < 2 || size > 4096) return 0;
  const li_handle& h = sets.handles[data[0] % sets.handles.size()];
  const bool nul_terminated = data[1] & 1;
  const uint32_t room = data[1] >> 1;
  const uint32_t n = static_cast<uint32_t>(size - 2);
  if (nul_terminated) {
    // The text up to its first NUL, then the NUL: nothing past it may be read.
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data + 2, 0, n));
    const uint32_t m = end != nullptr ? static_cast<uint32_t>(end - (data + 2)) : n;
    std::vector<uint8_t> text(data + 2, data + 2 + m);
    text.push_back(0);
    walk(h, text.data(), m + 1, true, room);
  } else {
    std::vector<uint8_t> text(data + 2, data + 2 + n);
    walk(h, text.data(), n, false, room);
  }
  return 0;
}
