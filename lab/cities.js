// cities.js: the page's cities as text. Reads a TSPLIB .tsp file or x y lines into the cities a
// network runs on (nuv.js's {kind: 'list'}), carries cities in a link (the fragment's `cities`),
// and writes them as a file nuv-trace reads. The distances are the module's. Start at read.
(function (root) {
  'use strict';
  const MINCITY = 4, MAXCITY = 100;
  const NUMBER = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;

  // A finite number, the whole of the word, or NaN.
  function number(word) {
    return NUMBER.test(word) && Number.isFinite(Number(word)) ? Number(word) : NaN;
  }

  // Why n cities are not a network, or ''.
  function sizeProblem(n) {
    return n >= MINCITY && n <= MAXCITY ? '' : `${n} cities: a network has ${MINCITY} to ${MAXCITY}`;
  }

  // A TSPLIB file of TYPE TSP: EUC_2D, ATT or GEO coordinates, or an EXPLICIT matrix in one of
  // the four formats the tools read. Returns {cities, name} or {error: 'LINE: reason'}.
  function readTsplib(text) {
    const lines = text.split(/\r?\n/);
    let name = '', dimension = -1, type = '', format = '', xy = null, display = null, numbers = null;
    const fail = (line, why) => ({ error: (line ? `line ${line}: ` : '') + why });
    for (let k = 0; k < lines.length; k++) {
      const words = lines[k].trim().split(/\s+/).filter((w) => w);
      if (!words.length) continue;
      const key = words[0].split(':')[0];
      const colon = lines[k].indexOf(':');
      const value = colon < 0 ? '' : (lines[k].slice(colon + 1).trim().split(/\s+/)[0] || '');
      if (key === 'EOF') break;
      if (key === 'NAME') name = value;
      else if (key === 'TYPE' && value !== 'TSP') return fail(k + 1, `TYPE ${value} is not supported: only TSP`);
      else if (key === 'DIMENSION') {
        dimension = number(value);
        if (!Number.isInteger(dimension)) return fail(k + 1, 'DIMENSION is not a whole number');
        if (sizeProblem(dimension)) return fail(k + 1, sizeProblem(dimension));
      } else if (key === 'EDGE_WEIGHT_TYPE') {
        type = value;
        if (!['EUC_2D', 'ATT', 'GEO', 'EXPLICIT'].includes(type))
          return fail(k + 1, `EDGE_WEIGHT_TYPE ${type} is not supported: EUC_2D, ATT, GEO or EXPLICIT`);
      } else if (key === 'EDGE_WEIGHT_FORMAT') {
        format = value;
        if (!['FUNCTION', 'FULL_MATRIX', 'UPPER_ROW', 'LOWER_DIAG_ROW', 'UPPER_DIAG_ROW'].includes(format))
          return fail(k + 1, `EDGE_WEIGHT_FORMAT ${format} is not supported`);
      } else if (key === 'NODE_COORD_SECTION' || key === 'DISPLAY_DATA_SECTION') {
        if (dimension < 0) return fail(k + 1, `DIMENSION must come before ${key}`);
        const points = new Array(dimension).fill(null);
        for (let c = 0; c < dimension; c++) {
          k++;
          if (k >= lines.length) return fail(k, `the section ends after ${c} of ${dimension} nodes`);
          const w = lines[k].trim().split(/\s+/).map(number);
          if (w.length !== 3 || w.some(Number.isNaN)) return fail(k + 1, "a node is 'number x y', with finite numbers");
          if (!Number.isInteger(w[0]) || w[0] < 1 || w[0] > dimension) return fail(k + 1, `node ${w[0]} is not one of 1 ... ${dimension}`);
          if (points[w[0] - 1]) return fail(k + 1, `node ${w[0]} comes twice`);
          points[w[0] - 1] = [w[1], w[2]];
        }
        if (key === 'NODE_COORD_SECTION') xy = points;
        else display = points;
      } else if (key === 'EDGE_WEIGHT_SECTION') {
        const n = dimension;
        const count = { FULL_MATRIX: n * n, UPPER_ROW: (n * (n - 1)) / 2, LOWER_DIAG_ROW: (n * (n + 1)) / 2,
          UPPER_DIAG_ROW: (n * (n + 1)) / 2 }[format];
        if (!count) return fail(k + 1, 'EDGE_WEIGHT_SECTION without EDGE_WEIGHT_FORMAT');
        numbers = [];
        while (numbers.length < count && k + 1 < lines.length) {
          k++;
          for (const word of lines[k].trim().split(/\s+/).filter((w) => w)) {
            if (Number.isNaN(number(word))) return fail(k + 1, `'${word}' is not a finite number`);
            if (numbers.length === count) return fail(k + 1, `more weights than ${format} of ${n} cities holds`);
            numbers.push(number(word));
          }
        }
        if (numbers.length < count) return fail(k + 1, `the section ends after ${numbers.length} of ${count} weights`);
      } else if (key.includes('_SECTION')) return fail(k + 1, `${key} is not supported`);
    }
    if (dimension < 0) return fail(0, 'no DIMENSION');
    if (!type) return fail(0, 'no EDGE_WEIGHT_TYPE');
    const n = dimension;
    if (type !== 'EXPLICIT') {
      if (!xy) return fail(0, 'no NODE_COORD_SECTION');
      return { name, cities: { kind: 'list', metric: { EUC_2D: 'euc', ATT: 'att', GEO: 'geo' }[type], n, xy, matrix: null } };
    }
    if (!numbers) return fail(0, 'no EDGE_WEIGHT_SECTION');
    const matrix = Array.from({ length: n }, () => new Array(n).fill(0));
    let at = 0;
    for (let i = 0; i < n; i++)
      for (let j = 0; j < n; j++) {
        const read = format === 'FULL_MATRIX' ? true : format === 'UPPER_ROW' ? j > i : format === 'LOWER_DIAG_ROW' ? j <= i : j >= i;
        if (!read) continue;
        matrix[i][j] = numbers[at++];
        if (format !== 'FULL_MATRIX') matrix[j][i] = matrix[i][j];
      }
    for (let i = 0; i < n; i++)
      for (let j = 0; j < n; j++)
        if (matrix[i][j] !== matrix[j][i]) return fail(0, `the matrix is not symmetric: ${i + 1} to ${j + 1} is not ${j + 1} to ${i + 1}`);
    for (let i = 0; i < n; i++) matrix[i][i] = 0;
    return { name, cities: { kind: 'list', metric: 'matrix', n, xy: display, matrix } };
  }

  // x y lines in the file's order, '#' starting a comment.
  function readPlain(text) {
    const xy = [];
    const lines = text.split(/\r?\n/);
    for (let k = 0; k < lines.length; k++) {
      const words = lines[k].split('#')[0].trim().split(/\s+/).filter((w) => w);
      if (!words.length) continue;
      const [x, y] = words.map(number);
      if (words.length !== 2 || Number.isNaN(x) || Number.isNaN(y)) return { error: `line ${k + 1}: a city is 'x y', two finite numbers` };
      if (xy.length === MAXCITY) return { error: `line ${k + 1}: more than ${MAXCITY} cities` };
      xy.push([x, y]);
    }
    if (sizeProblem(xy.length)) return { error: sizeProblem(xy.length) };
    return { name: '', cities: { kind: 'list', metric: 'xy', n: xy.length, xy, matrix: null } };
  }

  // A file's text, by its first line as the tools tell them apart: TSPLIB when it is a
  // "KEYWORD : value", else x y lines.
  function read(text) {
    const first = text.split(/\r?\n/)[0];
    const tsplib = first.includes(':') && /^\s*[A-Z_]+\s*$/.test(first.slice(0, first.indexOf(':')));
    return tsplib ? readTsplib(text) : readPlain(text);
  }

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
      bytes = Uint8Array.from(atob(text.replace(/-/g, '+').replace(/_/g, '/')), (c) => c.charCodeAt(0));
    } catch (e) {
      return null;
    }
    if (bytes.length % 4) return null;
    return Array.from(new Int32Array(bytes.buffer));
  }

  // The power of ten every number lies on exactly, from 10^0 down to 10^-6, or null.
  function exactPower(values) {
    for (let p = 0; p >= -6; p--)
      if (values.every((v) => Math.abs(Math.round(v * 10 ** -p)) < 2 ** 31 && Number(Math.round(v * 10 ** -p) + 'e' + p) === v)) return p;
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
      for (let i = 0; i < cities.n; i++) for (let j = i + 1; j < cities.n; j++) values.push(cities.matrix[i][j]);
    if (cities.xy) for (const [x, y] of cities.xy) values.push(x, y);
    let p = exactPower(values);
    const rounded = p === null;
    if (rounded) p = cities.xy ? gridPower(cities.xy) : 0;
    const wholes = values.map((v) => Math.round(v * 10 ** -p));
    return { text: `${cities.metric}:${cities.n}:${p}:${encodeWholes(wholes)}`, rounded };
  }

  // The cities of a fragment's text, or {error}.
  function fromLink(text) {
    const m = /^(xy|euc|att|geo|matrix):(\d{1,3}):(-?\d{1,2}):([A-Za-z0-9_-]*)$/.exec(text);
    const wholes = m && decodeWholes(m[4]);
    if (!wholes) return { error: 'not cities this page wrote' };
    const metric = m[1], n = Number(m[2]), p = Number(m[3]);
    if (sizeProblem(n)) return { error: sizeProblem(n) };
    const pairs = metric === 'matrix' ? (n * (n - 1)) / 2 : 0;
    const drawn = wholes.length === pairs + 2 * n;
    if (!drawn && !(metric === 'matrix' && wholes.length === pairs)) return { error: 'the cities are cut short' };
    const values = wholes.map((w) => Number(w + 'e' + p));
    let matrix = null, xy = null;
    if (metric === 'matrix') {
      matrix = Array.from({ length: n }, () => new Array(n).fill(0));
      let at = 0;
      for (let i = 0; i < n; i++) for (let j = i + 1; j < n; j++) matrix[i][j] = matrix[j][i] = values[at++];
    }
    if (drawn) {
      xy = [];
      for (let i = 0; i < n; i++) xy.push([values[pairs + 2 * i], values[pairs + 2 * i + 1]]);
    }
    return { cities: { kind: 'list', metric, n, xy, matrix } };
  }

  // The cities as a file nuv-trace --cities reads to the same doubles: x y lines, or TSPLIB
  // for a TSPLIB metric or a matrix. Numbers are written in JavaScript's shortest form, which
  // the C library reads back exactly.
  function toFile(cities, name) {
    const type = { euc: 'EUC_2D', att: 'ATT', geo: 'GEO', matrix: 'EXPLICIT' }[cities.metric];
    if (!type) return cities.xy.map(([x, y]) => `${x} ${y}`).join('\n') + '\n';
    let text = `NAME : ${name || 'cities'}\nTYPE : TSP\nDIMENSION : ${cities.n}\nEDGE_WEIGHT_TYPE : ${type}\n`;
    if (cities.matrix) {
      text += 'EDGE_WEIGHT_FORMAT : FULL_MATRIX\nEDGE_WEIGHT_SECTION\n';
      text += cities.matrix.map((row) => row.join(' ')).join('\n') + '\n';
      if (cities.xy) text += 'DISPLAY_DATA_SECTION\n';
    } else text += 'NODE_COORD_SECTION\n';
    if (cities.xy) text += cities.xy.map(([x, y], i) => `${i + 1} ${x} ${y}`).join('\n') + '\n';
    return text + 'EOF\n';
  }

  const api = { MINCITY, MAXCITY, read, toLink, fromLink, toFile, gridPower };
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
  else root.Cities = api;
})(this);
