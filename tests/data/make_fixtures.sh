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
im "$work/quads.ppm" $plain -interlace PNG PNG24:quads_interlaced.png
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

# TIFF layouts and colour spaces Qt's plug-in misreads: 8-bit tiles, 16-bit tiles (deflate),
# 16-bit separate planes, 16-bit CIELab (D65 white point, as ImageMagick writes it), and the
# quadrants stored turned (orientation 6: turn clockwise to show; 8: counter-clockwise) or
# mirrored across a diagonal (5: the main one; 7: the other).
im "$work/quads.ppm" $plain -define tiff:tile-geometry=16x16 tiled.tif
im "$work/quads.ppm" $plain -depth 16 -define tiff:tile-geometry=16x16 -compress zip tiled16.tif
im "$work/quads.ppm" $plain -depth 16 -interlace plane planar16.tif
im "$work/quads.ppm" $plain -colorspace Lab lab16.tif
im "$work/quads.ppm" $plain -rotate 270 -orient RightTop rotated6.tif
im "$work/quads.ppm" $plain -rotate 90 -orient LeftBottom rotated8.tif
im "$work/quads.ppm" $plain -transpose -orient LeftTop rotated5.tif
im "$work/quads.ppm" $plain -transverse -orient RightBottom rotated7.tif

python3 - "$work" <<'PY2'
import struct, sys, zlib

work = sys.argv[1]

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

# 16-bit PNGs with a transparent colour key, 4 x 2: RGB (the key, a colour differing from it in
# one low byte, orange (255, 128, 0) twice) and grey (the key, a level one below it, white
# twice). A key compared after narrowing to 8 bits would hide the second pixel too.
def png16(path, colour_type, samples, key):
    row = b"\0" + b"".join(struct.pack(">H", v) for v in samples)
    width = len(samples) // (3 if colour_type == 2 else 1)
    ihdr = struct.pack(">IIBBBBB", width, 2, 16, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"tRNS", key)
                + chunk(b"IDAT", zlib.compress(row * 2, 9)) + chunk(b"IEND", b""))

png16("key16_rgb.png", 2, [0x1234, 0x5678, 0x9ABC, 0x1235, 0x5678, 0x9ABC,
                           0xFFFF, 0x8080, 0x0000, 0xFFFF, 0x8080, 0x0000],
      struct.pack(">HHH", 0x1234, 0x5678, 0x9ABC))
png16("key16_grey.png", 0, [0x4321, 0x4320, 0xFFFF, 0xFFFF], struct.pack(">H", 0x4321))

# Uncompressed one-strip TIFFs: samples of `bits` each, `photometric`, more tags as (tag, value).
def tiff(path, width, height, bits, photometric, data, tags=()):
    entries = sorted([(256, width), (257, height), (258, bits[0]), (259, 1), (262, photometric),
                      (273, 0), (277, len(bits)), (278, height), (279, len(data))] + list(tags))
    ifd_size = 2 + 12 * len(entries) + 4
    bits_at = 8 + ifd_size
    data_at = bits_at + 2 * len(bits)
    out = b"II*\0" + struct.pack("<IH", 8, len(entries))
    for tag, value in entries:
        count = len(bits) if tag == 258 else 1
        if tag == 258 and count > 2:
            packed = struct.pack("<I", bits_at)
        elif tag in (273, 279):
            packed = struct.pack("<I", data_at if tag == 273 else value)
        else:
            packed = struct.pack("<HH", value, value if count == 2 else 0)
        out += struct.pack("<HHI", tag, 4 if tag in (273, 279) else 3, count) + packed
    out += struct.pack("<I", 0) + b"".join(struct.pack("<H", b) for b in bits)
    open(path, "wb").write(out + data)

# Grey, signed 16-bit samples (-1000, 1000).
tiff("signed16.tif", 2, 1, [16], 1, struct.pack("<2h", -1000, 1000), [(339, 2)])

# 8-bit CIELab without a white point (D50, as Photoshop writes it), 16 x 8: the quadrants' sRGB
# colours in L*a*b*, adapted from sRGB's D65 white to D50 (Bradford).
def srgb_to_lab_d50(rgb):
    linear = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4 for c in rgb]
    m = [[0.4360747, 0.3850649, 0.1430804], [0.2225045, 0.7168786, 0.0606169],
         [0.0139322, 0.0971045, 0.7141733]]  # sRGB to XYZ, adapted to D50
    xyz = [sum(m[i][j] * linear[j] for j in range(3)) for i in range(3)]
    white = [0.96422, 1.0, 0.82521]
    f = [t ** (1 / 3) if t > 216 / 24389 else (24389 / 27 * t + 16) / 116
         for t in (xyz[i] / white[i] for i in range(3))]
    return 116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])

def lab8(rgb):
    lightness, a, b = srgb_to_lab_d50(rgb)
    return struct.pack("<Bbb", round(lightness * 255 / 100), round(a), round(b))

quadrant_colours = [[(1, 0, 0), (0, 1, 0)], [(0, 0, 1), (1, 1, 0)]]
rows = b"".join(b"".join(lab8(quadrant_colours[y // 4][x // 8]) for x in range(16)) for y in range(8))
tiff("lab8.tif", 16, 8, [8, 8, 8], 8, rows)

# Inputs for JPEG XR fixtures below: the quadrants as 16-bit little-endian PNM, and as half-float
# RGB TIFF.
def quad_samples(pack):
    return b"".join(pack(c) for y in range(8) for x in range(16)
                    for c in quadrant_colours[y // 4][x // 8])
open(work + "/quads48.ppm", "wb").write(b"P6\n16 8\n65535\n"
                                        + quad_samples(lambda c: struct.pack("<H", c * 65535)))
tiff(work + "/half.tif", 16, 8, [16, 16, 16], 2, quad_samples(lambda c: struct.pack("<e", c)),
     [(339, 3)])

# BMPs: a file header, an info header of `header_size` bytes (12: OS/2 1.x; above 40 the channel
# masks sit inside it), masks after a 40-byte one, the palette, the pixel data.
def bmp(path, width, height, bits, pixels, compression=0, header_size=40, masks=(), palette=b""):
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                           len(pixels), 2835, 2835, 0, 0)
    packed_masks = b"".join(struct.pack("<I", m) for m in masks)
    if header_size > 40:
        info = (info + packed_masks).ljust(header_size, b"\0")
        packed_masks = b""
    offset = 14 + len(info) + len(packed_masks) + len(palette)
    open(path, "wb").write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info
                           + packed_masks + palette + pixels)

black, red, lime, blue = b"\0\0\0\0", b"\0\0\xff\0", b"\0\xff\0\0", b"\xff\0\0\0"
# Run-length data, rows from the bottom. 8-bit, 4 x 3: two red, a delta escape of (1, 1) to a
# blue pixel, then end of bitmap; every other pixel is skipped.
rle8 = b"\x02\x01" + b"\x00\x02\x01\x01" + b"\x01\x02"
bmp("rle8_delta.bmp", 4, 3, 8, rle8 + b"\x00\x01", 1, palette=black + red + blue)
# The same data without its end-of-bitmap marker.
bmp("rle8_no_end.bmp", 4, 3, 8, rle8, 1, palette=black + red + blue)
# 4-bit, 4 x 2: a literal run red, lime, blue and end of line; a run of red and lime pixels.
bmp("rle4_literal.bmp", 4, 2, 4, b"\x00\x03\x12\x30" + b"\x00\x00" + b"\x04\x12" + b"\x00\x01",
    2, palette=black + red + lime + blue)
# 100 bytes of 8-bit run-length data (no end marker) that claim 8000 x 6000 pixels.
bmp("rle_bomb.bmp", 8000, 6000, 8, b"\xff\x01" * 50, 1, palette=black + red)

# Channel masks. 32 bits 10-10-10: (1023, 0, 512) and (3, 1023, 0).
bmp("masks_101010.bmp", 2, 1, 32, struct.pack("<2I", 1023 << 20 | 512, 3 << 20 | 1023 << 10), 3,
    masks=(0x3FF00000, 0x000FFC00, 0x000003FF))
# 16 bits 5-6-5: white, then (3, 7, 24), padded to 4 bytes.
bmp("masks_565.bmp", 2, 1, 16, struct.pack("<2H", 0xFFFF, 3 << 11 | 7 << 5 | 24), 3,
    masks=(0xF800, 0x07E0, 0x001F))
# 16 bits without masks (5-5-5): white, then (3, 7, 24).
bmp("rgb555.bmp", 2, 1, 16, struct.pack("<2H", 0x7FFF, 3 << 10 | 7 << 5 | 24))
# A text that starts with "BM": no bitmap header, whatever numbers its letters make.
open("text.bmp", "wb").write(b"BM is how a Windows bitmap starts; this text is not one.\n")
# A colour channel whose mask is empty reads as 0: no red, 6-bit green, 5-bit blue; all bits set.
bmp("masks_no_red.bmp", 1, 1, 16, struct.pack("<H", 0xFFFF) + b"\0\0", 3,
    masks=(0, 0x07E0, 0x001F))
# The 56-byte header, masks inside it: 5-6-5 red, then blue.
bmp("v3_565.bmp", 2, 1, 16, struct.pack("<2H", 0xF800, 0x001F), 3, 56,
    masks=(0xF800, 0x07E0, 0x001F, 0))
# 16 bits with odd masks and alpha, 124-byte header: red 1 bit, green 9, blue 2, alpha 4.
# Opaque white, then red at alpha 8 of 15 (136).
bmp("masks_rgba_1924.bmp", 2, 1, 16, struct.pack("<2H", 0xFFFF, 0x8800), 3, 124,
    masks=(0x0800, 0x01FF, 0x0600, 0xF000))
# OS/2 1.x, 8 bits, a palette of two three-byte colours (red, blue): 3 x 2, blue but for a red
# top-left pixel.
bmp("os2_small_palette.bmp", 3, 2, 8, b"\x01\x01\x01\0" + b"\x00\x01\x01\0", header_size=12,
    palette=b"\0\0\xff" + b"\xff\0\0")
PY2

jxr "$work/alpha8.tif" 22 bgra32.wmp
jxr "$work/alpha16.tif" 23 rgba64.wmp
jxr "$work/grey8.pgm" 2 gray8.wmp
jxr "$work/grey16.pgm" 3 gray16.wmp
# The quadrants as 48-bit RGB, 1-bit black and white (black and white halves) and half-float
# RGB, from the inputs made above.
jxr "$work/quads48.ppm" 10 rgb48.wmp
im -size 8x8 xc:black xc:white +append $plain -depth 1 -compress none "$work/halves.tif"
jxr "$work/halves.tif" 1 bw1.wmp
jxr "$work/half.tif" 12 rgb48half.wmp

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
# 32bppBGR holds the same codestream as 24bppBGR; the container's pixel format (the last byte of
# its GUID: 0x0C, 0x0E) asks for rows padded to four bytes a pixel.
bgr24_guid = bytes.fromhex("24c3dd6f034efe4bb1853d77768dc90c")
patched("bgr24.wmp", "bgr32.wmp", jxr.index(bgr24_guid) + 15, b"\x0e")

for name in ["quads.bmp", "quads.jpg", "quads.png", "anim.gif", "pages.tif", "two.ico", "bgr24.wmp"]:
    content = open(name, "rb").read()
    extension = name.rsplit(".", 1)[1]
    open("truncated." + extension, "wb").write(content[:len(content) // 2])
PY

# A picture with detail in every pixel in four formats, each cut off at 60 % of its bytes, in
# the middle of its picture's data: readers that show what they have must not be believed.
for extension in jpg png gif tif; do
    im -seed 7 -size 64x48 plasma:fractal $plain -compress lzw "$work/detail.$extension"
done
python3 - "$work" <<'PY'
import sys
for extension in ["jpg", "png", "gif", "tif"]:
    content = open(sys.argv[1] + "/detail." + extension, "rb").read()
    open("cut." + extension, "wb").write(content[: len(content) * 6 // 10])
PY
