/* The network model: nine cities, the 9 x 9 state of unit outputs and the scaled distances,
 * with the three operations of a run: initialize, update_state and energy.
 * Index legend, used everywhere: i is a city (row), j a tour position (column),
 * k the index being summed. */
#ifndef NUV_NETWORK_H
#define NUV_NETWORK_H

enum { NCITY = 9 };           /* cities, and tour positions */
enum { NSWEEP = 50 };         /* sweeps in one run */
static const double U0 = 0.5; /* the activation's width: output (tanh(u / U0) + 1) / 2 */

/* Problem data and state, program-wide. */
extern const double cityxy[NCITY][2];
extern double Acoef, Bcoef, Dcoef;
extern double unitout[NCITY][NCITY];
extern double distance[NCITY][NCITY];

/* The closed tour's neighbours of position j. */
static inline int prev(int j) {
  return j == 0 ? NCITY - 1 : j - 1;
}
static inline int next(int j) {
  return j == NCITY - 1 ? 0 : j + 1;
}

/* The coefficients of the runs that follow: Acoef, Bcoef, Dcoef from coef[0], [1], [2]. */
void set_coefficients(const double coef[3]);

/* The seed nuv gives srand for a number typed as its seed: truncated toward zero to 64 bits,
 * the low 32 bits kept; beyond the signed 64-bit range, an infinity or a NaN give 0. */
unsigned seed_from_number(double value);

/* A run's start: its coefficients, the only seeding, then initialize. */
void start_run(const double coef[3], unsigned seed);

/* Set-up, dynamics, measure. */
void initialize(void);
void update_state(void);
double energy(void);
double energy_terms(double term[3]); /* the energy, and its row, column and tour terms */

#endif
