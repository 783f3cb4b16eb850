"""Start URLs as users type or paste them, and links of schemes that
nothing here can fetch."""

import os
import unittest

from hostile import HostileTest, on_wine, run, tree_contains, write_project


class TypedUrls(HostileTest):
    def test_a_start_url_with_a_space_is_fetched_with_the_space_escaped(self):
        s = self.serve({"a b.html": '<a href="c d.html">c</a>', "c d.html": "<p>sea</p>"})
        r = self.mirror(s.base + "/a b.html", timeout=120)
        self.assertEqual(r.code, 0, r)
        self.assertEqual(s.targets()[:1], ["/a%20b.html"])
        self.assertIn("/c%20d.html", s.targets())
        self.assertTrue(tree_contains(r.folder, b"sea"), r)


    @unittest.skipIf(on_wine(), "the levels are set in a project, which the Windows program runs as a batch")
    def test_links_of_other_schemes_stay_as_they_are_and_fail_nothing(self):
        others = ["mailto:someone@example.com", "javascript:void(0)", "news:comp.lang.c++", "tel:+123"]
        s = self.serve({"index.html": "".join('<a href="%s">x</a>\n' % u for u in others) +
                        '<a href="next.html">next</a>\n', "next.html": "<p>next</p>"})
        job = os.path.join(self.dir, "job.zbp")
        out = os.path.join(self.dir, "out")
        write_project(job, [s.base + "/index.html"], out, levels={"internal": 2, "external": 2})
        r = run(["/f", job], self.dir, timeout=60)
        self.assertEqual(r.code, 0, r)
        self.assertNotIn("Not stored", r.output)
        self.assertNotIn("Restarting", r.output)
        self.assertEqual(sorted(s.targets()), ["/index.html", "/next.html"])
        pages = tree_contains(out, b"next.html")
        self.assertTrue(pages, r)
        with open(os.path.join(out, pages[0]), "rb") as f:
            page = f.read()
        for u in others:
            self.assertIn(b'href="' + u.encode() + b'"', page)


if __name__ == "__main__":
    unittest.main()
