#!/usr/bin/env python3
"""Builds a language library of the main program from its text source.

    langgen.py SOURCE --codepage 1251|1252 --langid 0x0419
               [--rc OUT.rc] [--lng OUT.lng] [--include EXTRA.rc ...]

SOURCE is UTF-8, one text a line: NUMBER<TAB>TEXT. Lines starting with "#"
are comments, blank lines are ignored. In TEXT, \\\\, \\n, \\r, \\t and \\"
stand for a backslash, line feed, carriage return, tab and double quote.

--rc writes a resource script for windres (Windows): the texts in the code
page, a LANGUAGE statement and one STRINGTABLE, then the text of every
--include file (menus, accelerators and dialogs). Those are UTF-8 like the
text source and are written out in the code page, so that windres, which
reads the bytes in the code page of the script, sees the letters meant.
--lng writes the text catalogue that the POSIX build reads instead of the
library: "ZBLANG 1 <codepage>\\n", then "NUMBER\\tTEXT\\n" sorted by number,
TEXT in the code page with the escapes \\\\, \\n, \\r and \\t.

Every problem is reported as "file:line: message"; nothing is written then.
"""

import argparse
import os
import re
import sys
import tempfile

CODE_PAGES = (1251, 1252)
LNG_SIGNATURE = "ZBLANG"
LNG_VERSION = 1
# The program reads texts into a buffer of 1024 bytes.
MAX_TEXT_BYTES = 1023
# String resource ids are 16-bit.
MAX_NUMBER = 0xFFFF

SOURCE_ESCAPES = {"\\": "\\", "n": "\n", "r": "\r", "t": "\t", '"': '"'}
LNG_ESCAPES = {"\\": "\\\\", "\n": "\\n", "\r": "\\r", "\t": "\\t"}

# One printf directive as the C runtimes of both targets understand it:
# flags, width, precision, length, conversion. "*" and "%n" are refused:
# a text must not decide how many arguments are read, nor write memory. The
# blank flag is refused too: "100% done" would otherwise read as "% d".
DIRECTIVE = re.compile(
    r"%(?P<flags>[-+#0]*)(?P<width>[1-9][0-9]*)?(?:\.(?P<prec>[0-9]+))?"
    r"(?P<length>hh|h|ll|l|I64)?(?P<conv>[diouxXcspeEfgG])")


class SourceError(Exception):
    """Problems found in a source, each already "file:line: message"."""

    def __init__(self, problems):
        super().__init__("\n".join(problems))
        self.problems = problems


def directives(text):
    """The printf directives of text as (length + conversion) signatures,
    in order; "%%" is not one. Raises ValueError for a malformed one."""
    found = []
    i = 0
    while True:
        i = text.find("%", i)
        if i < 0:
            return found
        if text.startswith("%%", i):
            i += 2
            continue
        m = DIRECTIVE.match(text, i)
        if not m:
            bad = text[i:i + 6]
            raise ValueError("malformed printf directive at %r (write %%%% "
                             "for a percent sign)" % bad)
        found.append((m.group("length") or "") + m.group("conv"))
        i = m.end()


def unescape(raw):
    """Source escapes to characters; ValueError for an unknown escape."""
    out = []
    i = 0
    while i < len(raw):
        c = raw[i]
        if c == "\\":
            if i + 1 >= len(raw):
                raise ValueError("backslash at the end of the text "
                                 "(write \\\\ for a backslash)")
            e = raw[i + 1]
            if e not in SOURCE_ESCAPES:
                raise ValueError("unknown escape \\%s (use \\\\, \\n, \\r, "
                                 "\\t or \\\")" % e)
            out.append(SOURCE_ESCAPES[e])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_utf8(path):
    """A source file's text: UTF-8, a leading byte-order mark dropped.
    Raises SourceError when it cannot be read or is not UTF-8."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise SourceError(["%s: cannot read: %s" % (path, e.strerror)])
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError as e:
        line = data[:e.start].count(b"\n") + 1
        raise SourceError(["%s:%d: not valid UTF-8" % (path, line)])


def parse_source(path, codepage):
    """Reads and checks a source; returns {number: text}. Raises
    SourceError with every problem found."""
    encoding = "cp%d" % codepage
    problems = []
    texts = {}
    lines_of = {}
    content = read_utf8(path)

    for lineno, line in enumerate(content.split("\n"), 1):
        where = "%s:%d" % (path, lineno)
        if line.endswith("\r"):
            line = line[:-1]
        if not line.strip() or line.startswith("#"):
            continue
        number, tab, raw = line.partition("\t")
        if not tab:
            problems.append("%s: expected NUMBER<TAB>TEXT" % where)
            continue
        if not re.fullmatch(r"[0-9]+", number):
            problems.append("%s: %r is not a text number" % (where, number))
            continue
        n = int(number)
        if n > MAX_NUMBER:
            problems.append("%s: number %d is above %d" % (where, n, MAX_NUMBER))
            continue
        if n in texts:
            problems.append("%s: number %d is already defined on line %d"
                            % (where, n, lines_of[n]))
            continue
        bad = [c for c in raw if ord(c) < 0x20 or ord(c) == 0x7F]
        if bad:
            problems.append("%s: text %d holds control character U+%04X "
                            "(write \\t, \\n or \\r)" % (where, n, ord(bad[0])))
            continue
        try:
            text = unescape(raw)
        except ValueError as e:
            problems.append("%s: text %d: %s" % (where, n, e))
            continue
        if not text:
            # An empty text reads as a missing one in the program.
            problems.append("%s: text %d is empty" % (where, n))
            continue
        try:
            encoded = text.encode(encoding)
        except UnicodeEncodeError as e:
            problems.append("%s: text %d: %r (U+%04X) has no place in code "
                            "page %d" % (where, n, text[e.start],
                                         ord(text[e.start]), codepage))
            continue
        if len(encoded) > MAX_TEXT_BYTES:
            problems.append("%s: text %d is %d bytes long, at most %d fit"
                            % (where, n, len(encoded), MAX_TEXT_BYTES))
            continue
        try:
            directives(text)
        except ValueError as e:
            problems.append("%s: text %d: %s" % (where, n, e))
            continue
        texts[n] = text
        lines_of[n] = lineno
    if problems:
        raise SourceError(problems)
    return texts


def rc_literal(text):
    """text as the contents of a windres string literal (without the outer
    quotes), still as Unicode. windres reads "" as a quote, \\\\ as a
    backslash and \\ooo (three octal digits at most) as that byte."""
    out = []
    for c in text:
        if c == '"':
            out.append('""')
        elif c == "\\":
            out.append("\\\\")
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append("\\%03o" % ord(c))
        else:
            out.append(c)
    return "".join(out)


def rc_script(texts, codepage, langid, includes):
    primary = langid & 0x3FF
    sub = langid >> 10
    lines = [
        "// Generated by tools/langgen.py; edit the text source instead.",
        "#pragma code_page(%d)" % codepage,
        "LANGUAGE 0x%02X, 0x%02X" % (primary, sub),
        "",
        "STRINGTABLE",
        "BEGIN",
    ]
    for n in sorted(texts):
        lines.append('    %d, "%s"' % (n, rc_literal(texts[n])))
    lines.append("END")
    lines.append("")
    for path, text in includes:
        lines.append("// %s" % os.path.abspath(path).replace("\\", "/"))
        lines.extend(text.split("\n"))
    return ("\r\n".join(lines) + "\r\n").encode("cp%d" % codepage)


def read_include(path, codepage):
    """An included resource script as text, checked to be UTF-8 and to
    hold only characters of the code page. Raises SourceError."""
    text = read_utf8(path).replace("\r\n", "\n")
    problems = []
    for lineno, line in enumerate(text.split("\n"), 1):
        try:
            line.encode("cp%d" % codepage)
        except UnicodeEncodeError as e:
            problems.append("%s:%d: %r (U+%04X) has no place in code page %d"
                            % (path, lineno, line[e.start], ord(line[e.start]), codepage))
    if problems:
        raise SourceError(problems)
    return text.rstrip("\n")


def lng_catalogue(texts, codepage):
    out = ["%s %d %d\n" % (LNG_SIGNATURE, LNG_VERSION, codepage)]
    for n in sorted(texts):
        escaped = "".join(LNG_ESCAPES.get(c, c) for c in texts[n])
        out.append("%d\t%s\n" % (n, escaped))
    return "".join(out).encode("cp%d" % codepage)


def write_file(path, data):
    """Replaces path at once so that a build never sees half a file."""
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    fd, tmp = tempfile.mkstemp(dir=folder, prefix=".langgen-")
    try:
        # mkstemp makes the file private; give it the usual mode.
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(tmp, 0o666 & ~umask)
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.replace(tmp, path)
    except BaseException:
        try:
            os.unlink(tmp)
        except OSError:
            pass
        raise


def langid_arg(value):
    try:
        n = int(value, 0)
    except ValueError:
        raise argparse.ArgumentTypeError("%r is not a number" % value)
    if not 0 < n <= 0xFFFF or (n & 0x3FF) == 0:
        raise argparse.ArgumentTypeError("%r is not a language id" % value)
    return n


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("source")
    p.add_argument("--codepage", type=int, choices=CODE_PAGES, required=True)
    p.add_argument("--langid", type=langid_arg, required=True)
    p.add_argument("--rc", help="resource script to write")
    p.add_argument("--lng", help="text catalogue to write")
    p.add_argument("--include", action="append", default=[],
                   help="resource script to include in the --rc output")
    args = p.parse_args(argv)

    try:
        texts = parse_source(args.source, args.codepage)
    except SourceError as e:
        for problem in e.problems:
            print(problem, file=sys.stderr)
        return 1
    includes = []
    for inc in args.include:
        if not os.path.isfile(inc):
            print("%s: no such resource script" % inc, file=sys.stderr)
            return 1
        try:
            includes.append((inc, read_include(inc, args.codepage)))
        except SourceError as e:
            for problem in e.problems:
                print(problem, file=sys.stderr)
            return 1
    try:
        if args.rc:
            write_file(args.rc, rc_script(texts, args.codepage, args.langid,
                                          includes))
        if args.lng:
            write_file(args.lng, lng_catalogue(texts, args.codepage))
    except OSError as e:
        print("%s: cannot write: %s" % (e.filename, e.strerror), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
