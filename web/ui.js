// The page's face: what it knows (window.showStats, read by the tests) and its panels.
export const $ = (id) => document.getElementById(id);

export const stats = window.showStats = {
  state: 'loading',   // loading, waiting, playing, held, ended, failed
  runs: 0,            // runs of the show started
  frames: 0,          // frames drawn in this run
  order: -1, row: -1, // music position heard at the latest frame (-1 before any)
  audioTime: 0,       // the Web Audio clock at the latest frame, in seconds
  outputLatency: 0,   // what the browser reports for its sound output, in seconds
  musicMs: null,      // milliseconds the music took to make
  firstFrameMs: null, // milliseconds from navigation to the first frame
  startedMs: null,    // ... to the start (the click)
  drawMs: [],         // the last 600 frames: drawing time, in milliseconds
  intervalMs: [],     // ... time between frames, in milliseconds
  positions: [],      // ... [audioTime, order, row]
  heard: [],          // every position heard in this run, [order, row], in order
  holds: [],          // what holds the show now: start, hidden, graphics, sound
  audioContexts: 0,   // AudioContexts the page made (one for all runs)
  soundCallbacks: 0,  // sound buffers asked for
  underruns: 0,       // ... that were asked for too late to be heard in time
  soundOff: false,    // the sound did not start: the show plays silently
  drawingBuffer: [0, 0], // the canvas's drawing buffer, in pixels: what the show draws at
  drawingScale: 1,    // ... of the size shown in device pixels: less where frames came too slowly
  error: null,        // what failed, as the error panel says it
  log: [],            // the show's standard error, the last 50 lines
};

export const keep = (list, item, most = 600) => { list.push(item); if (list.length > most) list.shift(); };

export function fail(what) {
  if (stats.state === 'failed') return;
  stats.state = 'failed';
  stats.error = what;
  $('loading').hidden = $('prompt').hidden = $('notice').hidden = true;
  const said = stats.log.length ? '\n\n' + stats.log.join('\n') : '';
  $('errorText').textContent = what + said;
  $('error').hidden = false;
}

// The prompt over the picture: what to do (text) and, under it, what else one can do (help).
export function prompt(text, help = null) {
  $('promptText').textContent = text;
  if (help !== null) $('promptHelp').textContent = help;
  $('prompt').hidden = false;
}

export function hidePrompt() {
  $('prompt').hidden = true;
}

// A line over the picture that does not stop it (sound off, graphics lost); null hides it. An
// action, when given, is a button under the line.
export function notice(text, action = null) {
  $('noticeText').textContent = text || '';
  const button = $('noticeAction');
  button.hidden = !action;
  if (action) {
    button.textContent = action.label;
    button.onclick = (e) => { e.stopPropagation(); action.run(); };
  }
  $('notice').hidden = !text;
}
