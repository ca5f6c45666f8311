// A file's text taken line by line and word by word, for the city reader and the tour reader:
// plain C++ over a buffer, nothing allocated, so that the page's module builds it too.
#ifndef NUV_CITIES_TEXT_LINES_H
#define NUV_CITIES_TEXT_LINES_H

#include <stddef.h>

namespace {

// A piece of the text: a line, or a word of it.
struct Span {
  const char *p;
  size_t n;
};

// Whether the span is the text s.
inline bool is(Span w, const char *s) {
  size_t k = 0;
  for (; k < w.n && s[k]; k++)
    if (w.p[k] != s[k]) return false;
  return k == w.n && !s[k];
}

inline bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The next line of a reader's text (any record with at, end and the line number taken), without
// its '\n'; false at the end of the text.
template <typename Reader>
inline bool next_line(Reader *r, Span *line) {
  if (r->at == r->end) return false;
  const char *p = r->at;
  while (p < r->end && *p != '\n') p++;
  *line = {r->at, size_t(p - r->at)};
  r->at = p < r->end ? p + 1 : p;
  r->number++;
  return true;
}

// The next word of the rest of a line, which it leaves after the word; false when none is left.
inline bool next_word(Span *rest, Span *word) {
  while (rest->n && blank(*rest->p)) rest->p++, rest->n--;
  if (!rest->n) return false;
  size_t k = 0;
  while (k < rest->n && !blank(rest->p[k])) k++;
  *word = {rest->p, k};
  rest->p += k, rest->n -= k;
  return true;
}

} // namespace

#endif
