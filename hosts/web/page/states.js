// Saved states: the machine's state kept in the browser's storage beside
// the machine files, offered as a download, and restored from there or
// from a file the user picks or drops.
'use strict';

const STATE_NAME = 'tessel.tstate';
const STATE_FILE = MACHINE_FOLDER + '/' + STATE_NAME;
const STATE_EXTENSION = '.tstate';

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
  offerDownload(bytes, STATE_NAME);
}

// A refused state leaves the machine as it was, and says why.
function restoreState(path, what) {
  const reason = Module.ccall('webRestoreState', 'string', ['string'], [path]);
  if (reason) {
    showStatus('Could not restore ' + what + ': ' + reason);
    return;
  }
  forgetLinkedProgram();
  showStatus('Restored ' + what + '.', 'done');
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
