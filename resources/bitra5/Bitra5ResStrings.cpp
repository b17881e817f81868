// English texts of the image library's resource library.

#include "Bitra5ResourceIds.h"
#include "resources/ResourceTable.h"

namespace {

constexpr KfmStringResource kStrings[] = {
    // The notice shown for the GIF format.
    {bitra5res::IDS_GIF_NOTICE,
     "GIF support: the Graphics Interchange Format was created by CompuServe. GIF pictures "
     "are compressed with the LZW method. The patents that once covered LZW compression "
     "have expired everywhere (in the United States in 2003, in Europe, Canada and Japan "
     "in 2004), so reading and writing GIF files needs no licence."},
    // Format names.
    {bitra5res::IDS_FORMAT_PCX, "PCX - ZSoft Paintbrush"},
    {bitra5res::IDS_FORMAT_GIF, "GIF - CompuServe Graphics Interchange"},
    {bitra5res::IDS_FORMAT_TIF, "TIFF - Tagged Image File Format"},
    {bitra5res::IDS_FORMAT_BMP, "BMP - Windows Bitmap"},
    {bitra5res::IDS_FORMAT_DIB, "DIB - Device Independent Bitmap"},
    {bitra5res::IDS_FORMAT_RLE, "RLE - Run-Length Encoded Bitmap"},
    {bitra5res::IDS_FORMAT_WPG, "WPG - WordPerfect Graphics"},
    {bitra5res::IDS_FORMAT_ICO, "ICO - Windows Icon"},
    {bitra5res::IDS_FORMAT_MAC, "MAC - MacPaint"},
    {bitra5res::IDS_FORMAT_TGA, "TGA - Truevision Targa"},
    {bitra5res::IDS_FORMAT_JPG, "JPG - JPEG File Interchange"},
    {bitra5res::IDS_FORMAT_JPEG, "JPEG - JPEG File Interchange"},
    {bitra5res::IDS_FORMAT_PNG, "PNG - Portable Network Graphics"},
    {bitra5res::IDS_FORMAT_BMI, "BMI - Keldo Bitmap Image"},
    {bitra5res::IDS_FORMAT_PCD, "PCD - Kodak Photo CD"},
    // Descriptions of file kinds, IDS_DESCRIPTION_FIRST to IDS_DESCRIPTION_LAST.
    {bitra5res::IDS_DESCRIPTION_FIRST + 0, "Compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 1, "Uncompressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 2, "Compressed, interlaced"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 3, "Run-length encoded"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 4, "RLE8 compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 5, "RLE4 compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 6, "CCITT modified Huffman"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 7, "CCITT Group 3 fax"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 8, "CCITT Group 4 fax"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 9, "Old-style JPEG"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 10, "JPEG compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 11, "NeXT 2-bit run-length"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 12, "CCITT run-length words"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 13, "PackBits compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 14, "ThunderScan compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 15, "Pixar film compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 16, "Pixar log compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 17, "Deflate compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 18, "JBIG compressed"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 19, ", transparency mask"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 20, ", separated (CMYK)"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 21, ", YCbCr"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 22, ", CIE L*a*b*"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 23, ", unknown colour space"},
    {bitra5res::IDS_DESCRIPTION_INTERLACED, ", interlaced"},
    {bitra5res::IDS_DESCRIPTION_NOT_INTERLACED, ", not interlaced"},
    {bitra5res::IDS_DESCRIPTION_TRANSPARENT, ", transparent"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 27, ", animated"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 28, "Windows icon"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 29, "JPEG"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 30, "JPEG, greyscale"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 31, "JPEG, RGB"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 32, "JPEG, YCbCr"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 33, "JPEG, CMYK"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 34, "JPEG, YCCK"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 35, "MacPaint with MacBinary header"},
    {bitra5res::IDS_DESCRIPTION_FIRST + 36, "Unsupported compression"},
    // Messages of the editor's open.
    {bitra5res::IDS_FRAMES_NOT_READ,
     "Not every frame of %s could be read.\nFrames left out (numbers in the file): %s\n"
     "Frames decoded only in part, the rest showing the background colour: %s"},
    {bitra5res::IDS_CANVAS_TOO_LARGE,
     "%s cannot be opened: its %s x %s pixel screen is larger than the editor can hold."},
    // The Photo CD resolution dialog.
    {bitra5res::IDS_PCD_SIZE_ENTRY, "%d x %d pixels"},
    {bitra5res::IDS_PCD_MEMORY, "Memory needed: %s bytes"},
    {bitra5res::IDS_PCD_DEFAULT_SIZE, "Default size (%d x %d pixels)"},
    // The bitmap effect dialogs: titles, then the texts of their controls.
    {bitra5res::IDD_EFFECT_BRIGHTNESS, "Brightness and Contrast"},
    {bitra5res::IDD_EFFECT_TINT, "Tint"},
    {bitra5res::IDD_EFFECT_TWO_COLORS, "Two Colours"},
    {bitra5res::IDD_EFFECT_EDGES, "Edges"},
    {bitra5res::IDD_EFFECT_EMBOSS, "Emboss"},
    {bitra5res::IDD_EFFECT_SHARPEN, "Sharpen"},
    {bitra5res::IDD_EFFECT_HUE, "Hue, Saturation and Brightness"},
    {bitra5res::IDD_EFFECT_MOSAIC, "Mosaic"},
    {bitra5res::IDD_EFFECT_BALANCE, "Colour Balance"},
    {bitra5res::IDD_EFFECT_BLUR, "Blur"},
    {bitra5res::IDS_EFFECT_BRIGHTNESS, "&Brightness:"},
    {bitra5res::IDS_EFFECT_CONTRAST, "&Contrast:"},
    {bitra5res::IDS_EFFECT_RED, "&Red:"},
    {bitra5res::IDS_EFFECT_GREEN, "&Green:"},
    {bitra5res::IDS_EFFECT_BLUE, "B&lue:"},
    {bitra5res::IDS_EFFECT_HUE, "&Hue:"},
    {bitra5res::IDS_EFFECT_SATURATION, "&Saturation:"},
    {bitra5res::IDS_EFFECT_PASSES, "&Passes:"},
    {bitra5res::IDS_EFFECT_BLUR_SIZE, "&Size:"},
    {bitra5res::IDS_EFFECT_BLOCK_SIZE, "&Block size:"},
    {bitra5res::IDS_EFFECT_DITHERING, "Dithering"},
    {bitra5res::IDS_EFFECT_DITHER_NONE, "&None"},
    {bitra5res::IDS_EFFECT_DITHER_ORDERED, "&Ordered"},
    {bitra5res::IDS_EFFECT_DITHER_FLOYD, "&Floyd-Steinberg"},
    {bitra5res::IDS_EFFECT_COLOR_1, "Colour of &0..."},
    {bitra5res::IDS_EFFECT_COLOR_2, "Colour of &1..."},
    {bitra5res::IDS_EFFECT_TINT_COLOR, "&Tint colour..."},
    {bitra5res::IDS_EFFECT_EMBOSS_COLOR, "&Colour..."},
    {bitra5res::IDS_EFFECT_EMBOSS_RESET, "&Reset"},
    {bitra5res::IDS_EFFECT_INVERT, "&Invert"},
    {bitra5res::IDS_EFFECT_LIGHT_FROM, "Light from"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 0, "Top"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 1, "Top left"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 2, "Top right"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 3, "Left"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 4, "Right"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 5, "Bottom"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 6, "Bottom left"},
    {bitra5res::IDS_EFFECT_DIRECTION_FIRST + 7, "Bottom right"},
    {bitra5res::IDS_EFFECT_BEFORE, "Before"},
    {bitra5res::IDS_EFFECT_AFTER, "After"},
    {bitra5res::IDS_EFFECT_OK, "OK"},
    {bitra5res::IDS_EFFECT_CANCEL, "Cancel"},
    {bitra5res::IDS_EFFECT_PREVIEW_HINT,
     "Click a picture to switch between fitted and actual size."},
};

constexpr KfmResourceTables kTables = {
    kKfmResourceTablesVersion, kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0,
};

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    return &kTables;
}
