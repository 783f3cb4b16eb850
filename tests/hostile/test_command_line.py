"""Stray words on the terminal program's command line: a usage text and
exit status 64, and the stored batch list stays as it was."""

import os
import subprocess
import unittest

from hostile import HostileTest, copy_program, on_wine


class CommandLine(HostileTest):
    def setUp(self):
        super().setUp()
        if on_wine():
            self.skipTest("the Windows command line is the documented one")
        # A copy of the program keeps its settings file in this folder; its
        # texts come from the catalogues beside it.
        self.program = copy_program(self.dir)
        self.ini = self.program + ".INI"
        with open(self.ini, "w", newline="\r\n") as f:
            f.write("[MissionList]\ncount=1\n0=/keep/job.zbp\n")

    def call(self, *args):
        return subprocess.run([self.program] + list(args), cwd=self.dir, capture_output=True, timeout=30)

    def assertBatchListKept(self):
        with open(self.ini) as f:
            self.assertIn("0=/keep/job.zbp", f.read())

    def test_words_that_name_no_project_leave_the_batch_list_alone(self):
        open(os.path.join(self.dir, "real.zbp"), "w").close()
        for args in (["mistyped.zbp"], ["real.zbp", "mistyped"]):
            r = self.call(*args)
            self.assertEqual(r.returncode, 64, (args, r))
            self.assertIn(b"usage: zbrask", r.stderr)
            self.assertBatchListKept()
        # An option the program does not know is named on one line.
        r = self.call("--verbose")
        self.assertEqual(r.returncode, 64, r)
        self.assertEqual(r.stderr, b"zbrask: unknown option --verbose (zbrask --help lists the options)\n")
        self.assertBatchListKept()

    def test_help_prints_the_usage_and_succeeds(self):
        for flag in ("--help", "-h"):
            r = self.call(flag)
            self.assertEqual(r.returncode, 0, r)
            self.assertIn(b"usage: zbrask /url URL", r.stdout)
            self.assertBatchListKept()

    def test_without_catalogues_the_missing_one_is_named(self):
        for code in ("enu", "rus"):
            os.remove(os.path.join(self.dir, "zb%s.lng" % code))
        r = self.call("--verbose")
        self.assertEqual(r.returncode, 64, r)
        self.assertIn(b"no language catalogue (zbenu.lng)", r.stderr)
        self.assertBatchListKept()


if __name__ == "__main__":
    unittest.main()
