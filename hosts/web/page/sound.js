// The machine's sound through Web Audio: the frames' samples go to the
// audio thread (speaker_worklet.js), which plays them at the sound card's
// pace and says how many it has taken.
'use strict';

const speaker = {
  sampleRate: 0,   // 0 while closed
  context: null,
  node: null,      // the audio thread's end, once it runs
  sent: 0,
  taken: 0,

  open(sampleRate) {
    // The audio thread is there only for pages from https or localhost.
    if (!window.AudioContext || !window.AudioWorkletNode) return false;
    this.sampleRate = sampleRate;
    return true;
  },

  // Browsers let a page make sound only after the user's first key or
  // click; until then the samples go nowhere and nothing is queued.
  start() {
    if (page.paused) return;
    if (this.context && this.context.state === 'suspended') this.context.resume();
    if (!this.sampleRate || this.context) return;
    const context = new AudioContext({ sampleRate: this.sampleRate, latencyHint: 'interactive' });
    this.context = context;
    context.audioWorklet.addModule('speaker_worklet.js').then(() => {
      if (this.context !== context) return;
      const node = new AudioWorkletNode(context, 'tessel-speaker',
                                        { numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [1] });
      node.port.onmessage = (event) => {
        this.taken = event.data.taken;
        page.figures.soundSamplesReceived = event.data.received;
      };
      node.connect(context.destination);
      this.node = node;
    }, (error) => console.warn('tessel: no sound:', error));
  },

  // Paused, the sound card plays nothing and what is queued waits.
  pause(paused) {
    if (!this.context) return;
    if (paused) this.context.suspend();
    else this.context.resume();
  },

  queue(samples) {
    if (!this.node) return;
    const copy = Int16Array.from(samples);
    this.sent += copy.length;
    this.node.port.postMessage(copy, [copy.buffer]);  // which empties copy
  },

  queued() {
    return this.node ? Math.max(0, this.sent - this.taken) : 0;
  },

  close() {
    if (this.context) this.context.close();
    this.context = null;
    this.node = null;
    this.sampleRate = 0;
  },
};
