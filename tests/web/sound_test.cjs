// The speaker through Web Audio: silent until the user's first click (the
// browsers' rule), then the test tone program's 1 kHz from the audio
// thread, about 48,000 samples a second received there and the queue held
// near its target, as the desktop holds it.
'use strict';
const path = require('path');
const lib = require('./web_lib.cjs');
const { check, env } = lib;

const SAMPLE_RATE = 48000;
const TONE_HZ = 1000;
// The shell stretches frames by up to 0.42 % to hold the queue.
const PITCH_TOLERANCE = 0.01;

// What the audio thread plays, 32,768 samples of it: the tone's frequency
// from the median time between its rising zero crossings (a late frame on a
// busy machine drains the queue, and the restart puts a gap of silence in
// it), the number of such gaps, its peak and its mean.
async function listen(page) {
  return page.evaluate(async () => {
    const speaker = Module.page.speaker;
    const tap = speaker.context.createAnalyser();
    tap.fftSize = 32768;
    speaker.node.connect(tap);
    await new Promise((done) => setTimeout(done, 1000));
    const samples = new Float32Array(tap.fftSize);
    tap.getFloatTimeDomainData(samples);
    speaker.node.disconnect(tap);
    const rising = [];
    let peak = 0;
    let sum = 0;
    for (let i = 0; i < samples.length; ++i) {
      peak = Math.max(peak, Math.abs(samples[i]));
      sum += samples[i];
      if (i > 0 && samples[i - 1] < 0 && samples[i] >= 0) {
        rising.push(i - 1 + samples[i - 1] / (samples[i - 1] - samples[i]));
      }
    }
    const periods = rising.slice(1).map((at, i) => at - rising[i]).sort((a, b) => a - b);
    const median = periods.length > 0 ? periods[periods.length >> 1] : Infinity;
    return { rate: speaker.context.sampleRate, periods: periods.length, hertz: speaker.context.sampleRate / median,
             gaps: periods.filter((period) => period > 1.5 * median).length, peak, mean: sum / samples.length };
  });
}

lib.runTest(async () => {
  const tone = path.join(env.TEST_PROGRAMS, 'tone.vz');
  const { page, messages } = await lib.openPage();
  await lib.waitForPicture(page, lib.referencesBothPhases([], 150), 'the open ROM booted');
  check(!messages.some((m) => m.includes('no sound')), messages.join('\n'));
  await page.waitForTimeout(500);
  check(await page.evaluate(() => Module.page.speaker.context === null), 'sound started before a click');
  check((await lib.figures(page)).soundSamplesReceived === 0, 'samples received before a click');

  // The click on the menu starts the sound.
  await lib.chooseFile(page, () => lib.chooseMenuItem(page, 'File', 'Load'), tone);
  await page.waitForFunction(() => Module.page.speaker.node !== null);
  await page.waitForTimeout(500);

  const before = await lib.figures(page);
  const startedAt = Date.now();
  const queued = [];
  for (let i = 0; i < 20; ++i) {
    await page.waitForTimeout(100);
    queued.push(await page.evaluate(() => Module.page.speaker.queued()));
  }
  const after = await lib.figures(page);
  const perSecond = (after.soundSamplesReceived - before.soundSamplesReceived) * 1000 / (Date.now() - startedAt);
  console.log('received ' + perSecond.toFixed(0) + ' samples a second; queued ' + Math.min(...queued) + '..' +
              Math.max(...queued) + ' samples');
  check(Math.abs(perSecond / SAMPLE_RATE - 1) < 0.1, perSecond.toFixed(0) + ' samples a second received');
  check(Math.max(...queued) < 3 * 2400, 'the queue grew to ' + Math.max(...queued));

  const heard = await listen(page);
  console.log('heard ' + heard.hertz.toFixed(1) + ' Hz over ' + heard.periods + ' periods at ' + heard.rate +
              ' Hz (' + heard.gaps + ' gaps), peak ' + heard.peak.toFixed(3) + ', mean ' + heard.mean.toFixed(4));
  check(heard.rate === SAMPLE_RATE, 'the audio runs at ' + heard.rate + ' Hz');
  check(Math.abs(heard.hertz / TONE_HZ - 1) < PITCH_TOLERANCE, 'the tone is at ' + heard.hertz.toFixed(1) + ' Hz');
  check(heard.peak > 0.2 && heard.peak < 0.8, 'the tone peaks at ' + heard.peak.toFixed(3));
  check(Math.abs(heard.mean) < 0.02, 'the tone is not symmetric: mean ' + heard.mean.toFixed(4));
  await lib.screenshot(page, 'tone');
});
