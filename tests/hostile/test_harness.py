"""The harness itself: a plain site mirrors, its requests are logged, and
a canary that nobody names hears nothing."""

import os
import unittest

from hostile import HostileTest, tree_contains


class Harness(HostileTest):
    def test_a_plain_site_mirrors_and_the_canary_stays_quiet(self):
        s = self.serve({"index.html": '<a href="b.html">b</a>', "b.html": "<p>bee</p>"})
        r = self.mirror(s.base + "/index.html", timeout=120)
        self.assertEqual(r.code, 0, r)
        self.assertIn("/b.html", s.targets())
        self.assertTrue(tree_contains(r.folder, b"bee"), r)
        self.assertCanaryQuiet()


if __name__ == "__main__":
    unittest.main()
