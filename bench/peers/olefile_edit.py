# One-byte edit with olefile: write_stream replaces a stream's whole content in place and
# needs the same size, so the stream is read, changed and written back. Prints the bytes the
# write wrote and the time of the whole edit (open, read, write).
import sys
import time

import olefile


def io():
    with open("/proc/self/io") as f:
        return {k: int(v) for k, v in (line.split(": ") for line in f)}


path, stream, offset = sys.argv[1], sys.argv[2], int(sys.argv[3])
before = io()
start = time.monotonic()
with olefile.OleFileIO(path, write_mode=True) as ole:
    data = bytearray(ole.openstream(stream).read())
    data[offset] ^= 0x5A
    ole.write_stream(stream, bytes(data))
seconds = time.monotonic() - start
after = io()
print(f"seconds={seconds:.6f} wchar={after['wchar'] - before['wchar']} "
      f"write_bytes={after['write_bytes'] - before['write_bytes']} "
      f"syscw={after['syscw'] - before['syscw']}")
