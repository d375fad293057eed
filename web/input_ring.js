// A ring of plat::InputEvent records in memory the page shares with the
// game's worker (only where the page is cross-origin isolated): the page
// writes as input comes, the worker reads at each of the module's looks, and
// a doze in the worker wakes on the write without a message between threads.
//
// Int32Array layout: [0] records written, [1] records read (both only grow),
// then Capacity records of Fields numbers: kind, code, down, dx, dy.

const Capacity = 512;
const Fields = 5;
const Head = 2;

export const ringShared = () => typeof SharedArrayBuffer === 'function' && self.crossOriginIsolated === true;

export function createRing() {
  return new SharedArrayBuffer((Head + Capacity * Fields) * 4);
}

// The page's side: put(record) writes or, while the ring is full (a worker
// that reads nothing for a long time), keeps the records in order until it
// has room.
export function ringWriter(buffer) {
  const ints = new Int32Array(buffer);
  const waiting = [];
  let timer = 0;
  function flush() {
    timer = 0;
    let written = Atomics.load(ints, 0);
    const read = Atomics.load(ints, 1);
    while (waiting.length && written - read < Capacity) {
      const r = waiting.shift();
      const at = Head + (written % Capacity) * Fields;
      ints[at] = r.kind;
      ints[at + 1] = r.code;
      ints[at + 2] = r.down;
      ints[at + 3] = r.dx;
      ints[at + 4] = r.dy;
      ++written;
    }
    Atomics.store(ints, 0, written);
    Atomics.notify(ints, 0);
    if (waiting.length && !timer) timer = setTimeout(flush, 50);
  }
  return {
    put(record) {
      waiting.push({ kind: record.kind | 0, code: record.code | 0, down: record.down ? 1 : 0, dx: record.dx | 0, dy: record.dy | 0 });
      flush();
    },
  };
}

// The worker's side: every record written since the last read.
export function readRing(buffer) {
  const ints = new Int32Array(buffer);
  const written = Atomics.load(ints, 0);
  let read = Atomics.load(ints, 1);
  const records = [];
  for (; read < written; ++read) {
    const at = Head + (read % Capacity) * Fields;
    records.push({ kind: ints[at], code: ints[at + 1], down: ints[at + 2], dx: ints[at + 3], dy: ints[at + 4] });
  }
  Atomics.store(ints, 1, read);
  return records;
}

// Calls changed() after each write, where the browser can wait for one
// without blocking (Atomics.waitAsync); false where it cannot, and the page
// must say so by message.
export function watchRing(buffer, changed) {
  if (typeof Atomics.waitAsync !== 'function') return false;
  const ints = new Int32Array(buffer);
  const wait = (seen) => {
    const result = Atomics.waitAsync(ints, 0, seen);
    const again = () => {
      const now = Atomics.load(ints, 0);
      if (now !== seen) changed();
      wait(now);
    };
    if (result.async) result.value.then(again);
    else queueMicrotask(again);
  };
  wait(Atomics.load(ints, 0));
  return true;
}
