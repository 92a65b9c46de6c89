'use strict';

// The runs of the program in the page. Each run gets a fresh module (createSimeqModule, from
// emscripten's loader, with an instance of the module that program.js compiles once), whose
// reads, writes and key wait are served here (see the web files of src/dialogue/platform/).
// Every byte a run writes is kept for window.simeq and fed to the console and the graph. The
// buttons keep the working: Save, Copy, Print, Copy link; a link's fragment is typed into the
// first run.
//
// The first run starts once the page is parsed and has shown its first screen, which stands in
// the page as static text, so the prompt is there to read and answer while the program loads:
// a line typed meanwhile is kept for it.
(() => {
  const byId = (id) => document.getElementById(id);
  const status = byId('status');
  const touch = navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches;

  let run = 1;           // the current run; callbacks of older runs are ignored
  let state = 'loading';
  let output = '';
  let unread = new Uint8Array(0);  // the rest of input a read had no room for
  let graph = null;
  let started = false;   // a run has been started (the first keeps the first screen)

  const view = createConsole(byId('console'), {
    enter: (line) => input.enter(line),
    endOfInput: (line) => input.endOfInput(line),
    paste: (text) => input.paste(text),
    interrupt: () => input.interrupt(),
    typing: () => state === 'input' || state === 'loading',
    key(code, fresh) {
      if (state === 'key') return input.key(code);
      if (state !== 'ended' || !started || !fresh) return false;
      start();
      return true;
    },
  }, touch);
  let input = newInput(run);

  function newInput(id) {
    return createConsoleInput({ echo: view.echo, interrupt: () => end(id, 'interrupted') });
  }

  window.simeq = {
    // Every byte the program has written in this run, as a string.
    output: () => output,
    // "loading", "input", "key" or "ended".
    get state() { return state; },
    // What the graph shows.
    graph: () => graph.model(),
    // How many characters fit on one line of the working.
    get columns() { return view.columns(); },
    // The link that types this run's input into a fresh page; null if it is too long.
    link() {
      const fragment = encodeRun(input.typed());
      return fragment && location.href.replace(/#.*$/s, '') + '#' + fragment;
    },
  };

  function setState(next) {
    state = next;
    document.body.dataset.state = next;
    byId('keep').hidden = next !== 'key' && next !== 'ended';
    byId('key-button').hidden = next !== 'key';
    byId('again').hidden = next !== 'ended';
    view.showLine(next === 'input' || next === 'loading');
  }

  const say = (text) => { status.textContent = text; };

  // The module's side of the streams and the key wait, for run `id`.
  function serving(id) {
    return {
      instantiateWasm: simeqProgram.instantiate,
      simeqWrite(bytes) {
        if (id !== run) return;
        const text = String.fromCharCode.apply(null, bytes);
        output += text;
        view.write(text);
        graph.feed(text);
      },
      async simeqRead(capacity) {
        if (unread.length === 0) {
          setState('input');
          const text = await input.read();
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
        return input.waitForKey();
      },
    };
  }

  // Ends run `id`: 'ended' when main has returned, 'interrupted' by Ctrl+C, or 'failed' when
  // the module stopped with an error.
  function end(id, how) {
    if (id !== run) return;
    run++;  // whatever the abandoned module still does is ignored
    setState('ended');
    const said = { ended: 'simeq has ended.', interrupted: 'simeq was interrupted (Ctrl+C).',
      failed: 'simeq stopped with an error.' };
    say(said[how] + ' Press Enter, or Run again, for a new run.');
  }

  // Starts a run, typing `replay` (from a link) into it if given; a run still going is left.
  // The first run keeps its input object, and the first screen and what was typed before it.
  async function start(replay) {
    if (state !== 'ended' && started) run++;  // a link opened while a run was going
    const id = run;
    if (started || state === 'ended') {  // (the first run ends before it starts on Ctrl+C)
      view.clear();
      graph.reset();
      input = newInput(id);
      output = '';
      unread = new Uint8Array(0);
      say('');
    }
    setState('loading');
    if (replay) input.replay(replay.text, replay.end);
    if (!touch) view.focus();
    await simeqProgram.ready();
    if (id !== run) return;
    const module = await createSimeqModule(serving(id));
    if (id !== run) return;
    await module.runMain();
    end(id, 'ended');
  }

  // An error in the module, whether start() rejects with it or it surfaces after one of the
  // module's waits, ends the run, and a new one can start.
  const fail = () => {
    if (state !== 'ended') end(run, 'failed');
  };
  window.addEventListener('error', fail);
  window.addEventListener('unhandledrejection', fail);

  // The working as the program wrote it, in a file.
  byId('save').addEventListener('click', () => {
    const bytes = Uint8Array.from(output, (c) => c.charCodeAt(0));
    const url = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = 'simeq-working.txt';
    link.click();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  });
  const copy = (text, done) => navigator.clipboard.writeText(text).then(() => say(done),
    () => say('The browser did not let the page use the clipboard.'));
  byId('copy').addEventListener('click', () => copy(output, 'The working is on the clipboard.'));
  byId('print').addEventListener('click', () => window.print());
  byId('copy-link').addEventListener('click', () => {
    const link = window.simeq.link();
    if (link) copy(link, 'A link that types this run again is on the clipboard.');
    else say('This run is too long to share as a link; Save or Copy keeps the working.');
  });
  byId('key-button').addEventListener('click', () => input.key(13));
  byId('again').addEventListener('click', () => {
    if (!started) return;  // the first run starts itself
    start();
    view.focus();
  });

  // A run with the input of the page's link, if it has one; a link that holds no run types
  // nothing and says so.
  function startFromLink() {
    const replay = location.hash ? decodeRun(location.hash) : null;
    start(replay);
    if (location.hash && !replay) {
      say('This link does not hold a run of simeq, so nothing from it was typed: ' +
        'this is a fresh run.');
    }
  }
  // A link opened in this tab changes only the fragment: its run starts afresh, and a run that
  // was going is left, which the status says unless the link is not a run.
  window.addEventListener('hashchange', () => {
    if (!started) return;
    const going = state !== 'ended';
    startFromLink();
    if (going && !status.textContent) {
      say('A new link was opened, so the run that was going was left and a fresh run started.');
    }
  });

  // The first run starts once the page is parsed (the program is in it) and its first screen
  // has been drawn (a page in the background draws nothing, and need not wait); the graph is
  // made then. Often the first screen is drawn while the rest of the page still arrives.
  let parsed = false;
  let drawn = document.visibilityState === 'hidden';
  const startFirst = () => {
    if (!parsed || !drawn || started) return;
    graph = createGraph(byId('graph'));
    startFromLink();
    started = true;
  };
  if (!drawn) {
    requestAnimationFrame(() => setTimeout(() => {
      drawn = true;
      startFirst();
    }));
  }
  const whenParsed = () => {
    parsed = true;
    simeqProgram.ready();  // unpacked and compiled meanwhile, if the first screen is not drawn
    startFirst();
  };
  if (document.readyState === 'loading') {
    document.addEventListener('DOMContentLoaded', whenParsed);
  } else {
    whenParsed();
  }
})();
