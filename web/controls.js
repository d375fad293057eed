// How the player reaches the game from the page: keys, the mouse under
// pointer lock, fingers (touch.js's gestures), the buttons of touch screens
// and their hint, full screen, and the screen's wake lock. Everything
// becomes the game's own input records, handed to `sink`; nothing here
// knows where the game runs.

import { Kind, KeyCode } from './input_queue.js';
import { TouchControls } from './touch.js';

// canvas: the picture's element; sink(record): hands a record to the game;
// released(name): resolves once the game has taken the release of a key
// (`key2`); startAudio(event): a gesture; stats: the page's figures;
// notices: { show, hide }; screenMap: where the picture's parts stand.
export function createControls({ canvas, sink, released, startAudio, stats, notices, screenMap }) {
  const fullscreenButton = document.getElementById('fullscreen');
  const touchControls = document.getElementById('touch-controls');
  const pauseButton = document.getElementById('pause');
  const giveUpButton = document.getElementById('give-up');
  const leaveButton = document.getElementById('leave');
  const hint = document.getElementById('hint');

  // The game's input, as the listeners below make it.
  const input = {
    motion: (dx, dy) => sink({ kind: Kind.Motion, code: 0, down: 0, dx, dy }),
    button: (index, down) => sink({ kind: Kind.Button, code: index, down: down ? 1 : 0, dx: 0, dy: 0 }),
    key: (code, down) => sink({ kind: Kind.Key, code, down: down ? 1 : 0, dx: 0, dy: 0 }),
    // The focus went: nothing stays held, though a press still counts.
    releaseAll: () => sink({ kind: Kind.ReleaseAll, code: 0, down: 0, dx: 0, dy: 0 }),
  };
  const keyCodes = { Escape: KeyCode.Escape, Enter: KeyCode.Enter, NumpadEnter: KeyCode.Enter, F1: KeyCode.F1, F5: KeyCode.F5 };

  // --- Focus and visibility ------------------------------------------------------

  let activeChanged = () => {};
  const active = () => !document.hidden && document.hasFocus();
  let lastActive = active();
  function heardFocus() {
    lastActive = active();
    activeChanged(lastActive);
  }
  window.addEventListener('blur', () => {
    input.releaseAll();
    heardFocus();
  });
  window.addEventListener('focus', heardFocus);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) input.releaseAll();
    heardFocus();
    keepAwake();
  });
  // A focus that came and went unannounced.
  setInterval(() => {
    if (active() !== lastActive) heardFocus();
  }, 500);

  // --- Mouse and keys --------------------------------------------------------------

  let pointerWanted = false;
  const locked = () => document.pointerLockElement === canvas;
  let lockChanged = () => {};
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
    startAudio(e);
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
    if (x || y) input.motion(x, y);
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
    lockChanged(locked());
    if (locked()) {
      notices.hide('pointer');
    } else {
      input.button(0, false);
      // A tab left for another lets the mouse go too: no Escape to tell of.
      if (!releasing && pointerWanted && stats.ended === null && active()) {
        notices.show('pointer', 'Esc again to leave, click to play on');
      }
    }
    releasing = false;
  });
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());

  // --- Full screen -------------------------------------------------------------------

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }
  fullscreenButton.addEventListener('click', (e) => {
    startAudio(e);
    toggleFullscreen();
  });
  // The button shows while the mouse moves over the page, and only then, so
  // that the bars around the picture stay black.
  let buttonTimer = 0;
  let makingDone = false;
  function showFullscreenButton() {
    if (!makingDone || document.fullscreenElement) return;
    fullscreenButton.hidden = false;
    clearTimeout(buttonTimer);
    buttonTimer = setTimeout(() => (fullscreenButton.hidden = true), 2000);
  }
  document.addEventListener('fullscreenchange', () => {
    if (document.fullscreenElement) fullscreenButton.hidden = true;
  });

  // --- Touch ---------------------------------------------------------------------------

  // The picture's place on the page: the canvas shows it as large as fits,
  // its shape kept (object-fit: contain).
  function pictureRect() {
    const box = canvas.getBoundingClientRect();
    const scale = Math.min(box.width / screenMap.width, box.height / screenMap.height) || 0;
    const width = screenMap.width * scale;
    const height = screenMap.height * scale;
    return { left: box.left + (box.width - width) / 2, top: box.top + (box.height - height) / 2, width, height };
  }

  const gestures = TouchControls(input);
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
      startAudio(e);
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
      startAudio(e); // Safari starts sound on the end of a touch
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
  // A tap's release waits until the game has read it (input_queue.js).
  const keyTaps = new Map();
  function tapKey(code, { follow = false } = {}) {
    const previous = keyTaps.get(code);
    if (previous && !follow) return previous;
    const tap = () => {
      const done = released(`key${code}`);
      input.key(code, true);
      input.key(code, false);
      return done;
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
    tapKey(KeyCode.F1, { follow: true })
      .then(() => tapKey(code, { follow: true }))
      .then(() => (leaving = false));
  }
  const actions = new Map([
    [pauseButton, () => tapKey(KeyCode.F1)],
    [giveUpButton, () => afterPause(KeyCode.F5)],
    [leaveButton, () => afterPause(KeyCode.Escape)],
  ]);
  // A mouse's or a keyboard's click; fingers are followed above.
  for (const [button, action] of actions) {
    button.addEventListener('click', (e) => {
      e.preventDefault();
      startAudio(e);
      if (isShown(button)) action();
    });
  }

  // One line for a new player on a touch screen: how to start, then where
  // Pause is; gone once a game has begun. In portrait, the turn hint too.
  const PauseHintMs = 5000;
  let played = false; // a game has begun: the player knows how to start
  let pauseHintUntil = 0;
  let gone = false; // the game has ended: nothing more to tell
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

  // A touch screen shows its buttons from the start; another, once touched.
  if (touchScreen.matches) showTouchControls();

  return {
    input,
    pictureRect,
    active,
    locked,
    onActive: (f) => (activeChanged = f),
    onLocked: (f) => (lockChanged = f),
    wantPointerLock(wanted) {
      pointerWanted = wanted;
      if (!wanted) {
        releasePointer();
        notices.hide('pointer');
      }
    },
    setCursorVisible(visible) {
      canvas.style.cursor = visible ? 'auto' : 'none';
    },
    // The picture's place or the panel's changed.
    place: placeTouchControls,
    setPlayState(state) {
      playState = state;
      stats.playState = state;
      showPlayState();
      if (state !== 0 && !played) {
        played = true;
        pauseHintUntil = performance.now() + PauseHintMs;
        setTimeout(showHint, PauseHintMs + 50);
      }
      showHint();
      keepAwake();
    },
    madeAll() {
      makingDone = true;
    },
    // The game has ended: nothing of it stays on the page.
    leave() {
      gone = true;
      touchControls.hidden = true;
      hint.hidden = true;
      releasePointer();
      notices.hide();
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      keepAwake();
    },
  };
}
