// The board serving the page, in Debian's Chromium, headless: the game's page at /, a game
// submitted from the page's own address, and the board page listing it with a name that tries
// markup shown as text, each entry's name a link that opens the page on that game.
//   node board_test.mjs BUILD_WEB_DIR BOARD_BINARY RECORDING
import {spawn} from 'node:child_process';
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
  page.on('dialog', (d) => said.push(`a dialog: ${d.message()}`) && d.dismiss());
});

try {
  const page = await browser.newPage();
  await page.goto(`${url}/`);
  check('the board serves the game page at /', await page.locator('#canvas').count() === 1);

  // A name that would run a script if it were ever taken for markup.
  const name = '<img src=x onerror=alert(1)>'.slice(0, 20);
  const game = fs.readFileSync(recording, 'utf8');
  const answer = await page.evaluate(async ([name, game]) => {
    const response = await fetch('/api/scores', {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify({name, game}),
    });
    return [response.status, await response.json()];
  }, [name, game]);
  check('a game submitted from the page ranks', answer[0] === 201 && answer[1].rank === 1,
        JSON.stringify(answer));

  await page.goto(`${url}/board`);
  const row = page.locator('#entries tr').first();
  await row.waitFor({timeout: 5000});
  const cells = await row.locator('td').allTextContents();
  check('the board page lists it, its name as text', cells[1] === name && cells[2] === '700',
        JSON.stringify(cells));
  check('no markup of the name reached the page', await page.locator('#entries img').count() === 0);
  const href = await row.locator('td.name a').getAttribute('href');
  const link = (await (await fetch(`${url}/api/scores/1`)).json()).link;
  check('its name links to the page on that game', href === `/#${link}`, href);
  await row.locator('td.name a').click();
  await page.waitForURL(`${url}/#${link}`);
  check('the link opens the game page', await page.locator('#canvas').count() === 1);
  check('nothing went wrong in the pages', said.length === 0, said.join('\n'));
} finally {
  await browser.close();
  board.kill();
  fs.rmSync(work, {recursive: true, force: true});
}
console.log(`${results[0]} passed, ${results[1]} failed`);
process.exit(results[1] === 0 ? 0 : 1);
