// Remaining byte utilities: clearing and comparing blocks, the prime helper, the heapsort,
// byte swaps, (name, value) pair tables, the version banner, the no-op, the exported empty
// string and the call-with-temporary-block helper.
#include <cstdlib>
#include <cstring>

#include "util/ascii.h"
#include "zunt/util.h"

using zunt::util::first_difference;

namespace {

constexpr char kBanner[48] = "ZUNT Version 2.3.4.0.4 - Production (LSF Alpha)";
static_assert(sizeof kBanner == 48 && kBanner[47] == '\0');

constexpr uint32_t kLargestPrime = 4294967291u;  // the largest prime below 2^32

bool is_odd_prime(uint32_t c) {
  for (uint64_t d = 3; d * d <= c; d += 2)
    if (c % d == 0) return false;
  return true;
}

// Heapsort over 1-based positions: element k's parent is k / 2. The heap is built by
// sifting each element up; then the root is swapped with the last element of the heap and
// sifted down, taking the larger child, until one element is left.
template <typename Greater>
void heapsort(void* array, uint32_t count, uint32_t size, Greater greater) {
  if (count < 2 || size == 0) return;
  auto* base = static_cast<uint8_t*>(array);
  auto at = [base, size](uint32_t k) { return base + size_t(k - 1) * size; };
  for (uint32_t i = 2; i <= count; ++i) {
    for (uint32_t k = i; k > 1 && greater(at(k), at(k / 2)); k /= 2) slswap(at(k), at(k / 2), size);
  }
  for (uint32_t last = count; last > 1; --last) {
    slswap(at(1), at(last), size);
    uint32_t heap = last - 1;
    for (uint32_t k = 1; 2 * uint64_t(k) <= heap;) {
      uint32_t child = 2 * k;
      if (child < heap && greater(at(child + 1), at(child))) ++child;
      if (!greater(at(child), at(k))) break;
      slswap(at(k), at(child), size);
      k = child;
    }
  }
}

}  // namespace

extern "C" {

const char lunulstr[4] = {0, 0, 0, 0};

void lmfclr(void* block, uint32_t n) {
  if (n) std::memset(block, 0, n);
}

int32_t lmfcmp(const void* a, uint32_t alen, const void* b, uint32_t blen) {
  const auto* p = static_cast<const uint8_t*>(a);
  const auto* q = static_cast<const uint8_t*>(b);
  uint32_t common = alen < blen ? alen : blen;
  if (int32_t d = first_difference(p, q, common)) return d;
  if (alen == blen) return 0;
  return alen > blen ? int32_t(common + 1) : -int32_t(common + 1);
}

uint32_t lmfprim(uint32_t n) {
  if (n <= 3) return 3;
  if (n > kLargestPrime) return 0;
  for (uint32_t c = n | 1u;; c += 2)
    if (is_odd_prime(c)) return c;
}

void lmfsrt(void* array, uint32_t count, uint32_t size, int (*cmp)(const void*, const void*)) {
  if (!cmp) return;
  heapsort(array, count, size, [cmp](const void* x, const void* y) { return cmp(x, y) > 0; });
}

void lmfsrx(void* array, uint32_t count, uint32_t size,
            int (*cmp)(void*, const void*, const void*), void* ctx) {
  if (!cmp) return;
  heapsort(array, count, size, [cmp, ctx](const void* x, const void* y) { return cmp(ctx, x, y) > 0; });
}

void* slswap(void* a, void* b, uint32_t n) {
  auto* p = static_cast<uint8_t*>(a);
  auto* q = static_cast<uint8_t*>(b);
  for (uint32_t i = 0; i < n; ++i) {
    uint8_t t = p[i];
    p[i] = q[i];
    q[i] = t;
  }
  return a;
}

const char* ltbnam(const ltbent* table, uint32_t count, int32_t value) {
  for (uint32_t i = 0; i < count; ++i)
    if (table[i].value == value) return table[i].name;
  return nullptr;
}

int32_t ltbval(const ltbent* table, uint32_t count, const char* name, int32_t nocase) {
  if (!table || !name) return 0;
  uint32_t lo = 0, hi = count;  // the name, if present, lies in [lo, hi)
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    int32_t c = nocase ? lstrlcomp(name, table[mid].name) : std::strcmp(name, table[mid].name);
    if (c == 0) return table[mid].value;
    if (c < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return 0;
}

int32_t lmfver(char* buf, uint32_t size) {
  if (!buf || size < sizeof kBanner) return 0;
  std::memcpy(buf, kBanner, sizeof kBanner);
  return int32_t(sizeof kBanner);
}

void lunoop(void) {}

int32_t smaacb(void (*fn)(void*, void*), void* arg, uint32_t size) {
  if (!fn) return 0;
  void* block = std::malloc(size ? size : 1);
  if (!block) return 0;
  fn(arg, block);
  std::free(block);
  return 1;
}

}  // extern "C"
