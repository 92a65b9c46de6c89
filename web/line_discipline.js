'use strict';

// The terminal's line discipline, as a terminal driver keeps it in line
// mode: typed characters are echoed and gathered into a line that Backspace
// edits; Enter hands the line over with its newline; Ctrl+D hands over what
// is typed so far without one (on an empty line that is nothing: end of
// input); lines typed or pasted before the program reads are kept for it.
// At the key wait the next key press alone counts: what was typed before is
// dropped, and the key is not echoed. Ctrl+C while a line is being typed
// interrupts the program. Cursor and function keys mean nothing in a line
// and are dropped.

// Creates a line discipline that echoes through `io.echo(text)` and reports
// Ctrl+C through `io.interrupt()`.
function createLineDiscipline(io) {
  let line = '';          // the line being typed
  const typedAhead = [];  // what was handed over before the program read it
  let waitingRead = null; // resolves the read that waits for input
  let waitingKey = null;  // resolves the key wait

  function handOver(text) {
    if (waitingRead) {
      const resolve = waitingRead;
      waitingRead = null;
      resolve(text);
    } else {
      typedAhead.push(text);
    }
  }

  // The length of the control sequence at `at` (ESC [ ... final, ESC O x).
  function sequenceLength(data, at) {
    if (data[at + 1] === 'O') return Math.min(3, data.length - at);
    if (data[at + 1] !== '[') return 1;
    let end = at + 2;
    while (end < data.length && !/[\x40-\x7e]/.test(data[end])) end++;
    return Math.min(end + 1, data.length) - at;
  }

  return {
    // Takes what the terminal delivers for typed keys or pasted text.
    feed(data) {
      if (waitingKey) {
        const resolve = waitingKey;
        waitingKey = null;
        resolve(new TextEncoder().encode(data)[0]);
        return;
      }
      for (let at = 0; at < data.length; ) {
        const c = data[at];
        if (c === '\x1b') {
          at += sequenceLength(data, at);
          continue;
        }
        const point = String.fromCodePoint(data.codePointAt(at));
        at += point.length;
        if (c === '\r' || c === '\n') {
          if (c === '\r' && data[at] === '\n') at++;  // one Enter
          io.echo('\r\n');
          handOver(line + '\n');
          line = '';
        } else if (c === '\x7f' || c === '\b') {
          if (line) {
            line = Array.from(line).slice(0, -1).join('');
            io.echo('\b \b');
          }
        } else if (c === '\x04') {
          handOver(line);
          line = '';
        } else if (c === '\x15') {  // Ctrl+U: the whole line
          io.echo('\b \b'.repeat(Array.from(line).length));
          line = '';
        } else if (c === '\x03') {
          io.echo('^C');
          line = '';
          typedAhead.length = 0;
          io.interrupt();
          return;
        } else if (c >= ' ' || c === '\t') {
          line += point;
          io.echo(point);
        }
      }
    },

    // Resolves with the next input handed over ('' at end of input).
    read() {
      if (typedAhead.length > 0) return Promise.resolve(typedAhead.shift());
      return new Promise((resolve) => { waitingRead = resolve; });
    },

    // Drops what was typed so far and resolves with the first byte of the
    // next key press.
    waitForKey() {
      line = '';
      typedAhead.length = 0;
      return new Promise((resolve) => { waitingKey = resolve; });
    },
  };
}
