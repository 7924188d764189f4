// What the page's tests share: their tally, a static host for the page, Debian's Chromium
// launched headless with nothing of its own going out, and a game played to its end with real
// key presses.
import {spawn} from 'node:child_process';
import path from 'node:path';
import {chromium} from 'playwright-core';

const results = [0, 0];
export function check(name, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail && `: ${detail}`}`);
  results[ok ? 0 : 1]++;
}
export function finish() {
  console.log(`${results[0]} passed, ${results[1]} failed`);
  process.exit(results[1] === 0 ? 0 : 1);
}

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The folder served as the README says, on a free port of the loopback address: any static
// host, which knows nothing of the game.
export async function serveStatic(root) {
  const server = spawn(
      'python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', root],
      {stdio: ['ignore', 'pipe', 'ignore']});
  const port = await new Promise((resolve) => server.stdout.on('data', (d) => {
    const m = /port (\d+)/.exec(d);
    if (m) resolve(m[1]);
  }));
  return {server, origin: `http://127.0.0.1:${port}`};
}

// A fresh profile in `work`, and a closed network: nothing of the browser's own may go looking
// for one. `said` gathers what went wrong in every page it opens.
export async function launch(work, said) {
  const browser = await chromium.launchPersistentContext(path.join(work, 'profile'), {
    executablePath: '/usr/bin/chromium',
    viewport: {width: 800, height: 600},
    args: [
      '--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'
    ],
  });
  browser.on('page', (page) => {
    page.on('console', (m) => m.type() === 'error' && said.push(m.text()));
    page.on('pageerror', (e) => said.push(`uncaught: ${e.message}`));
  });
  return browser;
}

// Until the page has run a pass of its loop or two: keys are handled in the passes.
export const passes = (page) =>
    page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));

export const line = (page) => page.locator('#driftbeam-line').textContent();

// The line once it says something other than `not`, within `ms`.
export async function lineOtherThan(page, not, ms) {
  await page
      .waitForFunction(
          (not) => {
            const text = document.getElementById('driftbeam-line').textContent;
            return text && !new RegExp(not).test(text);
          },
          not, {timeout: ms})
      .catch(() => {});
  return line(page);
}

// A game played to its death: the beam a moment, then thrust held until the ship is hit. The
// game the page offers then, or null.
export async function playToTheEnd(page) {
  await page.waitForFunction(() => window.Module.calledRun && !window.driftbeam.game);
  await page.keyboard.press('z');
  await page.keyboard.down('ArrowUp');
  await page.waitForFunction(() => window.driftbeam.game, null, {timeout: 60000}).catch(() => {});
  await page.keyboard.up('ArrowUp');
  return page.evaluate(() => window.driftbeam.game);
}
