// "zunt num": a small calculator over exact decimal numbers that shows their bytes, and the
// numbers section of "zunt showcase".
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "command.h"
#include "zunt/numbers.h"

namespace zunt::tool {
namespace {

struct Value {
  lnm_number b[LNM_MAXBUF];
  int32_t n = 0;
};

// Decimal text ("-12.5", "3e-7", "inf", "-inf") to a number, rounded half up to 20
// base-100 digits. Returns false for anything else.
bool parse(const char* s, Value& v) {
  bool neg = false;
  if (*s == '+' || *s == '-') neg = *s++ == '-';
  if (std::strcmp(s, "inf") == 0) {
    uint8_t buf[LNM_MAXBUF] = {0x41, 100};
    lnmqprs(buf, v.b, &v.n, neg);
    return true;
  }
  std::string digits;
  int point = -1;
  bool any = false;
  for (; *s && *s != 'e' && *s != 'E'; ++s) {
    if (*s == '.' && point < 0) {
      point = static_cast<int>(digits.size());
    } else if (std::isdigit(static_cast<unsigned char>(*s))) {
      digits += *s;
      any = true;
    } else {
      return false;
    }
  }
  if (!any) return false;
  long exp10 = 0;
  if (*s) {
    char* end;
    exp10 = std::strtol(s + 1, &end, 10);
    if (end == s + 1 || *end || exp10 > 10000 || exp10 < -10000) return false;
  }
  if (point < 0) point = static_cast<int>(digits.size());
  size_t lead = digits.find_first_not_of('0');
  uint8_t buf[LNM_MAXBUF] = {};
  if (lead == std::string::npos) {
    lnmqprs(buf, v.b, &v.n, 0);  // all digits zero
    return true;
  }
  // value = 0.d1d2... * 10^pos; the first base-100 digit has exponent floor((pos - 1) / 2).
  long pos = point - static_cast<long>(lead) + exp10;
  long e = pos - 1 >= 0 ? (pos - 1) / 2 : -((2 - pos) / 2);
  if (e > 62) {
    buf[1] = 100;  // beyond the range: infinity
    lnmqprs(buf, v.b, &v.n, neg);
    return true;
  }
  if (e < -65) {  // below the smallest magnitude: zero
    lnmqprs(buf, v.b, &v.n, 0);
    return true;
  }
  std::string al(static_cast<size_t>(2 * (e + 1) - pos), '0');
  al.append(digits, lead, std::string::npos);
  if (al.size() % 2) al += '0';
  // The byte-digit form holds 21 digits (code 65 + E); lnmqprs rounds the 21st half up.
  int code = static_cast<int>(e) + 65;
  buf[0] = static_cast<uint8_t>(code);
  for (size_t i = 0; i < al.size() / 2 && i < 21; ++i)
    buf[1 + i] = static_cast<uint8_t>((al[2 * i] - '0') * 10 + (al[2 * i + 1] - '0'));
  lnmqprs(buf, v.b, &v.n, neg);
  return true;
}

// Decimal text of a number: plain for moderate exponents, otherwise scientific.
std::string format(const Value& v) {
  const uint8_t* b = v.b;
  if (v.n == 1 && b[0] == 0x80) return "0";
  if (v.n == 1 && b[0] == 0x00) return "-inf";
  if (v.n == 2 && b[0] == 0xFF && b[1] == 101) return "inf";
  bool neg = (b[0] & 0x80) == 0;
  int e = neg ? 62 - b[0] : b[0] - 193;
  std::string digits;
  for (int32_t i = 1; i < v.n; ++i) {
    if (neg && b[i] == 102) break;
    int d = neg ? 101 - b[i] : b[i] - 1;
    digits += static_cast<char>('0' + d / 10);
    digits += static_cast<char>('0' + d % 10);
  }
  // Decimal exponent of the first decimal digit and the significant digits.
  int lead = digits[0] == '0' ? 1 : 0;
  int exp10 = 2 * e + 1 - lead;
  std::string sig = digits.substr(static_cast<size_t>(lead));
  while (sig.size() > 1 && sig.back() == '0') sig.pop_back();
  std::string out = neg ? "-" : "";
  const size_t whole = static_cast<size_t>(exp10 + 1);  // digits before the point
  if (exp10 >= 40 || exp10 < -20) {
    out.append(sig, 0, 1);
    if (sig.size() > 1) {
      out += '.';
      out.append(sig, 1, std::string::npos);
    }
    char ex[16];
    std::snprintf(ex, sizeof ex, "e%d", exp10);
    out += ex;
  } else if (exp10 < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-exp10 - 1), '0');
    out += sig;
  } else if (sig.size() <= whole) {
    out += sig;
    out.append(whole - sig.size(), '0');
  } else {
    out.append(sig, 0, whole);
    out += '.';
    out.append(sig, whole, std::string::npos);
  }
  return out;
}

void show(const char* label, const Value& v) {
  std::printf("  %-28s %-42s [", label, format(v).c_str());
  print_hex(v.b, static_cast<unsigned>(v.n));
  std::printf("]\n");
}

bool apply(char op, const Value& a, const Value& b, Value& r) {
  switch (op) {
    case '+':
      lnmqaos(a.b, a.n, b.b, b.n, r.b, &r.n, 0);
      return true;
    case '-':
      lnmqaos(a.b, a.n, b.b, b.n, r.b, &r.n, 1);
      return true;
    case '*':
    case 'x':
      lnmmul(a.b, a.n, b.b, b.n, r.b, &r.n);
      return true;
    case '/':
      lnmdiv(a.b, a.n, b.b, b.n, r.b, &r.n);
      return true;
    default:
      return false;
  }
}

int num(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::printf(
        "usage: zunt num NUMBER [OP NUMBER]...\n"
        "       zunt num --double NUMBER\n"
        "Evaluates left to right with exact decimal arithmetic (OP is + - * x /) and prints\n"
        "each value with its bytes. --double converts a binary double instead.\n");
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--double") == 0) {
    if (argc != 3) return usage_error("num", "--double takes one number");
    char* end;
    double d = std::strtod(argv[2], &end);
    if (end == argv[2] || *end) return usage_error("num", "not a number");
    Value v;
    lnmren(&d, 8, v.b, &v.n);
    char label[64];
    std::snprintf(label, sizeof label, "double %.17g", d);
    show(label, v);
    double back = 0;
    lnmnur(v.b, v.n, &back, 8);
    std::printf("  %-28s %.17g\n", "back to double", back);
    return 0;
  }
  Value acc;
  if (!parse(argv[1], acc)) return usage_error("num", "not a number (e.g. 12.5, -3e-7, inf)");
  show(argv[1], acc);
  for (int i = 2; i < argc; i += 2) {
    if (i + 1 >= argc) return usage_error("num", "an operator needs a number after it");
    Value b, r;
    if (!parse(argv[i + 1], b)) return usage_error("num", "not a number (e.g. 12.5, -3e-7, inf)");
    if (std::strlen(argv[i]) != 1 || !apply(argv[i][0], acc, b, r))
      return usage_error("num", "operators are + - * x /");
    char label[64];
    std::snprintf(label, sizeof label, "%s %s", argv[i], argv[i + 1]);
    show(label, r);
    acc = r;
  }
  return 0;
}

void showcase() {
  std::printf("Numbers are up to 20 base-100 digits behind an exponent byte; bytes compare\n"
              "in numeric order.\n");
  Value a, b, r;
  int32_t i1 = 1234567, i2 = -2147483647 - 1;
  lnmmin(&i1, 4, 2, a.b, &a.n);
  show("integer 1234567", a);
  lnmmin(&i2, 4, 2, b.b, &b.n);
  show("integer -2147483648", b);
  double d1 = 0.3, d2 = -12.345;
  Value x, y;
  lnmren(&d1, 8, x.b, &x.n);
  show("double 0.3", x);
  lnmren(&d2, 8, y.b, &y.n);
  show("double -12.345", y);
  lnmqaos(a.b, a.n, y.b, y.n, r.b, &r.n, 0);
  show("1234567 + -12.345", r);
  lnmqaos(x.b, x.n, y.b, y.n, r.b, &r.n, 1);
  show("0.3 - -12.345", r);
  lnmmul(a.b, a.n, b.b, b.n, r.b, &r.n);
  show("1234567 * -2147483648", r);
  lnmdiv(nullptr, 1, nullptr, 3, r.b, &r.n);
  show("1 / 3", r);
  lnmdiv(nullptr, 2, nullptr, 3, r.b, &r.n);
  show("2 / 3", r);
  for (auto [name, c] : {std::pair{"pi", lnmpi}, {"e", lnme}, {"ln 10", lnml10}}) {
    Value k;
    k.n = c[0];
    std::memcpy(k.b, c + 1, static_cast<size_t>(k.n));
    show(name, k);
  }
  Value big, tiny;
  parse("9.9e125", big);
  lnmmul(big.b, big.n, nullptr, 100, r.b, &r.n);
  show("9.9e125 * 100 (overflow)", r);
  parse("1e-130", tiny);
  lnmdiv(tiny.b, tiny.n, nullptr, 1000, r.b, &r.n);
  show("1e-130 / 1000 (underflow)", r);
}

const Registrar num_cmd(Command{"num", "NUMBER [OP NUMBER]...", "exact decimal arithmetic, showing the bytes", num});
const Registrar num_show(ShowcaseSection{10, "Numbers", showcase});

}  // namespace
}  // namespace zunt::tool
