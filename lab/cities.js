// cities.js: the page's cities as text: carried in a link (the fragment's `cities`), and
// written as a file nuv-trace reads. Files are read by the module, with the tools' own reader
// (nuv.js's readCities); the distances are the module's too, and so is the number of cities a
// network may have (nuv.js's sizeProblem, which the page asks of a link's cities before they
// reach the module). Start at toLink.
(function(root) {
'use strict';

// --- Cities in a link ---

// Base64url of 32-bit little-endian whole numbers, and back (null when it is not such text).
function encodeWholes(values) {
  const bytes = new Uint8Array(new Int32Array(values).buffer);
  let text = '';
  for (const b of bytes) text += String.fromCharCode(b);
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}
function decodeWholes(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text)) return null;
  let bytes;
  try {
    bytes =
        Uint8Array.from(atob(text.replace(/-/g, '+').replace(/_/g, '/')), (c) => c.charCodeAt(0));
  } catch (e) {
    return null;
  }
  if (bytes.length % 4) return null;
  return Array.from(new Int32Array(bytes.buffer));
}

// The power of ten every number lies on exactly, from 10^0 down to 10^-6, or null.
function exactPower(values) {
  for (let p = 0; p >= -6; p--)
    if (values.every((v) => Math.abs(Math.round(v * 10 ** -p)) < 2 ** 31 &&
                            Number(Math.round(v * 10 ** -p) + 'e' + p) === v))
      return p;
  return null;
}

// The grid dragged cities are rounded to: a power of ten at most a thousandth of the larger
// side of their box.
function gridPower(xy) {
  const xs = xy.map((p) => p[0]), ys = xy.map((p) => p[1]);
  const side = Math.max(Math.max(...xs) - Math.min(...xs), Math.max(...ys) - Math.min(...ys)) || 1;
  return Math.floor(Math.log10(side / 1000));
}

// Cities as the fragment's text: "METRIC:P:DATA", the coordinates (or, for a matrix, its
// upper triangle, then any coordinates) as whole multiples of 10^P. Where they do not all
// lie on one such grid, they are rounded to gridPower's, and `rounded` says so.
function toLink(cities) {
  const values = [];
  if (cities.matrix)
    for (let i = 0; i < cities.n; i++)
      for (let j = i + 1; j < cities.n; j++) values.push(cities.matrix[i][j]);
  if (cities.xy)
    for (const [x, y] of cities.xy) values.push(x, y);
  let p = exactPower(values);
  const rounded = p === null;
  if (rounded) p = cities.xy ? gridPower(cities.xy) : 0;
  const wholes = values.map((v) => Math.round(v * 10 ** -p));
  return {text: `${cities.metric}:${cities.n}:${p}:${encodeWholes(wholes)}`, rounded};
}

// The cities of a fragment's text, or {error}: a matrix's weights are none below 0. Their
// number is any the text carries whole (the model's limits are the module's): nothing is made
// larger than the text.
function fromLink(text) {
  const m = /^(xy|euc|att|geo|matrix):(\d{1,7}):(-?\d{1,2}):([A-Za-z0-9_-]*)$/.exec(text);
  const wholes = m && decodeWholes(m[4]);
  if (!wholes) return {error: 'not cities this page wrote'};
  const metric = m[1], n = Number(m[2]), p = Number(m[3]);
  const pairs = metric === 'matrix' ? (n * (n - 1)) / 2 : 0;
  const drawn = wholes.length === pairs + 2 * n;
  if (!drawn && !(metric === 'matrix' && wholes.length === pairs))
    return {error: 'the cities are cut short'};
  const values = wholes.map((w) => Number(w + 'e' + p));
  const negative = values.slice(0, pairs).find((v) => v < 0);
  if (negative !== undefined) return {error: `not cities: weight ${negative} is below 0`};
  let matrix = null, xy = null;
  if (metric === 'matrix') {
    matrix = Array.from({length: n}, () => new Array(n).fill(0));
    let at = 0;
    for (let i = 0; i < n; i++)
      for (let j = i + 1; j < n; j++) matrix[i][j] = matrix[j][i] = values[at++];
  }
  if (drawn) {
    xy = [];
    for (let i = 0; i < n; i++) xy.push([values[pairs + 2 * i], values[pairs + 2 * i + 1]]);
  }
  return {cities: {kind: 'list', metric, n, xy, matrix}};
}

// The cities as a file nuv-trace --cities reads to the same doubles: x y lines, or TSPLIB
// for a TSPLIB metric or a matrix. Numbers are written in JavaScript's shortest form, which
// the C library reads back exactly.
function toFile(cities, name) {
  const type = {euc: 'EUC_2D', att: 'ATT', geo: 'GEO', matrix: 'EXPLICIT'}[cities.metric];
  if (!type) return cities.xy.map(([x, y]) => `${x} ${y}`).join('\n') + '\n';
  let text = `NAME : ${name || 'cities'}\nTYPE : TSP\nDIMENSION : ${cities.n}\nEDGE_WEIGHT_TYPE : ${
      type}\n`;
  if (cities.matrix) {
    text += 'EDGE_WEIGHT_FORMAT : FULL_MATRIX\nEDGE_WEIGHT_SECTION\n';
    text += cities.matrix.map((row) => row.join(' ')).join('\n') + '\n';
    if (cities.xy) text += 'DISPLAY_DATA_SECTION\n';
  } else
    text += 'NODE_COORD_SECTION\n';
  if (cities.xy) text += cities.xy.map(([x, y], i) => `${i + 1} ${x} ${y}`).join('\n') + '\n';
  return text + 'EOF\n';
}

const api = {
  toLink,
  fromLink,
  toFile,
  gridPower
};
if (typeof module !== 'undefined' && module.exports)
  module.exports = api;
else
  root.Cities = api;
})(this);
