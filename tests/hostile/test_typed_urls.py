"""Start URLs as users type or paste them."""

import unittest

from hostile import HostileTest, tree_contains


class TypedUrls(HostileTest):
    def test_a_start_url_with_a_space_is_fetched_with_the_space_escaped(self):
        s = self.serve({"a b.html": '<a href="c d.html">c</a>', "c d.html": "<p>sea</p>"})
        r = self.mirror(s.base + "/a b.html", timeout=120)
        self.assertEqual(r.code, 0, r)
        self.assertEqual(s.targets()[:1], ["/a%20b.html"])
        self.assertIn("/c%20d.html", s.targets())
        self.assertTrue(tree_contains(r.folder, b"sea"), r)


if __name__ == "__main__":
    unittest.main()
