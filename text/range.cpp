// A coefficient's range read and expanded. Start at read_range.
#include "range.h"

#include "number.h"

namespace {

// Decimal places that a number's text shows ("0.25" 2, "1e-3" 3, "2.5e1" 0), or -1 for a text
// whose decimals do not say (hexadecimal) or would be more than 340.
int decimals_of(const char *text, size_t length) {
  size_t dot = length, e = length;
  for (size_t k = 0; k < length; k++) {
    if (text[k] == 'x' || text[k] == 'X') return -1;
    if (text[k] == '.' && dot == length) dot = k;
    if ((text[k] == 'e' || text[k] == 'E') && e == length) e = k;
  }
  long places = dot == length ? 0 : long(e) - long(dot) - 1;
  if (e < length) {
    // The exponent as strtol reads it, held within -999 ... 999.
    size_t k = e + 1;
    const bool minus = k < length && text[k] == '-';
    if (k < length && (text[k] == '-' || text[k] == '+')) k++;
    long exponent = 0;
    for (; k < length && text[k] >= '0' && text[k] <= '9'; k++)
      if (exponent < 1000) exponent = exponent * 10 + (text[k] - '0');
    if (exponent > 999) exponent = 999;
    places -= minus ? -exponent : exponent;
  }
  return places < 0 ? 0 : places > 340 ? -1 : int(places);
}

} // namespace

RangeRefusal read_range(const char *text, size_t length, ReadNumber number, Range *range, int *part,
                        size_t start[3], size_t end[3]) {
  // The parts between colons: the first three, and how many there are.
  int parts = 0;
  for (size_t at = 0;; at++) {
    size_t colon = at;
    while (colon < length && text[colon] != ':') colon++;
    if (parts < 3) start[parts] = at, end[parts] = colon;
    parts++;
    if (colon == length) break;
    at = colon;
  }
  double v[3] = {0, 0, 0};
  for (int p = 0; p < parts && p < 3; p++)
    if (!number(text + start[p], end[p] - start[p], &v[p])) return *part = p, RANGE_NOT_A_NUMBER;
  if (parts == 1) {
    *range = {v[0] + 0.0, v[0] + 0.0, 1, 1, -1};
    return RANGE_READ;
  }
  const double steps = (v[1] - v[0]) / v[2]; // +inf when TO - FROM overflows
  if (parts != 3) return RANGE_NOT_THREE;
  if (!(v[2] > 0)) return RANGE_STEP;
  if (v[0] > v[1]) return RANGE_FROM_ABOVE_TO;
  if (!(steps + RANGE_SLACK < double(RANGE_MAX_VALUES))) return RANGE_TOO_MANY;
  const int from_places = decimals_of(text + start[0], end[0] - start[0]);
  const int step_places = decimals_of(text + start[2], end[2] - start[2]);
  const int places = from_places < 0 || step_places < 0 ? -1
                     : from_places > step_places        ? from_places
                                                        : step_places;
  *range = {v[0], v[1], v[2], size_t(steps + RANGE_SLACK) + 1, places};
  return RANGE_READ;
}

double range_value(const Range &range, size_t k, ReadNumber number) {
  if (range.count == 1) return range.from;
  double v = range.from + double(k) * range.step;
  if (range.places >= 0) {
    char text[720]; // %.340f of a double below 10^309
    Text t = text_in(text, sizeof text);
    put_fixed(&t, v, range.places);
    double read;
    if (t.size < sizeof text && number(text, t.size, &read)) v = read;
  }
  return v + 0.0;
}
