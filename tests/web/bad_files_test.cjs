// Files that are not programs, chosen in File > Load: an empty file and one
// of 10 bytes (shorter than the header) change nothing; 10 MB of noise is
// loaded as far as memory goes, as on the desktop. The page runs on: its
// picture is tessel-run's after the same load, the cursor blinks, and a
// dump of the noise's load address shows what tessel-run's shows.
'use strict';
const lib = require('./web_lib.cjs');
const { check } = lib;

const NOISE_BYTES = 10 * 1024 * 1024;
const TYPE_OFFSET = 21;
const MACHINE_CODE = 0xf1;
const ADDRESS_OFFSET = 22;
// The open ROM keeps its variables and stack below this: noise loaded above
// it leaves the ROM running, so the picture does not depend on the moment.
const FIRST_FREE_ADDRESS = 0x7a00;

// Noise from a fixed seed; the first seed whose header loads it above the
// ROM's memory and does not start it.
function noise() {
  for (let seed = 1; ; ++seed) {
    let state = seed;
    const bytes = Buffer.alloc(NOISE_BYTES);
    for (let i = 0; i < NOISE_BYTES; ++i) {
      state = (Math.imul(state, 1103515245) + 12345) >>> 0;
      bytes[i] = state >>> 24;
    }
    if (bytes[TYPE_OFFSET] !== MACHINE_CODE && bytes.readUInt16LE(ADDRESS_OFFSET) >= FIRST_FREE_ADDRESS) return bytes;
  }
}

lib.runTest(async () => {
  const files = [
    ['empty', lib.writeFile('empty.vz', Buffer.alloc(0))],
    ['10 bytes', lib.writeFile('ten.vz', Buffer.from('VZF0short!'))],
    ['10 MB of noise', lib.writeFile('noise.vz', noise())],
  ];
  const { page, messages } = await lib.openPage();
  await lib.waitForPicture(page, lib.referencesBothPhases([], 150), 'the open ROM booted');
  for (const [what, file] of files) {
    await lib.chooseFile(page, () => lib.chooseMenuItem(page, 'File', 'Load'), file);
    const loaded = lib.referencesBothPhases(['--load', file], 200);
    await lib.waitForPicture(page, [loaded[0]], 'the cursor lit after ' + what);
    await lib.waitForPicture(page, [loaded[1]], 'the cursor dark after ' + what);
    console.log(what + ': the picture of tessel-run --load, and the cursor blinks on');
  }
  const noiseFile = files[2][1];
  const dump = 'D ' + require('fs').readFileSync(noiseFile).readUInt16LE(ADDRESS_OFFSET).toString(16).toUpperCase() + '\n';
  await lib.typeText(page, dump);
  const dumped = lib.referencesBothPhases(['--load', noiseFile, '--type-at', '150', '--type', dump], 250);
  await lib.waitForPicture(page, dumped, 'the dump of the noise');
  await lib.screenshot(page, 'noise-dump');
  console.log(dump.trim() + ': the noise in memory as tessel-run has it');
  check(!messages.some((m) => m.startsWith('page error')), messages.join('\n'));
});
