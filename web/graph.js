'use strict';

// The graph beside the terminal: Eq-1, Eq-2 and their point, read back from the program's output
// as it is written (the echo of the system; the lines that list x and y). Nothing is solved here.
// model(): lines drawn [{ label, a, b, c }] for a x + b y = c ("Eq-1", "Eq-2", or one entry
// "Eq-1 and Eq-2" with Eq-1's numbers for the same line; none for 0x + 0y = c or a line beyond
// the largest double); point { x, y } once both are written and finite, else null; view
// { xmin, xmax, ymin, ymax }, null until both equations are written; caption, in words ('' until then).

// A graph of the system in the container: reset() when a run starts, feed(text) with each piece of
// the program's output (pieces may split lines anywhere), model() for what is drawn.
function createGraph(container) {
  const SVG = 'http://www.w3.org/2000/svg';
  const { abs, max, min, sign, floor, hypot } = Math;
  const finite = Number.isFinite;
  const MAX = Number.MAX_VALUE;
  const TOL = 2e-5; // six written digits cannot tell apart directions or ratios closer than this
  const NUM = '(-?(?:\\d+(?:\\.\\d+)?(?:e[+-]\\d+)?|1\\.#[A-Z]+))';
  const ECHO = [1, 2].map((n) => new RegExp(`^${NUM}x \\+ ${NUM}y =  ${NUM} Eq - ${n}$`));
  const LISTED = ' ............ Valued Derived Are Listed Below............ ';
  const ELIM = [' --> x  = ', ' --> y =  '].map((s) => new RegExp(`^${s}${NUM}$`));
  const MATRIX = ['X', 'Y'].map((v) => new RegExp(`^ The Value Of ${v} ==> ${NUM}$`));
  const LOOK = [{ stroke: '#0072b2' }, { stroke: '#d55e00', 'stroke-dasharray': '9 5' }]; // blue solid, vermilion dashed
  const L = 58, T = 56, S = 366, W = 440, H = T + S + 40; // plot square and picture size
  const HALO = { 'paint-order': 'stroke', stroke: '#fff', 'stroke-width': 3, 'stroke-linejoin': 'round' }; // text over lines
  const SMALL = { 'font-size': 12, fill: '#333' }; // tick labels

  // A number as the program writes it ("-0.333333", "1e-005", "-1.#IND") back as a double.
  function parseNumber(t) {
    if (!t.includes('#')) return Number(t);
    return t.endsWith('#INF') ? (t[0] === '-' ? -Infinity : Infinity) : NaN;
  }

  // Takes one whole output line into the facts; returns true when the picture changes.
  function readLine(facts, line) {
    const expect = facts.expect;
    const eq = (label, m) => ({ label, a: parseNumber(m[1]), b: parseNumber(m[2]), c: parseNumber(m[3]), text: line.slice(0, -7) });
    const value = (m) => ({ value: parseNumber(m[1]), text: m[1] });
    let m;
    facts.expect = null;
    if ((m = ECHO[0].exec(line))) [facts.first, facts.expect] = [eq('Eq-1', m), 'eq2'];
    else if (expect === 'eq2' && (m = ECHO[1].exec(line))) {
      Object.assign(facts, { eqs: [facts.first, eq('Eq-2', m)], x: null, y: null });
      return true;
    } else if (line === LISTED) facts.expect = 'x';
    else if ((expect === 'x' && (m = ELIM[0].exec(line))) || (m = MATRIX[0].exec(line))) [facts.x, facts.expect] = [value(m), 'y'];
    else if ((expect === 'y' && (m = ELIM[1].exec(line))) || (m = MATRIX[1].exec(line))) {
      facts.y = value(m);
      return !!facts.x;
    }
    return false;
  }

  // What an equation is: a line, true of every point (0x + 0y = 0), or of none (0x + 0y = c).
  const kindOf = ({ a, b, c }) => (a || b ? 'line' : c ? 'none' : 'all');

  // How two lines lie: 'cross', 'parallel' or 'same'; ratios compared in logarithms, never overflowing.
  function relation(e, f) {
    const dir = ({ a, b }) => [a, b].map((v) => v / max(abs(a), abs(b)));
    const [p, q] = [dir(e), dir(f)];
    if (abs(p[0] * q[1] - p[1] * q[0]) > TOL) return 'cross';
    if (!e.c || !f.c) return e.c === f.c ? 'same' : 'parallel';
    const k = abs(e.a) >= abs(e.b) ? 'a' : 'b';
    const ln = (v) => Math.log(abs(v));
    const gap = ln(e.c) - ln(e[k]) - ln(f.c) + ln(f[k]);
    return sign(e.c) * sign(e[k]) === sign(f.c) * sign(f[k]) && abs(gap) <= TOL ? 'same' : 'parallel';
  }

  // Points of a line the view must hold: where it crosses the axes or, when both crossings lie
  // beyond the largest double, its point nearest the origin (none if even that lies beyond).
  function anchors({ a, b, c }) {
    const out = [];
    if (a && finite(c / a)) out.push([c / a, 0]);
    if (b && finite(c / b)) out.push([0, c / b]);
    const t = abs(c) / 2 / (abs(a) / 2 + abs(b) / 2);
    if (!out.length && finite(t)) out.push([sign(c) * sign(a) * t, sign(c) * sign(b) * t]);
    return out;
  }

  // Keeps a value within the finite doubles.
  const clamp = (v) => max(-MAX, min(MAX, v));

  // A tick step near a sixth of the span 2h, as m × 10^e with m 1, 2 or 5.
  function niceStep(h) {
    const e = floor(Math.log10(h / 3));
    const f = h / 3 / 10 ** e;
    return f < 1.5 ? { m: 1, e } : f < 3.5 ? { m: 2, e } : f < 7.5 ? { m: 5, e } : { m: 1, e: e + 1 };
  }

  // The decimal text of n × 10^e for a whole number n, with no exponent.
  function decimal(n, e) {
    let s = String(abs(n));
    if (e >= 0) s += '0'.repeat(n ? e : 0);
    else s = s.padStart(1 - e, '0').replace(new RegExp(`(\\d{${-e}})$`), '.$1').replace(/\.?0+$/, '');
    return (n < 0 ? '-' : '') + s;
  }

  // An axis from step k[0] to k[1]: its ends and ticks with plain labels of five characters at
  // most; longer ones (huge or tiny values) are written as multiples of one factor "×10ⁿ".
  function axis(k, s) {
    const step = s.m * 10 ** s.e;
    const [lo, hi] = k.map((i) => clamp(i * step));
    const at = [];
    for (let i = k[0]; i <= k[1]; i++) if (i * step >= lo && i * step <= hi) at.push(i);
    const labels = (p) => at.map((i) => [i * step, decimal(i * s.m, s.e - p)]);
    if (labels(0).every(([, t]) => t.length <= 5)) return { lo, hi, at: labels(0), factor: '' };
    const p = s.e + String(max(...at.map((i) => abs(i * s.m)))).length - 1; // the largest label's exponent
    const sup = String(p).replace(/./g, (d) => '⁻⁰¹²³⁴⁵⁶⁷⁸⁹'['-0123456789'.indexOf(d)]);
    return { lo, hi, at: labels(p), factor: '×10' + sup };
  }

  // The part of the plane to show: the origin and the points with a margin, ends on whole tick
  // steps, equal units on both axes when their extents are within a factor of 3.
  function chooseView(points) {
    const extent = (i) => {
      const v = points.map((p) => p[i]).concat(0);
      const [lo, hi] = [min(...v), max(...v)];
      return [lo / 2 + hi / 2, hi / 2 - lo / 2]; // centre and half-width, without overflow
    };
    let [[cx, hx], [cy, hy]] = [extent(0), extent(1)];
    [hx, hy] = [hx || hy || 4, hy || hx || 4];
    const equal = max(hx, hy) / min(hx, hy) <= 3;
    if (equal) hx = hy = max(hx, hy);
    [hx, hy] = [hx, hy].map((h) => min(MAX, max(1e-310, h * 1.2)));
    const [sx, sy] = [niceStep(hx), niceStep(hy)];
    const steps = (c, h, s) => [-1, 1].map((d, i) => Math[i ? 'ceil' : 'floor'](clamp(c + d * h) / (s.m * 10 ** s.e)));
    const [kx, ky] = [steps(cx, hx, sx), steps(cy, hy, sy)];
    if (equal) {
      const [short, long] = kx[1] - kx[0] < ky[1] - ky[0] ? [kx, ky] : [ky, kx];
      const more = long[1] - long[0] - short[1] + short[0];
      short[0] -= floor(more / 2);
      short[1] += Math.ceil(more / 2);
    }
    return { x: axis(kx, sx), y: axis(ky, sy) };
  }

  // Where v lies from lo (0) to hi (1), without overflow in the difference.
  function frac(v, lo, hi) {
    const d = hi - lo;
    return finite(d) ? (v - lo) / d : (v / 2 - lo / 2) / (hi / 2 - lo / 2);
  }

  // The exponent of two of a non-zero double; a double times 2^n, in steps that cannot overflow.
  const ex = (v) => floor(Math.log2(abs(v)));
  function scale(v, n) {
    for (; n > 1000; n -= 1000) v *= 2 ** 1000;
    for (; n < -1000; n += 1000) v *= 2 ** -1000;
    return v * 2 ** n;
  }

  // Where a x + b y = c runs through the view, as two points in view units (-1 to 1), or null.
  // The line is rewritten in view units, every term scaled by one power of two to stay finite.
  function segment({ a, b, c }, x, y) {
    const [cx, hx, cy, hy] = [x.lo / 2 + x.hi / 2, x.hi / 2 - x.lo / 2, y.lo / 2 + y.hi / 2, y.hi / 2 - y.lo / 2];
    const k = max(a ? ex(a) + ex(hx) : -Infinity, b ? ex(b) + ex(hy) : -Infinity);
    const times = (s, t) => (s && t ? scale(scale(s, -ex(s)) * scale(t, -ex(t)), ex(s) + ex(t) - k) : 0);
    const [al, be, ga] = [times(a, hx), times(b, hy), scale(c, -k) - times(a, cx) - times(b, cy)];
    const swap = abs(al) > abs(be); // run along the axis whose term is the smaller
    const [d, o] = swap ? [al, be] : [be, al];
    const [w0, w1] = [(ga + o) / d, (ga - o) / d]; // the other coordinate at -1 and at +1
    if (!finite(w0 - w1)) return null;
    let [s0, s1] = [-1, 1];
    if (w0 !== w1) {
      const [sa, sb] = [-1, 1].map((w) => -1 + (2 * (w - w0)) / (w1 - w0));
      [s0, s1] = [max(-1, min(sa, sb)), min(1, max(sa, sb))];
    } else if (abs(w0) > 1) return null;
    if (!(s0 <= s1)) return null;
    const at = (s) => max(-1, min(1, w0 + ((w1 - w0) * (s + 1)) / 2));
    return [s0, s1].map((s) => (swap ? [at(s), s] : [s, at(s)]));
  }

  // The caption: what the graph shows, in the words a teacher would use.
  function caption(eqs, rel, x, y, point, far) {
    const xy = x && y && `x = ${x.text}, y = ${y.text}`;
    const odd = eqs.filter((e) => e.kind !== 'line');
    let words;
    if (!odd.length) {
      if (point) words = `Eq-1 and Eq-2 meet at ${xy}`;
      else if (rel === 'same') words = 'Both equations describe the same line: every point on it solves the system';
      else if (rel === 'parallel') words = 'The lines are parallel: they have no point in common';
      else if (xy) words = `Eq-1 and Eq-2 cross, but the working gives ${xy}, so no point is marked`;
      else words = 'Eq-1 and Eq-2 are drawn; their point is marked once the working gives x and y';
    } else {
      const line = eqs.find((e) => e.kind === 'line');
      words = odd.map((e) => `${e.label} (${e.text}) holds for ${e.kind === 'all' ? 'every' : 'no'} point`).join(' and ');
      words += odd[1] ? ', so neither draws a line' : ', so it draws no line';
      if (odd.some((e) => e.kind === 'none')) words += '; the system has no solution';
      else words += line ? `; the solutions are all the points of ${line.label}` : '; every point solves the system';
      if (point) words += `; the working gives ${xy}`;
    }
    return words + far.map((e) => `; ${e.label} (${e.text}) lies too far out to be drawn`).join('');
  }

  // Everything the picture holds, worked out from the facts read so far.
  function layout({ eqs: read, x, y }) {
    if (!read) return { lines: [], point: null, view: null, caption: '' };
    const eqs = read.map((e) => ({ ...e, kind: kindOf(e) }));
    const rel = eqs.every((e) => e.kind === 'line') ? relation(...eqs) : null;
    const drawn = eqs.filter((e, i) => e.kind === 'line' && !(i && rel === 'same'));
    const point = x && y && finite(x.value) && finite(y.value) ? { x: x.value, y: y.value } : null;
    const axes = chooseView(drawn.flatMap(anchors).concat(point ? [[point.x, point.y]] : []));
    const lines = [], far = [];
    for (const e of drawn) {
      const seg = segment(e, axes.x, axes.y);
      const label = rel === 'same' ? 'Eq-1 and Eq-2' : e.label;
      if (seg) lines.push({ label, a: e.a, b: e.b, c: e.c, seg, look: LOOK[e.label === 'Eq-1' ? 0 : 1] });
      else far.push(e);
    }
    return {
      eqs, rel, lines, point, axes, mark: point && `(${x.text}, ${y.text})`,
      view: { xmin: axes.x.lo, xmax: axes.x.hi, ymin: axes.y.lo, ymax: axes.y.hi },
      caption: caption(eqs, rel, x, y, point, far),
    };
  }

  // Adds one SVG element with its attributes (numbers to hundredths) and its text.
  function el(parent, tag, attrs, text) {
    const node = parent.ownerDocument.createElementNS(SVG, tag);
    for (const [k, v] of Object.entries(attrs)) node.setAttribute(k, typeof v === 'number' ? +v.toFixed(2) : v);
    if (text) node.textContent = text;
    return parent.appendChild(node);
  }

  // Draws one line and its label beside it, at the first spot along it clear of the boxes taken;
  // returns the label's box.
  function tag(svg, { seg, look, label }, taken) {
    let [p, q] = seg.map(([u, v]) => [L + (S * (u + 1)) / 2, T + (S * (1 - v)) / 2]);
    if (p[0] > q[0] || (p[0] === q[0] && p[1] < q[1])) [p, q] = [q, p]; // left to right, or upwards
    el(svg, 'line', { x1: p[0], y1: p[1], x2: q[0], y2: q[1], 'stroke-width': 2.5, ...look });
    const len = hypot(q[0] - p[0], q[1] - p[1]) || 1;
    const [nx, ny] = [(q[1] - p[1]) / len, (p[0] - q[0]) / len]; // the normal that points up
    const [w, h] = [6.8 * label.length + 4, 16];
    const off = 2 + (w / 2) * abs(nx) + (h / 2) * abs(ny); // clears the line by the text's size
    const boxes = [0.92, 0.08, 0.75, 0.25, 0.5].map((f) => {
      const x = max(L + w / 2, min(L + S - w / 2, p[0] + (q[0] - p[0]) * f + nx * off));
      const y = max(T + h / 2, min(T + S - h / 2, p[1] + (q[1] - p[1]) * f + ny * off));
      return [x - w / 2, y - h / 2, x + w / 2, y + h / 2];
    });
    const hit = (a, b) => a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
    const at = boxes.find((b) => !taken.some((t) => hit(b, t))) || boxes[0];
    el(svg, 'text', { ...HALO, x: at[0] + w / 2, y: at[1] + 12, 'text-anchor': 'middle', 'font-size': 12, fill: look.stroke }, label);
    return at;
  }

  // Draws the grid, the axes and the tick labels; returns the mapping to the picture and the boxes
  // of the axis names.
  function grid(svg, { x, y }) {
    const px = (v) => L + S * frac(v, x.lo, x.hi), py = (v) => T + S - S * frac(v, y.lo, y.hi);
    for (const [v, label] of x.at) {
      el(svg, 'line', { x1: px(v), x2: px(v), y1: T, y2: T + S, stroke: v ? '#e4e4e4' : '#444' });
      el(svg, 'text', { ...SMALL, x: px(v), y: T + S + 15, 'text-anchor': 'middle' }, label);
    }
    for (const [v, label] of y.at) {
      el(svg, 'line', { x1: L, x2: L + S, y1: py(v), y2: py(v), stroke: v ? '#e4e4e4' : '#444' });
      el(svg, 'text', { ...SMALL, x: L - 5, y: py(v) + 4, 'text-anchor': 'end' }, label);
    }
    el(svg, 'text', { ...SMALL, x: L + S, y: T + S + 32, 'text-anchor': 'end' }, x.factor && 'x ' + x.factor);
    el(svg, 'text', { ...SMALL, x: L, y: T - 7 }, y.factor && 'y ' + y.factor);
    const names = [[L + S - 9, py(0) - 10], [px(0) + 10, T + 10]];
    const name = { ...HALO, 'font-size': 13, 'font-style': 'italic', 'text-anchor': 'middle' };
    names.forEach(([nx, ny], i) => el(svg, 'text', { ...name, x: nx, y: ny + 4 }, 'xy'[i]));
    return { px, py, taken: names.map((n) => box(n, 14, 16)) };
  }

  // The box of width w and height h around a centre.
  const box = ([cx, cy], w, h) => [cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2];

  // Draws the legend above the plot: each equation as the screen writes it, beside its line's look.
  function legend(svg, { eqs, lines, rel }) {
    eqs.forEach((e, i) => {
      const line = lines.find((l) => l.label.includes(e.label));
      if (line) el(svg, 'line', { x1: 8, x2: 40, y1: 14 + 18 * i, y2: 14 + 18 * i, 'stroke-width': 2.5, ...line.look });
      const note = e.kind !== 'line' ? '  (no line)' : !line ? '  (not drawn)' : i && rel === 'same' ? '  (same line)' : '';
      const text = `${e.label}: ${e.text}${note}`;
      const size = min(12, (W - 52) / (0.6 * text.length)); // monospace glyphs are 0.6 em wide
      const at = { x: 48, y: 18 + 18 * i };
      el(svg, 'text', { ...at, 'font-family': 'monospace', 'font-size': size, class: 'legend' }, text);
    });
  }

  // Draws the picture into an empty SVG element: frame, grid, lines with their labels, point, legend.
  function render(svg, pic) {
    el(svg, 'rect', { width: W, height: H, fill: '#fff' });
    el(svg, 'rect', { x: L, y: T, width: S, height: S, fill: 'none', stroke: '#999' });
    const { px, py, taken } = grid(svg, pic.axes);
    const mark = pic.point && [px(pic.point.x), py(pic.point.y)];
    let label; // the point's own label, placed first so that the lines' labels keep clear of it
    if (mark) {
      const w = 7 * pic.mark.length, right = mark[0] + 8 + w <= W, low = mark[1] < T + 24;
      label = { x: mark[0] + (right ? 8 : -8), y: mark[1] + (low ? 18 : -9), 'text-anchor': right ? 'start' : 'end' };
      taken.push(box(mark, 12, 12), box([label.x + (right ? w / 2 : -w / 2), label.y - 4], w, 16));
    }
    for (const line of pic.lines) taken.push(tag(svg, line, taken));
    if (mark) {
      el(svg, 'circle', { cx: mark[0], cy: mark[1], r: 4.5, stroke: '#fff', 'stroke-width': 1.5 });
      el(svg, 'text', { ...HALO, ...label, 'font-size': 12, 'font-weight': 'bold' }, pic.mark);
    }
    legend(svg, pic);
  }

  // The figure stays out of the container until both equations are written, so that the page
  // can leave an empty container out of its layout.
  const doc = container.ownerDocument;
  const figure = doc.createElement('figure');
  const svg = figure.appendChild(doc.createElementNS(SVG, 'svg'));
  const cap = figure.appendChild(doc.createElement('figcaption'));
  figure.className = 'simeq-graph';
  cap.id = `${container.id || 'simeq-graph'}-caption`;
  cap.setAttribute('aria-live', 'polite');
  const attrs = { viewBox: `0 0 ${W} ${H}`, role: 'img', 'aria-label': 'Graph of Eq-1 and Eq-2', 'aria-describedby': cap.id, 'font-family': 'sans-serif' };
  for (const [k, v] of Object.entries(attrs)) svg.setAttribute(k, v);
  let facts, rest, pic;
  const draw = () => {
    pic = layout(facts);
    svg.replaceChildren();
    cap.textContent = pic.caption;
    if (!pic.view) return figure.remove();
    render(svg, pic);
    if (!figure.isConnected) container.appendChild(figure);
  };
  const reset = () => {
    [facts, rest] = [{}, ''];
    draw();
  };
  const feed = (chunk) => {
    const lines = (rest + chunk).split('\n');
    rest = lines.pop();
    if (lines.map((line) => readLine(facts, line.replace(/\r$/, ''))).includes(true)) draw();
  };
  const model = () => ({
    lines: pic.lines.map(({ label, a, b, c }) => ({ label, a, b, c })),
    point: pic.point && { ...pic.point },
    view: pic.view && { ...pic.view },
    caption: pic.caption,
  });
  reset();
  return { reset, feed, model };
}
