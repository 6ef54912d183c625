# Opens a compound file with olefile and lists every storage and stream.
import sys

import olefile

with olefile.OleFileIO(sys.argv[1]) as ole:
    print(f"elements={len(ole.listdir(streams=True, storages=True))}")
