"""Connections are kept from one download to the next: a job of many files
from one host opens about as many connections as it runs downloads at
once, runs as many at once as it has threads, and a kept connection that
the server drops without a word is replaced without losing the file."""

import http.server
import threading
import time
import unittest

from hostile import HostileTest, on_wine

THREADS = 5  # the program's default
PAGES = 200
WAIT = 0.1  # each page's answer: long enough for every thread to be asking


def page(links):
    return "<html><body>\n" + "".join('<a href="%s">%s</a>\n' % (l, l) for l in links) + "</body></html>\n"


class Site(http.server.BaseHTTPRequestHandler):
    """Every page answered after a short wait, with the connections that
    asked and the most requests under way at once counted; drop_every > 0
    closes each connection silently after that many answers."""

    protocol_version = "HTTP/1.1"
    drop_every = 0

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        self.answered = 0

    def do_GET(self):
        s = self.server
        with s.lock:
            s.peers.add(self.client_address)
            s.targets.append(self.path)
            s.now += 1
            s.most = max(s.most, s.now)
        try:
            if self.path == "/index.html":
                body = page(["p%d.html" % i for i in range(s.pages)]).encode()
            else:
                time.sleep(WAIT)
                body = b"<html><body>leaf</body></html>\n"
        finally:
            # Counted out before the answer goes: once the client has it, it
            # may ask again before this thread runs once more.
            with s.lock:
                s.now -= 1
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        self.answered += 1
        if s.drop_every and self.answered % s.drop_every == 0:
            self.close_connection = True  # no "Connection: close": dropped as if idle too long


class Connections(HostileTest):
    def serve_site(self, pages, drop_every=0):
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
        server.daemon_threads = True
        server.lock = threading.Lock()
        server.peers, server.targets = set(), []
        server.now = server.most = 0
        server.pages, server.drop_every = pages, drop_every
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        return server, "http://127.0.0.1:%d" % server.server_address[1]

    def test_many_files_from_one_host_share_a_few_connections(self):
        server, base = self.serve_site(PAGES)
        r = self.mirror(base + "/index.html", timeout=180 if on_wine() else 60)
        self.assertEqual(r.code, 0, r)
        self.assertEqual(len(server.targets), PAGES + 1, r)
        self.assertLessEqual(len(server.peers), THREADS + 3,
                             "%d connections for %d files" % (len(server.peers), PAGES + 1))
        self.assertEqual(server.most, THREADS, "downloads at once")

    def test_a_kept_connection_the_server_drops_is_replaced(self):
        server, base = self.serve_site(60, drop_every=3)
        r = self.mirror(base + "/index.html", timeout=180 if on_wine() else 60)
        self.assertEqual(r.code, 0, r)
        # Every page asked once and stored: none lost on a dead connection.
        self.assertEqual(sorted(set(server.targets)), sorted(server.targets), "asked twice")
        self.assertEqual(len(server.targets), 61, r)
        self.assertGreater(len(server.peers), 60 // 3, "the dropped connections were replaced")
        self.assertNotIn("Not stored", r.output)


if __name__ == "__main__":
    unittest.main()
