// A program named in the page's address, index.html?load=URL, relative to
// the page: it is there before the frame the program launches it at
// (webProgramStartFrame) and launches then, as tessel-run --run does, with
// its picture; a BASIC program with the open ROM, which has no BASIC, goes
// in as data, with a line that says so. What cannot be loaded says why in
// the page's status line, as text whatever the address holds, and the
// machine boots and runs as without it: a missing file, one from another
// site that does not allow it, one shorter than a program's header, one
// longer than a program can be.
'use strict';
const path = require('path');
const lib = require('./web_lib.cjs');
const { check, env } = lib;

lib.runTest(async () => {
  const bars = path.join(env.TEST_PROGRAMS, 'graphics_bars.vz');
  lib.writeFile('short.vz', Buffer.from('VZF0short!'));
  lib.writeFile('long.vz', Buffer.alloc(24 + 65536 + 1));
  const basic = Buffer.alloc(24 + 8);
  basic.write('VZF0BASIC', 0, 'latin1');
  basic.writeUInt8(0xf0, 21);
  basic.writeUInt16LE(0x7ae9, 22);
  lib.writeFile('basic.vz', basic);
  const { page, address, messages } = await lib.openPage(null, { search: '?load=programs/graphics_bars.vz' });
  await lib.waitForPicture(page, [lib.reference(['--run', bars, '--frames', '150'])], 'graphics_bars launched');
  const at = (await lib.figures(page)).linkedProgramAt;
  const startFrame = await page.evaluate(() => Module._webProgramStartFrame());
  check(at >= 0 && at < startFrame - 1, 'the program was there after ' + at + ' frames, too late for frame ' + startFrame);
  check(await page.locator('#status').isHidden(), 'a status line: ' + await page.locator('#status').textContent());
  await lib.screenshot(page, 'loaded');
  console.log('?load=programs/graphics_bars.vz: there after ' + at + ' frames; the picture of tessel-run --run');

  await page.goto(address + '?load=programs/basic.vz');
  await lib.waitForRestart(page);
  const note = await page.locator('#status[data-kind="note"]').textContent();
  check(note === 'programs/basic.vz loaded as data: this ROM has no BASIC to run it.', 'status "' + note + '"');
  console.log('?load=programs/basic.vz with the open ROM: "' + note + '"');

  const otherSite = address.replace('localhost', '127.0.0.1') + 'programs/hello_text.vz';
  const refused = [
    ['programs/<img src=x onerror=alert(1)>.vz', 'answered 404'],
    [otherSite, 'could not be fetched'],
    ['programs/short.vz', '10 bytes is no program'],
    ['programs/long.vz', '65561 bytes is no program'],
  ];
  const boot = lib.referencesBothPhases([], 150);
  for (const [link, reason] of refused) {
    await page.goto(address + '?load=' + encodeURIComponent(link));
    await lib.waitForRestart(page);
    const status = page.locator('#status');
    await status.waitFor({ state: 'visible' });
    const text = await status.textContent();
    check(text.includes(link) && text.includes(reason), 'status "' + text + '" for ' + link);
    check(await page.locator('#status *').count() === 0, 'the address became markup: ' + await status.innerHTML());
    await lib.waitForFrames(page, 120);
    await lib.waitForPicture(page, [boot[0]], 'the cursor lit after ' + link);
    await lib.waitForPicture(page, [boot[1]], 'the cursor dark after ' + link);
    console.log('?load=' + link + ': "' + text + '"; the machine booted and runs');
  }
  await lib.screenshot(page, 'refused');
  check(!messages.some((m) => m.startsWith('page error')), messages.join('\n'));
});
