// The game's input as the page hands it over: plat::InputEvent records
// (src/platform/input_event.h), queued where the game runs until the module
// takes them, and no press lost.
//
// The game reads the keys and the button as they stand: once a step in
// play, the title and the intro only Enter and Escape, the pause only F1,
// and the title's zoom, a round's announcement or an explosion nothing at
// all. A press let go of before the game read it would never count, so a
// release waits here until the game has read the press: the key or button
// itself, or two reads of another (a whole round of the game's reads went
// by without this one). The module tells at each look how often it has read
// each, numbered as ReadSlots.

// Numbered as plat::InputEvent::Kind; ReleaseAll is the page's own: the
// focus went, let go of everything held.
export const Kind = { Motion: 0, Button: 1, Key: 2, Close: 3, ReleaseAll: -1 };
// Numbered as the game's keys (plat::Key): Escape, Enter, F1, F5.
export const KeyCode = { Escape: 0, Enter: 1, F1: 2, F5: 3 };

const ReadSlots = ['key0', 'key1', 'key2', 'key3', 'button0'];
const readSlot = (name) => (name.startsWith('button') ? 4 : ReadSlots.indexOf(name));
const nameOf = (record) => (record.kind === Kind.Key ? `key${record.code}` : `button${record.code}`);

// releaseTaken(name): the game has taken the release of the key or button
// `name` (a page waiting to press the next key of a sequence hears of it).
export function createInputQueue(releaseTaken = () => {}) {
  const queue = [];
  const held = new Map(); // down, by name: its record
  let reads = [0, 0, 0, 0, 0];
  let pushed = 0;
  let taken = 0;
  const unread = new Map(); // a press not yet read: name -> { mark, readsAt, letGo }
  const releases = []; // [name, mark] of releases not yet taken

  function push(event) {
    queue.push(event);
    ++pushed;
  }
  function readSince(name, at) {
    const own = readSlot(name);
    return reads.some((count, i) => (i === own ? count > at[i] : count - at[i] >= 2));
  }

  function change(record, down) {
    const name = nameOf(record);
    if (down === held.has(name)) return;
    const event = (d) => ({ kind: record.kind, code: record.code, down: d, dx: 0, dy: 0 });
    if (down) {
      held.set(name, record);
      push(event(1));
      unread.set(name, { mark: pushed, readsAt: null, letGo: null });
      return;
    }
    const letGo = () => {
      held.delete(name);
      push(event(0));
      releases.push([name, pushed]);
    };
    const press = unread.get(name);
    if (press) press.letGo = letGo;
    else letGo();
  }

  return {
    // A record of the page's: motion adds up, a press and a release change
    // what is held (the release once the press was read), a close passes.
    put(record) {
      switch (record.kind) {
        case Kind.Motion: {
          const dx = Math.trunc(record.dx) || 0;
          const dy = Math.trunc(record.dy) || 0;
          if (dx === 0 && dy === 0) return;
          const last = queue[queue.length - 1];
          // One event per run of moves keeps the queue short.
          if (last && last.kind === Kind.Motion) {
            last.dx += dx;
            last.dy += dy;
          } else {
            push({ kind: Kind.Motion, code: 0, down: 0, dx, dy });
          }
          return;
        }
        case Kind.Button:
        case Kind.Key:
          change(record, !!record.down);
          return;
        case Kind.ReleaseAll:
          for (const r of [...held.values()]) change(r, false);
          return;
        case Kind.Close:
          push({ kind: Kind.Close, code: 0, down: 0, dx: 0, dy: 0 });
      }
    },
    // Up to `capacity` events for the module; gameReads: how often the game
    // has read each key and the mouse so far.
    take(capacity, gameReads) {
      if (gameReads) reads = gameReads;
      // Presses the game has read since it took them: their releases go now.
      for (const [name, press] of unread) {
        if (press.readsAt !== null && readSince(name, press.readsAt)) {
          unread.delete(name);
          if (press.letGo) press.letGo();
        }
      }
      const events = queue.splice(0, capacity);
      taken += events.length;
      // Presses taken now: what the game has read is counted from here.
      for (const press of unread.values()) if (press.readsAt === null && taken >= press.mark) press.readsAt = reads.slice();
      while (releases.length && taken >= releases[0][1]) releaseTaken(releases.shift()[0]);
      return events;
    },
    pending: () => queue.length,
  };
}
