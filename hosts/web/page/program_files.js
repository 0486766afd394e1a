// Program files: File > Load's chooser and files dropped on the page.
'use strict';

// The program file chosen or dropped last.
const FILES_FOLDER = '/files';

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

// A browser without the chooser's cancel event: the page gets the focus
// back when the chooser closes, and a choice is reported by then.
let chooserClosing = 0;

function chooserMayHaveClosed() {
  clearTimeout(chooserClosing);
  chooserClosing = setTimeout(() => Module._webChooserClosed(), 1000);
}

function setUpProgramFiles() {
  const chooser = document.getElementById('program-chooser');
  chooser.addEventListener('change', () => {
    if (chooser.files.length > 0) deliverFile(chooser.files[0], 'webFileChosen');
    else Module._webChooserClosed();
  });
  chooser.addEventListener('cancel', () => Module._webChooserClosed());

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
