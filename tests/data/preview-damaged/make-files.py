# Writes the damaged preview files and the fuzz seeds (run from the worktree's root).
import struct, zlib, os

def dib(w, h, rgb=(255, 0, 0)):
    row = bytes([rgb[2], rgb[1], rgb[0]]) * w
    row += b'\0' * ((4 - len(row) % 4) % 4)
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, 0, 0, 0, 0, 0) + row * h

def chunk(tag, data, size=None):
    return tag + struct.pack('<I', len(data) if size is None else size) + data

def riff(form, chunks):
    body = form + b''.join(chunks)
    return b'RIFF' + struct.pack('<I', len(body)) + body

def hexlines(data, per=32):
    return ''.join('%' + data[i:i + per].hex().upper() + '\n' for i in range(0, len(data), per))

def binary_eps(sections):
    # sections: (wmf offset, wmf length, tiff offset, tiff length), then the bytes after 30
    head = b'\xC5\xD0\xD3\xC6' + struct.pack('<IIIIII', 30, 20, *sections) + b'\xFF\xFF'
    return head

good_dib = dib(6, 5)
files = {
    'riff-display-size-zero.cdr': riff(b'CDR9', [chunk(b'DISP', b'')]),
    'riff-display-past-end.cdr': riff(b'CDR9', [chunk(b'DISP', struct.pack('<I', 8) + good_dib, len(good_dib) + 5000)]),
    'riff-display-header-cut.cdr': riff(b'CDR9', [chunk(b'DISP', struct.pack('<I', 8) + good_dib[:30])]),
    'riff-display-huge-image.cdr': riff(b'CDR9', [chunk(b'DISP', struct.pack('<I', 8) + struct.pack('<IiiHHIIiiII', 40, 30000, 30000, 1, 24, 0, 0, 0, 0, 0, 0) + b'\0' * 64)]),
    'riff-page-list-short.cdr': riff(b'CDR8', [chunk(b'LIST', b'page' + b'\0' * 26)]),
    'riff-chunk-size-huge.cmx': riff(b'CMX1', [chunk(b'junk', b'', 0xFFFFFFF8), chunk(b'DISP', struct.pack('<I', 8) + good_dib)]),
    'riff-cut-in-display.cdr': riff(b'CDR9', [chunk(b'vrsn', b'\1\0'), chunk(b'DISP', struct.pack('<I', 8) + good_dib)])[:60],
    'eps-tiff-beyond-end.eps': binary_eps((0, 0, 4000, 100)) + b'%!PS\n',
    'eps-wmf-huge-length.eps': binary_eps((30, 0xFFFFFFF0, 0, 0)) + b'\x01\x00\x09\x00\x00\x03' + b'\0' * 30,
    'eps-tiff-not-tiff.eps': binary_eps((0, 0, 30, 40)) + b'II*\0' + b'\xFF' * 36,
    'eps-header-cut.eps': binary_eps((0, 0, 30, 40))[:17],
    'epsi-surplus-data.eps': ('%!PS-Adobe-3.0 EPSF-3.0\n%%BeginPreview: 15 15 8 20\n' + hexlines(bytes(4000)) + '%%EndPreview\n').encode(),
    'epsi-odd-digits.eps': ('%!PS\n%%BeginPreview: 16 16 4 3\n%ABC\n%D\n%E F 0 1 2 G H\n%%EndImage\n').encode(),
    'epsi-unterminated.eps': ('%!PS\r%%BeginPreview: 40 40 1 2\r%FFFF00').encode(),
    'epsi-long-line.eps': ('%!PS\n%%BeginPreview: 500 500 8 1\n%' + 'A' * 5000).encode(),
    'ai-run-past-picture.ai': ('%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n%%BeginData: 800 Hex Bytes\n' + hexlines(bytes(768) + b'RLE' + bytes([0xFD, 17, 1])) + '%%EndData\n').encode(),
    'ai-escape-at-end.ai': ('%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n%%BeginData: 800 Hex Bytes\n' + hexlines(bytes(768) + b'RLE' + bytes([1, 2, 0xFD, 3])) + '%%EndData\n').encode(),
    'ai-no-begin-data.ai': ('%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n' + hexlines(bytes(800))).encode(),
    'ai-short-palette.ai': ('%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n%%BeginData: 10\n' + hexlines(bytes(500)) + '%%EndData\n').encode(),
    'kvp-truncated.kvp': struct.pack('<HH', 666, 2) + bytes(3000),
    'ktf-preview-offset-past-end.ktf': bytes(4) + struct.pack('<III', 0xD4015ADD, 0x12345678, 0) + bytes(20) + struct.pack('<I', 0x7FFFFF00) + bytes(52),
    'ktf-zip-wrong-size.ktf': None,
    'ktf-zip-cut.ktf': None,
    'ktf-zip-stored-not-bmp.ktf': None,
}

def zip_member(name, content, deflate, size=None):
    if deflate:
        c = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = c.compress(content) + c.flush()
    else:
        packed = content
    head = struct.pack('<IHHHHHIIIHH', 0x04034B50, 20, 0, 8 if deflate else 0, 0, 0, 0,
                       len(packed), len(content) if size is None else size, len(name), 0)
    return head + name + packed

bmp = b'BM' + struct.pack('<IHHI', 14 + len(good_dib), 0, 0, 54) + good_dib
files['ktf-zip-wrong-size.ktf'] = zip_member(b'preview.bmp', bmp, True, len(bmp) * 2) + bytes(40)
files['ktf-zip-cut.ktf'] = (zip_member(b'doc.xml', b'x' * 100, False) + zip_member(b'preview.bmp', bmp, True))[:170]
files['ktf-zip-stored-not-bmp.ktf'] = zip_member(b'preview.bmp', b'XX' + bmp[2:], False)

os.makedirs('tests/data/preview-damaged', exist_ok=True)
for name, data in files.items():
    open('tests/data/preview-damaged/' + name, 'wb').write(data)

# Seeds of the fuzz target: road byte, then the input of each road.
ext = ['.cdr', '.cmx', '.eps', '.ai', '.kvp', '.ktf', '.wmf']
good_riff = riff(b'CDR9', [chunk(b'vrsn', b'\1\0'), chunk(b'DISP', struct.pack('<I', 8) + good_dib)])
page_riff = riff(b'CDRX', [chunk(b'LIST', b'page' + bytes(28) + good_dib + bytes(4))])
epsi = ('%!PS-Adobe-3.0 EPSF-3.0\n%%BeginPreview: 16 16 2 4\n' + hexlines(bytes(range(64))) + '%%EndPreview\n').encode()
ai = ('%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n%%BeginData: 800 Hex Bytes\n' + hexlines(bytes(range(256)) * 3 + b'RLE' + bytes([0xFD, 8, 1, 2, 0xFD, 2, 3, 4, 5, 6, 7, 8])) + '%%EndData\n').encode()
kvp = struct.pack('<HH', 666, 1) + bytes(100) + bytes(range(64)) + bytes(5200)
ktf = bytes(4) + struct.pack('<III', 0xD4015ADD, 0x12345678, 0) + bytes(20) + struct.pack('<I', 92) + bytes(52) + bmp
zipped = zip_member(b'preview.bmp', bmp, True) + bytes(40)
seeds = {
    'road0-riff': bytes([0]) + good_riff, 'road0-page': bytes([5]) + page_riff,
    'road1-epsi': bytes([1]) + epsi, 'road1-ai': bytes([6]) + ai,
    'road2-epsi': bytes([2]) + epsi[epsi.index(b'%%Begin'):],
    'road2-ai': bytes([7]) + ai[ai.index(b'%AI7'):],
    'road3-kvp': bytes([3]) + kvp, 'road3-ktf': bytes([8]) + ktf, 'road3-zip': bytes([13]) + zipped,
    'road4-cdr': bytes([4, 0]) + good_riff, 'road4-eps': bytes([4, 2]) + epsi,
    'road4-ai': bytes([4, 3]) + ai, 'road4-kvp': bytes([4, 4]) + kvp, 'road4-ktf': bytes([4, 5]) + zipped,
}
os.makedirs('fuzz/seeds/preview', exist_ok=True)
for name, data in seeds.items():
    open('fuzz/seeds/preview/' + name, 'wb').write(data)
