// Program files: File > Load's chooser (the plain load), Run program… and
// a program dropped on the page (launched as its users ran it), Save
// program (BASIC's program as a download), and where each dropped file goes.
'use strict';

// The program file chosen or dropped last.
const FILES_FOLDER = '/files';
// Files the page writes only to read them back at once.
const SCRATCH_FOLDER = '/tmp';
const PROGRAM_EXTENSION = '.vz';
const UNNAMED_PROGRAM = 'program' + PROGRAM_EXTENSION;

// The name Save program gives BASIC's program: the last launched file's.
let launchedName = UNNAMED_PROGRAM;

// The file alone in FILES_FOLDER, in its own name; its path.
function putFile(file) {
  return file.arrayBuffer().then((bytes) => {
    for (const name of Module.FS.readdir(FILES_FOLDER)) {
      if (name !== '.' && name !== '..') Module.FS.unlink(FILES_FOLDER + '/' + name);
    }
    const path = FILES_FOLDER + '/' + file.name;
    Module.FS.writeFile(path, new Uint8Array(bytes));
    return path;
  });
}

// File > Load's answer: the program is told the chosen file's path.
function deliverChosenFile(file) {
  putFile(file).then((path) => Module.ccall('webFileChosen', null, ['string'], [path]),
                     () => Module._webChooserClosed());
}

// What webLaunchProgram answers when nothing changed; anything else it
// answers is a note on a program that went in as data.
const LAUNCH_REFUSED = 'could not be launched';

// Launches the program at path (shown as name): a machine-code program
// runs, a BASIC program gets RUN typed; anything else says on the status
// line what became of it.
function launchProgramAt(path, name) {
  const line = Module.ccall('webLaunchProgram', 'string', ['string'], [path]);
  if (!line || !line.startsWith(LAUNCH_REFUSED)) {
    launchedName = path.split('/').pop().replace(/(\.[^.]*)?$/, PROGRAM_EXTENSION);
  }
  if (line) showStatus(name + ' ' + line + '.', line.startsWith(LAUNCH_REFUSED) ? 'error' : 'note');
  else document.getElementById('status').hidden = true;
}

function launchFile(file) {
  putFile(file).then((path) => launchProgramAt(path, file.name),
                     (error) => showStatus('Could not read ' + file.name + ': ' + error.message + '.'));
}

// Offers the bytes as a download of that name.
function offerDownload(bytes, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// The file written at a scratch path by write (null when written, else why
// not) and offered as a download of that name; a refusal says why.
function offerWrittenFile(name, what, write) {
  const path = SCRATCH_FOLDER + '/' + name;
  const reason = write(path);
  if (reason) {
    showStatus('Could not save ' + what + ': ' + reason + '.');
    return;
  }
  offerDownload(Module.FS.readFile(path), name);
  Module.FS.unlink(path);
  showStatus(what[0].toUpperCase() + what.slice(1) + ' offered as ' + name + '.', 'done');
}

function saveProgram() {
  offerWrittenFile(launchedName, "BASIC's program",
                   (path) => Module.ccall('webSaveProgram', 'string', ['string'], [path]));
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
    if (chooser.files.length > 0) deliverChosenFile(chooser.files[0]);
    else Module._webChooserClosed();
  });
  chooser.addEventListener('cancel', () => Module._webChooserClosed());

  const runChooser = document.getElementById('run-chooser');
  document.getElementById('run-button').addEventListener('click', () => {
    runChooser.value = '';
    runChooser.click();
  });
  runChooser.addEventListener('change', () => {
    if (runChooser.files.length > 0) launchFile(runChooser.files[0]);
  });
  document.getElementById('save-program-button').addEventListener('click', saveProgram);

  document.addEventListener('dragover', (event) => {
    if (!event.dataTransfer.types.includes('Files')) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
  });
  document.addEventListener('drop', (event) => {
    if (event.dataTransfer.files.length === 0) return;
    event.preventDefault();
    // A saved state is restored, a tape goes into the recorder, and
    // anything else is a program.
    const file = event.dataTransfer.files[0];
    if (file.name.toLowerCase().endsWith(STATE_EXTENSION)) restoreStateFile(file);
    else if (tape.takes(file.name)) tape.insert(file);
    else launchFile(file);
  });
}
