#!/usr/bin/env node
// The README's picture of the browser page: the window part of the page in
// headless Chromium, with some sample input. Usage: tools/web-screenshot.mjs PNG

import { launch, openForm } from '../harness/web/browser.mjs';

const browser = await launch();
try {
  const context = await browser.newContext({ viewport: { width: 600, height: 520 } });
  const page = await openForm(context);
  await page.keyboard.insertText('十六进制转换 GBK');
  await page.keyboard.press('Enter');
  await page.keyboard.insertText('液晶显示屏');
  await page.locator('.window').screenshot({ path: process.argv[2] ?? 'screenshot-web.png' });
} finally {
  await browser.close();
}
