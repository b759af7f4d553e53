// Debian's Chromium, headless, driven by playwright-core: shared by the
// browser tests, the keystroke benchmark and the screenshot.

import { chromium } from 'playwright-core';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const siteDir = path.resolve(root, process.env.GBKHEX_WEB_DIR ?? 'build/web');
export const pageUrl = pathToFileURL(path.join(siteDir, 'index.html')).href;

export function launch({ unthrottled = false } = {}) {
  const args = [
    // This machine's network is closed: the browser's own background
    // connections would only fail, and slowly.
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
    '--no-first-run',
    '--disable-features=Translate,OptimizationHints,MediaRouter,HttpsUpgrades',
  ];
  // Chromium's sandbox needs user namespaces that a root session lacks.
  if (process.getuid?.() === 0) args.push('--no-sandbox');
  // Frames as soon as there is something to show, not at the next vsync, so
  // a timing measures the work and not the wait for the display.
  if (unthrottled) args.push('--disable-gpu-vsync', '--disable-frame-rate-limit');
  return chromium.launch({
    executablePath: process.env.GBKHEX_CHROMIUM ?? '/usr/bin/chromium',
    args,
    // Scroll bars take their room in the text boxes, as on a desktop.
    ignoreDefaultArgs: ['--hide-scrollbars'],
  });
}

// A new tab on the page at `url`, once Form1 has loaded. Every request it
// makes, and every error it reports, is kept in `requests` and `errors`.
export async function openForm(context, url = pageUrl) {
  const page = await context.newPage();
  page.requests = [];
  page.errors = [];
  page.on('request', (request) => page.requests.push(request.url()));
  page.on('pageerror', (error) => page.errors.push(String(error)));
  page.on('console', (message) => {
    if (['error', 'warning'].includes(message.type())) page.errors.push(message.text());
  });
  await page.goto(url);
  await page.waitForFunction(() => window.form1 !== undefined);
  return page;
}
