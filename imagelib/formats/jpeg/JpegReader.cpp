#include "JpegReader.h"

#include "Bitra5ResourceIds.h"
#include "CodecIo.h"
#include "CodecPictures.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "JpegCodec.h"
#include "LibraryShared.h"
#include "RowPacker.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace {

namespace jpeg = kpx::jpeg;

constexpr std::int32_t kJpegFormat = 90;
constexpr unsigned kDescriptionJpeg = bitra5res::IDS_DESCRIPTION_FIRST + 29; // 8160
// A JPEG byte can stand for many pixels (runs of empty blocks); this bounds how many bytes of
// picture one byte of file may make.
constexpr std::uint64_t kJpegExpansion = 4096;

int depthOf(const jpeg::JpegHeader& header) {
    return header.components < 3 ? 8 : 24;
}

void describe(KpxCodecContext& context, const jpeg::JpegHeader& header, std::int64_t fileSize,
              std::int32_t offset) {
    context.fileSize = kpx::reportedFileSize(fileSize, offset);
    context.width = static_cast<std::int16_t>(header.width);
    context.height = static_cast<std::int16_t>(header.height);
    context.bitsPerPixel = static_cast<std::int16_t>(depthOf(header));
    context.dataSize = 0;
    context.frameCount = 1;
    if (depthOf(header) == 8)
        kpx::setGreyRamp(context, 8);
    const int space = static_cast<int>(header.colourSpace);
    const unsigned id = space >= 1 && space <= 5 ? kDescriptionJpeg + space : kDescriptionJpeg;
    kpx::setDescriptionText(context, id);
}

// Reads the header from the file's offset on; kKpxOk, or the result that ends the request.
KpxResult readHeaderOf(const kpx::InputFile& input, std::int32_t offset, jpeg::JpegReader& reader,
                       jpeg::JpegHeader& header) {
    if (!input.valid() || !reader.readHeader(header))
        return kKpxCannotOpen;
    const auto stored = static_cast<std::uint64_t>(input.length() - offset);
    return kpx::pictureFits(header.width, header.height, depthOf(header), stored * kJpegExpansion)
               ? kKpxOk
               : kKpxBadData;
}

// Decodes the rows into the row packer: grey rows as indices, colour rows as blue, green,
// red (CMYK turned into colour).
KpxResult decodeRows(jpeg::JpegReader& reader, const jpeg::JpegOutput& output,
                     kpx::RowPacker& packer) {
    std::vector<std::uint8_t> cmyk(output.components == 4 ? std::size_t{output.width} * 4 : 0);
    for (std::uint32_t y = 0; y < output.height; ++y) {
        const std::span<std::uint8_t> row = packer.rowBuffer();
        if (!reader.readRow(output.components == 4 ? cmyk.data() : row.data()))
            return kKpxCannotOpen;
        if (output.components == 4)
            jpeg::cmykToBgr(cmyk.data(), output.width, row.data());
        if (!packer.storeRow(static_cast<int>(y)))
            return kKpxStopped;
    }
    return reader.finish() ? kKpxOk : kKpxCannotOpen;
}

// ---- The stream reader

// The caller's callback stream as the decoder's byte source.
class CallbackSource final : public kpx::ByteInput {
public:
    explicit CallbackSource(KpxStreamCallbacks* stream) : stream_(stream) {}
    std::size_t read(std::span<std::uint8_t> out) override {
        if (!stream_->read)
            return 0;
        const std::uint32_t count =
            stream_->read(stream_, out.data(), static_cast<std::uint32_t>(out.size()));
        return std::min<std::size_t>(count, out.size());
    }
    bool skip(std::uint64_t count) override {
        return stream_->seek && count <= INT32_MAX &&
               stream_->seek(stream_, static_cast<std::int32_t>(count), SEEK_CUR) == 0;
    }

private:
    KpxStreamCallbacks* stream_;
};

[[noreturn]] void fail(BitraError code) {
    throw BitraException(code);
}

// A library failure of the stream reader: not a JPEG at all, or unusable data.
[[noreturn]] void failFrom(const jpeg::JpegReader& reader) {
    fail(reader.messageCode() == jpeg::messageNotJpeg() ? kBitraNotRecognised : kBitraUnusable);
}

// An image that is deleted unless it is handed out.
class PendingImage {
public:
    explicit PendingImage(KpxHandle image) : image_(image) {}
    ~PendingImage() {
        if (image_)
            KPXDeleteImage(image_);
    }
    PendingImage(const PendingImage&) = delete;
    PendingImage& operator=(const PendingImage&) = delete;
    KpxHandle get() const { return image_; }
    KpxHandle release() { return std::exchange(image_, 0); }

private:
    KpxHandle image_;
};

void setGreyColours(KpxHandle image) {
    const kpx::ImageLock record(image, kKpxWrite);
    if (!record)
        return;
    RGBQUAD* colours = record->colors();
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<BYTE>(i);
        colours[i] = RGBQUAD{v, v, v, 0};
    }
}

// Decodes the rows straight into the image: the top row into the last stored row.
void decodeIntoImage(jpeg::JpegReader& reader, const jpeg::JpegOutput& output, KpxHandle image,
                     KpxStreamProgress progress, void* user) {
    const kpx::ImageLock record(image, kKpxWrite);
    if (!record)
        fail(kBitraOutOfMemory);
    const std::size_t rowBytes = record->rowBytes();
    std::vector<std::uint8_t> cmyk(output.components == 4 ? std::size_t{output.width} * 4 : 0);
    const auto total = static_cast<int>(output.height);
    for (int y = 0; y < total; ++y) {
        std::uint8_t* row = record->bits + static_cast<std::size_t>(total - 1 - y) * rowBytes;
        if (!reader.readRow(output.components == 4 ? cmyk.data() : row))
            failFrom(reader);
        if (output.components == 4)
            jpeg::cmykToBgr(cmyk.data(), output.width, row);
        if (progress && progress(y + 1, total, user) != 0)
            fail(kBitraUnusable);
    }
    if (progress)
        progress(total, total, user);
    if (!reader.finish())
        failFrom(reader);
}

// The bytes from the stream's position to its end (the position stays); 0 when the stream
// cannot tell.
std::uint64_t bytesLeft(KpxStreamCallbacks* stream) {
    if (!stream->tell || !stream->seek)
        return 0;
    const std::int32_t here = stream->tell(stream);
    if (here < 0 || stream->seek(stream, 0, SEEK_END) != 0)
        return 0;
    const std::int32_t end = stream->tell(stream);
    stream->seek(stream, here, SEEK_SET);
    return end > here ? static_cast<std::uint64_t>(end - here) : 0;
}

KpxHandle decodeStream(jpeg::JpegReader& reader, const jpeg::JpegHeader& header,
                       std::uint64_t streamBytes, int scaleDenominator, KpxStreamProgress progress,
                       void* user) {
    if (!kpx::pictureFits(header.width, header.height, depthOf(header),
                          streamBytes * kJpegExpansion))
        fail(kBitraUnusable);
    jpeg::JpegOutput output;
    const jpeg::JpegDecodeOptions options{.floatDct = true,
                                          .scaleDenominator = scaleDenominator,
                                          .space = jpeg::OutputSpace::ColourUnlessYcck};
    if (!reader.start(options, output))
        failFrom(reader);
    if (output.components != 1 && output.components != 3 && output.components != 4)
        fail(kBitraUnsupportedColorSpace);
    const int depth = output.components == 1 ? 8 : 24;
    PendingImage image(KPXCreateImageFast(static_cast<int>(output.width),
                                          static_cast<int>(output.height), depth, 0));
    if (!image.get())
        fail(kBitraOutOfMemory);
    if (depth == 8)
        setGreyColours(image.get());
    decodeIntoImage(reader, output, image.get(), progress, user);
    if (depth == 8)
        KPXFillDIBColorTable(image.get());
    return image.release();
}

std::int32_t readStream(KpxStreamCallbacks* stream, KpxStreamImageRequest& request,
                        KpxStreamProgress progress, void* user) {
    const std::int32_t targetWidth = request.width;
    const std::int32_t targetHeight = request.height;
    const std::uint32_t flags = request.flags;
    request = KpxStreamImageRequest{};
    request.flags = flags;
    const std::uint64_t streamBytes = bytesLeft(stream);
    CallbackSource source(stream);
    jpeg::JpegReader reader(source);
    jpeg::JpegHeader header;
    if (!reader.readHeader(header))
        failFrom(reader);
    if (flags & 1)
        request.formatId = kJpegFormat;
    if (flags & 2) {
        request.width = static_cast<std::int32_t>(header.width);
        request.height = static_cast<std::int32_t>(header.height);
        request.bitsPerPixel = header.colourSpace == jpeg::ColourSpace::Grey ? 8 : 24;
    }
    if (flags & 4)
        request.frameCount = 1;
    if (!(flags & 8))
        return kBitraNoError;
    const int scale =
        (flags & kKpxRequestFitSize)
            ? KpxJpegPreviewScale(header.width, header.height, targetWidth, targetHeight)
            : 1;
    request.image = decodeStream(reader, header, streamBytes, scale, progress, user);
    request.extra = reader.lostData() ? kKpxRequestDataIncomplete : 0;
    return kBitraNoError;
}

} // namespace

KpxResult KpxJpegGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                         KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    const kpx::InputFile input(path, offset);
    kpx::FileByteInput source(input.get());
    jpeg::JpegReader reader(source);
    jpeg::JpegHeader header;
    const KpxResult opened = readHeaderOf(input, offset, reader, header);
    if (opened != kKpxOk)
        return opened;
    describe(*context, header, input.length(), offset);
    return kKpxOk;
}

KpxResult KpxJpegLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                      KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    const kpx::InputFile input(path, offset);
    kpx::FileByteInput source(input.get());
    jpeg::JpegReader reader(source);
    jpeg::JpegHeader header;
    const KpxResult opened = readHeaderOf(input, offset, reader, header);
    if (opened != kKpxOk)
        return opened;
    jpeg::JpegOutput output;
    if (!reader.start({}, output))
        return kKpxCannotOpen;
    // The image was made from the info request: a file that changed since is not loaded.
    const int depth = output.components == 1 ? 8 : 24;
    if (output.width != static_cast<std::uint32_t>(context->width) ||
        output.height != static_cast<std::uint32_t>(context->height) ||
        KpxNormalizeBitCount(context->bitsPerPixel) != depth)
        return kKpxBadData;
    kpx::RowPacker packer(*context, progress,
                          depth == 8 ? kpx::RowPacker::Source::Indices
                                     : kpx::RowPacker::Source::Bgr);
    const KpxResult result = decodeRows(reader, output, packer);
    // A file cut short or damaged still loads, the rest filled in by the decoder.
    context->dataIncomplete = reader.lostData() ? 1 : 0;
    return result;
}

int KpxJpegPreviewScale(std::uint32_t width, std::uint32_t height, std::int32_t targetWidth,
                        std::int32_t targetHeight) {
    if (targetWidth <= 0 || targetHeight <= 0)
        return 1;
    const double ratio = std::min(static_cast<double>(width) / targetWidth,
                                  static_cast<double>(height) / targetHeight);
    if (ratio > 8)
        return 8;
    if (ratio > 4)
        return 4;
    return ratio > 2 ? 2 : 1;
}

std::int32_t KpxLoadJpegStream(KpxStreamCallbacks* stream, KpxStreamImageRequest* request,
                               KpxStreamProgress progress, void* user) {
    if (!stream || !request || request->flags == 0) {
        kpx::setLastError(kBitraBadArgument);
        return kBitraBadArgument;
    }
    const std::int32_t start = stream->tell ? stream->tell(stream) : 0;
    std::int32_t error = kBitraNoError;
    try {
        error = readStream(stream, *request, progress, user);
    } catch (const BitraException& e) {
        error = e.code();
    } catch (...) {
        error = 4;
    }
    if (error != kBitraNoError && request->image) {
        KPXDeleteImage(request->image);
        request->image = 0;
    }
    if (!request->image && stream->seek)
        stream->seek(stream, start, SEEK_SET);
    kpx::setLastError(error);
    return error;
}
