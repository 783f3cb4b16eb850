"""One job, two programs: a copy mirrored by the terminal program is
continued by the Windows program under Wine, and the other way round.
The tree file names the stored files the same way on both, so neither
fetches again what the other stored."""

import os
import re
import shutil
import unittest

import subprocess

from hostile import HostileTest, on_wine, place_windows_program, run, stored_files, SOURCE

NATIVE = os.environ.get("ZB_NATIVE_PROGRAM", os.path.join(SOURCE, "build", "native", "bin", "zbrask"))
SITE = {"index.html": '<a href="d/a.html">a</a><img src="d/e/p.gif">',
        "d/a.html": '<a href="e/b.html">b</a><a href="../index.html">home</a>',
        "d/e/b.html": "<p>deep</p>",
        "d/e/p.gif": b"GIF89a" + b"\0" * 30}


def win_path(path):
    return "Z:" + path.replace("/", "\\")


class CrossTarget(HostileTest):
    def setUp(self):
        super().setUp()
        if not on_wine():
            self.skipTest("runs with the Windows build, beside the native one")
        if not os.access(NATIVE, os.X_OK):
            self.skipTest("no native build at " + NATIVE)

    def native(self, args, cwd):
        return subprocess.run([NATIVE] + args, cwd=cwd, capture_output=True, timeout=120)

    def windows_batch(self, cwd, project):
        """The Windows program's "/f" only opens a project: it runs as the
        stored batch and ends with it."""
        os.makedirs(cwd, exist_ok=True)
        place_windows_program(cwd, ("[DLoad]\r\nExitOnEnd=0\r\nExitOnEndBatch=1\r\n[Batch]\r\nUseStartTime=0\r\n"
                                    "[MissionList]\r\ncount=1\r\n0=%s\r\n" % win_path(project)).encode())
        return run(["/auto"], cwd, timeout=240)

    def test_the_windows_program_continues_a_native_job_without_fetching_again(self):
        s = self.serve(SITE)
        work = os.path.join(self.dir, "native")
        os.makedirs(work)
        first = self.native(["/url", s.base + "/index.html"], work)
        self.assertEqual(first.returncode, 0, first.stderr)
        project = os.path.join(work, "127.0.0.1", "127.0.0.1.zbp")
        tree = project[:-4] + ".zbt"
        with open(tree, "rb") as f:
            self.assertIn(b"\\d\\e\\p.gif", f.read())
        before = len(s.requests())
        second = self.windows_batch(os.path.join(self.dir, "win"), project)
        self.assertEqual(second.code, 0, second)
        again = [r["target"] for r in s.requests()[before:]]
        self.assertEqual([t for t in again if t != "/index.html"], [], "fetched again: %s" % again)

    def test_the_terminal_program_continues_a_windows_job_without_fetching_again(self):
        s = self.serve(SITE)
        work = os.path.join(self.dir, "win")
        os.makedirs(work)
        first = run(["/url", s.base + "/index.html"], work, timeout=240)
        self.assertEqual(first.code, 0, first)
        project = os.path.join(work, "127.0.0.1", "127.0.0.1.zbp")
        # The project names its output folder with the Windows drive: a user
        # moving the job gives it the folder's local name.
        with open(project, "rb") as f:
            text = f.read().decode("latin-1")
        text = re.sub(r"(?m)^path=.*$", lambda m: "path=" + os.path.dirname(project), text)
        with open(project, "wb") as f:
            f.write(text.encode("latin-1"))
        before = len(s.requests())
        second = self.native(["/f", project], work)
        self.assertEqual(second.returncode, 0, second.stderr)
        again = [r["target"] for r in s.requests()[before:]]
        self.assertEqual([t for t in again if t != "/index.html"], [], "fetched again: %s" % again)
        # Every file the Windows program stored is still the job's.
        with open(project[:-4] + ".zbt", "rb") as f:
            self.assertIn(b"\\d\\e\\p.gif", f.read())


if __name__ == "__main__":
    unittest.main()
