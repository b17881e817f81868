#pragma once
// A tiny codec for tests, registered under the BMP id for the scope of a FakeCodecScope.
//
// File layout: "BM", width, height, bits per pixel, flag word (one byte each), four zero bytes,
// then the pixel rows top row first, each of the library's padded row size.

#include "FormatDispatch.h"
#include "FormatId.h"
#include "RowCallbacks.h"
#include "TestSupport.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace fake {

constexpr std::int32_t kFormatId = formatNumber(FormatId::Bmp);
constexpr int kHeaderBytes = 10;

struct Behaviour {
    KpxResult infoResult = kKpxOk;
    KpxResult loadResult = kKpxOk;
    bool throwOnLoad = false;
    bool throwBitraOnLoad = false;
    int rowsToDeliver = -1;         // -1: all
    std::atomic<bool> block{false}; // load waits while set
    std::atomic<int> loadsStarted{0};
    std::atomic<int> loadsRunning{0};
    std::uint32_t transparentColor = kKpxNoTransparentColor;
    int saveWriteBytes = -1; // >= 0: write that many bytes, then fail with a write error
    bool throwOnSave = false;
    std::string lastSavePath;
    std::vector<std::uint8_t> streamPayload; // what the stream info/load routines read
};

inline Behaviour& behaviour() {
    static Behaviour b;
    return b;
}

inline std::vector<std::uint8_t> makeFile(int width, int height, int bits, int flags,
                                          std::uint8_t fill) {
    std::vector<std::uint8_t> bytes = {'B',
                                       'M',
                                       static_cast<std::uint8_t>(width),
                                       static_cast<std::uint8_t>(height),
                                       static_cast<std::uint8_t>(bits),
                                       static_cast<std::uint8_t>(flags),
                                       0,
                                       0,
                                       0,
                                       0};
    const std::uint32_t row = KpxScanBytes(width, KpxNormalizeBitCount(bits));
    for (int y = 0; y < height; ++y)
        bytes.insert(bytes.end(), row, static_cast<std::uint8_t>(fill + y));
    return bytes;
}

inline KpxResult readHeader(KpxCodecContext* c, const std::vector<std::uint8_t>& b,
                            std::int32_t offset) {
    if (offset < 0 || b.size() < static_cast<std::size_t>(offset) + kHeaderBytes)
        return kKpxReadError;
    const std::uint8_t* h = b.data() + offset;
    if (h[0] != 'B' || h[1] != 'M')
        return kKpxBadData;
    c->width = h[2];
    c->height = h[3];
    c->bitsPerPixel = h[4];
    c->flags = h[5];
    c->fileSize = static_cast<std::int32_t>(b.size());
    c->transparentColor = behaviour().transparentColor;
    std::strncpy(c->description, "Fake test image", kKpxDescriptionChars);
    for (int i = 0; i < 256; ++i)
        c->palette[i][0] = c->palette[i][1] = c->palette[i][2] = static_cast<std::uint8_t>(i);
    return kKpxOk;
}

inline KpxResult deliverRows(KpxCodecContext* c, const std::vector<std::uint8_t>& b,
                             std::int32_t offset, KpxProgressProc progress) {
    const std::uint32_t row = KpxScanBytes(c->width, KpxNormalizeBitCount(c->bitsPerPixel));
    const int rows = behaviour().rowsToDeliver < 0 ? c->height : behaviour().rowsToDeliver;
    std::vector<std::uint8_t> buffer(row);
    for (int y = 0; y < rows; ++y) {
        const std::size_t at = static_cast<std::size_t>(offset) + kHeaderBytes + y * row;
        if (at + row > b.size())
            return kKpxReadError;
        std::memcpy(buffer.data(), b.data() + at, row);
        if (progress)
            progress();
        if (c->storeRow(buffer.data(), y) != 0)
            return kKpxStopped;
    }
    return kKpxOk;
}

inline KpxResult info(KpxCodecContext* c, const char* path, std::int32_t offset,
                      KpxTransparentEntry*, std::int32_t*) {
    if (behaviour().infoResult != kKpxOk)
        return behaviour().infoResult;
    return readHeader(c, kfm::test::readFileBytes(path), offset);
}

inline KpxResult load(KpxCodecContext* c, const char* path, std::int32_t offset,
                      KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    Behaviour& b = behaviour();
    ++b.loadsStarted;
    ++b.loadsRunning;
    while (b.block.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    struct Done {
        ~Done() { --behaviour().loadsRunning; }
    } done;
    c->frameName = "fake frame";
    if (b.throwBitraOnLoad)
        throw BitraException(kBitraReadError);
    const std::vector<std::uint8_t> bytes = kfm::test::readFileBytes(path);
    const KpxResult header = readHeader(c, bytes, offset);
    if (header != kKpxOk)
        return header;
    const KpxResult rows = deliverRows(c, bytes, offset, progress);
    if (b.throwOnLoad)
        throw std::runtime_error("codec failure");
    return rows != kKpxOk ? rows : b.loadResult;
}

inline KpxResult save(KpxCodecContext* c, const char* path, KpxProgressProc progress,
                      const KpxTransparentEntry*, std::int32_t) {
    Behaviour& b = behaviour();
    b.lastSavePath = path;
    std::vector<std::uint8_t> bytes = {'B',
                                       'M',
                                       static_cast<std::uint8_t>(c->width),
                                       static_cast<std::uint8_t>(c->height),
                                       static_cast<std::uint8_t>(c->bitsPerPixel),
                                       0,
                                       0,
                                       0,
                                       0,
                                       0};
    const std::uint32_t row = KpxScanBytes(c->width, KpxNormalizeBitCount(c->rowBitsPerPixel));
    std::vector<std::uint8_t> buffer(row);
    for (int y = 0; y < c->height; ++y) {
        if (c->fetchRow(buffer.data(), y) != 0)
            return kKpxStopped;
        if (progress)
            progress();
        bytes.insert(bytes.end(), buffer.begin(), buffer.end());
    }
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return kKpxCannotCreate;
    const bool partial = b.saveWriteBytes >= 0;
    const std::size_t n =
        partial ? std::min<std::size_t>(b.saveWriteBytes, bytes.size()) : bytes.size();
    std::fwrite(bytes.data(), 1, n, file);
    std::fclose(file);
    if (b.throwOnSave)
        throw std::runtime_error("encoder failure");
    return partial ? kKpxWriteError : kKpxOk;
}

inline KpxResult streamInfo(KpxCodecContext* c, KpxByteStream* s, KpxTransparentEntry*,
                            std::int32_t*) {
    std::vector<std::uint8_t> head(kHeaderBytes);
    const std::int64_t start = s->seek(0, SEEK_CUR);
    if (s->read(head.data(), kHeaderBytes) != kHeaderBytes)
        return kKpxReadError;
    s->seek(start, SEEK_SET);
    return readHeader(c, head, 0);
}

inline KpxResult streamLoad(KpxCodecContext* c, KpxByteStream* s, KpxProgressProc progress,
                            KpxTransparentEntry*, std::int32_t*) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(s->size()));
    const std::int64_t start = s->seek(0, SEEK_CUR);
    bytes.resize(
        static_cast<std::size_t>(s->read(bytes.data(), static_cast<std::uint32_t>(bytes.size()))));
    (void)start;
    const KpxResult header = readHeader(c, bytes, 0);
    return header != kKpxOk ? header : deliverRows(c, bytes, 0, progress);
}

inline KpxResult streamSave(KpxCodecContext* c, KpxByteStream* s, KpxProgressProc,
                            const KpxTransparentEntry*, std::int32_t) {
    std::vector<std::uint8_t> bytes = {'B',
                                       'M',
                                       static_cast<std::uint8_t>(c->width),
                                       static_cast<std::uint8_t>(c->height),
                                       static_cast<std::uint8_t>(c->bitsPerPixel),
                                       static_cast<std::uint8_t>(c->frameNumber),
                                       0,
                                       0,
                                       0,
                                       0};
    const std::uint32_t row = KpxScanBytes(c->width, KpxNormalizeBitCount(c->rowBitsPerPixel));
    std::vector<std::uint8_t> buffer(row);
    for (int y = 0; y < c->height; ++y) {
        c->fetchRow(buffer.data(), y);
        bytes.insert(bytes.end(), buffer.begin(), buffer.end());
    }
    return s->write(bytes.data(), static_cast<std::uint32_t>(bytes.size())) ==
                   static_cast<std::int64_t>(bytes.size())
               ? kKpxOk
               : kKpxWriteError;
}

// Registers the fake codec for its lifetime and resets its behaviour.
class FakeCodecScope {
public:
    FakeCodecScope() {
        Behaviour& b = behaviour();
        b.infoResult = kKpxOk;
        b.loadResult = kKpxOk;
        b.throwOnLoad = b.throwBitraOnLoad = b.throwOnSave = false;
        b.rowsToDeliver = -1;
        b.block = false;
        b.loadsStarted = 0;
        b.loadsRunning = 0;
        b.transparentColor = kKpxNoTransparentColor;
        b.saveWriteBytes = -1;
        b.lastSavePath.clear();
        const KpxCodecEntry entry{kFormatId,  info,       load,       save,
                                  streamInfo, streamLoad, streamSave, nullptr};
        KpxRegisterCodec(&entry);
    }
    ~FakeCodecScope() { KpxUnregisterCodec(kFormatId); }
    FakeCodecScope(const FakeCodecScope&) = delete;
    FakeCodecScope& operator=(const FakeCodecScope&) = delete;
};

} // namespace fake
