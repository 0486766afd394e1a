// Real VZ200 software on the page, with the machine's own ROM given as the
// user's: a BASIC game by ?load= runs to its title; a BASIC program typed
// in is saved by Save program, and after a reset Run program… runs it and
// LIST lists it; the sample tape, dropped on the page, CLOADs (fast, and
// silent while it plays, then paced again); what CSAVE recorded downloads
// as a .cvz holding the same program and as a .wav the deck takes back;
// a file that is no tape is refused with its reason, the tape in the
// deck staying as it was. Skipped where the real software is absent.
'use strict';
const fs = require('fs');
const lib = require('./web_lib.cjs');
const { check } = lib;

// Shift and a key, as for the quotes of CSAVE "B".
async function holdShifted(page, code) {
  await page.keyboard.down('ShiftLeft');
  await lib.holdKey(page, code);
  await page.keyboard.up('ShiftLeft');
}

async function download(page, click) {
  const [offered] = await Promise.all([page.waitForEvent('download'), click()]);
  return { name: offered.suggestedFilename(), bytes: fs.readFileSync(await offered.path()) };
}

async function statusLine(page) {
  await page.locator('#status').waitFor();
  return page.locator('#status').textContent();
}

// A .cvz's program: the bytes from its start address to its end address.
function cvzBody(bytes) {
  const nameEnd = bytes.indexOf(0, bytes.indexOf(0xf0, bytes.indexOf(0xfe)));
  const start = bytes.readUInt16LE(nameEnd + 1);
  return bytes.subarray(nameEnd + 5, nameEnd + 5 + bytes.readUInt16LE(nameEnd + 3) - start);
}

// The screen's lines one after another, each as its start.
function lines(...texts) {
  return new RegExp(texts.map((text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')).join(' *\n'));
}

async function tapePosition(page) {
  return page.locator('#tape-position').textContent();
}

lib.runTest(async () => {
  const tape = lib.softwareFile('tapes/demo-tape-bar-chart-1.cvz');
  lib.softwareFile('programs/basic-melbourne-cup.vz');
  const game = 'software/programs/basic-melbourne-cup.vz';
  const { page, address, messages } = await lib.openPage();
  await lib.useMachineRom(page);

  await page.goto(address + '?load=' + game);
  await lib.waitForRestart(page);
  await lib.waitForText(page, /melbourne~cup[^]*HOW MANY TO PLAY/, 'the game\'s title and first question');
  check(!/ERROR/.test(await lib.textScreen(page)), 'a BASIC error:\n' + await lib.textScreen(page));
  check(await page.locator('#status').isHidden(), 'a status line: ' + await page.locator('#status').textContent());
  await lib.screenshot(page, 'game');
  console.log('?load=' + game + ': the title and HOW MANY TO PLAY, no error');

  // Save program: the game's name; with no program in BASIC, the reason.
  await page.click('#reset-button');
  await lib.waitForText(page, /READY/, 'READY after Reset');
  await page.click('#save-program-button');
  const refusal = await statusLine(page);
  check(refusal.startsWith('Could not save BASIC\'s program: '), 'status "' + refusal + '"');
  await lib.typeText(page, '10 PRINT 42\n');
  const saved = await download(page, () => page.click('#save-program-button'));
  check(saved.name === 'basic-melbourne-cup.vz', 'saved as ' + saved.name);
  await page.click('#reset-button');
  await lib.waitForText(page, /READY/, 'READY after Reset');
  await lib.chooseFile(page, () => page.click('#run-button'), lib.writeFile(saved.name, saved.bytes));
  await lib.waitForText(page, lines('RUN', ' 42', 'READY'), 'the saved program run');
  await lib.typeText(page, 'LIST\n');
  await lib.waitForText(page, lines('LIST', '10 PRINT 42', 'READY'), 'the saved program listed');
  console.log('"' + refusal + '"; 10 PRINT 42 saved (' + saved.bytes.length + ' bytes), reset, run and listed');

  // The tape dropped; a file that is no tape refused, the deck as it was.
  await page.click('#reset-button');
  await lib.waitForText(page, /READY/, 'READY after Reset');
  await page.click('#tape-button');
  await lib.dropFile(page, tape);
  await page.locator('#tape-name', { hasText: 'demo-tape-bar-chart-1.cvz' }).waitFor();
  const inserted = await tapePosition(page);
  await lib.chooseFile(page, () => page.click('#tape-insert'), lib.writeFile('noise.cvz', 'not a tape at all'));
  const notTape = await statusLine(page);
  check(notTape === 'Could not insert noise.cvz: it is neither a .cvz nor a .wav tape.', 'status "' + notTape + '"');
  check(await page.locator('#tape-name').textContent() === 'demo-tape-bar-chart-1.cvz' &&
        await tapePosition(page) === inserted, 'the deck changed: ' + await tapePosition(page));
  console.log('"' + notTape + '"; the deck kept ' + inserted);

  // CLOAD, fast: the samples sent stay where they were at Play, looked at
  // after each of the loop's callbacks while the tape plays; afterwards the
  // frames are paced again (no burst to catch up) and the sound goes on.
  await lib.typeText(page, 'CLOAD\n');
  const played = await page.evaluate(() => {
    const watch = window.tapeWatch = { sent: [], fastAtPlay: Module.page.figures.fastFrames, at: performance.now() };
    document.getElementById('tape-play').click();
    const look = () => {
      if (!Module._webTapePlaying()) return;
      watch.sent.push(Module.page.speaker.sent);
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
    return Module.page.speaker.sent;
  });
  await lib.waitForText(page, lines('loading  T: BAR CHART 1', 'READY'), 'the tape loaded');
  await page.waitForFunction(() => !Module._webTapePlaying());
  const look = () => page.evaluate(() => ({ ...tapeWatch, ...Module.page.figures, now: performance.now(),
                                           sentNow: Module.page.speaker.sent }));
  const ended = await look();
  check(ended.fastFrames > ended.fastAtPlay, 'no fast frames');
  check(ended.sent.every((sent) => sent === played), 'samples queued while the tape played: ' + ended.sent);
  await page.waitForTimeout(1000);
  const after = await look();
  const rate = (after.framesPresented - ended.framesPresented) * 1000 / (after.now - ended.now);
  check(after.sentNow > ended.sentNow, 'no sound after the tape');
  check(rate < 55, rate.toFixed(1) + ' frames a second after the tape');
  await lib.screenshot(page, 'tape-loaded');
  console.log('CLOAD: the tape played out ' + (ended.now - ended.at).toFixed(0) + ' ms after Play, ' +
              (ended.fastFrames - ended.fastAtPlay) + ' fast frames in ' + ended.sent.length +
              ' callbacks with no samples sent; then ' + rate.toFixed(1) + ' frames a second');

  // CSAVE onto the recorder's own tape; the recording as .cvz and .wav.
  await page.click('#tape-record');
  await lib.typeText(page, 'CSAVE ');
  await holdShifted(page, 'Digit2');
  await lib.typeText(page, 'B');
  await holdShifted(page, 'Digit2');
  await lib.typeText(page, '\n');
  await lib.waitForText(page, lines('CSAVE "B"', 'READY'), 'CSAVE done');
  await page.click('#tape-record');
  const cvz = await download(page, () => page.click('#tape-save-cvz'));
  check(cvz.name === 'recording.cvz' && cvzBody(cvz.bytes).equals(cvzBody(fs.readFileSync(tape))),
        cvz.name + ' does not hold the program CLOAD loaded');
  const wav = await download(page, () => page.click('#tape-save-wav'));
  check(wav.name === 'recording.wav' && wav.bytes.toString('latin1', 0, 4) === 'RIFF', wav.name + ' is no .wav');
  const recorded = await page.locator('#tape-recorded').textContent();
  await lib.dropFile(page, lib.writeFile(wav.name, wav.bytes));
  await page.locator('#tape-name', { hasText: wav.name }).waitFor();
  const back = await tapePosition(page);
  check(/^00:00 \/ 00:(0[1-9]|[1-5]\d)$/.test(back), 'the .wav back in the deck: ' + back);
  console.log('CSAVE "B", ' + recorded + ': ' + cvz.name + ' holds the same program; ' + wav.name + ' back in the deck, ' +
              back);
  check(!messages.some((m) => m.startsWith('page error')), messages.join('\n'));
});
