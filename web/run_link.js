'use strict';

// A run's typed input as a link's fragment, short and readable: "input=2,2,3,13,4,-1,5,&end".
// Each newline is a comma and each blank an underscore; letters, digits and . + - stand as
// they are; every other byte of the input's UTF-8 is %XX. The fragment ends in "&end", or in
// "&eof" where the input ended with end of input (Ctrl+D), so a link cut short is told apart.
// Nothing else is a run: anything that does not read back exactly is refused whole.

// The longest fragment made or read, in characters: links stay short enough to pass through
// mail and chat, and a hostile one is refused before any work.
const runLinkLimit = 2000;

// The fragment (without '#') for `text` typed, with end of input if `end`; null when it would
// be longer than runLinkLimit.
function encodeRun({ text, end }) {
  let encoded = '';
  for (const byte of new TextEncoder().encode(text)) {
    const c = String.fromCharCode(byte);
    if (c === '\n') encoded += ',';
    else if (c === ' ') encoded += '_';
    else if (/[A-Za-z0-9.+-]/.test(c)) encoded += c;
    else encoded += '%' + byte.toString(16).toUpperCase().padStart(2, '0');
    if (encoded.length > runLinkLimit) return null;
  }
  const fragment = `input=${encoded}&${end ? 'eof' : 'end'}`;
  return fragment.length <= runLinkLimit ? fragment : null;
}

// What `fragment` (with or without its '#') says was typed, { text, end }, or null if it is not
// a run: too long, cut short, broken %XX, not UTF-8, or characters nobody can type in a line.
function decodeRun(fragment) {
  const hash = fragment.startsWith('#') ? fragment.slice(1) : fragment;
  if (hash.length > runLinkLimit) return null;
  const parts = /^input=((?:[A-Za-z0-9.+,_-]|%[0-9A-Fa-f]{2})*)&(end|eof)$/.exec(hash);
  if (!parts) return null;
  const bytes = [];
  for (const piece of parts[1].match(/%..|[^%]/g) || []) {
    if (piece === ',') bytes.push(10);
    else if (piece === '_') bytes.push(32);
    else if (piece[0] === '%') bytes.push(parseInt(piece.slice(1), 16));
    else bytes.push(piece.charCodeAt(0));
  }
  const text = new TextDecoder().decode(new Uint8Array(bytes));
  const again = new TextEncoder().encode(text);  // differs where the bytes were not UTF-8
  if (again.length !== bytes.length || again.some((byte, i) => byte !== bytes[i])) return null;
  if (/[^\t\n\x20-\x7e\xa0-\u{10ffff}]/u.test(text)) return null;
  return { text, end: parts[2] === 'eof' };
}

if (typeof module !== 'undefined') module.exports = { runLinkLimit, encodeRun, decodeRun };
