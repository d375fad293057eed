// Serves one folder on 127.0.0.1, files only, for the browser tests and
// scripts/play-web.sh. Prints the page's address once it listens.
// Usage: node serve.js DIR [PORT [PAGE]]   (PORT 0 or none: any free port;
//        PAGE: what the printed address opens, index.html?module=... say)
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
};

function serve(root, port) {
  root = path.resolve(root);
  const server = http.createServer((request, response) => {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
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
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Content-Length': stat.size,
        'Cache-Control': 'no-store',
      });
      if (request.method === 'HEAD') response.end();
      else fs.createReadStream(file).pipe(response);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

module.exports = { serve };

if (require.main === module) {
  const [dir, port = '0', pageName = ''] = process.argv.slice(2);
  if (!dir || !fs.existsSync(path.join(dir, 'index.html')) || !/^\d+$/.test(port) || !/^[\w.?=&-]*$/.test(pageName)) {
    console.error('usage: node serve.js DIR [PORT [PAGE]]   (DIR holding index.html)');
    process.exit(2);
  }
  serve(dir, Number(port)).then(
    (server) => console.log(`Qorb is served at http://127.0.0.1:${server.address().port}/${pageName} (Ctrl-C stops)`),
    (error) => {
      console.error(`serve: ${error.message}`);
      process.exit(1);
    },
  );
}
