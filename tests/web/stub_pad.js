// A gamepad in the browser's standard layout, in place of the browser's own
// list of pads: the tests set its sticks and buttons through window.testPad,
// and the page reads them once a frame as it would a real pad's. The
// function runs in the page (an init script, or after the page has loaded:
// the page asks for the list only once a pad has connected).
'use strict';

function stubbedPad() {
  const pad = {
    index: 0, id: 'Test pad (STANDARD GAMEPAD)', connected: true, mapping: 'standard', timestamp: 0,
    axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
  };
  window.testPad = {
    connect() {
      const e = new Event('gamepadconnected');
      Object.defineProperty(e, 'gamepad', { value: pad });
      window.dispatchEvent(e);
    },
    press(button, down) {
      pad.buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
      pad.timestamp = performance.now();
    },
    stick(x) {
      pad.axes[0] = x;
      pad.timestamp = performance.now();
    },
  };
  navigator.getGamepads = () => [pad, null, null, null];
}

// The standard layout's buttons.
const PadButton = { south: 0, north: 3, back: 8, start: 9 };

// What the page says when a pad connects: every button's part.
const PadNotice = /stick.*steers.*A serves.*Start pauses.*Back leaves.*Y gives up/;

module.exports = { stubbedPad, PadButton, PadNotice };
