#pragma once
// Library images as the image processing layer (platform/ipl) sees them, and what every IPL
// wrapper shares: descriptions over the images' own rows, the 24-bit working copy of the
// wrappers that make new images, the temporary images they delete, and the guard that keeps
// anything thrown inside the library.

#include "Bitra5.h"
#include "ipl/IplImage.h"

#include <optional>

namespace kpx::ipl {

using kfm::ipl::Image;
using kfm::ipl::Status;

// An image of 1 bit (one channel of packed bits), 8 bits (one channel) or 24 bits (blue, green,
// red) over its own rows, bottom-up with their padded stride. Nothing for a null or unknown
// handle, another depth or an image without pixels. The image is read under a brief lock, as
// the accessors do; the wrappers then work on the rows without holding it.
std::optional<Image> describe(KpxHandle image);

// Forgets the cached checksum of an image whose rows the layer has written.
void pixelsChanged(KpxHandle image);

// Deletes an image handle at the end of the scope unless released.
class TemporaryImage {
public:
    explicit TemporaryImage(KpxHandle handle = 0) : handle_(handle) {}
    ~TemporaryImage();
    TemporaryImage(const TemporaryImage&) = delete;
    TemporaryImage& operator=(const TemporaryImage&) = delete;
    KpxHandle get() const { return handle_; }
    KpxHandle release();

private:
    KpxHandle handle_;
};

// The source of a wrapper that makes a new image: the image itself when it has 1 or 24 bits,
// else a 24-bit copy that lives as long as this object. Empty when the source is not usable.
class WorkingSource {
public:
    explicit WorkingSource(KpxHandle source);
    KpxHandle handle() const { return copy_.get() ? copy_.get() : source_; }
    const std::optional<Image>& image() const { return image_; }

private:
    KpxHandle source_ = 0;
    TemporaryImage copy_;
    std::optional<Image> image_;
};

// A new image of the working source's size and depth (with a 1-bit source's colour table), or 0.
KpxHandle createLike(const WorkingSource& source);

// The result of a wrapper: 1 for a successful status, else 0.
inline int succeeded(Status status) {
    return status == Status::Ok ? 1 : 0;
}

// A rectangle with exclusive right and bottom edges as the layer's rectangle.
kfm::ipl::Rect toRect(const RECT& rect);

// Runs a wrapper's body; whatever it throws gives the failure value instead of leaving the
// library.
template <class Result, class Body> Result guarded(Result failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

} // namespace kpx::ipl
