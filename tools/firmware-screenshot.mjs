#!/usr/bin/env node
// The guide's picture of the firmware page: its glyph part in headless
// Chromium, after a run on a few characters of WenQuanYi Micro Hei.
// Usage: tools/firmware-screenshot.mjs PNG

import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, siteDir } from '../harness/web/browser.mjs';

const browser = await launch();
try {
  const context = await browser.newContext({ viewport: { width: 1000, height: 900 } });
  const page = await context.newPage();
  await page.goto(pathToFileURL(path.join(siteDir, 'firmware.html')).href);
  await page.waitForFunction(() => document.body.dataset.ready === 'true');
  const form = page.locator('#glyphs-form');
  await form.locator('[name=text]').fill('液晶显示屏');
  await form.locator('[name=glyphs]').fill('lcd');
  await form.locator('[name=glyphs]').dispatchEvent('input');
  await form.locator('[name=scan]').selectOption('pages');
  await form.locator('[name=image]').fill('lcd.bin');
  await form.locator('#glyphs-font').setInputFiles('/usr/share/fonts/truetype/wqy/wqy-microhei.ttc');
  await form.getByRole('button', { name: '生成' }).click();
  await page.waitForFunction(() => document.getElementById('glyphs-form').dataset.state === 'done');
  await form.screenshot({ path: process.argv[2] ?? 'screenshot-firmware.png' });
} finally {
  await browser.close();
}
