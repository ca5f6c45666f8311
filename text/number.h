// Numbers and text written into a caller's buffer as the C library's printf writes them, with no
// allocation and no C library, so that the native tools and the page's WebAssembly module write
// the same bytes: %.Nf exactly, %.Ne, the shortest text that reads back, %llu, and padding to a
// width. Start at Text.
#ifndef NUV_TEXT_NUMBER_H
#define NUV_TEXT_NUMBER_H

#include <stddef.h>
#include <stdint.h>

// A text written into at[0 ... capacity): as snprintf does, it keeps what fits, NUL-ended when
// the capacity is not 0, and `size` counts the whole text, so size >= capacity says it was cut.
struct Text {
  char *at;
  size_t capacity;
  size_t size;
};

// An empty text over the buffer.
Text text_in(char *at, size_t capacity);

// Appends a character, a NUL-ended string, or `length` bytes.
void put_char(Text *text, char c);
void put(Text *text, const char *s);
void put_bytes(Text *text, const char *s, size_t length);

// printf's "%.<decimals>f" of value: the exact binary value rounded to `decimals` places, ties to
// even; the sign of negative zero and of what rounds to zero kept ("-0.00"); "inf", "-inf",
// "nan", "-nan". Any decimals from 0 on.
void put_fixed(Text *text, double value, int decimals);

// printf's "%.<decimals>e" of value ("1.50e+03", "5e-324"), rounded as put_fixed rounds.
void put_exponent(Text *text, double value, int decimals);

// The shortest text that reads back as the same double: the fewest significant digits (1 to 17)
// with which "%.*e" reads back, in plain notation ("%.*f" with the decimals the last digit
// needs) whenever that is no longer than the exponent form, or the magnitude lies from 0.0001 up
// to 1: "10", "0.0001", "0.30000000000000004", "1e+300", "5e-324". Zero is "0", never "-0";
// infinities and NaN as put_exponent writes them.
void put_shortest(Text *text, double value);

// printf's "%llu" and "%lld".
void put_unsigned(Text *text, uint64_t value);
void put_signed(Text *text, int64_t value);

// What was written from byte `from` on, padded with spaces to `width` columns (a column a UTF-8
// character) as printf's "%<width>s" (right) and "%-<width>s" (left) pad a string; nothing when
// it is as wide already.
void align_right(Text *text, size_t from, int width);
void align_left(Text *text, size_t from, int width);

// printf's "%<width>s" and "%-<width>s" of s, and "%<width>.<decimals>f" of value.
void put_right(Text *text, const char *s, int width);
void put_left(Text *text, const char *s, int width);
void put_fixed_right(Text *text, double value, int decimals, int width);

#endif
