// Clicks, taps and keys: start, resume, play again, full screen, end.
import { stats } from './ui.js';
import * as lifecycle from './lifecycle.js';

let playAgain = null;  // starts a new run; set by the page

export function onPlayAgain(run) {
  playAgain = run;
}

// One gesture starts or resumes a waiting show, or plays an ended one again: never two runs.
function gesture() {
  if (lifecycle.gesture()) return;
  if (stats.state === 'ended' && playAgain) playAgain();
}

const root = document.documentElement;
const fullScreenElement = () => document.fullscreenElement || document.webkitFullscreenElement;
const request = root.requestFullscreen || root.webkitRequestFullscreen;
const exit = document.exitFullscreen || document.webkitExitFullscreen;
export const fullScreenOffered = Boolean(request);

function toggleFullScreen() {
  if (!request) return;
  try {
    const done = fullScreenElement() ? exit.call(document) : request.call(root);
    if (done && done.catch) done.catch(() => {});
  } catch (e) {
    // Refused (not a gesture, a frame without permission): the page stays as it is.
  }
}

document.addEventListener('click', gesture);
document.addEventListener('keydown', (e) => {
  if (e.repeat) return;
  if (e.key === 'Enter') gesture();
  if (e.key === 'f' || e.key === 'F') toggleFullScreen();
});
document.addEventListener('dblclick', toggleFullScreen);
