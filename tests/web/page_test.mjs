// The page in Debian's Chromium, headless, driven through the DevTools protocol with real key
// presses and judged by screenshots of its canvas.
//   node page_test.mjs BUILD_WEB_DIR DESKTOP_BINARY
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {check, finish, launch, serveStatic, sleep} from './harness.mjs';

const [root, desktop] = process.argv.slice(2);
const W = 640, H = 480;
async function hold(page, keys, ms) {
  for (const key of keys) await page.keyboard.down(key);
  await sleep(ms);
  for (const key of keys) await page.keyboard.up(key);
}

// Pictures as RGB bytes, looked at in the game's coordinates: y up from the bottom edge.
const decode = (png) => execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], {input: png});
const px = (img, x, y) => [0, 1, 2].map((c) => img[((H - 1 - y) * W + x) * 3 + c]);
function count(img, [x0, y0, x1, y1], is) {
  let n = 0;
  for (let y = y0; y < y1; y++) {
    for (let x = x0; x < x1; x++) n += is(px(img, x, y), x, y) ? 1 : 0;
  }
  return n;
}
const hud = ([r, g, b]) => Math.abs(r - 51) <= 8 && g >= 247 && Math.abs(b - 51) <= 8;
const red = ([r, g, b]) => r > 200 && g < 60 && b < 60;
const ship = ([r, g, b]) => g > 12 && r < g / 2 && b < g / 2;
const hudBand = [0, 0, W, 26], gameOverBox = [128, 270, 512, 350], noticeBox = [160, 270, 480, 350];
const energy = (img) => count(img, [120, 10, 240, 11], hud);  // the bar's length

// Thrust and a left turn from the centre: a ship at rest covers some 45 pixels, 6 x 13, thrust
// alone draws a stripe 6 wide, and a swapped arrow goes down or right.
function curvesUpLeft(img) {
  const xs = [], ys = [];
  count(img, [0, 30, W, H], (p, x, y) => ship(p) && xs.push(x) && ys.push(y));
  const span = (v) => Math.max(...v) - Math.min(...v) + 1;
  const mean = (v) => v.reduce((a, b) => a + b, 0) / v.length;
  const [n, w, h, x, y] = [xs.length, span(xs), span(ys), mean(xs), mean(ys)];
  const detail = `${n} pixels over ${w} x ${h} around (${Math.round(x)}, ${Math.round(y)})`;
  return {ok: n > 150 && w > 12 && h > 12 && x < 320 && y > 240, detail};
}

// Waves score 100 each and kills 10, 50 or 51, so the score ends in "00" until the beam kills.
// Its last two glyphs, found by their right edges, are held against the "0" of "best: 0" in
// the start picture; null while something bright lies over them, or the score has one digit.
function endsInZeros(img, start) {
  const lit = (pic, x, y) => count(pic, [x, y, x + 1, y + 21], hud) > 0;
  const edge = (pic, x, lo, y) => {
    while (x > lo && !lit(pic, x, y)) x--;
    return x;
  };
  const zero = edge(start, 520, 480, 8) - 10, last = edge(img, 430, 300, 3);
  let x = last;
  while (lit(img, x, 3)) x--;
  const lefts = [last - 10, edge(img, x, 300, 3) - 10];
  const over = (x0) => count(img, [x0, 3, x0 + 11, 24], (p) => !hud(p) && p[0] + p[1] + p[2] > 150);
  if (lefts[1] < 305 || lefts.some(over)) return null;
  const differ = (x0) => count(img, [0, 0, 11, 21], (_, dx, dy) => {
    return hud(px(img, x0 + dx, 3 + dy)) !== hud(px(start, zero + dx, 8 + dy));
  });
  return lefts.every((x0) => differ(x0) <= 20);
}

// A gamepad in the standard layout (its d-pad is buttons 12 to 15: up, down, left, right) that
// the browser shows the page only once it is in use there, as browsers do. window.padSeen once
// the page has looked since.
function padStandIn() {
  const buttons = Array.from({length: 17}, () => ({pressed: false, value: 0}));
  const pad = {index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0], buttons};
  let shown = false;
  const getGamepads = () => [shown && (window.padSeen = true) ? pad : null];
  Object.defineProperty(navigator, 'getGamepads', {value: getGamepads});
  window.showPad = () => (shown = true);
  window.pressPad = (list, down) =>
      list.forEach((i) => (buttons[i] = {pressed: down, value: +down}));
}

// The desktop game's own picture a moment in, before the first wave, on a display of its
// own: xvfb-run -a can hand one number to two servers started at once, and the desktop's
// display tests count up from 99, so this one looks far from theirs.
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'driftbeam-page-'));
const capture = 'LIBGL_ALWAYS_SOFTWARE=1 "$0" & timeout 20 sh -c "until xwininfo -name driftbeam ' +
    '>/dev/null 2>&1; do sleep 0.05; done" && sleep 0.2 && import -window root "png:$1"; kill $!; wait';
execFileSync('xvfb-run', [
  '-a', '-n', 400 + (process.pid % 500), '-s', '-noreset -screen 0 640x480x24', 'sh', '-c', capture,
  desktop, path.join(work, 'desktop.png')
]);
const desktopStart = decode(fs.readFileSync(path.join(work, 'desktop.png')));

const {server, origin} = await serveStatic(root);
const said = [];
const browser = await launch(work, said);
// Here a warning and a failed load count too: the page asks for nothing it lacks.
browser.on('page', (page) => {
  page.on('console', (m) => m.type() === 'warning' && said.push(m.text()));
  page.on('response', (r) => r.status() >= 400 && said.push(`${r.status()}: ${r.url()}`));
});
const shot = async (page) => decode(await page.locator('#canvas').screenshot());
// Screenshots until `test` holds, for at most `ms`; the last one either way.
async function waitFor(page, ms, test, take = shot) {
  for (const end = Date.now() + ms;; await sleep(100)) {
    const img = await take(page);
    if (test(img) || Date.now() > end) return {img, ok: test(img)};
  }
}
async function open(...standIns) {
  const page = await browser.newPage();
  for (const standIn of standIns) await page.addInitScript(standIn);
  await page.goto(`${origin}/`);
  return [page, await waitFor(page, 10000, (img) => count(img, hudBand, hud) > 300)];
}

// The screen's wake lock as the page holds it: window.locks is 1 while held, and
// window.lockLog every count it has had.
function lockStandIn() {
  window.locks = 0;
  window.lockLog = [];
  const note = (n) => window.lockLog.push(window.locks += n);
  const request = async () => {
    note(1);
    return Object.assign(new EventTarget(), {release: async () => note(-1)});
  };
  Object.defineProperty(navigator, 'wakeLock', {value: {request}});
}

// What the page's sound sends the browser: the sound devices it opens, and the loudest sample.
function earStandIn() {
  window.devices = 0;
  window.loudest = 0;
  const Context = window.AudioContext;
  window.AudioContext = class extends Context {
    constructor(...args) {
      super(...args);
      window.devices++;
    }
  };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function(...args) {
    for (let c = 0; this.buffer && c < this.buffer.numberOfChannels; c++) {
      for (const v of this.buffer.getChannelData(c)) window.loudest = Math.max(window.loudest, Math.abs(v));
    }
    return start.apply(this, args);
  };
}

try {
  const [page, start] = await open(earStandIn, lockStandIn);
  // Browsers let a page sound only once the player has pressed a key or clicked.
  const silent = await page.evaluate(() => window.devices === 0);
  // The desktop's HUD but for the odd edge pixel: as thick (a 1-pixel stroke misses half of
  // it) and in the same place (a shifted one misses whole edges). The score's digits are left
  // out: the first wave adds 100, and either capture may come a moment late.
  let total = 0, differ = 0, far = 0;
  const near = (img, x, y) => count(img, [x - 1, Math.max(y - 1, 0), x + 2, y + 2], hud) > 0;
  count(start.img, [1, 0, W - 1, hudBand[3]], (p, x, y) => {
    if (x >= 300 && x < 440) return;
    const d = hud(px(desktopStart, x, y));
    total += d;
    if (hud(p) !== d) differ++, far += !near(d ? start.img : desktopStart, x, y);
  });
  check(
      'the start picture\'s HUD is the desktop\'s', start.ok && differ <= total * 0.05 && !far,
      `${total} pixels on the desktop, ${differ} differ, ${far} away from the other's strokes`);

  // A copy of the canvas into a texture every frame, for one, brings SwiftShader down to 2.
  const rate = await page.evaluate(() => new Promise((resolve) => {
                                     const t0 = performance.now();
                                     let frames = 0;
                                     const tick = () => ++frames < 120 ?
                                         requestAnimationFrame(tick) :
                                         resolve(frames * 1000 / (performance.now() - t0));
                                     requestAnimationFrame(tick);
                                   }));
  check('the page keeps its frame rate', rate >= 10, `${rate.toFixed(1)} frames a second`);

  // Held until the curve shows, however slowly a busy machine draws.
  for (const key of ['ArrowUp', 'ArrowLeft']) await page.keyboard.down(key);
  const steered = await waitFor(page, 6000, (img) => curvesUpLeft(img).ok);
  for (const key of ['ArrowUp', 'ArrowLeft']) await page.keyboard.up(key);
  check('the arrows steer, and the ship leaves a trail', steered.ok, curvesUpLeft(steered.img).detail);

  // The beam swept round while drones close in.
  let zeros = true;
  for (let sweep = 0; sweep < 10 && zeros !== false; sweep++) {
    await hold(page, ['z', 'ArrowRight'], 1000);
    await sleep(900);  // the energy refills
    const read = await waitFor(page, 1500, (img) => endsInZeros(img, start.img) !== null);
    zeros = endsInZeros(read.img, start.img);
  }
  check('the beam kills a drone', zeros === false);
  const ear = await page.evaluate(() => [window.devices, window.loudest]);
  check('the game is heard from the first key on, not before', silent && ear[0] === 1 && ear[1] > 0.05,
      `${ear[0]} devices, the loudest sample ${ear[1].toFixed(3)}`);

  // Thrust held through the death repeats, as a browser repeats a held key: the game hears it
  // go down once, as on the desktop, or it would start the next game unseen.
  await page.keyboard.down('ArrowUp');
  const over = await waitFor(page, 60000, (img) => count(img, gameOverBox, red) > 200);
  await hold(page, ['ArrowUp'], 300);  // a repeat, then the release
  const held = count(await shot(page), gameOverBox, red);
  const dims = () => page.evaluate(() => window.locks === 0);  // the screen let dim
  check(
      '"game over" after a death, which a held key does not skip, and the screen may dim',
      over.ok && held > 200 && await dims());
  await page.keyboard.press('x');
  check(
      'a key starts a new game',
      (await waitFor(page, 3000, (img) => count(img, gameOverBox, red) < 20)).ok);

  // Escape ends the loop: the picture stands still with word of how to go on. A key, and then
  // a click, play again; a new game moves once its first wave comes, a second in.
  for (const how of ['key', 'click']) {
    await page.keyboard.press('Escape');
    const stopped = await waitFor(page, 2000, (img) => count(img, noticeBox, hud) > 300);
    await sleep(500);
    check(
        `Escape stops the loop (then a ${how}), and the screen may dim`,
        stopped.ok && stopped.img.equals(await shot(page)) && await dims());
    await (how === 'key' ? page.keyboard.press('Space') : page.mouse.click(400, 300));
    const again = await waitFor(page, 3000, (img) => count(img, noticeBox, hud) < 20);
    const moving = (await waitFor(page, 3000, (img) => !img.equals(again.img))).ok;
    check(`a ${how} plays again`, again.ok && moving);
  }
  await page.close();

  // The page opens a pad when it next looks, and a button held by then was never pressed
  // there. Each move is held until it shows, however slowly a busy machine draws.
  const [padPage] = await open(padStandIn);
  await padPage.evaluate(() => window.showPad());
  await padPage.waitForFunction(() => window.padSeen);
  await padPage.evaluate(() => window.pressPad([12, 14], true));
  const padTurn = await waitFor(padPage, 6000, (img) => curvesUpLeft(img).ok);
  await padPage.evaluate(() => {
    window.pressPad([12, 14], false);
    window.pressPad([0], true);
  });
  const padFire = await waitFor(padPage, 3000, (img) => energy(img) < 80);
  check(
      'a gamepad shown late steers with its d-pad and fires with a button',
      padTurn.ok && padFire.ok,
      `${curvesUpLeft(padTurn.img).detail}, the energy bar ${energy(padFire.img)} long`);

  // A phone held upright, then turned, touched through the DevTools protocol. Its canvas is
  // read whole from the page, whatever size it is shown at.
  const phone = await browser.newPage();
  const cdp = await browser.newCDPSession(phone);
  const orient = (width, height) => cdp.send(
      'Emulation.setDeviceMetricsOverride', {width, height, deviceScaleFactor: 3, mobile: true});
  await orient(390, 844);
  await cdp.send('Emulation.setTouchEmulationEnabled', {enabled: true, maxTouchPoints: 5});
  for (const standIn of [earStandIn, lockStandIn]) await phone.addInitScript(standIn);
  await phone.goto(`${origin}/`);
  const read = async () => decode(Buffer.from(
      (await phone.evaluate(() => document.getElementById('canvas').toDataURL())).slice(22),
      'base64'));
  const touch = (type, touchPoints) => cdp.send('Input.dispatchTouchEvent', {type, touchPoints});
  // The page's parts in CSS pixels, and the point at a share of one's width and height.
  const boxes = () => phone.evaluate(() => Object.fromEntries([
    'canvas', 'bar', 'stick', 'fire'
  ].map((id) => [id, document.getElementById(id).getBoundingClientRect().toJSON()])));
  const at = (box, u, v, id) => ({x: box.x + box.width * u, y: box.y + box.height * v, id});
  const overlap = (a, b) =>
      a.width && b.width && a.x < b.right && b.x < a.right && a.y < b.bottom && b.y < a.bottom;
  const within = (a, w, h) => a.x >= 0 && a.y >= 0 && a.right <= w && a.bottom <= h;
  const shown = () =>
      phone.evaluate(() => getComputedStyle(document.getElementById('stick')).display !== 'none');
  const started = (await waitFor(phone, 10000, (img) => count(img, hudBand, hud) > 300, read)).ok;
  const keysLine = await boxes();
  const wrapped = await phone.evaluate(() => document.getElementById('bar').scrollWidth <= 390);

  const before = [await shown(), await phone.evaluate(() => window.devices)];
  await touch('touchStart', [at(keysLine.canvas, 0.5, 0.5, 1)]);
  await touch('touchEnd', []);
  check(
      'the touch controls and the sound come with the first touch, not before',
      started && !before[0] && before[1] === 0 && await shown() &&
          await phone.evaluate(() => window.devices) === 1);

  // Upright: the line of keys wrapped within the screen before the first touch, and after it
  // nothing over the picture, which is smoothed below its own size.
  let box = await boxes();
  const smooth = await phone.evaluate(
      () => getComputedStyle(document.getElementById('canvas')).imageRendering);
  check(
      'upright, the picture is smoothed and nothing covers it or leaves the screen',
      smooth === 'auto' && wrapped && within(keysLine.bar, 390, 844) &&
          Object.values(box).every((b) => within(b, 390, 844)) &&
          ['bar', 'stick', 'fire'].every((id) => !overlap(box[id], box.canvas)),
      JSON.stringify(box));

  // A pinch and a drag on the page between the controls, where no game listens.
  const y = (box.bar.bottom + box.stick.y) / 2;
  await touch('touchStart', [{x: 180, y, id: 2}, {x: 210, y, id: 3}]);
  for (let d = 10; d < 150; d += 10)
    await touch('touchMove', [{x: 180 - d, y, id: 2}, {x: 210 + d, y, id: 3}]);
  await touch('touchEnd', []);
  await touch('touchStart', [{x: 195, y, id: 4}]);
  for (let d = 20; d < 400; d += 20) await touch('touchMove', [{x: 195, y: y - d, id: 4}]);
  await touch('touchEnd', []);
  const moved = await phone.evaluate(
      () => [scrollX, scrollY, visualViewport.scale, visualViewport.offsetTop]);
  check(
      'the page neither scrolls nor zooms under the fingers', moved.join() === '0,0,1,0',
      moved.join());

  // Sideways: steering and firing at once, then the stick's finger lifted lets go of steering
  // alone: the beam drains on.
  await orient(844, 390);
  await sleep(300);
  box = await boxes();
  const beside = box.stick.right <= box.canvas.x && box.fire.x >= box.canvas.right &&
      box.canvas.height === 390;
  const steer = at(box.stick, 0.2, 0.2, 5), fire = at(box.fire, 0.5, 0.5, 6);
  await touch('touchStart', [steer]);
  const turned = await waitFor(phone, 6000, (img) => curvesUpLeft(img).ok, read);
  await touch('touchStart', [steer, fire]);
  const both = await waitFor(phone, 3000, (img) => energy(img) < 80, read);
  await touch('touchEnd', [steer]);
  const fireOnly = await waitFor(phone, 2000, (img) => energy(img) < energy(both.img) - 5, read);
  await touch('touchEnd', []);
  const curve = curvesUpLeft(both.img);
  check(
      'sideways, a stick and the fire button held at once steer and fire',
      beside && turned.ok && both.ok && curve.ok,
      `${curve.detail}, the energy bar ${energy(both.img)} long`);
  check(
      'lifting the stick\'s finger leaves the fire button held', fireOnly.ok,
      `the energy bar ${energy(both.img)}, then ${energy(fireOnly.img)} long`);

  // The page hidden pauses the game and lets the screen dim; a tap on the picture resumes.
  const hide = (hidden) => phone.evaluate((hidden) => {
    Object.defineProperty(document, 'hidden', {value: hidden, configurable: true});
    Object.defineProperty(
        document, 'visibilityState', {value: hidden ? 'hidden' : 'visible', configurable: true});
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  const tap = async (id) => {
    await touch('touchStart', [at(box.canvas, 0.5, 0.5, id)]);
    await touch('touchEnd', []);
  };
  // What the lock did since the last look: the ship may die at any moment after a resume.
  let seen = 0;
  const since = () => phone.evaluate((n) => window.lockLog.slice(n).join(''), seen)
                          .then((log) => (seen += log.length, log));
  await tap(7);  // a new game, if the ship died above
  await since();
  await hide(true);
  const paused = await waitFor(phone, 5000, (img) => count(img, noticeBox, hud) > 300, read);
  const dim = await since();
  await hide(false);
  await tap(8);
  const resumed = await waitFor(phone, 5000, (img) => count(img, noticeBox, hud) < 20, read);
  const awake = await since();
  check(
      'the page hidden pauses and lets the screen dim, and a tap plays on, kept awake',
      paused.ok && dim.endsWith('0') && resumed.ok && awake.startsWith('1'),
      `the lock held ${dim} paused and ${awake} after; paused ${paused.ok}, resumed ${resumed.ok}`);

  await phone.keyboard.press('x');
  check('a key hides the touch controls', !(await shown()));

  const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
  check(
      'Chromium finds the page installable', installabilityErrors.length === 0,
      JSON.stringify(installabilityErrors));

  // The folder to upload holds the page's files alone, and its worker keeps every one.
  const listed = /kFiles = \[(.*)\]/.exec(fs.readFileSync(path.join(root, 'sw.js'), 'utf8'))[1];
  const files = fs.readdirSync(root).filter((f) => f !== 'sw.js').map((f) => `'${f}'`);
  check(
      'the page\'s folder holds only what its worker keeps',
      ['\'./\'', ...files].sort().join() === listed.split(', ').sort().join(), listed);

  // Cut off from the network, and the server gone too, the page loads from what its worker
  // kept and plays.
  const kept = {timeout: 10000};
  await phone.waitForFunction(() => navigator.serviceWorker.controller, null, kept).catch(() => {});
  await browser.setOffline(true);
  server.kill();
  await phone.reload().catch(() => {});
  // A page that did not load has no canvas to read.
  const offline = await waitFor(phone, 10000, (img) => count(img, hudBand, hud) > 300, read)
                      .catch(() => ({ok: false}));
  const plays =
      offline.ok && (await waitFor(phone, 3000, (img) => !img.equals(offline.img), read)).ok;
  check('with no network a reload still plays', plays);

  // Emscripten's notice that it emulates OpenGL, and SwiftShader's note that headless Chromium
  // reads each WebGL canvas back (a bare WebGL page gets it too), are not the page's.
  const own =
      said.filter((s) => !/^WARNING: using emscripten GL|GPU stall due to ReadPixels/.test(s));
  check('the console stays clean', own.length === 0, own.join('\n'));
} finally {
  await browser.close();
  server.kill();
  fs.rmSync(work, {recursive: true, force: true});
}
finish();
