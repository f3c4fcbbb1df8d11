// links: zunt32s_core
// Every number operation on arbitrary bytes and lengths. Operands are copied into buffers of
// exactly the size their length claims (bare length, or length byte plus the bytes it
// counts), and results go into exactly 22 bytes, so the sanitizers catch any read or write
// beyond them. Results of the arithmetic must be canonical and equal to those of the
// digit-by-digit definitions.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "numbers/number_internal.h"
#include "zunt/numbers.h"

namespace {

struct Input {
  const uint8_t* p;
  size_t n;
  uint8_t byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
};

// An operand: a heap buffer holding exactly what the (pointer, length) pair claims.
struct Operand {
  std::unique_ptr<uint8_t[]> buf;
  const lnm_number* p = nullptr;
  int32_t len = 0;
};

Operand operand(Input& in) {
  Operand o;
  uint8_t mode = in.byte();
  uint8_t count = static_cast<uint8_t>(in.byte() % 24);
  if (mode % 8 == 0) {  // machine integer
    int32_t v = 0;
    for (int i = 0; i < 4; ++i) v = static_cast<int32_t>(static_cast<uint32_t>(v) << 8 | in.byte());
    o.len = v;
    return o;
  }
  size_t size;
  if (mode % 8 == 1) {  // length-prefixed: one length byte, then what it counts (up to 22)
    uint8_t prefix = in.byte();
    size = 1 + (prefix == 0 ? 0 : (prefix > 21 ? 21 : prefix));
    o.buf.reset(new uint8_t[size]);
    o.buf[0] = prefix;
    for (size_t i = 1; i < size; ++i) o.buf[i] = in.byte();
    o.len = 0;
  } else {
    // Bare: 1..21 bytes; a length above 21 (read as 21) or a negative one (read as zero).
    size = count == 0 ? 1 : (count > 21 ? 21 : count);
    o.buf.reset(new uint8_t[size]);
    for (size_t i = 0; i < size; ++i) o.buf[i] = in.byte();
    if (mode % 8 == 2)
      o.len = -1 - static_cast<int32_t>(in.byte());
    else if (mode % 8 == 3 && size == 21)
      o.len = 21 + static_cast<int32_t>(in.byte());
    else
      o.len = static_cast<int32_t>(size);
  }
  o.p = o.buf.get();
  return o;
}

bool canonical(const uint8_t* b, int32_t n) {
  if (n < 1 || n > 21) return false;
  if (n == 1) return b[0] == 0x80 || b[0] == 0x00;
  if (b[0] == 0xFF && b[1] == 101) return n == 2;
  bool neg = (b[0] & 0x80) == 0;
  int32_t m = n - 1;
  if (neg) {
    if (b[n - 1] == 102)
      --m;
    else if (m != 20)
      return false;
    if (m >= 20 && b[n - 1] == 102) return false;
  }
  if (m == 0) return false;
  for (int32_t i = 1; i <= m; ++i) {
    int d = neg ? 101 - b[i] : b[i] - 1;
    if (d < 0 || d > 99 || ((i == 1 || i == m) && d == 0)) return false;
  }
  return true;
}

void require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  uint8_t op = in.byte();
  Operand a = operand(in), b = operand(in);
  std::unique_ptr<uint8_t[]> out(new uint8_t[22]);
  int32_t n = 0;
  bool prefixed = op & 0x80;
  int32_t* np = prefixed ? nullptr : &n;
  auto result_ok = [&] {
    const uint8_t* v = prefixed ? out.get() + 1 : out.get();
    int32_t len = prefixed ? out[0] : n;
    return canonical(v, len);
  };
  // The arithmetic gives the bytes of its digit-by-digit definitions, whichever path it takes.
  std::unique_ptr<uint8_t[]> ref(new uint8_t[22]);
  int32_t rn = 0;
  auto same_as_ref = [&] {
    const int32_t len = prefixed ? out[0] : n;
    if (len != (prefixed ? ref[0] : rn)) return false;
    return std::memcmp(out.get(), ref.get(), static_cast<size_t>(len) + (prefixed ? 1 : 0)) == 0;
  };
  uint8_t sa[LNM_MAXLEN], sb[LNM_MAXLEN];
  switch (op % 16) {
    case 0:
    case 1:
      lnmqaos(a.p, a.len, b.p, b.len, out.get(), np, op % 16);
      require(result_ok());
      zunt::num::add_sub_generic(zunt::num::operand(a.p, a.len, sa), zunt::num::operand(b.p, b.len, sb), op % 16 != 0,
                                 ref.get(), prefixed ? nullptr : &rn);
      require(same_as_ref());
      break;
    case 2:
      lnmmul(a.p, a.len, b.p, b.len, out.get(), np);
      require(result_ok());
      zunt::num::multiply_generic(a.p, a.len, b.p, b.len, ref.get(), prefixed ? nullptr : &rn);
      require(same_as_ref());
      break;
    case 3:
      lnmdiv(a.p, a.len, b.p, b.len, out.get(), np);
      require(result_ok());
      zunt::num::divide_generic(a.p, a.len, b.p, b.len, ref.get(), prefixed ? nullptr : &rn);
      require(same_as_ref());
      break;
    case 4:
      lnmabs(a.p, a.len, out.get(), np);
      lnmneg(a.p, a.len, out.get(), np);
      break;
    case 5:
      (void)lnmsgn(a.p, a.len);
      (void)lnmint(a.p, a.len);
      break;
    case 6: {
      int32_t ival = 0;
      (void)lnmsni(a.p, a.len, &ival, 1 << (in.byte() % 3), in.byte() | (in.byte() << 8));
      double d;
      lnmnur(a.p, a.len, &d, 8);
      float f;
      lnmnur(a.p, a.len, &f, 4);
      break;
    }
    case 7: {
      double d;
      uint64_t bits = 0;
      for (int i = 0; i < 8; ++i) bits = bits << 8 | in.byte();
      std::memcpy(&d, &bits, 8);
      lnmren(&d, 8, out.get(), np);
      require(result_ok());
      float f;
      uint32_t low = static_cast<uint32_t>(bits);
      std::memcpy(&f, &low, 4);
      lnmren(&f, 4, out.get(), np);
      require(result_ok());
      break;
    }
    case 8: {
      // lnminc on a 22-byte buffer whose length is arbitrary.
      std::unique_ptr<uint8_t[]> buf(new uint8_t[22]);
      for (int i = 0; i < 22; ++i) buf[i] = in.byte();
      int32_t len = static_cast<int32_t>(in.byte() % 24);
      lnminc(buf.get(), prefixed ? nullptr : &len);
      break;
    }
    case 9: {
      std::unique_ptr<uint8_t[]> buf(new uint8_t[22]);
      for (int i = 0; i < 22; ++i) buf[i] = in.byte();
      lnmqprs(buf.get(), out.get(), np, in.byte() & 1);
      break;
    }
    case 10: {
      int32_t count = 1 + in.byte() % 40;
      std::unique_ptr<uint8_t[]> buf(new uint8_t[static_cast<size_t>(count)]);
      for (int32_t i = 0; i < count; ++i) buf[i] = in.byte();
      int32_t r = lnmqnrm(buf.get(), count);
      require(r >= 1 && r <= 21);
      break;
    }
    case 11: {
      std::unique_ptr<int32_t[]> w(new int32_t[22]);
      int32_t e;
      int32_t *first, *end;
      int32_t sign = lnmqosb(a.p, a.len, w.get(), &e, &first, &end);
      require(first >= w.get() && end <= w.get() + 22 && first <= end);
      lnmqsbo(out.get(), np, sign, e, first, end);
      require(result_ok());
      break;
    }
    case 12: {
      int32_t count = in.byte() % 30;
      std::unique_ptr<int32_t[]> w(new int32_t[static_cast<size_t>(count) + 1]);
      for (int32_t i = 0; i < count; ++i) w[i] = static_cast<int8_t>(in.byte());
      lnmqsbo(out.get(), np, in.byte() & 1, static_cast<int8_t>(in.byte()), w.get(), w.get() + count);
      require(result_ok());
      break;
    }
    default: {
      int32_t ival = static_cast<int32_t>(in.byte()) << 24 | in.byte() << 8 | in.byte();
      (void)lnmmin(&ival, 1 << (op % 3), in.byte() % 4, out.get(), np);
      break;
    }
  }
  return 0;
}
