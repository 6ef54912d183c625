"""Shared helpers for the interoperability tests: running commands, building source trees, and
reading a compound file through each peer (olefile, gsf, 7z) and through kestrin-cfb into one
common shape, so that the tests compare like with like.

A tree is a dict from a path (a tuple of element names, the root left out) to the stream's
bytes, or to None for a storage. Every storage on the way to an element is in the dict too.
"""

import os
import random
import re
import subprocess
import sys
import tempfile
import unittest

import olefile

# Every peer prints and parses names through the locale; under C/POSIX gsf and 7z turn
# anything outside ASCII into '?'.
ENV = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")

TOOL = None  # path of kestrin-cfb, set by main()


class CommandFailed(AssertionError):
    """A command exited with an unexpected status; shows up as a test failure."""


def run(args, *, ok=(0,), cwd=None):
    """Runs a command and returns the CompletedProcess with bytes stdout/stderr."""
    proc = subprocess.run([str(a) for a in args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=ENV, cwd=cwd)
    if ok is not None and proc.returncode not in ok:
        err = proc.stderr.decode("utf-8", "replace")[-2000:]
        out = proc.stdout.decode("utf-8", "replace")[-1000:]
        raise CommandFailed(f"{args!r} exited {proc.returncode}\nstderr: {err}\nstdout: {out}")
    return proc


# ---- names and trees -------------------------------------------------------------------------

def utf16_units(name):
    return len(name.encode("utf-16-le")) // 2


def escape_name(name):
    """A name as kestrin-cfb prints it and as pack reads it from a file name."""
    return "".join(f"\\x{ord(c):02X}" if ord(c) < 0x20 or c == "\\" else c for c in name)


_ESCAPE = re.compile(r"\\x([0-9A-Fa-f]{2})")


def unescape_name(text):
    return _ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


def show(path):
    """A path for messages: printable whatever the names hold."""
    return "/".join(escape_name(n) for n in path) or "<root>"


class Tree(dict):
    def storage(self, path):
        parts = tuple(path.split("/")) if isinstance(path, str) else tuple(path)
        for i in range(1, len(parts) + 1):
            self.setdefault(parts[:i], None)
        return parts

    def stream(self, path, data):
        parts = tuple(path.split("/")) if isinstance(path, str) else tuple(path)
        if len(parts) > 1:
            self.storage(parts[:-1])
        self[parts] = bytes(data)
        return parts


def listing(tree):
    """Path -> size for streams, None for storages."""
    return {p: (None if d is None else len(d)) for p, d in tree.items()}


def directory_key(name):
    """The order in which a storage keeps its children: shorter names first, then by
    upper-cased UTF-16 units. Peers that search by name rely on this order."""
    raw = name.encode("utf-16-le")
    units = []
    for i in range(0, len(raw), 2):
        u = raw[i] | (raw[i + 1] << 8)
        if not 0xD800 <= u < 0xE000:
            up = chr(u).upper()
            if len(up) == 1 and ord(up) < 0x10000:
                u = ord(up)
        units.append(u)
    return (len(units), units)


def preorder(tree):
    """Paths of a tree depth first, each storage before its children, children in directory
    order."""
    kids = {}
    for p in tree:
        kids.setdefault(p[:-1], []).append(p)
    out = []

    def walk(parent):
        for p in sorted(kids.get(parent, []), key=lambda q: directory_key(q[-1])):
            out.append(p)
            walk(p)

    walk(())
    return out


def write_dir_tree(root, tree):
    """Lays a tree out as folders and files; names go through the escape that pack undoes."""
    os.makedirs(root, exist_ok=True)
    for path, data in sorted(tree.items(), key=lambda kv: len(kv[0])):
        full = os.path.join(root, *(escape_name(n) for n in path))
        if data is None:
            os.makedirs(full, exist_ok=True)
        else:
            with open(full, "wb") as f:
                f.write(data)


def read_dir_tree(root, unescape=True):
    tree = Tree()
    for dirpath, dirnames, filenames in os.walk(root):
        rel = os.path.relpath(dirpath, root)
        base = () if rel == "." else tuple(rel.split(os.sep))
        conv = unescape_name if unescape else (lambda s: s)
        for d in dirnames:
            tree[tuple(conv(n) for n in base + (d,))] = None
        for f in filenames:
            with open(os.path.join(dirpath, f), "rb") as fh:
                tree[tuple(conv(n) for n in base + (f,))] = fh.read()
    return tree


def random_bytes(seed, size):
    return random.Random(seed).randbytes(size)


# ---- kestrin-cfb -----------------------------------------------------------------------------

class Kestrin:
    def __init__(self, exe=None):
        self.exe = exe or TOOL

    def list_lines(self, file):
        """[(kind, size, path)] in the order printed; names strictly UTF-8, escapes undone."""
        out = run([self.exe, "list", file]).stdout.decode("utf-8")
        rows = []
        for line in out.split("\n"):
            if not line:
                continue
            kind, size, text = line.split("\t", 2)
            rows.append((kind, int(size), tuple(unescape_name(n) for n in text.split("/"))))
        return rows

    def listing(self, file):
        return {p: (None if kind == "storage" else size) for kind, size, p in self.list_lines(file)}

    def cat(self, file, path):
        return run([self.exe, "cat", file, "/".join(escape_name(n) for n in path)]).stdout

    def pack(self, src, file, v4=False):
        run([self.exe, "pack", src, file] + (["--v4"] if v4 else []))

    def unpack(self, file, dest):
        run([self.exe, "unpack", file, dest])

    def check(self, file):
        proc = run([self.exe, "check", file], ok=None)
        return proc.returncode, proc.stdout.decode("utf-8", "replace") + \
            proc.stderr.decode("utf-8", "replace")

    def poke(self, file, path, offset, data):
        run([self.exe, "poke", file, "/".join(escape_name(n) for n in path), str(offset),
             data.hex().upper()])


# ---- olefile ---------------------------------------------------------------------------------

def olefile_open(file):
    """Opens strictly: anything olefile deems incorrect raises instead of being worked round."""
    return olefile.OleFileIO(file, raise_defects=olefile.DEFECT_INCORRECT)


def olefile_tree(ole):
    tree = Tree()
    for entry in ole.listdir(streams=True, storages=True):
        kind = ole.get_type(entry)
        if kind == olefile.STGTY_STORAGE:
            tree[tuple(entry)] = None
        elif kind == olefile.STGTY_STREAM:
            data = ole.openstream(entry).read()
            size = ole.get_size(entry)
            if size != len(data):
                raise AssertionError(f"olefile: {show(entry)} size {size}, read {len(data)}")
            tree[tuple(entry)] = data
        else:
            raise AssertionError(f"olefile: {show(entry)} has type {kind}")
    return tree


# Lesser complaints olefile notes about files that are sound. A writer that commits
# transactions may count them in the header's transaction signature; olefile expects zero
# but marks a non-zero one only as a potential defect.
BENIGN_OLEFILE_ISSUES = ("incorrect OLE header (transaction_signature_number>0)",)


def olefile_read(file):
    """(tree, olefile's lesser complaints but the benign ones) of a file."""
    ole = olefile_open(file)
    try:
        issues = [(kind.__name__, text) for kind, text in ole.parsing_issues
                  if text not in BENIGN_OLEFILE_ISSUES]
        return olefile_tree(ole), issues
    finally:
        ole.close()


# ---- gsf -------------------------------------------------------------------------------------

# gsf list prints kind, modification time (blank when absent), size and path, padded to columns.
_GSF_LINE = re.compile(r"([df]) +(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)? +(\d+) (.*)")


def gsf_view(tree):
    """What gsf can see of a tree. gsf calls an element a folder only when it has children, so
    an empty storage shows up as an empty file (and its cat yields nothing)."""
    kids = {p[:-1] for p in tree}
    return {p: (b"" if d is None and p not in kids else d) for p, d in tree.items()}


def gsf_listing(file):
    out = run(["gsf", "list", file]).stdout.decode("utf-8")
    lines = out.split("\n")  # not splitlines(): names may hold \x1c-\x1e
    result = {}
    for line in lines[1:]:  # the first line names the archive
        if not line:
            continue
        m = _GSF_LINE.fullmatch(line)
        if not m:
            raise AssertionError(f"gsf list: unexpected line {line!r}")
        kind, _, size, name = m.groups()
        if name == "*root*":
            continue
        result[tuple(name.split("/"))] = None if kind == "d" else int(size)
    return result


def gsf_tree(file, batch=100):
    """Every stream through gsf cat, several per run; the output is cut by gsf's own sizes."""
    lst = gsf_listing(file)
    tree = Tree({p: None for p, s in lst.items() if s is None})
    streams = sorted(p for p, s in lst.items() if s is not None)
    for i in range(0, len(streams), batch):
        part = streams[i:i + batch]
        out = run(["gsf", "cat", file] + ["/".join(p) for p in part]).stdout
        if len(out) != sum(lst[p] for p in part):
            raise AssertionError(f"gsf cat gave {len(out)} bytes for {len(part)} streams of "
                                 f"{sum(lst[p] for p in part)} listed bytes")
        pos = 0
        for p in part:
            tree[p] = out[pos:pos + lst[p]]
            pos += lst[p]
    return tree


# ---- 7z --------------------------------------------------------------------------------------

def sevenzip_name(name):
    """7z shows a name's characters below 0x20 as their decimal number in brackets
    (\\x05SummaryInformation is [5]SummaryInformation)."""
    return "".join(f"[{ord(c)}]" if ord(c) < 0x20 else c for c in name)


def sevenzip_view(tree):
    return {tuple(sevenzip_name(n) for n in p): d for p, d in tree.items()}


def sevenzip_extract_all(file, dest):
    run(["7z", "x", "-tcompound", "-y", "-bd", f"-o{dest}", file])
    return read_dir_tree(dest, unescape=False)


def sevenzip_test(file):
    """7z's own test of a file: None when it passes clean, else its complaints."""
    proc = run(["7z", "t", "-tcompound", file], ok=None)
    out = proc.stdout.decode("utf-8", "replace") + proc.stderr.decode("utf-8", "replace")
    clean = proc.returncode == 0 and "Everything is Ok" in out and "WARNING" not in out.upper()
    return None if clean else out[-1500:]


# ---- assertions ------------------------------------------------------------------------------

def describe(value):
    return "a storage" if value is None else f"{value} bytes" if isinstance(value, int) else \
        f"{len(value)} bytes {value[:8].hex()}..."


class TreeAssertions(unittest.TestCase):
    def assertSameTree(self, expected, actual, who):
        """Path by path: what is missing, unexpected, or differs (in kind, size or bytes)."""
        diffs = [f"{show(p)}: {describe(actual[p]) if p in actual else 'missing'}, expected "
                 f"{describe(expected[p]) if p in expected else 'nothing'}"
                 for p in sorted(set(expected) | set(actual))
                 if p not in expected or p not in actual or expected[p] != actual[p]]
        if diffs:
            self.fail(f"{who}: {len(diffs)} difference(s):\n  " + "\n  ".join(diffs[:25]))


def temp_dir(case_class):
    """A temporary folder removed when the class's tests are done."""
    tmp = tempfile.TemporaryDirectory(prefix="kestrin-interop-")
    case_class.addClassCleanup(tmp.cleanup)
    return tmp.name


def main():
    """python3 SCRIPT KESTRIN_CFB [unittest arguments, e.g. class names]"""
    global TOOL
    if len(sys.argv) < 2:
        sys.exit(f"usage: {sys.argv[0]} PATH-TO-kestrin-cfb [TestClass ...]")
    TOOL = os.path.abspath(sys.argv[1])
    unittest.main(module="__main__", argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
