'use strict';
// The console's input and the run's link under node, no browser: line editing as the program
// receives it, type-ahead, end of input, interrupt, the key wait, and links made and refused.

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');

const web = path.join(__dirname, '..', '..', 'web');
const { keyPressCode, startsRun, lineKeyAction, createConsoleInput } =
  require(path.join(web, 'console_input.js'));
const { runLinkLimit, encodeRun, decodeRun } = require(path.join(web, 'run_link.js'));

// An input whose echo and interrupts are recorded.
function recorded() {
  const seen = { echo: '', interrupts: 0 };
  const input = createConsoleInput({ echo: (text) => { seen.echo += text; },
    interrupt: () => { seen.interrupts++; } });
  return { input, seen };
}

// Everything the program reads until it would wait, as the pieces read.
async function readAll(input) {
  const pieces = [];
  for (;;) {
    const next = await Promise.race([input.read(), new Promise((r) => setTimeout(r, 5, null))]);
    if (next === null) return pieces;
    pieces.push(next);
    if (next === '') return pieces;
  }
}

test('what reaches the program, and its echo', async () => {
  const cases = [
    { name: 'Enter hands the line over with its newline',
      act: (i) => i.enter('2 3'), pieces: ['2 3\n'], echo: '2 3\n' },
    { name: 'Ctrl+D hands over the line without a newline',
      act: (i) => i.endOfInput('1'), pieces: ['1'], echo: '1' },
    { name: 'Ctrl+D on an empty line is end of input, and nothing after it is read',
      act: (i) => { i.endOfInput(''); i.enter('5'); }, pieces: [''], echo: '5\n' },
    { name: 'a pasted block is typed ahead line by line, tabs kept, CR LF one newline',
      act: (i) => assert.strictEqual(i.paste('2\r\n1\t2\n3\x07\rab'), 'ab'),
      pieces: ['2\n', '1\t2\n', '3\n'], echo: '2\n1\t2\n3\n' },
    { name: 'a link types its lines as they are read, then its end of input',
      act: (i) => i.replay('2\n3 4\n5', true), pieces: ['2\n', '3 4\n', '5', ''],
      echo: '2\n3 4\n5' },
  ];
  for (const { name, act, pieces, echo } of cases) {
    const { input, seen } = recorded();
    act(input);
    assert.deepStrictEqual(await readAll(input), pieces, name);
    assert.strictEqual(seen.echo, echo, name);
  }
});

test('a read waits for the next line, and the run remembers all it was given', async () => {
  const { input } = recorded();
  const read = input.read();
  input.enter('7');
  assert.strictEqual(await read, '7\n');
  input.endOfInput('');
  assert.deepStrictEqual(input.typed(), { text: '7\n', end: true });
});

test('Ctrl+C drops what was typed ahead and interrupts', async () => {
  const { input, seen } = recorded();
  input.paste('1\n2\n');
  input.interrupt();
  assert.deepStrictEqual([seen.interrupts, await readAll(input)], [1, []]);
});

test('the key wait: only a key pressed while it waits ends it', async () => {
  const { input } = recorded();
  assert.strictEqual(input.key(97), false);
  input.paste('ab\ncd\n');
  input.replay('9\n', false);
  const wait = input.waitForKey();
  assert.strictEqual(input.key(120), true);
  assert.strictEqual(await wait, 120);
  assert.deepStrictEqual(await readAll(input), []);
  assert.strictEqual(input.key(121), false);
});

test('which keys are a key press at the closing wait, and what a key does in the line', () => {
  const cases = [
    [{ key: 'q' }, 113, null], [{ key: 'Enter' }, 13, null], [{ key: 'Escape' }, 27, null],
    [{ key: 'ArrowUp' }, 0, null], [{ key: 'F5' }, 0, null], [{ key: 'é' }, 233, null],
    [{ key: 'Shift' }, null, null], [{ key: 'Control', ctrlKey: true }, null, null],
    [{ key: 'Tab' }, null, null], [{ key: 'Tab', shiftKey: true }, null, null],
    [{ key: 'c', ctrlKey: true }, 3, 'interrupt'],
    [{ key: 'c', ctrlKey: true, selected: true }, null, null],
    [{ key: 'd', ctrlKey: true }, 4, 'end-of-input'],
    [{ key: 'D', ctrlKey: true }, 4, 'end-of-input'],
    [{ key: 'p', ctrlKey: true }, null, null], [{ key: 'v', metaKey: true }, null, null],
    [{ key: 'v', ctrlKey: true }, null, null], [{ key: 'r', ctrlKey: true }, null, null],
    [{ key: 'ArrowLeft', altKey: true }, null, null],
    [{ key: '@', ctrlKey: true, altKey: true }, 64, null],
  ];
  for (const [event, code, action] of cases) {
    assert.strictEqual(keyPressCode(event), code, JSON.stringify(event));
    assert.strictEqual(lineKeyAction(event), action, JSON.stringify(event));
  }
});

test('which keys start a new run after the end: Enter and typed characters only', () => {
  const cases = [
    [{ key: 'Enter' }, true], [{ key: 'z' }, true], [{ key: 'é' }, true],
    [{ key: ' ' }, false], [{ key: 'ArrowDown' }, false], [{ key: 'PageDown' }, false],
    [{ key: 'Home' }, false], [{ key: 'F5' }, false], [{ key: 'r', ctrlKey: true }, false],
    [{ key: 'Enter', altKey: true }, false], [{ key: 'Escape' }, false],
  ];
  for (const [event, starts] of cases) {
    assert.strictEqual(startsRun(event), starts, JSON.stringify(event));
  }
});

test('a run as a link, and back', () => {
  const cases = [
    [{ text: '2\n2\n3\n13\n4\n-1\n5\n', end: false }, 'input=2,2,3,13,4,-1,5,&end'],
    [{ text: '', end: true }, 'input=&eof'],
    [{ text: '2\t1e+3 _,%é\n', end: true }, 'input=2%091e+3_%5F%2C%25%C3%A9,&eof'],
  ];
  for (const [run, fragment] of cases) {
    assert.strictEqual(encodeRun(run), fragment);
    assert.deepStrictEqual(decodeRun('#' + fragment), run);
  }
  assert.strictEqual(encodeRun({ text: '1'.repeat(runLinkLimit), end: false }), null);
});

test('fragments that are not a run are refused whole', () => {
  const refused = ['', 'input=2,3', 'input=2,3&en', 'input=2%2&end', 'input=%4&end',
    'input=%FF&end', 'input=%01&end', 'input=<script>&end', 'input=2&end&end', 'INPUT=2&end',
    `input=${'1'.repeat(runLinkLimit)}&end`];
  for (const fragment of refused) assert.strictEqual(decodeRun(fragment), null, fragment);
});
