// link.js: the page's address. Its fragment's NAME=VALUE pairs are read into the fields
// (readFragment), and written back from them, with the cycle shown and the seeds panel's
// range (writeFragment), so that the address always says what the page shows. Start at
// readFragment.

let seedsWanted = false; // whether the link asked for the seeds panel to run

// The fragment's NAME=VALUE pairs, each value percent-decoded. A '+' stays a '+' (a form's
// query would make it a space): 'bias=A+B' and 'A=1e+3' mean what they say. A value that is
// not good percent-encoding is kept as it stands, to be named beside its field.
function fragmentParams(text) {
  const map = new Map();
  for (const pair of text.split('&')) {
    if (!pair) continue;
    const at = pair.indexOf('='), name = at < 0 ? pair : pair.slice(0, at),
          value = at < 0 ? '' : pair.slice(at + 1);
    let decoded = value;
    try {
      decoded = decodeURIComponent(value);
    } catch (e) { /* kept as typed */
    }
    if (!map.has(name)) map.set(name, decoded);
  }
  return map;
}

// The fragment's values, where there are any, into the fields; a cycle that is not one is
// named beside the cycle, and the last cycle shown.
function readFragment() {
  const params = fragmentParams(location.hash.slice(1));
  // The method first: the other settings' defaults are its own.
  $('method').value = params.get('method') || DEFAULT.method;
  if ($('method').value === '') $('method').value = DEFAULT.method; // one the menu lacks
  methodDefaults(false);
  for (const name of [...RUN_FIELDS, ...NETWORK_FIELDS])
    $(name).value = params.has(name) ? params.get(name) : DEFAULT[name];
  // A menu cannot show a value it does not offer: the link's is named, and the default used.
  for (const name of MENUS) {
    const offered = [...$(name).options].map((o) => o.value);
    $(name + '-msg').textContent = '';
    delete badMenu[name];
    if (!params.has(name) || offered.includes(params.get(name))) continue;
    $(name).value = DEFAULT[name];
    badMenu[name] = params.get(name);
    $(name + '-msg').textContent =
        `the link's ${name} '${params.get(name)}' is not ${offered.join(', ')}: choose one`;
    $(name).setAttribute('aria-invalid', 'true');
  }
  texts.cities = params.has('cities') ? params.get('cities') : DEFAULT.cities;
  $('seeds').value = params.has('seeds') ? params.get('seeds') : DEFAULT.seeds;
  $('vary').value = ['A', 'B', 'D', 'C'].includes(params.get('vary')) ? params.get('vary') : '';
  $('vary-values').value = params.get('values') || '';
  $('compare').value = params.get('compare') || '';
  seedsWanted = params.get('run') === 'seeds';
  showCities();
  $('cycle-msg').textContent = '';
  shown = Number.MAX_SAFE_INTEGER; // the last cycle, whatever the sweeps
  if (!params.has('cycle')) return;
  const text = params.get('cycle');
  // The last cycle the settings give, good or not: the rule's sweeps unless sweeps is good.
  const sweeps = problem('sweeps', $('sweeps').value.trim()) || $('sweeps').value.trim() === ''
                     ? model.defaultSweeps($('rule').value)
                     : Number($('sweeps').value.trim());
  if (/^\d{1,6}$/.test(text) && Number(text) < sweeps)
    shown = Number(text);
  else
    $('cycle-msg').textContent = `the link's cycle '${text}' is not a whole number from 0 to ${
        sweeps - 1}; showing ${sweeps - 1}`;
}

// The address: the run's fields, the settings that are not their defaults, the cycle, and
// the seeds panel's range and whether it has run.
function writeFragment() {
  const parts = RUN_FIELDS.map((n) => `${n}=${encodeURIComponent(texts[n])}`);
  if (texts.cities !== DEFAULT.cities) parts.push(`cities=${encodeURIComponent(texts.cities)}`);
  for (const name of NETWORK_FIELDS) {
    const text = name in badMenu ? badMenu[name] : texts[name]; // a link's bad menu value stays
    if (text !== DEFAULT[name] && ruleReads(name))
      parts.push(`${name}=${encodeURIComponent(text)}`);
  }
  parts.push(`cycle=${shown}`);
  const seeds = $('seeds').value.trim();
  if (seeds !== DEFAULT.seeds) parts.push(`seeds=${encodeURIComponent(seeds)}`);
  if ($('vary').value)
    parts.push(
        `vary=${$('vary').value}&values=${encodeURIComponent($('vary-values').value.trim())}`);
  if ($('compare').value.trim())
    parts.push(`compare=${encodeURIComponent($('compare').value.trim())}`);
  if ($('survey').textContent) parts.push('run=seeds');
  const fragment = '#' + parts.join('&');
  if (location.hash !== fragment) history.replaceState(null, '', fragment);
}
