#!/usr/bin/env python3
"""Gopher test server: files of a root by selector, a menu for folders.

    python3 gopherserver.py --root DIR [--port N] [--log FILE]
        [--max-seconds S] [--no-stdin]

A selector names a path under the root ("" or "/" is the root). A file is
sent as it is; a folder is sent as a menu, one line per entry,
"TYPE display<TAB>selector<TAB>host<TAB>port<CR><LF>", ended by ".<CR><LF>".
Prints "PORT <n>"; stops when stdin closes, on SIGTERM, or after
--max-seconds.
"""

import argparse
import os
import socketserver
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import servercommon  # noqa: E402

TYPES = {".txt": "0", ".html": "h", ".htm": "h", ".gif": "g",
         ".jpg": "I", ".jpeg": "I", ".png": "I", ".bmp": "I"}
ROOT = ""
PORT = 0


def item_type(path):
    if os.path.isdir(path):
        return "1"
    return TYPES.get(os.path.splitext(path)[1].lower(), "9")


class Handler(socketserver.StreamRequestHandler):
    timeout = 30

    def handle(self):
        line = self.rfile.readline(4096)
        selector = line.decode("latin-1").rstrip("\r\n").split("\t")[0]
        servercommon.request_log.write({"selector": selector})
        path = os.path.realpath(os.path.join(ROOT, selector.lstrip("/")))
        if path != ROOT and not path.startswith(ROOT + os.sep):
            path = None
        if path and os.path.isdir(path):
            out = []
            for name in sorted(os.listdir(path)):
                sel = (selector.rstrip("/") + "/" + name)
                if not sel.startswith("/"):
                    sel = "/" + sel
                out.append("%s%s\t%s\t127.0.0.1\t%d\r\n" % (
                    item_type(os.path.join(path, name)), name, sel, PORT))
            self.wfile.write(("".join(out) + ".\r\n").encode("latin-1"))
        elif path and os.path.isfile(path):
            with open(path, "rb") as f:
                while True:
                    data = f.read(65536)
                    if not data:
                        break
                    self.wfile.write(data)
        else:
            self.wfile.write(b"3Not found: " + selector.encode("latin-1") +
                             b"\t\terror.host\t1\r\n.\r\n")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    global ROOT, PORT
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--root", required=True)
    servercommon.add_lifecycle_args(ap)
    args = ap.parse_args()
    if not os.path.isdir(args.root):
        ap.error("--root must name a folder")
    ROOT = os.path.realpath(args.root)
    servercommon.request_log.open(args.log)
    server = Server(("127.0.0.1", args.port), Handler)
    PORT = server.server_address[1]
    threading.Thread(target=server.serve_forever, args=(0.2,), daemon=True).start()
    servercommon.announce_port(PORT, args)
    servercommon.run_until_stopped(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
