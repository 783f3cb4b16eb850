"""What the terminal program says comes from its language's catalogue: in
Russian (the settings' language) its usage, status line and end-of-job
lines are Russian, in UTF-8 on the terminal; a file that ended unstored is
explained in the words of its server ("503 Busy Today") or of the internet
library where the program has none of its own; and a message shown twice
in a row is printed once."""

import os
import shutil
import socket
import subprocess
import unittest

from hostile import HostileTest, on_wine, PROGRAM

PAGE = '<html><body><a href="busy.html">busy</a> <a href="gone.html">gone</a></body></html>\n'
SCRIPT = {"/busy.html": {"status": 503, "reason": "Busy Today"},
          "/gone.html": {"status": 404}}


def closed_port():
    """A port on 127.0.0.1 that nothing listens on."""
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class Texts(HostileTest):
    def setUp(self):
        super().setUp()
        if on_wine():
            self.skipTest("the terminal program's texts")
        # A copy of the program with its catalogues keeps its settings here.
        self.bin = os.path.join(self.dir, "bin")
        os.makedirs(self.bin)
        self.program = os.path.join(self.bin, "zbrask")
        shutil.copy(PROGRAM, self.program)
        for code in ("enu", "rus"):
            shutil.copy(os.path.join(os.path.dirname(PROGRAM), "zb%s.lng" % code), self.bin)

    def language(self, code):
        with open(self.program + ".INI", "w", newline="\r\n") as f:
            f.write("[Options]\nlanguage=%s\n" % code)

    def call(self, *args, cwd=None):
        cwd = cwd or os.path.join(self.dir, "run")
        os.makedirs(cwd, exist_ok=True)
        r = subprocess.run([self.program] + list(args), cwd=cwd, capture_output=True, timeout=60)
        return r.returncode, r.stdout.decode("utf-8"), r.stderr.decode("utf-8")

    def test_russian_usage_status_and_end_of_job(self):
        self.language("rus")
        code, out, _ = self.call("--help")
        self.assertEqual(code, 0)
        self.assertTrue(out.startswith("запуск: zbrask /url URL"), out)
        code, _, err = self.call("no-such.zbp")
        self.assertEqual(code, 64)
        self.assertIn("zbrask: нет файла проекта no-such.zbp\nзапуск: zbrask", err)
        code, _, err = self.call("/install")
        self.assertEqual(code, 1)
        self.assertIn("Ключ «/install» в этой версии программы недоступен", err)

        s = self.serve({"index.html": PAGE}, SCRIPT)
        code, _, err = self.call("/url", s.base + "/index.html")
        self.assertEqual(code, 1, err)
        self.assertIn("получено 1, в очереди 0, загружается 0", err)
        self.assertIn("Не сохранено: %s/busy.html (ответ сервера: 503 Busy Today)" % s.base, err)
        self.assertIn("Не сохранено: %s/gone.html (ответ сервера: 404 Not Found)" % s.base, err)
        self.assertIn("Загрузка завершена.", err)
        self.assertIn("Сохранённая копия: ", err)
        self.assertIn("Продолжить:  ", err)
        for english in ("received", "queued", "Not stored", "Stored copy", "Continue with", "download"):
            self.assertNotIn(english, err)

    def test_failures_in_the_words_of_the_server_and_of_the_library(self):
        self.language("enu")
        s = self.serve({"index.html": PAGE}, SCRIPT)
        code, _, err = self.call("/url", s.base + "/index.html")
        self.assertEqual(code, 1, err)
        self.assertIn("Not stored: %s/busy.html (the server answered 503 Busy Today)" % s.base, err)
        self.assertIn("Not stored: %s/gone.html (the server answered 404 Not Found)" % s.base, err)
        # No text of the program's for "cannot connect": the library's own
        # words, with the number.
        url = "http://127.0.0.1:%d/" % closed_port()
        code, _, err = self.call("/url", url, cwd=os.path.join(self.dir, "closed"))
        self.assertEqual(code, 1, err)
        line = next((l for l in err.splitlines() if l.startswith("Not stored: " + url)), "")
        self.assertIn("onnect", line, err)
        self.assertIn("[error 12029]", line, err)
        self.assertNotIn("Internet Error #12029", line)

    def test_a_message_shown_again_is_printed_once(self):
        # The file cut short is tried three times: the job restarts twice,
        # and says so once.
        self.language("enu")
        cut = {"body": {"repeat": "r", "size": 200000}, "cut_after": 50000, "ranges": False,
               "headers": [["Content-Type", "application/octet-stream"]]}
        s = self.serve({"index.html": '<a href="cut.bin">cut</a>'}, {"/cut.bin": cut})
        code, _, err = self.call("/url", s.base + "/index.html")
        self.assertEqual(code, 1, err)
        self.assertEqual(s.targets().count("/cut.bin"), 3, s.targets())
        self.assertEqual(err.count("Restarting the download..."), 1, err)
        self.assertEqual(err.count("The download is complete."), 1, err)


if __name__ == "__main__":
    unittest.main()
