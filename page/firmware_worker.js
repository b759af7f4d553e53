// The worker's own code, after the module's loader. Its first message is the
// module, gzip-compressed; each one after it a request of the page, run in
// turn and answered with its result and how long the run took.
var firmware = null;

function readFont(file) {
  return file.arrayBuffer().then(function (buffer) {
    return { name: file.name, bytes: new Uint8Array(buffer) };
  });
}

function instantiate(compressed) {
  var stream = new Blob([compressed]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Response(stream).arrayBuffer().then(function (wasm) {
    return createGbkhexFirmware({ wasm: new Uint8Array(wasm) });
  });
}

onmessage = function (event) {
  var request = event.data;
  if (firmware === null) {
    firmware = instantiate(request);
    return;
  }
  var started = performance.now();
  Promise.all([
    firmware,
    Promise.all(request.fonts.map(readFont)),
    request.narrowFont ? readFont(request.narrowFont) : null,
  ]).then(function (loaded) {
    var result = loaded[0].run(request.part, request.fields, loaded[1], loaded[2]);
    result.milliseconds = performance.now() - started;
    var transfers = result.files.map(function (file) { return file.bytes.buffer; });
    transfers.push(result.picture.buffer);
    postMessage(result, transfers);
  }).catch(function (error) {
    postMessage({ status: 1, messages: String(error), files: [], picture: new Uint8Array(0) });
  });
};
