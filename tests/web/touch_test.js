// Plays Qorb by touch alone in Debian's headless Chromium (touch emulation,
// no mouse, no keys), and looks at the picture with the same checker as
// browser_test.js.
//
// A whole game at a phone's size in landscape and in portrait: a tap during
// the title's zoom plays the intro once the zoom is done (and does not also
// cut it short), a tap cuts the intro and round 1 is announced, a tap during
// the announcement counts once play begins (Pause in landscape, a serve in
// portrait), a drag moves the paddle both ways by as much as the finger went
// over the picture, a second finger's tap while the first rests serves, and
// a second finger taps Pause while the first steers; Pause tapped twice
// pauses and resumes (no button moves under the finger between the taps),
// give up shows the game-over picture and the title, leave ends the game and
// the page says so. The page never scrolls or zooms, and no error and no
// game warning reaches the console.
//
// The screens players bring: phones and 4:3 and 16:10 tablets at a device
// pixel ratio of 2, each turned mid-game: the picture as large as fits, no
// button over the playfield, every button reachable and at least 44 CSS px,
// and none moving between two taps.
//
// Then offline: after one visit, a reload without a network shows the title
// and a game starts; a rebuilt site replaces the kept one, and a visit on
// which a file of the new build cannot be fetched runs the old build whole.
//
// Usage: node touch_test.js --site DIR --assets DIR --checker PATH --cmake PATH [--keep DIR] [--only WHAT]
//                           [--thread main]
//   --only  phones, screens or offline: one part alone
//   --thread main  the game on the page's main thread (default: in its worker)
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
  if (['--site', '--assets', '--checker', '--cmake', '--keep', '--only', '--thread'].includes(arg) && i + 1 < process.argv.length)
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
// Held sideways first, then turned: a phone, and tablets of 4:3 and 16:10.
const screens = [
  { width: 915, height: 412 }, { width: 1024, height: 768 }, { width: 1180, height: 820 }, { width: 1366, height: 1024 },
];
const GameWidth = 800;

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
    if (m.type() === 'error' || /^qorb: warning/.test(m.text())) errors.push(`console ${m.type()}: ${m.text()}`);
  });
  page.on('pageerror', (e) => errors.push(`page: ${e.message}`));
  const cdp = await context.newCDPSession(page);
  // Each touch event carries when the finger did it: on a busy machine the
  // protocol may deliver the lift of a 60 ms tap much later, which the page
  // would rightly take for a hold.
  const touch = (type, points, at = Date.now() / 1000) =>
    cdp.send('Input.dispatchTouchEvent', { type, timestamp: at, touchPoints: points.map(([x, y, id]) => ({ x, y, id })) });
  let count = 0;
  const t = {
    page,
    errors,
    label,
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
    async waitForRegion(seconds, name, picture, ...numbers) {
      for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(300))
        if ((await t.region(name, picture, ...numbers)).ok) return;
      await t.expectRegion(name, picture, ...numbers);
    },
    same: (a, b) => check(['--same', a, b]).ok,
    async waitForTitle(seconds, name) {
      for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(500))
        if (check([await t.shot(name), art('TITLES.DAT')]).ok) return;
      fail(`${label}: the whole title did not stand on the screen within ${seconds} s`);
    },
    async open(address) {
      await page.goto(address);
      await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
    },
    // A finger's tap at (x, y) of the page.
    async tap(x, y, id = 1) {
      const at = Date.now() / 1000;
      await touch('touchStart', [[x, y, id]], at);
      await sleep(60);
      await touch('touchEnd', [], at + 0.06);
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
    button: (id) =>
      page.evaluate((name) => {
        const b = document.getElementById(name);
        const r = b.getBoundingClientRect();
        const shown = !b.hidden && getComputedStyle(b).visibility === 'visible';
        const x = r.left + r.width / 2;
        const y = r.top + r.height / 2;
        // Reachable: what a finger at its middle touches is the button itself.
        const reached = shown && document.elementFromPoint(x, y) === b;
        return { id: name, shown, reached, x, y, left: r.left, top: r.top, right: r.right, bottom: r.bottom,
          width: r.width, height: r.height };
      }, id),
    async tapButton(id) {
      const b = await t.button(id);
      await t.tap(b.x, b.y);
    },
    state: () => page.evaluate(() => window.qorbPage.stats.playState),
    async waitForState(state, seconds, what) {
      for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(100))
        if ((await t.state()) === state) return;
      fail(`${label}: ${what} within ${seconds} s`);
    },
    // The picture still moves: a frame later it differs.
    async moving(name) {
      const a = await t.shot(`${name}_a`);
      await sleep(150);
      return !t.same(a, await t.shot(`${name}_b`));
    },
    noErrors() {
      if (errors.length) fail(`${label}: errors or game warnings reached the console:\n  ${errors.join('\n  ')}`);
    },
  };
  return t;
}

// The picture as large as fits, and every button shown reachable, thumb-sized,
// inside the screen, off the playfield and off each other.
async function checkLayout(t, where) {
  const view = await t.page.evaluate(() => ({
    width: window.innerWidth, height: window.innerHeight, ratio: window.devicePixelRatio,
    canvas: [document.getElementById('screen').width, document.getElementById('screen').height],
    map: { ...window.qorbPage.screenMap },
  }));
  const p = await t.picture();
  const fits = Math.min(view.width, (view.height * 4) / 3);
  if (Math.abs(p.width - fits) > 2 || Math.abs(p.height - (fits * 3) / 4) > 2)
    fail(`${where}: the picture is ${p.width} x ${p.height} on a ${view.width} x ${view.height} screen, not as large as fits`);
  if (Math.abs(view.canvas[0] - p.width * view.ratio) > 2)
    fail(`${where}: the canvas holds ${view.canvas[0]} pixels across for ${p.width * view.ratio} of the screen's`);
  const scale = p.width / view.map.width;
  const field = { left: p.left, top: p.top, right: p.left + view.map.panelLeft * scale, bottom: p.top + p.height };
  const state = await t.state();
  const ids = state === 2 ? ['pause', 'give-up', 'leave'] : ['pause'];
  const boxes = [];
  for (const id of ids) {
    const b = await t.button(id);
    const overlaps = (o) => b.left < o.right && b.right > o.left && b.top < o.bottom && b.bottom > o.top;
    if (!b.shown) fail(`${where}: ${id} does not show`);
    if (!b.reached) fail(`${where}: ${id} cannot be reached: something covers it`);
    if (b.width < 44 || b.height < 44) fail(`${where}: ${id} is ${b.width} x ${b.height} CSS px`);
    if (b.left < 0 || b.top < 0 || b.right > view.width || b.bottom > view.height) fail(`${where}: ${id} is off the screen`);
    if (overlaps(field)) fail(`${where}: ${id} covers the playfield`);
    const hit = boxes.find(overlaps);
    if (hit) fail(`${where}: ${id} covers ${hit.id}`);
    boxes.push(b);
  }
  for (const id of ['give-up', 'leave'].filter((i) => !ids.includes(i)))
    if ((await t.button(id)).shown) fail(`${where}: ${id} shows while the game is not paused`);
}

// Pause, then the same place again: paused, then resumed, whatever shows
// between the two taps.
async function pauseTwice(t, where) {
  const before = await t.button('pause');
  for (let attempt = 0; attempt < 20 && (await t.state()) !== 2; ++attempt) {
    await t.tap(before.x, before.y);
    await sleep(300);
  }
  await t.waitForState(2, 2, `${where}: Pause did not pause`);
  await checkLayout(t, `${where}, paused`);
  const after = await t.button('pause');
  if (after.x !== before.x || after.y !== before.y)
    fail(`${where}: Pause moved from ${before.x},${before.y} to ${after.x},${after.y} when it paused`);
  await t.tap(before.x, before.y);
  await t.waitForState(1, 5, `${where}: a second tap of Pause did not resume`);
  await sleep(500);
  if ((await t.state()) !== 1) fail(`${where}: the second tap of Pause did more than resume`);
}

// Starts a game by taps (the title need not stand whole: a tap during the
// zoom waits for it) and waits until it plays.
async function startGame(t) {
  await t.waitForTitle(30, 'title');
  await t.tapPicture();
  await sleep(1200);
  await t.tapPicture();
  await t.waitForState(1, 15, 'play did not begin');
}

async function playByTouch(browser, address, { name, viewport }) {
  const context = await browser.newContext({ viewport, hasTouch: true, isMobile: true, deviceScaleFactor: 1 });
  try {
    const t = await phone(context, name);
    const { page } = t;
    await t.open(address);
    if (!(await page.evaluate(() => !document.getElementById('touch-controls').hidden)))
      fail(`${name}: no touch buttons on a touch screen`);
    const hint = await page.evaluate(() => document.getElementById('hint').textContent);
    if (!/^Tap to play\./.test(hint)) fail(`${name}: the page does not tell a new player to tap (it says '${hint}')`);

    // A tap during the zoom is kept until the title reads it: the intro
    // follows the zoom, and the same tap does not cut it short.
    await sleep(800);
    const zoomAt = await page.evaluate(() => window.qorbPage.stats.shown);
    await t.tapPicture();
    const zoomAfter = await page.evaluate(() => window.qorbPage.stats.shown);
    if (zoomAfter > 180) fail(`${name}: the zoom was over before the test could tap during it (${zoomAt} pictures)`);
    await t.waitForRegion(12, 'intro', 'CLOUDS.DAT', 690, 120, 100, 150, 690, 120, 90);
    await sleep(1500);
    await t.expectRegion('intro_still', 'CLOUDS.DAT', 690, 120, 100, 150, 690, 120, 90);
    if ((await t.state()) !== 0) fail(`${name}: the tap made during the zoom also cut the intro short`);
    say(`${name}: a tap during the title's zoom (picture ${zoomAt}) plays the intro once the zoom is done, and only that`);

    await t.tapPicture();
    await t.waitForState(1, 10, 'play did not begin after a tap cut the intro');
    // Play has begun with the round's announcement: a tap now is read once
    // the announcement is over.
    if (name === 'landscape') await t.tapButton('pause');
    else await t.tapPicture();
    await sleep(300);
    await t.expectRegion('announcement', 'BELEMNTS.DAT', 60, 42, 170, 24, 229, 445, 60);
    say(`${name}: a tap cuts the intro and round 1 is announced`);
    if (name === 'landscape') {
      await t.waitForState(2, 8, 'Pause tapped during the announcement did not pause once play began');
      await sleep(800);
      if ((await t.state()) !== 2) fail(`${name}: Pause tapped once during the announcement paused and resumed`);
      await t.tapButton('pause');
      await t.waitForState(1, 5, 'resume did not resume');
      say(`${name}: Pause tapped during the announcement pauses once play begins, once`);
    } else {
      await sleep(4000);
      if (!(await t.moving('served'))) fail(`${name}: a tap during the announcement did not serve once play began`);
      say(`${name}: a tap during the announcement serves once play begins`);
    }

    // The button now shows, outside the playfield, big enough for a thumb.
    await checkLayout(t, name);

    if (name === 'landscape') {
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

      // Held, the ball stands still with the paddle; a second finger's tap
      // while the first rests on the picture serves. (A touch end through the
      // protocol names the fingers it lifts.)
      if (await t.moving('held')) fail(`${name}: the picture moved before the serve`);
      const [x, y] = await t.drag(20, { hold: true });
      const q = await t.picture();
      const second = [q.left + q.width / 4, q.top + q.height / 4, 2];
      const at = Date.now() / 1000;
      await t.touch('touchStart', [[x, y, 1], second], at);
      await sleep(60);
      await t.touch('touchEnd', [second], at + 0.06);
      await sleep(250);
      if (!(await t.moving('served'))) fail(`${name}: a second finger's tap did not serve the ball`);
      say(`${name}: a second finger's tap while the first rests serves`);

      // A second finger taps Pause while the first still steers.
      const pause = await t.button('pause');
      const tapAt = Date.now() / 1000;
      await t.touch('touchMove', [[x - 30, y, 1]]);
      await t.touch('touchStart', [[x - 30, y, 1], [pause.x, pause.y, 3]], tapAt);
      await sleep(60);
      await t.touch('touchEnd', [[pause.x, pause.y, 3]], tapAt + 0.06);
      await t.waitForState(2, 3, 'a second finger could not tap Pause while the first steered');
      await t.touch('touchEnd', []);
      await t.tapButton('pause');
      await t.waitForState(1, 5, 'resume did not resume');
      say(`${name}: a second finger taps Pause while the first steers`);
    } else {
      await pauseTwice(t, name);
      say(`${name}: Pause tapped twice at one place pauses and resumes, and gives nothing up`);
    }

    // Paused, the picture stands still; give up and leave show only then.
    for (let attempt = 0; attempt < 20 && (await t.state()) !== 2; ++attempt) {
      await t.tapButton('pause');
      await sleep(400);
    }
    await t.waitForState(2, 1, 'the pause button did not pause');
    const still = await t.shot('paused_a');
    await t.drag(50);
    await sleep(400);
    if (!t.same(still, await t.shot('paused_b'))) fail(`${name}: the picture moved while paused`);
    await checkLayout(t, `${name}, paused`);

    // Give up: the game-over picture, then the title.
    await t.tapButton('give-up');
    await t.waitForRegion(10, 'game_over', 'BELEMNTS.DAT', 106, 123, 449, 436, 174, 164, 95);
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
      hint: !document.getElementById('hint').hidden,
      scroll: [window.scrollX, window.scrollY, document.scrollingElement.scrollTop],
      scale: window.visualViewport ? window.visualViewport.scale : 1,
    }));
    if (end.code !== 0) fail(`${name}: the game ended with status ${end.code} after leave`);
    if (!end.panel) fail(`${name}: the page does not say that Qorb has ended`);
    if (end.hint) fail(`${name}: the hint stays after the game has ended`);
    say(`${name}: leave ends the game; the page says so`);
    if (end.scroll.some((v) => v !== 0) || end.scale !== 1)
      fail(`${name}: the page scrolled or zoomed (scroll ${end.scroll}, scale ${end.scale})`);
    say(`${name}: after the drags and taps the page has neither scrolled nor zoomed`);
    t.noErrors();
  } finally {
    await context.close();
  }
}

// Every screen held sideways, then turned mid-game.
async function screenMatrix(browser, address) {
  for (const size of screens) {
    const label = `${size.width}x${size.height}`;
    const context = await browser.newContext({ viewport: size, hasTouch: true, isMobile: true, deviceScaleFactor: 2 });
    try {
      const t = await phone(context, label);
      await t.open(address);
      await startGame(t);
      await sleep(3500); // the announcement
      await checkLayout(t, `${label} sideways`);
      await pauseTwice(t, `${label} sideways`);
      await t.page.setViewportSize({ width: size.height, height: size.width });
      await sleep(600);
      await checkLayout(t, `${label} turned upright`);
      await pauseTwice(t, `${label} turned upright`);
      t.noErrors();
      say(`${label} at a pixel ratio of 2, sideways and turned upright mid-game: the picture as large as fits, ` +
          'the buttons reachable, thumb-sized, off the playfield and still between taps');
    } finally {
      await context.close();
    }
  }
}

// A copy of the site "rebuilt": its script changed and every key and check
// written again as the build writes them.
function rebuild(site, mark) {
  fs.appendFileSync(path.join(site, 'qorb.js'), `\n// ${mark}\n`);
  const rekey = spawnSync(options.cmake, [`-DSITE=${site}`, '-DVERSION=0', `-DSOURCE=${path.join(__dirname, '../../web')}`,
    '-P', path.join(__dirname, '../../web/site_key.cmake')], { encoding: 'utf8' });
  if (rekey.status !== 0) fail(`site_key.cmake failed: ${rekey.stderr}`);
}

// After one visit, the title and a game without a network; a rebuilt site
// replaces the kept one, whole, and a visit on which one file of the new
// build fails runs the old build whole and leaves no cache behind.
async function offline(browser) {
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'qorb-site-'));
  fs.cpSync(options.site, site, { recursive: true });
  const refused = new Set(); // files the network fails to bring
  const server = await serve(site, 0, '127.0.0.1', { refuse: (name) => refused.has(name) });
  const address = `http://127.0.0.1:${server.address().port}/index.html`;
  const context = await browser.newContext({ viewport: { width: 915, height: 412 }, hasTouch: true, isMobile: true });
  const keys = (page) => page.evaluate(() => caches.keys());
  // The build the page belongs to, and whether the script it runs carries `mark`.
  const build = (page) => page.evaluate(() => JSON.parse(document.getElementById('qorb-build').textContent).build);
  const runs = (page, mark) =>
    page.evaluate((m) => window.qorbEarly.script.then((blob) => blob.text()).then((text) => text.includes(m)), mark);
  const waitForCaches = async (page, want) => {
    let now = [];
    for (const end = Date.now() + 60000; Date.now() < end; await sleep(500)) {
      now = await keys(page);
      if (now.length === 1 && now[0] === `qorb-${want}`) return now;
    }
    fail(`the caches hold ${now.join(' ')}, not the build ${want} alone`);
  };
  try {
    let t = await phone(context, 'offline');
    await t.open(address);
    await t.page
      .waitForFunction(() => navigator.serviceWorker.controller, null, { timeout: 60000 })
      .catch(() => fail('the offline worker did not take the page within 60 s of a visit'));
    const first = await build(t.page);
    await waitForCaches(t.page, first);
    await t.page.close();

    await context.setOffline(true);
    t = await phone(context, 'offline');
    await t.open(address);
    await t.waitForTitle(30, 'title');
    await t.tapPicture();
    await t.waitForRegion(8, 'intro', 'CLOUDS.DAT', 690, 120, 100, 150, 690, 120, 90);
    await t.tapPicture();
    await t.waitForState(1, 10, 'no game began offline');
    t.noErrors();
    say(`offline: after one visit the page starts without a network (build ${first}) and a game begins`);
    await t.page.close();

    // A rebuilt site, and a visit on which its module cannot be fetched: the
    // page runs the kept build, whole, and no cache of the new one is left.
    await context.setOffline(false);
    rebuild(site, 'rebuilt');
    refused.add('/qorb.wasm');
    t = await phone(context, 'half-fetched');
    await t.open(address);
    await t.waitForTitle(30, 'title_half');
    if ((await build(t.page)) !== first || (await runs(t.page, '// rebuilt')))
      fail('a visit that could not fetch the new module did not run the kept build whole');
    t.noErrors();
    await sleep(1000);
    await waitForCaches(t.page, first);
    await t.page.close();
    refused.clear();
    say(`offline: a visit that cannot fetch the rebuilt module runs the kept build whole (${first}), no cache left behind`);

    // The next visit runs the new build, and its worker replaces the kept one...
    t = await phone(context, 'rebuilt');
    await t.open(address);
    const second = await build(t.page);
    if (second === first || !(await runs(t.page, '// rebuilt'))) fail('the visit after a rebuild did not run the new build');
    await waitForCaches(t.page, second);
    t.noErrors();
    await t.page.close();
    // ...which the visits without a network have from then on.
    await context.setOffline(true);
    t = await phone(context, 'rebuilt');
    await t.open(address);
    if ((await build(t.page)) !== second || !(await runs(t.page, '// rebuilt')))
      fail('the rebuilt site did not replace the kept one');
    await t.waitForTitle(30, 'title_rebuilt');
    t.noErrors();
    say(`offline: a rebuilt site replaces the kept one (build ${second})`);
  } finally {
    await context.close();
    server.close();
    fs.rmSync(site, { recursive: true, force: true });
  }
}

async function main() {
  const server = await serve(options.site, 0);
  const address = `http://127.0.0.1:${server.address().port}/index.html${options.thread === 'main' ? '?thread=main' : ''}`;
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumFlags });
  const only = options.only;
  try {
    if (!only || only === 'phones') for (const p of phones) await playByTouch(browser, address, p);
    if (!only || only === 'screens') await screenMatrix(browser, address);
    if (!only || only === 'offline') await offline(browser);
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
