// The canvas's drawing buffer: the size it is shown at, in device pixels, within a pixel budget.
import { stats } from './ui.js';

// Most pixels drawn a frame: a software renderer (SwiftShader, llvmpipe) stays smooth at this
// size, and on a bigger screen the browser's scaling of a 1920 x 1440 picture is hardly seen.
export const kPixelBudget = 1920 * 1440;

let canvas = null;
let wanted = [0, 0];
let changed = null;  // called when the wanted size changes

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
  const size = wantedSize(box.width, box.height, window.devicePixelRatio || 1);
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

// Gives the drawing buffer the wanted size; true when it changed (its picture is gone then and
// the show's viewport must follow). The show calls it before each frame.
export function fit() {
  if (!canvas) return false;
  stats.drawingBuffer = wanted.slice();
  if (canvas.width === wanted[0] && canvas.height === wanted[1]) return false;
  canvas.width = wanted[0];
  canvas.height = wanted[1];
  return true;
}
