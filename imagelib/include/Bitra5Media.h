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
