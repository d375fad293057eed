// What the game's module calls (Module.qorbPage, src/platform/web/page.h),
// wherever the game runs: in a worker of its own (game_worker.js), or where
// a browser cannot draw from a worker, on the page itself (page.js). The
// page's side (its DOM, input, sound device and panels) is reached by
// messages only, the same ones either way:
//
//   to the page:  progress, playState, ended, fatal, statusPanel, cursor,
//                 pointerLock, released (a key's release was taken), note
//                 (a word for the making panel), sound (a piece for buffer
//                 sources), stats (the game's figures, now and then)
//   to the game:  input (records), pads (gamepads as they stand), active,
//                 locked, box (the canvas's size on the screen), sound
//                 (running, a port to the worklet, or the
//                 play position), peaks (start the most-or-least figures
//                 afresh)

import { createInputQueue, Kind } from './input_queue.js';
import { createMaker } from './making.js';
import { createPicture } from './picture.js';

export { Kind };

const Rate = 44100;

// canvas, newCanvas: the screen's canvas and a maker of canvases off it;
// params: the page's query; tell(message, transfer): to the page; now(): the
// page's clock (ms); sound: the page's sound where the game runs on the page
// itself (calls, not messages), else null; scriptUrl, compiled: promises of
// the module's script and its compiled code, for the file-making worker;
// base: the page's folder.
export function createGame({ canvas, newCanvas, params, tell, now, sound, scriptUrl, compiled, base }) {
  // The game's figures; the page shows them as its own (stats.js in tests).
  const stats = {
    shown: 0, firstShownAt: null, lastShownAt: null, figures: {}, making: [], madeByWorker: [],
    audioQueued: 0, audioLeadMax: 0, audioLeadSum: 0, audioTopUps: 0, audioChanges: 0, audioPumpGapMax: 0,
  };
  let statsTimer = 0;
  function statsLater(soon) {
    if (statsTimer && !soon) return;
    clearTimeout(statsTimer);
    statsTimer = setTimeout(() => {
      statsTimer = 0;
      tell({ stats });
    }, soon ? 0 : 100);
  }

  // --- Input -------------------------------------------------------------------

  // A doze ends at the first of an input event or its deadline.
  const dozing = new Set();
  const wakeDozing = () => {
    for (const wake of [...dozing]) wake();
  };
  const input = createInputQueue((name) => tell({ released: name }));
  // The gamepads as the page last read them, and those unplugged since the
  // module last looked.
  const pads = new Map();
  const padsGone = [];
  let active = true;
  let locked = false;
  const waitingForActive = [];

  // --- The picture -------------------------------------------------------------

  let lost = false;
  const picture = createPicture(canvas, newCanvas, () => {
    lost = true;
    wakeDozing();
  });

  // --- Frame clock ---------------------------------------------------------------

  const hz = Number(params.get('hz'));
  const simulatedHz = Number.isFinite(hz) && hz >= 1 && hz <= 1000 ? hz : 0;
  // Ticks at exact multiples of the period, stamped like animation frames.
  function simulatedFrame() {
    const period = 1000 / simulatedHz;
    const stamp = (Math.floor(performance.now() / period) + 1) * period;
    return new Promise((resolve) => setTimeout(() => resolve(stamp), Math.max(0, stamp - performance.now())));
  }
  // One animation frame asked for at a time, and never taken back: a wait
  // that gives up on it (to top up the sound) leaves it standing for the
  // next wait. Cancelled and asked again every 8 ms, WebKit was seen to hold
  // frames off for 50 ms at a time.
  let frameAsked = false;
  let frameWaiter = null;
  function frameCame(stamp) {
    frameAsked = false;
    const waiter = frameWaiter;
    frameWaiter = null;
    if (waiter) waiter(stamp);
  }
  function askFrame() {
    if (frameAsked) return;
    frameAsked = true;
    if (simulatedHz || typeof requestAnimationFrame !== 'function') simulatedFrame().then(frameCame);
    else requestAnimationFrame(frameCame);
  }
  // One turn of the event loop, unstretched: a message to ourselves.
  const turnChannel = new MessageChannel();
  const turnWaiters = [];
  turnChannel.port1.onmessage = () => turnWaiters.shift()();
  function yieldTurn(resolve) {
    turnWaiters.push(resolve);
    turnChannel.port2.postMessage(0);
  }

  // --- Sound -------------------------------------------------------------------

  // Where the game runs on the page, the page's sound itself; in a worker,
  // the worklet's port (or the page, for buffer sources) and the play
  // position the worklet writes or reports.
  const link = sound || {
    running: false,
    port: null,
    clock: null, // Int32Array over shared memory
    frame: 0, // the last play position reported, and when (performance.now())
    frameAt: 0,
    late: 0,
  };
  function linkRunning() {
    return sound ? sound.running() : link.running;
  }
  function linkFrame() {
    if (sound) return sound.playedFrame();
    if (link.clock) return Atomics.load(link.clock, 0);
    // Reckoned on from the last report, never backwards.
    const reckoned = Math.round(link.frame + ((performance.now() - link.frameAt) * Rate) / 1000);
    link.reckoned = Math.max(link.reckoned || 0, reckoned);
    return link.reckoned;
  }
  function linkLate() {
    if (sound) return sound.heardLate();
    const late = link.late;
    link.late = 0;
    return late;
  }
  function linkQueue(at, samples, frames) {
    if (sound) return sound.queue(at, samples, frames);
    const copy = samples.slice(0, frames * 2);
    if (link.port) link.port.postMessage({ at, samples: copy }, [copy.buffer]);
    else tell({ sound: { at, samples: copy } }, [copy.buffer]);
  }
  let heldEnd = 0; // the end of what was sent
  let playedAsked = null; // the play position when the game last looked, and the time before
  let playedAskedBefore = null;

  // --- Files made beside the game --------------------------------------------------

  const maker = createMaker({
    scriptUrl, compiled, base, now, madeByWorker: stats.madeByWorker, note: (text) => tell({ note: text }),
  });

  // --- What the module calls -------------------------------------------------------

  const page = {
    openCanvas(width, height) {
      picture.open(width, height);
    },
    statusPanel: (left, freeTop) => tell({ statusPanel: [left, freeTop] }),
    show(rgba, width, height, x, y, w, h) {
      const { fresh, first } = picture.show(rgba, width, height, x, y, w, h);
      if (fresh) {
        ++stats.shown; // a picture, however many areas it changed
        stats.lastShownAt = now();
        statsLater(false);
      }
      if (first) {
        stats.firstShownAt = stats.lastShownAt;
        maker.shown();
        statsLater(true);
      }
    },
    pictureLost() {
      const was = lost;
      lost = false;
      return was;
    },
    setCursorVisible: (visible) => tell({ cursor: visible }),
    // Timers set from timers are stretched to 4 ms; posted tasks are not.
    // Without them a turn of the loop is a message to ourselves (a timer
    // of 0 would last those 4 ms).
    sleep(ms) {
      return new Promise((resolve) => {
        if (self.scheduler && self.scheduler.postTask) self.scheduler.postTask(resolve, { delay: ms });
        else if (ms === 0) yieldTurn(resolve);
        else setTimeout(resolve, ms);
      });
    },
    // No animation frame is asked for: asking for one a doze keeps the
    // browser drawing frames for a page that does not change.
    doze(ms) {
      return new Promise((resolve) => {
        let timer = 0;
        const wake = () => {
          if (!dozing.delete(wake)) return;
          clearTimeout(timer);
          resolve();
        };
        dozing.add(wake);
        timer = setTimeout(wake, ms);
      });
    },
    nextFrameWithin(ms) {
      return new Promise((resolve) => {
        const timer = setTimeout(() => {
          frameWaiter = null;
          resolve(-1);
        }, ms);
        frameWaiter = (stamp) => {
          clearTimeout(timer);
          resolve(stamp);
        };
        askFrame();
      });
    },
    active: () => active,
    whenActive() {
      if (active) return Promise.resolve();
      return new Promise((resolve) => waitingForActive.push(resolve));
    },
    takeInput: (capacity, gameReads) => input.take(capacity, gameReads),
    takePads: (capacity) => (pads.size || padsGone.length ? [...padsGone.splice(0), ...pads.values()].slice(0, capacity) : []),
    wantPointerLock: (wanted) => tell({ pointerLock: wanted }),
    pointerLocked: () => locked,
    audioRunning: linkRunning,
    audioPlayedFrame() {
      if (!linkRunning()) return 0;
      const at = now();
      if (playedAsked) stats.audioPumpGapMax = Math.max(stats.audioPumpGapMax, at - playedAsked.at);
      playedAskedBefore = playedAsked;
      playedAsked = { at, frame: linkFrame() };
      return playedAsked.frame;
    },
    audioHeardLate: () => (linkRunning() ? linkLate() : 0),
    queueAudioAt(at, samples, frames) {
      if (!linkRunning()) return;
      // A piece that replaces sound already sent carries a change of the game's.
      if (frames > 0 && playedAskedBefore && at < heldEnd) {
        const lead = ((at - playedAskedBefore.frame) * 1000) / Rate;
        stats.audioLeadMax = Math.max(stats.audioLeadMax, lead);
        stats.audioLeadSum += lead;
        ++stats.audioChanges;
      }
      heldEnd = at + frames;
      linkQueue(at, samples, frames);
      stats.audioQueued += frames;
      if (frames > 0) ++stats.audioTopUps;
    },
    ...maker.calls,
    playState: (state) => tell({ playState: state }),
    progress(fraction, what) {
      stats.making.push([now(), what]);
      tell({ progress: [fraction, what] });
    },
    setFigure(name, value) {
      if (!/^[A-Za-z]\w{0,39}$/.test(name)) return;
      stats.figures[name] = value;
      statsLater(false);
    },
    fatal: (message) => tell({ fatal: message }),
    ended(code) {
      clearTimeout(statsTimer);
      tell({ stats });
      tell({ ended: code });
    },
  };

  // --- What the page says ------------------------------------------------------------

  function hear(m) {
    if (m.input) {
      for (const record of m.input) input.put(record);
      wakeDozing();
    }
    if (m.pads) {
      for (const pad of m.pads) {
        if (pad.connected) pads.set(pad.index, pad);
        else if (pads.delete(pad.index)) padsGone.push(pad);
      }
      wakeDozing();
    }
    if ('active' in m) {
      active = m.active;
      if (active) while (waitingForActive.length) waitingForActive.shift()();
    }
    if ('locked' in m) locked = m.locked;
    if (m.box) {
      picture.place(m.box.width, m.box.height);
      tell({ canvasSize: picture.size() });
    }
    if (m.sound) {
      if ('running' in m.sound) link.running = m.sound.running;
      if (m.sound.port) {
        link.port = m.sound.port;
        link.clock = m.sound.clock ? new Int32Array(m.sound.clock) : null;
        link.port.onmessage = (e) => {
          if (e.data.frame !== undefined) {
            link.frame = e.data.frame;
            link.frameAt = performance.now();
          }
          if (e.data.late) link.late = Math.max(link.late, e.data.by);
        };
      }
      if (m.sound.frame !== undefined) {
        link.frame = m.sound.frame;
        link.frameAt = performance.now();
      }
      if (m.sound.late) link.late = Math.max(link.late, m.sound.late);
    }
    if (m.peaks) Object.assign(stats, { audioLeadMax: 0, audioPumpGapMax: 0 });
  }

  return { page, hear, input, stats, wake: wakeDozing };
}
