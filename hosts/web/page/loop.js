// The loop: the message loop's passes run from the animation-frame
// callback. At 50 frames a second against a display's 60 or more, a frame's
// deadline mostly falls between two callbacks, and as each period starts
// from the reading that saw the deadline, waiting for the next callback
// would make every frame late and the rate drop towards 30. So a deadline
// nearer than the next callback gets a wake-up of its own: a timer to just
// short of it, then turns that yield to the browser until it has come.
// While a tape plays (tape.js) each callback instead runs frames one after
// another for a slice of its display frame, silent, and shows the last: the
// rest of the display frame is the browser's, so the page still answers.
'use strict';

const TIMER_EARLY_MS = 2;
// The slice: at most this, and this share of a display frame (a display
// of 120 Hz or more gets its callbacks at that rate still).
const FAST_SLICE_MS = 11;
const FAST_SLICE_SHARE = 0.7;
let loopEnded = false;
let displayFrameMs = 1000 / 60;
let lastAnimationFrame = 0;
let wakeArmed = false;
const yielding = new MessageChannel();

function runDuePasses() {
  launchLinkedProgramWhenDue();
  const started = performance.now();
  const presented = page.figures.framesPresented;
  pageStick.readGamepads();
  loopEnded = !Module._webRunDuePasses();
  if (page.figures.framesPresented !== presented) {
    // At most one frame ran: what it printed is the printer's to keep.
    pagePrinter.frameRan();
    page.figures.frameSteps += 1;
    page.figures.frameStepMilliseconds += performance.now() - started;
  }
}

// A deadline already past is one the last passes could not meet (the file
// chooser holds the frames back, or a frame took longer than its period):
// the next callback sees to it.
function armWake() {
  if (wakeArmed || loopEnded) return;
  const untilFrame = Module._webMillisecondsToFrame();
  if (untilFrame <= 0 || untilFrame > displayFrameMs) return;
  wakeArmed = true;
  setTimeout(awaitDeadline, Math.max(0, untilFrame - TIMER_EARLY_MS));
}

function runFastFrames() {
  launchLinkedProgramWhenDue();
  const frames = Module._webRunFastFrames(Math.min(FAST_SLICE_MS, FAST_SLICE_SHARE * displayFrameMs));
  loopEnded = frames < 0;
  page.figures.fastFrames += Math.max(0, frames);
}

function awaitDeadline() {
  if (tape.runsFast()) {
    wakeArmed = false;
    return;
  }
  if (Module._webMillisecondsToFrame() > 0) {
    yielding.port2.postMessage(0);
    return;
  }
  wakeArmed = false;
  runDuePasses();
  armWake();
}
yielding.port1.onmessage = awaitDeadline;

function onAnimationFrame(time) {
  if (loopEnded) return;
  // A hidden page gets no callbacks: the gap after it is no display frame.
  const interval = time - lastAnimationFrame;
  if (lastAnimationFrame && interval < 100) displayFrameMs = 0.9 * displayFrameMs + 0.1 * interval;
  lastAnimationFrame = time;
  requestAnimationFrame(onAnimationFrame);
  if (tape.runsFast()) {
    runFastFrames();
  } else {
    runDuePasses();
    armWake();
  }
  tape.draw();
}

function startLoop() {
  requestAnimationFrame(onAnimationFrame);
}
