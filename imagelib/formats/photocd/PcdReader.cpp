#include "PcdReader.h"

#include "Bitra5ResourceIds.h"
#include "CodecPictures.h"
#include "RowCallbacks.h"
#include "photocd/PhotoCd.h"
#include "photocd/ResolutionDialog.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

namespace pcd = kfm::photocd;

constexpr const char* kDescription = "Photo YCC format";
constexpr std::int16_t kAskDefault = -1;
constexpr std::int16_t kAskSmallest = -2;
constexpr std::int16_t kAskAvailable = -3;
constexpr unsigned kResolutionBits = (1u << pcd::kResolutionCount) - 1;
constexpr int kDefaultResolutionBit = 1 << pcd::kBase;

// The lowest resolution index of a set of resolution bits; Base when none is set.
int lowestResolution(unsigned bits) {
    bits &= kResolutionBits;
    return bits ? std::countr_zero(bits) : pcd::kBase;
}

std::int64_t fileLength(const char* path) {
    std::int64_t size = 0;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    std::fclose(file);
    return size;
}

KpxResult openPack(const char* path, std::int32_t offset, std::unique_ptr<pcd::ImagePack>& pack) {
    return pcd::ImagePack::openFile(path, offset, pack) == pcd::Status::Ok ? kKpxOk
                                                                           : kKpxCannotOpen;
}

KpxResult resultOf(pcd::Status status) {
    switch (status) {
    case pcd::Status::Ok:
        return kKpxOk;
    case pcd::Status::OutOfMemory:
        return kKpxOutOfMemory;
    default:
        return kKpxBadData;
    }
}

pcd::Output outputFor(const KpxCodecContext& context) {
    if (KpxNormalizeBitCount(context.bitsPerPixel) != 8)
        return pcd::Output::Colour24;
    return context.flags == kKpxFlagPhotoCdGrey ? pcd::Output::Grey8 : pcd::Output::Palette8;
}

// Hands the picture's rows to the store-row callback, bottom row first.
KpxResult storeRows(const KpxCodecContext& context, const pcd::Picture& picture,
                    KpxProgressProc progress) {
    std::vector<std::uint8_t> row(
        std::max<std::size_t>(KpxGetRowLayout().rowBytes, picture.rowBytes));
    for (int i = 0; i < picture.height; ++i) {
        if (progress)
            progress();
        std::copy_n(picture.storedRow(i), picture.rowBytes, row.begin());
        if (!context.storeRow || context.storeRow(row.data(), picture.height - 1 - i) != 0)
            return kKpxBadData;
    }
    return kKpxOk;
}

void setPictureColours(KpxCodecContext& context, const pcd::Picture& picture) {
    for (int i = 0; i < 256; ++i) {
        context.palette[i][0] = picture.colours[i].rgbRed;
        context.palette[i][1] = picture.colours[i].rgbGreen;
        context.palette[i][2] = picture.colours[i].rgbBlue;
    }
}

int scaledFromBase(int value, int resolution) {
    const int steps = resolution - pcd::kBase;
    return steps >= 0 ? value << steps : value >> -steps;
}

} // namespace

KpxResult KpxPcdGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    const std::int64_t length = fileLength(path);
    if (length < 0)
        return kKpxCannotOpen;
    context->fileSize = kpx::reportedFileSize(length, 0);
    std::unique_ptr<pcd::ImagePack> pack;
    if (openPack(path, offset, pack) != kKpxOk)
        return kKpxCannotOpen;
    context->flags = 0;
    context->frameCount = 1;
    const std::uint8_t blackWhite[] = {0, 0, 0, 255, 255, 255};
    kpx::setContextPalette(*context, blackWhite);
    int resolution = pcd::kBase;
    switch (context->disposal) {
    case kAskAvailable:
        context->disposal = static_cast<std::int16_t>(pack->availableResolutions());
        break;
    case kAskSmallest:
        resolution = lowestResolution(pack->availableResolutions());
        context->disposal = static_cast<std::int16_t>(1 << resolution);
        break;
    case kAskDefault:
        context->disposal = kDefaultResolutionBit;
        break;
    default:
        break;
    }
    const pcd::Size size = pack->size(resolution);
    context->width = static_cast<std::int16_t>(size.width);
    context->height = static_cast<std::int16_t>(size.height);
    context->bitsPerPixel = 24;
    context->backgroundIndex = 0;
    context->dataSize = size.height * ((size.width + 7) / 8) * 24;
    kpx::setDescription(*context, kDescription);
    return kKpxOk;
}

KpxResult KpxPcdLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    std::unique_ptr<pcd::ImagePack> pack;
    if (openPack(path, offset, pack) != kKpxOk)
        return kKpxCannotOpen;
    const pcd::Output output = outputFor(*context);
    if (output != pcd::Output::Colour24)
        context->flags = kKpxFlagPaletteLearned;
    pcd::Picture picture;
    const KpxResult decoded = resultOf(pack->decode(
        lowestResolution(static_cast<std::uint16_t>(context->disposal)), output, picture));
    if (decoded != kKpxOk)
        return decoded;
    // The image was made for the size the info request reported.
    if (picture.width != context->width || picture.height != context->height)
        return kKpxBadData;
    const KpxResult stored = storeRows(*context, picture, progress);
    if (stored == kKpxOk && output != pcd::Output::Colour24)
        setPictureColours(*context, picture);
    return stored;
}

KpxResult KpxPcdSave(KpxCodecContext*, const char*, KpxProgressProc, const KpxTransparentEntry*,
                     std::int32_t) {
    return kKpxWriteError;
}

int KpxPcdChooseResolution(HWND owner, int* resolution, int* depth, int* width, int* height) {
    if (!resolution || !depth || !width || !height)
        return IDCANCEL;
    pcd::ResolutionDialogBlock block;
    block.resolution = *resolution;
    block.depth = *depth;
    block.portrait = *width < *height ? 1 : 0;
    pcd::ResolutionDialog dialog(block, static_cast<unsigned>(*resolution) & kResolutionBits,
                                 {kpx::libraryText(bitra5res::IDS_PCD_DEFAULT_SIZE),
                                  kpx::libraryText(bitra5res::IDS_PCD_SIZE_ENTRY),
                                  kpx::libraryText(bitra5res::IDS_PCD_MEMORY)});
    if (pcd::runResolutionDialog(owner, dialog) != IDOK) {
        *resolution = kDefaultResolutionBit;
        *depth = pcd::kDepthColour24;
        return IDCANCEL;
    }
    dialog.accept();
    *resolution = block.resolution;
    *depth = block.depth;
    const int chosen = lowestResolution(static_cast<unsigned>(block.resolution));
    *width = scaledFromBase(*width, chosen);
    *height = scaledFromBase(*height, chosen);
    return IDOK;
}
