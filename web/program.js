'use strict';

// The program's WebAssembly module, which the page carries gzipped, in base64, in the data block
// #simeq-module (the site's build puts it there). It is unpacked and compiled once, when the
// first run starts, and every run makes an instance of it through emscripten's instantiateWasm
// hook, at once.
const simeqProgram = (() => {
  let compiled = null;

  async function compile() {
    const text = document.getElementById('simeq-module').textContent.trim();
    let packed = null;
    if (Uint8Array.fromBase64) {
      packed = Uint8Array.fromBase64(text);
    } else {
      const binary = atob(text);
      packed = new Uint8Array(binary.length);
      for (let i = 0; i < binary.length; i++) packed[i] = binary.charCodeAt(i);
    }
    const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
    compiled = await WebAssembly.compile(await new Response(stream).arrayBuffer());
  }
  let ready = null;

  return {
    // Resolves once the module is compiled.
    ready() {
      ready = ready || compile();
      return ready;
    },
    // Instantiates the compiled module with a run's `imports` and hands the instance to
    // emscripten's `receive`, at once.
    instantiate(imports, receive) {
      const instance = new WebAssembly.Instance(compiled, imports);
      receive(instance);
      return instance.exports;
    },
  };
})();
