"""Files that kestrin-cfb packs, read back by olefile, gsf and 7z: every peer must list the
same elements and read the same bytes as the folder tree they were packed from.

usage: /usr/bin/python3 test_ours_read_by_peers.py PATH-TO-kestrin-cfb [OursV3|OursV4]
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import os
import random

import peers


def sample_tree(big_size):
    """Every shape the peers must cope with, in one file."""
    t = peers.Tree()
    # Around the 64-byte mini sector and the 4096-byte cutoff between mini and regular streams.
    for n in (0, 1, 63, 64, 65, 4095, 4096, 4097, 100000):
        t.stream(f"sizes/s{n}", peers.random_bytes(n, n))
    # Large enough that the FAT takes more than one sector.
    t.stream("big", peers.random_bytes(1, big_size))

    t.stream("a/in_a", b"level one")
    t.stream("a/b/in_b", peers.random_bytes(2, 5000))
    t.stream("a/b/c/in_c", peers.random_bytes(3, 100))
    t.stream("a/b/c/d/in_d", peers.random_bytes(4, 4097))
    t.storage("a/b/c/d/empty storage")

    # Over a thousand siblings spanning many directory sectors; a few are regular streams.
    # olefile walks a sibling tree recursively, so it also proves the tree is balanced enough
    # (a list-shaped tree this long exceeds its recursion limit).
    rng = random.Random(5)
    for i in range(1200):
        size = 4100 + i if i % 150 == 0 else rng.randrange(0, 300)
        t.stream(f"many/e{i:04d}", peers.random_bytes(1000 + i, size))

    long_ascii = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"
    long_japanese = ("日本語" * 11)[:31]
    long_astral = "A" * 29 + "\U0001D11E"  # the last character takes two UTF-16 units
    long_storage = "StorageNameOfThirtyOneUnits0123"
    for name in (long_ascii, long_japanese, long_astral, long_storage):
        assert peers.utf16_units(name) == 31, name
    t.stream(("names", long_ascii), b"thirty-one ASCII units")
    t.stream(("names", long_japanese), "三十一".encode())
    t.stream(("names", long_astral), peers.random_bytes(6, 700))
    t.stream(("names", "日本語ストリーム"), "日本語の中身".encode())
    t.stream(("names", "\x05SummaryInformation"), peers.random_bytes(7, 412))
    t.stream(("names", long_storage, "\x01CompObj"), peers.random_bytes(8, 90))
    t.stream(("入れ子ストレージ", "日本語ストリーム"), peers.random_bytes(9, 33))
    t.stream(("入れ子ストレージ", "大きな日本語ストリーム"), peers.random_bytes(10, 10000))
    t.stream(("Storage with spaces", "stream with spaces.txt"), b"spaces are fine\n")
    return t


class OursMixin:
    """The checks; each TestCase below picks a file layout."""

    v4 = False
    big_size = 3_000_017

    @classmethod
    def make_tree(cls):
        return sample_tree(cls.big_size)

    @classmethod
    def setUpClass(cls):
        tmp = peers.temp_dir(cls)
        cls.tmp = tmp
        cls.expected = cls.make_tree()
        src = os.path.join(tmp, "src")
        peers.write_dir_tree(src, cls.expected)
        cls.file = os.path.join(tmp, "ours.cfb")
        peers.Kestrin().pack(src, cls.file, v4=cls.v4)

    def check_header(self, ole):
        """Per-class checks that the file has the structure the class is meant to exercise."""
        self.assertEqual(ole.dll_version, 4 if self.v4 else 3)
        self.assertEqual(ole.sector_size, 4096 if self.v4 else 512)
        self.assertEqual(ole.mini_stream_cutoff_size, 4096)
        self.assertGreater(ole.num_fat_sectors, 1)

    def test_kestrin_checks_and_lists_depth_first_in_directory_order(self):
        rc, out = peers.Kestrin().check(self.file)
        self.assertEqual(rc, 0, out)
        rows = peers.Kestrin().list_lines(self.file)
        self.assertEqual([p for _, _, p in rows], peers.preorder(self.expected))
        self.assertSameTree(peers.listing(self.expected),
                            {p: (None if k == "storage" else s) for k, s, p in rows},
                            "kestrin-cfb list")

    def test_olefile_reads_every_element(self):
        ole = peers.olefile_open(self.file)
        ole.close()
        self.check_header(ole)
        tree, issues = peers.olefile_read(self.file)
        self.assertSameTree(self.expected, tree, "olefile")
        self.assertEqual(issues, [], "olefile noted defects")

    def test_gsf_reads_every_element(self):
        self.assertSameTree(peers.gsf_view(self.expected), peers.gsf_tree(self.file), "gsf")

    def test_7z_tests_and_extracts_every_element(self):
        self.assertIsNone(peers.sevenzip_test(self.file))
        got = peers.sevenzip_extract_all(self.file, os.path.join(self.tmp, "7z-out"))
        self.assertSameTree(peers.sevenzip_view(self.expected), got, "7z x")


class OursV3(OursMixin, peers.TreeAssertions):
    pass


class OursV4(OursMixin, peers.TreeAssertions):
    v4 = True
    # A v4 FAT sector maps 4 MiB, so the big stream must be larger than that to need two.
    big_size = 5_000_017


if __name__ == "__main__":
    peers.main()
