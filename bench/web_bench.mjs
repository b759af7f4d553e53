// Latency of one keystroke in the browser page, timed by the browser itself:
// from the key event's own time stamp until the frame that shows the new
// Text2 has been produced (a task queued from the next animation frame runs
// after that frame's style, layout and paint). Chromium runs unthrottled, so
// no time is spent waiting for a display's refresh.
//
// Text1 already holds N characters, 70 % of them Chinese, as one paragraph
// (the worst case: the browser lays out a text box's paragraph again on every
// change of it) or in lines of 80 characters; "a" is typed at its end. Beside
// each figure: the part spent in the page's own refresh (JavaScript and
// WebAssembly), and the same keystroke with the refresh held back, which is
// the browser's own cost for a text box holding that much.

import { launch, openForm } from '../tests/web/browser.mjs';

const kSamples = 15;
const kWarmUp = 3;

// Runs in the page: puts the sample text into Text1 and starts timing keys.
function prepare([size, format, lines, bare]) {
  let state = 12345;
  let text = '';
  while (text.length < size) {
    if (lines && text.length % 81 === 80) {
      text += '\n';
      continue;
    }
    state = (state * 1664525 + 1013904223) >>> 0;
    const r = state >>> 8;
    text += String.fromCharCode(r % 10 < 7 ? 0x4e00 + (r % 0x51a6) : 0x61 + (r % 26));
  }
  const text1 = document.getElementById('Text1');
  text1.value = text;
  document.getElementById(format === 'C' ? 'Option2' : 'Option1').click();
  text1.focus();
  text1.setSelectionRange(size, size);

  window.samples = [];
  let refreshTime = 0;
  const refresh = form1.Refresh;
  form1.Refresh = function () {
    const start = performance.now();
    refresh.call(this);
    refreshTime = performance.now() - start;
  };
  if (bare) {
    // Text1's own listeners never hear of the edit.
    document.getElementById('Form1').addEventListener('input', (e) => e.stopPropagation(), true);
  }
  text1.addEventListener('keydown', (event) => {
    if (event.key !== 'a') return;
    refreshTime = 0;
    const { port1, port2 } = new MessageChannel();
    port1.onmessage = () => window.samples.push([performance.now() - event.timeStamp, refreshTime]);
    requestAnimationFrame(() => port2.postMessage(null));
  });
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (value) => value.toFixed(1);

async function measure(context, size, format, lines, bare) {
  const page = await openForm(context);
  try {
    await page.evaluate(prepare, [size, format, lines, bare]);
    await page.waitForTimeout(200);
    for (let i = 0; i < kWarmUp + kSamples; ++i) {
      await page.keyboard.press('a');
      await page.waitForFunction((n) => window.samples.length === n, i + 1, { polling: 10 });
      await page.keyboard.press('Backspace');
      await page.waitForTimeout(20);
    }
    if (page.errors.length !== 0) throw new Error(page.errors.join('\n'));
    const samples = (await page.evaluate(() => window.samples)).slice(kWarmUp);
    return { total: median(samples.map((s) => s[0])), refresh: median(samples.map((s) => s[1])) };
  } finally {
    await page.close();
  }
}

const browser = await launch({ unthrottled: true });
try {
  const context = await browser.newContext({ viewport: { width: 800, height: 620 } });
  console.log(`Keystroke to painted Text2, median of ${kSamples}, ms\n`);
  console.log('| Text1 holds | format | keystroke | of it, the refresh | Text1 alone |');
  console.log('| --- | --- | --- | --- | --- |');
  for (const size of [10_000, 100_000]) {
    for (const lines of [false, true]) {
      for (const format of ['hex', 'C']) {
        const typed = await measure(context, size, format, lines, false);
        const bare = await measure(context, size, format, lines, true);
        const shape = lines ? 'in 80-character lines' : 'one paragraph';
        console.log(
          `| ${size.toLocaleString('en')} characters, ${shape} | ${format} | ${ms(typed.total)} | ` +
            `${ms(typed.refresh)} | ${ms(bare.total)} |`,
        );
      }
    }
  }
} finally {
  await browser.close();
}
