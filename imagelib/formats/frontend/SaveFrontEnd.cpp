#include "SaveFrontEnd.h"

#include "ColorConversion.h"
#include "ColorMatching.h"
#include "ColorQuantisation.h"
#include "FormatDispatch.h"
#include "FormatId.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "RowCallbacks.h"
#include "SafeSave.h"
#include "Transparency.h"

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

namespace {

// The context of a save, from the image record. The context gets its own copies of the
// record's texts and objects.
void prepareSaveContext(KpxCodecContext& c, const KpxImageRecord& record, std::int32_t option,
                        std::int32_t option2) {
    kpx::resetContext(c);
    c.width = static_cast<std::int16_t>(record.width());
    c.height = static_cast<std::int16_t>(record.height());
    c.bitsPerPixel = static_cast<std::int16_t>(record.bitCount());
    c.rowBitsPerPixel = c.bitsPerPixel;
    c.dataSize = static_cast<std::int32_t>(record.header().biSizeImage);
    c.saveOption = option;
    c.saveOption2 = static_cast<std::int16_t>(option2);
    c.rotateAngle = static_cast<std::int16_t>(record.rotateAngle);
    c.fetchRow = KpxFetchRow;
    // One image is written at 0,0 on a screen of its own size, whatever animation it came from.
    c.screenWidth = c.width;
    c.screenHeight = c.height;
    c.loopCount = -1;
    c.delay = 0;
    c.frameCount = 1;
    c.transparentColor = kKpxNoTransparentColor;
    c.frameName = record.name;
    c.frameTitle = record.comment;
    kpx::copyObjectRecords(record, c);
    const int entries = record.bitCount() <= 8 ? KpxColorTableSize(record.bitCount()) : 0;
    const std::uint32_t stored = record.colorCount();
    for (int i = 0; i < entries && static_cast<std::uint32_t>(i) < stored; ++i) {
        const RGBQUAD& q = record.colors()[i];
        c.palette[i][0] = q.rgbRed;
        c.palette[i][1] = q.rgbGreen;
        c.palette[i][2] = q.rgbBlue;
    }
}

thread_local KpxResult lastSaveResult = kKpxOk;
static_assert(kKpxSaveNotWritable == kKpxNotWritable);

// Adds a 1- or 8-bit transparency image of the picture's size to the plane: a set bit counts as
// fully transparent, a byte as its value. Images of another size or depth add nothing.
void addTransparency(KpxHandle transparency, int width, int height,
                     std::vector<std::uint8_t>& plane) {
    const kpx::ImageLock record(transparency, kKpxRead);
    if (!record || !record->bits)
        return;
    const int bits = record->bitCount();
    if ((bits != 1 && bits != 8) || record->width() != width || record->height() != height)
        return;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row =
            record->bits + static_cast<std::size_t>(height - 1 - y) * record->rowBytes();
        std::uint8_t* out = plane.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t value =
                bits == 8 ? row[x] : ((row[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0);
            out[x] = std::max(out[x], value);
        }
    }
}

// The picture's whole transparency for the codecs that write it (PNG and icons): the mask of its
// transparent list and its explicit transparency image together. Empty when nothing is
// transparent.
std::vector<std::uint8_t> transparencyPlaneFor(KpxHandle image, std::int32_t formatId) {
    if (formatId != formatNumber(FormatId::Png) && formatId != formatNumber(FormatId::Ico))
        return {};
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const KpxHandle explicitImage = KPXGetImageTransparentImageEx(image);
    const KpxHandle combined = KPXGetImageTransparentImage(image);
    if ((!explicitImage && !combined) || width <= 0 || height <= 0)
        return {};
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(width) * height, 0);
    if (explicitImage)
        addTransparency(explicitImage, width, height, plane);
    if (combined) {
        addTransparency(combined, width, height, plane);
        KPXDeleteImage(combined);
    }
    if (std::all_of(plane.begin(), plane.end(), [](std::uint8_t v) { return v == 0; }))
        return {};
    return plane;
}

// Where a stream save left the data of its first image, for a second image to join it.
struct StreamSaveSlots {
    std::int32_t spareSlot = 0;
    std::int32_t dataEnd = 0;
};

// Saves one image (already locked for reading) into a stream as frame frameNumber.
KpxResult saveToStream(const KpxImageRecord& record, KpxByteStream* stream, std::int32_t formatId,
                       std::int16_t frameNumber, StreamSaveSlots& slots) {
    KpxCodecContext context;
    prepareSaveContext(context, record, 0, 0);
    context.frameNumber = frameNumber;
    context.streamSpareSlot = slots.spareSlot;
    context.streamDataEnd = slots.dataEnd;
    KpxSetupRowLayout(&context);
    KpxSetRowBits(record.bits);
    const KpxResult result = KpxSaveByFormatOleStream(
        &context, stream, formatId, nullptr, record.transparency.data(), record.transparencyCount);
    KpxSetRowBits(nullptr);
    slots = {context.streamSpareSlot, context.streamDataEnd};
    return result;
}

int saveImageToStream(KpxHandle image, KpxByteStream* stream, std::int32_t formatId) {
    if (!image || !stream ||
        (formatId != formatNumber(FormatId::Bmp) && formatId != formatNumber(FormatId::Bmi)))
        return 0;
    const std::int64_t start = stream->seek(0, SEEK_CUR);
    KpxHandle transparency = 0;
    StreamSaveSlots slots;
    {
        const kpx::ImageLock record(image, kKpxRead);
        if (!record)
            return 0;
        if (saveToStream(*record.get(), stream, formatId, 0, slots) != kKpxOk) {
            if (start >= 0)
                stream->seek(start, SEEK_SET);
            return 0;
        }
        transparency = static_cast<KpxHandle>(record->explicitTransparency);
    }
    if (transparency) {
        const kpx::ImageLock second(transparency, kKpxRead);
        if (second)
            saveToStream(*second.get(), stream, formatId, 1, slots);
    }
    return 1;
}

// A copy of the image in `target` bits with a palette computed by the histogram quantiser and
// ordered dithering; 0 when the quantiser cannot make that depth from this image.
KpxHandle quantisedCopy(KpxHandle image, int target) {
    const KpxHandle copy = KPXCreateImage(KPXWidth(image), KPXHeight(image), target);
    if (!copy)
        return 0;
    if (KPXFineColorConvert(copy, image, 0, 1 << target, kKpxDitherOrdered, 0, nullptr, 0) == 1)
        return copy;
    KPXDeleteImage(copy);
    return 0;
}

// A copy of the image in the depth a format needs, dithered; the image stays as it is.
// One-bit copies, and the depths and sources the quantiser does not take, come from the
// popularity conversion. A 32-bit picture takes the 24-bit road: neither the quantiser nor the
// popularity conversion makes a palette picture of it.
KpxHandle convertForSave(KpxHandle image, int target) {
    if (KPXbpp(image) == 32 && target < 24) {
        const KpxHandle flat =
            KPXColorConvert(image, 24, kKpxDitherNone, kKpxPaletteFixed, 0, nullptr, nullptr);
        if (!flat)
            return 0;
        const KpxHandle copy = convertForSave(flat, target);
        KPXDeleteImage(flat);
        return copy;
    }
    if (target != 1)
        if (const KpxHandle copy = quantisedCopy(image, target))
            return copy;
    return KPXColorConvert(image, static_cast<short>(target), kKpxDitherFloydSteinberg,
                           kKpxPalettePopularity, 0, nullptr, nullptr);
}

// Saves the image (locked for reading meanwhile) into a temporary file that replaces the file at
// path when the codec succeeded; the result says why not.
KpxResult saveImage(KpxHandle image, const char* path, std::int32_t formatId, std::int32_t option,
                    std::int32_t option2, KpxProgressProc progress) {
    if (!image || !path)
        return kKpxCannotCreate;
    const int background = KPXGetNearestColorIndex(image, 0xFFFFFF);
    std::vector<std::uint8_t> plane = transparencyPlaneFor(image, formatId);
    const kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return kKpxCannotOpen;
    KpxCodecContext context;
    prepareSaveContext(context, *record.get(), option, option2);
    context.backgroundIndex = static_cast<std::int16_t>(background);
    context.targetName = std::filesystem::path(path).filename().string();
    context.transparencyPlane = std::move(plane);
    kpx::ReplacingFile output(path);
    if (!output.valid())
        return output.refusal();
    KpxSetupRowLayout(&context);
    KpxSetRowBits(record->bits);
    const KpxResult result =
        KpxSaveByFormat(&context, output.path().c_str(), formatId, progress,
                        record->transparency.data(), record->transparencyCount);
    KpxSetRowBits(nullptr);
    if (result != kKpxOk)
        return result;
    return output.commit() ? kKpxOk : kKpxWriteError;
}

} // namespace

namespace kpx {

void setLastSaveResult(KpxResult result) {
    lastSaveResult = result;
}

} // namespace kpx

std::int32_t KPXGetLastSaveResult() {
    return lastSaveResult;
}

int KPXSaveImage(KpxHandle image, const char* path, std::int32_t formatId, std::int32_t option,
                 std::int32_t option2, KpxProgressProc progress) {
    const KpxResult result = saveImage(image, path, formatId, option, option2, progress);
    kpx::setLastSaveResult(result);
    return result == kKpxOk ? 1 : 0;
}

int KpxSaveDepthForFormat(std::int32_t formatId, std::int32_t option, int bits) {
    switch (toFormatId(formatId)) {
    case FormatId::Gif:
    case FormatId::Wpg:
        return bits > 8 ? 8 : bits;
    case FormatId::Tiff:
        if (option == 8)
            return 1;
        if (option == 16 || option == 64)
            return 24;
        return bits;
    case FormatId::Jpeg:
        return 24;
    case FormatId::Targa:
        return bits == 4 ? 8 : bits;
    default:
        return bits;
    }
}

int KPXSaveImageEx(KpxHandle image, const char* path, std::int32_t formatId, std::int32_t option,
                   std::int32_t option2, KpxProgressProc progress) {
    const int bits = KPXbpp(image);
    if (bits <= 0) {
        kpx::setLastSaveResult(kKpxCannotOpen);
        return 0;
    }
    const int target = KpxSaveDepthForFormat(formatId, option, bits);
    if (target == bits)
        return KPXSaveImage(image, path, formatId, option, option2, progress);
    const KpxHandle copy = convertForSave(image, target);
    if (!copy) {
        kpx::setLastSaveResult(kKpxOutOfMemory);
        return 0;
    }
    const int saved = KPXSaveImage(copy, path, formatId, option, option2, progress);
    KPXDeleteImage(copy);
    return saved;
}

int KPXSaveImageOleStream(KpxHandle image, KpxByteStream* stream, std::int32_t formatId) {
    return saveImageToStream(image, stream, formatId);
}

int KPXSaveImageStreamCB(KpxHandle image, KpxStreamCallbacks* stream, std::int32_t formatId) {
    if (!stream)
        return 0;
    kpx::CallbackByteStream adapter(stream);
    return saveImageToStream(image, &adapter, formatId);
}
