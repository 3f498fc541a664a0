// The page under ordinary browsing: hidden and frozen pages, lost graphics, interrupted sound,
// impatient clicks, a busy main thread and the music's natural end.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const web = require('./harness');

let server, browser;
before(async () => {
  server = await web.serve();
  browser = await web.launch();
});
after(async () => {
  await browser?.close();
  server?.close();
});
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const LAST_ORDER = 33;  // the show ends when the music reaches it

// Every position heard is the next row of its order or row 0 of the next order, and the last is
// the show's end: none was dropped.
function assertNoneDropped(heard) {
  for (let i = 1; i < heard.length; i++) {
    const [o0, r0] = heard[i - 1], [o1, r1] = heard[i];
    assert.ok((o1 === o0 && r1 === r0 + 1) || (o1 === o0 + 1 && r1 === 0),
      `position ${o1}:${r1} followed ${o0}:${r0}`);
  }
  assert.ok(heard[heard.length - 1][0] >= LAST_ORDER, 'the end of the show was not heard');
}

const assertFollowsAudio = web.assertFollowsAudio;

// A PNG through an ffmpeg filter (crop, scale, ...): a PNG.
function filterStill(png, filter) {
  const run = spawnSync('ffmpeg', ['-v', 'error', '-i', 'pipe:0', '-vf', filter, '-f', 'image2pipe', '-c:v', 'png', 'pipe:1'],
    { input: png, maxBuffer: 64 << 20 });
  assert.equal(run.status, 0, `ffmpeg -vf ${filter}: ${run.stderr}`);
  return run.stdout;
}

// Another tab in front hides the page; closing it shows the page again.
async function hide(page) {
  const other = await browser.newPage();
  await other.bringToFront();
  return async () => {
    await page.bringToFront();
    await other.close();
  };
}

async function playing(query) {
  const page = await web.open(browser, server.url, query);
  assert.equal((await web.clickToStart(page)).state, 'playing');
  await sleep(800);
  return page;
}

test('a page hidden for 20 s pauses and goes on in step with its sound, to the end, with no row lost', async () => {
  const page = await playing('?start=32:0');
  const before = await web.stats(page);
  const show = await hide(page);
  assert.equal(await page.evaluate(() => document.visibilityState), 'hidden');
  await sleep(20000);
  await show();
  await sleep(1000);
  const back = await web.stats(page);
  assert.notEqual(back.state, 'failed', back.error || '');
  assertFollowsAudio(before, back, 'a second after coming back');
  const ended = await web.waitForState(page, ['ended', 'failed'], 30000);
  assert.equal(ended.state, 'ended', ended.error || '');
  assertNoneDropped(ended.heard);
  assert.ok(!ended.log.some((l) => /stopped playing/.test(l)), ended.log.join('\n'));
  await page.close();
});

// Chromium hides a page it freezes; a main thread that stands still for seconds (a debugger, a
// stalled renderer) comes with no notice at all.
test('a page frozen for 20 s, or stalled for 5 s without notice, loses no position and still ends', async () => {
  const page = await playing('?start=32:0');
  const cdp = await page.createCDPSession();
  await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
  await sleep(20000);
  await cdp.send('Page.setWebLifecycleState', { state: 'active' });
  await (await hide(page))();
  await sleep(1000);
  await page.evaluate(() => { const until = performance.now() + 5000; while (performance.now() < until); });
  const ended = await web.waitForState(page, ['ended', 'failed'], 30000);
  assert.equal(ended.state, 'ended', ended.error || '');
  assertNoneDropped(ended.heard);
  assert.ok(!ended.log.some((l) => /stopped playing/.test(l)), ended.log.join('\n'));
  await page.close();
});

async function loseGraphics(page, restore) {
  await page.evaluate(() => {
    window.loser = document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
    window.loser.loseContext();
  });
  await page.waitForFunction(() => window.showStats.holds.includes('graphics'), { timeout: 5000 });
  if (restore) await page.evaluate(() => window.loser.restoreContext());
}

test('lost graphics hold the show; restored, it draws the same picture and plays on', async () => {
  const page = await web.open(browser, server.url, '?start=4:70');
  const a = await web.still(page);
  const frames = (await web.stats(page)).frames;
  await loseGraphics(page, true);
  await page.waitForFunction((n) => window.showStats.frames > n, { timeout: 5000 }, frames);
  const b = await web.still(page);
  assert.ok(web.ssimOf(a, b) >= 0.99, `SSIM ${web.ssimOf(a, b)} after the restore`);

  assert.equal((await web.clickToStart(page)).state, 'playing');
  await sleep(500);
  await loseGraphics(page, false);
  const held = await web.stats(page);
  assert.equal(held.state, 'held');
  assert.equal(await page.$eval('#notice', (e) => e.hidden), false);
  await sleep(500);
  assert.equal((await web.stats(page)).heard.length, held.heard.length, 'the music went on without the picture');
  await page.evaluate(() => window.loser.restoreContext());
  await web.waitForState(page, ['playing']);
  await sleep(800);
  const s = await web.stats(page);
  assert.ok(s.heard.length > held.heard.length + 5, 'the show did not go on');
  assert.deepEqual(page.problems, []);
  await page.close();
});

test('sound suspended by the system pauses the show; a click resumes music and picture together', async () => {
  const page = await playing('?start=10:0');
  await page.evaluate(() => window.showAudioContext.suspend());
  const held = await web.waitForState(page, ['held']);
  assert.equal(await page.$eval('#promptText', (e) => e.textContent), 'Click to resume');
  await sleep(600);
  const still = await web.stats(page);
  assert.equal(still.frames, held.frames, 'frames went on');
  assert.equal(still.heard.length, held.heard.length, 'the music went on');
  assert.equal((await web.clickToStart(page)).state, 'playing');
  await sleep(300);
  const a = await web.stats(page);
  await sleep(2000);
  const b = await web.stats(page);
  assert.equal(await page.evaluate(() => window.showAudioContext.state), 'running');
  assertFollowsAudio(a, b, 'after the resume');
  assert.ok(b.frames > a.frames + 60, 'the picture did not go on');
  await page.close();
});

test('a double click and ten Enter presses on "Click to play again" start exactly one run', async () => {
  const page = await browser.newPage();
  await page.setViewport({ width: 640, height: 480 });
  let wasmFetches = 0;
  page.on('request', (r) => { if (/\.wasm$/.test(new URL(r.url()).pathname)) wasmFetches++; });
  await page.goto(server.url + '?start=32:100');
  await web.waitForState(page, ['waiting'], 30000);
  // A click during loading or several while waiting start one run only.
  await page.mouse.click(320, 240, { clickCount: 2 });
  await web.waitForState(page, ['ended'], 30000);
  const runs = (await web.stats(page)).runs;
  await page.mouse.click(320, 240, { clickCount: 2 });
  for (let i = 0; i < 10; i++) await page.keyboard.press('Enter');
  await sleep(2000);
  const s = await web.stats(page);
  assert.equal(s.runs, runs + 1);
  assert.equal(s.audioContexts, 1);
  assert.equal(wasmFetches, 1, 'show.wasm was fetched again');
  await page.close();
});

test('a busy main thread (150 ms, ten times) is not heard, and the rows follow the sound', async () => {
  const page = await playing('?start=10:0');
  const a = await web.stats(page);
  await page.evaluate(() => new Promise((resolve) => {
    let n = 0;
    const timer = setInterval(() => {
      const until = performance.now() + 150;
      while (performance.now() < until);
      if (++n === 10) { clearInterval(timer); resolve(); }
    }, 300);
  }));
  await sleep(500);
  const b = await web.stats(page);
  console.log(`busy main thread: ${b.underruns - a.underruns} underruns in ${b.soundCallbacks - a.soundCallbacks} sound buffers`);
  assert.equal(b.underruns, a.underruns, 'sound buffers came too late');
  assertFollowsAudio(a, b, 'with a busy main thread');
  await page.close();
});

test('the music\'s natural end ends the show and offers to play again', async () => {
  const page = await playing('?start=32:100');
  const s = await web.waitForState(page, ['ended', 'failed'], 20000);
  assert.equal(s.state, 'ended', s.error || '');
  assert.equal(await page.$eval('#promptText', (e) => e.textContent), 'Click to play again');
  assertNoneDropped(s.heard);
  assert.deepEqual(page.problems, []);
  await page.close();
});

// The drawing buffer follows the canvas's size in device pixels: a waiting page resized to a
// wider window at devicePixelRatio 2 draws its frame again, sharp, with the 4:3 picture in the
// middle and black bars at the sides.
test('a waiting page resized at devicePixelRatio 2 draws its frame again at the new size, 4:3 with bars', async () => {
  const page = await web.open(browser, server.url, '?start=4:70');
  const small = await web.still(page);
  const before = await web.stats(page);
  await page.setViewport({ width: 800, height: 480, deviceScaleFactor: 2 });
  await page.waitForFunction(() => window.showStats.drawingBuffer.join('x') === '1600x960', { timeout: 5000 });
  await sleep(300);
  const after = await web.stats(page);
  assert.equal(after.state, 'waiting');
  assert.ok(after.frames > before.frames, 'the frame was not drawn again');
  const big = await web.still(page);
  // The middle 4:3 area, brought back to 640 x 480, is the small still; the bars are black.
  const middle = filterStill(big, 'crop=1280:960:160:0,scale=640:480:flags=area');
  assert.ok(web.ssimOf(middle, small) >= 0.9, 'the resized picture is not the waiting frame');
  const bar = filterStill(big, 'crop=150:960:0:0,scale=640:480');
  const black = filterStill(small, 'drawbox=c=black:t=fill');
  assert.ok(web.ssimOf(bar, black) >= 0.99, 'the bars are not black');
  await page.close();
});

// Frames that come too slowly for the screen make the drawing buffer smaller (never below three
// quarters of the CSS size); frames with time to spare make it bigger again.
test('slow frames shrink the drawing buffer step by step, and fast ones grow it again', async () => {
  const page = await web.open(browser, server.url, '?start=1:40');
  await page.setViewport({ width: 640, height: 480, deviceScaleFactor: 2 });
  await web.clickToStart(page);
  // Every frame 40 ms late: a renderer that cannot keep up.
  await page.evaluate(() => {
    window.fastFrame = window.requestAnimationFrame;
    window.requestAnimationFrame = (f) => setTimeout(() => window.fastFrame(f), 40);
  });
  await page.waitForFunction(() => window.showStats.drawingScale < 0.8, { timeout: 15000, polling: 100 });
  const slow = await web.stats(page);
  assert.ok(slow.drawingBuffer[0] >= 480 && slow.drawingBuffer[0] < 1280, `drawing at ${slow.drawingBuffer}`);
  await page.evaluate(() => { window.requestAnimationFrame = window.fastFrame; });
  await page.waitForFunction((s) => window.showStats.drawingScale > s, { timeout: 15000, polling: 100 }, slow.drawingScale);
  assert.equal((await web.stats(page)).state, 'playing');
  await page.close();
});
