'use strict';
// The graph's model under node, with no browser: what it reads from the golden transcripts'
// output, and the arithmetic of the view (axes, ticks, lines through the view) at the ends of
// the doubles.
//
//   node --test tests/web/graph_model_test.js

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const test = require('node:test');

const model = require('../../web/graph_model.js');

const transcripts = path.join(__dirname, '..', 'transcripts');

// The picture of a whole output, fed in pieces of the given size.
function pictureOf(output, pieceSize) {
  let reading = model.startReading();
  for (let at = 0; at < output.length; at += pieceSize) {
    reading = model.readOutput(reading, output.slice(at, at + pieceSize));
  }
  return model.picture(reading.facts);
}

// What is wrong with the view, if anything: not finite, or missing a point it must hold (the
// origin, the point, where each line crosses the axes).
function viewFault({ view, lines, point }) {
  const { xmin, xmax, ymin, ymax } = view;
  const ends = [xmin, xmax, ymin, ymax];
  if (!ends.every(Number.isFinite) || !(xmin < xmax && ymin < ymax)) return 'not finite';
  const held = lines.flatMap(({ a, b, c }) => [a && [c / a, 0], b && [0, c / b]])
    .concat([[0, 0]], point ? [[point.x, point.y]] : [])
    .filter((p) => p && p.every(Number.isFinite));
  const out = held.find(([x, y]) => x < xmin || x > xmax || y < ymin || y > ymax);
  return out ? `misses ${out}` : '';
}

test('the transcripts with both equations: the lines, the point and the caption', () => {
  const cases = [
    { name: 'elimination_basic', lines: [['Eq-1', 2, 3, 13], ['Eq-2', 4, -1, 5]],
      point: { x: 2, y: 3 }, caption: 'Eq-1 and Eq-2 meet at x = 2, y = 3' },
    { name: 'matrix_zero_a', lines: [['Eq-1', 0, 1, 3], ['Eq-2', 1, 0, 2]],
      point: { x: 2, y: 3 }, caption: 'Eq-1 and Eq-2 meet at x = 2, y = 3' },
    { name: 'matrix_large_values',
      lines: [['Eq-1', 1234570, 0.00001, 1000000], ['Eq-2', 1e100, -0.000025, 0.0001]],
      point: { x: 2.5e-94, y: 9.99999e10 },
      caption: 'Eq-1 and Eq-2 meet at x = 2.5e-094, y = 9.99999e+010' },
    { name: 'elimination_parallel', lines: [['Eq-1', 1, 1, 2], ['Eq-2', 1, 1, 3]], point: null,
      caption: 'The lines are parallel: they have no point in common' },
    { name: 'matrix_parallel', lines: [['Eq-1', 1, 1, 2], ['Eq-2', 1, 1, 3]], point: null,
      caption: 'The lines are parallel: they have no point in common' },
    { name: 'elimination_negative_zero', lines: [['Eq-1 and Eq-2', 0, 2, 4]], point: null,
      caption: 'Both equations describe the same line: every point on it solves the system' },
    { name: 'elimination_fails_partway', lines: [['Eq-1', 2, 3, 0]], point: null,
      caption: 'Eq-2 (0x + 0y =  0) holds for every point, so it draws no line; ' +
        'the solutions are all the points of Eq-1' },
  ];
  for (const { name, lines, point, caption } of cases) {
    const output = fs.readFileSync(path.join(transcripts, `${name}.out`), 'utf8');
    const whole = pictureOf(output, output.length);
    const shown = model.summary(whole);
    const actual = [shown.lines.map(({ label, a, b, c }) => [label, a, b, c]), shown.point,
      shown.caption, viewFault(shown)];
    assert.deepEqual(actual, [lines, point, caption, ''], name);
    // Pieces split lines anywhere; one byte at a time reads the same.
    assert.deepEqual(model.summary(pictureOf(output, 1)), shown, `${name}, byte by byte`);
  }
});

test('values are read only where the program lists them, and the picture changes then', () => {
  const echo = ['2x + 3y =  13 Eq - 1', '4x + -1y =  5 Eq - 2'];
  const listed = ' ............ Valued Derived Are Listed Below............ ';
  const cases = [
    // [lines, whether the last changes the picture, the point after them]
    [[echo[0]], false, null],
    [[echo[1]], false, null], // Eq-2 without Eq-1 before it
    [[echo[0], 'other', echo[1]], false, null],
    [echo, true, null],
    [[...echo, ' --> x  = 2', ' --> y =  3'], false, null], // working, not the listed values
    [[...echo, listed, ' --> x  = 2', ' --> y =  3'], true, { x: 2, y: 3 }],
    [[...echo, ' The Value Of X ==> 2', ' The Value Of Y ==> 3'], true, { x: 2, y: 3 }],
    [[...echo, ' The Value Of Y ==> 3'], false, null],
    [[...echo, ' The Value Of X ==> 2', ' The Value Of Y ==> -1.#IND'], true, null],
    [[...echo, ' The Value Of X ==> 2', ' The Value Of Y ==> 3', echo[0]], false, { x: 2, y: 3 }],
    [[...echo, ' The Value Of X ==> 2', ' The Value Of Y ==> 3', ...echo], true, null],
  ];
  for (const [lines, changes, point] of cases) {
    let facts = {};
    let changed;
    for (const line of lines) ({ facts, changed } = model.readLine(facts, line));
    assert.deepEqual([changed, model.picture(facts).point], [changes, point], lines.join(' | '));
  }
});

test('numbers as the program writes them', () => {
  const cases = [['-0.333333', -0.333333], ['1e-005', 1e-5], ['9.99999e+010', 9.99999e10],
    ['-0', -0], ['1.#INF', Infinity], ['-1.#INF', -Infinity], ['-1.#IND', NaN], ['1.#QNAN', NaN]];
  for (const [text, value] of cases) assert.equal(model.parseNumber(text), value, text);
});

test('how two lines lie, at every scale', () => {
  const cases = [
    [[1, 1, 2], [1, 1, 3], 'parallel'], [[1, 1, 2], [2, 2, 4], 'same'],
    [[1, 1, 2], [-1, -1, -2], 'same'], [[1, 1, 2], [-1, -1, 2], 'parallel'],
    [[1, 1, 0], [3, 3, 0], 'same'], [[1, 1, 0], [1, 1, 1], 'parallel'],
    [[1e308, 1e308, 1e308], [1e-300, 1e-300, 1e-300], 'same'],
    [[1e308, -1.5e308, 1e308], [3e307, 2e307, -1.7e308], 'cross'],
    [[2, 3, 13], [4, -1, 5], 'cross'], [[1, 1, 1], [1, 1.00001, 1], 'same'],
  ];
  for (const [[a, b, c], [d, e, f], expected] of cases) {
    const name = `${[a, b, c]} and ${[d, e, f]}`;
    assert.equal(model.relation({ a, b, c }, { a: d, b: e, c: f }), expected, name);
  }
});

test('tick labels: plain decimals of five characters at most, else a common factor', () => {
  const decimals = [[5, -1, '0.5'], [-15, -3, '-0.015'], [12, 2, '1200'], [0, 3, '0'],
    [10, -1, '1'], [-25, -1, '-2.5']];
  for (const [n, exponent, text] of decimals) assert.equal(model.decimalText(n, exponent), text);
  const pointSets = [[[2, 3]], [[1e-300, 0]], [[-1.7e308, 1e308]], [[1e100, 9.99999e10]],
    [[123456, 0], [0, -0.0001]], [], [[0, 5e-324]], [[1.79e308, -1.79e308]]];
  for (const points of pointSets) {
    const axes = model.chooseAxes(points);
    for (const [i, { lo, hi, ticks, factor }] of [axes.x, axes.y].entries()) {
      const values = points.map((p) => p[i]).concat(0);
      const name = `${JSON.stringify(points)}, axis ${'xy'[i]}`;
      assert.ok(Number.isFinite(lo) && Number.isFinite(hi) && lo < hi, name);
      assert.ok(values.every((v) => lo <= v && v <= hi), name);
      assert.ok(ticks.length >= 2 && ticks.length <= 16, name);
      assert.ok(ticks.every(([v, label]) => lo <= v && v <= hi && label.length <= 6), name);
      const exact = ([v, label]) => Math.abs(Number(label) - v) <= Math.abs(v) * 1e-12;
      assert.ok(factor || ticks.every(exact), name);
    }
  }
});

test('a line through the view: its ends lie in the view and on the line', () => {
  const cases = [
    [[2, 3, 13], [[2, 3]]], [[1, 0, -2.5], [[-2.5, 0.75]]], [[1e100, -0.000025, 0.0001], []],
    [[1e308, -1.5e308, 1e308], [[1, 0]]], [[1e-300, 1e-300, 1e-300], [[1, 0]]],
  ];
  for (const [[a, b, c], points] of cases) {
    const line = { a, b, c };
    const { x, y } = model.chooseAxes(model.anchors(line).concat(points));
    const ends = model.lineInView(line, x, y);
    const at = (u, axis) => axis.lo / 2 + axis.hi / 2 + u * (axis.hi / 2 - axis.lo / 2);
    for (const [u, v] of ends) {
      assert.ok(Math.abs(u) <= 1 && Math.abs(v) <= 1, `${[a, b, c]}: ${[u, v]}`);
      const residue = a / c * at(u, x) + b / c * at(v, y) - 1;
      assert.ok(Math.abs(residue) < 1e-9, `${[a, b, c]}: ${[u, v]} is off the line by ${residue}`);
    }
  }
  // A line that misses the view.
  assert.equal(model.lineInView({ a: 1, b: 0, c: 100 }, ...Object.values(model.chooseAxes([]))),
    null);
});
