#pragma once
// The library's vector pictures (KDR) and its list of animation and sound formats (KRV).

#include <cstdint>

#include "Bitra5Api.h"

struct KpxFormatEntry;

// -------------------- Multimedia formats

// Animation format ids lie in 2001..2999, sound format ids in 3001..3999.
struct KrvFileInfo {
    std::int32_t formatId;
    char description[64];
    std::int32_t fileSize;
};

// 11 animation formats (9 sound formats) when FFmpeg opens streamed media here, else the 3
// that need no more than the built-in readers.
BITRA5_API int KRVACountImportFormats();
BITRA5_API int KRVACountExportFormats();
BITRA5_API int KRVSCountImportFormats();
BITRA5_API int KRVSCountExportFormats();
// The entry of table position index (0..10 animations, 0..8 sounds, whatever the count); 1, or
// 0 for an index outside the table.
BITRA5_API int KRVAEnumerateImportFormats(int index, KpxFormatEntry* entry);
BITRA5_API int KRVAEnumerateExportFormats(int index, KpxFormatEntry* entry);
BITRA5_API int KRVSEnumerateImportFormats(int index, KpxFormatEntry* entry);
BITRA5_API int KRVSEnumerateExportFormats(int index, KpxFormatEntry* entry);
// 1 with the entry of an animation or sound format id, else 0.
BITRA5_API int KRVGetFormatName(int formatId, KpxFormatEntry* entry);
// The format of a file from its extension and its first 12 bytes; 0 when it is none of them.
BITRA5_API int KRVGetFormatFile(const char* path);
// 1 with the format, a description of one blank and the file size; 0 for no media file.
BITRA5_API int KRVAGetInfoFile(const char* path, KrvFileInfo* info);
BITRA5_API int KRVSGetInfoFile(const char* path, KrvFileInfo* info);
// 1 when FFmpeg opens MPEG, QuickTime and the streamed sound formats here (asked once).
BITRA5_API int KRVSupportActiveMovie();

// -------------------- Vector pictures

// Vector format ids lie in 1001..1999: 1010 is the Windows metafile, which the library reads,
// draws and writes itself. The other formats need the outside drawing libraries, which are not
// part of this system: KDRInitLibraries finds none, and their files are recognised and
// described but do not load.
struct KdrFileInfo {
    std::int32_t formatId;
    char description[64];
    std::int32_t width;
    std::int32_t height;
    std::int32_t fileSize;
    std::int32_t extra;
};
using KdrHandle = std::int16_t;

BITRA5_API int KDRCountImportFormats();
BITRA5_API int KDRCountExportFormats();
// 1 with the entry of list position index, 0 outside the list.
BITRA5_API int KDREnumerateImportFormats(int index, KpxFormatEntry* entry);
BITRA5_API int KDREnumerateExportFormats(int index, KpxFormatEntry* entry);
// 1 with the entry of a vector format id (1001..1999) of the table, else 0.
BITRA5_API int KDRGetFormatName(int formatId, KpxFormatEntry* entry);
// The id of the last row with the path's extension; 0 for none or the name "*".
BITRA5_API int KDRGetFormatFileExt(const char* path);
// The extension's id, replaced by what the content shows: a Windows metafile 1010, a kvp
// picture 1030, a KTF drawing 1040. 0 for the name "*".
BITRA5_API int KDRGetFormatFile(const char* path);
BITRA5_API int KDRGetFormatFileOffset(const char* path, std::int32_t offset);
// 1 with the file's format, description, size in its own units, file size and extra value.
BITRA5_API int KDRGetInfoFile(const char* path, KdrFileInfo* info);
BITRA5_API int KDRGetInfoFileOffset(const char* path, std::int32_t offset, KdrFileInfo* info);
// A vector picture handle (1 and up), or 0 when the file is no picture the library can load
// or another load stays busy too long.
BITRA5_API KdrHandle KDRLoadImage(const char* path, int flags);
BITRA5_API KdrHandle KDRLoadImageOffset(const char* path, std::int32_t offset, int flags);
// Draws the picture into the rectangle (right and bottom exclusive) of the DC; 1 on success.
BITRA5_API int KDRStretchDraw(HDC dc, int left, int top, int right, int bottom, KdrHandle image);
// The picture as a metafile picture whose new metafile the caller owns: mode MM_ANISOTROPIC,
// extents the size in 0.01 mm (0 and 0 for a picture without a size). 1, or 0 for a handle
// that is no Windows metafile.
BITRA5_API int KDRGetMetafile(METAFILEPICT* picture, KdrHandle image);
// Puts the picture on the clipboard as CF_METAFILEPICT (the only format served), after
// emptying the clipboard when asked; 1 when the clipboard took it, else 0.
BITRA5_API int KDRCopyImageToClipboard(HWND window, KdrHandle image, int format, int emptyFirst);
// A new Windows metafile picture of the clipboard's CF_METAFILEPICT, sized by its extents; 0
// when the clipboard holds none.
BITRA5_API KdrHandle KDRCreateImageFromClipboard(HWND window);
// Writes the picture as a placeable Windows metafile (format 1010 only); 1 on success.
BITRA5_API int KDRSaveImage(KdrHandle image, const char* path, int formatId, int flags);
BITRA5_API int KDRDeleteImage(KdrHandle image);
BITRA5_API int KDRWidth(KdrHandle image);
BITRA5_API int KDRHeight(KdrHandle image);
BITRA5_API int KDRBreakLoad();
// A 24-bit preview of a vector or document file fitted into the box with its aspect ratio kept
// (BitraNormalizePreviewSize): the bitmap preview the file carries (RIFF drawings, EPS and
// Illustrator files, kvp pictures, KTF drawings), else the picture drawn on white. 0 when there
// is neither, the box is empty, or another preview stays busy too long. The flags are not read.
BITRA5_API KpxHandle KDRLoadImagePreviewOffset(const char* path, std::int32_t offset, int boxWidth,
                                               int boxHeight, int flags);
// Reference counts of the outside drawing libraries; none is found here, so nothing loads.
BITRA5_API int KDRInitLibraries();
BITRA5_API int KDRFreeLibraries();
