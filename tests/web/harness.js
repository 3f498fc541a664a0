// Drives the browser build in Debian's Chromium, Firefox ESR and WebKitGTK: serves dist/show-web/,
// opens the page, starts the show, reads window.showStats and takes stills of the canvas.
'use strict';
const { spawn, spawnSync } = require('node:child_process');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const net = require('node:net');
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
// options.device: the screen and input to emulate (puppeteer's page.emulate) instead.
async function open(browser, url, query = '', options = {}) {
  const page = await browser.newPage();
  // The canvas one to one with the show's 640 x 480 picture: stills need no scaling.
  if (options.device) await page.emulate(options.device);
  else await page.setViewport({ width: 640, height: 480 });
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

// Where the stills are kept, and the native program's build.
const STILL_DIR = process.env.SHOW_WEB_STILL_DIR ||
  path.join(ROOT, process.env.SHOW_WEB_BUILD || 'build-web', 'stills');
const NATIVE = path.resolve(ROOT, process.env.SHOW_NATIVE_BUILD || 'build');

// The native program's still of a moment (ORDER:ROW), through the same renderer, into file. A
// start position is reached by playing the scene's frames through at 30 a second, as the
// browser's show does, and what a scene carries from frame to frame (the Wave's stripes) depends
// on that rate.
function nativeStill(start, file) {
  const capture = path.join(NATIVE, 'demo-capture');
  assert.ok(fs.existsSync(capture), `${capture} is missing: build the native programs first`);
  const run = spawnSync(capture, ['--renderer', 'gles2', '--fps', '30', '--start', start, '--shot', `${start}:${file}`],
    { env: { ...process.env, SDL_AUDIODRIVER: 'dummy', SDL_VIDEODRIVER: 'offscreen' }, encoding: 'utf8',
      timeout: 120000 });
  assert.equal(run.status, 0, `demo-capture --start ${start}: ${run.stderr}`);
}

// ---------------------------------------------------------------------------------------------
// One interface over three engines, so that one list of cases runs in each:
//   const session = await start('firefox');
//   const tab = await session.open(url, '?start=4:70');  // at its first frame, or failed
//   await tab.stats(); await tab.waitForState(['playing']); await tab.click(); await tab.press('Escape');
//   await tab.still(file); await tab.evaluate(() => ...); await tab.close(); await session.close();
// Chromium runs headless. Firefox ESR offers WebGL only with a window, and WebKitGTK's MiniBrowser
// always has one, so each gets an X server of its own (Xvfb); each gets a PulseAudio server of
// its own too, with a null sink, without which their Web Audio clock never runs. Both are stopped
// with the session.

const ENGINES = ['chromium', 'firefox', 'webkit'];
const FIREFOX = process.env.SHOW_FIREFOX || '/usr/bin/firefox-esr';
const WEBKIT_DRIVER = process.env.SHOW_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';

// MiniBrowser lives in libwebkit2gtk's own library folder, not on PATH.
function miniBrowser() {
  if (process.env.SHOW_MINIBROWSER) return process.env.SHOW_MINIBROWSER;
  const listed = spawnSync('dpkg', ['-L', 'libwebkit2gtk-4.1-0'], { encoding: 'utf8' }).stdout || '';
  return listed.split('\n').find((line) => line.endsWith('/MiniBrowser')) || null;
}

function onPath(program) {
  return (process.env.PATH || '/usr/bin:/bin').split(':').some((dir) => {
    try {
      fs.accessSync(path.join(dir, program), fs.constants.X_OK);
      return true;
    } catch (e) {
      return false;
    }
  });
}

// What an engine lacks on this machine, in words, or null when it can run.
function missing(engine) {
  if (!ENGINES.includes(engine)) return `no engine called ${engine} (there are ${ENGINES.join(', ')})`;
  const lacks = [];
  const program = (file, what) => { if (!fs.existsSync(file)) lacks.push(`${what} (${file})`); };
  if (engine === 'chromium') program(CHROMIUM, 'Chromium');
  if (engine === 'firefox') program(FIREFOX, 'Firefox ESR');
  if (engine === 'webkit') {
    program(WEBKIT_DRIVER, 'WebKitWebDriver');
    const mini = miniBrowser();
    if (!mini) lacks.push("WebKitGTK's MiniBrowser (libwebkit2gtk-4.1-0)");
    else program(mini, "WebKitGTK's MiniBrowser");
    try {
      require.resolve('selenium-webdriver');
    } catch (e) {
      lacks.push('the npm package selenium-webdriver (npm ci)');
    }
  }
  if (engine !== 'chromium') {
    for (const p of ['Xvfb', 'pulseaudio']) if (!onPath(p)) lacks.push(`the program ${p}`);
  }
  return lacks.length ? `${engine} cannot run here: missing ${lacks.join(', ')} (run scripts/web-setup.sh)` : null;
}

// The helper processes this file started, ended if the test process goes away without closing them.
const helpers = new Set();
process.on('exit', () => { for (const p of helpers) p.kill('SIGKILL'); });
function helper(program, args, options) {
  const child = spawn(program, args, options);
  helpers.add(child);
  child.on('exit', () => helpers.delete(child));
  return child;
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A private X server on a display number it picks itself (-displayfd), so no other server
// clashes. -noreset: by default it resets when its last client leaves and refuses clients meanwhile.
async function startDisplay() {
  const x = helper('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp', '-noreset'],
    { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
  let said = '';
  x.stderr.on('data', (d) => { said += d; });
  const number = await new Promise((resolve, reject) => {
    x.stdio[3].once('data', (d) => resolve(String(d).trim()));
    x.once('exit', (code) => reject(new Error(`Xvfb stopped at start (exit code ${code}): ${said.slice(-300)}`)));
  });
  return { display: `:${number}`, close: () => x.kill() };
}

// A private PulseAudio server with a null sink, in a folder of its own (its socket is found
// through XDG_RUNTIME_DIR and PULSE_SERVER, so it never meets the machine's own).
async function startSound() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'show-pulse-'));
  const socket = path.join(dir, 'pulse', 'native');
  const env = { XDG_RUNTIME_DIR: dir, PULSE_SERVER: `unix:${socket}` };
  const server = helper('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--log-target=stderr',
    '--log-level=error', '--disable-shm=true', '--load=module-null-sink sink_name=show',
    '--load=module-native-protocol-unix'], { env: { ...process.env, ...env }, stdio: ['ignore', 'ignore', 'pipe'] });
  let said = '';
  server.stderr.on('data', (d) => { said += d; });
  const close = () => {
    server.kill('SIGKILL');
    fs.rmSync(dir, { recursive: true, force: true });
  };
  for (let i = 0; !fs.existsSync(socket); i++) {
    if (server.exitCode !== null || i >= 500) {
      close();
      throw new Error(`pulseaudio made no socket at ${socket}: ${said.slice(-300)}`);
    }
    await sleep(10);
  }
  return { env, close };
}

// A tab of the Chromium or Firefox session: a puppeteer page.
class PuppeteerTab {
  constructor(page) {
    this.page = page;
    this.problems = page.problems;
  }
  evaluate(fn, ...args) { return this.page.evaluate(fn, ...args); }
  stats() { return stats(this.page); }
  waitForState(states, timeout) { return waitForState(this.page, states, timeout); }
  // A click in the middle of the viewport: a real gesture, which lets sound start.
  async click() {
    const [w, h] = await this.evaluate(() => [innerWidth, innerHeight]);
    await this.page.mouse.click(w / 2, h / 2);
  }
  async clickToStart() {
    await this.click();
    return this.waitForState(['playing', 'failed']);
  }
  press(key) { return this.page.keyboard.press(key); }
  still(file) { return still(this.page, file); }
  close() { return this.page.close(); }
}

// WebKitGTK through WebKitWebDriver: one window, which each open() navigates anew. WebDriver
// offers no console, so problems stays empty.
class WebKitTab {
  constructor(driver) {
    this.driver = driver;
    this.problems = [];
  }
  evaluate(fn, ...args) {
    return this.driver.executeScript(`return (${fn}).apply(null, arguments)`, ...args);
  }
  stats() {
    return this.evaluate(() => window.showStats && JSON.parse(JSON.stringify(window.showStats)));
  }
  async waitForState(states, timeout = 15000) {
    const until = Date.now() + timeout;
    let state;
    for (;;) {
      state = await this.evaluate(() => window.showStats && window.showStats.state);
      if (states.includes(state)) return this.stats();
      if (Date.now() > until) throw new Error(`waited ${timeout} ms for the state ${states.join(' or ')}; it is ${state}`);
      await sleep(50);
    }
  }
  // A pointer action at a point of the viewport: a real gesture (clicking the canvas element is
  // refused, as the prompt lies over it).
  async click() {
    const [w, h] = await this.evaluate(() => [innerWidth, innerHeight]);
    await this.driver.actions().move({ x: Math.floor(w / 2), y: Math.floor(h / 2) }).click().perform();
  }
  async clickToStart() {
    await this.click();
    return this.waitForState(['playing', 'failed']);
  }
  press(key) {
    const { Key } = require('selenium-webdriver');
    const named = { Escape: Key.ESCAPE, Enter: Key.ENTER };
    return this.driver.actions().sendKeys(named[key] || key).perform();
  }
  async still(file) {
    const { By } = require('selenium-webdriver');
    const prompt = await this.evaluate(() => {
      const e = document.getElementById('prompt');
      const was = e.hidden;
      e.hidden = true;
      return was;
    });
    const png = Buffer.from(await this.driver.findElement(By.css('canvas')).takeScreenshot(), 'base64');
    await this.evaluate((was) => { document.getElementById('prompt').hidden = was; }, prompt);
    if (file) fs.writeFileSync(file, png);
    return png;
  }
  // The page is left, which ends its show and its sound.
  close() { return this.driver.get('about:blank'); }
}

async function freePort() {
  const probe = net.createServer();
  await new Promise((resolve) => probe.listen(0, '127.0.0.1', resolve));
  const { port } = probe.address();
  await new Promise((resolve) => probe.close(resolve));
  return port;
}

// Starts one engine with a fresh profile: resolves to { engine, open(url, query, options),
// close() }. open waits, as the harness's open does, for the first frame or the error panel;
// options (Chromium only): those of open. Throws with what is missing when the engine cannot run.
async function start(engine) {
  const lacking = missing(engine);
  if (lacking) throw new Error(lacking);
  if (engine === 'chromium') {
    const browser = await launch();
    return { engine, browser,
      open: async (url, query, options) => new PuppeteerTab(await open(browser, url, query, options)),
      close: () => browser.close() };
  }
  const display = await startDisplay();
  let sound;
  const stopHelpers = () => { sound?.close(); display.close(); };
  try {
    sound = await startSound();
    const env = { ...process.env, DISPLAY: display.display, ...sound.env };
    return engine === 'firefox' ? await startFirefox(env, stopHelpers) : await startWebKit(env, stopHelpers);
  } catch (e) {
    stopHelpers();
    throw e;
  }
}

// Firefox ESR over WebDriver BiDi, with a window: headless Firefox offers no WebGL. Its own
// autoplay policy stays, so sound starts at the click as it does for a visitor (with autoplay
// allowed, its page process here stopped answering the driver in about one start in three).
async function startFirefox(env, stopHelpers) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'show-firefox-'));
  const browser = await puppeteer.launch({ browser: 'firefox', executablePath: FIREFOX, headless: false,
    userDataDir: profile, env });
  return { engine: 'firefox', browser,
    open: async (url, query, options) => new PuppeteerTab(await open(browser, url, query, options)),
    close: async () => {
      await browser.close();
      stopHelpers();
      fs.rmSync(profile, { recursive: true, force: true });
    } };
}

// WebKitGTK's MiniBrowser driven by WebKitWebDriver, its window grown until the page sees a
// 640 x 480 viewport.
async function startWebKit(env, stopHelpers) {
  const { Builder } = require('selenium-webdriver');
  const port = await freePort();
  const server = helper(WEBKIT_DRIVER, [`--port=${port}`], { env, stdio: ['ignore', 'ignore', 'pipe'] });
  let said = '';
  server.stderr.on('data', (d) => { said += d; });
  const stop = () => { server.kill(); stopHelpers(); };
  try {
    for (let i = 0; ; i++) {
      const up = await fetch(`http://127.0.0.1:${port}/status`).then((r) => r.ok, () => false);
      if (up) break;
      if (server.exitCode !== null || i >= 100) throw new Error(`WebKitWebDriver did not start: ${said.slice(-300)}`);
      await sleep(100);
    }
    const driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation'] },
    }).build();
    const tab = new WebKitTab(driver);
    const window = driver.manage().window();
    await window.setRect({ width: 640, height: 480 });
    const [w, h] = await tab.evaluate(() => [innerWidth, innerHeight]);
    await window.setRect({ width: 640 + 640 - w, height: 480 + 480 - h });
    return { engine: 'webkit', driver,
      open: async (url, query = '') => {
        await driver.get(url + query);
        await tab.waitForState(['waiting', 'failed'], 30000);
        return tab;
      },
      close: async () => {
        await driver.quit().catch(() => {});
        stop();
      } };
  } catch (e) {
    stop();
    throw e;
  }
}

module.exports = { SITE, STILL_DIR, serve, launch, open, stats, waitForState, clickToStart, still, ssim, ssimOf,
  assertFollowsAudio, nativeStill, ENGINES, missing, start };
