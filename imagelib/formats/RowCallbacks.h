#pragma once
// The row layout shared by the row callbacks, the two callbacks that move pixel rows between a
// codec and a library image, the keep-loading flag with its break lock, and the row arithmetic
// the codecs use.

#include <cstdint>

#include "Bitra5.h"
#include "CodecContext.h"

// Where the rows of the current load or save live. One set per thread, so loads and saves on
// different threads never share it. Row sizes are held in 32 bits, so wide images do not wrap.
struct KpxRowLayout {
    std::int32_t depth = 0;     // 1, 4, 8, 24 or 32
    std::uint32_t rowBytes = 0; // padded to a multiple of 4
    std::int32_t rows = 0;
    std::uint8_t* bits = nullptr; // first byte of the target image's pixel rows (bottom-up)
};

// Sets depth, row size and row count from the context (for saves from the row depth, when set)
// and clears the pixel pointer; the front end points it at the image afterwards.
BITRA5_API void KpxSetupRowLayout(const KpxCodecContext* context);
BITRA5_API void KpxSetRowBits(std::uint8_t* bits);
// The calling thread's layout.
BITRA5_API KpxRowLayout KpxGetRowLayout();

// Copies one row from the codec's buffer into the image (row index counted from the top).
// Returns 8 past the last row or once a break was requested, else 0.
BITRA5_API int KpxStoreRow(std::uint8_t* row, int index);
// Copies one image row (counted from the top) into the codec's buffer; 8 past the last row.
BITRA5_API int KpxFetchRow(std::uint8_t* row, int index);

// The keep-loading flag: set when a load starts, cleared by KPXBreakLoad.
BITRA5_API void KpxSetKeepLoading(int value);
BITRA5_API int KpxKeepLoading();

// Row size of a DIB row: ((width x bits + 31) / 32) x 4, in 32 bits.
BITRA5_API std::uint32_t KpxScanBytes(int width, int bits);
// Below 2 -> 1, 2..4 -> 4, 5..8 -> 8, 9..24 -> 24, above 24 -> 32.
BITRA5_API int KpxNormalizeBitCount(int bits);
// Below 2 -> 2, 2..4 -> 16, 5..8 -> 256, above 8 -> 0.
BITRA5_API int KpxColorTableSize(int bits);
BITRA5_API int KpxAbsDifference(int a, int b);
// The absolute difference of its second and fourth operands.
BITRA5_API int KpxAbsDifference2(int x, int a, int y, int b);
