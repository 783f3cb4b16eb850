"""Lifecycle shared by the test servers.

A test starts a server as a child process with a pipe on its stdin, reads
the single line "PORT <n>" from its stdout, and stops it by closing stdin
(or SIGTERM). A server also stops by itself after --max-seconds so that a
test that hangs or crashes never leaves one running.
"""

import json
import os
import signal
import sys
import threading

STOP = threading.Event()


def add_lifecycle_args(parser):
    parser.add_argument("--port", type=int, default=0,
                        help="port on 127.0.0.1; 0 picks a free one")
    parser.add_argument("--max-seconds", type=float, default=600.0,
                        help="stop by itself after this many seconds")
    parser.add_argument("--no-stdin", action="store_true",
                        help="do not stop when stdin closes (manual runs)")
    parser.add_argument("--port-file", default=None,
                        help="also write the port to this file (written "
                             "whole, for callers that cannot read a pipe)")
    parser.add_argument("--log", default=None,
                        help="append one JSON line per request to this file")


def stopping():
    return STOP.is_set()


def wait_stop(seconds):
    """Sleep up to seconds; True when the server is stopping."""
    return STOP.wait(seconds)


def _watch_stdin():
    try:
        while True:
            data = os.read(0, 4096)
            if not data:
                break
    except OSError:
        pass
    STOP.set()


def announce_port(port, args=None):
    path = getattr(args, "port_file", None)
    if path:
        # Renamed into place so that a reader never sees a partial number.
        tmp = path + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, path)
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


def run_until_stopped(args, on_stop=None):
    """Blocks the main thread until stdin closes, SIGTERM, or max-seconds."""
    signal.signal(signal.SIGTERM, lambda *_: STOP.set())
    signal.signal(signal.SIGINT, lambda *_: STOP.set())
    if not args.no_stdin:
        threading.Thread(target=_watch_stdin, daemon=True).start()
    STOP.wait(args.max_seconds)
    STOP.set()
    if on_stop is not None:
        try:
            on_stop()
        except Exception:
            pass
    request_log.close()
    sys.stdout.flush()
    sys.stderr.flush()
    # Handler threads may sit in a stalled answer; do not wait for them.
    os._exit(0)


class RequestLog:
    """One JSON object per line, written whole under a lock, flushed at once
    so that a test can read it while the server still runs."""

    def __init__(self):
        self._lock = threading.Lock()
        self._file = None

    def open(self, path):
        if path:
            self._file = open(path, "a", encoding="utf-8")

    def write(self, record):
        if self._file is None:
            return
        line = json.dumps(record, ensure_ascii=False)
        with self._lock:
            self._file.write(line + "\n")
            self._file.flush()

    def close(self):
        with self._lock:
            if self._file is not None:
                self._file.close()
                self._file = None


request_log = RequestLog()
