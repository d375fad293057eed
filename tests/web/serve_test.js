// tests/web/serve.js under hostile requests: with --lan any device on the
// network reaches it, so no request may stop it or reach outside its folder.
'use strict';

const assert = require('assert');
const fs = require('fs');
const http = require('http');
const net = require('net');
const os = require('os');
const path = require('path');
const { serve } = require('./serve');

// The status of a raw request line, sent as it stands (no client rewriting it).
function status(port, target) {
  return new Promise((resolve, reject) => {
    const socket = net.connect(port, '127.0.0.1', () => socket.write(`GET ${target} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n`));
    let text = '';
    socket.on('data', (d) => (text += d));
    socket.on('end', () => resolve(Number((/^HTTP\/1\.1 (\d+)/.exec(text) || [])[1] || 0)));
    socket.on('error', reject);
  });
}

async function main() {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'qorb-serve-'));
  const site = path.join(root, 'site');
  fs.mkdirSync(site);
  fs.writeFileSync(path.join(site, 'index.html'), '<p>Qorb</p>');
  fs.writeFileSync(path.join(root, 'secret.txt'), 'not served');
  const server = await serve(site, 0);
  const port = server.address().port;
  try {
    assert.strictEqual(await status(port, '/index.html'), 200);
    assert.strictEqual(await status(port, '/'), 200);
    for (const [target, want] of [
      ['/%00', 400], ['/index.html%00.png', 400], ['/%E0%A4%A', 400], ['/%ZZ', 400],
      ['/../secret.txt', 404], ['/..%2fsecret.txt', 404], ['/%2e%2e/secret.txt', 404],
      ['/nothing.js', 404], [`/${'a'.repeat(5000)}`, 404],
    ]) {
      assert.strictEqual(await status(port, target), want, target);
      // ...and the server still answers.
      assert.strictEqual(await status(port, '/index.html'), 200, `after ${target}`);
    }
    const post = await new Promise((resolve) =>
      http.request({ port, host: '127.0.0.1', method: 'POST', path: '/index.html' }, (r) => resolve(r.statusCode)).end());
    assert.strictEqual(post, 404);
  } finally {
    server.close();
    fs.rmSync(root, { recursive: true, force: true });
  }
  console.log('serve_test: PASS');
}

main().catch((error) => {
  console.error(`serve_test: FAIL: ${error.stack}`);
  process.exit(1);
});
