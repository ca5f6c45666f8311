// nuv.Network: a network of the family made from keywords, each a network option of the tools'
// table (settings/table.cpp) named without its dashes ("--dt-decay" is dt_decay, "--rule" rule,
// "--C" C) and the coefficients A, B and D. The keywords are turned into the command line they
// stand for and read by the tools' own reader, so that the defaults, limits and refusals are
// theirs: a refusal is the ValueError of the tool's message. Start at make_network.
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "args.h"
#include "bindings.h"
#include "methods.h"
#include "text.h"

namespace {

// What nuv-trace adds to a refusal of its command line.
const char HINT[] = " (see nuv-trace --help)";

// The coefficients' keywords and their names in the tools' refusals.
const char *const COEFFICIENT[3] = {"A", "B", "D"};
const char *const COEFFICIENT_NAME[3] = {"Acoef", "Bcoef", "Dcoef"};

// A network option's keyword: its name without the dashes, '-' as '_' ("dt_decay").
std::string keyword_of(const Option &o) {
  std::string k = o.name + 2;
  for (char &c : k)
    if (c == '-') c = '_';
  return k;
}

// Whether a row is a network option of nuv-trace, which a keyword may name.
bool network_row(const Option &o) {
  return o.section == SECTION_NETWORK && (o.tools & TOOL_TRACE);
}

// The network option a keyword names, or null.
const Option *keyword_option(const std::string &keyword) {
  for (const Option &o : every_option())
    if (network_row(o) && keyword_of(o) == keyword) return &o;
  return nullptr;
}

// Every keyword Network takes: the table's network options, then A, B and D.
std::vector<std::string> keywords() {
  std::vector<std::string> k;
  for (const Option &o : every_option())
    if (network_row(o)) k.push_back(keyword_of(o));
  k.insert(k.end(), COEFFICIENT, COEFFICIENT + 3);
  return k;
}

// A row's value in a record as Python has it: a menu's word, a whole number, or a number.
py::object setting_value(const Option &o, const Network &net) {
  const OptionValue v = o.get(net);
  if (o.kind == KIND_WORD && v.word >= 0) {
    const char *w = o.words;
    for (int k = 0; k < v.word; k++) w = strchr(w, ' ') + 1;
    const char *end = strchr(w, ' ');
    return py::str(end ? std::string(w, end) : std::string(w));
  }
  if (o.kind == KIND_WHOLE) return py::int_(v.whole);
  return py::float_(v.number);
}

// The network the keywords make, read and set up as nuv-trace reads and sets up its command line;
// ValueError with nuv-trace's message at the first refusal, TypeError for an unknown keyword.
PyNetwork make_network(const py::kwargs &given) {
  PyNetwork p;
  std::vector<std::string> words, method;
  std::string coefficient[3];
  bool has_coefficient[3] = {}, named_cities = false;
  py::object cities = py::none();
  for (const auto &item : given) {
    const std::string key = item.first.cast<std::string>();
    const py::handle value = item.second;
    if (value.is_none()) continue; // the default
    int c = 0;
    while (c < 3 && key != COEFFICIENT[c]) c++;
    if (c < 3) {
      coefficient[c] = option_text(value, key), has_coefficient[c] = true;
      continue;
    }
    const Option *o = keyword_option(key);
    if (!o) {
      const std::string near = nearest(key, keywords());
      throw py::type_error("Network() got an unexpected keyword argument '" + key + "'" +
                           (near.empty() ? "" : "; did you mean " + near + "?"));
    }
    if (key == "cities" && !py::isinstance<py::str>(value) && !py::hasattr(value, "__fspath__")) {
      cities = py::reinterpret_borrow<py::object>(value); // an array or a Cities: read apart
      continue;
    }
    const std::string text =
        key == "cities" ? py::module_::import("os").attr("fspath")(value).cast<std::string>()
                        : option_text(value, key);
    named_cities = named_cities || key == "cities";
    (key == "method" ? method : words)
        .insert((key == "method" ? method : words).end(), {o->name, text});
  }
  words.insert(words.begin(), method.begin(), method.end()); // a method first: options override
  p.words = words;

  // The options, read by the tools' reader into the record.
  std::vector<std::string> line_words = {"nuv-trace"};
  line_words.insert(line_words.end(), words.begin(), words.end());
  std::vector<char *> argv;
  for (std::string &w : line_words) argv.push_back(&w[0]);
  CommandLine line;
  std::string error;
  if (!read_command_line(TOOL_TRACE, int(argv.size()), argv.data(), &line, &p.options, &error))
    refuse(error + HINT);

  // The coefficients: each given, or with a method the method's for those not given.
  Network &net = p.options.net;
  const bool by_method = !method.empty();
  for (int c = 0; c < 3; c++)
    if (!has_coefficient[c] && !by_method)
      refuse("missing " + std::string(COEFFICIENT_NAME[c]) + HINT);
  double *const value[3] = {&net.a, &net.b, &net.d};
  for (int c = 0; c < 3; c++)
    if (has_coefficient[c] && !read_number(coefficient[c], value[c]))
      refuse(COEFFICIENT_NAME[c] + (" " + quoted(coefficient[c])) + " is not a finite number" +
             HINT);
  for (int c = 0; c < 3; c++) p.coefficients[c] = shortest(*value[c]);

  // The cities and the network set up as the tool sets them up.
  Cities read;
  if (!named_cities) read = cities_from(cities); // nuv's nine, an array's or a Cities'
  if (!named_cities && read.source != "array" && !read.source.empty())
    p.words.insert(p.words.end(), {"--cities", read.source}); // a Cities read from a text
  ModelLock lock;
  if (!named_cities) {
    install_cities(read);
    p.options.name = read.name;
    if (!cities.is_none()) p.options.given["--cities"] = read.source;
  }
  if (!set_up_network(&p.options, &error)) refuse(error);
  p.cities = named_cities ? keep_cities(p.options.cities, p.options.name) : read;
  return p;
}

} // namespace

std::string option_text(py::handle value, const std::string &what) {
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  const std::string type = py::str(py::type::of(value).attr("__name__"));
  if (py::isinstance<py::bool_>(value) || type == "bool_")
    throw py::type_error(what + ": a number or a word, not a bool");
  const py::object object = py::reinterpret_borrow<py::object>(value);
  if (py::hasattr(value, "__index__")) return py::str(py::int_(object)).cast<std::string>();
  if (py::hasattr(value, "__float__"))
    return py::repr(py::float_(object)).cast<std::string>(); // shortest round-trip
  throw py::type_error(what + ": a number or a word, not " + type);
}

void set_up_model(const PyNetwork &net) {
  install_cities(net.cities);
  set_up(net.options.net);
}

void bind_network(py::module_ &m) {
  py::class_<PyNetwork>(m, "Network",
                        R"(A network of the family, as nuv-trace and nuv-survey choose one.

Network(**keywords): every network option of the tools, named without its dashes
(--rule is rule=, --dt-decay dt_decay=, --C C=, --n n=), and the coefficients
A=, B=, D= (Acoef, Bcoef, Dcoef). Values are numbers or the texts the tools take
('critical', 'A+B', 'euler'); None leaves the default. cities= is a TSPLIB or
x y file's path, a shipped instance's name ('eil51'), 'random:N:S', an N x 2
array of coordinates, an N x N distance matrix or a nuv.Cities; by default
nuv's nine. method= sets a paper's settings first; the other keywords override
them, and the coefficients default to the method's. Without a method, A, B and
D are needed. Defaults, limits and refusals are the tools': a bad value raises
ValueError with nuv-trace's message, before anything runs.)")
      .def(py::init(&make_network))
      .def_property_readonly("A", [](const PyNetwork &p) { return p.options.net.a; })
      .def_property_readonly("B", [](const PyNetwork &p) { return p.options.net.b; })
      .def_property_readonly("D", [](const PyNetwork &p) { return p.options.net.d; })
      .def_property_readonly(
          "cities", [](const PyNetwork &p) { return p.cities; }, "the network's nuv.Cities")
      .def_property_readonly(
          "description", [](const PyNetwork &p) { return network_text(p.options); },
          "what the network is, as the tools' outputs say it first")
      .def_property_readonly(
          "words", [](const PyNetwork &p) { return p.words; },
          "the network's options as a command line of the tools gives them (the coefficients "
          "apart; without --cities for an array's cities)")
      .def_property_readonly(
          "coefficients",
          [](const PyNetwork &p) {
            return std::vector<std::string>(p.coefficients, p.coefficients + 3);
          },
          "Acoef, Bcoef and Dcoef as the tools' texts: the shortest that read back the same")
      .def_property_readonly(
          "is_heuristic", [](const PyNetwork &p) { return is_heuristic(p.options.net.method); },
          "whether the method is a heuristic (nearest, 2-opt, or-opt): its run has no cycles")
      .def_property_readonly(
          "settings",
          [](const PyNetwork &p) {
            py::dict d;
            for (const Option &o : every_option())
              if (network_row(o) && o.get)
                d[py::str(keyword_of(o))] = setting_value(o, p.options.net);
            d["A"] = p.options.net.a, d["B"] = p.options.net.b, d["D"] = p.options.net.d;
            return d;
          },
          "every setting of the record as finished, by keyword: {'rule': 'inplace', 'u0': 0.5, "
          "...}; t0 'critical' for the critical temperature")
      .def_property_readonly(
          "keywords",
          [](const PyNetwork &p) {
            py::dict d;
            for (size_t k = 0; k + 1 < p.words.size(); k += 2) {
              const Option *o = find_option(TOOL_TRACE, p.words[k]);
              if (o->name != std::string("--cities")) d[py::str(keyword_of(*o))] = p.words[k + 1];
            }
            d["cities"] = p.cities;
            for (int c = 0; c < 3; c++) d[COEFFICIENT[c]] = p.coefficients[c];
            return d;
          },
          "keywords that make this network again: Network(**{**net.keywords, 'D': 2})")
      .def("__getattr__",
           [](const PyNetwork &p, const std::string &name) -> py::object {
             const Option *o = keyword_option(name);
             if (!o || !o->get) throw py::attribute_error("Network has no setting '" + name + "'");
             return setting_value(*o, p.options.net);
           })
      .def("__repr__", [](const PyNetwork &p) {
        return "<nuv.Network " + shortest(p.options.net.a) + " " + shortest(p.options.net.b) + " " +
               shortest(p.options.net.d) + "; " + network_text(p.options) + ">";
      });
  m.attr("KEYWORDS") = keywords();
}
