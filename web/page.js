// The page around Qorb's WebAssembly module. The game runs in a worker of
// its own (game_worker.js) that draws on the canvas the page hands it, so
// that the page's main thread keeps only what must be there: the DOM, input
// (controls.js), the sound device (sound.js), pointer lock, full screen, the
// wake lock, the panels, and the offline worker. Where a browser cannot draw
// from a worker, or with ?thread=main, the game runs here instead, through
// the same calls (game.js). Either way page and game speak by the same
// messages.
//
// Query parameters: module=NAME loads NAME.js (default qorb); hz=N replaces
// the animation frames with a simulated N Hz frame clock, for tests;
// args=A,B hands the module command-line arguments; sound=buffers plays the
// sound through buffer sources, as where there is no audio worklet;
// thread=main runs the game on the page, thread=worker in its worker even
// where the page would not choose it; meter=1 measures what the sound
// device is given.

import { createControls } from './controls.js';
import { createGame } from './game.js';
import { createRing, ringShared, ringWriter } from './input_ring.js';
import { watchPads } from './pads.js';
import { createSound } from './sound.js';

const params = new URLSearchParams(location.search);
const canvas = document.getElementById('screen');
const making = document.getElementById('making');
const makingBar = document.getElementById('making-bar');
const makingWhat = document.getElementById('making-what');
const ended = document.getElementById('ended');
const endedText = document.getElementById('ended-text');

// What tests read: pictures shown, and when the first one came (ms on this
// page's clock). audioGaps counts underruns: the device asked for sound past
// all that was queued and played silence. audioLead is, at each mix the
// game's change made afresh, how long at most after the change it is heard:
// from the play position when the game last looked before it. audioLate
// counts frames that reached the device after their time; audioPumpGapMax is
// the longest the game went without looking at the sound (ms),
// audioAheadLeast the least sound queued ahead that the device found (ms).
// longTasks: the page's main-thread tasks over 50 ms, [start, duration].
const stats = {
  shown: 0, firstShownAt: null, audioQueued: 0, audioGaps: 0, audioGapLog: [], audioLeadMax: 0, audioLeadSum: 0, audioTopUps: 0,
  audioChanges: 0, audioLate: 0, audioLateLog: [], audioPumpGapMax: 0, audioAheadLeast: null, audioWay: '',
  ended: null, making: [], madeByWorker: [], compiledAt: null, figures: {}, playState: 0, thread: '', inputWay: 'calls',
  longTasks: [],
};
try {
  new PerformanceObserver((list) => {
    for (const t of list.getEntries()) stats.longTasks.push([t.startTime, t.duration]);
  }).observe({ type: 'longtask', buffered: true });
} catch {}

// Where the picture's parts stand, in picture pixels: its size, and the
// status panel's left edge and the bottom of its text, as the module says.
const screenMap = { width: 800, height: 600, panelLeft: 800, panelFreeTop: 600 };

// --- Notices -------------------------------------------------------------------------
// One line over the top of the picture for what the page must tell the
// player while the game runs: a mouse the browser took back, a silence.

const notice = document.createElement('p');
notice.id = 'notice';
notice.setAttribute('role', 'status');
notice.hidden = true;
notice.style.cssText =
  'position: fixed; left: 50%; top: 12px; transform: translateX(-50%); margin: 0; padding: 0.4em 1em; ' +
  'background: #181828; color: #e8e8f0; border: 1px solid #505070; border-radius: 4px; font: 15px sans-serif;';
document.body.appendChild(notice);
let noticeTimer = 0;
const notices = {
  // For `seconds`, or until hide(what) when none is given.
  show(what, text, seconds) {
    notice.dataset.what = what;
    notice.textContent = text;
    notice.hidden = false;
    clearTimeout(noticeTimer);
    if (seconds) noticeTimer = setTimeout(() => notices.hide(what), seconds * 1000);
  },
  hide(what) {
    if (what && notice.dataset.what !== what) return;
    clearTimeout(noticeTimer);
    notice.hidden = true;
  },
};

// --- Where the game runs ------------------------------------------------------------

// WebKit (WebKitGTK 2.50 measured) holds the game's worker back for half a
// second now and then, long enough for the sound to run dry, and gives it
// 54 steps a second where the page's own thread keeps 60: there the game
// plays on the page unless ?thread=worker asks otherwise.
const workerHeldBack = navigator.vendor === 'Apple Computer, Inc.' && params.get('thread') !== 'worker';
const inWorker =
  params.get('thread') !== 'main' && !workerHeldBack && typeof canvas.transferControlToOffscreen === 'function' &&
  typeof Worker === 'function' && typeof OffscreenCanvas === 'function';
stats.thread = inWorker ? 'worker' : 'main';
let toGame = () => {};
let transfer = () => {};

// --- Sound ---------------------------------------------------------------------------

const clock = inWorker && ringShared() ? new SharedArrayBuffer(4) : null;
let portGiven = false;
let soundTold = null;
const sound = createSound({ params, stats, notices, changed: () => soundChanged() });
function soundChanged() {
  if (!inWorker) return;
  const running = sound.running();
  if (running !== soundTold) toGame({ sound: { running: (soundTold = running) } });
  if (!portGiven && stats.audioWay === 'audio worklet') {
    const port = sound.portForGame(clock);
    if (port) {
      portGiven = true;
      transfer({ sound: { port, clock } }, [port]);
    }
  }
}
// Buffer sources play on the page: a game in a worker hears the play
// position from here.
if (inWorker) {
  setInterval(() => {
    if (!portGiven && sound.running()) toGame({ sound: { frame: sound.playedFrame(), late: sound.heardLate() } });
  }, 20);
}

// --- Input ------------------------------------------------------------------------------

const releaseWaiters = new Map(); // key name -> resolvers waiting for its release to be taken
function released(name) {
  return new Promise((resolve) => {
    if (!releaseWaiters.has(name)) releaseWaiters.set(name, []);
    releaseWaiters.get(name).push(resolve);
  });
}
let ring = null;
let writer = null;
let ringWatched = false;
let batch = [];
function sink(record) {
  if (writer) {
    writer.put(record);
    if (!ringWatched) toGame({ wake: true });
    return;
  }
  // One message a task: motion adds up meanwhile.
  const last = batch[batch.length - 1];
  if (last && last.kind === 0 && record.kind === 0) {
    last.dx += record.dx;
    last.dy += record.dy;
    return;
  }
  if (!batch.length) {
    queueMicrotask(() => {
      const records = batch;
      batch = [];
      toGame({ input: records });
    });
  }
  batch.push({ ...record });
}
const controls = createControls({
  canvas, sink, released, startAudio: (e) => sound.start(e), stats, notices, screenMap,
});
controls.onActive((active) => toGame({ active }));
watchPads({ send: (pads) => toGame({ pads }), gesture: () => sound.start(null), notices });
controls.onLocked((locked) => toGame({ locked }));

// --- Panels ------------------------------------------------------------------------------

// The making panel shows only once the making has taken a second: a
// shorter wait needs none, and drawing it would lengthen the wait.
const MakingShownAfterMs = 1000;
let makingDone = false;
setTimeout(() => {
  if (!makingDone) making.hidden = false;
}, Math.max(0, MakingShownAfterMs - performance.now()));
function makingOver() {
  makingDone = true;
  making.hidden = true;
  controls.madeAll();
}

function leave() {
  controls.leave();
  notices.hide();
  makingOver();
}
document.getElementById('again').addEventListener('click', () => location.reload());

function failed(why) {
  if (stats.ended !== null) return;
  leave();
  console.error(`Qorb stopped: ${why}`);
  endedText.textContent = 'Qorb has stopped after an error.';
  ended.hidden = false;
}

let fatalMessage = '';

// --- Offline ----------------------------------------------------------------------------

// The worker keeps this build's files for visits without a network
// (sw.js, generated with the build's key). Only where browsers allow it:
// https, or this machine. Registered once the game has started and the
// title has zoomed in, since its first install fetches every file again.
const OfflineAfterMs = 4000;
let offlineAsked = false;
function keepOffline() {
  if (offlineAsked || !('serviceWorker' in navigator) || !window.isSecureContext) return;
  offlineAsked = true;
  navigator.serviceWorker.register('sw.js').catch((error) => console.warn(`Qorb works online only: ${error.message}`));
}

// --- What the game says --------------------------------------------------------------------

function fromGame(m) {
  if (m.stats) Object.assign(stats, m.stats);
  if (m.input) return; // (never: input goes the other way)
  if (m.progress) {
    const [fraction, what] = m.progress;
    makingBar.value = fraction;
    makingWhat.textContent = what || '\u00a0';
    if (fraction >= 1) {
      makingOver();
      setTimeout(keepOffline, OfflineAfterMs);
    }
  }
  if (m.note) makingWhat.textContent = m.note;
  if ('playState' in m) {
    controls.setPlayState(m.playState);
    // What the pad's buttons do is told until a game begins.
    if (m.playState !== 0) notices.hide('pad');
  }
  if (m.statusPanel) {
    [screenMap.panelLeft, screenMap.panelFreeTop] = m.statusPanel;
    controls.place();
  }
  if (m.canvasSize) {
    [screenMap.width, screenMap.height] = [m.canvasSize.width || 800, m.canvasSize.height || 600];
    controls.place();
  }
  if ('cursor' in m) controls.setCursorVisible(m.cursor);
  if ('pointerLock' in m) controls.wantPointerLock(m.pointerLock);
  if (m.released) {
    const waiters = releaseWaiters.get(m.released) || [];
    releaseWaiters.delete(m.released);
    for (const resolve of waiters) resolve();
  }
  if (m.sound && m.sound.samples) sound.queue(m.sound.at, m.sound.samples, m.sound.samples.length >> 1);
  if (m.log) console.log(m.log);
  if (m.warn) console.warn(m.warn);
  if (m.fatal) {
    // What stopped the game, shown when it ends.
    fatalMessage = m.fatal;
    console.error(`Qorb: ${m.fatal}`);
  }
  if (m.failed) failed(m.failed);
  if ('ended' in m) {
    stats.ended = m.ended;
    leave();
    if (fatalMessage) endedText.textContent = `Qorb has ended: ${fatalMessage}`;
    else endedText.textContent = m.ended === 0 ? 'Qorb has ended.' : `Qorb has ended (status ${m.ended}).`;
    ended.hidden = false;
  }
  if (m.ringWatched !== undefined) ringWatched = m.ringWatched;
}

// Tests drive the game through the same paths as the listeners.
window.qorbPage = {
  stats, screenMap,
  input: controls.input,
  pictureRect: controls.pictureRect,
  audioRunning: () => sound.running() && (!inWorker || portGiven || stats.audioWay === 'buffer sources'),
  // The figures that are the most or least so far count afresh from now.
  resetPeaks() {
    Object.assign(stats, { audioLeadMax: 0, audioPumpGapMax: 0, audioAheadLeast: null });
    toGame({ peaks: true });
  },
};

// --- The module --------------------------------------------------------------------------

function start() {
  const name = params.get('module') || 'qorb';
  const args = (params.get('args') || '').split(',').filter((a) => a !== '');
  if (!/^[a-z0-9-]{1,40}$/.test(name) || !args.every((a) => /^[\w.=-]{1,40}$/.test(a))) {
    failed('the module and its arguments may hold only letters, digits, dots, equals signs and dashes');
    return;
  }
  // The module's script and its compile, begun by index.html as it came.
  const early = window.qorbEarly;
  if (!early || early.name !== name) {
    failed(`index.html did not begin loading ${name}`);
    return;
  }
  const scriptUrl = early.script.then((script) => URL.createObjectURL(new Blob([script], { type: 'text/javascript' })));
  const compiled = early.compiled;
  compiled.then(() => (stats.compiledAt = performance.now()), () => {});
  const base = new URL('.', location.href).href;
  // The canvas's box on the screen, in device pixels, for the picture's size.
  // The browser's own count is exact where the ratio is fractional; one
  // that is off by more than rounding (an emulated screen's, seen in
  // Chromium) is not believed.
  let measured = null;
  function box() {
    const ratio = window.devicePixelRatio || 1;
    const reckoned = { width: Math.round(canvas.clientWidth * ratio), height: Math.round(canvas.clientHeight * ratio) };
    const near = measured && Math.abs(measured.width - reckoned.width) <= 2 && Math.abs(measured.height - reckoned.height) <= 2;
    return near ? measured : reckoned;
  }
  const placed = () => {
    toGame({ box: box() });
    controls.place();
  };
  if (window.ResizeObserver) {
    new ResizeObserver((entries) => {
      const size = entries[entries.length - 1].devicePixelContentBoxSize;
      measured = size && size[0] ? { width: size[0].inlineSize, height: size[0].blockSize } : null;
      placed();
    }).observe(canvas);
  } else {
    window.addEventListener('resize', placed);
  }
  const state = { active: controls.active(), locked: controls.locked(), box: box() };

  if (inWorker) {
    const worker = new Worker(new URL('./game_worker.js', import.meta.url), { type: 'module' });
    worker.onmessage = (e) => fromGame(e.data);
    worker.onerror = (e) => {
      e.preventDefault();
      failed(`the game's worker stopped: ${e.message || 'an error'}`);
    };
    toGame = (m) => worker.postMessage(m);
    transfer = (m, t) => worker.postMessage(m, t);
    if (ringShared()) {
      ring = createRing();
      writer = ringWriter(ring);
    }
    stats.inputWay = ring ? 'shared ring' : 'messages';
    const offscreen = canvas.transferControlToOffscreen();
    Promise.all([scriptUrl, compiled]).then(
      ([url, module]) => {
        worker.postMessage({
          init: {
            canvas: offscreen, scriptUrl: url, module, args, base, search: location.search,
            pageOrigin: performance.timeOrigin, ring, state,
          },
        }, [offscreen]);
        soundChanged();
      },
      (error) => failed(`${name} could not be loaded: ${error.message || error}`),
    );
    return;
  }

  const game = createGame({
    canvas,
    newCanvas: () => document.createElement('canvas'),
    params,
    tell: fromGame,
    now: () => performance.now(),
    sound,
    scriptUrl,
    compiled,
    base,
  });
  toGame = (m) => game.hear(m);
  transfer = toGame;
  game.hear(state);
  window.Module = {
    canvas,
    arguments: args,
    qorbPage: game.page,
    print: (text) => console.log(text),
    // The game's own warnings (no sound device, say) are not errors.
    printErr: (text) => console.warn(text),
    onAbort: (what) => failed(String(what)),
    onExit: (code) => game.page.ended(code),
    instantiateWasm: (imports, receive) => {
      compiled
        .then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
        .catch((error) => failed(`${name}.wasm could not be started: ${error.message || error}`));
      return {};
    },
  };
  scriptUrl.then(
    (url) => {
      const script = document.createElement('script');
      script.src = url;
      script.onerror = () => failed(`${name}.js could not be run`);
      document.body.appendChild(script);
    },
    (error) => failed(`${name}.js could not be loaded (${error.message})`),
  );
}

start();
