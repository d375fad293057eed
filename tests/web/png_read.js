// Reads the PNG files browsers write as screenshots (8-bit RGB or RGBA),
// for the tests that look at their pixels.
'use strict';

const zlib = require('zlib');

// An 8-bit RGB or RGBA PNG: its pixels' red.
function redOf(png) {
  let at = 8;
  let width = 0;
  let height = 0;
  let channels = 0;
  const data = [];
  while (at + 8 <= png.length) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0 || ![2, 6].includes(body[9])) throw new Error('unexpected PNG kind');
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? rows[y * stride + i - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = y > 0 && i >= channels ? rows[(y - 1) * stride + i - channels] : 0;
      let v = line[i];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a);
        const pb = Math.abs(p - b);
        const pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + i] = v & 255;
    }
  }
  const red = new Uint8Array(width * height);
  for (let i = 0; i < width * height; ++i) red[i] = rows[i * channels];
  return { width, height, at: (x, y) => red[y * width + x] };
}

// How many pixels of a screenshot are not black.
function litPixels(png) {
  const picture = redOf(png);
  let lit = 0;
  for (let y = 0; y < picture.height; ++y) for (let x = 0; x < picture.width; ++x) if (picture.at(x, y) > 0) ++lit;
  return lit;
}

module.exports = { redOf, litPixels };
