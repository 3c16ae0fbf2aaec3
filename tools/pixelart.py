#!/usr/bin/env python3
"""Turns the project's text pixel art into Windows icon and bitmap files.

A picture is a block of rows; each character is one pixel: '.' is transparent and
0-9, A-F index the standard 16-colour palette. Blocks are introduced by a line
"== name WIDTHxHEIGHT" and end at the next such line or the end of the file.

  pixelart.py ico  ART NAME,... OUT.ico [SIZE,...]
                                            a 16-colour icon with its mask, one image
                                            a size (the first picture's own size by
                                            default), each drawn from the largest of the
                                            named pictures that is not larger than it
  pixelart.py strip ART NAME1,NAME2,... OUT.bmp MASK.bmp [SIZE]
                                            pictures side by side, each SIZE pixels
                                            square (its own size by default): a 24-bit
                                            colour bitmap and a 1-bit mask (1 = transparent)

A picture drawn at another size than its own is resampled to the nearest pixel: every
pixel of the result is one pixel of the art, whole, never a blend of neighbours.
"""
import struct
import sys

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def load(path):
    pics, name, size, rows = {}, None, None, []
    for raw in open(path, encoding="utf-8"):
        line = raw.rstrip("\n")
        if line.startswith("=="):
            if name:
                pics[name] = finish(name, size, rows)
            _, name, dims = line.split()
            size = tuple(int(v) for v in dims.split("x"))
            rows = []
        elif name and line and not line.startswith("#"):
            rows.append(line)
    if name:
        pics[name] = finish(name, size, rows)
    return pics


def finish(name, size, rows):
    w, h = size
    if len(rows) != h or any(len(r) != w for r in rows):
        sys.exit(f"pixelart: picture {name} is not {w}x{h}")
    for r in rows:
        for c in r:
            if c != "." and c not in "0123456789ABCDEF":
                sys.exit(f"pixelart: picture {name} has pixel {c!r}")
    return (w, h, rows)


def resized(pic, w, h):
    """The picture at w x h, each pixel taken from the art pixel under its centre."""
    pw, ph, rows = pic
    if (w, h) == (pw, ph):
        return pic
    return (w, h, ["".join(rows[(2 * y + 1) * ph // (2 * h)][(2 * x + 1) * pw // (2 * w)] for x in range(w))
                   for y in range(h)])


def pixel(c):
    return None if c == "." else int(c, 16)


def ico_image(pic):
    w, h, rows = pic
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for r in reversed(rows):
        line = bytearray(xor_stride)
        mline = bytearray(and_stride)
        for x, c in enumerate(r):
            p = pixel(c)
            if p is None:
                mline[x // 8] |= 0x80 >> (x % 8)
                p = 0
            line[x // 2] |= p << (4 if x % 2 == 0 else 0)
        xor += line
        mask += mline
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return header + pal + bytes(xor) + bytes(mask)


def source_for(drawn, n):
    """The largest picture not larger than n (the smallest when all are), so that a picture
    is only ever enlarged and no line of the art is dropped."""
    fitting = [p for p in drawn if p[0] <= n]
    return max(fitting, key=lambda p: p[0]) if fitting else min(drawn, key=lambda p: p[0])


def write_ico(drawn, sizes, out):
    images = [(n, ico_image(resized(source_for(drawn, n), n, n))) for n in sizes]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for n, image in images:
        entries += struct.pack("<BBBBHHII", n if n < 256 else 0, n if n < 256 else 0, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    open(out, "wb").write(head + entries + b"".join(image for _, image in images))


def write_bmp24(w, h, pixels, out):
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(h)):
        line = bytearray()
        for x in range(w):
            r, g, b = pixels[y][x]
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    open(out, "wb").write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54) + header + data)


def write_bmp1(w, h, bits, out):
    stride = ((w + 31) // 32) * 4
    data = bytearray()
    for y in reversed(range(h)):
        line = bytearray(stride)
        for x in range(w):
            if bits[y][x]:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 1, 0, len(data), 2835, 2835, 2, 0)
    pal = struct.pack("BBBB", 0, 0, 0, 0) + struct.pack("BBBB", 255, 255, 255, 0)
    off = 14 + 40 + 8
    open(out, "wb").write(b"BM" + struct.pack("<IHHI", off + len(data), 0, 0, off) + header + pal + data)


def write_strip(pics, names, out, mask_out, size=None):
    chosen = [resized(pics[n], size, size) if size else pics[n] for n in names]
    h = chosen[0][1]
    w = sum(p[0] for p in chosen)
    pixels = [[(0, 0, 0)] * w for _ in range(h)]
    bits = [[0] * w for _ in range(h)]
    x0 = 0
    for pw, ph, rows in chosen:
        if ph != h:
            sys.exit("pixelart: pictures of a strip must share their height")
        for y, r in enumerate(rows):
            for x, c in enumerate(r):
                p = pixel(c)
                if p is None:
                    bits[y][x0 + x] = 1
                else:
                    pixels[y][x0 + x] = PALETTE[p]
        x0 += pw
    write_bmp24(w, h, pixels, out)
    if mask_out:
        write_bmp1(w, h, bits, mask_out)


def main(argv):
    if len(argv) in (5, 6) and argv[1] == "ico":
        pics = load(argv[2])
        drawn = [pics[n] for n in argv[3].split(",")]
        sizes = [int(v) for v in argv[5].split(",")] if len(argv) > 5 else [drawn[0][0]]
        write_ico(drawn, sizes, argv[4])
    elif len(argv) in (6, 7) and argv[1] == "strip":
        write_strip(load(argv[2]), argv[3].split(","), argv[4], argv[5], int(argv[6]) if len(argv) > 6 else None)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
