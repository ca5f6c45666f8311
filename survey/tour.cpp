// Tours: decoding a network state, tour lengths, the canonical cycle, the exhaustive optimum.
#include "tour.h"

#include <algorithm>
#include <cmath>

bool decode_tour(const double state[NCITY][NCITY], Tour *tour) {
  int in_row[NCITY] = {0}, in_column[NCITY] = {0};
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++)
      if (state[i][j] > ON_ABOVE) {
        in_row[i]++;
        in_column[j]++;
        tour->city[j] = i;
      }
  for (int k = 0; k < NCITY; k++)
    if (in_row[k] != 1 || in_column[k] != 1) return false;
  return true;
}

double tour_length(const Tour &tour) {
  double length = 0.0;
  for (int j = 0; j < NCITY; j++) {
    const double *a = cityxy[tour.city[j]], *b = cityxy[tour.city[next(j)]];
    length += std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]));
  }
  return length;
}

Tour canonical_tour(const Tour &tour) {
  int start = 0;
  while (tour.city[start] != 0) start++;
  bool forward = tour.city[next(start)] < tour.city[prev(start)];
  Tour c;
  for (int j = 0, at = start; j < NCITY; j++, at = forward ? next(at) : prev(at))
    c.city[j] = tour.city[at];
  return c;
}

std::string tour_text(const Tour &tour) {
  std::string text;
  for (int j = 0; j < NCITY; j++) {
    if (j > 0) text += '-';
    text += char('1' + tour.city[j]);
  }
  return text;
}

Optimum find_optimum() {
  Tour t;
  for (int j = 0; j < NCITY; j++) t.city[j] = j;
  double shortest = tour_length(t);
  do shortest = std::min(shortest, tour_length(t));
  while (std::next_permutation(t.city + 1, t.city + NCITY));
  // Mirror images differ in the last bits: take the first order within the slack.
  for (int j = 0; j < NCITY; j++) t.city[j] = j;
  while (tour_length(t) > shortest * (1 + OPTIMAL_SLACK))
    std::next_permutation(t.city + 1, t.city + NCITY);
  return {canonical_tour(t), shortest};
}
