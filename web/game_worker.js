// The game in a worker of its own: the module runs here, draws on the canvas
// the page handed over, sends its sound to the audio worklet, and waits here
// without holding up the page. The page keeps only what must be on its main
// thread: the DOM, input, pointer lock, full screen, the wake lock, the panels
// and buttons. Input comes as plat::InputEvent records, through a ring in
// shared memory where the page is cross-origin isolated (input_ring.js), by
// message otherwise.

import { createGame } from './game.js';
import { readRing, watchRing } from './input_ring.js';

let game = null;
let ring = null;

function tell(message, transfer = []) {
  postMessage(message, transfer);
}

// The records the page wrote into the ring since the last look.
function takeRing() {
  if (!ring) return;
  const records = readRing(ring);
  if (records.length) game.hear({ input: records });
}

async function start(init) {
  const origin = init.pageOrigin; // the page's performance.timeOrigin: its clock, here
  const now = () => performance.timeOrigin + performance.now() - origin;
  const params = new URLSearchParams(init.search);
  game = createGame({
    canvas: init.canvas,
    newCanvas: () => new OffscreenCanvas(1, 1),
    params,
    tell,
    now,
    sound: null,
    scriptUrl: Promise.resolve(init.scriptUrl),
    compiled: Promise.resolve(init.module),
    base: init.base,
  });
  game.hear(init.state);
  if (init.ring) {
    ring = init.ring;
    // Taken before the module looks, so that a doze the page woke sees them.
    const take = game.page.takeInput;
    game.page.takeInput = (capacity, reads) => {
      takeRing();
      return take(capacity, reads);
    };
    // A write wakes a doze here; where the browser cannot wait for one, the
    // page says so by message.
    tell({
      ringWatched: watchRing(ring, () => {
        takeRing();
        game.wake();
      }),
    });
  }
  self.Module = {
    arguments: init.args,
    qorbPage: game.page,
    locateFile: (file) => new URL(file, init.base).href,
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(init.module, imports)
        .then((instance) => receive(instance, init.module))
        .catch((error) => tell({ failed: `the module could not be started: ${error.message || error}` }));
      return {};
    },
    print: (text) => tell({ log: String(text) }),
    // The game's own warnings (no sound device, say) are not errors.
    printErr: (text) => tell({ warn: String(text) }),
    onAbort: (what) => tell({ failed: String(what) }),
    onExit: (code) => game.page.ended(code),
  };
  // The module's script, at the worker's top level as a classic script would run.
  const script = await (await fetch(init.scriptUrl)).text();
  (0, eval)(script);
}

onmessage = (e) => {
  const m = e.data;
  if (m.init) {
    start(m.init).catch((error) => tell({ failed: `the game could not start: ${error.message || error}` }));
  } else if (game) {
    if (m.wake) takeRing();
    game.hear(m);
    if (m.wake) game.wake();
  }
};
