#!/usr/bin/env python3
"""Serves a test page and opens it in headless Chromium, for tests of the launcher's local server.

    pagebrowser.py --dir STATE --page FILE --fragment TEXT [--lifetime SECONDS]
The page FILE is served as /page.html on a free port of 127.0.0.1 (written to STATE/port), and
Chromium (a fresh profile in STATE/profile) opens http://127.0.0.1:PORT/page.html#FRAGMENT. What
the page posts to /reply is appended to STATE/replies.txt, one line per post. Chromium and the
server are stopped when STATE/stop appears, when Chromium ends or after the lifetime; STATE/stopped
is written last.
"""
import argparse
import http.server
import os
import signal
import subprocess
import threading
import time
import urllib.parse


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--page", required=True)
    parser.add_argument("--fragment", default="")
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    state = args.dir
    lock = threading.Lock()
    with open(args.page, "rb") as f:
        page = f.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *a):
            pass

        def do_GET(self):
            body = page if self.path.split("#")[0].split("?")[0] == "/page.html" else b"not here"
            self.send_response(200 if body is page else 404)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0"))
            text = self.rfile.read(length).decode("utf-8", "replace")
            if self.path == "/reply":
                with lock, open(os.path.join(state, "replies.txt"), "a", encoding="utf-8") as f:
                    f.write(text.replace("\n", " ") + "\n")
            self.send_response(204)
            self.end_headers()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    port = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = "http://127.0.0.1:%d/page.html#%s" % (port, urllib.parse.quote(args.fragment, safe=""))
    browser = subprocess.Popen(
        ["/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + os.path.join(state, "profile"), url],
        stdout=subprocess.DEVNULL, stderr=open(os.path.join(state, "chromium.log"), "wb"),
        start_new_session=True)
    with open(os.path.join(state, "port.tmp"), "w") as f:
        f.write(str(port))
    os.replace(os.path.join(state, "port.tmp"), os.path.join(state, "port"))
    deadline = time.time() + args.lifetime
    while time.time() < deadline and browser.poll() is None and not os.path.exists(os.path.join(state, "stop")):
        time.sleep(0.2)
    if browser.poll() is None:
        os.killpg(browser.pid, signal.SIGTERM)
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(browser.pid, signal.SIGKILL)
            browser.wait()
    server.shutdown()
    with open(os.path.join(state, "stopped"), "w") as f:
        f.write("stopped\n")


if __name__ == "__main__":
    main()
