// Measures the browser build (not a test): time to the first frame and to sound, and frame times
// over a stretch of play at each start position given, in Chromium (the default), Firefox ESR or
// WebKitGTK.
//   node tests/web/measure.js [ORDER:ROW ...] [--seconds N] [--engine chromium|firefox|webkit]
//                             [--dpr N]  (Chromium: the 640 x 480 page at devicePixelRatio N)
'use strict';
const web = require('./harness');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function main() {
  const args = process.argv.slice(2);
  let seconds = 5, engine = 'chromium';
  const at = args.indexOf('--seconds');
  if (at >= 0) seconds = Number(args.splice(at, 2)[1]);
  const named = args.indexOf('--engine');
  if (named >= 0) engine = args.splice(named, 2)[1];
  let dpr = 1;
  const ratio = args.indexOf('--dpr');
  if (ratio >= 0) dpr = Number(args.splice(ratio, 2)[1]);
  if (dpr !== 1 && engine !== 'chromium') throw new Error('--dpr is for Chromium only');
  const starts = args.length ? args : ['0:0'];
  const server = await web.serve();
  const session = await web.start(engine);
  try {
    for (const start of starts) {
      const tab = await session.open(server.url, `?start=${start}`);
      if (dpr !== 1) await tab.page.setViewport({ width: 640, height: 480, deviceScaleFactor: dpr });
      const first = await tab.stats();
      if (first.state !== 'waiting') throw new Error(`?start=${start}: ${first.error}`);
      await tab.clickToStart();
      // Sound has started when the Web Audio clock moves.
      for (let i = 0; !(await tab.evaluate(() => window.showStats.audioTime > 0)); i++) {
        if (i > 1000) throw new Error(`?start=${start}: the audio clock never moved`);
        await sleep(5);
      }
      const sound = await tab.evaluate(() => performance.now() - window.showStats.startedMs);
      // The rows heard are counted from a second in: WebKitGTK's audio clock leaps at its start.
      await sleep(1000);
      const a = await tab.stats();
      await sleep(seconds * 1000);
      const s = await tab.stats();
      const intervals = s.intervalMs.slice(-Math.min(s.intervalMs.length, 60 * seconds));
      const mean = intervals.reduce((a, b) => a + b, 0) / intervals.length;
      const sorted = [...intervals].sort((a, b) => a - b);
      const draw = s.drawMs.reduce((a, b) => a + b, 0) / s.drawMs.length;
      // Where each new row was first shown, on the Web Audio clock: a line through them gives
      // the seconds per row and where row 0 of the start lies on that clock (the audio clock
      // starts at 0 with the first sample handed to the browser).
      const rows = [];
      for (const [t, order, row] of s.positions)
        if (t > 0 && order >= 0 && (!rows.length || rows[rows.length - 1][1] !== order * 128 + row)) rows.push([t, order * 128 + row]);
      const [o0, r0] = start.split(':').map(Number);
      const xs = rows.map(([, k]) => k - (o0 * 128 + r0)), ys = rows.map(([t]) => t);
      const n = xs.length, mx = xs.reduce((a, b) => a + b, 0) / n, my = ys.reduce((a, b) => a + b, 0) / n;
      const slope = xs.reduce((a, x, i) => a + (x - mx) * (ys[i] - my), 0) / xs.reduce((a, x) => a + (x - mx) ** 2, 0);
      const offset = my - slope * mx;
      console.log(`${engine}, start ${start}: ${n} rows shown, ${(1000 * slope).toFixed(2)} ms a row, the start row shown at ` +
        `audio clock ${(1000 * offset).toFixed(1)} ms; ${s.heard.length - a.heard.length} rows heard while the ` +
        `audio clock ran ${(s.audioTime - a.audioTime).toFixed(2)} s (${((s.audioTime - a.audioTime) / 0.06).toFixed(1)} ` +
        `rows at 60 ms a row)`);
      console.log(`${engine}, start ${start}: first frame ${first.firstFrameMs.toFixed(0)} ms after navigation ` +
        `(the music made in ${first.musicMs.toFixed(0)} ms), ` +
        `sound ${sound.toFixed(0)} ms after the click, ${(1000 / mean).toFixed(1)} fps ` +
        `(95th percentile frame ${sorted[Math.floor(0.95 * sorted.length)].toFixed(1)} ms), ` +
        `drawing ${draw.toFixed(2)} ms a frame, output latency ${(1000 * s.outputLatency).toFixed(1)} ms, ` +
        `drawing buffer ${s.drawingBuffer.join(' x ')} at the end`);
      await tab.close();
    }
  } finally {
    await session.close();
    server.close();
  }
}
main().catch((e) => { console.error(`measure: ${e.message}`); process.exit(1); });
