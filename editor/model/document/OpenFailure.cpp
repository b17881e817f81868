#include "OpenFailure.h"

#include "Bitra5.h"
#include "FormatId.h"
#include "ImportReaders.h"
#include "Kfm5ResourceIds.h"
#include "ShellServices.h"
#include "video/VideoModule.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr std::int64_t kMaxCanvasPixels = std::int64_t{1} << 26;
// The image library holds sizes and positions as signed 16-bit values.
constexpr std::int64_t kLargestSide = 32767;
// The blocks of a GIF looked at for its sizes; a larger file has its first ones looked at.
constexpr int kGifBlocksLooked = 4096;

bool fitsTheLibrary(std::int64_t width, std::int64_t height) {
    return width <= kLargestSide && height <= kLargestSide;
}

bool readable(const std::string& path) {
    return std::ifstream(path, std::ios::binary).good();
}

bool isDrawing(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wmf" || extension == ".emf";
}

// An AVI file by its RIFF form type.
bool isAviClip(const std::string& path) {
    char head[12] = {};
    std::ifstream(path, std::ios::binary).read(head, sizeof head);
    return std::string_view(head, 4) == "RIFF" && std::string_view(head + 8, 4) == "AVI ";
}

// A clip or a drawing that another importer recognises.
bool otherImporterKnows(const std::string& path) {
    ImportReaders& readers = importReaders();
    AviFileInformation avi;
    if (readers.GetAviFileInfo(path.c_str(), avi))
        return true;
    FlicReader* flic = nullptr;
    const bool isFlic = readers.FLICFileOpen(&flic, path.c_str()) == 0 && flic;
    if (flic)
        readers.FLICFileRelease(flic);
    return isFlic;
}

// The screen of a GIF, or the first of its images the library cannot hold, when either is
// larger than the editor can hold.
std::optional<OpenFailure> oversizedGif(const std::string& path) {
    std::vector<KpxGifBlockInfo> blocks(kGifBlocksLooked);
    const int count = KPXGetGifDetails(path.c_str(), blocks.data(), kGifBlocksLooked);
    constexpr std::int32_t kHeader = 1;
    constexpr std::int32_t kImage = 7;
    for (int i = 0; i < count; ++i) {
        const KpxGifBlockInfo& b = blocks[static_cast<std::size_t>(i)];
        const bool tooLarge = (b.kind == kHeader && (!fitsTheLibrary(b.width, b.height) ||
                                                     !CanvasFits(b.width, b.height))) ||
                              (b.kind == kImage && !fitsTheLibrary(b.width, b.height));
        if (tooLarge)
            return OpenFailure{OpenFailureKind::TooLarge, b.width, b.height};
    }
    return std::nullopt;
}

} // namespace

bool CanvasFits(std::int64_t width, std::int64_t height) {
    return width * height <= kMaxCanvasPixels;
}

OpenFailure DiagnoseOpenFailure(const std::string& path) {
    std::error_code error;
    if (!readable(path) || isDrawing(path))
        return {OpenFailureKind::Unexplained};
    if (std::filesystem::file_size(path, error) == 0 && !error)
        return {OpenFailureKind::Empty};
    if (isAviClip(path) && !kfm::video::videoModule())
        return {OpenFailureKind::NoVideoModule};
    const std::int32_t format = KPXGetFormatFile(path.c_str());
    if (format == 0)
        return {otherImporterKnows(path) ? OpenFailureKind::Damaged : OpenFailureKind::NotAPicture};
    if (format == formatNumber(FormatId::Gif))
        if (const auto oversized = oversizedGif(path))
            return *oversized;
    return {OpenFailureKind::Damaged};
}

UINT OpenFailureMessage(OpenFailureKind kind) {
    switch (kind) {
    case OpenFailureKind::Empty:
        return kfm5res::IDS_OPEN_EMPTY;
    case OpenFailureKind::NotAPicture:
        return kfm5res::IDS_OPEN_NOT_A_PICTURE;
    case OpenFailureKind::TooLarge:
        return kfm5res::IDS_OPEN_TOO_LARGE;
    case OpenFailureKind::Damaged:
        return kfm5res::IDS_OPEN_DAMAGED;
    case OpenFailureKind::NoVideoModule:
        return kfm5res::IDS_OPEN_NO_VIDEO_MODULE;
    case OpenFailureKind::Unexplained:
        break;
    }
    return kfm5res::IDS_OPEN_FAILED;
}

void ShowOpenFailure(const std::string& path, const OpenFailure& failure) {
    const UINT message = OpenFailureMessage(failure.kind);
    const UINT flags = failure.kind == OpenFailureKind::Unexplained ? MB_OK_ : MB_ICONEXCLAMATION_;
    ShellMessageBoxFormatted(message, flags,
                             {path, std::to_string(failure.width), std::to_string(failure.height)});
}
