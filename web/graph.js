'use strict';

// The graph beside the working, drawn in SVG: Eq-1, Eq-2 and their point, as graph_model.js
// reads them from the program's output and lays them out. Nothing is solved or worked out here.
// model(): lines drawn [{ label, a, b, c }] for a x + b y = c ("Eq-1", "Eq-2", or one entry
// "Eq-1 and Eq-2" with Eq-1's numbers for the same line; none for 0x + 0y = c or a line beyond
// the largest double); point { x, y } once both are written and finite, else null; view
// { xmin, xmax, ymin, ymax }, null until both equations are written; caption, in words ('' until
// then).

const simeqGraphView = (() => {
  const SVG = 'http://www.w3.org/2000/svg';
  // The plot square, and the picture around it with room for the legend and the tick labels.
  const PLOT = { left: 58, top: 56, size: 366 };
  const WIDTH = 440;
  const HEIGHT = PLOT.top + PLOT.size + 40;
  const PLOT_RIGHT = PLOT.left + PLOT.size;
  const PLOT_BOTTOM = PLOT.top + PLOT.size;
  // Eq-1's line blue and solid, Eq-2's vermilion and dashed.
  const LOOKS = {
    'Eq-1': { stroke: '#0072b2' },
    'Eq-2': { stroke: '#d55e00', 'stroke-dasharray': '9 5' },
  };
  // Text over lines keeps a white edge.
  const HALO = {
    'paint-order': 'stroke', stroke: '#fff', 'stroke-width': 3, 'stroke-linejoin': 'round',
  };
  const TICK_TEXT = { 'font-size': 12, fill: '#333' };
  const { fractionAlong } = simeqGraphModel;

  // Adds one SVG element with its attributes (numbers to hundredths) and its text.
  function addElement(parent, tag, attributes, text) {
    const node = parent.ownerDocument.createElementNS(SVG, tag);
    for (const [name, value] of Object.entries(attributes)) {
      node.setAttribute(name, typeof value === 'number' ? +value.toFixed(2) : value);
    }
    if (text) node.textContent = text;
    return parent.appendChild(node);
  }

  // The box [left, top, right, bottom] of a width and height around a centre.
  const boxAround = ([centreX, centreY], width, height) =>
    [centreX - width / 2, centreY - height / 2, centreX + width / 2, centreY + height / 2];

  // Whether two boxes overlap.
  const overlap = (p, q) => p[0] < q[2] && q[0] < p[2] && p[1] < q[3] && q[1] < p[3];

  // Draws one line and its label beside it, at the first spot along it clear of the boxes taken;
  // returns the label's box.
  function drawLine(svg, { ends, of, label }, taken) {
    const look = LOOKS[of];
    const toPlot = ([u, v]) => [PLOT.left + (PLOT.size * (u + 1)) / 2,
      PLOT.top + (PLOT.size * (1 - v)) / 2];
    let [p, q] = ends.map(toPlot);
    if (p[0] > q[0] || (p[0] === q[0] && p[1] < q[1])) [p, q] = [q, p]; // left to right, or up
    const stroke = { 'stroke-width': 2.5, ...look };
    addElement(svg, 'line', { x1: p[0], y1: p[1], x2: q[0], y2: q[1], ...stroke });
    const length = Math.hypot(q[0] - p[0], q[1] - p[1]) || 1;
    const [normalX, normalY] = [(q[1] - p[1]) / length, (p[0] - q[0]) / length]; // pointing up
    const [width, height] = [6.8 * label.length + 4, 16];
    // Far enough from the line for the text's size.
    const offset = 2 + (width / 2) * Math.abs(normalX) + (height / 2) * Math.abs(normalY);
    const boxes = [0.92, 0.08, 0.75, 0.25, 0.5].map((along) => {
      const x = Math.max(PLOT.left + width / 2, Math.min(PLOT_RIGHT - width / 2,
        p[0] + (q[0] - p[0]) * along + normalX * offset));
      const y = Math.max(PLOT.top + height / 2, Math.min(PLOT_BOTTOM - height / 2,
        p[1] + (q[1] - p[1]) * along + normalY * offset));
      return [x - width / 2, y - height / 2, x + width / 2, y + height / 2];
    });
    const at = boxes.find((box) => !taken.some((t) => overlap(box, t))) || boxes[0];
    addElement(svg, 'text', {
      ...HALO, x: at[0] + width / 2, y: at[1] + 12, 'text-anchor': 'middle', 'font-size': 12,
      fill: look.stroke,
    }, label);
    return at;
  }

  // Draws the grid, the axes and the tick labels; returns the mapping of x and y to the picture
  // and the boxes of the axis names.
  function drawGrid(svg, { x, y }) {
    const plotX = (v) => PLOT.left + PLOT.size * fractionAlong(v, x.lo, x.hi);
    const plotY = (v) => PLOT_BOTTOM - PLOT.size * fractionAlong(v, y.lo, y.hi);
    const gridColour = (v) => (v ? '#e4e4e4' : '#444'); // the axes themselves darker
    for (const [v, label] of x.ticks) {
      const at = plotX(v);
      const stroke = gridColour(v);
      addElement(svg, 'line', { x1: at, x2: at, y1: PLOT.top, y2: PLOT_BOTTOM, stroke });
      addElement(svg, 'text', { ...TICK_TEXT, x: at, y: PLOT_BOTTOM + 15, 'text-anchor': 'middle' },
        label);
    }
    for (const [v, label] of y.ticks) {
      const at = plotY(v);
      const stroke = gridColour(v);
      addElement(svg, 'line', { x1: PLOT.left, x2: PLOT_RIGHT, y1: at, y2: at, stroke });
      addElement(svg, 'text', { ...TICK_TEXT, x: PLOT.left - 5, y: at + 4, 'text-anchor': 'end' },
        label);
    }
    // The factor of the labels, if any: under the x axis's right end, over the y axis.
    const xFactor = { ...TICK_TEXT, x: PLOT_RIGHT, y: PLOT_BOTTOM + 32, 'text-anchor': 'end' };
    addElement(svg, 'text', xFactor, x.factor && 'x ' + x.factor);
    addElement(svg, 'text', { ...TICK_TEXT, x: PLOT.left, y: PLOT.top - 7 },
      y.factor && 'y ' + y.factor);
    const names = [[PLOT_RIGHT - 9, plotY(0) - 10], [plotX(0) + 10, PLOT.top + 10]];
    const nameText = { ...HALO, 'font-size': 13, 'font-style': 'italic', 'text-anchor': 'middle' };
    names.forEach(([nameX, nameY], i) =>
      addElement(svg, 'text', { ...nameText, x: nameX, y: nameY + 4 }, 'xy'[i]));
    return { plotX, plotY, taken: names.map((centre) => boxAround(centre, 14, 16)) };
  }

  // Draws the legend above the plot: each equation as the screen writes it, beside its line's look.
  function drawLegend(svg, { eqs, lines, relation }) {
    eqs.forEach((e, i) => {
      const line = lines.find((l) => l.label.includes(e.label));
      const y = 14 + 18 * i;
      if (line) {
        const stroke = { 'stroke-width': 2.5, ...LOOKS[line.of] };
        addElement(svg, 'line', { x1: 8, x2: 40, y1: y, y2: y, ...stroke });
      }
      let note = '';
      if (e.kind !== 'line') note = '  (no line)';
      else if (!line) note = '  (not drawn)';
      else if (i && relation === 'same') note = '  (same line)';
      const text = `${e.label}: ${e.text}${note}`;
      const size = Math.min(12, (WIDTH - 52) / (0.6 * text.length)); // monospace glyphs are 0.6 em
      addElement(svg, 'text', {
        x: 48, y: 18 + 18 * i, 'font-family': 'monospace', 'font-size': size, class: 'legend',
      }, text);
    });
  }

  // Draws the picture into an empty SVG element: frame, grid, lines with their labels, point,
  // legend.
  function draw(svg, shown) {
    addElement(svg, 'rect', { width: WIDTH, height: HEIGHT, fill: '#fff' });
    addElement(svg, 'rect', {
      x: PLOT.left, y: PLOT.top, width: PLOT.size, height: PLOT.size, fill: 'none', stroke: '#999',
    });
    const { plotX, plotY, taken } = drawGrid(svg, shown.axes);
    const mark = shown.point && [plotX(shown.point.x), plotY(shown.point.y)];
    let label; // the point's own label, placed first so that the lines' labels keep clear of it
    if (mark) {
      const width = 7 * shown.pointLabel.length;
      const right = mark[0] + 8 + width <= WIDTH;
      const low = mark[1] < PLOT.top + 24;
      label = {
        x: mark[0] + (right ? 8 : -8), y: mark[1] + (low ? 18 : -9),
        'text-anchor': right ? 'start' : 'end',
      };
      const labelCentre = [label.x + (right ? width / 2 : -width / 2), label.y - 4];
      taken.push(boxAround(mark, 12, 12), boxAround(labelCentre, width, 16));
    }
    for (const line of shown.lines) taken.push(drawLine(svg, line, taken));
    if (mark) {
      const edge = { stroke: '#fff', 'stroke-width': 1.5 };
      addElement(svg, 'circle', { cx: mark[0], cy: mark[1], r: 4.5, ...edge });
      addElement(svg, 'text', { ...HALO, ...label, 'font-size': 12, 'font-weight': 'bold' },
        shown.pointLabel);
    }
    drawLegend(svg, shown);
  }

  // Makes the empty figure for a container: { figure, svg, caption }.
  function createFigure(container) {
    const doc = container.ownerDocument;
    const figure = doc.createElement('figure');
    const svg = figure.appendChild(doc.createElementNS(SVG, 'svg'));
    const caption = figure.appendChild(doc.createElement('figcaption'));
    figure.className = 'simeq-graph';
    caption.id = `${container.id || 'simeq-graph'}-caption`;
    caption.setAttribute('aria-live', 'polite');
    const attributes = {
      viewBox: `0 0 ${WIDTH} ${HEIGHT}`, role: 'img', 'aria-label': 'Graph of Eq-1 and Eq-2',
      'aria-describedby': caption.id, 'font-family': 'sans-serif',
    };
    for (const [name, value] of Object.entries(attributes)) svg.setAttribute(name, value);
    return { figure, svg, caption };
  }

  return { draw, createFigure };
})();

// A graph of the system in the container: reset() when a run starts, feed(text) with each piece of
// the program's output (pieces may split lines anywhere), model() for what is drawn.
function createGraph(container) {
  // The figure stays out of the container until both equations are written, so that the page
  // can leave an empty container out of its layout.
  const { figure, svg, caption } = simeqGraphView.createFigure(container);
  let reading;
  let shown;
  const show = () => {
    shown = simeqGraphModel.picture(reading.facts);
    svg.replaceChildren();
    caption.textContent = shown.caption;
    if (!shown.view) return figure.remove();
    simeqGraphView.draw(svg, shown);
    if (!figure.isConnected) container.appendChild(figure);
  };
  const reset = () => {
    reading = simeqGraphModel.startReading();
    show();
  };
  const feed = (piece) => {
    reading = simeqGraphModel.readOutput(reading, piece);
    if (reading.changed) show();
  };
  reset();
  return { reset, feed, model: () => simeqGraphModel.summary(shown) };
}
