// The page in Debian's Chromium, headless, driven through the DevTools protocol with real key
// presses and judged by screenshots of its canvas. Each check says what failed and where.
//   node page_test.mjs BUILD_WEB_DIR DESKTOP_BINARY
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const [root, desktop] = process.argv.slice(2);
const W = 640;
const H = 480;

let passed = 0;
let failed = 0;
function check(name, ok, detail) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? `: ${detail}` : ''}`);
  if (ok) passed++;
  else failed++;
}

// ---- Pictures: RGB bytes, looked at in the game's coordinates (y up from the bottom edge).

function decode(png) {
  const data = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], { input: png });
  if (data.length !== W * H * 3) throw new Error(`a capture of ${data.length} bytes, not 640x480`);
  return data;
}

function pixel(img, x, y) {
  const i = ((H - 1 - y) * W + x) * 3;
  return [img[i], img[i + 1], img[i + 2]];
}

// The pixels within [x0, x1) x [y0, y1) that `is` accepts.
function count(img, [x0, y0, x1, y1], is) {
  let n = 0;
  for (let y = y0; y < y1; y++) for (let x = x0; x < x1; x++) if (is(pixel(img, x, y))) n++;
  return n;
}

const near = (c, [r, g, b], d = 8) =>
  Math.abs(c[0] - r) <= d && Math.abs(c[1] - g) <= d && Math.abs(c[2] - b) <= d;
const hud = (c) => near(c, [51, 255, 51]); // the HUD's opaque green
const red = (c) => c[0] > 200 && c[1] < 60 && c[2] < 60; // "game over"
const trail = (c) => c[1] > 12 && c[0] < c[1] / 2 && c[2] < c[1] / 2; // the ship, faded or not

const hudBand = [0, 0, W, 26];
const gameOverBox = [128, 270, 512, 350];
const noticeBox = [160, 270, 480, 350]; // "stopped", where "game over" would be

// ---- The score, read off the HUD with the game's own digits, drawn as the page draws them:
// each stroke 2 pixels wide across its major axis, the glyph 16 pixels to the unit.

function digits() {
  const source = fs.readFileSync(path.join(here, '../../render/font.cpp'), 'utf8');
  const glyphs = {};
  const row = /^\s*\{'(\d)',\s*([\d.]+)f?,\s*(\d+),\s*\{(.*)\}\},\s*$/;
  for (const line of source.split('\n')) {
    const m = row.exec(line);
    if (!m) continue;
    const n = m[4].match(/-?[\d.]+/g).map(Number);
    const segments = [];
    for (let i = 0; i < Number(m[3]) * 4; i += 4) segments.push(n.slice(i, i + 4));
    glyphs[m[1]] = { advance: Number(m[2]), segments };
  }
  if (Object.keys(glyphs).length !== 10) throw new Error('the digits are not in render/font.cpp');
  return glyphs;
}
const kDigits = digits();
const kScorePen = 240 + 16 * 4.3; // after "score: "

// Whether the pixel centred on (px, py) lies in a stroke of `glyph` with its pen at (pen, 5).
function inGlyph(glyph, pen, px, py) {
  for (const [a, b, c, d] of glyph.segments) {
    const x0 = pen + 16 * a, y0 = 5 + 16 * b, x1 = pen + 16 * c, y1 = 5 + 16 * d;
    const xMajor = Math.abs(x1 - x0) >= Math.abs(y1 - y0);
    if (xMajor) {
      if (px < Math.min(x0, x1) || px > Math.max(x0, x1)) continue;
      const y = x1 === x0 ? y0 : y0 + ((y1 - y0) * (px - x0)) / (x1 - x0);
      if (Math.abs(py - y) < 1) return true;
    } else {
      if (py < Math.min(y0, y1) || py > Math.max(y0, y1)) continue;
      const x = x0 + ((x1 - x0) * (py - y0)) / (y1 - y0);
      if (Math.abs(px - x) < 1) return true;
    }
  }
  return false;
}

// The score as a number, or null where the HUD cannot be read (a laser across it, say). Digit
// by digit from the left: the one whose strokes cover the lit pixels up to the next pen.
function readScore(img) {
  let pen = kScorePen;
  let text = '';
  for (;;) {
    const lit = count(img, [Math.floor(pen) - 1, 2, Math.floor(pen) + 4, 24], hud);
    if (lit === 0) break;
    let best = null;
    for (const [d, glyph] of Object.entries(kDigits)) {
      let wrong = 0;
      const x1 = Math.floor(pen + 16 * glyph.advance - 1.5);
      for (let y = 2; y < 24; y++) {
        for (let x = Math.floor(pen) - 2; x < x1; x++) {
          if (hud(pixel(img, x, y)) !== inGlyph(glyph, pen, x + 0.5, y + 0.5)) wrong++;
        }
      }
      if (best === null || wrong < best.wrong) best = { d, wrong };
    }
    if (best.wrong > 6 || text.length > 9) return null;
    text += best.d;
    pen += 16 * kDigits[best.d].advance;
  }
  return text === '' ? null : Number(text);
}

// ---- The page, served from the build folder on the loopback address.

function serve(dir) {
  const types = {
    '.html': 'text/html',
    '.js': 'text/javascript',
    '.wasm': 'application/wasm',
    '.svg': 'image/svg+xml',
  };
  const server = http.createServer((req, res) => {
    const name = new URL(req.url, 'http://localhost').pathname.replace(/\/$/, '/index.html');
    const file = path.join(dir, path.normalize(name));
    fs.readFile(file, (err, body) => {
      res.writeHead(err ? 404 : 200, { 'Content-Type': types[path.extname(file)] || 'text/plain' });
      res.end(err ? '' : body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function shot(page) {
  const box = await page.locator('#canvas').boundingBox();
  return decode(await page.screenshot({ clip: box }));
}

// The ship's path since the picture was last clear of it: its extent and how many pixels.
function shipTrail(img) {
  let left = W, right = 0, bottom = H, top = 0, lit = 0;
  for (let y = 30; y < H; y++) {
    for (let x = 0; x < W; x++) {
      if (!trail(pixel(img, x, y))) continue;
      lit++;
      left = Math.min(left, x);
      right = Math.max(right, x);
      bottom = Math.min(bottom, y);
      top = Math.max(top, y);
    }
  }
  return { lit, width: right - left + 1, height: top - bottom + 1 };
}
// A ship at rest covers some 45 pixels, 6 x 13, and thrust alone draws a stripe 6 wide.
const curved = (t) => t.lit > 150 && t.width > 12 && t.height > 12;

// The energy bar's length: its middle row from x 120, where a full bar ends at 220.
const energy = (img) => count(img, [120, 10, 240, 11], hud);

// Screenshots until `test` holds, for at most `ms`; the last one either way.
async function waitFor(page, ms, test) {
  const end = Date.now() + ms;
  let img;
  do {
    img = await shot(page);
    if (test(img)) return { img, ok: true };
    await sleep(100);
  } while (Date.now() < end);
  return { img, ok: false };
}

// A gamepad stands in for the browser's own: in the standard layout, its d-pad is buttons 12
// to 15 (up, down, left, right), and like a real one the browser shows it to the page only
// once it has been used there.
function padStandIn() {
  const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
  const pad = { id: 'stand-in', index: 0, connected: true, mapping: 'standard', buttons };
  pad.axes = [0, 0, 0, 0];
  pad.timestamp = 0;
  let shown = false;
  Object.defineProperty(navigator, 'getGamepads', { value: () => [shown ? pad : null] });
  window.showPad = () => (shown = true);
  window.pressPad = (i, down) => {
    buttons[i].pressed = down;
    buttons[i].value = down ? 1 : 0;
    pad.timestamp++;
  };
}

async function gamepad(page, url) {
  await page.addInitScript(padStandIn);
  await page.goto(url);
  const start = await waitFor(page, 10000, (img) => count(img, hudBand, hud) > 300);
  await page.evaluate(() => window.showPad());
  await sleep(300);
  await page.evaluate(() => [12, 14].forEach((b) => window.pressPad(b, true)));
  await sleep(2000);
  await page.evaluate(() => [12, 14].forEach((b) => window.pressPad(b, false)));
  const path = shipTrail(await shot(page));
  check('a gamepad found late steers with its d-pad', start.ok && curved(path),
    `${path.lit} green pixels over ${path.width} x ${path.height}`);
  await page.evaluate(() => window.pressPad(0, true));
  await sleep(500);
  const firing = energy(await shot(page));
  await page.evaluate(() => window.pressPad(0, false));
  check('its buttons fire the beam', firing < 80, `the energy bar ${firing} pixels long`);
  await page.close();
}

async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'driftbeam-page-'));
  execFileSync(path.join(here, 'desktop_start.sh'), [desktop, path.join(work, 'desktop.png')]);
  const desktopStart = decode(fs.readFileSync(path.join(work, 'desktop.png')));

  const server = await serve(root);
  const url = `http://127.0.0.1:${server.address().port}/`;
  // A fresh profile, and a closed network: nothing of the browser's own may go looking for one.
  const browser = await chromium.launchPersistentContext(path.join(work, 'profile'), {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 800, height: 600 },
    args: [
      '--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
  try {
    const said = [];
    browser.on('page', (page) => {
      page.on('console', (m) => {
        if (m.type() === 'error' || m.type() === 'warning') said.push(`${m.type()}: ${m.text()}`);
      });
      page.on('pageerror', (e) => said.push(`uncaught: ${e.message}`));
      page.on('requestfailed', (r) => said.push(`request failed: ${r.url()}`));
      page.on('response', (r) => r.status() >= 400 && said.push(`${r.status()}: ${r.url()}`));
    });
    const page = await browser.newPage();

    await page.goto(url);
    const start = await waitFor(page, 10000, (img) => count(img, hudBand, hud) > 300);
    check('the page starts a game', start.ok, start.ok ? '' : 'no HUD on the canvas within 10 s');

    // The same HUD as the desktop's, pixel for pixel but for the odd edge pixel: as thick (a
    // 1-pixel stroke would miss half), and in the same place (a shifted one misses its edges).
    let pageOnly = 0;
    let desktopOnly = 0;
    let far = 0;
    let total = 0;
    const around = (img, x, y) => {
      for (let dy = -1; dy <= 1; dy++) {
        for (let dx = -1; dx <= 1; dx++) {
          const nx = x + dx, ny = y + dy;
          if (nx >= 0 && nx < W && ny >= 0 && ny < H && hud(pixel(img, nx, ny))) return true;
        }
      }
      return false;
    };
    for (let y = hudBand[1]; y < hudBand[3]; y++) {
      for (let x = hudBand[0]; x < hudBand[2]; x++) {
        const p = hud(pixel(start.img, x, y));
        const d = hud(pixel(desktopStart, x, y));
        if (d) total++;
        if (p === d) continue;
        if (p) pageOnly++;
        else desktopOnly++;
        if (!around(p ? desktopStart : start.img, x, y)) far++;
      }
    }
    check('the HUD matches the desktop\'s',
      total > 300 && pageOnly + desktopOnly <= total * 0.05 && far === 0,
      `${total} HUD pixels on the desktop; ${pageOnly} only in the page, ${desktopOnly} only ` +
      `on the desktop, ${far} of them not beside the other's strokes`);
    check('the score reads 0 at the start', readScore(start.img) === 0, `read ${readScore(start.img)}`);

    const layout = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      const r = c.getBoundingClientRect();
      return { focused: document.activeElement === c, x: r.x, w: r.width, h: r.height };
    });
    check('the canvas has the keyboard', layout.focused);
    check('the canvas is centred at its own size in an 800 x 600 window',
      layout.w === 640 && layout.h === 480 && Math.abs(layout.x - 80) <= 1, JSON.stringify(layout));
    const fit = async (width, height) => {
      await page.setViewportSize({ width, height });
      // The page refits on the window's resize event, which comes with the next frame.
      await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => setTimeout(r))));
      return page.evaluate(() => {
        const r = document.getElementById('canvas').getBoundingClientRect();
        return { x: r.x, y: r.y, w: r.width, h: r.height };
      });
    };
    const large = await fit(1400, 1100);
    check('a large window shows the picture twice as large, centred',
      large.w === 1280 && large.h === 960 && Math.abs(large.x - 60) <= 1, JSON.stringify(large));
    const small = await fit(600, 400);
    check('a small window shrinks the picture to fit, 4:3',
      small.w <= 600 && small.h + 28 <= 400 && Math.abs(small.w * 3 - small.h * 4) <= 4,
      JSON.stringify(small));
    await page.setViewportSize({ width: 800, height: 600 });

    const fps = await page.evaluate(
      () =>
        new Promise((resolve) => {
          let frames = 0;
          const t0 = performance.now();
          const tick = () => {
            frames++;
            if (performance.now() - t0 < 2000) requestAnimationFrame(tick);
            else resolve((frames * 1000) / (performance.now() - t0));
          };
          requestAnimationFrame(tick);
        }),
    );
    // Copying the canvas into a texture every frame, say, brings SwiftShader down to 2.
    check('the page keeps its frame rate', fps >= 10, `${fps.toFixed(1)} frames a second`);

    // Thrust and a turn: the ship draws a curve that fades behind it.
    await page.keyboard.down('ArrowUp');
    await page.keyboard.down('ArrowLeft');
    await sleep(2000);
    await page.keyboard.up('ArrowLeft');
    await page.keyboard.up('ArrowUp');
    const curve = shipTrail(await shot(page));
    check('a turning ship leaves a trail', curved(curve),
      `${curve.lit} green pixels over ${curve.width} x ${curve.height}`);

    // The beam swept round while drones close in: a kill scores 10, 50 or 51, a wave 100.
    let score = null;
    for (let sweep = 0; sweep < 10 && !(score % 100); sweep++) {
      await page.keyboard.down('z');
      await page.keyboard.down('ArrowRight');
      await sleep(1000);
      await page.keyboard.up('ArrowRight');
      await page.keyboard.up('z');
      await sleep(900); // the energy refills
      const read = await waitFor(page, 1500, (img) => readScore(img) !== null);
      score = readScore(read.img);
    }
    check('the beam kills a drone', score !== null && score % 100 !== 0, `the score reads ${score}`);

    // Held through the death, thrust repeats as a browser repeats a held key; the game must
    // hear it go down once, as on the desktop, or it would start the next game unseen.
    await page.keyboard.down('ArrowUp');
    const over = await waitFor(page, 60000, (img) => count(img, gameOverBox, red) > 200);
    check('"game over" after a death', over.ok, over.ok ? '' : 'none within 60 s');
    const final = readScore(over.img);
    await page.keyboard.down('ArrowUp'); // a repeat
    await sleep(300);
    await page.keyboard.up('ArrowUp');
    const held = count(await shot(page), gameOverBox, red);
    check('a key held through the death starts nothing', held > 200, `${held} red pixels left`);

    await page.keyboard.press('x');
    const next = await waitFor(page, 3000, (img) => count(img, gameOverBox, red) < 20);
    check('a key starts a new game', next.ok && readScore(next.img) === 0,
      `the score reads ${readScore(next.img)} after ${final}`);

    // Escape ends the loop: the picture stands still with word of how to go on; a key, and
    // then a click, play again.
    for (const how of ['key', 'click']) {
      await page.keyboard.press('Escape');
      const stopped = await waitFor(page, 2000, (img) => count(img, noticeBox, hud) > 300);
      await sleep(500);
      const later = await shot(page);
      const still = Buffer.compare(stopped.img, later) === 0;
      check(`Escape stops the game (then a ${how})`, stopped.ok && still,
        `notice shown: ${stopped.ok}, picture still: ${still}`);
      if (how === 'key') await page.keyboard.press('Space');
      else await page.mouse.click(400, 300);
      const again = await waitFor(page, 3000, (img) => count(img, noticeBox, hud) < 20);
      // A new game stands still until its first wave, a second in.
      const moving = (await waitFor(page, 3000, (img) => Buffer.compare(img, again.img) !== 0)).ok;
      check(`a ${how} plays again`, again.ok && moving && readScore(again.img) === 0,
        `notice gone: ${again.ok}, picture moving: ${moving}, score ${readScore(again.img)}`);
    }

    await page.close();
    await gamepad(await browser.newPage(), url);

    // Emscripten's notice that it emulates OpenGL, and SwiftShader's note that the headless
    // browser reads every WebGL canvas back (it says so for a bare WebGL page too), are the
    // browser's and the toolchain's; anything else is the page's.
    const own = said.filter(
      (s) => !/^warning: WARNING: using emscripten GL/.test(s) && !/GPU stall due to ReadPixels/.test(s),
    );
    check('the console stays clean', own.length === 0, own.join('\n'));
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

await main();
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
