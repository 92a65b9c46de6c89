'use strict';

// The page's terminal: xterm.js filling its container, at least 100 columns
// where the container is wide enough (the font shrinks down to a readable
// size first), lines wider than that wrapping as in any terminal. Newlines
// from the program become CR LF in the terminal alone (convertEol), and the
// screen-reader mode keeps what is on screen readable to screen readers.

// Opens a terminal in `container` and keeps it fitted to it.
function createTerminal(container) {
  const fontFamily = '"DejaVu Sans Mono", Menlo, Consolas, "Liberation Mono", monospace';
  const largest = 16;
  const smallest = 13;
  const term = new Terminal({
    convertEol: true,
    screenReaderMode: true,
    fontFamily,
    fontSize: largest,
    scrollback: 5000,
    theme: { background: '#101418', foreground: '#e6e6e6' },
  });
  term.open(container);

  // Width and height of one character cell at `size`.
  const probe = document.createElement('span');
  probe.style.cssText = 'position:absolute;visibility:hidden;white-space:pre;line-height:normal';
  probe.style.fontFamily = fontFamily;
  probe.textContent = 'W'.repeat(50);
  document.body.appendChild(probe);
  function cell(size) {
    probe.style.fontSize = size + 'px';
    const box = probe.getBoundingClientRect();
    return { width: box.width / 50, height: Math.ceil(box.height) };
  }

  // Room for the scroll bar, which stands over the last columns.
  const scrollBar = 14;

  function fit() {
    const width = container.clientWidth - scrollBar;
    const height = container.clientHeight;
    if (width <= 0 || height <= 0) return;
    const ratio = cell(100).width / 100;
    const size = Math.max(smallest, Math.min(largest, Math.floor((width / 100 / ratio) * 2) / 2));
    const { width: w, height: h } = cell(size);
    if (term.options.fontSize !== size) term.options.fontSize = size;
    term.resize(Math.max(20, Math.floor(width / w)), Math.max(5, Math.floor(height / h)));
  }
  fit();
  new ResizeObserver(fit).observe(container);
  return term;
}
