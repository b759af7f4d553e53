// Writes the worker's script as one JavaScript string for the page to start
// from a Blob URL: node bundle_worker.mjs MODULE.js WORKER.js OUT.js.
import { readFileSync, writeFileSync } from 'node:fs';

const [moduleScript, workerScript, out] = process.argv.slice(2);
const source = readFileSync(moduleScript, 'utf8') + '\n' + readFileSync(workerScript, 'utf8');
writeFileSync(out, `var gbkhexFirmwareWorker = ${JSON.stringify(source)};\n`);
