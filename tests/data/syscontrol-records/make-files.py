#!/usr/bin/env python3
"""Writes the damaged and hostile control-frame records the fuzz target starts from: each file is
the 104-byte record as a GIF block carries it, followed by its texts (the first at most 255
bytes). Run from this folder."""
import struct

def record(kind, style=0, values=(), flags=(0, 0, 0, 0, 0)):
    values = list(values) + [0] * (16 - len(values))
    return (struct.pack('<I5B', kind & 0xFFFFFFFF, *flags) + bytes(19) +
            struct.pack('<I', style & 0xFFFFFFFF) +
            struct.pack('<16i', *values) + bytes(8))

files = {
    'listbox.bin': record(7, 0x7, [40, 2]) + b'one\n\ntwo\n\nthree',
    'listbox-selection-beyond.bin': record(7, 0xFF, [-1, 99]) + b'a\n\n\nb\n\n',
    'combo-kind-beyond.bin': record(8, 0x3F, [-20, 7, 5]) + b'x',
    'tab-hot-beyond.bin': record(14, 0x7F, [3, 9, -4, 2147483647]) + b'A\n\nB',
    'date-impossible.bin': record(15, 0xFFFFFFFF, [9, 0, 13, 32, 24, 60, 60]),
    'calendar-month0.bin': record(16, 0xF, [2000, 0, 1, 1600, 2, 30]),
    'messagebox-beyond.bin': record(19, 77, [6, -1], (255, 1, 256 % 256, 2, 9)) + b'Title',
    'icon-beyond.bin': record(20, 0xFFFFFFFF, [4000]),
    'slider-negative.bin': record(13, 0xF, [5, -3, -10, -100, 0, 50, -50]),
    'type-high.bin': record(0x80000000, 0xFFFFFFFF, [-1] * 16),
    'type-ip.bin': record(17, 0x0A000001),
    'truncated.bin': record(6, 0x1F, [1, 0, 0])[:50],
    'long-texts.bin': record(5, 0x1F, [2]) + b'&' * 300,
}
for name, data in files.items():
    with open(name, 'wb') as out:
        out.write(data)
