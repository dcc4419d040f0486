#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the small image files the image-loading tests read, into this script's folder.
# Needs ImageMagick 6 (convert), JxrEncApp (Debian libjxr-tools) and python3. Run it again after
# changing it; the output is deterministic, so unchanged fixtures stay byte-identical.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ImageMagick without timestamps or other metadata in its output.
im() { convert "$@"; }
plain="-strip -define png:exclude-chunks=date,time"

# The reference picture: 16 x 8, quadrants red, lime / blue, yellow (top-left, top-right /
# bottom-left, bottom-right), each 8 x 4.
im -size 8x4 xc:red xc:lime +append \( -size 8x4 xc:blue xc:yellow +append \) -append \
    $plain "$work/quads.ppm"

im "$work/quads.ppm" $plain -type TrueColor BMP3:quads.bmp
im "$work/quads.ppm" $plain PNG24:quads.png
im "$work/quads.ppm" $plain PNG8:quads_palette.png
im "$work/quads.ppm" $plain -quality 95 -sampling-factor 1x1 -interlace none quads.jpg
im -size 8x8 xc:gray50 $plain -colorspace Gray -quality 95 gray.jpg

# Two frames, red then blue; two pages, 8 x 6 lime then 4 x 4 blue.
im -delay 10 -size 8x8 xc:red xc:blue -loop 0 $plain anim.gif
im -size 8x6 xc:lime -size 4x4 xc:blue $plain -depth 8 -compress lzw pages.tif
# Two icon images, 16 x 16 red first, then 32 x 32 blue.
im -size 16x16 xc:red -size 32x32 xc:blue $plain two.ico

# Widths on either side of the narrow-picture warning.
im -size 499x2 xc:white $plain PNG24:width499.png
im -size 500x2 xc:white $plain PNG24:width500.png

# JPEG XR in several pixel formats. JxrEncApp reads BMP as BGR, PNM as RGB, 16-bit PNM samples
# little-endian, and takes alpha from TIFF.
jxr() { JxrEncApp -i "$1" -o "$work/out.jxr" -c "$2" >/dev/null && mv "$work/out.jxr" "$3"; }
jxr quads.bmp 0 bgr24.wmp
jxr "$work/quads.ppm" 9 rgb24.wmp
im -size 499x2 xc:white $plain -type TrueColor BMP3:"$work/w499.bmp"
jxr "$work/w499.bmp" 0 width499.wmp

python3 - "$work" <<'PY'
import random, struct, sys, zlib

work = sys.argv[1]

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

def png(path, width, height, colour_type, rows, bit_depth=8):
    raw = b"".join(b"\0" + row for row in rows)
    ihdr = struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))

# Semi-transparent pixels with known straight (unpremultiplied) RGBA values.
alpha_pixels = [(255, 0, 0, 128), (0, 255, 0, 64), (200, 100, 50, 128), (255, 255, 255, 0),
                (0, 0, 255, 255), (10, 20, 30, 255), (255, 255, 255, 255), (128, 128, 128, 51)]
png("alpha.png", 4, 2, 6, [bytes(sum(alpha_pixels[0:4], ())), bytes(sum(alpha_pixels[4:8], ()))])

# The same pixels as an 8-bit RGBA TIFF for JxrEncApp (uncompressed, one strip).
def tiff_rgba(path, width, height, pixels, bits):
    sample = (lambda v: bytes([v])) if bits == 8 else (lambda v: struct.pack("<H", v * 257))
    data = b"".join(sample(v) for p in pixels for v in p)
    entries = [(256, 3, 1, width), (257, 3, 1, height), (258, 3, 4, 0), (259, 3, 1, 1),
               (262, 3, 1, 2), (273, 4, 1, 0), (277, 3, 1, 4), (278, 3, 1, height),
               (279, 4, 1, len(data)), (338, 3, 1, 2)]
    ifd_at = 8
    extra_at = ifd_at + 2 + 12 * len(entries) + 4
    data_at = extra_at + 8
    out = b"II*\0" + struct.pack("<I", ifd_at) + struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if tag == 258:
            value = extra_at
        if tag == 273:
            value = data_at
        packed = struct.pack("<H", value) + b"\0\0" if kind == 3 and count == 1 else struct.pack("<I", value)
        out += struct.pack("<HHI", tag, kind, count) + packed
    out += struct.pack("<I", 0) + struct.pack("<4H", bits, bits, bits, bits) + data
    open(path, "wb").write(out)

tiff_rgba(work + "/alpha8.tif", 4, 2, alpha_pixels, 8)
tiff_rgba(work + "/alpha16.tif", 4, 2, alpha_pixels, 16)

# Grey levels 0, 64, 128, 255 / 32, 96, 160, 224; the 16-bit copy holds v * 257.
greys = [0, 64, 128, 255, 32, 96, 160, 224]
open(work + "/grey8.pgm", "wb").write(b"P5\n4 2\n255\n" + bytes(greys))
open(work + "/grey16.pgm", "wb").write(b"P5\n4 2\n65535\n" + b"".join(struct.pack("<H", g * 257) for g in greys))

# EXIF orientation 6 (turn 90 degrees clockwise to show) inserted after SOI of quads.jpg.
exif = (b"Exif\0\0" + b"MM\0\x2a" + struct.pack(">I", 8) + struct.pack(">H", 1)
        + struct.pack(">HHIHH", 0x0112, 3, 1, 6, 0) + struct.pack(">I", 0))
jpeg = open("quads.jpg", "rb").read()
open("rotated6.jpg", "wb").write(jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(exif) + 2) + exif + jpeg[2:])

def bmp24(width, height, pixel_rows, offset=None, file_padding=b""):
    stride = (width * 3 + 3) // 4 * 4
    data = b"".join(row + b"\0" * (stride - len(row)) for row in reversed(pixel_rows))
    offset = 54 if offset is None else offset
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, offset) + info + data + file_padding

# A complete 4 x 4 BMP whose header puts the pixel data far past the end of the file.
green_rows = [b"\x00\xff\x00" * 4] * 4
open("offset_past_end.bmp", "wb").write(bmp24(4, 4, green_rows, offset=10000))

# Headers alone that declare 100000 x 100000 pixels.
png_bomb_ihdr = struct.pack(">IIBBBBB", 100000, 100000, 8, 2, 0, 0, 0)
open("bomb.png", "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", png_bomb_ihdr) + chunk(b"IEND", b""))
open("bomb.bmp", "wb").write(b"BM" + struct.pack("<IHHI", 54, 0, 0, 54)
                             + struct.pack("<IiiHHIIiiII", 40, 100000, 100000, 1, 24, 0, 0, 0, 0, 0, 0))

# 70000 x 10, left half red and right half blue: wider than the largest bitmap side.
half = 35000
png("wide.png", 2 * half, 10, 2, [b"\xff\x00\x00" * half + b"\x00\x00\xff" * half] * 10)

# 100 megapixels in a few bytes: a 10000 x 10000 GIF screen (white background) with one red
# pixel at the top left.
gif = (b"GIF89a" + struct.pack("<HHBBB", 10000, 10000, 0x80, 0, 0) + b"\xff\xff\xff\xff\x00\x00"
       + b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + b"\x02\x02\x4c\x01\x00" + b"\x3b")
open("hundred_mp.gif", "wb").write(gif)

# 4 x 4 icons of green pixels whose AND mask hides the top-left 2 x 2 pixels: 24-bit colour, and
# 8-bit with a palette of green and red.
and_rows = [b"\xc0\0\0\0", b"\xc0\0\0\0", b"\0\0\0\0", b"\0\0\0\0"]
def icon(path, bits, palette, colour_rows):
    image = (struct.pack("<IiiHHIIiiII", 40, 4, 8, 1, bits, 0, 0, 0, 0, len(palette) // 4, 0) + palette
             + b"".join(reversed(colour_rows)) + b"".join(reversed(and_rows)))
    open(path, "wb").write(struct.pack("<HHH", 0, 1, 1)
                           + struct.pack("<BBBBHHII", 4, 4, 0, 0, 1, bits, len(image), 22) + image)
icon("mask.ico", 24, b"", [b"\x00\xff\x00" * 4] * 4)
icon("mask_palette.ico", 8, b"\x00\xff\x00\x00" + b"\x00\x00\xff\x00", [b"\0" * 4] * 4)

random.seed(20240607)
open("random.png", "wb").write(bytes(random.randrange(256) for _ in range(512)))
open("empty.bmp", "wb").close()
PY

jxr "$work/alpha8.tif" 22 bgra32.wmp
jxr "$work/alpha16.tif" 23 rgba64.wmp
jxr "$work/grey8.pgm" 2 gray8.wmp
jxr "$work/grey16.pgm" 3 gray16.wmp

# Same content under other names; a WebP (a format Qt reads, but not one of ours) named .png.
cp quads.png png_named.jpg
im "$work/quads.ppm" $plain -define webp:lossless=true webp:webp_named.png
cp quads.jpg quads.jpe
cp quads.png upper_case.PNG
cp quads.jpg mixed_case.Jpg
cp quads.jpg upper_case.JPEG
cp quads.bmp mixed_case.Bmp
cp anim.gif mixed_case.Gif
cp pages.tif mixed_case.Tif
cp pages.tif upper_case.TIFF
cp two.ico upper_case.ICO
cp bgr24.wmp upper_case.WMP

# Damaged copies no decoder can read, and copies cut in half.
python3 - <<'PY'
import struct

def patched(source, target, offset, data):
    content = bytearray(open(source, "rb").read())
    content[offset:offset + len(data)] = data
    open(target, "wb").write(bytes(content))

patched("quads.bmp", "damaged.bmp", 28, struct.pack("<H", 7))          # 7 bits a pixel
patched("quads.png", "damaged.png", 24, b"\x03")                      # IHDR bit depth, CRC now wrong
jpeg = open("quads.jpg", "rb").read()
open("damaged.jpg", "wb").write(jpeg[:3] + b"\x00" * (len(jpeg) - 3))  # no marker after SOI
gif = open("anim.gif", "rb").read()
open("damaged.gif", "wb").write(gif[:13 + 6] + b"\x00" * (len(gif) - 19))  # blocks replaced by zeros
patched("pages.tif", "damaged.tif", 4, struct.pack("<I", 0x7fffffff))   # first IFD past the end
patched("two.ico", "damaged.ico", 18, struct.pack("<I", 0x7fffffff))    # first image past the end
patched("bgr24.wmp", "damaged_directory.wmp", 4, struct.pack("<I", 0x7fffffff))  # directory past the end
jxr = open("bgr24.wmp", "rb").read()
patched("bgr24.wmp", "damaged.wmp", jxr.index(b"WMPHOTO"), b"\0" * 7)  # codestream signature

for name in ["quads.bmp", "quads.jpg", "quads.png", "anim.gif", "pages.tif", "two.ico", "bgr24.wmp"]:
    content = open(name, "rb").read()
    extension = name.rsplit(".", 1)[1]
    open("truncated." + extension, "wb").write(content[:len(content) // 2])
PY
