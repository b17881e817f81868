#include "MultiFrameFiles.h"

#include "CodecContext.h"
#include "ColorConversion.h"
#include "ColorMatching.h"
#include "FileAccess.h"
#include "FileInfo.h"
#include "FormatDispatch.h"
#include "FormatId.h"
#include "FrameChain.h"
#include "GifWriter.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LibraryShared.h"
#include "LoadFrontEnd.h"
#include "PackedRows.h"
#include "RowCallbacks.h"
#include "SafeSave.h"
#include "SaveFrontEnd.h"
#include "TransparentEntries.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>
#include <vector>

namespace {

// The chain walks stop here even if a damaged chain loops.
constexpr int kMaxChainLength = 32768;

bool inBreakTable(KpxHandle handle) {
    std::lock_guard lock(kpx::breakTableMutex());
    const KpxHandle* slots = kpx::breakTable();
    return std::find(slots, slots + kpx::kBreakTableSize, handle) != slots + kpx::kBreakTableSize;
}

// Gives a loaded frame the context's values: timing, place, screen, disposal, loop count,
// transparent list and the frame-of-an-animation flag.
void takeFrameValues(KpxHandle image, const KpxCodecContext& c, bool first) {
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!record)
            return;
        record->delay = c.delay;
        record->left = c.left;
        record->top = c.top;
        record->screenWidth = c.screenWidth;
        record->screenHeight = c.screenHeight;
        record->disposal = c.disposal;
        if (first)
            record->loopCount = c.loopCount;
        record->frameOfAnimation = 1;
        record->transparencyCount = 0;
    }
    kpx::applyTransparentColor(image, c.transparentColor);
}

void linkFrame(KpxHandle previous, KpxHandle image, KpxHandle first) {
    {
        kpx::ImageLock record(previous, kKpxWrite);
        if (record)
            record->nextFrame = image;
    }
    kpx::noteChainLinksChanged();
    kpx::ImageLock record(image, kKpxWrite);
    if (record) {
        record->firstFrame = first;
        record->nextFrame = 0;
    }
}

// The joined frame comments go back to the frames, piece by piece ("|" ends each piece).
void distributeTitle(KpxHandle first, const std::string& title) {
    std::vector<std::string> pieces;
    std::string piece;
    for (const char ch : title) {
        if (ch == '|') {
            pieces.push_back(piece);
            piece.clear();
        } else {
            piece.push_back(ch);
        }
    }
    if (!piece.empty())
        pieces.push_back(piece);
    KpxHandle frame = first;
    for (std::size_t i = 0; frame && i < pieces.size(); ++i) {
        kpx::ImageLock record(frame, kKpxWrite);
        if (!record)
            break;
        if (pieces[i].empty())
            record->comment.reset();
        else
            record->comment = pieces[i];
        frame = static_cast<KpxHandle>(record->nextFrame);
    }
}

void clearBreakRequests(KpxHandle first) {
    kpx::clearBreakTableSlots(first);
}

// The frames of a chain in order.
std::vector<KpxHandle> chainFrames(KpxHandle first) {
    std::vector<KpxHandle> frames;
    for (KpxHandle frame = first; frame && static_cast<int>(frames.size()) < kMaxChainLength;) {
        frames.push_back(frame);
        kpx::ImageLock record(frame, kKpxRead);
        if (!record)
            break;
        frame = static_cast<KpxHandle>(record->nextFrame);
    }
    return frames;
}

// What the save needs to know of each frame's colours: how many leading entries its colour table
// must keep (0 leaves it to the pixels the writer encodes).
struct FrameColours {
    int usedEntries = 0;
};

// The highest palette index a frame's pixels use; -1 without pixels or without a palette.
int highestIndexUsed(const KpxImageRecord& record) {
    const int bits = record.bitCount();
    if ((bits != 1 && bits != 4 && bits != 8) || !record.bits)
        return -1;
    const int width = record.width();
    int highest = -1;
    for (int y = 0; y < record.height() && highest < (1 << bits) - 1; ++y) {
        const std::uint8_t* row = record.bits + static_cast<std::size_t>(y) * record.rowBytes();
        if (bits == 8) {
            if (width > 0)
                highest = std::max<int>(highest, *std::max_element(row, row + width));
        } else {
            for (int x = 0; x < width; ++x)
                highest = std::max(highest, kpx::indexAt(row, x, bits));
        }
    }
    return highest;
}

// The entries a frame's pixels use (its highest index + 1); a frame deeper than 8 bits is written
// as an 8-bit copy, which may use every entry.
int usedEntries(KpxHandle frame) {
    if (KPXbpp(frame) > 8)
        return 256;
    const kpx::ImageLock record(frame, kKpxRead);
    return record ? highestIndexUsed(*record.get()) + 1 : 0;
}

// The most entries a frame can use, by its depth.
int mostEntries(KpxHandle frame) {
    const int bits = KPXbpp(frame);
    return bits > 8 ? 256 : 1 << std::clamp(bits, 0, 8);
}

std::vector<RGBQUAD> colourTable(KpxHandle frame) {
    kpx::ImageLock record(frame, kKpxRead);
    if (!record || record->bitCount() > 8)
        return {};
    return std::vector<RGBQUAD>(record->colors(), record->colors() + record->colorCount());
}

// Whether the first count entries of a frame's table differ from the reference table. The
// entry the frame's file makes transparent (unseen, -1 none) may differ: no pixel shows it, so a
// frame whose table differs there alone is shown the same in the reference table.
bool tableDiffers(const std::vector<RGBQUAD>& table, const std::vector<RGBQUAD>& reference,
                  int count, int unseen = -1) {
    if (table.size() > reference.size())
        return true;
    for (int i = 0; i < count && i < static_cast<int>(table.size()); ++i)
        if (i != unseen &&
            (table[i].rgbRed != reference[i].rgbRed || table[i].rgbGreen != reference[i].rgbGreen ||
             table[i].rgbBlue != reference[i].rgbBlue))
            return true;
    return false;
}

// The palette index a frame's file marks transparent (its first transparent entry, when that
// names an index, as the GIF save writes it); -1 none.
int transparentIndexInFile(const KpxImageRecord& record) {
    if (record.transparencyCount < 1 || record.transparency[0].mode != kKpxTransparentIndex)
        return -1;
    return record.transparency[0].blue & 0xFF;
}

int transparentIndexInFile(KpxHandle frame) {
    const kpx::ImageLock record(frame, kKpxRead);
    return record ? transparentIndexInFile(*record.get()) : -1;
}

// The entries of the first frame's table that the written table covers whatever the frames use:
// its last entry that differs from entry 0 (entries after it are left out), in the table size
// that holds it.
int entriesCoveredByFirstTable(KpxHandle first) {
    const kpx::ImageLock record(first, kKpxRead);
    if (!record || record->bitCount() > 8)
        return 256;
    std::uint8_t palette[256][3] = {};
    const std::uint32_t n = std::min<std::uint32_t>(record->colorCount(), 256);
    for (std::uint32_t i = 0; i < n; ++i)
        palette[i][0] = record->colors()[i].rgbRed, palette[i][1] = record->colors()[i].rgbGreen,
        palette[i][2] = record->colors()[i].rgbBlue;
    return 1 << kpx::gif::colorTableBits(palette, record->bitCount(), 0);
}

// The entries each frame's table must keep. The writer finds a frame's own highest index while
// it encodes the rows, so a frame's pixels are looked at beforehand only where that is too late:
// - with the fewest code bits, every frame's code size follows from its entries;
// - the first frame's table (the file's global table) must also cover the frames that share it
//   (those whose colours match it over their used entries), which matters only for a frame that
//   could use more entries than the table holds anyway.
std::vector<FrameColours> summariseColours(const std::vector<KpxHandle>& frames,
                                           std::int32_t flags) {
    std::vector<FrameColours> summary(frames.size());
    if (frames.empty())
        return summary;
    const bool fewestBits = (flags & kKpxSaveFewestCodeBits) != 0;
    const std::vector<RGBQUAD> reference = colourTable(frames[0]);
    const int covered = fewestBits ? 0 : entriesCoveredByFirstTable(frames[0]);
    int shared = 0; // the most entries a frame that shares the first frame's table uses
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const bool deep = KPXbpp(frames[k]) > 8;
        if (!fewestBits && !deep) {
            if (k == 0 || mostEntries(frames[k]) <= covered)
                continue; // the writer finds the entries the pixels use
            if (colourTable(frames[k]).size() > reference.size())
                continue; // a table of its own
        }
        const int used = usedEntries(frames[k]);
        if (fewestBits || deep)
            summary[k].usedEntries = used;
        if (k > 0 && !tableDiffers(colourTable(frames[k]), reference, used,
                                   transparentIndexInFile(frames[k])))
            shared = std::max(shared, used);
    }
    summary[0].usedEntries = std::max(summary[0].usedEntries, shared);
    return summary;
}

void paletteInto(KpxCodecContext& c, const KpxImageRecord& record) {
    const std::uint32_t n = std::min<std::uint32_t>(record.colorCount(), 256);
    for (std::uint32_t i = 0; i < n; ++i) {
        c.palette[i][0] = record.colors()[i].rgbRed;
        c.palette[i][1] = record.colors()[i].rgbGreen;
        c.palette[i][2] = record.colors()[i].rgbBlue;
    }
}

// The values of the whole animation, kept in the chain's first frame.
struct ChainValues {
    std::int32_t screenWidth = 0;
    std::int32_t screenHeight = 0;
    std::int32_t loopCount = -1;
    std::optional<std::string> animationComment;
};

// Saves one frame: pixels from `pixels` (the frame or its 8-bit copy), everything else from the
// frame's own record.
KpxResult saveFrame(KpxHandle frame, KpxHandle pixels, const char* path, std::int32_t formatId,
                    std::int32_t flags, std::int32_t option2, int frameNumber, int frameCount,
                    const ChainValues& chain, const std::string& title,
                    const std::vector<RGBQUAD>& firstTable, const FrameColours& colours) {
    const kpx::ImageLock attributes(frame, kKpxRead);
    if (!attributes)
        return kKpxBadData;
    const kpx::SecondImageLock pixelLock(attributes, frame, pixels, kKpxRead);
    if (!pixelLock)
        return kKpxOutOfMemory;
    const KpxImageRecord& image = *pixelLock.get();

    KpxCodecContext c;
    c.width = static_cast<std::int16_t>(image.width());
    c.height = static_cast<std::int16_t>(image.height());
    c.bitsPerPixel = static_cast<std::int16_t>(image.bitCount());
    c.rowBitsPerPixel = c.bitsPerPixel;
    c.dataSize = static_cast<std::int32_t>(image.header().biSizeImage);
    c.saveOption = flags;
    c.saveOption2 = static_cast<std::int16_t>(option2);
    c.rotateAngle = static_cast<std::int16_t>(attributes->rotateAngle);
    c.fetchRow = KpxFetchRow;
    c.screenWidth = static_cast<std::int16_t>(chain.screenWidth);
    c.screenHeight = static_cast<std::int16_t>(chain.screenHeight);
    c.frameNumber = static_cast<std::int16_t>(frameNumber);
    c.frameCount = static_cast<std::int16_t>(frameCount);
    c.left = static_cast<std::int16_t>(attributes->left);
    c.top = static_cast<std::int16_t>(attributes->top);
    c.loopCount = chain.loopCount;
    c.delay = static_cast<std::int16_t>(attributes->delay);
    c.disposal = static_cast<std::int16_t>(attributes->disposal);
    c.frameName = attributes->name;
    kpx::copyObjectRecords(*attributes.get(), c);
    c.readExtensions = 1;
    const bool last = frameNumber + 1 == frameCount;
    c.flags = last ? 0 : 1;
    c.backgroundIndex = 0;
    if (last) {
        c.animationComment = chain.animationComment;
        c.frameTitle = title;
    }
    paletteInto(c, image);
    if (frameNumber > 0) {
        const std::vector<RGBQUAD> table(image.colors(), image.colors() + image.colorCount());
        c.localTable = tableDiffers(table, firstTable, static_cast<int>(table.size()),
                                    transparentIndexInFile(*attributes.get()))
                           ? 1
                           : 0;
    }
    c.tableEntries = static_cast<std::int16_t>(colours.usedEntries);
    if (flags & kKpxSaveFewestCodeBits)
        c.bitsPerPixel = static_cast<std::int16_t>(kpx::codeBitsForEntries(colours.usedEntries));
    KpxSetupRowLayout(&c);
    KpxSetRowBits(image.bits);
    const KpxResult result =
        KpxSaveByFormat(&c, path, formatId, nullptr, attributes->transparency.data(),
                        attributes->transparencyCount);
    KpxSetRowBits(nullptr);
    return result;
}

} // namespace

namespace kpx {

int codeBitsForEntries(int n) {
    if (n < 3)
        return 1;
    if (n < 5)
        return 2;
    if (n < 9)
        return 3;
    if (n < 17)
        return 4;
    if (n < 33)
        return 5;
    if (n < 65)
        return 6;
    if (n < 129)
        return 7;
    return 8;
}

} // namespace kpx

namespace {

// A path on another machine (two leading backslashes) is read from a local temporary copy with
// the extension ".gif", which this object removes again. When the copy fails the source is read.
class LocalCopy {
public:
    explicit LocalCopy(const char* path) : path_(path) {
        if (std::strncmp(path, "\\\\", 2) != 0)
            return;
        std::error_code error;
        const auto folder = std::filesystem::temp_directory_path(error);
        if (error)
            return;
        for (int i = 0; i < 100 && copy_.empty(); ++i) {
            const auto candidate =
                folder / ("kpx" + std::to_string(::getpid()) + "_" + std::to_string(i) + ".gif");
            if (std::filesystem::exists(candidate, error))
                continue;
            if (!std::filesystem::copy_file(path, candidate, error))
                break;
            copy_ = candidate.string();
        }
        if (!copy_.empty())
            path_ = copy_.c_str();
    }
    ~LocalCopy() {
        if (!copy_.empty()) {
            std::error_code ignored;
            std::filesystem::remove(copy_, ignored);
        }
    }
    LocalCopy(const LocalCopy&) = delete;
    LocalCopy& operator=(const LocalCopy&) = delete;
    const char* path() const { return path_; }

private:
    const char* path_;
    std::string copy_;
};

} // namespace

int KPXBreakLoadImageFrames(KpxHandle handle) {
    if (handle <= 0)
        return 0;
    std::lock_guard lock(kpx::breakTableMutex());
    KpxHandle* slots = kpx::breakTable();
    if (std::find(slots, slots + kpx::kBreakTableSize, handle) != slots + kpx::kBreakTableSize)
        return 1;
    for (int i = kpx::kBreakTableSize - 1; i >= 0; --i) {
        if (slots[i] == 0) {
            slots[i] = handle;
            break;
        }
    }
    return 1;
}

namespace {

// Copies at most capacity numbers and gives how many there are.
std::int32_t copyNumbers(const std::vector<std::int32_t>& numbers, std::int32_t* out,
                         std::int32_t capacity) {
    if (out && capacity > 0)
        std::copy_n(numbers.begin(), std::min(numbers.size(), static_cast<std::size_t>(capacity)),
                    out);
    return static_cast<std::int32_t>(numbers.size());
}

} // namespace

std::int32_t KPXGetFramesLoadImageCount() {
    return kpx::lastLoadReport().imagesInFile;
}

std::int32_t KPXGetFramesLoadLost(std::int32_t* images, std::int32_t capacity) {
    return copyNumbers(kpx::lastLoadReport().lostImages, images, capacity);
}

std::int32_t KPXGetFramesLoadDamaged(std::int32_t* frames, std::int32_t capacity) {
    return copyNumbers(kpx::lastLoadReport().damagedFrames, frames, capacity);
}

KpxHandle KPXLoadImageFramesOffset(const char* path, std::int32_t offset,
                                   KpxFramesProgress progress, void* userData) {
    kpx::lastLoadReport() = KpxFramesLoadReport{};
    if (!path)
        return 0;
    const LocalCopy source(path);
    path = source.path();
    // Every frame load reads the same file: the session keeps it open, with its format and the
    // GIF reader's scan, for the whole load, so the file is opened, recognised and scanned once
    // and every frame reads only its own bytes.
    const kpx::FileSession session(path);
    KpxFileInfo info{};
    const int known = KpxGetInfoFileCore(path, offset, &info, 0, -1);
    KpxCodecContext context;
    const KpxHandle first = KpxLoadImageCore(nullptr, path, offset, 0, &context, -1, nullptr);
    KpxFramesLoadReport& report = kpx::lastLoadReport();
    report.imagesInFile = known ? std::max(info.frameCount, 1) : 0;
    if (!first && known)
        report.lostImages.push_back(0);
    if (first && context.dataIncomplete)
        report.damagedFrames.push_back(0);
    if (!first)
        return first;
    if (!known || info.formatId != formatNumber(FormatId::Gif)) {
        // A still picture with a transparent colour keeps it, as a single-image load does.
        kpx::applyTransparentColor(first, context.transparentColor);
        return first;
    }

    // The loader put the joined frame comments of the file into the first frame's comment.
    std::optional<std::string> title;
    {
        kpx::ImageLock record(first, kKpxRead);
        if (record)
            title = record->comment;
    }
    takeFrameValues(first, context, true);
    bool stopped = progress && progress(first, 0, userData) == 1;
    KpxHandle previous = first;
    int chainLength = 1;
    for (int i = 1; !stopped && i < info.frameCount; ++i) {
        if (inBreakTable(first))
            break;
        KpxCodecContext frameContext;
        const KpxHandle image =
            kpx::loadFrameOfFormat(path, offset, info.formatId, i, &frameContext);
        if (progress && progress(first, i, userData) == 1) {
            if (image)
                KPXDeleteImage(image);
            stopped = true;
            break;
        }
        if (!image) {
            report.lostImages.push_back(i);
            continue;
        }
        if (frameContext.dataIncomplete)
            report.damagedFrames.push_back(chainLength);
        ++chainLength;
        linkFrame(previous, image, first);
        takeFrameValues(image, frameContext, false);
        previous = image;
    }
    if (title)
        distributeTitle(first, *title);
    clearBreakRequests(first);
    if (stopped) {
        KPXDeleteImage(first);
        return -1;
    }
    return first;
}

int KPXSaveImageFrames(KpxHandle firstFrame, const char* path, std::int32_t formatId,
                       std::int32_t flags, std::int32_t option2, KpxFramesProgress progress,
                       void* userData) {
    if (!firstFrame || !path) {
        kpx::setLastSaveResult(kKpxCannotCreate);
        return 0;
    }
    if (formatId != formatNumber(FormatId::Gif) && !(flags & kKpxSaveFrameByFrame))
        return KPXSaveImage(firstFrame, path, formatId, flags, option2, nullptr);

    const std::vector<KpxHandle> frames = chainFrames(firstFrame);
    const std::vector<FrameColours> colours = summariseColours(frames, flags);
    const std::vector<RGBQUAD> firstTable = colourTable(firstFrame);
    ChainValues chain;
    {
        kpx::ImageLock record(firstFrame, kKpxRead);
        if (!record) {
            kpx::setLastSaveResult(kKpxBadData);
            return 0;
        }
        chain = ChainValues{record->screenWidth, record->screenHeight, record->loopCount,
                            record->animationComment};
    }

    // The frames go into a temporary file that replaces the target only when all were written.
    const auto failed = [](KpxResult result) {
        kpx::setLastSaveResult(result);
        return 0;
    };
    kpx::ReplacingFile output(path);
    if (!output.valid())
        return failed(output.refusal());
    std::string title;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const KpxHandle frame = frames[k];
        {
            kpx::ImageLock record(frame, kKpxRead);
            if (!record)
                return failed(kKpxBadData);
            title += record->comment.value_or(std::string()) + "|";
        }
        const bool deep = KPXbpp(frame) > 8;
        const KpxHandle pixels =
            deep ? KPXColorConvert(frame, 8, 2, 1, 0, nullptr, nullptr) : frame;
        if (!pixels)
            return failed(kKpxOutOfMemory);
        const KpxResult result = saveFrame(
            frame, pixels, output.path().c_str(), formatId, flags, option2, static_cast<int>(k),
            static_cast<int>(frames.size()), chain, title, firstTable, colours[k]);
        if (deep)
            KPXDeleteImage(pixels);
        if (progress && progress(firstFrame, static_cast<int>(k), userData) == 1) {
            kpx::setLastSaveResult(kKpxStopped);
            return -1;
        }
        if (result != kKpxOk)
            return failed(result);
    }
    if (!output.commit())
        return failed(kKpxWriteError);
    kpx::setLastSaveResult(kKpxOk);
    return 1;
}
