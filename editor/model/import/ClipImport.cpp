#include "ClipImport.h"

#include "Bitra5.h"
#include "Kfm5ResourceIds.h"
#include "ShellServices.h"
#include "video/AviFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kClipMissingArgument = 0;
constexpr int kClipDone = 1;
constexpr int kClipStopped = 2;
constexpr int kDisposalLeave = 1;
constexpr int kLongestDelay = 65535; // a GIF delay is a 16-bit value

// What the first frame of an import writes into the animation record.
struct RecordValues {
    int width;
    int height;
    int loopCount;
    UINT commentId;
};

// Place and timing shared by every frame of one import.
struct FrameTiming {
    int left;
    int top;
    int delay;
};

// The frames of the range: start .. start + count - 1, shortened to the clip's length.
struct FrameRange {
    int start;
    int end; // one past the last
    int step;
};

FrameRange clipRange(int start, int count, int step, int length) {
    const long long end = std::min<long long>(static_cast<long long>(start) + count, length);
    return {start, static_cast<int>(std::max<long long>(end, start)), step};
}

void fillRecord(CAnimationData& animation, const RecordValues& values) {
    animation.AnimationWidth = values.width;
    animation.AnimationHeight = values.height;
    animation.frameCount = 0;
    animation.loopCount = values.loopCount;
    animation.comment = shell().loadString(values.commentId);
}

// Appends a frame owning the image, with the import's place and timing.
void appendFrame(FrameList& list, KpxHandle image, const FrameTiming& timing) {
    FrameInfo info{};
    info.width = KPXWidth(image);
    info.height = KPXHeight(image);
    info.left = timing.left;
    info.top = timing.top;
    info.delay = timing.delay;
    info.disposal = kDisposalLeave;
    KPXSetImageFramesInfo(image, &info);
    list.emplace_back(static_cast<std::uint16_t>(image), info.width, info.height, info.left,
                      info.top, info.delay, info.disposal, 0u, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
}

bool samePicture(const CObjFrame& a, const CObjFrame& b) {
    return KPXCompareImages(static_cast<KpxHandle>(a.GetImage()),
                            static_cast<KpxHandle>(b.GetImage())) != 0;
}

// Walks the range with the skip counter of the step: decode(i, taken) gives the picture of
// frame i as a new image when taken, or 0 (the frame is passed over). Every frame of the range
// is offered, so that decoders that build each picture on the one before see them all.
template <typename Decode>
int importRange(CAnimationData* animation, FrameList& list, const FrameRange& range, BOOL merge,
                const RecordValues& record, const FrameTiming& timing, ImportProgress progress,
                HWND window, Decode decode) {
    int added = 0;
    int skip = 0;
    for (int i = range.start; i < range.end; ++i) {
        const bool take = skip <= 0;
        skip = take ? range.step - 1 : skip - 1;
        const KpxHandle image = decode(i, take);
        if (!take || !image)
            continue;
        if (animation && added == 0)
            fillRecord(*animation, record);
        const int before = added;
        appendFrame(list, image, timing);
        if (merge && added > 0 && samePicture(*std::prev(list.end(), 2), list.back()))
            list.pop_back(); // the frame before keeps its delay
        else
            ++added;
        if (progress && progress(0, before, window)) {
            list.clear();
            return kClipStopped;
        }
    }
    if (animation)
        animation->frameCount = added;
    return kClipDone;
}

bool missingRangeArguments(int count, int step) {
    return count == 0 || step == 0;
}

// An AVI clip opened for decoding: the file, its first video stream and the frame decoder,
// released in reverse order.
class OpenAviClip {
public:
    explicit OpenAviClip(const char* path) {
        AVIFileInit();
        if (AVIFileOpenA(&file_, path, OF_READ, nullptr) != AVIERR_OK ||
            AVIFileInfoA(file_, &info_, sizeof info_) != AVIERR_OK)
            return;
        // The first video stream: a clip whose sound comes first is still a clip.
        if (AVIFileGetStream(file_, &stream_, streamtypeVIDEO, 0) != AVIERR_OK ||
            AVIStreamInfoA(stream_, &streamInfo_, sizeof streamInfo_) != AVIERR_OK)
            return;
        frames_ = AVIStreamGetFrameOpen(stream_, nullptr);
    }
    ~OpenAviClip() {
        AVIStreamGetFrameClose(frames_);
        AVIStreamRelease(stream_);
        AVIFileRelease(file_);
        AVIFileExit();
    }
    OpenAviClip(const OpenAviClip&) = delete;
    OpenAviClip& operator=(const OpenAviClip&) = delete;

    bool ready() const { return frames_ != nullptr; }
    const AVIFILEINFOA& info() const { return info_; }
    const AVISTREAMINFOA& streamInfo() const { return streamInfo_; }

    // The frame as a new image of the DIB's size and depth holding a copy of its rows (the
    // decoder gives 24-bit DIBs, without a colour table); 0 when the decoder gives none.
    KpxHandle image(int position) {
        const auto* dib = static_cast<const std::uint8_t*>(AVIStreamGetFrame(frames_, position));
        if (!dib)
            return 0;
        BITMAPINFOHEADER header;
        std::memcpy(&header, dib, sizeof header);
        const int depth = header.biPlanes * header.biBitCount;
        if (depth != 24 || header.biCompression != BI_RGB || header.biHeight <= 0)
            return 0;
        const KpxHandle image = KPXCreateImage(header.biWidth, header.biHeight, depth);
        std::uint8_t* bits = image ? KPXGetBits(image) : nullptr;
        if (!bits) {
            KPXDeleteImage(image);
            return 0;
        }
        const std::size_t rows = static_cast<std::size_t>(KPXGetScanBytes(image)) *
                                 static_cast<std::size_t>(header.biHeight);
        std::memcpy(bits, dib + header.biSize, std::min<std::size_t>(rows, header.biSizeImage));
        return image;
    }

private:
    PAVIFILE file_ = nullptr;
    PAVISTREAM stream_ = nullptr;
    PGETFRAME frames_ = nullptr;
    AVIFILEINFOA info_{};
    AVISTREAMINFOA streamInfo_{};
};

// The reader's current picture in a new 8-bit image; 0 when it cannot be made.
KpxHandle flicImage(FlicReader& reader) {
    const KpxHandle image = KPXCreateImage(reader.width, reader.height, 8);
    if (image && FLICStreamFillImage8(&reader, image, 0) != 0) {
        KPXDeleteImage(image);
        return 0;
    }
    return image;
}

} // namespace

int AviFrameDelay(DWORD rate, DWORD scale) {
    if (rate == 0 || scale == 0)
        return 0;
    if (const DWORD perSecond = rate / scale; perSecond > 0)
        return static_cast<int>(100 / perSecond);
    return static_cast<int>(std::min<unsigned long long>(100ull * scale / rate, kLongestDelay));
}

int GetAviFileInfo(const char* path, AviFileInformation& info) {
    AVIFileInit();
    PAVIFILE file = nullptr;
    AVIFILEINFOA fileInfo{};
    const bool opened = AVIFileOpenA(&file, path, OF_READ, nullptr) == AVIERR_OK &&
                        AVIFileInfoA(file, &fileInfo, sizeof fileInfo) == AVIERR_OK;
    AVIFileRelease(file);
    AVIFileExit();
    if (!opened)
        return 0;
    static_assert(sizeof fileInfo == sizeof info.bytes);
    std::memcpy(info.bytes.data(), &fileInfo, sizeof fileInfo);
    return 1;
}

int ImportAviFrames(CAnimationData* animation, FrameList& list, const char* path, int start,
                    int count, int step, BOOL merge, ImportProgress progress, HWND window) {
    if (!path || !*path || missingRangeArguments(count, step))
        return kClipMissingArgument;
    OpenAviClip clip(path);
    if (!clip.ready())
        return kClipDone;
    const AVIFILEINFOA& info = clip.info();
    const RecordValues record{static_cast<int>(info.dwWidth), static_cast<int>(info.dwHeight), 1,
                              kfm5res::IDS_COMMENT_AVI_IMPORT};
    const FrameTiming timing{clip.streamInfo().rcFrame.left, clip.streamInfo().rcFrame.top,
                             AviFrameDelay(info.dwRate, info.dwScale)};
    const int length = static_cast<int>(std::min<DWORD>(info.dwLength, INT32_MAX));
    return importRange(animation, list, clipRange(start, count, step, length), merge, record,
                       timing, progress, window,
                       [&](int i, bool taken) { return taken ? clip.image(i) : KpxHandle{0}; });
}

int ImportFlicFrames(CAnimationData* animation, FrameList& list, FlicReader* reader, int start,
                     int count, int step, BOOL merge, ImportProgress progress, HWND window) {
    if (!reader || missingRangeArguments(count, step))
        return kClipMissingArgument;
    FLICStreamSetCurFrame(reader);
    // Each picture builds on the one before: the frames before the range are decoded too.
    for (int i = 0; i < start; ++i)
        FLICStreamGetNextFrame(reader);
    const RecordValues record{reader->width, reader->height, 0, kfm5res::IDS_COMMENT_FLIC_IMPORT};
    const FrameTiming timing{0, 0, static_cast<int>(reader->delay / 10)};
    return importRange(animation, list, clipRange(start, count, step, reader->frameCount), merge,
                       record, timing, progress, window, [&](int i, bool taken) {
                           if (i < 0 || FLICStreamGetNextFrame(reader) != 0 || !taken)
                               return KpxHandle{0};
                           return flicImage(*reader);
                       });
}
