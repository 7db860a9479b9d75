#!/usr/bin/env python3
"""Runs nginx on a free port of 127.0.0.1 serving one folder, for tests that need a real server.

    nginxserve.py --dir STATE --root FOLDER [--lifetime SECONDS]
nginx runs in the foreground as the current user, with its prefix, configuration, pid file and logs
in STATE. The port is written to STATE/port once nginx accepts connections. Every request is logged
to STATE/access.log as one line:
    METHOD URI STATUS BODY_BYTES "RANGE" "IF_RANGE" "COOKIE"
Paths: /NAME serves FOLDER/NAME (ranges, keep-alive); /slow/NAME serves the same file at 256 KiB/s
unless the request asks for a range (a resumed request then runs at full speed).
nginx is stopped when STATE/stop appears, when it dies, or after the lifetime; STATE/stopped is
written last.
"""
import argparse
import grp
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import time

CONFIG = """
daemon off;
master_process off;
worker_processes 1;
{user}
pid {state}/nginx.pid;
error_log {state}/error.log warn;
events {{ worker_connections 256; }}
http {{
    log_format kx '$request_method $uri $status $body_bytes_sent "$http_range" "$http_if_range" "$http_cookie"';
    access_log {state}/access.log kx;
    client_body_temp_path {state}/tmp/body;
    proxy_temp_path {state}/tmp/proxy;
    fastcgi_temp_path {state}/tmp/fastcgi;
    uwsgi_temp_path {state}/tmp/uwsgi;
    scgi_temp_path {state}/tmp/scgi;
    default_type application/octet-stream;
    sendfile on;
    keepalive_timeout 30;
    map $http_range $kx_rate {{ "" 262144; default 0; }}
    server {{
        listen 127.0.0.1:{port};
        root {root};
        location /slow/ {{
            alias {root}/;
            limit_rate $kx_rate;
        }}
    }}
}}
"""


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.5):
            return True
    except OSError:
        return False


def start(state, root):
    nginx = shutil.which("nginx") or "/usr/sbin/nginx"
    user = ""
    if os.geteuid() == 0:
        user = "user %s %s;" % (pwd.getpwuid(os.getuid()).pw_name, grp.getgrgid(os.getgid()).gr_name)
    os.makedirs(os.path.join(state, "tmp"), exist_ok=True)
    conf = os.path.join(state, "nginx.conf")
    for _ in range(5):
        port = free_port()
        with open(conf, "w") as f:
            f.write(CONFIG.format(user=user, state=state, root=root, port=port))
        proc = subprocess.Popen([nginx, "-p", state, "-c", conf, "-e", os.path.join(state, "error.log")],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if proc.poll() is not None:
                break
            if accepts(port):
                return proc, port
            time.sleep(0.05)
        stop(proc)  # the port was taken meanwhile, or nginx did not come up: try another
    return None, 0


def stop(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGQUIT)
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    state = os.path.abspath(args.dir)
    proc, port = start(state, os.path.abspath(args.root))
    if proc:
        with open(os.path.join(state, "port.tmp"), "w") as f:
            f.write(str(port))
        os.replace(os.path.join(state, "port.tmp"), os.path.join(state, "port"))
        deadline = time.time() + args.lifetime
        stop_file = os.path.join(state, "stop")
        while proc.poll() is None and time.time() < deadline and not os.path.exists(stop_file):
            time.sleep(0.1)
        stop(proc)
    with open(os.path.join(state, "stopped"), "w") as f:
        f.write("stopped\n")
    return 0 if proc else 1


if __name__ == "__main__":
    sys.exit(main())
