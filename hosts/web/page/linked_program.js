// A program named in the page's address: index.html?load=URL, the program
// at URL (relative to the page; another site's only where it allows it),
// launches before the frame the program names (webProgramStartFrame), as
// tessel-run --run launches before its --load-at and as a drop would:
// BASIC's pointers set and RUN typed, machine code run, anything else
// loaded as data with a line that says so. Fetched from the start, while
// the machine boots.
'use strict';

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
  const last = url.pathname.split('/').pop() || UNNAMED_PROGRAM;
  let name;
  try {
    name = decodeURIComponent(last);
  } catch (error) {
    name = last;
  }
  name = name.replace(/[^A-Za-z0-9._-]/g, '_').slice(0, 64);
  return { address, bytes, name: name.replace(/^\.+/, '') || UNNAMED_PROGRAM };
})();

// The fetched program's path while it waits for its frame.
let linkedProgramPath = null;

function loadLinkedProgram() {
  if (!linkedProgram) return;
  const refused = (why) => showStatus('Could not load ' + linkedProgram.address + ': ' + why + '.');
  linkedProgram.bytes.then((bytes) => {
    const path = FILES_FOLDER + '/' + linkedProgram.name;
    Module.FS.writeFile(path, new Uint8Array(bytes));
    page.figures.linkedProgramAt = page.figures.framesPresented;
    const reason = Module.ccall('webLinkedProgramRefusal', 'string', ['string'], [path]);
    if (reason) refused(reason);
    else linkedProgramPath = path;
  }, (error) => refused(error.message === 'Failed to fetch' ? 'it could not be fetched' : error.message));
}

// Before each of the loop's passes: launched once the frame before its own
// has run (the passes run one frame at most).
function launchLinkedProgramWhenDue() {
  if (!linkedProgramPath || Module._webFramesRun() + 1 < Module._webProgramStartFrame()) return;
  launchProgramAt(linkedProgramPath, linkedProgram.address);
  linkedProgramPath = null;
}

// It was meant for the machine that a reset or a restored state replaced.
function forgetLinkedProgram() {
  linkedProgramPath = null;
}
