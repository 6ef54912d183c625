"""Files that gsf createole and wixl write, read by kestrin-cfb: it must list, cat and check
them as olefile reads them.

usage: python3 -B test_theirs_read_by_us.py PATH-TO-kestrin-cfb [GsfWritten|WixlWritten]
"""

import os

import peers


class GsfWritten(peers.TreeAssertions):
    """gsf createole stores the folder it is given as a storage named after it."""

    @classmethod
    def make_file(cls, tmp):
        t = cls.source = peers.Tree()
        for n in (0, 1, 64, 4095, 4096, 4097, 200000):
            t.stream(f"tree/sizes/s{n}", peers.random_bytes(n, n))
        t.stream("tree/docs/readme.txt", b"written by gsf\n")
        t.stream("tree/docs/deep/deeper/deepest/leaf.bin", peers.random_bytes(30, 4097))
        t.storage("tree/docs/empty folder")
        t.stream("tree/日本語フォルダ/日本語ファイル", peers.random_bytes(31, 5000))
        t.stream("tree/日本語フォルダ/小さい", "小さいファイル".encode())
        # Big enough that gsf's FAT outgrows the header's 109 slots and it writes DIFAT
        # sectors, which our reader must follow.
        t.stream("tree/huge.bin", peers.random_bytes(32, 8 * 1024 * 1024 + 7))
        for i in range(40):
            t.stream(f"tree/many/f{i:02d}", peers.random_bytes(100 + i, 17 * i))
        # No control characters or backslashes in these names: gsf sees them as they are.
        peers.write_dir_tree(os.path.join(tmp, "src"), t)
        peers.run(["gsf", "createole", os.path.join(tmp, "gsf.ole"), "tree"],
                  cwd=os.path.join(tmp, "src"))
        return os.path.join(tmp, "gsf.ole")

    @classmethod
    def setUpClass(cls):
        cls.file = cls.make_file(peers.temp_dir(cls))
        cls.reference, cls.issues, cls.ole = peers.olefile_read(cls.file)

    def test_kestrin_lists_cats_and_checks_what_olefile_reads(self):
        self.assertEqual(self.issues, [], "olefile noted defects")
        self.assertTrue(any(d is not None for d in self.reference.values()), "no streams")
        self.assertSameTree(peers.listing(self.reference), peers.kestrin_list(self.file), "list")
        for path, data in self.reference.items():
            if data is not None:
                self.assertTrue(peers.kestrin_cat(self.file, path) == data, peers.show(path))
        # Their directory trees are not always balanced: a warning, never a fault.
        rc, out = peers.kestrin_check(self.file)
        self.assertEqual(rc, 0, out)

    def test_what_the_writer_was_given_comes_back(self):
        """olefile reads the source, with DIFAT sectors; kestrin-cfb unpack gives it back."""
        self.assertSameTree(self.source, self.reference, "olefile")
        self.assertGreater(self.ole.num_fat_sectors, 109)
        self.assertGreaterEqual(self.ole.num_difat_sectors, 1)
        dest = os.path.join(peers.temp_dir(type(self)), "unpacked")
        peers.run([peers.TOOL, "unpack", self.file, dest])
        self.assertSameTree(self.source, peers.read_dir_tree(dest), "kestrin-cfb unpack")


WXS = """<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
 <Product Id="6F1C2E4A-3B5D-4C7E-9A8B-1D2E3F405162" Name="Kestrin Interop" Language="1033"
  Version="1.0.0" Manufacturer="Kestrin" UpgradeCode="0B7A9C3D-5E6F-4A1B-8C2D-3E4F50617283">
  <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
  <Media Id="1" Cabinet="data.cab" EmbedCab="yes"/>
  <Directory Id="TARGETDIR" Name="SourceDir"><Directory Id="ProgramFilesFolder">
   <Directory Id="INSTALLDIR" Name="Kestrin">
    <Component Id="Main" Guid="2C3D4E5F-6A7B-4C8D-9E0F-1A2B3C4D5E6F">
     <File Id="Readme" Source="readme.txt" KeyPath="yes"/></Component>
  </Directory></Directory></Directory>
  <Feature Id="All" Level="1"><ComponentRef Id="Main"/></Feature>
 </Product>
</Wix>
"""


class WixlWritten(GsfWritten):
    """An installer database: its table streams have names packed into characters between
    U+3800 and U+4840, which must come through as exactly the same UTF-8."""

    @classmethod
    def make_file(cls, tmp):
        with open(os.path.join(tmp, "readme.txt"), "w") as f:
            f.write("Installed by a package that wixl built.\n")
        with open(os.path.join(tmp, "product.wxs"), "w") as f:
            f.write(WXS)
        peers.run(["wixl", "-o", "product.msi", "product.wxs"], cwd=tmp)
        return os.path.join(tmp, "product.msi")

    def test_what_the_writer_was_given_comes_back(self):
        """Installer streams, and kestrin-cfb list prints the control character escaped."""
        names = {p[-1] for p in self.reference}
        self.assertIn("\x05SummaryInformation", names)
        self.assertTrue(any(any(0x3800 <= ord(c) <= 0x4840 for c in n) for n in names))
        rows = peers.run([peers.TOOL, "list", self.file]).stdout.decode("utf-8").split("\n")
        self.assertIn("stream\t", [r[:7] for r in rows if r.endswith("\t\\x05SummaryInformation")])


if __name__ == "__main__":
    peers.main()
