// The program's WebAssembly module, which the page carries in base64
// (simeqWasm: the site's build puts it before this file in simeq.js, and
// emscripten's loader after it; hence 'use strict' inside). It is compiled
// once, by the first run, and every run makes an instance of it,
// through emscripten's instantiateWasm hook. Compiling it takes about a
// millisecond (chromium compiles each function when it is first called),
// less than the main thread's own share of an asynchronous compilation, so
// it is done at once.

// Instantiates the module with a run's `imports` and hands the instance to
// emscripten's `receive`, at once.
const simeqInstantiate = (() => {
  'use strict';
  let bytes = null;
  if (Uint8Array.fromBase64) {
    bytes = Uint8Array.fromBase64(simeqWasm);
  } else {
    const text = atob(simeqWasm);
    bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  }
  let compiled = null;
  return (imports, receive) => {
    compiled = compiled || new WebAssembly.Module(bytes);
    const instance = new WebAssembly.Instance(compiled, imports);
    receive(instance);
    return instance.exports;
  };
})();
