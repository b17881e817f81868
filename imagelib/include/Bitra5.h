#pragma once
// The image library's public interface: every function it exports for programs and the records
// that cross the interface. Nothing here reaches into the library's own units; programs that use
// the library include this header only.

#include <cstdint>
#include <vector>

#include "Bitra5Api.h"
#include "Bitra5Win32.h"
#include "FormatId.h"

// The object records a frame may carry (ObjectRecords.h, inside the library and the editor):
// they cross the interface by pointer only.
struct TextObjectRecord;
struct ControlObjectRecord;
struct VectorObjectRecord;
struct NPImageObjectRecord;

// -------------------- Records and callbacks that cross the interface

// dither of KPXColorConvert.
enum : short {
    kKpxDitherNone = 0,
    kKpxDitherOrdered = 1,
    kKpxDitherFloydSteinberg = 2,
    kKpxDitherBurkes = 3,
};
// paletteMode of KPXColorConvert; the flag keeps the last palette entry free.
enum : short {
    kKpxPaletteFixed = 0,
    kKpxPalettePopularity = 1,
    kKpxPaletteReserveLast = 0x80,
};

// One entry of KPXGenerateHistogramIndexImage: a pixel count, then the entry's colour.
struct KpxIndexHistogramEntry {
    std::uint32_t count;
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t zero;
};
static_assert(sizeof(KpxIndexHistogramEntry) == 8);

// Progress of the quantiser: (step, total), total being 20.
using KpxQuantiseProgress = void (*)(int step, int total);

// FrameInfo and AnimateInfo carry a frame's GIF attributes and an animation's across the
// interface. Ownership: every pointer that the library writes into them is a new copy owned by
// the caller: strings are allocated with malloc (release them with free), object records with
// new (release them with delete; a record owns its strings, arrays and metafile). What the caller
// passes in is copied; the caller keeps its own.
struct FrameInfo {
    std::int32_t width;  // output only
    std::int32_t height; // output only
    std::int32_t left;   // position on the logical screen
    std::int32_t top;
    std::int32_t delay;    // hundredths of a second
    std::int32_t disposal; // GIF disposal method 0..3
    // 0 = no single transparent index; otherwise 0x01000000 + palette index.
    std::uint32_t transparency;
    char* name;
    char* comment;
    TextObjectRecord* textObject;
    ControlObjectRecord* controlObject;
    VectorObjectRecord* vectorObject;
    NPImageObjectRecord* npImageObject;
    // Output: always 0. Input: non-zero leaves the image's transparency alone.
    std::int32_t keepTransparency;
};
// Fourteen fields in their interface order at this platform's natural sizes: seven 32-bit
// values, six pointers and one 32-bit value (56 bytes with 32-bit pointers, 88 with 64-bit).
static_assert(sizeof(FrameInfo) == (sizeof(void*) == 8 ? 88 : 56));

struct AnimateInfo {
    std::int32_t screenWidth;
    std::int32_t screenHeight;
    std::int32_t frameCount;
    std::int32_t loopCount; // -1 = no looping extension
    char* comment;
};
static_assert(sizeof(AnimateInfo) == (sizeof(void*) == 8 ? 24 : 20));

constexpr std::uint32_t kKpxTransparencyIndexFlag = 0x01000000;

// Classes that callers of the library use directly.
#define BITRA5_CLASS __attribute__((visibility("default")))

class BITRA5_CLASS KpxByteStream {
public:
    virtual ~KpxByteStream() = default;
    // Reads up to count bytes; returns the number read (0 at the end), or -1 on failure.
    virtual std::int64_t read(void* buffer, std::uint32_t count) = 0;
    // Writes count bytes; returns the number written, or -1 on failure.
    virtual std::int64_t write(const void* data, std::uint32_t count) = 0;
    // Moves by offset from origin (0 start, 1 current position, 2 end); returns the new
    // position, or -1 when it would lie before the start or the stream cannot seek.
    virtual std::int64_t seek(std::int64_t offset, int origin) = 0;
    virtual std::int64_t size() const = 0;
};

// A growable stream in memory; writing past the end extends it.
class BITRA5_CLASS KpxMemoryStream : public KpxByteStream {
public:
    KpxMemoryStream() = default;
    explicit KpxMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::int64_t read(void* buffer, std::uint32_t count) override;
    std::int64_t write(const void* data, std::uint32_t count) override;
    std::int64_t seek(std::int64_t offset, int origin) override;
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// A caller's callback stream; the library calls only these four functions, each with the table
// itself first, so a caller may keep its own data behind them.
struct KpxStreamCallbacks {
    // Returns the number of bytes read.
    std::uint32_t (*read)(KpxStreamCallbacks* stream, void* buffer, std::uint32_t count);
    // Returns the number of bytes written.
    std::uint32_t (*write)(KpxStreamCallbacks* stream, const void* data, std::uint32_t count);
    // Positions the stream with the fseek origins 0, 1, 2; returns 0.
    std::int32_t (*seek)(KpxStreamCallbacks* stream, std::int32_t offset, std::int32_t origin);
    std::int32_t (*tell)(KpxStreamCallbacks* stream);
};

// Progress function of single-image loads, saves and conversions: called once per pixel row.
using KpxProgressProc = void (*)();

constexpr int kKpxDescriptionChars = 64;

// File information for callers of the info functions (104 bytes).
struct KpxFileInfo {
    std::int32_t formatId;
    char description[kKpxDescriptionChars];
    std::int32_t width;
    std::int32_t height;
    std::int32_t reserved[2];  // always 0
    std::int32_t bitsPerPixel; // 1, 4, 8, 24 or 32
    std::int32_t fileSize;
    std::int32_t dataSize;
    std::int32_t frameCount;
    std::int32_t rotateAngle;
};
static_assert(sizeof(KpxFileInfo) == 104);

// One row of the runtime format table, handed out by value (64 bytes).
struct KpxFormatEntry {
    char extension[8]; // with the leading dot, NUL-padded
    std::int32_t formatId;
    char name[52]; // NUL-terminated
};
static_assert(sizeof(KpxFormatEntry) == 64);

// Progress of multi-frame loads and saves: (first frame, frame index, user data); 1 stops.
using KpxFramesProgress = int (*)(KpxHandle firstFrame, int frameIndex, void* userData);

// Save flags.
constexpr std::int32_t kKpxSaveInterlaced = 0x80;
constexpr std::int32_t kKpxSaveFrameByFrame = 0x200;
constexpr std::int32_t kKpxSaveFewestCodeBits = 0x400;

// What the calling thread's last KPXLoadImageFramesOffset could not deliver. A frame that fails
// to load is left out of the chain (the frames after it move up); a frame whose image data
// cannot be decoded in full is kept, the pixels the data did not give showing the background
// index. When the first image fails the load gives 0. A single-image load (KPXLoadImage,
// KPXLoadImageOffset, KPXLoadImagePreviewOffset) reports the same way: one image, at position 0
// among the damaged frames when its data was cut short or damaged.
struct KpxFramesLoadReport {
    int imagesInFile = 0;
    std::vector<std::int32_t> lostImages; // images of the file (from 0) missing from the chain
    std::vector<std::int32_t>
        damagedFrames; // chain positions (from 0) of frames decoded only in part
    bool complete() const { return lostImages.empty() && damagedFrames.empty(); }
};

// One block of a GIF file, as KPXGetGifDetails lists it (72 bytes).
struct KpxGifBlockInfo {
    std::int32_t kind; // 0 other extension, 1 header, 2 global table, 3 comment, 4 application,
                       // 5 graphic control, 6 local table, 7 image, 8 plain text
    std::int32_t offset;
    std::int32_t size;
    std::int32_t width;
    std::int32_t height;
    std::int32_t bits;
    char text[48];
};
static_assert(sizeof(KpxGifBlockInfo) == 72);

// Progress callback of single-image conversions: called once per pixel row.
using KpxRowCallback = void (*)();

// One transparent colour of an image: seven 32-bit values.
struct KpxTransparentEntry {
    std::int32_t red;       // mode 0
    std::int32_t green;     // mode 0
    std::int32_t blue;      // mode 0: blue; mode 1: palette index
    std::int32_t tolerance; // mode 0: largest difference per channel
    std::int32_t mode;      // 0 colour within tolerance, 1 palette index, 2 flood-filled region
    std::int32_t seedX;     // mode 2
    std::int32_t seedY;     // mode 2
};
static_assert(sizeof(KpxTransparentEntry) == 28);

constexpr int kKpxMaxTransparentEntries = 10;

// -------------------- Library start-up and resources

BITRA5_API HINSTANCE KpxGetResourceInstance();
BITRA5_API int KPXUseVFW();
BITRA5_API int KPXcompress(std::uint8_t* dest, unsigned long* destLength,
                           const std::uint8_t* source, unsigned long sourceLength);

BITRA5_API int KPXdecompress(std::uint8_t* dest, unsigned long* destLength,
                             const std::uint8_t* source, unsigned long sourceLength);

// -------------------- Images: creation, pixels and properties

BITRA5_API KpxHandle KPXCreateImage(int width, int height, int depth);
BITRA5_API KpxHandle KPXCreateImageFast(int width, int height, int depth, int clear);
BITRA5_API KpxHandle KPXCreateImageFromGlobal(HGLOBAL block);
BITRA5_API KpxHandle KPXCreateImageFromBitmap(HBITMAP bitmap, HPALETTE palette);
BITRA5_API KpxHandle KPXCreateImageAttach(HBITMAP bitmap, HPALETTE palette);
BITRA5_API KpxHandle KPXCreateImageFromClipboard(HWND window);
BITRA5_API KpxHandle KPXCreateImageFrom(KpxHandle image, int reference);
BITRA5_API KpxHandle KPXCreateImageSeparateColor(KpxHandle image, int plate, int keep);
BITRA5_API int KPXCopyImageToClipboard(HWND window, KpxHandle image, int format, int empty);

// Drops one reference (freeing the image with the last one); while another thread holds the
// image the drop happens when it lets go. 0 only for handle 0.
BITRA5_API int KPXDeleteImage(KpxHandle image);

// Drops one reference without the bitmap and returns the bitmap; null (nothing dropped) while
// the image is held.
BITRA5_API HBITMAP KPXDeleteImageDetach(KpxHandle image);
BITRA5_API HBITMAP KPXGetBitmap(KpxHandle image);
BITRA5_API short KPXWidth(KpxHandle image);
BITRA5_API short KPXHeight(KpxHandle image);
BITRA5_API short KPXbpp(KpxHandle image);
BITRA5_API DWORD KPXSizeImage(KpxHandle image);

// The record's own BITMAPINFO block. Handing out the pointer drops the cached checksum, since
// the caller may change the colour table through it.
BITRA5_API BITMAPINFO* KPXGetBitmapInfoHeader(KpxHandle image);

// The pixel rows. Handing out the pointer drops the cached checksum, as for the header.
BITRA5_API std::uint8_t* KPXGetBits(KpxHandle image);
BITRA5_API int KPXGetScanBytes(KpxHandle image);
BITRA5_API int KPXCalcScanBytes(int width, int depth);
BITRA5_API HGLOBAL KPXGetGlobalBlock(KpxHandle image);
BITRA5_API int KPXCompareImages(KpxHandle a, KpxHandle b);

// Copies the colour table of the BITMAPINFO block into the DIB section (under the write lock).
BITRA5_API int KPXFillDIBColorTable(KpxHandle image);

// -------------------- Drawing

// Selects and realises the library palette in a DC of 8 bits per pixel (otherwise 0). Through
// DrawDib the result is 0; through GDI it is what RealizePalette answers.
BITRA5_API int KPXSet256PaletteToDC(HDC dc, int background);

// Draws the whole image stretched into the rectangle; the clip rectangle names the part of the
// device that needs drawing. A rotated image, and mode 0 on a display, show the placeholder.
BITRA5_API short KPXStretchBlt(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                               int clipLeft, int clipTop, int clipRight, int clipBottom, int mode,
                               DWORD rop);

// The same operation (0 for a 0 handle).
BITRA5_API short KPXBitBlt(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                           int clipLeft, int clipTop, int clipRight, int clipBottom, int mode,
                           DWORD rop);

// Draws at a zoom in percent: above 100, with the rectangle's left or top negative (a view
// scrolled into the picture), only the visible part of the image is stretched.
BITRA5_API short KPXStretchBltZoom(HDC dc, int left, int top, int right, int bottom,
                                   KpxHandle image, int clipLeft, int clipTop, int clipRight,
                                   int clipBottom, int mode, DWORD rop, int unused, int zoom);

// Plate 0 or 1 draws the image itself; other plates draw its colour separation.
BITRA5_API short KPXStretchBltSeparate(HDC dc, int left, int top, int right, int bottom,
                                       KpxHandle image, int clipLeft, int clipTop, int clipRight,
                                       int clipBottom, int mode, DWORD rop, int plate, int keep);

// The drawing engine behind the others: the source (of size source right - left, bottom - top,
// always from 0, 0) drawn into the destination rectangle. image 0 draws info and bits unlocked.
BITRA5_API short KPXBitmapDrawVFW(KpxHandle image, const BITMAPINFO* info, const void* bits, HDC dc,
                                  int destLeft, int destTop, int destRight, int destBottom,
                                  int sourceLeft, int sourceTop, int sourceRight, int sourceBottom,
                                  int clipLeft, int clipTop, int clipRight, int clipBottom,
                                  int mode, DWORD rop, HBITMAP bitmap);

// Draws a region unscaled, the destination aligned to 8 pixels across and 4 down.
BITRA5_API int KPXBitmapDrawVFWWhole(const BITMAPINFO* info, const void* bits, HDC dc, int x, int y,
                                     int right, int bottom, int sourceX, int sourceY, HDC memoryDC);

// -------------------- Palettes of images

// Writes min(n, table size) entries given as red, green, blue, x into the table and pushes the
// table into the DIB section. 0 for images without a table.
BITRA5_API int KPXSetNewPalette(KpxHandle image, const PALETTEENTRY* entries, int n);

// Sets one entry from a COLORREF; 0 when the index is outside the table. The DIB section's
// table is left to the caller (KPXFillDIBColorTable).
BITRA5_API int KPXSetColorToPalette(KpxHandle image, int index, COLORREF colour);

// The entry as a COLORREF; -1 when the index is outside the table or there is none.
BITRA5_API COLORREF KPXGetColorFromPalette(KpxHandle image, int index);

// The first entry exactly equal to the colour; -1 when none.
BITRA5_API short KPXGetColorIndexFromPalette(KpxHandle image, COLORREF colour);

// Zeroes 256 counters (when counts is given), counts the pixels of each palette index of an
// image of 1, 4 or 8 bits and returns how many indices occur. Deeper images count nothing.
BITRA5_API int KPXNumColorUsed(KpxHandle image, std::int32_t* counts);

// Every pixel of colour from (exact) gets colour to; for a palette image to must be an entry of
// the table (otherwise index 0 is used).
BITRA5_API int KPXChangeColorToColor(KpxHandle image, COLORREF from, COLORREF to);

// The pixels of image at the places where reference (of the same size) has colour from get
// colour to.
BITRA5_API int KPXChangeColorToColorRef(KpxHandle image, KpxHandle reference, COLORREF from,
                                        COLORREF to);

// The pixels of image at the places where reference has palette index from get index to.
BITRA5_API int KPXChangeIndexToIndexRef(KpxHandle image, KpxHandle reference, int from, int to);

// -------------------- The library palettes

BITRA5_API const PALETTEENTRY* KPXGetHardPalette();
BITRA5_API const PALETTEENTRY* KPXGetWindows16Palette();
BITRA5_API const PALETTEENTRY* KPXGetFinePalette();
BITRA5_API HPALETTE KPXGetHPalette();

// -------------------- Depth conversion

// A new image of the requested depth (normalised; 8 for grey) with the source's pixels mapped
// onto the caller's palette, the target depth's default palette or a popularity palette,
// with or without dithering. 32-bit sources always give 24 bits. 16-bit sources (5-6-5 with
// bit fields, or 5-5-5) are read through their masks. Returns 0 for a missing image, a target
// depth of 32 bits from a shallower source, an unknown dither or palette mode, or a failed
// creation. progress (may be null) is called once per image row.
BITRA5_API KpxHandle KPXColorConvert(KpxHandle image, short depth, short dither, short paletteMode,
                                     int grey, const PALETTEENTRY* palette,
                                     KpxRowCallback progress);

BITRA5_API KpxHandle KPXCreateImage8from24(KpxHandle image);
BITRA5_API KpxHandle KPXCreateImage16from24(KpxHandle image);
BITRA5_API int KPXIsImageBlank(KpxHandle image, int fill);
BITRA5_API int KPXIsPrintedColorWhite(HDC dc);

// Sets the pixels of image selected by a 1-bit mask of the same size to colour (a COLORREF
// for 24-bit images, an index in the low byte for palette images). 1 done, 0 refused.
BITRA5_API int KPXImageFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour);

// -------------------- Colour matching and palette reduction

// Index of the colour-table entry that matches colour (a COLORREF) first under the low-bit
// elimination search; 0 for images without a colour table.
BITRA5_API int KPXGetNearestColorIndex(KpxHandle image, COLORREF colour);

// Fills table[256] with the destination index matching each source entry; 0 when either block
// has no colour table.
BITRA5_API int KPXConvertPaletteTable(const BITMAPINFO* destination, const BITMAPINFO* source,
                                      int* table);

// Moves an 8-bit image onto palette (256 entries red, green, blue, x), keeping entry index free
// for its transparent colour.
BITRA5_API int KPXConvertImageOnNewPalette(KpxHandle image, const PALETTEENTRY* palette, int index);
BITRA5_API int KPXSetNewColorPaletteFrom(KpxHandle image, KpxHandle source);

// Cuts palette (256 entries) to fewer than n distinct colours, packed at the front.
BITRA5_API int KPXReducePalette256(PALETTEENTRY* palette, int n);

// Exact 8-bit copy of a 24-bit picture at 6 bits per channel; count receives the number of
// distinct colours (above 253: too many for this conversion).
BITRA5_API KpxHandle KPXColorConvert24to8(KpxHandle image, COLORREF colour1, COLORREF colour2,
                                          COLORREF colour3, int* count);

// One palette for every frame of a chain; returns the entry kept free for transparency (0) or
// -1 on failure.
BITRA5_API int KPXCalculateOptimPalette256(KpxHandle chain, PALETTEENTRY* palette);

// Pixel counts per palette index; returns the number of table entries, 0 for other depths.
BITRA5_API short KPXGenerateHistogramIndexImage(KpxHandle image, KpxIndexHistogramEntry* histogram,
                                                int* useTransparency);

// -------------------- Quantisation

// Quantises a 24- or 8-bit source into an 8-bit destination of the same size with a palette of
// `colours` entries (at least 2) computed from the source's colours.
//   mask: 0 or a 1-bit image of the same size; only pixels whose bit is 1 are counted and
//         mapped, the others get the transparent index (ignored for 8-bit sources, whose
//         transparent index is left out instead);
//   mode: 0 nearest colour, 1 ordered dither, 2 Floyd-Steinberg, 3 Burkes;
//   fixed: leading destination entries kept as they are (cut to 0..colours);
//   flags: bit 0 computes and stores the palette only, leaving the pixels alone.
// The destination's first transparency entry (as a palette index) names the entry kept for
// transparency. Returns 1, or 0 for invalid handles, depths or sizes, or a picture without
// counted pixels. The destination's DIB colour table is refreshed in every case.
BITRA5_API int KPXFineColorConvert(KpxHandle destination, KpxHandle source, KpxHandle mask,
                                   int colours, int mode, int fixed, KpxQuantiseProgress progress,
                                   int flags);

// A 768 x 48 24-bit image showing the 256 entries of a palette (red, green, blue, x) as vertical
// stripes 3 pixels wide, entry 0 on the left. 0 for a null palette.
BITRA5_API KpxHandle KPXGetPaletteAsImage(const PALETTEENTRY* palette);

// Writes the grey value ceil(0.222 red + 0.707 green + 0.071 blue) of every source pixel into all
// three channels of the destination. Both 24 bits and of the same size, else 0.
BITRA5_API int KPXRGB2GrayScaleRGB(KpxHandle destination, KpxHandle source);

// -------------------- Transparency

// Sets the list (a count above 10 is cut to 10; count 0 or null entries clears it). The cached
// mask is always dropped so that the next use rebuilds it. 0 for a negative count.
BITRA5_API int KPXSetImageTransparent(KpxHandle image, const KpxTransparentEntry* entries,
                                      int count);

// The image's own list (not a copy) and its count; null and 0 when empty or invalid. Valid until
// the list changes or the image is deleted.
BITRA5_API KpxTransparentEntry* KPXGetImageTransparentData(KpxHandle image, int* count);

// 1 when the list is non-empty, a mask or explicit transparency image is attached, or the
// rotate angle is non-zero.
BITRA5_API int KPXIsImageTransparent(KpxHandle image);

// A new 1-bit mask of the image's size from the entries, their results OR-ed.
BITRA5_API KpxHandle KPXCreateMaskImageFrom(KpxHandle image, const KpxTransparentEntry* entries,
                                            int count);

// The combined transparency image as a new reference that the caller deletes: the cached mask
// (built from the list when needed) or else the explicit transparency image; 0 when neither. For
// an image with a rotate angle the same masks rotated with it (uncovered corners transparent),
// or else the outline of its rotated copy.
BITRA5_API KpxHandle KPXGetImageTransparentImage(KpxHandle image);

// Attaches a mask of 1 or 8 bits in place of the cached one (which is deleted); the image owns
// it from then on. Mask 0 only drops the cached mask. Another depth drops the cached mask,
// stores nothing, leaves the given mask with the caller and returns 0.
BITRA5_API int KPXSetImageTransparentMask(KpxHandle image, KpxHandle mask);

// The same for the explicit transparency image.
BITRA5_API int KPXSetImageTransparentEx(KpxHandle image, KpxHandle ex);

// The stored explicit transparency image (no new reference).
BITRA5_API KpxHandle KPXGetImageTransparentImageEx(KpxHandle image);

// Deletes the cached rotated copy and the cached mask.
BITRA5_API int KPXClearTemporaryImages(KpxHandle image);

// A new reference to the first non-zero of the three handles; 0 when all are 0.
BITRA5_API KpxHandle KPXCreateMaskCombine(KpxHandle a, KpxHandle b, KpxHandle c);
BITRA5_API KpxHandle KPXCreateTranspCombine(KpxHandle a, KpxHandle b, KpxHandle c);

// A new 1-bit image, the bitwise OR of two 1-bit images of equal size.
BITRA5_API KpxHandle KPXCreateMaskCombineEx(KpxHandle a, KpxHandle b);

// Sets (set non-zero) or clears the mask bit of every pixel of image whose colour lies within
// the tolerance of colour; colour and tolerance are COLORREF values, per channel.
BITRA5_API int KPXMaskFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour,
                                  COLORREF tolerance, int set);

// -------------------- Geometry: flip, resize, crop, invert and colour pick-up

// Mirrors the image in place: flags 1 left to right, 2 upside down (both may be given). Its
// mask, explicit transparency image and rotated copy are mirrored with it, and the seeds of its
// region entries follow the picture. 1, or 0 for a 0 handle or an image that cannot be locked.
BITRA5_API int KPXFlipImage(KpxHandle image, int flags);

// KPXNewSizeImageEx with mode 0.
BITRA5_API KpxHandle KPXNewSizeImage(KpxHandle image, int width, int height,
                                     KpxProgressProc progress);

// A new image of width x height (2..32767 each) with the whole picture stretched into it: mode 0
// through the stretch blit at the source's depth and colour table, modes 1 linear, 2 cubic and
// 3 super-sampling through the IPL resize (1-bit and true-colour images only; 3 becomes 2 when
// the image grows). The source's own size gives a copy. progress, when given, is called height
// times in all, half before the work and half after a pause of half a second. 0 on failure.
BITRA5_API KpxHandle KPXNewSizeImageEx(KpxHandle image, int width, int height, int mode,
                                       KpxProgressProc progress);

// A new image of the rectangle (right and bottom included, rows from the top), put in order and
// clamped into the image, at the source's depth and colour table. 0 on failure.
BITRA5_API KpxHandle KPXCropImage(KpxHandle image, int left, int top, int right, int bottom);

// KPXCropImage; with withTransparency the crop also gets the transparent list (region seeds
// moved with the crop) and the explicit transparency image cropped alike. The crop is returned
// even when its transparency cannot be attached.
BITRA5_API KpxHandle KPXCropImageEx(KpxHandle image, int left, int top, int right, int bottom,
                                    int withTransparency);

// Inverts in place: the pixels of 1-bit and true-colour images, the colour table of 4- and 8-bit
// images. 1, or 0 for a 0 handle or an image that cannot be locked.
BITRA5_API int KPXInvert(KpxHandle image);

// The average colour (0x00BBGGRR) of the rectangle, corners included and clamped into the image;
// -1 when none of its four corners lies in the image.
BITRA5_API int KPXSuckColor(KpxHandle image, int x1, int y1, int x2, int y2);

// The palette index (0..255) of the pixel of a 1-, 4- or 8-bit image; -1 otherwise.
BITRA5_API int KPXSuckColorIndex(KpxHandle image, int x, int y);

// -------------------- Rotation and the rotate angle

// Rotates four points in place about (cx, cy) by the whole-degree angle; a multiple of 90 leaves
// them unchanged.
BITRA5_API void KPXRotateRect(int cx, int cy, int angle, POINT* p1, POINT* p2, POINT* p3,
                              POINT* p4);

// A new image turned clockwise by the whole-degree angle (its remainder by 360): 0 gives a copy,
// quarter turns are exact, other angles map nearest neighbours onto a larger image whose
// uncovered corners are white (fillWhite non-zero, palette images: the entry nearest to white)
// or all bits set. Depths 1, 4, 8 and 24 keep their colour table. progress is called once per
// row. 0 on failure, also when the result would exceed the library's image sizes.
BITRA5_API KpxHandle KPXRotateImage(KpxHandle image, int angle, int fillWhite,
                                    KpxProgressProc progress);

// A new image turned by any angle: 0 and +-360 give a copy, +-90, +-180 and +-270 the exact
// turn; other angles give a 24-bit image, white outside the picture, with cubic interpolation.
BITRA5_API KpxHandle KPXRotateImageEx(KpxHandle image, double angle);

// The rotate angle attribute (-359..359); 0 for a 0 handle or an image that cannot be locked.
BITRA5_API int KPXGetImageRotateAngle(KpxHandle image);

// Stores the angle's remainder by 360 and drops the cached rotated copy and rotated masks.
BITRA5_API int KPXSetImageRotateAngle(KpxHandle image, int angle);

// The rotated copy for the image's rotate angle, built when missing, with the corners outside
// the picture marked in its explicit transparency image. The image keeps owning it (the caller
// does not delete it). 0 for angle 0 or on failure.
BITRA5_API KpxHandle KPXGetImageRotateImage(KpxHandle image);

// The rotated transparency: for an image with a rotate angle, the corners of its rotated copy
// (0 while there is none); for a 1- or 8-bit mask without one, the mask rotated by angle with
// the uncovered corners transparent, built and kept on first use. Owned by the library.
BITRA5_API KpxHandle KPXGetImageRotateImageMask(KpxHandle image, int angle);

// -------------------- Transparent stretch blit onto a 24-bit DIB

// Composes image onto a bottom-up 24-bit DIB (header and bits) into the rectangle left, top,
// right, bottom (DIB pixels from the top-left, right and bottom excluded, given in either
// order): stretched to the rectangle's size, clipped at the DIB's edges, pixels whose mask bit
// is 1 left untouched. The mask is the given one, else the image's own transparency; without a
// mask nothing is composed. A plane (8-bit, 0 opaque .. 255 transparent), given or with
// useExplicit the image's explicit transparency image, blends the pixels. An image with a rotate
// angle is composed as its rotated copy. separation 2..5 composes the cyan, magenta, yellow or
// black separation (KPXCreateImageSeparateColor with separationFlag). reserved is not read.
// 1 when it composed, 0 when it did nothing (the DIB then stays unchanged).
BITRA5_API int KPXStretchBltTransparent(int reserved, const BITMAPINFOHEADER* header,
                                        std::uint8_t* bits, int left, int top, int right,
                                        int bottom, KpxHandle image, int useExplicit,
                                        KpxHandle plane, KpxHandle mask, int separation,
                                        int separationFlag);

// -------------------- Flood fill

// A new 1-bit mask of the image's size with bit 1 on the region around (entry->seedX,
// entry->seedY) of pixels within entry->tolerance of entry->red, green and blue. The image has
// 1, 4, 8 or 24 bits. 0 for a null entry, an unreadable image, a seed outside the image or a
// seed whose own colour is outside the tolerance. The caller deletes the mask.
BITRA5_API KpxHandle KPXFloodFillMask(KpxHandle image, const KpxTransparentEntry* entry);

// -------------------- Fills

// Fills an image of 1, 4 or 8 bits with a palette index.
BITRA5_API int KPXFillImageByIndexColor(KpxHandle image, int index);

// Fills an image with a colour: images of 1 to 8 bits with the nearest palette index, 24-bit
// images as a chequer board whose two colours are equal; other depths give 0.
BITRA5_API int KPXFillImageByRGBColor(KpxHandle image, COLORREF colour);

// Fills the rectangle left..right x top..bottom (edges included, rows from the top, clipped to
// the image) of an 8-bit image (nearest palette index) or a 24-bit image with a colour.
BITRA5_API int KPXFillImageByRGBColor2(KpxHandle image, COLORREF colour, int left, int top,
                                       int right, int bottom);

// Fills a 24-bit image with a chequer pattern: pixel (x, y) from the top-left gets colour1 when
// (x + offsetX) / cellWidth + (y + offsetY) / cellHeight is even, else colour2. Cell width 0
// fills with colour2, cell height 0 with colour1.
BITRA5_API int KPXFillImageByChessBoard(KpxHandle image, int cellWidth, int cellHeight, int offsetX,
                                        int offsetY, COLORREF colour1, COLORREF colour2);

// Sets the pixels of an 8- or 24-bit image to colour (8 bits: its low byte as index) wherever
// the 8-bit alpha image placed at (x, y) is 255, and everywhere outside that placed image.
BITRA5_API int KPXImageClearByAlpha(KpxHandle image, KpxHandle alpha, int x, int y,
                                    COLORREF colour);

// -------------------- Palette index changes

// Images of 1, 4 or 8 bits; from and to must differ and lie inside the colour table. 1, or 0
// when nothing was done.
BITRA5_API int KPXChangeIndexToIndex(KpxHandle image, int from, int to, int swap);

// -------------------- Frame chains and animations

// Inserts image into the chain headed by chain: position 0 makes it the new head, n >= 1 puts it
// after frame n - 1, -1 appends it. 0 for a position past the end, an image already in the chain
// or a handle that cannot be locked; the chain is then left as it was.
BITRA5_API int KPXAddImageFrame(KpxHandle chain, KpxHandle image, int position);

// Unchains every frame from chain to the end; each becomes its own first frame.
BITRA5_API int KPXSplitAllImageFrame(KpxHandle chain);
BITRA5_API short KPXGetImageFramesNum(KpxHandle chain);

// Frame n (0-based); 0 past the end.
BITRA5_API KpxHandle KPXGetImageFramesImage(KpxHandle chain, int n);

// Writes the delays of the first frames, at most max; returns how many it wrote.
BITRA5_API int KPXGetImageFramesDelay(KpxHandle chain, int* delays, int max);

// The loop count; -1 for a 0 handle or none.
BITRA5_API short KPXGetImagesRepeatCycle(KpxHandle chain);

// The stored screen size when the image has a next frame or is marked as a frame of an
// animation; otherwise the image's own size.
BITRA5_API short KPXWidthFrameScreen(KpxHandle image);
BITRA5_API short KPXHeightFrameScreen(KpxHandle image);

// The stored screen size, whatever it is.
BITRA5_API short KPXWidthFrameScreenReal(KpxHandle image);
BITRA5_API short KPXHeightFrameScreenReal(KpxHandle image);
BITRA5_API int KPXGetImageFramesInfo(KpxHandle image, FrameInfo* info);
BITRA5_API int KPXSetImageFramesInfo(KpxHandle image, const FrameInfo* info);
BITRA5_API int KPXGetAnimateInfo(KpxHandle chain, AnimateInfo* info);
BITRA5_API int KPXSetAnimateInfo(KpxHandle chain, const AnimateInfo* info);

// Draws frame n of the chain (the last frame when the chain is shorter) into a device context at
// (x, y) plus the frame's screen position, at its own size, building and caching its mask from
// the transparency list first; the further arguments are those of KPXBitBlt.
BITRA5_API short KPXBitBltFrame(HDC dc, int x, int y, KpxHandle chain, int n, int clipLeft,
                                int clipTop, int clipRight, int clipBottom, int mode, DWORD rop);

// -------------------- Frame composition

// Draws source onto an 8- or 24-bit canvas with its top-left corner at (x, y) through an
// optional 1-bit mask of the source's size (0 = none). 0 when nothing can be drawn.
BITRA5_API int KPXRenderImageTo(KpxHandle canvas, KpxHandle source, KpxHandle mask, int x, int y);

// Composes frame n of chain onto canvas, the logical screen mapped to the canvas rectangle
// (left, top, right, bottom); n = -1 only applies the pending disposal and records the head's.
// The disposal-2 background is the same area of background (an image of the canvas size) or,
// without one, the colour. The seven arguments after n are not used. Always returns 0.
BITRA5_API int KPXStretchBltFrame(KpxHandle canvas, int left, int top, int right, int bottom,
                                  KpxHandle chain, int n, int unused1, int unused2, int unused3,
                                  int unused4, int unused5, int unused6, int unused7,
                                  COLORREF colour, KpxHandle background);

// Composes frames from..to onto canvas at (x, y) at the screen's own size; from greater than to
// draws frame to alone. When keep is 0 the last frame's disposal is applied at the end.
BITRA5_API int KPXRenderFrames(KpxHandle chain, KpxHandle canvas, int x, int y, int from, int to,
                               COLORREF colour, KpxHandle background, int keep);

// -------------------- Frame differences

// Marks every pixel of the 8-bit frame that shows the same colour as the 24- or 8-bit previous
// picture beneath it (the frame's top-left corner lying at (x, y)) with one index the frame does
// not otherwise use. Returns that index, or -1 when nothing was done (invalid images, depths,
// or a frame that does not lie wholly inside previous).
BITRA5_API int KPXCompareImagesAndFillByUniqueColor(KpxHandle frame, KpxHandle previous, int x,
                                                    int y);

// Writes the smallest rectangle (left, top, right, bottom, all inclusive, rows from the top)
// holding every pixel whose index differs from index. Returns 0 when such pixels exist (24-bit
// images: always, with the whole image) and 1 when the whole image is index.
BITRA5_API int KPXGetOptimalRect(RECT* rect, KpxHandle image, int index);

// -------------------- Format table

BITRA5_API int KPXCountImportFormats();
BITRA5_API int KPXCountExportFormats();

// Copies the index-th import (all rows) or export row; returns 1, or 0 for an index out of range.
BITRA5_API int KPXEnumerateImportFormats(int index, KpxFormatEntry* entry);
BITRA5_API int KPXEnumerateExportFormats(int index, KpxFormatEntry* entry);

// Copies the first row of a raster format id (10..999); returns 1, or 0 when there is none.
BITRA5_API int KPXGetFormatName(int formatId, KpxFormatEntry* entry);

// The library's notice text for the GIF format. A length of 1..2047 cuts the text to length - 1
// characters, a longer one copies it whole; a null buffer or a length of 0 or less copies
// nothing. Returns 1.
BITRA5_API int KPXSupportGifLicenseText(char* buffer, int length);

// -------------------- Format detection

BITRA5_API std::int32_t KPXGetFormatFileNDA(const char* path);

// Format id by extension only; 0 when unknown or when the whole path is "*".
BITRA5_API std::int32_t KPXGetFormatFileExt(const char* path);
BITRA5_API std::int32_t KPXGetFormatFile(const char* path);

// Format id of the data at the offset: the extension gives a hint, then the first 10 bytes
// decide. Without a hint at offset 0 the file is not opened. 0 when not recognised.
BITRA5_API std::int32_t KPXGetFormatFileOffset(const char* path, std::int32_t offset);

// -------------------- File information

// Fill the record and return 1; 0 when the format is unknown, the codec fails or reports an
// empty size.
BITRA5_API int KPXGetInfoFile(const char* path, KpxFileInfo* info);

// As KPXGetInfoFile, but an image with an alpha channel reports 32 bits per pixel.
BITRA5_API int KPXGetInfoFileEx(const char* path, KpxFileInfo* info);
BITRA5_API int KPXGetInfoFileOffset(const char* path, std::int32_t offset, KpxFileInfo* info);

// The same over a caller's callback stream (BMP and BMI); 1 whenever the codec succeeds.
BITRA5_API int KPXGetInfoFileStreamCB(KpxStreamCallbacks* stream, KpxFileInfo* info);

// Fits a picture proportionally into the box (enlarging small pictures to touch it) and
// stores the size in the box values. Returns 1, or 0 for a null pointer or an empty size.
BITRA5_API int KPXNewSizeCalculateProp(int width, int height, int* boxWidth, int* boxHeight);

// -------------------- Loading

BITRA5_API KpxHandle KPXLoadImage(HWND window, const char* path, KpxProgressProc progress);

// The image whose data begin at the offset. The window owns the Photo CD resolution dialog.
BITRA5_API KpxHandle KPXLoadImageOffset(HWND window, const char* path, std::int32_t offset,
                                        KpxProgressProc progress);

// The image at the offset fitted into a box of boxWidth x boxHeight with its aspect ratio kept
// (BitraNormalizePreviewSize); JPEG files are decoded straight to about the box's size. The
// first argument is not read.
BITRA5_API KpxHandle KPXLoadImagePreviewOffset(HWND ignored, const char* path, std::int32_t offset,
                                               int boxWidth, int boxHeight,
                                               KpxProgressProc progress);

// A new 24-bit image of the picture scaled into the box with its aspect ratio kept: as high as
// the box and proportionally wide when the box is relatively wider, else as wide as the box.
// Area-averaged, except large palette pictures, which are stretched. 0 when a side would be 0
// or the resampling fails; the image itself when the fitted size is no image size. With
// deleteSource the image is deleted unless it is what is returned.
BITRA5_API KpxHandle BitraNormalizePreviewSize(KpxHandle image, int boxWidth, int boxHeight,
                                               int deleteSource);

// A BMP or BMI image from a byte stream, with its transparency image when the stream holds one.
BITRA5_API KpxHandle KPXLoadImageOleStream(HWND ignored, KpxByteStream* stream,
                                           KpxProgressProc progress);

BITRA5_API KpxHandle KPXLoadImageStreamCB(KpxStreamCallbacks* stream, KpxProgressProc progress);

// -------------------- Saving

// Returns 1 on success, 0 on failure. option goes into the context's save option, option2 into
// its second save option.
BITRA5_API int KPXSaveImage(KpxHandle image, const char* path, std::int32_t formatId,
                            std::int32_t option, std::int32_t option2, KpxProgressProc progress);

// Converts a copy to the depth the format needs, then saves it; the image stays as it was.
BITRA5_API int KPXSaveImageEx(KpxHandle image, const char* path, std::int32_t formatId,
                              std::int32_t option, std::int32_t option2, KpxProgressProc progress);

// Why the calling thread's last KPXSaveImage, KPXSaveImageEx or KPXSaveImageFrames did not save:
// 0 when it saved, else the codec's result code (5 the file could not be created, 6 it could not
// be written, 8 stopped, ...) or kKpxSaveNotWritable. A failed save never changes the target.
BITRA5_API std::int32_t KPXGetLastSaveResult();
// The target is a file the user may not write (no write permission, or no write bit at all in
// its mode, which holds for root too); it is not replaced.
constexpr std::int32_t kKpxSaveNotWritable = 9;

// BMP (40) or BMI (110) into a stream, with the image's explicit transparency image as a second
// image; 1 when the first image was saved.
BITRA5_API int KPXSaveImageOleStream(KpxHandle image, KpxByteStream* stream, std::int32_t formatId);
BITRA5_API int KPXSaveImageStreamCB(KpxHandle image, KpxStreamCallbacks* stream,
                                    std::int32_t formatId);

// -------------------- Animations in files

// Asks the multi-frame load whose first frame is handle to stop. 0 for handles of 0 or less.
BITRA5_API int KPXBreakLoadImageFrames(KpxHandle handle);

// Every frame of the GIF at offset as a new chain: the first frame's handle, 0 when nothing
// loaded, -1 when the progress function stopped the load (no image is left then).
BITRA5_API KpxHandle KPXLoadImageFramesOffset(const char* path, std::int32_t offset,
                                              KpxFramesProgress progress, void* userData);

// The calling thread's last KPXLoadImageFramesOffset (or single-image load, see
// KpxFramesLoadReport) in numbers a C caller can take: the count
// of images in the file; the images missing from the chain and the chain positions of frames
// decoded only in part, each call copying at most capacity of them into its array (which may be
// null) and giving how many there are.
BITRA5_API std::int32_t KPXGetFramesLoadImageCount();
BITRA5_API std::int32_t KPXGetFramesLoadLost(std::int32_t* images, std::int32_t capacity);
BITRA5_API std::int32_t KPXGetFramesLoadDamaged(std::int32_t* frames, std::int32_t capacity);

// The same as one record.
inline KpxFramesLoadReport KPXGetFramesLoadReport() {
    KpxFramesLoadReport report;
    report.imagesInFile = KPXGetFramesLoadImageCount();
    report.lostImages.resize(static_cast<std::size_t>(KPXGetFramesLoadLost(nullptr, 0)));
    KPXGetFramesLoadLost(report.lostImages.data(),
                         static_cast<std::int32_t>(report.lostImages.size()));
    report.damagedFrames.resize(static_cast<std::size_t>(KPXGetFramesLoadDamaged(nullptr, 0)));
    KPXGetFramesLoadDamaged(report.damagedFrames.data(),
                            static_cast<std::int32_t>(report.damagedFrames.size()));
    return report;
}

// Writes the chain: 1 on success, 0 when a frame could not be written, -1 when the progress
// function stopped the save. The file at path is replaced only by a complete save.
BITRA5_API int KPXSaveImageFrames(KpxHandle firstFrame, const char* path, std::int32_t formatId,
                                  std::int32_t flags, std::int32_t option2,
                                  KpxFramesProgress progress, void* userData);

// -------------------- GIF transparency

// Rewrites the GIF at path with the palette index at (x, y) as its transparent colour, or with no
// transparent colour when clear is non-zero (or the point has no index). The file must hold one
// image and the point must lie inside it; the file is replaced only by a complete save.
// Returns 1, or 0 with the file unchanged.
BITRA5_API int KPXSetImageTransparentOrig(const char* path, int x, int y, int clear);

// -------------------- GIF details

// Lists the blocks of the file into the caller's array of `capacity` entries; returns the
// number of entries written (never more than capacity), 0 when the scan fails.
BITRA5_API int KPXGetGifDetails(const char* path, KpxGifBlockInfo* list, int capacity);

// -------------------- FLIC animations (FLI and FLC), read frame by frame

// The reader's file, frame positions, picture and palette: the library's own.
struct KpxFlicStream;

// An open FLIC animation, from FLICFileOpen until FLICFileRelease. Callers read the header
// values and the frame position; the stream belongs to the library.
struct KpxFlicReader {
    std::uint16_t paletteChanged; // 1 after opening or rewinding and after frames with colours
    std::uint16_t frameCount;
    std::uint16_t currentFrame; // 0 after opening or rewinding, else the frame shown (from 1)
    std::uint16_t width;
    std::uint16_t height;
    std::uint32_t delay; // milliseconds each frame is shown
    KpxFlicStream* stream;
};

// Opens a FLI or FLC file: 0 and a reader before the first frame; otherwise *reader is null and
// the result is -1 when the file cannot be opened, memory is short or the picture exceeds the
// library's limits, 1 when the header cannot be read or is no FLIC header or has no picture, 2
// when its depth is neither 8 nor 0.
BITRA5_API int FLICFileOpen(KpxFlicReader** reader, const char* path);

// Closes the file and frees the reader (null is ignored); 0.
BITRA5_API int FLICFileRelease(KpxFlicReader* reader);

// Decodes the next frame into the reader's picture and palette: 0; 1 when no frame can be read
// there; -1 for a null reader. A frame cut short by the end of the file keeps what its data
// hold. After the last frame the ring frame turns the picture back into the first one and
// counts as frame 1, so the next call gives frame 2.
BITRA5_API int FLICStreamGetNextFrame(KpxFlicReader* reader);

// Copies the picture into an 8-bit image of the reader's size (the top row into the image's top
// row) and, unless onlyChangedPalette is non-zero and the last frame carried no colours, the
// palette into the image's colour table: 0. -1, with the image unchanged, for a null reader or
// image, another depth or another size.
BITRA5_API int FLICStreamFillImage8(KpxFlicReader* reader, KpxHandle image, int onlyChangedPalette);

// Goes back before the first frame; the picture keeps its content until the next frame. The
// frame argument of older callers is ignored. 0.
BITRA5_API int FLICStreamSetCurFrame(KpxFlicReader* reader, int unusedFrame = 0);

// -------------------- Row helpers

// Clears the keep-loading flag and returns 1, unless the break lock is set (then returns 0).
BITRA5_API int KPXBreakLoad();
BITRA5_API int KPXLockBreakLoad(int value);

// -------------------- Bitmap effects

// The effects of KPXApplyBitmapEffect and of the effect dialogs.
enum : int {
    kKpxEffectTint = 0,           // p1 brightness, p2 contrast, p3 tint colour
    kKpxEffectTwoColors = 1,      // p1 dither (kKpxDither...), p2 colour of 0, p3 colour of 1
    kKpxEffectNegative = 2,       // no parameters
    kKpxEffectBrightness = 10,    // p1 brightness, p2 contrast
    kKpxEffectBrightness2 = 11,   // the same as 10
    kKpxEffectColorBalance = 12,  // p1, p2, p3 red, green and blue offsets
    kKpxEffectHueSaturation = 13, // p1 hue in degrees, p2 saturation, p3 brightness
    kKpxEffectSharpen = 20,       // p1 passes 1..5
    kKpxEffectBlur = 21,          // p1 box size 1..20
    kKpxEffectEmboss = 22,        // p1 direction (kKpxEmboss...), p3 colour of flat areas
    kKpxEffectEdges = 23,         // p1 1 inverts the result
    kKpxEffectMosaic = 24,        // p1 block size 2..50
};
// The emboss directions, numbered as the radio buttons of the emboss dialog: the side the light
// comes from (the default is kKpxEmbossBottom).
enum : int {
    kKpxEmbossTop = 8056,
    kKpxEmbossTopLeft = 8057,
    kKpxEmbossTopRight = 8058,
    kKpxEmbossLeft = 8059,
    kKpxEmbossRight = 8060,
    kKpxEmbossBottom = 8061,
    kKpxEmbossBottomLeft = 8062,
    kKpxEmbossBottomRight = 8063,
};

// A new image (the caller's) with the effect applied with the given parameters, without a
// dialog. Brightness, contrast, offsets and saturation range over -127..127; colours are
// COLORREF values. Palette images (1, 4, 8 bits) of the per-colour effects keep their depth and
// get a new colour table; the filters, the blur and the mosaic give 24-bit images. value non-zero
// keeps the tint's source colours instead of making it grey first. progress (may be null) is
// called once per image row. 0 for a 0 handle, an unknown effect, a parameter outside its range,
// a parameter that leaves nothing to do (no sharpen pass, blur size 0, mosaic size 1), a
// per-colour effect on a 16- or 32-bit image, or a failed conversion.
BITRA5_API KpxHandle KPXApplyBitmapEffect(KpxHandle image, int effect, int p1, int p2, int p3,
                                          int value, KpxRowCallback progress);
// A copy of the image with the brightness changed by value (contrast 0), no dialog; 0 as above.
BITRA5_API KpxHandle KPXBitmapEffect_Bright(KpxHandle image, int value);

// -------------------- Image processing (IPL) wrappers
//
// Each wrapper describes the pixel rows of library images to the image processing layer and
// runs one operation on them in place. They are exported with C++ names (some are overloaded).
// Coordinates (anchors, centres, rectangles, quadrangles) count x from the left and y from the
// top of the picture. Images of 1, 8 and 24 bits are described as they are; 4-bit and other
// depths are refused, except by the wrappers that make a new image, which work on a 24-bit copy
// of any source that is not 1- or 24-bit. A failure (a null or unknown handle, sizes or depths
// that do not match, an anchor outside its kernel, a rectangle outside its image, a failure of
// the processing layer) gives 0 or the null handle; nothing is thrown.

// Interpolation codes of the resizing, rotating and warping wrappers. The smooth-edge flag may
// be added to a method: rotation and warps then blend the picture's edges onto the target by
// how much of each pixel they cover.
enum : int {
    kKpxIplNearest = 0,
    kKpxIplLinear = 1,
    kKpxIplCubic = 2,
    kKpxIplSuper = 3, // area averaging when shrinking
    kKpxIplSmoothEdge = 16,
};

// The fixed kernels of IPLFixedFilter.
enum KPXIplFilter : int {
    kKpxIplPrewitt3x3Vertical = 0,
    kKpxIplPrewitt3x3Horizontal = 1,
    kKpxIplSobel3x3Vertical = 2,
    kKpxIplSobel3x3Horizontal = 3,
    kKpxIplLaplacian3x3 = 4,
    kKpxIplLaplacian5x5 = 5,
    kKpxIplGaussian3x3 = 6,
    kKpxIplGaussian5x5 = 7,
    kKpxIplHipass3x3 = 8,
    kKpxIplHipass5x5 = 9,
    kKpxIplSharpen3x3 = 10,
};

// Axis codes of IPLMirror.
enum : int {
    kKpxIplMirrorUpsideDown = 0,
    kKpxIplMirrorLeftRight = 1,
    kKpxIplMirrorBoth = -1,
};

// New images: the median, largest and smallest value of every cols x rows neighbourhood
// (anchor inside the kernel), a fixed kernel, and iterated 3 x 3 erosion or dilation.
BITRA5_CPP_API KpxHandle IPLMedianFilter(KpxHandle src, int cols, int rows, int anchorX,
                                         int anchorY);
BITRA5_CPP_API KpxHandle IPLMaxFilter(KpxHandle src, int cols, int rows, int anchorX, int anchorY);
BITRA5_CPP_API KpxHandle IPLMinFilter(KpxHandle src, int cols, int rows, int anchorX, int anchorY);
BITRA5_CPP_API KpxHandle IPLFixedFilter(KpxHandle src, KPXIplFilter filter);
BITRA5_CPP_API KpxHandle IPLErode(KpxHandle src, int iterations);
BITRA5_CPP_API KpxHandle IPLDilate(KpxHandle src, int iterations);

// The mean of every cols x rows neighbourhood of src into dst (same size and depth; dst may be
// src), the picture's edge repeated beyond it. 1 on success.
BITRA5_CPP_API int IPLBlur(KpxHandle src, KpxHandle dst, int cols, int rows, int anchorX,
                           int anchorY);
// The same over a size x size kernel anchored at its middle.
BITRA5_CPP_API int IPLBlurCenter(KpxHandle src, KpxHandle dst, int size);

// A new 24-bit image: a x alphaA / 255 + b x alphaB / 255 (both alphas 0..255), the two taken
// to 24 bits and to the larger of their widths and heights first. flag non-zero divides by the
// summed alpha.
BITRA5_CPP_API KpxHandle IPLAlphaCompositeC(KpxHandle a, KpxHandle b, int alphaA, int alphaB,
                                            int flag);

// Draws the rectangle rectInA of a over the rectangle rectInB of b (right and bottom exclusive,
// both anchored at their top-left corners, the smaller extent used), in place on b. a and b have
// the same depth. With alphaA (an 8-bit image of a's size, 255 opaque) a is blended over b by
// it, b's own alpha image alphaB (or opaque) weighting b; without, a is copied. The optional
// 1-bit mask limits the drawing to the pixels whose bit is 1; it is placed like a when it has
// a's size, else like b. rectInA must lie inside a; rectInB is normalised and clipped to b, and
// when nothing of it lies inside b nothing is drawn (result 1). 1 on success, 0 on a failure.
BITRA5_CPP_API int IPLTransparentBlt2(KpxHandle a, KpxHandle b, KpxHandle alphaA, KpxHandle alphaB,
                                      KpxHandle mask, const RECT* rectInB, const RECT* rectInA);
// The same with the whole of a.
BITRA5_CPP_API int IPLTransparentBlt(KpxHandle a, KpxHandle b, KpxHandle alphaA, KpxHandle alphaB,
                                     KpxHandle mask, const RECT* rectInB);

// A shadow of colour shaped by alpha (an 8-bit image, 255 opaque) drawn onto target: an image of
// alpha's size and target's depth filled with the colour goes through IPLTransparentBlt (or
// IPLTransparentBlt2 with rectInShadow). 1 on success.
BITRA5_CPP_API int IPLSoftShadow(COLORREF colour, KpxHandle target, KpxHandle alpha, KpxHandle mask,
                                 const RECT* rectInTarget);
BITRA5_CPP_API int IPLSoftShadow2(COLORREF colour, KpxHandle target, KpxHandle alpha,
                                  KpxHandle mask, const RECT* rectInTarget,
                                  const RECT* rectInShadow);

// Resampling of src into dst (same depth) by xDst / xSrc across and yDst / ySrc down, the
// picture's top-left corner kept: a larger result is cut to dst, a smaller one leaves the rest
// of dst alone. The short form scales by xDst / width of src and yDst / height of src. 8-bit
// images are resampled as grey levels (interpolating palette indices is the caller's choice).
// 1 on success.
BITRA5_CPP_API int IPLResize(KpxHandle src, KpxHandle dst, int xDst, int xSrc, int yDst, int ySrc,
                             int interpolation);
BITRA5_CPP_API int IPLResize(KpxHandle src, KpxHandle dst, int xDst, int yDst, int interpolation);
// Shrinking only: by width of dst / xDen and height of dst / yDen, or from one rectangle into
// another (right and bottom exclusive).
BITRA5_CPP_API int IPLDecimate(KpxHandle src, KpxHandle dst, int xDen, int yDen, int interpolation);
BITRA5_CPP_API int IPLDecimate2(KpxHandle src, KpxHandle dst, const RECT* rectInSrc,
                                const RECT* rectInDst, int interpolation);
// Enlarging only.
BITRA5_CPP_API int IPLZoom(KpxHandle src, KpxHandle dst, int xDst, int xSrc, int yDst, int ySrc,
                           int interpolation);

// Turns src by angle degrees (counter-clockwise as the picture is seen) about its pixel (0, 0)
// and moves it by the shifts into dst (same depth): pixel (x, y) of src lands on
// (x cos + y sin + xShift, -x sin + y cos + yShift); pixels of dst that nothing lands on keep
// their values. The centred form turns about pixel (x, y). 1 on success.
BITRA5_CPP_API int IPLRotate(KpxHandle src, KpxHandle dst, double angle, double xShift,
                             double yShift, int interpolation);
BITRA5_CPP_API int IPLRotateCenter(KpxHandle src, KpxHandle dst, double angle, double x, double y,
                                   int interpolation);
// The shifts of IPLRotate that turn about pixel (x, y). 1, or 0 for null pointers.
BITRA5_CPP_API int IPLGetRotateShift(double x, double y, double angle, double* xShift,
                                     double* yShift);

// Mirrors src into dst (same size and depth; dst may be src). 1 on success.
BITRA5_CPP_API int IPLMirror(KpxHandle src, KpxHandle dst, int axis);

// Warps a onto b (same depth) so that a's top-left, top-right, bottom-right and bottom-left
// corners land on quad[0..3], given as corners of b's pixels (b itself spans (0, 0) to
// (width, height)); b's pixels outside the quadrangle keep their values. Without a mask and
// without transparency of a the warp goes straight into b. Otherwise a and its transparency
// image are warped into temporaries of the quadrangle's bounding box (clipped to b, which must
// leave something) and a is blended onto b through the warped opacity and the mask (1-bit, of
// b's size; only pixels whose bit is 1 are drawn). 1 on success.
BITRA5_CPP_API int IPLWarpPerspectiveQ(KpxHandle a, KpxHandle b, KpxHandle mask,
                                       const double quad[4][2], int interpolation);

// Changes image in place by factor: kind 0 adds factor x 255 to every channel, kind 1
// subtracts it (from factor x 255 when flag is non-zero), kind 2 multiplies by factor. 1 on
// success.
BITRA5_CPP_API int IPLTransformColor(KpxHandle image, float factor, int flag, int kind);

// With a mask, KPXImageFillByColor; without, 24-bit images get the colour and 8- and 1-bit
// images the low byte of colour in every byte. 1 on success.
BITRA5_CPP_API int IPLImageFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour);

// The pixels of src converted into dst (same size; dst's depth and, for palette depths, its
// colour table are kept) with the dither method of KPXColorConvert. 1 on success.
BITRA5_CPP_API int IPLConvertToDIB(KpxHandle src, KpxHandle dst, int dither, int palette);

// Per channel, cut to the range of the depth: dst = src + value, src x value, src - value (or
// value - src when fromValue is non-zero). 1 on success.
BITRA5_CPP_API int IPLAddS(KpxHandle src, KpxHandle dst, int value);
BITRA5_CPP_API int IPLMultiplyS(KpxHandle src, KpxHandle dst, int value);
BITRA5_CPP_API int IPLSubtractS(KpxHandle src, KpxHandle dst, int value, int fromValue);
// dst = a + b, a - b, a & b, a ^ b (all three of one size, a and b of one depth). 1 on success.
BITRA5_CPP_API int IPLAdd(KpxHandle a, KpxHandle b, KpxHandle dst);
BITRA5_CPP_API int IPLSubtract(KpxHandle a, KpxHandle b, KpxHandle dst);
BITRA5_CPP_API int IPLAnd(KpxHandle a, KpxHandle b, KpxHandle dst);
BITRA5_CPP_API int IPLXor(KpxHandle a, KpxHandle b, KpxHandle dst);
// dst = ~src; dst = the depth's largest value where src reaches level, else 0. 1 on success.
BITRA5_CPP_API int IPLNot(KpxHandle src, KpxHandle dst);
BITRA5_CPP_API int IPLThreshold(KpxHandle src, KpxHandle dst, int level);

// -------------------- Image headers for other programs

// One channel of a KpxImageHeader.
struct KpxChannelDescriptor {
    std::int32_t code;      // 1 red, 2 green, 3 blue, 6 palette index, 8 bit of a mask
    std::int32_t rowStride; // bytes from one stored row to the next (rows are bottom-up)
    std::int32_t pixelStep; // bytes from one pixel to the next
    std::uint8_t* first;    // the channel's byte of the first stored pixel
};
static_assert(sizeof(KpxChannelDescriptor) == (sizeof(void*) == 8 ? 24 : 16));

// Type flags of KpxImageHeader.
constexpr std::uint32_t kKpxHeaderPixelsInPlace = 0x80000001;
constexpr std::uint32_t kKpxHeaderPixelsUnpacked = 0x80000002; // 4-bit pixels, one byte each
constexpr std::uint32_t kKpxHeaderMaskAttached = 0x80000004;
constexpr std::uint32_t kKpxHeaderPaletteAttached = 0x80000008; // written back on deletion

// The description of a library image's pixels that KpxCreateImageHeader hands out. The channel
// descriptors (`channels` of them) follow the record, and for palette images the palette
// (`paletteEntries` entries of red, green, blue) follows them; `size` counts all three.
struct KpxImageHeader {
    std::uint32_t size;
    std::uint32_t flags;
    std::int32_t width;
    std::int32_t height;
    std::int32_t hasPalette; // 1 for palette images
    std::int32_t paletteEntries;
    std::int32_t paletteEntriesAgain;
    std::int32_t reserved1; // -1
    std::int32_t reserved2; // 0
    std::int32_t reserved3; // -1
    std::int32_t channels;
    std::int32_t bitsPerChannel;
    KpxChannelDescriptor* channelDescriptors;
    KpxImageHeader* maskHeader; // the explicit transparency image's header, or null
    void* reserved4;            // null
    std::uint8_t* pixels;       // the image's rows; null for 4-bit images (see the descriptor)
    std::int32_t image;         // the image's handle
};
// Seventeen fields in their interface order at this platform's natural sizes: twelve 32-bit
// values, four pointers and the handle (68 bytes with 32-bit pointers, 88 with 64-bit).
static_assert(sizeof(KpxImageHeader) == (sizeof(void*) == 8 ? 88 : 68));

// The palette behind the channel descriptors (null for images without one).
inline std::uint8_t* KpxImageHeaderPalette(KpxImageHeader* header) {
    return header->hasPalette
               ? reinterpret_cast<std::uint8_t*>(header->channelDescriptors + header->channels)
               : nullptr;
}

// A new header for an image of 1, 4, 8 or 24 bits (null for other depths or handles): 24-bit
// pixels as blue, green and red channels in place, palette pixels as one index channel in
// place, 4-bit pixels unpacked into one byte each (rows in the image's order). A transparent
// image with an explicit transparency image gets that image's header attached. Release it with
// KpxDeleteImageHeader.
BITRA5_CPP_API KpxImageHeader* KpxCreateImageHeader(KpxHandle image);
// Packs unpacked 4-bit pixels back, writes an attached palette back into the image's colour
// table, deletes the attached mask header the same way and frees the record. 1, or 0 for null.
BITRA5_CPP_API int KpxDeleteImageHeader(KpxImageHeader* header);
// Not offered: always null.
BITRA5_CPP_API KpxImageHeader* KpxCreateSubImage(KpxImageHeader* header, const RECT* rect);

// Vector pictures and the multimedia format list.
#include "Bitra5Media.h"
