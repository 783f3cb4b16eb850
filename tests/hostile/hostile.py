"""Harness of the hostile-site tests: a local HTTP server playing a site
that attacks its visitor, a canary port that must hear nothing, and the
program under test run on them with bounded time.

The program comes from the environment that ctest sets:
  ZB_PROGRAM      the terminal program, or zbrask.exe under Wine
  ZB_SOURCE_DIR   the checkout (for the servers)
  ZB_WORK_DIR     a folder this test may fill
  ZB_WINE_PREFIX  set when ZB_PROGRAM is the Windows program
"""

import json
import os
import shutil
import socket
import subprocess
import sys
import threading
import time
import unittest

SOURCE = os.environ.get("ZB_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
SERVERS = os.path.join(SOURCE, "tests", "servers")
PROGRAM = os.environ.get("ZB_PROGRAM", "")
WINE_PREFIX = os.environ.get("ZB_WINE_PREFIX", "")
WORK = os.environ.get("ZB_WORK_DIR", "")


def on_wine():
    return bool(WINE_PREFIX)


def sanitized():
    """The program is built with the address sanitizer, which doubles its memory."""
    return os.environ.get("ZB_SANITIZED") == "1"


class Server:
    """httpserver.py over root with an answer script; stops on close()."""

    def __init__(self, root, script=None, work=None, extra=()):
        self.work = work or root
        self.log = os.path.join(self.work, "server-%d.log" % id(self))
        args = [sys.executable, os.path.join(SERVERS, "httpserver.py"), "--root", root,
                "--log", self.log, "--max-seconds", "600"]
        if script is not None:
            path = os.path.join(self.work, "script-%d.json" % id(self))
            with open(path, "w") as f:
                json.dump(script, f)
            args += ["--script", path]
        args += list(extra)
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = self.proc.stdout.readline().decode()
        if not line.startswith("PORT "):
            raise RuntimeError("the test server did not start")
        self.port = int(line.split()[1])
        self.base = "http://127.0.0.1:%d" % self.port

    def requests(self):
        """Every request so far, as the server logged it."""
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return [json.loads(l) for l in f if l.strip()]

    def targets(self):
        return [r["target"] for r in self.requests()]

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()


class Canary:
    """A port that records every connection and byte it receives."""

    def __init__(self):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(16)
        self.port = self.sock.getsockname()[1]
        self.connections = 0
        self.received = b""
        self._lock = threading.Lock()
        self._stop = False
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        self.sock.settimeout(0.2)
        while not self._stop:
            try:
                c, _ = self.sock.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            with self._lock:
                self.connections += 1
            threading.Thread(target=self._read, args=(c,), daemon=True).start()

    def _read(self, c):
        c.settimeout(5)
        try:
            # Greet like an FTP or SMTP server would, so that a client
            # that waits for a banner sends what it means to send.
            c.sendall(b"220 canary\r\n")
            while True:
                data = c.recv(65536)
                if not data:
                    break
                with self._lock:
                    self.received += data
        except OSError:
            pass
        finally:
            c.close()

    def heard(self):
        with self._lock:
            return self.connections, self.received

    def close(self):
        self._stop = True
        self.sock.close()


class Result:
    def __init__(self, code, output, seconds, folder):
        self.code = code
        self.output = output
        self.seconds = seconds
        self.folder = folder

    def __repr__(self):
        return "exit %s after %.1f s:\n%s" % (self.code, self.seconds, self.output[-4000:])


def fresh_folder(name):
    path = os.path.join(WORK or "/tmp/zb-hostile", name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def place_windows_program(cwd, settings=b"[DLoad]\r\nExitOnEnd=1\r\n"):
    """Copies zbrask.exe and its language libraries into cwd, with a
    settings file beside it (kept when one is there); its path."""
    exe = os.path.join(cwd, "zbrask.exe")
    if not os.path.exists(exe):
        shutil.copy(PROGRAM, exe)
        bindir = os.path.dirname(PROGRAM)
        for name in os.listdir(bindir):
            if name.lower().startswith("zb") and name.lower().endswith(".dll"):
                shutil.copy(os.path.join(bindir, name), cwd)
    ini = os.path.join(cwd, "zbrask.INI")
    if not os.path.exists(ini):
        with open(ini, "wb") as f:
            f.write(settings)
    return exe


def run(args, cwd, timeout=60, env=None):
    """Runs the program with args in cwd; a run past timeout is killed and
    reported with code None."""
    if on_wine():
        exe = place_windows_program(cwd)
        cmd = [os.path.join(SOURCE, "tools", "wine-run.sh"), WINE_PREFIX, exe] + list(args)
    else:
        cmd = [PROGRAM] + list(args)
    start = time.monotonic()
    p = subprocess.Popen(cmd, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, env=env, start_new_session=True)
    try:
        out, _ = p.communicate(timeout=timeout)
        code = p.returncode
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, 9)
        out, _ = p.communicate()
        code = None
    return Result(code, out.decode("utf-8", "replace"), time.monotonic() - start, cwd)


def copy_program(folder):
    """A copy of the terminal program in folder, with the catalogues beside
    it: it keeps a settings file of its own there. Returns its path."""
    os.makedirs(folder, exist_ok=True)
    shutil.copy(PROGRAM, folder)
    for code in ("enu", "rus"):
        shutil.copy(os.path.join(os.path.dirname(PROGRAM), "zb%s.lng" % code), folder)
    return os.path.join(folder, os.path.basename(PROGRAM))


def write_project(path, urls, output, **sections):
    """A project file with the given start URLs and output folder; each
    keyword names a section, with a dict of its keys, as in
    write_project(p, [u], out, levels={"internal": 2}, Options={"Stubs": 1})."""
    lines = ["[URLs]", "count=%d" % len(urls)]
    lines += ["%d=%s" % (i, u) for i, u in enumerate(urls)]
    lines += ["[output]", "path=%s" % output]
    lines += [k + "=" + str(v) for k, v in sections.pop("output", {}).items()]
    for name, keys in sections.items():
        lines.append("[%s]" % name)
        lines += ["%s=%s" % (k, v) for k, v in keys.items()]
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def stored_files(folder):
    """Every regular file below folder, as paths relative to it."""
    out = []
    for top, _, files in os.walk(folder):
        for name in files:
            out.append(os.path.relpath(os.path.join(top, name), folder))
    return out


def tree_contains(folder, needle):
    """Paths of files below folder that hold the bytes needle."""
    hits = []
    for rel in stored_files(folder):
        try:
            with open(os.path.join(folder, rel), "rb") as f:
                if needle in f.read():
                    hits.append(rel)
        except OSError:
            pass
    return hits


class HostileTest(unittest.TestCase):
    """A test case with a fresh folder, a server over it and a canary."""

    servers = ()

    def setUp(self):
        if not PROGRAM:
            self.skipTest("ZB_PROGRAM is not set")
        self.dir = fresh_folder(self.id().split(".", 1)[1])
        self.root = os.path.join(self.dir, "site")
        os.makedirs(self.root)
        self.canary = Canary()
        self.addCleanup(self.canary.close)

    def serve(self, pages=None, script=None, extra=()):
        """Writes pages (name -> bytes or text) into the site's root and
        serves it with the script."""
        for name, body in (pages or {}).items():
            path = os.path.join(self.root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(body.encode() if isinstance(body, str) else body)
        s = Server(self.root, script, work=self.dir, extra=extra)
        self.addCleanup(s.close)
        return s

    def mirror(self, url, timeout=60, args=(), name="run"):
        cwd = os.path.join(self.dir, name)
        os.makedirs(cwd, exist_ok=True)
        return run(["/url", url] + list(args), cwd, timeout)

    def assertCanaryQuiet(self):
        connections, received = self.canary.heard()
        self.assertEqual((connections, received), (0, b""), "the canary port was reached")
