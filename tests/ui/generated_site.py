#!/usr/bin/env python3
"""A generated site for the programs' end-to-end runs, and the check of
what a run stored.

  generated_site.py make ROOT PORT PROJECT OUTPUT
      writes the site under ROOT and a project for it: two levels deep,
      stubs on, the folder /private/ excluded, archives not taken.
      OUTPUT is the output folder as the program should read it.
  generated_site.py check COPY LOG PORT
      checks the stored copy in COPY against the server's request log.

The site: index.html links 15 sections; each section's index links its
20 pages, and each page one deeper page (level 3, beyond the depth), its
neighbour with a fragment, a shared picture and an archive. The top page
also links the excluded folder and a host that is not the start host.
"""
import json
import os
import re
import sys

SECTIONS = 15
PAGES = 20
PICTURES = 40
GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00,\x00\x00"
       b"\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


def page(title, links, pictures=()):
    body = "".join('<a href="%s">%s</a>\n' % (l, l) for l in links)
    body += "".join('<img src="%s">\n' % p for p in pictures)
    return "<html><head><title>%s</title></head><body>\n%s</body></html>\n" % (title, body)


def site():
    """Path -> bytes of every file the server holds."""
    files = {}
    top = ["s%d/index.html" % i for i in range(SECTIONS)]
    top += ["private/secret.html", "http://127.0.0.2:9999/elsewhere.html"]
    files["index.html"] = page("Top", top, ["img/pic0.gif"])
    files["private/secret.html"] = page("Secret", ["../index.html"])
    for p in range(PICTURES):
        files["img/pic%d.gif" % p] = GIF
    files["files/data.zip"] = b"PK\x05\x06" + b"\x00" * 18
    for i in range(SECTIONS):
        s = "s%d" % i
        links = ["../index.html"] + ["p%d.html" % j for j in range(PAGES)]
        files[s + "/index.html"] = page("Section " + s, links, ["../img/pic%d.gif" % (i % PICTURES)])
        for j in range(PAGES):
            deep = "../deep/%d-%d.html" % (i, j)
            links = ["index.html", "p%d.html#top" % ((j + 1) % PAGES), deep, "../files/data.zip"]
            files["%s/p%d.html" % (s, j)] = page("%s page %d" % (s, j), links,
                                                 ["../img/pic%d.gif" % ((i * PAGES + j) % PICTURES)])
            files["deep/%d-%d.html" % (i, j)] = page("Deep", ["../index.html"])
    return files


def fetched():
    """The paths a run must fetch: everything within two levels that is
    neither excluded nor an archive."""
    names = {"index.html", "img/pic0.gif"}
    for i in range(SECTIONS):
        names.add("s%d/index.html" % i)
        names.add("img/pic%d.gif" % (i % PICTURES))
        for j in range(PAGES):
            names.add("s%d/p%d.html" % (i, j))
            names.add("img/pic%d.gif" % ((i * PAGES + j) % PICTURES))
    return names


def make(root, port, project, output):
    for path, data in site().items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data.encode() if isinstance(data, str) else data)
    lines = ["[URLs]", "count=1", "0=http://127.0.0.1:%s/index.html" % port,
             "[output]", "path=" + output, "namesin83=0", "nosubdir=0",
             "[levels]", "internal=2", "external=0",
             "[Filter]", "AllowPicture=1", "AllowSound=0", "AllowVideo=0", "AllowDownload=0",
             "[Options]", "MaxNumFiles=5000", "MaxSizeFiles=100", "MaxNumThread=4",
             "timeMaxWait=0", "Stubs=1", "OnlyInDirectory=0", "HtmlFirst=0",
             "[ExcludeUrl]", "count=1", "0=http://127.0.0.1:%s/private/" % port]
    with open(project, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode())


def requested(log):
    """Path -> how often the server was asked for it."""
    counts = {}
    with open(log) as f:
        for line in f:
            target = json.loads(line).get("target", "")
            path = target.split("?")[0].lstrip("/")
            counts[path] = counts.get(path, 0) + 1
    return counts


def check(copy, log, port):
    problems = []
    asked = requested(log)
    want = fetched()
    for path in sorted(want):
        if asked.get(path, 0) != 1:
            problems.append("%s asked %d times, not once" % (path, asked.get(path, 0)))
    for path in asked:
        if path not in want:
            problems.append("asked for %s, which lies outside the job" % path)
    folder = os.path.join(copy, "127.0.0.1.%s" % port)
    server = re.compile(r"https?://127\.0\.0\.1:%s/([^\"#]*)" % port)
    link = re.compile(r'(?:href|src)="([^"]*)"', re.I)
    pages = stubs = links = 0
    for path in sorted(want):
        stored = os.path.join(folder, path)
        if not os.path.isfile(stored):
            problems.append("no stored copy of " + path)
            continue
        if not path.endswith(".html"):
            if open(stored, "rb").read() != GIF:
                problems.append("the stored bytes of %s differ" % path)
            continue
        pages += 1
        text = open(stored, encoding="latin-1").read()
        for value in link.findall(text):
            links += 1
            on_server = server.match(value)
            if on_server:
                if on_server.group(1) in want:
                    problems.append("%s: a fetched target still points at the server: %s" % (path, value))
                continue
            if "://" in value:
                continue  # another host: left as it is
            target = os.path.normpath(os.path.join(os.path.dirname(stored), value.split("#")[0]))
            if not os.path.isfile(target):
                problems.append("%s: no local file for %s" % (path, value))
            elif "/deep/" in target.replace(os.sep, "/"):
                stubs += 1
                if "127.0.0.1:%s/deep/" % port not in open(target, encoding="latin-1").read():
                    problems.append("%s: the stub %s does not link to the page on the server" % (path, value))
    if pages != 1 + SECTIONS + SECTIONS * PAGES:
        problems.append("%d pages checked" % pages)
    if stubs != SECTIONS * PAGES:
        problems.append("%d links lead to stubs of deeper pages, not %d" % (stubs, SECTIONS * PAGES))
    if not os.path.isfile(os.path.join(copy, "start.htm")):
        problems.append("no start.htm")
    for p in problems[:20]:
        print("FAIL:", p)
    if problems:
        print("%d problems" % len(problems))
        return 1
    print("OK: %d pages, %d links, %d stubs checked; %d files asked once each" % (pages, links, stubs, len(want)))
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 6 and sys.argv[1] == "make":
        make(*sys.argv[2:])
    elif len(sys.argv) == 5 and sys.argv[1] == "check":
        sys.exit(check(*sys.argv[2:]))
    else:
        sys.exit(__doc__)
