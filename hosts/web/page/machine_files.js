// The machine files: the user's own system ROM and character set, kept in
// the browser's storage. The program runs in their folder and reads them
// from there, as from its current directory on the desktop, and uses its
// built-in open ones where there are none.
'use strict';

const MACHINE_FOLDER = '/machine';

// What webMachineFileName names.
const ROM_FILE_INDEX = 0;
const FONT_FILE_INDEX = 1;

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
