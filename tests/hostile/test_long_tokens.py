"""A page whose links sit behind one very long attribute or data: URI:
every link after it is still fetched and rewritten in the copy."""

import os
import unittest

from hostile import HostileTest, stored_files


class LongTokens(HostileTest):
    def test_links_behind_a_long_attribute_and_a_data_uri_are_fetched_and_rewritten(self):
        page = ('<html><body><div data-blob="%s"></div>'
                '<img src="data:image/png;base64,%s">'
                '<a href="after.html">after</a><img src="after.gif">'
                '<%s href="no.html">'
                '</body></html>') % ("d" * (70 << 10), "A" * (1 << 20), "x" * 2000)
        s = self.serve({"index.html": page, "after.html": "<p>after</p>",
                        "after.gif": b"GIF89a" + b"\0" * 20, "no.html": "no"})
        r = self.mirror(s.base + "/index.html", timeout=120)
        self.assertEqual(r.code, 0, r)
        self.assertIn("/after.html", s.targets())
        self.assertIn("/after.gif", s.targets())
        self.assertNotIn("/no.html", s.targets())
        names = stored_files(r.folder)
        index = [n for n in names if os.path.basename(n).startswith("index")]
        self.assertEqual(len(index), 1, names)
        with open(os.path.join(r.folder, index[0]), "rb") as f:
            copy = f.read()
        # Both links now lead to the local copies, not to the server.
        self.assertIn(b'href="after.htm', copy)
        self.assertNotIn(("127.0.0.1:%d/after" % s.port).encode(), copy)
        self.assertIn(b"d" * (70 << 10), copy)


if __name__ == "__main__":
    unittest.main()
