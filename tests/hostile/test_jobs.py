"""Several jobs on one host from the terminal program's "/url": the same
start URL again continues its job, another start URL gets a project and a
copy of its own beside the first, and each job is continued afterwards
with "/f" from its own tree file, finding its own files."""

import os
import re
import unittest

from hostile import HostileTest, on_wine, run, stored_files


def numbered(folder):
    """Copies that took a numbered name beside an earlier one: "a(0).html"."""
    return [f for f in stored_files(folder) if re.search(r"\(\d+\)", os.path.basename(f))]


@unittest.skipIf(on_wine(), "the Windows program says nothing on a terminal and opens a \"/f\" project without a job")
class JobsOnOneHost(HostileTest):
    PAGES = {"index.html": '<a href="a.html">a</a>', "a.html": "<p>a</p>",
             "other.html": '<a href="b.html">b</a>', "b.html": "<p>b</p>"}

    def project_of(self, result):
        m = re.search(r"Project: +(.*\.zbp)", result.output)
        self.assertIsNotNone(m, result)
        return m.group(1)

    def test_two_start_urls_on_one_host_are_two_jobs_each_continued_from_its_own_files(self):
        s = self.serve(self.PAGES)
        first = self.mirror(s.base + "/index.html")
        self.assertEqual(first.code, 0, first)
        second = self.mirror(s.base + "/other.html")
        self.assertEqual(second.code, 0, second)
        self.assertNotIn("Continuing", second.output)
        cwd = first.folder
        p1, p2 = self.project_of(first), self.project_of(second)
        self.assertEqual(p1, os.path.join(cwd, "127.0.0.1", "127.0.0.1.zbp"))
        self.assertEqual(p2, os.path.join(cwd, "127.0.0.1-2", "127.0.0.1-2.zbp"))
        copy1, copy2 = os.path.dirname(p1), os.path.dirname(p2)
        names1 = [os.path.basename(f) for f in stored_files(copy1)]
        names2 = [os.path.basename(f) for f in stored_files(copy2)]
        self.assertIn("a.html", names1)
        self.assertNotIn("b.html", names1)
        self.assertIn("b.html", names2)
        self.assertNotIn("a.html", names2)

        # Each job goes on from its own tree file: everything it stored is
        # known, so nothing is asked again.
        for project, copy in ((p1, copy1), (p2, copy2)):
            before = len(s.requests())
            files = sorted(stored_files(copy))
            again = run(["/f", project], cwd, timeout=60)
            self.assertEqual(again.code, 0, again)
            self.assertEqual(s.targets()[before:], [], again)
            self.assertNotIn("Not stored", again.output)
            self.assertEqual(sorted(stored_files(copy)), files)
            self.assertEqual(numbered(copy), [])

    def test_the_same_start_url_again_continues_its_job(self):
        s = self.serve(self.PAGES)
        first = self.mirror(s.base + "/index.html")
        self.assertEqual(first.code, 0, first)
        project = self.project_of(first)
        with open(os.path.splitext(project)[0] + ".zbt", "rb") as f:
            tree = f.read()
        before = len(s.requests())
        second = self.mirror(s.base + "/index.html")
        self.assertEqual(second.code, 0, second)
        self.assertIn("Continuing the job of %s" % project, second.output)
        self.assertEqual(self.project_of(second), project)
        self.assertEqual(s.targets()[before:], [], second)
        self.assertFalse(os.path.exists(os.path.join(first.folder, "127.0.0.1-2")))
        self.assertEqual(numbered(first.folder), [])
        with open(os.path.splitext(project)[0] + ".zbt", "rb") as f:
            self.assertEqual(len(f.read()), len(tree))



if __name__ == "__main__":
    unittest.main()
