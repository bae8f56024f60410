#!/usr/bin/env python3
"""Makes the BMP fixtures of the converter tests.

Sources are drawn here as PPM files; ImageMagick (6.9, /usr/bin/convert)
writes them in its default BMP flavour (BITMAPV5 header) and as BMP3
(40-byte header). With --gimp the *_gimp files are exported by GIMP 2.10
itself (gimp-console in batch mode, see GIMP_SCRIPT and README.md). No file
here is hand-assembled. Run from this folder; ImageMagick and GIMP are only
needed to remake the files, never by the tests.
"""
import os
import subprocess
import sys
import tempfile

RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)


def ppm(name, width, height, pixels):
    with open(name, "w") as f:
        f.write(f"P3\n{width} {height}\n255\n")
        for rgb in pixels:
            f.write("%d %d %d\n" % rgb)


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

    w, h, px = gridex_scene()
    ppm("/tmp/gridex_scene.ppm", w, h, px)
    subprocess.run(["/usr/bin/convert", "/tmp/gridex_scene.ppm", "-type", "Palette", "gridex_scene_im.bmp"], check=True)
    subprocess.run(["/usr/bin/convert", "/tmp/gridex_scene.ppm", "-type", "Palette", "BMP3:gridex_scene_im_bmp3.bmp"], check=True)


# GIMP's own export with the settings its "Export Image as BMP" dialog starts
# with: run-length coding off, colour space information written (BITMAPV5
# header), RGB pictures as "24 bits R8 G8 B8". file-bmp-save2 takes them as
# use-rle 0, write-color-space 0 (GIMP 2.10 reads this flag inverted: 1 gives
# the plain 40-byte header), rgb-format 3. Accepting the real dialog gave
# byte-identical files.
#   pictosrc_two_tiles_gimp.bmp  the RGB picture exported as it is
#   gridex_scene_gimp.bmp        the scene made indexed in GIMP (Image > Mode >
#                                Indexed: optimum palette, 255 colours, no
#                                dithering), so GIMP chooses the colour order
#   gridex_scene_gimp_from_im.bmp  ImageMagick's palette picture opened in GIMP
#                                and exported again: same colour table, so the
#                                converters must give the same output for it
GIMP_SCRIPT = """
(define (load-img f) (car (gimp-file-load RUN-NONINTERACTIVE f f)))
(define (export img f)
  (file-bmp-save2 RUN-NONINTERACTIVE img (car (gimp-image-get-active-drawable img)) f f 0 0 3))
(export (load-img "{tmp}/two_tiles.ppm") "pictosrc_two_tiles_gimp.bmp")
(let ((img (load-img "{tmp}/gridex_scene.ppm")))
  (gimp-image-convert-indexed img CONVERT-DITHER-NONE CONVERT-PALETTE-GENERATE 255 FALSE FALSE "")
  (export img "gridex_scene_gimp.bmp"))
(export (load-img "gridex_scene_im_bmp3.bmp") "gridex_scene_gimp_from_im.bmp")
"""


def gimp_exports():
    # A fresh profile so that no remembered export settings leak in.
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home)
        subprocess.run(["gimp-console", "-i", "-b", GIMP_SCRIPT.format(tmp="/tmp"), "-b", "(gimp-quit 0)"],
                       env=env, check=True)


if __name__ == "__main__":
    main()
    if "--gimp" in sys.argv[1:]:
        gimp_exports()
