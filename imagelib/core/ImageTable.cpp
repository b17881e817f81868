#include "ImageTable.h"

#include "debug/DebugOutput.h"
#include "gdi/DibSection.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <new>
#include <thread>
#include <utility>

namespace {

constexpr int kLockWaitSteps = 300;
constexpr auto kLockWaitStep = std::chrono::milliseconds(10);
constexpr std::int32_t kHighestHandle = 32767;

struct ImageTable {
    std::recursive_mutex mutex;
    KpxImageRecord* slots[kKpxHandleTableSize] = {};
    std::int32_t lowestFreeHint = 0; // 0 = search from 1
    KpxImageRecord* head = nullptr;
    KpxImageRecord* tail = nullptr;
    int liveCount = 0;
};

ImageTable& table() {
    // Never destroyed: the library's unload still frees every image through it.
    static ImageTable* instance = new ImageTable;
    return *instance;
}

bool inTableRange(std::int32_t id) {
    return id >= 1 && id < kKpxHandleTableSize;
}

KpxImageRecord* findLocked(std::int32_t id) {
    ImageTable& t = table();
    if (id == 0)
        return nullptr;
    if (inTableRange(id))
        return t.slots[id];
    for (KpxImageRecord* r = t.head; r; r = r->next)
        if (r->id == id)
            return r;
    return nullptr;
}

void unlinkLocked(KpxImageRecord* record) {
    ImageTable& t = table();
    if (record->previous)
        record->previous->next = record->next;
    else
        t.head = record->next;
    if (record->next)
        record->next->previous = record->previous;
    else
        t.tail = record->previous;
    record->previous = record->next = nullptr;
}

// Frees what the record owns except its linked images; the caller unlinks the record.
void freeRecordContents(KpxImageRecord* record, bool deleteBitmap) {
    if (deleteBitmap && record->bitmap)
        DeleteBitmap(record->bitmap);
    record->bitmap = nullptr;
    record->bits = nullptr;
    record->info.reset();
    record->name.reset();
    record->comment.reset();
    record->animationComment.reset();
    record->textObject.reset();
    record->controlObject.reset();
    record->vectorObject.reset();
    record->npImageObject.reset();
}

// Carries out the deletes asked for while the record was held; the caller holds the table lock
// and has just freed the word. The record may be freed by this.
void releaseDeferredDeletes(KpxImageRecord* record) {
    const std::int32_t pending = std::exchange(record->pendingDeletes, 0);
    const std::int32_t id = record->id;
    for (std::int32_t i = 0; i < pending; ++i)
        if (KpxReleaseImage(id, 1) == 0)
            break;
}

std::atomic<std::uint64_t>& linksVersion() {
    static std::atomic<std::uint64_t> version{1};
    return version;
}

// Whether freeing the record may change what a walk along some chain finds.
bool belongsToChain(const KpxImageRecord& record) {
    return record.nextFrame || record.firstFrame || record.frameOfAnimation;
}

} // namespace

std::uint64_t kpx::chainLinksVersion() {
    return linksVersion().load(std::memory_order_acquire);
}

void kpx::noteChainLinksChanged() {
    linksVersion().fetch_add(1, std::memory_order_acq_rel);
}

std::uint32_t KpxImageRecord::rowBytes() const {
    return info ? kfm::gdi::dibRowBytes(width(), bitCount()) : 0;
}

std::size_t kpx::pixelBytes(const KpxImageRecord& record) {
    if (!record.info || !record.bits || !record.bitmap)
        return 0;
    return std::min<std::size_t>(record.header().biSizeImage, record.bitmap->pixelBytes);
}

bool kpx::hasWholePixels(const KpxImageRecord* record) {
    if (!record || record->width() <= 0 || record->height() <= 0)
        return false;
    const std::uint64_t needed = static_cast<std::uint64_t>(record->rowBytes()) *
                                 static_cast<std::uint64_t>(record->height());
    return needed <= pixelBytes(*record);
}

void KpxInitImageTable() {
    ImageTable& t = table();
    std::lock_guard lock(t.mutex);
    for (auto& slot : t.slots)
        slot = nullptr;
    t.lowestFreeHint = 0;
}

void KpxStoreImageSlot(KpxImageRecord* record) {
    ImageTable& t = table();
    std::lock_guard lock(t.mutex);
    if (!record || record->id < 0 || record->id >= kKpxHandleTableSize)
        return;
    t.slots[record->id] = record;
    t.lowestFreeHint = record->id;
}

void KpxFreeImageSlot(std::int32_t id) {
    ImageTable& t = table();
    std::lock_guard lock(t.mutex);
    if (!inTableRange(id))
        return;
    t.slots[id] = nullptr;
    if (t.lowestFreeHint == 0 || t.lowestFreeHint > id)
        t.lowestFreeHint = id;
}

int KpxFindFreeHandle(std::int32_t* id, KpxImageRecord** previous, KpxImageRecord** next) {
    ImageTable& t = table();
    std::lock_guard lock(t.mutex);
    std::int32_t candidate = t.lowestFreeHint == 0 ? 1 : t.lowestFreeHint;
    while (candidate < kKpxHandleTableSize && t.slots[candidate])
        ++candidate;
    if (candidate < kKpxHandleTableSize) {
        KpxImageRecord* before = candidate > 1 ? t.slots[candidate - 1] : nullptr;
        *id = candidate;
        *previous = before;
        *next = before ? before->next : t.head;
        return 1;
    }
    // Every table id is taken: find the first gap in the id-ordered list.
    std::int32_t counter = 1;
    KpxImageRecord* r = t.head;
    while (r && r->id == counter) {
        r = r->next;
        ++counter;
    }
    if (counter > kHighestHandle)
        return 0;
    *id = counter;
    *next = r;
    *previous = r ? r->previous : t.tail;
    return 1;
}

KpxHandle KpxNewImageHandle() {
    ImageTable& t = table();
    std::lock_guard lock(t.mutex);
    std::int32_t id = 0;
    KpxImageRecord* previous = nullptr;
    KpxImageRecord* next = nullptr;
    if (!KpxFindFreeHandle(&id, &previous, &next))
        return 0;
    auto* record = new (std::nothrow) KpxImageRecord;
    if (!record)
        return 0;
    record->id = id;
    record->previous = previous;
    record->next = next;
    if (previous)
        previous->next = record;
    else
        t.head = record;
    if (next)
        next->previous = record;
    else
        t.tail = record;
    if (inTableRange(id))
        KpxStoreImageSlot(record);
    ++t.liveCount;
    return static_cast<KpxHandle>(id);
}

KpxImageRecord* KpxFindImage(std::int32_t id) {
    std::lock_guard lock(table().mutex);
    return findLocked(id);
}

KpxImageRecord* KpxLockImage(std::int32_t id, std::int32_t mode) {
    ImageTable& t = table();
    for (int waited = 0;; ++waited) {
        {
            std::lock_guard lock(t.mutex);
            KpxImageRecord* record = findLocked(id);
            if (!record)
                return nullptr;
            const bool sharedRead = record->permission == kKpxRead && mode == kKpxRead;
            if (record->permission == kKpxFree || sharedRead || waited >= kLockWaitSteps) {
                // After the wait the image is taken anyway (a stuck holder's later unlock then
                // clears the new owner's word).
                if (sharedRead) {
                    ++record->holders;
                } else {
                    record->permission = mode;
                    record->holders = 1;
                }
                if (mode == kKpxWrite)
                    record->checksum = 0;
                return record;
            }
        }
        std::this_thread::sleep_for(kLockWaitStep);
    }
}

void KpxUnlockImage(KpxImageRecord* record, std::int32_t value) {
    if (!record)
        return;
    std::lock_guard lock(table().mutex);
    if (value != 0) {
        if (record->permission != 0)
            kfm::debug::printf("KPX32: PERMISSION!!! ->>> IOSetPermission, old no NULL\n");
        record->permission = value;
        record->holders = 1;
        return;
    }
    if (record->holders > 1) {
        --record->holders;
        return;
    }
    record->permission = kKpxFree;
    record->holders = 0;
    releaseDeferredDeletes(record);
}

std::int32_t KpxGetImagePermission(std::int32_t id, std::int32_t clear) {
    std::lock_guard lock(table().mutex);
    KpxImageRecord* record = findLocked(id);
    if (!record)
        return 0;
    const std::int32_t word = record->permission;
    if (clear) {
        record->permission = 0;
        record->holders = 0;
    }
    return word;
}

KpxImageRecord* KpxLockFirstFrame(KpxImageRecord* record, std::int32_t mode) {
    if (!record)
        return nullptr;
    std::int32_t first = 0;
    {
        std::lock_guard lock(table().mutex);
        first = record->firstFrame;
    }
    return KpxLockImage(first, mode);
}

std::int32_t KpxAddImageReference(KpxImageRecord* record) {
    if (!record)
        return 0;
    std::lock_guard lock(table().mutex);
    return ++record->referenceCount;
}

std::int32_t KpxReleaseImage(std::int32_t id, std::int32_t deleteBitmap) {
    ImageTable& t = table();
    std::lock_guard lock(t.mutex);
    KpxImageRecord* record = findLocked(id);
    if (!record)
        return 0;
    if (record->permission != 0) {
        kfm::debug::printf("KPX32: PERMISSION!!! ->>> IODelete\n");
        return 0;
    }
    const std::int32_t nextFrame = record->nextFrame;
    const std::int32_t mask = record->maskImage;
    const std::int32_t explicitImage = record->explicitTransparency;
    const std::int32_t derived = record->derivedImage;
    --record->referenceCount;

    if (record->referenceCount > 0) {
        // The image lives on, and so do the images linked to it. Only the explicit transparency
        // image gives back the reference that a new reference of this image took on it
        // (KPXCreateImageFrom); the next frame, mask and derived image hold no extra reference,
        // and dropping one would free frames and masks the living image still names.
        if (explicitImage && KpxReleaseImage(explicitImage, 1) == 0)
            record->explicitTransparency = 0;
        return record->referenceCount;
    }

    const std::int32_t savedBackground = record->savedBackground;
    if (belongsToChain(*record))
        kpx::noteChainLinksChanged();
    freeRecordContents(record, deleteBitmap != 0);
    if (savedBackground)
        KpxReleaseImage(savedBackground, 1);
    if (inTableRange(record->id))
        KpxFreeImageSlot(record->id);
    unlinkLocked(record);
    delete record;
    --t.liveCount;

    if (nextFrame)
        KpxReleaseImage(nextFrame, 1);
    if (mask)
        KpxReleaseImage(mask, 1);
    if (explicitImage)
        KpxReleaseImage(explicitImage, 1);
    if (derived)
        KpxReleaseImage(derived, 1);
    return 0;
}

int KpxDeleteImageReference(std::int32_t id) {
    std::lock_guard lock(table().mutex);
    KpxImageRecord* record = findLocked(id);
    if (!record)
        return 0;
    if (record->permission != kKpxFree)
        ++record->pendingDeletes;
    else
        KpxReleaseImage(id, 1);
    return 1;
}

void KpxFreeAllImages() {
    ImageTable& t = table();
    std::lock_guard lock(t.mutex);
    int freed = 0;
    std::int32_t lastId = 0;
    while (KpxImageRecord* record = t.tail) {
        if (record->permission != 0)
            kfm::debug::printf("KPX32: PERMISSION!!! ->>> IODeleteAll\n");
        unlinkLocked(record);
        if (inTableRange(record->id))
            t.slots[record->id] = nullptr;
        freeRecordContents(record, true);
        lastId = record->id;
        delete record;
        ++freed;
    }
    t.liveCount = 0;
    t.lowestFreeHint = 0;
    kpx::noteChainLinksChanged();
    kfm::debug::printf("KPX32: Free %d images ! [%d]\n", freed, lastId);
}

void KpxImageChecksum(KpxImageRecord* record) {
    if (!record || !record->info || !record->bits || !record->bitmap)
        return;
    const std::uint32_t rowBytes = record->rowBytes();
    const std::uint32_t words = rowBytes / 4;
    // Only whole rows that lie inside the pixel memory.
    const std::int32_t rows =
        rowBytes ? static_cast<std::int32_t>(std::min<std::size_t>(
                       std::max(record->height(), 0), record->bitmap->pixelBytes / rowBytes))
                 : 0;
    std::uint32_t sum = 0;
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::uint8_t* row = record->bits + static_cast<std::size_t>(r) * rowBytes;
        std::uint32_t rowSum = 0;
        for (std::uint32_t k = 0; k < words; ++k) {
            const std::uint32_t word = static_cast<std::uint32_t>(row[4 * k]) |
                                       (static_cast<std::uint32_t>(row[4 * k + 1]) << 8) |
                                       (static_cast<std::uint32_t>(row[4 * k + 2]) << 16) |
                                       (static_cast<std::uint32_t>(row[4 * k + 3]) << 24);
            rowSum += word ^ (words - 1 - k);
        }
        sum += static_cast<std::uint32_t>(r) * rowSum;
    }
    if (record->bitCount() <= 8) {
        const std::uint32_t entries = 1u << record->bitCount();
        const RGBQUAD* colors = record->colors();
        for (std::uint32_t i = 0; i < entries && i < record->header().biClrUsed; ++i)
            sum += i * (3u * colors[i].rgbBlue + 2u * colors[i].rgbGreen + colors[i].rgbRed);
    }
    record->checksum = sum;
}

void KpxInvalidateChecksum(KpxImageRecord* record) {
    if (!record)
        return;
    std::lock_guard lock(table().mutex);
    record->checksum = 0;
}

int KpxLiveImageCount() {
    std::lock_guard lock(table().mutex);
    return table().liveCount;
}
