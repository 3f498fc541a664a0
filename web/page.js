// The page's start: downloads the data package and compiles the show while it does, then runs
// the show on them; a new run plays it again without a second download or compile.
import { $, stats, keep, fail, prompt, notice } from './ui.js';
import * as sound from './sound.js';
import * as lifecycle from './lifecycle.js';
import * as input from './input.js';
import * as display from './display.js';
import * as device from './device.js';

// The show's end travels up its stack as an ExitStatus, which reaches the page uncaught when the
// show ends inside an animation frame; onExit has said what it means by then.
const isExit = (thrown) => thrown && thrown.name === 'ExitStatus';
window.addEventListener('error', (e) => {
  if (isExit(e.error)) return e.preventDefault();
  fail(e.message || 'a script failed: ' + (e.target.src || '?'));
}, true);
window.addEventListener('unhandledrejection', (e) => {
  if (isExit(e.reason)) return e.preventDefault();
  fail(String(e.reason && e.reason.message || e.reason));
});

// The show's command line: the ES 2.0 renderer (WebGL 1 is what it speaks), and ?start=ORDER:ROW
// as --start.
const startAt = new URLSearchParams(location.search).get('start');
const args = ['--renderer', 'gles2'].concat(startAt ? ['--start', startAt] : []);
const urlOf = (name) => new URL(name, location.href).href;
// The show's files as index.html names them (the build puts a hash of each one's content in it).
const files = JSON.parse($('files').textContent);

let data = null;      // show.data, downloaded once
let compiled = null;  // show.wasm, compiled once
let lastFrame = null;
let show = null;

const showPage = {
  ...lifecycle.hooks,
  fit: display.fit,
  frame(drawMs, order, row) {
    const now = performance.now();
    const audio = sound.audioContext();
    if (stats.firstFrameMs === null) stats.firstFrameMs = now;
    if (lastFrame !== null) keep(stats.intervalMs, now - lastFrame);
    // A frame after a hold or a stall says nothing of what a frame costs.
    if (lastFrame !== null && stats.state === 'playing' && now - lastFrame < 250) display.noteFrame(now - lastFrame);
    lastFrame = now;
    stats.frames++;
    stats.order = order;
    stats.row = row;
    stats.audioTime = audio ? audio.currentTime : 0;
    stats.outputLatency = audio ? audio.outputLatency || audio.baseLatency || 0 : 0;
    keep(stats.drawMs, drawMs);
    keep(stats.positions, [stats.audioTime, order, row]);
    input.offerClose(stats.state === 'playing');
  },
  heard(order, row) {
    keep(stats.heard, [order, row], 10000);
  },
};

function run(asReplay) {
  stats.runs++;
  stats.frames = 0;
  stats.heard = [];
  lastFrame = null;
  stats.log = [];
  const module = show = {
    canvas: $('canvas'),
    showPage,
    arguments: args.slice(),
    // The page's one AudioContext, which SDL takes instead of making its own.
    SDL2: { audioContext: sound.audioContext() },
    getPreloadedPackage: () => data.slice(0),
    instantiateWasm: (imports, done) => {
      WebAssembly.instantiate(compiled, imports).then((instance) => done(instance, compiled),
        (e) => fail('The show failed to start: ' + e.message));
      return {};
    },
    print: (text) => console.log(text),
    printErr: (text) => { keep(stats.log, text, 50); console.warn(text); },
    // The music is not downloaded: the generator's music step writes it before the show starts.
    onRuntimeInitialized: () => {
      const began = performance.now();
      const why = module.ccall('datagenWriteMusic', 'string', ['string'], ['data']);
      stats.musicMs = performance.now() - began;
      if (why) fail('Cannot make the music: ' + why);
    },
    onAbort: (what) => fail('The show failed: ' + what),
    onExit: (code) => {
      if (show !== module) return;
      lifecycle.end();
      input.offerClose(false);
      if (code !== 0) return fail('The show stopped with exit code ' + code + '.');
      stats.state = 'ended';
      prompt(device.touchDevice ? 'Tap to play again' : 'Click to play again', device.helpText());
    },
  };
  lifecycle.begin(module, asReplay);
  createShow(module).catch((e) => fail('The show failed: ' + (e && e.message || e)));
}

input.onEnd(() => show && show._webEnd && show._webEnd());
input.onPlayAgain(() => {
  $('prompt').hidden = true;
  notice(null);
  stats.state = 'starting';  // a second click before the run begins finds nothing to start
  sound.resumeInGesture();
  run(true);
});

// Downloads a file, showing the progress of all downloads together on the bar: over the bytes
// the build counted (index.html names them), which are the bytes read whether or not the
// server compresses them; the bar never passes its end.
const progress = { got: 0, size: files.bytes || 0 };
function showProgress() {
  if (progress.size) $('progress').firstChild.style.width = Math.min(100, 100 * progress.got / progress.size) + '%';
}
async function download(name) {
  const url = urlOf(name);
  let response;
  try {
    response = await fetch(url);
  } catch (e) {
    throw new Error('Cannot load ' + url + ': ' + e.message);
  }
  if (!response.ok) throw new Error('Cannot load ' + url + ': ' + response.status + ' ' + response.statusText);
  // Without the build's count (a page served from the sources), Content-Length has to do.
  if (!files.bytes) progress.size += Number(response.headers.get('Content-Length')) || 0;
  if (!window.TransformStream || !response.body) return response;
  const counter = new TransformStream({
    transform(chunk, out) {
      progress.got += chunk.length;
      showProgress();
      out.enqueue(chunk);
    },
  });
  return new Response(response.body.pipeThrough(counter), { headers: response.headers });
}

async function compile(name) {
  const response = await download(name);
  const streaming = WebAssembly.compileStreaming &&
    (response.headers.get('Content-Type') || '').startsWith('application/wasm');
  if (streaming) return WebAssembly.compileStreaming(response);
  return WebAssembly.compile(await response.arrayBuffer());
}

function load(src) {
  return new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = src;
    script.onload = resolve;
    script.onerror = () => reject(new Error('Cannot load ' + urlOf(src) + '.'));
    document.body.appendChild(script);
  });
}

const probe = document.createElement('canvas');
if (!(probe.getContext('webgl') || probe.getContext('experimental-webgl'))) {
  fail('This browser offers no WebGL: turn on hardware acceleration, or try another browser.');
} else {
  lifecycle.watchGraphics($('canvas'));
  display.watch($('canvas'), lifecycle.redraw);
  sound.makeContext();
  Promise.all([download(files.data).then((r) => r.arrayBuffer()), compile(files.wasm), load(files.js)])
    .then(([bytes, wasm]) => {
      data = bytes;
      compiled = wasm;
      $('loading').hidden = true;
      run(false);
    }).catch((e) => fail(e.message));
}
