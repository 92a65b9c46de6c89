'use strict';

// The working as text in the page: #console holds what the program writes and the echo of typed
// lines, as ordinary text (a polite log for screen readers), with the line being typed at its
// end in a native text field (#line, in its form). The first screen stands in the page as static
// text before the program runs; the program's first writes confirm it instead of adding to it.
// What the person does goes to `handler`: enter(line), endOfInput(line), paste(text) (returns
// the unfinished line), interrupt(), key(code, fresh) (true if taken; `fresh` when the key may
// start a new run after the end), typing() (true while a line is being typed).

// Makes the console of `element`, whose last child is the line's form; `touch` for a phone,
// where a tap on the working is the key press at the closing wait.
function createConsole(element, handler, touch) {
  const form = element.querySelector('form');
  const field = form.querySelector('input');
  const first = element.firstChild;
  let unconfirmed = first && first.nodeType === Node.TEXT_NODE ? first.data : '';
  let pending = '';  // text not yet in the page: it is added once the program pauses

  // Text selected in the page or in the field.
  const selected = () => String(getSelection()) !== '' ||
    field.selectionStart !== field.selectionEnd;
  // The fields of a key event that say which key it is.
  const keysOf = (event) => ({ key: event.key, ctrlKey: event.ctrlKey, metaKey: event.metaKey,
    altKey: event.altKey, selected: selected() });

  function flush() {
    if (!pending) return;
    element.insertBefore(document.createTextNode(pending), form);
    pending = '';
    element.scrollTop = element.scrollHeight;
  }

  function add(text) {
    if (!pending) queueMicrotask(flush);
    pending += text;
  }

  // The submit button keeps Enter from sending the form away before this script has run.
  form.querySelector('button').remove();
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    const line = field.value;
    field.value = '';
    handler.enter(line);
  });
  // Ctrl+C and Ctrl+D in the line, on the field or on the working around it.
  function lineKey(event) {
    const action = lineKeyAction(keysOf(event));
    if (!action) return false;
    event.preventDefault();
    if (action === 'interrupt') {
      handler.interrupt();
      return true;
    }
    const line = field.value;
    field.value = '';
    handler.endOfInput(line);
    return true;
  }
  field.addEventListener('keydown', lineKey);
  // The field would drop the line breaks of a pasted block: the lines are typed here instead.
  field.addEventListener('paste', (event) => {
    event.preventDefault();
    const text = event.clipboardData.getData('text/plain');
    const { value, selectionStart: start, selectionEnd: end } = field;
    const rest = handler.paste(value.slice(0, start) + text);
    field.value = rest + value.slice(end);
    field.setSelectionRange(rest.length, rest.length);
  });
  // Keys elsewhere than on a button or the field while a line is typed are the line's: Ctrl+C
  // and Ctrl+D act, Enter hands the line over, and characters, Backspace and Ctrl+V go to the
  // field. Otherwise only keys on the working itself (or on nothing) are the closing wait's key
  // press, or may start a new run after the end.
  document.addEventListener('keydown', (event) => {
    if (event.defaultPrevented || event.target.closest('button, input, a, summary')) return;
    const keys = keysOf(event);
    if (handler.typing() && !form.hidden) {
      if (lineKey(event)) return;
      const plain = !event.ctrlKey && !event.altKey && !event.metaKey;
      if (event.key === 'Enter' && plain) {
        event.preventDefault();
        form.requestSubmit();
      } else if (event.key === 'Backspace' && plain) {
        event.preventDefault();
        const { value, selectionStart: start, selectionEnd: end } = field;
        const from = start === end ? Math.max(0, start - 1) : start;
        field.value = value.slice(0, from) + value.slice(end);
        field.setSelectionRange(from, from);
      } else if (!typedCharacter(keys) &&
        !(event.ctrlKey && !event.altKey && event.key.toLowerCase() === 'v')) {
        return;
      }
      field.focus({ preventScroll: true });
      return;
    }
    if (event.target !== element && event.target !== document.body) return;
    const code = keyPressCode(keys);
    // A function key also does what the browser does with it (F5 reloads).
    if (code !== null && handler.key(code, startsRun(keys)) && !/^F\d+$/.test(event.key)) {
      event.preventDefault();
    }
  });
  // A tap or click (not one that ends a selection): on a phone the key press at the closing
  // wait; while a line is typed, the way into the field.
  element.addEventListener('click', () => {
    if (selected()) return;
    if (touch && handler.key(13, false)) return;
    if (handler.typing() && !form.hidden) field.focus({ preventScroll: true });
  });

  return {
    // Writes the program's `text`; the static first screen takes it as long as they agree.
    write(text) {
      if (unconfirmed) {
        const same = Math.min(text.length, unconfirmed.length);
        if (text.slice(0, same) === unconfirmed.slice(0, same)) {
          unconfirmed = unconfirmed.slice(same);
          text = text.slice(same);
        } else {  // not the screen the page expected: only what agreed stays
          first.data = first.data.slice(0, first.data.length - unconfirmed.length);
          unconfirmed = '';
        }
      }
      if (text) add(text);
    },

    // Shows typed `text` where it was typed.
    echo: add,

    // Empties the working for a new run.
    clear() {
      pending = '';
      unconfirmed = '';
      while (element.firstChild !== form) element.firstChild.remove();
    },

    // Shows the field (while a line may be typed) or hides it (at the closing wait and after),
    // and the end of the working.
    showLine(shown) {
      flush();
      if (form.hidden !== !shown) {
        const focused = document.activeElement === field;
        form.hidden = !shown;
        if (!shown) field.value = '';
        if (focused && !shown) element.focus({ preventScroll: true });
      }
      element.scrollTop = element.scrollHeight;
    },

    // Puts the focus on the line, or on the working when there is no line.
    focus() {
      (form.hidden ? element : field).focus({ preventScroll: true });
    },

    // How many characters fit on one line of the working.
    columns() {
      const probe = document.createElement('span');
      probe.setAttribute('aria-hidden', 'true');
      probe.textContent = '0'.repeat(100);
      element.insertBefore(probe, form);
      const width = probe.getBoundingClientRect().width / 100;
      probe.remove();
      const style = getComputedStyle(element);
      const room = element.clientWidth - parseFloat(style.paddingLeft) -
        parseFloat(style.paddingRight);
      return Math.floor(room / width);
    },
  };
}
