// Writes the worker for the page to start from a Blob URL, as two strings in
// one classic script (a page opened from file:// may fetch no file beside
// it): the worker's script (the module's loader, then the worker's own code),
// and the module, gzip-compressed, in base64, a third of its size.
// node bundle_worker.mjs MODULE.js MODULE.wasm WORKER.js OUT.js
import { readFileSync, writeFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';

const [loader, module, worker, out] = process.argv.slice(2);
const script = readFileSync(loader, 'utf8') + '\n' + readFileSync(worker, 'utf8');
const compressed = gzipSync(readFileSync(module), { level: 9 }).toString('base64');
writeFileSync(out, `var gbkhexFirmwareWorker = ${JSON.stringify(script)};\n` +
  `var gbkhexFirmwareModule = "${compressed}";\n`);
