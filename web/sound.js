// The page's one AudioContext: made once for every run, resumed inside the person's gestures
// (the only moment some browsers allow it), given a time limit, and watched for interruptions.
import { stats } from './ui.js';

const kStartLimitMs = 3000;  // how long sound may take to start before the show goes on silently

let context = null;
let ourSuspend = false;  // the page suspended it (hidden, graphics lost): not an interruption
const interruptionListeners = [];

// Makes the context, suspended until a gesture. SDL would close it at the end of each run; it is
// kept for the next one instead.
export function makeContext() {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return null;
  // At the music's own rate SDL hands each buffer over as the show made it, with no resampling
  // that would blur when a buffer's first frame is heard.
  try {
    context = new Context({ sampleRate: 44100 });
  } catch (e) {
    context = new Context();
  }
  stats.audioContexts++;
  // iOS plays a page's sound through the ring/silent switch only when the page says it plays
  // media (Safari 17 and later); elsewhere there is no such setting.
  if (navigator.audioSession) {
    try { navigator.audioSession.type = 'playback'; } catch (e) { /* not offered here */ }
  }
  context.close = () => Promise.resolve();
  window.showAudioContext = context;  // for tests, and for a look from the console
  context.addEventListener('statechange', () => {
    if (context.state !== 'running' && !ourSuspend) interruptionListeners.forEach((f) => f());
  });
  return context;
}

export const audioContext = () => context;

// Called inside a click, tap or key handler.
export function resumeInGesture() {
  if (!context || context.state === 'running') return;
  ourSuspend = false;
  context.resume().catch(() => {});
}

export function suspendForPage() {
  if (!context || context.state !== 'running') return;
  ourSuspend = true;
  context.suspend().catch(() => {});
}

// Resolves true once the sound runs, false when it has not within the time limit.
export async function ready() {
  if (!context) return false;
  if (context.state === 'running') return true;
  ourSuspend = false;
  const limit = new Promise((resolve) => setTimeout(resolve, kStartLimitMs));
  await Promise.race([context.resume().catch(() => {}), limit]);
  return context.state === 'running';
}

// The sound stopped by itself (a call, a lock, a device change, another tab took it).
export function onInterrupted(listener) {
  interruptionListeners.push(listener);
}

// An output stamp tells when a sample has already left, so it never lies ahead of
// performance.now(); one that does is wrong (WebKitGTK's run at twice the page's clock, which put
// the positions ever further behind the sound) and the context's stamps are not used again.
let stampsWrong = false;
const kStampAheadMs = 50;

// The moment, on the page's clock (performance.now), at which a buffer that starts at context
// time `at` is heard.
function heardMs(at) {
  const stamp = !stampsWrong && context.getOutputTimestamp && context.getOutputTimestamp();
  if (stamp && stamp.performanceTime > performance.now() + kStampAheadMs) stampsWrong = true;
  else if (stamp && stamp.performanceTime > 0) return stamp.performanceTime + (at - stamp.contextTime) * 1000;
  const latency = context.outputLatency || context.baseLatency || 0;
  return performance.now() + (at - context.currentTime + latency) * 1000;
}

// Wraps SDL's sound callback (sdl2: the run's Module.SDL2): tells the show when each buffer will
// be heard (sdl2.heardMs), which a callback's own moment does not (a busy main thread makes it
// late while the buffers ahead still play), and counts the buffers asked for and those asked
// for after they should have started playing: a main thread busy too long was heard as a gap.
export function watch(sdl2) {
  const node = sdl2 && sdl2.audio && sdl2.audio.scriptProcessorNode;
  if (!node || node.watched) return;
  node.watched = true;
  const fill = node.onaudioprocess;
  node.onaudioprocess = (e) => {
    stats.soundCallbacks++;
    if (e.playbackTime < context.currentTime) stats.underruns++;
    sdl2.heardMs = heardMs(e.playbackTime);
    fill(e);
  };
}
