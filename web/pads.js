// Gamepads, read where the browser has them (the page's main thread): once
// an animation frame while any is connected, handed to the game as they
// stand whenever they change. The game maps them as every back end does
// (src/platform/gamepad.h): only pads in the browser's standard layout,
// whose buttons and sticks are numbered alike, are taken.
//
// send(pads): [{ index, connected, axes: [4], buttons }] to the game;
// gesture(): a pad's first press, which may start the sound where the
// browser counts it as a gesture; notices: { show }.
export function watchPads({ send, gesture, notices }) {
  if (typeof navigator.getGamepads !== 'function') return;
  const known = new Set(); // the pads handed over, connected
  let looking = false;
  let last = '';
  let pressed = false;

  function look() {
    const pads = [];
    const seen = new Set();
    for (const pad of navigator.getGamepads() || []) {
      if (!pad || !pad.connected || pad.mapping !== 'standard') continue;
      seen.add(pad.index);
      let buttons = 0;
      pad.buttons.slice(0, 17).forEach((b, i) => {
        if (b.pressed) buttons |= 1 << i;
      });
      if (buttons && !pressed) {
        pressed = true;
        gesture();
      }
      pads.push({ index: pad.index, connected: true, axes: [0, 1, 2, 3].map((a) => Number(pad.axes[a]) || 0), buttons });
    }
    for (const index of known) if (!seen.has(index)) pads.push({ index, connected: false, axes: [0, 0, 0, 0], buttons: 0 });
    known.clear();
    for (const index of seen) known.add(index);
    const text = JSON.stringify(pads);
    if (text !== last) {
      last = text;
      send(pads);
    }
    looking = known.size > 0;
    if (looking) requestAnimationFrame(look);
  }

  window.addEventListener('gamepadconnected', (e) => {
    if (e.gamepad && e.gamepad.mapping === 'standard') {
      notices.show('pad', 'Gamepad: the stick or the d-pad steers, A serves and fires, Start pauses, ' +
        'Back leaves; paused, Y gives up.', 8);
    }
    if (!looking) {
      looking = true;
      requestAnimationFrame(look);
    }
  });
}
