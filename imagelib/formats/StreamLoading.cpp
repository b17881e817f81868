#include "StreamLoading.h"

#include "FormatDispatch.h"
#include "FormatId.h"
#include "FormatSniffing.h"
#include "ImageCreation.h"
#include "LibraryShared.h"
#include "ResultCodes.h"

namespace {

// Runs a stream reader; an exception that escapes it is its BitraError or 104.
std::int32_t runReader(std::int32_t formatId, KpxStreamCallbacks* stream,
                       KpxStreamImageRequest* request, KpxStreamProgress progress, void* user) {
    const KpxCodecEntry codec = KpxFindCodec(formatId);
    if (!codec.readStream)
        return kBitraNotRecognised;
    try {
        return codec.readStream(stream, request, progress, user);
    } catch (const BitraException& e) {
        return e.code();
    } catch (const std::bad_alloc&) {
        return kBitraOutOfMemory;
    } catch (...) {
        return kBitraUnusable;
    }
}

std::int32_t hintOf(const char* path, bool useExtension) {
    if (!useExtension)
        return 0;
    const std::int32_t id = KpxGetFormatFromExt(path);
    return id == formatNumber(FormatId::Bmp) || id == formatNumber(FormatId::Jpeg) ? id : 0;
}

// Opens the file as a stream; false (with the error code set) when it cannot.
bool openForReading(const char* path, KpxStream* stream) {
    if (!path) {
        kpx::setLastError(kBitraBadArgument);
        return false;
    }
    return KpxOpenFileStream(path, "rb", 0, stream) != 0;
}

} // namespace

std::int32_t KpxSniffStreamFormat(std::int32_t hint, KpxStreamCallbacks* stream) {
    if (!stream ||
        (hint != 0 && hint != formatNumber(FormatId::Bmp) && hint != formatNumber(FormatId::Jpeg)))
        return 0;
    const std::int32_t start = stream->tell ? stream->tell(stream) : 0;
    for (const std::int32_t candidate :
         {formatNumber(FormatId::Bmp), formatNumber(FormatId::Jpeg)}) {
        if (hint != 0 && hint != candidate)
            continue;
        KpxStreamImageRequest request{};
        request.flags = kKpxRequestFormat;
        const std::int32_t error = runReader(candidate, stream, &request, nullptr, nullptr);
        if (stream->seek)
            stream->seek(stream, start, SEEK_SET);
        if (request.image)
            KPXDeleteImage(request.image);
        if (error == kBitraNoError && request.formatId != 0)
            return request.formatId;
    }
    return 0;
}

std::int32_t KpxGetFileFormat(const char* path, int contentOnly) {
    KpxStream stream{};
    if (!openForReading(path, &stream))
        return 0;
    const std::int32_t id = KpxSniffStreamFormat(hintOf(path, contentOnly == 0), &stream.calls);
    KpxCloseFileStream(&stream);
    kpx::setLastError(id ? kBitraNoError : kBitraNotRecognised);
    return id;
}

KpxHandle KpxLoadImageFromFile(const char* path, int useExtension, int, HWND,
                               int (*progress)(int, int, void*), void* progressData) {
    KpxStream stream{};
    if (!openForReading(path, &stream))
        return 0;
    const std::int32_t id = KpxSniffStreamFormat(hintOf(path, useExtension != 0), &stream.calls);
    if (id == 0) {
        KpxCloseFileStream(&stream);
        kpx::setLastError(kBitraNotRecognised);
        return 0;
    }
    KpxStreamImageRequest request{};
    request.flags = kKpxRequestEverything;
    const std::int32_t error = runReader(id, &stream.calls, &request, progress, progressData);
    KpxCloseFileStream(&stream);
    if (error != kBitraNoError && request.image) {
        KPXDeleteImage(request.image);
        request.image = 0;
    }
    kpx::setLastError(error != kBitraNoError ? error
                      : request.image        ? kBitraNoError
                                             : kBitraUnusable);
    return request.image;
}
