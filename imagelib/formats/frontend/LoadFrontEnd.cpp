#include "LoadFrontEnd.h"

#include "ColorConversion.h"
#include "FileAccess.h"
#include "FormatDispatch.h"
#include "FormatId.h"
#include "FormatSniffing.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "PcdReader.h"
#include "RowCallbacks.h"
#include "StreamLoading.h"
#include "Transparency.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr auto kBusyWaitStep = std::chrono::milliseconds(25);
constexpr int kBusyWaitSteps = 200;
constexpr std::int32_t kDefaultPhotoCdResolution = 8;
constexpr std::int32_t kLoadPhotoCdResolution = -3;
// A stream request that decodes (8) to about the size given in the request.
constexpr std::uint32_t kPreviewRequest = kKpxRequestFitSize | 8u;
constexpr int kPhotoCdGreyDepth = 9;

std::atomic<int> busyFlag{0};

thread_local KpxFramesLoadReport loadReport;

// Holds the busy flag of the core loader for one load. The flag is taken with a compare and
// swap, so two waiting loads can never both run.
class CoreLoadSlot {
public:
    CoreLoadSlot() {
        for (int wait = 0;; ++wait) {
            int expected = 0;
            if (busyFlag.compare_exchange_strong(expected, 1)) {
                taken_ = true;
                return;
            }
            if (wait == kBusyWaitSteps)
                return;
            std::this_thread::sleep_for(kBusyWaitStep);
        }
    }
    ~CoreLoadSlot() {
        if (taken_)
            busyFlag = 0;
    }
    CoreLoadSlot(const CoreLoadSlot&) = delete;
    CoreLoadSlot& operator=(const CoreLoadSlot&) = delete;
    bool taken() const { return taken_; }

private:
    bool taken_ = false;
};

void copyPalette(const KpxCodecContext& context, KpxImageRecord* record) {
    const std::uint32_t entries = record->colorCount();
    if (entries < 1 || entries > 256)
        return;
    // Built apart and copied in one go: stores into the record's bytes could alias the palette,
    // which would make the compiler reload it for every entry.
    std::array<RGBQUAD, 256> colors;
    for (std::uint32_t i = 0; i < entries; ++i)
        colors[i] = RGBQUAD{context.palette[i][2], context.palette[i][1], context.palette[i][0], 0};
    std::memcpy(record->colors(), colors.data(), entries * sizeof(RGBQUAD));
}

// The readers' texts and objects become the record's, replacing what it had.
void moveOwnedValues(KpxCodecContext& context, KpxImageRecord* record) {
    if (context.frameName)
        record->name = std::move(context.frameName);
    if (context.frameTitle)
        record->comment = std::move(context.frameTitle);
    if (context.animationComment)
        record->animationComment = std::move(context.animationComment);
    if (context.textObject)
        record->textObject = std::move(context.textObject);
    if (context.controlObject)
        record->controlObject = std::move(context.controlObject);
    if (context.vectorObject)
        record->vectorObject = std::move(context.vectorObject);
    if (context.npImageObject)
        record->npImageObject = std::move(context.npImageObject);
}

using LoadCall = std::function<KpxResult(KpxTransparentEntry*, std::int32_t*)>;

// Graded transparency that a codec read becomes the image's explicit transparency image: 8 bits,
// 0 opaque to 255 transparent, with a grey palette.
void attachTransparencyPlane(KpxHandle image, std::vector<std::uint8_t>& plane) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    if (plane.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        plane.clear();
        return;
    }
    const KpxHandle grey = KPXCreateImage(width, height, 8);
    if (!grey)
        return;
    {
        const kpx::ImageLock record(grey, kKpxWrite);
        if (!record) {
            KPXDeleteImage(grey);
            return;
        }
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<BYTE>(i);
            record->colors()[i] = RGBQUAD{v, v, v, 0};
        }
        for (int y = 0; y < height; ++y)
            std::copy_n(plane.data() + static_cast<std::size_t>(y) * width, width,
                        record->bits +
                            static_cast<std::size_t>(height - 1 - y) * record->rowBytes());
    }
    plane.clear();
    KPXFillDIBColorTable(grey);
    if (!KPXSetImageTransparentEx(image, grey))
        KPXDeleteImage(grey);
}

// Creates the image that the context describes and has the codec fill it. The image is handed
// out only when the codec reports success; otherwise it is deleted and 0 returned.
KpxHandle loadIntoNewImage(KpxCodecContext& context, const LoadCall& load) {
    const int depth = KpxNormalizeBitCount(context.bitsPerPixel);
    if (context.width < 1 || context.height < 1)
        return 0;
    const KpxHandle image = KPXCreateImageFast(context.width, context.height, depth, 0);
    if (!image)
        return 0;
    KpxResult result = kKpxBadData;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (record) {
            record->rotateAngle = context.rotateAngle;
            copyPalette(context, record.get());
            KpxSetupRowLayout(&context);
            if (KpxGetRowLayout().rowBytes == record->rowBytes()) {
                KpxSetRowBits(record->bits);
                result = load(record->transparency.data(), &record->transparencyCount);
                KpxSetRowBits(nullptr);
            }
            if (record->transparencyCount < 0 ||
                record->transparencyCount > kKpxMaxTransparentEntries)
                record->transparencyCount = 0;
            if (result == kKpxOk) {
                if (context.flags == kKpxFlagPaletteLearned)
                    copyPalette(context, record.get());
                moveOwnedValues(context, record.get());
            }
        }
    }
    if (result != kKpxOk) {
        KPXDeleteImage(image);
        return 0;
    }
    KPXFillDIBColorTable(image);
    if (!context.transparencyPlane.empty())
        attachTransparencyPlane(image, context.transparencyPlane);
    return image;
}

// The report of a single image's load: the picture, and whether its data was complete.
void reportSingleLoad(KpxHandle image, bool damaged) {
    loadReport = KpxFramesLoadReport{};
    if (!image)
        return;
    loadReport.imagesInFile = 1;
    if (damaged)
        loadReport.damagedFrames.push_back(0);
}

// Images of more than 24 bits are handed out as 24-bit images.
KpxHandle withoutAlphaChannel(KpxHandle image) {
    if (KPXbpp(image) <= 24)
        return image;
    const KpxHandle converted =
        KPXColorConvert(image, 24, kKpxDitherNone, kKpxPaletteFixed, 0, nullptr, nullptr);
    KPXDeleteImage(image);
    return converted;
}

// The Photo CD resolution: none set gives the default; a single one is used as it is; from
// several the user chooses in the resolution dialog (owned by the window). Its grey rendering
// (depth 9) loads as 8 bits with the grey flag.
void choosePhotoCdResolution(HWND window, KpxCodecContext& context) {
    const unsigned choices = static_cast<unsigned>(context.disposal) & 0xFFu;
    if (std::popcount(choices) == 0) {
        context.disposal = kDefaultPhotoCdResolution;
        return;
    }
    if (std::popcount(choices) == 1)
        return;
    int resolution = context.disposal;
    int depth = context.bitsPerPixel;
    int width = context.width;
    int height = context.height;
    KpxPcdChooseResolution(window, &resolution, &depth, &width, &height);
    context.disposal = static_cast<std::int16_t>(resolution);
    context.width = static_cast<std::int16_t>(width);
    context.height = static_cast<std::int16_t>(height);
    context.bitsPerPixel = static_cast<std::int16_t>(depth == kPhotoCdGreyDepth ? 8 : depth);
    if (depth == kPhotoCdGreyDepth)
        context.flags = kKpxFlagPhotoCdGrey;
}

struct ProgressAdapter {
    KpxProgressProc progress;
};

int callProgress(int, int, void* user) {
    const auto* adapter = static_cast<const ProgressAdapter*>(user);
    if (adapter && adapter->progress)
        adapter->progress();
    return 0;
}

enum class StreamRoad { Loaded, Stopped, NotTaken };

// BMP and JPEG files go through their stream readers first, when the codec has one. `damaged`
// tells whether the reader filled in data it could not read.
StreamRoad loadThroughStreamReader(std::int32_t id, const char* path, std::int32_t offset,
                                   KpxProgressProc progress, KpxHandle* image, bool* damaged,
                                   const KpxStreamImageRequest& asked = {kKpxRequestEverything}) {
    if (id != formatNumber(FormatId::Bmp) && id != formatNumber(FormatId::Jpeg))
        return StreamRoad::NotTaken;
    const KpxCodecEntry codec = KpxFindCodec(id);
    if (!codec.readStream)
        return StreamRoad::NotTaken;
    KpxStream stream{};
    if (!KpxOpenFileStream(path, "rb", offset, &stream))
        return StreamRoad::Stopped;
    KpxStreamImageRequest request = asked;
    ProgressAdapter adapter{progress};
    std::int32_t error = kBitraUnusable;
    try {
        error = codec.readStream(&stream.calls, &request, callProgress, &adapter);
    } catch (...) {
        error = kBitraUnusable;
    }
    KpxCloseFileStream(&stream);
    if (error == kKpxOk && request.image) {
        *image = request.image;
        *damaged = request.extra == kKpxRequestDataIncomplete;
        return StreamRoad::Loaded;
    }
    if (request.image)
        KPXDeleteImage(request.image);
    return error == kBitraUnusable ? StreamRoad::Stopped : StreamRoad::NotTaken;
}

// One image of a stream (frame 0, or 1 for the transparency image); 0 when it fails.
KpxHandle loadStreamImage(KpxByteStream* stream, std::int32_t frameNumber,
                          KpxProgressProc progress) {
    std::int32_t id = 0;
    KpxSetKeepLoading(1);
    if (KpxSniffFormatOleStream(&id, stream) == 0)
        return 0;
    const std::int64_t start = stream->seek(0, SEEK_CUR);
    KpxCodecContext context;
    kpx::prepareLoadContext(context);
    context.storeRow = KpxStoreRow;
    context.frameNumber = static_cast<std::int16_t>(frameNumber);
    context.frameCount = 0;
    const KpxResult info = KpxGetInfoByFormatOleStream(&context, stream, id, nullptr, nullptr);
    stream->seek(start, SEEK_SET);
    if (info != kKpxOk)
        return 0;
    if (frameNumber > 0 && context.frameCount != 2)
        return 0;
    return loadIntoNewImage(context, [&](KpxTransparentEntry* list, std::int32_t* count) {
        return KpxLoadByFormatOleStream(&context, stream, id, progress, list, count);
    });
}

KpxHandle loadFromStream(KpxByteStream* stream, KpxProgressProc progress) {
    if (!stream)
        return 0;
    const std::int64_t start = stream->seek(0, SEEK_CUR);
    const KpxHandle image = loadStreamImage(stream, 0, progress);
    if (!image)
        return 0;
    // A second image in the stream is the first one's transparency image.
    stream->seek(start, SEEK_SET);
    const KpxHandle transparency = loadStreamImage(stream, 1, progress);
    if (transparency && !KPXSetImageTransparentEx(image, transparency))
        KPXDeleteImage(transparency);
    return image;
}

} // namespace

namespace kpx {

void prepareLoadContext(KpxCodecContext& context) {
    kpx::resetContext(context);
    context.frameCount = 1;
    context.readExtensions = 1;
    context.delay = 100;
    context.loopCount = -1;
    context.transparentColor = kKpxNoTransparentColor;
}

} // namespace kpx

int KpxIsLoadBusy() {
    return busyFlag.load();
}

namespace {

// Loads frame frameNumber of a file whose format is known, with the core loader's slot taken
// and a file session open.
KpxHandle loadWithSlot(HWND window, const char* path, std::int32_t offset, std::int32_t id,
                       std::int32_t frameNumber, KpxCodecContext* context,
                       std::int32_t photoCdResolution, KpxProgressProc progress) {
    context->frameNumber = static_cast<std::int16_t>(frameNumber);
    context->storeRow = KpxStoreRow;
    if (id == formatNumber(FormatId::PhotoCd))
        context->disposal = static_cast<std::int16_t>(photoCdResolution);
    if (KpxGetInfoByFormat(context, path, offset, id, nullptr, nullptr) != kKpxOk)
        return 0;
    if (id == formatNumber(FormatId::PhotoCd))
        choosePhotoCdResolution(window, *context);
    if (!KpxKeepLoading())
        return 0;
    const KpxHandle image =
        loadIntoNewImage(*context, [&](KpxTransparentEntry* list, std::int32_t* count) {
            return KpxLoadByFormat(context, path, offset, id, progress, list, count);
        });
    return image ? withoutAlphaChannel(image) : 0;
}

} // namespace

KpxHandle KpxLoadImageCore(HWND window, const char* path, std::int32_t offset,
                           std::int32_t frameNumber, KpxCodecContext* context,
                           std::int32_t photoCdResolution, KpxProgressProc progress) {
    if (!path || !context)
        return 0;
    const CoreLoadSlot slot;
    if (!slot.taken())
        return 0;
    // Recognising the format, the info step and the load read one open file.
    const kpx::FileSession session(path);
    KpxSetKeepLoading(1);
    kpx::prepareLoadContext(*context);
    const std::int32_t id = KPXGetFormatFileOffset(path, offset);
    if (id == 0)
        return 0;
    return loadWithSlot(window, path, offset, id, frameNumber, context, photoCdResolution,
                        progress);
}

namespace kpx {

KpxHandle loadFrameOfFormat(const char* path, std::int32_t offset, std::int32_t formatId,
                            std::int32_t frameNumber, KpxCodecContext* context) {
    if (!path || !context || formatId == 0)
        return 0;
    const CoreLoadSlot slot;
    if (!slot.taken())
        return 0;
    const kpx::FileSession session(path);
    KpxSetKeepLoading(1);
    prepareLoadContext(*context);
    return loadWithSlot(nullptr, path, offset, formatId, frameNumber, context, -1, nullptr);
}

} // namespace kpx

KpxHandle KPXLoadImage(HWND window, const char* path, KpxProgressProc progress) {
    return KPXLoadImageOffset(window, path, 0, progress);
}

KpxHandle KPXLoadImageOffset(HWND window, const char* path, std::int32_t offset,
                             KpxProgressProc progress) {
    reportSingleLoad(0, false);
    if (!path)
        return 0;
    KpxHandle image = 0;
    bool damaged = false;
    switch (loadThroughStreamReader(KpxGetFormatFromExt(path), path, offset, progress, &image,
                                    &damaged)) {
    case StreamRoad::Loaded:
        reportSingleLoad(image, damaged);
        return image;
    case StreamRoad::Stopped:
        return 0;
    case StreamRoad::NotTaken:
        break;
    }
    KpxCodecContext context;
    image = KpxLoadImageCore(window, path, offset, 0, &context, kLoadPhotoCdResolution, progress);
    if (image)
        kpx::applyTransparentColor(image, context.transparentColor);
    reportSingleLoad(image, context.dataIncomplete != 0);
    return image;
}

KpxHandle KPXLoadImagePreviewOffset(HWND, const char* path, std::int32_t offset, int boxWidth,
                                    int boxHeight, KpxProgressProc progress) {
    if (!path)
        return 0;
    KpxHandle image = 0;
    const std::int32_t id = KpxGetFormatFromExt(path);
    if (id == formatNumber(FormatId::Jpeg)) {
        // The JPEG reader scales while it decodes, to about the box's size.
        KpxStreamImageRequest request{};
        request.flags = kPreviewRequest;
        request.width = boxWidth;
        request.height = boxHeight;
        bool damaged = false;
        if (loadThroughStreamReader(id, path, offset, progress, &image, &damaged, request) ==
            StreamRoad::Stopped) {
            reportSingleLoad(0, false);
            return 0;
        }
        if (image)
            reportSingleLoad(image, damaged);
    }
    if (!image)
        image = KPXLoadImageOffset(nullptr, path, offset, progress);
    return image ? BitraNormalizePreviewSize(image, boxWidth, boxHeight, 1) : 0;
}

KpxHandle KPXLoadImageOleStream(HWND, KpxByteStream* stream, KpxProgressProc progress) {
    return loadFromStream(stream, progress);
}

KpxHandle KPXLoadImageStreamCB(KpxStreamCallbacks* stream, KpxProgressProc progress) {
    if (!stream)
        return 0;
    kpx::CallbackByteStream adapter(stream);
    return loadFromStream(&adapter, progress);
}

namespace kpx {

KpxFramesLoadReport& lastLoadReport() {
    return loadReport;
}

// A transparent colour that the codec found becomes the image's transparent list.
void applyTransparentColor(KpxHandle image, std::uint32_t color) {
    if (color >= kKpxNoTransparentColor)
        return;
    KpxTransparentEntry entry{};
    if (color & kKpxTransparentIndexFlag) {
        entry.mode = kKpxTransparentIndex;
        entry.blue = static_cast<std::int32_t>((color >> 16) & 0xFF);
    } else {
        entry.mode = kKpxTransparentColor;
        entry.red = static_cast<std::int32_t>(color & 0xFF);
        entry.green = static_cast<std::int32_t>((color >> 8) & 0xFF);
        entry.blue = static_cast<std::int32_t>((color >> 16) & 0xFF);
    }
    KPXSetImageTransparent(image, &entry, 1);
}

} // namespace kpx
