"""Answers of the download worker's tests (tests/engine/ThreadDataTest.cpp),
merged into the fixture's script. Every test has paths of its own, since
answer lists step once per request for the whole run."""

GIF = "R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAICRAEAOw=="
KOI8_PAGE = ('<html><head><title>Привет</title></head>'
             '<body><a href="next.html">дальше</a></body></html>')

WORKER_SCRIPT = {
    "/w/ten": {"file": "hello.txt"},
    "/w/eleven": {"file": "hello.txt"},
    "/w/same": {"file": "hello.txt"},
    "/w/same-unconditional": {"file": "hello.txt", "conditional": False},
    "/w/stored.txt": {"file": "hello.txt"},
    "/w/fits.txt": {"file": "hello.txt"},
    "/w/resume.bin": [{"file": "data.bin", "cut_after": 5000}, {"file": "data.bin"}],
    # The scheduler's test of a file that comes on its second try.
    "/w/twice.bin": [{"file": "data.bin", "cut_after": 5000}, {"file": "data.bin"}],
    "/w/presume.bin": [{"file": "data.bin", "cut_after": 5000}, {"file": "data.bin", "cut_after": 8000},
                      {"file": "data.bin"}],
    "/w/badrange.bin": {"file": "data.bin", "range_offset_wrong": 0},
    "/w/norange.bin": {"file": "data.bin", "ranges": False},
    "/w/rangenonum.bin": {"status": 206, "headers": [["Content-Range", "bytes */*"]], "body": "abcdefghijkl"},
    "/w/newer.bin": {"file": "data.bin"},
    "/w/empty": {"body": ""},
    "/w/wronglen": {"body": "0123456789", "wrong_length": 1000},
    "/w/three": {"body": "abc", "headers": [["Content-Type", None]]},
    # Never the length it claims, and the whole body again on a resume.
    "/w/never-whole": {"body": "0123456789" * 10, "wrong_length": 1000, "ranges": False},
    "/w/untyped-image": {"body": {"base64": GIF}, "headers": [["Content-Type", None]]},
    "/w/typed-image": {"body": {"base64": GIF}, "headers": [["Content-Type", "image/gif"]]},
    "/w/endless-image": {"body": {"repeat": "GIF89a", "size": 100000000000}, "headers": [["Content-Type", "image/gif"]]},
    "/w/auth": {"auth": "ann:secret", "body": "inside"},
    "/w/auth-none": {"auth": "ann:secret", "body": "inside"},
    "/w/koi8.html": {"body": {"text": KOI8_PAGE, "encoding": "koi8-r"},
                     "headers": [["Content-Type", "text/html; charset=koi8-r"]]},
    "/w/hang": {"body": "late", "delay": 60},
    "/w/slow": {"body": "<html>in good time</html>", "delay": 2, "headers": [["Content-Type", "text/html"]]},
    "/w/stall": {"file": "data.bin", "stall": 5000, "ranges": False},
    "/w/endless": {"body": {"repeat": "endless ", "size": 100000000000},
                   "headers": [["Content-Type", "application/octet-stream"]]},
    "/w/longtype": {"body": "a body with a long type", "headers": [["Content-Type", "text/html; x=" + "a" * 10240]]},
    "/w/full.bin": {"body": {"repeat": "full disk ", "size": 10000000},
                    "headers": [["Content-Type", "application/octet-stream"]]},
    "/w/gone": {"status": 404, "body": "not here"},
    "/w/teapot": {"status": 418, "body": "short and stout"},
    "/w/binary-plain": {"body": {"base64": GIF}, "headers": [["Content-Type", "text/plain"]]},
    "/w/gzip-untyped": {"body": {"base64": GIF}, "gzip": True, "headers": [["Content-Type", None]]},
}


def prepare_root(root):
    """Files the worker's tests fetch from the root."""
    import os
    os.makedirs(os.path.join(root, "wdir"), exist_ok=True)
    with open(os.path.join(root, "wdir", "index.html"), "w") as f:
        f.write('<html><head><title>Folder</title></head><body><a href="a.html">a</a></body></html>\n')
