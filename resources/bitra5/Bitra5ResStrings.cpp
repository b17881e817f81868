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
    // Multimedia format names: animations, then sounds.
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 0, "AVI - Video for Windows"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 1, "FLI - Autodesk Animator"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 2, "FLC - Autodesk Animator Pro"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 3, "MPG - MPEG Video"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 4, "MPEG - MPEG Video"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 5, "M1V - MPEG-1 Video Stream"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 6, "MPA - MPEG Audio Stream"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 7, "MPE - MPEG Video"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 8, "ENC - MPEG Video"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 9, "MOV - QuickTime Movie"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 10, "QT - QuickTime Movie"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 11, "WAV - Windows Sound"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 12, "MID - MIDI Sequence"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 13, "RMI - RIFF MIDI Sequence"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 14, "AU - Sun Audio"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 15, "SND - Sun Audio"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 16, "AIF - Audio Interchange"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 17, "AIFC - Compressed Audio Interchange"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 18, "AIFF - Audio Interchange"},
    {bitra5res::IDS_MEDIA_FORMAT_FIRST + 19, "MP2 - MPEG Audio Layer 2"},
    // Vector format names.
    {bitra5res::IDS_VECTOR_WMF, "WMF - Windows Metafile"},
    {bitra5res::IDS_VECTOR_EMF, "EMF - Enhanced Windows Metafile"},
    {bitra5res::IDS_VECTOR_KVP, "KVP - Keldo Vector Picture"},
    {bitra5res::IDS_VECTOR_KTF, "KTF - Keldo Drawing"},
    {bitra5res::IDS_VECTOR_KTF_STORAGE, "KTF - Keldo Drawing (compound file)"},
    {bitra5res::IDS_VECTOR_KWE, "KWE - Keldo Web Element"},
    {bitra5res::IDS_VECTOR_CDR, "CDR - CorelDRAW Drawing"},
    {bitra5res::IDS_VECTOR_DXF, "DXF - AutoCAD Drawing Exchange"},
    {bitra5res::IDS_VECTOR_PLT, "PLT - HP-GL Plotter File"},
    {bitra5res::IDS_VECTOR_HGL, "HGL - HP Graphics Language"},
    {bitra5res::IDS_VECTOR_EPS, "EPS - Encapsulated PostScript"},
    {bitra5res::IDS_VECTOR_AI, "AI - Adobe Illustrator"},
    {bitra5res::IDS_VECTOR_PDF, "PDF - Portable Document Format"},
    {bitra5res::IDS_VECTOR_DWG, "DWG - AutoCAD Drawing"},
    {bitra5res::IDS_VECTOR_CMX, "CMX - Corel Presentation Exchange"},
    {bitra5res::IDS_WMF_PLACEABLE, "Placeable Windows Metafile"},
    {bitra5res::IDS_WMF_PLAIN, "Windows Metafile"},
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
};

constexpr KfmResourceTables kTables = {
    kKfmResourceTablesVersion, kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0,
};

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    return &kTables;
}
