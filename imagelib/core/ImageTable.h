#pragma once
// Image handles, image records and the per-image permission word.
//
// One recursive lock (the image-table lock) guards the handle table, the record list and every
// record's links, reference count and permission word. Image functions reach a record only
// through KpxLockImage / KpxUnlockImage.

#include "Bitra5Testing.h"
#include "ImageRecord.h"

// Lowest id found through the table; higher ids are found by walking the record list.
constexpr int kKpxHandleTableSize = 16384;

namespace kpx {

// Bytes of pixel memory the record's header describes (biSizeImage), never more than the bitmap
// really holds: a caller may have changed the header through KPXGetBitmapInfoHeader.
std::size_t pixelBytes(const KpxImageRecord& record);
// True when the record has pixels and every row its header describes lies inside them.
bool hasWholePixels(const KpxImageRecord* record);

// A number that changes whenever a frame link is written or an image that belongs to a chain is
// freed: a position found in a chain still holds while the number stays the same. Never 0.
std::uint64_t chainLinksVersion();
void noteChainLinksChanged();

// Holds a permission word for its lifetime: the usual lock, work, unlock of image functions.
class ImageLock {
public:
    ImageLock(std::int32_t id, std::int32_t mode) : record_(KpxLockImage(id, mode)) {}
    ~ImageLock() {
        if (record_)
            KpxUnlockImage(record_, 0);
    }
    ImageLock(const ImageLock&) = delete;
    ImageLock& operator=(const ImageLock&) = delete;

    KpxImageRecord* get() const { return record_; }
    KpxImageRecord* operator->() const { return record_; }
    explicit operator bool() const { return record_ != nullptr; }
    // Gives up the word before the end of the scope.
    void unlock() {
        if (record_)
            KpxUnlockImage(record_, 0);
        record_ = nullptr;
    }

private:
    KpxImageRecord* record_;
};

// A second image beside one already locked: when both handles name the same image its record
// is shared (locking it again would wait on its own word), else the second image gets its own
// lock.
class SecondImageLock {
public:
    SecondImageLock(const ImageLock& first, std::int32_t firstId, std::int32_t secondId,
                    std::int32_t mode)
        : own_(secondId == firstId ? 0 : secondId, mode),
          record_(secondId == firstId ? first.get() : own_.get()) {}

    KpxImageRecord* get() const { return record_; }
    KpxImageRecord* operator->() const { return record_; }
    explicit operator bool() const { return record_ != nullptr; }

private:
    ImageLock own_;
    KpxImageRecord* record_;
};
} // namespace kpx
