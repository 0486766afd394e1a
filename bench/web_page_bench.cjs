// Figures of the browser page in Debian's headless chromium, printed by
// `cmake --build build --target bench_web` (after the web tests' setup has
// built the page): the size of each of its files, the time from the start
// of loading to the first frame (three fresh browsers), and over ten
// seconds the frames a second and the time of one frame step.
'use strict';
const fs = require('fs');
const path = require('path');
const lib = require('../tests/web/web_lib.cjs');

const ROUNDS = 3;
const SECONDS = 10;

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[sorted.length >> 1];
}

lib.runTest(async () => {
  let total = 0;
  for (const name of fs.readdirSync(lib.env.WEB_PAGE).sort()) {
    const size = fs.statSync(path.join(lib.env.WEB_PAGE, name)).size;
    total += size;
    console.log(name.padEnd(20) + String(size).padStart(9) + ' bytes');
  }
  console.log('the page'.padEnd(20) + String(total).padStart(9) + ' bytes');

  const firstFrames = [];
  let session = null;
  for (let round = 0; round < ROUNDS; ++round) {
    if (session) await lib.closeBrowser(session);
    session = await lib.openPage();
    firstFrames.push((await lib.figures(session.page)).firstFrameAt);
  }
  console.log('first frame         ' + median(firstFrames).toFixed(0).padStart(9) + ' ms after loading began ' +
              '(median of ' + firstFrames.map((ms) => ms.toFixed(0)).join(', ') + ')');

  const page = session.page;
  const before = await lib.figures(page);
  const started = Date.now();
  await page.waitForTimeout(SECONDS * 1000);
  const after = await lib.figures(page);
  const seconds = (Date.now() - started) / 1000;
  const frames = after.framesPresented - before.framesPresented;
  const stepMs = (after.frameStepMilliseconds - before.frameStepMilliseconds) / (after.frameSteps - before.frameSteps);
  console.log('frames a second     ' + (frames / seconds).toFixed(2).padStart(9) + ' (' + frames + ' in ' +
              seconds.toFixed(1) + ' s)');
  console.log('one frame step      ' + stepMs.toFixed(3).padStart(9) + ' ms (machine, sound, picture, canvas)');
});
