// The speaker on the audio thread: a ring that the page fills with each
// frame's samples and the sound card empties at its own pace. After every
// block it reports how many samples it has received and how many it has
// taken out (played, or dropped while full), so the page knows what is
// queued.
const RING_SIZE = 1 << 15;  // 0.68 s at 48 kHz: the queue is held far below it
const FULL_SCALE = 32768;

class SpeakerProcessor extends AudioWorkletProcessor {
  constructor() {
    super();
    this.ring = new Float32Array(RING_SIZE);
    this.first = 0;
    this.count = 0;
    this.received = 0;
    this.taken = 0;
    this.port.onmessage = (event) => this.receive(event.data);
  }

  receive(samples) {
    this.received += samples.length;
    for (let i = 0; i < samples.length; ++i) {
      if (this.count === RING_SIZE) {
        this.taken += samples.length - i;
        break;
      }
      this.ring[(this.first + this.count) % RING_SIZE] = samples[i] / FULL_SCALE;
      ++this.count;
    }
  }

  process(inputs, outputs) {
    const out = outputs[0][0];
    let i = 0;
    for (; i < out.length && this.count > 0; ++i) {
      out[i] = this.ring[this.first];
      this.first = (this.first + 1) % RING_SIZE;
      --this.count;
      ++this.taken;
    }
    // Ran dry: silence until the next frame's samples come.
    out.fill(0, i);
    this.port.postMessage({ received: this.received, taken: this.taken });
    return true;
  }
}

registerProcessor('tessel-speaker', SpeakerProcessor);
