// The joysticks on the page: the first two gamepads the browser knows,
// read before every pass of the loop (loop.js), and stick 1 drawn on the
// page in place of the keyboard: a pad, where the place under a finger
// picks the directions (diagonals too), and a button for each other
// control. The controls, their names and labels come from the program
// (webStickControls, the machine's table). The page reports axes, buttons
// and pointers; the program (page_joystick.cpp) decides what they hold.
'use strict';

// The arrow drawn on the pad for each direction, by its name in the table.
const PAD_ARROWS = { up: '▲', down: '▼', left: '◀', right: '▶' };
// Buttons 0 and 1 of what webGamepad takes.
const STANDARD_A_AND_B = 0b11;
// What webStickLook gives for each direction, by name, once built.
const padBits = {};

const pageStick = {
  element: document.getElementById('joystick'),
  pad: null,
  knob: null,
  stickCount: 0,
  look: -1,  // as last drawn

  build() {
    const controls = Module.UTF8ToString(Module._webStickControls()).trimEnd().split('\n')
      .map((line) => line.split('\t'));
    this.stickCount = Math.max(...controls.map(([stick]) => Number(stick)));
    this.pad = document.createElement('div');
    this.pad.className = 'stick-pad';
    this.knob = document.createElement('span');
    this.knob.className = 'stick-knob';
    this.knob.setAttribute('aria-hidden', 'true');
    this.pad.append(this.knob);
    const buttons = document.createElement('div');
    buttons.className = 'stick-buttons';
    for (const [stick, bit, name, label] of controls) {
      if (stick !== '1') continue;
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'stick-control stick-' + name;
      button.tabIndex = -1;  // as the keys, never the focus
      button.dataset.control = bit;
      button.setAttribute('aria-label', label);
      if (name in PAD_ARROWS) {
        button.textContent = PAD_ARROWS[name];
        padBits[name] = 1 << Number(bit);
        this.pad.append(button);
      } else {
        button.textContent = label;
        buttons.append(button);
      }
    }
    this.element.append(this.pad, buttons);
  },

  // Each control as the program holds it, and the knob pushed its way.
  draw() {
    const look = Module._webStickLook();
    if (look === this.look) return;
    this.look = look;
    for (const button of this.element.querySelectorAll('.stick-control')) {
      button.classList.toggle('down', (look & (1 << Number(button.dataset.control))) !== 0);
    }
    const pushed = (name) => ((look & padBits[name]) !== 0 ? 1 : 0);
    this.knob.style.setProperty('--x', pushed('right') - pushed('left'));
    this.knob.style.setProperty('--y', pushed('down') - pushed('up'));
  },

  // The pointer's place from the pad's middle, in its radii.
  padPointer(event) {
    const box = this.pad.getBoundingClientRect();
    const radius = box.width / 2;
    Module._webStickPadPointer(event.pointerId, (event.clientX - box.left - radius) / radius,
                               (event.clientY - box.top - box.height / 2) / radius);
  },

  // The first two gamepads connected, in the browser's order: the left
  // stick's axes and the buttons pressed. Only the browser's standard
  // layout says which buttons are the D-pad; of another, A and B count.
  readGamepads() {
    const pads = navigator.getGamepads ? [...navigator.getGamepads()].filter((pad) => pad && pad.connected) : [];
    for (let stick = 0; stick < this.stickCount; ++stick) {
      const pad = pads[stick];
      let buttons = 0;
      if (pad) pad.buttons.forEach((button, index) => { if (button.pressed && index < 31) buttons |= 1 << index; });
      if (pad && pad.mapping !== 'standard') buttons &= STANDARD_A_AND_B;
      Module._webGamepad(stick, pad ? pad.axes[0] || 0 : 0, pad ? pad.axes[1] || 0 : 0, buttons);
    }
    if (!this.element.hidden) this.draw();
  },

  setUp() {
    this.build();
    const stick = this.element;
    stick.addEventListener('pointerdown', (event) => {
      // No focus, no selection, no mouse events made up after a touch.
      event.preventDefault();
      page.speaker.start();
      const button = event.target.closest('.stick-control');
      if (event.target.closest('.stick-pad')) {
        this.pad.setPointerCapture(event.pointerId);
        this.padPointer(event);
      } else if (button) {
        button.setPointerCapture(event.pointerId);
        Module._webStickControlPointer(event.pointerId, Number(button.dataset.control));
      }
      this.draw();
    });
    stick.addEventListener('pointermove', (event) => {
      if (!this.pad.hasPointerCapture(event.pointerId)) return;
      this.padPointer(event);
      this.draw();
    });
    const press = (pointer, button) => Module._webStickControlPointer(pointer, Number(button.dataset.control));
    takeFingers(stick, '.stick-control', press, (pointer) => {
      Module._webStickPointerUp(pointer);
      this.draw();
    });
    // The program lets every control go when the page goes behind.
    window.addEventListener('blur', () => this.draw());
    // The keys brought back take the stick's place.
    document.getElementById('keyboard-button').addEventListener('click', () => {
      if (!screenKeyboard.element.hidden) this.show(false);
    });
    document.getElementById('joystick-button').addEventListener('click', () => this.show(stick.hidden));
  },

  // The stick in place of the keyboard, or gone.
  show(shown) {
    this.element.hidden = !shown;
    document.getElementById('joystick-button').setAttribute('aria-pressed', String(shown));
    if (shown) {
      screenKeyboard.show(false);
      this.look = -1;
      this.draw();
    }
  },
};
