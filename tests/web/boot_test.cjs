// The page boots the built-in open ROM: its title, the desktop's menus, and
// a canvas equal pixel for pixel to tessel-run's picture; shown at the
// largest whole scale that fits, every pixel a sharp square block; the menu
// items other than Load do nothing and the machine runs on.
'use strict';
const lib = require('./web_lib.cjs');
const { decodePng } = require('./png.cjs');
const { check } = lib;

const MENUS = [
  ['File', ['Load', 'Save', 'Exit']],
  ['Options', ['Sound', 'Graphics', 'Keyboard', 'Joysticks', 'Memory']],
  ['Help', ['About']],
];

// The first pixel of the screenshot that is not its canvas pixel grown to
// a factor x factor block, or null.
function blockMismatch(canvas, shown, f) {
  if (shown.width !== canvas.width * f || shown.height !== canvas.height * f) {
    return 'shown as ' + shown.width + 'x' + shown.height + ' at scale ' + f;
  }
  for (let y = 0; y < shown.height; ++y) {
    for (let x = 0; x < shown.width; ++x) {
      const s = (y * shown.width + x) * 4;
      const c = (Math.floor(y / f) * canvas.width + Math.floor(x / f)) * 4;
      if (shown.rgba.compare(canvas.rgba, c, c + 3, s, s + 3) !== 0) {
        return 'shown pixel (' + x + ', ' + y + ') is not its canvas pixel at scale ' + f;
      }
    }
  }
  return null;
}

// The canvas as the page shows it: each of its pixels a factor x factor
// block of the same colour in the screenshot of the element.
async function checkShownSharply(page, name) {
  // The page fits the canvas when it sees the window change, a moment later.
  const layoutNow = () => page.evaluate(() => {
    const area = document.getElementById('screen-area').getBoundingClientRect();
    return { factor: Module.page.window.scale, width: area.width, height: area.height, ratio: devicePixelRatio };
  });
  const fitting = (layout) => Math.max(1, Math.floor(Math.min(layout.width * layout.ratio / lib.CLIENT_WIDTH,
                                                              layout.height * layout.ratio / lib.CLIENT_HEIGHT)));
  let layout = await layoutNow();
  for (let tries = 0; tries < 20 && layout.factor !== fitting(layout); ++tries) {
    await page.waitForTimeout(100);
    layout = await layoutNow();
  }
  check(layout.factor === fitting(layout), 'scale ' + layout.factor + ', but ' + fitting(layout) + ' fits');
  // An element's screenshot can take longer than the cursor takes to
  // blink: paused, the canvas holds still for it.
  await page.click('#pause-button');
  const canvas = await lib.canvasPicture(page);
  const mismatch = blockMismatch(canvas, decodePng(await page.locator('#screen').screenshot()), layout.factor);
  await page.click('#pause-button');
  check(!mismatch, mismatch);
  await lib.screenshot(page, name);
  console.log('shown at scale ' + layout.factor + ' in ' + layout.width + 'x' + layout.height + ': sharp blocks');
}

lib.runTest(async () => {
  const boot = lib.referencesBothPhases([], 200);
  const { page, messages } = await lib.openPage();

  check(await page.title() === 'Tessel - VZ200/300 Emulator', 'title ' + await page.title());
  const menus = await page.evaluate(() => [...document.querySelectorAll('#menubar .menu')].map((menu) =>
    [menu.querySelector('.menu-title').textContent, [...menu.querySelectorAll('.menu-item')].map((i) => i.textContent)]));
  check(JSON.stringify(menus) === JSON.stringify(MENUS), 'menus ' + JSON.stringify(menus));

  await lib.waitForPicture(page, boot, 'the open ROM booted');
  console.log('canvas equals tessel-run --frames 200/216');
  check(messages.some((m) => m.includes('no vzrom.v20 here')), 'no line about the built-in ROM');

  await checkShownSharply(page, 'boot');
  await page.setViewportSize({ width: 700, height: 600 });
  await checkShownSharply(page, 'boot-smaller');
  await page.setViewportSize(lib.VIEWPORT);

  // Each menu open once for the record, then every item but Load.
  for (const [menu] of MENUS) {
    await page.click('#menubar .menu-title >> text="' + menu + '"');
    await lib.screenshot(page, 'menu-' + menu);
    await page.click('#menubar .menu-title >> text="' + menu + '"');
  }
  const before = await lib.figures(page);
  for (const [menu, items] of MENUS) {
    for (const item of items.filter((name) => name !== 'Load')) await lib.chooseMenuItem(page, menu, item);
  }
  check(await page.evaluate(() => !document.querySelector('.menu.open')), 'a menu stays open');
  // The machine runs on: the cursor blinks through both phases.
  await lib.waitForPicture(page, [boot[0]], 'the cursor lit');
  await lib.waitForPicture(page, [boot[1]], 'the cursor dark');
  const after = await lib.figures(page);
  check(after.framesPresented > before.framesPresented, 'no frames after the menu items');
  console.log('Save, Exit, Sound, Graphics, Keyboard, Joysticks, Memory, About: nothing happened');
  console.log('first frame ' + after.firstFrameAt.toFixed(0) + ' ms after the page began loading');
});
