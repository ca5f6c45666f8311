// A coefficient typed as one number or an inclusive range FROM:TO:STEP, read and expanded the
// same way by nuv-survey and the page (no allocation, no C library). Start at read_range.
#ifndef NUV_TEXT_RANGE_H
#define NUV_TEXT_RANGE_H

#include <stddef.h>

// A reader of numbers: *value from the `length` bytes of text when they are a finite number's
// text, else false. The tools' is strtod's; the page's module asks the browser.
typedef bool (*ReadNumber)(const char *text, size_t length, double *value);

const size_t RANGE_MAX_VALUES = 1000000; // values in one range
const double RANGE_SLACK = 1e-6;         // in steps: a range still takes TO this close

// A coefficient as typed, not yet expanded: its values are range_value(range, k, ...) for k
// from 0 to count - 1.
struct Range {
  double from, to, step;
  size_t count;
  int places; // the decimals its values are rounded to, or -1 for none (a hexadecimal text)
};

// Why a text is no range, in the order they are checked.
enum RangeRefusal {
  RANGE_READ,          // none: the range is read
  RANGE_NOT_A_NUMBER,  // part *part (0 FROM, 1 TO, 2 STEP) is not a finite number
  RANGE_NOT_THREE,     // not one number nor three parts
  RANGE_STEP,          // the step is not above 0
  RANGE_FROM_ABOVE_TO, // FROM is above TO
  RANGE_TOO_MANY       // more than RANGE_MAX_VALUES values
};

// The `length` bytes of text as a range: one finite number (+0.0 added, never negative zero),
// or FROM:TO:STEP ascending with at most RANGE_MAX_VALUES values, TO still taken a millionth of
// a step short. On a refusal *part says which part is not a number, and where each part begins
// and ends is in start[3] and end[3] (for the caller's message).
RangeRefusal read_range(const char *text, size_t length, ReadNumber number, Range *range, int *part,
                        size_t start[3], size_t end[3]);

// Value k of a range: FROM + k STEP rounded to the decimals FROM and STEP show and read back,
// so that 0.5:3:0.1 gives the very doubles of 0.5, 0.6, ... 3 typed alone; +0.0 added.
double range_value(const Range &range, size_t k, ReadNumber number);

#endif
