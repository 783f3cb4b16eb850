"""Where the terminal program keeps its settings: beside it while its
folder can be written (a build, a copy of its own), else, installed where
it may not write, in the user's configuration folder."""

import os
import shutil
import subprocess
import unittest

from hostile import HostileTest, copy_program, on_wine


def can_mount():
    return bool(shutil.which("unshare")) and subprocess.run(
        ["unshare", "-rm", "true"], stderr=subprocess.DEVNULL).returncode == 0


class SettingsPlace(HostileTest):
    def setUp(self):
        super().setUp()
        if on_wine():
            self.skipTest("the Windows program keeps its settings beside it")
        self.folder = os.path.join(self.dir, "bin")
        copy_program(self.folder)
        self.config = os.path.join(self.dir, "config")
        self.user_ini = os.path.join(self.config, "zbrask", "zbrask.ini")
        self.site = self.serve({"index.html": "<p>one page</p>"})

    def mirror_from(self, read_only):
        """The copy of the program mirrors the site, its folder mounted
        read-only or not, with the user's configuration folder set."""
        work = os.path.join(self.dir, "work-%d" % read_only)
        os.makedirs(work)
        mount = 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" || exit 77; ' if read_only else ""
        inner = mount + 'cd "$2" && XDG_CONFIG_HOME="$3" "$1/zbrask" /url "$4"'
        p = subprocess.run(["unshare", "-rm", "sh", "-c", inner, "sh", self.folder, work, self.config,
                            self.site.base + "/index.html"],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        if p.returncode == 77:
            self.skipTest("no read-only bind mount here")
        return p.returncode, p.stdout.decode("utf-8", "replace")

    @unittest.skipUnless(can_mount(), "no mount namespace here")
    def test_a_program_that_may_not_write_beside_itself_keeps_its_settings_in_the_users_folder(self):
        os.makedirs(os.path.dirname(self.user_ini))
        with open(self.user_ini, "w", newline="\r\n") as f:
            f.write("[Options]\nlanguage=rus\n")
        code, out = self.mirror_from(read_only=True)
        self.assertEqual(code, 0, out)
        self.assertIn("Загрузка завершена.", out, "the language the user's settings name")
        with open(self.user_ini, encoding="latin-1") as f:
            saved = f.read()
        self.assertIn("language=rus", saved.lower())
        self.assertIn("[Proxy]", saved, "the run's settings written there")
        self.assertFalse(os.path.exists(os.path.join(self.folder, "zbrask.INI")))

    @unittest.skipUnless(can_mount(), "no mount namespace here")
    def test_a_program_that_may_write_beside_itself_keeps_its_settings_there(self):
        code, out = self.mirror_from(read_only=False)
        self.assertEqual(code, 0, out)
        self.assertIn("The download is complete.", out)
        self.assertTrue(os.path.exists(os.path.join(self.folder, "zbrask.INI")))
        self.assertFalse(os.path.exists(self.user_ini), "the user's folder left alone")


if __name__ == "__main__":
    unittest.main()
