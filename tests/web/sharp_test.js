// The page's sharp scaling, looked at on the screen of headless Chromium: a
// page of one-pixel white and black columns (top third), a white block on
// black (middle third) and one-pixel rows (bottom third) goes through the
// page's own picture (web/picture.js) into a window of 1440 x 1080 (scale 1.8) and of
// 1600 x 1200 (scale 2). At 1.8 every white column and row must get the same
// light summed over the screen, within 10% (nearest sampling gives one or two
// screen pixels, 100% apart), and the block's edges may ramp over two screen
// pixels at most; at 2 the screen must be exactly the nearest enlargement.
//
// Usage: node sharp_test.js --site DIR (status 77: skipped, no Chromium)
'use strict';

const fs = require('fs');
const { redOf } = require('./png_read');
const { serve } = require('./serve');

// Skipped (77) without Chromium or the npm driver: scripts/install-deps.sh --web brings them.
let chromium;
try {
  ({ chromium } = require('playwright-core'));
} catch {
  console.log('skipped: playwright-core is missing');
  process.exit(77);
}
if (!fs.existsSync('/usr/bin/chromium')) {
  console.log('skipped: /usr/bin/chromium is missing');
  process.exit(77);
}

const site = process.argv[2] === '--site' ? process.argv[3] : null;
if (!site) {
  console.error('usage: sharp_test.js --site DIR');
  process.exit(2);
}
const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const say = (text) => console.log(`sharp_test: ${text}`);
const problems = [];
const expect = (ok, what) => {
  if (!ok) problems.push(what);
};

function pageAt(x, y) {
  if (y < 200) return x % 2 === 1;
  if (y < 400) return x >= 300 && x < 500 && y >= 250 && y < 350;
  return y % 2 === 1;
}

async function shownAt(browser, address, width, height) {
  const page = await browser.newPage({ viewport: { width, height } });
  await page.goto(address);
  const canvasSize = await page.evaluate(async (source) => {
    const drawn = eval(`(${source})`);
    // No game runs: the page's picture alone, on a canvas laid out as the
    // page lays out its own.
    const { createPicture } = await import('./picture.js');
    document.body.innerHTML = '';
    document.body.style.cssText = 'margin: 0; background: #000; overflow: hidden';
    const canvas = document.createElement('canvas');
    canvas.style.cssText = 'position: fixed; inset: 0; width: 100%; height: 100%; object-fit: contain';
    document.body.appendChild(canvas);
    const rgba = new Uint8ClampedArray(800 * 600 * 4);
    for (let y = 0; y < 600; ++y)
      for (let x = 0; x < 800; ++x) {
        const white = drawn(x, y) ? 255 : 0;
        rgba.set([white, white, white, 255], (y * 800 + x) * 4);
      }
    const picture = createPicture(canvas, () => document.createElement('canvas'), () => {});
    picture.open(800, 600);
    picture.place(Math.round(canvas.clientWidth * devicePixelRatio), Math.round(canvas.clientHeight * devicePixelRatio));
    picture.show(rgba, 800, 600, 0, 0, 800, 600);
    await new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
    return [canvas.width, canvas.height];
  }, pageAt.toString());
  const screen = redOf(await page.screenshot());
  await page.close();
  return { screen, canvasSize };
}

async function main() {
  const server = await serve(site, 0);
  // A module that is not there: the page runs without a game.
  const address = `http://127.0.0.1:${server.address().port}/manifest.webmanifest`;
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumFlags });
  try {
    const fraction = await shownAt(browser, address, 1440, 1080);
    expect(fraction.canvasSize.join('x') === '1440x1080',
      `the canvas holds ${fraction.canvasSize.join('x')} pixels in a 1440 x 1080 window`);
    checkFraction(fraction.screen, 1.8);
    const whole = await shownAt(browser, address, 1600, 1200);
    let wrong = 0;
    for (let y = 0; y < 1200; ++y)
      for (let x = 0; x < 1600; ++x) wrong += whole.screen.at(x, y) !== (pageAt(x >> 1, y >> 1) ? 255 : 0);
    expect(wrong === 0, `at scale 2, ${wrong} screen pixels are not the nearest picture pixel's`);
  } finally {
    await browser.close();
    server.close();
  }
}

function checkFraction(screen, scale) {
  // A screen pixel blends at most two neighbouring picture pixels, one of
  // them black: its light belongs to the white (odd) line nearest it.
  const white = (line) => Math.round(((line + 0.5) / scale - 1.5) / 2) * 2 + 1;
  const columns = new Array(800).fill(0);
  const rows = new Array(600).fill(0);
  const clamp = (v, hi) => Math.min(Math.max(v, 0), hi);
  for (let x = 0; x < 1440; ++x) for (let y = 40; y < 320; y += 7) columns[clamp(white(x), 799)] += screen.at(x, y);
  for (let y = 720; y < 1080; ++y) for (let x = 100; x < 1300; x += 13) rows[clamp(white(y), 599)] += screen.at(x, y);
  const spread = (light, from, to) => {
    const lines = [];
    for (let i = from; i < to; i += 2) lines.push(light[i]);
    const least = Math.min(...lines);
    return least > 0 ? Math.max(...lines) / least - 1 : Infinity;
  };
  const columnSpread = spread(columns, 3, 797);
  const rowSpread = spread(rows, 403, 597);
  say(`at 1.8 the white columns' light is within ${(columnSpread * 100).toFixed(1)}%, the rows' within ` +
      `${(rowSpread * 100).toFixed(1)}%`);
  expect(columnSpread < 0.1, `white picture columns get light ${(columnSpread * 100).toFixed(0)}% apart`);
  expect(rowSpread < 0.1, `white picture rows get light ${(rowSpread * 100).toFixed(0)}% apart`);
  const edges = (across, line) => {
    let run = 0;
    let longest = 0;
    let lit = 0;
    for (let i = across ? 500 : 420; i < (across ? 940 : 660); ++i) {
      const light = across ? screen.at(i, line) : screen.at(line, i);
      run = light !== 0 && light !== 255 ? run + 1 : 0;
      longest = Math.max(longest, run);
      lit += light >= 128;
    }
    return { longest, lit };
  };
  for (let y = 470; y < 610; y += 5) {
    const { longest, lit } = edges(true, y);
    expect(longest <= 2, `row ${y}: an edge ramps over ${longest} screen pixels`);
    expect(Math.abs(lit - 360) <= 1, `row ${y}: the block is ${lit} screen pixels wide, not 360`);
  }
  for (let x = 560; x < 880; x += 5) {
    const { longest, lit } = edges(false, x);
    expect(longest <= 2, `column ${x}: an edge ramps over ${longest} screen pixels`);
    expect(Math.abs(lit - 180) <= 1, `column ${x}: the block is ${lit} screen pixels high, not 180`);
  }
}

main().then(
  () => {
    if (problems.length) {
      console.error(`sharp_test: FAIL:\n  ${problems.slice(0, 20).join('\n  ')}`);
      process.exit(1);
    }
    say('PASS: sharp at 1.8, plain nearest at 2');
  },
  (error) => {
    console.error(`sharp_test: FAIL: ${error.stack}`);
    process.exit(1);
  },
);
