"""Every job ends, and its limits hold at any speed: files that fail after
some bytes arrived are tried three times and no more, their temporary
files do not stay in the copy (a body cut by the wait limit, which a
project sets in minutes, is the engine's test), a body without end is cut at the size
limit as it comes, and a project that asks for no thread limit still
opens at most 32 connections to a server."""

import http.server
import os
import shutil
import subprocess
import threading
import time
import unittest

import hostile
from hostile import HostileTest, on_wine, run, stored_files, write_project

# A job of a few failing files ends well within this (Wine adds some 20 s).
BOUNDED = 120 if on_wine() else 60
BINARY = [["Content-Type", "application/octet-stream"]]

# Answers that fail after some bytes arrived, every time they are asked.
FAILING = {
    # Content-Length longer than the body, and the whole body again on a resume.
    "/long-length.bin": {"body": "x" * 100, "wrong_length": 100000, "ranges": False, "headers": BINARY},
    # The connection reset in the middle.
    "/reset.bin": {"body": {"repeat": "r", "size": 200000}, "cut_after": 50000, "ranges": False,
                   "headers": BINARY},
    # A chunk whose size is no number.
    "/bad-chunk.bin": {"raw": "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                              "Transfer-Encoding: chunked\r\n\r\n10\r\n0123456789abcdef\r\nzz\r\nmore\r\n"},
    # Two Content-Lengths that disagree.
    "/two-lengths.bin": {"raw": "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                                "Content-Length: 20\r\nContent-Length: 2000\r\n\r\n" + "y" * 20},
    # Too short to tell what it is.
    "/tiny": {"body": "ab", "ranges": False, "headers": [["Content-Type", None]]},
}


def page(links):
    return "<html><body>\n" + "".join('<a href="%s">%s</a>\n' % (l, l) for l in links) + "</body></html>\n"


def temporary_files(folder):
    return [f for f in stored_files(folder) if os.path.basename(f).upper().startswith("~DL~")]


class FailingFiles(HostileTest):
    def test_files_that_fail_after_some_bytes_are_tried_three_times(self):
        s = self.serve({"index.html": page([p.lstrip("/") for p in FAILING])}, FAILING)
        r = self.mirror(s.base + "/index.html", timeout=BOUNDED)
        self.assertIsNotNone(r.code, r)
        targets = s.targets()
        for path in FAILING:
            self.assertGreaterEqual(targets.count(path), 1, (path, targets))
            self.assertLessEqual(targets.count(path), 3, (path, targets))
        self.assertEqual(targets.count("/index.html"), 1, targets)
        self.assertEqual(temporary_files(os.path.join(self.dir, "run")), [], r)
        if not on_wine():
            for path in FAILING:
                self.assertIn("Not stored: " + s.base + path, r.output)


class CountingHandler(http.server.BaseHTTPRequestHandler):
    """Answers every page after a second, counting the requests waiting at once."""

    protocol_version = "HTTP/1.1"
    lock = threading.Lock()
    now = 0
    most = 0
    links = 60

    def log_message(self, *args):
        pass

    def do_GET(self):
        cls = type(self)
        with cls.lock:
            cls.now += 1
            cls.most = max(cls.most, cls.now)
        try:
            if self.path == "/index.html":
                body = page(["p%d.html" % i for i in range(cls.links)]).encode()
            else:
                time.sleep(1)
                body = b"<html><body>leaf</body></html>\n"
        finally:
            # Counted out before the answer goes: once the client has it, it
            # may open its next connection before this thread runs again.
            with cls.lock:
                cls.now -= 1
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Limits(HostileTest):
    @unittest.skipIf(on_wine(), "MaxNumThread is set in a project, which the Windows program runs as a batch")
    def test_no_thread_limit_still_opens_at_most_32_connections(self):
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), CountingHandler)
        server.daemon_threads = True
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        base = "http://127.0.0.1:%d" % server.server_address[1]
        job = os.path.join(self.dir, "job.zbp")
        write_project(job, [base + "/index.html"], os.path.join(self.dir, "out"),
                      levels={"internal": 1, "external": 0}, Options={"MaxNumThread": 0})
        r = run(["/f", job], self.dir, timeout=BOUNDED)
        self.assertEqual(r.code, 0, r)
        self.assertLessEqual(CountingHandler.most, 32, r)
        self.assertGreater(CountingHandler.most, 8, "the downloads ran side by side")

    @unittest.skipIf(on_wine(), "the copy goes to a tmpfs mounted for a native child")
    def test_the_size_limit_holds_on_a_fast_endless_body(self):
        if not shutil.which("unshare") or subprocess.run(
                ["unshare", "-rm", "true"], stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("no mount namespace here")
        script = {
            "/endless.bin": {"body": {"repeat": "endless ", "size": 100 * 10 ** 9}, "headers": BINARY},
            "/huge.html": {"body": {"repeat": "<p>huge</p>\n", "size": 200 * 1048576},
                           "headers": [["Content-Type", "text/html"]]},
        }
        s = self.serve({"index.html": page(["endless.bin", "huge.html"])}, script)
        disk = os.path.join(self.dir, "disk")
        os.makedirs(disk)
        sizes = os.path.join(self.dir, "sizes.txt")
        # The copy and the sizes of its files, read before the tmpfs goes
        # with the namespace.
        inner = ('mount -t tmpfs -o size=1g tmpfs "$1" || exit 77; cd "$1"; "$2" /url "$3"; code=$?; '
                 'find . -type f -printf "%s %p\\n" > "$4"; exit $code')
        start = time.monotonic()
        p = subprocess.run(["unshare", "-rm", "sh", "-c", inner, "sh", disk, hostile.PROGRAM,
                            s.base + "/index.html", sizes],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=BOUNDED)
        output = p.stdout.decode("utf-8", "replace")
        if p.returncode == 77:
            self.skipTest("tmpfs cannot be mounted here")
        seconds = time.monotonic() - start
        with open(sizes) as f:
            files = [line.split(" ", 1) for line in f.read().splitlines()]
        total = sum(int(size) for size, _ in files)
        # The default limit of 100 MB, within one buffer of the copy.
        self.assertLessEqual(total, 100 * 1048576 + 65536, (files, output))
        self.assertGreater(total, 90 * 1048576, (files, output))
        self.assertIn("the size limit has been reached", output)
        self.assertIn("cut by the size limit", output)
        self.assertLess(seconds, BOUNDED)
        self.assertEqual(s.targets().count("/endless.bin"), 1, output)


if __name__ == "__main__":
    unittest.main()
