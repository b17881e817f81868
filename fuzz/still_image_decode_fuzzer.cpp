// Fuzz target of the still-image codecs (BMP, BMI, PCX, Targa, WPG, icons, MacPaint) through the
// library's own roads. The first byte chooses the codec (byte % 7) and the road (byte / 7 % 3):
//   0  the format's info and load routines on a file, as the core loader calls them
//   1  the same on the data at offset 1 of a file; for BMP and BMI the byte-stream load instead
//   2  for BMP the stream reader on a file; for the others as road 0
// Pictures of more than 2^19 pixels are not loaded. A picture that loads is saved again in its
// format and loaded once more: that must give a picture of the same size.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "BmpHeader.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "MemoryFile.h"
#include "RowCallbacks.h"
#include "StreamLoading.h"

namespace {

constexpr std::array<std::int32_t, 7> kFormats = {40, 110, 10, 80, 50, 60, 70};
// Room for a MacPaint picture (576 x 720).
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 19;

bool smallEnough(const KpxCodecContext& context) {
    return context.width > 0 && context.height > 0 &&
           std::int64_t{context.width} * context.height <= kMaxPixels;
}

// Info, then a new image of the size it gives, then the load into it (as the core loader does).
KpxHandle loadByFormat(std::int32_t format, const char* path, std::int32_t offset) {
    KpxCodecContext context;
    context.frameCount = 1;
    if (KpxGetInfoByFormat(&context, path, offset, format, nullptr, nullptr) != 0 ||
        !smallEnough(context))
        return 0;
    const KpxHandle image =
        KPXCreateImage(context.width, context.height, KpxNormalizeBitCount(context.bitsPerPixel));
    if (!image)
        return 0;
    KpxSetupRowLayout(&context);
    KpxSetRowBits(KPXGetBits(image));
    context.storeRow = KpxStoreRow;
    KpxSetKeepLoading(1);
    KpxTransparentEntry list[10] = {};
    std::int32_t count = 0;
    const KpxResult result = KpxLoadByFormat(&context, path, offset, format, nullptr, list, &count);
    KpxSetRowBits(nullptr);
    if (result != 0 || count < 0 || count > 10) {
        KPXDeleteImage(image);
        return 0;
    }
    return image;
}

KpxHandle loadFromByteStream(std::int32_t format, std::span<const std::uint8_t> data) {
    KpxMemoryStream stream(std::vector<std::uint8_t>(data.begin(), data.end()));
    KpxCodecContext context;
    context.frameCount = 1;
    if (KpxGetInfoByFormatOleStream(&context, &stream, format, nullptr, nullptr) != 0 ||
        !smallEnough(context))
        return 0;
    return KPXLoadImageOleStream(nullptr, &stream, nullptr);
}

// The stream reader makes its image from the header alone: the header is checked first.
KpxHandle loadWithStreamReader(std::span<const std::uint8_t> data, const char* path) {
    const auto header = kpx::bmp::readHeader(data);
    if (header.status != kpx::CodecStatus::Ok ||
        std::int64_t{header.header.width} * header.header.height > kMaxPixels)
        return 0;
    return KpxLoadImageFromFile(path, 0, 0, nullptr, nullptr, nullptr);
}

// A folder for the saves (in memory where the system has one); the saves go through the save
// front end, which writes beside the target and renames.
const std::string& saveFolder() {
    static const std::string folder = [] {
        for (const char* base : {"/dev/shm", "/tmp"}) {
            std::string pattern = std::string(base) + "/still_image_fuzz_XXXXXX";
            if (mkdtemp(pattern.data()))
                return pattern;
        }
        return std::string();
    }();
    return folder;
}

// A picture that loaded is saved again and must load again at the same size.
void checkSavedAgain(KpxHandle image, std::int32_t format) {
    if (saveFolder().empty())
        return;
    const std::string path = saveFolder() + "/saved";
    if (KPXSaveImage(image, path.c_str(), format, 0, 0, nullptr) != 1)
        return;
    const KpxHandle reloaded = loadByFormat(format, path.c_str(), 0);
    std::remove(path.c_str());
    if (!reloaded || KPXWidth(reloaded) != KPXWidth(image) ||
        KPXHeight(reloaded) != KPXHeight(image))
        std::abort();
    KPXDeleteImage(reloaded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::span<const std::uint8_t> input(data, size);
    const std::int32_t format = kFormats[input[0] % kFormats.size()];
    const int road = input[0] / static_cast<int>(kFormats.size()) % 3;
    const bool streams = format == 40 || format == 110;
    static MemoryFile file("still_image_input");
    // The selector byte stays in front of the data: road 1 reads from offset 1.
    const char* path = file.write(road == 1 ? input : input.subspan(1));
    if (!path)
        return 0;
    const std::span<const std::uint8_t> picture = input.subspan(1);
    KpxHandle image = 0;
    if (road == 0)
        image = loadByFormat(format, path, 0);
    else if (road == 1)
        image = streams ? loadFromByteStream(format, picture) : loadByFormat(format, path, 1);
    else if (format == 40)
        image = loadWithStreamReader(picture, path);
    else
        image = loadByFormat(format, path, 0);
    if (image) {
        checkSavedAgain(image, format);
        KPXDeleteImage(image);
    }
    KpxSetKeepLoading(1);
    return 0;
}
