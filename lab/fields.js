// fields.js: the page's fields. Their names in the fragment's order, their defaults and their
// names in messages; each text's check (problem), the cities a text names (citiesOf), and the
// network, coefficients and seed all the fields describe (readFields), as the tools' options
// and command line. Start at readFields. The page's scripts run in this order, as one function:
// fields, link, running, drawing, view, stepping, seeds_panel, cities_panel, start (embed.cmake).

const $ = (id) => document.getElementById(id); // the page's element of that id

// The fields, in the fragment's order, with their defaults: coefficients and seed first,
// then the network's options under their names without dashes, whose defaults (and the seeds')
// are the tools' table's, taken by takeDefaults once the module is loaded.
const RUN_FIELDS = ['A', 'B', 'D', 'seed'];
const NETWORK_FIELDS =
    ['rule', 'C', 'n', 'bias', 'u0', 'start', 'dt', 'tau', 'sweeps', 'distances'];
const DEFAULT = {
  A: '1',
  B: '1',
  D: '1',
  seed: '5',
  cities: 'nuv'
}; // and the table's, at start
// The rules that read each setting (a mask of their numbers' bits; 0 or absent: every rule).
const RULES_OF = {};

// The network's fields' defaults and the seeds', from the tools' table of options; a field of
// each setting the page's own controls lack, made here in the table's order (its name as its
// label, a menu for a setting of words), shown only under the rules that read it.
function takeDefaults() {
  let before = null; // the control the next one made goes after
  for (const {name, words, rules} of model.settings()) {
    RULES_OF[name] = rules;
    if (!$(name)) {
      const control = document.createElement('div'), id = name;
      control.className = 'control';
      control.innerHTML =
          `<label for="${id}">${id}</label>` +
          (words
               ? `<select id="${id}">${words.map((w) => `<option>${w}</option>`).join('')}</select>`
               : `<input type="text" id="${id}" inputmode="decimal" aria-describedby="${
                     id}-msg">`) +
          `<span class="msg" id="${id}-msg" role="alert"></span>`;
      const section = $('network');
      section.insertBefore(control, before ? before.nextSibling : section.firstElementChild);
      NETWORK_FIELDS.push(name), (NAMES[name] = name);
      if (words) MENUS.push(name);
    } else if (words) // a menu offers the table's words
      $(name).innerHTML = words.map((w) => `<option>${w}</option>`).join('');
    before = $(name).closest('.control');
  }
  for (const name of [...NETWORK_FIELDS, 'seeds']) DEFAULT[name] = model.fieldDefault(name);
  Object.assign(texts, DEFAULT);
  // The run shows a network: the heuristics are compared in the seeds panel only.
  $('method').innerHTML = model.methodNames()
                              .slice(0, model.firstHeuristic())
                              .map((w) => `<option>${w}</option>`)
                              .join('');
  $('method').addEventListener('input', () => methodDefaults(true));
}

// The settings' defaults are the method's: each field's default its value under the method in
// the method field (nuv's by default), and with `fill` each field shows it.
function methodDefaults(fill) {
  const texts = model.methodTexts(model.methodNames().indexOf($('method').value));
  for (const name of NETWORK_FIELDS) {
    if (name === 'method' || texts[name] === '') continue; // a default that depends on others
    DEFAULT[name] = texts[name];
    if (fill) {
      $(name).value = texts[name];
      if (name in badMenu) delete badMenu[name], ($(name + '-msg').textContent = '');
    }
  }
}

// Whether the rule in the rule field reads the setting.
const ruleReads = (name) =>
    !RULES_OF[name] || ((RULES_OF[name] >> Nuv.RULES.indexOf(texts.rule)) & 1) === 1;

// Shows each setting's field only under the rules that read it.
function showSettings() {
  for (const name of NETWORK_FIELDS) $(name).closest('.control').hidden = !ruleReads(name);
}

const NAMES = {
  // each field's name in messages
  A: 'Acoef',
  B: 'Bcoef',
  D: 'Dcoef',
  seed: 'the seed',
  cities: 'the cities',
  C: 'C',
  n: 'n',
  bias: 'the bias',
  u0: 'U0',
  dt: 'dt',
  tau: 'tau',
  sweeps: 'the sweeps',
  rule: 'the rule',
  start: 'the start',
  distances: 'the distances'
};
const MENUS = ['rule', 'start', 'distances']; // the fields that are menus
// The shipped TSPLIB instances the page carries, by name.
const SHIPPED =
    [...document.querySelectorAll('script[type="text/x-tsplib"]')].map((e) => e.dataset.name);
const shipped = new Map(); // each shipped instance's cities, once read

const texts = Object.assign({}, DEFAULT); // the fields' texts, good or not
// A link's menu values that the menus do not offer, by field, until one is chosen.
const badMenu = {};

// Whether the text is a decimal number whose value is finite.
const finite = (t) => Nuv.DECIMAL.test(t) && Number.isFinite(Number(t));

// Why the text is not a good value of the field, or ''.
function problem(name, t) {
  if (name === 'seed') {
    if (!/^\d+$/.test(t)) return 'the seed is a whole number from 0 to 4294967295';
    return Number(t) > 4294967295 ? 'the seed is at most 4294967295' : '';
  }
  if (['A', 'B', 'D'].includes(name)) {
    if (t === '') return 'a number, please';
    if (!Nuv.DECIMAL.test(t)) return 'not a number';
    return finite(t) ? '' : 'too large: the number must be finite';
  }
  return model.fieldProblem(name, t); // a network setting, by the tools' table of options
}

// The cities the texts name: {cities, name, option, file}, or {error}.
function citiesOf(text) {
  if (text === 'nuv') return {cities: {kind: 'nuv'}, option: null};
  // random:N:S refused as the tools refuse it: "'random:1003:1': 1003 cities: a network has 4
  // to 1002", the number the module's.
  const random = /^random:(\d+):(\d+)$/.exec(text);
  const n = random && Number(random[1]), seed = random && Number(random[2]);
  if (text.startsWith('random:') && (!random || n > 1000000 || seed > 4294967295))
    return {error: `'${text}': random cities are random:N:S, whole numbers`};
  if (random) {
    const why = model.sizeProblem(n);
    if (why) return {error: `'${text}': ${why}`};
    return {cities: {kind: 'random', n, seed}, option: text};
  }
  if (SHIPPED.includes(text)) {
    // Read once, with the optimal tour file where the page carries one, as the tools take it:
    // the reading leaves the cities in the module, which a run sets again.
    if (!shipped.has(text)) {
      const tour = document.querySelector(`script[type="text/x-tsplib-tour"][data-name="${text}"]`);
      shipped.set(text,
                  model.readCities(
                      document.querySelector(`script[type="text/x-tsplib"][data-name="${text}"]`)
                          .textContent,
                      tour ? tour.textContent : null));
    }
    const read = shipped.get(text);
    if (read.error) return {error: `${text}${read.tour ? '.opt.tour' : ''}: ${read.error}`};
    return {cities: read.cities, option: `data/tsplib/${text}.tsp`};
  }
  const list = Cities.fromLink(text);
  if (list.error) return {error: `the link's cities '${text.slice(0, 20)}' are ${list.error}`};
  const why = model.citiesProblem(list.cities);
  if (why) return {error: `the link's cities '${text.slice(0, 20)}' make no network: ${why}`};
  const name =
      listCities && Cities.toLink(listCities.cities).text === text ? listCities.name : 'cities';
  const extension = list.cities.metric === 'xy' ? '.txt' : '.tsp';
  const file = name.endsWith(extension) ? name : name + extension; // a NAME may hold it already
  return {cities: list.cities, option: file, file, name};
}

// Takes every field's text; the network and run they describe, or the names of the bad ones.
function readFields() {
  for (const name of [...RUN_FIELDS, ...NETWORK_FIELDS]) texts[name] = $(name).value.trim();
  showSettings();
  const bad = [];
  for (const name of [...RUN_FIELDS, ...NETWORK_FIELDS]) {
    if (!ruleReads(name)) continue; // hidden: not the network's
    if (MENUS.includes(name)) {
      // A menu holds a value it offers; a link's other value is named until one is chosen.
      if (name in badMenu) bad.push(NAMES[name]);
      continue;
    }
    const why = problem(name, texts[name]);
    $(name + '-msg').textContent = why;
    $(name).setAttribute('aria-invalid', why ? 'true' : 'false');
    if (why) bad.push(NAMES[name]);
  }
  const c = citiesOf(texts.cities);
  $('cities-msg').textContent = c.error || '';
  if (c.error) bad.push(NAMES.cities);
  if (bad.length) return {bad};
  const coef = [Number(texts.A), Number(texts.B), Number(texts.D)];
  const network = {cities: c.cities, options: settingOptions()};
  return {network, coef, seed: Number(texts.seed), citiesInfo: c};
}

// The network's options that differ from their defaults, as the tools take them; `given`
// replaces some settings' texts (C's range, for the survey).
function settingOptions(given = {}) {
  const list = texts.method !== DEFAULT.method ? ['--method', texts.method] : [];
  for (const name of NETWORK_FIELDS) {
    if (name === 'method') continue; // first: the settings after it are its own or given
    const text = name in given ? given[name] : texts[name];
    if (text !== DEFAULT[name] && ruleReads(name)) list.push('--' + name, text);
  }
  return list;
}

// The options of the network, its cities as citiesOf gives them first.
function options(cities, given = {}) {
  return [...(cities.option ? ['--cities', cities.option] : []), ...settingOptions(given)];
}

// The command that prints the run shown: nuv's for nuv's network (no option), else
// nuv-trace --tables.
function commandLine(cities) {
  const run = `${texts.A} ${texts.B} ${texts.D} ${texts.seed}`, o = options(cities);
  return o.length ? `nuv-trace --tables ${o.join(' ')} ${run}` : `nuv ${run}`;
}

// A slider follows its field: its range grows to hold a typed value beyond it.
function follow(slider, v) {
  if (v < Number(slider.min)) slider.min = String(Math.floor(v));
  if (v > Number(slider.max)) slider.max = String(Math.ceil(v));
  slider.value = String(v);
}
