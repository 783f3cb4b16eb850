"""Checks of the language sources (lang/*.txt) and of tools/langgen.py.

Run with: python3 -m unittest discover -s tests/lang -p "test_*.py"
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LANGGEN = ROOT / "tools" / "langgen.py"
sys.path.insert(0, str(LANGGEN.parent))
sys.dont_write_bytecode = True          # keep the source tree clean
import langgen  # noqa: E402

LANGUAGES = {"enu": (1252, 0x0409), "rus": (1251, 0x0419)}


def source_path(code):
    return ROOT / "lang" / (code + ".txt")


# Texts the program asks for by number, and the printf arguments it passes
# with each (as length + conversion). Every text not listed with arguments
# is shown as it is and must hold no directive.
FORMATTED = {
    22022: ["u"], 22023: ["u"], 22024: ["u"], 22025: ["u"], 22026: ["u"],
    22027: ["u"], 22028: ["u"], 22029: ["u", "u", "u"],
    22036: ["s"],                       # tree file name
    22091: ["s"],                       # output folder in use
    22092: ["s", "s"],                  # output folder, the reason it cannot be written
    22037: ["s"],                       # project file name
    22166: ["d", "d"],                  # link number, link count
    22167: ["d", "d", "s"],             # record number, count, page URL
    24112: ["s"], 24113: ["s"], 24115: ["s"], 24118: ["s"], 24125: ["s"],
    24114: ["p"], 24121: ["p"], 24122: ["p"], 24123: ["p"],
    24124: ["u", "u"],                  # result and error of a request
    50001: ["s"],                       # picture file name
    50005: ["d"],                       # resource number
    # The terminal program.
    23001: ["s"],                       # a word that names no project file
    23002: ["u", "u", "u", "s"],        # received, queued, active, the rate
    23003: ["u"], 23004: ["s"],         # failed; the start time
    23005: ["f"], 23006: ["f"], 23007: ["f"],  # rates
    23010: ["s", "s"],                  # URL, why it is not stored
    23011: ["u"],                       # files not named
    23016: ["s", "s"],                  # path, the reason
    23017: ["s"],                       # the server's status line
    23018: ["d"],                       # error number
    23020: ["s"], 23021: ["s"], 23022: ["s"], 23023: ["s"], 23024: ["s"],
    23025: ["s", "s", "d"],             # project, the reason, error number
    23026: ["s", "d"],
    23027: ["s"],                       # the project continued
    23030: ["s"],                       # install-time switch
    23040: ["s"], 23041: ["s"], 23042: ["s"],   # a wrong option
    23043: ["s", "s", "d", "d"],        # option, value, lowest, highest
    23044: ["s", "s"], 23045: ["s"], 23046: ["s"],
    23047: ["s", "s"],                  # folder, the other job's project
    23050: ["s"],                       # a stray word after the job
    23051: ["u", "u", "s", "s"],        # progress: done, known, bytes, rate
    23052: ["s"],                       # the time left
    23053: ["f"], 23054: ["f"], 23055: ["f"], 23056: ["f"],  # amounts
    # The main window's commands.
    22191: ["s"],                       # the version
    22192: ["s"],                       # the output folder
    22194: ["s"],                       # the language library's path
    22195: ["s"], 22196: ["s"],         # a node's URL: fetch it now, cannot be fetched
    22402: ["u", "u"],                  # the batch list's line, the longest line
    22403: ["u"],                       # the most minutes of the dial-up limit
}

PROGRAM_TEXTS = (
    [22004, 22008, 22012, 22013, 22014, 22015, 22036, 22037, 22063, 22064,
     22068, 22069, 22071, 22072, 22073, 22076, 22077, 22078, 22079, 22081,
     22088, 22090, 22091, 22092, 22110, 22111, 22112, 22113, 22145, 22146, 22147, 22148,
     22150, 22151, 22152, 22153, 22154, 22163, 22164, 22165, 22166, 22167,
     22174, 22175, 22180, 22190, 22191, 22192, 22193, 22194, 22195, 22196, 24101, 24102, 25001, 25005, 25006, 26000, 26010,
     26011, 26012]
    + list(range(22017, 22030))                       # status bar
    + list(range(21000, 21030))                       # dial-up states
    + list(range(25010, 25022))                       # months
    + list(range(25025, 25032))                       # weekdays
    + list(range(22400, 22404))                       # the batch and dial-up dialogs' fields
    + list(range(24112, 24126)) + [24128]             # download status
    + list(range(50001, 50006))                       # framework reports
    + [23000, 23001, 23002, 23003, 23004, 23005, 23006, 23007]  # terminal program
    + list(range(23010, 23019)) + list(range(23020, 23027)) + [23030]
    + list(range(23040, 23057))                       # the terminal's options, the usage's rest, progress
)

SHELL_RESULTS = [0, 2, 3, 5, 8, 11, 26, 27, 28, 29, 30, 31, 32]
COMMON_DIALOG = (list(range(0x0001, 0x000D)) + list(range(0x1001, 0x100D))
                 + list(range(0x3001, 0x3004)))
# Every error code the Internet library defines between 12001 and 12175.
WININET = (list(range(12001, 12035)) + list(range(12036, 12051))
           + list(range(12052, 12058)) + [12110, 12111, 12112]
           + list(range(12130, 12139)) + list(range(12150, 12176)))
# Codes that must fall back to the system text or the generic format.
NO_TEXT = {0: "system text or \"No error\"",
           12029: "\"Internet Error #12029 (0x2efd)\""}
COMMON_ERRORS = {
    "system": [2, 3, 5, 8, 18, 32, 80, 87, 112, 183, 267, 1223],
    "network": [2102, 2250, 2310],
    "RAS": [600, 603, 621, 628, 629, 668, 676, 678, 680, 691],
    "socket": [10054, 10060, 10061, 10065, 11001],
}


class SourcesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.texts = {code: langgen.parse_source(str(source_path(code)), cp)
                     for code, (cp, _) in LANGUAGES.items()}

    def test_both_languages_have_the_same_numbers(self):
        enu, rus = set(self.texts["enu"]), set(self.texts["rus"])
        self.assertEqual(sorted(enu - rus), [], "only in enu.txt")
        self.assertEqual(sorted(rus - enu), [], "only in rus.txt")

    def test_directives_agree_between_languages(self):
        enu, rus = self.texts["enu"], self.texts["rus"]
        for n in sorted(set(enu) & set(rus)):
            with self.subTest(number=n):
                self.assertEqual(langgen.directives(rus[n]), langgen.directives(enu[n]),
                                 "%r / %r" % (enu[n], rus[n]))

    def test_every_number_the_program_needs_is_present(self):
        needed = {"program": PROGRAM_TEXTS,
                  "shell (code + 1)": [c + 1 for c in SHELL_RESULTS],
                  "common dialog (5000 + code)": [5000 + c for c in COMMON_DIALOG],
                  "Internet (code + 50)": [c + 50 for c in WININET if c not in NO_TEXT]}
        for kind, codes in COMMON_ERRORS.items():
            needed[kind + " (code + 50)"] = [c + 50 for c in codes]
        for code, texts in self.texts.items():
            for kind, numbers in needed.items():
                with self.subTest(language=code, kind=kind):
                    self.assertEqual([n for n in numbers if n not in texts], [])

    def test_fallback_codes_have_no_text(self):
        for code, texts in self.texts.items():
            for err, shown in NO_TEXT.items():
                with self.subTest(language=code, error=err):
                    self.assertNotIn(err + 50, texts, "must show " + shown)

    def test_enough_error_texts_per_category(self):
        def count(lo, hi):
            return sum(1 for n in self.texts["enu"] if lo <= n - 50 <= hi)
        self.assertGreaterEqual(count(1, 1999) - count(600, 752), 25)
        self.assertGreaterEqual(count(600, 752), 20)
        self.assertGreaterEqual(count(2100, 2999), 5)
        self.assertGreaterEqual(count(10004, 10071), 20)

    def test_printf_directives_are_what_the_program_passes(self):
        for code, texts in self.texts.items():
            for n, text in texts.items():
                with self.subTest(language=code, number=n):
                    self.assertEqual(langgen.directives(text), FORMATTED.get(n, []),
                                     repr(text))

    def test_language_names(self):
        self.assertEqual(self.texts["enu"][22113], "English")
        self.assertEqual(self.texts["rus"][22113], "Русский")

    def test_file_filter_has_description_pattern_pairs(self):
        for code, texts in self.texts.items():
            with self.subTest(language=code):
                parts = texts[25001].split("|")
                self.assertEqual(parts[-1], "", "ends with |")
                self.assertEqual(len(parts[:-1]) % 2, 0)
                self.assertEqual(parts[1], "*.zbp")
                self.assertEqual(parts[3], "*.*")

    def test_spinner_follows_a_blank(self):
        # The receiving text is followed directly by the spinner.
        for code, texts in self.texts.items():
            with self.subTest(language=code):
                self.assertTrue(texts[24119].endswith(" ") and texts[24119].strip())

    def test_shortcut_name_is_a_file_name(self):
        for code, texts in self.texts.items():
            with self.subTest(language=code):
                self.assertFalse(set(texts[26000]) & set('\\/:*?"<>|'))


def run_langgen(*args):
    return subprocess.run([sys.executable, str(LANGGEN)] + [str(a) for a in args],
                          capture_output=True, text=True)


def parse_lng(data):
    """An independent reader of the catalogue: (code page, {number: text})."""
    head, _, body = data.partition(b"\n")
    sig, version, cp = head.decode("ascii").split(" ")
    assert sig == "ZBLANG" and version == "1", head
    cp = int(cp)
    texts = {}
    last = -1
    for line in body.split(b"\n")[:-1]:
        number, text = line.split(b"\t", 1)
        n = int(number)
        assert n > last, "numbers ascend"
        last = n
        out, i, s = [], 0, text.decode("cp%d" % cp)
        while i < len(s):
            if s[i] == "\\":
                out.append({"\\": "\\", "n": "\n", "r": "\r", "t": "\t"}[s[i + 1]])
                i += 2
            else:
                out.append(s[i])
                i += 1
        texts[n] = "".join(out)
    assert body.endswith(b"\n")
    return cp, texts


def parse_res_strings(data):
    """String tables of a .res file: {number: (text, language id)}."""
    strings = {}
    pos = 0
    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, pos)
        p = pos + 8
        ids = []
        for _ in range(2):                     # type, then name
            if struct.unpack_from("<H", data, p)[0] == 0xFFFF:
                ids.append(struct.unpack_from("<H", data, p + 2)[0])
                p += 4
            else:
                end = p
                while struct.unpack_from("<H", data, end)[0]:
                    end += 2
                ids.append(data[p:end].decode("utf-16-le"))
                p = end + 2
        p = (p + 3) & ~3
        lang = struct.unpack_from("<IHH", data, p)[2]
        body = pos + header_size
        if ids[0] == 6:                        # RT_STRING: 16 counted strings
            q = body
            for i in range(16):
                length = struct.unpack_from("<H", data, q)[0]
                q += 2
                if length:
                    strings[(ids[1] - 1) * 16 + i] = (
                        data[q:q + 2 * length].decode("utf-16-le"), lang)
                q += 2 * length
        pos = (body + data_size + 3) & ~3
    return strings


WINDRES = shutil.which("x86_64-w64-mingw32-windres") or shutil.which("windres")

# Every escape, blanks at both ends, characters outside ASCII and "%%".
TRICKY = {
    1: 'back\\slash "quoted" end\\',
    2: "line\nfeed\r\nand\ttab\t1",
    3: "  blanks at both ends  ",
    4: "100%% sure, %s and %-5d",
    5: "\\012 stays text",
    6: "“Ünïcödé” – €…",
}
TRICKY_SOURCE = (
    "\ufeff# comment line\r\n"
    "\r\n"
    "1\tback\\\\slash \\\"quoted\\\" end\\\\\r\n"
    "2\tline\\nfeed\\r\\nand\\ttab\\t1\r\n"
    "# another comment\n"
    "3\t  blanks at both ends  \n"
    "4\t100%% sure, %s and %-5d\n"
    "5\t\\\\012 stays text\n"
    "6\t“Ünïcödé” – €…"
)


class GeneratorTest(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp(prefix="langgen-test-"))

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def write(self, name, content):
        path = self.tmp / name
        path.write_bytes(content.encode("utf-8") if isinstance(content, str) else content)
        return path

    def test_bad_sources_are_rejected_with_file_and_line(self):
        cases = [
            # (name, source, code page, line, message fragment)
            ("duplicate", "# c\n10\tone\n11\ttwo\n10\tthree\n", 1252, 4,
             "number 10 is already defined on line 2"),
            ("bad escape", "1\tok\n2\tsee \\q here\n", 1252, 2, "unknown escape \\q"),
            ("trailing backslash", "1\tends in \\\n", 1252, 1, "backslash at the end"),
            ("cyrillic in 1252", "1\tok\n2\tРусский\n", 1252, 2,
             "has no place in code page 1252"),
            ("u-umlaut in 1251", "1\tÜber\n", 1251, 1, "has no place in code page 1251"),
            ("too long", "1\t" + "x" * 1024 + "\n", 1252, 1, "at most 1023 fit"),
            ("long in code page", "1\t" + "я" * 1024 + "\n", 1251, 1, "1024 bytes long"),
            ("bare percent", "1\t100% done\n", 1252, 1, "malformed printf directive"),
            ("percent at end", "1\tall 100%\n", 1252, 1, "malformed printf directive"),
            ("%n", "1\tcount %n\n", 1252, 1, "malformed printf directive"),
            ("star width", "1\twidth %*d\n", 1252, 1, "malformed printf directive"),
            ("no tab", "1 text with a blank\n", 1252, 1, "expected NUMBER<TAB>TEXT"),
            ("not a number", "x1\ttext\n", 1252, 1, "is not a text number"),
            ("too big", "65536\ttext\n", 1252, 1, "above 65535"),
            ("empty", "1\t\n", 1252, 1, "text 1 is empty"),
            ("raw tab", "1\ta\tb\n", 1252, 1, "control character U+0009"),
            ("not utf-8", b"1\tok\n2\t\xe9t\xe9\n", 1252, 2, "not valid UTF-8"),
        ]
        for name, content, cp, line, fragment in cases:
            with self.subTest(name):
                src = self.write("bad.txt", content)
                out = self.tmp / "bad.lng"
                rc = self.tmp / "bad.rc"
                r = run_langgen(src, "--codepage", cp, "--langid", "0x0409",
                                "--lng", out, "--rc", rc)
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertIn("%s:%d: " % (src, line), r.stderr)
                self.assertIn(fragment, r.stderr)
                self.assertFalse(out.exists() or rc.exists(), "nothing is written")

    def test_every_problem_is_reported(self):
        src = self.write("two.txt", "1\ta\\q\n1\tb\n2\t\n")
        r = run_langgen(src, "--codepage", 1252, "--langid", "0x0409")
        self.assertEqual(r.returncode, 1)
        self.assertEqual(len(r.stderr.strip().split("\n")), 2, r.stderr)

    def test_arguments_are_checked(self):
        src = self.write("ok.txt", "1\tok\n")
        for args in (["--codepage", "1250", "--langid", "0x0409"],
                     ["--codepage", "1252", "--langid", "0x10000"],
                     ["--codepage", "1252", "--langid", "0x0400"],
                     ["--codepage", "1252", "--langid", "0x0409",
                      "--include", self.tmp / "missing.rc"]):
            with self.subTest(args=args):
                self.assertNotEqual(run_langgen(src, *args).returncode, 0)

    def test_catalogue_round_trip(self):
        src = self.write("tricky.txt", TRICKY_SOURCE)
        out = self.tmp / "tricky.lng"
        r = run_langgen(src, "--codepage", 1252, "--langid", "0x0409", "--lng", out)
        self.assertEqual(r.returncode, 0, r.stderr)
        data = out.read_bytes()
        self.assertTrue(data.startswith(b"ZBLANG 1 1252\n1\t"), data[:40])
        self.assertEqual(parse_lng(data), (1252, TRICKY))

    def test_real_sources_round_trip(self):
        for code, (cp, langid) in LANGUAGES.items():
            with self.subTest(language=code):
                out = self.tmp / ("zb%s.lng" % code)
                r = run_langgen(source_path(code), "--codepage", cp,
                                "--langid", hex(langid), "--lng", out)
                self.assertEqual(r.returncode, 0, r.stderr)
                expected = langgen.parse_source(str(source_path(code)), cp)
                self.assertEqual(parse_lng(out.read_bytes()), (cp, expected))

    def test_resource_script_layout(self):
        src = self.write("tricky.txt", TRICKY_SOURCE)
        menu = self.write("menu.rc", "// menus\n")
        rc = self.tmp / "out.rc"
        r = run_langgen(src, "--codepage", 1251, "--langid", "0x0419",
                        "--rc", rc, "--include", menu)
        # The Western characters of text 6 are not all in 1251.
        self.assertEqual(r.returncode, 1)
        src = self.write("tricky.txt", TRICKY_SOURCE.replace(TRICKY[6], "Ёлка №1 – «ёж»"))
        r = run_langgen(src, "--codepage", 1251, "--langid", "0x0419",
                        "--rc", rc, "--include", menu)
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = rc.read_bytes().decode("cp1251").split("\r\n")
        self.assertIn("#pragma code_page(1251)", lines)
        self.assertIn("LANGUAGE 0x19, 0x01", lines)
        self.assertIn('    1, "back\\\\slash ""quoted"" end\\\\"', lines)
        self.assertIn('    2, "line\\012feed\\015\\012and\\011tab\\0111"', lines)
        self.assertIn('    6, "Ёлка №1 – «ёж»"', lines)
        self.assertEqual(lines[-3:-1], ["// %s" % menu.resolve().as_posix(), "// menus"])

    def test_included_scripts_are_written_in_the_code_page(self):
        src = self.write("one.txt", "1\tok\n")
        menu = self.tmp / "menu.rc"
        menu.write_bytes('1 MENU\r\nBEGIN\r\n  MENUITEM "&Файл", 121\r\nEND\r\n'.encode("utf-8"))
        rc = self.tmp / "out.rc"
        r = run_langgen(src, "--codepage", 1251, "--langid", "0x0419", "--rc", rc, "--include", menu)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn('  MENUITEM "&\xd4\xe0\xe9\xeb", 121\r\n'.encode("latin-1"), rc.read_bytes())
        # Cyrillic has no place in the Western code page: said with its line.
        r = run_langgen(src, "--codepage", 1252, "--langid", "0x0409", "--rc", rc, "--include", menu)
        self.assertEqual(r.returncode, 1)
        self.assertIn("%s:3: " % menu, r.stderr)
        menu.write_bytes(b"\xff\xfe")
        r = run_langgen(src, "--codepage", 1251, "--langid", "0x0419", "--rc", rc, "--include", menu)
        self.assertIn("not valid UTF-8", r.stderr)

    @unittest.skipUnless(WINDRES, "windres is not installed")
    def test_windres_reads_the_texts_back(self):
        tricky = self.write("tricky.txt", TRICKY_SOURCE)
        sources = [("tricky", tricky, 1252, 0x0409, TRICKY)]
        for code, (cp, langid) in LANGUAGES.items():
            sources.append((code, source_path(code), cp, langid,
                            langgen.parse_source(str(source_path(code)), cp)))
        for name, src, cp, langid, expected in sources:
            with self.subTest(name):
                rc, res = self.tmp / (name + ".rc"), self.tmp / (name + ".res")
                r = run_langgen(src, "--codepage", cp, "--langid", hex(langid), "--rc", rc)
                self.assertEqual(r.returncode, 0, r.stderr)
                w = subprocess.run([WINDRES, "-O", "res", str(rc), str(res)],
                                   capture_output=True, text=True)
                self.assertEqual(w.returncode, 0, w.stderr)
                self.assertEqual(w.stderr, "", "windres warns about nothing")
                strings = parse_res_strings(res.read_bytes())
                self.assertEqual({n: t for n, (t, _) in strings.items()}, expected)
                self.assertEqual({lang for _, lang in strings.values()}, {langid})


if __name__ == "__main__":
    unittest.main()
