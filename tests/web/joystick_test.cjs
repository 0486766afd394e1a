// The joysticks on the page, seen through the stick probe (the ports' bits
// on its screen) as tessel-run --joystick shows them: gamepads (the
// browser's Gamepad API, stubbed before the page starts) drive both sticks,
// a stick inside its dead zone holds nothing, a diagonal two directions,
// and the second gamepad connected is stick 2. On a phone Joystick puts the
// stick drawn from the machine's table in the keyboard's place; a thumb on
// its pad and a finger on Fire hold at once, the pad follows the thumb, a
// quick tap reaches the machine, and Keyboard brings the keys back.
'use strict';
const fs = require('fs');
const path = require('path');
const lib = require('./web_lib.cjs');
const { decodePng } = require('./png.cjs');
const { check, env } = lib;

const PROBE = 'stick_probe.vz';
const HELD_FRAMES = 20;

// Two gamepads of the standard layout, with a disconnected one between.
function stubGamepads() {
  const pad = () => ({ connected: true, mapping: 'standard', axes: [0, 0, 0, 0],
                       buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) });
  window.stubPads = [pad(), null, pad()];
  Object.defineProperty(Navigator.prototype, 'getGamepads', { value: () => window.stubPads.slice() });
}

// Each connected pad's axes and pressed buttons; the controls they hold.
const GAMEPAD_ROWS = [
  { pads: [{ axes: [1, 0], buttons: [0] }, {}], held: '1:right+fire' },
  { pads: [{ axes: [0.25, -0.25], buttons: [12] }, {}], held: '1:up' },  // the stick in its dead zone, the D-pad up
  { pads: [{ axes: [-0.7, 0.7], buttons: [1] }, {}], held: '1:left+down+arm' },
  { pads: [{}, { axes: [0, -1], buttons: [0, 1, 15] }], held: '2:up+right+fire+arm' },
  { pads: [{}, {}], held: '' },
];

// tessel-run's pictures of the probe loaded before the frame ?load= loads
// it before (or one in the other phase of the cursor, frozen by the probe),
// with the controls held.
function probePictures(startFrame, held) {
  return [startFrame, startFrame + 16].map((at) => lib.reference([
    '--load', path.join(env.TEST_PROGRAMS, PROBE), '--load-at', String(at),
    ...(held ? ['--joystick', held + '@' + (at + 1) + '-' + (at + HELD_FRAMES)] : []),
    '--frames', String(at + HELD_FRAMES)]));
}

async function openProbe(contextOptions, init) {
  const session = await lib.openPage(null, { contextOptions, init, search: '?load=' + lib.PROGRAMS_PATH.slice(1) + PROBE });
  const startFrame = await session.page.evaluate(() => Module._webProgramStartFrame());
  await lib.waitForPicture(session.page, probePictures(startFrame, ''), 'the probe with nothing held');
  return { ...session, startFrame };
}

function button(page, name) {
  return page.getByRole('button', { name, exact: true });
}

async function centre(page, name, id) {
  const box = await button(page, name).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2, id };
}

// From now on, whether a frame the page presents is one of the pictures:
// the machine may show one for a few frames only.
async function watchFor(page, pictures) {
  const wanted = pictures.map((picture) => decodePng(fs.readFileSync(picture.file)).rgba.toString('base64'));
  await page.evaluate((encoded) => {
    const rgbas = encoded.map((text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0)));
    const shown = Module.page.window;
    const present = shown.present;
    window.watchedFrameSeen = false;
    shown.present = function (rgba, ...rest) {
      if (rgbas.some((want) => want.length === rgba.length && want.every((v, i) => v === rgba[i]))) {
        window.watchedFrameSeen = true;
      }
      return present.call(this, rgba, ...rest);
    };
  }, wanted);
}

lib.runTest(async () => {
  const desktop = await openProbe({}, stubGamepads);
  for (const { pads, held } of GAMEPAD_ROWS) {
    await desktop.page.evaluate((states) => states.forEach(({ axes = [0, 0], buttons = [] }, connected) => {
      const pad = stubPads.filter((p) => p)[connected];
      pad.axes = [...axes, 0, 0];
      pad.buttons.forEach((b, index) => { b.pressed = buttons.includes(index); b.value = b.pressed ? 1 : 0; });
    }), pads);
    await lib.waitForPicture(desktop.page, probePictures(desktop.startFrame, held), 'gamepads ' + JSON.stringify(pads));
    console.log('gamepads ' + JSON.stringify(pads) + ': the probe of --joystick ' + (held || '(none)'));
  }
  await lib.closeBrowser(desktop);

  const { browser, page, startFrame } = await openProbe(lib.PHONE);
  check(await page.locator('#keyboard').isVisible(), 'no keys on the phone at first');
  await button(page, 'Joystick').tap();
  check(await page.locator('#keyboard').isHidden() && await page.locator('#joystick').isVisible(),
        'Joystick did not put the stick in the keys\' place');
  const labels = await page.evaluate(() => Module.UTF8ToString(Module._webStickControls()).trimEnd().split('\n')
    .map((line) => line.split('\t')).filter(([stick]) => stick === '1').map(([, , , label]) => label));
  for (const label of labels) check(await button(page, label).count() === 1, 'no single control named ' + label);

  // A thumb on the pad between Up and Right, a finger on Fire; the thumb
  // slides over to Left; both lift.
  const [up, right, left, fire] = [await centre(page, 'Up'), await centre(page, 'Right'), await centre(page, 'Left', 1),
                                   await centre(page, 'Fire', 2)];
  const diagonal = { x: (up.x + right.x) / 2, y: (up.y + right.y) / 2, id: 1 };
  const touch = await browser.newCDPSession(page);
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [diagonal] });
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [diagonal, fire] });
  await lib.waitForPicture(page, probePictures(startFrame, '1:up+right+fire'), 'up, right and fire from two fingers');
  await lib.screenshot(page, 'stick');
  await touch.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [left, fire] });
  await lib.waitForPicture(page, probePictures(startFrame, '1:left+fire'), 'the thumb slid to left');
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await lib.waitForPicture(page, probePictures(startFrame, ''), 'nothing held after the fingers lifted');
  console.log('two fingers: the pad\'s diagonal and Fire held at once, the thumb slid to Left, both let go');

  await watchFor(page, probePictures(startFrame, '1:down'));
  const down = await centre(page, 'Down');
  await page.touchscreen.tap(down.x, down.y);
  await page.waitForFunction(() => window.watchedFrameSeen, null, { timeout: 5000 });
  await lib.waitForPicture(page, probePictures(startFrame, ''), 'nothing held after the tap');
  console.log('a quick tap on Down reached the machine, and let go');

  await button(page, 'Keyboard').tap();
  check(await page.locator('#keyboard').isVisible() && await page.locator('#joystick').isHidden(),
        'Keyboard did not bring the keys back');
  check(await button(page, 'Joystick').getAttribute('aria-pressed') === 'false', 'Joystick still pressed');
  console.log('Keyboard brought the keys back in the stick\'s place');
});
