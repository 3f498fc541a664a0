// The page in Firefox ESR and WebKitGTK, one list of cases for each (Chromium has page.test.js),
// and in Chromium as a phone: touch, three device pixels to a CSS pixel.
'use strict';
const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { KnownDevices } = require('puppeteer-core');
const web = require('./harness');

// SHOW_WEB_ENGINES="firefox webkit chromium" runs the list in Chromium too.
const ENGINES = (process.env.SHOW_WEB_ENGINES || 'firefox webkit').split(/\s+/).filter(Boolean);
// Two scenes: the Blob over its spiral, and one of the later scenes.
const STILLS = ['4:70', '19:116'];
const PIXEL_BUDGET = 1920 * 1440;  // the most the page draws a frame
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

let server, bare, bareDir;
before(async () => {
  server = await web.serve();
  // The site without its data package (whatever its name), for the error panel.
  bareDir = fs.mkdtempSync(path.join(os.tmpdir(), 'show-bare-'));
  fs.cpSync(web.SITE, bareDir, { recursive: true });
  const data = fs.readdirSync(bareDir).filter((name) => /^show.*\.data(\.|$)/.test(name));
  assert.ok(data.length, `no show*.data in ${web.SITE}`);
  for (const name of data) fs.rmSync(path.join(bareDir, name));
  bare = await web.serve(bareDir);
});
after(() => {
  server?.close();
  bare?.close();
  if (bareDir) fs.rmSync(bareDir, { recursive: true, force: true });
});

for (const engine of ENGINES) {
  describe(engine, () => {
    let session;
    before(async () => { session = await web.start(engine); });
    after(async () => { await session?.close(); });

    test('waits on its first frame, starts on a click, the rows heard follow the audio clock, Escape ends', async () => {
      const tab = await session.open(server.url, '');
      const waiting = await tab.stats();
      assert.equal(waiting.state, 'waiting', waiting.error || '');
      assert.ok(waiting.frames >= 1, 'the first frame is drawn before the click');
      await sleep(500);
      assert.equal((await tab.stats()).frames, waiting.frames, 'nothing plays before the click');

      const started = await tab.clickToStart();
      assert.equal(started.state, 'playing', started.error || '');
      await sleep(1000);
      const a = await tab.stats();
      await sleep(3000);
      const b = await tab.stats();
      assert.ok(b.audioTime - a.audioTime > 2, `the audio clock ran ${b.audioTime - a.audioTime} s in 3 s`);
      web.assertFollowsAudio(a, b, engine);
      assert.ok(b.frames - a.frames > 30, `only ${b.frames - a.frames} frames in 3 s`);

      await tab.press('Escape');
      const ended = await tab.waitForState(['ended', 'failed']);
      assert.equal(ended.state, 'ended', ended.error || '');
      await tab.close();
    });

    test('stills at two scenes look as the native program draws them', async () => {
      fs.mkdirSync(web.STILL_DIR, { recursive: true });
      const figures = [];
      for (const start of STILLS) {
        const tab = await session.open(server.url, `?start=${start}`);
        const s = await tab.stats();
        assert.equal(s.state, 'waiting', `?start=${start}: ${s.error}`);
        const name = start.replace(':', '-');
        const browserStill = path.join(web.STILL_DIR, `${engine}-${name}.png`);
        const nativeFile = path.join(web.STILL_DIR, `native-${name}.png`);
        await tab.still(browserStill);
        await tab.close();
        web.nativeStill(start, nativeFile);
        figures.push([start, web.ssim(browserStill, nativeFile)]);
      }
      const said = figures.map(([start, value]) => `${start} ${value.toFixed(3)}`).join(', ');
      console.log(`${engine}: SSIM against the native stills (${web.STILL_DIR}): ${said}`);
      for (const [start, value] of figures) assert.ok(value >= 0.95, `?start=${start}: SSIM ${value} (${said})`);
    });

    test('a missing data package shows the error panel naming it', async () => {
      const tab = await session.open(bare.url, '');
      assert.equal((await tab.stats()).state, 'failed');
      const [shown, text] = await tab.evaluate(() =>
        [!document.getElementById('error').hidden, document.getElementById('errorText').textContent]);
      assert.ok(shown, 'the error panel is hidden');
      assert.match(text, /show\.\S*data/);
      await tab.close();
    });
  });
}

describe('chromium as a phone', () => {
  let browser;
  before(async () => { browser = await web.launch(); });
  after(async () => { await browser?.close(); });

  test('a tap starts the show, a double tap is harmless, the drawing buffer is the CSS size in device pixels', async () => {
    const page = await web.open(browser, server.url, '', { device: KnownDevices['iPhone 13'] });
    const canvasSize = () => page.evaluate(() => {
      const c = document.querySelector('canvas');
      return { buffer: [c.width, c.height], css: [c.clientWidth, c.clientHeight], ratio: devicePixelRatio };
    });
    const waiting = await canvasSize();
    assert.equal(waiting.ratio, 3);

    await page.touchscreen.tap(195, 422);
    const started = await web.waitForState(page, ['playing', 'failed']);
    assert.equal(started.state, 'playing', started.error || '');
    await sleep(500);
    await page.touchscreen.tap(195, 422);
    await page.touchscreen.tap(195, 422);
    await sleep(1000);
    const s = await web.stats(page);
    assert.notEqual(s.state, 'failed', s.error || '');
    assert.deepEqual(page.problems, []);

    // The drawing buffer while the first frame waits (before the page may shrink it for slow
    // frames): the CSS size times devicePixelRatio, scaled down uniformly to the pixel budget.
    // This one needs the page's drawing buffer in device pixels.
    const { buffer, css, ratio } = waiting;
    let want = css.map((side) => side * ratio);
    const over = (want[0] * want[1]) / PIXEL_BUDGET;
    if (over > 1) want = want.map((side) => side / Math.sqrt(over));
    assert.ok(Math.abs(buffer[0] - want[0]) <= 1 && Math.abs(buffer[1] - want[1]) <= 1,
      `drawing buffer ${buffer.join(' x ')} for ${css.join(' x ')} CSS pixels at ${ratio}: ` +
      `wanted ${want.map(Math.round).join(' x ')}`);
    await page.close();
  });
});
