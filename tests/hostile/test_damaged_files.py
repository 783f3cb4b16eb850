"""Damaged or missing files of a job said out loud: a tree file that cannot
be read is named, kept aside under a name of its own and the job goes on
afresh; a project file that is not there is named, and the run fails."""

import os
import unittest

from hostile import HostileTest, on_wine, run, stored_files, write_project


@unittest.skipIf(on_wine(), "the Windows program shows these in its window, and runs a project as a batch")
class DamagedFiles(HostileTest):
    def test_a_damaged_tree_file_is_said_and_kept_aside(self):
        s = self.serve({"index.html": '<a href="a.html">a</a>', "a.html": "<p>a</p>"})
        job = os.path.join(self.dir, "job.zbp")
        out = os.path.join(self.dir, "out")
        write_project(job, [s.base + "/index.html"], out, levels={"internal": 1, "external": 0})
        damaged = b"this is no tree file \x00\x01\x02" * 10
        with open(os.path.join(self.dir, "job.zbt"), "wb") as f:
            f.write(damaged)
        r = run(["/f", job], self.dir, timeout=60)
        self.assertEqual(r.code, 0, r)
        self.assertIn('Cannot read the tree file "%s"' % os.path.join(self.dir, "job.zbt"), r.output)
        with open(os.path.join(self.dir, "job.zbt.damaged"), "rb") as f:
            self.assertEqual(f.read(), damaged)
        # The job went on afresh and wrote a tree file of its own.
        self.assertIn("/a.html", s.targets())
        with open(os.path.join(self.dir, "job.zbt"), "rb") as f:
            self.assertNotEqual(f.read(), damaged)
        # A second damaged file does not take the first one's place.
        with open(os.path.join(self.dir, "job.zbt"), "wb") as f:
            f.write(b"damaged again")
        r = run(["/f", job], self.dir, timeout=60)
        self.assertEqual(r.code, 0, r)
        with open(os.path.join(self.dir, "job.zbt.damaged"), "rb") as f:
            self.assertEqual(f.read(), damaged)
        with open(os.path.join(self.dir, "job.zbt.damaged1"), "rb") as f:
            self.assertEqual(f.read(), b"damaged again")

    def test_a_project_that_never_ran_opens_without_a_word(self):
        s = self.serve({"index.html": "<p>top</p>"})
        job = os.path.join(self.dir, "job.zbp")
        write_project(job, [s.base + "/index.html"], os.path.join(self.dir, "out"), levels={"internal": 0})
        r = run(["/f", job], self.dir, timeout=60)
        self.assertEqual(r.code, 0, r)
        self.assertNotIn("Cannot read", r.output)
        self.assertFalse([f for f in stored_files(self.dir) if "damaged" in f])

    def test_a_missing_project_is_named(self):
        missing = os.path.join(self.dir, "nowhere.zbp")
        r = run(["/f", missing], self.dir, timeout=60)
        self.assertNotEqual(r.code, 0, r)
        self.assertIn('The project file "%s" cannot be found.' % missing, r.output)


if __name__ == "__main__":
    unittest.main()
