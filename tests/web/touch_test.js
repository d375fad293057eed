// Plays Qorb by touch alone in Debian's headless Chromium at a phone's size
// (touch emulation, no mouse, no keys), in landscape and in portrait, and
// looks at the picture with the same checker as browser_test.js: the title,
// a tap plays the intro, a tap cuts it and round 1 is announced, a drag moves
// the paddle both ways by as much as the finger went over the picture, a tap
// serves (a second finger's while the first steers, in portrait), the pause
// button pauses and resumes, give up shows the game-over picture and the
// title, leave ends the game and the page says so. The page never scrolls or
// zooms, and no error reaches the console.
//
// Then offline: after one visit, a reload without a network shows the title
// and a game starts; a rebuilt module (the site's qorb.js changed and its key
// written again with web/site_key.cmake) replaces the kept one.
//
// Usage: node touch_test.js --site DIR --assets DIR --checker PATH --cmake PATH [--keep DIR]
'use strict';

const { spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium } = require('playwright-core');
const { serve } = require('./serve');

const options = {};
for (let i = 2; i < process.argv.length; ++i) {
  const arg = process.argv[i];
  if (['--site', '--assets', '--checker', '--cmake', '--keep'].includes(arg) && i + 1 < process.argv.length)
    options[arg.slice(2)] = process.argv[++i];
  else {
    console.error(`touch_test: unknown argument ${arg}`);
    process.exit(2);
  }
}
for (const needed of ['site', 'assets', 'checker', 'cmake']) {
  if (!options[needed]) {
    console.error(`touch_test: --${needed} is missing`);
    process.exit(2);
  }
}

const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const phones = [
  { name: 'landscape', viewport: { width: 915, height: 412 } },
  { name: 'portrait', viewport: { width: 412, height: 915 } },
];
const GameWidth = 800;
const PanelLeft = 671; // the status panel's left edge: the playfield ends there

const shots = options.keep ? path.resolve(options.keep) : fs.mkdtempSync(path.join(os.tmpdir(), 'qorb-touch-'));
fs.mkdirSync(shots, { recursive: true });
const art = (name) => path.join(options.assets, name);

class Failure extends Error {}
const fail = (why) => {
  throw new Failure(why);
};
const say = (text) => console.log(`touch_test: ${text}`);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function check(args) {
  const run = spawnSync(options.checker, args, { encoding: 'utf8' });
  if (run.status === 2 || run.error) fail(`screen_check could not run: ${run.stderr || run.error}`);
  return { ok: run.status === 0, text: (run.stdout || '').trim() };
}

// What a test needs of one page: screenshots of the picture alone, and
// fingers through the protocol's touch events.
async function phone(context, label) {
  const page = await context.newPage();
  const errors = [];
  page.on('console', (m) => {
    if (m.type() === 'error') errors.push(`console: ${m.text()}`);
  });
  page.on('pageerror', (e) => errors.push(`page: ${e.message}`));
  const cdp = await context.newCDPSession(page);
  const touch = (type, points) =>
    cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y, id]) => ({ x, y, id })) });
  let count = 0;
  const t = {
    page,
    errors,
    picture: () => page.evaluate(() => window.qorbPage.pictureRect()),
    async shot(name) {
      const p = await t.picture();
      const file = path.join(shots, `${label}-${String(++count).padStart(2, '0')}-${name}.png`);
      const clip = { x: Math.round(p.left), y: Math.round(p.top), width: Math.round(p.width), height: Math.round(p.height) };
      await page.screenshot({ path: file, clip });
      return file;
    },
    async region(name, picture, ...numbers) {
      const file = await t.shot(name);
      return { ...check(['--region', file, art(picture), ...numbers.map(String)]), file };
    },
    async expectRegion(name, picture, ...numbers) {
      const r = await t.region(name, picture, ...numbers);
      if (!r.ok) fail(`${label}: the screen at '${name}' is not as expected (${r.text}; kept as ${r.file})`);
    },
    same: (a, b) => check(['--same', a, b]).ok,
    async waitForTitle(seconds, name) {
      for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(500))
        if (check([await t.shot(name), art('TITLES.DAT')]).ok) return;
      fail(`${label}: the whole title did not stand on the screen within ${seconds} s`);
    },
    // A finger's tap at (x, y) of the page.
    async tap(x, y) {
      await touch('touchStart', [[x, y, 1]]);
      await sleep(60);
      await touch('touchEnd', []);
      await sleep(250);
    },
    async tapPicture() {
      const p = await t.picture();
      await t.tap(p.left + p.width / 2, p.top + p.height / 3);
    },
    // A finger drawn across the picture by `gamePixels` of its 800.
    async drag(gamePixels, { hold = false } = {}) {
      const p = await t.picture();
      const y = p.top + p.height / 2;
      const x0 = gamePixels > 0 ? p.left + p.width * 0.1 : p.left + p.width * 0.9;
      const dx = (gamePixels * p.width) / GameWidth;
      await touch('touchStart', [[x0, y, 1]]);
      for (let i = 1; i <= 10; ++i) {
        await touch('touchMove', [[x0 + (dx * i) / 10, y, 1]]);
        await sleep(20);
      }
      if (!hold) await touch('touchEnd', []);
      return [x0 + dx, y];
    },
    touch,
    async tapButton(id) {
      const box = await page.evaluate((name) => {
        const r = document.getElementById(name).getBoundingClientRect();
        return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
      }, id);
      await t.tap(box.x, box.y);
    },
    state: () => page.evaluate(() => window.qorbPage.stats.playState),
    async waitForState(state, seconds, what) {
      for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(100))
        if ((await t.state()) === state) return;
      fail(`${label}: ${what} within ${seconds} s`);
    },
  };
  return t;
}

async function playByTouch(browser, address, { name, viewport }) {
  const context = await browser.newContext({ viewport, hasTouch: true, isMobile: true, deviceScaleFactor: 1 });
  try {
    const t = await phone(context, name);
    const { page } = t;
    await page.goto(address);
    await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
    await t.waitForTitle(30, 'title');
    say(`${name}: the title stands on the phone's screen`);

    // The buttons: on a touch screen only, thumb-sized, outside the playfield.
    const controls = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect();
      return { shown: !document.getElementById('touch-controls').hidden, pause: box('pause') };
    });
    if (!controls.shown) fail(`${name}: no touch buttons on a touch screen`);

    await t.tapPicture();
    await sleep(1500);
    await t.expectRegion('intro', 'CLOUDS.DAT', 690, 120, 100, 150, 690, 120, 90);
    say(`${name}: a tap plays the intro`);
    await t.tapPicture();
    await sleep(1200);
    await t.expectRegion('announcement', 'LEVEL1.GRA', 83, 283, 400, 120, 100, 300, 90);
    say(`${name}: a tap cuts the intro and round 1 is announced`);
    await t.waitForState(1, 10, 'play did not begin');
    await sleep(3000);

    // The button now shows, outside the playfield, big enough for a thumb.
    const button = await page.evaluate(() => {
      const r = document.getElementById('pause').getBoundingClientRect();
      return { hidden: document.getElementById('pause').hidden, left: r.left, top: r.top, right: r.right, bottom: r.bottom,
        width: r.width, height: r.height };
    });
    const p = await t.picture();
    const field = { left: p.left, top: p.top, right: p.left + (p.width * PanelLeft) / GameWidth, bottom: p.top + p.height };
    if (button.hidden) fail(`${name}: no pause button in play`);
    if (button.width < 44 || button.height < 44) fail(`${name}: the pause button is ${button.width} x ${button.height}`);
    if (button.left < field.right && button.right > field.left && button.top < field.bottom && button.bottom > field.top)
      fail(`${name}: the pause button covers the playfield`);
    say(`${name}: the pause button stands outside the playfield, ${button.width} x ${button.height} CSS px`);

    // Against the left wall the paddle stands at x 10; a drag over the
    // picture by 100 of its 800 pixels moves it by 100, and back by 60.
    await t.drag(-700);
    await sleep(300);
    await t.expectRegion('left_wall', 'ELEMENTS.DAT', 383, 5, 70, 10, 30, 554, 80);
    await t.drag(100);
    await sleep(300);
    await t.expectRegion('dragged_right', 'ELEMENTS.DAT', 383, 5, 70, 10, 130, 554, 80);
    await t.drag(-60);
    await sleep(300);
    await t.expectRegion('dragged_left', 'ELEMENTS.DAT', 383, 5, 70, 10, 70, 554, 80);
    say(`${name}: a drag moves the paddle as far as the finger went over the picture, both ways`);

    // Held, the ball stands still with the paddle; served, it moves.
    const held = await t.shot('held');
    await sleep(300);
    if (!t.same(held, await t.shot('held_still'))) fail(`${name}: the picture moved before the serve`);
    if (name === 'portrait') {
      // A second finger taps while the first one rests on the picture. (A
      // touch end through the protocol names the fingers it lifts.)
      const [x, y] = await t.drag(20, { hold: true });
      const q = await t.picture();
      const second = [q.left + q.width / 4, q.top + q.height / 4, 2];
      await t.touch('touchStart', [[x, y, 1], second]);
      await sleep(60);
      await t.touch('touchEnd', [second]);
      await sleep(250);
      await t.touch('touchEnd', []);
    } else {
      await t.tapPicture();
    }
    await sleep(200);
    const served = await t.shot('served');
    await sleep(150);
    if (t.same(served, await t.shot('served_moving'))) fail(`${name}: the tap did not serve the ball`);
    say(`${name}: ${name === 'portrait' ? "a second finger's tap while the first rests" : 'a tap'} serves`);

    // The pause button pauses (keys are not read during an explosion or an
    // announcement: tap again until the game says it is paused).
    for (let attempt = 0; attempt < 20 && (await t.state()) !== 2; ++attempt) {
      await t.tapButton('pause');
      await sleep(400);
    }
    await t.waitForState(2, 1, 'the pause button did not pause');
    const still = await t.shot('paused_a');
    await t.drag(50);
    await sleep(400);
    if (!t.same(still, await t.shot('paused_b'))) fail(`${name}: the picture moved while paused`);
    const menu = await page.evaluate(() => ['give-up', 'leave'].map((id) => !document.getElementById(id).hidden));
    if (!menu.every((v) => v)) fail(`${name}: give up and leave do not show behind the pause`);
    await t.tapButton('pause');
    await t.waitForState(1, 5, 'resume did not resume');
    const resumed = await t.shot('resumed_a');
    await t.drag(-80);
    await sleep(300);
    if (t.same(resumed, await t.shot('resumed_b'))) fail(`${name}: the game did not resume`);
    say(`${name}: the pause button pauses and resumes; give up and leave show only behind it`);

    // Give up: the game-over picture, then the title.
    for (let attempt = 0; attempt < 20 && (await t.state()) !== 2; ++attempt) {
      await t.tapButton('pause');
      await sleep(400);
    }
    await t.tapButton('give-up');
    let over = false;
    for (let i = 0; i < 30 && !over; ++i) {
      await sleep(300);
      over = (await t.region('game_over', 'BELEMNTS.DAT', 106, 123, 449, 436, 174, 164, 95)).ok;
    }
    if (!over) await t.expectRegion('game_over', 'BELEMNTS.DAT', 106, 123, 449, 436, 174, 164, 95);
    await t.waitForTitle(20, 'title_again');
    say(`${name}: give up shows the game-over picture and the title comes back`);

    // Leave: a second game, paused, then left.
    await t.tapPicture();
    await sleep(1000);
    await t.tapPicture();
    await t.waitForState(1, 10, 'the second game did not begin');
    for (let attempt = 0; attempt < 30 && (await t.state()) !== 2; ++attempt) {
      await t.tapButton('pause');
      await sleep(400);
    }
    await t.tapButton('leave');
    await page.waitForFunction(() => window.qorbPage.stats.ended !== null, null, { timeout: 10000 }).catch(() => {
      fail(`${name}: the game still runs 10 s after leave`);
    });
    const end = await page.evaluate(() => ({
      code: window.qorbPage.stats.ended,
      panel: !document.getElementById('ended').hidden,
      scroll: [window.scrollX, window.scrollY, document.scrollingElement.scrollTop],
      scale: window.visualViewport ? window.visualViewport.scale : 1,
    }));
    if (end.code !== 0) fail(`${name}: the game ended with status ${end.code} after leave`);
    if (!end.panel) fail(`${name}: the page does not say that Qorb has ended`);
    say(`${name}: leave ends the game; the page says so`);
    if (end.scroll.some((v) => v !== 0) || end.scale !== 1)
      fail(`${name}: the page scrolled or zoomed (scroll ${end.scroll}, scale ${end.scale})`);
    say(`${name}: after the drags and taps the page has neither scrolled nor zoomed`);
    if (t.errors.length) fail(`${name}: errors reached the console:\n  ${t.errors.join('\n  ')}`);
  } finally {
    await context.close();
  }
}

// After one visit, the title and a game without a network; a rebuilt module
// replaces the kept one.
async function offline(browser) {
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'qorb-site-'));
  fs.cpSync(options.site, site, { recursive: true });
  const server = await serve(site, 0);
  const address = `http://127.0.0.1:${server.address().port}/index.html`;
  const context = await browser.newContext({ viewport: { width: 915, height: 412 }, hasTouch: true, isMobile: true });
  const keys = (page) => page.evaluate(() => caches.keys());
  try {
    let t = await phone(context, 'offline');
    await t.page.goto(address);
    await t.page.evaluate(() => navigator.serviceWorker.ready);
    const first = await keys(t.page);
    if (first.length !== 1 || !/^qorb-[\w.]+-[0-9a-f]{16}$/.test(first[0])) fail(`the caches after a visit: ${first}`);
    await t.page.close();

    await context.setOffline(true);
    t = await phone(context, 'offline');
    await t.page.goto(address);
    await t.page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
    await t.waitForTitle(30, 'title');
    await t.tapPicture();
    await sleep(1500);
    await t.expectRegion('intro', 'CLOUDS.DAT', 690, 120, 100, 150, 690, 120, 90);
    await t.tapPicture();
    await t.waitForState(1, 10, 'no game began offline');
    if (t.errors.length) fail(`offline: errors reached the console:\n  ${t.errors.join('\n  ')}`);
    say(`offline: after one visit the page starts without a network (cache ${first[0]}) and a game begins`);
    await t.page.close();

    // A new build: another module, its key written again as the build writes it.
    await context.setOffline(false);
    fs.appendFileSync(path.join(site, 'qorb.js'), '\n// rebuilt\n');
    const rekey = spawnSync(options.cmake, [`-DSITE=${site}`, '-DVERSION=0', `-DTEMPLATE=${path.join(__dirname, '../../web/sw.js.in')}`,
      '-P', path.join(__dirname, '../../web/site_key.cmake')], { encoding: 'utf8' });
    if (rekey.status !== 0) fail(`site_key.cmake failed: ${rekey.stderr}`);
    const rebuilt = (page) => page.evaluate(() => fetch('qorb.js').then((r) => r.text()).then((text) => text.includes('// rebuilt')));
    // The next visit runs it, and its worker replaces the kept build...
    t = await phone(context, 'rebuilt');
    await t.page.goto(address);
    await t.page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
    if (!(await rebuilt(t.page))) fail('the visit after a rebuild did not run the rebuilt module');
    for (const end = Date.now() + 60000; Date.now() < end; await sleep(500)) {
      const k = await keys(t.page);
      if (k.length === 1 && k[0].startsWith('qorb-0-')) break;
    }
    const now = await keys(t.page);
    if (now.length !== 1 || !now[0].startsWith('qorb-0-')) fail(`the caches after a rebuild: ${now}`);
    // ...which the visits without a network have from then on.
    await t.page.close();
    await context.setOffline(true);
    t = await phone(context, 'rebuilt');
    await t.page.goto(address);
    await t.page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
    if (!(await rebuilt(t.page))) fail('the rebuilt module did not replace the kept one');
    await t.waitForTitle(30, 'title_rebuilt');
    say(`offline: a rebuilt module replaces the kept one (cache ${now[0]})`);
  } finally {
    await context.close();
    server.close();
    fs.rmSync(site, { recursive: true, force: true });
  }
}

async function main() {
  const server = await serve(options.site, 0);
  const address = `http://127.0.0.1:${server.address().port}/index.html`;
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumFlags });
  try {
    for (const p of phones) await playByTouch(browser, address, p);
    await offline(browser);
  } finally {
    await browser.close();
    server.close();
  }
}

main().then(
  () => {
    say(`PASS (screenshots in ${shots})`);
    if (!options.keep) fs.rmSync(shots, { recursive: true, force: true });
  },
  (error) => {
    console.error(`touch_test: FAIL: ${error instanceof Failure ? error.message : error.stack}`);
    console.error(`touch_test: screenshots kept in ${shots}`);
    process.exit(1);
  },
);
