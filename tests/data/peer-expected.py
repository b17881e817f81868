#!/usr/bin/python3
# Writes the peer oracle files of the still-image tests with Pillow (run with /usr/bin/python3 from
# tests/data; the tests themselves need only the files this writes):
#   png/pngsuite/expected-pillow.tsv and tiff/expected-pillow.tsv: name, width, height and the
#     CRC-32 of the picture as 8-bit RGB, rows top to bottom; "fail" when Pillow cannot read it.
#     16-bit grey samples are taken by their high byte, as Pillow takes 16-bit colour samples.
#     TIFF palettes of 16-bit values are scaled to 8 bits in two ways among the peers: Pillow
#     and libtiff take the high byte, ImageMagick rounds v x 255 / 65535, as this library does;
#     for palette TIFFs the line holds ImageMagick's reading (its last column names the peer).
#   jpeg/references/<name>.png: Pillow's decoding of each JPEG as RGB, for comparisons within a
#     decoder tolerance.
import glob, os, subprocess, sys, zlib
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

def imagemagick(path):
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                          text=True, check=True).stdout.split()
    pixels = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                            check=True).stdout
    return int(size[0]), int(size[1]), pixels

def expected(folder, pattern, palettesByImageMagick=False):
    lines = []
    for path in sorted(glob.glob(os.path.join(folder, pattern))):
        name = os.path.basename(path)
        try:
            if palettesByImageMagick and Image.open(path).mode == "P":
                width, height, pixels = imagemagick(path)
                peer = "ImageMagick"
            else:
                picture = rgb(path)
                width, height, pixels = picture.width, picture.height, picture.tobytes()
                peer = "Pillow"
            lines.append("%s\t%d\t%d\t%08x\t%s" % (name, width, height, zlib.crc32(pixels), peer))
        except Exception:
            lines.append("%s\tfail" % name)
    with open(os.path.join(folder, "expected-pillow.tsv"), "w") as out:
        out.write("# name\twidth\theight\tcrc32 of 8-bit RGB, top row first\tpeer (Pillow %s)\n"
                  % PIL.__version__)
        out.write("\n".join(lines) + "\n")

expected("png/pngsuite", "*.png")
expected("tiff", "*.tif", palettesByImageMagick=True)
os.makedirs("jpeg/references", exist_ok=True)
for path in sorted(glob.glob("jpeg/*.jpg")):
    try:
        picture = rgb(path)
        # Pixels only: an ICC profile chunk copied from a JPEG can make libpng warn.
        picture.info.clear()
        picture.save(os.path.join("jpeg/references", os.path.basename(path) + ".png"))
    except Exception:
        pass
