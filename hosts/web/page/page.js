// The page around the emulator: the browser's side of the host (window and
// menus, canvas, keys, focus, file chooser and drops, sound), the machine's
// keyboard drawn on the page, the bar of controls (Reset, Pause, saved
// states, Full screen, Keyboard), a program named in the page's address,
// the machine files and a saved state kept in the browser's storage, and
// the callbacks that run the message loop's passes. tessel.js (the compiled program) starts after this
// script and finds it as Module.
'use strict';

// The user's own machine files, kept in the browser's storage; the program
// runs in this folder and reads them from there, as from its current
// directory on the desktop.
const MACHINE_FOLDER = '/machine';
// The program file chosen or dropped last.
const FILES_FOLDER = '/files';

const ROM_FILE_INDEX = 0;
const FONT_FILE_INDEX = 1;

// A program named by the page's address (?load=URL) loads before this
// frame, as tessel-run --load loads before its --load-at.
const LINKED_PROGRAM_FRAME = 100;

// The machine's state, saved and restored: one kept in the browser's
// storage beside the machine files, offered as a download by this name too.
const STATE_NAME = 'tessel.tstate';
const STATE_FILE = MACHINE_FOLDER + '/' + STATE_NAME;
const STATE_EXTENSION = '.tstate';

// One line on the page for what went wrong, or what was done; text only,
// whatever it quotes.
function showStatus(text, kind = 'error') {
  const status = document.getElementById('status');
  status.textContent = text;
  status.dataset.kind = kind;
  status.hidden = false;
}

// ---- The window ---------------------------------------------------------------

const page = {
  paused: false,
  // For the tests, not shown anywhere.
  figures: {
    framesPresented: 0,
    firstFrameAt: 0,        // ms since the page started loading
    frameSteps: 0,          // passes that stepped a frame, and their time
    frameStepMilliseconds: 0,
    soundSamplesReceived: 0,  // by the audio thread
    linkedProgramAt: -1,      // frames presented when the ?load= program was there
  },
  canvas: document.getElementById('screen'),
  context: null,
  clientWidth: 0,
  clientHeight: 0,
  image: null,

  createWindow(title, clientWidth, clientHeight, background) {
    document.title = title;
    this.clientWidth = clientWidth;
    this.clientHeight = clientHeight;
    this.canvas.width = clientWidth;
    this.canvas.height = clientHeight;
    this.context = this.canvas.getContext('2d', { alpha: false });
    this.context.fillStyle = '#' + background.toString(16).padStart(6, '0');
    this.context.fillRect(0, 0, clientWidth, clientHeight);
    fitCanvas();
  },

  addMenu(title) {
    const menu = document.createElement('div');
    menu.className = 'menu';
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'menu-title';
    button.textContent = title;
    const items = document.createElement('div');
    items.className = 'menu-items';
    items.setAttribute('role', 'menu');
    menu.append(button, items);
    button.addEventListener('click', () => openMenu(menu.classList.contains('open') ? null : menu));
    // With a menu open, pointing at another title opens that one.
    button.addEventListener('pointerenter', () => {
      if (document.querySelector('.menu.open')) openMenu(menu);
    });
    document.getElementById('menubar').append(menu);
  },

  addMenuItem(title, commandId) {
    const item = document.createElement('button');
    item.type = 'button';
    item.className = 'menu-item';
    item.setAttribute('role', 'menuitem');
    item.textContent = title;
    item.addEventListener('click', () => {
      openMenu(null);
      Module._webMenuCommand(commandId);
    });
    document.querySelector('#menubar .menu:last-child .menu-items').append(item);
  },

  showWindow(shown) {
    this.canvas.classList.toggle('hidden', !shown);
  },

  present(rgba, width, height, x, y) {
    if (!this.image || this.image.width !== width || this.image.height !== height) {
      this.image = new ImageData(width, height);
    }
    this.image.data.set(rgba);
    this.context.putImageData(this.image, x, y);
    const figures = this.figures;
    if (figures.framesPresented++ === 0) figures.firstFrameAt = performance.now();
  },

  alert(text, caption) {
    window.alert(caption + ': ' + text);
  },

  // The Open dialog: false when the browser will not show the chooser
  // (it does so only shortly after a click or key of the user's).
  openChooser(title, accept) {
    if (navigator.userActivation && !navigator.userActivation.isActive) return false;
    const chooser = document.getElementById('program-chooser');
    chooser.title = title;
    chooser.accept = accept;
    chooser.value = '';  // the same file chosen again is a choice too
    chooser.click();
    return true;
  },
};

function openMenu(menu) {
  for (const other of document.querySelectorAll('.menu.open')) {
    if (other !== menu) other.classList.remove('open');
  }
  if (menu) menu.classList.add('open');
}

document.addEventListener('pointerdown', (event) => {
  if (!event.target.closest('.menu')) openMenu(null);
});

// The largest whole factor of device pixels that fits, and a place on whole
// device pixels, so that every pixel of the machine is the same sharp block.
function fitCanvas() {
  if (!page.clientWidth) return;
  const area = document.getElementById('screen-area').getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  const factor = Math.max(1, Math.floor(Math.min(area.width * ratio / page.clientWidth,
                                                 area.height * ratio / page.clientHeight)));
  const width = page.clientWidth * factor / ratio;
  const height = page.clientHeight * factor / ratio;
  const onDevicePixel = (offset, size, room) => Math.round((offset + (room - size) / 2) * ratio) / ratio - offset;
  const style = page.canvas.style;
  style.width = width + 'px';
  style.height = height + 'px';
  style.left = Math.max(0, onDevicePixel(area.left, width, area.width)) + 'px';
  style.top = Math.max(0, onDevicePixel(area.top, height, area.height)) + 'px';
  page.scale = factor;
}

new ResizeObserver(fitCanvas).observe(document.getElementById('screen-area'));
// A zoom changes the device pixels' size, not always the area's.
window.addEventListener('resize', fitCanvas);

// ---- Keys and focus -------------------------------------------------------------

function onKey(event) {
  page.speaker.start();
  const down = event.type === 'keydown';
  if (Module.ccall('webKey', 'number', ['string', 'number'], [event.code, down ? 1 : 0])) {
    event.preventDefault();
  }
}

window.addEventListener('focus', () => {
  Module._webFocus(1);
  page.chooserMayHaveClosed();
});
window.addEventListener('blur', () => {
  Module._webFocus(0);
  screenKeyboard.forget();
});

// ---- The machine's keyboard on the page ------------------------------------------

// The VZ200's 45 keys in its own four rows, on a grid of half keys (24 to
// a row): [KeyboardEvent.code of the physical key at the same place, the
// legend, the shifted legend, width in half keys]. The main legend is each
// key's name.
const KEY_ROWS = [
  { start: 1, keys: [['Digit1', '1', '!'], ['Digit2', '2', '"'], ['Digit3', '3', '#'], ['Digit4', '4', '$'],
                     ['Digit5', '5', '%'], ['Digit6', '6', '&'], ['Digit7', '7', "'"], ['Digit8', '8', '('],
                     ['Digit9', '9', ')'], ['Digit0', '0', '@'], ['Minus', '-', '=']] },
  { start: 2, keys: [['KeyQ', 'Q'], ['KeyW', 'W'], ['KeyE', 'E'], ['KeyR', 'R'], ['KeyT', 'T'], ['KeyY', 'Y'],
                     ['KeyU', 'U'], ['KeyI', 'I'], ['KeyO', 'O'], ['KeyP', 'P'], ['Enter', 'RETURN', '', 3]] },
  { start: 1, keys: [['ControlLeft', 'CTRL'], ['KeyA', 'A'], ['KeyS', 'S'], ['KeyD', 'D'], ['KeyF', 'F'],
                     ['KeyG', 'G'], ['KeyH', 'H'], ['KeyJ', 'J'], ['KeyK', 'K'], ['KeyL', 'L'],
                     ['Semicolon', ';', '+'], ['Quote', ':', '*']] },
  { start: 1, keys: [['ShiftLeft', 'SHIFT', '', 3], ['KeyZ', 'Z'], ['KeyX', 'X'], ['KeyC', 'C'], ['KeyV', 'V'],
                     ['KeyB', 'B', '?'], ['KeyN', 'N', '/'], ['KeyM', 'M'], ['Comma', ',', '<'], ['Period', '.', '>'],
                     ['Space', 'SPACE', '', 3]] },
];
// The desktop's cursor and editing keys, each of which presses a key of the
// machine with CTRL: [code, legend, name by what it does].
const COMBINATION_KEYS = [
  ['ArrowLeft', '←', 'Cursor left'], ['ArrowRight', '→', 'Cursor right'], ['ArrowUp', '↑', 'Cursor up'],
  ['ArrowDown', '↓', 'Cursor down'], ['Backspace', '⌫', 'Backspace'], ['Insert', 'INSERT', 'Insert'],
  ['Delete', 'RUBOUT', 'Rubout'], ['End', 'INVERSE', 'Inverse'],
];
const KEY_WIDTH = 2;
const COMBINATION_WIDTH = 3;

// Each finger (pointer) holds its own key. SHIFT and CTRL tapped alone stay
// down for the next key and go up after it; held by a finger while another
// key is pressed, they go up with that finger.
const screenKeyboard = {
  element: document.getElementById('keyboard'),
  pressed: new Map(),  // pointerId -> its key
  modifiers: {
    ShiftLeft: { state: 'up', used: false, key: null },  // 'up', 'held' or 'latched'
    ControlLeft: { state: 'up', used: false, key: null },
  },

  build() {
    const addKey = (code, legend, shifted, name, column, width, kind) => {
      const key = document.createElement('button');
      key.type = 'button';
      key.className = 'key ' + kind;
      key.tabIndex = -1;  // the keys never take the focus from the page
      key.dataset.code = code;
      key.setAttribute('aria-label', name);
      key.style.gridColumn = column + ' / span ' + width;
      const top = document.createElement('span');
      top.className = 'shifted';
      top.textContent = shifted;
      const main = document.createElement('span');
      main.className = 'legend';
      main.textContent = legend;
      key.append(top, main);
      this.element.append(key);
      if (this.modifiers[code]) {
        this.modifiers[code].key = key;
        key.setAttribute('aria-pressed', 'false');
      }
    };
    for (const row of KEY_ROWS) {
      let column = row.start;
      for (const [code, legend, shifted = '', width = KEY_WIDTH] of row.keys) {
        addKey(code, legend, shifted, legend, column, width, legend.length > 1 ? 'word' : 'single');
        column += width;
      }
    }
    let column = 1;
    for (const [code, legend, name] of COMBINATION_KEYS) {
      addKey(code, legend, '', name, column, COMBINATION_WIDTH, 'combination ' + (legend.length > 1 ? 'word' : 'single'));
      column += COMBINATION_WIDTH;
    }
  },

  send(key, down) {
    Module.ccall('webScreenKey', 'number', ['string', 'number'], [key.dataset.code, down ? 1 : 0]);
    key.classList.toggle('down', down);
  },

  showModifier(modifier) {
    modifier.key.classList.toggle('latched', modifier.state === 'latched');
    modifier.key.setAttribute('aria-pressed', String(modifier.state !== 'up'));
  },

  // False when the press let a latched SHIFT or CTRL go instead.
  press(key) {
    page.speaker.start();
    const modifier = this.modifiers[key.dataset.code];
    if (modifier && modifier.state === 'latched') {
      modifier.state = 'up';
      this.send(key, false);
      this.showModifier(modifier);
      return false;
    }
    if (modifier) {
      modifier.state = 'held';
      modifier.used = false;
    } else {
      for (const other of Object.values(this.modifiers)) other.used = other.used || other.state === 'held';
    }
    this.send(key, true);
    if (modifier) this.showModifier(modifier);
    return true;
  },

  release(key) {
    const modifier = this.modifiers[key.dataset.code];
    if (modifier) {
      modifier.state = modifier.state === 'held' && !modifier.used ? 'latched' : 'up';
      if (modifier.state === 'up') this.send(key, false);
      else key.classList.remove('down');
      this.showModifier(modifier);
      return;
    }
    this.send(key, false);
    // The program holds them down until it has seen this key long enough.
    for (const latched of Object.values(this.modifiers)) {
      if (latched.state !== 'latched') continue;
      latched.state = 'up';
      this.send(latched.key, false);
      this.showModifier(latched);
    }
  },

  // The program has forgotten every key (the page lost the focus).
  forget() {
    this.pressed.clear();
    for (const modifier of Object.values(this.modifiers)) {
      modifier.state = 'up';
      if (modifier.key) this.showModifier(modifier);
    }
    for (const key of this.element.querySelectorAll('.key.down')) key.classList.remove('down');
  },

  setUp() {
    this.build();
    const keyboard = this.element;
    keyboard.addEventListener('pointerdown', (event) => {
      const key = event.target.closest('.key');
      // No focus, no selection, no mouse events made up after a touch.
      event.preventDefault();
      if (!key || [...this.pressed.values()].includes(key)) return;
      key.setPointerCapture(event.pointerId);
      if (this.press(key)) this.pressed.set(event.pointerId, key);
    });
    const lift = (event) => {
      const key = this.pressed.get(event.pointerId);
      if (!key) return;
      this.pressed.delete(event.pointerId);
      this.release(key);
    };
    for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) keyboard.addEventListener(type, lift);
    keyboard.addEventListener('mousedown', (event) => event.preventDefault());
    keyboard.addEventListener('contextmenu', (event) => event.preventDefault());
    // A press with no pointer (a screen reader's): a tap.
    keyboard.addEventListener('click', (event) => {
      const key = event.target.closest('.key');
      if (event.detail !== 0 || !key) return;
      if (this.press(key)) this.release(key);
    });
  },

  show(shown) {
    this.element.hidden = !shown;
    document.getElementById('keyboard-button').setAttribute('aria-pressed', String(shown));
  },
};

// ---- Saved states -----------------------------------------------------------------

function storedState() {
  return Module.FS.analyzePath(STATE_FILE).exists;
}

// Kept in the browser's storage, and offered as a download.
function saveState() {
  if (!Module.ccall('webSaveState', 'number', ['string'], [STATE_FILE])) {
    showStatus('The state could not be saved.');
    return;
  }
  const bytes = Module.FS.readFile(STATE_FILE);
  Module.FS.syncfs(false, (error) => {
    if (error) showStatus('The browser did not keep the state: ' + error + '. It is still offered as ' + STATE_NAME + '.');
    else showStatus('State saved in this browser, and offered as ' + STATE_NAME + '.', 'done');
  });
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = STATE_NAME;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// A refused state leaves the machine as it was, and says why.
function restoreState(path, what) {
  const reason = Module.ccall('webRestoreState', 'string', ['string'], [path]);
  if (reason) showStatus('Could not restore ' + what + ': ' + reason);
  else showStatus('Restored ' + what + '.', 'done');
}

function restoreStateFile(file) {
  file.arrayBuffer().then((bytes) => {
    const path = FILES_FOLDER + '/restored' + STATE_EXTENSION;
    Module.FS.writeFile(path, new Uint8Array(bytes));
    restoreState(path, file.name);
    Module.FS.unlink(path);
  }, (error) => showStatus('Could not read ' + file.name + ': ' + error.message));
}

// Restore state takes the one kept in the browser; with none kept, and
// from Restore from file… always, the one the user picks.
function setUpStates() {
  const chooser = document.getElementById('state-chooser');
  const pick = () => {
    chooser.value = '';
    chooser.click();
  };
  document.getElementById('save-state-button').addEventListener('click', saveState);
  document.getElementById('restore-state-button').addEventListener('click', () => {
    if (storedState()) restoreState(STATE_FILE, 'the state saved in this browser');
    else pick();
  });
  document.getElementById('state-file-button').addEventListener('click', pick);
  chooser.addEventListener('change', () => {
    if (chooser.files.length > 0) restoreStateFile(chooser.files[0]);
  });
}

// ---- The controls -----------------------------------------------------------------

// Paused, the program runs no frame and the sound stops where it is.
function setPaused(paused) {
  page.paused = paused;
  Module._webPause(paused ? 1 : 0);
  document.getElementById('pause-button').textContent = paused ? 'Resume' : 'Pause';
  page.speaker.pause(paused);
}

function setUpControls() {
  const controls = document.getElementById('controls');
  // A click leaves the focus where it was, so that keys still reach the machine.
  controls.addEventListener('mousedown', (event) => event.preventDefault());
  document.getElementById('reset-button').addEventListener('click', () => {
    Module._webReset();
    if (page.paused) setPaused(false);
  });
  document.getElementById('pause-button').addEventListener('click', () => setPaused(!page.paused));
  document.getElementById('fullscreen-button').addEventListener('click', () => {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (!document.fullscreenEnabled) {
      showStatus('This browser does not show the page full screen.');
    } else {
      document.documentElement.requestFullscreen({ navigationUI: 'hide' })
        .catch((error) => showStatus('No full screen: ' + error.message));
    }
  });
  document.getElementById('keyboard-button').addEventListener('click', () => {
    screenKeyboard.show(screenKeyboard.element.hidden);
  });
  document.getElementById('status').addEventListener('click', (event) => { event.currentTarget.hidden = true; });
}

// ---- A program named in the page's address ------------------------------------------

// index.html?load=URL: the program at URL (relative to the page; another
// site's only where it allows it) loads before frame LINKED_PROGRAM_FRAME,
// as File > Load would. Fetched from the start, while the program loads.
const linkedProgram = (() => {
  const address = new URLSearchParams(location.search).get('load');
  if (!address) return null;
  let url;
  try {
    url = new URL(address, location.href);
  } catch (error) {
    return { address, bytes: Promise.reject(new Error('not an address')) };
  }
  const bytes = fetch(url).then((response) => {
    if (!response.ok) throw new Error('the server answered ' + response.status + ' ' + response.statusText);
    return response.arrayBuffer();
  });
  bytes.catch(() => {});  // answered in loadLinkedProgram
  // The file keeps its own name, in letters the file system takes.
  const last = url.pathname.split('/').pop() || 'program.vz';
  let name;
  try {
    name = decodeURIComponent(last);
  } catch (error) {
    name = last;
  }
  name = name.replace(/[^A-Za-z0-9._-]/g, '_').slice(0, 64);
  return { address, bytes, name: name.replace(/^\.+/, '') || 'program.vz' };
})();

function loadLinkedProgram() {
  if (!linkedProgram) return;
  const refused = (why) => showStatus('Could not load ' + linkedProgram.address + ': ' + why + '.');
  linkedProgram.bytes.then((bytes) => {
    const path = FILES_FOLDER + '/' + linkedProgram.name;
    Module.FS.writeFile(path, new Uint8Array(bytes));
    page.figures.linkedProgramAt = page.figures.framesPresented;
    const reason = Module.ccall('webLoadBeforeFrame', 'string', ['string', 'number'], [path, LINKED_PROGRAM_FRAME]);
    if (reason) refused(reason);
  }, (error) => refused(error.message === 'Failed to fetch' ? 'it could not be fetched' : error.message));
}

// ---- Program files: File > Load and drops --------------------------------------

// The file goes where the loader reads it, and the program is told how it
// came: chosen in the chooser (webFileChosen) or dropped (webFileDropped).
function deliverFile(file, how) {
  file.arrayBuffer().then((bytes) => {
    for (const name of Module.FS.readdir(FILES_FOLDER)) {
      if (name !== '.' && name !== '..') Module.FS.unlink(FILES_FOLDER + '/' + name);
    }
    const path = FILES_FOLDER + '/' + file.name;
    Module.FS.writeFile(path, new Uint8Array(bytes));
    Module.ccall(how, null, ['string'], [path]);
  }, () => Module._webChooserClosed());
}

function setUpProgramFiles() {
  const chooser = document.getElementById('program-chooser');
  chooser.addEventListener('change', () => {
    if (chooser.files.length > 0) deliverFile(chooser.files[0], 'webFileChosen');
    else Module._webChooserClosed();
  });
  chooser.addEventListener('cancel', () => Module._webChooserClosed());
  // A browser without the cancel event: the page gets the focus back when
  // the chooser closes, and a choice is reported by then.
  let closing = 0;
  page.chooserMayHaveClosed = () => {
    clearTimeout(closing);
    closing = setTimeout(() => Module._webChooserClosed(), 1000);
  };

  document.addEventListener('dragover', (event) => {
    if (!event.dataTransfer.types.includes('Files')) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
  });
  document.addEventListener('drop', (event) => {
    if (event.dataTransfer.files.length === 0) return;
    event.preventDefault();
    // A saved state dropped on the page is restored; anything else is a program.
    const file = event.dataTransfer.files[0];
    if (file.name.toLowerCase().endsWith(STATE_EXTENSION)) restoreStateFile(file);
    else deliverFile(file, 'webFileDropped');
  });
}

// ---- Machine files ---------------------------------------------------------------

function machineFileName(which) {
  return Module.UTF8ToString(Module._webMachineFileName(which));
}

function storedMachineFile(which) {
  const found = Module.FS.analyzePath(MACHINE_FOLDER + '/' + machineFileName(which));
  return found.exists ? found.object.usedBytes : -1;
}

// From the browser's storage into the folder, before the program starts.
function mountMachineFolder() {
  Module.FS.mkdir(MACHINE_FOLDER);
  Module.FS.mkdir(FILES_FOLDER);
  Module.FS.mount(Module.FS.filesystems.IDBFS, {}, MACHINE_FOLDER);
  Module.FS.chdir(MACHINE_FOLDER);
  Module.addRunDependency('machine-files');
  Module.FS.syncfs(true, (error) => {
    if (error) console.warn('tessel: the browser keeps no machine files here:', error);
    Module.removeRunDependency('machine-files');
  });
}

// Into the browser's storage, then start again with the new files.
function storeMachineFolderAndRestart() {
  Module.FS.syncfs(false, (error) => {
    if (error) console.warn('tessel: the browser did not keep the machine files:', error);
    location.reload();
  });
}

function setUpMachineFiles() {
  const parts = [
    { which: ROM_FILE_INDEX, what: 'System ROM', builtIn: 'the built-in open ROM', status: 'rom-status',
      button: 'rom-button', chooser: 'rom-chooser' },
    { which: FONT_FILE_INDEX, what: 'Character set', builtIn: 'the built-in open character set',
      status: 'font-status', button: 'font-button', chooser: 'font-chooser' },
  ];
  let anyStored = false;
  for (const part of parts) {
    const name = machineFileName(part.which);
    const size = storedMachineFile(part.which);
    anyStored = anyStored || size >= 0;
    document.getElementById(part.status).textContent = part.what + ': ' +
      (size >= 0 ? 'your ' + name + ' (' + size.toLocaleString('en') + ' bytes)' : part.builtIn);
    const button = document.getElementById(part.button);
    button.textContent = 'Use my own ' + name + '…';
    const chooser = document.getElementById(part.chooser);
    button.addEventListener('click', () => {
      chooser.value = '';
      chooser.click();
    });
    chooser.addEventListener('change', () => {
      if (chooser.files.length === 0) return;
      chooser.files[0].arrayBuffer().then((bytes) => {
        Module.FS.writeFile(MACHINE_FOLDER + '/' + name, new Uint8Array(bytes));
        storeMachineFolderAndRestart();
      });
    });
  }
  const forget = document.getElementById('forget-button');
  forget.disabled = !anyStored;
  forget.addEventListener('click', () => {
    for (const part of parts) {
      if (storedMachineFile(part.which) >= 0) Module.FS.unlink(MACHINE_FOLDER + '/' + machineFileName(part.which));
    }
    storeMachineFolderAndRestart();
  });
}

// ---- Sound -----------------------------------------------------------------------

page.speaker = {
  sampleRate: 0,   // 0 while closed
  context: null,
  node: null,      // the audio thread's end, once it runs
  sent: 0,
  taken: 0,

  open(sampleRate) {
    // The audio thread is there only for pages from https or localhost.
    if (!window.AudioContext || !window.AudioWorkletNode) return false;
    this.sampleRate = sampleRate;
    return true;
  },

  // Browsers let a page make sound only after the user's first key or
  // click; until then the samples go nowhere and nothing is queued.
  start() {
    if (page.paused) return;
    if (this.context && this.context.state === 'suspended') this.context.resume();
    if (!this.sampleRate || this.context) return;
    const context = new AudioContext({ sampleRate: this.sampleRate, latencyHint: 'interactive' });
    this.context = context;
    context.audioWorklet.addModule('speaker_worklet.js').then(() => {
      if (this.context !== context) return;
      const node = new AudioWorkletNode(context, 'tessel-speaker',
                                        { numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [1] });
      node.port.onmessage = (event) => {
        this.taken = event.data.taken;
        page.figures.soundSamplesReceived = event.data.received;
      };
      node.connect(context.destination);
      this.node = node;
    }, (error) => console.warn('tessel: no sound:', error));
  },

  // Paused, the sound card plays nothing and what is queued waits.
  pause(paused) {
    if (!this.context) return;
    if (paused) this.context.suspend();
    else this.context.resume();
  },

  queue(samples) {
    if (!this.node) return;
    const copy = Int16Array.from(samples);
    this.sent += copy.length;
    this.node.port.postMessage(copy, [copy.buffer]);  // which empties copy
  },

  queued() {
    return this.node ? Math.max(0, this.sent - this.taken) : 0;
  },

  close() {
    if (this.context) this.context.close();
    this.context = null;
    this.node = null;
    this.sampleRate = 0;
  },
};

// ---- The loop ----------------------------------------------------------------------

// The message loop's passes run from the animation-frame callback. At 50
// frames a second against a display's 60 or more, a frame's deadline mostly
// falls between two callbacks, and as each period starts from the reading
// that saw the deadline, waiting for the next callback would make every
// frame late and the rate drop towards 30. So a deadline nearer than the
// next callback gets a wake-up of its own: a timer to just short of it,
// then turns that yield to the browser until it has come.
const TIMER_EARLY_MS = 2;
let loopEnded = false;
let displayFrameMs = 1000 / 60;
let lastAnimationFrame = 0;
let wakeArmed = false;
const yielding = new MessageChannel();

function runDuePasses() {
  const started = performance.now();
  const presented = page.figures.framesPresented;
  loopEnded = !Module._webRunDuePasses();
  if (page.figures.framesPresented !== presented) {
    page.figures.frameSteps += 1;
    page.figures.frameStepMilliseconds += performance.now() - started;
  }
}

// A deadline already past is one the last passes could not meet (the file
// chooser holds the frames back, or a frame took longer than its period):
// the next callback sees to it.
function armWake() {
  if (wakeArmed || loopEnded) return;
  const untilFrame = Module._webMillisecondsToFrame();
  if (untilFrame <= 0 || untilFrame > displayFrameMs) return;
  wakeArmed = true;
  setTimeout(awaitDeadline, Math.max(0, untilFrame - TIMER_EARLY_MS));
}

function awaitDeadline() {
  if (Module._webMillisecondsToFrame() > 0) {
    yielding.port2.postMessage(0);
    return;
  }
  wakeArmed = false;
  runDuePasses();
  armWake();
}
yielding.port1.onmessage = awaitDeadline;

function onAnimationFrame(time) {
  if (loopEnded) return;
  // A hidden page gets no callbacks: the gap after it is no display frame.
  const interval = time - lastAnimationFrame;
  if (lastAnimationFrame && interval < 100) displayFrameMs = 0.9 * displayFrameMs + 0.1 * interval;
  lastAnimationFrame = time;
  requestAnimationFrame(onAnimationFrame);
  runDuePasses();
  armWake();
}

// After main() has started the emulator.
function startPasses() {
  setUpProgramFiles();
  setUpMachineFiles();
  setUpControls();
  setUpStates();
  screenKeyboard.setUp();
  // Shown at the start where the screen is touched rather than pointed at.
  screenKeyboard.show(!matchMedia('(pointer: fine)').matches);
  loadLinkedProgram();
  window.addEventListener('keydown', onKey);
  window.addEventListener('keyup', onKey);
  window.addEventListener('pointerdown', () => page.speaker.start());
  if (!document.hasFocus()) Module._webFocus(0);
  requestAnimationFrame(onAnimationFrame);
}

var Module = {
  page: page,
  preRun: [mountMachineFolder],
  postRun: [startPasses],
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
