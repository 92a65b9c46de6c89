'use strict';

// The graph of the two equations beside the terminal. This stand-in draws
// nothing; it keeps the page's side of the contract: the page calls reset()
// when a run starts and feed(text) with every piece of the program's output.

// Creates the graph in `container`.
function createGraph(container) {
  return {
    // Forgets the previous run.
    reset() {},
    // Takes the next piece of what the program wrote.
    feed(text) {},
    // What is drawn: the lines, the point where they meet, the view, the caption.
    model() {
      return { lines: [], point: null, view: null, caption: '' };
    },
  };
}
