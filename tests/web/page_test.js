'use strict';
// The page in a real browser: Debian's chromium, headless, driven by
// playwright-core. Opens the built site from file:// or from python3's
// static server on 127.0.0.1, types each golden transcript's input with real
// key events, one line at a time and Enter (Ctrl+D for input that ends
// without a newline, and at end of input), presses a key at the closing wait
// and compares window.simeq.output() with NAME.out byte for byte; from the
// server, every page after the first is served by the page's service worker
// with the network off. Then the rows of served_rows.js (offline, an
// update, installing, the policy, axe, Tab), and a check that no page of
// any run broke the page's Content-Security-Policy. The rows of the table
// of situations that keep and share the working (Save, Copy, Print, links)
// and the phone's row run from both; with --situations, the whole table
// (typing too) and the table of systems for the graph; with
// --screenshot it saves the page after the first system (the elimination run
// of 2 3 13 4 -1 5) as a small PNG (docs/web-page.png is a copy of it).
//
//   node page_test.js SITE TRANSCRIPTS NODE_MODULES file|http [--situations] [--screenshot FILE]

const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { launchChromium, serve } = require('./browser.js');
const { savePageImage } = require('./screenshot.js');
const { watchPolicy } = require('./page_checks.js');
const { rows: servedRows, goOffline } = require('./served_rows.js');

const [site, transcripts, modules, origin, ...flags] = process.argv.slice(2);
let browser = null;  // chromium, once started

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
  await page.click('#console');
  await typeInput(page, input, async (line) => {
    await page.keyboard.type(line);
    await page.keyboard.press('Enter');
  }, () => page.keyboard.press('Control+D'));
  if ((await stateOf(page)) === 'key') await page.keyboard.press(key);
  await page.waitForFunction(() => window.simeq.state === 'ended');
  return page.evaluate(() => window.simeq.output());
}

const read = (name, ext) => fs.readFileSync(path.join(transcripts, `${name}.${ext}`), 'latin1');
const names = fs.readdirSync(transcripts).filter((f) => f.endsWith('.in'))
  .map((f) => f.slice(0, -3)).sort();

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

// The policy violations met by the pages of contexts made by newContext.
const violations = [];

// A browser context whose pages report their policy violations, unless
// `violationsExpected`.
async function newContext(options = {}, violationsExpected = false) {
  const context = await browser.newContext(options);
  await watchPolicy(context, violationsExpected ? null : (violation, at) => {
    violations.push(`${violation} (at ${at})`);
  });
  return context;
}

// Where the output first differs from what was expected.
function difference(expected, actual) {
  let at = 0;
  while (at < expected.length && expected[at] === actual[at]) at++;
  const near = (text) => JSON.stringify(text.slice(at, at + 60));
  return `at byte ${at}: expected ${near(expected)}, got ${near(actual)}`;
}

// Every transcript on a page of its own. From a server, the network is cut
// once the first page has had its service worker take over: the others
// are served by the worker alone.
async function transcriptRuns(url) {
  const context = await newContext();
  for (const name of names) {
    const page = await open(context, url);
    const expected = read(name, 'out');
    const actual = await keyboardRun(page, read(name, 'in'));
    check(`${origin} ${name}`, actual === expected, difference(expected, actual));
    if (origin === 'http' && name === names[0]) await goOffline(context, page);
    await page.close();
  }
  await context.close();
}

// Pastes `text` into the line as the browser does for Ctrl+V.
const paste = (page, text) => page.evaluate((pasted) => {
  const data = new DataTransfer();
  data.setData('text/plain', pasted);
  document.getElementById('line')
    .dispatchEvent(new ClipboardEvent('paste',
      { clipboardData: data, bubbles: true, cancelable: true }));
}, text);

const output = (page) => page.evaluate(() => window.simeq.output());
// Dispatches each [id, key, modifiers] as a keydown on the element `id`; for each, whether the
// page kept the key from the browser.
const keysKept = (page, keys) => page.evaluate((all) => all.map(([id, key, modifiers]) =>
  !document.getElementById(id).dispatchEvent(new KeyboardEvent('keydown',
    { key, bubbles: true, cancelable: true, ...modifiers }))), keys);
const screenText = (page) => page.evaluate(() => document.getElementById('console').textContent);
const prompt = read('driver_choice_3', 'out').split('\n').slice(0, 4).join('\n') +
  "\n Enter Value For Program's Selection Between '1 And 2' --> ";

// Chooses 3 on the menu, which leads straight to the closing wait, and with `end` ends it.
async function choiceThree(page, end = false) {
  await page.keyboard.type('3');
  await page.keyboard.press('Enter');
  await settle(page);
  if (!end) return;
  await page.keyboard.press('q');
  await page.waitForFunction(() => window.simeq.state === 'ended');
}

// Pastes the elimination example and waits for the closing wait.
async function eliminationRun(page) {
  await paste(page, read('elimination_basic', 'in'));
  await page.waitForFunction(() => window.simeq.state === 'key');
}

// The bytes of the file that clicking `button` downloads.
async function downloaded(page, button) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return fs.readFileSync(await download.path(), 'latin1');
}

// The page as printed, read back by pdftotext.
async function printed(page) {
  await page.emulateMedia({ media: 'print' });
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'simeq-print-')), 'page.pdf');
  fs.writeFileSync(file, await page.pdf({ format: 'A4' }));
  const text = execFileSync('pdftotext', ['-layout', file, '-'], { encoding: 'utf8' });
  fs.rmSync(path.dirname(file), { recursive: true });
  await page.emulateMedia({ media: null });
  return text;
}

// Links that are not runs: cut short, broken %XX, not UTF-8, HTML, hundreds of kilobytes.
const hostileFragments = ['input=2,2,3,13', 'input=2,%2,3&end', 'input=%FF&end',
  '<img src=x onerror="document.title=1">', `input=${'9,'.repeat(200000)}&end`];

// The situations: each types, then checks the state and output.
const situations = [
  { name: 'the first screen is in the working at once, and the program does not write it twice',
    async run(page) {
      return [await screenText(page), prompt];
    } },
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
  { name: 'a pasted number of three million digits is read whole, and is too long for a link',
    async run(page) {
      await paste(page, '2\n2.' + '0'.repeat(3e6) + '\n3\n13\n4\n-1\n5\n');
      await page.waitForFunction(() => window.simeq.state !== 'input', null, { timeout: 60000 });
      await page.click('#copy-link');
      const said = await page.textContent('#status');
      return [[await output(page), await page.evaluate(() => window.simeq.link()),
        /too long to share/.test(said)], [read('elimination_basic', 'out'), null, true]];
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
      return [[waiting, await stateOf(page), (await screenText(page)).includes('x')],
        ['key', 'ended', false]];
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
      await choiceThree(page, true);
      await page.keyboard.press('z');
      await page.waitForFunction(() => window.simeq.state === 'input');
      const byKey = [await output(page), (await screenText(page)).includes('Press Any Key')];
      await page.keyboard.press('Control+C');
      await page.click('#again');
      await page.waitForFunction(() => window.simeq.state === 'input');
      const byButton = await output(page);
      return [[...byKey, byButton], [prompt, false, prompt]];
    } },
  { name: 'keys on the working while a line is typed are the line\'s: Backspace, Enter, Ctrl+C',
    async run(page) {
      await page.keyboard.type('34');
      await page.keyboard.press('Shift+Tab');
      const left = await page.evaluate(() => document.activeElement.id);
      await page.keyboard.press('Backspace');
      await page.keyboard.press('Shift+Tab');
      await page.keyboard.press('Enter');
      await settle(page);
      const handed = [await stateOf(page), await output(page)];
      await page.keyboard.press('q');
      await page.keyboard.press('Enter');
      await page.waitForFunction(() => window.simeq.state === 'input');
      await page.keyboard.type('1');
      await page.keyboard.press('Shift+Tab');
      await page.keyboard.press('Control+C');
      await settle(page);
      return [[left, handed, await stateOf(page)],
        ['console', ['key', read('driver_choice_3', 'out')], 'ended']];
    } },
  { name: 'at the closing wait, keys on the graph and the browser\'s own keys pass it by',
    async run(page) {
      await choiceThree(page);
      const kept = await keysKept(page, [['graph', 'ArrowDown'],
        ['console', 'r', { ctrlKey: true }], ['console', 'l', { ctrlKey: true }],
        ['console', 'ArrowLeft', { altKey: true }]]);
      await settle(page);
      return [[kept, await stateOf(page)], [[false, false, false, false], 'key']];
    } },
  { name: 'after the end, scrolling, the browser\'s keys and a click start nothing; Enter does',
    async run(page) {
      await choiceThree(page, true);
      const kept = await keysKept(page, [['console', 'ArrowDown'], ['console', 'PageDown'],
        ['console', 'Home'], ['console', ' '], ['console', 'F5'],
        ['console', 'r', { ctrlKey: true }], ['console', 'ArrowLeft', { altKey: true }]]);
      await page.click('#console');
      await settle(page);
      const clicked = [await stateOf(page), await output(page)];
      await page.keyboard.press('Enter');
      await page.waitForFunction(() => window.simeq.state === 'input');
      return [[kept, clicked, await output(page)],
        [kept.map(() => false), ['ended', read('driver_choice_3', 'out')], prompt]];
    } },
  { name: 'a link opened in the tab while a run is going starts afresh, and says so',
    async run(page) {
      await page.keyboard.type('2');
      await page.keyboard.press('Enter');
      await settle(page);
      await page.evaluate(() => { location.hash = 'input=3,&end'; });
      await page.waitForFunction(() => window.simeq.state === 'key');
      return [[await output(page), /new link/.test(await page.textContent('#status'))],
        [read('driver_choice_3', 'out'), true]];
    } },
  { name: 'at least 100 columns in a wide window',
    async run(page) {
      return [await page.evaluate(() => window.simeq.columns >= 100), true];
    } },
  { name: 'Ctrl+C with text selected copies and interrupts nothing',
    async run(page) {
      await page.evaluate(() => getSelection()
        .selectAllChildren(document.getElementById('console')));
      await page.keyboard.press('Control+C');
      await settle(page);
      const copied = await page.evaluate(() => navigator.clipboard.readText());
      return [[await stateOf(page), copied.startsWith(prompt)], ['input', true]];
    } },
  { name: 'Tab leaves the line, and at the closing wait reaches every button, which go on',
    async run(page) {
      await page.keyboard.type('3');
      await page.keyboard.press('Tab');
      const left = await page.evaluate(() => document.activeElement.id);
      await page.click('#console');
      await page.keyboard.press('Enter');
      await settle(page);
      const reached = [];
      for (let i = 0; i < 5; i++) {
        await page.keyboard.press('Tab');
        reached.push(await page.evaluate(() => document.activeElement.id));
      }
      return [[left === 'line', reached, await stateOf(page)],
        [false, ['key-button', 'save', 'copy', 'print', 'copy-link'], 'key']];
    } },
  { name: 'Save at the closing wait downloads the output, and Copy after the end copies it',
    keeping: true,
    async run(page) {
      await eliminationRun(page);
      const saved = await downloaded(page, '#save');
      const waiting = await stateOf(page);
      await page.keyboard.press('q');
      await page.click('#copy');
      await page.waitForFunction(() =>
        /clipboard/.test(document.getElementById('status').textContent));
      const copied = await page.evaluate(() => navigator.clipboard.readText());
      const expected = read('elimination_basic', 'out');
      return [[saved === expected, waiting, copied === expected], [true, 'key', true]];
    } },
  { name: 'the printed page holds every line of the working and the graph, and no button',
    keeping: true,
    async run(page) {
      await eliminationRun(page);
      const working = await screenText(page);
      const text = await printed(page);
      const bare = (t) => t.replace(/\s+/g, '');
      return [[bare(text).startsWith(bare(working)),
        text.includes('Eq-1 and Eq-2 meet at x = 2, y = 3'), /Eq-1: 2x \+ 3y = +13/.test(text),
        /Save|Copy|Press a key|Run again/.test(text)],
      [true, true, true, false]];
    } },
  { name: 'a link types its run into a fresh page, which stops at the closing wait', keeping: true,
    async run(page, context) {
      const runs = [[read('elimination_basic', 'in'), 'elimination_basic'], ['', 'driver_empty'],
        ['2\t2 3\n13\t4\n-1 5\n', 'elimination_basic']];
      const results = [];
      for (const [input, name] of runs) {
        await page.reload();
        await page.waitForFunction(() => window.simeq.state === 'input');
        await paste(page, input);
        if (input === '') await page.keyboard.press('Control+D');
        await page.waitForFunction(() => window.simeq.state === 'key');
        const link = await page.evaluate(() => window.simeq.link());
        const opened = await open(context, link);
        await opened.waitForFunction(() => window.simeq.state === 'key');
        results.push([link.length - link.indexOf('#') <= 40,
          (await output(opened)) === read(name, 'out')]);
        await opened.close();
      }
      return [results, runs.map(() => [true, true])];
    } },
  { name: 'a broken or hostile link runs nothing of its own and says so', keeping: true,
    async run(page, context) {
      const results = [];
      for (const fragment of hostileFragments) {
        const opened = await open(context, `${page.url()}#${fragment}`);
        await opened.waitForFunction(() => window.simeq.state === 'input');
        results.push([await output(opened) === prompt, await opened.title() !== '1',
          /does not hold a run/.test(await opened.textContent('#status'))]);
        await opened.close();
      }
      return [results, hostileFragments.map(() => [true, true, true])];
    } },
];

// The situations, or with `keepingOnly` those that keep or share the working, and the phone.
async function situationRuns(url, keepingOnly) {
  const context = await newContext({ acceptDownloads: true });
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  for (const situation of situations.filter((row) => row.keeping || !keepingOnly)) {
    const page = await open(context, url);
    await page.click('#console');
    const [actual, expected] = await situation.run(page, context);
    check(`situation: ${situation.name}`, JSON.stringify(actual) === JSON.stringify(expected),
      `expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`);
    await page.close();
  }
  // A phone: touch, 390 px wide, lines typed into the field at the prompt (plain: no
  // autocorrect, capitals or spell check), the working kept by Save, Copy, Print and a link;
  // at the closing wait a drag that selects is no key press and a tap is, and after the end a
  // tap starts nothing.
  const phone = await newContext({ viewport: { width: 390, height: 844 },
    deviceScaleFactor: 3, isMobile: true, hasTouch: true, acceptDownloads: true });
  await phone.grantPermissions(['clipboard-read', 'clipboard-write']);
  const page = await open(phone, url);
  const input = read('elimination_basic', 'in');
  await page.tap('#line');
  await typeInput(page, input, async (line) => {
    await page.keyboard.type(line);
    await page.keyboard.press('Enter');
  }, async () => {});
  const layout = await page.evaluate(() => {
    const field = document.getElementById('line');
    const working = document.getElementById('console');
    return {
      plain: ['autocorrect', 'autocapitalize', 'spellcheck'].map((a) => field.getAttribute(a)),
      fits: working.scrollWidth <= working.clientWidth &&
        working.getBoundingClientRect().right <= 390,
      font: parseFloat(getComputedStyle(working).fontSize) >= 13,
      button: !document.getElementById('key-button').hidden,
      link: /#input=2,2,3,13,4,-1,5,&end$/.test(window.simeq.link()),
    };
  });
  const expectedOutput = read('elimination_basic', 'out');
  const saved = await downloaded(page, '#save');
  await page.tap('#copy');
  await page.waitForFunction(() => /clipboard/.test(document.getElementById('status').textContent));
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  const working = await screenText(page);
  const text = await printed(page);
  const bare = (t) => t.replace(/\s+/g, '');
  const box = await page.locator('#console').boundingBox();
  await page.mouse.move(box.x + 10, box.y + 10);
  await page.mouse.down();
  await page.mouse.move(box.x + 200, box.y + 60, { steps: 5 });
  await page.mouse.up();
  const selecting = await stateOf(page);
  await page.evaluate(() => getSelection().removeAllRanges());
  await page.tap('#console');
  await page.waitForFunction(() => window.simeq.state === 'ended');
  await page.tap('#console');
  await settle(page);
  const kept = {
    saved: saved === expectedOutput, copied: copied === expectedOutput,
    printed: bare(text).startsWith(bare(working)) &&
      text.includes('Eq-1 and Eq-2 meet at x = 2, y = 3'),
    selecting, after: await stateOf(page),
  };
  const actual = [await output(page), kept, layout];
  const expected = [expectedOutput,
    { saved: true, copied: true, printed: true, selecting: 'key', after: 'ended' },
    { plain: ['off', 'none', 'false'], fits: true, font: true, button: true, link: true }];
  check('situation: a phone, through the field, Save, Copy, Print, the link and taps',
    JSON.stringify(actual) === JSON.stringify(expected),
    `expected ${JSON.stringify(expected.slice(1))}, got ${JSON.stringify(actual.slice(1))}; ` +
    difference(expected[0], actual[0]));
  await phone.close();
  await context.close();
}

// Systems typed into the page (the menu choice, then the six numbers), and
// what the graph then holds: the lines [label, a, b, c], the point [x, y]
// or null, and the caption. The view must be finite and hold the point and
// where each line crosses the axes.
const systems = [
  { input: '2 2 3 13 4 -1 5', lines: [['Eq-1', 2, 3, 13], ['Eq-2', 4, -1, 5]], point: [2, 3],
    caption: 'Eq-1 and Eq-2 meet at x = 2, y = 3' },
  { input: '1 2 3 13 4 -1 5', lines: [['Eq-1', 2, 3, 13], ['Eq-2', 4, -1, 5]], point: [2, 3],
    caption: 'Eq-1 and Eq-2 meet at x = 2, y = 3' },
  { input: '2 1 1 2 1 1 3', lines: [['Eq-1', 1, 1, 2], ['Eq-2', 1, 1, 3]], point: null,
    caption: 'The lines are parallel: they have no point in common' },
  { input: '1 1 2 3 2 4 6', lines: [['Eq-1 and Eq-2', 1, 2, 3]], point: null,
    caption: 'Both equations describe the same line: every point on it solves the system' },
  { input: '1 1 0 -2.5 0 4 3', lines: [['Eq-1', 1, 0, -2.5], ['Eq-2', 0, 4, 3]],
    point: [-2.5, 0.75],
    caption: 'Eq-1 and Eq-2 meet at x = -2.5, y = 0.75' },
  { input: '2 0 0 5 1 1 2', lines: [['Eq-2', 1, 1, 2]], point: null,
    caption: 'Eq-1 (0x + 0y =  5) holds for no point, so it draws no line; ' +
      'the system has no solution' },
  { input: '1 1234567 0.00001 999999.5 1e100 -2.5e-5 0.0001',
    lines: [['Eq-1', 1234570, 0.00001, 1000000], ['Eq-2', 1e100, -0.000025, 0.0001]],
    point: [2.5e-94, 9.99999e10],
    caption: 'Eq-1 and Eq-2 meet at x = 2.5e-094, y = 9.99999e+010' },
  { input: '1 1e308 -1.5e308 1e308 3e307 2e307 -1.7e308',
    lines: [['Eq-1', 1e308, -1.5e308, 1e308], ['Eq-2', 3e307, 2e307, -1.7e308]], point: null,
    caption: 'Eq-1 and Eq-2 cross, but the working gives x = -1.#IND, y = -1.#IND, ' +
      'so no point is marked' },
];

// What is wrong with the view, if anything: not finite, or missing a point it must hold.
function viewFault(view, lines, point) {
  const { xmin, xmax, ymin, ymax } = view || {};
  if (![xmin, xmax, ymin, ymax].every(Number.isFinite) || !(xmin < xmax && ymin < ymax)) {
    return 'not finite';
  }
  const held = lines.flatMap(([, a, b, c]) => [a && [c / a, 0], b && [0, c / b]])
    .concat(point ? [point] : []).filter((p) => p && p.every(Number.isFinite));
  const out = held.find(([x, y]) => x < xmin || x > xmax || y < ymin || y > ymax);
  return out ? `misses ${out}` : '';
}

// One page, one run after another: each new run must start with no graph.
async function systemRuns(url, screenshot) {
  const context = await newContext({ viewport: { width: 1100, height: 600 } });
  const page = await open(context, url);
  const shown = () => page.evaluate(() => {
    const svg = document.querySelector('#graph svg');
    return {
      graph: window.simeq.graph(),
      visible: !!svg && svg.getBoundingClientRect().width > 0,
      caption: svg ? document.querySelector('#graph figcaption').textContent : null,
      description: svg ?
        (document.getElementById(svg.getAttribute('aria-describedby')) || {}).textContent : null,
    };
  });
  await page.click('#console');
  for (const [i, system] of systems.entries()) {
    if (i > 0) {
      await page.keyboard.press('q');
      await page.waitForFunction(() => window.simeq.state === 'ended');
      await page.keyboard.press('z');
      await page.waitForFunction(() => window.simeq.state === 'input');
    }
    const before = await shown();
    for (const line of system.input.split(' ')) {
      await page.keyboard.type(line);
      await page.keyboard.press('Enter');
    }
    await page.waitForFunction(() => window.simeq.state === 'key');
    const { graph, visible, caption, description } = await shown();
    const lines = graph.lines.map(({ label, a, b, c }) => [label, a, b, c]);
    const point = graph.point && [graph.point.x, graph.point.y];
    const actual = {
      lines, point, caption: graph.caption, visible, shownCaption: caption, description,
      view: viewFault(graph.view, lines, point),
      before: [before.graph.lines.length, before.graph.point, before.visible],
    };
    const expected = {
      lines: system.lines, point: system.point, caption: system.caption, visible: true,
      shownCaption: system.caption, description: system.caption, view: '', before: [0, null, false],
    };
    check(`graph: ${system.input}`, JSON.stringify(actual) === JSON.stringify(expected),
      `expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`);
    if (i === 0 && screenshot) await savePageImage(page, screenshot);
  }
  await context.close();
}

// The rows of what the page promises beyond its runs (served_rows.js).
async function servedRuns(url) {
  const t = {
    url, site, modules, open, newContext,
    // Types `input` line by line, into the working or on a phone into the
    // field, until the closing wait.
    async untilKeyWait(page, input) {
      const touch = await page.evaluate(() => matchMedia('(pointer: coarse)').matches);
      await (touch ? page.tap('#line') : page.click('#console'));
      await typeInput(page, input, async (line) => {
        await page.keyboard.type(line);
        await page.keyboard.press('Enter');
      }, async () => {});
      await page.waitForFunction(() => window.simeq.state === 'key');
    },
    // The key press at the closing wait: a key, or on a phone a tap on the working.
    async pressKey(page) {
      const touch = await page.evaluate(() => matchMedia('(pointer: coarse)').matches);
      await (touch ? page.tap('#console') : page.keyboard.press('q'));
    },
    tabOrder: {
      key: ['#console', '#key-button', '#save', '#copy', '#print', '#copy-link', '#graph'],
      ended: ['#console', '#save', '#copy', '#print', '#copy-link', '#again', '#graph'],
    },
  };
  for (const row of servedRows.filter((row) => !row.http || origin === 'http')) {
    const [actual, expected] = await row.run(t);
    check(`${origin}: ${row.name}`, JSON.stringify(actual) === JSON.stringify(expected),
      `expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`);
  }
}

(async () => {
  browser = await launchChromium(modules);
  const server = origin === 'http' ? await serve(site) : null;
  const url = server ? server.base + 'index.html' :
    pathToFileURL(path.join(site, 'index.html')).href;
  try {
    await transcriptRuns(url);
    await servedRuns(url);
    await situationRuns(url, !flags.includes('--situations'));
    if (flags.includes('--situations')) {
      const at = flags.indexOf('--screenshot');
      await systemRuns(url, at >= 0 ? flags[at + 1] : null);
    }
    check(`${origin}: no page broke its policy`, violations.length === 0, violations.join('; '));
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
