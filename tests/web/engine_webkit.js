// The engine tests' adapter for Debian's WebKitGTK, driven through
// WebKitWebDriver (W3C WebDriver) with its MiniBrowser, by our own small
// client (webdriver.js). A window on the test's X server, so that xdotool's
// input is real input.
'use strict';

const fs = require('fs');
const { startSession } = require('./webdriver');

const Binary = '/usr/bin/WebKitWebDriver';

async function launch({ env, width, height }) {
  const session = await startSession(Binary, {}, env);
  try {
    await session.setWindowRect({ x: 0, y: 0, width, height });
  } catch (error) {
    await session.stop();
    throw error;
  }
  const version = await session.execute(() => navigator.userAgent);
  return {
    name: 'WebKitGTK',
    version: (/AppleWebKit\/[\d.]+/.exec(version) || [version])[0],
    goto: (url) => session.navigate(url),
    evaluate: (fn, ...args) => session.execute(String(fn), args),
    async screenshot(file) {
      fs.writeFileSync(file, await session.screenshot());
    },
    click: (selector) => session.click(selector),
    close: () => session.stop(),
  };
}

module.exports = { launch, binary: Binary, needs: [] };
