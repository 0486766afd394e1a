// The cassette recorder on the page: a tape (.cvz, or a .wav recording of
// one) inserted from its chooser or dropped on the page, the deck's keys,
// where the tape stands, and the last recording offered as .cvz or .wav.
// While a tape plays the loop runs the machine as fast as it can, silent
// (loop.js), unless Fast is unticked. The deck itself is the machine's
// (hosts/web/page_tape.cpp).
'use strict';

// What webTapeKey takes.
const TAPE_KEYS = { play: 0, stop: 1, rewind: 2, record: 3, stopRecording: 4 };
const TAPE_EXTENSIONS = ['.cvz', '.wav'];
const RECORDING_NAME = 'recording';

// mm:ss
function tapeTime(milliseconds) {
  const seconds = Math.floor(milliseconds / 1000);
  return String(Math.floor(seconds / 60)).padStart(2, '0') + ':' + String(seconds % 60).padStart(2, '0');
}

// A button of the recorder: its symbol, and its word (shown where there is
// room, and its name).
function labelTapeButton(id, symbol, word) {
  const button = document.getElementById(id);
  button.setAttribute('aria-label', word);
  button.firstElementChild.textContent = symbol;
  button.lastElementChild.textContent = ' ' + word;
}

const tape = {
  element: document.getElementById('tape'),
  fast: true,
  drawn: '',  // the deck's status as last drawn

  takes(name) {
    return TAPE_EXTENSIONS.some((extension) => name.toLowerCase().endsWith(extension));
  },

  // A refused tape leaves the deck as it was, and says why.
  insert(file) {
    this.show(true);
    file.arrayBuffer().then((bytes) => {
      const path = SCRATCH_FOLDER + '/tape';
      Module.FS.writeFile(path, new Uint8Array(bytes));
      const reason = Module.ccall('webInsertTape', 'string', ['string'], [path]);
      Module.FS.unlink(path);
      if (reason) {
        showStatus('Could not insert ' + file.name + ': ' + reason + '.');
        return;
      }
      document.getElementById('tape-name').textContent = file.name;
      document.getElementById('status').hidden = true;
      this.draw();
    }, (error) => showStatus('Could not read ' + file.name + ': ' + error.message + '.'));
  },

  key(name) {
    Module._webTapeKey(TAPE_KEYS[name]);
    this.draw();
  },

  // Whether the loop runs frames as fast as it can.
  runsFast() {
    return this.fast && !page.paused && Module._webTapePlaying() !== 0;
  },

  // The deck now: its line (webTapeStatus), and the line's numbers.
  status() {
    const line = Module.UTF8ToString(Module._webTapeStatus());
    const [playing, recording, full, position, length, recorded] = line.split(' ').map(Number);
    return { line, playing, recording, full, position, length, recorded };
  },

  // Each animation frame: the deck as it now stands, while it is shown.
  draw() {
    if (this.element.hidden) return;
    const { line, playing, recording, full, position, length, recorded } = this.status();
    if (line === this.drawn) return;
    this.drawn = line;
    labelTapeButton('tape-play', playing ? '■' : '▶', playing ? 'Stop' : 'Play');
    labelTapeButton('tape-record', recording ? '■' : '●', recording ? 'Stop recording' : 'Record');
    document.getElementById('tape-position').textContent = tapeTime(position) + ' / ' + tapeTime(length);
    const recordedLine = document.getElementById('tape-recorded');
    recordedLine.textContent = recorded || recording
      ? (recording ? 'REC ' : 'Recorded ') + tapeTime(recorded) + (full ? ' (full)' : '') : '';
    recordedLine.classList.toggle('recording', recording === 1);
    for (const id of ['tape-save-cvz', 'tape-save-wav']) document.getElementById(id).disabled = recording || !recorded;
  },

  save(extension) {
    offerWrittenFile(RECORDING_NAME + extension, 'the recording',
                     (path) => Module.ccall('webWriteTapeRecording', 'string', ['string'], [path]));
  },

  show(shown) {
    this.element.hidden = !shown;
    document.getElementById('tape-button').setAttribute('aria-pressed', String(shown));
    this.drawn = '';
    this.draw();
  },

  setUp() {
    const chooser = document.getElementById('tape-chooser');
    // A click leaves the focus where it was, so that keys still reach the machine.
    this.element.addEventListener('mousedown', (event) => event.preventDefault());
    document.getElementById('tape-button').addEventListener('click', () => this.show(this.element.hidden));
    document.getElementById('tape-insert').addEventListener('click', () => {
      chooser.value = '';
      chooser.click();
    });
    chooser.addEventListener('change', () => {
      if (chooser.files.length > 0) this.insert(chooser.files[0]);
    });
    document.getElementById('tape-play').addEventListener('click', () => this.key(this.status().playing ? 'stop' : 'play'));
    document.getElementById('tape-rewind').addEventListener('click', () => this.key('rewind'));
    document.getElementById('tape-record').addEventListener('click', () => {
      this.key(this.status().recording ? 'stopRecording' : 'record');
    });
    const fast = document.getElementById('tape-fast');
    fast.addEventListener('change', () => { this.fast = fast.checked; });
    document.getElementById('tape-save-cvz').addEventListener('click', () => this.save('.cvz'));
    document.getElementById('tape-save-wav').addEventListener('click', () => this.save('.wav'));
  },
};
