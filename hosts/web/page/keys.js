// The computer's keys and the page's focus: each key by its place
// (KeyboardEvent.code) to the program, which says whether the machine reads
// it; a key it does not read keeps its meaning in the browser.
'use strict';

function onKey(event) {
  page.speaker.start();
  const down = event.type === 'keydown';
  if (Module.ccall('webKey', 'number', ['string', 'number'], [event.code, down ? 1 : 0])) {
    event.preventDefault();
  }
}

window.addEventListener('focus', () => {
  Module._webFocus(1);
  chooserMayHaveClosed();
});
window.addEventListener('blur', () => {
  // The program forgets every key, the page's own ones too.
  Module._webFocus(0);
  screenKeyboard.drawKeys();
});

function setUpKeys() {
  window.addEventListener('keydown', onKey);
  window.addEventListener('keyup', onKey);
}
