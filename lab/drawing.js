// drawing.js: the pictures of the cycle shown, in SVG: the grid of the state (drawGrid), the
// curves of the energy, its terms and L over the run (drawCurve), and the map of the cities
// with the tour (drawMap). The colour scale and the curves' colours and dashes are the tools'
// (the module's palette), so that the page draws what nuv-trace's film draws. Start at
// drawGrid.
const SVG = 'http://www.w3.org/2000/svg';

// A new SVG element in parent, with its attributes and, when given, its text.
function element(parent, name, attributes, text) {
  const e = document.createElementNS(SVG, name);
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, String(v));
  if (text !== undefined) e.textContent = text;
  parent.appendChild(e);
  return e;
}

// The scale of the tools' pictures (output/palette.h's, from the module): dark violet at 0,
// teal at 0.5, yellow at 1; a NaN is white.
function colour(t) {
  if (Number.isNaN(t)) return 'white';
  return 'rgb(' + model.scaleColour(t).join(',') + ')';
}

// The grid's box in the picture.
const GRID = {
  left: 30,
  top: 30,
  size: 252
};

// The grid of the state, n x n, with its units of `marked` ([[i, j], colour] each) outlined.
// Up to model.gridLinearUpto cities a rect a unit, coloured at its output, a dot on each unit
// above 0.5 and red outlines on the rows and columns that are not one unit on; beyond, one
// image of the units on the tools' logarithmic scale, those rows and columns marked in the
// margins (outlines across a large grid would cover it).
function drawGrid(state, n, marked) {
  const svg = $('grid');
  svg.textContent = '';
  const cell = GRID.size / n, {left, top} = GRID, cells = n <= model.gridLinearUpto;
  const label = n <= 20 ? 1 : n <= 50 ? 5 : n <= 100 ? 10 : gridLabelStep(n);
  for (let k = 0; k < n; k++) {
    if ((k + 1) % label && k) continue;
    element(svg, 'text',
            {x: left + cell * k + cell / 2, y: top - 8, 'text-anchor': 'middle', 'font-size': 11},
            k + 1);
    element(svg, 'text',
            {x: left - 6, y: top + cell * k + cell / 2 + 4, 'text-anchor': 'end', 'font-size': 11},
            k + 1);
  }
  let gaps = 0;
  const gap = n <= 30 ? 1 : 0;
  if (cells)
    for (let i = 0; i < n; i++)
      for (let j = 0; j < n; j++) {
        const v = state[n * i + j], x = left + cell * j, y = top + cell * i;
        element(svg, 'rect', {
          x: x.toFixed(2),
          y: y.toFixed(2),
          width: (cell - gap).toFixed(2),
          height: (cell - gap).toFixed(2),
          fill: colour(v),
          stroke: Number.isNaN(v) ? '#999' : 'none',
          'data-i': i,
          'data-j': j
        });
        if (Number.isNaN(v)) gaps++;
        if (v > model.onAbove && n <= 50)
          element(svg, 'circle', {
            cx: (x + cell / 2).toFixed(2),
            cy: (y + cell / 2).toFixed(2),
            r: Math.min(4, cell / 5).toFixed(2),
            fill: 'black',
            'pointer-events': 'none'
          });
      }
  else
    gaps = gridImage(svg, state, n);
  $('grid-caption').textContent =
      cells ? 'Rows cities, columns positions'
            : `Rows cities, columns positions; the output on a log scale: 1/${n}\u00b2 and ` +
                  `less darkest, the uniform 1/${n} teal, 1 yellow`;
  // Rows and columns with no unit on, or more than one: outlined in red, or marked in the
  // margins beyond model.gridLinearUpto cities.
  const f = model.lineCounts(state, n); // a row or column that is not one on keeps it from a tour
  const across = cells ? GRID.size + 1 : 4, at = cells ? -1 : -6;
  for (let k = 0; k < n; k++) {
    if (f.rows[k] !== 1)
      element(svg, 'rect', {
        x: left + at,
        y: (top + cell * k - (cells ? 1 : 0)).toFixed(2),
        width: across,
        height: (cells ? cell + 1 : Math.max(cell, 0.5)).toFixed(2),
        fill: cells ? 'none' : '#e0301e',
        stroke: cells ? '#e0301e' : 'none',
        'stroke-width': 1.5,
        class: 'fault',
        'pointer-events': 'none'
      });
    if (f.columns[k] !== 1)
      element(svg, 'rect', {
        x: (left + cell * k - (cells ? 1 : 0)).toFixed(2),
        y: top + at,
        width: (cells ? cell + 1 : Math.max(cell, 0.5)).toFixed(2),
        height: across,
        fill: cells ? 'none' : '#e0301e',
        stroke: cells ? '#e0301e' : 'none',
        'stroke-width': 1.5,
        'stroke-dasharray': cells ? '3 2' : 'none',
        class: 'fault',
        'pointer-events': 'none'
      });
  }
  for (const [[i, j], stroke] of marked)
    element(svg, 'rect', {
      x: (left + cell * j).toFixed(2),
      y: (top + cell * i).toFixed(2),
      width: (cell - gap).toFixed(2),
      height: (cell - gap).toFixed(2),
      fill: 'none',
      stroke,
      'stroke-width': 2.5,
      'pointer-events': 'none'
    });
  const faulty = f.rows.filter((r) => r !== 1).length + f.columns.filter((c) => c !== 1).length;
  element(svg, 'text', {x: left, y: 300, 'font-size': 11, fill: gaps ? '#b03020' : '#555'},
          gaps ? `${gaps} units are not a number: white`
          : faulty ? (cells ? 'red: not one unit on (columns dashed)'
                            : `red: ${faulty} rows or columns not one unit on`)
          : cells           ? 'a dot marks a unit above 0.5'
                            : 'every row and column has one unit on');
}

// The step between the labels of a grid of more than 100 cities: 1, 2 or 5 times a power of
// ten, at least about 32 px apart (a label of four digits is about 26 px).
function gridLabelStep(n) {
  const rough = (32 * n) / GRID.size, power = Math.pow(10, Math.floor(Math.log10(rough)));
  return [1, 2, 5, 10].map((f) => f * power).find((s) => s >= rough);
}

// The state as one image in the grid's box, a pixel a unit, coloured by the module (the tools'
// scale); returns how many units are not a number. A canvas of n x n pixels, drawn sharp.
function gridImage(svg, state, n) {
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = n;
  const context = canvas.getContext('2d'), image = context.createImageData(n, n);
  model.unitColours(state, n, image.data);
  context.putImageData(image, 0, 0);
  let gaps = 0;
  for (let k = 0; k < n * n; k++)
    if (Number.isNaN(state[k])) gaps++;
  element(svg, 'image', {
    x: GRID.left,
    y: GRID.top,
    width: GRID.size,
    height: GRID.size,
    preserveAspectRatio: 'none',
    style: 'image-rendering: pixelated',
    href: canvas.toDataURL(),
    class: 'units',
    'data-n': n
  });
  return gaps;
}

// Round values from lo to hi, about n of them, 1, 2 or 5 times a power of ten apart.
function niceTicks(lo, hi, n) {
  const rough = ((hi / 2 - lo / 2) / n) * 2;
  const power = Math.pow(10, Math.floor(Math.log10(rough)));
  const step = [1, 2, 5, 10].map((f) => f * power).find((s) => s >= rough);
  const ticks = [];
  for (let k = Math.ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9 && ticks.length < 20; k++)
    ticks.push(k * step);
  return ticks;
}

// A tick's label: six significant digits, or beyond ten characters (huge or tiny values) the
// exponent form of three, as nuv-trace's picture writes them.
function tickLabel(v) {
  const plain = String(Number(v.toPrecision(6)));
  return plain.length > 10 ? Number(v.toPrecision(3)).toExponential() : plain;
}

// The curves' plot: its box in the picture.
const CURVE = {
  left: 50,
  top: 12,
  w: 330,
  h: 210
};

// Each curve's value in a cycle, in the film's order of the curves: E, EA, EB, ED, EC, L.
const CURVE_VALUES = [
  (y) => y.e, (y) => y.terms[0], (y) => y.terms[1], (y) => y.terms[2], (y) => y.terms[3], (y) => y.l
];

// The curves as [name, colour, value, dash] each: the name, colour and dash nuv-trace's film
// draws them with (output/palette.h's, from the module).
function curveList() {
  return model.curveStyles().map((s, k) => [s.name, s.colour, CURVE_VALUES[k], s.dash]);
}

// The cycles a curve is drawn through: 1 ... last, at most about 1000 of them.
function curveCycles(last) {
  const every = Math.max(1, Math.ceil(last / 1000)), list = [];
  for (let k = 1; k <= last; k += every) list.push(k);
  if (list[list.length - 1] !== last) list.push(last);
  return list;
}

// The curves of the run shown, and of a pinned run pale beneath them, with cycle c marked.
function drawCurve(c) {
  const svg = $('curve');
  svg.textContent = '';
  const {left, top, w, h} = CURVE;
  const runs = [current.run, pinned && pinned.run].filter((r) => r);
  const last = Math.max(...runs.map((r) => r.sweeps - 1));
  const withC = runs.some((r) => r.cycles.some((y) => y.terms[3] !== 0));
  const curves = curveList().filter(([name]) => name !== 'EC' || withC);
  let lo = 0, hi = 0, leftOut = 0;
  for (const run of runs)
    for (const [, , value] of curves)
      for (const k of curveCycles(run.sweeps - 1)) {
        const v = value(run.cycles[k]);
        if (Number.isFinite(v))
          (lo = Math.min(lo, v)), (hi = Math.max(hi, v));
        else
          leftOut++;
      }
  if (hi === lo) hi = lo + 1;
  // Halves, so that the span between the largest doubles stays finite.
  const px = (k) => left + (w * (k - 1)) / Math.max(1, last - 1);
  const py = (v) => top + h * ((hi / 2 - v / 2) / (hi / 2 - lo / 2));
  element(svg, 'rect',
          {x: left, y: top, width: w, height: h, fill: 'white', stroke: '#888', id: 'curve-frame'});
  for (const v of niceTicks(lo, hi, 5)) {
    element(svg, 'line', {x1: left, y1: py(v), x2: left + w, y2: py(v), stroke: '#e4e4e4'});
    element(svg, 'text', {x: left - 4, y: py(v) + 4, 'text-anchor': 'end', 'font-size': 11},
            tickLabel(v));
  }
  for (const k of niceTicks(1, last, 5).filter((k) => k >= 1))
    element(svg, 'text', {x: px(k), y: top + h + 14, 'text-anchor': 'middle', 'font-size': 11}, k);
  element(svg, 'text', {x: left + w / 2, y: top + h + 28, 'text-anchor': 'middle', 'font-size': 12},
          'cycle');
  runs.forEach((run, r) => {
    curves.forEach(([, stroke, value, dash]) => {
      // A run of finite values per polyline: a value that is not finite is a gap.
      let points = [];
      const flush = () => {
        if (points.length)
          element(svg, 'polyline', {
            points: points.join(' '),
            fill: 'none',
            stroke,
            'stroke-width': r ? 1 : 1.6,
            opacity: r ? 0.4 : 1,
            'stroke-dasharray': dash || 'none',
            class: r ? 'pinned' : 'curve',
            'pointer-events': 'none'
          });
        points = [];
      };
      for (const k of curveCycles(run.sweeps - 1)) {
        const v = value(run.cycles[k]);
        if (Number.isFinite(v))
          points.push(px(k).toFixed(1) + ',' + py(v).toFixed(1));
        else
          flush();
      }
      flush();
    });
  });
  curves.forEach(([name, stroke, , dash], n) => {
    element(svg, 'line', {
      x1: left + 55 * n,
      y1: top + h + 44,
      x2: left + 55 * n + 16,
      y2: top + h + 44,
      stroke,
      'stroke-width': 2,
      'stroke-dasharray': dash || 'none'
    });
    element(svg, 'text', {x: left + 55 * n + 20, y: top + h + 48, 'font-size': 12}, name);
  });
  const notes = [];
  if (pinned) notes.push('pale: the pinned run');
  if (leftOut) notes.push(`${leftOut} values are not finite: the gaps`);
  if (notes.length)
    element(svg, 'text',
            {x: left, y: top + h + 66, 'font-size': 11, fill: leftOut ? '#b03020' : '#555'},
            notes.join('; '));
  // The cycle shown: a grey band, unlike any curve.
  if (c >= 1)
    element(svg, 'line', {
      x1: px(c),
      y1: top,
      x2: px(c),
      y2: top + h,
      stroke: '#9a9a9a',
      'stroke-width': 6,
      opacity: 0.45,
      id: 'marker',
      'pointer-events': 'none'
    });
  svg.dataset.last = String(last);
}

// Where each city is drawn: the cities' box fitted into the map, y up.
const MAP = {
  left: 25,
  top: 20,
  w: 210,
  h: 240
};
// The map's place of a city and back, for cities at xy.
function mapPlace(xy) {
  const xs = xy.map((p) => p[0]), ys = xy.map((p) => p[1]);
  const x0 = Math.min(...xs), y0 = Math.min(...ys);
  const span = Math.max(Math.max(...xs) - x0, Math.max(...ys) - y0) || 1;
  const scale = Math.min(MAP.w, MAP.h) / span;
  return {
    to: ([x, y]) => [MAP.left + (x - x0) * scale, MAP.top + MAP.h - (y - y0) * scale],
    from: ([sx, sy]) => [x0 + (sx - MAP.left) / scale, y0 + (MAP.top + MAP.h - sy) / scale],
    span
  };
}

// The cities, the tour of cycle y if it is one, and an optimum dashed; nothing to draw for a
// matrix without coordinates.
function drawMap(y) {
  const svg = $('map');
  svg.textContent = '';
  const info = current.cities.cities;
  const drawn = info.kind !== 'list' || info.xy;
  if (!drawn) {
    element(svg, 'text', {x: 130, y: 140, 'text-anchor': 'middle', 'font-size': 13},
            'these cities have no coordinates:');
    element(svg, 'text', {x: 130, y: 160, 'text-anchor': 'middle', 'font-size': 13},
            'their distances are a matrix');
    return;
  }
  const xy = model.cityPoints(), place = mapPlace(xy), n = xy.length;
  const polygon = (tour, attributes) => element(
      svg, 'polygon',
      Object.assign({
        points: tour.map((city) => place.to(xy[city]).map((v) => v.toFixed(1)).join(',')).join(' '),
        fill: 'none'
      },
                    attributes));
  const style = model.mapStyle(); // the tools' marks
  if (y.outcome === 'tour')
    polygon(y.tour, {stroke: style.found.stroke, 'stroke-width': style.found.width});
  // The optimum a worker's run brings (found there: 1.5 s at a thousand cities), else this
  // module's.
  const optimum = current.run.optimum || model.optimum();
  polygon(y.outcome === 'tour' && y.ratio <= 1 + 1e-9 ? y.tour : optimum.tour, {
    stroke: style.optimal.stroke,
    'stroke-width': style.optimal.width,
    'stroke-dasharray': style.optimal.dash
  });
  // Dots that shrink beyond 100 cities, so that a thousand still show the tour between them.
  const r = n <= 30 ? 6 : n <= 100 ? 4 : Math.max(1.2, 4 * Math.sqrt(100 / n)).toFixed(2);
  for (let i = 0; i < n; i++) {
    const [x, yy] = place.to(xy[i]);
    const movable = !(info.kind === 'list' &&
                      info.metric === 'matrix'); // a matrix's distances do not follow a map
    const dot = element(svg, 'circle', {cx: x.toFixed(1), cy: yy.toFixed(1), r, fill: style.city});
    if (movable) {
      for (const [k, v] of Object.entries({
             tabindex: 0,
             class: 'city',
             'data-city': i,
             role: 'button',
             'aria-label': `city ${i + 1}: drag, or use the arrow keys, to move it`
           }))
        dot.setAttribute(k, String(v));
      dot.style.cursor = 'grab';
    }
    if (n <= 30)
      element(svg, 'text', {x: x + 7, y: yy - 7, 'font-size': 12, 'pointer-events': 'none'}, i + 1);
  }
  if (y.outcome !== 'tour')
    element(svg, 'text', {x: 130, y: 295, 'text-anchor': 'middle', 'font-size': 13},
            'no tour: ' + y.outcome);
}
