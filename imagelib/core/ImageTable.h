#pragma once
// Image handles, image records and the per-image permission word.
//
// One recursive lock (the image-table lock) guards the handle table, the record list and every
// record's links, reference count and permission word. Image functions reach a record only
// through KpxLockImage / KpxUnlockImage.

#include "ImageRecord.h"

// Lowest id found through the table; higher ids are found by walking the record list.
constexpr int kKpxHandleTableSize = 16384;

BITRA5_API void KpxInitImageTable();
BITRA5_API KpxHandle KpxNewImageHandle();
BITRA5_API void KpxStoreImageSlot(KpxImageRecord* record);
BITRA5_API void KpxFreeImageSlot(std::int32_t id);
BITRA5_API int KpxFindFreeHandle(std::int32_t* id, KpxImageRecord** previous,
                                 KpxImageRecord** next);
BITRA5_API KpxImageRecord* KpxFindImage(std::int32_t id);
// Takes the permission word in mode 1 (read), 2 (write) or 4 (draw). Readers share the word and
// are counted; any other holder is waited for in 10 ms steps, 300 at most, after which the image
// is taken anyway. A write lock drops the cached checksum, since the caller may change the pixels.
BITRA5_API KpxImageRecord* KpxLockImage(std::int32_t id, std::int32_t mode);
// Value 0 gives up one hold: the word is free once the last reader has left, and then the
// deletes asked for while it was held are carried out (the record may be gone afterwards).
// A non-zero value sets the word.
BITRA5_API void KpxUnlockImage(KpxImageRecord* record, std::int32_t value);
BITRA5_API std::int32_t KpxGetImagePermission(std::int32_t id, std::int32_t clear);
BITRA5_API KpxImageRecord* KpxLockFirstFrame(KpxImageRecord* record, std::int32_t mode);
// Drops one reference; returns the remaining count (0 when freed or refused).
BITRA5_API std::int32_t KpxReleaseImage(std::int32_t id, std::int32_t deleteBitmap);
// Drops one reference with the bitmap: at once when no one holds the image, else when its last
// holder lets go. Returns 0 only when no image has the id.
BITRA5_API int KpxDeleteImageReference(std::int32_t id);
BITRA5_API void KpxFreeAllImages();
BITRA5_API void KpxImageChecksum(KpxImageRecord* record);
// Forgets the cached checksum after a change of pixels or colour table.
BITRA5_API void KpxInvalidateChecksum(KpxImageRecord* record);
// Adds one reference under the table lock; returns the new count (0 for a null record).
BITRA5_API std::int32_t KpxAddImageReference(KpxImageRecord* record);

namespace kpx {

// Bytes of pixel memory the record's header describes (biSizeImage), never more than the bitmap
// really holds: a caller may have changed the header through KPXGetBitmapInfoHeader.
std::size_t pixelBytes(const KpxImageRecord& record);

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

// Number of live records (for diagnostics and tests).
BITRA5_API int KpxLiveImageCount();
