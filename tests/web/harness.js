// Drives the browser build in Debian's headless Chromium: serves dist/show-web/, opens the page,
// starts the show, reads window.showStats and takes stills of the canvas.
'use strict';
const { spawn, spawnSync } = require('node:child_process');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const ROOT = path.resolve(__dirname, '..', '..');
const SITE = process.env.SHOW_WEB_DIST || path.join(ROOT, 'dist', 'show-web');
const CHROMIUM = process.env.SHOW_CHROMIUM || '/usr/bin/chromium';
// WebGL in software (SwiftShader through ANGLE), and nothing that reaches out to the network.
const FLAGS = ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
  '--disable-component-update', '--disable-background-networking', '--no-first-run', '--disable-sync',
  '--disable-quic', '--autoplay-policy=user-gesture-required', '--window-size=640,480'];

function require_(what, file, hint) {
  if (!fs.existsSync(file)) throw new Error(`${what} is missing: ${file} (${hint})`);
}

// Serves the site folder on 127.0.0.1 at a port the system picks, as ./run --web serves it
// (scripts/serve-web.py: compressed copies, cache headers); resolves to its address.
async function serve(folder = SITE) {
  require_('the browser build', path.join(folder, 'index.html'), 'run scripts/build-web.sh');
  const server = spawn('python3', [path.join(ROOT, 'scripts', 'serve-web.py'), folder, '0'],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  const url = await new Promise((resolve, reject) => {
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const m = /port (\d+)/.exec(said);
      if (m) resolve(`http://127.0.0.1:${m[1]}/`);
    });
    server.on('exit', (code) => reject(new Error(`scripts/serve-web.py stopped (exit code ${code})`)));
  });
  return { url, close: () => server.kill() };
}

// Starts a fresh headless Chromium with a profile of its own, removed on close.
async function launch(extraFlags = []) {
  require_('Chromium', CHROMIUM, 'run scripts/web-setup.sh');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'show-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM, headless: true, userDataDir: profile,
    args: ['--headless=new', ...FLAGS, ...extraFlags],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Opens the page (query: "?start=1:0" and the like) and waits until it shows its first frame
// waiting for a click, or its error panel. options.missing: file names answered with 404.
// The page's console errors and uncaught exceptions are gathered in page.problems.
async function open(browser, url, query = '', options = {}) {
  const page = await browser.newPage();
  // The canvas one to one with the show's 640 x 480 picture: stills need no scaling.
  await page.setViewport({ width: 640, height: 480 });
  page.problems = [];
  page.on('console', (m) => { if (m.type() === 'error') page.problems.push(`console: ${m.text()}`); });
  page.on('pageerror', (e) => page.problems.push(`exception: ${e.message}`));
  if (options.missing) {
    await page.setRequestInterception(true);
    page.on('request', (r) => {
      const name = new URL(r.url()).pathname.split('/').pop();
      if (options.missing.includes(name)) r.respond({ status: 404, body: 'not here' });
      else r.continue();
    });
  }
  await page.goto(url + query);
  await waitForState(page, ['waiting', 'failed'], 30000);
  return page;
}

async function stats(page) {
  return page.evaluate(() => JSON.parse(JSON.stringify(window.showStats)));
}

async function waitForState(page, states, timeout = 15000) {
  await page.waitForFunction((s) => s.includes(window.showStats.state), { timeout, polling: 50 }, states);
  return stats(page);
}

// A click in the middle of the page: the gesture that lets sound start.
async function clickToStart(page) {
  const { width, height } = page.viewport();
  await page.mouse.click(width / 2, height / 2);
  return waitForState(page, ['playing', 'failed']);
}

// What is on the canvas as the browser shows it, without the page's prompt over it: a PNG.
async function still(page, file) {
  const canvas = await page.$('canvas');
  const prompt = await page.$eval('#prompt', (e) => { const was = e.hidden; e.hidden = true; return was; });
  const png = await canvas.screenshot({ type: 'png' });
  await page.$eval('#prompt', (e, was) => { e.hidden = was; }, prompt);
  if (file) fs.writeFileSync(file, png);
  return png;
}

// Structural similarity of two stills of the same size, as ffmpeg measures it (0..1): files, or
// PNG bytes.
function ssim(a, b) {
  const run = spawnSync('ffmpeg', ['-v', 'info', '-nostats', '-i', a, '-i', b, '-lavfi', 'ssim', '-f', 'null', '-'],
    { encoding: 'utf8' });
  const m = /All:([0-9.]+)/.exec(run.stderr);
  assert.ok(m, `ffmpeg could not compare ${a} and ${b} (is ffmpeg installed?): ${run.stderr.slice(-300)}`);
  return Number(m[1]);
}
function ssimOf(pngA, pngB) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'show-ssim-'));
  try {
    fs.writeFileSync(path.join(dir, 'a.png'), pngA);
    fs.writeFileSync(path.join(dir, 'b.png'), pngB);
    return ssim(path.join(dir, 'a.png'), path.join(dir, 'b.png'));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// The rows heard between two readings of showStats against the Web Audio clock (60 ms a row):
// within ten rows.
function assertFollowsAudio(a, b, what) {
  const rows = b.heard.length - a.heard.length;
  const expected = (b.audioTime - a.audioTime) / 0.06;
  assert.ok(Math.abs(rows - expected) <= 10,
    `${what}: ${rows} rows heard while the audio clock says ${expected.toFixed(1)}`);
}

module.exports = { SITE, serve, launch, open, stats, waitForState, clickToStart, still, ssim, ssimOf,
  assertFollowsAudio };
