"""Writes a generated site for the mirror benchmark: pages of about 10 KB
with 10 links each (to other pages and to pictures) and pictures of about
20 KB, all reachable from index.html.

    python3 bench/make_site.py DIR [PAGES] [PICTURES]
"""
import os
import random
import sys


def main():
    root = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    pictures = int(sys.argv[3]) if len(sys.argv) > 3 else 500
    rnd = random.Random(1)
    os.makedirs(os.path.join(root, "img"), exist_ok=True)
    for i in range(pages // 100 + 1):
        os.makedirs(os.path.join(root, "p%02d" % i), exist_ok=True)
    filler = ("Lorem ipsum dolor sit amet, consectetur adipiscing elit. " * 3).strip()
    page_name = lambda n: "p%02d/page%d.html" % (n // 100, n)  # noqa: E731
    for n in range(pages):
        # Page n links to the next two (so every page is reached), to
        # random others and to pictures.
        targets = ["../" + page_name((n + 1) % pages), "../" + page_name((n * 7 + 3) % pages)]
        targets += ["../" + page_name(rnd.randrange(pages)) for _ in range(5)]
        images = ["../img/pic%d.gif" % rnd.randrange(pictures) for _ in range(3)]
        body = ["<html><head><title>Page %d</title></head><body><h1>Page %d</h1>" % (n, n)]
        for t in targets:
            body.append('<p><a href="%s">%s</a> %s</p>' % (t, t, filler))
        for m in images:
            body.append('<p><img src="%s" alt="picture"> %s</p>' % (m, filler))
        text = "\n".join(body)
        text += "\n<p>" + filler * max(0, (10000 - len(text)) // len(filler)) + "</p></body></html>\n"
        with open(os.path.join(root, page_name(n)), "w") as f:
            f.write(text)
    gif = bytes.fromhex("47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b")
    for m in range(pictures):
        with open(os.path.join(root, "img", "pic%d.gif" % m), "wb") as f:
            f.write(gif + bytes(rnd.randrange(256) for _ in range(20000 - len(gif))))
    links = "".join('<a href="%s">%d</a>\n' % (page_name(n), n) for n in range(0, pages, pages // 10 or 1))
    with open(os.path.join(root, "index.html"), "w") as f:
        f.write("<html><head><title>Generated site</title></head><body>\n%s</body></html>\n" % links)


if __name__ == "__main__":
    main()
