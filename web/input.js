// Clicks, taps and keys: start, resume, play again, full screen, end.
import { $, stats } from './ui.js';
import * as lifecycle from './lifecycle.js';
import * as sound from './sound.js';
import { touchDevice, toggleFullScreen } from './device.js';

let playAgain = null;  // starts a new run; set by the page
let end = null;        // ends the running show; set by the page

export function onPlayAgain(run) {
  playAgain = run;
}

export function onEnd(run) {
  end = run;
}

// One gesture starts or resumes a waiting show, or plays an ended one again: never two runs.
function gesture() {
  if (lifecycle.gesture()) return;
  if (stats.state === 'ended' && playAgain) playAgain();
}

document.addEventListener('click', gesture);
document.addEventListener('keydown', (e) => {
  if (e.repeat) return;
  if (e.key === 'Enter') gesture();
  if (e.key === 'f' || e.key === 'F') toggleFullScreen();
});
// A touch double tap is the page's own (below), whether or not the browser also calls it one.
let lastPointer = 'mouse';
document.addEventListener('dblclick', () => { if (lastPointer !== 'touch') toggleFullScreen(); });

// Touch: a tap is a click (the browser makes one), except that the sound is resumed at the
// tap's end already, the moment iOS allows it. Two taps close in time and place toggle full
// screen (the browser's own double tap is a zoom, turned off with touch-action); two fingers
// put down and lifted together without moving end the show.
const kDoubleTapMs = 300, kDoubleTapPx = 40, kTwoFingerMs = 400, kStillPx = 20;
let lastTap = null;  // {t, x, y}
const down = new Map();  // touch pointers now down: id -> {t, x, y}
let twoFinger = null;    // the moment a second finger came down, while both stay still

document.addEventListener('pointerdown', (e) => {
  lastPointer = e.pointerType;
  if (e.pointerType !== 'touch') return;
  down.set(e.pointerId, { t: e.timeStamp, x: e.clientX, y: e.clientY });
  twoFinger = down.size === 2 ? e.timeStamp : null;
});
document.addEventListener('pointermove', (e) => {
  const at = down.get(e.pointerId);
  if (at && Math.hypot(e.clientX - at.x, e.clientY - at.y) > kStillPx) twoFinger = null;
});
const lift = (e) => {
  if (!down.delete(e.pointerId)) return;
  if (twoFinger !== null && down.size === 1 && e.timeStamp - twoFinger < kTwoFingerMs &&
      e.type === 'pointerup' && stats.state === 'playing' && end) {
    twoFinger = null;
    end();
    return;
  }
  if (down.size) return;
  if (twoFinger !== null) { twoFinger = null; return; }
  if (e.type !== 'pointerup' || (e.target.closest && e.target.closest('button'))) return;
  if (lastTap && e.timeStamp - lastTap.t < kDoubleTapMs &&
      Math.hypot(e.clientX - lastTap.x, e.clientY - lastTap.y) < kDoubleTapPx) {
    lastTap = null;
    toggleFullScreen();
    return;
  }
  lastTap = { t: e.timeStamp, x: e.clientX, y: e.clientY };
};
document.addEventListener('pointerup', lift);
document.addEventListener('pointercancel', lift);
document.addEventListener('touchend', () => {
  if (lifecycle.isHeld('start') || lifecycle.isHeld('sound')) sound.resumeInGesture();
}, { passive: true });
// Safari's own pinch gesture, which touch-action does not stop everywhere.
document.addEventListener('gesturestart', (e) => e.preventDefault());

// The close control, offered to touch devices while the show plays: ends it as Escape does.
const close = $('close');
close.addEventListener('click', (e) => {
  e.stopPropagation();
  if (stats.state === 'playing' && end) end();
});
export function offerClose(on) {
  const hidden = !(on && touchDevice);
  if (close.hidden !== hidden) close.hidden = hidden;
}
