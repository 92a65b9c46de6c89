'use strict';

// The glue between the page and the program: each run gets a fresh module
// (createSimeqModule, from simeq.js), whose reads, writes and key wait are
// served here (see src/dialogue/standard_streams_web.cc). The run's state
// and every byte it writes are kept for window.simeq; the graph is fed the
// same bytes. On a touch device a text field under the terminal takes each
// line, and a tap or a button is the key press at the closing wait.
(() => {
  const screen = document.getElementById('terminal');
  const status = document.getElementById('status');
  const again = document.getElementById('again');
  const lineForm = document.getElementById('line-form');
  const lineField = document.getElementById('line-field');
  const keyButton = document.getElementById('key-button');
  const touch = navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches;

  // Started before the terminal is opened, so the module compiles meanwhile.
  let nextModule = createSimeqModule(serving(1));
  const term = createTerminal(screen);
  const graph = createGraph(document.getElementById('graph'));

  let run = 0;           // the current run; callbacks of older runs are ignored
  let state = 'loading';
  let output = '';
  let discipline = null;
  let unread = new Uint8Array(0);  // the rest of input a read had no room for

  window.simeq = {
    // Every byte the program has written in this run, as a string.
    output: () => output,
    // "loading", "input", "key" or "ended".
    get state() { return state; },
    // What the graph shows.
    graph: () => graph.model(),
    // The terminal's width in columns.
    get columns() { return term.cols; },
  };

  function setState(next) {
    state = next;
    document.body.dataset.state = next;
    keyButton.hidden = !(touch && next === 'key');
  }

  // The module's side of the streams and the key wait, for run `id`.
  function serving(id) {
    return {
      simeqWrite(bytes) {
        if (id !== run) return;
        const text = String.fromCharCode.apply(null, bytes);
        output += text;
        term.write(bytes);
        graph.feed(text);
      },
      async simeqRead(capacity) {
        if (unread.length === 0) {
          setState('input');
          const text = await discipline.read();
          if (id !== run) return new Promise(() => {});  // interrupted: never returns
          unread = new TextEncoder().encode(text);
        }
        const bytes = unread.subarray(0, capacity);
        unread = unread.subarray(bytes.length);
        return bytes;
      },
      simeqWaitForKey() {
        setState('key');
        unread = new Uint8Array(0);
        return discipline.waitForKey();
      },
    };
  }

  function end(id, interrupted) {
    if (id !== run) return;
    run++;  // whatever the abandoned module still does is ignored
    setState('ended');
    status.textContent = (interrupted ? 'simeq was interrupted (Ctrl+C).' : 'simeq has ended.') +
      ' Press any key, or Run again, for a new run.';
    again.hidden = false;
  }

  async function start() {
    const id = ++run;
    output = '';
    unread = new Uint8Array(0);
    setState('loading');
    status.textContent = '';
    again.hidden = true;
    if (id > 1) term.reset();  // the first run finds the terminal new
    graph.reset();
    discipline = createLineDiscipline({
      echo: (text) => term.write(text),
      interrupt: () => end(id, true),
    });
    const module = await (nextModule || createSimeqModule(serving(id)));
    nextModule = null;
    if (id !== run) return;
    await module.runMain();
    end(id, false);
  }

  function type(data) {
    if (state === 'ended') {
      start();
    } else if (discipline) {
      discipline.feed(data);
    }
  }

  term.onData(type);
  again.addEventListener('click', () => {
    start();
    (touch ? lineField : term).focus();
  });

  if (touch) {
    lineForm.hidden = false;
    term.textarea.setAttribute('inputmode', 'none');  // no on-screen keyboard for xterm
    lineForm.addEventListener('submit', (event) => {
      event.preventDefault();
      const line = lineField.value;
      lineField.value = '';
      type(line + '\r');
    });
    keyButton.addEventListener('click', () => type('\r'));
    screen.addEventListener('click', () => {
      if (state === 'key') type('\r');
      else lineField.focus();
    });
  } else {
    term.focus();
  }
  start();
})();
