"""No local file is ever read because a web page says so.

A page fetched over the network names files of this machine in every way
it can: file: links and pictures (/etc/passwd, the program's own
environment, a secret beside the job, /dev/zero), a <base> on the disk's
root under relative links, external levels that would follow anything, and
on Windows the devices (NUL, CON, COM1, "nul.txt"), another drive's
win.ini and shares ("file://server/share"). None of it is read: no byte of
those files reaches the copy, the run ends at once with exit 0, and the
page keeps those links as they stood, absolute. A job that starts from a
file: URL still mirrors its folder, and nothing above it (".." plain or
percent-encoded, an absolute path, a <base> on the root)."""

import os
import shutil
import stat
import unittest

from hostile import PROGRAM, WINE_PREFIX, HostileTest, on_wine, run, stored_files, tree_contains, write_project

# Seconds a run may take: reading /dev/zero or /dev/random would never end.
QUICK = 60
# A canary that the program's environment carries: never in the copy.
ENV_NAME = "ZB_SECRET"
ENV_CANARY = "zb-environment-canary-7f3a9c"
SECRET = b"zb-secret-outside-the-job-5e21b8"
# The first line of /etc/passwd, where there is one.
PASSWD = b""
if os.path.exists("/etc/passwd"):
    with open("/etc/passwd", "rb") as f:
        PASSWD = f.readline().strip()


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def file_url(path):
    """The file: URL of an absolute path of this machine as the program
    under test names it: file:///x natively, file://Z:/x under Wine."""
    return ("file://Z:" if on_wine() else "file://") + path


# Under Wine, a secret on drive C: while the job runs on Z:.
DRIVE_C_NAME = "zb-local-files-secret.txt"
DRIVE_C_SECRET = b"zb-secret-on-another-drive-93d0e4"


def win_ini():
    """The bytes of the Wine prefix's win.ini, or b"" natively."""
    if not WINE_PREFIX:
        return b""
    path = os.path.join(WINE_PREFIX, "drive_c", "windows", "win.ini")
    try:
        with open(path, "rb") as f:
            return f.read().strip()
    except OSError:
        return b""


class LocalFiles(HostileTest):
    def setUp(self):
        super().setUp()
        self.outside = os.path.join(self.dir, "outside")
        os.makedirs(self.outside)
        self.secret = os.path.join(self.outside, "secret.txt")
        with open(self.secret, "wb") as f:
            f.write(SECRET + b"\n")
        if WINE_PREFIX:
            other = os.path.join(WINE_PREFIX, "drive_c", DRIVE_C_NAME)
            with open(other, "wb") as f:
                f.write(DRIVE_C_SECRET + b"\r\n")
            self.addCleanup(os.remove, other)

    def job(self, urls, name="run", timeout=QUICK, **sections):
        """Runs a project on urls with the canary in the environment; the
        copy goes to run/copy. Natively "/f"; under Wine, where "/f" only
        opens a project, as the stored batch with "/auto"."""
        cwd = os.path.join(self.dir, name)
        os.makedirs(cwd, exist_ok=True)
        copy = os.path.join(cwd, "copy")
        project = os.path.join(cwd, "job.zbp")
        env = dict(os.environ, **{ENV_NAME: ENV_CANARY})
        if on_wine():
            write_project(project, urls, winpath(copy), **sections)
            exe = os.path.join(cwd, "zbrask.exe")
            shutil.copy(PROGRAM, exe)
            bindir = os.path.dirname(PROGRAM)
            for n in os.listdir(bindir):
                if n.lower().startswith("zb") and n.lower().endswith(".dll"):
                    shutil.copy(os.path.join(bindir, n), cwd)
            with open(os.path.join(cwd, "zbrask.INI"), "w", newline="\r\n") as f:
                f.write("[DLoad]\nExitOnEnd=0\nExitOnEndBatch=1\n[Batch]\nUseStartTime=0\n"
                        "[MissionList]\ncount=1\n0=%s\n" % winpath(project))
            r = run(["/auto"], cwd, timeout + 60, env=env)
        else:
            write_project(project, urls, copy, **sections)
            r = run(["/f", project], cwd, timeout, env=env)
        r.folder = copy
        return r

    def assertQuickAndClean(self, r):
        self.assertIsNotNone(r.code, "the run did not end: %r" % r)
        self.assertNothingLeaked(r.folder)
        self.assertCanaryQuiet()
        self.assertEqual(r.code, 0, r)
        self.assertLess(r.seconds, QUICK, r)

    def assertNothingLeaked(self, folder):
        self.assertTrue(os.path.isdir(folder), "no copy was made")
        self.assertEqual(tree_contains(folder, SECRET), [], "the secret beside the job was copied")
        self.assertEqual(tree_contains(folder, ENV_CANARY.encode()), [], "the environment was copied")
        if PASSWD:
            self.assertEqual(tree_contains(folder, PASSWD), [], "/etc/passwd was copied")
        ini = win_ini()
        if ini:
            self.assertEqual(tree_contains(folder, ini), [], "win.ini was copied")
        self.assertEqual(tree_contains(folder, DRIVE_C_SECRET), [], "a file of drive C: was copied")
        # /dev/zero or /dev/random leave big files; nothing here is big.
        for rel in stored_files(folder):
            self.assertLess(os.path.getsize(os.path.join(folder, rel)), 1 << 20, rel)

    def stored_page(self, folder, marker):
        """The text of the stored copy that holds marker."""
        hits = tree_contains(folder, marker.encode())
        self.assertTrue(hits, "no stored copy holds %r" % marker)
        with open(os.path.join(folder, hits[0]), "rb") as f:
            return f.read().decode("latin-1")

    def attack_links(self):
        """file: URLs of this machine in the forms a page can write them."""
        secret = self.secret
        links = [
            "file:///etc/passwd", "FILE:///etc/passwd", "file:/etc/passwd", "file://localhost/etc/passwd",
            "file:///proc/self/environ", "file:///dev/zero", "file:///dev/random", "file:///dev/urandom",
            "file://" + secret, file_url(secret), "file://" + secret.replace("/", "\\"),
            "file:///%2e%2e/%2e%2e" + secret, "file://127.0.0.1:%d/x" % self.canary.port,
            # Windows: devices, another drive, shares.
            "file:///NUL", "file:///NUL.txt", "file:///CON", "file:///COM1", "file:///LPT1", "file:///aux.html",
            "file://C:/windows/win.ini", "file:///C:/windows/win.ini", "C:\\windows\\win.ini",
            "file://C:/" + DRIVE_C_NAME, "file:///c:/" + DRIVE_C_NAME, "C:\\" + DRIVE_C_NAME, "c:/" + DRIVE_C_NAME,
            "file://server/share/x", "file:////server/share/x", "file:\\\\server\\share\\x",
            "file://Z:/etc/passwd", "file://Z:/proc/self/environ", "file:////./NUL", "file:////?/C:/windows/win.ini",
        ]
        return links

    def attack_page(self, marker):
        body = "<html><body><p>%s</p>\n" % marker
        for i, u in enumerate(self.attack_links()):
            body += '<img src="%s"><a href="%s">%d</a>\n' % (u, u, i)
        return body + '<a href="plain.html">plain</a></body></html>'

    def test_file_links_and_pictures_in_an_http_page_are_not_read(self):
        s = self.serve({"index.html": self.attack_page("attack-page"), "plain.html": "<p>plain-page</p>"})
        r = self.job([s.base + "/index.html"], levels={"internal": 3, "external": 0})
        self.assertQuickAndClean(r)
        self.assertTrue(tree_contains(r.folder, b"plain-page"), "the http links were not followed: %r" % r)
        # The refused links stay in the page, absolute.
        page = self.stored_page(r.folder, "attack-page")
        self.assertIn('src="file:///etc/passwd"', page)
        self.assertIn('href="file:///dev/zero"', page)

    def test_external_levels_do_not_reach_the_disk(self):
        links = ["file:///etc/shadow", "file:///etc/passwd", "file://" + self.secret, file_url(self.secret),
                 "file://C:/windows/win.ini", "file://C:/" + DRIVE_C_NAME]
        body = "<p>external-page</p>" + "".join('<a href="%s">x</a>' % u for u in links)
        s = self.serve({"index.html": body})
        r = self.job([s.base + "/index.html"], levels={"internal": 3, "external": 1})
        self.assertQuickAndClean(r)
        if os.access("/etc/shadow", os.R_OK):
            with open("/etc/shadow", "rb") as f:
                first = f.readline().strip()
            if first:
                self.assertEqual(tree_contains(r.folder, first), [], "/etc/shadow was copied")
        page = self.stored_page(r.folder, "external-page")
        self.assertIn('href="file:///etc/shadow"', page)

    def test_a_base_on_the_disk_gives_an_http_page_nothing(self):
        rel_secret = self.secret.lstrip("/")
        body = ('<html><head><base href="file:///"></head><body><p>base-page</p>'
                '<img src="proc/self/environ"><img src="etc/passwd"><a href="etc/passwd">p</a>'
                '<img src="dev/zero"><a href="%s">s</a><img src="NUL"></body></html>' % rel_secret)
        drive = ('<html><head><base href="file://C:/windows/"></head><body><p>drive-page</p>'
                 '<img src="win.ini"><a href="system.ini">s</a><a href="../%s">c</a></body></html>' % DRIVE_C_NAME)
        index = '<a href="base.html">b</a><a href="drive.html">d</a>'
        s = self.serve({"index.html": index, "base.html": body, "drive.html": drive})
        r = self.job([s.base + "/index.html"], levels={"internal": 3, "external": 1})
        self.assertQuickAndClean(r)
        self.stored_page(r.folder, "base-page")
        self.stored_page(r.folder, "drive-page")

    def test_a_file_job_mirrors_its_folder_and_stays_inside(self):
        local = os.path.join(self.dir, "local")
        os.makedirs(os.path.join(local, "sub"))
        up = os.path.relpath(self.secret, local)            # ../outside/secret.txt
        up_sub = os.path.relpath(self.secret, os.path.join(local, "sub"))
        links = [
            "sub/a.html", "sub/b.html", up, up.replace("..", "%2e%2e"), up.replace("..", "%2E%2E"),
            "sub/%2e%2e%2f" + up, "sub/..%2f" + up, "sub/..%5c" + up.replace("/", "%5c"),
            "file://" + self.secret, file_url(self.secret), "/" + self.secret.lstrip("/"),
            "file:///etc/passwd", "/etc/passwd", "file:///dev/zero", "file:///proc/self/environ",
            "file://server/share/x", "file:///NUL", "NUL", "con.html", "file://C:/windows/win.ini",
            "file://C:/" + DRIVE_C_NAME, "C:\\" + DRIVE_C_NAME,
        ]
        with open(os.path.join(local, "index.html"), "w") as f:
            f.write("<p>local-index</p>" + "".join('<a href="%s">x</a><img src="%s">' % (u, u) for u in links))
        # Plain files natively; devices to Windows, which never opens them.
        for name in ("NUL", "con.html"):
            with open(os.path.join(local, name), "w") as f:
                f.write("<p>local-%s</p>" % name)
        with open(os.path.join(local, "sub", "a.html"), "w") as f:
            f.write('<p>local-a</p><a href="%s">up</a><a href="../index.html">home</a>' % up_sub)
        with open(os.path.join(local, "sub", "b.html"), "w") as f:
            f.write('<html><head><base href="file:///"></head><body><p>local-b</p>'
                    '<img src="etc/passwd"><img src="proc/self/environ"><a href="%s">s</a></body></html>'
                    % self.secret.lstrip("/"))
        r = self.job([file_url(os.path.join(local, "index.html"))], levels={"internal": 5, "external": 5})
        self.assertIsNotNone(r.code, "the run did not end: %r" % r)
        self.assertLess(r.seconds, QUICK, r)
        self.assertNothingLeaked(r.folder)
        self.assertCanaryQuiet()
        for marker in (b"local-index", b"local-a", b"local-b"):
            self.assertTrue(tree_contains(r.folder, marker), "%s was not mirrored: %r" % (marker, r))
        self.assertEqual(r.code, 0, r)
        # Nothing stored names a place above the start folder.
        for rel in stored_files(r.folder):
            self.assertNotIn("outside", rel)
            self.assertNotIn("passwd", rel)
            self.assertNotIn("environ", rel)

    def test_a_pipe_a_device_and_a_folder_below_the_start_folder_are_not_read(self):
        # Under Wine too: the same pipe and devices are seen through Z:.
        local = os.path.join(self.dir, "local")
        os.makedirs(os.path.join(local, "folder.html"))
        os.mkfifo(os.path.join(local, "pipe.html"))
        os.symlink("/dev/zero", os.path.join(local, "zero.bin"))
        os.symlink("/dev/urandom", os.path.join(local, "random.html"))
        links = ["pipe.html", "zero.bin", "random.html", "folder.html", "plain.html"]
        with open(os.path.join(local, "index.html"), "w") as f:
            f.write("<p>local-index</p>" + "".join('<a href="%s">x</a>' % u for u in links))
        with open(os.path.join(local, "plain.html"), "w") as f:
            f.write("<p>local-plain</p>")
        r = self.job([file_url(os.path.join(local, "index.html"))], levels={"internal": 2})
        self.assertIsNotNone(r.code, "the run did not end: %r" % r)
        self.assertLess(r.seconds, QUICK, r)
        self.assertNothingLeaked(r.folder)
        self.assertTrue(tree_contains(r.folder, b"local-plain"), r)
        # They were asked for, and refused: never stored, and reported
        # where there is a terminal to tell it.
        for name in ("pipe.html", "zero.bin", "random.html"):
            if not on_wine():
                self.assertIn(name, r.output)
            self.assertFalse(any(os.path.basename(p) == name for p in stored_files(r.folder)), name)
        self.assertTrue(stat.S_ISFIFO(os.stat(os.path.join(local, "pipe.html")).st_mode))


if __name__ == "__main__":
    unittest.main()
