// A small client of W3C WebDriver (classic, over HTTP), enough for the
// engine tests to drive WebKitGTK through WebKitWebDriver: a session, a
// page, scripts, screenshots, actions. Nothing beyond node's own fetch.
'use strict';

const { spawn } = require('child_process');
const net = require('net');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A free port on the loopback, for the driver to listen on.
function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

class WebDriverError extends Error {}

class Session {
  constructor(base, id) {
    this.base = base;
    this.id = id;
  }

  async command(method, path, body) {
    const response = await fetch(`${this.base}/session/${this.id}${path}`, {
      method,
      headers: body === undefined ? {} : { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json().catch(() => ({}));
    const value = answer.value;
    if (!response.ok || (value && value.error)) {
      const what = value && value.error ? `${value.error}: ${value.message}` : `status ${response.status}`;
      throw new WebDriverError(`WebDriver ${method} ${path}: ${what}`);
    }
    return value;
  }

  navigate(url) {
    return this.command('POST', '/url', { url });
  }
  // Runs `body` (a function's source) in the page with `args`; its result
  // comes back as JSON.
  execute(source, args = []) {
    return this.command('POST', '/execute/sync', { script: `return (${source}).apply(null, arguments);`, args });
  }
  screenshot() {
    return this.command('GET', '/screenshot').then((data) => Buffer.from(data, 'base64'));
  }
  actions(actions) {
    return this.command('POST', '/actions', { actions });
  }
  releaseActions() {
    return this.command('DELETE', '/actions');
  }
  // Clicks the first element that a CSS selector finds, as WebDriver clicks.
  async click(selector) {
    const element = await this.command('POST', '/element', { using: 'css selector', value: selector });
    const id = element['element-6066-11e4-a52e-4a1d71f4da5c'] || Object.values(element)[0];
    await this.command('POST', `/element/${id}/click`, {});
  }
  setWindowRect(rect) {
    return this.command('POST', '/window/rect', rect);
  }
  async close() {
    await this.command('DELETE', '').catch(() => {});
  }
}

// Starts the driver and a session of the browser it drives.
async function startSession(driverPath, capabilities, env) {
  const port = await freePort();
  const driver = spawn(driverPath, [`--port=${port}`], { env, stdio: ['ignore', 'ignore', 'pipe'] });
  let driverLog = '';
  driver.stderr.on('data', (d) => (driverLog = (driverLog + d).slice(-4000)));
  const base = `http://127.0.0.1:${port}`;
  const stop = () => {
    if (driver.exitCode === null && driver.signalCode === null) driver.kill();
  };
  try {
    for (let tries = 0; ; ++tries) {
      if (driver.exitCode !== null) throw new WebDriverError(`${driverPath} ended: ${driverLog.trim()}`);
      const ready = await fetch(`${base}/status`)
        .then((r) => r.json())
        .then((s) => s.value && s.value.ready)
        .catch(() => false);
      if (ready) break;
      if (tries > 100) throw new WebDriverError(`${driverPath} did not answer within 20 s`);
      await sleep(200);
    }
    const response = await fetch(`${base}/session`, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ capabilities: { alwaysMatch: capabilities } }),
    });
    const answer = await response.json();
    if (!response.ok || !answer.value || !answer.value.sessionId)
      throw new WebDriverError(`no session: ${JSON.stringify(answer.value)} ${driverLog.trim()}`);
    const session = new Session(base, answer.value.sessionId);
    session.driver = driver;
    session.stop = async () => {
      await session.close();
      stop();
    };
    return session;
  } catch (error) {
    stop();
    throw error;
  }
}

module.exports = { startSession, WebDriverError };
