#!/usr/bin/env python3
"""Starts and stops the servers of the transfer tests, for programs that
cannot start them themselves (the Windows tests run under Wine).

    python3 fixture.py start DIR    # servers up, DIR/<name>.port written
    python3 fixture.py stop DIR     # the servers started into DIR stop

DIR receives root/ (the files served), script.json, the test certificate
(ca.pem, server.pem, server.key), one port file per server and pids (the
process ids that stop ends, nothing else). The servers are detached from
the caller's terminal and output (ctest waits for whoever holds its pipes)
and stop by themselves after --max-seconds.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import httpserver  # noqa: E402
import workerscript  # noqa: E402

MAX_SECONDS = "900"
# 2001-02-03 04:05:06 UTC: the Last-Modified that the tests expect.
FILE_TIME = 981173106
BIG = 200 * 1024 * 1024

SCRIPT = {
    "/redirect1": {"status": 301, "redirect": "/redirect2"},
    "/redirect2": {"status": 302, "redirect": "http://127.0.0.1:{port}/hello.txt"},
    "/gzip": {"body": "gzip body, stored as it came\n" * 20, "gzip": True,
              "headers": [["Content-Type", "text/plain"]]},
    "/chunked": {"body": "chunked body in pieces of seven\n" * 10, "chunked": 7},
    "/cut": {"file": "data.bin", "cut_after": 5000},
    "/stall": {"file": "data.bin", "stall": 100},
    "/auth": {"auth": "ann:secret", "body": "inside"},
    "/late": {"body": "late", "delay": 3},
    "/quiet-close": {"body": "the connection ends after this", "quiet_close": True},
    "/big": {"body": {"repeat": "0123456789abcdef", "size": BIG},
             "headers": [["Content-Type", "application/octet-stream"]]},
    "/garbage": {"raw": "this is not http at all\r\n\r\n"},
    "/longheader": {"raw": {"prefix": "HTTP/1.1 200 OK\r\nX-Long: ", "repeat": "a",
                            "size": 1048576, "suffix": "\r\n\r\nbody"}},
    "/endless": {"endless_headers": True},
    # Redirects that are never followed: to other schemes (the gopher one
    # would put a request line of its choosing to this very port) and to
    # another service's port.
    "/to-ftp": {"status": 302, "redirect": "ftp://127.0.0.1:{port}/hello.txt"},
    "/to-gopher": {"status": 302,
                   "redirect": "gopher://127.0.0.1:{port}/_GET%20/gopher-reached%20HTTP/1.0%0D%0A%0D%0A"},
    "/to-gopher-plain": {"status": 301, "redirect": "gopher://127.0.0.1:{port}/0/hello.txt"},
    "/to-file": {"status": 302, "redirect": "file:///etc/hostname"},
    "/to-low-port": {"status": 307, "redirect": "http://127.0.0.1:1/hello.txt"},
    "/redirect-space": {"status": 302, "redirect": "hello.txt?a b"},
    "/redirect-host": {"status": 301, "redirect": "//localhost:{port}/hello.txt"},
}
SCRIPT.update(workerscript.WORKER_SCRIPT)


def data_bytes():
    return bytes((i * 7 + i // 251) & 0xFF for i in range(100000))


def prepare(folder):
    root = os.path.join(folder, "root")
    if os.path.isdir(root):
        shutil.rmtree(root)
    os.makedirs(root)
    with open(os.path.join(root, "hello.txt"), "w") as f:
        f.write("Hello from the test server\n")
    os.utime(os.path.join(root, "hello.txt"), (FILE_TIME, FILE_TIME))
    with open(os.path.join(root, "data.bin"), "wb") as f:
        f.write(data_bytes())
    workerscript.prepare_root(root)
    script = os.path.join(folder, "script.json")
    with open(script, "w") as f:
        json.dump(SCRIPT, f)
    cert = httpserver.make_cert(folder)
    return root, script, cert


def start(folder):
    os.makedirs(folder, exist_ok=True)
    stop(folder)
    root, script, cert = prepare(folder)
    http = [sys.executable, os.path.join(HERE, "httpserver.py"), "--root", root, "--script", script]
    servers = {
        "http": http + ["--log", os.path.join(folder, "http.log")],
        "proxy": http + ["--proxy-auth", "ann:secret", "--log", os.path.join(folder, "proxy.log")],
        "https": http + ["--tls", cert["cert"], cert["key"]],
        "ftp": ["/usr/bin/python3", os.path.join(HERE, "ftpserver.py"), "--root", root],
        "gopher": [sys.executable, os.path.join(HERE, "gopherserver.py"), "--root", root],
    }
    for log in ("http.log", "proxy.log"):
        if os.path.exists(os.path.join(folder, log)):
            os.remove(os.path.join(folder, log))
    pids = []
    for name, argv in servers.items():
        port_file = os.path.join(folder, name + ".port")
        if os.path.exists(port_file):
            os.remove(port_file)
        err = open(os.path.join(folder, name + ".err"), "w")
        p = subprocess.Popen(argv + ["--no-stdin", "--max-seconds", MAX_SECONDS, "--port-file", port_file],
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err,
                             start_new_session=True, close_fds=True)
        err.close()
        pids.append(p.pid)
    with open(os.path.join(folder, "pids"), "w") as f:
        f.write("\n".join(str(p) for p in pids) + "\n")
    deadline = time.time() + 15
    for name in servers:
        port_file = os.path.join(folder, name + ".port")
        while not os.path.exists(port_file):
            if time.time() > deadline:
                sys.stderr.write("server %s did not start: see %s.err\n" % (name, name))
                stop(folder)
                return 1
            time.sleep(0.02)
    return 0


def stop(folder):
    path = os.path.join(folder, "pids")
    if not os.path.exists(path):
        return 0
    with open(path) as f:
        pids = [int(x) for x in f.read().split()]
    for pid in pids:
        try:
            os.kill(pid, signal.SIGTERM)
        except (ProcessLookupError, PermissionError):
            pass
    os.remove(path)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(start(sys.argv[2]) if sys.argv[1] == "start" else stop(sys.argv[2]))
