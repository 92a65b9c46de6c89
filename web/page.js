'use strict';

// The glue between the page and the program: each run gets a fresh module
// (createSimeqModule, from simeq.js, with an instance from program.js),
// whose reads, writes and key wait are served here (see
// src/dialogue/standard_streams_web.cc). The run's state and every byte it
// writes are kept for window.simeq; the graph is fed the same bytes. On a
// touch device a text field under the terminal takes each line, and a tap
// or a button is the key press at the closing wait.
//
// This runs before the terminal library (xterm.js) has loaded: the first
// run starts at once and writes its first screen while the library is
// still being parsed; the page's last script, after the library, opens the
// terminal with what the run has written (simeqPage.open).
const simeqPage = (() => {
  const screen = document.getElementById('terminal');
  const status = document.getElementById('status');
  const again = document.getElementById('again');
  const lineForm = document.getElementById('line-form');
  const lineField = document.getElementById('line-field');
  const keyButton = document.getElementById('key-button');
  const touch = navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches;

  let term = null;       // the terminal, once open
  let unshown = [];      // what the first run wrote before that
  let graph = null;      // the graph, once made (see open)
  let unfed = '';        // what the first run wrote before that

  let run = 0;           // the current run; callbacks of older runs are ignored
  let state = 'loading';
  let output = '';
  let discipline = null;
  let unread = new Uint8Array(0);  // the rest of input a read had no room for

  window.simeq = {
    // Every byte the program has written in this run, as a string.
    output: () => output,
    // "loading", "input", "key" or "ended" (and "loading" until the
    // terminal is open).
    get state() { return term ? state : 'loading'; },
    // What the graph shows.
    graph: () => theGraph().model(),
    // The terminal's width in columns.
    get columns() { return term ? term.cols : 0; },
  };

  function setState(next) {
    state = next;
    if (!term) return;
    document.body.dataset.state = next;
    keyButton.hidden = !(touch && next === 'key');
  }

  // The module's side of the streams and the key wait, for run `id`.
  function serving(id) {
    return {
      instantiateWasm: simeqInstantiate,
      simeqWrite(bytes) {
        if (id !== run) return;
        const text = String.fromCharCode.apply(null, bytes);
        output += text;
        if (term) term.write(bytes);
        else unshown.push(bytes);
        if (graph) graph.feed(text);
        else unfed += text;
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

  // Ends run `id`: 'ended' when main has returned, 'interrupted' by Ctrl+C,
  // or 'failed' when the module stopped with an error.
  function end(id, how) {
    if (id !== run) return;
    run++;  // whatever the abandoned module still does is ignored
    setState('ended');
    const said = { ended: 'simeq has ended.', interrupted: 'simeq was interrupted (Ctrl+C).',
                   failed: 'simeq stopped with an error.' };
    status.textContent = said[how] + ' Press any key, or Run again, for a new run.';
    again.hidden = false;
  }

  async function start() {
    const id = ++run;
    output = '';
    unread = new Uint8Array(0);
    setState('loading');
    status.textContent = '';
    again.hidden = true;
    if (id > 1) {  // the first run finds the terminal and the graph new
      term.reset();
      theGraph().reset();
    }
    discipline = createLineDiscipline({
      echo: (text) => term.write(text),
      interrupt: () => end(id, 'interrupted'),
    });
    const module = await createSimeqModule(serving(id));
    if (id !== run) return;
    await module.runMain();
    end(id, 'ended');
  }

  // An error in the module, whether start() rejects with it or it surfaces
  // after one of the module's waits, ends the run, and a new one can start.
  const fail = () => {
    if (state !== 'ended') end(run, 'failed');
  };
  window.addEventListener('error', fail);
  window.addEventListener('unhandledrejection', fail);

  function type(data) {
    if (state === 'ended') {
      start();
    } else if (discipline) {
      discipline.feed(data);
    }
  }

  // The graph, made with what the program has written so far.
  function theGraph() {
    if (!graph) {
      graph = createGraph(document.getElementById('graph'));
      graph.feed(unfed);
      unfed = null;
    }
    return graph;
  }

  // Opens the terminal and shows what the first run has written so far.
  function open() {
    term = createTerminal(screen);
    for (const bytes of unshown) term.write(bytes);
    unshown = null;
    setState(state);
    term.onData(type);
    if (touch) term.textarea.setAttribute('inputmode', 'none');  // no on-screen keyboard for xterm
    // Once the program's first output is drawn: the graph, which shows
    // nothing until the program has written a system, and the focus, which
    // lays the page out at once. Either would hold that first frame back.
    const parsed = term.onWriteParsed(() => {
      parsed.dispose();
      const drawn = term.onRender(() => {
        drawn.dispose();
        setTimeout(() => {
          theGraph();
          if (!touch) term.focus();
        });
      });
    });
  }

  again.addEventListener('click', () => {
    start();
    (touch ? lineField : term).focus();
  });

  if (touch) {
    lineForm.hidden = false;
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
  }
  start();
  // open(): for the page's last script, once the terminal library has run.
  return { open };
})();
