// Tours: decoding a network state, a tour's length in the instance's distances, the canonical
// cycle and its text. Start at decode_tour; the optimum and the ranks are in optimum.cpp.
#include "tour.h"

#include <math.h>

bool decode_tour(const double state[][MAXCITY], Tour *tour) {
  if (outcome_of(state) != OUTCOME_TOUR) return false;
  for (int i = 0; i < network.n; i++)
    for (int j = 0; j < network.n; j++)
      if (state[i][j] > ON_ABOVE) tour->city[j] = i;
  return true;
}

double tour_length(const Tour &tour) {
  double length = 0.0;
  for (int j = 0; j < network.n; j++) length += citydistance[tour.city[j]][tour.city[next(j)]];
  return length;
}

bool whole_lengths() {
  for (int i = 0; i < network.n; i++)
    for (int k = 0; k < network.n; k++)
      if (!(citydistance[i][k] == floor(citydistance[i][k]) && fabs(citydistance[i][k]) < 1e9))
        return false;
  return true;
}

int length_decimals() {
  return whole_lengths() ? 0 : 6;
}

Tour canonical_tour(const Tour &tour) {
  int start = 0;
  while (tour.city[start] != 0) start++;
  bool forward = tour.city[next(start)] < tour.city[prev(start)];
  Tour c;
  for (int j = 0, at = start; j < network.n; j++, at = forward ? next(at) : prev(at))
    c.city[j] = tour.city[at];
  return c;
}

TourText tour_text(const Tour &tour) {
  TourText t;
  char *at = t.s;
  for (int j = 0; j < network.n; j++) {
    if (j > 0) *at++ = '-';
    const int city = tour.city[j] + 1;
    int place = 1; // the value of the number's first digit
    while (city / place >= 10) place *= 10;
    for (; place > 0; place /= 10) *at++ = char('0' + city / place % 10);
  }
  *at = '\0';
  return t;
}

bool within_slack(double length, double of) {
  return length <= (of >= 0 ? of * (1 + OPTIMAL_SLACK) : of * (1 - OPTIMAL_SLACK));
}
