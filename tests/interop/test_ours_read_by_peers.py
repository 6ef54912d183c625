"""Files that kestrin-cfb packs, then edits (poke: a transacted open and Commit), read back by
olefile, gsf and 7z: each must read the packed tree, each edit changing exactly its bytes.

usage: python3 -B test_ours_read_by_peers.py PATH-TO-kestrin-cfb [OursV3|OursV4|EditWithDifat]
"""

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
    # 31 UTF-16 units each, the longest a name may be; the astral one ends in a surrogate pair.
    for i, name in enumerate(("ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", ("日本語" * 11)[:31],
                              "A" * 29 + "\U0001D11E", "日本語ストリーム", "\x05SummaryInformation")):
        t.stream(("names", name), peers.random_bytes(6 + i, 100 * i))
    t.stream(("names", "StorageNameOfThirtyOneUnits0123", "\x01CompObj"), peers.random_bytes(8, 90))
    t.stream(("入れ子ストレージ", "日本語ストリーム"), peers.random_bytes(9, 33))
    t.stream(("入れ子ストレージ", "大きな日本語ストリーム"), peers.random_bytes(10, 10000))
    t.stream(("Storage with spaces", "stream with spaces.txt"), b"spaces are fine\n")
    return t


class OursV3(peers.TreeAssertions):
    v4 = False
    big_size = 3_000_017

    def test_packed_then_each_poke_changes_only_its_bytes(self):
        # Neighbours share mini sectors, FAT sectors and directory sectors with the edited
        # streams; they must come through untouched. The last edit writes past the end of a
        # 9-byte mini stream, so that it grows over the cutoff and moves to regular sectors.
        ole = self.assertEditsRead(sample_tree(self.big_size),
                                   [(("sizes", "s100000"), 5000, bytes.fromhex("DEADBEEF")),
                                    (("sizes", "s65"), 37, b"\xA5"),
                                    (("a", "in_a"), 4500, bytes.fromhex("0102030405"))], self.v4)
        self.assertEqual(ole.mini_stream_cutoff_size, 4096)
        self.assertGreater(ole.num_fat_sectors, 1)


class OursV4(OursV3):
    v4 = True
    # A v4 FAT sector maps 4 MiB, so the big stream must be larger than that to need two.
    big_size = 5_000_017


class EditWithDifat(peers.TreeAssertions):
    """Office-like files (.doc, .xls) padded to need a DIFAT sector. One-byte edits move FAT
    sectors, whose freed places must lose their marks (7-Zip refuses the file otherwise); the
    first edit changes no directory sector, so nothing else rewrites the FAT sector of those
    marks."""

    def test_peers_and_check_read_each_state(self):
        for names in (("WordDocument", "1Table", "\x01CompObj", "\x05SummaryInformation"),
                      ("Workbook", "\x01CompObj", "\x05DocumentSummaryInformation")):
            tree = peers.Tree()
            for i, name in enumerate(names):
                tree.stream(name, peers.random_bytes(60 + i, 3000 + 5000 * i))
            tree.stream("Padding", peers.random_bytes(70, 8 << 20))  # ~130 v3 FAT sectors
            self.assertEditsRead(tree, [(("Padding",), 4 << 20, b"\xA5"),
                                        ((names[0],), 100, b"\x5A"), ((names[-1],), 7, b"\x01")])


if __name__ == "__main__":
    peers.main()
