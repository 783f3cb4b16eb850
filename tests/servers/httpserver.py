#!/usr/bin/env python3
"""HTTP/1.1 test server: serves a folder and answers by script.

    python3 httpserver.py --root DIR [--script FILE] [--port N]
        [--auth USER:PASS] [--proxy-auth USER:PASS] [--log FILE]
        [--tls CERT KEY] [--max-seconds S] [--no-stdin]
    python3 httpserver.py --make-cert DIR

Prints "PORT <n>" once started; stops when stdin closes, on SIGTERM, or
after --max-seconds. Listens on 127.0.0.1 only. See README.md.
"""

import argparse
import base64
import email.utils
import gzip
import http
import http.server
import json
import os
import select
import socket
import ssl
import subprocess
import sys
import threading
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import servercommon  # noqa: E402

CONTENT_TYPES = {
    "html": "text/html", "htm": "text/html", "txt": "text/plain",
    "css": "text/css", "js": "application/javascript",
    "json": "application/json", "xml": "text/xml",
    "gif": "image/gif", "jpg": "image/jpeg", "jpeg": "image/jpeg",
    "png": "image/png", "bmp": "image/bmp", "ico": "image/x-icon",
    "svg": "image/svg+xml", "pdf": "application/pdf",
    "zip": "application/zip", "gz": "application/gzip",
    "wav": "audio/wav", "mp3": "audio/mpeg", "mpg": "video/mpeg",
    "mpeg": "video/mpeg", "avi": "video/x-msvideo",
}

ENTRY_KEYS = {
    "status", "reason", "headers", "body", "file", "auth", "redirect",
    "gzip", "chunked", "wrong_length", "cut_after", "delay", "stall",
    "range_offset_wrong", "raw", "endless_headers", "ranges",
    "conditional", "close", "quiet_close",
}

PIECE = 65536
CONFIG = {}  # root, script, auth, proxy_auth, port


def subst(text):
    """Scripts write {port} where the server's own port belongs (absolute
    redirect targets, links in pages)."""
    return text.replace("{port}", str(CONFIG["port"]))


class Body:
    """A body as a list of segments, so that large generated bodies and
    files are streamed and any byte range can be sent without loading it."""

    def __init__(self, segments=None):
        self.segments = segments or []  # (kind, value, size)

    @staticmethod
    def of_bytes(data):
        return Body([("bytes", data, len(data))])

    @property
    def length(self):
        return sum(s[2] for s in self.segments)

    def pieces(self, start=0, end=None):
        """Yields the bytes [start, end) in pieces of at most PIECE."""
        if end is None:
            end = self.length
        pos = 0
        for kind, value, size in self.segments:
            lo, hi = max(start - pos, 0), min(end - pos, size)
            pos += size
            if lo >= hi:
                continue
            if kind == "bytes":
                for i in range(lo, hi, PIECE):
                    yield value[i:min(i + PIECE, hi)]
            elif kind == "file":
                with open(value, "rb") as f:
                    f.seek(lo)
                    left = hi - lo
                    while left > 0:
                        data = f.read(min(PIECE, left))
                        if not data:
                            # The file shrank: send what it has.
                            return
                        left -= len(data)
                        yield data
            else:  # repeat: value is the pattern
                unit = value * max(1, PIECE // len(value))
                i = lo
                while i < hi:
                    off = i % len(value)
                    n = min(len(unit) - off, hi - i)
                    yield unit[off:off + n]
                    i += n

    def read_all(self):
        return b"".join(self.pieces())


def parse_body(desc):
    """Body forms: "text", {"text": ...}, {"base64": ...}, {"file": path in
    root}, {"repeat": "x", "size": N, "prefix": "...", "suffix": "..."}."""
    if desc is None:
        return Body()
    if isinstance(desc, str):
        return Body.of_bytes(subst(desc).encode("utf-8"))
    if not isinstance(desc, dict):
        raise ValueError("body must be a text or an object: %r" % (desc,))
    if "text" in desc:
        return Body.of_bytes(subst(desc["text"]).encode(
            desc.get("encoding", "utf-8")))
    if "base64" in desc:
        return Body.of_bytes(base64.b64decode(desc["base64"]))
    if "file" in desc:
        path = safe_path(desc["file"])
        if path is None or not os.path.isfile(path):
            raise ValueError("body file not in root: %r" % desc["file"])
        return Body([("file", path, os.path.getsize(path))])
    if "repeat" in desc:
        pattern = desc["repeat"].encode("latin-1")
        if not pattern:
            raise ValueError("repeat needs a non-empty pattern")
        segs = []
        if desc.get("prefix"):
            p = subst(desc["prefix"]).encode("latin-1")
            segs.append(("bytes", p, len(p)))
        segs.append(("repeat", pattern, int(desc["size"])))
        if desc.get("suffix"):
            s = subst(desc["suffix"]).encode("latin-1")
            segs.append(("bytes", s, len(s)))
        return Body(segs)
    raise ValueError("unknown body form: %r" % (desc,))


def safe_path(rel):
    """Maps a URL path or a script file name into the root; None when it
    would leave the root."""
    root = CONFIG["root"]
    rel = rel.lstrip("/")
    path = os.path.realpath(os.path.join(root, rel))
    if path != root and not path.startswith(root + os.sep):
        return None
    return path


def load_script(path):
    with open(path, encoding="utf-8") as f:
        script = json.load(f)
    if not isinstance(script, dict):
        raise ValueError("the script must be an object of paths")
    for key, value in script.items():
        entries = value if isinstance(value, list) else [value]
        if not entries:
            raise ValueError("%s: empty response list" % key)
        for entry in entries:
            if not isinstance(entry, dict):
                raise ValueError("%s: a response must be an object" % key)
            unknown = set(entry) - ENTRY_KEYS
            if unknown:
                raise ValueError("%s: unknown keys %s" % (key, sorted(unknown)))
            parse_body(entry.get("body"))  # fail at start, not mid-test
            if "raw" in entry:
                parse_raw(entry["raw"])
    return script


def parse_raw(desc):
    # Raw text goes out byte for byte: code points 0-255 are the bytes.
    if isinstance(desc, str):
        return Body.of_bytes(subst(desc).encode("latin-1"))
    return parse_body(desc)


class Script:
    def __init__(self, entries):
        self.entries = entries
        self.exact = {k: v for k, v in entries.items() if not k.endswith("*")}
        self.prefixes = sorted(
            ((k[:-1], k) for k in entries if k.endswith("*")),
            key=lambda p: -len(p[0]))
        self.counts = {}
        self.lock = threading.Lock()

    def find(self, target, path):
        """Exact target (with query), then the path, then the longest
        prefix. A list of responses is used in turn, the last one repeats."""
        key = None
        for cand in (target, path):
            if cand in self.exact:
                key = cand
                break
        if key is None:
            for prefix, k in self.prefixes:
                if target.startswith(prefix):
                    key = k
                    break
        if key is None:
            return None
        value = self.entries[key]
        if not isinstance(value, list):
            return value
        with self.lock:
            n = self.counts.get(key, 0)
            self.counts[key] = n + 1
        return value[min(n, len(value) - 1)]


class Response:
    def __init__(self, status=200, headers=None, body=None, opts=None):
        self.status = status
        self.reason = None
        self.headers = headers or []  # [name, value] in order
        self.body = body if body is not None else Body()
        self.opts = opts or {}

    def header(self, name):
        for k, v in self.headers:
            if k.lower() == name.lower():
                return v
        return None

    def set_header(self, name, value):
        self.headers = [h for h in self.headers if h[0].lower() != name.lower()]
        if value is not None:
            self.headers.append([name, value])

    def merge_headers(self, scripted):
        """Scripted headers replace automatic ones of the same name (null
        removes one); scripted duplicates are all kept, in order."""
        names = {k.lower() for k, _ in scripted}
        self.headers = [h for h in self.headers if h[0].lower() not in names]
        self.headers += [[k, subst(v)] for k, v in scripted if v is not None]


def http_date(ts):
    return email.utils.formatdate(ts, usegmt=True)


def parse_http_date(text):
    if text is None:
        return None
    try:
        d = email.utils.parsedate_to_datetime(text.split(";")[0].strip())
        return d.timestamp()
    except (TypeError, ValueError, IndexError, OverflowError):
        return None


def content_type(path):
    ext = os.path.splitext(path)[1].lstrip(".").lower()
    return CONTENT_TYPES.get(ext, "application/octet-stream")


def file_response(path):
    st = os.stat(path)
    return Response(200, [
        ["Content-Type", content_type(path)],
        ["Last-Modified", http_date(st.st_mtime)],
        ["Accept-Ranges", "bytes"],
    ], Body([("file", path, st.st_size)]))


def listing(urlpath, folder):
    names = sorted(os.listdir(folder))
    items = []
    for n in names:
        slash = "/" if os.path.isdir(os.path.join(folder, n)) else ""
        q = urllib.parse.quote(n) + slash
        items.append('<li><a href="%s">%s%s</a></li>' % (q, n, slash))
    page = "<html><head><title>%s</title></head><body><ul>\n%s\n</ul></body></html>\n" % (
        urlpath, "\n".join(items))
    return Response(200, [["Content-Type", "text/html"]],
                    Body.of_bytes(page.encode("utf-8")))


def text_response(status, text, extra=None):
    return Response(status, [["Content-Type", "text/plain"]] + (extra or []),
                    Body.of_bytes(text.encode("utf-8")))


def static_response(path):
    fs = safe_path(urllib.parse.unquote(path))
    if fs is None:
        return text_response(403, "forbidden\n")
    if os.path.isdir(fs):
        if not path.endswith("/"):
            return Response(301, [["Location", path + "/"],
                                  ["Content-Type", "text/html"]],
                            Body.of_bytes(b"<html>moved</html>\n"))
        index = os.path.join(fs, "index.html")
        if os.path.isfile(index):
            return file_response(index)
        return listing(path, fs)
    if os.path.isfile(fs):
        return file_response(fs)
    return text_response(404, "not found\n")


def check_basic(value, userpass):
    if not value or not value[:6].lower() == "basic ":
        return False
    try:
        return base64.b64decode(value[6:].strip()).decode("latin-1") == userpass
    except ValueError:
        return False


def apply_conditions(req_headers, resp):
    """If-Unmodified-Since after the file changed → 412; If-Modified-Since
    not older than the file → 304. A "; length=N" suffix that differs from
    the body length means the client's copy is not the same: 200."""
    lm = parse_http_date(resp.header("Last-Modified"))
    if lm is None or resp.status != 200:
        return resp
    ius = parse_http_date(req_headers.get("If-Unmodified-Since"))
    if ius is not None and int(lm) > int(ius):
        return text_response(412, "precondition failed\n")
    ims_text = req_headers.get("If-Modified-Since")
    ims = parse_http_date(ims_text)
    if ims is not None and int(lm) <= int(ims):
        length = None
        for part in ims_text.split(";")[1:]:
            k, _, v = part.partition("=")
            if k.strip().lower() == "length":
                try:
                    length = int(v.strip())
                except ValueError:
                    pass
        if length is None or length == resp.body.length:
            keep = [h for h in resp.headers
                    if h[0].lower() in ("last-modified", "etag", "date")]
            r = Response(304, keep, Body())
            r.opts["no_length"] = True
            return r
    return resp


def apply_range(req_headers, resp, wrong_offset):
    value = req_headers.get("Range")
    if not value or resp.status != 200:
        return resp
    unit, _, desc = value.partition("=")
    if unit.strip().lower() != "bytes":
        return resp
    first = desc.split(",")[0].strip()
    lo, _, hi = first.partition("-")
    total = resp.body.length
    try:
        if lo == "":
            n = int(hi)
            start, end = max(total - n, 0), total - 1
        else:
            start = int(lo)
            end = int(hi) if hi else total - 1
    except ValueError:
        return resp
    end = min(end, total - 1)
    if start >= total or start > end:
        r = text_response(416, "range not satisfiable\n",
                          [["Content-Range", "bytes */%d" % total]])
        return r
    part = SliceBody(resp.body, start, end + 1)
    shown = start if wrong_offset is None else int(wrong_offset)
    shown_total = max(total, shown + (end - start + 1))
    resp.status = 206
    resp.body = part
    resp.set_header("Content-Range", "bytes %d-%d/%d" % (
        shown, shown + end - start, shown_total))
    return resp


class SliceBody(Body):
    def __init__(self, inner, start, end):
        super().__init__()
        self.inner, self.start, self.end = inner, start, end

    @property
    def length(self):
        return self.end - self.start

    def pieces(self, start=0, end=None):
        if end is None:
            end = self.length
        return self.inner.pieces(self.start + start, self.start + end)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "testserver/1"
    timeout = 60  # idle keep-alive connections
    # The head and the body go in writes of their own: on a kept
    # connection Nagle's wait for the client's delayed ACK would hold every
    # body back some 40 ms.
    disable_nagle_algorithm = True

    def log_message(self, fmt, *args):
        pass  # requests go to the JSON log

    def handle_any(self):
        target = self.path
        # Absolute form: the client takes this server for a proxy.
        proxied = not target.startswith("/") and "://" in target
        if proxied:
            parts = urllib.parse.urlsplit(target)
            path = parts.path or "/"
            local = path + ("?" + parts.query if parts.query else "")
        else:
            local = target
            path = target.split("?", 1)[0]
        body_len = 0
        n = self.headers.get("Content-Length")
        if n and n.strip().isdigit():
            body_len = int(n)
            left = body_len
            while left > 0:
                data = self.rfile.read(min(left, PIECE))
                if not data:
                    break
                left -= len(data)
        servercommon.request_log.write({
            "method": self.command, "target": target,
            "version": self.request_version,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body_length": body_len,
            # Which connection asked: kept connections show as one peer.
            "peer": "%s:%d" % tuple(self.client_address[:2]),
        })
        if self.headers.get("Connection", "").lower() == "close":
            self.close_connection = True
        resp = self.build(local, path, proxied)
        self.send(resp)

    do_GET = do_HEAD = do_POST = do_PUT = do_DELETE = do_OPTIONS = handle_any

    def build(self, target, path, proxied):
        if proxied and CONFIG["proxy_auth"] and not check_basic(
                self.headers.get("Proxy-Authorization"), CONFIG["proxy_auth"]):
            return text_response(407, "proxy authentication required\n", [
                ["Proxy-Authenticate", 'Basic realm="proxy"']])
        entry = CONFIG["script"].find(target, path) if CONFIG["script"] else None
        need = (entry or {}).get("auth") or CONFIG["auth"]
        if need and not check_basic(self.headers.get("Authorization"), need):
            return text_response(401, "authentication required\n", [
                ["WWW-Authenticate", 'Basic realm="test"']])
        if entry is None:
            resp = static_response(path)
            resp = apply_conditions(self.headers, resp)
            return apply_range(self.headers, resp, None)
        return self.scripted(entry)

    def scripted(self, e):
        if "file" in e:
            fs = safe_path(e["file"])
            if fs is None or not os.path.isfile(fs):
                return text_response(500, "script file missing: %s\n" % e["file"])
            resp = file_response(fs)
            if "status" in e:
                resp.status = int(e["status"])
        else:
            resp = Response(int(e.get("status", 302 if "redirect" in e else 200)))
            resp.body = parse_body(e.get("body"))
            if "body" in e:
                resp.headers.append(["Content-Type", "text/html"])
        if "redirect" in e:
            resp.set_header("Location", subst(e["redirect"]))
        resp.reason = e.get("reason")
        resp.merge_headers(e.get("headers", []))
        resp.opts = e
        if e.get("conditional", True):
            resp = apply_conditions(self.headers, resp)
            if resp.status in (304, 412):
                resp.opts = {k: v for k, v in e.items() if k in ("delay", "close")}
                return resp
        if e.get("gzip") and resp.status != 304:
            resp.body = Body.of_bytes(gzip.compress(resp.body.read_all(), mtime=0))
            resp.set_header("Content-Encoding", "gzip")
        elif e.get("ranges", True):
            opts = resp.opts
            resp = apply_range(self.headers, resp, e.get("range_offset_wrong"))
            resp.opts = opts
        return resp

    # -- sending ----------------------------------------------------------

    def send(self, resp):
        o = resp.opts
        try:
            if CONFIG.get("delay_ms") and servercommon.wait_stop(CONFIG["delay_ms"] / 1000.0):
                self.close_connection = True
                return
            if o.get("delay") and servercommon.wait_stop(float(o["delay"])):
                self.close_connection = True
                return
            if "raw" in o:
                self.close_connection = True
                for piece in parse_raw(o["raw"]).pieces():
                    self.wfile.write(piece)
                return
            if o.get("endless_headers"):
                self.close_connection = True
                self.endless_headers()
                return
            self.send_head_and_body(resp)
        except (OSError, ValueError):
            self.close_connection = True

    def send_head_and_body(self, resp):
        o = resp.opts
        status = resp.status
        reason = resp.reason
        if reason is None:
            try:
                reason = http.HTTPStatus(status).phrase
            except ValueError:
                reason = "Status"
        chunked = int(o.get("chunked") or 0)
        length = resp.body.length
        headers = list(resp.headers)
        names = {k.lower() for k, _ in headers}
        if "date" not in names:
            headers.insert(0, ["Date", http_date(None)])
        if chunked:
            headers.append(["Transfer-Encoding", "chunked"])
        elif not o.get("no_length") and "content-length" not in names:
            if o.get("wrong_length") is not None:
                headers.append(["Content-Length", str(int(o["wrong_length"]))])
                self.close_connection = True
            else:
                headers.append(["Content-Length", str(length)])
        if o.get("close") or o.get("cut_after") is not None or o.get("stall") is not None:
            self.close_connection = True
        if self.close_connection:
            headers.append(["Connection", "close"])
        elif o.get("quiet_close"):
            # Closed after the answer without saying so, as a server drops
            # a kept connection that idles.
            self.close_connection = True
        head = "HTTP/1.1 %d %s\r\n" % (status, reason)
        head += "".join("%s: %s\r\n" % (k, v) for k, v in headers) + "\r\n"
        self.wfile.write(head.encode("latin-1"))
        if self.command == "HEAD" or status in (204, 304) or status < 200:
            return
        limit = None
        if o.get("cut_after") is not None:
            limit = int(o["cut_after"])
        stall = o.get("stall")
        if stall is not None:
            limit = int(stall)
        sent = 0
        for piece in resp.body.pieces():
            if limit is not None and sent + len(piece) > limit:
                piece = piece[:limit - sent]
            if piece:
                if chunked:
                    for i in range(0, len(piece), chunked):
                        c = piece[i:i + chunked]
                        self.wfile.write(b"%x\r\n%s\r\n" % (len(c), c))
                else:
                    self.wfile.write(piece)
                sent += len(piece)
            if limit is not None and sent >= limit:
                break
        if stall is not None:
            self.hang()
            return
        if limit is not None:
            self.cut()
            return
        if chunked:
            self.wfile.write(b"0\r\n\r\n")

    def cut(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def hang(self):
        """Holds the connection open without sending until the client goes
        away or the server stops."""
        self.close_connection = True
        sock = self.connection
        while not servercommon.stopping():
            try:
                r, _, _ = select.select([sock], [], [], 0.2)
                if r and not sock.recv(4096):
                    return
            except (OSError, ValueError):
                return

    def endless_headers(self):
        self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n")
        i = 0
        while not servercommon.stopping():
            line = b"X-Filler-%d: %s\r\n" % (i, b"y" * 60)
            self.wfile.write(line * 64)
            i += 1
            r, _, _ = select.select([self.connection], [], [], 0)
            if r and not self.connection.recv(4096):
                return
            servercommon.wait_stop(0.001)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64
    tls = None

    def finish_request(self, request, client_address):
        if self.tls is not None:
            request.settimeout(10)
            try:
                request = self.tls.wrap_socket(request, server_side=True)
            except (OSError, ssl.SSLError):
                return
            request.settimeout(None)
        super().finish_request(request, client_address)


def make_cert(folder):
    """Self-signed CA plus a server certificate for 127.0.0.1 and localhost:
    ca.pem, ca.key, server.pem, server.key in folder. Returns their paths."""
    os.makedirs(folder, exist_ok=True)
    p = lambda n: os.path.join(folder, n)  # noqa: E731
    with open(p("server.ext"), "w") as f:
        f.write("basicConstraints=CA:FALSE\n"
                "keyUsage=digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\n"
                "subjectAltName=IP:127.0.0.1,DNS:localhost\n")
    run = lambda *a: subprocess.run(  # noqa: E731
        ["openssl"] + list(a), check=True, timeout=60,
        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
        "-subj", "/CN=Test CA", "-keyout", p("ca.key"), "-out", p("ca.pem"),
        "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost",
        "-keyout", p("server.key"), "-out", p("server.csr"))
    run("x509", "-req", "-in", p("server.csr"), "-CA", p("ca.pem"),
        "-CAkey", p("ca.key"), "-CAcreateserial", "-days", "30",
        "-extfile", p("server.ext"), "-out", p("server.pem"))
    return {"ca": p("ca.pem"), "cert": p("server.pem"), "key": p("server.key")}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--root")
    ap.add_argument("--script")
    ap.add_argument("--auth", metavar="USER:PASS")
    ap.add_argument("--proxy-auth", metavar="USER:PASS")
    ap.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    ap.add_argument("--make-cert", metavar="DIR")
    ap.add_argument("--delay-ms", type=float, default=0,
                    help="wait this long before every answer (benchmarks)")
    servercommon.add_lifecycle_args(ap)
    args = ap.parse_args()
    if args.make_cert:
        for k, v in make_cert(args.make_cert).items():
            print("%s %s" % (k.upper(), v))
        return 0
    if not args.root or not os.path.isdir(args.root):
        ap.error("--root must name a folder")
    CONFIG["root"] = os.path.realpath(args.root)
    CONFIG["auth"] = args.auth
    CONFIG["proxy_auth"] = args.proxy_auth
    CONFIG["delay_ms"] = args.delay_ms
    CONFIG["port"] = 0
    server = Server(("127.0.0.1", args.port), Handler)
    CONFIG["port"] = server.server_address[1]
    try:
        CONFIG["script"] = Script(load_script(args.script)) if args.script else None
    except (OSError, ValueError) as e:
        print("script error: %s" % e, file=sys.stderr)
        return 2
    if args.tls:
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(args.tls[0], args.tls[1])
        server.tls = ctx
    servercommon.request_log.open(args.log)
    threading.Thread(target=server.serve_forever, args=(0.2,), daemon=True).start()
    servercommon.announce_port(CONFIG["port"], args)
    servercommon.run_until_stopped(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
