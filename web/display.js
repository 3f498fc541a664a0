// The canvas's drawing buffer: the size it is shown at, in device pixels, within a pixel budget.
import { stats } from './ui.js';

// Most pixels drawn a frame: a software renderer (SwiftShader, llvmpipe) stays smooth at this
// size, and on a bigger screen the browser's scaling of a 1920 x 1440 picture is hardly seen.
export const kPixelBudget = 1920 * 1440;

let canvas = null;
let wanted = [0, 0];
let changed = null;  // called when the wanted size changes

// Where frames come too slowly to keep up with the screen (a software renderer, a slow GPU: the
// time goes into filling pixels), the drawing buffer is made smaller until they keep up, and
// bigger again, step by step, while they keep up with time to spare: a smooth picture before a
// sharp one. Never below three quarters of the CSS size, where the picture would blur.
const kWindow = 60;          // frames per judgement
const kStepDown = 0.85;      // of each side, when the frames are too slow
const kStepUp = 1 / 0.92;
const kSlow = 1.3;           // a window's median frame this many screen refreshes long is too slow
const kSpare = 1.08;         // ... and this many leaves time to spare
const kWindowsToGrow = 4;    // windows with time to spare before a step up
let scale = 1;               // of the device-pixel size
const intervals = [];
let refreshMs = 1000 / 60;   // the screen's refresh: 60 Hz, or the shortest median frame seen
let spareWindows = 0;
let css = [0, 0];
let ratio = 1;

// The size the canvas should draw at: its CSS size times devicePixelRatio, scaled down
// uniformly to the budget.
export function wantedSize(cssWidth, cssHeight, ratio, budget = kPixelBudget) {
  let w = Math.max(1, Math.round(cssWidth * ratio));
  let h = Math.max(1, Math.round(cssHeight * ratio));
  if (w * h > budget) {
    const s = Math.sqrt(budget / (w * h));
    w = Math.max(1, Math.floor(w * s));
    h = Math.max(1, Math.floor(h * s));
  }
  return [w, h];
}

function measure() {
  const box = canvas.getBoundingClientRect();
  css = [box.width, box.height];
  ratio = window.devicePixelRatio || 1;
  want();
}

function want() {
  const size = wantedSize(css[0], css[1], ratio * scale);
  if (size[0] === wanted[0] && size[1] === wanted[1]) return;
  wanted = size;
  // Only a real change: a frame drawn again for nothing would move the scenes that carry
  // something from frame to frame.
  if (changed) changed();
}

// A zoom or a move to another screen changes devicePixelRatio; the query for the current ratio
// stops matching then, and is made anew for the new one.
function watchRatio() {
  const query = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
  const again = () => { query.removeEventListener('change', again); watchRatio(); measure(); };
  query.addEventListener('change', again);
}

// Starts following the canvas's size; onChange runs when the wanted size changes (the page has
// a held show draw its frame again).
export function watch(element, onChange) {
  canvas = element;
  changed = onChange;
  window.addEventListener('resize', measure);
  document.addEventListener('fullscreenchange', measure);
  document.addEventListener('webkitfullscreenchange', measure);
  if (window.ResizeObserver) new ResizeObserver(measure).observe(canvas);
  watchRatio();
  measure();
}

// Notes the time from the last frame to this one, while the show plays.
export function noteFrame(intervalMs) {
  intervals.push(intervalMs);
  if (intervals.length < kWindow) return;
  const median = intervals.sort((a, b) => a - b)[kWindow >> 1];
  intervals.length = 0;
  refreshMs = Math.min(refreshMs, median);
  const floor = Math.min(1, 0.75 / ratio);
  let next = scale;
  if (median > kSlow * refreshMs) {
    spareWindows = 0;
    next = Math.max(floor, scale * kStepDown);
  } else if (median <= kSpare * refreshMs && ++spareWindows >= kWindowsToGrow) {
    spareWindows = 0;
    next = Math.min(1, scale * kStepUp);
  }
  if (next === scale) return;
  scale = next;
  stats.drawingScale = scale;
  want();
}

// Gives the drawing buffer the wanted size; true when it changed (its picture is gone then and
// the show's viewport must follow). The show calls it before each frame.
export function fit() {
  if (!canvas) return false;
  const resized = canvas.width !== wanted[0] || canvas.height !== wanted[1];
  if (resized) {
    canvas.width = wanted[0];
    canvas.height = wanted[1];
  }
  stats.drawingBuffer[0] = canvas.width;
  stats.drawingBuffer[1] = canvas.height;
  return resized;
}
