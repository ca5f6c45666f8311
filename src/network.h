/* The network model: N cities, the N x N state of unit outputs and the scaled distances, with
 * the three operations of a run: initialize, update_state and energy. nuv's network is the
 * default member of a family (its cities, rule, start and terms in `family`); nuv itself sets
 * only the coefficients. Index legend, used everywhere: i is a city (row), j a tour position
 * (column), k the index being summed; prev(j) and next(j) wrap modulo N. */
#ifndef NUV_NETWORK_H
#define NUV_NETWORK_H

enum { NCITY = 9 };     /* nuv's cities, and tour positions */
enum { MAXCITY = 100 }; /* the most cities of any network of the family */
enum { MINCITY = 4 };   /* the fewest */
enum { NSWEEP = 50 };   /* sweeps in nuv's run */

/* How the units are updated: in place in row-major order (nuv's), all at once from the state
 * at the start of the sweep, or by Euler steps of the continuous-time dynamics. */
enum Rule { RULE_INPLACE, RULE_SYNC, RULE_EULER };

/* How the state starts: uniform draws (nuv's), or centred on the output that sums to N. */
enum Start { START_UNIFORM, START_CENTRED };

/* The member of the family the model runs. Its defaults are nuv's network: the nine cities,
 * no global term, the bias Acoef + Bcoef, U0 = 0.5, the uniform start, the in-place rule, 50
 * sweeps, scaled distances. */
struct Network {
  int n;            /* cities, MINCITY ... MAXCITY */
  bool matrix;      /* distances given in citydistance, not computed from cityxy */
  bool raw;         /* the network works with citydistance unscaled */
  double c, target; /* the global term's weight C (0: absent) and its target n */
  bool bias_ab;     /* the bias is Acoef + Bcoef, added as nuv adds them */
  double bias;      /* else this */
  double u0;        /* the activation's width: output (tanh(u / u0) + 1) / 2 */
  Start start;
  Rule rule;
  double dt, tau; /* an Euler step and the time constant */
  int sweeps;     /* sweeps in a run; cycles 0 ... sweeps - 1 */
  double a, b, d; /* the coefficients Acoef, Bcoef and Dcoef of its runs */
};
extern Network network;

/* Problem data and state, program-wide. For nuv's network only the first NCITY rows and
 * columns are used. */
extern const double nuvcity[NCITY][2];        /* nuv's nine cities */
extern double cityxy[MAXCITY][2];             /* the cities' coordinates, when they have any */
extern bool cityxy_known;                     /* whether they have: a map can be drawn */
extern double citydistance[MAXCITY][MAXCITY]; /* the instance's own distances: tour lengths */
extern double Acoef, Bcoef, Dcoef;
extern double unitout[MAXCITY][MAXCITY];  /* the outputs v */
extern double unitin[MAXCITY][MAXCITY];   /* the inputs u, kept by the Euler rule */
extern double distance[MAXCITY][MAXCITY]; /* what the network works with */

/* The closed tour's neighbours of position j. */
static inline int prev(int j) {
  return j == 0 ? network.n - 1 : j - 1;
}
static inline int next(int j) {
  return j == network.n - 1 ? 0 : j + 1;
}

/* The family's settings back to nuv's network, its nine cities included. */
void reset_network(void);

/* The coefficients of the runs that follow: Acoef, Bcoef, Dcoef from coef[0], [1], [2]. */
void set_coefficients(const double coef[3]);

/* The seed nuv gives srand for a number typed as its seed: truncated toward zero to 64 bits,
 * the low 32 bits kept; beyond the signed 64-bit range, an infinity or a NaN give 0. */
unsigned seed_from_number(double value);

/* A run's start: its coefficients, the only seeding, then initialize. */
void start_run(const double coef[3], unsigned seed);

/* The bias each unit's input carries: Acoef + Bcoef, or network.bias. */
double bias_value(void);

/* The distances of the current cities: citydistance from cityxy (unless network.matrix gives
 * them), and distance, what the network works with. initialize calls it; so does a tool that
 * measures tours before any run. */
void build_distances(void);

/* Set-up, dynamics, measure. */
void initialize(void);
void update_state(void);
/* A sweep of update_state's stepped unit by unit: what it carries from unit to unit, the total of
 * the state that the global term reads. start_stepping starts it at unit (0, 0) of the current
 * state; update_unit makes one unit of the in-place sweep. */
struct Stepping {
  double total;
};
Stepping start_stepping(void);
void update_unit(Stepping *stepping, int i, int j);
/* Unit (i, j)'s input from the current state, and its addends in the sweep's order: row,
 * column, tour length, global, bias, a second bias addend (Bcoef, when the bias is A + B). */
double unit_input_terms(int i, int j, double term[6]);
double energy(void);
/* The energy's terms, by name: where each lies in energy_terms' term. */
enum EnergyTerm { ENERGY_ROW, ENERGY_COLUMN, ENERGY_TOUR, ENERGY_GLOBAL, NENERGY_TERM };
/* The energy, and its row, column, tour-length and global terms (the last 0 when C is 0). */
double energy_terms(double term[NENERGY_TERM]);

#endif
