// The game's picture on the screen, sharp at any size: wherever the game
// runs (a worker holding the canvas, or the page itself), the module's pages
// come here as RGBA areas and are drawn onto `canvas` at the screen's own
// pixels, as large as fits.
//
// The page stays at its own size on `picture`. The canvas holds it enlarged
// by the largest whole factor with nearest sampling (on `enlarged`), then by
// the fraction that remains with linear filtering, so that every picture
// pixel covers the same area and an edge is at most a screen pixel soft.
// (A WebGL texture of the 16-bit page scaled by a shader cost the browser
// more on this machine: bench/web/present_bench.js.)

// Every picture comes from the processor (putImageData), so the canvases
// live in its memory: drawn by a graphics card that WebKit emulates in
// software where there is none (llvmpipe), the title's zoom ran at half
// speed.
const CanvasKind = { alpha: false, willReadFrequently: true };

// canvas: the canvas on the screen (an HTMLCanvasElement, or the
// OffscreenCanvas a worker was handed); newCanvas(): a canvas of the same
// kind's world to draw on off the screen; lost(): called when the browser
// gave back a context it had dropped, blank.
export function createPicture(canvas, newCanvas, lost) {
  const context = canvas.getContext('2d', CanvasKind);
  const picture = newCanvas();
  // Nothing to draw until the module opens it.
  picture.width = picture.height = 0;
  const pictureContext = picture.getContext('2d', CanvasKind);
  const enlarged = newCanvas();
  enlarged.width = enlarged.height = 0;
  const enlargedContext = enlarged.getContext('2d', CanvasKind);
  let factor = 1; // the whole factor
  let box = null; // the canvas's box on the screen, in device pixels
  // The canvas is sized when the first picture comes, not when the module
  // opens it at set-up: until then each frame the browser draws would copy
  // a blank canvas while the tab makes the art.
  let shown = false;

  for (const c of [canvas, picture, enlarged])
    if (c.addEventListener) c.addEventListener('contextrestored', lost);

  // Sizes the canvas for its box; draws everything again when the size
  // changed (or `always`). True when it did.
  function fit(always) {
    if (!shown || !picture.width || !picture.height || !box || !box.width || !box.height) return false;
    const scale = Math.min(box.width / picture.width, box.height / picture.height);
    // Centred on whole pixels: the bars on either side differ by no half pixel.
    const even = (size, room) => Math.max(1, size - ((room - size) % 2 !== 0 ? 1 : 0));
    const width = even(Math.min(box.width, Math.round(picture.width * scale)), box.width);
    const height = even(Math.min(box.height, Math.round(picture.height * scale)), box.height);
    if (!always && width === canvas.width && height === canvas.height) return false;
    canvas.width = width;
    canvas.height = height;
    factor = Math.max(1, Math.floor(Math.min(width / picture.width, height / picture.height)));
    // Only a factor above 1 needs the enlarged copy.
    enlarged.width = factor > 1 ? picture.width * factor : 0;
    enlarged.height = factor > 1 ? picture.height * factor : 0;
    draw(0, 0, picture.width, picture.height);
    return true;
  }

  // Draws the picture's area [left, right) x [top, bottom) onto the canvas.
  function draw(left, top, right, bottom) {
    const pw = picture.width;
    const ph = picture.height;
    left = Math.max(0, left);
    top = Math.max(0, top);
    right = Math.min(pw, right);
    bottom = Math.min(ph, bottom);
    if (!pw || !ph || bottom <= top || right <= left || !canvas.width) return;
    const w = right - left;
    const h = bottom - top;
    if (canvas.width === pw * factor && canvas.height === ph * factor) {
      context.imageSmoothingEnabled = false;
      context.drawImage(picture, left, top, w, h, left * factor, top * factor, w * factor, h * factor);
      return;
    }
    // At a factor of 1 the picture itself is the enlarged one.
    const source = factor === 1 ? picture : enlarged;
    if (factor > 1) {
      enlargedContext.imageSmoothingEnabled = false;
      enlargedContext.drawImage(picture, left, top, w, h, left * factor, top * factor, w * factor, h * factor);
    }
    // Linear filtering reads a pixel beyond each edge: draw from two pixels
    // further, with the same mapping as a whole draw, and keep only the
    // canvas pixels that the changed ones reach.
    const across = canvas.width / (pw * factor);
    const down = canvas.height / (ph * factor);
    const fromX = Math.max(0, left - 2);
    const toX = Math.min(pw, right + 2);
    const from = Math.max(0, top - 2);
    const to = Math.min(ph, bottom + 2);
    const firstX = Math.max(0, Math.floor((left - 1) * factor * across));
    const lastX = Math.min(canvas.width, Math.ceil((right + 1) * factor * across));
    const first = Math.max(0, Math.floor((top - 1) * factor * down));
    const last = Math.min(canvas.height, Math.ceil((bottom + 1) * factor * down));
    context.save();
    context.beginPath();
    context.rect(firstX, first, lastX - firstX, last - first);
    context.clip();
    context.imageSmoothingEnabled = true;
    // Linear; at 'low' Chromium weighs too coarsely to give every pixel the same light.
    context.imageSmoothingQuality = 'medium';
    context.drawImage(source, fromX * factor, from * factor, (toX - fromX) * factor, (to - from) * factor,
      fromX * factor * across, from * factor * down, (toX - fromX) * factor * across, (to - from) * factor * down);
    context.restore();
  }

  const changed = []; // areas put on the picture and not yet drawn
  function drawChanged() {
    for (const area of changed.splice(0)) draw(...area);
  }

  return {
    open(width, height) {
      picture.width = width;
      picture.height = height;
      fit(true);
    },
    // The canvas's box on the screen changed (device pixels): true when the
    // canvas was sized again.
    place(width, height) {
      box = { width, height };
      return fit(false);
    },
    // Puts the area (x, y, w, h) of a whole RGBA page on the picture; drawn
    // onto the canvas together once the module hands back the thread, since
    // each draw from a picture changed since the last copies all of it.
    // True for a new picture (the first area since the last drawing), and
    // `first` in the answer for the very first.
    show(rgba, width, height, x, y, w, h) {
      pictureContext.putImageData(new ImageData(rgba, width, height), 0, 0, x, y, w, h);
      let first = false;
      if (!shown) {
        shown = first = true;
        fit(true);
      }
      const fresh = changed.length === 0;
      if (fresh) queueMicrotask(drawChanged);
      changed.push([x, y, x + w, y + h]);
      return { fresh, first };
    },
    size: () => ({ width: picture.width, height: picture.height }),
  };
}
