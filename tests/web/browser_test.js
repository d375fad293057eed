// Plays Qorb in Debian's headless Chromium as a person would, and looks at
// the screen at each stage with the same checker as the tests in a real
// window (tests/e2e/screen_check.cpp): the title zooms in, Enter plays the
// intro, Enter cuts it and round 1 is announced, a click serves and the mouse
// moves the paddle, F1 pauses and resumes, F5 shows the game-over picture and
// returns to the title, Escape ends the game and the page says so. No error
// may reach the console.
//
// A gamepad alone plays the same steps, given to the page in place of the
// browser's own list of pads.
//
// Then the bot plays for two minutes with the sound running: no gap may
// open in the sound (an underrun: the device played past what was queued).
//
// Usage: node browser_test.js --site DIR --assets DIR --checker PATH
//                             [--module NAME] [--figures] [--bot-seconds N]
//                             [--bot-hz N] [--native-game PATH] [--keep DIR]
//                             [--start-runs N] [--only PARTS] [--thread main]
//   --site     the served folder (index.html, page.js, NAME.js, NAME.wasm)
//   --assets   a native asset folder: the pictures to compare with
//   --module   the module the page loads (default qorb)
//   --figures  instead of the tests, measure: the first title picture
//              after navigation (no cache, a settled window), the median
//              of --start-runs starts (9); then with animation frames and
//              simulated 144 and 240 Hz clocks the first picture again and
//              the whole title (polled every 50 ms), the processor share of the
//              waiting title and of the bot's play, play steps a second, and
//              the sound's lead and gaps; with --native-game, the desktop
//              game's share on its waiting title (Xvfb) beside them
//   --bot-seconds  how long the bot plays: 45 in the test, 60 a clock for
//              the figures
//   --bot-hz   the test's bot plays on a simulated frame clock of N Hz
//   --keep     keep the screenshots there
//   --only     some of play, pads, makers, bot, buffers, voices, silence (comma-separated)
//   --thread main  the game on the page's main thread, as where a browser
//              cannot draw from a worker (default: in the game's worker)
'use strict';

const { spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium } = require('playwright-core');
const { processorSeconds } = require('./processes');
const { serve } = require('./serve');
const { PadButton, PadNotice, stubbedPad } = require('./stub_pad');

const options = { module: 'qorb', figures: false };
for (let i = 2; i < process.argv.length; ++i) {
  const arg = process.argv[i];
  if (arg === '--figures') options.figures = true;
  else if (['--site', '--assets', '--checker', '--module', '--keep', '--native-game', '--bot-seconds', '--bot-hz',
            '--start-runs', '--only', '--thread'].includes(arg) &&
           i + 1 < process.argv.length)
    options[arg.slice(2)] = process.argv[++i];
  else {
    console.error(`browser_test: unknown argument ${arg}`);
    process.exit(2);
  }
}
for (const needed of ['site', 'assets', 'checker']) {
  if (!options[needed]) {
    console.error(`browser_test: --${needed} is missing`);
    process.exit(2);
  }
}

// Flags known to work here: no sandbox as root, no GPU, and none of the
// background connections that this machine's closed network refuses.
const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
// Wider than 4:3, so that the picture stands between black bars.
const viewport = { width: 1280, height: 800 };

const shots = options.keep ? path.resolve(options.keep) : fs.mkdtempSync(path.join(os.tmpdir(), 'qorb-web-'));
fs.mkdirSync(shots, { recursive: true });
const art = (name) => path.join(options.assets, name);

class Failure extends Error {}
const fail = (why) => {
  throw new Failure(why);
};
const say = (text) => console.log(`browser_test: ${text}`);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// An error, or a warning of the game's own, fails the test that saw it.
const heardAsFault = (m) => m.type() === 'error' || /^qorb: warning/.test(m.text());

// The checker's verdict on a screenshot: true when it matches.
function check(args) {
  const run = spawnSync(options.checker, args, { encoding: 'utf8' });
  if (run.status === 2 || run.error) fail(`screen_check could not run: ${run.stderr || run.error}`);
  return { ok: run.status === 0, text: (run.stdout || '').trim() };
}

async function main() {
  // Served cross-origin isolated, as the offline worker serves it: the
  // game's worker shares memory with the page (touch_test.js serves it
  // plainly, for the other way).
  const server = await serve(options.site, 0, '127.0.0.1', { isolated: true });
  const thread = options.thread === 'main' ? '&thread=main' : '';
  const address = `http://127.0.0.1:${server.address().port}/index.html?module=${options.module}${thread}`;
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumFlags });
  const errors = [];
  try {
    const page = await browser.newPage({ viewport });
    page.on('console', (m) => {
      if (heardAsFault(m)) errors.push(`console ${m.type()}: ${m.text()}`);
    });
    page.on('pageerror', (e) => errors.push(`page: ${e.message}`));
    if (options.figures) {
      await figures(browser, address);
      return;
    }
    // --only NAME[,NAME]: some parts alone, while working on them.
    const parts = options.only ? options.only.split(',') : null;
    const run = async (name, part) => {
      if (!parts || parts.includes(name)) await part();
    };
    await run('play', () => play(page, address));
    await run('pads', () => padPlay(browser, address, errors));
    await run('makers', () => makerStops(browser, address));
    await run('bot', () => soundWhileTheBotPlays(browser, address, errors));
    await run('buffers', () => soundThroughBufferSources(browser, address, errors));
    await run('voices', () => everyVoiceHeard(browser, address, errors));
    if (errors.length) fail(`errors or game warnings reached the console:\n  ${errors.join('\n  ')}`);
    say('no error and no game warning in the console');
    await run('silence', () => silence(browser, address));
  } finally {
    await browser.close();
    server.close();
  }
}

// Screenshots of a page, numbered in order, and what they show.
function screenOf(page, prefix = '') {
  let count = 0;
  const shot = async (name) => {
    const file = path.join(shots, `${prefix}${String(++count).padStart(2, '0')}-${name}.png`);
    await page.screenshot({ path: file });
    return file;
  };
  // region NAME PICTURE AX AY W H SX SY PERCENT: a part of the screen shows the art.
  const region = async (name, picture, ...numbers) => {
    const file = await shot(name);
    const verdict = check(['--region', file, art(picture), ...numbers.map(String)]);
    return { ...verdict, file };
  };
  const expectRegion = async (name, picture, ...numbers) => {
    const r = await region(name, picture, ...numbers);
    if (!r.ok) fail(`the screen at '${name}' is not as expected (${r.text}; kept as ${r.file})`);
  };
  const same = (a, b) => check(['--same', a, b]).ok;
  const wholeTitle = async (name) => check([await shot(name), art('TITLES.DAT')]);
  const waitForTitle = async (seconds, name) => {
    for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(500))
      if ((await wholeTitle(name)).ok) return;
    fail(`the whole title did not stand on the screen within ${seconds} s`);
  };
  const waitForRegion = async (seconds, name, picture, ...numbers) => {
    for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(300))
      if ((await region(name, picture, ...numbers)).ok) return;
    await expectRegion(name, picture, ...numbers);
  };
  return { shot, region, expectRegion, same, wholeTitle, waitForTitle, waitForRegion };
}

// Right of the ship, the intro's clouds stand bare.
const Intro = ['CLOUDS.DAT', 690, 120, 100, 150, 690, 120, 90];
// The paddle pushed against the left wall.
const PaddleAtTheWall = ['ELEMENTS.DAT', 383, 5, 70, 10, 30, 554, 80];

async function play(page, address) {
  const { shot, region, expectRegion, same, wholeTitle, waitForTitle, waitForRegion } = screenOf(page);
  // The game samples keys once a step: hold a key, do not tap it.
  const holdKey = async (key) => {
    await page.keyboard.down(key);
    await sleep(200);
    await page.keyboard.up(key);
  };
  // Relative motion through the page's own input path, as locked mouse
  // motion arrives: the synthetic mouse of the DevTools protocol moves to
  // absolute places, and cannot push on past the window's edge.
  const motion = (dx) => page.evaluate((d) => window.qorbPage.input.motion(d, 0), dx);

  // A key let go of at once, as a quick finger does: the game may not be
  // reading when it comes, and must still see it.
  const tapKey = async (key) => {
    await page.keyboard.down(key);
    await sleep(30);
    await page.keyboard.up(key);
  };

  await page.goto(address);
  await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
  // What an audit of the page asks: zoom left to the reader (the game keeps
  // fingers from zooming it by itself), a description, and the installed
  // app's identity and an icon a launcher may cut to its shape.
  const audit = await page.evaluate(async () => {
    const meta = (name) => (document.querySelector(`meta[name="${name}"]`) || {}).content || '';
    const manifest = await fetch(document.querySelector('link[rel="manifest"]').href).then((r) => r.json());
    const maskable = (manifest.icons || []).find((i) => /maskable/.test(i.purpose || ''));
    const loads = maskable ? await fetch(maskable.src).then((r) => r.ok && r.headers.get('Content-Type') === 'image/png') : false;
    return { viewport: meta('viewport'), description: meta('description'), id: manifest.id, maskable: loads };
  });
  if (/user-scalable\s*=\s*no|maximum-scale\s*=\s*1(\D|$)/.test(audit.viewport)) fail(`the page forbids zoom: ${audit.viewport}`);
  if (audit.description.length < 20) fail('the page has no description');
  if (!audit.id) fail('the manifest gives the app no id');
  if (!audit.maskable) fail('the manifest has no maskable icon that loads');
  const how = await page.evaluate(() => [window.qorbPage.stats.thread, window.qorbPage.stats.inputWay, crossOriginIsolated]);
  if (how[0] === 'worker' && how[1] !== 'shared ring') fail(`a cross-origin isolated page sends input by ${how[1]}`);
  say(`the game runs in the ${how[0] === 'worker' ? "game's worker" : 'page'}, input by ${how[1]}`);
  // The first pictures are the start of the zoom, not the whole title.
  if ((await wholeTitle('zoom')).ok) fail('the title stood whole at once instead of zooming in');
  await sleep(800);
  // Enter tapped during the zoom: kept until the title reads it.
  const zoomAt = await page.evaluate(() => window.qorbPage.stats.shown);
  await tapKey('Enter');
  if (await page.evaluate(() => !document.getElementById('touch-controls').hidden))
    fail('the buttons of touch screens show on a desktop with a mouse');
  await waitForRegion(15, 'intro', ...Intro);
  await sleep(1500);
  await expectRegion('intro_still', ...Intro);
  say(`Enter tapped during the title's zoom (picture ${zoomAt}) plays the intro once the zoom is done, and only that`);

  await holdKey('Enter');
  await sleep(1200);
  // Round 1's picture below the bricks, and the banner over it.
  await expectRegion('announcement', 'LEVEL1.GRA', 83, 283, 400, 120, 100, 300, 90);
  await expectRegion('announcement', 'BELEMNTS.DAT', 60, 42, 170, 24, 229, 445, 60);
  say('Enter cuts the intro and round 1 is announced');
  // Set-up has read its files once and the game holds what it read: the tab
  // keeps only the round pictures, which each round reads again.
  // (The module's files are the page's only where the game runs on the page.)
  const kept = await page.evaluate(() =>
    typeof FS === 'undefined' ? null : FS.readdir('/assets').filter((f) => f !== '.' && f !== '..').sort());
  const rounds = Array.from({ length: 11 }, (_, i) => `LEVEL${i + 1}.GRA`).sort();
  if (kept && kept.join() !== rounds.join()) fail(`the tab keeps ${kept.join(' ')} after set-up, not the round pictures alone`);
  await sleep(3000);

  // A click on the canvas takes the mouse; the clicks after it reach the game.
  await page.mouse.click(viewport.width / 2, viewport.height / 2);
  await sleep(200);
  const locked = await page.evaluate(() => document.pointerLockElement === document.getElementById('screen'));
  if (!locked) fail('a click on the canvas did not take pointer lock');
  // Pushed against the left wall, the paddle stands at x 10.
  for (let i = 0; i < 10; ++i) {
    await motion(-100);
    await sleep(30);
  }
  await sleep(300);
  await expectRegion('before_move', ...PaddleAtTheWall);
  // A real click and real mouse motion under pointer lock serve and move it.
  await page.mouse.down();
  await sleep(200);
  await page.mouse.up();
  await page.mouse.move(viewport.width / 2 + 300, viewport.height / 2, { steps: 10 });
  await sleep(300);
  if ((await region('after_move', ...PaddleAtTheWall)).ok)
    fail('the paddle did not move with the mouse');
  say('a click serves, and the mouse under pointer lock moves the paddle');

  // Some browsers take the first Escape for themselves: they release the
  // mouse and the page gets no key. A release the page did not ask for is
  // told at once; a click takes the mouse again.
  const notice = () => page.evaluate(() => {
    const n = document.getElementById('notice');
    return n && !n.hidden ? n.textContent : '';
  });
  await page.evaluate(() => document.exitPointerLock());
  await sleep(200);
  const told = await notice();
  if (!/^Esc again to leave, click to play on$/.test(told))
    fail(`a mouse released without the page asking is not told (the notice says '${told}')`);
  await page.mouse.click(viewport.width / 2, viewport.height / 2);
  await sleep(200);
  const relocked = await page.evaluate(() => document.pointerLockElement !== null);
  if (!relocked || (await notice()) !== '') fail('a click did not take the mouse again and clear the notice');
  say('a mouse the browser takes back is told on the page at once, and a click takes it again');

  // Keys are not read during a lost ball's explosion and announcement: wait
  // until the game answers the mouse, then tap F1, until the picture stands
  // still though the mouse moves.
  let nudges = 0;
  const live = async () => {
    const a = await shot('live_a');
    await motion(++nudges % 2 ? 15 : -15);
    await sleep(150);
    return !same(a, await shot('live_b'));
  };
  let paused = false;
  for (let attempt = 0; attempt < 6 && !paused; ++attempt) {
    for (let i = 0; i < 25 && !(await live()); ++i);
    await holdKey('F1');
    await sleep(300);
    const a = await shot('paused_a');
    await motion(20);
    await sleep(500);
    paused = same(a, await shot('paused_b'));
  }
  if (!paused) fail('the picture never stood still after F1');
  await holdKey('F1');
  await sleep(300);
  // Resumed, the game answers the mouse again (a ball lost meanwhile gives
  // an explosion and an announcement first, which read nothing).
  let resumed = false;
  for (let i = 0; i < 30 && !resumed; ++i) resumed = await live();
  if (!resumed) fail('the game did not resume after F1');
  if (await page.evaluate(() => window.qorbPage.stats.playState) !== 1) fail('the game is not in play after F1 resumed it');
  say('F1 pauses and resumes');

  // F5 is read at the start of a play step: keep it down until the picture shows.
  await page.keyboard.down('F5');
  let over = false;
  for (let i = 0; i < 30 && !over; ++i) {
    await sleep(300);
    over = (await region('game_over', 'BELEMNTS.DAT', 106, 123, 449, 436, 174, 164, 95)).ok;
  }
  await page.keyboard.up('F5');
  if (!over) await expectRegion('game_over', 'BELEMNTS.DAT', 106, 123, 449, 436, 174, 164, 95);
  say('F5 shows the game-over picture');
  await waitForTitle(20, 'title_again');
  say('and the title comes back, filling the window with black bars');

  // A canvas the browser dropped and gave back is blank until drawn again.
  // (Where the game runs in a worker, the page cannot touch the canvas.)
  if (await page.evaluate(() => window.qorbPage.stats.thread === 'main')) {
    await page.evaluate(() => {
      const screen = document.getElementById('screen');
      const context = screen.getContext('2d');
      context.fillStyle = '#000';
      context.fillRect(0, 0, screen.width, screen.height);
      screen.dispatchEvent(new Event('contextrestored'));
    });
    await sleep(500);
    await waitForTitle(3, 'title_restored');
    say('a canvas given back blank after a lost context shows the picture again');
  }

  // A second game, and Escape tapped during its round's announcement, when
  // the game reads no key: it is kept until play reads it, and ends the game.
  await tapKey('Enter');
  await waitForRegion(10, 'intro_again', ...Intro);
  await tapKey('Enter');
  await page.waitForFunction(() => window.qorbPage.stats.playState === 1, null, { timeout: 10000 })
    .catch(() => fail('the second game did not begin'));
  await tapKey('Escape');
  await sleep(300);
  if (await page.evaluate(() => window.qorbPage.stats.ended !== null)) fail('the game ended before its announcement was over');
  await page.waitForFunction(() => window.qorbPage.stats.ended !== null, null, { timeout: 10000 }).catch(() => {
    fail('Escape tapped during the announcement did not end the game once play began');
  });
  const end = await page.evaluate(() => ({
    code: window.qorbPage.stats.ended,
    panel: !document.getElementById('ended').hidden,
    locked: document.pointerLockElement !== null,
  }));
  if (end.code !== 0) fail(`the game ended with status ${end.code} after Escape`);
  if (!end.panel) fail('the page does not say that Qorb has ended');
  if (end.locked) fail('the page kept pointer lock after the game ended');
  say('Escape tapped during the announcement ends the game once play begins; the page says so and offers to start again');
}

async function padPlay(browser, address, errors) {
  const page = await browser.newPage({ viewport });
  page.on('console', (m) => {
    if (heardAsFault(m)) errors.push(`console (pad) ${m.type()}: ${m.text()}`);
  });
  page.on('pageerror', (e) => errors.push(`page (pad): ${e.message}`));
  await page.addInitScript(stubbedPad);
  await page.goto(address);
  await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
  const { shot, region, expectRegion, same, waitForTitle, waitForRegion } = screenOf(page, 'pad-');
  const press = async (button) => {
    await page.evaluate((b) => window.testPad.press(b, true), button);
    await sleep(200);
    await page.evaluate((b) => window.testPad.press(b, false), button);
    await sleep(100);
  };
  const stick = (x) => page.evaluate((v) => window.testPad.stick(v), x);

  await page.evaluate(() => window.testPad.connect());
  await sleep(200);
  const told = await page.evaluate(() => document.getElementById('notice').textContent);
  if (!PadNotice.test(told))
    fail(`a pad connected, and the page does not say what its buttons do (it says '${told}')`);
  say(`a pad connected, the page says: ${told}`);
  await waitForTitle(20, 'title');
  await press(PadButton.south);
  await waitForRegion(15, 'intro', ...Intro);
  const sound = await page.evaluate(() => window.qorbPage.audioRunning());
  say(`A on the title plays the intro (the sound ${sound ? 'started with the press' : 'waits for a gesture the browser counts'})`);
  await press(PadButton.south);
  await page.waitForFunction(() => window.qorbPage.stats.playState === 1, null, { timeout: 10000 })
    .catch(() => fail('A did not cut the intro and begin the game'));
  if (await page.evaluate(() => !document.getElementById('notice').hidden))
    fail('the pad\u2019s buttons are still told in play');
  await sleep(3500); // the round's announcement

  // Full tilt left for a second: the paddle stands at the wall; A serves;
  // a little to the right moves it off.
  await stick(-1);
  await sleep(1000);
  await stick(0);
  await sleep(300);
  await expectRegion('at_the_wall', ...PaddleAtTheWall);
  await press(PadButton.south);
  await stick(0.6);
  await sleep(300);
  await stick(0);
  await sleep(200);
  if ((await region('steered', ...PaddleAtTheWall)).ok) fail('the stick did not move the paddle to the right');
  say('the stick steers the paddle to the wall and back, A serves');

  // Start pauses: the picture stands though the stick pushes; Start resumes.
  const stillWhile = async (name) => {
    const a = await shot(`${name}_a`);
    await stick(-1);
    await sleep(400);
    await stick(0);
    await sleep(200);
    return same(a, await shot(`${name}_b`));
  };
  let paused = false;
  for (let attempt = 0; attempt < 6 && !paused; ++attempt) {
    await page.waitForFunction(() => window.qorbPage.stats.playState === 1, null, { timeout: 15000 });
    await press(PadButton.start);
    await sleep(300);
    paused = await stillWhile('paused');
  }
  if (!paused) fail('the picture never stood still after Start');
  await press(PadButton.start);
  let resumed = false;
  for (let i = 0; i < 30 && !resumed; ++i) resumed = !(await stillWhile('resumed'));
  if (!resumed) fail('the game did not resume after Start');
  say('Start pauses and resumes');

  // Y in play does nothing; paused, Back resumes and leaves.
  await page.waitForFunction(() => window.qorbPage.stats.playState === 1, null, { timeout: 15000 });
  await press(PadButton.north);
  await sleep(1500);
  if (await page.evaluate(() => window.qorbPage.stats.playState !== 1)) fail('Y in play gave up the game');
  // A lost ball's explosion and announcement read nothing, and a pad's
  // press is not kept for later (nor is a key's on the desktop): Start again.
  let pausedAgain = false;
  for (let attempt = 0; attempt < 8 && !pausedAgain; ++attempt) {
    await press(PadButton.start);
    pausedAgain = await page.waitForFunction(() => window.qorbPage.stats.playState === 2, null, { timeout: 1500 })
      .then(() => true, () => false);
  }
  if (!pausedAgain) fail('Start did not pause the game');
  await press(PadButton.back);
  await page.waitForFunction(() => window.qorbPage.stats.ended !== null, null, { timeout: 10000 })
    .catch(() => fail('Back in a pause did not leave the game'));
  const code = await page.evaluate(() => window.qorbPage.stats.ended);
  if (code !== 0) fail(`the game ended with status ${code} after Back`);
  say('Y in play is no give-up; Back in a pause leaves the game');
  await page.close();
}

// A file-making worker that stops without a word (during set-up, or while
// it makes the round pictures behind the title) is noticed: the tab makes
// the rest itself and says so, and neither set-up nor play waits without
// end. A word the page cannot send it ends it the same way, with no
// unhandled error.
async function makerStops(browser, address) {
  for (const how of ['set-up', 'rounds', 'unsendable']) {
    const page = await browser.newPage({ viewport });
    const errors = [];
    const told = [];
    page.on('console', (m) => {
      if (heardAsFault(m)) errors.push(`console ${m.type()}: ${m.text()}`);
      if (/^Qorb's worker stopped/.test(m.text())) told.push(m.text());
    });
    page.on('pageerror', (e) => errors.push(`page: ${e.message}`));
    await page.addInitScript((mode) => {
      const Real = window.Worker;
      window.Worker = class extends Real {
        set onmessage(handler) {
          let files = 0;
          super.onmessage = (e) => {
            const m = e.data || {};
            const stops = (mode === 'set-up' && m.name && ++files > 2) || (mode === 'rounds' && /^LEVEL/.test(m.name || ''));
            if (stops && !this.gone) {
              this.gone = true;
              Real.prototype.terminate.call(this);
            }
            if (!this.gone) handler(e);
          };
        }
        postMessage(message, transfer) {
          if (mode === 'unsendable' && message && message.module) throw new DOMException('cannot be cloned', 'DataCloneError');
          return super.postMessage(message, transfer);
        }
      };
    }, how);
    try {
      // The file-making worker is the page's own where the game runs on the
      // page (in the game's worker otherwise, out of this script's reach):
      // the same code watches it either way.
      await page.goto(`${address}&thread=main`);
      await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 30000 })
        .catch(() => fail(`${how}: the title did not show within 30 s of a worker that stopped`));
      // A game starts: it needs every file, so whatever the tab has not made
      // must come from the worker or be noticed missing.
      {
        await sleep(4500); // the zoom
        for (const key of ['Enter', 'Enter']) {
          await page.keyboard.down(key);
          await sleep(100);
          await page.keyboard.up(key);
          await sleep(1200);
        }
        await page.waitForFunction(() => window.qorbPage.stats.playState === 1, null, { timeout: 30000 })
          .catch(() => fail(`${how}: play did not begin within 30 s of a worker that stopped`));
      }
      if (!told.length) fail(`${how}: the page did not say that its worker stopped`);
      if (errors.length) fail(`${how}: errors reached the console:\n  ${errors.join('\n  ')}`);
      say(`a worker that ${how === 'unsendable' ? 'cannot be sent the module' : `stops without a word (${how})`} ` +
          `is noticed and the tab makes the rest: ${told[0]}`);
    } finally {
      await page.close();
    }
  }
}

// Sound that cannot start is said on the page: here an audio context that
// never leaves 'suspended', as a browser's with no sound device does.
async function silence(browser, address) {
  const page = await browser.newPage({ viewport });
  try {
    await page.addInitScript(() => {
      window.AudioContext = class {
        constructor() {
          this.state = 'suspended';
        }
        resume() {
          return new Promise(() => {});
        }
      };
      delete window.webkitAudioContext;
    });
    await page.goto(address);
    await page.keyboard.down('Shift'); // a gesture the game does not read
    await page.keyboard.up('Shift');
    await page
      .waitForFunction(() => {
        const n = document.getElementById('notice');
        return n && !n.hidden && /^Qorb plays without sound/.test(n.textContent);
      }, null, { timeout: 10000 })
      .catch(() => fail('a sound that could not start is not said on the page'));
    say('sound that cannot start is said on the page');
  } finally {
    await page.close();
  }
}


// Processor time of the browser's processes (every process this test
// started), pictures shown, play steps made and the sound over `ms`.
async function sample(page, ms) {
  const counts = () =>
    page.evaluate(() => {
      const s = window.qorbPage.stats;
      const f = s.figures;
      return [performance.now(), s.shown, f.playSteps || 0, f.flips || 0, f.steadySteps || 0, f.steadyMs || 0,
        s.audioGaps || 0, s.audioTopUps || 0, s.audioLeadSum || 0, s.audioChanges || 0, s.audioLate || 0,
        f.soundLateChanges || 0, s.audioLeadMax || 0, s.audioPumpGapMax || 0, s.audioAheadLeast, s.audioWay];
    });
  // The figures that are the most or least so far count from here.
  // (Builds compared in a figures run may predate resetPeaks.)
  await page.evaluate(() => window.qorbPage.resetPeaks && window.qorbPage.resetPeaks());
  const [c0, [t0, shown0, steps0, flips0, steady0, steadyMs0, gaps0, topUps0, leadSum0, changes0, late0, lateChanges0]] =
    [processorSeconds(process.pid), await counts()];
  await sleep(ms);
  const [c1, [t1, shown1, steps1, flips1, steady1, steadyMs1, gaps1, topUps1, leadSum1, changes1, late1, lateChanges1,
    leadMax, pumpGapMax, aheadLeast, way]] = [processorSeconds(process.pid), await counts()];
  const seconds = (t1 - t0) / 1000;
  return {
    cpuShare: (c1 - c0) / seconds,
    // Pictures put on the canvas: a flip of an unchanged page puts none.
    shownPerSecond: (shown1 - shown0) / seconds,
    stepsPerSecond: (steps1 - steps0) / seconds,
    flipsPerSecond: (flips1 - flips0) / seconds,
    // Steps that came in a row: play's own pace, 60 a second by design.
    steadyStepsPerSecond: steadyMs1 > steadyMs0 ? ((steady1 - steady0) * 1000) / (steadyMs1 - steadyMs0) : 0,
    audioGaps: gaps1 - gaps0,
    audioTopUps: topUps1 - topUps0,
    // Over the changes the game made to the sound: how long after each at most it is heard.
    audioChanges: changes1 - changes0,
    audioLeadMean: changes1 > changes0 ? (leadSum1 - leadSum0) / (changes1 - changes0) : 0,
    audioLeadMax: leadMax,
    // Frames that reached the device after their time, and changes the game
    // made after the device had played past where they were due.
    audioLate: late1 - late0,
    audioLateChanges: lateChanges1 - lateChanges0,
    audioPumpGapMax: pumpGapMax,
    audioAheadLeast: aheadLeast === null ? NaN : aheadLeast,
    audioWay: way,
  };
}

async function open(browser, address) {
  // A page of its own context: nothing cached from an earlier one.
  const page = await browser.newPage({ viewport });
  await page.goto(address);
  await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null, { timeout: 120000 });
  return page;
}

// The bot's game with the sound running: a key the game does not read is
// the gesture that starts the page's audio.
async function botWithSound(browser, address) {
  const bot = await open(browser, `${address}&args=--bot`);
  await bot.keyboard.press('Shift');
  await bot.waitForFunction(() => window.qorbPage.stats.figures.playSteps > 0, null, { timeout: 60000 });
  if (!(await bot.evaluate(() => window.qorbPage.audioRunning()))) fail('the page\u2019s sound did not start');
  return bot;
}

async function soundWhileTheBotPlays(browser, address, errors) {
  const seconds = Number(options['bot-seconds'] || 45);
  const hz = Number(options['bot-hz'] || 0);
  const bot = await botWithSound(browser, hz ? `${address}&hz=${hz}` : address);
  bot.on('console', (m) => {
    if (heardAsFault(m)) errors.push(`console (bot) ${m.type()}: ${m.text()}`);
  });
  const run = await sample(bot, seconds * 1000);
  // When each gap came after the page opened, how long after the sound sent
  // before, and how long the silence (ms).
  const gapLog = await bot.evaluate(() => window.qorbPage.stats.audioGapLog.map((g) => g.map(Math.round).join('/')));
  await bot.close();
  if (run.stepsPerSecond <= 0) fail('the bot made no play step');
  if (run.audioTopUps <= 0 || run.audioChanges <= 0) fail('no sound was sent while the bot played');
  say(`the bot played ${seconds} s${hz ? ` at ${hz} Hz` : ''} with the sound running (${run.audioWay}): ` +
      `${run.audioGaps} gaps, ${run.audioLate} frames late, ${run.audioLateChanges} changes late; ` +
      `heard ${run.audioLeadMean.toFixed(1)} ms after a change on average, ${run.audioLeadMax.toFixed(1)} ms at most; ` +
      `the page's longest pause ${run.audioPumpGapMax.toFixed(0)} ms, the least sound queued ` +
      `${run.audioAheadLeast.toFixed(0)} ms`);
  if (run.audioGaps > 0) fail(`the sound ran dry ${run.audioGaps} times (${gapLog.join(' ')})`);
  if (run.audioLate > 0) fail(`${run.audioLate} frames of sound reached the device after their time`);
}

// Every voice of the inventory, loaded by the browser's module and heard:
// each played alone (index.html?args=--voices) through the page's own sound,
// by the audio worklet and by buffer sources, must reach the device louder
// than silence, as the page's meter measures what the device is given.
const HeardAtLeast = 0.01; // of full scale: -40 dB
async function everyVoiceHeard(browser, address, errors) {
  for (const way of ['audio worklet', 'buffer sources']) {
    const page = await browser.newPage({ viewport });
    page.on('console', (m) => {
      if (heardAsFault(m)) errors.push(`console (voices, ${way}) ${m.type()}: ${m.text()}`);
    });
    try {
      await page.goto(`${address}&args=--voices&meter=1${way === 'buffer sources' ? '&sound=buffers' : ''}`);
      await page.waitForFunction(() => window.qorbPage, null, { timeout: 60000 });
      await page.keyboard.press('Shift'); // the gesture that starts the sound
      await page.waitForFunction(() => window.qorbPage.stats.figures.voicesDone === 1, null, { timeout: 90000 })
        .catch(() => fail(`${way}: the voices were not all played within 90 s`));
      const voices = await page.evaluate(() => {
        const s = window.qorbPage.stats;
        const f = s.figures;
        const found = [];
        for (let i = 0; `voice${i}_from` in f; ++i) {
          let peak = 0;
          for (let b = 0; b < s.heard.length; b += 2)
            if (s.heard[b] >= f[`voice${i}_from`] && s.heard[b] < f[`voice${i}_to`]) peak = Math.max(peak, s.heard[b + 1]);
          found.push({ loaded: f[`voice${i}_loaded`] === 1, peak, way: s.audioWay });
        }
        return found;
      });
      if (voices.length === 0) fail(`${way}: no voice was played`);
      if (voices[0].way !== way) fail(`the sound went through ${voices[0].way}, not ${way}`);
      const silent = voices.map((v, i) => (!v.loaded ? `${i} (not loaded)` : v.peak < HeardAtLeast ? `${i} (peak ${v.peak.toFixed(4)})` : ''))
        .filter((v) => v);
      if (silent.length) fail(`${way}: of the ${voices.length} voices, these were not heard: ${silent.join(', ')}`);
      say(`${way}: all ${voices.length} voices loaded and heard (the quietest peaks at ` +
          `${Math.min(...voices.map((v) => v.peak)).toFixed(3)} of full scale)`);
    } finally {
      await page.close();
    }
  }
}

// Where a page has no audio worklet the same pieces go to buffer sources:
// a short run of the bot on them, sound flowing, no gap.
async function soundThroughBufferSources(browser, address, errors) {
  const bot = await botWithSound(browser, `${address}&sound=buffers`);
  bot.on('console', (m) => {
    if (heardAsFault(m)) errors.push(`console (buffer sources) ${m.type()}: ${m.text()}`);
  });
  const run = await sample(bot, 15000);
  await bot.close();
  if (run.audioWay !== 'buffer sources') fail(`the sound went through ${run.audioWay}, not buffer sources`);
  if (run.audioTopUps <= 0) fail('no sound was sent to the buffer sources');
  if (run.audioGaps > 0) fail(`the sound through buffer sources ran dry ${run.audioGaps} times`);
  say(`through buffer sources the sound flows too: ${run.audioTopUps} pieces in 15 s, no gap`);
}

// The desktop game on its waiting title in an Xvfb window of its own, for
// comparison: its share of a core over 10 s after the zoom.
async function desktopTitleShare(game) {
  const { spawn } = require('child_process');
  const runtime = fs.mkdtempSync(path.join(os.tmpdir(), 'qorb-xdg-'));
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp', '-noreset'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  let child = null;
  try {
    const display = await new Promise((resolve, reject) => {
      let text = '';
      xvfb.stdio[3].on('data', (d) => {
        text += d;
        if (text.includes('\n')) resolve(text.trim());
      });
      xvfb.on('exit', () => reject(new Error('Xvfb ended')));
      setTimeout(() => reject(new Error('Xvfb gave no display')), 20000);
    });
    const program = path.resolve(game); // it runs in its assets folder
    child = spawn(program, [], {
      cwd: path.join(path.dirname(program), 'assets'),
      env: { ...process.env, DISPLAY: `:${display}`, SDL_AUDIODRIVER: 'dummy', XDG_RUNTIME_DIR: runtime },
      stdio: 'ignore',
    });
    await sleep(8000); // start and the zoom
    const c0 = processorSeconds(child.pid, true);
    const t0 = Date.now();
    await sleep(10000);
    return (processorSeconds(child.pid, true) - c0) / ((Date.now() - t0) / 1000);
  } finally {
    if (child) child.kill();
    xvfb.kill();
    fs.rmSync(runtime, { recursive: true, force: true });
  }
}

// A page of its own context whose window has settled before it goes to the
// game: a new window of headless Chromium loads the browser's own pages for
// its address bar, about two seconds of work on the same cores, which a
// player's browser has long done when they open the game. The start is left
// alone while it runs: asking the page every animation frame whether it has
// shown its picture made it draw frames and compile this script's helpers
// during the start, about 65 ms of its main thread that no player's browser
// spends. The page notes the time of its first picture itself.
const StartLeftAloneMs = 1500;
async function openSettled(browser, address) {
  const context = await browser.newContext({ viewport });
  const page = await context.newPage();
  await page.goto('about:blank');
  await sleep(2500);
  await page.goto(address, { waitUntil: 'commit' });
  await sleep(StartLeftAloneMs);
  await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null,
                             { timeout: 120000, polling: 100 });
  return page;
}

// A landscape phone with touch.
const Phone = { viewport: { width: 844, height: 390 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

// The page's main-thread tasks over 50 ms from navigation on, whatever page
// it is (an init script: the page's own list may not exist).
function watchLongTasks() {
  window.testLongTasks = [];
  new PerformanceObserver((list) => {
    for (const t of list.getEntries()) window.testLongTasks.push([t.startTime, t.duration]);
  }).observe({ type: 'longtask', buffered: true });
}

// A phone's page, its main thread slowed `rate` times by the DevTools
// protocol (Chromium slows the page's main thread only: the game's worker
// and the audio thread run at this machine's speed).
async function phonePage(browser, address, rate) {
  const context = await browser.newContext(Phone);
  const page = await context.newPage();
  await page.addInitScript(watchLongTasks);
  const cdp = await context.newCDPSession(page);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate });
  await page.goto('about:blank');
  await sleep(2500);
  await page.goto(address, { waitUntil: 'commit' });
  await page.waitForFunction(() => window.qorbPage && window.qorbPage.stats.shown > 0, null,
                             { timeout: 120000, polling: 100 });
  return page;
}

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];

// As a landscape phone, unslowed and slowed 4x: the first picture; the
// main thread's blocking over the first 15 s (each long task counted beyond
// 50 ms) and its longest task until the title stands whole and over the 15
// s; the bot's steps and sound, and every browser process's share of a core.
async function phoneFigures(browser, address, botSeconds) {
  for (const rate of [1, 4]) {
    const runs = [];
    for (let i = 0; i < Number(options['start-runs'] || 5); ++i) {
      const page = await phonePage(browser, address, rate);
      await page.waitForFunction(() => performance.now() > 15000, null, { timeout: 60000, polling: 250 });
      runs.push(await page.evaluate(() => {
        const first = window.qorbPage.stats.firstShownAt;
        const tasks = window.testLongTasks.filter(([start]) => start < 15000);
        const titleStands = first + 3450;
        return {
          first,
          blocking: tasks.reduce((sum, [, d]) => sum + Math.max(0, d - 50), 0),
          longest: Math.max(0, ...tasks.map(([, d]) => d)),
          longestInTitle: Math.max(0, ...tasks.filter(([start]) => start < titleStands).map(([, d]) => d)),
        };
      }));
      await page.context().close();
    }
    const list = (key) => runs.map((r) => r[key].toFixed(0)).join(' ');
    say(`figures as a phone, CPU slowed ${rate}x: first picture ${median(runs.map((r) => r.first)).toFixed(0)} ms ` +
        `(${list('first')}); total blocking over 15 s ${median(runs.map((r) => r.blocking)).toFixed(0)} ms ` +
        `(${list('blocking')}); the longest task until the title stands ` +
        `${median(runs.map((r) => r.longestInTitle)).toFixed(0)} ms (${list('longestInTitle')}), over 15 s ` +
        `${median(runs.map((r) => r.longest)).toFixed(0)} ms (${list('longest')}) (medians of ${runs.length})`);
    const bot = await phonePage(browser, `${address}&args=--bot`, rate);
    await bot.keyboard.press('Shift');
    await bot.waitForFunction(() => window.qorbPage.stats.figures.playSteps > 0, null, { timeout: 60000 });
    const play = await sample(bot, botSeconds * 1000);
    say(`  the bot playing as a phone, CPU slowed ${rate}x: ${(play.cpuShare * 100).toFixed(1)}% of a core, ` +
        `${play.stepsPerSecond.toFixed(2)} play steps a second, the sound (${play.audioWay}) ${play.audioGaps} gaps, ` +
        `${play.audioLate} frames late; load average ${os.loadavg().map((l) => l.toFixed(1)).join(' ')}`);
    await bot.context().close();
  }
}

async function figures(browser, address) {
  const botSeconds = Number(options['bot-seconds'] || 60);
  say(`figures, load average ${os.loadavg().map((l) => l.toFixed(1)).join(' ')}`);
  // --only phone: the phone's figures alone; --only play: the bot's play alone.
  if (options.only === 'phone') {
    await phoneFigures(browser, address, botSeconds);
    return;
  }
  if (options.only === 'play') {
    const bot = await botWithSound(browser, address);
    const play = await sample(bot, botSeconds * 1000);
    say(`figures: the bot playing: ${(play.cpuShare * 100).toFixed(1)}% of a core, ${play.stepsPerSecond.toFixed(2)} ` +
        `play steps a second, the sound ${play.audioGaps} gaps, ${play.audioLate} frames late`);
    await bot.close();
    return;
  }
  const starts = [];
  for (let i = 0; i < Number(options['start-runs'] || 9); ++i) {
    const page = await openSettled(browser, address);
    starts.push(await page.evaluate(() => window.qorbPage.stats.firstShownAt));
    await page.context().close();
  }
  starts.sort((a, b) => a - b);
  say(`figures: first title picture ${starts[starts.length >> 1].toFixed(0)} ms after navigation, the median of ` +
      `${starts.length} starts (${starts.map((t) => t.toFixed(0)).join(' ')} ms), load average ` +
      os.loadavg().map((l) => l.toFixed(1)).join(' '));
  for (const hz of [0, 144, 240]) {
    const clock = hz ? `a simulated ${hz} Hz frame clock` : 'animation frames';
    const at = hz ? `${address}&hz=${hz}` : address;
    const title = await openSettled(browser, at);
    const loaded = await title.evaluate(() => {
      const s = window.qorbPage.stats;
      return { first: s.firstShownAt, compiled: s.compiledAt, made: s.making[s.making.length - 1][0] };
    });
    // The zoom: the whole title stands from the last picture put on the canvas.
    await sleep(6000);
    const whole = await title.evaluate(() => window.qorbPage.stats.lastShownAt);
    say(`figures with ${clock}: first title picture ${loaded.first.toFixed(0)} ms after navigation ` +
        `(the module compiled at ${loaded.compiled.toFixed(0)} ms, the last file set-up reads in at ` +
        `${loaded.made.toFixed(0)} ms); the whole title ${(whole - loaded.first).toFixed(0)} ms after the first ` +
        'picture (the zoom is 3450 ms at 60 pictures a second)');
    const waiting = await sample(title, 10000);
    say(`  the title waiting: ${(waiting.cpuShare * 100).toFixed(1)}% of a core, ` +
        `${waiting.flipsPerSecond.toFixed(2)} flips a second`);
    // A key the game does not read starts the page's sound: the title's music.
    await title.keyboard.press('Shift');
    const heard = await sample(title, 10000);
    say(`  the title waiting with its music: ${(heard.cpuShare * 100).toFixed(1)}% of a core, ` +
        `${heard.audioGaps} gaps in the sound`);
    await title.context().close();

    // The built-in player starts a game from the title and plays on.
    const bot = await botWithSound(browser, at);
    const play = await sample(bot, botSeconds * 1000);
    say(`  the bot playing: ${(play.cpuShare * 100).toFixed(1)}% of a core; over ${botSeconds} s ` +
        `${play.stepsPerSecond.toFixed(2)} play steps, ${play.flipsPerSecond.toFixed(2)} flips and ` +
        `${play.shownPerSecond.toFixed(2)} pictures a second; in a row, ` +
        `${play.steadyStepsPerSecond.toFixed(2)} play steps a second`);
    say(`  the sound (${play.audioWay}): ${play.audioGaps} gaps, ${play.audioLate} frames late, ` +
        `${play.audioLateChanges} changes late in ${play.audioTopUps} pieces sent; heard ` +
        `${play.audioLeadMean.toFixed(1)} ms after a change on average, ${play.audioLeadMax.toFixed(1)} ms at most ` +
        `(${play.audioChanges} changes); the page's longest pause ${play.audioPumpGapMax.toFixed(0)} ms, ` +
        `the least sound queued ${play.audioAheadLeast.toFixed(0)} ms`);
    await bot.close();
  }
  if (options['native-game']) {
    const share = await desktopTitleShare(options['native-game']);
    say(`  the desktop game (${path.basename(options['native-game'])}, Xvfb) on its waiting title: ` +
        `${(share * 100).toFixed(1)}% of a core`);
  }
  await phoneFigures(browser, address, botSeconds);
  say(`load average afterwards ${os.loadavg().map((l) => l.toFixed(1)).join(' ')}`);
}

main().then(
  () => {
    say(`PASS (screenshots in ${shots})`);
    if (!options.keep) fs.rmSync(shots, { recursive: true, force: true });
  },
  (error) => {
    console.error(`browser_test: FAIL: ${error instanceof Failure ? error.message : error.stack}`);
    console.error(`browser_test: screenshots kept in ${shots}`);
    process.exit(1);
  },
);
