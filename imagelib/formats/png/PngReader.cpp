#include "PngReader.h"

#include "ByteInput.h"
#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "CodecPictures.h"
#include "PackerRowSink.h"
#include "PngCodec.h"
#include "RowPacker.h"

#include <vector>

namespace {

using kpx::CodecStatus;

constexpr unsigned kDescriptionPlain = kpx::description::kCompressed;
constexpr unsigned kDescriptionInterlaced = bitra5res::IDS_DESCRIPTION_FIRST + 2;
constexpr std::int16_t kFlagInterlaced = 64;
// Deflate turns one byte into at most 1032.
constexpr std::uint64_t kDeflateExpansion = 1032;

struct PngFile {
    std::int64_t length = 0;
    kpx::png::PngHeader header;
    kpx::png::PngPicture picture;
};

// Reads the header from the file's offset on; kKpxOk, or the result that ends the request.
KpxResult openPng(const kpx::InputFile& input, std::int32_t offset, PngFile& file) {
    if (!input.valid())
        return kKpxCannotOpen;
    file.length = input.length();
    kpx::FileByteInput source(input.get());
    const CodecStatus status = kpx::png::readHeader(source, file.header);
    if (status != CodecStatus::Ok)
        return status == CodecStatus::OutOfMemory ? kKpxOutOfMemory : kKpxBadData;
    file.picture = kpx::png::pictureOf(file.header);
    const auto stored = static_cast<std::uint64_t>(file.length - offset);
    const bool fits = kpx::pictureFits(file.header.width, file.header.height, file.picture.depth,
                                       stored * kDeflateExpansion);
    return fits ? kKpxOk : kKpxBadData;
}

void describe(KpxCodecContext& context, const PngFile& file, std::int32_t offset) {
    context.fileSize = kpx::reportedFileSize(file.length, offset);
    context.width = static_cast<std::int16_t>(file.header.width);
    context.height = static_cast<std::int16_t>(file.header.height);
    context.bitsPerPixel = static_cast<std::int16_t>(file.picture.depth);
    context.flags = file.header.interlaced ? kFlagInterlaced : 0;
    context.frameCount = 1;
    std::vector<std::uint8_t> triplets;
    for (const auto& colour : file.picture.colours)
        triplets.insert(triplets.end(), colour.begin(), colour.end());
    kpx::setContextPalette(context, triplets);
    kpx::setDescriptionText(context,
                            file.header.interlaced ? kDescriptionInterlaced : kDescriptionPlain);
}

} // namespace

KpxResult KpxPngGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    PngFile file;
    const kpx::InputFile input(path, offset);
    const KpxResult opened = openPng(input, offset, file);
    if (opened != kKpxOk)
        return opened;
    describe(*context, file, offset);
    return kKpxOk;
}

KpxResult KpxPngLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    PngFile file;
    const kpx::InputFile input(path, offset);
    const KpxResult opened = openPng(input, offset, file);
    if (opened != kKpxOk)
        return opened;
    // The image was made from the info request: a file that changed since is not loaded.
    if (context->width != static_cast<std::int32_t>(file.header.width) ||
        context->height != static_cast<std::int32_t>(file.header.height) ||
        KpxNormalizeBitCount(context->bitsPerPixel) != file.picture.depth)
        return kKpxBadData;
    kpx::RowPacker packer(*context, progress,
                          file.picture.bgr ? kpx::RowPacker::Source::Bgr
                                           : kpx::RowPacker::Source::Indices);
    kpx::PackerRowSink sink(packer);
    std::fseek(input.get(), offset, SEEK_SET);
    kpx::FileByteInput source(input.get());
    const KpxResult result =
        kpx::toResult(kpx::png::decode(source, sink, &context->transparencyPlane));
    if (result == kKpxOk && file.picture.transparency == kpx::png::PngTransparency::Index)
        context->transparentColor = kKpxTransparentIndexFlag |
                                    static_cast<std::uint32_t>(file.picture.transparentIndex) << 16;
    return result;
}
