#pragma once
// Packed DIBs (a BITMAPINFOHEADER, its colour table or bit-field masks, the pixel rows) as the
// clipboard carries them to and from other programs: as BMP files and as pictures. Bytes from
// other programs are untrusted: only a DIB whose every part lies within its bytes passes as it
// stands; anything else is decoded and written anew, or refused (an empty result).

#include <QByteArray>
#include <QImage>

#include "types/Win32Types.h"

namespace kfm::clipboard {

// Whether the bytes are a bottom-up, uncompressed (or bit-field) DIB with a 40-byte header whose
// colour table, masks and rows all lie within the bytes.
bool isSoundPackedDib(const QByteArray& dib);

// The BMP file of a packed DIB: the 14-byte file header in front of the DIB's bytes.
QByteArray bmpFileOfDib(const QByteArray& dib);

// The packed DIB of BMP data from another program: a BMP file or a bare packed DIB. A sound DIB
// passes unchanged; another one Qt can read is written anew; empty when it cannot be read.
QByteArray dibOfBmpData(const QByteArray& bmp);

// The picture of a packed DIB; a null QImage for damaged bytes.
QImage imageOfDib(const QByteArray& dib);

// Another program's picture bytes decoded by Qt (format: a Qt format name, or null to guess),
// checked before anything is allocated: a picture of more than 2^22 pixels needs bytes that
// could hold it at the densest coding of the formats read (1032 pixels a byte), so a few
// kilobytes never become hundreds of megabytes. A null QImage when refused or unreadable.
QImage imageOfForeignBytes(const QByteArray& bytes, const char* format = nullptr);

// A sound packed DIB of a picture: 1 or 8 bits with the picture's colour table, 32 bits (with
// alpha) for a picture with an alpha channel, 24 bits otherwise. Empty for a null picture.
QByteArray dibOfImage(const QImage& image);

// The packed DIB of a bitmap, and a new bitmap of a sound packed DIB; empty or null on failure.
QByteArray dibOfBitmap(HBITMAP bitmap);
HBITMAP bitmapOfDib(const QByteArray& dib);

} // namespace kfm::clipboard
