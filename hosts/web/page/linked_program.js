// A program named in the page's address: index.html?load=URL, the program
// at URL (relative to the page; another site's only where it allows it),
// loads before the frame the program names (webProgramStartFrame), as
// tessel-run --load loads before its --load-at and as File > Load would.
// Fetched from the start, while the program loads.
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
    const frame = Module._webProgramStartFrame();
    const reason = Module.ccall('webLoadBeforeFrame', 'string', ['string', 'number'], [path, frame]);
    if (reason) refused(reason);
  }, (error) => refused(error.message === 'Failed to fetch' ? 'it could not be fetched' : error.message));
}
