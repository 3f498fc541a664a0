// The browser build in headless Chromium: start, positions and audio clock, stills, Escape, and
// the error panel when the data package or WebGL is missing.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const web = require('./harness');

// One moment of every scene and of the closing sequence (ORDER:ROW, as --start takes it).
const STILLS = (process.env.SHOW_WEB_STILLS ||
  '1:40 4:70 10:50 15:60 19:116 23:80 26:30 30:20').split(' ');
const STILL_DIR = web.STILL_DIR;
fs.mkdirSync(STILL_DIR, { recursive: true });
const nativeStill = web.nativeStill;

const ssim = web.ssim;

let server, browser;
const pages = [];
before(async () => {
  server = await web.serve();
  browser = await web.launch();
});
after(async () => {
  await browser?.close();
  server?.close();
});
async function open(query, options) {
  const page = await web.open(browser, server.url, query, options);
  pages.push(page);
  return page;
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const linear = ([, order, row]) => order * 1000 + row;

test('waits on its first frame, plays on a click with the position following the audio clock, ends on Escape and plays again', async () => {
  const page = await open('');
  const waiting = await web.stats(page);
  assert.equal(waiting.state, 'waiting');
  assert.ok(waiting.frames >= 1, 'the first frame is drawn before the click');
  await sleep(500);
  assert.equal((await web.stats(page)).frames, waiting.frames, 'nothing plays before the click');

  const started = await web.clickToStart(page);
  assert.equal(started.state, 'playing', started.error || '');
  await sleep(500);
  const s0 = await web.stats(page);
  const wall0 = Date.now();
  await sleep(2500);
  const s = await web.stats(page);
  const wall = (Date.now() - wall0) / 1000;
  const heard = s.audioTime - s0.audioTime;
  assert.ok(heard > 0.85 * wall && heard < 1.15 * wall, `the audio clock ran ${heard} s in ${wall} s`);
  // Positions never go back while playing, and they move on.
  web.assertFollowsAudio(s0, s, 'playing');
  const playing = s.positions.filter(([t]) => t > 0).map(linear);
  for (let i = 1; i < playing.length; i++) assert.ok(playing[i] >= playing[i - 1], `position went back at frame ${i}`);
  assert.ok(playing[playing.length - 1] > playing[0], 'the position did not move');
  assert.ok(s.frames - s0.frames > 30 * wall, `only ${s.frames - s0.frames} frames in ${wall} s`);

  // Escape ends the show; a click plays it again.
  await page.keyboard.press('Escape');
  const ended = await web.waitForState(page, ['ended']);
  assert.equal(ended.state, 'ended');
  assert.equal(await page.$eval('#promptText', (e) => e.textContent), 'Click to play again');
  assert.equal(await page.$eval('#prompt', (e) => e.hidden), false);
  assert.equal((await web.clickToStart(page)).state, 'playing');
  await sleep(500);
  const r0 = await web.stats(page);
  await sleep(2000);
  const r = await web.stats(page);
  assert.equal(r.runs, 2);
  assert.ok(r.frames - r0.frames > 30 * 2, `only ${r.frames - r0.frames} frames in 2 s after playing again`);
  web.assertFollowsAudio(r0, r, 'playing again');
});

test('stills at a moment of every scene and the closing sequence look as the native program draws them', async () => {
  const figures = [];
  for (const start of STILLS) {
    const page = await open(`?start=${start}`);
    const s = await web.stats(page);
    assert.equal(s.state, 'waiting', `?start=${start}: ${s.error}`);
    const name = start.replace(':', '-');
    const browserStill = path.join(STILL_DIR, `web-${name}.png`);
    const nativeFile = path.join(STILL_DIR, `native-${name}.png`);
    await web.still(page, browserStill);
    await page.close();
    nativeStill(start, nativeFile);
    figures.push([start, ssim(browserStill, nativeFile)]);
  }
  const said = figures.map(([start, value]) => `${start} ${value.toFixed(3)}`).join(', ');
  console.log(`SSIM against the native stills (${STILL_DIR}): ${said}`);
  for (const [start, value] of figures) assert.ok(value >= 0.95, `?start=${start}: SSIM ${value} (${said})`);
});

test('a malformed start position is refused with the program\'s own message', async () => {
  const page = await open('?start=nonsense');
  const s = await web.stats(page);
  assert.equal(s.state, 'failed');
  assert.match(await page.$eval('#errorText', (e) => e.textContent), /exit code 2[\s\S]*nonsense/);
  page.problems.length = 0;  // the refusal is what this page is for
});

test('a missing data package shows the error panel naming it', async () => {
  // The package under the name the build gave it, a hash of its content in it.
  const name = fs.readdirSync(web.SITE).find((n) => /^show\.[0-9a-f]{12}\.data$/.test(n));
  assert.ok(name, `no show.HASH.data in ${web.SITE}`);
  const page = await open('', { missing: [name] });
  assert.equal((await web.stats(page)).state, 'failed');
  assert.equal(await page.$eval('#error', (e) => e.hidden), false);
  assert.ok((await page.$eval('#errorText', (e) => e.textContent)).includes(name));
  page.problems.length = 0;
});

test('no console errors on the pages that ran', () => {
  assert.deepEqual(pages.flatMap((p) => p.problems), []);
});

test('a browser without WebGL shows the error panel', async () => {
  const plain = await web.launch(['--disable-webgl']);
  try {
    const page = await web.open(plain, server.url);
    assert.equal((await web.stats(page)).state, 'failed');
    assert.match(await page.$eval('#errorText', (e) => e.textContent), /WebGL/);
  } finally {
    await plain.close();
  }
});
