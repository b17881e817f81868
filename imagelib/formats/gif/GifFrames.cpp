#include "GifFrames.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

#include "CodecContext.h"
#include "ColorConversion.h"
#include "ColorMatching.h"
#include "FileInfo.h"
#include "FormatDispatch.h"
#include "GifReader.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LibraryStartup.h"
#include "LoadFrontEnd.h"
#include "RowCallbacks.h"
#include "SafeSave.h"
#include "SaveFrontEnd.h"
#include "Transparency.h"

namespace {

constexpr std::int32_t kGifFormatId = 20;

bool breakRequested(KpxHandle first) {
    std::lock_guard lock(kpx::breakTableMutex());
    const KpxHandle* slots = kpx::breakTable();
    return std::find(slots, slots + kpx::kBreakTableSize, first) != slots + kpx::kBreakTableSize;
}

// A path on another machine is read from a local temporary copy, which this object removes.
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
            if (!std::filesystem::exists(candidate) &&
                std::filesystem::copy_file(path, candidate, error))
                copy_ = candidate.string();
            if (error)
                break;
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

// The frame values the context carries into an image of the chain.
void takeFrameValues(KpxImageRecord& record, const KpxCodecContext& context, bool first) {
    record.delay = context.delay;
    record.left = context.left;
    record.top = context.top;
    record.screenWidth = context.screenWidth;
    record.screenHeight = context.screenHeight;
    record.disposal = context.disposal;
    if (first)
        record.loopCount = context.loopCount;
    record.frameOfAnimation = 1;
    record.transparencyCount = 0;
    const std::uint32_t color = context.transparentColor;
    if (color < kKpxNoTransparentColor) {
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
        record.transparency[0] = entry;
        record.transparencyCount = 1;
    }
}

// Gives the frames the comments joined in the title, one piece per frame in chain order.
void spreadTitle(KpxHandle first, const std::string& title) {
    std::size_t at = 0;
    KpxHandle frame = first;
    while (frame && at < title.size()) {
        const std::size_t bar = title.find('|', at);
        const std::string piece = title.substr(at, bar == std::string::npos ? bar : bar - at);
        at = bar == std::string::npos ? title.size() : bar + 1;
        kpx::ImageLock record(frame, kKpxWrite);
        if (!record)
            break;
        if (piece.empty())
            record->comment.reset();
        else
            record->comment = piece;
        frame = static_cast<KpxHandle>(record->nextFrame);
        if (bar == std::string::npos)
            break;
    }
}

KpxHandle loadFrames(const char* path, std::int32_t offset, KpxFramesProgress progress,
                     void* userData, bool& stopped) {
    KpxFileInfo info{};
    KpxGetInfoFileCore(path, offset, &info, 0, -1);
    KpxCodecContext context;
    const KpxHandle first = KpxLoadImageCore(nullptr, path, offset, 0, &context, -1, nullptr);
    if (info.formatId != kGifFormatId || !first)
        return first;
    // The frame comments joined after the last image became the first frame's comment.
    std::optional<std::string> title;
    {
        kpx::ImageLock record(first, kKpxWrite);
        if (record) {
            title = record->comment;
            takeFrameValues(*record.get(), context, true);
            record->firstFrame = first;
        }
    }
    if (progress)
        stopped = progress(first, 0, userData) == 1;
    KpxHandle previous = first;
    for (int i = 1; !stopped && i < info.frameCount; ++i) {
        if (breakRequested(first))
            break;
        KpxCodecContext frameContext;
        const KpxHandle frame =
            KpxLoadImageCore(nullptr, path, offset, i, &frameContext, -1, nullptr);
        if (progress && progress(first, i, userData) == 1) {
            stopped = true;
            if (frame)
                KPXDeleteImage(frame);
            break;
        }
        if (!frame)
            continue;
        kpx::ImageLock before(previous, kKpxWrite);
        kpx::ImageLock added(frame, kKpxWrite);
        if (!before || !added) {
            KPXDeleteImage(frame);
            continue;
        }
        before->nextFrame = frame;
        added->firstFrame = first;
        added->nextFrame = 0;
        takeFrameValues(*added.get(), frameContext, false);
        previous = frame;
    }
    if (title)
        spreadTitle(first, *title);
    kpx::clearBreakTableSlots(first);
    return first;
}

// Code bits for n used palette entries.
int codeBitsFor(int n) {
    int bits = 1;
    while (bits < 8 && (1 << bits) < n)
        ++bits;
    return bits;
}

struct FrameSummary {
    KpxHandle handle;
    int used; // palette entries in use: highest used index + 1
    bool needsLocalTable;
};

int usedEntries(KpxHandle frame) {
    if (KPXbpp(frame) > 8)
        return 256; // written as an 8-bit copy
    std::array<KpxIndexHistogramEntry, 256> histogram{};
    int transparency = 0;
    const int entries = KPXGenerateHistogramIndexImage(frame, histogram.data(), &transparency);
    int used = 0;
    for (int i = 0; i < std::min(entries, 256); ++i)
        if (histogram[static_cast<std::size_t>(i)].count != 0)
            used = i + 1;
    return used;
}

std::vector<RGBQUAD> colorTable(const KpxImageRecord& record) {
    if (record.bitCount() > 8)
        return {};
    return std::vector<RGBQUAD>(record.colors(), record.colors() + record.colorCount());
}

bool differsFrom(const std::vector<RGBQUAD>& reference, const std::vector<RGBQUAD>& table) {
    if (table.size() > reference.size())
        return true;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].rgbRed != reference[i].rgbRed || table[i].rgbGreen != reference[i].rgbGreen ||
            table[i].rgbBlue != reference[i].rgbBlue)
            return true;
    return false;
}

std::vector<FrameSummary> summarise(KpxHandle first) {
    std::vector<FrameSummary> frames;
    std::vector<RGBQUAD> reference;
    for (KpxHandle frame = first; frame;) {
        FrameSummary s{frame, usedEntries(frame), false};
        kpx::ImageLock record(frame, kKpxRead);
        if (!record)
            break;
        const std::vector<RGBQUAD> table = colorTable(*record.get());
        if (frames.empty())
            reference = table;
        else
            s.needsLocalTable = differsFrom(reference, table);
        frames.push_back(s);
        frame = static_cast<KpxHandle>(record->nextFrame);
        if (frames.size() > 32767)
            break;
    }
    for (const FrameSummary& s : frames)
        if (!s.needsLocalTable)
            frames[0].used = std::max(frames[0].used, s.used);
    return frames;
}

template <typename T> std::unique_ptr<T> copyOf(const std::unique_ptr<T>& p) {
    return p ? std::make_unique<T>(*p) : nullptr;
}

// Fills the save context of frame k from its record.
void prepareFrameContext(KpxCodecContext& c, const KpxImageRecord& record, int k, int frameCount,
                         std::int32_t flags, std::int32_t option2) {
    c = KpxCodecContext{};
    c.width = static_cast<std::int16_t>(record.width());
    c.height = static_cast<std::int16_t>(record.height());
    c.bitsPerPixel = static_cast<std::int16_t>(record.bitCount());
    c.rowBitsPerPixel = c.bitsPerPixel;
    c.dataSize = static_cast<std::int32_t>(record.header().biSizeImage);
    c.saveOption = flags;
    c.saveOption2 = static_cast<std::int16_t>(option2);
    c.rotateAngle = static_cast<std::int16_t>(record.rotateAngle);
    c.fetchRow = KpxFetchRow;
    c.screenWidth = static_cast<std::int16_t>(record.screenWidth);
    c.screenHeight = static_cast<std::int16_t>(record.screenHeight);
    c.frameNumber = static_cast<std::int16_t>(k);
    c.frameCount = static_cast<std::int16_t>(frameCount);
    c.left = static_cast<std::int16_t>(record.left);
    c.top = static_cast<std::int16_t>(record.top);
    c.loopCount = static_cast<std::int16_t>(record.loopCount);
    c.delay = static_cast<std::int16_t>(record.delay);
    c.disposal = static_cast<std::int16_t>(record.disposal);
    c.frameName = record.name;
    c.textObject = copyOf(record.textObject);
    c.controlObject = copyOf(record.controlObject);
    c.vectorObject = copyOf(record.vectorObject);
    c.npImageObject = copyOf(record.npImageObject);
    c.readExtensions = 1;
    c.flags = 1;
    c.backgroundIndex = 0;
    c.localTable = 0;
    const std::vector<RGBQUAD> table = colorTable(record);
    for (std::size_t i = 0; i < table.size() && i < 256; ++i) {
        c.palette[i][0] = table[i].rgbRed;
        c.palette[i][1] = table[i].rgbGreen;
        c.palette[i][2] = table[i].rgbBlue;
    }
}

// Saves every frame into output; 1, 0 or -1 as KPXSaveImageFrames reports.
int saveFrames(KpxHandle first, const std::string& output, std::int32_t formatId,
               std::int32_t flags, std::int32_t option2, KpxFramesProgress progress,
               void* userData) {
    const std::vector<FrameSummary> frames = summarise(first);
    if (frames.empty())
        return 0;
    std::optional<std::string> animationComment;
    std::vector<RGBQUAD> reference;
    {
        kpx::ImageLock record(first, kKpxRead);
        if (!record)
            return 0;
        animationComment = record->animationComment;
        reference = colorTable(*record.get());
    }
    std::string title;
    const int count = static_cast<int>(frames.size());
    for (int k = 0; k < count; ++k) {
        const FrameSummary& s = frames[static_cast<std::size_t>(k)];
        KpxHandle frame = s.handle;
        KpxHandle converted = 0;
        if (KPXbpp(frame) > 8) {
            converted = KPXColorConvert(frame, 8, kKpxDitherFloydSteinberg, kKpxPalettePopularity,
                                        0, nullptr, nullptr);
            if (!converted)
                return 0;
            frame = converted;
        }
        KpxResult result = kKpxBadData;
        {
            kpx::ImageLock record(frame, kKpxRead);
            if (record) {
                KpxCodecContext context;
                prepareFrameContext(context, *record.get(), k, count, flags, option2);
                if (converted) {
                    // The copy carries no frame values: take them from the frame itself.
                    kpx::ImageLock original(s.handle, kKpxRead);
                    if (original) {
                        KpxCodecContext values;
                        prepareFrameContext(values, *original.get(), k, count, flags, option2);
                        context.left = values.left;
                        context.top = values.top;
                        context.screenWidth = values.screenWidth;
                        context.screenHeight = values.screenHeight;
                        context.loopCount = values.loopCount;
                        context.delay = values.delay;
                        context.disposal = values.disposal;
                        context.frameName = values.frameName;
                        context.textObject = std::move(values.textObject);
                        context.controlObject = std::move(values.controlObject);
                        context.vectorObject = std::move(values.vectorObject);
                        context.npImageObject = std::move(values.npImageObject);
                    }
                }
                title += record->comment.value_or("");
                title += '|';
                if (k == count - 1) {
                    context.animationComment = animationComment;
                    context.frameTitle = title;
                    context.flags = 0;
                }
                if (k > 0)
                    context.localTable = differsFrom(reference, colorTable(*record.get())) ? 1 : 0;
                KpxSetupRowLayout(&context);
                KpxSetRowBits(record->bits);
                if (flags & kKpxSaveFewestCodeBits)
                    context.bitsPerPixel = static_cast<std::int16_t>(codeBitsFor(s.used));
                result = KpxSaveByFormat(&context, output.c_str(), formatId, nullptr,
                                         record->transparency.data(), record->transparencyCount);
                KpxSetRowBits(nullptr);
            }
        }
        if (converted)
            KPXDeleteImage(converted);
        if (progress && progress(first, k, userData) == 1)
            return -1;
        if (result != kKpxOk)
            return 0;
    }
    return 1;
}

} // namespace

int KPXBreakLoadImageFrames(KpxHandle handle) {
    if (handle <= 0)
        return 0;
    std::lock_guard lock(kpx::breakTableMutex());
    KpxHandle* slots = kpx::breakTable();
    KpxHandle* end = slots + kpx::kBreakTableSize;
    if (std::find(slots, end, handle) != end)
        return 1;
    for (KpxHandle* slot = end; slot != slots;)
        if (*--slot == 0) {
            *slot = handle;
            break;
        }
    return 1;
}

KpxHandle KPXLoadImageFramesOffset(const char* path, std::int32_t offset,
                                   KpxFramesProgress progress, void* userData) {
    if (!path)
        return 0;
    const LocalCopy source(path);
    // Every frame load reads the same file: keep it and its scan for the whole load.
    const kpx::gif::GifFileCacheScope keepFile;
    bool stopped = false;
    const KpxHandle first = loadFrames(source.path(), offset, progress, userData, stopped);
    if (stopped) {
        KPXDeleteImage(first);
        return -1;
    }
    return first;
}

int KPXSaveImageFrames(KpxHandle firstFrame, const char* path, std::int32_t formatId,
                       std::int32_t flags, std::int32_t option2, KpxFramesProgress progress,
                       void* userData) {
    if (!firstFrame || !path)
        return 0;
    if (formatId != kGifFormatId && !(flags & kKpxSaveFrameByFrame))
        return KPXSaveImage(firstFrame, path, formatId, flags, option2, nullptr);
    // The frames go into a temporary file beside the target, which replaces the target only
    // when every frame was written: a failed or stopped save leaves the old file as it was.
    kpx::ReplacingFile output(path);
    if (!output.valid())
        return 0;
    const int result =
        saveFrames(firstFrame, output.path(), formatId, flags, option2, progress, userData);
    if (result != 1)
        return result;
    return output.commit() ? 1 : 0;
}
