#!/usr/bin/env python3
"""Contract of the test servers: start, PORT line, scripted answers, logs,
stop on stdin close. Run: python3 tests/servers/test_servers.py"""

import base64
import ftplib
import gzip
import http.client
import json
import os
import re
import select
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request
import email.utils

HERE = os.path.dirname(os.path.abspath(__file__))
SYSTEM_PYTHON = "/usr/bin/python3"
TEST_SECONDS = 20
DATA = bytes((i * 7 + i // 256) % 256 for i in range(10000))
MTIME = 1500000000  # Fri, 14 Jul 2017 02:40:00 GMT


def http_date(ts):
    return email.utils.formatdate(ts, usegmt=True)


STARTED = []


def kill_leftovers():
    """A failed stop must not leave a server running after the suite."""
    while STARTED:
        proc = STARTED.pop()
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=5)
        for pipe in (proc.stdin, proc.stdout, proc.stderr):
            pipe.close()


def tearDownModule():
    kill_leftovers()


def start(argv, python=None):
    """Starts a server; returns (process, port) once it printed its port."""
    proc = subprocess.Popen([python or sys.executable] + argv,
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    STARTED.append(proc)
    ready, _, _ = select.select([proc.stdout], [], [], 10)
    line = proc.stdout.readline().decode() if ready else ""
    m = re.fullmatch(r"PORT (\d+)\n", line)
    if not m:
        proc.kill()
        _, err = proc.communicate(timeout=5)
        raise AssertionError("no PORT line: %r %r" % (line, err))
    return proc, int(m.group(1))


def stop(proc):
    proc.stdin.close()
    try:
        proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=5)
    proc.stdout.close()
    proc.stderr.close()


def exchange(port, request, limit=4 << 20, timeout=5):
    """Sends raw bytes, returns what comes back until close, limit or
    timeout (then also a flag: True when the peer closed)."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
        s.sendall(request)
        out = bytearray()
        closed = False
        try:
            while len(out) < limit:
                data = s.recv(65536)
                if not data:
                    closed = True
                    break
                out += data
        except socket.timeout:
            pass
        return bytes(out), closed


def split_response(raw):
    head, _, body = raw.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = [tuple(x.split(": ", 1)) for x in lines[1:]]
    return lines[0], headers, body


def get(port, path, headers=None, method="GET"):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    try:
        conn.request(method, path, headers=headers or {})
        r = conn.getresponse()
        return r.status, r.getheaders(), r.read()
    finally:
        conn.close()


def basic(userpass):
    return "Basic " + base64.b64encode(userpass.encode()).decode()


class Bounded(unittest.TestCase):
    """Every test ends within TEST_SECONDS, whatever a server does."""

    def setUp(self):
        def expire(*_):
            raise TimeoutError("test ran longer than %d s" % TEST_SECONDS)
        signal.signal(signal.SIGALRM, expire)
        signal.alarm(TEST_SECONDS)

    def tearDown(self):
        signal.alarm(0)


def make_root(tmp):
    root = os.path.join(tmp, "root")
    os.makedirs(os.path.join(root, "sub"))
    os.makedirs(os.path.join(root, "bare"))
    files = {"page.html": b"<html>page</html>", "data.bin": DATA,
             "note.txt": b"note", "pic.gif": b"GIF89a", "sub/index.html": b"index",
             "bare/x.txt": b"x"}
    for name, content in files.items():
        path = os.path.join(root, name)
        with open(path, "wb") as f:
            f.write(content)
        os.utime(path, (MTIME, MTIME))
    return root


SCRIPT = {
    "/status": {"status": 418, "reason": "Teapot Here", "body": "tea",
                "headers": [["X-B", "2"], ["Set-Cookie", "a=1"],
                            ["X-A", "1"], ["Set-Cookie", "b=2"]]},
    "/gz": {"body": "squeeze me " * 50, "gzip": True},
    "/chunked": {"body": {"repeat": "abc", "size": 100}, "chunked": 7},
    "/wrong": {"body": "0123456789", "wrong_length": 1000},
    "/cut": {"file": "data.bin", "cut_after": 100},
    "/delay": {"body": "late", "delay": 0.5},
    "/stall": {"file": "data.bin", "stall": 50},
    "/offset": {"file": "data.bin", "range_offset_wrong": 0},
    "/norange": {"file": "data.bin", "ranges": False},
    "/r1": {"status": 301, "headers": [["Location", "/r2"]]},
    "/r2": {"redirect": "http://127.0.0.1:{port}/r3", "status": 307},
    "/r3": {"redirect": "/page.html", "status": 303},
    "/private": {"auth": "ann:secret", "body": "inside"},
    "/big": {"body": {"repeat": "0123456789", "size": 3000000}},
    "/b64": {"body": {"base64": base64.b64encode(b"\x00\xff\x10").decode()}},
    "/framed": {"body": {"prefix": "<", "repeat": "-", "size": 5, "suffix": ">"}},
    "/seq": [{"status": 503}, {"body": "first ok"}, {"body": "again"}],
    "/pre/*": {"body": "prefix"},
    "/pre/exact": {"body": "exact"},
    "/q?x=1": {"body": "with query"},
    "/raw": {"raw": "not http at all\r\n"},
    "/longline": {"raw": {"prefix": "HTTP/1.1 200 OK\r\nX-Long: ",
                          "repeat": "a", "size": 1 << 20,
                          "suffix": "\r\n\r\n"}},
    "/endless": {"endless_headers": True},
    "/notype": {"file": "pic.gif", "headers": [["Content-Type", None]]},
}


class HttpServerTest(Bounded):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.root = make_root(cls.tmp)
        cls.script = os.path.join(cls.tmp, "script.json")
        with open(cls.script, "w") as f:
            json.dump(SCRIPT, f)
        cls.log = os.path.join(cls.tmp, "log.jsonl")
        cls.proc, cls.port = start([os.path.join(HERE, "httpserver.py"),
                                    "--root", cls.root, "--script", cls.script,
                                    "--log", cls.log, "--max-seconds", "300"])

    @classmethod
    def tearDownClass(cls):
        stop(cls.proc)
        shutil.rmtree(cls.tmp)

    def test_files_by_extension_with_date_and_length(self):
        for path, ctype, content in [
                ("/page.html", "text/html", b"<html>page</html>"),
                ("/note.txt", "text/plain", b"note"),
                ("/pic.gif", "image/gif", b"GIF89a"),
                ("/data.bin", "application/octet-stream", DATA),
                ("/sub/", "text/html", b"index")]:
            with self.subTest(path=path):
                status, headers, body = get(self.port, path)
                h = dict(headers)
                self.assertEqual((status, body), (200, content))
                self.assertEqual(h["Content-Type"], ctype)
                self.assertEqual(h["Content-Length"], str(len(content)))
                self.assertEqual(h["Last-Modified"], http_date(MTIME))

    def test_folders_missing_files_and_escapes(self):
        status, headers, _ = get(self.port, "/sub")
        self.assertEqual((status, dict(headers)["Location"]), (301, "/sub/"))
        status, _, body = get(self.port, "/bare/")
        self.assertEqual(status, 200)
        self.assertIn(b'href="x.txt"', body)
        self.assertEqual(get(self.port, "/nothing.html")[0], 404)
        raw, _ = exchange(self.port, b"GET /../../../etc/passwd HTTP/1.1\r\n"
                          b"Host: x\r\nConnection: close\r\n\r\n")
        self.assertNotIn(b"root:", raw)
        self.assertRegex(split_response(raw)[0], r" 40[34] ")

    def test_conditional_requests(self):
        size = len(DATA)
        for name, headers, want in [
                ("IMS at file time", {"If-Modified-Since": http_date(MTIME)}, 304),
                ("IMS later", {"If-Modified-Since": http_date(MTIME + 60)}, 304),
                ("IMS earlier", {"If-Modified-Since": http_date(MTIME - 60)}, 200),
                ("IMS same length", {"If-Modified-Since":
                                     http_date(MTIME) + "; length=%d" % size}, 304),
                ("IMS other length", {"If-Modified-Since":
                                      http_date(MTIME) + "; length=%d" % (size + 1)}, 200),
                ("IMS garbage", {"If-Modified-Since": "yesterday"}, 200),
                ("IUS older than file", {"If-Unmodified-Since": http_date(MTIME - 60)}, 412),
                ("IUS at file time", {"If-Unmodified-Since": http_date(MTIME)}, 200),
                ("IUS with range", {"If-Unmodified-Since": http_date(MTIME - 1),
                                    "Range": "bytes=5-"}, 412),
                ("scripted file too", {"If-Modified-Since": http_date(MTIME)}, 304)]:
            with self.subTest(name):
                path = "/norange" if name == "scripted file too" else "/data.bin"
                status, _, body = get(self.port, path, headers)
                self.assertEqual(status, want)
                self.assertEqual(body, DATA if want == 200 else b"" if want == 304
                                 else body)

    def test_ranges(self):
        for rng, status, crange, body in [
                ("bytes=100-", 206, "bytes 100-9999/10000", DATA[100:]),
                ("bytes=0-9", 206, "bytes 0-9/10000", DATA[:10]),
                ("bytes=-10", 206, "bytes 9990-9999/10000", DATA[-10:]),
                ("bytes=9990-20000", 206, "bytes 9990-9999/10000", DATA[-10:]),
                ("bytes=10000-", 416, "bytes */10000", None)]:
            with self.subTest(rng):
                st, headers, got = get(self.port, "/data.bin", {"Range": rng})
                h = dict(headers)
                self.assertEqual((st, h.get("Content-Range")), (status, crange))
                if body is not None:
                    self.assertEqual(got, body)
                    self.assertEqual(h["Content-Length"], str(len(body)))

    def test_range_refused_or_answered_at_wrong_offset(self):
        st, headers, body = get(self.port, "/norange", {"Range": "bytes=100-"})
        self.assertEqual((st, body), (200, DATA))
        self.assertNotIn("Content-Range", dict(headers))
        st, headers, body = get(self.port, "/offset", {"Range": "bytes=100-"})
        self.assertEqual(st, 206)
        self.assertEqual(dict(headers)["Content-Range"], "bytes 0-9899/10000")
        self.assertEqual(body, DATA[100:])

    def test_status_reason_and_headers_in_order(self):
        raw, _ = exchange(self.port, b"GET /status HTTP/1.1\r\nHost: x\r\n"
                          b"Connection: close\r\n\r\n")
        line, headers, body = split_response(raw)
        self.assertEqual(line, "HTTP/1.1 418 Teapot Here")
        self.assertEqual([h for h in headers if h[0] in ("X-A", "X-B", "Set-Cookie")],
                         [("X-B", "2"), ("Set-Cookie", "a=1"), ("X-A", "1"),
                          ("Set-Cookie", "b=2")])
        self.assertEqual(body, b"tea")
        st, headers, _ = get(self.port, "/notype")
        self.assertEqual(st, 200)
        self.assertNotIn("Content-Type", dict(headers))

    def test_body_forms(self):
        for path, want in [("/b64", b"\x00\xff\x10"), ("/framed", b"<----->"),
                           ("/pre/anything", b"prefix"), ("/pre/exact", b"exact"),
                           ("/q?x=1", b"with query")]:
            with self.subTest(path):
                self.assertEqual(get(self.port, path)[::2], (200, want))
        st, headers, body = get(self.port, "/big")
        self.assertEqual((st, len(body)), (200, 3000000))
        self.assertEqual(body[:12] + body[-3:], b"012345678901789")
        st, _, body = get(self.port, "/big", {"Range": "bytes=2999995-"})
        self.assertEqual((st, body), (206, b"56789"))

    def test_response_list_is_used_in_turn(self):
        got = [get(self.port, "/seq")[::2] for _ in range(4)]
        self.assertEqual(got, [(503, b""), (200, b"first ok"), (200, b"again"),
                               (200, b"again")])

    def test_gzip(self):
        st, headers, body = get(self.port, "/gz")
        self.assertEqual(dict(headers)["Content-Encoding"], "gzip")
        self.assertEqual(dict(headers)["Content-Length"], str(len(body)))
        self.assertEqual(gzip.decompress(body), b"squeeze me " * 50)

    def test_chunked_framing(self):
        raw, _ = exchange(self.port, b"GET /chunked HTTP/1.1\r\nHost: x\r\n"
                          b"Connection: close\r\n\r\n")
        _, headers, body = split_response(raw)
        self.assertIn(("Transfer-Encoding", "chunked"), headers)
        self.assertNotIn("Content-Length", dict(headers))
        payload, sizes = b"", []
        while True:
            size_line, _, body = body.partition(b"\r\n")
            n = int(size_line, 16)
            sizes.append(n)
            payload += body[:n]
            self.assertEqual(body[n:n + 2], b"\r\n")
            body = body[n + 2:]
            if n == 0:
                break
        self.assertEqual(payload, (b"abc" * 34)[:100])
        self.assertEqual(sizes, [7] * 14 + [2, 0])
        self.assertEqual(body, b"")

    def test_lying_length_and_cut_connection(self):
        for path, length, got in [("/wrong", "1000", b"0123456789"),
                                  ("/cut", "10000", DATA[:100])]:
            with self.subTest(path):
                raw, closed = exchange(self.port, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n"
                                       % path.encode())
                _, headers, body = split_response(raw)
                self.assertTrue(closed)
                self.assertEqual(dict(headers)["Content-Length"], length)
                self.assertEqual(body, got)

    def test_delay(self):
        t0 = time.monotonic()
        self.assertEqual(get(self.port, "/delay")[2], b"late")
        self.assertGreaterEqual(time.monotonic() - t0, 0.5)

    def test_stall_holds_the_connection(self):
        with socket.create_connection(("127.0.0.1", self.port), timeout=1) as s:
            s.sendall(b"GET /stall HTTP/1.1\r\nHost: x\r\n\r\n")
            raw = b""
            with self.assertRaises(socket.timeout):
                for _ in range(100):
                    data = s.recv(65536)
                    self.assertTrue(data, "stalled answer must not close")
                    raw += data
        _, headers, body = split_response(raw)
        self.assertEqual(dict(headers)["Content-Length"], "10000")
        self.assertEqual(body, DATA[:50])

    def test_redirect_chain(self):
        status, headers, _ = get(self.port, "/r2")
        self.assertEqual(dict(headers)["Location"], "http://127.0.0.1:%d/r3" % self.port)
        with urllib.request.urlopen("http://127.0.0.1:%d/r1" % self.port, timeout=5) as r:
            self.assertEqual(r.geturl(), "http://127.0.0.1:%d/page.html" % self.port)
            self.assertEqual(r.read(), b"<html>page</html>")

    def test_basic_auth(self):
        for name, auth, want in [("none", None, 401), ("wrong", "ann:nope", 401),
                                 ("not basic", "Bearer x", 401),
                                 ("right", "ann:secret", 200)]:
            with self.subTest(name):
                headers = {}
                if auth:
                    headers["Authorization"] = auth if " " in auth else basic(auth)
                st, h, body = get(self.port, "/private", headers)
                self.assertEqual(st, want)
                if want == 401:
                    self.assertTrue(dict(h)["WWW-Authenticate"].startswith("Basic "))
                else:
                    self.assertEqual(body, b"inside")

    def test_garbage_answers(self):
        raw, closed = exchange(self.port, b"GET /raw HTTP/1.1\r\nHost: x\r\n\r\n")
        self.assertEqual((raw, closed), (b"not http at all\r\n", True))
        raw, closed = exchange(self.port, b"GET /longline HTTP/1.1\r\nHost: x\r\n\r\n")
        self.assertTrue(closed)
        self.assertEqual(len(raw), len("HTTP/1.1 200 OK\r\nX-Long: ") + (1 << 20) + 4)
        raw, closed = exchange(self.port, b"GET /endless HTTP/1.1\r\nHost: x\r\n\r\n",
                               limit=3 << 20)
        self.assertFalse(closed)
        self.assertGreaterEqual(len(raw), 3 << 20)
        self.assertNotIn(b"\r\n\r\n", raw)

    def test_head_and_keep_alive(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        try:
            conn.request("HEAD", "/data.bin")
            r = conn.getresponse()
            self.assertEqual((r.status, r.getheader("Content-Length"), r.read()),
                             (200, "10000", b""))
            conn.request("GET", "/note.txt")
            self.assertEqual(conn.getresponse().read(), b"note")
        finally:
            conn.close()

    def test_log_has_request_headers_in_order(self):
        exchange(self.port, b"GET /note.txt?z=1 HTTP/1.1\r\nHost: h\r\n"
                 b"Range: bytes=1-\r\nAccept: */*\r\nX-Dup: 1\r\nX-Dup: 2\r\n"
                 b"Connection: close\r\n\r\n")
        record = None
        for _ in range(50):
            with open(self.log, encoding="utf-8") as f:
                lines = [json.loads(x) for x in f]
            found = [x for x in lines if x["target"] == "/note.txt?z=1"]
            if found:
                record = found[-1]
                break
            time.sleep(0.05)
        self.assertEqual(record["method"], "GET")
        self.assertEqual(record["headers"], [["Host", "h"], ["Range", "bytes=1-"],
                                             ["Accept", "*/*"], ["X-Dup", "1"],
                                             ["X-Dup", "2"], ["Connection", "close"]])


class ProxyAndAuthTest(Bounded):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.root = make_root(cls.tmp)
        cls.proxy, cls.pport = start([os.path.join(HERE, "httpserver.py"),
                                      "--root", cls.root, "--proxy-auth", "px:pw"])
        cls.guarded, cls.gport = start([os.path.join(HERE, "httpserver.py"),
                                        "--root", cls.root, "--auth", "ann:secret"])

    @classmethod
    def tearDownClass(cls):
        stop(cls.proxy)
        stop(cls.guarded)
        shutil.rmtree(cls.tmp)

    def test_proxy_asks_for_credentials_then_answers(self):
        url = "http://far.example/note.txt"
        for name, headers, want in [
                ("none", {}, 407),
                ("wrong", {"Proxy-Authorization": basic("px:no")}, 407),
                ("server credentials", {"Authorization": basic("px:pw")}, 407),
                ("right", {"Proxy-Authorization": basic("px:pw")}, 200)]:
            with self.subTest(name):
                st, h, body = get(self.pport, url, headers)
                self.assertEqual(st, want)
                if want == 407:
                    self.assertTrue(dict(h)["Proxy-Authenticate"].startswith("Basic "))
                else:
                    self.assertEqual(body, b"note")
        # The same server is still an origin server for origin-form requests.
        self.assertEqual(get(self.pport, "/note.txt")[::2], (200, b"note"))

    def test_server_wide_auth(self):
        self.assertEqual(get(self.gport, "/note.txt")[0], 401)
        st, _, body = get(self.gport, "/note.txt", {"Authorization": basic("ann:secret")})
        self.assertEqual((st, body), (200, b"note"))


@unittest.skipUnless(shutil.which("openssl"), "openssl is not installed")
class TlsTest(Bounded):
    def test_https_with_test_ca(self):
        tmp = tempfile.mkdtemp()
        try:
            root = make_root(tmp)
            sys.path.insert(0, HERE)
            import httpserver
            paths = httpserver.make_cert(os.path.join(tmp, "cert"))
            proc, port = start([os.path.join(HERE, "httpserver.py"), "--root", root,
                                "--tls", paths["cert"], paths["key"]])
            try:
                ctx = ssl.create_default_context(cafile=paths["ca"])
                for host in ("127.0.0.1", "localhost"):
                    with self.subTest(host), socket.create_connection(
                            ("127.0.0.1", port), timeout=5) as plain:
                        # The name is checked against the certificate.
                        with ctx.wrap_socket(plain, server_hostname=host) as s:
                            s.sendall(b"GET /note.txt HTTP/1.1\r\nHost: x\r\n"
                                      b"Connection: close\r\n\r\n")
                            raw = b""
                            for _ in range(100):
                                data = s.recv(65536)
                                if not data:
                                    break
                                raw += data
                        self.assertEqual(split_response(raw)[2], b"note")
                # A client that does not trust the test CA is refused.
                with self.assertRaises(ssl.SSLError):
                    strict = ssl.create_default_context()
                    with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
                        strict.wrap_socket(s, server_hostname="127.0.0.1")
            finally:
                stop(proc)
        finally:
            shutil.rmtree(tmp)


def have_pyftpdlib():
    return os.path.exists(SYSTEM_PYTHON) and subprocess.run(
        [SYSTEM_PYTHON, "-c", "import pyftpdlib"], capture_output=True,
        timeout=10).returncode == 0


@unittest.skipUnless(have_pyftpdlib(), "pyftpdlib missing for /usr/bin/python3")
class FtpServerTest(Bounded):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.root = make_root(cls.tmp)
        cls.log = os.path.join(cls.tmp, "ftp.jsonl")
        cls.proc, cls.port = start([os.path.join(HERE, "ftpserver.py"), "--root",
                                    cls.root, "--user", "bob:pw", "--log", cls.log],
                                   python=SYSTEM_PYTHON)

    @classmethod
    def tearDownClass(cls):
        stop(cls.proc)
        shutil.rmtree(cls.tmp)

    def connect(self, user="anonymous", password="t@x"):
        ftp = ftplib.FTP()
        try:
            ftp.connect("127.0.0.1", self.port, timeout=5)
            ftp.login(user, password)
        except BaseException:
            ftp.close()
            raise
        return ftp

    def fetch(self, ftp, name, rest=None):
        out = bytearray()
        ftp.retrbinary("RETR " + name, out.extend, rest=rest)
        return bytes(out)

    def test_anonymous_read_with_resume(self):
        ftp = self.connect()
        try:
            self.assertEqual(sorted(ftp.nlst()), ["bare", "data.bin", "note.txt",
                                                  "page.html", "pic.gif", "sub"])
            self.assertEqual(self.fetch(ftp, "data.bin"), DATA)
            self.assertEqual(self.fetch(ftp, "data.bin", rest=9000), DATA[9000:])
            self.assertEqual(ftp.size("data.bin"), len(DATA))
            self.assertEqual(self.fetch(ftp, "sub/index.html"), b"index")
            with self.assertRaises(ftplib.error_perm):
                self.fetch(ftp, "missing.bin")
        finally:
            ftp.close()
        with open(self.log, encoding="utf-8") as f:
            cmds = [json.loads(x) for x in f]
        self.assertIn({"cmd": "REST", "arg": "9000"}, cmds)

    def test_read_only_and_user_login(self):
        ftp = self.connect("bob", "pw")
        try:
            self.assertEqual(self.fetch(ftp, "note.txt"), b"note")
            for cmd in ("STOR up.txt", "APPE note.txt"):
                with self.subTest(cmd), self.assertRaises(ftplib.error_perm), \
                        open(os.devnull, "rb") as empty:
                    ftp.storbinary(cmd, empty)
            for call in (lambda: ftp.delete("note.txt"), lambda: ftp.mkd("new"),
                         lambda: ftp.rename("note.txt", "n2.txt")):
                with self.assertRaises(ftplib.error_perm):
                    call()
        finally:
            ftp.close()
        self.assertTrue(os.path.exists(os.path.join(self.root, "note.txt")))
        self.assertFalse(os.path.exists(os.path.join(self.root, "up.txt")))
        with self.assertRaises(ftplib.error_perm):
            self.connect("bob", "wrong")


class GopherServerTest(Bounded):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.root = make_root(cls.tmp)
        cls.proc, cls.port = start([os.path.join(HERE, "gopherserver.py"),
                                    "--root", cls.root])

    @classmethod
    def tearDownClass(cls):
        stop(cls.proc)
        shutil.rmtree(cls.tmp)

    def ask(self, selector):
        raw, closed = exchange(self.port, selector + b"\r\n")
        self.assertTrue(closed)
        return raw

    def test_menu_files_and_errors(self):
        p = self.port
        self.assertEqual(self.ask(b""), (
            "1bare\t/bare\t127.0.0.1\t%d\r\n9data.bin\t/data.bin\t127.0.0.1\t%d\r\n"
            "0note.txt\t/note.txt\t127.0.0.1\t%d\r\nhpage.html\t/page.html\t127.0.0.1\t%d\r\n"
            "gpic.gif\t/pic.gif\t127.0.0.1\t%d\r\n1sub\t/sub\t127.0.0.1\t%d\r\n.\r\n"
            % (p, p, p, p, p, p)).encode())
        self.assertEqual(self.ask(b"/sub"),
                         ("hindex.html\t/sub/index.html\t127.0.0.1\t%d\r\n.\r\n" % p).encode())
        self.assertEqual(self.ask(b"/data.bin"), DATA)
        self.assertEqual(self.ask(b"/note.txt\tsearch words"), b"note")
        for bad in (b"/missing", b"/../../etc/passwd"):
            with self.subTest(bad):
                self.assertTrue(self.ask(bad).startswith(b"3"))


class LifecycleTest(Bounded):
    def setUp(self):
        super().setUp()
        self.tmp = tempfile.mkdtemp()
        self.root = make_root(self.tmp)

    def tearDown(self):
        kill_leftovers()
        shutil.rmtree(self.tmp)
        super().tearDown()

    def servers(self):
        yield "http", [os.path.join(HERE, "httpserver.py"), "--root", self.root], None
        yield "gopher", [os.path.join(HERE, "gopherserver.py"), "--root", self.root], None
        if have_pyftpdlib():
            yield "ftp", [os.path.join(HERE, "ftpserver.py"), "--root", self.root], \
                SYSTEM_PYTHON

    def test_stdin_close_stops_within_two_seconds(self):
        for name, argv, python in self.servers():
            with self.subTest(name):
                port_file = os.path.join(self.tmp, name + ".port")
                proc, port = start(argv + ["--port-file", port_file], python)
                with open(port_file) as f:
                    self.assertEqual(f.read(), "%d\n" % port)
                # Also while a client holds a stalled connection open.
                with socket.create_connection(("127.0.0.1", port), timeout=2):
                    t0 = time.monotonic()
                    proc.stdin.close()
                    proc.wait(timeout=2)
                self.assertLess(time.monotonic() - t0, 2)
                self.assertEqual(proc.returncode, 0)
                with self.assertRaises(OSError):
                    socket.create_connection(("127.0.0.1", port), timeout=1).close()
                proc.stdout.close()
                proc.stderr.close()

    def test_sigterm_and_max_seconds(self):
        for name, argv, python in self.servers():
            with self.subTest(name + " SIGTERM"):
                proc, _ = start(argv, python)
                proc.terminate()
                proc.wait(timeout=2)
                stop(proc)
            with self.subTest(name + " max-seconds"):
                proc, _ = start(argv + ["--max-seconds", "0.5"], python)
                proc.wait(timeout=3)
                self.assertEqual(proc.returncode, 0)
                stop(proc)

    def test_stall_ends_with_server(self):
        script = os.path.join(self.tmp, "s.json")
        with open(script, "w") as f:
            json.dump({"/s": {"body": "abc", "stall": 1}}, f)
        proc, port = start([os.path.join(HERE, "httpserver.py"), "--root", self.root,
                            "--script", script])
        with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
            s.sendall(b"GET /s HTTP/1.1\r\nHost: x\r\n\r\n")
            time.sleep(0.3)
            proc.stdin.close()
            proc.wait(timeout=2)
        stop(proc)

    def test_bad_script_is_refused_at_start(self):
        for name, script in [("unknown key", {"/a": {"stauts": 200}}),
                             ("missing body file", {"/a": {"body": {"file": "nope"}}}),
                             ("empty list", {"/a": []}), ("not an object", [1])]:
            with self.subTest(name):
                path = os.path.join(self.tmp, "bad.json")
                with open(path, "w") as f:
                    json.dump(script, f)
                r = subprocess.run([sys.executable, os.path.join(HERE, "httpserver.py"),
                                    "--root", self.root, "--script", path],
                                   stdin=subprocess.DEVNULL, capture_output=True,
                                   timeout=10)
                self.assertEqual(r.returncode, 2)
                self.assertEqual(r.stdout, b"")
                self.assertIn(b"script error", r.stderr)


if __name__ == "__main__":
    unittest.main()
