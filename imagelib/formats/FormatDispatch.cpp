#include "FormatDispatch.h"

#include "FormatId.h"
#include "IoLayer.h"

#include <map>
#include <mutex>
#include <new>

namespace {

struct Registrations {
    std::mutex mutex;
    std::map<std::int32_t, KpxCodecEntry> entries;
};

Registrations& registrations() {
    static auto* r = new Registrations; // lives until the library's unload
    return *r;
}

KpxResult resultOfStreamError(BitraError code) {
    switch (code) {
    case kBitraOutOfMemory:
        return kKpxOutOfMemory;
    case kBitraCannotOpen:
        return kKpxCannotOpen;
    case kBitraReadError:
        return kKpxReadError;
    default:
        return kKpxBadData;
    }
}

// Runs a codec routine; an exception that escapes it is a failure with a result code.
template <typename Routine> KpxResult guarded(Routine&& routine) {
    try {
        return routine();
    } catch (const BitraException& e) {
        return resultOfStreamError(e.code());
    } catch (const std::bad_alloc&) {
        return kKpxOutOfMemory;
    } catch (...) {
        return kKpxBadData;
    }
}

// Gives the GIF writer the transparent colour and logical screen it expects. A single image
// without a screen of its own is written on a screen of its size; an animation of one frame
// keeps its screen, since the frame keeps its place on it.
void prepareGifSave(KpxCodecContext* context, const KpxTransparentEntry* transparent,
                    std::int32_t count) {
    context->transparentColor = kKpxNoTransparentColor;
    if (context->frameCount == 1 && (context->screenWidth <= 0 || context->screenHeight <= 0)) {
        context->screenWidth = context->width;
        context->screenHeight = context->height;
    }
    if (transparent && count >= 1 && transparent[0].mode == 1)
        context->transparentColor =
            kKpxTransparentIndexFlag |
            ((static_cast<std::uint32_t>(transparent[0].blue) & 0xFF) << 16);
}

} // namespace

int KpxRegisterCodec(const KpxCodecEntry* entry) {
    if (!entry)
        return 0;
    Registrations& r = registrations();
    std::lock_guard lock(r.mutex);
    r.entries[entry->formatId] = *entry;
    return 1;
}

void KpxUnregisterCodec(std::int32_t formatId) {
    Registrations& r = registrations();
    std::lock_guard lock(r.mutex);
    r.entries.erase(formatId);
}

KpxCodecEntry KpxFindCodec(std::int32_t formatId) {
    {
        Registrations& r = registrations();
        std::lock_guard lock(r.mutex);
        if (const auto it = r.entries.find(formatId); it != r.entries.end())
            return it->second;
    }
    const kpx::CodecTableView table = kpx::builtInCodecs();
    for (int i = 0; i < table.count; ++i)
        if (formatId != 0 && table.entries[i].formatId == formatId)
            return table.entries[i];
    return KpxCodecEntry{formatId, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
}

KpxResult KpxGetInfoByFormat(KpxCodecContext* context, const char* path, std::int32_t offset,
                             std::int32_t formatId, KpxTransparentEntry* transparent,
                             std::int32_t* count) {
    kpx::CurrentStreamScope medium(nullptr);
    const KpxCodecEntry codec = KpxFindCodec(formatId);
    if (!context || !path || !codec.info)
        return kKpxBadData;
    return guarded([&] { return codec.info(context, path, offset, transparent, count); });
}

KpxResult KpxLoadByFormat(KpxCodecContext* context, const char* path, std::int32_t offset,
                          std::int32_t formatId, KpxProgressProc progress,
                          KpxTransparentEntry* transparent, std::int32_t* count) {
    kpx::CurrentStreamScope medium(nullptr);
    const KpxCodecEntry codec = KpxFindCodec(formatId);
    if (!context || !path || !codec.load)
        return kKpxBadData;
    return guarded([&] { return codec.load(context, path, offset, progress, transparent, count); });
}

KpxResult KpxSaveByFormat(KpxCodecContext* context, const char* path, std::int32_t formatId,
                          KpxProgressProc progress, const KpxTransparentEntry* transparent,
                          std::int32_t count) {
    kpx::CurrentStreamScope medium(nullptr);
    const KpxCodecEntry codec = KpxFindCodec(formatId);
    if (!context || !path || !codec.save)
        return kKpxBadData;
    if (formatId == formatNumber(FormatId::Gif))
        prepareGifSave(context, transparent, count);
    return guarded([&] { return codec.save(context, path, progress, transparent, count); });
}

KpxResult KpxGetInfoByFormatOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                      std::int32_t formatId, KpxTransparentEntry* transparent,
                                      std::int32_t* count) {
    kpx::CurrentStreamScope medium(stream);
    const KpxCodecEntry codec = KpxFindCodec(formatId);
    if (!context || !stream || !codec.streamInfo)
        return kKpxBadData;
    return guarded([&] { return codec.streamInfo(context, stream, transparent, count); });
}

KpxResult KpxLoadByFormatOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                   std::int32_t formatId, KpxProgressProc progress,
                                   KpxTransparentEntry* transparent, std::int32_t* count) {
    kpx::CurrentStreamScope medium(stream);
    const KpxCodecEntry codec = KpxFindCodec(formatId);
    if (!context || !stream || !codec.streamLoad)
        return kKpxBadData;
    return guarded([&] { return codec.streamLoad(context, stream, progress, transparent, count); });
}

KpxResult KpxSaveByFormatOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                   std::int32_t formatId, KpxProgressProc progress,
                                   const KpxTransparentEntry* transparent, std::int32_t count) {
    kpx::CurrentStreamScope medium(stream);
    const KpxCodecEntry codec = KpxFindCodec(formatId);
    if (!context || !stream || !codec.streamSave)
        return kKpxBadData;
    return guarded([&] { return codec.streamSave(context, stream, progress, transparent, count); });
}

KpxResult KpxGetInfoByFormatStreamCB(KpxCodecContext* context, KpxStreamCallbacks* stream,
                                     std::int32_t formatId, KpxTransparentEntry* transparent,
                                     std::int32_t* count) {
    if (!stream)
        return kKpxBadData;
    kpx::CallbackByteStream adapter(stream);
    return KpxGetInfoByFormatOleStream(context, &adapter, formatId, transparent, count);
}

KpxResult KpxLoadByFormatStreamCB(KpxCodecContext* context, KpxStreamCallbacks* stream,
                                  std::int32_t formatId, KpxProgressProc progress,
                                  KpxTransparentEntry* transparent, std::int32_t* count) {
    if (!stream)
        return kKpxBadData;
    kpx::CallbackByteStream adapter(stream);
    return KpxLoadByFormatOleStream(context, &adapter, formatId, progress, transparent, count);
}

KpxResult KpxSaveByFormatStreamCB(KpxCodecContext* context, KpxStreamCallbacks* stream,
                                  std::int32_t formatId, KpxProgressProc progress,
                                  const KpxTransparentEntry* transparent, std::int32_t count) {
    if (!stream)
        return kKpxBadData;
    kpx::CallbackByteStream adapter(stream);
    return KpxSaveByFormatOleStream(context, &adapter, formatId, progress, transparent, count);
}
