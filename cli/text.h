// Text the tools write for people: printf into a string, a number as the shortest text that reads
// back to it, an argument quoted so that a message stays one harmless line, and UTF-8 read one
// character at a time.
#ifndef NUV_CLI_TEXT_H
#define NUV_CLI_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "number.h"

// printf into a string.
std::string fmt(const char *format, ...) __attribute__((format(printf, 1, 2)));

// The shortest text that reads back as the same double, in plain decimal notation whenever
// that is no longer than the exponent form, or the value lies from 0.0001 up to 1 as %g writes
// it: "10", "1000", "0.0001", "0.30000000000000004", "1e+300", "5e-324". Zero is "0", never "-0".
std::string shortest(double value);

// The text in single quotes, escaped so that a message naming it stays one line and sends no
// control to a terminal: quotes and backslashes, C0 and C1 controls, the bidirectional
// controls and every byte that is not part of valid UTF-8 (\n, \x1b, \u202e, \xe9).
std::string quoted(const std::string &text);

// The text escaped as quoted escapes it, without the quotes: for text of a file (a NAME, a word
// in a reason) that goes on a line of its own or after a colon.
std::string escaped(const std::string &text);

// What `write` writes into a Text, whole however long: a small buffer, or one as large as the
// text measured itself, again while a cut text measured itself short.
template <class Write>
std::string text_written(Write write) {
  char small[1024];
  Text t = text_in(small, sizeof small);
  write(&t);
  if (t.size < sizeof small) return std::string(small, t.size);
  std::vector<char> longer;
  do {
    longer.assign(t.size + 1, '\0');
    t = text_in(longer.data(), longer.size());
    write(&t);
  } while (t.size >= longer.size());
  return std::string(longer.data(), t.size);
}

// A CSV field as RFC 4180 writes one: as it is, or in double quotes (each inner quote doubled)
// when it holds a comma, a quote or a line break, so that any CSV reader takes it whole.
std::string csv_field(const std::string &text);

// The character of valid UTF-8 at text[at]: its code point in *code and its length in bytes,
// or 0 for a byte that does not begin one (overlong forms, surrogates and values past
// U+10FFFF included).
size_t utf8_char(const std::string &text, size_t at, uint32_t *code);

// A character that would steer a terminal or reorder a line: C0, DEL, C1, the bidirectional
// embeddings, overrides and isolates.
bool is_control(uint32_t code);

#endif
