// The user's own machine files: a ROM of ours (shorter than 16 KB, which
// writes a known text) and a character set of ours (longer than 3 KB),
// given on the page, are kept in the browser's storage and boot the
// machine, as tessel-run boots them from its folder; again after a reload
// and after the browser starts anew; forgotten, the built-in ones are back.
// With the machine's own ROM, where there is one, BASIC's LLIST and LPRINT
// print into the Printer panel what tessel-run --printer writes, which
// downloads as tessel-printer.txt and clears.
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const lib = require('./web_lib.cjs');
const { check, env } = lib;

const FONT_SIZE = 3072;
const PRINTED_PROGRAM = '10 REM HELLO\n20 PRINT 6\nLLIST\nLPRINT 42\n';
const GLYPH_ROWS = 12;

// Every glyph row different, and 100 bytes too many, which are not read.
function fontOfOurs() {
  const bytes = Buffer.alloc(FONT_SIZE + 100);
  for (let i = 0; i < bytes.length; ++i) bytes[i] = (Math.floor(i / GLYPH_ROWS) ^ (i % GLYPH_ROWS) * 0x11) & 0xff;
  return bytes;
}

async function statusLine(page) {
  return page.evaluate(() => document.getElementById('rom-status').textContent + ' / ' +
                             document.getElementById('font-status').textContent);
}

// What tessel-run --printer writes after typing the text, with the ROM in
// its folder.
function printedByTesselRun(rom, text) {
  const folder = path.dirname(lib.writeFile('vzrom.v20', fs.readFileSync(rom)));
  childProcess.execFileSync(env.TESSEL_RUN, ['--fast', '--type', text.replace(/\n/g, '\\n'), '--frames', '600',
                                             '--printer', 'printed.txt'], { cwd: folder, stdio: 'ignore' });
  return fs.readFileSync(path.join(folder, 'printed.txt'), 'latin1');
}

// Clicks the button; the page reloads with what it did.
async function andRestart(page, action) {
  await Promise.all([page.waitForNavigation(), action()]);
  await lib.waitForRestart(page);
}

lib.runTest(async () => {
  const rom = path.join(env.TEST_PROGRAMS, 'tiny_rom.bin');
  const font = lib.writeFile('font.bin', fontOfOurs());
  const romOnly = lib.reference(['--frames', '50'], { 'vzrom.v20': rom });
  const both = lib.reference(['--frames', '50'], { 'vzrom.v20': rom, 'vz200.fnt': font });
  const builtIn = lib.referencesBothPhases([], 150);

  const session = await lib.openPage();
  let page = session.page;
  await lib.waitForPicture(page, builtIn, 'the open ROM booted');
  check(await page.isDisabled('#forget-button'), 'something to forget at first');

  await andRestart(page, () => lib.chooseFile(page, () => page.click('#rom-button'), rom));
  await lib.waitForPicture(page, [romOnly], 'our ROM booted');
  check((await statusLine(page)).startsWith('System ROM: your vzrom.v20 ('), await statusLine(page));
  console.log('our ROM kept and booted: ' + await statusLine(page));

  await andRestart(page, () => lib.chooseFile(page, () => page.click('#font-button'), font));
  await lib.waitForPicture(page, [both], 'our ROM with our character set');
  await lib.screenshot(page, 'own-files');
  console.log('our character set too: ' + await statusLine(page));

  await page.reload();
  await lib.waitForRestart(page);
  await lib.waitForPicture(page, [both], 'our files after a reload');
  console.log('again after a reload');

  await lib.closeBrowser(session);
  page = (await lib.openPage(session.profile)).page;
  await lib.waitForPicture(page, [both], 'our files after the browser started anew');
  console.log('again after the browser started anew');

  await andRestart(page, () => page.click('#forget-button'));
  await lib.waitForPicture(page, builtIn, 'the open ROM again');
  check(await statusLine(page) === 'System ROM: the built-in open ROM / Character set: the built-in open character set',
        await statusLine(page));
  await lib.screenshot(page, 'forgotten');
  console.log('forgotten: the built-in ROM and character set boot again');

  const machineRom = path.join(env.TESSEL_SOFTWARE || '', 'machine', 'vzrom.v20');
  if (!env.TESSEL_SOFTWARE || !fs.existsSync(machineRom)) {
    console.log('SKIP: the printer needs the machine\'s BASIC: no ' + machineRom);
    return;
  }
  const printed = printedByTesselRun(machineRom, PRINTED_PROGRAM);
  await andRestart(page, () => lib.chooseFile(page, () => page.click('#rom-button'), machineRom));
  await lib.waitForPicture(page, lib.referencesBothPhases([], 150, { 'vzrom.v20': machineRom }), 'BASIC ready');
  await lib.typeText(page, PRINTED_PROGRAM);
  await page.getByRole('button', { name: 'Printer', exact: true }).click();
  const paper = page.getByRole('region', { name: 'Printer' }).locator('pre');
  await page.waitForFunction((text) => document.getElementById('printer-paper').textContent === text, printed);
  await lib.screenshot(page, 'printer');
  const [download] = await Promise.all([page.waitForEvent('download'),
                                        page.getByRole('button', { name: 'Download the printed text' }).click()]);
  check(download.suggestedFilename() === 'tessel-printer.txt', 'the download is ' + download.suggestedFilename());
  check(fs.readFileSync(await download.path(), 'latin1') === printed, 'the download is not what was printed');
  await page.getByRole('button', { name: 'Clear the printed text' }).click();
  check(await paper.textContent() === '', 'Clear left ' + await paper.textContent());
  console.log('the machine\'s ROM: LLIST and LPRINT printed ' + JSON.stringify(printed) +
              ' as tessel-run --printer; downloaded as tessel-printer.txt; cleared');
});
