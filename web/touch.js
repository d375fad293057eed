// Touch controls: a finger's gestures on the picture turned into the game's
// own input (the mouse's motion and button, the Enter key), so that touch
// needs no rule of its own anywhere in the game.
//
// - A finger dragged anywhere moves the paddle as the mouse does, scaled so
//   that a drag across the picture's shown width is 800 game pixels: the
//   paddle follows the finger.
// - A tap is a click and an Enter at once: the title and the intro read
//   Enter, play reads the button, and each ignores the other.
// - While one finger steers, a second finger's tap presses the button too;
//   when the steering finger lifts, a finger still down steers from where it
//   stands.
//
// The game samples the button and the keys once a step, so a tap is held
// down for HoldMs rather than let go at once (the page holds it longer while
// the game has not read it yet).
const GameWidth = 800;
const TapSlop = 12; // CSS pixels a tap may wander
const TapMs = 350; // longer is a hold, not a tap
const HoldMs = 120;
const EnterKey = 1; // as plat::Key numbers it

// input: { motion(dx, dy), button(index, down), key(code, down) } (the
// page's queue); later(fn, ms): calls fn once the press has been held ms.
export function TouchControls(input, later = (fn, ms) => setTimeout(fn, ms)) {
  const fingers = new Map(); // id -> { x, y, startX, startY, at, tap }
  let steering = null; // the finger that moves the paddle
  let carry = 0; // game pixels short of a whole one
  let timer = null;

  // A tap within another's hold joins it: the game could not tell them apart.
  function tap() {
    input.button(0, true);
    input.key(EnterKey, true);
    if (timer === null) timer = later(release, HoldMs);
  }
  function release() {
    timer = null;
    input.button(0, false);
    input.key(EnterKey, false);
  }

  // The finger down longest takes over the steering, from where it is.
  function lift(id) {
    fingers.delete(id);
    if (id !== steering) return;
    const next = fingers.keys().next();
    steering = next.done ? null : next.value;
    carry = 0;
  }

  return {
    start(id, x, y, now) {
      fingers.set(id, { x, y, startX: x, startY: y, at: now, tap: true });
      if (steering === null) {
        steering = id;
        carry = 0;
      }
    },
    // shownWidth: the picture's width on the page, in CSS pixels.
    move(id, x, y, shownWidth) {
      const f = fingers.get(id);
      if (!f) return;
      if (Math.hypot(x - f.startX, y - f.startY) > TapSlop) f.tap = false;
      if (id === steering && shownWidth > 0) {
        const exact = ((x - f.x) * GameWidth) / shownWidth + carry;
        // Nudged so that a sum that should be whole is not a hair short of it.
        const whole = Math.trunc(exact + Math.sign(exact) * 1e-9);
        carry = exact - whole;
        if (whole !== 0) input.motion(whole, 0);
      }
      f.x = x;
      f.y = y;
    },
    end(id, now) {
      const f = fingers.get(id);
      if (!f) return;
      lift(id);
      if (f.tap && now - f.at <= TapMs) tap();
    },
    // The touch was taken away (a system gesture, a dialog): no tap.
    cancel: lift,
    steering: () => steering,
    // Exposed for the tests: how long a tap holds, how far one may wander.
    HoldMs,
    TapSlop,
    TapMs,
  };
}
