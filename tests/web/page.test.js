// The browser build in headless Chromium: start, positions and audio clock, stills, Escape, and
// the error panel when the data package or WebGL is missing.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const web = require('./harness');

// Start positions whose stills are taken (ORDER:ROW, as --start takes them).
const STILLS = (process.env.SHOW_WEB_STILLS || '0:0 2:16 5:0').split(' ');
const STILL_DIR = process.env.SHOW_WEB_STILL_DIR ||
  path.resolve(__dirname, '..', '..', process.env.SHOW_WEB_BUILD || 'build-web', 'stills');
fs.mkdirSync(STILL_DIR, { recursive: true });

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

test('waits on its first frame, then plays on a click with the position following the audio clock', async () => {
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
});

test('stills at start positions: the picture is drawn and differs with the position', async () => {
  const stills = [];
  for (const start of STILLS) {
    const page = await open(`?start=${start}`);
    const s = await web.stats(page);
    assert.equal(s.state, 'waiting', `?start=${start}: ${s.error}`);
    const shot = await web.still(page, path.join(STILL_DIR, `still-${start.replace(':', '-')}.png`));
    assert.ok(shot.spread > 10, `?start=${start}: the still is flat (spread ${shot.spread})`);
    stills.push(shot);
    await page.close();
  }
  for (let i = 1; i < stills.length; i++)
    assert.ok(!stills[i].png.equals(stills[0].png), `the stills at ${STILLS[0]} and ${STILLS[i]} are the same`);
});

test('a malformed start position is refused with the program\'s own message', async () => {
  const page = await open('?start=nonsense');
  const s = await web.stats(page);
  assert.equal(s.state, 'failed');
  assert.match(await page.$eval('#errorText', (e) => e.textContent), /exit code 2[\s\S]*nonsense/);
  page.problems.length = 0;  // the refusal is what this page is for
});

test('a missing data package shows the error panel naming it', async () => {
  const page = await open('', { missing: ['show.data'] });
  assert.equal((await web.stats(page)).state, 'failed');
  assert.equal(await page.$eval('#error', (e) => e.hidden), false);
  assert.match(await page.$eval('#errorText', (e) => e.textContent), /show\.data/);
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
