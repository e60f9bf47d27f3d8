"""Serves a folder with nginx on 127.0.0.1, started and stopped by its own process id."""

import os
import signal
import socket
import subprocess
import time

CONFIG = """
worker_processes 1;
daemon off;
pid {prefix}/nginx.pid;
error_log {prefix}/error.log warn;
events {{ worker_connections 256; }}
http {{
    include /etc/nginx/mime.types;
    log_format counted '$uri $status "$http_if_none_match" "$http_if_modified_since"';
    log_format sized '$uri $status $body_bytes_sent';
    access_log {access_log};
    sendfile on;
    keepalive_timeout 65;
    keepalive_requests 1000000;
    client_body_temp_path {prefix}/tmp;
    proxy_temp_path {prefix}/tmp;
    fastcgi_temp_path {prefix}/tmp;
    uwsgi_temp_path {prefix}/tmp;
    scgi_temp_path {prefix}/tmp;
    server {{
        listen 127.0.0.1:{port};
        root {root};
    }}
}}
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Nginx:
    """`access_log`: a file that gets one line per request (path, status, the validators
    sent; with `log_format` "sized", path, status and the body's bytes); none by default."""

    def __init__(self, root, prefix, port, access_log=None, log_format="counted"):
        self.root, self.prefix, self.port = root, prefix, port
        self.access_log, self.log_format = access_log, log_format
        self.process = None

    def __enter__(self):
        os.makedirs(os.path.join(self.prefix, "tmp"), exist_ok=True)
        conf = os.path.join(self.prefix, "nginx.conf")
        with open(conf, "w") as out:
            out.write(CONFIG.format(prefix=self.prefix, port=self.port, root=self.root,
                                    access_log=self.access_log + " " + self.log_format
                                    if self.access_log else "off"))
        self.process = subprocess.Popen(["nginx", "-c", conf, "-p", self.prefix],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("nginx did not start: " + self.process.stderr.read().decode())
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return self
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("nginx did not accept connections on port %d" % self.port)

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGQUIT)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
