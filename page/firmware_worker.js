// The worker's own code, after the module's loader. Its first message is the
// module, gzip-compressed, and the browser's language; each one after it a
// request of the page, run in turn and answered with its result and how long
// the run took.
var firmware = null;
var compressedModule = null;
var language = '';

function readFont(file) {
  return file.arrayBuffer().then(function (buffer) {
    return { name: file.name, bytes: new Uint8Array(buffer) };
  });
}

function instantiate(compressed) {
  var stream = new Blob([compressed]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Response(stream).arrayBuffer().then(function (wasm) {
    return createGbkhexFirmware({ wasm: new Uint8Array(wasm) });
  }).then(function (module) {
    module.setLanguage(language);
    return module;
  });
}

// The requests run one after another, so that the answers come in order.
var queue = Promise.resolve();

function answer(request) {
  var started = performance.now();
  // Inside the chain, so that a font that cannot be read is answered too.
  return Promise.resolve().then(function () {
    return Promise.all([
      firmware,
      Promise.all(request.fonts.map(readFont)),
      request.narrowFont ? readFont(request.narrowFont) : null,
    ]);
  }).then(function (loaded) {
    var result = loaded[0].run(request.part, request.fields, loaded[1], loaded[2]);
    result.milliseconds = performance.now() - started;
    var transfers = result.files.map(function (file) { return file.bytes.buffer; });
    transfers.push(result.picture.buffer);
    postMessage(result, transfers);
  }).catch(function (error) {
    // A module that stopped part-way (out of memory, say) starts afresh.
    firmware = instantiate(compressedModule);
    return firmware.then(function (module) {
      postMessage({
        status: 1, messages: module.stoppedMessage(String(error)), files: [],
        picture: new Uint8Array(0),
      });
    });
  }).catch(function (error) {
    // No module to word it: the browser's own words, so that the page never waits.
    postMessage({ status: 1, messages: String(error), files: [], picture: new Uint8Array(0) });
  });
}

onmessage = function (event) {
  if (firmware === null) {
    compressedModule = event.data.module;
    language = event.data.language;
    firmware = instantiate(compressedModule);
    return;
  }
  queue = queue.then(answer.bind(null, event.data));
};
