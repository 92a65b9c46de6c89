'use strict';

// The graph's model: what the graph of the system shows, worked out from the program's output as
// it is written (the echo of the system; the lines that list x and y). Nothing is solved here and
// nothing is drawn: every function is pure, and graph.js draws what picture() gives. A classic
// script in the page (its one global is simeqGraphModel) and a module under node (its tests).

const simeqGraphModel = (() => {
  // A number as the program writes it: "-0.333333", "1e-005", "-1.#IND".
  const NUMBER = '(-?(?:\\d+(?:\\.\\d+)?(?:e[+-]\\d+)?|1\\.#[A-Z]+))';
  // The echo of Eq-1 and of Eq-2: "2x + 3y =  13 Eq - 1".
  const ECHOES = [1, 2].map((n) =>
    new RegExp(`^${NUMBER}x \\+ ${NUMBER}y =  ${NUMBER} Eq - ${n}$`));
  // The line after which the elimination method lists x, then y.
  const LISTED = ' ............ Valued Derived Are Listed Below............ ';
  const LISTED_VALUES = [' --> x  = ', ' --> y =  '].map((s) => new RegExp(`^${s}${NUMBER}$`));
  // The matrix method's x and y, each on its own line.
  const MATRIX_VALUES = ['X', 'Y'].map((v) => new RegExp(`^ The Value Of ${v} ==> ${NUMBER}$`));
  // Six written digits cannot tell apart directions or ratios closer than this.
  const TOLERANCE = 2e-5;
  const LARGEST = Number.MAX_VALUE;
  const isFinite = Number.isFinite;

  // A number as the program writes it back as a double.
  function parseNumber(text) {
    if (!text.includes('#')) return Number(text);
    if (!text.endsWith('#INF')) return NaN;
    return text[0] === '-' ? -Infinity : Infinity;
  }

  // An echoed equation a x + b y = c, with its text as written (without " Eq - n").
  function equationRead(label, match, line) {
    const [a, b, c] = match.slice(1, 4).map(parseNumber);
    return { label, a, b, c, text: line.slice(0, -7) };
  }

  // A listed value of x or y, with its text as written.
  const valueRead = (match) => ({ value: parseNumber(match[1]), text: match[1] });

  // The facts read from one whole output line on top of those before: { facts, changed }, where
  // changed tells whether the picture changes. Facts are { eqs: [Eq-1, Eq-2], x, y } once both
  // equations are read, with what the next line may be (expect) and Eq-1 (first) on the way.
  function readLine(facts, line) {
    const expect = facts.expect;
    const next = { ...facts, expect: null };
    let match;
    if ((match = ECHOES[0].exec(line))) {
      return { facts: { ...next, first: equationRead('Eq-1', match, line), expect: 'eq2' },
        changed: false };
    }
    if (expect === 'eq2' && (match = ECHOES[1].exec(line))) {
      const eqs = [next.first, equationRead('Eq-2', match, line)];
      return { facts: { ...next, eqs, x: null, y: null }, changed: true };
    }
    if (line === LISTED) return { facts: { ...next, expect: 'x' }, changed: false };
    if ((expect === 'x' && (match = LISTED_VALUES[0].exec(line))) ||
        (match = MATRIX_VALUES[0].exec(line))) {
      return { facts: { ...next, x: valueRead(match), expect: 'y' }, changed: false };
    }
    if ((expect === 'y' && (match = LISTED_VALUES[1].exec(line))) ||
        (match = MATRIX_VALUES[1].exec(line))) {
      return { facts: { ...next, y: valueRead(match) }, changed: !!next.x };
    }
    return { facts: next, changed: false };
  }

  // What has been read before the program's first output: no facts, no part line.
  const startReading = () => ({ facts: {}, rest: '' });

  // The reading after one more piece of output (pieces may split lines anywhere):
  // { facts, rest, changed }, where rest is the line not yet ended.
  function readOutput(reading, piece) {
    const lines = (reading.rest + piece).split('\n');
    const rest = lines.pop();
    let facts = reading.facts;
    let changed = false;
    for (const line of lines) {
      const read = readLine(facts, line.replace(/\r$/, ''));
      facts = read.facts;
      changed = changed || read.changed;
    }
    return { facts, rest, changed };
  }

  // What an equation is: a line, true of every point (0x + 0y = 0), or of none (0x + 0y = c).
  const kindOf = ({ a, b, c }) => (a || b ? 'line' : c ? 'none' : 'all');

  // How two lines lie: 'cross', 'parallel' or 'same'; ratios compared in logarithms, which never
  // overflow.
  function relation(first, second) {
    const direction = ({ a, b }) => [a, b].map((v) => v / Math.max(Math.abs(a), Math.abs(b)));
    const [p, q] = [direction(first), direction(second)];
    if (Math.abs(p[0] * q[1] - p[1] * q[0]) > TOLERANCE) return 'cross';
    if (!first.c || !second.c) return first.c === second.c ? 'same' : 'parallel';
    const k = Math.abs(first.a) >= Math.abs(first.b) ? 'a' : 'b';
    const ln = (v) => Math.log(Math.abs(v));
    const gap = ln(first.c) - ln(first[k]) - ln(second.c) + ln(second[k]);
    const sameSide = Math.sign(first.c) * Math.sign(first[k]) ===
      Math.sign(second.c) * Math.sign(second[k]);
    return sameSide && Math.abs(gap) <= TOLERANCE ? 'same' : 'parallel';
  }

  // Points of a line that the view must hold: where it crosses the axes or, when both crossings
  // lie beyond the largest double, its point nearest the origin (none if even that lies beyond).
  function anchors({ a, b, c }) {
    const points = [];
    if (a && isFinite(c / a)) points.push([c / a, 0]);
    if (b && isFinite(c / b)) points.push([0, c / b]);
    const distance = Math.abs(c) / 2 / (Math.abs(a) / 2 + Math.abs(b) / 2);
    if (!points.length && isFinite(distance)) {
      points.push([Math.sign(c) * Math.sign(a) * distance, Math.sign(c) * Math.sign(b) * distance]);
    }
    return points;
  }

  // A value kept within the finite doubles.
  const clamp = (v) => Math.max(-LARGEST, Math.min(LARGEST, v));

  // A tick step near a sixth of the span 2 × halfWidth: { mantissa, exponent } for
  // mantissa × 10^exponent, the mantissa 1, 2 or 5.
  function niceStep(halfWidth) {
    const exponent = Math.floor(Math.log10(halfWidth / 3));
    const fraction = halfWidth / 3 / 10 ** exponent;
    if (fraction < 1.5) return { mantissa: 1, exponent };
    if (fraction < 3.5) return { mantissa: 2, exponent };
    if (fraction < 7.5) return { mantissa: 5, exponent };
    return { mantissa: 1, exponent: exponent + 1 };
  }

  // The size of a step.
  const stepSize = (step) => step.mantissa * 10 ** step.exponent;

  // The decimal text of n × 10^exponent for a whole number n, with no exponent written.
  function decimalText(n, exponent) {
    let digits = String(Math.abs(n));
    if (exponent >= 0) {
      digits += '0'.repeat(n ? exponent : 0);
    } else {
      digits = digits.padStart(1 - exponent, '0')
        .replace(new RegExp(`(\\d{${-exponent}})$`), '.$1').replace(/\.?0+$/, '');
    }
    return (n < 0 ? '-' : '') + digits;
  }

  // A power of ten's exponent written as a superscript: "⁻¹²".
  const superscript = (power) =>
    String(power).replace(/./g, (d) => '⁻⁰¹²³⁴⁵⁶⁷⁸⁹'['-0123456789'.indexOf(d)]);

  // An axis from step number first to last: { lo, hi, ticks: [[value, label]...], factor }, with
  // plain labels of five characters at most; longer ones (huge or tiny values) are written as
  // multiples of one factor "×10ⁿ".
  function axis([first, last], step) {
    const size = stepSize(step);
    const [lo, hi] = [first, last].map((i) => clamp(i * size));
    const shown = [];
    for (let i = first; i <= last; i++) if (i * size >= lo && i * size <= hi) shown.push(i);
    const ticks = (power) =>
      shown.map((i) => [i * size, decimalText(i * step.mantissa, step.exponent - power)]);
    const plain = ticks(0);
    if (plain.every(([, label]) => label.length <= 5)) return { lo, hi, ticks: plain, factor: '' };
    const largest = Math.max(...shown.map((i) => Math.abs(i * step.mantissa)));
    const power = step.exponent + String(largest).length - 1; // the largest label's exponent
    return { lo, hi, ticks: ticks(power), factor: '×10' + superscript(power) };
  }

  // The centre and half-width of the values with 0 among them, without overflow.
  function extent(values) {
    const all = values.concat(0);
    const [lo, hi] = [Math.min(...all), Math.max(...all)];
    return [lo / 2 + hi / 2, hi / 2 - lo / 2];
  }

  // The part of the plane to show, as { x, y } axes: the origin and the points with a margin,
  // ends on whole tick steps, equal units on both axes when their extents are within a factor
  // of 3.
  function chooseAxes(points) {
    let [[centreX, halfX], [centreY, halfY]] = [0, 1].map((i) => extent(points.map((p) => p[i])));
    [halfX, halfY] = [halfX || halfY || 4, halfY || halfX || 4];
    const equalUnits = Math.max(halfX, halfY) / Math.min(halfX, halfY) <= 3;
    if (equalUnits) halfX = halfY = Math.max(halfX, halfY);
    [halfX, halfY] = [halfX, halfY].map((h) => Math.min(LARGEST, Math.max(1e-310, h * 1.2)));
    const [stepX, stepY] = [niceStep(halfX), niceStep(halfY)];
    const stepRange = (centre, half, step) => [
      Math.floor(clamp(centre - half) / stepSize(step)),
      Math.ceil(clamp(centre + half) / stepSize(step)),
    ];
    const [rangeX, rangeY] = [stepRange(centreX, halfX, stepX), stepRange(centreY, halfY, stepY)];
    if (equalUnits) {
      const [short, long] =
        rangeX[1] - rangeX[0] < rangeY[1] - rangeY[0] ? [rangeX, rangeY] : [rangeY, rangeX];
      const more = long[1] - long[0] - short[1] + short[0];
      short[0] -= Math.floor(more / 2);
      short[1] += Math.ceil(more / 2);
    }
    return { x: axis(rangeX, stepX), y: axis(rangeY, stepY) };
  }

  // Where v lies from lo (0) to hi (1), without overflow in the difference.
  function fractionAlong(v, lo, hi) {
    const width = hi - lo;
    return isFinite(width) ? (v - lo) / width : (v / 2 - lo / 2) / (hi / 2 - lo / 2);
  }

  // The exponent of two of a non-zero double.
  const binaryExponent = (v) => Math.floor(Math.log2(Math.abs(v)));

  // v × 2^n, in steps that cannot overflow on the way.
  function timesPowerOfTwo(v, n) {
    for (; n > 1000; n -= 1000) v *= 2 ** 1000;
    for (; n < -1000; n += 1000) v *= 2 ** -1000;
    return v * 2 ** n;
  }

  // Where a x + b y = c runs through the view of the axes x and y, as its two ends in view units
  // (-1 to 1 across each axis), or null. The line is rewritten in view units, u for x and v for
  // y (uTerm u + vTerm v = constant), every term scaled by one power of two to stay finite.
  function lineInView({ a, b, c }, x, y) {
    const [centreX, halfX] = [x.lo / 2 + x.hi / 2, x.hi / 2 - x.lo / 2];
    const [centreY, halfY] = [y.lo / 2 + y.hi / 2, y.hi / 2 - y.lo / 2];
    const shift = Math.max(a ? binaryExponent(a) + binaryExponent(halfX) : -Infinity,
      b ? binaryExponent(b) + binaryExponent(halfY) : -Infinity);
    const product = (s, t) => {
      if (!s || !t) return 0;
      const [es, et] = [binaryExponent(s), binaryExponent(t)];
      return timesPowerOfTwo(timesPowerOfTwo(s, -es) * timesPowerOfTwo(t, -et), es + et - shift);
    };
    const uTerm = product(a, halfX);
    const vTerm = product(b, halfY);
    const constant = timesPowerOfTwo(c, -shift) - product(a, centreX) - product(b, centreY);
    // Run along the axis whose term is the smaller; solve for the other coordinate.
    const alongV = Math.abs(uTerm) > Math.abs(vTerm);
    const [solvedTerm, runningTerm] = alongV ? [uTerm, vTerm] : [vTerm, uTerm];
    // The solved coordinate where the running one is -1 and +1.
    const atStart = (constant + runningTerm) / solvedTerm;
    const atEnd = (constant - runningTerm) / solvedTerm;
    if (!isFinite(atStart - atEnd)) return null;
    let [start, end] = [-1, 1];
    if (atStart !== atEnd) {
      const [sa, sb] = [-1, 1].map((w) => -1 + (2 * (w - atStart)) / (atEnd - atStart));
      [start, end] = [Math.max(-1, Math.min(sa, sb)), Math.min(1, Math.max(sa, sb))];
    } else if (Math.abs(atStart) > 1) {
      return null;
    }
    if (!(start <= end)) return null;
    const solvedAt = (s) => Math.max(-1, Math.min(1, atStart + ((atEnd - atStart) * (s + 1)) / 2));
    return [start, end].map((s) => (alongV ? [solvedAt(s), s] : [s, solvedAt(s)]));
  }

  // The caption: what the graph shows, in the words a teacher would use. Equations carry their
  // kind; x and y are the values read, point the one marked, tooFar the lines not drawn.
  function caption(eqs, linesRelation, x, y, point, tooFar) {
    const xy = x && y && `x = ${x.text}, y = ${y.text}`;
    const odd = eqs.filter((e) => e.kind !== 'line');
    const far = tooFar.map((e) => `; ${e.label} (${e.text}) lies too far out to be drawn`).join('');
    if (!odd.length) {
      if (point) return `Eq-1 and Eq-2 meet at ${xy}` + far;
      if (linesRelation === 'same') {
        return 'Both equations describe the same line: every point on it solves the system' + far;
      }
      if (linesRelation === 'parallel') {
        return 'The lines are parallel: they have no point in common' + far;
      }
      if (xy) {
        return `Eq-1 and Eq-2 cross, but the working gives ${xy}, so no point is marked` + far;
      }
      return 'Eq-1 and Eq-2 are drawn; their point is marked once the working gives x and y' + far;
    }
    const holds = (e) =>
      `${e.label} (${e.text}) holds for ${e.kind === 'all' ? 'every' : 'no'} point`;
    let words = odd.map(holds).join(' and ');
    words += odd[1] ? ', so neither draws a line' : ', so it draws no line';
    const line = eqs.find((e) => e.kind === 'line');
    if (odd.some((e) => e.kind === 'none')) words += '; the system has no solution';
    else if (line) words += `; the solutions are all the points of ${line.label}`;
    else words += '; every point solves the system';
    if (point) words += `; the working gives ${xy}`;
    return words + far;
  }

  // Everything the picture holds, from the facts read so far: the equations (eqs, each with its
  // kind), their relation, the lines drawn ({ label, a, b, c, of, ends }: of is the equation
  // whose look it takes, ends its ends in view units), the point and its label, the axes, the
  // view { xmin, xmax, ymin, ymax } and the caption. No view and no lines until both equations
  // are read.
  function picture({ eqs: read, x, y }) {
    if (!read) return { lines: [], point: null, view: null, caption: '' };
    const eqs = read.map((e) => ({ ...e, kind: kindOf(e) }));
    const linesRelation = eqs.every((e) => e.kind === 'line') ? relation(...eqs) : null;
    const drawn = eqs.filter((e, i) => e.kind === 'line' && !(i && linesRelation === 'same'));
    const marked = x && y && isFinite(x.value) && isFinite(y.value);
    const point = marked ? { x: x.value, y: y.value } : null;
    const axes = chooseAxes(drawn.flatMap(anchors).concat(point ? [[point.x, point.y]] : []));
    const lines = [];
    const tooFar = [];
    for (const e of drawn) {
      const ends = lineInView(e, axes.x, axes.y);
      const label = linesRelation === 'same' ? 'Eq-1 and Eq-2' : e.label;
      if (ends) lines.push({ label, a: e.a, b: e.b, c: e.c, of: e.label, ends });
      else tooFar.push(e);
    }
    return {
      eqs, relation: linesRelation, lines, point, axes,
      pointLabel: point && `(${x.text}, ${y.text})`,
      view: { xmin: axes.x.lo, xmax: axes.x.hi, ymin: axes.y.lo, ymax: axes.y.hi },
      caption: caption(eqs, linesRelation, x, y, point, tooFar),
    };
  }

  // What the page is told the graph shows: the lines drawn [{ label, a, b, c }], the point
  // { x, y } or null, the view or null, the caption; copies, so the picture stays as it is.
  const summary = (shown) => ({
    lines: shown.lines.map(({ label, a, b, c }) => ({ label, a, b, c })),
    point: shown.point && { ...shown.point },
    view: shown.view && { ...shown.view },
    caption: shown.caption,
  });

  return {
    parseNumber, readLine, startReading, readOutput, kindOf, relation, anchors, niceStep,
    decimalText, axis, chooseAxes, fractionAlong, lineInView, caption, picture, summary,
  };
})();

if (typeof module !== 'undefined') module.exports = simeqGraphModel;
