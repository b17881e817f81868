// English texts of the image library's resource library.

#include "resources/ResourceTable.h"

namespace {

constexpr KfmStringResource kStrings[] = {
    // The notice shown for the GIF format.
    {8105, "GIF support: the Graphics Interchange Format was created by CompuServe. GIF pictures "
           "are compressed with the LZW method. The patents that once covered LZW compression "
           "have expired everywhere (in the United States in 2003, in Europe, Canada and Japan "
           "in 2004), so reading and writing GIF files needs no licence."},
    // Format names.
    {8107, "PCX - ZSoft Paintbrush"},
    {8108, "GIF - CompuServe Graphics Interchange"},
    {8109, "TIFF - Tagged Image File Format"},
    {8110, "BMP - Windows Bitmap"},
    {8111, "DIB - Device Independent Bitmap"},
    {8112, "RLE - Run-Length Encoded Bitmap"},
    {8113, "WPG - WordPerfect Graphics"},
    {8114, "ICO - Windows Icon"},
    {8115, "MAC - MacPaint"},
    {8116, "TGA - Truevision Targa"},
    {8117, "JPG - JPEG File Interchange"},
    {8118, "JPEG - JPEG File Interchange"},
    {8119, "PNG - Portable Network Graphics"},
    {8120, "BMI - Keldo Bitmap Image"},
    {8121, "PCD - Kodak Photo CD"},
    // Descriptions of file kinds, 8131 to 8167.
    {8131, "Compressed"},
    {8132, "Uncompressed"},
    {8133, "Compressed, interlaced"},
    {8134, "Run-length encoded"},
    {8135, "RLE8 compressed"},
    {8136, "RLE4 compressed"},
    {8137, "CCITT modified Huffman"},
    {8138, "CCITT Group 3 fax"},
    {8139, "CCITT Group 4 fax"},
    {8140, "Old-style JPEG"},
    {8141, "JPEG compressed"},
    {8142, "NeXT 2-bit run-length"},
    {8143, "CCITT run-length words"},
    {8144, "PackBits compressed"},
    {8145, "ThunderScan compressed"},
    {8146, "Pixar film compressed"},
    {8147, "Pixar log compressed"},
    {8148, "Deflate compressed"},
    {8149, "JBIG compressed"},
    {8150, ", transparency mask"},
    {8151, ", separated (CMYK)"},
    {8152, ", YCbCr"},
    {8153, ", CIE L*a*b*"},
    {8154, ", unknown colour space"},
    {8155, ", interlaced"},
    {8156, ", not interlaced"},
    {8157, ", transparent"},
    {8158, ", animated"},
    {8159, "Windows icon"},
    {8160, "JPEG"},
    {8161, "JPEG, greyscale"},
    {8162, "JPEG, RGB"},
    {8163, "JPEG, YCbCr"},
    {8164, "JPEG, CMYK"},
    {8165, "JPEG, YCCK"},
    {8166, "MacPaint with MacBinary header"},
    {8167, "Unsupported compression"},
    // Messages of the editor's open.
    {8168, "Not every frame of %s could be read.\nFrames left out (numbers in the file): %s\n"
           "Frames decoded only in part, the rest showing the background colour: %s"},
    {8169, "%s cannot be opened: its %s x %s pixel screen is larger than the editor can hold."},
};

constexpr KfmResourceTables kTables = {
    kKfmResourceTablesVersion, kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0,
};

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    return &kTables;
}
