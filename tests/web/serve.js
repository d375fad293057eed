// Serves one folder on 127.0.0.1, files only, for the browser tests and
// scripts/play-web.sh. Prints the page's address once it listens.
// Usage: node serve.js [--lan] DIR [PORT [PAGE]]   (PORT 0 or none: any free
//        port; PAGE: what the printed address opens, index.html?module=...
//        say; --lan: on every address of the machine, for a phone on the
//        same network)
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.gz': 'application/gzip',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// hooks.refuse(name), when given, says which files to answer with a broken
// connection, as a network that fails: for tests of the offline worker;
// hooks.isolated asks for the page to be cross-origin isolated, as a host
// that sends those headers does.
function serve(root, port, host = '127.0.0.1', hooks = {}) {
  root = path.resolve(root);
  // Whatever a request holds, it is answered and the server goes on: with
  // --lan any device on the network reaches it.
  const server = http.createServer((request, response) => {
    try {
      answer(request, response);
    } catch {
      if (!response.headersSent) response.writeHead(500);
      response.end();
    }
  });
  function answer(request, response) {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    // A NUL makes every file call throw.
    if (name.includes('\0')) {
      response.writeHead(400).end();
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    if (hooks.refuse && hooks.refuse(name)) {
      request.socket.destroy();
      return;
    }
    const file = path.join(root, path.normalize(name));
    // Nothing outside the folder, whatever the path says.
    if (!file.startsWith(root + path.sep) || (request.method !== 'GET' && request.method !== 'HEAD')) {
      response.writeHead(404).end();
      return;
    }
    fs.stat(file, (error, stat) => {
      if (error || !stat.isFile()) {
        response.writeHead(404).end();
        return;
      }
      const headers = {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Content-Length': stat.size,
        'Cache-Control': 'no-store',
      };
      if (hooks.isolated) {
        headers['Cross-Origin-Opener-Policy'] = 'same-origin';
        headers['Cross-Origin-Embedder-Policy'] = 'require-corp';
      }
      response.writeHead(200, headers);
      if (request.method === 'HEAD') {
        response.end();
        return;
      }
      // A file that goes away meanwhile ends the answer, not the server.
      fs.createReadStream(file).on('error', () => response.destroy()).pipe(response);
    });
  }
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => resolve(server));
  });
}

module.exports = { serve };

if (require.main === module) {
  const args = process.argv.slice(2);
  const lan = args[0] === '--lan';
  if (lan) args.shift();
  const [dir, port = '0', pageName = ''] = args;
  if (!dir || !fs.existsSync(path.join(dir, 'index.html')) || !/^\d+$/.test(port) || !/^[\w.?=&-]*$/.test(pageName)) {
    console.error('usage: node serve.js [--lan] DIR [PORT [PAGE]]   (DIR holding index.html)');
    process.exit(2);
  }
  serve(dir, Number(port), lan ? '0.0.0.0' : '127.0.0.1').then(
    (server) => {
      const at = (host) => `http://${host}:${server.address().port}/${pageName}`;
      if (!lan) {
        console.log(`Qorb is served at ${at('127.0.0.1')} (Ctrl-C stops)`);
        return;
      }
      const addresses = Object.values(require('os').networkInterfaces())
        .flat()
        .filter((a) => a.family === 'IPv4' && !a.internal)
        .map((a) => at(a.address));
      console.log(`Qorb is served at ${[at('127.0.0.1'), ...addresses].join(' and ')} (Ctrl-C stops)`);
    },
    (error) => {
      console.error(`serve: ${error.message}`);
      process.exit(1);
    },
  );
}
