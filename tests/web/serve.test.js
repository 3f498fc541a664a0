// The server of ./run --web and of these tests (scripts/serve-web.py): the compressed copy the
// request takes, cache headers by name, types, and nothing outside the folder.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const web = require('./harness');

const top = fs.mkdtempSync(path.join(os.tmpdir(), 'show-serve-'));
const site = path.join(top, 'site');
const WASM = 'show.0123456789ab.wasm';
const plain = Buffer.from('wasm bytes '.repeat(100));
let server;
before(async () => {
  fs.mkdirSync(site);
  fs.writeFileSync(path.join(top, 'secret.txt'), 'outside');
  fs.writeFileSync(path.join(site, 'index.html'), '<!doctype html><p>page');
  fs.writeFileSync(path.join(site, 'page.js'), 'export {};');
  fs.writeFileSync(path.join(site, WASM), plain);
  fs.writeFileSync(path.join(site, WASM + '.gz'), zlib.gzipSync(plain));
  fs.writeFileSync(path.join(site, WASM + '.br'), zlib.brotliCompressSync(plain));
  server = await web.serve(site);
});
after(() => {
  server?.close();
  fs.rmSync(top, { recursive: true, force: true });
});

// One request as a browser would send it, without any rewriting of the path.
function get(target, headers = {}) {
  return new Promise((resolve, reject) => {
    const { port } = new URL(server.url);
    http.get({ host: '127.0.0.1', port, path: target, headers }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks) }));
    }).on('error', reject);
  });
}

test('sends the copy the request accepts, with its encoding, length and Vary', async () => {
  const cases = [['br, gzip', 'br', zlib.brotliDecompressSync], ['gzip, deflate', 'gzip', zlib.gunzipSync],
    ['br;q=0, *', 'gzip', zlib.gunzipSync], ['identity', undefined, (b) => b], [undefined, undefined, (b) => b]];
  for (const [accept, coding, decode] of cases) {
    const r = await get('/' + WASM, accept ? { 'accept-encoding': accept } : {});
    assert.equal(r.status, 200);
    assert.equal(r.headers['content-encoding'], coding, `Accept-Encoding: ${accept}`);
    assert.equal(r.headers['content-type'], 'application/wasm');
    assert.equal(r.headers.vary, 'Accept-Encoding');
    assert.equal(Number(r.headers['content-length']), r.body.length);
    assert.deepEqual(decode(r.body), plain, `Accept-Encoding: ${accept}`);
  }
  // A file without compressed copies goes as it is.
  const page = await get('/page.js', { 'accept-encoding': 'br, gzip' });
  assert.equal(page.headers['content-encoding'], undefined);
  assert.match(page.headers['content-type'], /^text\/javascript/);
});

test('hashed names are kept for good, the others asked for again, and an unchanged file is 304', async () => {
  assert.equal((await get('/' + WASM)).headers['cache-control'], 'public, max-age=31536000, immutable');
  const index = await get('/');
  assert.equal(index.headers['cache-control'], 'no-cache');
  assert.match(index.headers['content-type'], /^text\/html/);
  assert.equal((await get('/page.js')).headers['cache-control'], 'no-cache');
  assert.equal((await get('/', { 'if-none-match': index.headers.etag })).status, 304);
});

test('missing files and paths out of the folder are 404', async () => {
  for (const target of ['/nothing.js', '/../secret.txt', '/%2e%2e/secret.txt', '/..%2fsecret.txt',
    `/${encodeURIComponent(path.join(top, 'secret.txt'))}`, '//' + path.join(top, 'secret.txt')]) {
    const r = await get(target);
    assert.equal(r.status, 404, target);
    assert.doesNotMatch(r.body.toString(), /outside/, target);
  }
});
