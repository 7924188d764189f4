// The page's recordings in Debian's Chromium, headless, with real key presses: games shared as
// links and the session saved as a file, each checked by the desktop's --check and by node;
// links, files and hostile ones replayed in the page with the check's own verdict.
//   node links_test.mjs BUILD_WEB_DIR DESKTOP_BINARY NODE_CHECK_JS
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {check, finish, launch, line, lineOtherThan, passes, playToTheEnd, serveStatic, sleep} from './harness.mjs';

const [root, desktop, nodeCheck] = process.argv.slice(2);
const demo = path.join(path.dirname(new URL(import.meta.url).pathname), '../demo');
// What a check says, whatever its exit status.
function say(command, ...args) {
  try {
    return execFileSync(command, args, {stdio: 'pipe'}).toString().trim();
  } catch (e) {
    return (e.stdout.toString() + e.stderr.toString()).trim();
  }
}
const desktopCheck = (what) => say(desktop, '--check', what);

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'driftbeam-links-'));
const {server, origin} = await serveStatic(root);
const said = [];
const browser = await launch(work, said);
await browser.grantPermissions(['clipboard-read', 'clipboard-write'], {origin});

const game = (page) => page.evaluate(() => window.driftbeam.game);
// What a player drops on the page: a file, or a link's text.
function drop(page, name, text) {
  return page.evaluate(([name, text]) => {
    const data = new DataTransfer();
    name ? data.items.add(new File([text], name)) : data.setData('text/plain', text);
    document.dispatchEvent(new DragEvent('drop', {dataTransfer: data, bubbles: true}));
  }, [name, text]);
}

try {
  const page = await browser.newPage();
  await page.goto(`${origin}/`);
  // Three games of one session; p, m, s and f pressed along the way are the page's, not the
  // game's.
  const first = await playToTheEnd(page);
  await page.keyboard.press('Space');
  await page.keyboard.press('m');
  await page.keyboard.press('p');
  await sleep(300);
  await page.keyboard.press('p');
  await passes(page);
  const offerGone = (await game(page)) === null;
  await playToTheEnd(page);
  await page.keyboard.press('f');
  await page.keyboard.press('Space');
  const third = await playToTheEnd(page);
  await page.keyboard.press('s');
  await page.waitForFunction(
      () => /copied/.test(document.getElementById('driftbeam-line').textContent));
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  check(
      'a game over offers the game, a new game takes the offer back', first && third && offerGone);
  check(
      'share copies the third game\'s link',
      third && copied === third.url && copied.startsWith(`${origin}/#2wE`), copied);
  for (const [name, g] of [['first', first], ['third', third]]) {
    const verdict = desktopCheck(g.url);
    check(
        `the ${name} game's link replays exactly on the desktop`,
        verdict === `link: one game, score ${g.score}, ${g.steps} steps: replays exactly`,
        `${verdict} (${g.link.length} characters)`);
  }

  // The session's file, closed by Escape, and still saved by f, which plays no new game.
  await page.keyboard.press('Escape');
  const [download] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('f')]);
  const saved = path.join(work, download.suggestedFilename());
  await download.saveAs(saved);
  const text = fs.readFileSync(saved, 'utf8');
  const onDesktop = desktopCheck(saved);
  const byNode = say('node', nodeCheck, saved);
  check(
      'the saved session replays exactly on the desktop and under node',
      /: 3 games, best score \d+, \d+ steps: replays exactly$/.test(onDesktop) &&
          byNode === onDesktop,
      `${onDesktop} / ${byNode}`);
  const pageKeys = text.split('\n').filter((l) => / [du] (102|109|112|115) /.test(l));
  check('p, m, s and f are never written', pageKeys.length === 0, pageKeys.join(', '));
  await page.keyboard.press('Space');
  await passes(page);
  check('a new session takes back what the stopped one offered', (await game(page)) === null);

  // The link in a new page: the game again, at its own pace, with the desktop's verdict.
  const watch = await browser.newPage();
  await watch.goto(third.url);
  await watch.waitForFunction(() => window.driftbeam.firstFrame, null, {timeout: 10000});
  const firstFrame = await watch.evaluate(() => window.driftbeam.firstFrame);
  const started = Date.now();
  const verdict = await lineOtherThan(watch, '^replaying', 60000);
  const seconds = (Date.now() - started) / 1000;
  const lit = await watch.evaluate(() => {
    const c = document.createElement('canvas');
    c.width = 640, c.height = 80;
    c.getContext('2d').drawImage(document.getElementById('canvas'), 0, 0, 640, 80, 0, 0, 640, 80);
    const d = c.getContext('2d').getImageData(0, 0, 640, 80).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) n += d[i] < 90 && d[i + 1] > 240 && d[i + 2] < 90;
    return n;
  });
  check(
      'an opened link replays with the desktop\'s verdict, drawn over its last picture',
      verdict === desktopCheck(third.url) && lit > 500 && seconds > third.steps / 100 * 0.7,
      `${verdict}, ${lit} green pixels at the top, ${seconds.toFixed(1)} s for ${
          third.steps} steps; ` +
          `first frame ${firstFrame.toFixed(0)} ms after opening`);
  await watch.keyboard.press('Escape');
  await watch.waitForFunction(
      () => !location.hash && !document.getElementById('driftbeam-line').textContent);
  check(
      'Escape leaves the replay for a game of the page\'s own',
      (await playToTheEnd(watch)) !== null);

  // A desktop recording chosen, slowed down and sped up as far as each goes: 58 s of play,
  // in half that time or less even on a busy machine.
  await watch.setInputFiles('#driftbeam-file', path.join(demo, 'ordinary.rec'));
  await watch.waitForFunction(
      () => /^replaying/.test(document.getElementById('driftbeam-line').textContent));
  const paces = [];
  for (const key of 'LLLRRRRRR') {
    await watch.keyboard.press(key === 'L' ? 'ArrowLeft' : 'ArrowRight');
    await passes(watch);
    paces.push((/ at (\S+):/.exec(await line(watch)) || [])[1]);
  }
  const fast = Date.now();
  const desktopFile = await lineOtherThan(watch, '^replaying', 60000);
  check(
      'a desktop recording replays exactly, as fast as the arrows ask',
      desktopFile === desktopCheck(path.join(demo, 'ordinary.rec')).replace(/^.*\//, '') &&
          paces.join(' ') === '1/2x 1/4x 1/4x 1/2x 1x 2x 4x 8x 8x' && Date.now() - fast < 29000,
      `${desktopFile}; ${paces.join(' ')}; ${((Date.now() - fast) / 1000).toFixed(1)} s`);

  // Hostile links and files: one line each, and the page goes on.
  const link = third.link, half = link.length >> 1;
  const flipped = link.slice(0, half) + (link[half] === 'A' ? 'B' : 'A') + link.slice(half + 1);
  const hostile = [
    [
      'a character flipped', () => watch.evaluate((l) => (location.hash = l), flipped),
      'link: damaged'
    ],
    ['cut short', () => drop(watch, '', `${origin}/#${link.slice(0, half)}`), 'link: damaged'],
    [
      'of 10 MB', () => drop(watch, '', 'A'.repeat(10 << 20)),
      'link: longer than 30 minutes of play'
    ],
    [
      'made by 1.0.0',
      () => drop(watch, 'old.rec', fs.readFileSync(path.join(demo, '1.0/ordinary.rec'), 'utf8')),
      'old.rec: made by driftbeam 1.0.0 on the C library\'s maths: only the desktop game on glibc replays it'
    ],
  ];
  for (const [name, act, expected] of hostile) {
    await watch.evaluate(() => (document.getElementById('driftbeam-line').textContent = ''));
    await act();
    const refused = await lineOtherThan(watch, '^$', 5000);
    check(`a link ${name} says so in one line`, refused === expected, refused);
  }
  await watch.evaluate((l) => (location.hash = l), first.link);
  const after = await lineOtherThan(watch, '^(replaying|old.rec)', 30000);
  check('and the page replays the next link exactly', after === desktopCheck(first.url), after);

  const own = said.filter((s) => !/GPU stall due to ReadPixels/.test(s));
  check('the console has no error', own.length === 0, own.join('\n'));
} finally {
  await browser.close();
  server.kill();
  fs.rmSync(work, {recursive: true, force: true});
}
finish();
