# Reads one stream with olefile in 1 MiB chunks (openstream loads the stream on open).
import sys

import olefile

total = 0
with olefile.OleFileIO(sys.argv[1]) as ole:
    stream = ole.openstream(sys.argv[2])
    while chunk := stream.read(1 << 20):
        total += len(chunk)
print(f"bytes={total}")
