#include "FrameChain.h"

#include "ImageCreation.h"
#include "ImageDrawing.h"
#include "ImageTable.h"
#include "Transparency.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

// No chain of 16-bit handles is longer than this; a longer walk has met a loop.
constexpr int kMaxChainLength = 32767;

// The next frame of a frame; false when the frame cannot be locked.
bool nextFrameOf(KpxHandle frame, KpxHandle* next) {
    kpx::ImageLock record(frame, kKpxRead);
    if (!record)
        return false;
    *next = static_cast<KpxHandle>(record->nextFrame);
    return true;
}

// The last frame of a chain; 0 when a link cannot be locked.
KpxHandle lastFrame(KpxHandle chain) {
    KpxHandle frame = chain;
    for (int i = 0; i < kMaxChainLength; ++i) {
        KpxHandle next = 0;
        if (!nextFrameOf(frame, &next))
            return 0;
        if (!next)
            return frame;
        frame = next;
    }
    return 0;
}

bool chainContains(KpxHandle chain, KpxHandle image) {
    KpxHandle frame = chain;
    for (int i = 0; frame && i < kMaxChainLength; ++i) {
        if (frame == image)
            return true;
        if (!nextFrameOf(frame, &frame))
            return false;
    }
    return false;
}

char* copyString(const std::optional<std::string>& text) {
    if (!text)
        return nullptr;
    char* copy = static_cast<char*>(std::malloc(text->size() + 1));
    if (copy)
        std::memcpy(copy, text->c_str(), text->size() + 1);
    return copy;
}

std::optional<std::string> keepString(const char* text) {
    return text ? std::optional<std::string>(text) : std::nullopt;
}

// The conditions under which an object record is stored or handed out at all.
bool worthKeeping(const TextObjectRecord& r) {
    return r.text.has_value();
}
bool worthKeeping(const ControlObjectRecord& r) {
    return r.text.has_value() || r.caption.has_value();
}
bool worthKeeping(const VectorObjectRecord& r) {
    return static_cast<bool>(r.metafile);
}
bool worthKeeping(const NPImageObjectRecord& r) {
    return !r.pixels24.empty() || !r.pixels8.empty();
}

// A deep copy of a record that is worth keeping; null otherwise. Copying a record copies its
// strings, arrays and metafile.
template <typename Record> std::unique_ptr<Record> copyRecord(const Record* source) {
    if (!source || !worthKeeping(*source))
        return nullptr;
    return std::unique_ptr<Record>(new (std::nothrow) Record(*source));
}

// The NP-image copy carries the alpha array only with the 24-bit pixels, and the palette only
// with the 8-bit pixels.
std::unique_ptr<NPImageObjectRecord> copyNPImage(const NPImageObjectRecord* source) {
    auto copy = copyRecord(source);
    if (copy) {
        if (copy->pixels24.empty())
            copy->alpha.clear();
        if (copy->pixels8.empty())
            copy->palette.clear();
    }
    return copy;
}

std::uint32_t transparencyWord(const KpxImageRecord& record) {
    if (record.transparencyCount != 1 || record.transparency[0].mode != kKpxTransparentIndex)
        return 0;
    return kKpxTransparencyIndexFlag +
           (static_cast<std::uint32_t>(record.transparency[0].blue) & 0xFF);
}

void applyTransparencyWord(KpxHandle image, std::uint32_t word) {
    if ((word >> 24) == 1) {
        const KpxTransparentEntry entry{
            0, 0, static_cast<std::int32_t>(word & 0xFF), 0, kKpxTransparentIndex, 0, 0};
        KPXSetImageTransparent(image, &entry, 1);
        return;
    }
    {
        // A turned image's combined image is a 1-bit rotated mask, which keeps the list.
        kpx::ImageLock record(image, kKpxRead);
        if (!record || record->rotateAngle != 0)
            return;
    }
    const KpxHandle combined = KPXGetImageTransparentImage(image);
    if (!combined || KPXbpp(combined) > 1)
        KPXSetImageTransparent(image, nullptr, 0);
    if (combined)
        KPXDeleteImage(combined);
}

} // namespace

KpxHandle kpx::chainFrame(KpxHandle chain, int n, bool clampToLast) {
    if (!chain || n < 0)
        return 0;
    KpxHandle frame = chain;
    for (int i = 0; i < n; ++i) {
        KpxHandle next = 0;
        if (!nextFrameOf(frame, &next))
            return 0;
        if (!next)
            return clampToLast ? frame : 0;
        frame = next;
    }
    return kpx::ImageLock(frame, kKpxRead) ? frame : 0;
}

int KPXAddImageFrame(KpxHandle chain, KpxHandle image, int position) {
    if (!chain || !image || position < -1)
        return 0;
    std::int32_t screenWidth = 0;
    std::int32_t screenHeight = 0;
    {
        kpx::ImageLock head(chain, kKpxRead);
        if (!head || !kpx::ImageLock(image, kKpxRead))
            return 0;
        screenWidth = head->screenWidth;
        screenHeight = head->screenHeight;
    }
    // An image that is already a frame of this chain would close a loop.
    if (chainContains(chain, image))
        return 0;
    KpxHandle predecessor = 0;
    if (position == -1)
        predecessor = lastFrame(chain);
    else if (position >= 1)
        predecessor = kpx::chainFrame(chain, position - 1, false);
    if (position != 0 && !predecessor)
        return 0;

    const KpxHandle first = position == 0 ? image : chain;
    if (predecessor) {
        kpx::ImageLock before(predecessor, kKpxWrite);
        kpx::ImageLock added(image, kKpxWrite);
        if (!before || !added)
            return 0;
        added->nextFrame = before->nextFrame;
        before->nextFrame = image;
        kpx::noteChainLinksChanged();
    } else {
        kpx::ImageLock added(image, kKpxWrite);
        if (!added)
            return 0;
        added->nextFrame = chain;
        kpx::noteChainLinksChanged();
    }
    KpxHandle frame = first;
    for (int i = 0; frame && i < kMaxChainLength; ++i) {
        kpx::ImageLock record(frame, kKpxWrite);
        if (!record)
            break;
        record->firstFrame = first;
        record->screenWidth = screenWidth;
        record->screenHeight = screenHeight;
        frame = static_cast<KpxHandle>(record->nextFrame);
    }
    return 1;
}

int KPXSplitAllImageFrame(KpxHandle chain) {
    if (!chain)
        return 0;
    KpxHandle frame = chain;
    for (int i = 0; frame && i < kMaxChainLength; ++i) {
        std::int32_t background = 0;
        KpxHandle next = 0;
        {
            kpx::ImageLock record(frame, kKpxWrite);
            if (!record)
                return i > 0 ? 1 : 0;
            next = static_cast<KpxHandle>(record->nextFrame);
            background = record->savedBackground;
            record->firstFrame = frame;
            record->nextFrame = 0;
            kpx::noteChainLinksChanged();
            record->savedBackground = 0;
        }
        if (background)
            KPXDeleteImage(static_cast<KpxHandle>(background));
        frame = next;
    }
    return 1;
}

short KPXGetImageFramesNum(KpxHandle chain) {
    short count = 0;
    KpxHandle frame = chain;
    while (frame && count < kMaxChainLength) {
        if (!nextFrameOf(frame, &frame))
            break;
        ++count;
    }
    return count;
}

KpxHandle KPXGetImageFramesImage(KpxHandle chain, int n) {
    return kpx::chainFrame(chain, n, false);
}

int KPXGetImageFramesDelay(KpxHandle chain, int* delays, int max) {
    if (!delays)
        return 0;
    int written = 0;
    KpxHandle frame = chain;
    while (frame && written < max) {
        kpx::ImageLock record(frame, kKpxRead);
        if (!record)
            break;
        delays[written++] = record->delay;
        frame = static_cast<KpxHandle>(record->nextFrame);
    }
    return written;
}

short KPXGetImagesRepeatCycle(KpxHandle chain) {
    kpx::ImageLock record(chain, kKpxRead);
    return record ? static_cast<short>(record->loopCount) : -1;
}

short KPXWidthFrameScreen(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return 0;
    const bool animated = record->nextFrame || record->frameOfAnimation;
    return static_cast<short>(animated ? record->screenWidth : record->width());
}

short KPXHeightFrameScreen(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return 0;
    const bool animated = record->nextFrame || record->frameOfAnimation;
    return static_cast<short>(animated ? record->screenHeight : record->height());
}

short KPXWidthFrameScreenReal(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<short>(record->screenWidth) : 0;
}

short KPXHeightFrameScreenReal(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<short>(record->screenHeight) : 0;
}

int KPXGetImageFramesInfo(KpxHandle image, FrameInfo* info) {
    if (!info)
        return 0;
    kpx::ImageLock record(image, kKpxRead);
    if (!record || !record->info)
        return 0;
    info->width = record->width();
    info->height = record->height();
    info->left = record->left;
    info->top = record->top;
    info->delay = record->delay;
    info->disposal = record->disposal;
    info->transparency = transparencyWord(*record.get());
    info->name = copyString(record->name);
    info->comment = copyString(record->comment);
    info->textObject = copyRecord(record->textObject.get()).release();
    info->controlObject = copyRecord(record->controlObject.get()).release();
    info->vectorObject = copyRecord(record->vectorObject.get()).release();
    info->npImageObject = copyNPImage(record->npImageObject.get()).release();
    info->keepTransparency = 0;
    return 1;
}

int KPXSetImageFramesInfo(KpxHandle image, const FrameInfo* info) {
    if (!info)
        return 0;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!record)
            return 0;
        record->left = info->left;
        record->top = info->top;
        record->delay = info->delay;
        record->disposal = info->disposal;
        record->name = keepString(info->name);
        record->comment = keepString(info->comment);
        // The GIF saver joins the comments of an animation with '|'.
        if (record->comment)
            std::replace(record->comment->begin(), record->comment->end(), '|', ']');
        record->textObject = copyRecord(info->textObject);
        record->controlObject = copyRecord(info->controlObject);
        record->vectorObject = copyRecord(info->vectorObject);
        record->npImageObject = copyNPImage(info->npImageObject);
    }
    if (!info->keepTransparency)
        applyTransparencyWord(image, info->transparency);
    return 1;
}

int KPXGetAnimateInfo(KpxHandle chain, AnimateInfo* info) {
    if (!info || !chain)
        return 0;
    const short frames = KPXGetImageFramesNum(chain);
    kpx::ImageLock record(chain, kKpxRead);
    if (!record)
        return 0;
    info->frameCount = frames;
    info->screenWidth = record->screenWidth;
    info->screenHeight = record->screenHeight;
    info->loopCount = record->loopCount;
    info->comment = copyString(record->animationComment);
    return 1;
}

int KPXSetAnimateInfo(KpxHandle chain, const AnimateInfo* info) {
    if (!info)
        return 0;
    kpx::ImageLock record(chain, kKpxWrite);
    if (!record)
        return 0;
    record->screenWidth = info->screenWidth;
    record->screenHeight = info->screenHeight;
    record->loopCount =
        info->loopCount == -1 ? -1 : static_cast<std::int32_t>(info->loopCount & 0xFFFF);
    record->animationComment = keepString(info->comment);
    return 1;
}

short KPXBitBltFrame(HDC dc, int x, int y, KpxHandle chain, int n, int clipLeft, int clipTop,
                     int clipRight, int clipBottom, int mode, DWORD rop) {
    const KpxHandle frame = kpx::chainFrame(chain, n, true);
    if (!frame)
        return 0;
    kpx::cacheMaskFromList(frame);
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    {
        kpx::ImageLock record(frame, kKpxRead);
        if (!record || !record->info)
            return 0;
        left = x + record->left;
        top = y + record->top;
        width = record->width();
        height = record->height();
    }
    return KPXBitBlt(dc, left, top, left + width, top + height, frame, clipLeft, clipTop, clipRight,
                     clipBottom, mode, rop);
}
