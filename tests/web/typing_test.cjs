// Real key events by their KeyboardEvent.code reach the machine as the
// desktop's keys do: "D 38" and Return give tessel-run --type's picture;
// the page keeps the machine's keys from the browser and leaves it every
// other key, which types nothing; and keys reach the machine only while
// the page has the focus.
'use strict';
const lib = require('./web_lib.cjs');
const { check } = lib;

const COMMAND = ['KeyD', 'Space', 'Digit3', 'Digit8', 'Enter'];
const NOT_THE_MACHINES = ['F1', 'Tab', 'ShiftRight', 'ControlRight', 'Numpad4', 'Home', 'Escape'];

lib.runTest(async () => {
  const { page } = await lib.openPage();
  await lib.waitForPicture(page, lib.referencesBothPhases([], 150), 'the open ROM booted');

  // Which keys the page kept from the browser, as a listener after its own sees.
  await page.evaluate(() => {
    window.keptFromBrowser = {};
    window.addEventListener('keydown', (event) => { keptFromBrowser[event.code] = event.defaultPrevented; });
  });
  for (const code of COMMAND) await lib.holdKey(page, code);
  for (const code of NOT_THE_MACHINES) await lib.holdKey(page, code);
  const typed = lib.referencesBothPhases(['--type', 'D 38\\n'], 150);
  await lib.waitForPicture(page, typed, 'D 38 typed');
  await lib.screenshot(page, 'd-38');
  console.log('D 38 and Return: the picture of tessel-run --type "D 38\\n"');

  const kept = await page.evaluate(() => keptFromBrowser);
  for (const code of COMMAND) check(kept[code] === true, code + ' reached the browser');
  for (const code of NOT_THE_MACHINES) check(kept[code] === false, code + ' was kept from the browser');
  console.log('machine keys kept from the browser; ' + NOT_THE_MACHINES.join(' ') + ' left to it, typing nothing');

  // Another window in front: keys pressed meanwhile do not reach the machine.
  await page.evaluate(() => window.dispatchEvent(new Event('blur')));
  await lib.holdKey(page, 'KeyX');
  await page.evaluate(() => window.dispatchEvent(new Event('focus')));
  await lib.holdKey(page, 'KeyZ');
  const afterFocus = lib.referencesBothPhases(['--type', 'D 38\\nZ'], 200);
  await lib.waitForPicture(page, afterFocus, 'only Z typed after the focus came back');
  console.log('X while the page had no focus typed nothing; Z after it came back did');
});
