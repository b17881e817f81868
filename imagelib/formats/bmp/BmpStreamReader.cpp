// The stream reader: reads a bitmap from a callback stream into an image it makes itself.

#include "BmpReader.h"

#include <algorithm>

#include "BmpDecoder.h"
#include "BmpHeader.h"
#include "CodecIo.h"
#include "DecodeLimits.h"
#include "FormatId.h"
#include "ImageTable.h"
#include "LibraryShared.h"
#include "PackedRows.h"
#include "ResultCodes.h"
#include "StreamLoading.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::bmp;

constexpr std::size_t kHeaderBytes = 14 + 124 + 16 + 256 * 4;
constexpr std::uint32_t kRequestSize = 2;
constexpr std::uint32_t kRequestFrames = 4;
constexpr std::uint32_t kRequestImage = 8;
// Rows stored as the image keeps them are read this many bytes at a time.
constexpr std::size_t kRowsReadAtOnce = 1 << 20;

BitraError headerError(std::span<const std::uint8_t> data, CodecStatus status) {
    if (status == CodecStatus::Truncated)
        return kBitraReadError;
    const bool magic = data.size() >= 2 && data[0] == 'B' && data[1] == 'M';
    return magic ? kBitraUnusable : kBitraNotRecognised;
}

// 16-bit files make 24-bit images; every other depth is kept (1, 2 and 4 bits as 4, and so on
// by the library's depths).
int imageDepth(const BmpHeader& h) {
    return h.bitCount == 16 ? 24 : h.bitCount;
}

// Packs the decoded rows straight into the image's pixel memory and reports each row to the
// caller's progress function.
class ImageRowSink final : public kpx::RowSink {
public:
    ImageRowSink(KpxImageRecord& image, const BmpHeader& h, KpxStreamProgress progress, void* user)
        : image_(image), kind_(pixelKind(h)), progress_(progress), user_(user),
          decoded_(decodedRowBytes(h)) {}

    std::span<std::uint8_t> rowBuffer() override { return decoded_; }

    // Rows of whole bytes a pixel are decoded in their place in the image.
    std::span<std::uint8_t> rowBuffer(int row) override {
        if (kind_ == PixelKind::Indices && image_.bitCount() != 8)
            return decoded_;
        inPlace_ = row;
        return {imageRow(row), decoded_.size()};
    }

    bool rowDone(int row) override {
        const int height = image_.height();
        if (inPlace_ != row) {
            std::uint8_t* target = imageRow(row);
            if (kind_ == PixelKind::Indices)
                kpx::packRow(decoded_, target, image_.bitCount());
            else
                std::copy(decoded_.begin(), decoded_.end(), target);
        }
        inPlace_ = -1;
        const bool go = !progress_ || progress_(done_, height - 1, user_) == 0;
        ++done_;
        return go;
    }

private:
    std::uint8_t* imageRow(int row) const {
        return image_.bits +
               static_cast<std::size_t>(image_.height() - 1 - row) * image_.rowBytes();
    }

    KpxImageRecord& image_;
    PixelKind kind_;
    KpxStreamProgress progress_;
    void* user_;
    std::vector<std::uint8_t> decoded_;
    int inPlace_ = -1; // the row handed out in its place in the image
    int done_ = 0;
};

void copyPalette(const BmpHeader& h, KpxImageRecord& image) {
    const std::uint32_t entries = std::min<std::uint32_t>(image.colorCount(), 256);
    for (std::uint32_t i = 0; i < entries; ++i)
        image.colors()[i] = RGBQUAD{h.palette[i][2], h.palette[i][1], h.palette[i][0], 0};
}

BitraError decodeIntoImage(std::span<const std::uint8_t> data, const BmpHeader& h, KpxHandle image,
                           KpxStreamProgress progress, void* user) {
    const kpx::ImageLock record(image, kKpxWrite);
    if (!record || !record->bits)
        return kBitraOutOfMemory;
    copyPalette(h, *record.get());
    ImageRowSink sink(*record.get(), h, progress, user);
    switch (decodePixels(data, h, sink).status) {
    case CodecStatus::Ok:
        return kBitraNoError;
    case CodecStatus::Stopped:
        return kBitraUnusable;
    case CodecStatus::OutOfMemory:
        return kBitraOutOfMemory;
    case CodecStatus::Unsupported:
        return kBitraUnsupportedColorSpace;
    case CodecStatus::Truncated:
    case CodecStatus::Damaged:
        break;
    }
    // The caller's loaders read damaged data themselves (with what it holds); this reader only
    // hands out whole pictures.
    return kBitraReadError;
}

// Stored rows that are already image rows are read from the stream straight into the image,
// one row at a time, with nothing in between.
BitraError readRowsInPlace(KpxByteStream& stream, std::int64_t start, const BmpHeader& h,
                           KpxHandle image, KpxStreamProgress progress, void* user) {
    const kpx::ImageLock record(image, kKpxWrite);
    if (!record || !record->bits)
        return kBitraOutOfMemory;
    copyPalette(h, *record.get());
    const auto rowBytes = static_cast<std::uint32_t>(storedRowBytes(h));
    if (rowBytes != record->rowBytes() || stream.seek(start + h.pixelOffset, SEEK_SET) < 0)
        return kBitraReadError;
    // Bottom-up files store the rows in the order the image keeps them: many rows go in one read.
    const int perRead = h.topDown ? 1 : std::max(1, static_cast<int>(kRowsReadAtOnce / rowBytes));
    for (int i = 0; i < h.height; i += perRead) {
        const int rows = std::min(perRead, h.height - i);
        const int stored = h.topDown ? h.height - 1 - i : i;
        std::uint8_t* first = record->bits + static_cast<std::size_t>(stored) * rowBytes;
        const std::size_t bytes = static_cast<std::size_t>(rows) * rowBytes;
        if (stream.read(first, static_cast<std::uint32_t>(bytes)) !=
            static_cast<std::int64_t>(bytes))
            return kBitraReadError;
        for (int row = i; row < i + rows; ++row)
            if (progress && progress(row, h.height - 1, user) != 0)
                return kBitraUnusable;
    }
    return kBitraNoError;
}

// The most pixels the stream can hold after the headers, for the limits.
std::uint64_t streamReach(KpxByteStream& stream, std::int64_t start, const BmpHeader& h) {
    const std::int64_t size = stream.size();
    const std::int64_t bytes = size - start - static_cast<std::int64_t>(h.pixelOffset);
    const std::uint64_t rowBytes = storedRowBytes(h);
    if (bytes <= 0 || rowBytes == 0)
        return 0;
    return static_cast<std::uint64_t>(bytes) / rowBytes * static_cast<std::uint64_t>(h.width);
}

BitraError readImage(kpx::StreamBytes& in, KpxByteStream& stream, std::int64_t start,
                     const BmpHeader& h, KpxStreamImageRequest& request, KpxStreamProgress progress,
                     void* user) {
    if (!isSupported(h))
        return kBitraUnsupportedColorSpace;
    const kpx::DecodeLimits& limits = kpx::kDefaultDecodeLimits;
    const auto width = static_cast<std::uint64_t>(h.width);
    const auto height = static_cast<std::uint64_t>(h.height);
    if (!kpx::withinSize(limits, width, height))
        return kBitraUnusable;
    const bool inPlace = storedAsImageRows(h);
    const std::span<const std::uint8_t> data =
        inPlace ? in.held()
                : in.ensure(
                      static_cast<std::size_t>(std::min<std::uint64_t>(pixelDataEnd(h), SIZE_MAX)));
    const bool small = width * height <= limits.alwaysLoadablePixels;
    const std::uint64_t reach = small     ? 0
                                : inPlace ? streamReach(stream, start, h)
                                          : dataReach(data, h);
    if (!kpx::dataCanFill(limits, width, height, static_cast<std::uint64_t>(imageDepth(h)), reach))
        return kBitraUnusable;
    const KpxHandle image = KPXCreateImageFast(h.width, h.height, imageDepth(h), 0);
    if (!image)
        return kBitraOutOfMemory;
    const BitraError error = inPlace ? readRowsInPlace(stream, start, h, image, progress, user)
                                     : decodeIntoImage(data, h, image, progress, user);
    if (error != kBitraNoError) {
        KPXDeleteImage(image);
        return error;
    }
    KPXFillDIBColorTable(image);
    request.image = image;
    return kBitraNoError;
}

BitraError read(KpxStreamCallbacks* stream, KpxStreamImageRequest* request,
                KpxStreamProgress progress, void* user) {
    if (!stream || !request || request->flags == 0)
        return kBitraBadArgument;
    const std::uint32_t flags = request->flags;
    *request = KpxStreamImageRequest{};
    request->flags = flags;
    kpx::CallbackByteStream adapter(stream);
    const std::int64_t start = adapter.seek(0, SEEK_CUR);
    kpx::StreamBytes in(adapter);
    if (!in.valid())
        return kBitraReadError;
    const std::span<const std::uint8_t> head = in.ensure(kHeaderBytes);
    const HeaderResult header = readHeader(head);
    BitraError error =
        header.status == CodecStatus::Ok ? kBitraNoError : headerError(head, header.status);
    if (error == kBitraNoError) {
        const BmpHeader& h = header.header;
        if (flags & kKpxRequestFormat)
            request->formatId = formatNumber(FormatId::Bmp);
        if (flags & kRequestSize) {
            request->width = h.width;
            request->height = h.height;
            request->bitsPerPixel = h.bitCount;
        }
        if (flags & kRequestFrames)
            request->frameCount = 1;
        if (flags & kRequestImage)
            error = readImage(in, adapter, start, h, *request, progress, user);
    }
    if (!request->image)
        in.seekTo(0);
    return error;
}

} // namespace

std::int32_t KpxBmpReadStream(KpxStreamCallbacks* stream, KpxStreamImageRequest* request,
                              KpxStreamProgress progress, void* user) {
    const BitraError error = read(stream, request, progress, user);
    kpx::setLastError(error);
    return error;
}
