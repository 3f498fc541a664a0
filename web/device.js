// What the device in hand offers the page: touch or a mouse, full screen or none.

// A phone or tablet: its main pointer is a finger.
export const touchDevice = matchMedia('(pointer: coarse)').matches ||
  (navigator.maxTouchPoints > 0 && !matchMedia('(pointer: fine)').matches);

// Full screen where the browser has it: the standard call, else Safari's prefixed one; an iPhone
// has neither for a page, and is offered none.
const root = document.documentElement;
const fullScreenElement = () => document.fullscreenElement || document.webkitFullscreenElement;
const request = root.requestFullscreen || root.webkitRequestFullscreen;
const exit = document.exitFullscreen || document.webkitExitFullscreen;
export const fullScreenOffered = Boolean(request);

export function toggleFullScreen() {
  if (!request) return;
  try {
    const done = fullScreenElement() ? exit.call(document) : request.call(root);
    if (done && done.catch) done.catch(() => {});
  } catch (e) {
    // Refused (not a gesture, a frame without permission): the page stays as it is.
  }
}

// What the prompt says one can do besides its main line.
export function helpText() {
  if (touchDevice) return (fullScreenOffered ? 'Double tap: full screen · ' : '') + '✕ or a two-finger tap ends';
  return 'Enter starts too · ' + (fullScreenOffered ? 'F or a double click: full screen · ' : '') + 'Escape ends';
}
