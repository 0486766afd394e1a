// The machine's keyboard on the page: its keys as the program lists them
// (webKeyboardLayout), each a button, on a grid of half keys (24 to a row).
// The page reports each pointer going down on a key and up again; the
// program holds the keys for the machine (shell/screen_keyboard.h: a quick
// tap, SHIFT and CTRL latched) and says how each key looks.
'use strict';

// What webScreenKeyLook says.
const KEY_HELD = 1;
const KEY_LATCHED = 2;
// A press without a pointer (a screen reader's): a tap.
const NO_POINTER = -1;

// What the keyboard and the stick on the page share: each pointer's lift,
// no mouse events made up after a touch and no context menu, and a press of
// a control (found by selector) without a pointer as a tap of it.
function takeFingers(element, selector, press, lift) {
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) {
    element.addEventListener(type, (event) => lift(event.pointerId));
  }
  element.addEventListener('mousedown', (event) => event.preventDefault());
  element.addEventListener('contextmenu', (event) => event.preventDefault());
  element.addEventListener('click', (event) => {
    const control = event.target.closest(selector);
    if (event.detail !== 0 || !control) return;
    press(NO_POINTER, control);
    lift(NO_POINTER);
  });
}

const screenKeyboard = {
  element: document.getElementById('keyboard'),

  build() {
    const layout = Module.UTF8ToString(Module._webKeyboardLayout()).trimEnd().split('\n');
    for (const line of layout) {
      const [code, kind, column, width, legend, shifted, name] = line.split('\t');
      const key = document.createElement('button');
      key.type = 'button';
      key.className = 'key ' + (kind === 'combination' ? 'combination ' : '') + (legend.length > 1 ? 'word' : 'single');
      key.tabIndex = -1;  // the keys never take the focus from the page
      key.dataset.code = code;
      key.setAttribute('aria-label', name);
      if (kind === 'latching') key.setAttribute('aria-pressed', 'false');
      key.style.gridColumn = column + ' / span ' + width;
      const top = document.createElement('span');
      top.className = 'shifted';
      top.textContent = shifted;
      const main = document.createElement('span');
      main.className = 'legend';
      main.textContent = legend;
      key.append(top, main);
      this.element.append(key);
    }
  },

  // Each key as the program now holds it.
  drawKeys() {
    for (const key of this.element.children) {
      const look = Module._webScreenKeyLook(Number(key.dataset.code));
      key.classList.toggle('down', (look & KEY_HELD) !== 0);
      key.classList.toggle('latched', (look & KEY_LATCHED) !== 0);
      if (key.hasAttribute('aria-pressed')) key.setAttribute('aria-pressed', String(look !== 0));
    }
  },

  down(pointer, key) {
    page.speaker.start();
    Module._webScreenPointerDown(pointer, Number(key.dataset.code));
    this.drawKeys();
  },

  up(pointer) {
    Module._webScreenPointerUp(pointer);
    this.drawKeys();
  },

  setUp() {
    this.build();
    const keyboard = this.element;
    keyboard.addEventListener('pointerdown', (event) => {
      const key = event.target.closest('.key');
      // No focus, no selection, no mouse events made up after a touch.
      event.preventDefault();
      if (!key) return;
      key.setPointerCapture(event.pointerId);
      this.down(event.pointerId, key);
    });
    takeFingers(keyboard, '.key', (pointer, key) => this.down(pointer, key), (pointer) => this.up(pointer));
  },

  show(shown) {
    this.element.hidden = !shown;
    document.getElementById('keyboard-button').setAttribute('aria-pressed', String(shown));
  },
};
