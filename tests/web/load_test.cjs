// File > Load opens the browser's file chooser for .vz files; the chosen
// program is loaded as on the desktop and runs from its load address. A
// file dropped onto the page, and one chosen in Run program…, is launched
// as tessel-run --run launches it. A snapshot that tessel-run wrote
// restores in the page to tessel-run's picture of it.
'use strict';
const childProcess = require('child_process');
const path = require('path');
const lib = require('./web_lib.cjs');
const { check, env } = lib;

lib.runTest(async () => {
  const bars = path.join(env.TEST_PROGRAMS, 'graphics_bars.vz');
  const hello = path.join(env.TEST_PROGRAMS, 'hello_text.vz');
  const { page } = await lib.openPage();
  await lib.waitForPicture(page, lib.referencesBothPhases([], 150), 'the open ROM booted');

  const chooser = await lib.chooseFile(page, () => lib.chooseMenuItem(page, 'File', 'Load'), bars);
  check(await chooser.element().getAttribute('accept') === '.vz', 'the chooser does not offer .vz files');
  await lib.waitForPicture(page, [lib.reference(['--load', bars, '--frames', '150'])], 'graphics_bars loaded');
  await lib.screenshot(page, 'chosen');
  console.log('File > Load, graphics_bars.vz chosen: the picture of tessel-run --load');

  await lib.dropFile(page, hello);
  await lib.waitForPicture(page, [lib.reference(['--run', hello, '--frames', '150'])], 'hello_text launched');
  await lib.screenshot(page, 'dropped');
  console.log('hello_text.vz dropped: the picture of tessel-run --run');

  await lib.chooseFile(page, () => page.click('#run-button'), bars);
  await lib.waitForPicture(page, [lib.reference(['--run', bars, '--frames', '150'])], 'graphics_bars launched');
  console.log('Run program…, graphics_bars.vz chosen: the picture of tessel-run --run');

  const state = lib.writeFile('native.tstate', '');
  childProcess.execFileSync(env.TESSEL_RUN, ['--fast', '--type', 'D 0\\n', '--frames', '200', '--save-state', state],
                            { cwd: path.dirname(state), stdio: 'ignore' });
  await lib.chooseFile(page, () => page.getByRole('button', { name: 'Restore from file…' }).click(), state);
  await lib.waitForPicture(page, [lib.reference(['--type', 'D 0\\n', '--frames', '200']),
                                  lib.reference(['--load-state', state, '--frames', '16'])], 'the restored snapshot');
  console.log('a snapshot of tessel-run restored: the picture of tessel-run');
});
