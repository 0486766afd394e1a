// The page around the emulator, loaded last of its scripts (index.html
// lists them): the page object that the program's side of the host reaches
// as Module.page (host_library.js), the status line, and the start.
// tessel.js (the compiled program) starts after this script and finds it as
// Module. Each of the other scripts holds one concern: window.js (window,
// menus, canvas), sound.js, keys.js (the computer's keys and the focus),
// screen_keyboard.js (the machine's keys on the page), joystick.js (gamepads
// and the stick on the page), printer.js, machine_files.js,
// program_files.js (File > Load, Run program…, Save program and drops),
// states.js (saved states), tape.js (the cassette recorder), controls.js
// (the bar), linked_program.js (?load=) and loop.js.
'use strict';

// Every property of the page: the tests read it too.
const page = {
  window: pageWindow,
  speaker,
  stick: pageStick,
  printer: pagePrinter,
  paused: false,
  // For the tests, not shown anywhere.
  figures: {
    framesPresented: 0,
    firstFrameAt: 0,        // ms since the page started loading
    frameSteps: 0,          // passes that stepped a frame, and their time
    frameStepMilliseconds: 0,
    fastFrames: 0,            // frames run while a tape played fast
    soundSamplesReceived: 0,  // by the audio thread
    linkedProgramAt: -1,      // frames presented when the ?load= program was there
  },
};

// One line on the page for what went wrong, or what was done; text only,
// whatever it quotes.
function showStatus(text, kind = 'error') {
  const status = document.getElementById('status');
  status.textContent = text;
  status.dataset.kind = kind;
  status.hidden = false;
}

// After main() has started the emulator.
function startPage() {
  setUpProgramFiles();
  setUpMachineFiles();
  setUpControls();
  setUpStates();
  tape.setUp();
  screenKeyboard.setUp();
  pageStick.setUp();
  pagePrinter.setUp();
  // Shown at the start where the screen is touched rather than pointed at.
  screenKeyboard.show(!matchMedia('(pointer: fine)').matches);
  loadLinkedProgram();
  setUpKeys();
  window.addEventListener('pointerdown', () => page.speaker.start());
  if (!document.hasFocus()) Module._webFocus(0);
  startLoop();
}

/* exported Module */
var Module = {
  page,
  preRun: [mountMachineFolder],
  postRun: [startPage],
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
};

// The page's own files kept by the browser, so that it starts without the
// network after one visit (service_worker.js).
if ('serviceWorker' in navigator) {
  window.addEventListener('load', () => {
    navigator.serviceWorker.register('service_worker.js')
      .catch((error) => console.warn('tessel: the page will not start offline:', error.message));
  });
}
