// Reading a TSPLIB tour file's text. Start at read_tour_text: the keywords line by line up to
// TOUR_SECTION, then the section's numbers word by word up to -1, then what may follow it.
#include "tour_file.h"

#include "text_lines.h"

namespace {

// The text read line by line, each line numbered from 1 as it is taken.
struct Reader {
  const char *at, *end;
  int number;
};

// The span without blanks at either end.
Span trimmed(Span s) {
  while (s.n && blank(*s.p)) s.p++, s.n--;
  while (s.n && blank(s.p[s.n - 1])) s.n--;
  return s;
}

// A word as a whole number of at most nine digits, maybe after a '-'; false for anything else.
bool whole_number(Span w, long *value) {
  const bool minus = w.n > 0 && *w.p == '-';
  const size_t from = minus ? 1 : 0;
  if (w.n == from || w.n - from > 9) return false;
  long v = 0;
  for (size_t k = from; k < w.n; k++) {
    if (w.p[k] < '0' || w.p[k] > '9') return false;
    v = v * 10 + (w.p[k] - '0');
  }
  *value = minus ? -v : v;
  return true;
}

// The refusal at line for the reason: the text, then a number when `number` is not -1, then the
// rest. Always false.
bool fail(CityError *e, int line, const char *reason, long number = -1, const char *rest = "") {
  size_t at = 0;
  auto put = [&](char c) {
    if (at + 1 < sizeof e->why) e->why[at++] = c;
  };
  for (const char *r = reason; *r; r++) put(*r);
  if (number >= 0) {
    char digits[24];
    int count = 0;
    do digits[count++] = char('0' + number % 10), number /= 10;
    while (number);
    while (count) put(digits[--count]);
  }
  for (const char *r = rest; *r; r++) put(*r);
  e->why[at] = '\0';
  e->line = line;
  e->pieces = 0; // no word of the file in it
  return false;
}

// The keyword lines up to TOUR_SECTION: TYPE must be TOUR and DIMENSION n where they are given.
bool read_keywords(Reader *r, int n, CityError *e) {
  for (Span line; next_line(r, &line);) {
    const Span whole = trimmed(line);
    if (is(whole, "TOUR_SECTION")) return true;
    if (!whole.n) continue;
    size_t colon = 0;
    while (colon < whole.n && whole.p[colon] != ':') colon++;
    if (colon == whole.n) return fail(e, r->number, "a tour file's line is KEYWORD : value");
    const Span key = trimmed({whole.p, colon}),
               value = trimmed({whole.p + colon + 1, whole.n - colon - 1});
    long dimension;
    if (is(key, "TYPE") && !is(value, "TOUR")) return fail(e, r->number, "TYPE is not TOUR");
    if (is(key, "DIMENSION") && !(whole_number(value, &dimension) && dimension == n))
      return fail(e, r->number, "DIMENSION is not the instance's ", n, " cities");
  }
  return fail(e, 0, "no TOUR_SECTION");
}

} // namespace

bool read_tour_text(const char *text, size_t size, int n, int *city, CityError *error) {
  Reader r = {text, text + size, 0};
  if (!read_keywords(&r, n, error)) return false;
  int count = 0;
  bool ended = false; // -1 read
  for (Span line, rest, word; !ended && next_line(&r, &line);)
    for (rest = line; !ended && next_word(&rest, &word);) {
      long v;
      if (!whole_number(word, &v) || v == 0 || v < -1 || v > n)
        return fail(error, r.number, "a tour's city is a number from 1 to ", n, ", or -1 to end");
      if (v == -1) {
        ended = true;
        if (next_word(&rest, &word)) return fail(error, r.number, "nothing follows -1 on its line");
        break;
      }
      if (count == n) return fail(error, r.number, "more than ", n, " cities");
      for (int j = 0; j < count; j++)
        if (city[j] == int(v) - 1) return fail(error, r.number, "city ", v, " comes twice");
      city[count++] = int(v) - 1;
    }
  if (!ended) return fail(error, 0, "the tour does not end with -1");
  if (count < n) return fail(error, r.number, "the tour has ", count, " cities, not all");
  // Then at most EOF, and blank lines.
  for (Span line; next_line(&r, &line);) {
    const Span whole = trimmed(line);
    if (whole.n && !is(whole, "EOF")) return fail(error, r.number, "only EOF may follow the tour");
    if (whole.n) break;
  }
  return true;
}
