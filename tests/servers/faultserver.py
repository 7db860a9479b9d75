#!/usr/bin/env python3
"""A small HTTP/1.1 server on 127.0.0.1 for tests that need a server misbehaving on purpose.

Standard library only. Started by a test with a state folder:
    faultserver.py --dir STATE [--root FOLDER] [--lifetime SECONDS]
It binds a free port and writes it to STATE/port once it accepts connections, logs every request
as one JSON line to STATE/requests.log, and ends when STATE/stop appears, when GET /__quit arrives,
or after the lifetime, writing STATE/stopped last.

Paths (files come from --root, default STATE/www):
  /files/NAME            the file, with ETag, Last-Modified, Range (206) and If-Range; when
                         NAME ends in ".zip" and is no file, a zip made at once: of the folder
                         NAME without ".zip", or holding the one file NAME without ".zip" (which
                         may itself be made this way: /files/pkg.zip.zip wraps a zip of pkg/)
  /norange/NAME          the file, always whole (200) whatever Range asks
  /cut/NAME?at=N&times=K the first K answers (default 1) for this path stop after N bytes of the
                         body (default half) with a connection reset; later ones as /files/
  /trickle/NAME?step=N   every answer sends at most N bytes of the body, then resets
  /status/CODE           that status with a short text body
  /slow/MS               waits MS milliseconds before answering 200 with a short body
  /stall                 headers and a few bytes of a longer body, then nothing until stop
  /cookie                sets the cookies given as ?set=name=value (repeatable), with Path=/
                         and Max-Age=600, and echoes the Cookie header it received
"""
import argparse
import email.utils
import hashlib
import io
import json
import os
import socket
import struct
import sys
import threading
import time
import urllib.parse
import zipfile
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

STATE = None
ROOT = None
STOP = threading.Event()
LOG_LOCK = threading.Lock()
COUNTS = {}
COUNTS_LOCK = threading.Lock()


def log_request(entry):
    with LOG_LOCK:
        with open(os.path.join(STATE, "requests.log"), "a") as f:
            f.write(json.dumps(entry) + "\n")


def count(key):
    with COUNTS_LOCK:
        COUNTS[key] = COUNTS.get(key, 0) + 1
        return COUNTS[key]


def parse_range(header, size):
    """The start of a 'bytes=N-' range, or None."""
    if not header or not header.startswith("bytes="):
        return None
    spec = header[6:].split(",")[0].strip()
    first = spec.split("-")[0]
    if not first.isdigit():
        return None
    return int(first)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "faultserver/1"

    def log_message(self, fmt, *args):
        pass

    def finish(self):
        try:
            super().finish()
        except OSError:
            pass

    def record(self, status, sent, note=""):
        log_request({
            "method": self.command,
            "path": self.path,
            "range": self.headers.get("Range", ""),
            "if_range": self.headers.get("If-Range", ""),
            "cookie": self.headers.get("Cookie", ""),
            "status": status,
            "sent": sent,
            "note": note,
        })

    def reset(self):
        """Ends the connection with a reset instead of an orderly close."""
        try:
            self.wfile.flush()
            # A reset makes the peer drop what it has not read yet: give it the time to read.
            time.sleep(0.3)
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
        except OSError:
            pass
        self.close_connection = True

    def send_text(self, status, text, extra=()):
        body = text.encode()
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        for k, v in extra:
            self.send_header(k, v)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)
        self.record(status, len(body) if self.command != "HEAD" else 0)

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        parts = url.path.lstrip("/").split("/", 1)
        kind, rest = parts[0], urllib.parse.unquote(parts[1]) if len(parts) > 1 else ""
        try:
            if kind == "__quit":
                self.send_text(200, "bye")
                STOP.set()
            elif kind == "files":
                self.serve_file(rest, query)
            elif kind == "norange":
                self.serve_file(rest, query, honour_range=False)
            elif kind == "cut":
                n = count(self.path)
                times = int(query.get("times", ["1"])[0])
                self.serve_file(rest, query, cut=n <= times)
            elif kind == "trickle":
                self.serve_file(rest, query, step=int(query.get("step", ["65536"])[0]))
            elif kind == "status":
                code = int(rest or "500")
                self.send_text(code, "status %d\n" % code)
            elif kind == "slow":
                deadline = time.time() + int(rest or "1000") / 1000.0
                while time.time() < deadline and not STOP.is_set():
                    time.sleep(0.02)
                self.send_text(200, "slow answer\n")
            elif kind == "stall":
                self.stall()
            elif kind == "cookie":
                cookies = [("Set-Cookie", c + "; Path=/; Max-Age=600") for c in query.get("set", [])]
                self.send_text(200, "cookie:" + self.headers.get("Cookie", "") + "\n", cookies)
            else:
                self.send_text(404, "no such path\n")
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def load(self, name):
        """The bytes behind NAME: the file itself; else, for NAME.zip, a zip of the folder NAME or
        a zip holding the one file NAME (which may itself be made this way)."""
        path = os.path.join(ROOT, name)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                return f.read(), int(os.path.getmtime(path))
        if not name.lower().endswith(".zip"):
            raise OSError("no such file")
        inner = name[:-4]
        buffer = io.BytesIO()
        with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
            folder = os.path.join(ROOT, inner)
            if os.path.isdir(folder):
                for base, _, files in sorted(os.walk(folder)):
                    for f in sorted(files):
                        full = os.path.join(base, f)
                        with open(full, "rb") as src:
                            self.add(z, os.path.relpath(full, folder).replace(os.sep, "/"), src.read())
            else:
                data, _ = self.load(inner)
                self.add(z, os.path.basename(inner), data)
        return buffer.getvalue(), 1704067200

    @staticmethod
    def add(archive, name, data):
        info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(info, data)

    def serve_file(self, name, query, honour_range=True, cut=False, step=0):
        try:
            data, mtime = self.load(name)
        except OSError:
            self.send_text(404, "not found\n")
            return
        size = len(data)
        etag = '"%s"' % hashlib.md5(data).hexdigest()[:16]
        start = parse_range(self.headers.get("Range"), size) if honour_range else None
        if_range = self.headers.get("If-Range")
        if start is not None and if_range and if_range != etag:
            start = None  # the file changed: send it whole
        if start is not None and start >= size:
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % size)
            self.send_header("Content-Length", "0")
            self.end_headers()
            self.record(416, 0)
            return
        status = 206 if start is not None else 200
        start = start or 0
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size - start))
        self.send_header("ETag", etag)
        self.send_header("Last-Modified", email.utils.formatdate(mtime, usegmt=True))
        self.send_header("Accept-Ranges", "bytes" if honour_range else "none")
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        self.end_headers()
        if self.command == "HEAD":
            self.record(status, 0)
            return
        body = data[start:]
        limit = len(body)
        note = ""
        if cut:
            limit = min(limit, int(query.get("at", [str(size // 2)])[0]))
            note = "cut"
        if step:
            limit = min(limit, step)
            note = "trickle"
        self.wfile.write(body[:limit])
        self.record(status, limit, note)
        if limit < len(body):
            self.reset()

    def stall(self):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", "1000000")
        self.end_headers()
        self.wfile.write(b"x" * 1000)
        self.wfile.flush()
        self.record(200, 1000, "stall")
        while not STOP.is_set():
            time.sleep(0.05)
        self.reset()


def main():
    global STATE, ROOT
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--root")
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    STATE = args.dir
    ROOT = args.root or os.path.join(STATE, "www")
    os.makedirs(ROOT, exist_ok=True)

    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    with open(os.path.join(STATE, "port.tmp"), "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(os.path.join(STATE, "port.tmp"), os.path.join(STATE, "port"))

    deadline = time.time() + args.lifetime
    stop_file = os.path.join(STATE, "stop")
    while not STOP.is_set() and time.time() < deadline and not os.path.exists(stop_file):
        time.sleep(0.1)
    STOP.set()
    server.shutdown()
    server.server_close()
    with open(os.path.join(STATE, "stopped"), "w") as f:
        f.write("stopped\n")


if __name__ == "__main__":
    sys.exit(main())
