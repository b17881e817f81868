#pragma once
// Creating images in every depth, copies and references, accessors, comparison and deletion.

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ImageRecord.h"

#include <cstdint>
#include <utility>

// The special depth that asks for a 16-bit 5-6-5 image with bit-field masks.
constexpr int kKpxDepth565 = 16000;

namespace kpx {
// Whether width x height can be an image of the library: sizes are signed 16-bit values.
constexpr bool isImageSize(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= INT16_MAX && height <= INT16_MAX;
}
// The depth to ask KPXCreateImage for so that a new image keeps the source's pixel layout.
int creationDepth(const KpxImageRecord& source);
// A new image of the given size with the source's depth and colour table (pushed into the DIB
// section). 0 when the size is no image size or the creation fails. The source stays locked by
// the caller.
KpxHandle createImageLike(const KpxImageRecord& source, std::int64_t width, std::int64_t height);

// Deletes an image (drops one reference) at the end of a scope unless it is released first.
class ScopedImage {
public:
    explicit ScopedImage(KpxHandle image = 0) : image_(image) {}
    ~ScopedImage() {
        if (image_)
            KPXDeleteImage(image_);
    }
    ScopedImage(const ScopedImage&) = delete;
    ScopedImage& operator=(const ScopedImage&) = delete;
    ScopedImage(ScopedImage&& other) noexcept : image_(other.release()) {}
    ScopedImage& operator=(ScopedImage&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    KpxHandle get() const { return image_; }
    explicit operator bool() const { return image_ != 0; }
    KpxHandle release() { return std::exchange(image_, KpxHandle{0}); }
    void reset(KpxHandle image = 0) {
        if (image_ && image_ != image)
            KPXDeleteImage(image_);
        image_ = image;
    }

private:
    KpxHandle image_;
};
} // namespace kpx
