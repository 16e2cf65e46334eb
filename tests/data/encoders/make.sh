#!/bin/sh
# Makes the pictures of this folder with real encoders, once (they are kept in
# the repository): cjpeg and jpegtran (libjpeg-turbo-progs) and ImageMagick's
# convert, from one small picture of gradients, blocks and a diagonal, 50 x 34
# so that no side is a whole number of JPEG blocks. tst_platform decodes each
# with the program's readers and with Qt's own, and they must agree.
#   tests/data/encoders/make.sh
set -eu
cd "$(dirname "$0")"
source=$(mktemp --suffix=.ppm)
trap 'rm -f "$source"' EXIT
python3 - "$source" <<'PY'
import sys
w, h = 50, 34
rows = []
for y in range(h):
    for x in range(w):
        r, g, b = x * 255 // (w - 1), y * 255 // (h - 1), 60 + (x // 7 + y // 5) % 2 * 140
        if abs(x - y) < 2:
            r, g, b = 255, 255, 255
        rows += [r, g, b]
open(sys.argv[1], 'wb').write(b'P6 %d %d 255\n' % (w, h) + bytes(rows))
PY
cjpeg -quality 90 -sample 1x1 -outfile 444.jpg "$source"
cjpeg -quality 90 -sample 2x1 -outfile 422.jpg "$source"
cjpeg -quality 90 -sample 2x2 -outfile 420.jpg "$source"
cjpeg -quality 90 -progressive -outfile progressive.jpg "$source"
cjpeg -quality 90 -restart 1 -outfile restart-rows.jpg "$source"
cjpeg -quality 90 -sample 1x1 -restart 3B -outfile restart-blocks.jpg "$source"
cjpeg -quality 90 -grayscale -outfile gray.jpg "$source"
cjpeg -quality 90 -arithmetic -outfile arithmetic.jpg "$source"
convert "$source" -colorspace CMYK -quality 90 cmyk.jpg
convert "$source" png24:rgb.png
convert "$source" -alpha set -channel A -fx 'i/w' png32:alpha.png
convert "$source" -depth 16 png48:rgb16.png
convert "$source" -interlace PNG png24:interlaced.png
convert "$source" -colors 16 -transparent black png8:palette.png
convert "$source" -colorspace Gray -depth 4 png:gray4.png
convert "$source" -colorspace Gray -alpha set -channel A -fx 'j/h' png:gray-alpha.png
convert "$source" gif:plain.gif
convert "$source" -interlace GIF -transparent black gif:interlaced.gif
convert "$source" bmp3:rgb24.bmp
convert "$source" -colors 200 -type Palette -compress RLE bmp3:rle8.bmp
convert "$source" -colors 16 -type Palette bmp3:palette4.bmp
convert "$source" -monochrome bmp3:mono.bmp
convert "$source" -define bmp:subtype=RGB565 bmp:rgb565.bmp
convert "$source" -alpha set -channel A -fx 'i/w' bmp:argb.bmp
convert "$source" bmp2:os2.bmp
# A top-down bitmap, which few encoders write: the rows of rgb24.bmp in
# reverse order and its height negated.
python3 - <<'PY'
import struct
d = bytearray(open('rgb24.bmp', 'rb').read())
offset, = struct.unpack_from('<I', d, 10)
w, h = struct.unpack_from('<ii', d, 18)
stride = (w * 3 + 3) // 4 * 4
rows = [d[offset + i * stride: offset + (i + 1) * stride] for i in range(h)]
d[offset:offset + h * stride] = b''.join(reversed(rows))
struct.pack_into('<i', d, 22, -h)
open('top-down.bmp', 'wb').write(d)
PY
