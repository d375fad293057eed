// The worker that makes files beside the game: it runs this same module
// with --maker from the moment the page opens and hands back each file it
// makes; main.cpp shares the files out between it and the game. Runs where
// the game runs (the page, or the game's own worker).
//
// A worker can stop without a word (the browser may end it for its memory):
// while the game waits for it, a silence much longer than its longest file
// so far counts as its end, and so does a message that cannot reach it; the
// game then makes the rest itself and says so.

const MakerSilentAtLeastMs = 3000;

// scriptUrl, compiled: promises of the module's script (a URL) and its
// compiled WebAssembly; base: the page's folder; now(): the page's clock;
// madeByWorker: where to note each file as it comes; note(text): a word for
// the making panel.
export function createMaker({ scriptUrl, compiled, base, now, madeByWorker, note }) {
  const made = new Map();
  const madeHere = new Set(); // made by the game: the worker's copy is not wanted
  let maker = null;
  let stopped = false;
  const waiting = [];
  let waitingSince = 0;
  const begun = new Map(); // what the worker has begun, and when
  let longestMs = 0;
  let heardAt = 0;
  let silenceTimer = 0;

  function wake() {
    clearTimeout(silenceTimer);
    while (waiting.length) waiting.shift()();
  }
  function watch() {
    clearTimeout(silenceTimer);
    if (stopped || !waiting.length) return;
    const allowed = Math.max(MakerSilentAtLeastMs, 5 * longestMs);
    const since = Math.max(heardAt, waitingSince);
    silenceTimer = setTimeout(() => stop(`it said nothing for ${(allowed / 1000).toFixed(1)} s`),
      Math.max(0, since + allowed - now()));
  }
  // What it has not handed back when it stops, the game makes itself.
  function stop(why) {
    if (stopped || !maker) return;
    if (why) {
      console.warn(`Qorb's worker stopped: ${why}; the tab makes the rest of the art and sounds itself`);
      note('Making the rest here\u2026');
    }
    stopped = true;
    clearTimeout(silenceTimer);
    maker.terminate();
    wake();
  }
  // Every word to the worker: one that cannot be sent ends it.
  function tell(message) {
    if (!maker || stopped) return;
    try {
      maker.postMessage(message);
    } catch (error) {
      stop(`a message could not reach it (${error.message || error})`);
    }
  }

  const source = `'use strict';
    const post = (message, transfer) => postMessage(message, transfer || []);
    let give = null;
    const compiled = new Promise((resolve) => (give = resolve));
    const unwanted = new Set();
    let shown = null;
    const firstPicture = new Promise((resolve) => (shown = resolve));
    onmessage = (e) => {
      if (e.data.script) importScripts(e.data.script);
      else if (e.data.module) give(e.data.module);
      else if (e.data.unwanted) unwanted.add(e.data.unwanted);
      else if (e.data.shown) shown();
    };
    // One turn of the worker's loop, so that the page's word comes in.
    const turn = new MessageChannel();
    const turns = [];
    turn.port1.onmessage = () => turns.shift()();
    self.Module = {
      arguments: ['--maker'],
      locateFile: (file) => new URL(file, ${JSON.stringify(base)}).href,
      instantiateWasm: (imports, receive) => {
        compiled
          .then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
          .catch((error) => post({ failed: String(error) }));
        return {};
      },
      print: () => {},
      printErr: (text) => post({ warning: String(text) }),
      onAbort: (what) => post({ failed: String(what) }),
      qorbPage: {
        stillWanted: (name) =>
          new Promise((resolve) => {
            turns.push(() => {
              const wanted = !unwanted.has(name);
              if (wanted) post({ begun: name });
              resolve(wanted);
            });
            turn.port2.postMessage(0);
          }),
        whenShown: () => firstPicture,
        handOver: (name, bytes) => post({ name, bytes, at: performance.timeOrigin + performance.now() }, [bytes.buffer]),
        fatal: (message) => post({ failed: message }),
        ended: (code) => post({ ended: code }),
      },
    };`;

  if (typeof Worker === 'function' && typeof Blob === 'function' && typeof MessageChannel === 'function') {
    try {
      const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
      maker = new Worker(url);
      URL.revokeObjectURL(url);
    } catch (error) {
      console.warn(`Qorb makes every file itself: ${error.message}`);
      maker = null;
    }
  }
  if (maker) {
    // The script first: it asks for the module as it runs.
    scriptUrl.then((script) => tell({ script }), () => stop(''));
    compiled.then((module) => tell({ module }), (error) => stop(error.message || String(error)));
    maker.onmessage = (e) => {
      const m = e.data;
      heardAt = now();
      watch();
      if (m.begun) {
        begun.set(m.begun, now());
      } else if (m.name) {
        // When it came, and when the worker had made it (on the page's clock).
        madeByWorker.push([now(), m.name, now() - (performance.timeOrigin + performance.now() - m.at)]);
        if (begun.has(m.name)) longestMs = Math.max(longestMs, now() - begun.get(m.name));
        if (!madeHere.has(m.name)) made.set(m.name, m.bytes);
        wake();
      } else if (m.warning) {
        console.warn(m.warning);
      } else if (m.failed) {
        stop(m.failed);
      } else if ('ended' in m) {
        stop(m.ended === 0 ? '' : `status ${m.ended}`);
      }
    };
    maker.onerror = (e) => {
      e.preventDefault();
      stop(e.message || 'an error');
    };
  }

  // What the module calls (src/platform/web/page.h), and the first picture.
  return {
    shown: () => tell({ shown: true }),
    calls: {
      makerStarted: () => maker !== null && !stopped,
      madeHere(name) {
        madeHere.add(name);
        made.delete(name);
        tell({ unwanted: name });
      },
      madeSize(name) {
        const bytes = made.get(name);
        return bytes ? bytes.length : 0;
      },
      takeMade(name) {
        const bytes = made.get(name);
        made.delete(name);
        return bytes;
      },
      makerStopped: () => stopped || maker === null,
      whenMade() {
        if (stopped || !maker) return Promise.resolve();
        if (!waiting.length) waitingSince = now();
        const came = new Promise((resolve) => waiting.push(resolve));
        watch();
        return came;
      },
    },
  };
}
