"""A page built to exhaust its visitor: a million links, or thousands of
URLs that share a long prefix. Memory and time stay bounded by what a page
may cost, not by what the attacker writes."""

import os
import resource
import unittest

import hostile
from hostile import HostileTest, write_project, stored_files

# Peak memory allowed for the million-link page: the page keeps its first
# 250,000 link records (about 1 KB each with the nodes they lead to).
MILLION_PAGE_MAX_RSS_MB = 450


class Bounds(HostileTest):
    def project(self, url, output, internal=0, name="job.zbp"):
        path = os.path.join(self.dir, name)
        write_project(path, [url], output, levels={"internal": internal, "external": 0},
                      Options={"MaxNumFiles": 100000, "MaxNumThread": 5, "timeMaxWait": 10})
        return path

    @unittest.skipIf(hostile.on_wine(), "the peak memory is measured for a native child")
    def test_a_million_links_cost_bounded_memory(self):
        lines = ['<a href="p%d.html">l</a>\n' % i for i in range(1000000)]
        s = self.serve({"index.html": "<html><body>\n" + "".join(lines) + "</body></html>\n"})
        out = os.path.join(self.dir, "out")
        job = self.project(s.base + "/index.html", out)
        r = hostile.run(["/f", job], self.dir, timeout=120)
        peak_mb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
        self.assertEqual(r.code, 0, r)
        if not hostile.sanitized():
            self.assertLess(peak_mb, MILLION_PAGE_MAX_RSS_MB, r)
            self.assertLess(r.seconds, 60, r)
        # Nothing beyond the levels was fetched, and the page was kept.
        self.assertEqual(s.targets(), ["/index.html"])
        self.assertTrue(any(os.path.basename(n).startswith("index") for n in stored_files(out)))
        # The tree file holds the first links, not the ones past the cap.
        with open(job[:-4] + ".zbt", "rb") as f:
            tree = f.read()
        self.assertIn(b"p249999.html", tree)
        self.assertNotIn(b"p999999.html", tree)

    @unittest.skipIf(hostile.on_wine(), "timed: under Wine making thousands of files takes minutes")
    def test_thirty_thousand_urls_with_a_long_shared_prefix_are_named_in_bounded_time(self):
        prefix = "a" * 1000
        lines = ['<a href="%s%d.html">l</a>\n' % (prefix, i) for i in range(30000)]
        s = self.serve({"index.html": "<html><body>\n" + "".join(lines) + "</body></html>\n"})
        out = os.path.join(self.dir, "out")
        # A naming cost quadratic in the URLs would take hours here; the sanitizer
        # build on a loaded machine takes well over the plain build's time.
        bound = 120 if hostile.sanitized() else 30
        r = hostile.run(["/f", self.project(s.base + "/index.html", out)], self.dir, timeout=bound + 60)
        self.assertEqual(r.code, 0, r)
        self.assertLess(r.seconds, bound, r)
        self.assertEqual(s.targets(), ["/index.html"])

    @unittest.skipIf(hostile.on_wine(), "timed: under Wine making thousands of files takes minutes")
    def test_urls_cut_to_one_taken_name_are_numbered_in_bounded_time(self):
        # Every URL is longer than the path budget and cut to the same name,
        # and the output folder already holds 30,000 numbered copies of it.
        folder = "f" * 200 + "/" + "g" * 200
        names = ["%s/p%03d.html" % (folder, i) for i in range(300)]
        pages = {n: "<p>%d</p>" % i for i, n in enumerate(names)}
        pages["index.html"] = "".join('<a href="%s">l</a>\n' % n for n in names)
        s = self.serve(pages)
        out = os.path.join(self.dir, "out")
        first = self.project(s.base + "/" + names[0], out, name="first.zbp")
        r = hostile.run(["/f", first], self.dir, timeout=60)
        self.assertEqual(r.code, 0, r)
        cut = [n for n in stored_files(out) if n.startswith("127.0.0.1")]
        self.assertEqual(len(cut), 1, cut)
        stem, ext = os.path.splitext(os.path.join(out, cut[0]))
        for i in range(30000):
            open("%s(%d)%s" % (stem, i, ext), "wb").close()

        r = hostile.run(["/f", self.project(s.base + "/index.html", out, internal=1)], self.dir, timeout=120)
        self.assertEqual(r.code, 0, r)
        # Trying every number from (0) for each copy takes 20 s and more.
        self.assertLess(r.seconds, 10, r)
        fetched = [t for t in s.targets() if "/p" in t]
        self.assertEqual(len(fetched), 301)
        stored = set(stored_files(out))
        numbered = [n for n in stored if n.startswith(os.path.relpath(stem, out) + "(")]
        self.assertEqual(len(numbered), 30000 + 300, sorted(stored)[-5:])
        # Each copy got a name of its own, past the taken ones.
        self.assertIn(os.path.relpath("%s(30299)%s" % (stem, ext), out), stored)


if __name__ == "__main__":
    unittest.main()
