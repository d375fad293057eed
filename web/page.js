// The page around Qorb's WebAssembly module: the canvas, the frame clock,
// mouse and keys, Web Audio, full screen, and the panels. The module reaches
// it as Module.qorbPage (src/platform/web/page.cpp).
//
// Query parameters: module=NAME loads NAME.js (default qorb); hz=N replaces
// the animation frames with a simulated N Hz frame clock, for tests;
// args=A,B hands the module command-line arguments.
'use strict';

(() => {
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { alpha: false });
  const making = document.getElementById('making');
  const makingBar = document.getElementById('making-bar');
  const makingWhat = document.getElementById('making-what');
  const ended = document.getElementById('ended');
  const endedText = document.getElementById('ended-text');
  const fullscreenButton = document.getElementById('fullscreen');

  // What tests read: pictures shown, and when the first one came.
  const stats = { shown: 0, firstShownAt: null, audioQueued: 0, ended: null, making: [], figures: {} };

  // --- Frame clock -------------------------------------------------------------

  const hz = Number(params.get('hz'));
  const simulatedHz = Number.isFinite(hz) && hz >= 1 && hz <= 1000 ? hz : 0;

  // Ticks at exact multiples of the period, stamped like animation frames.
  function simulatedFrame() {
    const period = 1000 / simulatedHz;
    const stamp = (Math.floor(performance.now() / period) + 1) * period;
    return new Promise((resolve) => setTimeout(() => resolve(stamp), Math.max(0, stamp - performance.now())));
  }

  // --- The picture ---------------------------------------------------------------

  // The game's page stays at its own size on `picture`. The canvas holds it
  // at the screen's own pixels, as large as fits: enlarged by the largest
  // whole factor with nearest sampling (on `enlarged`), then by the fraction
  // that remains with linear filtering, so that every picture pixel covers
  // the same area and an edge is at most a screen pixel soft. The page's
  // layout shows the canvas 1:1, centred between black bars.
  const picture = document.createElement('canvas');
  const pictureContext = picture.getContext('2d', { alpha: false });
  const enlarged = document.createElement('canvas');
  const enlargedContext = enlarged.getContext('2d', { alpha: false });
  let factor = 1; // the whole factor
  let screenBox = null; // the canvas's box in device pixels, when the browser says

  // Sizes the canvas for the space it has; draws everything again when the
  // size changed (or `always`).
  function fit(always) {
    const ratio = window.devicePixelRatio || 1;
    const box = screenBox || {
      width: Math.round(canvas.clientWidth * ratio),
      height: Math.round(canvas.clientHeight * ratio),
    };
    if (!picture.width || !picture.height || !box.width || !box.height) return;
    const scale = Math.min(box.width / picture.width, box.height / picture.height);
    // Centred on whole pixels: the bars on either side differ by no half pixel.
    const even = (size, room) => Math.max(1, size - ((room - size) % 2 !== 0 ? 1 : 0));
    const width = even(Math.min(box.width, Math.round(picture.width * scale)), box.width);
    const height = even(Math.min(box.height, Math.round(picture.height * scale)), box.height);
    if (!always && width === canvas.width && height === canvas.height) return;
    canvas.width = width;
    canvas.height = height;
    factor = Math.max(1, Math.floor(Math.min(width / picture.width, height / picture.height)));
    // Only a factor above 1 needs the enlarged copy.
    enlarged.width = factor > 1 ? picture.width * factor : 0;
    enlarged.height = factor > 1 ? picture.height * factor : 0;
    draw(0, picture.height);
  }

  // Draws the picture's rows [top, bottom) onto the canvas.
  function draw(top, bottom) {
    const pw = picture.width;
    const ph = picture.height;
    top = Math.max(0, top);
    bottom = Math.min(ph, bottom);
    if (!pw || !ph || bottom <= top || !canvas.width) return;
    if (canvas.width === pw * factor && canvas.height === ph * factor) {
      context.imageSmoothingEnabled = false;
      context.drawImage(picture, 0, top, pw, bottom - top, 0, top * factor, canvas.width, (bottom - top) * factor);
      return;
    }
    // At a factor of 1 the picture itself is the enlarged one.
    const source = factor === 1 ? picture : enlarged;
    if (factor > 1) {
      enlargedContext.imageSmoothingEnabled = false;
      enlargedContext.drawImage(picture, 0, top, pw, bottom - top, 0, top * factor, pw * factor, (bottom - top) * factor);
    }
    // Linear filtering reads a row beyond each edge: draw from two rows
    // further, with the same mapping as a whole draw, and keep only the
    // canvas rows that the changed ones reach.
    const across = canvas.width / (pw * factor);
    const down = canvas.height / (ph * factor);
    const from = Math.max(0, top - 2);
    const to = Math.min(ph, bottom + 2);
    const first = Math.max(0, Math.floor((top - 1) * factor * down));
    const last = Math.min(canvas.height, Math.ceil((bottom + 1) * factor * down));
    context.save();
    context.beginPath();
    context.rect(0, first, canvas.width, last - first);
    context.clip();
    context.imageSmoothingEnabled = true;
    // Linear; at 'low' Chromium weighs too coarsely to give every pixel the same light.
    context.imageSmoothingQuality = 'medium';
    context.drawImage(source, 0, from * factor, pw * factor, (to - from) * factor,
      0, from * factor * down, pw * factor * across, (to - from) * factor * down);
    context.restore();
  }

  if (window.ResizeObserver) {
    new ResizeObserver((entries) => {
      const entry = entries[entries.length - 1];
      const size = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
      screenBox = size ? { width: size.inlineSize, height: size.blockSize } : null;
      fit(false);
    }).observe(canvas);
  } else {
    window.addEventListener('resize', () => fit(false));
  }

  // --- Mouse and keys ------------------------------------------------------------

  const Kind = { Motion: 0, Button: 1, Key: 2, Close: 3 };
  // Numbered as the game's keys: Escape, Enter, F1, F5.
  const keyCodes = { Escape: 0, Enter: 1, NumpadEnter: 1, F1: 2, F5: 3 };
  const queue = [];
  const held = new Set(); // keys and buttons down, released when the focus goes
  let pointerWanted = false;

  const input = {
    motion(dx, dy) {
      dx = Math.trunc(dx) || 0;
      dy = Math.trunc(dy) || 0;
      if (dx === 0 && dy === 0) return;
      const last = queue[queue.length - 1];
      // Motion adds up; one event per run of moves keeps the queue short.
      if (last && last.kind === Kind.Motion) {
        last.dx += dx;
        last.dy += dy;
      } else {
        queue.push({ kind: Kind.Motion, code: 0, down: 0, dx, dy });
      }
    },
    button(index, down) {
      const name = `button${index}`;
      if (down === held.has(name)) return;
      down ? held.add(name) : held.delete(name);
      queue.push({ kind: Kind.Button, code: index, down: down ? 1 : 0, dx: 0, dy: 0 });
    },
    key(code, down) {
      const name = `key${code}`;
      if (down === held.has(name)) return;
      down ? held.add(name) : held.delete(name);
      queue.push({ kind: Kind.Key, code, down: down ? 1 : 0, dx: 0, dy: 0 });
    },
    releaseAll() {
      for (const name of [...held]) {
        const n = Number(name.replace(/\D+/, ''));
        name.startsWith('key') ? input.key(n, false) : input.button(n, false);
      }
    },
  };

  const locked = () => document.pointerLockElement === canvas;

  document.addEventListener('keydown', (e) => {
    startAudio();
    if (e.code === 'F11') {
      e.preventDefault();
      toggleFullscreen();
      return;
    }
    if (!(e.code in keyCodes)) return;
    // F1 would open help and F5 reload the page: both are the game's.
    e.preventDefault();
    input.key(keyCodes[e.code], true);
  });
  document.addEventListener('keyup', (e) => {
    if (!(e.code in keyCodes)) return;
    e.preventDefault();
    input.key(keyCodes[e.code], false);
  });

  canvas.addEventListener('mousedown', (e) => {
    startAudio();
    canvas.focus();
    if (pointerWanted && !locked()) {
      // This click only takes the mouse; the game sees the ones after it.
      const asked = canvas.requestPointerLock();
      if (asked && asked.catch) asked.catch(() => {});
      return;
    }
    if (locked() && e.button === 0) input.button(0, true);
  });
  document.addEventListener('mouseup', (e) => {
    if (e.button === 0) input.button(0, false);
  });
  document.addEventListener('mousemove', (e) => {
    if (locked()) input.motion(e.movementX, e.movementY);
    else showFullscreenButton();
  });
  document.addEventListener('pointerlockchange', () => {
    if (!locked()) input.button(0, false);
  });
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());

  // --- Focus and visibility --------------------------------------------------------

  const active = () => !document.hidden && document.hasFocus();
  const waiting = [];
  function wakeIfActive() {
    if (!active()) return;
    while (waiting.length) waiting.shift()();
  }
  window.addEventListener('blur', () => input.releaseAll());
  window.addEventListener('focus', wakeIfActive);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) input.releaseAll();
    wakeIfActive();
  });

  // --- Sound -------------------------------------------------------------------------

  let audio = null;
  let audioEnd = 0; // context time at which the queued sound ends

  // Browsers start sound only from a gesture: the first key or click.
  function startAudio() {
    if (!audio) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      try {
        audio = new Context({ sampleRate: 44100, latencyHint: 'interactive' });
      } catch (error) {
        console.warn(`Qorb plays without sound: ${error.message}`);
        return;
      }
    }
    if (audio.state === 'suspended') audio.resume().catch(() => {});
  }

  // --- Full screen ----------------------------------------------------------------------

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }
  fullscreenButton.addEventListener('click', () => {
    startAudio();
    toggleFullscreen();
  });
  // The button shows while the mouse moves over the page, and only then, so
  // that the bars around the picture stay black.
  let buttonTimer = 0;
  function showFullscreenButton() {
    if (!making.hidden || document.fullscreenElement) return;
    fullscreenButton.hidden = false;
    clearTimeout(buttonTimer);
    buttonTimer = setTimeout(() => (fullscreenButton.hidden = true), 2000);
  }
  document.addEventListener('fullscreenchange', () => {
    if (document.fullscreenElement) fullscreenButton.hidden = true;
  });

  // --- Panels -----------------------------------------------------------------------------

  function leave() {
    if (locked()) document.exitPointerLock();
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    making.hidden = true;
  }
  document.getElementById('again').addEventListener('click', () => location.reload());

  function failed(why) {
    leave();
    console.error(`Qorb stopped: ${why}`);
    endedText.textContent = 'Qorb has stopped after an error.';
    ended.hidden = false;
  }

  let fatalMessage = '';

  // --- What the module calls -----------------------------------------------------------------

  const page = {
    openCanvas(width, height) {
      picture.width = width;
      picture.height = height;
      fit(true);
    },
    show(rgba, width, height, x, y, w, h) {
      pictureContext.putImageData(new ImageData(rgba, width, height), 0, 0, x, y, w, h);
      draw(y, y + h);
      if (stats.firstShownAt === null) stats.firstShownAt = performance.now();
      ++stats.shown;
    },
    setCursorVisible(visible) {
      canvas.style.cursor = visible ? 'auto' : 'none';
    },
    // Timers set from timers are stretched to 4 ms; posted tasks are not.
    sleep(ms) {
      return new Promise((resolve) => {
        if (window.scheduler && scheduler.postTask) scheduler.postTask(resolve, { delay: ms });
        else setTimeout(resolve, ms);
      });
    },
    nextFrame() {
      return simulatedHz ? simulatedFrame() : new Promise((resolve) => requestAnimationFrame(resolve));
    },
    active,
    whenActive() {
      if (active()) return Promise.resolve();
      return new Promise((resolve) => {
        // The events wake it; the poll is for a focus that came back unannounced.
        const poll = setInterval(wakeIfActive, 500);
        waiting.push(() => {
          clearInterval(poll);
          resolve();
        });
      });
    },
    takeInput(capacity) {
      return queue.splice(0, capacity);
    },
    wantPointerLock(wanted) {
      pointerWanted = wanted;
      if (!wanted && locked()) document.exitPointerLock();
    },
    pointerLocked: locked,
    audioRunning() {
      return audio !== null && audio.state === 'running';
    },
    audioQueuedFrames() {
      if (!page.audioRunning()) return 0;
      return Math.max(0, Math.round((audioEnd - audio.currentTime) * 44100));
    },
    queueAudio(samples, frames) {
      if (!page.audioRunning()) return;
      const buffer = audio.createBuffer(2, frames, 44100);
      const left = buffer.getChannelData(0);
      const right = buffer.getChannelData(1);
      for (let i = 0; i < frames; ++i) {
        left[i] = samples[2 * i] / 32768;
        right[i] = samples[2 * i + 1] / 32768;
      }
      const source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.destination);
      // After a gap (a frozen page) the sound starts again a little ahead.
      const at = Math.max(audioEnd, audio.currentTime + 0.01);
      source.start(at);
      audioEnd = at + frames / 44100;
      stats.audioQueued += frames;
    },
    progress(fraction, what) {
      stats.making.push([performance.now(), what]);
      makingBar.value = fraction;
      makingWhat.textContent = what || '\u00a0';
      if (fraction >= 1) making.hidden = true;
    },
    setFigure(name, value) {
      if (/^[A-Za-z]\w{0,39}$/.test(name)) stats.figures[name] = value;
    },
    // What stopped the game, shown when it ends.
    fatal(message) {
      fatalMessage = message;
      console.error(`Qorb: ${message}`);
    },
    ended(code) {
      stats.ended = code;
      leave();
      if (fatalMessage) endedText.textContent = `Qorb has ended: ${fatalMessage}`;
      else endedText.textContent = code === 0 ? 'Qorb has ended.' : `Qorb has ended (status ${code}).`;
      ended.hidden = false;
    },
  };

  // Tests drive the game through the same paths as the listeners.
  window.qorbPage = { page, input, stats, pendingInput: () => queue.length };

  // --- The module ---------------------------------------------------------------------------

  const name = params.get('module') || 'qorb';
  const args = (params.get('args') || '').split(',').filter((a) => a !== '');
  window.Module = {
    canvas,
    arguments: args,
    qorbPage: page,
    print: (text) => console.log(text),
    // The game's own warnings (no sound device, say) are not errors.
    printErr: (text) => console.warn(text),
    onAbort: (what) => failed(String(what)),
    onExit: (code) => page.ended(code),
  };
  if (!/^[a-z0-9-]{1,40}$/.test(name) || !args.every((a) => /^[\w.=-]{1,40}$/.test(a))) {
    failed('the module and its arguments may hold only letters, digits, dots, equals signs and dashes');
    return;
  }
  const script = document.createElement('script');
  script.src = `${name}.js`;
  script.onerror = () => failed(`${script.src} could not be loaded`);
  document.body.appendChild(script);
})();
