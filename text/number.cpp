// Numbers as printf writes them, from the exact decimal digits of a double. Start at
// exact_digits: a double is m 2^e, whose decimal expansion is finite; every format rounds those
// digits (round_digits), ties to even as the C library does.
#include "number.h"

Text text_in(char *at, size_t capacity) {
  if (capacity > 0) at[0] = '\0';
  return {at, capacity, 0};
}

void put_char(Text *text, char c) {
  if (text->size + 1 < text->capacity) {
    text->at[text->size] = c;
    text->at[text->size + 1] = '\0';
  }
  text->size++;
}

void put(Text *text, const char *s) {
  while (*s) put_char(text, *s++);
}

void put_bytes(Text *text, const char *s, size_t length) {
  for (size_t k = 0; k < length; k++) put_char(text, s[k]);
}

namespace {

// --- An unsigned integer of up to LIMBS 32-bit limbs, lowest first ---

const int LIMBS = 40; // 1280 bits: m 2^e below 2^1024, and a fraction of 1074 bits times 10^9
struct Big {
  uint32_t limb[LIMBS];
  int size; // limbs in use; the highest may be 0
};

// Big times factor, in place.
void multiply(Big *big, uint32_t factor) {
  uint64_t carry = 0;
  for (int k = 0; k < big->size; k++) {
    const uint64_t product = uint64_t(big->limb[k]) * factor + carry;
    big->limb[k] = uint32_t(product);
    carry = product >> 32;
  }
  if (carry) big->limb[big->size++] = uint32_t(carry);
}

// Big divided by divisor, in place: the remainder.
uint32_t divide(Big *big, uint32_t divisor) {
  uint64_t rest = 0;
  for (int k = big->size - 1; k >= 0; k--) {
    const uint64_t part = rest << 32 | big->limb[k];
    big->limb[k] = uint32_t(part / divisor);
    rest = part % divisor;
  }
  while (big->size > 0 && big->limb[big->size - 1] == 0) big->size--;
  return uint32_t(rest);
}

bool is_zero(const Big &big) {
  for (int k = 0; k < big.size; k++)
    if (big.limb[k]) return false;
  return true;
}

// m 2^shift, m below 2^64.
Big shifted(uint64_t m, int shift) {
  Big big;
  for (int k = 0; k < LIMBS; k++) big.limb[k] = 0;
  const int word = shift / 32, bit = shift % 32;
  const uint32_t low = uint32_t(m), high = uint32_t(m >> 32);
  big.limb[word] = low << bit;
  big.limb[word + 1] = high << bit | (bit ? low >> (32 - bit) : 0);
  big.limb[word + 2] = bit ? high >> (32 - bit) : 0;
  big.size = word + 3;
  return big;
}

// --- The exact decimal digits of a double ---

// As many of the exact decimal digits of a value as asked for: value = 0.d1 d2 d3 ... 10^point,
// d1 not 0 (no digits for zero), and whether any digit after those held is not 0.
const int DIGITS_MAX = 1120; // 16 integer digits and a fraction of 1074, or 309 integer digits
struct Digits {
  char digit[DIGITS_MAX];
  int count;
  int point;
  bool rest;
};

// The digits of `value` written in at most `width` digits, 9 of them zero-padded when asked for
// (a chunk of a longer number), appended to `digits`, leading zeros dropped while none is held.
void append_digits(Digits *d, uint64_t value, bool padded) {
  char reversed[20];
  int n = 0;
  do reversed[n++] = char('0' + value % 10), value /= 10;
  while (value > 0);
  while (padded && n < 9) reversed[n++] = '0';
  while (n > 0) {
    const char c = reversed[--n];
    if (d->count == 0 && c == '0') {
      d->point--; // a zero before the first digit that counts
      continue;
    }
    d->digit[d->count++] = c;
  }
}

// The digits of m 2^e (m below 2^62): all of them for a whole number, else those of its whole
// part and of its fraction until `significant` digits are held or `decimals` digits of the
// fraction are known, whichever comes first, or the fraction ends.
Digits exact_digits(uint64_t m, int e, int significant, int decimals) {
  Digits d;
  d.count = 0, d.rest = false;
  if (m == 0) return d.point = 0, d;
  if (e >= 0) {
    // A whole number: its chunks of nine digits, lowest first, then written highest first.
    Big big = shifted(m, e);
    uint32_t chunk[40];
    int chunks = 0;
    while (!is_zero(big)) chunk[chunks++] = divide(&big, 1000000000);
    d.point = 9 * chunks;
    for (int k = chunks - 1; k >= 0; k--) append_digits(&d, chunk[k], true);
    return d;
  }
  const int t = -e; // value = m / 2^t
  const uint64_t whole = t < 64 ? m >> t : 0;
  Big fraction = shifted(t < 64 ? m & ((uint64_t(1) << t) - 1) : m, 0);
  d.point = 0;
  if (whole > 0) {
    append_digits(&d, whole, false);
    d.point = d.count;
  }
  // Nine digits at a time: fraction times 10^9, the bits from t on are the next chunk.
  for (int known = 0; !is_zero(fraction) && d.count < significant && known < decimals; known += 9) {
    multiply(&fraction, 1000000000);
    // The chunk is below 10^9 < 2^30: bits t to t + 29, in limbs w and w + 1 (0 past size).
    const int w = t / 32, b = t % 32;
    const uint64_t pair = uint64_t(fraction.limb[w + 1]) << 32 | fraction.limb[w];
    const uint64_t chunk = pair >> b & ((uint64_t(1) << 30) - 1);
    fraction.limb[w] &= b ? (uint32_t(1) << b) - 1 : 0;
    fraction.limb[w + 1] = 0;
    if (fraction.size > w + 1) fraction.size = w + 1;
    while (fraction.size > 0 && fraction.limb[fraction.size - 1] == 0) fraction.size--;
    append_digits(&d, chunk, true);
  }
  d.rest = !is_zero(fraction);
  return d;
}

// The digits rounded to their first `keep` (ties to even, on everything after them): into
// `kept` (keep of them, zeros past the digits held; none when keep <= 0); the point after
// rounding, one more when the digits carried into a new first digit (9.96 to 10.0, or 0.6 kept to
// no digit to 1, whose kept[0] is then '1'). kept holds at least one byte.
int round_digits(const Digits &d, int keep, char *kept) {
  for (int k = 0; k < keep; k++) kept[k] = k < d.count ? d.digit[k] : '0';
  if (keep < 0 || keep >= d.count) return d.point;
  const char first = d.digit[keep];
  bool beyond = d.rest; // a digit not 0 after the first dropped
  for (int k = keep + 1; k < d.count && !beyond; k++) beyond = d.digit[k] != '0';
  const bool odd = keep > 0 && (kept[keep - 1] - '0') % 2 == 1;
  if (first < '5' || (first == '5' && !beyond && !odd)) return d.point;
  // Round up: carry through the nines.
  int k = keep - 1;
  while (k >= 0 && kept[k] == '9') kept[k--] = '0';
  if (k >= 0) {
    kept[k]++;
    return d.point;
  }
  // All nines, or nothing kept: a 1 in front (kept[0] even then), the point one place on.
  kept[0] = '1';
  return d.point + 1;
}

// The text cut back to its first `size` bytes.
void rewind(Text *text, size_t size) {
  text->size = size;
  if (size < text->capacity) text->at[size] = '\0';
}

// A double's parts: sign, m and e with |value| = m 2^e; false for infinities and NaN, whose
// text ("inf", "nan") is then written with its sign.
bool parts(Text *text, double value, uint64_t *m, int *e) {
  uint64_t bits;
  __builtin_memcpy(&bits, &value, sizeof bits);
  const int exponent = int(bits >> 52 & 0x7ff);
  *m = bits & ((uint64_t(1) << 52) - 1);
  if (bits >> 63) put_char(text, '-');
  if (exponent == 0x7ff) {
    put(text, *m ? "nan" : "inf");
    return false;
  }
  if (exponent == 0)
    *e = -1074;
  else
    *m |= uint64_t(1) << 52, *e = exponent - 1075;
  return true;
}

// "%.<decimals>e" of value with its sign written, from its digits.
void put_exponent_digits(Text *text, const Digits &d, int decimals) {
  char kept[DIGITS_MAX + 2];
  const int keep = decimals + 1 < DIGITS_MAX ? decimals + 1 : DIGITS_MAX;
  const int point = d.count == 0 ? 1 : round_digits(d, keep, kept);
  if (d.count == 0)
    for (int k = 0; k < keep; k++) kept[k] = '0';
  put_char(text, kept[0]);
  if (decimals > 0) put_char(text, '.');
  for (int k = 1; k <= decimals; k++) put_char(text, k < keep ? kept[k] : '0');
  const int exponent = point - 1;
  put_char(text, 'e');
  put_char(text, exponent < 0 ? '-' : '+');
  const int size = exponent < 0 ? -exponent : exponent;
  if (size < 10) put_char(text, '0');
  put_unsigned(text, uint64_t(size));
}

// Whether the digits `kept` (count of them, point as round_digits gives it) lie below (-1),
// at (0) or above (1) the value whose digits are `exact`.
int compare(const char *kept, int count, int point, const Digits &exact) {
  if (exact.count == 0) return count > 0 && kept[0] != '0' ? 1 : 0;
  if (point != exact.point) return point < exact.point ? -1 : 1;
  for (int k = 0; k < count || k < exact.count; k++) {
    const char a = k < count ? kept[k] : '0', b = k < exact.count ? exact.digit[k] : '0';
    if (a != b) return a < b ? -1 : 1;
  }
  return exact.rest ? -1 : 0;
}

// The fewest significant digits, 1 to 17, with which "%.*e" of m 2^e reads back as it (strtod
// rounds to nearest, ties to even): those whose decimal lies strictly between the halfway points
// to the neighbouring doubles, or on one of them when m is even.
int fewest_digits(uint64_t m, int e, const Digits &value) {
  // The halfway points, as (2m - 1) 2^(e - 1) and (2m + 1) 2^(e - 1); below a power of two
  // the double beneath is half as far: (4m - 1) 2^(e - 2).
  const bool closer_below = m == uint64_t(1) << 52 && e > -1074;
  const Digits low = closer_below ? exact_digits(4 * m - 1, e - 2, 18, 1 << 30)
                                  : exact_digits(2 * m - 1, e - 1, 18, 1 << 30);
  const Digits high = exact_digits(2 * m + 1, e - 1, 18, 1 << 30);
  char kept[18];
  int digits = 1;
  for (; digits < 17; digits++) {
    const int point = round_digits(value, digits, kept);
    const int below = compare(kept, digits, point, low), above = compare(kept, digits, point, high);
    if ((below > 0 && above < 0) || (m % 2 == 0 && (below == 0 || above == 0))) break;
  }
  return digits;
}

} // namespace

void put_fixed(Text *text, double value, int decimals) {
  uint64_t m;
  int e;
  if (!parts(text, value, &m, &e)) return;
  if (decimals < 0) decimals = 0;
  const Digits d = exact_digits(m, e, 1 << 30, decimals + 1);
  // value = 0.d1 d2 ... 10^point: keep the digits up to `decimals` places after the point.
  char kept[DIGITS_MAX + 2];
  int keep = d.point + decimals;
  if (keep > DIGITS_MAX) keep = DIGITS_MAX; // past the exact digits: zeros
  const int point = d.count == 0 ? 0 : round_digits(d, keep, kept);
  // The digits held after rounding: keep of them, or the one of a carry from none.
  const int held = d.count == 0 ? 0 : keep > 0 ? keep : point > d.point ? 1 : 0;
  const auto digit = [&](int k) { return k >= 0 && k < held ? kept[k] : '0'; };
  if (point <= 0) put_char(text, '0');
  for (int k = 0; k < point; k++) put_char(text, digit(k));
  if (decimals > 0) put_char(text, '.');
  for (int k = point; k < point + decimals; k++) put_char(text, digit(k));
}

void put_exponent(Text *text, double value, int decimals) {
  uint64_t m;
  int e;
  if (!parts(text, value, &m, &e)) return;
  if (decimals < 0) decimals = 0;
  put_exponent_digits(text, exact_digits(m, e, decimals + 2, 1 << 30), decimals);
}

void put_shortest(Text *text, double value) {
  if (value == 0) return put_char(text, '0');
  uint64_t m;
  int e;
  if (!parts(text, value, &m, &e)) return;
  const Digits d = exact_digits(m, e, 18, 1 << 30);
  const int digits = fewest_digits(m, e, d);
  // The exponent form, and the plain one's size: as many decimals as the last digit needs.
  char exponent_form[32];
  Text form = text_in(exponent_form, sizeof exponent_form);
  put_exponent_digits(&form, d, digits - 1);
  char kept[18];
  const int exponent = round_digits(d, digits, kept) - 1;
  const int decimals = digits - 1 - exponent > 0 ? digits - 1 - exponent : 0;
  // The plain form, unless it is longer than the exponent form out of 0.0001 up to 1.
  const size_t plain_from = text->size;
  put_fixed(text, value < 0 ? -value : value, decimals);
  const double magnitude = value < 0 ? -value : value;
  if (text->size - plain_from > form.size && !(magnitude >= 1e-4 && magnitude < 1)) {
    rewind(text, plain_from);
    put(text, exponent_form);
  }
}

void put_unsigned(Text *text, uint64_t value) {
  char reversed[20];
  int n = 0;
  do reversed[n++] = char('0' + value % 10), value /= 10;
  while (value > 0);
  while (n > 0) put_char(text, reversed[--n]);
}

void put_signed(Text *text, int64_t value) {
  if (value < 0) put_char(text, '-');
  put_unsigned(text, value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value));
}

namespace {

// The columns of text->at[from ...]: its UTF-8 characters, the bytes cut off counted as one each,
// those from `from` on only when it is itself beyond what the buffer holds.
int columns_from(const Text *text, size_t from) {
  const size_t held = text->size < text->capacity ? text->size : text->capacity - 1;
  int columns = 0;
  for (size_t k = from; k < held; k++) columns += (text->at[k] & 0xc0) != 0x80;
  return columns + int(text->size - (from > held ? from : held)); /* those cut, one each */
}

} // namespace

void align_right(Text *text, size_t from, int width) {
  if (text->capacity == 0 || from > text->size) return;
  const int pad = width - columns_from(text, from);
  if (pad <= 0) return;
  // Move what was written on by pad bytes, as far as it fits, then spaces in front.
  const size_t end = text->size + size_t(pad);
  for (size_t k = end; k-- > from + size_t(pad);)
    if (k < text->capacity - 1) text->at[k] = text->at[k - size_t(pad)];
  for (size_t k = from; k < from + size_t(pad) && k < text->capacity - 1; k++) text->at[k] = ' ';
  text->size = end;
  text->at[end < text->capacity ? end : text->capacity - 1] = '\0';
}

void align_left(Text *text, size_t from, int width) {
  for (int pad = width - columns_from(text, from); pad > 0; pad--) put_char(text, ' ');
}

void put_right(Text *text, const char *s, int width) {
  const size_t from = text->size;
  put(text, s);
  align_right(text, from, width);
}

void put_left(Text *text, const char *s, int width) {
  const size_t from = text->size;
  put(text, s);
  align_left(text, from, width);
}

void put_fixed_right(Text *text, double value, int decimals, int width) {
  const size_t from = text->size;
  put_fixed(text, value, decimals);
  align_right(text, from, width);
}
