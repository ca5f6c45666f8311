// The table of options (start at OPTIONS), the builders its rows are written with, and the
// page's check of a field by it. No C++ library here: the page's module compiles this file.
#include "table.h"

#include "methods.h"

int default_sweeps(Rule rule) {
  return rule == RULE_EULER    ? 1000
         : rule == RULE_TCNN   ? 5000
         : is_normalised(rule) ? int(NORMALISED_SWEEPS)
                               : int(NSWEEP);
}

// A row, its usage text left out of the page's module, which shows no --help (and keeps the page
// under its size).
#ifdef NUV_PAGE_MODULE
#define ROW(tools, section, name, label, help) Option::row(tools, section, name, "", "")
#else
#define ROW(tools, section, name, label, help) Option::row(tools, section, name, label, help)
#endif

namespace {

const int BOTH = TOOL_TRACE | TOOL_SURVEY;
const Section TOOL = SECTION_TOOL, SHARDS = SECTION_SHARDS, NET = SECTION_NETWORK;
using V = const OptionValue &;

// A value as a row's get gives it: a number, a whole number, or the index of a word.
constexpr OptionValue number(double x) {
  OptionValue v;
  v.number = x;
  return v;
}
constexpr OptionValue whole(uint64_t x) {
  OptionValue v;
  v.whole = x;
  return v;
}
constexpr OptionValue word(int k) {
  OptionValue v;
  v.word = k;
  return v;
}
// Why a decay of the transiently chaotic rule is in [0, 1).
constexpr const char *DECAY =
    "each step multiplies the value by 1 - X: 1 would end it after one step, "
    "below 0 it would grow";

} // namespace

// Every option of both tools, in --help's order. A network's setting has `setting`, which
// writes its value into the record; an option of the tool is read by the tool, by its name.
constexpr Option OPTIONS[] = {
    ROW(TOOL_TRACE, TOOL, "--wide", "--wide",
        "every column: the sweeps, the terms, the tour's length"),
    ROW(TOOL_TRACE, TOOL, "--csv", "--csv", "every column as CSV, in full precision"),
    ROW(TOOL_TRACE, TOOL, "--tables", "--tables",
        "nuv's own transcript instead: each cycle's table of the\n"
        "state, N by N, and its energy line"),
    ROW(TOOL_TRACE, TOOL, "--svg", "--svg FILE",
        "also draw the run: the film of its states, curves, tour")
        .refusing_empty("needs a file name"),
    ROW(TOOL_SURVEY, TOOL, "--seeds", "--seeds FIRST:LAST",
        "inclusive seeds in 0 ... 4294967295 (default 1:1000)")
        .paired(PAIR_SEEDS)
        .by_default("1:1000")
        .in(ROLE_PLAN),
    ROW(TOOL_SURVEY, TOOL, "--jobs", "--jobs N",
        "worker processes, 1 ... 256 (default: online processors)")
        .within(1, 256),
    ROW(TOOL_SURVEY, TOOL, "--csv", "--csv", "one row per run instead of the summary")
        .in(ROLE_VIEW),
    ROW(TOOL_SURVEY, TOOL, "--tours", "--tours",
        "a row per distinct tour or failure of each triple, the\n"
        "commonest first (with --csv, as CSV)")
        .in(ROLE_VIEW),
    ROW(TOOL_SURVEY, TOOL, "--svg", "--svg FILE",
        "also draw the survey: a map for one triple, a chart for\n"
        "one ranging coefficient, a heatmap for two, with\n"
        "--methods each method's share of runs within ratio r of\n"
        "the optimum (FILE may be /dev/stdout)")
        .refusing_empty("needs a file name")
        .in(ROLE_VIEW),
    ROW(TOOL_SURVEY, TOOL, "--heat", "--heat MEASURE",
        "what the picture shows: valid (default), optimal, ratio or\n"
        "settled")
        .choosing("valid optimal ratio settled")
        .by_default("valid")
        .in(ROLE_VIEW),
    ROW(TOOL_SURVEY, TOOL, "--methods", "--methods LIST",
        "compare methods, a row each, over the same seeds: LIST\n"
        "of nuv, hopfield-tank, tcnn, noisy, potts, softassign,\n"
        "feasible, nearest, 2-opt, or-opt, ',' between; each\n"
        "method's settings, then the network options given on\n"
        "top; the coefficients may be left out (each method's)")
        .refusing_empty("needs a list of methods, ',' between")
        .in(ROLE_PLAN),
    ROW(BOTH, TOOL, "--version", "--version", "the version"),
    ROW(BOTH, TOOL, "--help", "", ""),
    ROW(BOTH, TOOL, "-h", "", ""),
    ROW(TOOL_SURVEY, SHARDS, "--shard", "--shard K/M -o FILE",
        "run shard K of M (0 <= K < M <= 100000) into FILE as CSV")
        .paired(PAIR_SHARD),
    ROW(TOOL_SURVEY, SHARDS, "-o", "", "").refusing_empty("needs a file name"),
    ROW(TOOL_SURVEY, SHARDS, "--merge", "--merge FILE...",
        "print what the whole survey prints (any view) from its\n"
        "shards, refusing any run missing, doubled or altered")
        .in(ROLE_VIEW),
    ROW(TOOL_SURVEY, SHARDS, "--plan", "--plan 'PLAN'",
        "with --merge, the plan of a whole survey's --csv output")
        .of(KIND_TEXT)
        .in(ROLE_VIEW),
    ROW(BOTH, NET, "--cities", "--cities FILE",
        "a TSPLIB .tsp file or x y lines; random:N:S for N random\n"
        "cities from seed S (MINCITY ... MAXCITY cities)")
        .refusing_empty("'' names no cities")
        .in(ROLE_PLAN),
    ROW(BOTH, NET, "--method", "--method NAME",
        "a paper's network or a heuristic, every setting its own\n"
        "(options after it override; the coefficients may then be\n"
        "left out): nuv (default), hopfield-tank, tcnn, noisy,\n"
        "potts, softassign, feasible, nearest, 2-opt or or-opt")
        .choosing(METHOD_WORDS)
        .by_default("nuv")
        .getting([](const Network &n) { return word(n.method); })
        .setting([](Network *n, V v) { apply_method(Method(v.word), n); }),
    ROW(BOTH, NET, "--rule", "--rule RULE",
        "inplace (default), sync, euler, tcnn (transiently chaotic),\n"
        "potts or softassign (normalised annealing)")
        .choosing("inplace sync euler tcnn potts softassign")
        .by_default("inplace")
        .getting([](const Network &n) { return word(n.rule); })
        .setting([](Network *n, V v) { n->rule = Rule(v.word); }, false),
    ROW(BOTH, NET, "--C", "--C X",
        "the global term's weight (default 0: none); nuv-survey\n"
        "takes a range FROM:TO:STEP too")
        .of(KIND_RANGE)
        .by_default("0")
        .getting([](const Network &n) { return number(n.c); })
        .setting([](Network *n, V v) { n->c = v.number; }),
    ROW(BOTH, NET, "--n", "--n X", "its target (default: the number of cities)")
        .of(KIND_NUMBER)
        .getting([](const Network &n) { return number(n.target); })
        .setting([](Network *n, V v) { n->target = v.number; })
        .depending([](Network *n) { n->target = method_target(*n); }),
    ROW(BOTH, NET, "--bias", "--bias A+B|X", "each unit's bias (default A+B)")
        .choosing("A+B", true)
        .by_default("A+B")
        .getting([](const Network &n) { return n.bias_ab ? word(0) : number(n.bias); })
        .setting([](Network *n, V v) {
          n->bias_ab = v.word == 0;
          if (v.word < 0) n->bias = v.number;
        }),
    ROW(BOTH, NET, "--u0", "--u0 X", "the activation's width (default 0.5)")
        .of(KIND_POSITIVE)
        .by_default("0.5")
        .getting([](const Network &n) { return number(n.u0); })
        .setting([](Network *n, V v) { n->u0 = v.number; }),
    ROW(BOTH, NET, "--start", "--start START", "uniform (default) or centred")
        .choosing("uniform centred")
        .by_default("uniform")
        .getting([](const Network &n) { return word(n.start); })
        .setting([](Network *n, V v) { n->start = Start(v.word); }),
    ROW(BOTH, NET, "--dt", "--dt X, --tau X", "the Euler step and time constant (defaults 0.01, 1)")
        .of(KIND_POSITIVE)
        .by_default("0.01")
        .getting([](const Network &n) { return number(n.dt); })
        .setting([](Network *n, V v) { n->dt = v.number; }),
    ROW(BOTH, NET, "--tau", "", "")
        .of(KIND_POSITIVE)
        .by_default("1")
        .getting([](const Network &n) { return number(n.tau); })
        .setting([](Network *n, V v) { n->tau = v.number; }),
    ROW(BOTH, NET, "--dt-decay", "--dt-decay X",
        "under euler, dt = dt * (1 - X) after each step (default 0)")
        .fraction("each step multiplies dt by 1 - X, so 1 would freeze the state after one "
                  "step and below 0 dt would grow")
        .by_default("0")
        .only_under(1 << RULE_EULER)
        .getting([](const Network &n) { return number(n.dt_decay); })
        .setting([](Network *n, V v) { n->dt_decay = v.number; }),
    ROW(BOTH, NET, "--t0", "--t0 T|critical",
        "potts and softassign: the start temperature, above 0\n"
        "(default critical: where the uniform state turns unstable)")
        .choosing("critical", true)
        .above_zero("a temperature")
        .by_default("critical")
        .only_under(1 << RULE_POTTS | 1 << RULE_SOFTASSIGN)
        .getting([](const Network &n) { return n.t0 == 0.0 ? word(0) : number(n.t0); })
        .setting([](Network *n, V v) { n->t0 = v.word == 0 ? 0.0 : v.number; }, false),
    ROW(BOTH, NET, "--cooling", "--cooling X",
        "T = T * X after each sweep, 0 < X <= 1 (default 0.98)")
        .at_most_one("above 1 the temperature would grow")
        .by_default("0.98")
        .only_under(1 << RULE_POTTS | 1 << RULE_SOFTASSIGN)
        .getting([](const Network &n) { return number(n.cooling); })
        .setting([](Network *n, V v) { n->cooling = v.number; }),
    ROW(BOTH, NET, "--gamma", "--gamma X", "softassign's self-term (default 0.5)")
        .of(KIND_NUMBER)
        .by_default("0.5")
        .only_under(1 << RULE_SOFTASSIGN)
        .getting([](const Network &n) { return number(n.gamma); })
        .setting([](Network *n, V v) { n->gamma = v.number; }),
    ROW(BOTH, NET, "--sinkhorn", "--sinkhorn K",
        "softassign's row and column normalisations per step,\n"
        "1 ... 1000 (default 20)")
        .within(1, 1000)
        .by_default("20")
        .only_under(1 << RULE_SOFTASSIGN)
        .getting([](const Network &n) { return whole(uint64_t(n.sinkhorn)); })
        .setting([](Network *n, V v) { n->sinkhorn = int(v.whole); }),
    ROW(BOTH, NET, "--sweeps", "--sweeps K",
        "sweeps in a run (default 50; 1000 under euler, 5000\n"
        "under tcnn, 350 under potts and softassign)")
        .within(1, 100000)
        .getting([](const Network &n) { return whole(uint64_t(n.sweeps)); })
        .setting([](Network *n, V v) { n->sweeps = int(v.whole); })
        .depending([](Network *n) { n->sweeps = method_sweeps(*n); }),
    ROW(BOTH, NET, "--k", "--k X",
        "under tcnn, y = (k y + alpha input) - z (v - i0) each\n"
        "step: the inputs' damping k (default 0.9)")
        .of(KIND_NUMBER)
        .by_default("0.9")
        .only_under(1 << RULE_TCNN)
        .getting([](const Network &n) { return number(n.k); })
        .setting([](Network *n, V v) { n->k = v.number; }),
    ROW(BOTH, NET, "--alpha", "--alpha X", "the inputs' scale alpha (default 0.015)")
        .of(KIND_NUMBER)
        .by_default("0.015")
        .only_under(1 << RULE_TCNN)
        .getting([](const Network &n) { return number(n.alpha); })
        .setting([](Network *n, V v) { n->alpha = v.number; }),
    ROW(BOTH, NET, "--z0", "--z0 X", "the self-feedback z's start (default 0.08; 0: no chaos)")
        .of(KIND_NUMBER)
        .by_default("0.08")
        .only_under(1 << RULE_TCNN)
        .getting([](const Network &n) { return number(n.z0); })
        .setting([](Network *n, V v) { n->z0 = v.number; }),
    ROW(BOTH, NET, "--beta", "--beta X", "z = z * (1 - X) after each step (default 0.001)")
        .fraction(DECAY)
        .by_default("0.001")
        .only_under(1 << RULE_TCNN)
        .getting([](const Network &n) { return number(n.beta); })
        .setting([](Network *n, V v) { n->beta = v.number; }),
    ROW(BOTH, NET, "--i0", "--i0 X", "the self-feedback's bias i0 (default 0.65)")
        .of(KIND_NUMBER)
        .by_default("0.65")
        .only_under(1 << RULE_TCNN)
        .getting([](const Network &n) { return number(n.i0); })
        .setting([](Network *n, V v) { n->i0 = v.number; }),
    ROW(BOTH, NET, "--noise", "--noise X",
        "the noise's amplitude: y += X (2 r - 1), r a draw, each\n"
        "unit and step (default 0: none, nothing drawn)")
        .of(KIND_NUMBER)
        .by_default("0")
        .only_under(1 << RULE_TCNN)
        .getting([](const Network &n) { return number(n.noise); })
        .setting([](Network *n, V v) { n->noise = v.number; }),
    ROW(BOTH, NET, "--noise-decay", "--noise-decay X",
        "the noise times (1 - X) after each step (default 0)")
        .fraction(DECAY)
        .by_default("0")
        .only_under(1 << RULE_TCNN)
        .getting([](const Network &n) { return number(n.noise_decay); })
        .setting([](Network *n, V v) { n->noise_decay = v.number; }),
    ROW(BOTH, NET, "--distances", "--distances D",
        "scaled (default), raw or unit (divided by the longest)")
        .choosing("scaled raw unit")
        .by_default("scaled")
        .getting([](const Network &n) { return word(n.distances); })
        .setting([](Network *n, V v) { n->distances = Distances(v.word); }),
};
const int NOPTIONS = int(sizeof OPTIONS / sizeof OPTIONS[0]);

const Option *option_named(int tools, const char *name) {
  for (const Option &o : OPTIONS) {
    int k = 0;
    while (o.name[k] && o.name[k] == name[k]) k++;
    if ((o.tools & tools) && o.name[k] == name[k]) return &o;
  }
  return nullptr;
}

namespace {

// Whether text is a decimal number's, as the page reads its fields:
// [+-]?(digits[.digits?] | .digits)([eE][+-]?digits)?.
bool decimal(const char *text, size_t n) {
  size_t k = 0, digits = 0;
  const auto digit = [&](size_t at) { return at < n && text[at] >= '0' && text[at] <= '9'; };
  if (k < n && (text[k] == '+' || text[k] == '-')) k++;
  for (; digit(k); k++) digits++;
  if (k < n && text[k] == '.')
    for (k++; digit(k); k++) digits++;
  if (!digits) return false;
  if (k < n && (text[k] == 'e' || text[k] == 'E')) {
    k++;
    if (k < n && (text[k] == '+' || text[k] == '-')) k++;
    if (!digit(k)) return false;
    while (digit(k)) k++;
  }
  return k == n;
}

// The whole number of text's digits, or false for another text or one above most.
bool whole(const char *text, size_t n, uint64_t most, uint64_t *v) {
  *v = 0;
  for (size_t k = 0; k < n; k++) {
    if (text[k] < '0' || text[k] > '9') return false;
    *v = *v * 10 + uint64_t(text[k] - '0');
    if (*v > most) return false;
  }
  return n > 0;
}

// Appends s to the message at *at.
void append(char *message, size_t *at, const char *s) {
  while (*s && *at + 1 < 96) message[(*at)++] = *s++;
  message[*at] = '\0';
}

// Appends the decimal digits of v.
void append_whole(char *message, size_t *at, uint64_t v) {
  char digits[21];
  int k = 20;
  digits[k] = '\0';
  do digits[--k] = char('0' + v % 10);
  while ((v /= 10) != 0);
  append(message, at, digits + k);
}

} // namespace

const char *field_problem(const Option &o, const char *text, size_t n,
                          double (*convert)(const char *word, size_t length)) {
  static char message[96];
  size_t at = 0;
  message[0] = '\0';
  if (n == 0 && o.depends) return "";
  const bool number = decimal(text, n);
  const double value = number ? convert(text, n) : 0;
  const bool finite = number && value - value == 0;
  switch (o.kind) {
  case KIND_NUMBER:
  case KIND_RANGE:
    return n == 0    ? "a number, please"
           : !number ? "not a number"
           : !finite ? "too large: the number must be finite"
                     : "";
  case KIND_POSITIVE:
    if (o.most_one)
      return finite && value > 0 && value <= 1 ? "" : "a number above 0 and at most 1";
    return finite && value > 0 ? "" : "a finite number above 0";
  case KIND_FRACTION:
    return finite && value >= 0 && value < 1 ? "" : "a number from 0, below 1";
  case KIND_WHOLE: {
    uint64_t v;
    if (whole(text, n, o.high, &v) && v >= o.low) return "";
    append(message, &at, "a whole number in ");
    append_whole(message, &at, o.low);
    append(message, &at, " ... ");
    append_whole(message, &at, o.high);
    return message;
  }
  case KIND_WORD: {
    if (!o.or_number || (finite && (!o.positive || value > 0)))
      return ""; // a menu's word: the menu's
    size_t k = 0;
    while (o.words[k] && k < n && o.words[k] == text[k]) k++;
    if (k == n && (o.words[k] == '\0' || o.words[k] == ' ')) return "";
    for (const char *w = o.words; *w; w++) message[at++] = *w == ' ' ? ',' : *w;
    message[at] = '\0';
    append(message, &at, o.positive ? " or a finite number above 0" : " or a finite number");
    return message;
  }
  case KIND_TEXT:
  case KIND_FLAG:
  case KIND_PAIR:
    break;
  }
  return "";
}

bool field_value(const Option &o, const char *text, size_t n,
                 double (*convert)(const char *word, size_t length), OptionValue *v) {
  if (*field_problem(o, text, n, convert) || (n == 0 && o.depends)) return false;
  switch (o.kind) {
  case KIND_NUMBER:
  case KIND_RANGE:
  case KIND_POSITIVE:
  case KIND_FRACTION:
    v->number = convert(text, n);
    return true;
  case KIND_WHOLE:
    return whole(text, n, o.high, &v->whole);
  case KIND_WORD: {
    int index = 0;
    for (const char *w = o.words; *w; index++) {
      size_t k = 0;
      while (k < n && w[k] == text[k]) k++;
      if (k == n && (w[k] == '\0' || w[k] == ' ')) return v->word = index, true;
      while (*w && *w != ' ') w++;
      if (*w) w++;
    }
    if (!o.or_number || !decimal(text, n)) return false;
    v->word = -1, v->number = convert(text, n);
    return v->number - v->number == 0;
  }
  case KIND_TEXT:
  case KIND_FLAG:
  case KIND_PAIR:
    break;
  }
  return false;
}
