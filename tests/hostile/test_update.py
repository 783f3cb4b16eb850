"""The terminal program's refresh: "zbrask --update project.zbp" asks for
every stored file again with If-Modified-Since, stores what changed, and
leaves a copy whose links all still lead to local files."""

import os
import re
import unittest

from hostile import HostileTest, on_wine, run, stored_files

OLD = 1577836800   # 2020-01-01
NEWER = 1609459200  # 2021-01-01


class Update(HostileTest):
    def setUp(self):
        super().setUp()
        if on_wine():
            self.skipTest("--update is the terminal program's")

    def local_links_resolve(self, folder):
        broken = []
        for rel in stored_files(folder):
            if not rel.endswith((".htm", ".html")):
                continue
            path = os.path.join(folder, rel)
            with open(path, "rb") as f:
                page = f.read().decode("latin-1")
            for link in re.findall(r'(?:href|src)="([^"#]+)"', page):
                if "://" in link:
                    continue
                if not os.path.exists(os.path.join(os.path.dirname(path), link)):
                    broken.append((rel, link))
        return broken

    def test_a_changed_page_is_stored_and_the_rest_answered_304(self):
        pages = {"index.html": '<a href="a.html">a</a><a href="b.html">b</a><img src="p.gif">',
                 "a.html": '<a href="b.html">to b</a><a href="index.html">home</a>',
                 "b.html": "<p>old text</p>",
                 "p.gif": b"GIF89a" + b"\0" * 30}
        s = self.serve(pages)
        for name in pages:
            os.utime(os.path.join(self.root, name), (OLD, OLD))
        first = self.mirror(s.base + "/index.html", timeout=120)
        self.assertEqual(first.code, 0, first)
        self.assertIn("--update", first.output)
        project = re.search(r"Project: +(.*\.zbp)", first.output).group(1)
        copy = os.path.dirname(project)
        a_copy = [r for r in stored_files(copy) if os.path.basename(r).startswith("a.")][0]
        with open(os.path.join(copy, a_copy), "rb") as f:
            a_before = f.read()

        with open(os.path.join(self.root, "b.html"), "w") as f:
            f.write("<p>new text</p>")
        os.utime(os.path.join(self.root, "b.html"), (NEWER, NEWER))
        before = len(s.requests())
        second = run(["--update", project], first.folder, timeout=120)
        self.assertEqual(second.code, 0, second)
        asked = s.requests()[before:]
        targets = sorted(r["target"] for r in asked)
        self.assertEqual(targets, ["/a.html", "/b.html", "/index.html", "/p.gif"], second)
        for r in asked:
            names = [h[0].lower() for h in r["headers"]]
            self.assertIn("if-modified-since", names, r)
        b_copy = [r for r in stored_files(copy) if os.path.basename(r).startswith("b.")]
        self.assertEqual(len(b_copy), 1, stored_files(copy))
        with open(os.path.join(copy, b_copy[0]), "rb") as f:
            self.assertIn(b"new text", f.read())
        with open(os.path.join(copy, a_copy), "rb") as f:
            self.assertEqual(f.read(), a_before, "an unchanged page was rewritten again")
        self.assertEqual(self.local_links_resolve(copy), [])


if __name__ == "__main__":
    unittest.main()
