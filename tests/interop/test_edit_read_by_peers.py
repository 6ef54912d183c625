"""Edits through a transacted open and Commit (kestrin-cfb poke), read back by olefile, gsf and
7z: each edit changes exactly the bytes it wrote, and nothing else in the file.

usage: /usr/bin/python3 test_edit_read_by_peers.py PATH-TO-kestrin-cfb
       [EditV3|EditV4|EditWithDifat]
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import os
import shutil

import peers

REGULAR = ("S", "T", "regular")
MINI = ("mini",)
GROWN = ("S", "grows")

# (stream, offset, bytes). The last one writes past the end of a 1000-byte mini stream so that
# it grows to 4505 bytes, over the 4096 cutoff, and must move to regular sectors.
EDITS = [
    (REGULAR, 5000, bytes.fromhex("DEADBEEF")),
    (MINI, 37, b"\xA5"),
    (GROWN, 4500, bytes.fromhex("0102030405")),
]
GROWN_SIZE = 1000


def source_tree():
    t = peers.Tree()
    t.stream(REGULAR, peers.random_bytes(40, 10000))
    t.stream(MINI, peers.random_bytes(41, 100))
    t.stream(GROWN, peers.random_bytes(42, GROWN_SIZE))
    # Neighbours share mini sectors, FAT sectors and directory sectors with the edited
    # streams; they must come through untouched.
    t.stream("before_mini", peers.random_bytes(43, 64))
    t.stream("after_mini", peers.random_bytes(44, 200))
    t.stream("empty", b"")
    t.stream("other_big", peers.random_bytes(45, 20000))
    t.stream("S/neighbour", peers.random_bytes(46, 4096))
    t.stream("S/T/small", peers.random_bytes(47, 10))
    t.stream("S/T/日本語", "日本語".encode())
    t.stream(("S", "\x05SummaryInformation"), peers.random_bytes(48, 300))
    for i in range(60):
        t.stream(f"filler/f{i:02d}", peers.random_bytes(200 + i, 30 * i))
    return t


def apply_edit(tree, edit):
    path, offset, data = edit
    out = peers.Tree(tree)
    old = out[path]
    grown = old + bytes(max(0, offset + len(data) - len(old)))
    out[path] = grown[:offset] + data + grown[offset + len(data):]
    return out


class EditMixin:
    """Packs, then pokes one edit at a time, keeping a copy of the file after each."""

    v4 = False

    @classmethod
    def setUpClass(cls):
        tmp = peers.temp_dir(cls)
        cls.tmp = tmp
        cls.source = source_tree()
        src = os.path.join(tmp, "src")
        peers.write_dir_tree(src, cls.source)
        work = os.path.join(tmp, "edited.cfb")
        tool = peers.Kestrin()
        tool.pack(src, work, v4=cls.v4)
        cls.steps = [os.path.join(tmp, "step0.cfb")]
        shutil.copyfile(work, cls.steps[0])
        for i, (path, offset, data) in enumerate(EDITS, 1):
            tool.poke(work, path, offset, data)
            cls.steps.append(os.path.join(tmp, f"step{i}.cfb"))
            shutil.copyfile(work, cls.steps[-1])
        cls.file = work
        cls.expected = cls.source
        for edit in EDITS:
            cls.expected = apply_edit(cls.expected, edit)

    def test_each_poke_changes_only_its_bytes_and_passes_check(self):
        before, issues = peers.olefile_read(self.steps[0])
        self.assertSameTree(self.source, before, "olefile before editing")
        for i, step in enumerate(self.steps):
            with self.subTest(step=i):
                rc, out = peers.Kestrin().check(step)
                self.assertEqual(rc, 0, out)
                after, issues = peers.olefile_read(step)
                self.assertEqual(issues, [], "olefile noted defects")
                if i:
                    self.assertSameTree(apply_edit(before, EDITS[i - 1]), after, f"poke {i}")
                before = after

    def test_grown_stream_is_zero_filled_and_the_version_kept(self):
        ole = peers.olefile_open(self.file)
        ole.close()
        self.assertEqual((ole.dll_version, ole.sector_size), (4, 4096) if self.v4 else (3, 512))
        tree, _ = peers.olefile_read(self.file)
        data = tree[GROWN]
        _, offset, poked = EDITS[2]
        self.assertEqual(len(data), offset + len(poked))
        self.assertGreater(len(data), 4096)
        self.assertTrue(data[:GROWN_SIZE] == self.source[GROWN], "old bytes changed")
        nonzero = [GROWN_SIZE + i for i, b in enumerate(data[GROWN_SIZE:offset]) if b]
        self.assertEqual(nonzero[:8], [], "the gap holds non-zero bytes at these offsets")
        self.assertEqual(data[offset:], poked)

    def test_kestrin_gsf_and_7z_read_the_edited_file(self):
        tool = peers.Kestrin()
        for path, _, _ in EDITS:
            self.assertTrue(tool.cat(self.file, path) == self.expected[path], peers.show(path))
        reference, _ = peers.olefile_read(self.file)
        self.assertSameTree(peers.gsf_view(reference), peers.gsf_tree(self.file), "gsf")
        self.assertIsNone(peers.sevenzip_test(self.file))
        got = peers.sevenzip_extract_all(self.file, os.path.join(self.tmp, "7z-out"))
        self.assertSameTree(peers.sevenzip_view(reference), got, "7z x")


class EditWithDifat(peers.TreeAssertions):
    """Files laid out like an office program's (.doc, .xls) with a padding stream big enough
    for more FAT sectors than the header lists, so a DIFAT sector: packed, then after each
    one-byte edit (which moves FAT sectors; 7-Zip refuses a file whose freed table sectors
    keep their marks), every peer reads them."""

    LAYOUTS = {
        "doc": ("WordDocument", "1Table", "\x01CompObj", "\x05SummaryInformation"),
        "xls": ("Workbook", "\x01CompObj", "\x05DocumentSummaryInformation"),
    }
    PADDING = 8 << 20  # about 130 FAT sectors of a version-3 file

    def test_peers_and_check_read_each_state(self):
        tmp = peers.temp_dir(type(self))
        tool = peers.Kestrin()
        for kind, names in self.LAYOUTS.items():
            tree = peers.Tree()
            for i, name in enumerate(names):
                tree.stream(name, peers.random_bytes(60 + i, 3000 + 5000 * i))
            tree.stream("Padding", peers.random_bytes(70, self.PADDING))
            src, file = os.path.join(tmp, kind), os.path.join(tmp, f"{kind}.cfb")
            peers.write_dir_tree(src, tree)
            tool.pack(src, file)
            # First as packed, then an edit that changes no directory sector, so that the FAT
            # sector holding the moved FAT sectors' marks has no other reason to be written.
            for edit in (None, ("Padding", self.PADDING // 2, b"\xA5"), (names[0], 100, b"\x5A"),
                         (names[-1], 7, b"\x01")):
                if edit:
                    tool.poke(file, (edit[0],), edit[1], edit[2])
                    tree = apply_edit(tree, ((edit[0],),) + edit[1:])
                with self.subTest(file=kind, edit=edit and edit[0]):
                    rc, out = tool.check(file)
                    self.assertEqual(rc, 0, out)
                    self.assertIsNone(peers.sevenzip_test(file))
                    got, issues = peers.olefile_read(file)
                    self.assertEqual(issues, [])
                    self.assertSameTree(tree, got, "olefile")
            self.assertSameTree(tree, peers.gsf_tree(file), "gsf")


class EditV3(EditMixin, peers.TreeAssertions):
    pass


class EditV4(EditMixin, peers.TreeAssertions):
    v4 = True


if __name__ == "__main__":
    peers.main()
