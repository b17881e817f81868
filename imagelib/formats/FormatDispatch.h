#pragma once
// The codec table and the dispatchers that route an info, load or save request to the codec of
// a format.
//
// A codec joins the library by adding one KpxCodecEntry to the built-in table in
// CodecTable.cpp. A format without a codec, or without the routine asked for, gives
// kKpxBadData. Every routine runs inside a guard: an exception that escapes a codec is a failed
// request (out of memory gives kKpxOutOfMemory, stream reader errors their result code, anything
// else kKpxBadData), never a success.

#include <cstdint>

#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "CodecContext.h"
#include "ImageRecord.h"

using KpxInfoRoutine = KpxResult (*)(KpxCodecContext* context, const char* path,
                                     std::int32_t offset, KpxTransparentEntry* transparent,
                                     std::int32_t* count);
using KpxLoadRoutine = KpxResult (*)(KpxCodecContext* context, const char* path,
                                     std::int32_t offset, KpxProgressProc progress,
                                     KpxTransparentEntry* transparent, std::int32_t* count);
// Writes a complete file at path (the save front end hands the codec a temporary path).
using KpxSaveRoutine = KpxResult (*)(KpxCodecContext* context, const char* path,
                                     KpxProgressProc progress,
                                     const KpxTransparentEntry* transparent, std::int32_t count);
using KpxStreamInfoRoutine = KpxResult (*)(KpxCodecContext* context, KpxByteStream* stream,
                                           KpxTransparentEntry* transparent, std::int32_t* count);
using KpxStreamLoadRoutine = KpxResult (*)(KpxCodecContext* context, KpxByteStream* stream,
                                           KpxProgressProc progress,
                                           KpxTransparentEntry* transparent, std::int32_t* count);
using KpxStreamSaveRoutine = KpxResult (*)(KpxCodecContext* context, KpxByteStream* stream,
                                           KpxProgressProc progress,
                                           const KpxTransparentEntry* transparent,
                                           std::int32_t count);

struct KpxStreamImageRequest;
// Progress of the stream readers: (rows done, total rows, user value); non-zero stops.
using KpxStreamProgress = int (*)(int done, int total, void* user);
// A stream reader over a callback stream (BMP and JPEG): returns 0 or a BitraError value.
using KpxStreamReader = std::int32_t (*)(KpxStreamCallbacks* stream, KpxStreamImageRequest* request,
                                         KpxStreamProgress progress, void* user);

// The routines of one format; any of them may be null.
struct KpxCodecEntry {
    std::int32_t formatId;
    KpxInfoRoutine info;
    KpxLoadRoutine load;
    KpxSaveRoutine save;
    KpxStreamInfoRoutine streamInfo;
    KpxStreamLoadRoutine streamLoad;
    KpxStreamSaveRoutine streamSave;
    KpxStreamReader readStream;
};

namespace kpx {
// The codecs built into the library, one entry per format that has one.
struct CodecTableView {
    const KpxCodecEntry* entries;
    int count;
};
CodecTableView builtInCodecs();
} // namespace kpx
