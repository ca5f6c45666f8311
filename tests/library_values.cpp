// Arguments and the C library's exp, log, tanh and atanh of them, for the page module's test
// (lab/test/library_math.js), which compares the module's (and the browser's atanh) with them.
// Each function's arguments: the ranges the rules use, random bit patterns, every binary
// exponent, and the edges. The file: for each function in that order, its count as a double,
// then its (argument, result) pairs; all doubles little-endian.
//   usage: library_values FILE   (status 3: the library here is its plain build, not the fused
//          build the page follows; nothing is written)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "library_math.h"
#include "run.h"

namespace {

// n arguments of a function: a share uniform over [low, high], the rest random bit patterns
// and every exponent's random significands, both signs, then the specials.
std::vector<double> arguments(double low, double high, int n, std::mt19937_64 &random) {
  std::vector<double> x;
  std::uniform_real_distribution<double> uniform(low, high);
  for (int k = 0; k < n * 3 / 4; k++) x.push_back(uniform(random));
  for (int k = 0; k < n / 8; k++) x.push_back(from_bits(random()));
  for (int e = 0; e < 2048; e++)
    for (int m = 0; m < 30; m++) x.push_back(from_bits(uint64_t(e) << 52 | random() >> 12));
  for (double v : {0.0, -0.0, double(INFINITY), -double(INFINITY), double(NAN), 0x1p-1074,
                   -0x1p-1074, 0x1p-1022, 1.0, -1.0, 22.0, -22.0, 512.0, -745.2, 709.8, 1e308})
    x.push_back(v);
  return x;
}

// The draws the Euler rule's uniform start gives atanh: 2 v - 1 for v = rand() / (2^31 - 1),
// kept off 0 and 1 as the start keeps it.
std::vector<double> atanh_arguments(int n, std::mt19937_64 &random) {
  std::vector<double> x;
  const uint32_t ends[] = {0, 1, 2, 1073741823, 1073741824, 2147483646, 2147483647};
  for (int k = 0; k < n + 7; k++) {
    const uint32_t draw = k < 7 ? ends[k] : uint32_t(random() >> 33);
    const double r = draw / 2147483647.0, v = r == 0.0 ? 0x1p-53 : r == 1.0 ? 1 - 0x1p-53 : r;
    x.push_back(2 * v - 1);
  }
  return x;
}

// Whether the library here is its fused build: its exp equals the fused account's where the
// two builds differ.
bool library_is_fused() {
  for (double x = -700; x < 700; x += 0.0137)
    if (library_exp<MATH_PLAIN>(x) != library_exp<MATH_FUSED>(x))
      return std::exp(x) == library_exp<MATH_FUSED>(x);
  return false;
}

void write(FILE *out, const std::vector<double> &x, double (*f)(double)) {
  const double count = double(x.size());
  fwrite(&count, 8, 1, out);
  for (double v : x) {
    const double pair[2] = {v, f(v)};
    fwrite(pair, 8, 2, out);
  }
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: library_values FILE\n");
    return 2;
  }
  if (!library_is_fused()) {
    fprintf(stderr, "library_values: this C library runs its plain build\n");
    return 3;
  }
  FILE *out = fopen(argv[1], "wb");
  if (!out) {
    perror(argv[1]);
    return 1;
  }
  std::mt19937_64 random(20261209);
  write(out, arguments(-745, 0.5, 1100000, random), [](double x) { return std::exp(x); });
  write(out, arguments(0, 300, 1100000, random), [](double x) { return std::log(x); });
  write(out, arguments(-40, 40, 1100000, random), [](double x) { return std::tanh(x); });
  write(out, atanh_arguments(1000000, random), [](double x) { return std::atanh(x); });
  return fclose(out) == 0 ? 0 : 1;
}
