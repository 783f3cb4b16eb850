"""Damaged or missing files of a job said out loud: a tree file that cannot
be read is named, kept aside under a name of its own and the job goes on
with what could be read; a project file that is not there is named, and
the run fails; a file left unstored by an earlier run says so."""

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

    def test_a_damaged_tree_file_goes_on_with_what_could_be_read(self):
        pages = {"index.html": "".join('<a href="p%d.html">p%d</a>' % (i, i) for i in range(8))}
        for i in range(8):
            pages["p%d.html" % i] = '<a href="leaf%d.html">leaf</a>' % i
            pages["leaf%d.html" % i] = "<p>leaf %d</p>" % i
        s = self.serve(pages)
        job = os.path.join(self.dir, "job.zbp")
        out = os.path.join(self.dir, "out")
        write_project(job, [s.base + "/index.html"], out, levels={"internal": 3, "external": 0})
        r = run(["/f", job], self.dir, timeout=60)
        self.assertEqual(r.code, 0, r)
        tree = os.path.join(self.dir, "job.zbt")
        with open(tree, "rb") as f:
            whole = f.read()
        copy = sorted(stored_files(out))
        cut_at = [len(whole) * k // 6 for k in range(1, 6)]
        garbage = whole[:len(whole) // 2] + b"\xff" * 40 + whole[len(whole) // 2 + 40:]
        for i, damaged in enumerate([whole[:n] for n in cut_at] + [garbage]):
            with open(tree, "wb") as f:
                f.write(damaged)
            before = len(s.requests())
            r = run(["/f", job], self.dir, timeout=60)
            self.assertEqual(r.code, 0, r)
            self.assertIn('Cannot read the tree file "%s"' % tree, r.output)
            asked = [q["target"] for q in s.requests()[before:]
                     if not any(k.lower() == "if-modified-since" for k, _ in q["headers"])]
            # What the file still held is not fetched again (index's record
            # comes first, and only the first cut is inside it); what went
            # with the damage is, under its old name.
            if i > 0:
                self.assertNotIn("/index.html", asked, len(damaged))
                self.assertLess(len(asked), len(pages), (len(damaged), asked))
            self.assertNotIn("Not stored", r.output)
            self.assertEqual(sorted(stored_files(out)), copy, len(damaged))
            self.assertEqual(os.path.getsize(tree), len(whole), len(damaged))
            # The tree file written then is whole and knows every file.
            before = len(s.requests())
            r = run(["/f", job], self.dir, timeout=60)
            self.assertEqual(r.code, 0, r)
            self.assertNotIn("Cannot read", r.output)
            self.assertEqual(s.targets()[before:], [], len(damaged))
        self.assertGreater(len([f for f in os.listdir(self.dir) if ".damaged" in f]), 5)

    def test_a_file_missing_since_an_earlier_run_says_so(self):
        s = self.serve({"index.html": '<a href="gone.html">gone</a><a href="a.html">a</a>', "a.html": "<p>a</p>"})
        job = os.path.join(self.dir, "job.zbp")
        write_project(job, [s.base + "/index.html"], os.path.join(self.dir, "out"), levels={"internal": 1})
        r = run(["/f", job], self.dir, timeout=60)
        self.assertEqual(r.code, 1, r)
        self.assertIn("Not stored: %s/gone.html (the server answered 404 Not Found)" % s.base, r.output)
        # The tree file keeps no error: the reason is not made up either.
        r = run(["/f", job], self.dir, timeout=60)
        self.assertEqual(r.code, 1, r)
        self.assertIn("Not stored: %s/gone.html (missing since an earlier run)" % s.base, r.output)
        self.assertNotIn("error 0", r.output)

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
