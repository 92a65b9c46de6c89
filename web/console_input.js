'use strict';

// The console's input as a terminal keeps it in line mode, with no page in it (its tests run
// under node): a line handed over by Enter with its newline; what Ctrl+D hands over without one
// (on an empty line, nothing: end of input); pasted lines typed ahead, one by one; input from a
// link, typed line by line as the program asks for it; Ctrl+C; and the closing key wait, which
// only a key pressed while it waits ends. The page tells it what the person did (console.js).

// A character typed by `key` (a KeyboardEvent's fields): one character, with no Ctrl, Alt or
// Meta, unless Ctrl and Alt together are AltGr typing it.
function typedCharacter({ key, ctrlKey = false, metaKey = false, altKey = false }) {
  const one = key.length === 1 || (key.length === 2 && key.codePointAt(0) > 0xffff);
  return one && !metaKey && ctrlKey === altKey;
}

// The code of a key press for the closing wait (its character's code, Enter 13, Escape 27,
// Ctrl+C 3 with nothing selected, Ctrl+D 4, 0 for other keys), or null for a key that is no key
// press there: a modifier alone, Tab (which moves the focus), or the browser's own shortcuts
// (any other key with Ctrl, Alt or Meta; Ctrl+C with text selected copies). `key` is a
// KeyboardEvent's fields.
function keyPressCode(keys) {
  const { key, ctrlKey = false, metaKey = false, altKey = false } = keys;
  if (['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'CapsLock', 'NumLock', 'ScrollLock',
    'Fn', 'OS', 'Dead', 'Unidentified', 'Process', 'Tab'].includes(key)) return null;
  if (typedCharacter(keys)) {
    const code = key.codePointAt(0);
    return code < 256 ? code : 0;
  }
  const action = lineKeyAction(keys);  // Ctrl+D, and Ctrl+C with nothing selected
  if (action) return action === 'interrupt' ? 3 : 4;
  if (ctrlKey || altKey || metaKey) return null;
  if (key === 'Enter') return 13;
  if (key === 'Escape') return 27;
  if (key === 'Backspace') return 8;
  return 0;  // cursor, function and other keys without a character
}

// Whether `key` (a KeyboardEvent's fields) on the working starts a new run after the end:
// Enter, or a character typed (not a blank, which scrolls); keys that move, select or belong to
// the browser do not.
function startsRun(keys) {
  if (keys.key === 'Enter') return !keys.ctrlKey && !keys.altKey && !keys.metaKey;
  return typedCharacter(keys) && keys.key !== ' ';
}

// What a key does in the line being typed: 'end-of-input' (Ctrl+D), 'interrupt' (Ctrl+C with
// nothing selected), or null (the field's own editing, Enter's submission, the browser's keys).
function lineKeyAction({ key, ctrlKey = false, metaKey = false, altKey = false,
  selected = false }) {
  if (!ctrlKey || metaKey || altKey) return null;
  const letter = key.toLowerCase();
  if (letter === 'd') return 'end-of-input';
  if (letter === 'c' && !selected) return 'interrupt';
  return null;
}

// The input of one run: io.echo(text) shows typed text in the working, io.interrupt() ends the
// run after Ctrl+C.
function createConsoleInput(io) {
  const ahead = [];        // pieces handed over that the program has not read yet
  let script = null;       // input from a link: { text, end }, typed as the program reads
  let waitingRead = null;  // resolves the read that waits for input
  let waitingKey = null;   // resolves the key wait
  let typed = '';          // every piece handed over in this run
  let ended = false;       // end of input was handed over

  function handOver(piece) {
    if (ended) return;  // after end of input the program reads nothing more
    typed += piece;
    ended = piece === '';
    if (waitingRead) {
      const resolve = waitingRead;
      waitingRead = null;
      resolve(piece);
    } else {
      ahead.push(piece);
    }
  }

  // The next line of the link's input, echoed as if typed; '' for its end of input.
  function scripted() {
    const at = script.text.indexOf('\n');
    const piece = at < 0 ? script.text : script.text.slice(0, at + 1);
    script.text = script.text.slice(piece.length);
    if (!script.text && !script.end) script = null;
    if (piece === '') script = null;
    io.echo(piece);
    typed += piece;
    ended = piece === '';
    return piece;
  }

  return {
    // Enter: hands over `line` and its newline.
    enter(line) {
      io.echo(line + '\n');
      handOver(line + '\n');
    },

    // Ctrl+D: hands over `line` as it is; an empty one is end of input.
    endOfInput(line) {
      io.echo(line);
      handOver(line);
    },

    // Pasted `text` (with what the line held before the caret): each whole line is typed ahead,
    // tabs kept; returns the last, unfinished line, for the field. A CR or CR LF is one newline;
    // other control characters cannot be typed and are dropped.
    paste(text) {
      const lines = text.replace(/\r\n?/g, '\n').replace(/[^\t\n\x20-\x7e\xa0-\u{10ffff}]/gu, '')
        .split('\n');
      const last = lines.pop();
      for (const line of lines) this.enter(line);
      return last;
    },

    // Ctrl+C: drops what was typed ahead and ends the run.
    interrupt() {
      io.echo('^C\n');
      ahead.length = 0;
      script = null;
      io.interrupt();
    },

    // Types `text` from a link, a line each time the program reads, then end of input if `end`.
    replay(text, end) {
      if (text || end) script = { text, end };
    },

    // Resolves with the next input handed over ('' at end of input).
    read() {
      if (ahead.length > 0) return Promise.resolve(ahead.shift());
      if (script && !ended) return Promise.resolve(scripted());
      return new Promise((resolve) => { waitingRead = resolve; });
    },

    // Drops what was typed ahead and resolves with the code of the next key press.
    waitForKey() {
      ahead.length = 0;
      script = null;
      return new Promise((resolve) => { waitingKey = resolve; });
    },

    // A key press with `code` (see keyPressCode); true if the key wait took it.
    key(code) {
      if (!waitingKey) return false;
      const resolve = waitingKey;
      waitingKey = null;
      resolve(code);
      return true;
    },

    // What this run was given: `text`, every piece handed over, and `end`, whether end of
    // input was among them.
    typed() {
      return { text: typed, end: ended };
    },
  };
}

if (typeof module !== 'undefined') {
  module.exports = { keyPressCode, startsRun, lineKeyAction, createConsoleInput };
}
