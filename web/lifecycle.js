// What holds the show still and lets it go on: not started yet, a hidden page, lost graphics,
// interrupted sound. The show stops its ticks and music the moment a reason appears, waits at
// its next frame while any remains, and goes on from the same frame (platform/web_frame.cpp).
import { $, stats, prompt, hidePrompt, notice } from './ui.js';
import * as sound from './sound.js';
import { touchDevice, helpText } from './device.js';

// The reasons, as bits the show knows.
const HOLD = { start: 1, hidden: 2, graphics: 4, sound: 8 };
const kGraphicsPatienceMs = 5000;  // lost graphics not back by then: offer to start again

let show = null;      // the running show's module
let held = 0;         // the reasons now
let replay = false;   // the click that asked to play again started the next run
let waiters = [];     // the show's frame waiting for a change
let graphicsTimer = 0;

function wake() {
  const w = waiters;
  waiters = [];
  w.forEach((resolve) => resolve());
}

export function hold(reason, on) {
  const bit = HOLD[reason];
  held = on ? held | bit : held & ~bit;
  stats.holds = Object.keys(HOLD).filter((name) => held & HOLD[name]);
  if (stats.state === 'playing' || stats.state === 'held') stats.state = held ? 'held' : 'playing';
  if (show && show._webHold) show._webHold(bit, on ? 1 : 0);
  wake();
}

// The canvas changed size: a held show draws its frame again, at the new size.
export function redraw() {
  if (!show || !held || !show._webRedraw) return;
  show._webRedraw();
  wake();
}

export const isHeld = (reason) => (held & HOLD[reason]) !== 0;

// A new run of the show begins with nothing held (the show asks for the start hold itself).
export function begin(module, asReplay) {
  show = module;
  held = 0;
  stats.holds = [];
  replay = asReplay;
  waiters = [];
}

export function end() {
  show = null;
  held = 0;
  stats.holds = [];
  wake();
}

// The show's side of the page's hooks (module.showPage).
export const hooks = {
  offerStart() {
    if (replay) {
      replay = false;
      stats.state = 'playing';
      stats.startedMs = performance.now();
      return true;
    }
    held |= HOLD.start;
    stats.holds = ['start'];
    stats.state = 'waiting';
    prompt(touchDevice ? 'Tap to start' : 'Click to start', helpText());
    return false;
  },
  watchSound(sdl2) {
    sound.watch(sdl2);
  },
  changed() {
    return new Promise((resolve) => waiters.push(resolve));
  },
  async soundReady() {
    const running = await sound.ready();
    stats.soundOff = !running;
    if (!running) notice('Sound is off: the browser did not start it. The show plays on silently.');
    return running;
  },
};

// The person's click, tap or Enter while the show waits for one: starts or resumes it.
export function gesture() {
  if (!show) return false;
  if (!isHeld('start') && !isHeld('sound')) return false;
  sound.resumeInGesture();
  hidePrompt();
  if (isHeld('start')) {
    stats.startedMs = performance.now();
    stats.state = 'playing';
    hold('start', false);
  }
  if (isHeld('sound')) hold('sound', false);
  return true;
}

document.addEventListener('visibilitychange', () => {
  if (!show) return;
  if (document.hidden) {
    hold('hidden', true);
    sound.suspendForPage();
  } else {
    hold('hidden', false);
  }
});

sound.onInterrupted(() => {
  if (!show || stats.state !== 'playing') return;
  hold('sound', true);
  prompt(touchDevice ? 'Tap to resume' : 'Click to resume');
});

// The canvas's WebGL context: a GPU reset or a phone short of memory takes it away.
export function watchGraphics(canvas) {
  canvas.addEventListener('webglcontextlost', (e) => {
    e.preventDefault();  // asks the browser to give it back
    canvas.style.visibility = 'hidden';  // a lost canvas shows the browser's broken picture
    if (!show) return;
    stats.contextLosses = (stats.contextLosses || 0) + 1;
    hold('graphics', true);
    sound.suspendForPage();
    notice('The graphics were lost. Waiting for them to come back…');
    graphicsTimer = setTimeout(() => {
      const at = stats.order >= 0 ? `${stats.order}:${stats.row}` : null;
      notice('The graphics did not come back.', {
        label: at ? `Start again at ${at}` : 'Start again',
        run: () => { location.search = at ? `?start=${at}` : ''; },
      });
    }, kGraphicsPatienceMs);
  });
  canvas.addEventListener('webglcontextrestored', () => {
    clearTimeout(graphicsTimer);
    canvas.style.visibility = '';
    notice(null);
    if (!show) return;
    show._webContextRestored();
    hold('graphics', false);
  });
}
