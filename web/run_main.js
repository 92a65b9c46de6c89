// Linked into simeq.js (--post-js), inside the module: runMain() starts the
// program's main and resolves when main has returned, after however many
// waits, as ccall's async mode does (and without ccall's conversions).
Module['runMain'] = () => {
  _main();
  return Asyncify.currData ? Asyncify.whenDone() : Promise.resolve();
};
