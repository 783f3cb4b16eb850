"""The terminal program's long options against a local server: what they
set reaches the requests (levels, filters, credentials, user agent,
proxy), is kept in the project file and is read back by "/f"; a wrong
option or value is named on one line with status 64 and nothing is
fetched or written.

The site (all behind Basic auth "ann:hush" in the first test):
  index.html -> a.html, deep/b.html, skip/x.html, pic.gif, song.wav
  deep/b.html -> deep/c.html   (one level further)
"""

import os
import subprocess
import unittest

from hostile import HostileTest, copy_program, on_wine, stored_files, tree_contains

PAGES = {
    "index.html": '<a href="a.html">a</a> <a href="deep/b.html">b</a> <a href="skip/x.html">x</a>'
                  ' <img src="pic.gif"> <a href="song.wav">song</a>',
    "a.html": "<p>a</p>",
    "deep/b.html": '<a href="c.html">c</a>',
    "deep/c.html": "<p>c</p>",
    "skip/x.html": "<p>x</p>",
    "pic.gif": b"GIF89a\x01\x00\x01\x00\x00\x00\x00;",
    "song.wav": b"RIFF\x24\x00\x00\x00WAVEfmt " + b"\x00" * 28,
}


def read_ini(path):
    """{section: {key: value}} with names in lower case, as the program
    reads them."""
    out, section = {}, None
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = out.setdefault(line[1:-1].lower(), {})
            elif "=" in line and section is not None:
                k, v = line.split("=", 1)
                section[k.strip().lower()] = v.strip()
    return out


def header(request, name):
    for k, v in request["headers"]:
        if k.lower() == name.lower():
            return v
    return None


class CommandOptions(HostileTest):
    def setUp(self):
        super().setUp()
        if on_wine():
            self.skipTest("the Windows command line is the documented one")
        # A copy of the program with a settings file of its own: no
        # defaults of another test change the mission.
        self.program = copy_program(self.dir)
        self.work = os.path.join(self.dir, "work")
        os.makedirs(self.work)

    def call(self, *args, timeout=60):
        return subprocess.run([self.program] + list(args), cwd=self.work, capture_output=True, timeout=timeout)

    def fetched(self, server):
        return {r["target"].split("/", 3)[-1] if "://" in r["target"] else r["target"].lstrip("/")
                for r in server.requests() if r.get("method") == "GET"}

    def test_options_reach_the_requests_and_the_project_and_come_back_with_f(self):
        server = self.serve(PAGES, extra=["--auth", "ann:hush"])
        url = server.base + "/index.html"
        # Cut short by the file limit, one download at a time.
        r = self.call("--depth", "1", "--threads", "1", "--max-files", "2", "--exclude", server.base + "/skip/",
                      "--no-pictures", "--sounds", "--time-limit", "3", "--user", "ann", "--password", "hush",
                      "--agent", "OptionTester/1.0", "--output", "copy", url)
        self.assertEqual(r.returncode, 0, r)
        self.assertIn(b"the file limit has been reached", r.stderr)
        self.assertEqual(len(self.fetched(server)), 2, self.fetched(server))
        self.assertNotIn(b"hush", r.stdout + r.stderr)

        folder = os.path.join(self.work, "copy")
        project = os.path.join(folder, "copy.zbp")
        ini = read_ini(project)
        self.assertEqual(ini["output"]["path"], folder)
        self.assertEqual(ini["levels"]["internal"], "1")
        self.assertEqual(ini["options"]["maxnumthread"], "1")
        self.assertEqual(ini["options"]["maxnumfiles"], "2")
        self.assertEqual(ini["options"]["timemaxwait"], "3")
        self.assertEqual(ini["options"]["internetagent"], "OptionTester/1.0")
        self.assertEqual((ini["filter"]["allowpicture"], ini["filter"]["allowsound"]), ("0", "1"))
        self.assertEqual(ini["excludeurl"]["0"], server.base + "/skip/")
        self.assertEqual((ini["authenticate"]["save"], ini["authenticate"]["user"]), ("1", "ann"))
        with open(project, "rb") as f:
            self.assertNotIn(b"hush", f.read())

        # Continued with other limits: the rest comes under the filters,
        # the depth, the agent and the login the project kept.
        before = len(server.requests())
        r = self.call("/f", project, "--threads", "2", "--max-files", "0")
        self.assertEqual(r.returncode, 0, r)
        got = self.fetched(server)
        self.assertTrue({"index.html", "a.html", "deep/b.html", "song.wav"} <= got, got)
        self.assertNotIn("skip/x.html", got)   # excluded
        self.assertNotIn("pic.gif", got)       # no pictures
        self.assertNotIn("deep/c.html", got)   # beyond one level
        self.assertGreater(len(server.requests()), before)
        for req in server.requests():
            self.assertEqual(header(req, "User-Agent"), "OptionTester/1.0", req["target"])
        # Each file is asked without the login first, and again with it
        # after the 401.
        with_login = {q["target"] for q in server.requests() if header(q, "Authorization")}
        self.assertEqual(with_login, {"/" + t for t in got})
        ini = read_ini(project)
        self.assertEqual((ini["options"]["maxnumthread"], ini["options"]["maxnumfiles"]), ("2", "0"))
        self.assertEqual(ini["levels"]["internal"], "1")

        self.assertIn("a.html", [os.path.basename(f) for f in stored_files(folder)])
        # The login put into a retried request stays out of every address
        # the job keeps: the tree file, the copies.
        self.assertEqual(tree_contains(folder, b"hush"), [])

    def test_a_proxy_given_is_used_and_kept(self):
        server = self.serve(PAGES)
        r = self.call("--proxy", "127.0.0.1:%d" % server.port, "--output", "viaproxy", "http://site.test/index.html")
        self.assertEqual(r.returncode, 0, r)
        targets = [q["target"] for q in server.requests()]
        self.assertIn("http://site.test/a.html", targets)
        self.assertTrue(all(t.startswith("http://site.test/") for t in targets), targets)
        project = os.path.join(self.work, "viaproxy", "viaproxy.zbp")
        ini = read_ini(project)
        self.assertEqual((ini["proxy"]["use"], ini["proxy"]["address"]), ("1", "127.0.0.1:%d" % server.port))

        # Refreshed later without the option: through the proxy again.
        before = len(targets)
        r = self.call("--update", project)
        self.assertEqual(r.returncode, 0, r)
        again = [q["target"] for q in server.requests()[before:]]
        self.assertIn("http://site.test/index.html", again)
        self.assertTrue(all(t.startswith("http://site.test/") for t in again), again)

    def test_wrong_options_and_values_are_named_and_nothing_runs(self):
        server = self.serve(PAGES)
        url = server.base + "/index.html"
        cases = [
            (["--threads", "0"], b"zbrask: --threads 0: a whole number from 1 to 9 is wanted\n"),
            (["--threads", "1000"], b"zbrask: --threads 1000: a whole number from 1 to 9 is wanted\n"),
            (["--depth", "-1"], b"zbrask: --depth -1: a whole number from 0 to 2147483647 is wanted\n"),
            (["--max-size", "abc"], b"zbrask: --max-size abc: a whole number from 1 to 2147483647 is wanted\n"),
            (["--frobnicate"], b"zbrask: unknown option --frobnicate (zbrask --help lists the options)\n"),
            (["--proxy", "nohost"], b"zbrask: --proxy nohost: HOST:PORT is wanted, with a port from 1 to 65535\n"),
            (["--password", "hush", "--stubs=yes"], b"zbrask: --stubs takes no value\n"),
            (["--agent", "a\r\nX-Injected: 1"], b"zbrask: --agent: the value may not hold control characters\n"),
        ]
        for args, line in cases:
            r = self.call(*(args + [url]))
            self.assertEqual((r.returncode, r.stderr, r.stdout), (64, line, b""), args)
        # A word that is no option, after the job's URL.
        r = self.call(url, "depth", "3")
        self.assertEqual(r.returncode, 64, r)
        self.assertTrue(r.stderr.startswith(b"zbrask: depth: one job at a time"), r.stderr)
        r = self.call("--depth", "2", "/auto")
        self.assertEqual(r.returncode, 64, r)
        self.assertIn(b"--depth sets the options of one job", r.stderr)
        self.assertEqual(server.requests(), [])
        self.assertEqual(os.listdir(self.work), [])

    def test_help_and_version(self):
        r = self.call("--help")
        self.assertEqual(r.returncode, 0, r)
        for option in (b"--depth N", b"--external-depth", b"--threads", b"--include", b"--exclude",
                       b"--only-in-folder", b"--no-pictures", b"--sounds", b"--videos", b"--downloads", b"--stubs",
                       b"--max-files", b"--max-size", b"--time-limit", b"--output", b"--user", b"--password",
                       b"--proxy", b"--agent", b"--quiet"):
            self.assertIn(option, r.stdout)
        r = self.call("--version")
        self.assertEqual((r.returncode, r.stdout), (0, b"zbrask 3.3\n"))
        # In the settings' language.
        with open(os.path.join(self.dir, "zbrask.INI"), "w", newline="\r\n") as f:
            f.write("[Options]\nlanguage=rus\n")
        r = self.call("-h")
        self.assertEqual(r.returncode, 0, r)
        self.assertIn("Параметры задания".encode(), r.stdout)
        self.assertIn(b"--max-size", r.stdout)

    def test_quiet_says_only_what_failed(self):
        server = self.serve(PAGES)
        r = self.call("--quiet", "--output", "q", server.base + "/index.html")
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, b"", b""))
        self.assertIn("a.html", [os.path.basename(f) for f in stored_files(os.path.join(self.work, "q"))])
        os.remove(os.path.join(self.root, "a.html"))
        r = self.call("--quiet", "--update", os.path.join(self.work, "q", "q.zbp"))
        self.assertEqual(r.returncode, 1, r)
        self.assertIn(b"Not stored: " + server.base.encode() + b"/a.html", r.stderr)
        self.assertNotIn(b"received", r.stderr)

    def test_an_output_folder_of_another_job_is_left_alone(self):
        server = self.serve(PAGES)
        r = self.call("--output", "shared", server.base + "/a.html")
        self.assertEqual(r.returncode, 0, r)
        project = os.path.join(self.work, "shared", "shared.zbp")
        with open(project, "rb") as f:
            kept = f.read()
        before = len(server.requests())
        r = self.call("--output", "shared", server.base + "/index.html")
        self.assertEqual(r.returncode, 4, r)
        self.assertIn(b"holds the project of another job", r.stderr)
        with open(project, "rb") as f:
            self.assertEqual(f.read(), kept)
        self.assertEqual(len(server.requests()), before)
        # The same URL again continues its own job there.
        r = self.call("--output", "shared", "--depth", "0", server.base + "/a.html")
        self.assertEqual(r.returncode, 0, r)
        self.assertEqual(read_ini(project)["levels"]["internal"], "0")


if __name__ == "__main__":
    unittest.main()
