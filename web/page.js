// The page around Qorb's WebAssembly module: the canvas, the frame clock,
// mouse, keys and touch (web/touch.js), Web Audio, full screen, the buttons
// of touch screens, the wake lock, the offline cache, and the panels. The
// module reaches it as Module.qorbPage (src/platform/web/page.cpp).
//
// Query parameters: module=NAME loads NAME.js (default qorb); hz=N replaces
// the animation frames with a simulated N Hz frame clock, for tests;
// args=A,B hands the module command-line arguments; sound=buffers plays the
// sound through buffer sources, as where there is no audio worklet.
'use strict';

(() => {
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById('screen');
  // Every picture comes from the processor (putImageData), so the canvases
  // live in its memory: drawn by a graphics card that WebKit emulates in
  // software where there is none (llvmpipe), the title's zoom ran at half
  // speed.
  const canvasKind = { alpha: false, willReadFrequently: true };
  const context = canvas.getContext('2d', canvasKind);
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
  // audioGaps counts underruns: the device asked for sound past all that was
  // queued and played silence. audioLead is, at each mix the game's change
  // made afresh, how long at most after the change it is heard: from the
  // play position when the game last looked before it. audioLate counts
  // frames that reached the device after their time; audioPumpGapMax is the
  // longest the game went without looking at the sound (ms), audioAheadLeast
  // the least sound queued ahead that the device found (ms).
  const stats = {
    shown: 0, firstShownAt: null, audioQueued: 0, audioGaps: 0, audioGapLog: [], audioLeadMax: 0, audioLeadSum: 0, audioTopUps: 0,
    audioChanges: 0, audioLate: 0, audioLateLog: [], audioPumpGapMax: 0, audioAheadLeast: null, audioWay: '',
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
    if (simulatedHz) simulatedFrame().then(frameCame);
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
  // The canvas is sized when the first picture comes, not when the module
  // opens it at set-up: until then each frame the browser draws would copy
  // a blank canvas while the tab makes the art.
  let pictureShown = false;
  const pictureContext = picture.getContext('2d', canvasKind);
  const enlarged = document.createElement('canvas');
  const enlargedContext = enlarged.getContext('2d', canvasKind);
  let factor = 1; // the whole factor
  let screenBox = null; // the canvas's box in device pixels, when the browser says

  // Sizes the canvas for the space it has; draws everything again when the
  // size changed (or `always`).
  function fit(always) {
    const ratio = window.devicePixelRatio || 1;
    const reckoned = {
      width: Math.round(canvas.clientWidth * ratio),
      height: Math.round(canvas.clientHeight * ratio),
    };
    // The browser's own count is exact where the ratio is fractional; one
    // that is off by more than rounding (an emulated screen's, seen in
    // Chromium) is not believed.
    const near = screenBox && Math.abs(screenBox.width - reckoned.width) <= 2 && Math.abs(screenBox.height - reckoned.height) <= 2;
    const box = near ? screenBox : reckoned;
    if (!pictureShown || !picture.width || !picture.height || !box.width || !box.height) return;
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
    draw(0, 0, picture.width, picture.height);
    placeTouchControls(); // by the picture's new place
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

  // A canvas whose context the browser dropped (for its memory, or a GPU
  // that reset) comes back blank: the module puts the whole picture on it
  // again (pictureLost), which draws everything.
  let pictureLost = false;
  for (const c of [canvas, picture, enlarged]) {
    c.addEventListener('contextrestored', () => {
      pictureLost = true;
      wakeDozing();
    });
  }

  const changed = []; // areas put on the picture and not yet drawn
  function drawChanged() {
    for (const area of changed.splice(0)) draw(...area);
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

  // The game reads the keys and the button as they stand: once a step in
  // play, the title and the intro only Enter and Escape, the pause only F1,
  // and the title's zoom, a round's announcement or an explosion nothing at
  // all. A press let go of before the game read it would never count, so a
  // release waits until the game has read the press: the key or button
  // itself, or two reads of another (a whole round of the game's reads went
  // by without this one: it is not read where the game stands). The module
  // tells at each look how often it has read each, numbered as here.
  const ReadSlots = ['key0', 'key1', 'key2', 'key3', 'button0'];
  const readSlot = (name) => (name.startsWith('button') ? 4 : ReadSlots.indexOf(name));
  let reads = [0, 0, 0, 0, 0];
  let pushed = 0;
  let taken = 0;
  const unread = new Map(); // a press not yet read: name -> { mark, readsAt, letGo }
  const afterRelease = []; // { name, mark, then }: then() once the key's release is taken
  function push(event) {
    queue.push(event);
    ++pushed;
  }
  function readSince(name, at) {
    const own = readSlot(name);
    return reads.some((count, i) => (i === own ? count > at[i] : count - at[i] >= 2));
  }
  // At each look of the module's, after it took its events.
  function lookAtReads(now) {
    for (const [name, press] of unread) {
      if (press.readsAt === null) {
        if (taken >= press.mark) press.readsAt = now.slice();
      } else if (readSince(name, press.readsAt)) {
        unread.delete(name);
        if (press.letGo) press.letGo();
      }
    }
    reads = now;
    for (let i = 0; i < afterRelease.length; ) {
      const wait = afterRelease[i];
      if (wait.mark === null && !held.has(wait.name)) wait.mark = pushed;
      if (wait.mark !== null && taken >= wait.mark) {
        afterRelease.splice(i, 1);
        wait.then();
      } else {
        ++i;
      }
    }
  }
  // Resolves once `name` is let go of and the game has taken the release.
  const released = (name) => new Promise((then) => afterRelease.push({ name, mark: null, then }));

  function change(name, kind, code, down) {
    if (down === held.has(name)) return;
    const event = (d) => ({ kind, code, down: d, dx: 0, dy: 0 });
    if (down) {
      held.add(name);
      push(event(1));
      unread.set(name, { mark: pushed, readsAt: null, letGo: null });
      return;
    }
    const letGo = () => {
      held.delete(name);
      push(event(0));
    };
    const press = unread.get(name);
    if (press) press.letGo = letGo;
    else letGo();
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
    button: (index, down) => change(`button${index}`, Kind.Button, index, down),
    key: (code, down) => change(`key${code}`, Kind.Key, code, down),
    // The focus went: nothing stays held, though a press still counts.
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
    startAudio(e);
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
  // A busy page gets one event for several moves of the mouse, and WebKit
  // gives that event the last move's movement only: the paddle went 150 px
  // for 300. The moves it stands for are its coalesced events, each with
  // its own movement. Fractions (a screen of more pixels than CSS's) are
  // carried to the next move, not dropped.
  const motionRest = { x: 0, y: 0 };
  function lockedMotion(e) {
    let dx = 0;
    let dy = 0;
    const moves = e.getCoalescedEvents ? e.getCoalescedEvents() : [];
    for (const m of moves.length ? moves : [e]) {
      dx += m.movementX || 0;
      dy += m.movementY || 0;
    }
    motionRest.x += dx;
    motionRest.y += dy;
    const x = Math.trunc(motionRest.x);
    const y = Math.trunc(motionRest.y);
    motionRest.x -= x;
    motionRest.y -= y;
    input.motion(x, y);
  }
  const pointerEvents = 'onpointermove' in window;
  document.addEventListener(pointerEvents ? 'pointermove' : 'mousemove', (e) => {
    if (e.pointerType && e.pointerType !== 'mouse') return;
    if (locked()) lockedMotion(e);
  });
  document.addEventListener('mousemove', () => {
    if (!locked()) showFullscreenButton();
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

  const gestures = QorbTouch.TouchControls(input);
  let touched = false;
  // A finger on one of the buttons below is the button's (see buttonTouches);
  // one on a panel or a link is the browser's, for its click.
  const controlOf = (target) => (target instanceof Element ? target.closest('#touch-controls button') : null);
  const browsers = (target) => target instanceof Element && target.closest('button, .panel, a') !== null;

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

  // Each finger is followed on its own: one that came down on a button taps
  // that button when it lifts over it, whatever other fingers do meanwhile
  // (a browser makes no click of a second finger's tap); any other steers
  // or taps the picture. The events are the page's, so that the browser
  // neither scrolls, zooms, selects nor makes mouse events of them.
  const buttonTouches = new Map(); // finger -> the button it came down on
  function fingers(e, each) {
    let ours = false;
    for (const t of e.changedTouches) {
      if (buttonTouches.has(t.identifier) || controlOf(t.target)) {
        ours = true;
        each(t, buttonTouches.get(t.identifier) || controlOf(t.target));
      } else if (!browsers(t.target)) {
        ours = true;
        each(t, null);
      }
    }
    if (ours && e.cancelable) e.preventDefault();
  }
  document.addEventListener(
    'touchstart',
    (e) => {
      startAudio();
      if (!touched) showTouchControls();
      // When the finger came, not when the page got to it: a busy page must
      // not turn a tap into a hold.
      fingers(e, (t, button) => {
        if (button) buttonTouches.set(t.identifier, button);
        else gestures.start(t.identifier, t.clientX, t.clientY, e.timeStamp);
      });
    },
    { passive: false },
  );
  document.addEventListener(
    'touchmove',
    (e) => {
      const width = pictureRect().width;
      fingers(e, (t, button) => button || gestures.move(t.identifier, t.clientX, t.clientY, width));
    },
    { passive: false },
  );
  document.addEventListener(
    'touchend',
    (e) => {
      startAudio(); // Safari starts sound on the end of a touch
      askFullscreen();
      fingers(e, (t, button) => {
        if (!button) {
          gestures.end(t.identifier, e.timeStamp);
          return;
        }
        buttonTouches.delete(t.identifier);
        const r = button.getBoundingClientRect();
        const over = t.clientX >= r.left && t.clientX < r.right && t.clientY >= r.top && t.clientY < r.bottom;
        if (over && isShown(button)) actions.get(button)();
      });
    },
    { passive: false },
  );
  document.addEventListener('touchcancel', (e) => {
    for (const t of e.changedTouches) {
      if (!buttonTouches.delete(t.identifier)) gestures.cancel(t.identifier);
    }
  });
  // Safari's pinch and double-tap zoom.
  for (const name of ['gesturestart', 'gesturechange', 'dblclick'])
    document.addEventListener(name, (e) => e.preventDefault(), { passive: false });
  document.addEventListener('selectstart', (e) => e.preventDefault());

  // The buttons of touch screens: pause and resume (F1); while paused, give
  // up (F5, which ends the game at once, so never one stray tap away) and
  // leave (Escape). They stand outside the playfield: in the black bars, or
  // over the status panel where the screen leaves none. Give up and leave
  // keep their places while hidden, so that no button moves under a finger:
  // a second tap of Pause is a resume wherever the row stands.
  const touchScreen = window.matchMedia('(hover: none) and (pointer: coarse)');
  let playState = 0; // 0 title or intro, 1 playing, 2 paused: the module says
  const isShown = (button) => !button.hidden && !button.classList.contains('away');

  function showTouchControls() {
    touched = true;
    touchControls.hidden = false;
    document.body.classList.add('touch');
    placeTouchControls();
    showHint();
  }

  // Sizes in CSS pixels: a bar narrower than a button cannot hold the buttons.
  const BarAtLeast = 60;
  // Where the status panel stands and where its text ends, in picture
  // pixels, as the module says (page.statusPanel); until then no panel.
  const screenMap = { width: 800, panelLeft: 800, panelFreeTop: 600 };
  function placeTouchControls() {
    if (touchControls.hidden) return;
    const p = pictureRect();
    const rightBar = window.innerWidth - (p.left + p.width);
    const bottomBar = window.innerHeight - (p.top + p.height);
    const style = touchControls.style;
    style.left = style.top = style.right = style.bottom = style.width = '';
    let place;
    if (rightBar >= BarAtLeast) {
      place = 'column';
      style.left = `${p.left + p.width}px`;
      style.top = `${p.top}px`;
      style.width = `${rightBar}px`;
    } else if (bottomBar >= BarAtLeast) {
      place = 'row';
      style.left = `${p.left}px`;
      style.top = `${p.top + p.height}px`;
      style.width = `${p.width}px`;
    } else {
      // Over the status panel, below its score, lives and round.
      place = 'column';
      const scale = p.width / screenMap.width;
      style.left = `${p.left + screenMap.panelLeft * scale}px`;
      style.top = `${p.top + screenMap.panelFreeTop * scale}px`;
      style.width = `${p.width - screenMap.panelLeft * scale}px`;
    }
    touchControls.dataset.place = place;
  }
  window.addEventListener('resize', placeTouchControls);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', placeTouchControls);

  function showPlayState() {
    pauseButton.hidden = playState === 0;
    pauseButton.textContent = playState === 2 ? 'Resume' : 'Pause';
    pauseButton.setAttribute('aria-pressed', String(playState === 2));
    for (const button of [giveUpButton, leaveButton]) {
      button.classList.toggle('away', playState !== 2);
      button.setAttribute('aria-hidden', String(playState !== 2));
      button.tabIndex = playState === 2 ? 0 : -1;
    }
  }

  // One tap of a key at a time: a button tapped again while its last tap is
  // under way does nothing (a double tap of pause would pause and resume);
  // a tap that must follow (give up after the resume) waits until the game
  // has taken the last release, or the two would merge into one long press.
  // A tap's release waits until the game has read it (change()).
  const keyTaps = new Map();
  function tapKey(code, { follow = false } = {}) {
    const previous = keyTaps.get(code);
    if (previous && !follow) return previous;
    const tap = () => {
      input.key(code, true);
      input.key(code, false);
      return released(`key${code}`);
    };
    const next = (previous || Promise.resolve()).then(tap);
    keyTaps.set(code, next);
    next.then(() => keyTaps.get(code) === next && keyTaps.delete(code));
    return next;
  }
  // Give up and leave are read in play, not in the pause: resume, then the
  // key, once the game has taken the resume.
  let leaving = false;
  function afterPause(code) {
    if (leaving) return;
    leaving = true;
    tapKey(keyCodes.F1, { follow: true })
      .then(() => tapKey(code, { follow: true }))
      .then(() => (leaving = false));
  }
  const actions = new Map([
    [pauseButton, () => tapKey(keyCodes.F1)],
    [giveUpButton, () => afterPause(keyCodes.F5)],
    [leaveButton, () => afterPause(keyCodes.Escape)],
  ]);
  // A mouse's or a keyboard's click; fingers are followed above.
  for (const [button, action] of actions) {
    button.addEventListener('click', (e) => {
      e.preventDefault();
      startAudio();
      if (isShown(button)) action();
    });
  }

  // One line for a new player on a touch screen: how to start, then where
  // Pause is; gone once a game has begun. In portrait, the turn hint too.
  const hint = document.getElementById('hint');
  const PauseHintMs = 5000;
  let played = false; // a game has begun: the player knows how to start
  let pauseHintUntil = 0;
  function showHint() {
    let text = '';
    if (touched && !gone) {
      if (performance.now() < pauseHintUntil && playState !== 0) text = 'Pause is the button beside the picture.';
      else if (!played) text = 'Tap to play.';
      if (window.innerHeight > window.innerWidth) text += ' Turn the screen sideways for a larger picture.';
    }
    hint.textContent = text.trim();
    hint.hidden = hint.textContent === '';
  }
  window.addEventListener('resize', showHint);
  function heardPlayState() {
    if (playState === 0 || played) return;
    played = true;
    pauseHintUntil = performance.now() + PauseHintMs;
    setTimeout(showHint, PauseHintMs + 50);
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
    heardPlayState();
    showHint();
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
  let sound = null; // how the mix reaches the device, once it can
  const Rate = 44100;

  // Said once, on the page and in the console, as the desktop game warns
  // once; the voices keep their time by the clock.
  let silenceTold = false;
  let noAudio = false; // no Web Audio here at all: no gesture will start it
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
  // Whether a context this event could not start means silence. Firefox
  // does not count a modifier key as a gesture: it says so (its autoplay
  // policy stays "disallowed" after it), and the next key or click tries
  // again. Elsewhere a refusal cannot be told from a missing device, and
  // the page says it once; sound that starts later takes the notice away.
  const modifierKeys = new Set(['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'CapsLock', 'NumLock', 'OS', 'Fn']);
  function gestureCounts(e) {
    const active = navigator.userActivation
      ? navigator.userActivation.isActive
      : !(e && e.type === 'keydown' && modifierKeys.has(e.key));
    if (active || !navigator.getAutoplayPolicy) return true;
    try {
      return navigator.getAutoplayPolicy('audiocontext') !== 'disallowed';
    } catch {
      return true;
    }
  }

  // Browsers start sound only from a gesture: the first key or click.
  function startAudio(e) {
    if (noAudio) return;
    if (!audio) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) {
        noAudio = true;
        tellSilence('this browser has no Web Audio');
        return;
      }
      try {
        audio = new Context({ sampleRate: 44100, latencyHint: 'interactive' });
      } catch (error) {
        noAudio = true;
        tellSilence(error.message);
        return;
      }
      audio.onstatechange = () => {
        if (audio.state === 'running') hideNotice('sound');
      };
    }
    if (!sound) sound = soundWay(audio);
    if (audio.state === 'running') return;
    const counts = gestureCounts(e);
    const resumed = audio.resume();
    if (resumed && resumed.catch) resumed.catch((error) => counts && tellSilence(error.message || String(error)));
    if (counts && !audioCheck) {
      audioCheck = setTimeout(() => {
        audioCheck = 0;
        if (audio.state !== 'running' && !document.hidden) tellSilence(`the audio context stayed ${audio.state}`);
      }, AudioStartMs);
    }
  }

  // The device plays from a ring in an audio worklet, on the audio thread:
  // the page's stalls do not stop it while the ring holds sound. Each piece
  // the game sends replaces what the ring held from its first frame on.
  // Frames are counted on the context's clock (currentFrame).
  function soundProcessor() {
    const Size = 1 << 16; // frames, about 1.5 s: more than the game ever sends ahead
    class QorbSound extends AudioWorkletProcessor {
      constructor() {
        super();
        this.left = new Float32Array(Size);
        this.right = new Float32Array(Size);
        this.start = 0; // the frames [start, end) hold sound
        this.end = 0;
        this.played = false; // some sound has been heard: running out now is a gap
        this.dryFrom = -1; // where the current gap began
        this.least = Infinity; // the least queued ahead since the last report
        this.reportAt = 0;
        this.next = 0; // the first frame not yet played
        this.port.onmessage = (e) => this.take(e.data);
      }
      take(m) {
        const samples = m.samples;
        const frames = samples.length >> 1;
        const at = m.at;
        if (this.end <= this.next) {
          this.start = at;
        } else if (at > this.end) {
          // Sound still to play, then a hole before this piece: a gap.
          for (let f = this.end; f < at && f < this.end + Size; ++f) this.left[f & (Size - 1)] = this.right[f & (Size - 1)] = 0;
          this.port.postMessage({ gap: at - this.end });
        }
        // Frames whose time has passed are not played late: later ones keep their time.
        const first = Math.min(frames, Math.max(0, this.next - at));
        if (first > 0) this.port.postMessage({ late: first, by: this.next - at });
        for (let i = first, j = (at + first) & (Size - 1); i < frames; ++i, j = (j + 1) & (Size - 1)) {
          this.left[j] = samples[2 * i] / 32768;
          this.right[j] = samples[2 * i + 1] / 32768;
        }
        this.end = at + frames;
      }
      process(inputs, outputs) {
        const left = outputs[0][0];
        const right = outputs[0][1] || left;
        const n = left.length;
        const f = currentFrame;
        // Silence before the sound starts and after it ends; [a, b) is held.
        const a = Math.min(n, Math.max(0, this.start - f));
        const b = Math.max(a, Math.min(n, this.end - f));
        for (let i = a; i < b; ) {
          const j = (f + i) & (Size - 1);
          const run = Math.min(b - i, Size - j);
          left.set(this.left.subarray(j, j + run), i);
          right.set(this.right.subarray(j, j + run), i);
          i += run;
        }
        left.fill(0, 0, a);
        left.fill(0, b, n);
        if (right !== left) {
          right.fill(0, 0, a);
          right.fill(0, b, n);
        }
        if (b > a) {
          this.played = true;
          if (this.dryFrom >= 0) {
            this.port.postMessage({ gap: f + a - this.dryFrom });
            this.dryFrom = -1;
          }
        }
        if (b < n && this.played && this.dryFrom < 0) this.dryFrom = f + b;
        this.next = currentFrame + n;
        if (this.played) this.least = Math.min(this.least, this.end - currentFrame);
        if (currentFrame >= this.reportAt) {
          if (this.least !== Infinity) this.port.postMessage({ least: this.least });
          this.least = Infinity;
          this.reportAt = currentFrame + sampleRate;
        }
        return true;
      }
    }
    registerProcessor('qorb-sound', QorbSound);
  }

  // Where a browser has no audio worklet (pages not served securely), buffer
  // sources scheduled on the context's clock, stopped where a later piece
  // replaces them.
  function bufferSources(context, destination) {
    let held = []; // { source, start, end } in frames
    let end = 0;
    let played = false;
    return {
      queue(at, samples, frames) {
        const now = Math.round(context.currentTime * Rate);
        if (played && end < now && at >= end) noteGap(now - end);
        held = held.filter((h) => h.end > now);
        for (const h of held) {
          if (h.end <= at) continue;
          try {
            h.source.stop(Math.max(h.start, at) / Rate);
          } catch {}
          h.end = Math.max(h.start, at);
        }
        end = at + frames;
        if (frames === 0) return;
        const buffer = context.createBuffer(2, frames, Rate);
        const left = buffer.getChannelData(0);
        const right = buffer.getChannelData(1);
        for (let i = 0; i < frames; ++i) {
          left[i] = samples[2 * i] / 32768;
          right[i] = samples[2 * i + 1] / 32768;
        }
        const source = context.createBufferSource();
        source.buffer = buffer;
        source.connect(destination);
        source.start(at / Rate);
        if (at < now) {
          stats.audioLate += Math.min(frames, now - at);
          lateBy = Math.max(lateBy, now - at);
        }
        held.push({ source, start: at, end: at + frames });
        played = true;
      },
    };
  }

  function noteGap(frames) {
    ++stats.audioGaps;
    // When, how long since the game last sent sound, and how long the silence (ms).
    const now = performance.now();
    if (stats.audioGapLog.length < 50) stats.audioGapLog.push([now, now - lastSentAt, (frames * 1000) / Rate]);
  }

  // With ?meter=1 (the tests), what reaches the device is also measured:
  // the loudest sample of each block, by the context's frame, in
  // stats.heard, so that a test can tell each voice was heard.
  function meterProcessor() {
    class QorbMeter extends AudioWorkletProcessor {
      constructor() {
        super();
        this.blocks = [];
      }
      process(inputs) {
        let peak = 0;
        for (const channel of inputs[0] || []) for (const v of channel) peak = Math.max(peak, Math.abs(v));
        this.blocks.push(currentFrame, peak);
        if (this.blocks.length >= 64) {
          this.port.postMessage(this.blocks);
          this.blocks = [];
        }
        return true;
      }
    }
    registerProcessor('qorb-meter', QorbMeter);
  }
  let meterReady = !params.has('meter');
  // Where the sound goes: the device, through the meter when there is one.
  function output(context) {
    if (!params.has('meter')) return context.destination;
    const out = context.createGain();
    out.connect(context.destination);
    stats.heard = [];
    const url = URL.createObjectURL(new Blob([`(${meterProcessor})();`], { type: 'text/javascript' }));
    context.audioWorklet
      .addModule(url)
      .then(() => {
        const meter = new AudioWorkletNode(context, 'qorb-meter', { numberOfInputs: 1, numberOfOutputs: 1 });
        meter.port.onmessage = (e) => stats.heard.push(...e.data);
        out.connect(meter);
        meter.connect(context.destination); // it sends silence: pulled, it measures
        meterReady = true;
      })
      .catch((error) => console.error(`Qorb's meter could not start: ${error.message || error}`))
      .finally(() => URL.revokeObjectURL(url));
    return out;
  }

  // The worklet when it loads, buffer sources until then or without it.
  function soundWay(context) {
    const way = { send: null };
    const destination = output(context);
    if (!context.audioWorklet || !window.AudioWorkletNode || !window.Blob || !window.URL || params.get('sound') === 'buffers') {
      if (context.createBuffer) way.send = bufferSources(context, destination);
      stats.audioWay = 'buffer sources';
      return way;
    }
    const url = URL.createObjectURL(new Blob([`(${soundProcessor})();`], { type: 'text/javascript' }));
    context.audioWorklet
      .addModule(url)
      .then(() => {
        const node = new AudioWorkletNode(context, 'qorb-sound', {
          numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2],
        });
        node.port.onmessage = (e) => {
          const m = e.data;
          if (m.gap) noteGap(m.gap);
          if (m.late) {
            stats.audioLate += m.late;
            lateBy = Math.max(lateBy, m.by);
            // When, how long since the sound was sent before, and how late (ms).
            if (stats.audioLateLog.length < 50) stats.audioLateLog.push([performance.now(), performance.now() - lastSentAt, (m.by * 1000) / Rate]);
          }
          if (m.least !== undefined) {
            const ms = (m.least * 1000) / Rate;
            stats.audioAheadLeast = stats.audioAheadLeast === null ? ms : Math.min(stats.audioAheadLeast, ms);
          }
        };
        node.connect(destination);
        way.send = {
          queue(at, samples, frames) {
            const copy = samples.slice(0, frames * 2);
            node.port.postMessage({ at, samples: copy }, [copy.buffer]);
          },
        };
        stats.audioWay = 'audio worklet';
        stats.audioLatency = [context.baseLatency || 0, context.outputLatency || 0].map((l) => l * 1000);
      })
      .catch((error) => {
        console.warn(`Qorb plays its sound through buffer sources: ${error.message || error}`);
        way.send = bufferSources(context, destination);
        stats.audioWay = 'buffer sources';
      })
      .finally(() => URL.revokeObjectURL(url));
    return way;
  }

  // What the page tells of the sound the game sends.
  let lateBy = 0; // the most frames a piece came late since the module last asked
  let lastSentAt = 0;
  let heldEnd = 0; // the end of what was sent
  let playedAsked = null; // the play position when the game last looked, and the time before
  let playedAskedBefore = null;

  // --- Files made by a worker ------------------------------------------------------

  // The worker runs this same module with --maker, from the moment the page
  // opens, and hands back each file it makes; main.cpp shares the files out.
  const made = new Map();
  const madeHere = new Set(); // made by the tab: the worker's copy is not wanted
  let maker = null;
  let makerStopped = false;
  let stopMaker = () => {};
  const madeWaiting = [];
  function wakeMadeWaiting() {
    clearTimeout(silenceTimer);
    while (madeWaiting.length) madeWaiting.shift()();
  }
  // A worker can stop without a word (the browser may end it for its memory):
  // while the tab waits for it, a silence much longer than its longest file
  // so far counts as its end, and the tab makes the rest itself.
  const MakerSilentAtLeastMs = 3000;
  const begun = new Map(); // what the worker has begun, and when
  let makerLongestMs = 0;
  let makerHeardAt = 0;
  let silenceTimer = 0;
  function heardMaker() {
    makerHeardAt = performance.now();
    watchMaker();
  }
  function watchMaker() {
    clearTimeout(silenceTimer);
    if (makerStopped || !madeWaiting.length) return;
    const allowed = Math.max(MakerSilentAtLeastMs, 5 * makerLongestMs);
    const since = Math.max(makerHeardAt, madeWaiting.since);
    silenceTimer = setTimeout(() => stopMaker(`it said nothing for ${(allowed / 1000).toFixed(1)} s`),
      Math.max(0, since + allowed - performance.now()));
  }
  // Every word to the worker: one that cannot be sent ends it.
  function tell(message) {
    if (!maker || makerStopped) return;
    try {
      maker.postMessage(message);
    } catch (error) {
      stopMaker(`a message could not reach it (${error.message || error})`);
    }
  }
  function startMaker(scriptUrl, compiled) {
    if (!window.Worker || !window.Blob || !window.URL || !window.MessageChannel) return;
    const base = new URL('.', location.href).href;
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
      if (makerStopped) return;
      if (why) {
        console.warn(`Qorb's worker stopped: ${why}; the tab makes the rest of the art and sounds itself`);
        makingWhat.textContent = 'Making the rest here\u2026';
      }
      makerStopped = true;
      clearTimeout(silenceTimer);
      maker.terminate();
      wakeMadeWaiting();
    };
    stopMaker = stop;
    // The script first: it asks for the module as it runs.
    scriptUrl.then((script) => tell({ script }), () => stop(''));
    compiled.then((module) => tell({ module }), (error) => stop(error.message || String(error)));
    maker.onmessage = (e) => {
      const m = e.data;
      heardMaker();
      if (m.begun) {
        begun.set(m.begun, performance.now());
      } else if (m.name) {
        // When it came, and when the worker had made it.
        stats.madeByWorker.push([performance.now(), m.name, m.at - performance.timeOrigin]);
        if (begun.has(m.name)) makerLongestMs = Math.max(makerLongestMs, performance.now() - begun.get(m.name));
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
    if (!makingDone || document.fullscreenElement) return;
    fullscreenButton.hidden = false;
    clearTimeout(buttonTimer);
    buttonTimer = setTimeout(() => (fullscreenButton.hidden = true), 2000);
  }
  document.addEventListener('fullscreenchange', () => {
    if (document.fullscreenElement) fullscreenButton.hidden = true;
  });

  // --- Panels -----------------------------------------------------------------------------

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
  }

  let gone = false; // the game has ended: nothing more to tell
  function leave() {
    gone = true;
    touchControls.hidden = true;
    hint.hidden = true;
    releasePointer();
    hideNotice();
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    makingOver();
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
      screenMap.width = width;
      fit(true);
    },
    statusPanel(left, freeTop) {
      screenMap.panelLeft = left;
      screenMap.panelFreeTop = freeTop;
      placeTouchControls();
    },
    show(rgba, width, height, x, y, w, h) {
      pictureContext.putImageData(new ImageData(rgba, width, height), 0, 0, x, y, w, h);
      // The first picture sizes the canvas.
      if (!pictureShown) {
        pictureShown = true;
        fit(true);
      }
      // Drawn together once the module hands back the thread: each draw from
      // a picture changed since the last one copies all of it first.
      if (!changed.length) {
        queueMicrotask(drawChanged);
        ++stats.shown; // a picture, however many areas it changed
      }
      changed.push([x, y, x + w, y + h]);
      if (stats.firstShownAt === null) {
        stats.firstShownAt = performance.now();
        tell({ shown: true });
      }
    },
    pictureLost() {
      const lost = pictureLost;
      pictureLost = false;
      return lost;
    },
    setCursorVisible(visible) {
      canvas.style.cursor = visible ? 'auto' : 'none';
    },
    // Timers set from timers are stretched to 4 ms; posted tasks are not.
    // Without them a turn of the loop is a message to ourselves (a timer
    // of 0 would last those 4 ms).
    sleep(ms) {
      return new Promise((resolve) => {
        if (window.scheduler && scheduler.postTask) scheduler.postTask(resolve, { delay: ms });
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
    takeInput(capacity, gameReads) {
      const events = queue.splice(0, capacity);
      taken += events.length;
      lookAtReads(gameReads || reads);
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
      return audio !== null && audio.state === 'running' && sound !== null && sound.send !== null && meterReady;
    },
    audioPlayedFrame() {
      if (!page.audioRunning()) return 0;
      const now = performance.now();
      if (playedAsked) stats.audioPumpGapMax = Math.max(stats.audioPumpGapMax, now - playedAsked.at);
      playedAskedBefore = playedAsked;
      playedAsked = { at: now, frame: Math.round(audio.currentTime * Rate) };
      return playedAsked.frame;
    },
    audioHeardLate() {
      const late = lateBy;
      lateBy = 0;
      return late;
    },
    queueAudioAt(at, samples, frames) {
      if (!page.audioRunning()) return;
      // A piece that replaces sound already sent carries a change of the game's.
      if (frames > 0 && playedAskedBefore && at < heldEnd) {
        const lead = ((at - playedAskedBefore.frame) * 1000) / Rate;
        stats.audioLeadMax = Math.max(stats.audioLeadMax, lead);
        stats.audioLeadSum += lead;
        ++stats.audioChanges;
      }
      heldEnd = at + frames;
      sound.send.queue(at, samples, frames);
      lastSentAt = performance.now();
      stats.audioQueued += frames;
      if (frames > 0) ++stats.audioTopUps;
    },
    makerStarted: () => maker !== null && !makerStopped,
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
    makerStopped: () => makerStopped,
    whenMade() {
      if (makerStopped) return Promise.resolve();
      if (!madeWaiting.length) madeWaiting.since = performance.now();
      const made = new Promise((resolve) => madeWaiting.push(resolve));
      watchMaker();
      return made;
    },
    playState: setPlayState,
    progress(fraction, what) {
      stats.making.push([performance.now(), what]);
      makingBar.value = fraction;
      makingWhat.textContent = what || '\u00a0';
      if (fraction >= 1) {
        makingOver();
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
  window.qorbPage = { page, input, stats, pictureRect, screenMap, pendingInput: () => queue.length };

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

  // A touch screen shows its buttons from the start; another, once touched.
  if (touchScreen.matches) showTouchControls();

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
  // The module's script and its compile, begun by index.html as it came.
  const early = window.qorbEarly;
  if (!early || early.name !== name) {
    failed(`index.html did not begin loading ${name}`);
    return;
  }
  const scriptUrl = early.script.then((script) => URL.createObjectURL(new Blob([script], { type: 'text/javascript' })));
  const compiled = early.compiled;
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
