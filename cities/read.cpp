// Reading a city file's text. Start at read_city_text; read_tsplib reads TSPLIB's keywords and
// sections line by line, read_plain the x y lines. Both stage what they read; commit puts it in
// the model once the whole text is read.
#include "read.h"

#include <math.h>
#include <stdint.h>

#include "network.h"
#include "text_lines.h"
#include "tsplib.h"

namespace {

// The lines of the text, numbered from 1 as they are taken, and the platform's conversion of
// the numbers in them.
struct Lines {
  const char *at, *end;
  int number;
  NumberConversion convert;
};

// A line's words, at most max of them kept; how many there are.
int words_of(Span line, Span *word, int max) {
  int count = 0;
  for (Span w; next_word(&line, &w); count++)
    if (count < max) word[count] = w;
  return count;
}

// A piece of a reason: a word of the file, or a whole number.
struct Piece {
  const char *p; // the word, or null for the number
  long n;        // the word's length, or the number
};
Piece word(Span w) {
  return {w.p, long(w.n)};
}
Piece whole(long v) {
  return {nullptr, v};
}

// Appends a character to the reason, as far as it has room; false when it had none.
bool append(CityError *e, size_t *at, char c) {
  if (*at + 1 >= sizeof e->why) return false;
  e->why[(*at)++] = c;
  return true;
}

// The length of the reason cut back to the last whole UTF-8 character in why[0 ... at - 1].
size_t whole_characters(const char *why, size_t at) {
  size_t lead = at;
  while (lead > 0 && at - lead < 4 && (why[lead - 1] & 0xc0) == 0x80) lead--;
  if (lead == 0) return at;
  const unsigned char c = (unsigned char)why[lead - 1];
  const size_t length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 1;
  return at - (lead - 1) >= length ? at : lead - 1;
}

// The file refused at line (0: the whole file) for the reason: the text, each '%' in it
// replaced by the next piece. A reason too long for why is cut where a character ends. Always
// false.
bool fail(CityError *e, int line, const char *reason, Piece a = {}, Piece b = {}, Piece c = {},
          Piece d = {}) {
  const Piece pieces[] = {a, b, c, d};
  size_t at = 0, next = 0;
  bool cut = false;
  e->pieces = 0;
  for (const char *r = reason; *r && !cut; r++) {
    if (*r != '%' || next == 4) {
      cut = !append(e, &at, *r);
      continue;
    }
    const Piece &piece = pieces[next++];
    if (piece.p) {
      const size_t from = at;
      for (long k = 0; k < piece.n && !cut; k++) cut = !append(e, &at, piece.p[k]);
      if (cut) at = whole_characters(e->why, at);
      e->piece[e->pieces][0] = int(from), e->piece[e->pieces][1] = int(at);
      e->pieces++;
      continue;
    }
    char digits[24];
    int count = 0;
    unsigned long v = piece.n < 0 ? 0ul - (unsigned long)piece.n : (unsigned long)piece.n;
    do digits[count++] = char('0' + v % 10), v /= 10;
    while (v);
    if (piece.n < 0) append(e, &at, '-');
    while (count) append(e, &at, digits[--count]);
  }
  e->why[at] = '\0';
  e->line = line;
  return false;
}

// The longest number read, in characters: no longer word is read as one (read.h promises it
// to each NumberConversion).
const size_t NUMBER_MOST = 64;

// Whether the word is a decimal number's text, as both platforms read it:
// [+-]?(digits[.digits?] | .digits)([eE][+-]?digits)?, at most NUMBER_MOST characters.
bool decimal(Span w) {
  if (w.n > NUMBER_MOST) return false;
  size_t k = 0, digits = 0;
  const auto digit = [&](size_t at) { return at < w.n && w.p[at] >= '0' && w.p[at] <= '9'; };
  if (k < w.n && (w.p[k] == '+' || w.p[k] == '-')) k++;
  for (; digit(k); k++) digits++;
  if (k < w.n && w.p[k] == '.')
    for (k++; digit(k); k++) digits++;
  if (!digits) return false;
  if (k < w.n && (w.p[k] == 'e' || w.p[k] == 'E')) {
    k++;
    if (k < w.n && (w.p[k] == '+' || w.p[k] == '-')) k++;
    if (!digit(k)) return false;
    while (digit(k)) k++;
  }
  return k == w.n;
}

// Whether x is finite (the page's module has no isfinite).
bool is_finite(double x) {
  return x - x == 0;
}

// A word of the text as a finite decimal number, by the platform's conversion.
bool number(const Lines *lines, Span w, double *v) {
  if (!decimal(w)) return false;
  *v = lines->convert(w.p, w.n);
  return is_finite(*v);
}

// The largest DIMENSION taken in: a larger one is read as this one.
const int DIMENSION_MOST = 1000000;

// The cities read, before they reach the model. A file of more than MAXCITY cities is read
// through to its end, and only its first MAXCITY cities kept.
struct Staged {
  int n;
  Metric metric;
  bool coordinates;                           // xy holds them
  double xy[MAXCITY][2];                      // as the file gives them
  int xy_line[MAXCITY];                       // the line of each
  double display[MAXCITY][2];                 // a matrix's coordinates to draw, when it has any
  double d[MAXCITY][MAXCITY];                 // a matrix
  unsigned char seen[DIMENSION_MOST / 8 + 1]; // the nodes of a section read so far
};
Staged staged;

// Node lines "i x y" for nodes 1 ... n, each once, into xy (those below MAXCITY).
bool read_nodes(Lines *lines, int n, double (*xy)[2], CityError *e) {
  for (int k = 0; k <= n / 8; k++) staged.seen[k] = 0;
  for (int k = 0; k < n; k++) {
    Span line, w[3];
    int count = 0;
    while (next_line(lines, &line) && (count = words_of(line, w, 3)) == 0) {
    } // blank lines passed over
    if (lines->at == lines->end && count == 0)
      return fail(e, lines->number, "the section ends after % of % nodes", whole(k), whole(n));
    double id, x, y;
    if (count != 3 || !number(lines, w[0], &id) || !number(lines, w[1], &x) ||
        !number(lines, w[2], &y))
      return fail(e, lines->number, "a node is 'number x y', with finite numbers");
    if (id != floor(id) || id < 1 || id > n)
      return fail(e, lines->number, "node % is not one of 1 ... %", word(w[0]), whole(n));
    const int i = int(id) - 1;
    if (staged.seen[i / 8] & (1 << i % 8))
      return fail(e, lines->number, "node % comes twice", word(w[0]));
    staged.seen[i / 8] |= (unsigned char)(1 << i % 8);
    if (i < MAXCITY) xy[i][0] = x, xy[i][1] = y, staged.xy_line[i] = lines->number;
  }
  return true;
}

// The matrix formats read here, and how each walks the matrix.
enum Format { FORMAT_NONE, FULL_MATRIX, UPPER_ROW, LOWER_DIAG_ROW, UPPER_DIAG_ROW };
Format format_of(Span f) {
  return is(f, "FULL_MATRIX")      ? FULL_MATRIX
         : is(f, "UPPER_ROW")      ? UPPER_ROW
         : is(f, "LOWER_DIAG_ROW") ? LOWER_DIAG_ROW
         : is(f, "UPPER_DIAG_ROW") ? UPPER_DIAG_ROW
                                   : FORMAT_NONE;
}

// The weights an EDGE_WEIGHT_SECTION of the format holds for n cities.
uint64_t weight_count(Format format, uint64_t n) {
  return format == FULL_MATRIX ? n * n : format == UPPER_ROW ? n * (n - 1) / 2 : n * (n + 1) / 2;
}

// The cell (i, j) of the matrix the format's first weight is, for n cities.
void first_cell(Format format, int n, int *i, int *j) {
  *i = 0, *j = format == UPPER_ROW && n > 1 ? 1 : 0;
}

// The cell after (i, j), in the order the format writes the matrix.
void next_cell(Format format, int n, int *i, int *j) {
  const int last = format == LOWER_DIAG_ROW ? *i : n - 1; // the row's last column
  if (*j < last) {
    (*j)++;
    return;
  }
  (*i)++;
  *j = format == UPPER_ROW ? *i + 1 : format == UPPER_DIAG_ROW ? *i : 0;
}

// An EDGE_WEIGHT_SECTION's weights, count of them in the format for n cities, into the matrix
// d (its cells below MAXCITY, both halves): each finite, not below 0, 0 on the diagonal.
bool read_weights(Lines *lines, Span format_word, Format format, int n, CityError *e) {
  const uint64_t count = weight_count(format, uint64_t(n));
  uint64_t got = 0;
  int i, j;
  first_cell(format, n, &i, &j);
  for (Span line; got < count && next_line(lines, &line);)
    for (Span w; next_word(&line, &w);) {
      double v;
      if (!number(lines, w, &v))
        return fail(e, lines->number, "'%' is not a finite number", word(w));
      if (got == count)
        return fail(e, lines->number, "more weights than % of % cities holds", word(format_word),
                    whole(n));
      if (v < 0) return fail(e, lines->number, "weight % is below 0", word(w));
      if (i == j && v != 0)
        return fail(e, lines->number, "the diagonal is not 0: % to % is %", whole(i + 1),
                    whole(j + 1), word(w));
      if (i < MAXCITY && j < MAXCITY) {
        staged.d[i][j] = v;
        if (format != FULL_MATRIX) staged.d[j][i] = v;
      }
      got++;
      next_cell(format, n, &i, &j);
    }
  if (got < count)
    return fail(e, lines->number, "the section ends after % of % weights", whole(long(got)),
                whole(long(count)));
  return true;
}

// Whether a GEO node is a latitude within 90 degrees and a longitude within 180, as DDD.MM
// with fewer than 60 minutes (10.60, read as 10.5999999999999996, has 60).
bool geo_ok(double latitude, double longitude) {
  const double most = 60 - 1e-9; // minutes, above the binary error of two decimals
  return fabs(latitude) <= 90 && fabs(longitude) <= 180 &&
         fabs(latitude - trunc(latitude)) * 100 < most &&
         fabs(longitude - trunc(longitude)) * 100 < most;
}

// Whether the word is a TSPLIB keyword's: capitals, digits and '_'.
bool keyword_word(Span w) {
  if (!w.n) return false;
  for (size_t k = 0; k < w.n; k++)
    if (!(w.p[k] == '_' || (w.p[k] >= 'A' && w.p[k] <= 'Z') || (w.p[k] >= '0' && w.p[k] <= '9')))
      return false;
  return true;
}

// Whether the span ends with the text s.
bool ends_with(Span w, const char *s) {
  size_t n = 0;
  while (s[n]) n++;
  return w.n >= n && is({w.p + w.n - n, n}, s);
}

// A TSPLIB file: keywords ("KEY : value"), the sections they call for and EOF, blank lines
// between them; nothing else.
bool read_tsplib(Lines *lines, CityName *name, CityError *e) {
  Span type = {"", 0}, format = {"", 0}, section_format = {"", 0}, line;
  int dimension = -1, too_many = 0;          // too_many: the line of a DIMENSION above MAXCITY
  int nodes = 0, weights = 0, display = 0;   // the line of each section, once read
  bool in_nodes = false, in_weights = false; // whether the last line read ended such a section
  while (next_line(lines, &line)) {
    Span first;
    Span rest = line;
    if (!next_word(&rest, &first)) continue;
    Span key = first; // the first word up to its first colon
    for (size_t k = 0; k < first.n; k++)
      if (first.p[k] == ':') {
        key.n = k;
        break;
      }
    Span value = {"", 0}; // the first word after the line's first colon
    for (size_t k = 0; k < line.n; k++)
      if (line.p[k] == ':') {
        Span after = {line.p + k + 1, line.n - k - 1};
        if (!next_word(&after, &value)) value = {"", 0};
        break;
      }
    const int at = lines->number;
    // A keyword is "KEY : value", its colon right after the key; a section or EOF a word.
    Span after_key = rest, next;
    const bool colon_next = key.n < first.n || (next_word(&after_key, &next) && next.p[0] == ':');
    const bool section = keyword_word(key) && (ends_with(key, "_SECTION") || is(key, "EOF"));
    if (!keyword_word(key) || !(colon_next || section)) {
      double v;
      if (in_nodes && number(lines, first, &v))
        return fail(e, at, "more nodes than DIMENSION % holds", whole(dimension));
      if (in_weights && number(lines, first, &v))
        return fail(e, at, "more weights than % of % cities holds", word(section_format),
                    whole(dimension));
      return fail(e, at, "'%' is not a keyword, a section or EOF", word(first));
    }
    in_nodes = in_weights = false;
    if (is(key, "EOF")) break;
    if (is(key, "NAME")) {
      size_t k = 0;
      for (; k < value.n && k + 1 < sizeof name->s; k++) name->s[k] = value.p[k];
      name->s[k] = '\0';
    } else if (is(key, "TYPE")) {
      if (!is(value, "TSP")) return fail(e, at, "TYPE % is not supported: only TSP", word(value));
    } else if (is(key, "DIMENSION")) {
      double v;
      if (dimension >= 0) return fail(e, at, "DIMENSION comes twice");
      if (!number(lines, value, &v) || v != floor(v))
        return fail(e, at, "DIMENSION is not a whole number");
      dimension = int(fmax(-DIMENSION_MOST, fmin(v, DIMENSION_MOST)));
      if (dimension > MAXCITY)
        too_many = at; // refused once the rest is read
      else if (!city_count_ok(dimension, at, e))
        return false;
    } else if (is(key, "EDGE_WEIGHT_TYPE")) {
      type = value;
      if (!is(value, "EUC_2D") && !is(value, "ATT") && !is(value, "GEO") && !is(value, "EXPLICIT"))
        return fail(e, at, "EDGE_WEIGHT_TYPE % is not supported: EUC_2D, ATT, GEO or EXPLICIT",
                    word(value));
    } else if (is(key, "EDGE_WEIGHT_FORMAT")) {
      format = value;
      if (!is(value, "FUNCTION") && format_of(value) == FORMAT_NONE)
        return fail(e, at,
                    "EDGE_WEIGHT_FORMAT % is not supported: FULL_MATRIX, UPPER_ROW, LOWER_DIAG_ROW "
                    "or UPPER_DIAG_ROW",
                    word(value));
    } else if (is(key, "NODE_COORD_SECTION") || is(key, "DISPLAY_DATA_SECTION")) {
      if (dimension < 0) return fail(e, at, "DIMENSION must come before %", word(key));
      const bool node = is(key, "NODE_COORD_SECTION");
      int &seen = node ? nodes : display;
      if (seen) return fail(e, at, "% comes twice", word(key));
      if (!read_nodes(lines, dimension, node ? staged.xy : staged.display, e)) return false;
      seen = at, in_nodes = true;
    } else if (is(key, "EDGE_WEIGHT_SECTION")) {
      if (dimension < 0) return fail(e, at, "DIMENSION must come before %", word(key));
      if (format_of(format) == FORMAT_NONE)
        return fail(e, at, "EDGE_WEIGHT_SECTION without EDGE_WEIGHT_FORMAT");
      if (weights) return fail(e, at, "% comes twice", word(key));
      // Weights that no text this reader takes could hold (2 bytes each at least): the size.
      if (weight_count(format_of(format), uint64_t(dimension)) > CITY_TEXT_MAX / 2)
        return city_count_ok(dimension, too_many, e);
      if (!read_weights(lines, format, format_of(format), dimension, e)) return false;
      weights = at, section_format = format, in_weights = true;
    } else if (section) {
      return fail(e, at, "% is not supported", word(key));
    }
  }
  const bool explicit_type = is(type, "EXPLICIT");
  if (type.n && explicit_type && nodes)
    return fail(e, nodes, "NODE_COORD_SECTION in an EXPLICIT file: its distances are its weights");
  if (type.n && !explicit_type && weights)
    return fail(e, weights, "EDGE_WEIGHT_SECTION in a file of coordinates");
  if (type.n && !explicit_type && display)
    return fail(e, display, "DISPLAY_DATA_SECTION in a file of coordinates");
  if (too_many) return city_count_ok(dimension, too_many, e);
  if (dimension < 0) return fail(e, 0, "no DIMENSION");
  if (!type.n) return fail(e, 0, "no EDGE_WEIGHT_TYPE");
  const int n = staged.n = dimension;
  if (explicit_type) {
    if (!weights) return fail(e, 0, "no EDGE_WEIGHT_SECTION");
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++)
        if (staged.d[i][j] != staged.d[j][i])
          return fail(e, 0, "the matrix is not symmetric: % to % is not % to %", whole(i + 1),
                      whole(j + 1), whole(j + 1), whole(i + 1));
    staged.metric = METRIC_MATRIX;
    staged.coordinates = display;
    for (int i = 0; display && i < n; i++)
      staged.xy[i][0] = staged.display[i][0], staged.xy[i][1] = staged.display[i][1];
    return true;
  }
  if (!nodes) return fail(e, 0, "no NODE_COORD_SECTION");
  staged.coordinates = true;
  staged.metric = is(type, "EUC_2D") ? METRIC_EUC_2D : is(type, "ATT") ? METRIC_ATT : METRIC_GEO;
  for (int i = 0; staged.metric == METRIC_GEO && i < n; i++)
    if (!geo_ok(staged.xy[i][0], staged.xy[i][1]))
      return fail(e, staged.xy_line[i],
                  "node % is not a latitude within 90 and a longitude within 180 degrees, "
                  "as DDD.MM with minutes below 60",
                  whole(i + 1));
  return true;
}

// x y lines, '#' comments and blank lines passed over.
bool read_plain(Lines *lines, CityError *e) {
  staged.n = 0;
  for (Span line; next_line(lines, &line);) {
    for (size_t k = 0; k < line.n; k++)
      if (line.p[k] == '#') line.n = k;
    Span w[2];
    const int count = words_of(line, w, 2);
    if (count == 0) continue;
    double x, y;
    if (count != 2 || !number(lines, w[0], &x) || !number(lines, w[1], &y))
      return fail(e, lines->number, "a city is 'x y', two finite numbers");
    if (staged.n == MAXCITY) return fail(e, lines->number, "more than % cities", whole(MAXCITY));
    staged.xy[staged.n][0] = x, staged.xy[staged.n][1] = y;
    staged.n++;
  }
  staged.metric = METRIC_XY;
  staged.coordinates = true;
  return city_count_ok(staged.n, 0, e);
}

// Whether the first line is a TSPLIB "KEYWORD : value": one word of capitals and '_' before a
// colon.
bool is_tsplib(const char *text, size_t size) {
  Lines lines = {text, text + size, 0, nullptr};
  Span line, key;
  if (!next_line(&lines, &line)) return false;
  size_t colon = 0;
  while (colon < line.n && line.p[colon] != ':') colon++;
  if (colon == line.n) return false;
  if (words_of({line.p, colon}, &key, 1) != 1) return false;
  for (size_t k = 0; k < key.n; k++)
    if (!(key.p[k] == '_' || (key.p[k] >= 'A' && key.p[k] <= 'Z'))) return false;
  return true;
}

// The staged cities into the model.
void commit() {
  const int n = staged.n;
  network.n = n;
  network.distances_given = staged.metric == METRIC_MATRIX;
  cityxy_known = staged.coordinates;
  for (int i = 0; i < n; i++) {
    cityxy[i][0] = staged.coordinates ? staged.xy[i][0] : 0;
    cityxy[i][1] = staged.coordinates ? staged.xy[i][1] : 0;
    if (staged.metric == METRIC_MATRIX)
      for (int j = 0; j < n; j++) citydistance[i][j] = staged.d[i][j];
  }
  if (staged.metric >= METRIC_EUC_2D && staged.metric <= METRIC_GEO)
    tsplib_distances(staged.metric);
  build_distances(network);
}

} // namespace

bool city_count_ok(int n, int line, CityError *e) {
  if (n >= MINCITY && n <= MAXCITY) return true;
  return fail(e, line, "% cities: a network has % to %", whole(n), whole(MINCITY), whole(MAXCITY));
}

bool read_city_text(const char *text, size_t size, NumberConversion convert, CityName *name,
                    Metric *metric, CityError *error) {
  name->s[0] = '\0';
  if (size > CITY_TEXT_MAX) return fail(error, 0, "larger than % MB", whole(CITY_TEXT_MAX >> 20));
  if (size >= 3 && text[0] == '\xef' && text[1] == '\xbb' && text[2] == '\xbf')
    text += 3, size -= 3; // a byte-order mark
  Lines lines = {text, text + size, 0, convert};
  if (!(is_tsplib(text, size) ? read_tsplib(&lines, name, error) : read_plain(&lines, error)))
    return false;
  commit();
  *metric = staged.metric;
  return true;
}

bool check_cities(CityError *error) {
  const int n = network.n;
  for (int axis = 0; cityxy_known && axis < 2; axis++) {
    double low = cityxy[0][axis], high = low;
    for (int i = 0; i < n; i++)
      low = fmin(low, cityxy[i][axis]), high = fmax(high, cityxy[i][axis]);
    if (!is_finite(high - low)) return fail(error, 0, "the coordinates overflow");
  }
  Network as_scaled = network;
  as_scaled.distances = DISTANCES_SCALED;
  build_distances(as_scaled); // citydistance too, for cities given by coordinates
  double total = 0;
  bool finite = true, scaled = true;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      if (citydistance[i][j] < 0)
        return fail(error, 0, "the distance from % to % is below 0", whole(i + 1), whole(j + 1));
      total += citydistance[i][j];
      finite = finite && is_finite(citydistance[i][j]);
      scaled = scaled && is_finite(distance[i][j]);
    }
  if (finite && total == 0) return fail(error, 0, "the % cities are all at one point", whole(n));
  if (!finite || !is_finite(total) || !scaled) return fail(error, 0, "the distances overflow");
  build_distances(network);
  return true;
}
