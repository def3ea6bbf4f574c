#!/usr/bin/python3
"""Writes the seeds of corpus/bitmap, overwriting them: small crops of the bundled 1:5000 map in the BMP variants the map
loader meets (1-, 4- and 8-bit palettes, 16-, 24- and 32-bit colour, bit fields, RLE8 and RLE4, bottom-up and top-down, the
old 12-byte header), with stated, missing and absurd resolutions; and each variant cut short in its pixels ("-cut"), which
the loader refuses."""
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


def runs(row, colour, x=0):  # runs of one colour from pixel x on, then the end of the line
    line = b""
    while x < W:
        n = 1
        while x + n < W and row[x + n] == row[x] and n < 255:
            n += 1
        line, x = line + bytes([n, colour(row[x])]), x + n
    return line + b"\0\0"


def rle8(row):
    return runs(row, lambda index: index)


def rle4(row):  # 16 colours: 5 pixels written out (3 bytes, padded to 4), then runs of one colour
    row = [index % 16 for index in row]
    return bytes([0, 5, row[0] << 4 | row[1], row[2] << 4 | row[3], row[4] << 4, 0]) + runs(row, lambda i: i * 17, 5)


def end_bitmap(lines):  # the last end of line becomes the end of the bitmap
    return lines[:-1] + [lines[-1][:-2] + b"\0\1"]


def old_header_bmp(rows, palette):  # 8 bits, the old 12-byte header: 16-bit width and height, 3-byte palette entries
    pixels, colours = b"".join(rows), b"".join(entry[:3] for entry in palette)
    header_size = 14 + 12 + len(colours)
    return b"BM" + struct.pack("<IHHI", header_size + len(pixels), 0, 0, header_size) \
        + struct.pack("<IhhHH", 12, W, H, 1, 8) + colours + pixels


def cut(data, pixel_bytes):  # without the second half of its pixels
    return data[:len(data) - pixel_bytes // 2]


def main():
    palette, rows = read_map()
    rgb = [[palette[i][:3] for i in row] for row in rows]  # B, G, R
    bottom_up, pal, rgb_bottom_up = list(reversed(rows)), b"".join(palette), [pad(b"".join(r)) for r in reversed(rgb)]
    rle = end_bitmap([rle8(r) for r in bottom_up])
    rle_4 = end_bitmap([rle4(r) for r in bottom_up])
    pal16, nibbles = b"".join(palette[:16]), [pad(bytes((r[x] % 16) << 4 | r[x + 1] % 16 for x in range(0, W, 2))) for r in bottom_up]
    rgb555 = [pad(b"".join(struct.pack("<H", (p[2] >> 3) << 10 | (p[1] >> 3) << 5 | p[0] >> 3) for p in r)) for r in reversed(rgb)]
    rgb565 = [pad(b"".join(struct.pack("<H", (p[2] >> 3) << 11 | (p[1] >> 2) << 5 | p[0] >> 3) for p in r)) for r in reversed(rgb)]
    rgb32 = [b"".join(p + b"\0" for p in r) for r in reversed(rgb)]
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
        "rle4.bmp": bmp(4, rle_4, (4724, 4724), palette=pal16, compression=2),
        "palette4.bmp": bmp(4, nibbles, (3780, 3780), palette=pal16),
        "palette-top-down.bmp": bmp(8, [pad(bytes(r)) for r in rows], (4724, 4724), height_sign=-1, palette=pal),
        "rgb16.bmp": bmp(16, rgb555, (3780, 3780)),
        "bitfields16.bmp": bmp(16, rgb565, (3780, 3780), compression=3, masks=struct.pack("<III", 0xF800, 0x7E0, 0x1F)),
        "rgb32.bmp": bmp(32, rgb32, (3780, 3780)),
        "old-header.bmp": old_header_bmp([pad(bytes(r)) for r in bottom_up], palette),
    }
    pixel_bytes = {name: len(data) - struct.unpack_from("<I", data, 10)[0] for name, data in seeds.items()}
    for name in ("rgb24-3780ppm.bmp", "rgb24-top-down.bmp", "palette-4724ppm.bmp", "palette-top-down.bmp", "palette4.bmp",
                 "one-bit.bmp", "rgb16.bmp", "bitfields16.bmp", "rgb32.bmp", "bitfields32.bmp", "rle8.bmp", "rle4.bmp",
                 "old-header.bmp"):
        seeds[name[:-4] + "-cut.bmp"] = cut(seeds[name], pixel_bytes[name])
    os.makedirs(os.path.join(HERE, "corpus", "bitmap"), exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(HERE, "corpus", "bitmap", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
