// What it costs the browser to put the game's picture on the screen from a
// worker, two ways, in Debian's headless Chromium: each presents 60 pictures
// a second of an 800 x 600 page on which a ball and a paddle move (a few
// changed rows, as in play), scaled sharp to the window, from a worker that
// owns the canvas (OffscreenCanvas):
//   2d     the page converted to RGBA, put on a picture canvas, enlarged by
//          the whole factor with nearest sampling and drawn onto the screen
//          with linear filtering (what the page does today)
//   webgl  the page's 16-bit words uploaded as an RGB565 texture as they
//          are, and scaled in one pass by a shader (nearest within each
//          enlarged pixel, linear across their edges)
// Prints the share of a core all of Chromium's processes took over 10 s.
//
// Usage: node bench/web/present_bench.js [WIDTHxHEIGHT@RATIO ...]   (default 1280x800@1 915x412@2.625 1920x1080@1)
'use strict';

const http = require('http');
const path = require('path');
const { chromium } = require(path.join(__dirname, '../../tests/web/node_modules/playwright-core'));
const { processorSeconds } = require(path.join(__dirname, '../../tests/web/processes'));

const flags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The worker: makes the pictures and presents them the chosen way.
const worker = `
'use strict';
const W = 800, H = 600;
const words = new Uint16Array(W * H);
for (let y = 0; y < H; ++y) for (let x = 0; x < W; ++x) words[y * W + x] = ((x >> 3) << 11) | ((y >> 3) << 5) | ((x ^ y) & 31);
const rgba = new Uint8ClampedArray(W * H * 4);
function toRgba(top, bottom) {
  for (let i = top * W; i < bottom * W; ++i) {
    const w = words[i];
    rgba[4 * i] = (w >> 11) << 3; rgba[4 * i + 1] = ((w >> 5) & 63) << 2; rgba[4 * i + 2] = (w & 31) << 3; rgba[4 * i + 3] = 255;
  }
}
toRgba(0, H);
// A ball and a paddle move; each step changes their rows.
function step(n) {
  const bx = 100 + (n * 3) % 500, by = 100 + (n * 2) % 400, px = 50 + (n * 4) % 550;
  const areas = [];
  for (const [x, y, w, h, c] of [[bx, by, 8, 8, 0xffff], [px, 560, 64, 12, 0xf800]]) {
    for (let r = y - 4; r < y + h + 4; ++r) for (let q = x - 4; q < x + w + 4; ++q)
      words[r * W + q] = r >= y && r < y + h && q >= x && q < x + w ? c : ((q >> 3) << 11) | ((r >> 3) << 5) | ((q ^ r) & 31);
    areas.push([x - 4, y - 4, x + w + 4, y + h + 4]);
  }
  return areas;
}
let present = null;
function twoD(canvas) {
  const picture = new OffscreenCanvas(W, H), pc = picture.getContext('2d', { alpha: false });
  const enlarged = new OffscreenCanvas(1, 1), ec = enlarged.getContext('2d', { alpha: false });
  const context = canvas.getContext('2d', { alpha: false });
  const factor = Math.max(1, Math.floor(Math.min(canvas.width / W, canvas.height / H)));
  enlarged.width = W * factor; enlarged.height = H * factor;
  const whole = canvas.width === W * factor && canvas.height === H * factor;
  const image = new ImageData(rgba, W, H);
  return (areas) => {
    for (const [l, t, r, b] of areas) {
      toRgba(t, b);
      pc.putImageData(image, 0, 0, l, t, r - l, b - t);
      const across = canvas.width / (W * factor), down = canvas.height / (H * factor);
      const source = factor === 1 ? picture : enlarged;
      if (factor > 1) { ec.imageSmoothingEnabled = false; ec.drawImage(picture, l, t, r - l, b - t, l * factor, t * factor, (r - l) * factor, (b - t) * factor); }
      if (whole) { context.imageSmoothingEnabled = false; context.drawImage(source, l * factor, t * factor, (r - l) * factor, (b - t) * factor, l * factor, t * factor, (r - l) * factor, (b - t) * factor); continue; }
      const fl = Math.max(0, l - 2), fr = Math.min(W, r + 2), ft = Math.max(0, t - 2), fb = Math.min(H, b + 2);
      context.save(); context.beginPath();
      context.rect(Math.floor((l - 1) * factor * across), Math.floor((t - 1) * factor * down), Math.ceil((r - l + 2) * factor * across) + 1, Math.ceil((b - t + 2) * factor * down) + 1);
      context.clip(); context.imageSmoothingEnabled = true; context.imageSmoothingQuality = 'medium';
      context.drawImage(source, fl * factor, ft * factor, (fr - fl) * factor, (fb - ft) * factor, fl * factor * across, ft * factor * down, (fr - fl) * factor * across, (fb - ft) * factor * down);
      context.restore();
    }
  };
}
function webgl(canvas) {
  const gl = canvas.getContext('webgl', { alpha: false, antialias: false, preserveDrawingBuffer: false });
  const shader = (type, text) => { const s = gl.createShader(type); gl.shaderSource(s, text); gl.compileShader(s); return s; };
  const program = gl.createProgram();
  gl.attachShader(program, shader(gl.VERTEX_SHADER, 'attribute vec2 p; varying vec2 uv; void main() { uv = vec2(p.x + 1.0, 1.0 - p.y) * 0.5; gl_Position = vec4(p, 0.0, 1.0); }'));
  gl.attachShader(program, shader(gl.FRAGMENT_SHADER, [
    'precision mediump float; varying vec2 uv; uniform sampler2D page; uniform vec2 size; uniform float factor;',
    'void main() {',
    '  vec2 texel = uv * size; vec2 s = fract(texel) - 0.5; float range = 0.5 - 0.5 / factor;',
    '  vec2 f = (s - clamp(s, -range, range)) * factor + 0.5;',
    '  gl_FragColor = texture2D(page, (floor(texel) + f) / size);',
    '}'].join('\\n')));
  gl.linkProgram(program); gl.useProgram(program);
  const buffer = gl.createBuffer(); gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
  const at = gl.getAttribLocation(program, 'p'); gl.enableVertexAttribArray(at); gl.vertexAttribPointer(at, 2, gl.FLOAT, false, 0, 0);
  gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR); gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE); gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
  gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, W, H, 0, gl.RGB, gl.UNSIGNED_SHORT_5_6_5, words);
  gl.uniform2f(gl.getUniformLocation(program, 'size'), W, H);
  gl.uniform1f(gl.getUniformLocation(program, 'factor'), Math.max(1, Math.floor(Math.min(canvas.width / W, canvas.height / H))) || 1);
  gl.viewport(0, 0, canvas.width, canvas.height);
  return (areas) => {
    for (const [, t, , b] of areas) gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, t, W, b - t, gl.RGB, gl.UNSIGNED_SHORT_5_6_5, words.subarray(t * W, b * W));
    gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
  };
}
let n = 0, frames = 0;
onmessage = (e) => {
  present = (e.data.way === 'webgl' ? webgl : twoD)(e.data.canvas);
  present([[0, 0, W, H]]);
  const frame = () => { present(step(++n)); ++frames; requestAnimationFrame(frame); };
  requestAnimationFrame(frame);
  setInterval(() => postMessage(frames), 500);
};
`;

const page = (way) => `<!doctype html><html><body style="margin:0;background:#000;overflow:hidden">
<canvas id="c" style="position:fixed;inset:0;width:100%;height:100%;object-fit:contain"></canvas>
<script>
  const canvas = document.getElementById('c');
  const ratio = devicePixelRatio;
  const scale = Math.min(innerWidth / 800, innerHeight / 600);
  canvas.width = Math.round(800 * scale * ratio); canvas.height = Math.round(600 * scale * ratio);
  const offscreen = canvas.transferControlToOffscreen();
  const w = new Worker(URL.createObjectURL(new Blob([${JSON.stringify(worker)}], { type: 'text/javascript' })));
  window.frames = 0;
  w.onmessage = (e) => (window.frames = e.data);
  w.postMessage({ way: '${way}', canvas: offscreen }, [offscreen]);
</script></body></html>`;


async function main() {
  const screens = (process.argv.slice(2).length ? process.argv.slice(2) : ['1280x800@1', '915x412@2.625', '1920x1080@1'])
    .map((s) => /^(\d+)x(\d+)@([\d.]+)$/.exec(s)).map((m) => ({ width: +m[1], height: +m[2], ratio: +m[3] }));
  const server = http.createServer((request, response) => {
    const way = new URL(request.url, 'http://x').searchParams.get('way');
    response.writeHead(200, { 'Content-Type': 'text/html' }).end(page(way === 'webgl' ? 'webgl' : '2d'));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: flags });
  try {
    for (const screen of screens) {
      for (const way of ['2d', 'webgl']) {
        const context = await browser.newContext({ viewport: { width: screen.width, height: screen.height }, deviceScaleFactor: screen.ratio });
        const tab = await context.newPage();
        await tab.goto(`http://127.0.0.1:${server.address().port}/?way=${way}`);
        await sleep(3000);
        const [c0, f0, t0] = [processorSeconds(process.pid), await tab.evaluate(() => window.frames), Date.now()];
        await sleep(10000);
        const [c1, f1, t1] = [processorSeconds(process.pid), await tab.evaluate(() => window.frames), Date.now()];
        const seconds = (t1 - t0) / 1000;
        console.log(`present_bench: ${screen.width}x${screen.height} at ${screen.ratio}, ${way}: ` +
                    `${(((c1 - c0) / seconds) * 100).toFixed(1)}% of a core, ${((f1 - f0) / seconds).toFixed(1)} pictures a second`);
        await context.close();
      }
    }
  } finally {
    await browser.close();
    server.close();
  }
}

main().catch((error) => {
  console.error(`present_bench: ${error.stack}`);
  process.exit(1);
});
