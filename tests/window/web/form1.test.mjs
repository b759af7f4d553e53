// Drives the built page in headless Chromium with real key, mouse, clipboard
// and input-method events, and holds it to the native build: its conversion
// of every UTF-16 unit and its control table (tests/window/web/native_oracle.cpp).

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { launch, openForm, pageUrl, siteDir } from '../../../harness/web/browser.mjs';
import { serve } from '../../../tools/serve-web.mjs';

const oracle = process.env.GBKHEX_NATIVE_ORACLE ?? 'build/release/tests/window/web/native_oracle';
const sampleText = process.env.GBKHEX_SAMPLE_TEXT ?? 'build/release/harness/sample_text';
const unitsOutput = execFileSync(oracle, ['units'], { encoding: 'latin1', maxBuffer: 1 << 24 });
const unitTokens = unitsOutput.split('\n').slice(0, 0x10000);
const table = JSON.parse(execFileSync(oracle, ['controls'], { encoding: 'utf8' }));

// What Text2 shows for `text` typed into Text1, from the native conversion of
// each unit: line breaks reach the conversion as CR LF, and the C format's
// CR LFs show as line breaks.
function expected(text, format) {
  const units = text.replaceAll('\n', '\r\n');
  const bytes = [];
  for (let i = 0; i < units.length; ++i) {
    bytes.push(...unitTokens[units.charCodeAt(i)].trim().split(' '));
  }
  if (format === 'hex') return bytes.map((b) => `${b} `).join('');
  const c = bytes.map((b) => `0X${b},`).join('');
  return c.replace(/.{80}/g, '$&\n');
}

// Text1 is a textarea; Text2 is an editable block.
const value = (page, id) => page.$eval(`#${id}`, (box) => box.value ?? box.textContent);
const focused = (page) => page.evaluate(() => document.activeElement.id);
const format = (page) => page.evaluate(() => (form1.option1.checked ? 'hex' : 'c'));

async function assertText2Follows(page, what) {
  const input = await value(page, 'Text1');
  assert.equal(await value(page, 'Text2'), expected(input, await format(page)), what);
}

describe('the browser page', () => {
  let browser;
  let server;
  let context;

  before(async () => {
    browser = await launch();
    server = await serve(siteDir);
    context = await browser.newContext({ viewport: { width: 800, height: 620 } });
  });
  after(async () => {
    await browser?.close();
    server?.close();
  });

  // Runs `body` on a fresh page, then checks that the page reported no error
  // and asked nothing of any place but its own folder.
  async function onForm(body, url = pageUrl) {
    const page = await openForm(context, url);
    try {
      await body(page);
      const own = new URL('.', url).href;
      assert.deepEqual(page.requests.filter((r) => !r.startsWith(own)), [], 'requests elsewhere');
      assert.deepEqual(page.errors, [], 'errors in the page');
    } finally {
      await page.close();
    }
  }

  test('opens from file:// and from a server: Text1 focused, Option1 on, boxes empty', async () => {
    for (const url of [pageUrl, `http://127.0.0.1:${server.address().port}/`]) {
      await onForm(async (page) => {
        assert.equal(await page.title(), table.caption);
        assert.equal(await page.textContent('.title-bar'), table.caption);
        assert.equal(await focused(page), 'Text1');
        assert.deepEqual(
          await page.evaluate(() => [Option1.checked, Option2.checked, Text1.value, Text2.textContent]),
          [true, false, '', ''],
        );
        // The page's policy refuses any other host.
        const blocked = await page.evaluate(
          () =>
            new Promise((resolve) => {
              document.addEventListener('securitypolicyviolation', (e) => resolve(e.blockedURI));
              fetch('http://127.0.0.1:9/').catch(() => {});
            }),
        );
        assert.equal(blocked, 'http://127.0.0.1:9/');
        page.errors = page.errors.filter((e) => !e.includes('Content Security Policy'));
        page.requests = page.requests.filter((r) => r !== blocked);
      }, url);
    }
  });

  test('controls sit where the control table puts them and show their captions whole', async () => {
    await onForm(async (page) => {
      const shown = await page.evaluate((controls) => {
        const rect = (element) => element.getBoundingClientRect();
        const clipped = (text) =>
          text.scrollWidth > text.clientWidth || text.scrollHeight > text.clientHeight;
        return controls.map((c) => {
          // An option button's place is that of the label holding it and its caption.
          const box = c.kind === 'OptionButton'
            ? document.querySelector(`label[for=${c.name}]`)
            : document.getElementById(c.name);
          const caption = c.kind === 'GroupFrame' ? box.querySelector('legend') : box;
          const place = rect(box);
          const container = rect(document.getElementById(c.container));
          return {
            name: box.id || box.htmlFor,
            caption: c.kind === 'TextBox' ? '' : caption.textContent,
            place: [place.x - container.x, place.y - container.y, place.width, place.height],
            clipped: clipped(caption) || rect(caption).right > place.right,
          };
        });
      }, table.controls);
      assert.deepEqual(
        shown,
        table.controls.map((c) => ({
          name: c.name,
          caption: c.caption,
          place: [c.left, c.top, c.width, c.height],
          clipped: false,
        })),
      );
      const [client, margins] = await page.evaluate(() => {
        const form = document.getElementById('Form1');
        const window = document.querySelector('.window').getBoundingClientRect();
        return [
          [form.clientWidth, form.clientHeight],
          [window.left - (innerWidth - window.right), window.top - (innerHeight - window.bottom)],
        ];
      });
      assert.deepEqual(client, [table.width, table.height]);
      assert.ok(margins.every((difference) => Math.abs(difference) <= 1), `centred: ${margins}`);
    });
  });

  test('typing, format clicks and arrow keys refresh Text2', async () => {
    await onForm(async (page) => {
      await page.keyboard.type('A');
      assert.equal(await value(page, 'Text2'), '41 ');
      // A refresh edits Text2's text in place rather than making it anew.
      await page.evaluate(() => (window.shownNode = Text2.firstChild));
      await page.keyboard.type('B');
      assert.equal(await value(page, 'Text2'), '41 42 ');
      assert.equal(await page.evaluate(() => Text2.firstChild === window.shownNode), true);
      await page.keyboard.press('Backspace');
      await page.click('#Option2');
      assert.equal(await value(page, 'Text2'), '0X41,');
      await page.click('#Option1');
      assert.equal(await value(page, 'Text2'), '41 ');
      await page.focus('#Text1');
      await page.keyboard.press('Backspace');
      assert.equal(await value(page, 'Text2'), '');
      await page.click('#Option2');
      assert.equal(await value(page, 'Text2'), '');

      await page.focus('#Text1');
      await page.keyboard.type('十六进制');
      assert.equal(await value(page, 'Text2'), '0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,0XD6,0XC6,');
      await page.focus('#Option2');
      await page.keyboard.press('ArrowLeft');
      assert.equal(await value(page, 'Text2'), 'CA AE C1 F9 BD F8 D6 C6 ');
      await page.keyboard.press('ArrowRight');
      assert.equal(await page.evaluate(() => Option2.checked), true);
      assert.equal(await value(page, 'Text2'), '0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,0XD6,0XC6,');
    });
  });

  test('Enter, the euro sign and a character beyond 16 bits', async () => {
    await onForm(async (page) => {
      const cases = [
        ['Enter', '0D 0A ', '0X0D,0X0A,'],
        ['€', '80 ', '0X80,'],
        ['😀', '3F 3F ', '0X3F,0X3F,'],
      ];
      for (const [key, hex, c] of cases) {
        await page.click('#Option1');
        await page.focus('#Text1');
        await page.keyboard.press('Control+A');
        await page.keyboard.press('Delete');
        if (key === 'Enter') await page.keyboard.press(key);
        else await page.keyboard.insertText(key);
        assert.equal(await value(page, 'Text2'), hex, key);
        await page.click('#Option2');
        assert.equal(await value(page, 'Text2'), c, key);
      }
    });
  });

  test('C lines of 80 characters show as one line each and copy out as they are', async () => {
    await onForm(async (page) => {
      await page.click('#Option2');
      await page.focus('#Text1');
      await page.keyboard.type('ABCDEFGHIJKLMNOPQ');
      const line = '0X41,0X42,0X43,0X44,0X45,0X46,0X47,0X48,0X49,0X4A,0X4B,0X4C,0X4D,0X4E,0X4F,0X50,';
      assert.equal(line.length, 80);
      assert.equal(await value(page, 'Text2'), `${line}\n0X51,`);

      // Twelve full lines and one token on the thirteenth.
      await page.keyboard.insertText('x'.repeat(12 * 16 + 1 - 17));
      const rows = await page.$eval('#Text2', (box) => {
        const style = getComputedStyle(box);
        const padding = parseFloat(style.paddingTop) + parseFloat(style.paddingBottom);
        return (box.scrollHeight - padding) / parseFloat(style.lineHeight);
      });
      assert.equal(Math.round(rows), 13);

      // Wrapped or broken, the output copies out as the text it is.
      await page.evaluate(() => document.body.appendChild(document.createElement('textarea')));
      for (const option of ['#Option2', '#Option1']) {
        await page.click(option);
        await page.focus('#Text2');
        await page.keyboard.press('Control+A');
        await page.keyboard.press('Control+C');
        await page.$eval('body > textarea', (box) => box.select());
        await page.keyboard.press('Control+V');
        const pasted = await page.$eval('body > textarea', (box) => box.value);
        assert.equal(pasted, await value(page, 'Text2'), option);
      }
    });
  });

  test('text typed into Text2 stays until the next refresh', async () => {
    await onForm(async (page) => {
      await page.keyboard.type('A');
      await page.click('#Text2');
      await page.keyboard.press('End');
      await page.keyboard.type('xyz');
      assert.equal(await value(page, 'Text2'), '41 xyz');
      await page.focus('#Text1');
      await page.keyboard.type('B');
      assert.equal(await value(page, 'Text2'), '41 42 ');

      await page.focus('#Text2');
      await page.keyboard.press('Control+A');
      await page.keyboard.type('typed');
      await page.click('#Option1');
      assert.equal(await value(page, 'Text2'), '41 42 ');

      // Changed by a script, as a browser extension might.
      await page.$eval('#Text2', (box) => {
        document.createTreeWalker(box, NodeFilter.SHOW_TEXT).nextNode().data = 'changed';
      });
      await page.focus('#Text1');
      await page.keyboard.type('C');
      assert.equal(await value(page, 'Text2'), '41 42 43 ');
      // ... or in the same task as a change of Text1, as when text is dragged between them.
      await page.evaluate(() => {
        document.createTreeWalker(Text2, NodeFilter.SHOW_TEXT).nextNode().data = 'dragged';
        Text1.value += 'D';
        Text1.dispatchEvent(new InputEvent('input'));
      });
      assert.equal(await value(page, 'Text2'), '41 42 43 44 ');
    });
  });

  test('edits anywhere, cut, undo and redo keep Text2 the conversion of Text1', async () => {
    await onForm(async (page) => {
      let seed = 936;
      const random = (n) => {
        seed = (seed * 1103515245 + 12345) % 2147483648;
        return seed % n;
      };
      // Text2 in blocks of one line, so that edits cross them.
      await page.evaluate(() => (form1.output.linesPerBlock = 1));
      const pieces = ['A', '十', 'x', '€', '😀', '液晶', ' ', '\u00a0', 'ABCDEFGHIJKLMNOPQ'];
      for (let step = 0; step < 80; ++step) {
        const length = (await value(page, 'Text1')).length;
        const from = random(length + 1);
        const to = Math.min(length, from + random(6));
        await page.$eval('#Text1', (box, [a, b]) => box.setSelectionRange(a, b), [from, to]);
        await page.focus('#Text1');
        const action = random(8);
        if (action < 3) await page.keyboard.insertText(pieces[random(pieces.length)]);
        else if (action === 3) await page.keyboard.press('Enter');
        else if (action === 4) await page.keyboard.press(random(2) ? 'Backspace' : 'Delete');
        else if (action === 5) await page.keyboard.press('Control+X');
        else if (action === 6) await page.keyboard.press(random(2) ? 'Control+Z' : 'Control+Y');
        else await page.click(random(2) ? '#Option1' : '#Option2');
        await assertText2Follows(page, `step ${step}, action ${action}`);
      }
    });
  });

  test('a paste of 100,000 characters converts them all', async () => {
    await onForm(async (page) => {
      const sample = execFileSync(sampleText, ['100000', 'lines'], { encoding: 'utf8' });
      const pasted = await page.evaluate((text) => {
        const clip = document.body.appendChild(document.createElement('textarea'));
        clip.value = text;
        clip.focus();
        clip.select();
        return text;
      }, sample);
      await page.keyboard.press('Control+C');
      await page.evaluate(() => document.querySelector('body > textarea').remove());
      await page.focus('#Text1');
      await page.keyboard.press('Control+V');
      assert.equal(await value(page, 'Text1'), pasted);
      assert.equal(await value(page, 'Text2'), expected(pasted, 'hex'));
      await page.click('#Option2');
      assert.equal(await value(page, 'Text2'), expected(pasted, 'c'));
    });
  });

  test('an input method changes nothing until it commits', async () => {
    await onForm(async (page) => {
      const cdp = await context.newCDPSession(page);
      await page.keyboard.type('A');
      const composition = { text: 'shi', selectionStart: 3, selectionEnd: 3 };
      await cdp.send('Input.imeSetComposition', composition);
      assert.equal(await value(page, 'Text2'), '41 ');
      await cdp.send('Input.insertText', { text: '十' });
      assert.equal(await value(page, 'Text1'), 'A十');
      assert.equal(await value(page, 'Text2'), '41 CA AE ');
      await cdp.detach();
    });
  });

  test('Command1 opens the home page in a new tab that cannot reach the page', async () => {
    const opened = [];
    const home = new URL(table.homePage).host;
    await context.route((url) => url.host === home, (route) => {
      opened.push(route.request().url());
      route.fulfill({ contentType: 'text/html', body: '<p>home</p>' });
    });
    try {
      await onForm(async (page) => {
        const [tab] = await Promise.all([context.waitForEvent('page'), page.click('#Command1')]);
        await tab.waitForLoadState();
        assert.equal(tab.url(), table.homePage);
        assert.equal(await tab.evaluate(() => window.opener), null);
        await tab.close();
      });
    } finally {
      await context.unrouteAll();
    }
    assert.deepEqual(opened, [table.homePage]);
  });

  test('Tab visits the controls in table order, one stop for the option pair', async () => {
    await onForm(async (page) => {
      const visited = [await focused(page)];
      for (let i = 0; i < 5; ++i) {
        await page.keyboard.press('Tab');
        visited.push(await focused(page));
      }
      assert.deepEqual(visited, ['Text1', 'Text2', 'Option1', 'Command1', 'Text1', 'Text2']);
      assert.equal(await value(page, 'Text1'), '');

      await page.click('#Option2');
      await page.focus('#Text1');
      await page.keyboard.press('Shift+Tab');
      assert.equal(await focused(page), 'Command1');
      await page.keyboard.press('Shift+Tab');
      assert.equal(await focused(page), 'Option2');
    });
  });

  test('every UTF-16 unit converts in the WebAssembly module as in the native build', async () => {
    await onForm(async (page) => {
      const [oneByOne, whole, fields] = await page.evaluate(() => {
        const units = [];
        let all = '';
        for (let unit = 0; unit <= 0xffff; ++unit) {
          units.push(form1.FormatNameToMac(String.fromCharCode(unit)));
          all += String.fromCharCode(unit);
        }
        const worked = [
          [65, 1], [9, 1], [0, 1], [65, 2], [4660, 1], [-13842, 2], [-1, 2], [128, 2], [65, 0],
          [65, 65536 + 1], // the width keeps its low 16 bits
        ];
        return [units, form1.FormatNameToMac(all), worked.map(([n, w]) => form1.NumToStrHex(n, w))];
      });
      const mismatches = oneByOne.flatMap((got, unit) =>
        got === unitTokens[unit] ? [] : [`U+${unit.toString(16)}: ${got} != ${unitTokens[unit]}`],
      );
      assert.deepEqual(mismatches.slice(0, 10), []);
      assert.equal(whole, unitTokens.join(''));
      assert.deepEqual(fields, ['41', '09', '00', '0041', '34', 'C9EE', 'FFFF', '0080', '', '41']);
    });
  });

  test('the page is all in its folder and weighs at most 250 KB', () => {
    // The firmware page beside it is held to its own budget (tests/page/).
    const files = fs.readdirSync(siteDir).filter((file) => !file.startsWith('firmware'));
    assert.deepEqual(files.sort(), [
      'form1.css', 'form1.js', 'gbkhex-core.js', 'gbkhex.png', 'index.html', 'layout.css',
    ]);
    const bytes = files.reduce((sum, file) => sum + fs.statSync(path.join(siteDir, file)).size, 0);
    assert.ok(bytes <= 250_000, `${bytes} bytes`);
  });
});
