#!/usr/bin/python3
"""Writes the seeds of corpus/bitmap, overwriting them: small crops of the bundled 1:5000 map in the BMP variants the map
loader meets (palette, 24-bit bottom-up and top-down, bit fields, run-length, one-bit), with stated, missing and absurd resolutions."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MAP = os.path.join(HERE, "..", "..", "data", "c", "revisione metodo speditivo", "dati", "cartografia", "raster", "esempio 1-5000.bmp")
W, H = 24, 16


def read_map():  # the palette and a W x H crop from the middle of the sheet, top row first
    data = open(MAP, "rb").read()
    offset, info, width, height, _, bits = struct.unpack_from("<I" + "IiiHH", data, 10)
    assert bits == 8, "the bundled map is an 8-bit palette BMP"
    colours = struct.unpack_from("<I", data, 46)[0] or 256
    palette = [data[14 + info + 4 * i:18 + info + 4 * i] for i in range(colours)]
    stride, x0, y0 = (width + 3) // 4 * 4, width // 2, abs(height) // 2
    rows = [(abs(height) - 1 - y if height > 0 else y) for y in range(y0, y0 + H)]
    return palette, [list(data[offset + r * stride + x0:offset + r * stride + x0 + W]) for r in rows]


def bmp(bits, rows, ppm, height_sign=1, palette=b"", compression=0, masks=b""):
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, W, height_sign * H, 1, bits, compression, len(pixels), ppm[0], ppm[1], len(palette) // 4, 0)
    header_size = 14 + len(info) + len(masks) + len(palette)  # bit-field masks follow the 40-byte header
    return b"BM" + struct.pack("<IHHI", header_size + len(pixels), 0, 0, header_size) + info + masks + palette + pixels


def pad(row):  # to whole 32-bit words
    return row + b"\0" * (-len(row) % 4)


def rle8(row):  # runs of one colour, then the end of the line
    line, x = b"", 0
    while x < W:
        n = 1
        while x + n < W and row[x + n] == row[x] and n < 255:
            n += 1
        line, x = line + bytes([n, row[x]]), x + n
    return line + b"\0\0"


def main():
    palette, rows = read_map()
    rgb = [[palette[i][:3] for i in row] for row in rows]  # B, G, R
    bottom_up, pal, rgb_bottom_up = list(reversed(rows)), b"".join(palette), [pad(b"".join(r)) for r in reversed(rgb)]
    rle = [rle8(r) for r in bottom_up]
    rle[-1] = rle[-1][:-2] + b"\0\1"  # the end of the bitmap
    one_bit = [pad(bytes(sum(1 << (7 - b) for b in range(8) if r[x + b] % 2) for x in range(0, W, 8))) for r in bottom_up]
    seeds = {
        "palette-4724ppm.bmp": bmp(8, [pad(bytes(r)) for r in bottom_up], (4724, 4724), palette=pal),
        "rgb24-3780ppm.bmp": bmp(24, rgb_bottom_up, (3780, 3780)),
        "rgb24-top-down.bmp": bmp(24, [pad(b"".join(r)) for r in rgb], (11811, 11811), height_sign=-1),
        "rgb24-no-resolution.bmp": bmp(24, rgb_bottom_up, (0, 0)),
        "rgb24-absurd-resolution.bmp": bmp(24, rgb_bottom_up, (1, 2000000000)),
        "bitfields32.bmp": bmp(32, [b"".join(p + b"\0" for p in r) for r in reversed(rgb)], (4724, 0), compression=3,
                               masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)),
        "one-bit.bmp": bmp(1, one_bit, (3780, 3780), palette=b"\0\0\0\0\xff\xff\xff\0"),
        "rle8.bmp": bmp(8, rle, (4724, 4724), palette=pal, compression=1),
    }
    os.makedirs(os.path.join(HERE, "corpus", "bitmap"), exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(HERE, "corpus", "bitmap", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
