// The page around Qorb's WebAssembly module: the canvas, the frame clock,
// mouse, keys and touch (web/touch.js), Web Audio, full screen, the buttons
// of touch screens, the wake lock, the offline cache, and the panels. The
// module reaches it as Module.qorbPage (src/platform/web/page.cpp).
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
  const touchControls = document.getElementById('touch-controls');
  const pauseButton = document.getElementById('pause');
  const giveUpButton = document.getElementById('give-up');
  const leaveButton = document.getElementById('leave');

  // What tests read: pictures shown, and when the first one came.
  // audioGaps counts underruns: sound queued after what was queued before had
  // run out, so the device played silence between; audioLead is how far ahead
  // of the play position the newest sound ends, at each top-up.
  const stats = {
    shown: 0, firstShownAt: null, audioQueued: 0, audioGaps: 0, audioGapLog: [], audioLeadMax: 0, audioLeadSum: 0, audioTopUps: 0,
    ended: null, making: [], madeByWorker: [], compiledAt: null, figures: {}, playState: 0,
  };

  // --- Frame clock -------------------------------------------------------------

  const moduleName = params.get('module') || 'qorb';
  const hz = Number(params.get('hz'));
  const simulatedHz = Number.isFinite(hz) && hz >= 1 && hz <= 1000 ? hz : 0;

  // Ticks at exact multiples of the period, stamped like animation frames.
  function simulatedFrame() {
    const period = 1000 / simulatedHz;
    const stamp = (Math.floor(performance.now() / period) + 1) * period;
    return new Promise((resolve) => setTimeout(() => resolve(stamp), Math.max(0, stamp - performance.now())));
  }

  // --- Notices ---------------------------------------------------------------------
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
  // For `seconds`, or until hideNotice(what) when none is given.
  function showNotice(what, text, seconds) {
    notice.dataset.what = what;
    notice.textContent = text;
    notice.hidden = false;
    clearTimeout(noticeTimer);
    if (seconds) noticeTimer = setTimeout(() => hideNotice(what), seconds * 1000);
  }
  function hideNotice(what) {
    if (what && notice.dataset.what !== what) return;
    clearTimeout(noticeTimer);
    notice.hidden = true;
  }

  // A doze ends at the first of an input event or its deadline.
  const dozing = new Set();
  const wakeDozing = () => {
    for (const wake of [...dozing]) wake();
  };
  for (const type of ['keydown', 'keyup', 'mousedown', 'mouseup', 'mousemove', 'touchstart', 'touchmove', 'touchend'])
    document.addEventListener(type, wakeDozing, { passive: true });

  // --- The picture ---------------------------------------------------------------

  // The game's page stays at its own size on `picture`. The canvas holds it
  // at the screen's own pixels, as large as fits: enlarged by the largest
  // whole factor with nearest sampling (on `enlarged`), then by the fraction
  // that remains with linear filtering, so that every picture pixel covers
  // the same area and an edge is at most a screen pixel soft. The page's
  // layout shows the canvas 1:1, centred between black bars.
  const picture = document.createElement('canvas');
  // Nothing to draw until the module opens it (a new canvas is 300 x 150).
  picture.width = picture.height = 0;
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

  // The game's input vocabulary, numbered as plat::InputEvent::Kind.
  const Kind = { Motion: 0, Button: 1, Key: 2, Close: 3 };
  // Numbered as the game's keys: Escape, Enter, F1, F5.
  const keyCodes = { Escape: 0, Enter: 1, NumpadEnter: 1, F1: 2, F5: 3 };
  const queue = [];
  const held = new Set(); // keys and buttons down, released when the focus goes
  let pointerWanted = false;

  // A tap's release waits until the game has taken the press and, in play,
  // made two more steps (flips; a second at most): the game reads the button
  // and the keys as they stand, once a step in play, so a press and its
  // release taken in one pump, as when the page stalls, would never be seen.
  // The title, the intro and the pause read the keys as soon as they take them.
  let pushed = 0;
  let taken = 0;
  const holds = [];
  function push(event) {
    queue.push(event);
    ++pushed;
  }
  function whenSeen(release, ms) {
    holds.push({ mark: pushed, release, ms, takenAt: null, flips: 0 });
  }
  const whenTaken = (then) => whenSeen(then, 0);
  function releaseSeen() {
    const now = performance.now();
    const flips = stats.figures.flips || 0;
    for (let i = 0; i < holds.length; ) {
      const h = holds[i];
      if (h.takenAt === null && taken >= h.mark) {
        h.takenAt = now;
        h.flips = flips;
      }
      const ran = h.takenAt !== null && now - h.takenAt >= h.ms;
      if (ran && (h.ms === 0 || playState !== 1 || flips - h.flips >= 2 || now - h.takenAt >= 1000)) {
        holds.splice(i, 1);
        h.release();
      } else {
        ++i;
      }
    }
  }

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
        push({ kind: Kind.Motion, code: 0, down: 0, dx, dy });
      }
    },
    button(index, down) {
      const name = `button${index}`;
      if (down === held.has(name)) return;
      down ? held.add(name) : held.delete(name);
      push({ kind: Kind.Button, code: index, down: down ? 1 : 0, dx: 0, dy: 0 });
    },
    key(code, down) {
      const name = `key${code}`;
      if (down === held.has(name)) return;
      down ? held.add(name) : held.delete(name);
      push({ kind: Kind.Key, code, down: down ? 1 : 0, dx: 0, dy: 0 });
    },
    releaseAll() {
      for (const name of [...held]) {
        const n = Number(name.replace(/\D+/, ''));
        name.startsWith('key') ? input.key(n, false) : input.button(n, false);
      }
    },
  };

  const locked = () => document.pointerLockElement === canvas;
  // Set while the page itself lets the mouse go, so that a release it did
  // not ask for is told apart: some browsers take the first Escape for
  // themselves, release the mouse and never hand the key to the page.
  let releasing = false;
  function releasePointer() {
    if (!locked()) return;
    releasing = true;
    document.exitPointerLock();
  }

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
    if (locked()) {
      hideNotice('pointer');
    } else {
      input.button(0, false);
      // A tab left for another lets the mouse go too: no Escape to tell of.
      if (!releasing && pointerWanted && stats.ended === null && active()) {
        showNotice('pointer', 'Esc again to leave, click to play on');
      }
    }
    releasing = false;
  });
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());

  // --- Touch ------------------------------------------------------------------------

  // The picture's place on the page: the canvas shows it as large as fits,
  // its shape kept (object-fit: contain).
  function pictureRect() {
    const box = canvas.getBoundingClientRect();
    const scale = Math.min(box.width / canvas.width, box.height / canvas.height) || 0;
    const width = canvas.width * scale;
    const height = canvas.height * scale;
    return { left: box.left + (box.width - width) / 2, top: box.top + (box.height - height) / 2, width, height };
  }

  const gestures = QorbTouch.TouchControls(input, whenSeen);
  let touched = false;
  // What a finger on a button or a panel does is the button's.
  const onControl = (e) => e.target instanceof Element && e.target.closest('button, .panel, a') !== null;

  // Where the browser allows: the whole screen, held in landscape. Asked at
  // the end of the first touch, which browsers count as a gesture (its start
  // they do not).
  let fullscreenAsked = false;
  function askFullscreen() {
    if (fullscreenAsked) return;
    fullscreenAsked = true;
    const root = document.documentElement;
    if (root.requestFullscreen && !document.fullscreenElement) {
      root
        .requestFullscreen({ navigationUI: 'hide' })
        .then(() => screen.orientation && screen.orientation.lock && screen.orientation.lock('landscape'))
        .catch(() => {});
    }
  }

  document.addEventListener(
    'touchstart',
    (e) => {
      startAudio();
      if (onControl(e)) return;
      e.preventDefault(); // no scrolling, zoom, selection, menu or mouse emulation
      if (!touched) showTouchControls();
      for (const t of e.changedTouches) gestures.start(t.identifier, t.clientX, t.clientY, performance.now());
    },
    { passive: false },
  );
  document.addEventListener(
    'touchmove',
    (e) => {
      if (onControl(e)) return;
      e.preventDefault();
      const width = pictureRect().width;
      for (const t of e.changedTouches) gestures.move(t.identifier, t.clientX, t.clientY, width);
    },
    { passive: false },
  );
  document.addEventListener(
    'touchend',
    (e) => {
      startAudio(); // Safari starts sound on the end of a touch
      if (onControl(e)) return;
      e.preventDefault();
      askFullscreen();
      for (const t of e.changedTouches) gestures.end(t.identifier, performance.now());
    },
    { passive: false },
  );
  document.addEventListener('touchcancel', (e) => {
    for (const t of e.changedTouches) gestures.cancel(t.identifier);
  });
  // Safari's pinch and double-tap zoom.
  for (const name of ['gesturestart', 'gesturechange', 'dblclick'])
    document.addEventListener(name, (e) => e.preventDefault(), { passive: false });
  document.addEventListener('selectstart', (e) => e.preventDefault());

  // The buttons of touch screens: pause and resume (F1); while paused, give
  // up (F5, which ends the game at once, so never one stray tap away) and
  // leave (Escape). They stand outside the playfield: in the black bars, or
  // over the status panel where the screen leaves none.
  const touchScreen = window.matchMedia('(hover: none) and (pointer: coarse)');
  let playState = 0; // 0 title or intro, 1 playing, 2 paused: the module says
  let wanted = null; // a key held until the game shows it took it

  function showTouchControls() {
    touched = true;
    touchControls.hidden = false;
    document.getElementById('turn-hint').hidden = false;
    document.body.classList.add('touch');
    placeTouchControls();
  }
  if (touchScreen.matches) showTouchControls();

  const PanelLeft = 671; // where the status panel starts, in game pixels
  function placeTouchControls() {
    if (touchControls.hidden) return;
    const p = pictureRect();
    const rightBar = window.innerWidth - (p.left + p.width);
    const bottomBar = window.innerHeight - (p.top + p.height);
    const style = touchControls.style;
    style.left = style.top = style.right = style.bottom = style.width = '';
    let place;
    if (rightBar >= 60) {
      place = 'column';
      style.left = `${p.left + p.width}px`;
      style.top = `${p.top}px`;
      style.width = `${rightBar}px`;
    } else if (bottomBar >= 60) {
      place = 'row';
      style.left = `${p.left}px`;
      style.top = `${p.top + p.height}px`;
      style.width = `${p.width}px`;
    } else {
      place = 'column';
      const panel = (PanelLeft / canvas.width) * p.width;
      style.left = `${p.left + panel}px`;
      style.top = `${p.top + p.height * 0.45}px`;
      style.width = `${p.width - panel}px`;
    }
    touchControls.dataset.place = place;
  }
  window.addEventListener('resize', placeTouchControls);

  function showPlayState() {
    pauseButton.hidden = playState === 0;
    pauseButton.textContent = playState === 2 ? 'Resume' : 'Pause';
    pauseButton.setAttribute('aria-pressed', String(playState === 2));
    giveUpButton.hidden = leaveButton.hidden = playState !== 2;
  }
  showPlayState();

  // One tap of a key at a time: a button tapped again while its last tap is
  // under way does nothing (a double tap of pause would pause and resume);
  // a tap that must follow (the resume before give up) waits until the game
  // has taken the last release, or the two would merge into one long press.
  const keyTaps = new Map();
  function tapKey(code, { follow = false } = {}) {
    const previous = keyTaps.get(code);
    if (previous && !follow) return;
    const tap = () =>
      new Promise((done) => {
        input.key(code, true);
        whenSeen(() => {
          input.key(code, false);
          whenTaken(done);
        }, 150);
      });
    const next = (previous || Promise.resolve()).then(tap);
    keyTaps.set(code, next);
    next.then(() => keyTaps.get(code) === next && keyTaps.delete(code));
  }
  function pressed(button, action) {
    button.addEventListener('click', (e) => {
      e.preventDefault();
      startAudio();
      action();
    });
  }
  pressed(pauseButton, () => tapKey(keyCodes.F1));
  // Give up and leave are read in play, not in the pause: resume, then hold
  // the key until the game has taken it.
  function afterPause(code) {
    if (wanted) return;
    tapKey(keyCodes.F1, { follow: true });
    wanted = { code, until: performance.now() + 5000, timer: setInterval(letGoOfWanted, 100) };
    setTimeout(() => wanted && input.key(code, true), 200);
  }
  pressed(giveUpButton, () => afterPause(keyCodes.F5));
  pressed(leaveButton, () => afterPause(keyCodes.Escape));
  function letGoOfWanted() {
    if (wanted && (playState === 0 || performance.now() > wanted.until || stats.ended !== null)) {
      clearInterval(wanted.timer);
      input.key(wanted.code, false);
      wanted = null;
    }
  }

  // A phone's screen stays lit while a game runs; paused, hidden or ended, it
  // may dim. (A desktop's mouse keeps its screen awake.)
  let wakeLock = null;
  function keepAwake() {
    const want = touched && playState === 1 && !document.hidden && stats.ended === null;
    if (want && !wakeLock && navigator.wakeLock) {
      wakeLock = navigator.wakeLock.request('screen');
      wakeLock.catch(() => (wakeLock = null));
    } else if (!want && wakeLock) {
      wakeLock.then((lock) => lock.release()).catch(() => {});
      wakeLock = null;
    }
  }
  document.addEventListener('visibilitychange', keepAwake);

  function setPlayState(state) {
    playState = state;
    stats.playState = state;
    showPlayState();
    letGoOfWanted();
    keepAwake();
  }

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
  let lastTopUpAt = 0;

  // Said once, on the page and in the console, as the desktop game warns
  // once; the voices keep their time by the clock.
  let silenceTold = false;
  function tellSilence(why) {
    if (silenceTold) return;
    silenceTold = true;
    console.warn(`Qorb plays without sound: ${why}`);
    showNotice('sound', 'Qorb plays without sound: the browser could not start it.', 8);
  }
  // A context still not running this long after a gesture never will: a
  // browser with no sound device leaves it suspended and says nothing.
  const AudioStartMs = 2000;
  let audioCheck = 0;

  // Browsers start sound only from a gesture: the first key or click.
  function startAudio() {
    if (silenceTold) return;
    if (!audio) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) {
        tellSilence('this browser has no Web Audio');
        return;
      }
      try {
        audio = new Context({ sampleRate: 44100, latencyHint: 'interactive' });
      } catch (error) {
        tellSilence(error.message);
        return;
      }
    }
    if (audio.state === 'running') return;
    const resumed = audio.resume();
    if (resumed && resumed.catch) resumed.catch((error) => tellSilence(error.message || String(error)));
    if (!audioCheck) {
      audioCheck = setTimeout(() => {
        audioCheck = 0;
        if (audio.state !== 'running' && !document.hidden) tellSilence(`the audio context stayed ${audio.state}`);
      }, AudioStartMs);
    }
  }

  // --- Files made by a worker ------------------------------------------------------

  // The module compiled once, as it downloads, for the tab and the worker.
  function compileModule(url) {
    return fetch(url, { credentials: 'same-origin' }).then((response) => {
      if (!response.ok) throw new Error(`${url}: status ${response.status}`);
      // Compiled as it comes only when served as application/wasm.
      const wasm = (response.headers.get('Content-Type') || '').startsWith('application/wasm');
      if (wasm && WebAssembly.compileStreaming) return WebAssembly.compileStreaming(response);
      return response.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
    });
  }

  // The worker runs this same module with --maker, from the moment the page
  // opens, and hands back each file it makes; main.cpp shares the files out.
  const made = new Map();
  const madeHere = new Set(); // made by the tab: the worker's copy is not wanted
  let maker = null;
  let makerStopped = false;
  const madeWaiting = [];
  function wakeMadeWaiting() {
    while (madeWaiting.length) madeWaiting.shift()();
  }
  function startMaker(scriptUrl, compiled) {
    if (!window.Worker || !window.Blob || !window.URL || !window.MessageChannel) return;
    const base = new URL('.', location.href).href;
    const source = `'use strict';
      const post = (message, transfer) => postMessage(message, transfer || []);
      let give = null;
      const compiled = new Promise((resolve) => (give = resolve));
      const unwanted = new Set();
      onmessage = (e) => {
        if (e.data.script) importScripts(e.data.script);
        else if (e.data.module) give(e.data.module);
        else if (e.data.unwanted) unwanted.add(e.data.unwanted);
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
              turns.push(() => resolve(!unwanted.has(name)));
              turn.port2.postMessage(0);
            }),
          handOver: (name, bytes) => post({ name, bytes, at: performance.timeOrigin + performance.now() }, [bytes.buffer]),
          fatal: (message) => post({ failed: message }),
          ended: (code) => post({ ended: code }),
        },
      };`;
    try {
      const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
      maker = new Worker(url);
      URL.revokeObjectURL(url);
    } catch (error) {
      console.warn(`Qorb makes every file itself: ${error.message}`);
      maker = null;
      return;
    }
    // What it has not handed back when it stops, the tab makes itself.
    const stop = (why) => {
      if (why) console.warn(`Qorb's worker stopped: ${why}`);
      makerStopped = true;
      maker.terminate();
      wakeMadeWaiting();
    };
    // The script first: it asks for the module as it runs.
    scriptUrl.then((script) => maker.postMessage({ script }), () => stop(''));
    compiled.then((module) => maker.postMessage({ module }), (error) => stop(error.message || String(error)));
    maker.onmessage = (e) => {
      const m = e.data;
      if (m.name) {
        // When it came, and when the worker had made it.
        stats.madeByWorker.push([performance.now(), m.name, m.at - performance.timeOrigin]);
        if (!madeHere.has(m.name)) made.set(m.name, m.bytes);
        wakeMadeWaiting();
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
    touchControls.hidden = true;
    releasePointer();
    hideNotice();
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
        let frame = 0;
        const timer = setTimeout(() => {
          if (frame) cancelAnimationFrame(frame);
          frame = -1;
          resolve(-1);
        }, ms);
        const came = (stamp) => {
          if (frame === -1) return;
          clearTimeout(timer);
          resolve(stamp);
        };
        if (simulatedHz) simulatedFrame().then(came);
        else frame = requestAnimationFrame(came);
      });
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
      const events = queue.splice(0, capacity);
      taken += events.length;
      releaseSeen();
      return events;
    },
    wantPointerLock(wanted) {
      pointerWanted = wanted;
      if (!wanted) {
        releasePointer();
        hideNotice('pointer');
      }
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
      const now = performance.now();
      if (stats.audioQueued > 0 && audioEnd < audio.currentTime) {
        ++stats.audioGaps;
        // When, how long since the top-up before, and how long the silence.
        if (stats.audioGapLog.length < 50)
          stats.audioGapLog.push([now, now - lastTopUpAt, (audio.currentTime - audioEnd) * 1000]);
      }
      lastTopUpAt = now;
      const at = Math.max(audioEnd, audio.currentTime + 0.01);
      source.start(at);
      audioEnd = at + frames / 44100;
      stats.audioQueued += frames;
      const lead = (audioEnd - audio.currentTime) * 1000;
      stats.audioLeadMax = Math.max(stats.audioLeadMax, lead);
      stats.audioLeadSum += lead;
      ++stats.audioTopUps;
    },
    makerStarted: () => maker !== null && !makerStopped,
    madeHere(name) {
      madeHere.add(name);
      made.delete(name);
      if (maker) maker.postMessage({ unwanted: name });
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
    makerStopped: () => makerStopped,
    whenMade() {
      if (makerStopped) return Promise.resolve();
      return new Promise((resolve) => madeWaiting.push(resolve));
    },
    playState: setPlayState,
    progress(fraction, what) {
      stats.making.push([performance.now(), what]);
      makingBar.value = fraction;
      makingWhat.textContent = what || '\u00a0';
      if (fraction >= 1) {
        making.hidden = true;
        setTimeout(keepOffline, OfflineAfterMs);
      }
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
      keepAwake();
      leave();
      if (fatalMessage) endedText.textContent = `Qorb has ended: ${fatalMessage}`;
      else endedText.textContent = code === 0 ? 'Qorb has ended.' : `Qorb has ended (status ${code}).`;
      ended.hidden = false;
    },
  };

  // Tests drive the game through the same paths as the listeners.
  window.qorbPage = { page, input, stats, pictureRect, pendingInput: () => queue.length };

  // --- Offline ----------------------------------------------------------------------------------

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

  // --- The module ---------------------------------------------------------------------------

  const name = moduleName;
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
  // The module's script and its compile, both begun now and each done once
  // for the tab and the worker.
  const base = new URL('.', location.href).href;
  const scriptUrl = fetch(new URL(`${name}.js`, base).href, { credentials: 'same-origin' })
    .then((response) => {
      if (!response.ok) throw new Error(`status ${response.status}`);
      return response.blob();
    })
    .then((script) => URL.createObjectURL(new Blob([script], { type: 'text/javascript' })));
  const compiled = compileModule(new URL(`${name}.wasm`, base).href);
  startMaker(scriptUrl, compiled);
  compiled.then(() => (stats.compiledAt = performance.now()), () => {});
  window.Module.instantiateWasm = (imports, receive) => {
    compiled
      .then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
      .catch((error) => failed(`${name}.wasm could not be started: ${error.message || error}`));
    return {};
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
})();
