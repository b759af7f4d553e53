// Drives the firmware page (firmware.html) in headless Chromium from file://,
// by its fields' names and its 生成 buttons, and holds every file it offers
// to what the native gbkhex-cli writes with the same options, given fonts of
// the same names, byte for byte but for the header's first comment; and its
// messages, in the browser's language, to the CLI's under the matching locale.

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, siteDir } from '../../harness/web/browser.mjs';

const cli = path.resolve(process.env.GBKHEX_NATIVE_CLI ?? 'build/release/cli/gbkhex-cli');
const pageUrl = pathToFileURL(path.join(siteDir, 'firmware.html')).href;
const unifont = '/usr/share/fonts/opentype/unifont/unifont.otf';
const wenquanyi = '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc';
const notAFont = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'gbkhex-font-')), 'notes.ttf');
fs.writeFileSync(notAFont, 'not a font');
const table = 'TITLE = 欢迎使用\nMENU = "设置\\n"\n# 注释\nEXIT = 退出 Exit\n';
const text = '汉字取模 Glyphs，１２３';

// Each case: the form, its fields by name (a checkbox by true), the fonts
// picked, and the command line that the same options make; the browser's
// language where not en-US. The input files are named as the page names its
// texts in messages: table, text.
const scans = ['rows', 'columns', 'pages', 'tiles'];
const cases = [
  {
    what: 'a string table with --source, --type and --include',
    form: 'table-form',
    fields: { table, type: 'const char', include: 'avr/pgmspace.h\n"board.h"', source: 'strings.c' },
    args: ['--table', '--type', 'const char', '--include', 'avr/pgmspace.h', '--include',
      '"board.h"', '-o', 'strings.h', '--source', 'strings.c', 'table'],
  },
  {
    what: 'a string table as literals, each entry ending in 00, in GB 2312',
    form: 'table-form',
    fields: { table, format: 'string', nul: true, charset: 'gb2312', output: 'texts.h' },
    args: ['--table', '--format', 'string', '--nul', '--charset', 'gb2312', '-o', 'texts.h',
      'table'],
  },
  ...['1', '4'].flatMap((bpp) => scans.filter((scan) => bpp === '1' || ['rows', 'columns'].includes(scan))
    .flatMap((scan) => [
      {
        what: `glyphs of GNU Unifont, ${bpp} bpp, --scan ${scan}`,
        form: 'glyphs-form',
        fields: { text, glyphs: 'uni', bpp, scan, image: 'uni.bin', preview: 'uni.png', 'bit-order': 'lsb' },
        fonts: [unifont],
        args: ['--glyphs', 'uni', '--font', 'unifont.otf', '--bpp', bpp, '--scan', scan, '--bit-order',
          'lsb', '--size', '16', '--image', 'uni.bin', '--preview', 'uni.png', '-o', 'uni.h', 'text'],
      },
      {
        what: `glyphs of WenQuanYi Micro Hei, ${bpp} bpp, --scan ${scan}`,
        form: 'glyphs-form',
        fields: { text, glyphs: 'hei', bpp, scan, size: '24', clip: true, invert: true, source: 'hei.c',
          type: 'const uint8_t', attribute: 'PROGMEM', include: 'avr/pgmspace.h' },
        fonts: [wenquanyi],
        args: ['--glyphs', 'hei', '--font', 'wqy-microhei.ttc', '--bpp', bpp, '--scan', scan,
          '--size', '24', '--clip', '--invert', '--type', 'const uint8_t', '--attribute', 'PROGMEM',
          '--include', 'avr/pgmspace.h', '-o', 'hei.h', '--source', 'hei.c', 'text'],
      },
    ])),
  {
    what: 'glyphs from a fallback font and a narrow font, each at its em (--fit, --narrow-em)',
    form: 'glyphs-form',
    fields: { text, glyphs: 'mixed', size: '16', fit: true, 'narrow-em': '12', 'narrow-face': '0',
      baseline: '13' },
    fonts: [wenquanyi, unifont],
    narrowFont: unifont,
    args: ['--glyphs', 'mixed', '--font', 'wqy-microhei.ttc', '--font', 'unifont.otf', '--size', '16',
      '--fit', '--narrow-font', 'unifont.otf', '--narrow-face', '0', '--narrow-em', '12', '--baseline',
      '13', '-o', 'mixed.h', 'text'],
  },
  {
    what: 'a whole GB 2312 image at 16 px, 1 bpp, from WenQuanYi Micro Hei',
    form: 'glyphs-form',
    fields: { glyphs: 'gb2312', whole: 'gb2312', fit: true, image: 'gb2312.bin' },
    fonts: [wenquanyi],
    args: ['--glyphs', 'gb2312', '--font', 'wqy-microhei.ttc', '--whole', 'gb2312', '--fit',
      '--size', '16', '--image', 'gb2312.bin', '-o', 'gb2312.h'],
  },
  {
    what: 'a fault of the input: each character with its place, no file offered',
    form: 'glyphs-form',
    fault: true,
    fields: { text: 'Wide Hello 你好', glyphs: 'cut' },
    fonts: [wenquanyi],
    args: ['--glyphs', 'cut', '--font', 'wqy-microhei.ttc', '--size', '16', '-o', 'cut.h', 'text'],
  },
  {
    what: '--narrow-face without a narrow font, refused in English under zh-TW',
    form: 'glyphs-form',
    language: 'zh-TW',
    fault: true,
    fields: { text, glyphs: 'narrow', 'narrow-face': '1' },
    fonts: [wenquanyi],
    args: ['--glyphs', 'narrow', '--font', 'wqy-microhei.ttc', '--narrow-face', '1', '-o',
      'narrow.h', 'text'],
  },
  {
    what: 'a file that is no font',
    form: 'glyphs-form',
    fault: true,
    fields: { text, glyphs: 'notes' },
    fonts: [notAFont],
    args: ['--glyphs', 'notes', '--font', 'notes.ttf', '--size', '16', '-o', 'notes.h', 'text'],
  },
  {
    what: 'a value that the options refuse',
    form: 'table-form',
    fault: true,
    fields: { table, type: 'const char*', source: 'strings.h' },
    args: ['--table', '--type', 'const char*', '-o', 'strings.h', '--source', 'strings.h', 'table'],
  },
];
// A fault of the input and a refused value again in a Chinese browser, as
// gbkhex-cli reports them under zh_CN.UTF-8.
cases.push(...cases.filter((c) => ['a fault of the input', 'a value that the options refuse']
  .some((what) => c.what.startsWith(what)))
  .map((c) => ({ ...c, what: `${c.what}, in Chinese`, language: 'zh-CN' })));

// The locale under which gbkhex-cli speaks as the page does in each browser language.
const cliLocales = { 'en-US': 'C', 'zh-CN': 'zh_CN.UTF-8', 'zh-TW': 'zh_TW.UTF-8' };

// The header's first comment names the program that wrote it.
const withoutFirstComment = (bytes) => bytes.toString('latin1').replace(/^\/\*[\s\S]*?\*\/\n/, '');

// What the CLI writes in a folder of its own: its files, and its standard error.
function runCli(c) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'gbkhex-page-'));
  fs.writeFileSync(path.join(dir, 'table'), c.fields.table ?? '');
  fs.writeFileSync(path.join(dir, 'text'), c.fields.text ?? '');
  for (const font of [...(c.fonts ?? []), c.narrowFont].filter(Boolean)) {
    fs.rmSync(path.join(dir, path.basename(font)), { force: true });
    fs.symlinkSync(font, path.join(dir, path.basename(font)));
  }
  const before = new Set(fs.readdirSync(dir));
  const locale = cliLocales[c.language ?? 'en-US'];
  const run = spawnSync(cli, c.args,
    { cwd: dir, env: { ...process.env, LANGUAGE: '', LANG: locale, LC_ALL: locale } });
  const files = Object.fromEntries(fs.readdirSync(dir).filter((name) => !before.has(name))
    .map((name) => [name, fs.readFileSync(path.join(dir, name))]));
  fs.rmSync(dir, { recursive: true });
  return { status: run.status, stderr: run.stderr.toString(), files };
}

let browser;
let page;
const pages = new Map();  // browser language -> the page opened in it
const requests = [];
const errors = [];

async function open(language) {
  const context = await browser.newContext({ acceptDownloads: true, locale: language });
  const opened = await context.newPage();
  opened.on('request', (request) => requests.push(request.url()));
  opened.on('pageerror', (error) => errors.push(String(error)));
  await opened.goto(pageUrl);
  await opened.waitForFunction(() => document.body.dataset.ready === 'true');
  assert.equal(await opened.evaluate(() => navigator.languages[0]), language);
  pages.set(language, opened);
  return opened;
}

before(async () => {
  browser = await launch();
  page = await open('en-US');
});
after(() => {
  fs.rmSync(path.dirname(notAFont), { recursive: true });
  return browser?.close();
});

// Fills the form's fields by name: each field not given goes back to its default.
async function fill(c) {
  await page.evaluate(({ form, fields }) => {
    const element = document.getElementById(form);
    element.reset();
    for (const [name, value] of Object.entries(fields)) {
      const field = element.elements[name];
      if (field.type === 'checkbox') field.checked = value;
      else field.value = value;
      field.dispatchEvent(new Event(field.tagName === 'SELECT' ? 'change' : 'input', { bubbles: true }));
    }
    element.elements.whole?.dispatchEvent(new Event('change'));
  }, c);
  const form = page.locator(`#${c.form}`);
  const fonts = c.fonts ?? [];
  if (c.form === 'glyphs-form') {
    while (await form.locator('input[name=font]').count() < fonts.length) {
      await form.locator('button.more-fonts').click();
    }
    const inputs = form.locator('input[name=font]');
    for (let i = 0; i < await inputs.count(); ++i) await inputs.nth(i).setInputFiles(fonts[i] ?? []);
    await form.locator('input[name="narrow-font"]').setInputFiles(c.narrowFont ?? []);
  }
}

// Presses 生成 and waits for the result: the page's files as it offers them
// for download, its messages, and the header that it shows.
async function generate(c) {
  const form = page.locator(`#${c.form}`);
  await form.evaluate((element) => { element.dataset.state = ''; });
  const started = Date.now();
  await form.getByRole('button', { name: '生成' }).click();
  await page.waitForFunction((id) => document.getElementById(id).dataset.state === 'done', c.form,
    { timeout: 60_000 });
  const files = {};
  const links = form.locator('a[download]');
  for (let i = 0; i < await links.count(); ++i) {
    const [download] = await Promise.all([page.waitForEvent('download'), links.nth(i).click()]);
    files[download.suggestedFilename()] = fs.readFileSync(await download.path());
  }
  return {
    files,
    messages: await form.locator('.messages').textContent(),
    header: await form.locator('textarea.header').inputValue(),
    canvas: await page.locator('#glyphs-form canvas.glyphs')
      .evaluate((canvas) => [canvas.width, canvas.height]),
    milliseconds: Date.now() - started,
  };
}

test('all of build/web/, both pages, weighs under 2 MB', () => {
  const bytes = fs.readdirSync(siteDir)
    .reduce((sum, file) => sum + fs.statSync(path.join(siteDir, file)).size, 0);
  assert.ok(bytes < 2_000_000, `${bytes} bytes`);
});

test('every field has a label, and each part a button 生成', async () => {
  const unlabelled = await page.evaluate(() => [...document.querySelectorAll('input, select, textarea')]
    .filter((field) => field.labels.length === 0).map((field) => field.name || field.id));
  assert.deepEqual(unlabelled, []);
  for (const form of ['#table-form', '#glyphs-form']) {
    assert.equal(await page.locator(form).getByRole('button', { name: '生成' }).count(), 1);
  }
});

test('every file that the page offers is the one that gbkhex-cli writes', async (t) => {
  for (const c of cases) {
    await t.test(c.what, async () => {
      page = pages.get(c.language ?? 'en-US') ?? await open(c.language);
      await fill(c);
      const shown = await generate(c);
      const expected = runCli(c);
      assert.equal(shown.messages, expected.stderr.split('\n')[0] === '' ? '' :
        expected.status === 2 ? expected.stderr.split('\n')[0] + '\n' : expected.stderr, 'messages');
      assert.deepEqual(Object.keys(shown.files).sort(), Object.keys(expected.files).sort(), 'files');
      if (c.fault) assert.ok(shown.messages !== '' && Object.keys(shown.files).length === 0, 'a fault');
      for (const [name, bytes] of Object.entries(expected.files)) {
        const same = /\.[hc]$/.test(name)
          ? withoutFirstComment(shown.files[name]) === withoutFirstComment(bytes)
          : shown.files[name].equals(bytes);
        assert.ok(same, `${name} differs from the CLI's`);
      }
      const header = c.args[c.args.indexOf('-o') + 1];
      // A textarea holds its line breaks as LF.
      const headerText = expected.files[header]?.toString('utf8').replaceAll('\r\n', '\n') ?? '';
      assert.equal(shown.header, headerText, 'the header shown');
      const png = Object.keys(expected.files).find((name) => name.endsWith('.png'));
      if (png) {
        const size = [expected.files[png].readUInt32BE(16), expected.files[png].readUInt32BE(20)];
        assert.deepEqual(shown.canvas, size, 'the canvas holds the preview at 1:1');
      }
      if (c.fields.whole) console.log(`# whole GB 2312 image in the page: ${shown.milliseconds} ms`);
    });
  }
  const own = new URL('.', pageUrl).href;
  assert.deepEqual(requests.filter((url) => !url.startsWith(own) && !url.startsWith('blob:')), [],
    'requests beyond file://');
  assert.deepEqual(errors, [], 'errors in the page');
});
