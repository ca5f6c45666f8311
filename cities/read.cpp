// Reading a city file's text. Start at read_city_text; read_tsplib reads TSPLIB's keywords and
// sections line by line, read_plain the x y lines. Both stage what they read; commit puts it in
// the model once the whole text is read.
#include "read.h"

#include <math.h>

#include "network.h"
#include "tsplib.h"

namespace {

// A piece of the text: a line, or a word of it.
struct Span {
  const char *p;
  size_t n;
};

// Whether the span is the text s.
bool is(Span w, const char *s) {
  size_t k = 0;
  for (; k < w.n && s[k]; k++)
    if (w.p[k] != s[k]) return false;
  return k == w.n && !s[k];
}

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The lines of the text, numbered from 1 as they are taken.
struct Lines {
  const char *at, *end;
  int number;
};

// The next line, without its '\n'; false at the end of the text.
bool next_line(Lines *lines, Span *line) {
  if (lines->at == lines->end) return false;
  const char *p = lines->at;
  while (p < lines->end && *p != '\n') p++;
  *line = {lines->at, size_t(p - lines->at)};
  lines->at = p < lines->end ? p + 1 : p;
  lines->number++;
  return true;
}

// The next word of the rest of a line, which it leaves after the word; false when none is left.
bool next_word(Span *rest, Span *word) {
  while (rest->n && blank(*rest->p)) rest->p++, rest->n--;
  if (!rest->n) return false;
  size_t k = 0;
  while (k < rest->n && !blank(rest->p[k])) k++;
  *word = {rest->p, k};
  rest->p += k, rest->n -= k;
  return true;
}

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
  size_t n;
  long number;
};
Piece word(Span w) {
  return {w.p, w.n, 0};
}
Piece whole(long v) {
  return {nullptr, 0, v};
}

// Appends a character to the reason, as far as it has room.
void append(CityError *e, size_t *at, char c) {
  if (*at + 1 < sizeof e->why) e->why[(*at)++] = c;
}

// The file refused at line (0: the whole file) for the reason: the text, each '%' in it
// replaced by the next piece. Always false.
bool fail(CityError *e, int line, const char *reason, Piece a = {}, Piece b = {}, Piece c = {},
          Piece d = {}) {
  const Piece pieces[] = {a, b, c, d};
  size_t at = 0, next = 0;
  for (const char *r = reason; *r; r++) {
    if (*r != '%' || next == 4) {
      append(e, &at, *r);
      continue;
    }
    const Piece &piece = pieces[next++];
    if (piece.p) {
      for (size_t k = 0; k < piece.n; k++) append(e, &at, piece.p[k]);
      continue;
    }
    char digits[24];
    int count = 0;
    unsigned long v =
        piece.number < 0 ? 0ul - (unsigned long)piece.number : (unsigned long)piece.number;
    do digits[count++] = char('0' + v % 10), v /= 10;
    while (v);
    if (piece.number < 0) append(e, &at, '-');
    while (count) append(e, &at, digits[--count]);
  }
  e->why[at] = '\0';
  e->line = line;
  return false;
}

bool number(Span w, double *v) {
  return word_number(w.p, w.n, v);
}

bool size_ok(int n, int line, CityError *e) {
  if (n >= MINCITY && n <= MAXCITY) return true;
  return fail(e, line, "% cities: a network has % to %", whole(n), whole(MINCITY), whole(MAXCITY));
}

// The cities read, before they reach the model.
struct Staged {
  int n;
  CityKind kind;
  bool coordinates;                  // xy holds them
  double xy[MAXCITY][2];             // as the file gives them
  double display[MAXCITY][2];        // a matrix's coordinates to draw, when it has any
  double d[MAXCITY][MAXCITY];        // a matrix
  double weights[MAXCITY * MAXCITY]; // its section's numbers, as read
};
Staged staged;

// Node lines "i x y" for nodes 1 ... n, each once, into xy.
bool read_nodes(Lines *lines, int n, double (*xy)[2], CityError *e) {
  bool seen[MAXCITY] = {};
  for (int k = 0; k < n; k++) {
    Span line, w[3];
    if (!next_line(lines, &line))
      return fail(e, lines->number, "the section ends after % of % nodes", whole(k), whole(n));
    double id, x, y;
    if (words_of(line, w, 3) != 3 || !number(w[0], &id) || !number(w[1], &x) || !number(w[2], &y))
      return fail(e, lines->number, "a node is 'number x y', with finite numbers");
    if (id != floor(id) || id < 1 || id > n)
      return fail(e, lines->number, "node % is not one of 1 ... %", word(w[0]), whole(n));
    const int i = int(id) - 1;
    if (seen[i]) return fail(e, lines->number, "node % comes twice", word(w[0]));
    seen[i] = true;
    xy[i][0] = x, xy[i][1] = y;
  }
  return true;
}

// Whether the format is one of the four matrix formats read here.
bool matrix_format(Span f) {
  return is(f, "FULL_MATRIX") || is(f, "UPPER_ROW") || is(f, "LOWER_DIAG_ROW") ||
         is(f, "UPPER_DIAG_ROW");
}

// The weights an EDGE_WEIGHT_SECTION of the format holds for n cities; 0 for no such format.
size_t weight_count(Span format, size_t n) {
  return is(format, "FULL_MATRIX")                                      ? n * n
         : is(format, "UPPER_ROW")                                      ? n * (n - 1) / 2
         : is(format, "LOWER_DIAG_ROW") || is(format, "UPPER_DIAG_ROW") ? n * (n + 1) / 2
                                                                        : 0;
}

// The section's weights into the matrix d, by the format they were read in.
void place_weights(Span format, int n) {
  size_t at = 0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      const bool read = is(format, "FULL_MATRIX")      ? true
                        : is(format, "UPPER_ROW")      ? j > i
                        : is(format, "LOWER_DIAG_ROW") ? j <= i
                                                       : j >= i;
      if (!read) continue;
      const double v = staged.weights[at++];
      staged.d[i][j] = v;
      if (!is(format, "FULL_MATRIX")) staged.d[j][i] = v;
    }
}

// A TSPLIB file: the keywords, then the sections they call for.
bool read_tsplib(Lines *lines, CityName *name, CityError *e) {
  Span type = {"", 0}, format = {"", 0}, section_format = {"", 0}, line;
  int dimension = -1;
  bool nodes = false, weights = false, display = false;
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
      if (!number(value, &v) || v != floor(v))
        return fail(e, at, "DIMENSION is not a whole number");
      if (!size_ok(int(fmax(-1e6, fmin(v, 1e6))), at, e)) return false;
      dimension = int(v);
    } else if (is(key, "EDGE_WEIGHT_TYPE")) {
      type = value;
      if (!is(value, "EUC_2D") && !is(value, "ATT") && !is(value, "GEO") && !is(value, "EXPLICIT"))
        return fail(e, at, "EDGE_WEIGHT_TYPE % is not supported: EUC_2D, ATT, GEO or EXPLICIT",
                    word(value));
    } else if (is(key, "EDGE_WEIGHT_FORMAT")) {
      format = value;
      if (!is(value, "FUNCTION") && !matrix_format(value))
        return fail(e, at,
                    "EDGE_WEIGHT_FORMAT % is not supported: FULL_MATRIX, UPPER_ROW, LOWER_DIAG_ROW "
                    "or UPPER_DIAG_ROW",
                    word(value));
    } else if (is(key, "NODE_COORD_SECTION") || is(key, "DISPLAY_DATA_SECTION")) {
      if (dimension < 0) return fail(e, at, "DIMENSION must come before %", word(key));
      const bool node = is(key, "NODE_COORD_SECTION");
      if (!read_nodes(lines, dimension, node ? staged.xy : staged.display, e)) return false;
      (node ? nodes : display) = true;
    } else if (is(key, "EDGE_WEIGHT_SECTION")) {
      if (dimension < 0) return fail(e, at, "DIMENSION must come before %", word(key));
      const size_t count = weight_count(format, size_t(dimension));
      if (count == 0) return fail(e, at, "EDGE_WEIGHT_SECTION without EDGE_WEIGHT_FORMAT");
      size_t got = 0;
      while (got < count && next_line(lines, &line))
        for (Span w; next_word(&line, &w);) {
          double v;
          if (!number(w, &v)) return fail(e, lines->number, "'%' is not a finite number", word(w));
          if (got == count)
            return fail(e, lines->number, "more weights than % of % cities holds", word(format),
                        whole(dimension));
          staged.weights[got++] = v;
        }
      if (got < count)
        return fail(e, lines->number, "the section ends after % of % weights", whole(long(got)),
                    whole(long(count)));
      weights = true, section_format = format;
    } else {
      for (size_t k = 0; k + 8 <= key.n; k++)
        if (is({key.p + k, 8}, "_SECTION")) return fail(e, at, "% is not supported", word(key));
    }
  }
  if (dimension < 0) return fail(e, 0, "no DIMENSION");
  if (!type.n) return fail(e, 0, "no EDGE_WEIGHT_TYPE");
  const int n = staged.n = dimension;
  if (is(type, "EXPLICIT")) {
    if (!weights) return fail(e, 0, "no EDGE_WEIGHT_SECTION");
    place_weights(section_format, n);
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++)
        if (staged.d[i][j] != staged.d[j][i])
          return fail(e, 0, "the matrix is not symmetric: % to % is not % to %", whole(i + 1),
                      whole(j + 1), whole(j + 1), whole(i + 1));
    for (int i = 0; i < n; i++) staged.d[i][i] = 0;
    staged.kind = CITY_MATRIX;
    staged.coordinates = display;
    for (int i = 0; display && i < n; i++)
      staged.xy[i][0] = staged.display[i][0], staged.xy[i][1] = staged.display[i][1];
    return true;
  }
  if (!nodes) return fail(e, 0, "no NODE_COORD_SECTION");
  staged.coordinates = true;
  staged.kind = is(type, "EUC_2D") ? CITY_EUC_2D : is(type, "ATT") ? CITY_ATT : CITY_GEO;
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
    if (count != 2 || !number(w[0], &x) || !number(w[1], &y))
      return fail(e, lines->number, "a city is 'x y', two finite numbers");
    if (staged.n == MAXCITY) return fail(e, lines->number, "more than % cities", whole(MAXCITY));
    staged.xy[staged.n][0] = x, staged.xy[staged.n][1] = y;
    staged.n++;
  }
  staged.kind = CITY_PLAIN;
  staged.coordinates = true;
  return size_ok(staged.n, 0, e);
}

// Whether the first line is a TSPLIB "KEYWORD : value": one word of capitals and '_' before a
// colon.
bool is_tsplib(const char *text, size_t size) {
  Lines lines = {text, text + size, 0};
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
  family.n = n;
  family.matrix = staged.kind == CITY_MATRIX;
  cityxy_known = staged.coordinates;
  for (int i = 0; i < n; i++) {
    cityxy[i][0] = staged.coordinates ? staged.xy[i][0] : 0;
    cityxy[i][1] = staged.coordinates ? staged.xy[i][1] : 0;
    if (staged.kind == CITY_MATRIX)
      for (int j = 0; j < n; j++) citydistance[i][j] = staged.d[i][j];
  }
  if (staged.kind >= CITY_EUC_2D && staged.kind <= CITY_GEO)
    tsplib_distances(Metric(staged.kind - CITY_EUC_2D));
}

} // namespace

bool read_city_text(const char *text, size_t size, CityName *name, CityKind *kind,
                    CityError *error) {
  Lines lines = {text, text + size, 0};
  name->s[0] = '\0';
  if (!(is_tsplib(text, size) ? read_tsplib(&lines, name, error) : read_plain(&lines, error)))
    return false;
  commit();
  *kind = staged.kind;
  return true;
}
