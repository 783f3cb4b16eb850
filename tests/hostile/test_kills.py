"""A killed program loses nothing it had, two programs never write one
folder, an answer that is only a part of a file is not stored as the file,
and the errors of the local file system are said in words.

The kill runs: a fresh "/url" job of a generated site of some three
hundred pages is killed (SIGKILL) at a random moment, for several seeds,
and then continued with "/f project". After each kill the project and its
tree file are there (or, killed before they were written, nothing was
asked of the server), every file the tree has as received is in the copy,
and the continued job ends with exit 0, asks for none of those files
again, leaves no stray or numbered copy beside the real ones, and leaves a
copy whose every local link leads to a file. Files whose downloads ended
after the last write of the tree are fetched again: how many is printed,
not judged (the tree is written as often as costs a twentieth of the run).
A file the tree did not know at all (found and fetched after its last
write) stays beside its new copy, which takes a numbered name: there are
never more such strays than files fetched again.

The Windows program under Wine continues a stored job only as a batch,
and says nothing on a terminal: the kill runs run natively only, and the
other cases read the program's words and exit status natively only.
"""

import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import unittest

from hostile import PROGRAM, SOURCE, WINE_PREFIX, HostileTest, on_wine, place_windows_program, run, stored_files

PAGES = 300
PICTURES = 40
GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00,\x00\x00\x00\x00"
       b"\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")
KILL_SEEDS = int(os.environ.get("ZB_KILL_SEEDS", "20"))

RECEIVED = 0x1  # FlagReceived of a tree file's node


def generated_site(pages=PAGES, pictures=PICTURES):
    """index.html links to every page; each page to four others and a picture."""
    site = {"index.html": "<html><body>\n" + "".join(
        '<a href="p%d.html">page %d</a>\n' % (i, i) for i in range(pages)) + "</body></html>\n"}
    for i in range(pages):
        links = sorted({(i * 7 + 1) % pages, (i * 13 + 5) % pages, (i + 1) % pages, (2 * i + 3) % pages})
        site["p%d.html" % i] = ("<html><head><title>Page %d</title></head><body><h1>%d</h1>\n" % (i, i) +
                                "".join('<a href="p%d.html#top">to %d</a>\n' % (j, j) for j in links) +
                                '<img src="img/i%d.gif"></body></html>\n' % (i % pictures))
    for k in range(pictures):
        site["img/i%d.gif" % k] = GIF
    return site


def read_tree(path):
    """The nodes of a tree file (versions 10 and 11, as this program writes
    them): the header's six numbers and a list of (state, flags, savedFile)."""
    with open(path, "rb") as f:
        data = f.read()
    pos = 28

    def take(fmt):
        nonlocal pos
        v = struct.unpack_from(fmt, data, pos)[0]
        pos += struct.calcsize(fmt)
        return v

    version = take("<H")
    if version not in (10, 11):
        raise ValueError("tree file version %d" % version)
    ref = (lambda: take("<I")) if version == 11 else (lambda: take("<H"))
    header = [take("<I") for _ in range(6)]

    def text():
        nonlocal pos
        n = take("<H")
        v = data[pos:pos + n]
        pos += n
        return v.decode("latin-1")

    nodes = []

    def node():
        ref()
        state, flags = take("<H"), take("<I")
        take("<B"), take("<B")
        text(), text()
        saved = text()
        text(), text()
        take("<H"), take("<H")
        text()
        take("<i"), take("<B")
        for _ in range(ref()):  # link records
            text(), take("<I"), take("<I"), take("<H"), take("<H"), take("<H"), take("<I"), text(), ref()
            if take("<B"):
                take("<i"), text()
        nodes.append((state, flags, saved))
        for _ in range(ref()):
            node()

    node()
    if pos != len(data):
        raise ValueError("%d bytes after the root's record" % (len(data) - pos))
    return header, nodes


def local_links(folder, server):
    """(page, link) of every stored page's link that leads nowhere: a
    relative one without a file, or one still pointing at the server."""
    bad = []
    for rel in stored_files(folder):
        if not rel.endswith((".html", ".htm")):
            continue
        page = os.path.join(folder, rel)
        with open(page, encoding="latin-1") as f:
            html = f.read()
        for link in re.findall(r'(?:href|src)\s*=\s*"([^"]*)"', html, re.I):
            if "://" in link:
                # The start page names each start URL beside its copy.
                if server in link and os.path.basename(rel) != "start.htm":
                    bad.append((rel, link))
                continue
            target = link.split("#")[0]
            if target and not os.path.isfile(os.path.join(os.path.dirname(page), target)):
                bad.append((rel, link))
    return bad


def strays(folder):
    """Files of the copy that no job means to keep: temporary names, and
    numbered copies beside a file of the same name."""
    return [f for f in stored_files(folder) if "~DL~" in f or re.search(r"\(\d+\)\.[^/\\]*$", f)]


def command(args, cwd):
    """The command that runs the program with args in cwd, as run() does
    (under Wine: zbrask.exe copied there, with its libraries and an INI
    that ends it with its job)."""
    if not on_wine():
        return [PROGRAM] + list(args)
    exe = place_windows_program(cwd)
    return [os.path.join(SOURCE, "tools", "wine-run.sh"), WINE_PREFIX, exe] + list(args)


class Kills(HostileTest):
    def program(self, args, cwd):
        return subprocess.Popen(command(args, cwd), cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)

    def wait(self, p, timeout=60):
        try:
            out, _ = p.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            out, _ = p.communicate()
            self.fail("the program did not end within %d s:\n%s" % (timeout, out.decode("utf-8", "replace")[-3000:]))
        return p.returncode, out.decode("utf-8", "replace")

    def test_a_job_killed_at_random_moments_continues_to_a_whole_copy(self):
        if on_wine():
            self.skipTest("the Windows program continues a stored job only as a batch: the kill runs are native")
        s = self.serve(generated_site(), extra=["--delay-ms", "5"])
        url = s.base + "/index.html"
        server = "127.0.0.1:%d" % s.port
        expected = {"/index.html"} | {"/p%d.html" % i for i in range(PAGES)} | \
                   {"/img/i%d.gif" % k for k in range(PICTURES)}

        # One whole run first: how long a job takes here, and that it is whole.
        whole = self.mirror(url, timeout=120, name="whole")
        self.assertEqual(whole.code, 0, whole)
        self.assertEqual(set(s.targets()), expected)
        self.assertEqual(local_links(whole.folder, server), [])
        length = whole.seconds

        lost = []
        for seed in range(KILL_SEEDS):
            with self.subTest(seed=seed):
                rnd = random.Random(seed)
                cwd = os.path.join(self.dir, "kill-%d" % seed)
                os.makedirs(cwd)
                before = len(s.requests())
                p = self.program(["/url", url], cwd)
                moment = rnd.uniform(0.0, length)
                time.sleep(moment)
                os.killpg(p.pid, signal.SIGKILL)
                p.communicate()
                asked = s.targets()[before:]
                after_kill = len(s.requests())

                folder = os.path.join(cwd, "127.0.0.1")
                project = os.path.join(folder, "127.0.0.1.zbp")
                if not os.path.exists(project):
                    # Written before the first download starts.
                    self.assertEqual(asked, [], "files were asked for, yet no project was left after %.2f s" % moment)
                    continue
                tree = os.path.join(folder, "127.0.0.1.zbt")
                self.assertTrue(os.path.exists(tree), "a project without its tree file")
                _, nodes = read_tree(tree)
                received = {n[2].replace("\\", "/") for n in nodes if n[1] & RECEIVED and n[2]}
                for saved in received:
                    self.assertTrue(os.path.isfile(os.path.join(folder, saved)),
                                    "the tree has %s as received, the copy has no such file" % saved)
                # The stored paths are host folder / path of the URL.
                received_targets = {"/" + r.split("/", 1)[1] for r in received if "/" in r}

                # A lock file the killed run may have left holds nothing.
                r = run(["/f", project], cwd, timeout=120)
                self.assertEqual(r.code, 0, r)
                again = s.targets()[after_kill:]
                self.assertEqual(sorted(set(again) & received_targets), [],
                                 "files the tree had as received were fetched again")
                self.assertEqual(set(asked) | set(again), expected)
                copy = [f.replace("\\", "/") for f in stored_files(folder)]
                for t in expected:
                    self.assertIn("127.0.0.1.%d%s" % (s.port, t), copy)
                self.assertEqual(local_links(folder, server), [])
                self.assertFalse(os.path.exists(os.path.join(folder, "zbrask.lock")))
                twice = set(asked) & set(again)
                # The files of downloads the tree had queued are removed
                # before they are fetched again; one the tree did not know
                # yet stays beside its new, numbered copy.
                left = strays(folder)
                self.assertLessEqual(len(left), len(twice), left)
                lost.append((len(twice), len(left)))
                sys.stderr.write("seed %d: killed after %.2f s, %d asked, %d in the tree, %d fetched again, %d strays\n"
                                 % (seed, moment, len(set(asked)), len(received_targets), len(twice), len(left)))
        sys.stderr.write("fetched again after a kill (running or ended after the last tree write), strays: %s\n"
                         % lost)
        self.assertCanaryQuiet()

    def test_a_second_program_on_the_same_folder_is_refused(self):
        site = {"index.html": "".join('<a href="slow%d.html">%d</a>\n' % (i, i) for i in range(8))}
        script = {}
        for i in range(8):
            site["slow%d.html" % i] = "<p>slow %d</p>" % i
            script["/slow%d.html" % i] = {"file": "slow%d.html" % i, "delay": 0.4}
        s = self.serve(site, script)
        url = s.base + "/index.html"
        cwd = os.path.join(self.dir, "run")
        os.makedirs(cwd)
        first = self.program(["/url", url], cwd)
        # The first holds the folder once its project is there.
        project = os.path.join(cwd, "127.0.0.1", "127.0.0.1.zbp")
        for _ in range(600):
            if os.path.exists(project) and s.targets():
                break
            time.sleep(0.05)
        self.assertTrue(os.path.exists(project), "the first program wrote no project at its start")
        second = run(["/url", url], cwd, timeout=60)
        self.assertIsNotNone(second.code, "the second program did not end by itself")
        if not on_wine():
            self.assertEqual(second.code, 4, second)
            self.assertIn("The output folder %s is in use by another Zelko Brask job. This job was not started."
                          % os.path.join(cwd, "127.0.0.1"), second.output)
            self.assertNotIn("The download is complete.", second.output)
            self.assertNotIn("Stored copy:", second.output)
        code, out = self.wait(first, timeout=120)
        self.assertEqual(code, 0, out)
        if not on_wine():
            self.assertIn("The download is complete.", out)
        # Only the first asked, each file once, and its copy is whole.
        self.assertEqual(sorted(s.targets()), sorted(["/index.html"] + ["/slow%d.html" % i for i in range(8)]))
        copy = os.path.join(cwd, "127.0.0.1")
        for i in range(8):
            self.assertTrue(os.path.isfile(os.path.join(copy, "127.0.0.1.%d" % s.port, "slow%d.html" % i)))
        self.assertEqual(local_links(copy, "127.0.0.1:%d" % s.port), [])
        if not on_wine():
            # Once the first is done the folder is free again.
            third = run(["/f", project], cwd, timeout=60)
            self.assertEqual(third.code, 0, third)
        self.assertCanaryQuiet()

    def test_an_unasked_part_is_not_stored_as_the_whole_file(self):
        s = self.serve({"index.html": '<a href="part.bin">part</a> <a href="b.html">b</a>', "b.html": "<p>bee</p>"}, {
            "/part.bin": {"status": 206, "headers": [["Content-Range", "bytes 0-499/2000"],
                                                     ["Content-Type", "application/octet-stream"]],
                          "body": {"repeat": "x", "size": 500}},
        })
        r = self.mirror(s.base + "/index.html", timeout=120)
        parts = [f for f in stored_files(r.folder) if os.path.basename(f).startswith("part")]
        self.assertEqual(parts, [], "the part was stored as the file")
        asked = s.requests()
        self.assertTrue(all(not any(h[0].lower() == "range" for h in q["headers"]) for q in asked))
        self.assertIn("/part.bin", s.targets())
        if not on_wine():
            self.assertEqual(r.code, 1, r)
            self.assertIn("Not stored: %s/part.bin" % s.base, r.output)
            self.assertIn("2 received", r.output)
        self.assertCanaryQuiet()

    def test_a_file_where_the_output_folder_should_be(self):
        s = self.serve({"index.html": "<p>index</p>"})
        cwd = os.path.join(self.dir, "run")
        os.makedirs(cwd)
        with open(os.path.join(cwd, "127.0.0.1"), "w") as f:
            f.write("in the way")
        r = run(["/url", s.base + "/index.html"], cwd, timeout=60)
        self.assertIsNotNone(r.code, "the program did not end by itself")
        if not on_wine():
            self.assertEqual(r.code, 5, r)
            self.assertIn("The output folder %s cannot be written. A file stands where a folder should be."
                          % os.path.join(cwd, "127.0.0.1"), r.output)
            self.assertNotIn("The download is complete.", r.output)
            self.assertNotIn("error ", r.output)
        self.assertEqual(s.targets(), [], "the job started")
        with open(os.path.join(cwd, "127.0.0.1")) as f:
            self.assertEqual(f.read(), "in the way")
        self.assertCanaryQuiet()

    def test_a_file_where_a_folder_of_the_copy_should_be(self):
        s = self.serve({"index.html": '<a href="sub/a.html">a</a> <a href="b.html">b</a>',
                        "sub/a.html": "<p>a</p>", "b.html": "<p>b</p>"})
        cwd = os.path.join(self.dir, "run")
        host = os.path.join(cwd, "127.0.0.1", "127.0.0.1.%d" % s.port)
        os.makedirs(host)
        with open(os.path.join(host, "sub"), "w") as f:
            f.write("in the way")
        r = run(["/url", s.base + "/index.html"], cwd, timeout=60)
        if not on_wine():
            self.assertEqual(r.code, 5, r)
            self.assertIn("Not stored: %s/sub/a.html (cannot write %s: A file stands where a folder should be."
                          % (s.base, os.path.join(host, "sub")), r.output)
        self.assertIsNotNone(r.code, r)
        self.assertTrue(os.path.isfile(os.path.join(host, "b.html")))
        with open(os.path.join(host, "sub")) as f:
            self.assertEqual(f.read(), "in the way")
        self.assertCanaryQuiet()

    def test_a_read_only_output_folder(self):
        if on_wine():
            self.skipTest("the Windows program says nothing on a terminal")
        s = self.serve({"index.html": "<p>index</p>"})
        cwd = os.path.join(self.dir, "run")
        out = os.path.join(cwd, "127.0.0.1")
        os.makedirs(out)
        as_user = []
        if os.geteuid() == 0:
            # Root writes into a read-only folder: the program runs as
            # nobody, in a folder of its own, beside an output folder of root's.
            setpriv = shutil.which("setpriv")
            as_user = [setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if setpriv else []
            if not as_user or subprocess.run(as_user + [PROGRAM], capture_output=True).returncode != 64:
                self.skipTest("the program cannot be run as another user here")
            os.chown(cwd, 65534, 65534)
            os.chmod(out, 0o755)
        else:
            os.chmod(out, 0o555)
            self.addCleanup(os.chmod, out, 0o755)
        p = subprocess.run(as_user + [PROGRAM, "/url", s.base + "/index.html"], cwd=cwd, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        output = p.stdout.decode("utf-8", "replace")
        self.assertEqual(p.returncode, 5, output)
        self.assertIn("The output folder %s cannot be written. Access is denied." % out, output)
        self.assertNotIn("The download is complete.", output)
        self.assertEqual(s.targets(), [])
        self.assertEqual(os.listdir(out), [])


if __name__ == "__main__":
    unittest.main()
