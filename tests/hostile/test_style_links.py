"""Style-sheet and srcset links on a generated site: pictures named only in
sheets (url(), @import, a chain of imports that loops back), in style
elements, style attributes and srcset are fetched once each and the
stored copy leads to them; a continued run ("/f") reads the tree file
back and asks nothing again."""

import os
import re
import unittest
import urllib.parse

from hostile import HostileTest, on_wine, run, stored_files

GIF = b"GIF89a\x01\x00\x01\x00\x00\x00\x00;"

PAGES = {
    "index.html":
        '<html><head><title>Styles</title>\n'
        '<link rel="stylesheet" href="css/main.css">\n'
        '<style>@import "css/extra.css"; h1 { background: url(img/h1.gif) }</style>\n'
        '</head><body><h1>Title</h1>\n'
        '<div style="background: url(\'img/div.gif\')">styled</div>\n'
        '<img src="img/small.gif" srcset="img/big.gif 2x, img/huge.gif 3x" alt="x">\n'
        '<picture><source srcset="img/source.gif 1x" type="image/gif"><img src="img/small.gif"></picture>\n'
        '</body></html>\n',
    "css/main.css":
        '@import url(loop-a.css);\n'
        'body { background: url(../img/body.gif) }\n'
        '.p { background: url("../img/p(1).gif") }\n'
        '/* url(../img/never.gif) */\n',
    "css/loop-a.css": "@import 'loop-b.css';\na { background: url(../img/a.gif) }\n",
    # Back to the first two sheets, and a url( that never ends.
    "css/loop-b.css": '@import "loop-a.css";\n@import url(main.css);\nb { background: url(/img/b.gif) }\nz { x: url(',
    "css/extra.css": "p { background: url(/img/extra.gif) }\n",
}
PICTURES = ["h1", "div", "small", "big", "huge", "source", "body", "p(1)", "a", "b", "extra", "never"]


def local_links(path, text):
    """The links a stored page or sheet holds: href and src values, srcset
    candidates, url() values and @import strings."""
    links = re.findall(r'(?:href|src)="([^"]*)"', text)
    for srcset in re.findall(r'srcset="([^"]*)"', text):
        links += [c.split()[0] for c in srcset.split(",") if c.strip()]
    links += [u.strip("'\" ") for u in re.findall(r"url\(([^)]*)\)", text)]
    links += re.findall(r"@import\s+[\"']([^\"']*)[\"']", text)
    if path.endswith(".css"):
        # What a comment holds is no link.
        text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
        links = [u.strip("'\" ") for u in re.findall(r"url\(([^)]*)\)", text)]
        links += re.findall(r"@import\s+[\"']([^\"']*)[\"']", text)
    return [l for l in links if l and "://" not in l and not l.startswith("#")]


@unittest.skipIf(on_wine(), "the Windows program says nothing on a terminal and opens a \"/f\" project without a job")
class StyleLinks(HostileTest):
    def test_sheets_style_and_srcset_are_fetched_rewritten_and_continued(self):
        pages = dict(PAGES)
        for name in PICTURES:
            pages["img/%s.gif" % name] = GIF
        s = self.serve(pages)
        first = self.mirror(s.base + "/index.html", timeout=120)
        self.assertEqual(first.code, 0, first)
        asked = s.targets()
        for name in ["index.html", "css/main.css", "css/loop-a.css", "css/loop-b.css", "css/extra.css"]:
            self.assertEqual(asked.count("/" + name), 1, (name, asked))
        for name in PICTURES:
            target = "/img/" + urllib.parse.quote(name + ".gif")
            want = 0 if name == "never" else 1
            self.assertEqual(len([t for t in asked if urllib.parse.unquote(t) == "/img/%s.gif" % name]), want,
                             (name, target, asked))

        project = re.search(r"Project: +(.*\.zbp)", first.output).group(1)
        copy = os.path.dirname(project)
        files = sorted(stored_files(copy))
        broken = []
        checked = 0
        for rel in files:
            if not rel.endswith((".html", ".htm", ".css")):
                continue
            path = os.path.join(copy, rel)
            with open(path, "rb") as f:
                text = f.read().decode("latin-1")
            for link in local_links(rel, text):
                checked += 1
                target = os.path.join(os.path.dirname(path), urllib.parse.unquote(link.split("?")[0]))
                if not os.path.isfile(target):
                    broken.append((rel, link))
        self.assertEqual(broken, [])
        # The page's 8 links, main.css's 3, loop-a's 2, loop-b's 3, extra's 1.
        self.assertGreaterEqual(checked, 17)

        # The continued run reads the tree file: everything is known, so
        # nothing is asked again and nothing is stored anew.
        before = len(s.requests())
        again = run(["/f", project], first.folder, timeout=60)
        self.assertEqual(again.code, 0, again)
        self.assertEqual(s.targets()[before:], [], again)
        self.assertEqual(sorted(stored_files(copy)), files)
        self.assertFalse([f for f in files if ".damaged" in f], files)


if __name__ == "__main__":
    unittest.main()
