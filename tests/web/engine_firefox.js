// The engine tests' adapter for Debian's Firefox ESR, driven through
// WebDriver BiDi, which Firefox speaks itself (puppeteer-core, no
// geckodriver). A window on the test's X server, so that xdotool's input is
// real input.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');

const Binary = '/usr/bin/firefox-esr';

async function launch({ env, width, height }) {
  const puppeteer = require('puppeteer-core');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qorb-firefox-'));
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: Binary,
    headless: false,
    defaultViewport: null,
    userDataDir: profile,
    env,
    args: [`--width=${width}`, `--height=${height}`],
    // No first-run pages, updates or reports on a closed network; the sound
    // goes to the test's own server (PULSE_SERVER). Sound waits for a gesture
    // as it does for a player: under remote control Firefox would let any
    // page start it.
    extraPrefsFirefox: {
      'media.autoplay.default': 1,
      'media.autoplay.blocking_policy': 0,
      'media.autoplay.block-webaudio': true,
      'browser.shell.checkDefaultBrowser': false,
      'browser.startup.homepage_override.mstone': 'ignore',
      'datareporting.policy.dataSubmissionEnabled': false,
      'app.update.disabledForTesting': true,
      'media.cubeb.backend': 'pulse',
    },
  });
  const page = (await browser.pages())[0] || (await browser.newPage());
  return {
    name: 'Firefox',
    version: await browser.version(),
    async goto(url) {
      await page.goto(url, { waitUntil: 'domcontentloaded', timeout: 60000 });
    },
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    async screenshot(file) {
      fs.writeFileSync(file, await page.screenshot({ type: 'png' }));
    },
    click: (selector) => page.click(selector),
    async close() {
      await browser.close().catch(() => {});
      fs.rmSync(profile, { recursive: true, force: true });
    },
    // For a browser that answers nothing, not even its close.
    kill() {
      const child = browser.process();
      if (child && child.exitCode === null) child.kill('SIGKILL');
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

module.exports = { launch, binary: Binary, needs: ['puppeteer-core'] };
