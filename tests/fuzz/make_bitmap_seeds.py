#!/usr/bin/python3
"""Writes the bitmap seeds of corpus/bitmap: small crops of the bundled 1:5000 map in the BMP
variants the map loader meets (palette, 24-bit bottom-up and top-down, bit fields, run-length,
one-bit), with stated, missing and absurd resolutions. Run from anywhere; it overwrites the seeds."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MAP = os.path.join(HERE, "..", "..", "data", "c", "revisione metodo speditivo", "dati",
                   "cartografia", "raster", "esempio 1-5000.bmp")
OUT = os.path.join(HERE, "corpus", "bitmap")
W, H = 24, 16


def read_map():
    data = open(MAP, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    info, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    assert bits == 8, "the bundled map is an 8-bit palette BMP"
    colours, = struct.unpack_from("<I", data, 46)
    colours = colours or 256
    palette = [data[14 + info + 4 * i:14 + info + 4 * i + 4] for i in range(colours)]
    stride = (width + 3) // 4 * 4
    # A crop from the middle of the sheet, top row first.
    x0, y0 = width // 2, abs(height) // 2
    rows = []
    for y in range(y0, y0 + H):
        row_in_file = abs(height) - 1 - y if height > 0 else y
        start = offset + row_in_file * stride + x0
        rows.append(list(data[start:start + W]))
    return palette, rows


def bmp(bits, rows_bytes, ppm, height_sign=1, palette=b"", compression=0, masks=b"", info_size=40):
    pixels = b"".join(rows_bytes)
    info = struct.pack("<IiiHHIIiiII", info_size, W, height_sign * H, 1, bits, compression,
                       len(pixels), ppm[0], ppm[1], len(palette) // 4, 0)
    info += b"\0" * (info_size - len(info))
    info += masks  # bit-field masks follow a 40-byte header
    header_size = 14 + len(info) + len(palette)
    file_header = b"BM" + struct.pack("<IHHI", header_size + len(pixels), 0, 0, header_size)
    return file_header + info + palette + pixels


def pad(row):
    return row + b"\0" * ((4 - len(row) % 4) % 4)


def main():
    palette, rows = read_map()
    rgb = [[palette[i][:3] for i in row] for row in rows]  # B, G, R
    bottom_up = list(reversed(rows))
    pal = b"".join(palette)

    seeds = {
        "palette-4724ppm.bmp": bmp(8, [pad(bytes(r)) for r in bottom_up], (4724, 4724), palette=pal),
        "rgb24-3780ppm.bmp": bmp(24, [pad(b"".join(r)) for r in reversed(rgb)], (3780, 3780)),
        "rgb24-top-down.bmp": bmp(24, [pad(b"".join(r)) for r in rgb], (11811, 11811), height_sign=-1),
        "rgb24-no-resolution.bmp": bmp(24, [pad(b"".join(r)) for r in reversed(rgb)], (0, 0)),
        "rgb24-absurd-resolution.bmp": bmp(24, [pad(b"".join(r)) for r in reversed(rgb)], (1, 2000000000)),
        "bitfields32.bmp": bmp(32, [b"".join(p + b"\0" for p in r) for r in reversed(rgb)], (4724, 0),
                               compression=3, masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)),
        "one-bit.bmp": bmp(1, [pad(bytes(sum((1 << (7 - b)) for b in range(8) if r[x + b] % 2)
                                        for x in range(0, W, 8))) for r in bottom_up], (3780, 3780),
                           palette=b"\0\0\0\0\xff\xff\xff\0"),
    }
    # Run-length 8-bit: each row as runs of one colour, then end of line; end of bitmap at the end.
    rle = []
    for r in bottom_up:
        line = b""
        x = 0
        while x < W:
            n = 1
            while x + n < W and r[x + n] == r[x] and n < 255:
                n += 1
            line += bytes([n, r[x]])
            x += n
        rle.append(line + b"\0\0")
    rle[-1] = rle[-1][:-2] + b"\0\1"
    seeds["rle8.bmp"] = bmp(8, rle, (4724, 4724), palette=pal, compression=1)

    os.makedirs(OUT, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
