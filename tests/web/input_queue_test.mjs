// web/input_queue.js under node: no press the page hands over is lost, and
// none lasts longer than the game needs to read it.
import assert from 'assert';
import { createInputQueue, Kind, KeyCode } from '../../web/input_queue.js';

const key = (code, down) => ({ kind: Kind.Key, code, down, dx: 0, dy: 0 });
const button = (down) => ({ kind: Kind.Button, code: 0, down, dx: 0, dy: 0 });
const motion = (dx) => ({ kind: Kind.Motion, code: 0, down: 0, dx, dy: 0 });
const show = (events) => events.map((e) => (e.kind === Kind.Motion ? `m${e.dx}` : `${e.kind === Kind.Key ? 'k' : 'b'}${e.code}${e.down ? '+' : '-'}`)).join(' ');

// The game's reads as core::InputReads counts them: Escape, Enter, F1, F5, the mouse.
function rig() {
  const released = [];
  const queue = createInputQueue((name) => released.push(name));
  const reads = [0, 0, 0, 0, 0];
  return {
    queue, released, reads,
    look: () => show(queue.take(64, reads.slice())),
    read: (...slots) => slots.forEach((s) => ++reads[s]),
  };
}

// A tap made while the game reads nothing (the title's zoom): the press goes
// at once, its release only once the game has read Enter, at its next look.
{
  const t = rig();
  t.queue.put(key(KeyCode.Enter, 1));
  t.queue.put(key(KeyCode.Enter, 0));
  assert.strictEqual(t.look(), 'k1+');
  for (let i = 0; i < 5; ++i) assert.strictEqual(t.look(), '', 'nothing read, nothing let go');
  t.read(0, 1); // the title reads Escape, then Enter
  assert.strictEqual(t.look(), 'k1-');
  assert.deepStrictEqual(t.released, ['key1'], 'told once the release was taken');
  assert.strictEqual(t.look(), '');
}

// A press the game does not read where it stands (Enter in play) is let go
// once the game has read another input twice; one read of another is not
// enough (the press may have come between its reads of a step).
{
  const t = rig();
  t.queue.put(key(KeyCode.Enter, 1));
  t.queue.put(key(KeyCode.Enter, 0));
  t.look();
  t.read(0, 2, 3, 4);
  assert.strictEqual(t.look(), '', 'one round of other reads');
  t.read(0);
  assert.strictEqual(t.look(), 'k1-');
}

// A press read before its release came is let go at once; a held key is
// pressed once, however often the keyboard repeats it.
{
  const t = rig();
  t.queue.put(key(KeyCode.F1, 1));
  t.look();
  t.read(2);
  t.look();
  t.queue.put(key(KeyCode.F1, 1));
  t.queue.put(key(KeyCode.F1, 0));
  assert.strictEqual(t.look(), 'k2-');
}

// Motion adds up between looks, and passes presses in order; the focus
// going lets go of everything, each release still waiting for its read.
{
  const t = rig();
  t.queue.put(motion(3));
  t.queue.put(motion(-10));
  t.queue.put(button(1));
  t.queue.put(motion(4));
  t.queue.put(key(KeyCode.F5, 1));
  assert.strictEqual(t.look(), 'm-7 b0+ m4 k3+');
  t.read(4);
  t.queue.put({ kind: Kind.ReleaseAll, code: 0, down: 0, dx: 0, dy: 0 });
  assert.strictEqual(t.look(), 'b0-', 'the button was read, F5 not yet');
  t.read(3);
  assert.strictEqual(t.look(), 'k3-');
}

console.log('input_queue_test: PASS');
