// The exported character-cursor operations. Each wraps the inline core of cursor_inl.h,
// which the library's own text code uses directly; a null cursor gives 0 and changes
// nothing.
#include "nlsstr/cursor_inl.h"

namespace cur = zunt::cursor;

extern "C" {

ZUNT_API int32_t limopen(const void* buffer, uint32_t length, lim_cursor* c,
                         const li_handle* handle, uint32_t for_output) {
  if (c == nullptr) return 0;
  return static_cast<int32_t>(cur::open(*c, buffer, length, handle, for_output != 0));
}

ZUNT_API int32_t limcpen(const void* buffer, uint32_t length, lim_cursor* c,
                         const li_handle* handle) {
  if (c == nullptr) return 0;
  return static_cast<int32_t>(cur::open(*c, buffer, length, handle, false));
}

ZUNT_API void limral(lim_cursor* c, const void* start, uint32_t length, uint32_t offset) {
  if (c == nullptr) return;
  c->start = static_cast<uint8_t*>(const_cast<void*>(start));
  c->len = length;
  c->cur = c->start + offset;
}

ZUNT_API uint32_t limfwdx(lim_cursor* c) { return c != nullptr ? cur::fwd(*c) : 0; }

ZUNT_API int32_t limr2w(lim_cursor* c, li_status* status) {
  if (status != nullptr) {
    status->code = LI_STATUS_OK;
    status->count = 0;
  }
  return c != nullptr ? cur::back_over_shift(*c) : 0;
}

ZUNT_API uint32_t limc2wx(const lim_cursor* c) { return c != nullptr ? cur::wide(*c) : 0; }

ZUNT_API uint16_t limctv(const lim_cursor* c) { return c != nullptr ? cur::leaf(*c) : 0; }

ZUNT_API uint32_t limdspx(const lim_cursor* c) {
  return c != nullptr ? cur::display_width(*c) : 0;
}

ZUNT_API int32_t limctex(const lim_cursor* c, uint8_t ch) {
  return c != nullptr && cur::full_width_eq(*c, ch) ? 1 : 0;
}

#define ZUNT_CURSOR_CLASS(name, masks) \
  ZUNT_API uint32_t name(const lim_cursor* c) { return c != nullptr ? cur::classify(*c, masks) : 0; }
ZUNT_CURSOR_CLASS(limalpx, cur::kAlpha)
ZUNT_CURSOR_CLASS(limalnx, cur::kAlnum)
ZUNT_CURSOR_CLASS(limdigx, cur::kDigit)
ZUNT_CURSOR_CLASS(limxdix, cur::kXdigit)
ZUNT_CURSOR_CLASS(limspax, cur::kSpace)
ZUNT_CURSOR_CLASS(limblax, cur::kBlank)
ZUNT_CURSOR_CLASS(limpunx, cur::kPunct)
ZUNT_CURSOR_CLASS(limgrax, cur::kGraph)
ZUNT_CURSOR_CLASS(limprix, cur::kPrint)
ZUNT_CURSOR_CLASS(limuppx, cur::kUpper)
ZUNT_CURSOR_CLASS(limlowx, cur::kLower)
ZUNT_CURSOR_CLASS(limcntx, cur::kCntrl)
#undef ZUNT_CURSOR_CLASS

ZUNT_API uint32_t limpuc(lim_cursor* c, uint8_t byte) { return c != nullptr ? cur::put(*c, byte) : 0; }

ZUNT_API uint32_t liwc2mx(uint32_t wide, lim_cursor* c) {
  return c != nullptr ? cur::put_wide(wide, *c) : 0;
}

ZUNT_API uint32_t limwclose(lim_cursor* c) { return c != nullptr ? cur::close(*c) : 0; }

ZUNT_API uint32_t limwterm(lim_cursor* c) { return c != nullptr ? cur::terminate(*c) : 0; }

ZUNT_API uint32_t limcpcx(lim_cursor* dst, lim_cursor* src, li_status* status) {
  uint32_t consumed = 0;
  bool no_room = false;
  const uint32_t written =
      dst != nullptr && src != nullptr ? cur::copy_step(*dst, *src, &consumed, &no_room) : 0;
  if (status != nullptr) {
    status->code = no_room ? LI_STATUS_NO_ROOM : LI_STATUS_OK;
    status->count = consumed;
  }
  return written;
}

ZUNT_API uint32_t limcpnx(lim_cursor* dst, const lim_cursor* src, int32_t* status) {
  bool no_room = false;
  const uint32_t written =
      dst != nullptr && src != nullptr ? cur::copy_char(*dst, *src, &no_room) : 0;
  if (status != nullptr) *status = no_room ? LI_STATUS_NO_ROOM : LI_STATUS_OK;
  return written;
}

ZUNT_API uint32_t limcpbx(const lim_cursor* dst, const lim_cursor* src, int32_t* status) {
  if (status != nullptr) *status = LI_STATUS_OK;
  return dst != nullptr && src != nullptr ? cur::copy_size(*dst, *src) : 0;
}

}  // extern "C"
