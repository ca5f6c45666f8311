// cities_panel.js: the page's cities panel: the menu, the random N and S, a file picked, the
// cities dragged on the map, and the link to save them as a file. The cities' link and file
// texts themselves are cities.js's (Cities). Start at chooseCities.

let listCities = null; // cities from a file or the map: {cities, name}

// The menu and its fields as the cities' text says.
function showCities() {
  const t = texts.cities;
  const option = t === 'nuv'               ? 'nuv'
                 : t.startsWith('random:') ? 'random'
                 : SHIPPED.includes(t)     ? t
                                           : 'list';
  $('cities-list').hidden = option !== 'list';
  $('cities').value = option;
  $('random-fields').hidden = option !== 'random';
  const m = /^random:(\d+):(\d+)$/.exec(t);
  if (m) ($('cities-n').value = m[1]), ($('cities-s').value = m[2]);
}

// The cities the menu (and the random N and S) choose; a file is asked for with the picker.
function chooseCities() {
  const v = $('cities').value;
  if (v === 'file') return $('cities-file').click();
  if (v === 'random')
    texts.cities = `random:${$('cities-n').value.trim()}:${$('cities-s').value.trim()}`;
  else if (v !== 'list')
    texts.cities = v;
  showCities();
  rerun();
}

// A file read in the page: nothing is sent anywhere. A file refused is named as nuv-trace
// --cities NAME names it: "'big.tsp':3: 1003 cities: a network has 4 to 1002".
function openFile() {
  const file = $('cities-file').files[0];
  if (!file) return showCities();
  file.text().then((text) => {
    const read = model.readCities(text);
    if (read.error) {
      showCities();
      $('cities-msg').textContent =
          `'${file.name}'${read.line ? ':' + read.line : ''}: ${read.error}`;
      return;
    }
    useList(read.cities, read.name || file.name.replace(/\.[^.]*$/, ''));
  });
}

// Cities of a file or the map as the run's, carried in the link.
function useList(cities, name) {
  const link = Cities.toLink(cities);
  listCities = {
    cities: Cities.fromLink(link.text).cities,
    name: name.replace(/[^A-Za-z0-9_.-]/g, '_') || 'cities'
  };
  texts.cities = link.text;
  showCities();
  rerun();
  if (link.rounded)
    $('cities-msg').textContent =
        'rounded to a power of ten no more than a thousandth of the box, to fit a link';
}

// A city moved to map point [sx, sy]: the cities become a list in the link, rounded to its grid.
function moveCity(i, point) {
  const xy = model.cityPoints(), place = mapPlace(xy), info = current.cities.cities;
  const metric = info.kind === 'list' ? info.metric : 'xy';
  xy[i] = place.from(point);
  const p = Cities.gridPower(xy);
  const round = (v) => Number(Math.round(v * 10 ** -p) + 'e' + p);
  // GEO's cities are drawn with longitude across: back to latitude, longitude.
  const file = xy.map(([x, y]) => (metric === 'geo' ? [round(y), round(x)] : [round(x), round(y)]));
  const cities = {kind: 'list', metric, n: xy.length, xy: file, matrix: null};
  useList(cities,
          current.cities.name || (SHIPPED.includes(texts.cities) ? texts.cities : 'cities'));
}

// Cities dragged with the pointer, or moved by the arrow keys when focused.
function dragging() {
  const svg = $('map');
  let held = null;
  const point = (e) => {
    const box = svg.getBoundingClientRect();
    return [((e.clientX - box.left) * 260) / box.width, ((e.clientY - box.top) * 310) / box.height];
  };
  svg.addEventListener('pointerdown', (e) => {
    if (!e.target.classList.contains('city')) return;
    held = {city: Number(e.target.dataset.city), dot: e.target};
    svg.setPointerCapture(e.pointerId);
    e.preventDefault();
  });
  svg.addEventListener('pointermove', (e) => {
    if (!held) return;
    const [x, y] = point(e);
    held.dot.setAttribute('cx', x.toFixed(1));
    held.dot.setAttribute('cy', y.toFixed(1));
  });
  svg.addEventListener('pointerup', (e) => {
    if (!held) return;
    const city = held.city;
    held = null;
    moveCity(city, point(e));
  });
  svg.addEventListener('keydown', (e) => {
    if (!e.target.classList.contains('city')) return;
    const moves = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]};
    const move = moves[e.key];
    if (!move) return;
    e.preventDefault();
    const city = Number(e.target.dataset.city);
    const x = Number(e.target.getAttribute('cx')) + 5 * move[0],
          y = Number(e.target.getAttribute('cy')) + 5 * move[1];
    moveCity(city, [x, y]);
    const again = document.querySelector(`#map circle[data-city="${city}"]`);
    if (again) again.focus();
  });
}

// The cities as a file, to save beside the command that names it.
function saveLink() {
  const a = $('cities-save'), c = current && current.cities;
  if (!c || !c.file) return (a.hidden = true);
  if (a.dataset.for !== texts.cities) {
    if (a.href) URL.revokeObjectURL(a.href);
    a.href = URL.createObjectURL(new Blob([Cities.toFile(c.cities, c.name)], {type: 'text/plain'}));
    a.dataset.for = texts.cities;
  }
  a.download = c.file;
  a.textContent = `save the cities as ${c.file}`;
  a.hidden = false;
}
