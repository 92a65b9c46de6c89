'use strict';
// The page in a real browser: Debian's chromium, headless, driven by
// playwright-core. Opens the built site from file:// or from python3's
// static server on 127.0.0.1, types each golden transcript's input with real
// key events, one line at a time and Enter (Ctrl+D for input that ends
// without a newline, and at end of input), presses a key at the closing wait
// and compares window.simeq.output() with NAME.out byte for byte. With
// --situations it also runs the table of terminal situations.
//
//   node page_test.js SITE TRANSCRIPTS NODE_MODULES file|http [--situations]

const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { launchChromium, serve } = require('./browser.js');

const [site, transcripts, modules, origin, ...flags] = process.argv.slice(2);

// Lets the program run until it waits again.
const settle = (page) => page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 0)));
const stateOf = (page) => page.evaluate(() => window.simeq.state);

async function open(context, url) {
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.simeq && window.simeq.state !== 'loading');
  return page;
}

// Types `input` as a person would: each line and Enter while the program
// still reads, Ctrl+D after a last line without a newline and at the end.
async function typeInput(page, input, typeLine, endOfInput) {
  const lines = input.split('\n');
  const last = lines.pop();
  for (const line of lines) {
    if ((await stateOf(page)) !== 'input') return;
    await typeLine(line);
    await settle(page);
  }
  if (last !== '' && (await stateOf(page)) === 'input') {
    await page.keyboard.type(last);
    await endOfInput();
    await settle(page);
  }
  for (let i = 0; i < 3 && (await stateOf(page)) === 'input'; i++) {
    await endOfInput();
    await settle(page);
  }
}

async function keyboardRun(page, input, key = 'q') {
  await page.click('#terminal');
  await typeInput(page, input, async (line) => {
    await page.keyboard.type(line);
    await page.keyboard.press('Enter');
  }, () => page.keyboard.press('Control+D'));
  if ((await stateOf(page)) === 'key') await page.keyboard.press(key);
  await page.waitForFunction(() => window.simeq.state === 'ended');
  return page.evaluate(() => window.simeq.output());
}

const read = (name, ext) => fs.readFileSync(path.join(transcripts, `${name}.${ext}`), 'latin1');
const names = fs.readdirSync(transcripts).filter((f) => f.endsWith('.in')).map((f) => f.slice(0, -3)).sort();

let passed = 0;
let failed = 0;
function check(label, ok, detail = '') {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAILED: ${label} ${detail}`);
  }
}

// Where the output first differs from what was expected.
function difference(expected, actual) {
  let at = 0;
  while (at < expected.length && expected[at] === actual[at]) at++;
  return `at byte ${at}: expected ${JSON.stringify(expected.slice(at, at + 60))}, got ${JSON.stringify(actual.slice(at, at + 60))}`;
}

async function transcriptRuns(browser, url) {
  const context = await browser.newContext();
  for (const name of names) {
    const page = await open(context, url);
    const expected = read(name, 'out');
    const actual = await keyboardRun(page, read(name, 'in'));
    check(`${origin} ${name}`, actual === expected, difference(expected, actual));
    await page.close();
  }
  await context.close();
}

// Pastes `text` into the terminal as the browser does for Ctrl+V.
const paste = (page, text) => page.evaluate((pasted) => {
  const data = new DataTransfer();
  data.setData('text/plain', pasted);
  document.querySelector('.xterm-helper-textarea')
    .dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
}, text);

const output = (page) => page.evaluate(() => window.simeq.output());
const screenText = (page) => page.evaluate(() => document.querySelector('.xterm-rows').textContent);
const prompt = read('driver_choice_3', 'out').split('\n').slice(0, 4).join('\n') +
  "\n Enter Value For Program's Selection Between '1 And 2' --> ";

// The terminal situations: each types, then checks the state and output.
const situations = [
  { name: 'all seven numbers on the menu line, nothing more to type',
    async run(page) {
      await page.keyboard.type('2 1 2 3 4 5 6');
      await page.keyboard.press('Enter');
      await settle(page);
      return [await stateOf(page), 'key'];
    } },
  { name: 'a pasted block of lines is type-ahead',
    async run(page) {
      await paste(page, read('elimination_basic', 'in'));
      await settle(page);
      await page.keyboard.press('q');
      return [await output(page), read('elimination_basic', 'out')];
    } },
  { name: 'Backspace edits the line before Enter',
    async run(page) {
      await page.keyboard.type('1');
      await page.keyboard.press('Backspace');
      await page.keyboard.type('3');
      await page.keyboard.press('Enter');
      await settle(page);
      await page.keyboard.press('q');
      return [await output(page), read('driver_choice_3', 'out')];
    } },
  { name: 'Ctrl+D hands over the line without a newline',
    async run(page) {
      await page.keyboard.type('1');
      await page.keyboard.press('Control+D');
      await page.keyboard.type('3');  // read on as "13": no walkthrough
      await page.keyboard.press('Enter');
      await settle(page);
      await page.keyboard.press('q');
      return [await output(page), read('driver_choice_3', 'out')];
    } },
  { name: 'Ctrl+D on an empty line is end of input',
    async run(page) {
      await page.keyboard.press('Control+D');
      await settle(page);
      return [[await stateOf(page), await output(page)], ['key', read('driver_empty', 'out')]];
    } },
  ...['Escape', 'ArrowUp', 'Control+C'].map((key) => ({
    name: `${key} ends the closing wait`,
    async run(page) {
      await page.keyboard.type('3');
      await page.keyboard.press('Enter');
      await settle(page);
      await page.keyboard.press(key);
      await settle(page);
      return [[await stateOf(page), await output(page)], ['ended', read('driver_choice_3', 'out')]];
    },
  })),
  { name: 'keys typed ahead do not end the closing wait, and are not echoed',
    async run(page) {
      await paste(page, '3\nab\ncd');
      await settle(page);
      const waiting = await stateOf(page);
      await page.keyboard.press('x');
      await settle(page);
      return [[waiting, await stateOf(page), (await screenText(page)).includes('x')], ['key', 'ended', false]];
    } },
  { name: 'Ctrl+C while a number is typed ends the run at once',
    async run(page) {
      await page.keyboard.type('1');
      await page.keyboard.press('Enter');
      await page.keyboard.type('12');
      await page.keyboard.press('Control+C');
      await settle(page);
      const status = await page.textContent('#status');
      return [[await stateOf(page), /interrupted/.test(status)], ['ended', true]];
    } },
  { name: 'a new run after the end starts clean, by a key and by the button',
    async run(page) {
      await page.keyboard.type('3');
      await page.keyboard.press('Enter');
      await settle(page);
      await page.keyboard.press('q');
      await page.waitForFunction(() => window.simeq.state === 'ended');
      await page.keyboard.press('z');
      await page.waitForFunction(() => window.simeq.state === 'input');
      const byKey = [await output(page), (await screenText(page)).includes('Press Any Key')];
      await page.keyboard.press('Control+C');
      await page.click('#again');
      await page.waitForFunction(() => window.simeq.state === 'input');
      const byButton = await output(page);
      return [[...byKey, byButton], [prompt, false, prompt]];
    } },
  { name: 'at least 100 columns in a wide window',
    async run(page) {
      return [await page.evaluate(() => window.simeq.columns >= 100), true];
    } },
];

async function situationRuns(browser, url) {
  const context = await browser.newContext();
  for (const situation of situations) {
    const page = await open(context, url);
    await page.click('#terminal');
    const [actual, expected] = await situation.run(page);
    check(`situation: ${situation.name}`, JSON.stringify(actual) === JSON.stringify(expected),
      `expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`);
    await page.close();
  }
  // A phone: touch, 390 px wide, lines typed into the text field under the
  // terminal, and a tap on the terminal at the closing wait.
  const phone = await browser.newContext({
    viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true,
  });
  const page = await open(phone, url);
  const input = read('elimination_basic', 'in');
  await page.tap('#line-field');
  await typeInput(page, input, async (line) => {
    await page.keyboard.type(line);
    await page.keyboard.press('Enter');
  }, async () => {});
  const layout = await page.evaluate(() => ({
    fits: document.querySelector('.xterm-screen').getBoundingClientRect().right <= 390,
    font: parseFloat(getComputedStyle(document.querySelector('.xterm-rows')).fontSize) >= 13,
    button: !document.getElementById('key-button').hidden,
  }));
  await page.tap('#terminal');
  await page.waitForFunction(() => window.simeq.state === 'ended');
  const actual = [await output(page), layout];
  const expected = [read('elimination_basic', 'out'), { fits: true, font: true, button: true }];
  check('situation: a phone, through the text field and a tap', JSON.stringify(actual) === JSON.stringify(expected),
    `expected ${JSON.stringify(expected[1])}, got ${JSON.stringify(actual[1])}; ${difference(expected[0], actual[0])}`);
  await phone.close();
  await context.close();
}

(async () => {
  const browser = await launchChromium(modules);
  const server = origin === 'http' ? await serve(site) : null;
  const url = server ? server.base + 'index.html' : pathToFileURL(path.join(site, 'index.html')).href;
  try {
    await transcriptRuns(browser, url);
    if (flags.includes('--situations')) await situationRuns(browser, url);
  } finally {
    if (server) server.stop();
    await browser.close();
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 && passed > 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
