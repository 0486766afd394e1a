// The page on a phone (the browser's emulation of one, with touch): the
// machine's keyboard is shown, every key a button named by its legend;
// tapping "D 0" and RETURN gives tessel-run --type's picture, a quick tap
// types one character, SHIFT typed alone or held by a second finger
// shifts the next key, and a combination key presses CTRL with its key.
// The controls do what they say: Pause holds the picture and the sound,
// Resume goes on, Save state and Restore state keep and bring back the
// machine, Reset boots again, Keyboard hides and shows the keys,
// Full screen fills the screen. Upright and sideways, with the cassette
// recorder shown, nothing scrolls and the keys are a finger tall; on a
// computer the keys take mouse clicks,
// and nothing takes the focus from the page.
'use strict';
const fs = require('fs');
const lib = require('./web_lib.cjs');
const { check } = lib;

const MIN_KEY_HEIGHT = 40;
const SNAPSHOT_SIZE = 42896;

function key(page, name) {
  return page.getByRole('button', { name, exact: true });
}

async function keyCentre(page, name) {
  const box = await key(page, name).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// Once the machine has let every key of the page go, and a key's release
// time has gone by, the next tap is a new key.
async function keysLetGo(page) {
  await page.waitForFunction(() => Module._webScreenKeysDown() === 0);
  const frames = (await lib.figures(page)).framesPresented;
  await lib.waitForFrames(page, frames + 3);
}

// A latched SHIFT stays down: nothing to wait for.
async function tap(page, name, { latches = false } = {}) {
  const { x, y } = await keyCentre(page, name);
  await page.touchscreen.tap(x, y);
  if (!latches) await keysLetGo(page);
}

// The names of the keys in the machine's table (machine/key_table.cpp), as
// the program lists them for the page.
async function keyNames(page) {
  return page.evaluate(() => Module.UTF8ToString(Module._webKeyboardLayout()).trimEnd().split('\n')
    .map((line) => line.split('\t')[6]));
}

// Every key a button of its name, a finger tall, and the page not scrolled.
async function checkLayout(page, name) {
  const names = await keyNames(page);
  const layout = await page.evaluate(() => ({
    keys: [...document.querySelectorAll('#keyboard button')].map((b) => [b.getAttribute('aria-label'),
                                                                         b.getBoundingClientRect().height]),
    scrolls: document.scrollingElement.scrollHeight > innerHeight || document.scrollingElement.scrollWidth > innerWidth,
    keyboard: document.getElementById('keyboard').getBoundingClientRect(),
    screen: document.getElementById('screen').getBoundingClientRect(),
    height: innerHeight,
  }));
  check(JSON.stringify(layout.keys.map(([n]) => n)) === JSON.stringify(names), 'keys ' + layout.keys.map(([n]) => n));
  check(layout.keys.every(([, height]) => height >= MIN_KEY_HEIGHT), name + ': a key under 40 pixels tall');
  check(!layout.scrolls, name + ': the page scrolls');
  check(layout.screen.bottom <= layout.height && layout.keyboard.bottom <= layout.height, name + ': something is off screen');
  await lib.screenshot(page, name);
  console.log(name + ': picture ' + layout.screen.width + 'x' + layout.screen.height + ' at ' + layout.screen.x + ',' +
              layout.screen.y + '; keys ' + layout.keys[0][1] + ' px tall; nothing scrolls');
}

lib.runTest(async () => {
  const { browser, page } = await lib.openPage(null, { contextOptions: lib.PHONE });
  await lib.waitForPicture(page, lib.referencesBothPhases([], 150), 'the open ROM booted');
  for (const name of await keyNames(page)) check(await key(page, name).count() === 1, 'no single key named ' + name);
  await key(page, 'Tape').tap();
  await checkLayout(page, 'portrait');

  // A quick tap (down and up at once) is one D; then " 0" and RETURN.
  await tap(page, 'D');
  await lib.waitForPicture(page, lib.referencesBothPhases(['--type', 'D'], 150), 'one D after a quick tap');
  for (const name of ['Space', '0', 'Return']) await tap(page, name);
  await lib.waitForPicture(page, lib.referencesBothPhases(['--type', 'D 0\\n'], 200), 'D 0 typed on the keys');
  console.log('a quick tap typed one D; D 0 RETURN tapped: the picture of tessel-run --type "D 0\\n"');

  // SHIFT tapped alone shifts the next key: "!". Then SHIFT held by one
  // finger while another taps 2: '"'.
  await tap(page, 'Shift', { latches: true });
  check(await key(page, 'Shift').getAttribute('aria-pressed') === 'true', 'SHIFT is not latched');
  await tap(page, '1');
  check(await key(page, 'Shift').getAttribute('aria-pressed') === 'false', 'SHIFT stayed latched');
  const touch = await browser.newCDPSession(page);
  const shift = { ...(await keyCentre(page, 'Shift')), id: 1 };
  const two = { ...(await keyCentre(page, '2')), id: 2 };
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [shift] });
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [shift, two] });
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [shift] });
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await keysLetGo(page);
  await lib.waitForPicture(page, lib.referencesBothPhases(['--type', 'D 0\\n!"'], 250), '! and " typed with SHIFT');
  // CTRL M, the open ROM's backspace.
  await tap(page, 'Cursor left');
  await lib.waitForPicture(page, lib.referencesBothPhases(['--type', 'D 0\\n!'], 250), '" rubbed out');
  console.log('SHIFT latched for 1 typed !, SHIFT held with 2 typed ", Cursor left took it back');

  await page.setViewportSize({ width: 844, height: 390 });
  await page.waitForFunction(() => Module.page.window.scale > 0 && document.getElementById('screen').getBoundingClientRect().right < 400);
  await checkLayout(page, 'landscape');
  await page.setViewportSize(lib.PHONE.viewport);

  // Pause: no frame, no sound, the same picture, until Resume.
  await key(page, 'Pause').tap();
  check(await key(page, 'Resume').count() === 1, 'the paused button is not named Resume');
  const displayFrames = (n) => page.evaluate((n) => new Promise((done) => {
    let callbacks = 0;
    const count = () => (++callbacks === n ? done() : requestAnimationFrame(count));
    requestAnimationFrame(count);
  }), n);
  // The sound card stops when the browser gets round to it; the audio
  // thread's last count before that may still be on its way.
  await page.waitForFunction(() => Module.page.speaker.context.state === 'suspended');
  await displayFrames(3);
  const held = await lib.canvasPicture(page);
  const pausedAt = await lib.figures(page);
  await displayFrames(30);
  const stillPaused = await lib.figures(page);
  check(stillPaused.framesPresented === pausedAt.framesPresented, 'frames ran while paused');
  check(stillPaused.soundSamplesReceived === pausedAt.soundSamplesReceived, 'sound ran while paused');
  check(lib.samePicture(held, await lib.canvasPicture(page)), 'the picture changed while paused');
  await key(page, 'Resume').tap();
  await lib.waitForFrames(page, pausedAt.framesPresented + 20);
  await page.waitForFunction(() => Module.page.speaker.context.state === 'running');
  check((await lib.figures(page)).soundSamplesReceived > pausedAt.soundSamplesReceived, 'no sound after Resume');
  await lib.waitForPicture(page, lib.referencesBothPhases(['--type', 'D 0\\n!'], 250), 'the same screen after Resume');
  console.log('Pause held ' + pausedAt.framesPresented + ' frames and ' + pausedAt.soundSamplesReceived +
              ' samples over 30 display frames; Resume went on');

  // Save state keeps the machine in the browser and offers it as a file;
  // Reset boots again; a file that is no state is refused with its reason
  // and the machine runs on; the saved file and, after a reload, the state
  // kept in the browser bring the typed screen back.
  const [download] = await Promise.all([page.waitForEvent('download'), key(page, 'Save state').tap()]);
  await page.locator('#status[data-kind="done"]').waitFor();
  check(download.suggestedFilename() === 'tessel.tstate', 'the download is ' + download.suggestedFilename());
  const saved = lib.writeFile('saved.tstate', fs.readFileSync(await download.path()));
  check(fs.statSync(saved).size === SNAPSHOT_SIZE, 'the state is ' + fs.statSync(saved).size + ' bytes');
  const typed = lib.referencesBothPhases(['--type', 'D 0\\n!'], 250);
  const boot = lib.referencesBothPhases([], 150);
  await key(page, 'Reset').tap();
  await lib.waitForPicture(page, boot, 'the boot picture after Reset');
  await lib.chooseFile(page, () => key(page, 'Restore from file…').tap(), lib.writeFile('bad.tstate', 'TESSEL-STATE'));
  const refusal = await page.locator('#status[data-kind="error"]').textContent();
  check(refusal.startsWith('Could not restore bad.tstate: '), 'status "' + refusal + '"');
  await lib.waitForPicture(page, [boot[0]], 'the cursor lit after the refusal');
  await lib.waitForPicture(page, [boot[1]], 'the cursor dark after the refusal');
  await lib.chooseFile(page, () => key(page, 'Restore from file…').tap(), saved);
  await lib.waitForPicture(page, typed, 'the saved file restored');
  await key(page, 'Reset').tap();
  await lib.waitForPicture(page, boot, 'the boot picture after Reset');
  await page.reload();
  await lib.waitForRestart(page);
  await key(page, 'Restore state').tap();
  await lib.waitForPicture(page, typed, 'the state kept in the browser restored');
  await lib.screenshot(page, 'restored');
  console.log('Save state: ' + SNAPSHOT_SIZE + ' bytes, tessel.tstate; Reset booted; "' + refusal + '"; the file and, ' +
              'after a reload, the kept state restored the screen');
  await key(page, 'Keyboard').tap();
  check(await page.locator('#keyboard').isHidden(), 'Keyboard did not hide the keys');
  await key(page, 'Keyboard').tap();
  check(await page.locator('#keyboard').isVisible(), 'Keyboard did not show the keys');
  await key(page, 'Full screen').tap();
  await page.waitForFunction(() => document.fullscreenElement === document.documentElement);
  await key(page, 'Full screen').tap();
  await page.waitForFunction(() => document.fullscreenElement === null);
  console.log('Reset booted again; Keyboard hid and showed the keys; Full screen went in and out');
  await lib.closeBrowser({ browser });

  // A computer: no keys until asked for, then mouse clicks type, and the
  // physical keyboard still types after them.
  const desktop = await lib.openPage(null, { contextOptions: { viewport: { width: 1280, height: 800 } } });
  await lib.waitForPicture(desktop.page, lib.referencesBothPhases([], 150), 'the open ROM booted');
  check(await desktop.page.locator('#keyboard').isHidden(), 'the keys are shown on a computer');
  await key(desktop.page, 'Keyboard').click();
  for (const name of ['D', 'Space']) {
    await key(desktop.page, name).click();
    await keysLetGo(desktop.page);
  }
  await lib.typeText(desktop.page, '0\n');
  await lib.waitForPicture(desktop.page, lib.referencesBothPhases(['--type', 'D 0\\n'], 200), 'D 0 clicked and typed');
  check(await desktop.page.evaluate(() => document.activeElement === document.body), 'a key or control took the focus');
  await lib.screenshot(desktop.page, 'computer');
  console.log('on a computer: D and SPACE clicked, 0 and Return typed on the keyboard: D 0 RETURN');
});
