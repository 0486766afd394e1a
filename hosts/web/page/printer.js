// The machine's printer on the page (BASIC's LPRINT and LLIST): the
// machine keeps only what its last frame printed, so after every frame
// (loop.js) the page adds that to its paper here, the text printed so far.
// It is kept on the page, which shows it and offers it as a file; the
// program hands over each frame's text once. The paper keeps the last
// PRINTER_PAPER_LIMIT characters, whole lines, and drops older ones.
// The Printer panel shows it, with Download and Clear.
'use strict';

const PRINTER_PAPER_LIMIT = 256 * 1024;
const PRINTER_FILE = 'tessel-printer.txt';

const pagePrinter = {
  element: document.getElementById('printer'),
  sheet: document.getElementById('printer-paper'),
  paper: '',
  dropped: false,  // older lines have gone
  drawn: null,     // the paper as the panel shows it

  // After each frame the machine ran.
  frameRan() {
    const length = Module._webPrintedLength();
    if (length === 0) return;
    this.paper += Module.UTF8ToString(Module._webPrintedText(), length);
    if (this.paper.length > PRINTER_PAPER_LIMIT) {
      const lineEnd = this.paper.indexOf('\n', this.paper.length - PRINTER_PAPER_LIMIT - 1);
      this.paper = this.paper.slice(lineEnd >= 0 ? lineEnd + 1 : this.paper.length - PRINTER_PAPER_LIMIT);
      this.dropped = true;
    }
    this.draw();
  },

  // The paper follows what is printed while it is scrolled to its end.
  draw() {
    if (this.element.hidden || this.drawn === this.paper) return;
    const sheet = this.sheet;
    const atEnd = sheet.scrollTop + sheet.clientHeight >= sheet.scrollHeight - 2;
    sheet.textContent = this.paper;
    if (atEnd) sheet.scrollTop = sheet.scrollHeight;
    this.drawn = this.paper;
    const lines = (this.paper.match(/\n/g) || []).length;
    document.getElementById('printer-note').textContent = 'Printer: ' +
      (this.paper === '' ? 'nothing printed yet' : lines + (lines === 1 ? ' line' : ' lines')) +
      (this.dropped ? ', the last ' + PRINTER_PAPER_LIMIT.toLocaleString('en') + ' characters' : '');
    for (const id of ['printer-download', 'printer-clear']) document.getElementById(id).disabled = this.paper === '';
  },

  download() {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([this.paper], { type: 'text/plain' }));
    link.download = PRINTER_FILE;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  },

  clear() {
    this.paper = '';
    this.dropped = false;
    this.draw();
  },

  show(shown) {
    this.element.hidden = !shown;
    document.getElementById('printer-button').setAttribute('aria-pressed', String(shown));
    this.draw();
  },

  setUp() {
    document.getElementById('printer-button').addEventListener('click', () => this.show(this.element.hidden));
    document.getElementById('printer-download').addEventListener('click', () => this.download());
    document.getElementById('printer-clear').addEventListener('click', () => this.clear());
    // A click leaves the focus where it was, so that keys still reach the machine.
    this.element.querySelector('.printer-bar').addEventListener('mousedown', (event) => event.preventDefault());
  },
};
