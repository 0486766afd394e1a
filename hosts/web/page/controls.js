// The bar of controls: Reset, Pause, Full screen and Keyboard (the saved
// states' buttons are states.js's).
'use strict';

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
    forgetLinkedProgram();
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
