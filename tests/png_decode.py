"""An independent reader of the tools' PNG images, with Python's zlib: checks each chunk's
CRC-32 (zlib.crc32) and the stream's Adler-32 (zlib.decompress), undoes the rows' filters
(none only: the tools write no other), and prints the width, the height and each pixel's
colour as rrggbb, a row a line. Usage: png_decode.py FILE (or a data: URL's base64 with
--base64 FILE)."""
import base64
import struct
import sys
import zlib


def decode(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("not a PNG signature")
    at, chunks = 8, []
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) != crc:
            sys.exit("bad CRC in " + kind.decode())
        chunks.append((kind, body))
        at += 12 + length
    kinds = [k for k, _ in chunks]
    if kinds[0] != b"IHDR" or kinds[-1] != b"IEND":
        sys.exit("chunks out of order: %s" % kinds)
    width, height, depth, colour, method, filt, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (depth, colour, method, filt, interlace) != (8, 3, 0, 0, 0):
        sys.exit("not 8-bit paletted")
    palette = [body for k, body in chunks if k == b"PLTE"][0]
    stream = b"".join(body for k, body in chunks if k == b"IDAT")
    rows = zlib.decompress(stream)  # checks the Adler-32
    if len(rows) != height * (width + 1):
        sys.exit("%d bytes of rows, not %d" % (len(rows), height * (width + 1)))
    print(width, height)
    for y in range(height):
        row = rows[y * (width + 1):(y + 1) * (width + 1)]
        if row[0] != 0:
            sys.exit("filter %d" % row[0])
        print(" ".join(palette[3 * p:3 * p + 3].hex() for p in row[1:]))


if __name__ == "__main__":
    if sys.argv[1] == "--base64":
        decode(base64.b64decode(open(sys.argv[2]).read()))
    else:
        decode(open(sys.argv[1], "rb").read())
