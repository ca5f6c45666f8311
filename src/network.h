/* The network model: N cities, the N x N state of unit outputs and the scaled distances, with
 * the three operations of a run: its start, update_state and energy. A network is one record,
 * Network, passed by value: set_up writes the model's state for it (the global network and the
 * distances) at one place, start_run starts a run of it, and every measure that reads a setting
 * (the energy and its terms, a unit's input, L) is given the record. nuv's network is the
 * record nuv_network() returns; nuv itself sets only its coefficients. Index legend, used
 * everywhere: i is a city (row), j a tour position (column), k the index being summed; prev(j)
 * and next(j) wrap modulo N. */
#ifndef NUV_NETWORK_H
#define NUV_NETWORK_H

enum { NCITY = 9 }; /* nuv's cities, and tour positions */
/* The most cities of any network of the family: the size of the model's static arrays (the
 * state, the inputs and the distances, MAXCITY x MAXCITY doubles each, 8 MB at 1002), which
 * sets it. A page of them that a run never reaches is never resident, so a small network costs
 * what it did. */
enum { MAXCITY = 1002 };
enum { MINCITY = 4 }; /* the fewest */
enum { NSWEEP = 50 }; /* sweeps in nuv's run */

/* How the units are updated: in place in row-major order (nuv's), all at once from the state
 * at the start of the sweep, by Euler steps of the continuous-time dynamics, by the transiently
 * chaotic network's steps (with noise: the noisy chaotic one), by normalised mean-field
 * annealing city by city (potts), or by doubly normalised annealing all at once (softassign). */
enum Rule { RULE_INPLACE, RULE_SYNC, RULE_EULER, RULE_TCNN, RULE_POTTS, RULE_SOFTASSIGN };

/* What a run is: a network of the family (the settings as chosen, nuv's by default, or a
 * paper's preset), or one of the classic heuristics, which the network's settings do not
 * steer. The order is the methods' list. */
enum Method {
  METHOD_NUV,
  METHOD_HOPFIELD_TANK,
  METHOD_TCNN,
  METHOD_NOISY,
  METHOD_POTTS,
  METHOD_SOFTASSIGN,
  METHOD_FEASIBLE,
  METHOD_NEAREST,
  METHOD_2OPT,
  METHOD_OROPT
};

/* Whether a method is a heuristic rather than a network. */
static inline bool is_heuristic(Method method) {
  return method >= METHOD_NEAREST;
}

/* How the state starts: uniform draws (nuv's), or centred on the output that sums to N. */
enum Start { START_UNIFORM, START_CENTRED };

/* What the network's distances are: the instance's, scaled to nuv's mean (nuv's); as they are;
 * or divided by the longest distance between two cities. */
enum Distances { DISTANCES_SCALED, DISTANCES_RAW, DISTANCES_UNIT };

/* A network: everything that defines one of the family. nuv_network() gives nuv's: the nine
 * cities, the coefficients 0, no global term, the bias Acoef + Bcoef, U0 = 0.5, the uniform
 * start, the in-place rule, 50 sweeps, no decay of the Euler step, scaled distances. */
struct Network {
  int n;                /* cities, MINCITY ... MAXCITY */
  bool distances_given; /* the distances are citydistance as given, not computed from cityxy */
  Distances distances;  /* how the network's distances are had from citydistance */
  double c, target;     /* the global term's weight C (0: absent) and its target n */
  bool bias_ab;         /* the bias is Acoef + Bcoef, added as nuv adds them */
  double bias;          /* else this */
  double u0;            /* the activation's width: output (tanh(u / u0) + 1) / 2 */
  Start start;
  Rule rule;
  double dt, tau;  /* an Euler step and the time constant */
  double dt_decay; /* after each Euler step dt = dt * (1.0 - dt_decay); 0 ... below 1 */
  int sweeps;      /* sweeps in a run; cycles 0 ... sweeps - 1 */
  double a, b, d;  /* the coefficients Acoef, Bcoef and Dcoef */
  /* The transiently chaotic rule: y = (k * y + alpha * input) - z * (v - i0), the self-feedback
   * z starting at z0 and multiplied by 1.0 - beta after each step; noise of amplitude noise
   * (0: none, no draw), multiplied by 1.0 - noise_decay after each step. */
  double k, alpha, z0, beta, i0, noise, noise_decay;
  /* The normalised rules: the start temperature (0: the critical one, computed for the
   * network), multiplied by cooling after each sweep; softassign's self-term gamma and its
   * alternating normalisations per step. */
  double t0, cooling, gamma;
  int sinkhorn;
  Method method; /* the method chosen: a network (nuv's by default) or a heuristic */
};

/* nuv's network, the family's defaults (the new rules' settings at their papers' values). */
Network nuv_network(void);

/* The network the model is set up for: set_up writes it. */
extern Network network;

/* Problem data and state, program-wide. For nuv's network only the first NCITY rows and
 * columns are used. */
extern const double nuvcity[NCITY][2];        /* nuv's nine cities */
extern double cityxy[MAXCITY][2];             /* the cities' coordinates, when they have any */
extern bool cityxy_known;                     /* whether they have: a map can be drawn */
extern double citydistance[MAXCITY][MAXCITY]; /* the instance's own distances: tour lengths */
extern double Acoef, Bcoef, Dcoef;        /* the set-up network's coefficients: its a, b and d */
extern double unitout[MAXCITY][MAXCITY];  /* the outputs v */
extern double unitin[MAXCITY][MAXCITY];   /* the inputs: u by the Euler rule, y by tcnn */
extern double distance[MAXCITY][MAXCITY]; /* what the network works with */
/* The model's scratch: a sweep's sums, or the critical temperature's matrix; nothing in it
 * outlives the call that writes it. */
extern double work_space[MAXCITY][MAXCITY];

/* The closed tour's neighbours of position j. */
static inline int prev(int j) {
  return j == 0 ? network.n - 1 : j - 1;
}
static inline int next(int j) {
  return j == network.n - 1 ? 0 : j + 1;
}

/* nuv's network set up, its nine cities included. */
void reset_network(void);

/* The model set up for net, the one writer of its state: network = net, and the distances of
 * the current cities (build_distances). A tool calls it once its cities are in place and again
 * whenever they change; start_run calls it for each run. */
void set_up(Network net);

/* The distances of the current cities for net: citydistance from cityxy (unless
 * net.distances_given), and distance, what the network works with. set_up calls it; the cities'
 * check calls it for a record of its own. */
void build_distances(const Network &net);

/* The seed nuv gives srand for a number typed as its seed: truncated toward zero to 64 bits,
 * the low 32 bits kept; beyond the signed 64-bit range, an infinity or a NaN give 0. */
unsigned seed_from_number(double value);

/* A run's start for the network set up, as nuv's driver makes it: the distances of its cities,
 * then the random start in unitout (and unitin) from the generator as seeded. It reads no
 * coefficient. */
void initialize(void);

/* A run's start for the tools: set_up(net) (which builds the distances), the only seeding, then
 * the random start as initialize draws it, without building the distances a second time. */
void start_run(const Network &net, unsigned seed);

/* net's random start from the generator as it is (N x N draws in row-major order) into state,
 * and each unit's input u into unitin when net's start or rule keeps it. The coefficients play
 * no part. */
void draw_start(const Network &net, double state[][MAXCITY], double unitin[][MAXCITY]);

/* The bias each unit's input carries: Acoef + Bcoef, or net.bias. */
double bias_value(const Network &net);

/* The normalised rules' critical temperature for net on the distances set up: below it the
 * uniform state (every output 1/N) loses its stability under net's rule, potts or softassign
 * (temperature.cpp derives it); 0 or below where no temperature destabilises it. */
double critical_temperature(const Network &net);

/* The temperature a run of net under a normalised rule starts at: net.t0, or where that is 0 the
 * critical temperature (1 where that is not above 0). */
double start_temperature(const Network &net);

/* Whether rule is a normalised one, potts or softassign, whose state is a temperature too. */
static inline bool is_normalised(Rule rule) {
  return rule == RULE_POTTS || rule == RULE_SOFTASSIGN;
}

/* One sweep of the network the model is set up for; under the Euler rule the step of the next
 * sweep is then this one's times (1.0 - network.dt_decay). set_up starts the step at network.dt;
 * likewise the transiently chaotic rule's z and noise at network.z0 and network.noise, each
 * sweep then decaying z by (1.0 - beta), then the noise by (1.0 - noise_decay). Its noise draws
 * rand() once per unit in row-major order, only while the noise is not 0. Under a normalised
 * rule the temperature of the next sweep is this one's times network.cooling; set_up starts it
 * at start_temperature(network). */
void update_state(void);

/* A sweep of update_state's stepped unit by unit: what it carries from unit to unit, the total of
 * the state that the global term reads. start_stepping starts it at unit (0, 0) of the current
 * state; update_unit makes one unit of net's in-place sweep. */
struct Stepping {
  double total;
};
Stepping start_stepping(const Network &net);
void update_unit(const Network &net, Stepping *stepping, int i, int j);

/* The addends of a unit's input, in the order a sweep adds them: row, column, tour length,
 * global (0 where there is none), then the bias as one or two addends (nuv's adds Acoef, then
 * Bcoef; a single bias leaves bias2 0). */
struct InputTerms {
  double row, column, tour, global, bias, bias2;
};

/* Unit (i, j)'s input for net from the current state, as a sweep starting now would take it,
 * and its addends into *terms. */
double unit_input_terms(const Network &net, int i, int j, InputTerms *terms);

/* The terms of a state's energy: row, column, tour length and global (0 when C is 0). */
struct EnergyTerms {
  double row, column, tour, global;
};

/* net's energy of state, and its terms into *terms. */
double energy_terms(const Network &net, const double state[][MAXCITY], EnergyTerms *terms);

/* The energy of the current state of the network the model is set up for: nuv's measure. */
double energy(void);

#endif
