#!/usr/bin/env python3
"""Serves the browser package (dist/show-web/) on this machine as a static host should serve it.

Usage: serve-web.py FOLDER PORT (PORT 0: the system picks one). Prints "serve-web: port N" once it
listens. Each file goes out with its type (.wasm as application/wasm), as its precompressed .br or
.gz copy when the request's Accept-Encoding takes it, and with a long cache for names that carry a
content hash (show.3f9c1a2b4c5d.wasm) and no-cache (ask again each time) for the others.
"""
import email.utils
import http.server
import os
import re
import sys
import urllib.parse

TYPES = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.wasm': 'application/wasm',
    '.data': 'application/octet-stream',
    '.png': 'image/png',
    '.json': 'application/json',
    '.zip': 'application/zip',
    '.gz': 'application/gzip',
}
# Preferred first, as the copies are smaller.
ENCODINGS = (('br', '.br'), ('gzip', '.gz'))
# NAME.HASH.EXT with at least 8 hex digits of hash: its content never changes under that name.
HASHED = re.compile(r'\.[0-9a-f]{8,}\.[A-Za-z0-9]+$')


def accepted(header):
    """The codings an Accept-Encoding header allows: q=0 refuses, '*' stands for the rest."""
    allowed, refused, star = set(), set(), False
    for item in (header or '').split(','):
        name, _, params = item.strip().partition(';')
        name = name.strip().lower()
        q = 1.0
        m = re.search(r'q\s*=\s*([0-9.]+)', params)
        if m:
            try:
                q = float(m.group(1))
            except ValueError:
                q = 0.0
        if name == '*':
            star = q > 0
        elif name:
            (allowed if q > 0 else refused).add(name)
    return {c for c, _ in ENCODINGS if c in allowed or (star and c not in refused)}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'  # keeps connections open between the page's requests
    root = '.'

    def version_string(self):
        return 'serve-web'

    def do_GET(self):
        self.answer(send_body=True)

    def do_HEAD(self):
        self.answer(send_body=False)

    def local_file(self):
        """The file the request names inside the folder, or None: nothing outside it is reached,
        by '..', by an absolute path or by a link that points out."""
        path = urllib.parse.unquote(self.path.split('?', 1)[0].split('#', 1)[0])
        parts = [p for p in path.split('/') if p]
        if not path.startswith('/') or any(p in ('.', '..') or '\\' in p or '\0' in p for p in parts):
            return None
        if not parts:
            parts = ['index.html']
        full = os.path.realpath(os.path.join(self.root, *parts))
        if os.path.commonpath([full, self.root]) != self.root or not os.path.isfile(full):
            return None
        return full

    def answer(self, send_body):
        full = self.local_file()
        if full is None:
            return self.not_found(send_body)
        name = os.path.basename(full)
        served, coding = full, None
        takes = accepted(self.headers.get('Accept-Encoding'))
        for c, suffix in ENCODINGS:
            if c in takes and os.path.isfile(full + suffix):
                served, coding = full + suffix, c
                break
        try:
            f = open(served, 'rb')
        except OSError:
            return self.not_found(send_body)
        with f:
            st = os.fstat(f.fileno())
            # One tag per variant, so that a cache never mixes the compressed and plain bodies.
            tag = '"%x-%x%s"' % (st.st_mtime_ns, st.st_size, '-' + coding if coding else '')
            asked = self.headers.get('If-None-Match') or ''
            fresh = tag in (t.strip() for t in asked.split(','))
            self.send_response(304 if fresh else 200)
            self.send_header('Content-Type', TYPES.get(os.path.splitext(name)[1].lower(),
                                                       'application/octet-stream'))
            if coding:
                self.send_header('Content-Encoding', coding)
            self.send_header('Vary', 'Accept-Encoding')
            self.send_header('Cache-Control', 'public, max-age=31536000, immutable'
                             if HASHED.search(name) else 'no-cache')
            self.send_header('ETag', tag)
            self.send_header('Last-Modified', email.utils.formatdate(st.st_mtime, usegmt=True))
            if not fresh:
                self.send_header('Content-Length', str(st.st_size))
            self.end_headers()
            if send_body and not fresh:
                while True:
                    chunk = f.read(1 << 16)
                    if not chunk:
                        break
                    self.wfile.write(chunk)

    def not_found(self, send_body):
        body = b'not found\n'
        self.send_response(404)
        self.send_header('Content-Type', 'text/plain; charset=utf-8')
        self.send_header('Cache-Control', 'no-cache')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        if send_body:
            self.wfile.write(body)

    def handle_one_request(self):
        # A browser that closes a connection mid-download is no error of the server's.
        try:
            super().handle_one_request()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True


def main(argv):
    if len(argv) != 3:
        print('usage: serve-web.py FOLDER PORT', file=sys.stderr)
        return 2
    folder, port = argv[1], argv[2]
    if not port.isdigit() or int(port) > 65535:
        print(f'serve-web: the port must be a number from 0 to 65535, not {port!r}', file=sys.stderr)
        return 2
    port = int(port)
    if not os.path.isfile(os.path.join(folder, 'index.html')):
        print(f'serve-web: {folder} holds no index.html (run scripts/build-web.sh)', file=sys.stderr)
        return 1
    Handler.root = os.path.realpath(folder)
    try:
        server = http.server.ThreadingHTTPServer(('127.0.0.1', port), Handler)
    except OSError as e:
        print(f'serve-web: cannot listen on 127.0.0.1:{port}: {e.strerror}', file=sys.stderr)
        return 1
    server.daemon_threads = True
    print(f'serve-web: port {server.server_address[1]}', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
