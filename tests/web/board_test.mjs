// The board serving the page, in Debian's Chromium, headless, with real key presses. A game
// played to its end on a phone, where the bar's three buttons stay clear of the picture and the
// controls whichever way it is held; "submit" tapped sends the game under a name that tries
// markup and shows the rank of the score the page saw; b sends it again under the name
// remembered and shows the board's refusal as the board says it. The board page lists the game
// with its name as text, and its link replays the game in the page to "replays exactly" with
// the same score. The same page from a static host offers no "submit", and b there is the
// game's.
//   node board_test.mjs BUILD_WEB_DIR BOARD_BINARY
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {check, finish, launch, lineOtherThan, passes, playToTheEnd, serveStatic} from './harness.mjs';

const [root, boardBinary] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'driftbeam-board-'));
const board = spawn(
    boardBinary,
    ['--db', path.join(work, 'board.sqlite'), '--listen', '127.0.0.1:0', '--page', root],
    {stdio: ['ignore', 'pipe', 'inherit']});
const url = await new Promise((resolve) => board.stdout.on('data', (d) => {
  const m = /(http:\/\/[^ ]*)\/board/.exec(d);
  if (m) resolve(m[1]);
}));
const said = [];
const browser = await launch(work, said);
// The name's prompt, when the test submits, is the page's one dialog: `reply` answers it with
// a name, or with the name the page offers. Any other is dismissed and counts against the page
// (an alert would be markup run as a script).
let reply = null, asked = null;
browser.on('page', (page) => page.on('dialog', (d) => {
  if (d.type() === 'prompt' && reply) {
    asked = d.defaultValue();
    d.accept(reply(asked));
    reply = null;
  } else {
    said.push(`a ${d.type()}: ${d.message()}`);
    d.dismiss();
  }
}));
let host = null;

// What is wrong with the bar where it is: a button off the screen or under something else, or
// the bar over the picture or a control. Empty when nothing is.
const barWrongs = (page) => page.evaluate(() => {
  const box = (id) => document.getElementById(id).getBoundingClientRect();
  const over = (a, b) =>
      a.width && b.width && a.x < b.right && b.x < a.right && a.y < b.bottom && b.y < a.bottom;
  const bar = box('driftbeam-bar');
  const wrongs = ['canvas', 'stick', 'fire'].filter((id) => over(bar, box(id)));
  for (const id of ['share', 'save', 'submit', 'choose']) {
    const b = box(`driftbeam-${id}`), x = b.x + b.width / 2, y = b.y + b.height / 2;
    const onTop = document.elementFromPoint(x, y)?.id === `driftbeam-${id}`;
    if (b.x < 0 || b.right > innerWidth || b.bottom > innerHeight || !onTop) wrongs.push(id);
  }
  return wrongs.join(' ');
});
// The board's answer beside "submit", once it has come.
const answered = async (page) => {
  await page
      .waitForFunction(
          () => !/^(\(b\)|checking.*)$/.test(document.getElementById('driftbeam-rank').textContent))
      .catch(() => {});
  return page.locator('#driftbeam-rank').textContent();
};

try {
  // A phone held upright, played with keys to "game over", then touched once between the
  // controls, which lays the page out for fingers.
  const phone = await browser.newPage();
  const cdp = await browser.newCDPSession(phone);
  const orient = (width, height) => cdp.send(
      'Emulation.setDeviceMetricsOverride', {width, height, deviceScaleFactor: 3, mobile: true});
  const tap = async (x, y) => {
    await cdp.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [{x, y}]});
    await cdp.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: []});
  };
  await orient(390, 844);
  await cdp.send('Emulation.setTouchEmulationEnabled', {enabled: true, maxTouchPoints: 5});
  await phone.goto(`${url}/`);
  const game = await playToTheEnd(phone);
  await phone.locator('#driftbeam-submit').waitFor();
  await tap(195, 836);
  await passes(phone);
  const upright = await barWrongs(phone);

  // A name that would run a script if it were ever taken for markup, tapped in.
  const name = '<img src=x onerror=alert(1)>'.slice(0, 20);
  reply = () => name;
  const box = await phone.locator('#driftbeam-submit').boundingBox();
  const [posted] = await Promise.all([
    phone.waitForResponse((r) => r.request().method() === 'POST').catch(() => null),
    tap(box.x + box.width / 2, box.y + box.height / 2)
  ]);
  const rank = await answered(phone);
  const ranked = posted ? await posted.json() : {};
  check(
      '"submit" tapped sends the game and shows the rank of the score the page saw',
      rank === 'rank 1 on the board' && ranked.score === game.score,
      `${rank}: ${ranked.score} against ${game.score}`);

  await orient(844, 390);
  await phone.waitForFunction(() => innerWidth === 844);
  await passes(phone);
  const sideways = await barWrongs(phone);
  // b once more: the name offered is the one remembered, and a key hides the controls.
  reply = (offered) => offered;
  await phone.keyboard.press('b');
  const refusal = await answered(phone);
  const keys = await barWrongs(phone);
  check(
      'b sends it again under the name remembered, and the refusal shows as the board says it',
      asked === name && refusal === 'this game is on the board already' &&
          (await phone.evaluate(() => window.driftbeam.game)) !== null,
      `${asked}: ${refusal}`);
  check(
      'the bar\'s three buttons stay clear, upright, sideways and with keys',
      !upright && !sideways && !keys, `${upright} / ${sideways} / ${keys}`);

  // The board page, and the game replayed from it as fast as the page replays.
  const page = await browser.newPage();
  await page.goto(`${url}/board`);
  const row = page.locator('#entries tr').first();
  await row.waitFor({timeout: 5000});
  const cells = await row.locator('td').allTextContents();
  check(
      'the board page lists the game, its name as text',
      cells[1] === name && cells[2] === String(game.score) &&
          (await page.locator('#entries img').count()) === 0,
      JSON.stringify(cells));
  await row.locator('td.name a').click();
  await page.waitForURL(`${url}/#${game.link}`);
  await lineOtherThan(page, '^$', 10000);
  for (let i = 0; i < 3; i++) await page.keyboard.press('ArrowRight');
  const verdict = await lineOtherThan(page, '^replaying', 60000);
  check(
      'its link replays it in the page with the same score',
      verdict === `link: one game, score ${game.score}, ${game.steps} steps: replays exactly`,
      verdict);

  // Any static host: nothing says a board is there, so no "submit", and b starts the next game
  // as any key does.
  let origin;
  ({server: host, origin} = await serveStatic(root));
  const plain = await browser.newPage();
  await plain.goto(`${origin}/`);
  await Promise.all([
    plain.waitForResponse((r) => r.request().method() === 'HEAD', {timeout: 90000}),
    playToTheEnd(plain)
  ]);
  await passes(plain);
  const offered = await plain.locator('#driftbeam-submit').count();
  await plain.keyboard.press('b');
  await plain.waitForFunction(() => !window.driftbeam.game, null, {timeout: 5000}).catch(() => {});
  check(
      'served without a board, the page offers no "submit" and b is the game\'s',
      offered === 0 && (await plain.evaluate(() => window.driftbeam.game)) === null);

  // The browser logs the board's 409 as a failed load: that refusal is the one expected.
  const wrong = said.filter((s) => !/status of 409|GPU stall due to ReadPixels/.test(s));
  check('nothing went wrong in the pages', wrong.length === 0, wrong.join('\n'));
} finally {
  await browser.close();
  board.kill();
  host?.kill();
  fs.rmSync(work, {recursive: true, force: true});
}
finish();
