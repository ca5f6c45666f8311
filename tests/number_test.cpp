// The text layer's numbers against the C library's own: put_fixed and put_exponent against
// snprintf's %.*f and %.*e, put_shortest against the fewest digits strtod reads back, on millions
// of doubles (random bits, ties and their neighbours, typed decimals, subnormals, the largest).
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "number.h"
#include "range.h"
#include "run.h"

namespace {

// What put (put_fixed or put_exponent) writes of value with the decimals, and what the C
// library's format (%.*f or %.*e) writes.
std::string ours(void (*put)(Text *, double, int), double value, int decimals) {
  static char buffer[2000];
  Text t = text_in(buffer, sizeof buffer);
  put(&t, value, decimals);
  return std::string(buffer, t.size);
}
std::string library(const char *format, double value, int decimals) {
  static char buffer[2000];
  return std::string(buffer, size_t(snprintf(buffer, sizeof buffer, format, decimals, value)));
}
std::string fixed(double value, int decimals) {
  return ours(put_fixed, value, decimals);
}
std::string library_fixed(double value, int decimals) {
  return library("%.*f", value, decimals);
}
std::string exponent(double value, int decimals) {
  return ours(put_exponent, value, decimals);
}
std::string library_exponent(double value, int decimals) {
  return library("%.*e", value, decimals);
}
std::string shortest_text(double value) {
  char buffer[400];
  Text t = text_in(buffer, sizeof buffer);
  put_shortest(&t, value);
  return std::string(buffer, t.size);
}

// The shortest text worked out through the C library alone: the fewest digits with which %.*e
// reads back by strtod, then the plain %.*f with the decimals the last digit needs when that is
// no longer, or the magnitude lies from 0.0001 up to 1.
std::string library_shortest(double value) {
  if (value == 0) return "0";
  char e_form[64], plain[400];
  int digits = 1;
  for (; digits < 17; digits++) {
    snprintf(e_form, sizeof e_form, "%.*e", digits - 1, value);
    if (strtod(e_form, nullptr) == value) break;
  }
  snprintf(e_form, sizeof e_form, "%.*e", digits - 1, value);
  const int exp10 = atoi(strchr(e_form, 'e') + 1);
  const int decimals = digits - 1 - exp10 > 0 ? digits - 1 - exp10 : 0;
  snprintf(plain, sizeof plain, "%.*f", decimals, value);
  const double magnitude = std::fabs(value);
  if (strlen(plain) > strlen(e_form) && !(magnitude >= 1e-4 && magnitude < 1)) return e_form;
  return plain;
}

// Every way of writing value checked against the C library; decimals for %f and %e.
void expect_as_library(double value, int decimals) {
  ASSERT_EQ(fixed(value, decimals), library_fixed(value, decimals))
      << std::hexfloat << value << " %." << decimals << "f";
  ASSERT_EQ(exponent(value, decimals), library_exponent(value, decimals))
      << std::hexfloat << value << " %." << decimals << "e";
}

TEST(Number, FixedAndExponentAreTheLibrarysOnRandomBits) {
  std::mt19937_64 random(23);
  for (int n = 0; n < 600000; n++) expect_as_library(from_bits(random()), int(random() % 18));
}

TEST(Number, TiesRoundToEvenOnTheExactBinaryValue) {
  // Hand-worked: 0.125 and 0.375 are exact ties; 0.15 is a little below its tie, 2.675 too.
  EXPECT_EQ(fixed(0.125, 2), "0.12");
  EXPECT_EQ(fixed(0.375, 2), "0.38");
  EXPECT_EQ(fixed(0.5, 0), "0");
  EXPECT_EQ(fixed(1.5, 0), "2");
  EXPECT_EQ(fixed(2.5, 0), "2");
  EXPECT_EQ(fixed(0.15, 1), "0.1");
  EXPECT_EQ(fixed(2.675, 2), "2.67");
  EXPECT_EQ(fixed(9.96, 1), "10.0");
  EXPECT_EQ(fixed(0.6, 0), "1");
  EXPECT_EQ(fixed(-0.004, 2), "-0.00");
  EXPECT_EQ(exponent(9.5, 0), "1e+01");
  EXPECT_EQ(exponent(0, 2), "0.00e+00");
  // Dyadic ties k / 2^j at every place, and the doubles next to them.
  std::mt19937_64 random(5);
  for (int n = 0; n < 400000; n++) {
    const int j = 1 + int(random() % 30);
    const double tie = double(random() % (uint64_t(1) << 40)) / double(uint64_t(1) << j);
    const double v = n % 3 == 0 ? tie : std::nextafter(tie, n % 3 == 1 ? 0.0 : 1e300);
    expect_as_library(n % 2 ? -v : v, j - 1 - int(j > 1 && random() % 3 == 0));
  }
  // Decimal halves as typed ("1234.5650" to 3 places), which lie on either side of their tie.
  for (int n = 0; n < 300000; n++) {
    const int places = int(random() % 17);
    char typed[64];
    snprintf(typed, sizeof typed, "%llu.%0*llu5", (unsigned long long)(random() % 100000), places,
             (unsigned long long)(random() % 1000000000000000000ULL));
    const double v = strtod(typed, nullptr);
    expect_as_library(v, places);
    expect_as_library(std::nextafter(v, 0.0), places);
  }
}

TEST(Number, SubnormalsHugeValuesAndLongPrecisionsAreExact) {
  std::mt19937_64 random(7);
  for (int n = 0; n < 100000; n++) {
    const uint64_t mantissa = random() & ((uint64_t(1) << 52) - 1);
    expect_as_library(from_bits(mantissa), int(random() % 18));                    // subnormal
    expect_as_library(from_bits(uint64_t(0x7fe - random() % 40) << 52 | mantissa), // huge
                      int(random() % 18));
  }
  // Every digit of the exact value, far past what a double holds.
  const double values[] = {
      5e-324, DBL_MIN, 0.1, 1.0 / 3, 123.456, DBL_MAX, -2.2250738585072009e-308};
  for (double v : values)
    for (int decimals : {20, 40, 60, 100, 340, 767, 1074, 1080, 1200})
      expect_as_library(v, decimals);
  for (int n = 0; n < 2000; n++) expect_as_library(from_bits(random()), 18 + int(random() % 1100));
}

TEST(Number, InfinitiesNanAndZerosAreWrittenAsTheLibraryWritesThem) {
  for (double v : {HUGE_VAL, -HUGE_VAL, std::nan(""), -std::nan(""), 0.0, -0.0})
    for (int decimals : {0, 1, 6, 17}) expect_as_library(v, decimals);
  EXPECT_EQ(shortest_text(-0.0), "0");
  EXPECT_EQ(shortest_text(HUGE_VAL), "inf");
  EXPECT_EQ(shortest_text(-HUGE_VAL), "-inf");
  EXPECT_EQ(shortest_text(std::nan("")), "nan");
}

TEST(Number, ShortestIsTheFewestDigitsStrtodReadsBack) {
  const std::pair<double, const char *> known[] = {
      {10, "10"},          {100000, "1e+05"},
      {0.0001, "0.0001"},  {0.1 + 0.2, "0.30000000000000004"},
      {5e-324, "5e-324"},  {1e23, "1e+23"},
      {2.5e-5, "2.5e-05"}, {1.7976931348623157e308, "1.7976931348623157e+308"},
      {-0.25, "-0.25"},    {123456789.125, "123456789.125"}};
  for (const auto &[value, text] : known) EXPECT_EQ(shortest_text(value), text);
  std::mt19937_64 random(11);
  for (int n = 0; n < 100000; n++) {
    const double v = from_bits(random());
    if (std::isfinite(v)) {
      ASSERT_EQ(shortest_text(v), library_shortest(v)) << std::hexfloat << v;
    }
  }
  // Typed decimals of 1 to 17 digits at every scale, subnormals, and powers of two (whose
  // neighbour below is twice as near).
  for (int n = 0; n < 50000; n++) {
    char typed[64];
    snprintf(typed, sizeof typed, "%.*e", int(random() % 17),
             double(random() % 1000000000) / 1e9 *
                 std::pow(10.0, double(int(random() % 600) - 300)));
    const double v = strtod(typed, nullptr);
    ASSERT_EQ(shortest_text(v), library_shortest(v)) << typed;
    const double s = from_bits(random() & ((uint64_t(1) << 52) - 1));
    ASSERT_EQ(shortest_text(s), library_shortest(s)) << std::hexfloat << s;
  }
  for (int k = -1074; k < 1024; k++) {
    const double p = std::ldexp(1.0, k);
    ASSERT_EQ(shortest_text(p), library_shortest(p)) << k;
    ASSERT_EQ(shortest_text(std::nextafter(p, 0.0)), library_shortest(std::nextafter(p, 0.0)));
  }
}

TEST(Number, TextKeepsWhatFitsAndCountsTheWhole) {
  char buffer[6];
  Text t = text_in(buffer, sizeof buffer);
  put(&t, "ab");
  put_fixed(&t, 3.14159, 3);
  EXPECT_EQ(t.size, 7u);
  EXPECT_STREQ(buffer, "ab3.1");
  // Padding as printf pads, a UTF-8 character a column.
  char wide[64];
  Text w = text_in(wide, sizeof wide);
  put(&w, "[");
  size_t from = w.size;
  put(&w, "76.6 \u00b12.7");
  align_right(&w, from, 10);
  put(&w, "|");
  from = w.size;
  put_unsigned(&w, 42);
  align_left(&w, from, 5);
  put(&w, "|");
  from = w.size;
  put_signed(&w, -7);
  align_right(&w, from, 4);
  EXPECT_STREQ(wide, "[ 76.6 \u00b12.7|42   |  -7");
  // Right alignment that no longer fits keeps the front and counts the whole.
  Text cut = text_in(buffer, sizeof buffer);
  put(&cut, "abc");
  align_right(&cut, 1, 6);
  EXPECT_EQ(cut.size, 7u);
  EXPECT_STREQ(buffer, "a    ");
  // Aligned wholly past the capacity, a field counts as the whole text would: ten digits, "ab"
  // right in six columns and a newline are 17 bytes, cut or not (a survey's summary of 280
  // cities, longer than its first buffer, was a byte short and lost its newline).
  for (size_t capacity : {size_t(64), size_t(8), size_t(11), size_t(13)}) {
    char some[64];
    Text past = text_in(some, capacity);
    put(&past, "0123456789");
    put_right(&past, "ab", 6);
    put_char(&past, '\n');
    EXPECT_EQ(past.size, 17u) << capacity;
  }
  // Aligned text that begins beyond the buffer counts as it would in a buffer large enough:
  // the size a caller then allocates holds it whole.
  Text past = text_in(buffer, sizeof buffer);
  put(&past, "abcdefgh");
  from = past.size;
  put(&past, "xy");
  align_right(&past, from, 5);
  put_char(&past, '|');
  EXPECT_EQ(past.size, 8u + 5u + 1u);
  std::vector<char> whole(past.size + 1);
  Text all = text_in(whole.data(), whole.size());
  put(&all, "abcdefgh");
  from = all.size;
  put(&all, "xy");
  align_right(&all, from, 5);
  put_char(&all, '|');
  EXPECT_EQ(all.size, past.size);
  EXPECT_STREQ(whole.data(), "abcdefgh   xy|");
}

} // namespace

namespace {

bool strtod_number(const char *text, size_t length, double *value) {
  const std::string s(text, length);
  char *end;
  *value = strtod(s.c_str(), &end);
  return !s.empty() && *end == '\0' && std::isfinite(*value);
}

RangeRefusal range_of(const char *text, Range *range) {
  int part;
  size_t start[3], end[3];
  return read_range(text, strlen(text), strtod_number, range, &part, start, end);
}

TEST(Range, EachValueIsTheDoubleOfItsNumberTypedAlone) {
  // 0.5:3:0.1 by repeated addition misses 0.6 and 3; each value is the typed number's double.
  Range r;
  ASSERT_EQ(range_of("0.5:3:0.1", &r), RANGE_READ);
  ASSERT_EQ(r.count, 26u);
  for (size_t k = 0; k < r.count; k++) {
    char typed[48];
    snprintf(typed, sizeof typed, "%zu.%zu", (5 + k) / 10, (5 + k) % 10);
    EXPECT_EQ(range_value(r, k, strtod_number), strtod(typed, nullptr)) << typed;
  }
  ASSERT_EQ(range_of("1e-3:2e-3:1e-4", &r), RANGE_READ);
  EXPECT_EQ(r.count, 11u);
  EXPECT_EQ(range_value(r, 3, strtod_number), 0.0013);
  // TO a millionth of a step short still counts; a single number is never negative zero.
  ASSERT_EQ(range_of("0:0.9999999:0.1", &r), RANGE_READ);
  EXPECT_EQ(r.count, 11u);
  ASSERT_EQ(range_of("-0", &r), RANGE_READ);
  EXPECT_FALSE(std::signbit(range_value(r, 0, strtod_number)));
  ASSERT_EQ(range_of("-0.5:0:0.5", &r), RANGE_READ);
  EXPECT_FALSE(std::signbit(range_value(r, 1, strtod_number)));
}

TEST(Range, RefusalsAndTheLimitOfAMillionValues) {
  Range r;
  int part = -1;
  size_t start[3], end[3];
  EXPECT_EQ(read_range("1:x:1", 5, strtod_number, &r, &part, start, end), RANGE_NOT_A_NUMBER);
  EXPECT_EQ(part, 1);
  EXPECT_EQ(start[1], 2u);
  EXPECT_EQ(end[1], 3u);
  EXPECT_EQ(range_of("1:2", &r), RANGE_NOT_THREE);
  EXPECT_EQ(range_of("1:2:3:4", &r), RANGE_NOT_THREE);
  EXPECT_EQ(range_of("0:1:0", &r), RANGE_STEP);
  EXPECT_EQ(range_of("2:1:1", &r), RANGE_FROM_ABOVE_TO);
  EXPECT_EQ(range_of("1:1000000:1", &r), RANGE_READ); // a million values
  EXPECT_EQ(r.count, 1000000u);
  EXPECT_EQ(range_of("0:1000000:1", &r), RANGE_TOO_MANY);
  EXPECT_EQ(range_of("0:1e308:1e-308", &r), RANGE_TOO_MANY); // the steps overflow
}

} // namespace
