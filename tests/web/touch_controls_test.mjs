// web/touch.js on its own, under node: what each gesture hands the game.
import assert from 'assert';
import { TouchControls } from '../../web/touch.js';

function rig() {
  const events = [];
  const timers = [];
  const input = {
    motion: (dx, dy) => events.push(['motion', dx, dy]),
    button: (i, down) => events.push(['button', i, down]),
    key: (code, down) => events.push(['key', code, down]),
  };
  const touch = TouchControls(input, (fn, ms) => timers.push({ fn, ms }));
  const fire = () => timers.splice(0).forEach((t) => t.fn());
  return { events, timers, touch, fire };
}
const sum = (events) => events.filter((e) => e[0] === 'motion').reduce((s, e) => s + e[1], 0);
const Enter = 1;

// A drag over the shown width (here 412 CSS px) is 800 game pixels, in any
// number of small moves, both ways, with no pixel lost to rounding.
{
  const { events, touch, timers } = rig();
  touch.start(7, 10, 100, 0);
  for (let x = 10; x <= 10 + 412; x += 3) touch.move(7, x, 100, 412);
  touch.move(7, 422, 100, 412);
  assert.strictEqual(sum(events), 800);
  for (let x = 422; x >= 319; x -= 1) touch.move(7, x, 100, 412);
  assert.strictEqual(sum(events), 800 - 200);
  assert.ok(events.every((e) => e[0] === 'motion' && e[2] === 0), 'only sideways motion');
  touch.end(7, 5000);
  assert.strictEqual(timers.length, 0, 'a drag is no tap');
}

// A tap is the button and Enter at once, held for the game's sampling, then
// let go; a hold, a wander or a cancelled touch is none.
{
  const { events, touch, timers, fire } = rig();
  touch.start(1, 50, 50, 1000);
  touch.move(1, 55, 53, 400);
  touch.end(1, 1100);
  assert.deepStrictEqual(events.filter((e) => e[0] !== 'motion'), [['button', 0, true], ['key', Enter, true]]);
  assert.strictEqual(timers.length, 1);
  assert.strictEqual(timers[0].ms, touch.HoldMs);
  // A second tap inside the hold joins it: one release.
  touch.start(2, 50, 50, 1150);
  touch.end(2, 1160);
  assert.strictEqual(timers.length, 1);
  fire();
  assert.deepStrictEqual(events.slice(-2), [['button', 0, false], ['key', Enter, false]]);

  events.length = 0;
  touch.start(3, 50, 50, 2000);
  touch.end(3, 2000 + touch.TapMs + 1);
  touch.start(4, 50, 50, 3000);
  touch.move(4, 50 + touch.TapSlop + 1, 50, 400);
  touch.move(4, 50, 50, 400);
  touch.end(4, 3010);
  touch.start(5, 50, 50, 4000);
  touch.cancel(5);
  touch.end(5, 4010);
  assert.ok(!events.some((e) => e[0] !== 'motion'), 'no press from a hold, a wander or a cancel');
}

// While one finger steers, a second finger's tap presses the button, and
// its own moves steer nothing.
{
  const { events, touch } = rig();
  touch.start(1, 100, 100, 0);
  touch.move(1, 120, 100, 400);
  touch.start(2, 300, 50, 100);
  touch.move(2, 305, 50, 400);
  assert.strictEqual(sum(events), 40);
  touch.end(2, 150);
  assert.deepStrictEqual(events.slice(-2), [['button', 0, true], ['key', Enter, true]]);
  assert.strictEqual(touch.steering(), 1);
  touch.end(1, 900);
  assert.strictEqual(touch.steering(), null);
  // The next finger down steers.
  touch.start(9, 0, 0, 1000);
  assert.strictEqual(touch.steering(), 9);
}

// A finger still down when the steering one lifts steers on, from where it
// stands then, not from where it came down: no jump; a cancelled steering
// finger hands over too.
{
  const { events, touch } = rig();
  touch.start(1, 100, 100, 0);
  touch.start(2, 300, 100, 10);
  touch.move(2, 340, 100, 400); // not steering yet: nothing
  assert.strictEqual(sum(events), 0);
  touch.end(1, 500);
  assert.strictEqual(touch.steering(), 2);
  touch.move(2, 350, 100, 400);
  assert.strictEqual(sum(events), 20);
  touch.start(3, 10, 10, 600);
  touch.cancel(2);
  assert.strictEqual(touch.steering(), 3);
  touch.move(3, 0, 10, 400);
  assert.strictEqual(sum(events), 0);
}

console.log('touch_controls_test: PASS');
