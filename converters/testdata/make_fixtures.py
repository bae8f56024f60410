#!/usr/bin/env python3
"""Makes the BMP fixtures of the converter tests.

Sources are drawn here as PPM files; ImageMagick (6.9, /usr/bin/convert)
writes them in its default BMP flavour (BITMAPV5 header) and as BMP3
(40-byte header). The *_v4 files are written by this script itself in the
layout GIMP 2.10 exports by default (108-byte BITMAPV4 header with the sRGB
colour space tag, bottom-up rows). Run from this folder; ImageMagick is only
needed to remake the files, never by the tests.
"""
import struct
import subprocess

RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)


def ppm(name, width, height, pixels):
    with open(name, "w") as f:
        f.write(f"P3\n{width} {height}\n255\n")
        for rgb in pixels:
            f.write("%d %d %d\n" % rgb)


def v4_bmp24(name, width, height, pixels):
    stride = (width * 3 + 3) // 4 * 4
    rows = b""
    for y in range(height - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in pixels[y * width:(y + 1) * width])
        rows += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 108, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    info += struct.pack("<IIIII", 0, 0, 0, 0, 0x73524742) + b"\0" * 36 + b"\0" * 12
    head = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    open(name, "wb").write(head + info + rows)


def two_tiles():
    """The pictosrc picture: two tiles sharing red, green and blue."""
    px = [None] * (16 * 8)
    first = [RED, GREEN, BLUE, RED, RED, RED, RED, GREEN]
    for x in range(8):
        px[x] = first[x]
        px[8 + x] = BLUE
    for y in range(1, 8):
        for x in range(8):
            px[y * 16 + x] = GREEN if y < 4 else BLUE
            px[y * 16 + 8 + x] = (255, 15, 15)
    return 16, 8, px


# The gridex picture, 48×32: parts 0-2 at (16,0), map 2×2 cells at (0,0),
# attribute samples at (0,16) and (16,16). Twenty colours so that the writer
# keeps 8 bits per pixel.
COLOURS = [(i * 12, 255 - i * 12, (i * 40) % 256) for i in range(20)]


def part(n):
    return [[COLOURS[(n * 5 + x * 3 + y * 7 + (x * y) % 4) % 20] for x in range(8)] for y in range(8)]


MAP = [[(2, True, False), (0, False, False)], [(1, False, True), (2, True, True)]]


def gridex_scene():
    w, h = 48, 32
    px = [COLOURS[19]] * (w * h)
    for n in range(3):
        for y in range(8):
            for x in range(8):
                px[y * w + 16 + 8 * n + x] = part(n)[y][x]
    for cy in range(2):
        for cx in range(2):
            n, mirrored, flipped = MAP[cy][cx]
            for y in range(8):
                for x in range(8):
                    sx, sy = (7 - x if mirrored else x), (7 - y if flipped else y)
                    px[(8 * cy + y) * w + 8 * cx + x] = part(n)[sy][sx]
    px[16 * w + 0] = COLOURS[11]
    px[16 * w + 16] = COLOURS[4]
    return w, h, px


def main():
    w, h, px = two_tiles()
    ppm("/tmp/two_tiles.ppm", w, h, px)
    subprocess.run(["/usr/bin/convert", "/tmp/two_tiles.ppm", "-type", "TrueColor", "pictosrc_two_tiles_im.bmp"], check=True)
    subprocess.run(["/usr/bin/convert", "/tmp/two_tiles.ppm", "-type", "TrueColor", "BMP3:pictosrc_two_tiles_im_bmp3.bmp"], check=True)
    v4_bmp24("pictosrc_two_tiles_v4.bmp", w, h, px)

    w, h, px = gridex_scene()
    ppm("/tmp/gridex_scene.ppm", w, h, px)
    subprocess.run(["/usr/bin/convert", "/tmp/gridex_scene.ppm", "-type", "Palette", "gridex_scene_im.bmp"], check=True)
    subprocess.run(["/usr/bin/convert", "/tmp/gridex_scene.ppm", "-type", "Palette", "BMP3:gridex_scene_im_bmp3.bmp"], check=True)


if __name__ == "__main__":
    main()
