#!/usr/bin/python3
# Writes the peer oracle files of the still-image tests with Pillow (run with /usr/bin/python3 from
# tests/data; the tests themselves need only the files this writes):
#   png/pngsuite/expected-pillow.tsv and tiff/expected-pillow.tsv: name, width, height and the
#     CRC-32 of the picture as 8-bit RGB, rows top to bottom; "fail" when Pillow cannot read it.
#     16-bit grey samples are taken by their high byte, as Pillow takes 16-bit colour samples.
#   jpeg/references/<name>.png: Pillow's decoding of each JPEG as RGB, for comparisons within a
#     decoder tolerance.
import glob, os, sys, zlib
import PIL
from PIL import Image

def rgb(path):
    image = Image.open(path)
    image.load()
    if image.mode in ("I", "I;16", "I;16B", "I;16L"):
        grey = Image.new("L", image.size)
        grey.putdata([v >> 8 for v in image.getdata()])
        image = grey
    return image.convert("RGB")

def expected(folder, pattern):
    lines = []
    for path in sorted(glob.glob(os.path.join(folder, pattern))):
        name = os.path.basename(path)
        try:
            picture = rgb(path)
            lines.append("%s\t%d\t%d\t%08x" % (name, picture.width, picture.height,
                                               zlib.crc32(picture.tobytes())))
        except Exception:
            lines.append("%s\tfail" % name)
    with open(os.path.join(folder, "expected-pillow.tsv"), "w") as out:
        out.write("# name\twidth\theight\tcrc32 of 8-bit RGB, top row first (Pillow %s)\n"
                  % PIL.__version__)
        out.write("\n".join(lines) + "\n")

expected("png/pngsuite", "*.png")
expected("tiff", "*.tif")
os.makedirs("jpeg/references", exist_ok=True)
for path in sorted(glob.glob("jpeg/*.jpg")):
    try:
        rgb(path).save(os.path.join("jpeg/references", os.path.basename(path) + ".png"))
    except Exception:
        pass
