// The board serving the page, in Debian's Chromium, headless: the game's page at /, a game
// submitted with the page's "submit" under a name that tries markup, its rank shown and the
// name remembered, and the board page listing the game with the name as text, each entry's
// name a link that opens the page on that game. The same page from a static host offers no
// "submit". The game that ended comes from a stand-in for the page's links, which hand it over.
//   node board_test.mjs BUILD_WEB_DIR BOARD_BINARY RECORDING
import {execFileSync, spawn} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {chromium} from 'playwright-core';

const [root, boardBinary, recording] = process.argv.slice(2);
const results = [0, 0];
function check(name, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail && `: ${detail}`}`);
  results[ok ? 0 : 1]++;
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'driftbeam-board-'));
const board = spawn(
    boardBinary,
    ['--db', path.join(work, 'board.sqlite'), '--listen', '127.0.0.1:0', '--page', root],
    {stdio: ['ignore', 'pipe', 'inherit']});
const url = await new Promise((resolve) => board.stdout.on('data', (d) => {
  const m = /(http:\/\/[^ ]*)\/board/.exec(d);
  if (m) resolve(m[1]);
}));
const browser = await chromium.launchPersistentContext(path.join(work, 'profile'), {
  executablePath: '/usr/bin/chromium',
  args: [
    '--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'
  ],
});
const said = [];
browser.on('page', (page) => {
  page.on('console', (m) => m.type() === 'error' && said.push(m.text()));
  page.on('pageerror', (e) => said.push(`uncaught: ${e.message}`));
  // The name's prompt is the page's one dialog; an alert would be markup run as a script.
  page.on('dialog', (d) => d.type() === 'alert' && said.push(`an alert: ${d.message()}`));
});

try {
  // The first game of the recording, as the page's links would hand it over once it ended.
  const checker = path.join(path.dirname(boardBinary), 'driftbeam-board-check');
  const link = execFileSync(checker, ['--rank'], {input: fs.readFileSync(recording)})
                   .toString().split('\n')[1];
  const ended = (link) => {
    const offer = document.createElement('span');
    offer.id = 'driftbeam-offer';
    document.body.prepend(offer);
    window.driftbeam = {game: {link, url: `${location.origin}/#${link}`, score: 700, steps: 730}};
    window.dispatchEvent(new CustomEvent('driftbeam:game', {detail: window.driftbeam.game}));
  };
  const page = await browser.newPage();
  await page.goto(`${url}/`);
  check('the board serves the game page at /', await page.locator('#canvas').count() === 1);
  await page.evaluate(ended, link);

  // A name that would run a script if it were ever taken for markup.
  const name = '<img src=x onerror=alert(1)>'.slice(0, 20);
  const rank = page.locator('#driftbeam-rank');
  let asked = null;
  const answer = (given) => page.once('dialog', (d) => (asked = d.defaultValue(), d.accept(given ?? asked)));
  answer(name);
  await page.locator('#driftbeam-submit').click();
  await page.waitForFunction(() => /rank|board/.test(document.getElementById('driftbeam-rank').textContent));
  check('"submit" sends the game and shows its rank', await rank.textContent() === 'rank 1 on the board',
        await rank.textContent());
  answer(undefined);
  await page.locator('#driftbeam-submit').click();
  await page.waitForFunction(() => /already/.test(document.getElementById('driftbeam-rank').textContent));
  check('the name is remembered, and a refusal shown as the board says it', asked === name,
        `${asked}; ${await rank.textContent()}`);

  await page.goto(`${url}/board`);
  const row = page.locator('#entries tr').first();
  await row.waitFor({timeout: 5000});
  const cells = await row.locator('td').allTextContents();
  check('the board page lists it, its name as text', cells[1] === name && cells[2] === '700',
        JSON.stringify(cells));
  check('no markup of the name reached the page', await page.locator('#entries img').count() === 0);
  const href = await row.locator('td.name a').getAttribute('href');
  check('its name links to the page on that game', href === `/#${link}`, href);
  await row.locator('td.name a').click();
  await page.waitForURL(`${url}/#${link}`);
  check('the link opens the game page', await page.locator('#canvas').count() === 1);

  // Any static host: nothing says a board is there, so no "submit".
  const host = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', root],
                     {stdio: ['ignore', 'pipe', 'ignore']});
  const port = await new Promise((resolve) => host.stdout.on('data', (d) => {
    const m = /port (\d+)/.exec(d);
    if (m) resolve(m[1]);
  }));
  const plain = await browser.newPage();
  await plain.goto(`http://127.0.0.1:${port}/`);
  await plain.evaluate(ended, link);
  await plain.waitForTimeout(1500);
  check('served without a board, the page offers no "submit"',
        await plain.locator('#driftbeam-submit').count() === 0);
  host.kill();
  // The browser logs the board's 409 as a failed load: that refusal is the one expected.
  const wrong = said.filter((s) => !/status of 409/.test(s));
  check('nothing went wrong in the pages', wrong.length === 0, wrong.join('\n'));
} finally {
  await browser.close();
  board.kill();
  fs.rmSync(work, {recursive: true, force: true});
}
console.log(`${results[0]} passed, ${results[1]} failed`);
process.exit(results[1] === 0 ? 0 : 1);
