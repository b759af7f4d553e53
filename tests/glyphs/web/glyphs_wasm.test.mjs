// The glyphs that the browser draws, held to the native build's byte for
// byte: glyph_dump compiled to WebAssembly (run by node with the machine's
// files) and natively, over every character of GBK in every byte layout that
// the depth allows, with the face's baseline, the lost pixels and the preview
// picture (FreeType, libpng and zlib as the browser has them).

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { promisify } from 'node:util';

const run = promisify(execFile);
const native = process.env.GBKHEX_NATIVE_GLYPH_DUMP ?? 'build/release/tests/glyphs/glyph_dump';
const wasm = process.env.GBKHEX_WASM_GLYPH_DUMP ?? 'build/web-cmake/tests/glyphs/web/glyph_dump.cjs';

const fonts = {
  'GNU Unifont': '/usr/share/fonts/opentype/unifont/unifont.otf',
  'WenQuanYi Micro Hei': '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc',
};
const layouts = {
  1: ['rows-msb', 'rows-lsb-invert', 'columns-msb', 'columns-lsb', 'pages-msb', 'pages-lsb-invert',
    'tiles-msb', 'tiles-lsb'],
  4: ['rows-msb', 'rows-lsb', 'columns-msb-invert', 'columns-lsb'],
};

// glyph_dump's printout and preview picture, from either build.
async function dump(command, font, bpp, preview) {
  const args = [font, '16', '--bpp', String(bpp), '--preview', preview, ...layouts[bpp]];
  const [file, ...rest] = command.endsWith('.cjs') ? [process.execPath, command] : [command];
  const { stdout } = await run(file, [...rest, ...args], { maxBuffer: 1 << 26 });
  return { printout: stdout, png: fs.readFileSync(preview) };
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'glyphs-wasm-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));

for (const [name, font] of Object.entries(fonts)) {
  for (const bpp of [1, 4]) {
    test(`${name} at 16 px, ${bpp} bpp: WebAssembly draws what the native build draws`, async () => {
      const stem = path.join(work, `${path.basename(font)}-${bpp}`);
      const [want, got] = await Promise.all([
        dump(native, font, bpp, `${stem}-native.png`),
        dump(wasm, font, bpp, `${stem}-wasm.png`),
      ]);
      const wantLines = want.printout.split('\n');
      const gotLines = got.printout.split('\n');
      // Tens of thousands of lines: the first that differs says more than a diff.
      const first = wantLines.findIndex((line, i) => line !== gotLines[i]);
      assert.equal(first, -1, `line ${first + 1}: ${gotLines[first]}, natively ${wantLines[first]}`);
      assert.equal(gotLines.length, wantLines.length);
      assert.ok(wantLines.length > 21000 * layouts[bpp].length, 'every GBK character was drawn');
      assert.ok(got.png.equals(want.png), 'the same preview picture');
    });
  }
}
