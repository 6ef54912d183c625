"""Helpers for the interoperability tests: each peer (olefile, gsf, 7z) and kestrin-cfb read a
compound file into one shape, a tree: a dict from a path (a tuple of element names, the root
left out) to a stream's bytes, or None for a storage, with every storage on the way in it."""

import os
import pathlib
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


def run(args, *, ok=(0,), cwd=None):
    """Runs a command and returns the CompletedProcess with bytes stdout/stderr."""
    proc = subprocess.run([str(a) for a in args], capture_output=True, env=ENV, cwd=cwd)
    if ok is not None and proc.returncode not in ok:
        raise AssertionError(f"{args!r} exited {proc.returncode}\nstderr: "
                             f"{proc.stderr.decode('utf-8', 'replace')[-2000:]}")
    return proc


# ---- names and trees -------------------------------------------------------------------------

def escape_name(name):
    """A name as kestrin-cfb prints it and as pack reads it from a file name."""
    return "".join(f"\\x{ord(c):02X}" if ord(c) < 0x20 or c == "\\" else c for c in name)


def unescape_name(text):
    return re.sub(r"\\x([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), text)


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
        self[self.storage(path)] = bytes(data)


def apply_edit(tree, edit):
    path, offset, data = edit
    out = Tree(tree)
    grown = out[path] + bytes(max(0, offset + len(data) - len(out[path])))  # zeros fill a gap
    out[path] = grown[:offset] + data + grown[offset + len(data):]
    return out


def listing(tree):
    """Path -> size for streams, None for storages."""
    return {p: (None if d is None else len(d)) for p, d in tree.items()}


def write_dir_tree(root, tree):
    """Lays a tree out as folders and files; names go through the escape that pack undoes."""
    os.makedirs(root, exist_ok=True)
    for path, data in sorted(tree.items(), key=lambda kv: len(kv[0])):
        full = os.path.join(root, *(escape_name(n) for n in path))
        os.makedirs(full, exist_ok=True) if data is None else pathlib.Path(full).write_bytes(data)


def read_dir_tree(root, conv=unescape_name):
    tree = Tree()
    for dirpath, dirnames, filenames in os.walk(root):
        rel = os.path.relpath(dirpath, root)
        base = () if rel == "." else tuple(rel.split(os.sep))
        for d in dirnames:
            tree[tuple(conv(n) for n in base + (d,))] = None
        for f in filenames:
            tree[tuple(conv(n) for n in base + (f,))] = pathlib.Path(dirpath, f).read_bytes()
    return tree


def random_bytes(seed, size):
    return random.Random(seed).randbytes(size)


# ---- kestrin-cfb -----------------------------------------------------------------------------

def kestrin_list(file):
    """Path -> size for streams, None for storages, as kestrin-cfb lists them (escapes undone)."""
    rows = [line.split("\t", 2) for line in
            run([TOOL, "list", file]).stdout.decode("utf-8").split("\n") if line]
    return {tuple(unescape_name(n) for n in t.split("/")): None if k == "storage" else int(s)
            for k, s, t in rows}


def kestrin_cat(file, path):
    return run([TOOL, "cat", file, "/".join(escape_name(n) for n in path)]).stdout


def kestrin_check(file):
    """(exit code, output) of kestrin-cfb check."""
    proc = run([TOOL, "check", file], ok=None)
    return proc.returncode, (proc.stdout + proc.stderr).decode("utf-8", "replace")


def kestrin_pack(tree, src, file, v4=False):
    write_dir_tree(src, tree)
    run([TOOL, "pack", src, file] + (["--v4"] if v4 else []))


def kestrin_poke(file, path, offset, data):
    """Odd offsets go in hex, even ones in decimal, so that both forms are read."""
    run([TOOL, "poke", file, "/".join(escape_name(n) for n in path),
         hex(offset) if offset % 2 else offset, data.hex()])


# ---- peers -----------------------------------------------------------------------------------

# A writer that commits transactions may count them in the header's transaction signature;
# olefile expects zero but marks a non-zero one only as a potential defect.
BENIGN_OLEFILE_ISSUES = ("incorrect OLE header (transaction_signature_number>0)",)


def olefile_read(file):
    """(tree, olefile's lesser complaints but the benign ones, the closed OleFileIO) of a file,
    opened strictly: anything olefile deems incorrect raises instead of being worked round."""
    ole = olefile.OleFileIO(file, raise_defects=olefile.DEFECT_INCORRECT)
    tree = Tree()
    for entry in ole.listdir(streams=True, storages=True):
        kind = ole.get_type(entry)
        assert kind in (olefile.STGTY_STORAGE, olefile.STGTY_STREAM), (entry, kind)
        data = None if kind == olefile.STGTY_STORAGE else ole.openstream(entry).read()
        assert data is None or len(data) == ole.get_size(entry), show(entry)
        tree[tuple(entry)] = data
    ole.close()
    issues = [(k.__name__, t) for k, t in ole.parsing_issues if t not in BENIGN_OLEFILE_ISSUES]
    return tree, issues, ole


# gsf list prints kind, modification time (blank when absent), size and path, padded to columns.
_GSF_LINE = re.compile(r"([df]) +(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)? +(\d+) (.*)")


def gsf_view(tree):
    """What gsf can see of a tree. gsf calls an element a folder only when it has children, so
    an empty storage shows up as an empty file (and its cat yields nothing)."""
    kids = {p[:-1] for p in tree}
    return {p: (b"" if d is None and p not in kids else d) for p, d in tree.items()}


def gsf_tree(file, batch=100):
    """Every stream through gsf cat, several per run; the output is cut by gsf's own sizes."""
    sizes = {}
    # Not splitlines(): names may hold \x1c-\x1e. The first line names the archive.
    for line in run(["gsf", "list", file]).stdout.decode("utf-8").split("\n")[1:]:
        m = line and _GSF_LINE.fullmatch(line)
        assert m or not line, f"gsf list: unexpected line {line!r}"
        if m and m.group(4) != "*root*":
            sizes[tuple(m.group(4).split("/"))] = None if m.group(1) == "d" else int(m.group(3))
    tree = Tree({p: None for p, s in sizes.items() if s is None})
    streams = sorted(p for p, s in sizes.items() if s is not None)
    for i in range(0, len(streams), batch):
        part = streams[i:i + batch]
        out = run(["gsf", "cat", file] + ["/".join(p) for p in part]).stdout
        assert len(out) == sum(sizes[p] for p in part), "gsf cat and gsf list disagree"
        for p in part:
            tree[p], out = out[:sizes[p]], out[sizes[p]:]
    return tree


def sevenzip_view(tree):
    """7z shows a name's characters below 0x20 as their decimal number in brackets
    (\\x05SummaryInformation is [5]SummaryInformation)."""
    name = lambda n: "".join(f"[{ord(c)}]" if ord(c) < 0x20 else c for c in n)
    return {tuple(name(n) for n in p): d for p, d in tree.items()}


# ---- assertions ------------------------------------------------------------------------------

class TreeAssertions(unittest.TestCase):
    def assertSameTree(self, expected, actual, who):
        """Path by path: what is missing, unexpected, or differs (in kind, size or bytes)."""
        diffs = [show(p) for p in sorted(set(expected) | set(actual))
                 if p not in expected or p not in actual or expected[p] != actual[p]]
        self.assertFalse(diffs, f"{who}: paths missing, unexpected or different: {diffs[:25]}")

    def assertEditsRead(self, tree, edits, v4=False):
        """Packs the tree, then pokes one edit (path, offset, bytes) at a time. Before and after
        each, kestrin-cfb checks the file clean and lists it, and kestrin-cfb and every peer
        read exactly the edited tree. Returns the last olefile."""
        work = tempfile.mkdtemp(dir=temp_dir(type(self)))
        file = os.path.join(work, "edited.cfb")
        kestrin_pack(tree, os.path.join(work, "src"), file, v4)
        for edit in [None] + edits:
            if edit:
                kestrin_poke(file, *edit)
                tree = apply_edit(tree, edit)
            with self.subTest(edit=edit and show(edit[0])):
                self.assertEqual(kestrin_check(file), (0, ""))
                self.assertSameTree(listing(tree), kestrin_list(file), "list")
                for path in {e[0] for e in edits}:
                    self.assertTrue(kestrin_cat(file, path) == tree[path], show(path))
                ole = self.assertPeersRead(file, tree)
        self.assertEqual((ole.dll_version, ole.sector_size), (4, 4096) if v4 else (3, 512))
        return ole

    def assertPeersRead(self, file, expected):
        """olefile (strictly, noting nothing), gsf and 7z all read exactly `expected`; returns
        the closed OleFileIO for header checks."""
        tree, issues, ole = olefile_read(file)
        self.assertEqual(issues, [], "olefile noted defects")
        seven = run(["7z", "t", "-tcompound", file], ok=None)  # its own test passes clean
        out = (seven.stdout + seven.stderr).decode("utf-8", "replace")
        self.assertTrue(seven.returncode == 0 and "Everything is Ok" in out and
                        "WARNING" not in out.upper(), out[-1500:])
        out = tempfile.mkdtemp(dir=temp_dir(type(self)))
        run(["7z", "x", "-tcompound", "-y", "-bd", f"-o{out}", file])
        for who, want, got in (("olefile", expected, tree),
                               ("gsf", gsf_view(expected), gsf_tree(file)),
                               ("7z", sevenzip_view(expected), read_dir_tree(out, str))):
            self.assertSameTree(want, got, who)
        return ole


def temp_dir(case_class):
    """A temporary folder, one per test class, removed when the class's tests are done."""
    if "_tmp" not in case_class.__dict__:
        case_class._tmp = tempfile.TemporaryDirectory(prefix="kestrin-interop-")
        case_class.addClassCleanup(case_class._tmp.cleanup)
    return case_class._tmp.name


def main():
    """python3 SCRIPT KESTRIN_CFB [unittest arguments, e.g. class names]"""
    global TOOL
    TOOL = os.path.abspath(sys.argv[1])
    unittest.main(module="__main__", argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
