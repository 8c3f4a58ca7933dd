#!/usr/bin/env python3
"""A test HTTP server on 127.0.0.1 built on Python's standard http.server.

    http_server.py --run PROGRAM [ARGS...]

starts the server on a free port, runs PROGRAM with VPN_TEST_HTTP_URL set to
"http://127.0.0.1:<port>" and exits with the program's exit code. Every path answers
one situation the HTTP client must handle; see ROUTES below.
"""
import http.server
import os
import socket
import subprocess
import sys
import threading
import time

STOP = threading.Event()

# A reply of several lines in GBK, as the account service sends it.
ACCOUNT_REPLY = "用户名：demo\r\n到期时间：2027-01-01\r\n剩余流量：10GB".encode("gbk")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, fmt, *args):
        pass

    # ---- helpers ----
    def read_body(self):
        n = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(n) if n > 0 else b""

    def describe(self, body):
        """The request as the server saw it: request line, headers in order, body."""
        lines = [self.requestline]
        lines += ["%s: %s" % (k, v) for k, v in self.headers.items()]
        return ("\n".join(lines) + "\n\n").encode("latin-1") + body

    def raw(self, data):
        self.wfile.write(data)
        self.wfile.flush()
        self.close_connection = True

    def reply(self, code, body, headers=(), length=True):
        self.send_response(code)
        for k, v in headers:
            self.send_header(k, v)
        if length:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    # ---- routes ----
    def do_GET(self):
        self.do_POST()

    def do_POST(self):
        body = self.read_body()
        path = self.path.split("?")[0]
        route = r_control if path.startswith("/control/") else ROUTES.get(path)
        if route is None:
            self.reply(404, b"no such page: " + path.encode("latin-1"))
        else:
            route(self, body)


def r_echo(h, body):
    h.reply(200, h.describe(body), [("Content-Type", "text/plain")])


def r_chunked(h, body):
    data = h.describe(body)
    out = b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
    for i in range(0, len(data), 7):
        piece = data[i:i + 7]
        out += b"%x\r\n%s\r\n" % (len(piece), piece)
    h.raw(out + b"0\r\n\r\n")


def r_until_close(h, body):
    h.raw(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + h.describe(body))


def r_short(h, body):
    # Announces five bytes, sends three and closes.
    h.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nabc")


def r_redirect(h, body):
    h.reply(302, b"moved", [("Location", "/echo")])


def r_located(h, body):
    h.reply(200, b"here, but see there", [("Location", "/echo")])


def r_auth(h, body):
    if h.headers.get("Authorization"):
        h.reply(200, h.describe(body))
    else:
        h.reply(401, b"who are you", [("WWW-Authenticate", 'Basic realm="vpn"')])


def r_setcookie(h, body):
    h.reply(200, b"cookie set", [("Set-Cookie", "sid=abc123; Path=/"),
                                 ("Set-Cookie", "nopath=1"),
                                 ("Set-Cookie", "gone=1; Path=/; Max-Age=0")])


def r_continue(h, body):
    h.raw(b"HTTP/1.1 100 Continue\r\nSet-Cookie: early=1; Path=/\r\n\r\n"
          b"HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\ndone")


def r_hangup(h, body):
    h.close_connection = True
    h.connection.shutdown(socket.SHUT_RDWR)


def r_long_header(h, body):
    h.raw(b"HTTP/1.0 200 OK\r\nX-Long: " + b"x" * 20000 + b"\r\nContent-Length: 2\r\n\r\nok")


def r_long_line_ok(h, body):
    # A header line of exactly the longest length the client accepts.
    line = b"X-Long: " + b"y" * (16384 - 8)
    h.raw(b"HTTP/1.0 200 OK\r\n" + line + b"\r\nContent-Length: 2\r\n\r\nok")


def r_silent(h, body):
    # Accepts the request and never answers (until the test run ends).
    while not STOP.wait(0.2):
        pass
    h.close_connection = True


def r_drip(h, body):
    # A 200 head, then one byte of body a second for as long as the client listens: no
    # read ever waits long, and the reply never ends.
    h.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n")
    h.wfile.flush()
    try:
        while not STOP.wait(1.0):
            h.wfile.write(b".")
            h.wfile.flush()
    except OSError:
        pass
    h.close_connection = True


def r_flood(h, body):
    # A body without an end, as fast as the client takes it.
    h.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n")
    piece = b"x" * 8192
    try:
        while not STOP.is_set():
            h.wfile.write(piece)
    except OSError:
        pass
    h.close_connection = True


def r_exactly_64k(h, body):
    h.reply(200, b"y" * 65536)


def r_huge_length(h, body):
    # Announces 10 MB and sends a little: the client need not read any of it.
    h.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 10485760\r\n\r\nsome")


# How the account path answers; a test switches it by posting to /control/<mode>.
ACCOUNT_MODE = {"mode": "reply", "count": 0}


def r_account(h, body):
    ACCOUNT_MODE["count"] += 1
    mode = ACCOUNT_MODE["mode"]
    if mode == "404":
        h.reply(404, b"not here")
    elif mode == "silent":
        r_silent(h, body)
    elif mode == "hangup":
        r_hangup(h, body)
    elif mode == "drip":
        r_drip(h, body)
    elif b"UserID=" not in body or b"Upassword=" not in body:
        h.reply(400, b"bad form")
    else:
        h.reply(200, ACCOUNT_REPLY, [("Content-Type", "text/html; charset=gb2312")])


def r_control(h, body):
    """/control/<mode> sets the account path's behaviour; /control/count reports the
    number of account requests so far."""
    what = h.path.split("/")[-1]
    if what != "count":
        ACCOUNT_MODE["mode"] = what
    h.reply(200, str(ACCOUNT_MODE["count"]).encode())


def r_account_echo(h, body):
    h.reply(200, h.describe(body))


def r_empty(h, body):
    h.reply(200, b"")


ROUTES = {
    "/echo": r_echo,
    "/chunked": r_chunked,
    "/until-close": r_until_close,
    "/short": r_short,
    "/redirect": r_redirect,
    "/located": r_located,
    "/auth": r_auth,
    "/setcookie": r_setcookie,
    "/continue": r_continue,
    "/hangup": r_hangup,
    "/long-header": r_long_header,
    "/long-line-ok": r_long_line_ok,
    "/silent": r_silent,
    "/webadmin/useradmin/vpnclient.php": r_account,
    "/account-echo/vpnclient.php": r_account_echo,
    "/empty": r_empty,
    "/drip": r_drip,
    "/flood": r_flood,
    "/exactly-64k": r_exactly_64k,
    "/huge-length": r_huge_length,
}


def main():
    if len(sys.argv) < 3 or sys.argv[1] != "--run":
        print(__doc__)
        return 2
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    env = dict(os.environ)
    env["VPN_TEST_HTTP_URL"] = "http://127.0.0.1:%d" % server.server_address[1]
    try:
        return subprocess.call(sys.argv[2:], env=env)
    finally:
        STOP.set()
        server.shutdown()


if __name__ == "__main__":
    sys.exit(main())
