#pragma once
// Small file and image helpers over the image library that the frame model and the renderers
// share.

#include "Bitra5.h"

// 0 for a null or empty path; otherwise 1 when the file can be opened for reading.
int FileExists(const char* path);

// A new 8-bit image with the grey palette (entry i = RGB(i, i, i)) filled with palette index
// `index`; 0 when the size is not valid, the index lies outside 0..255, or creation fails.
KpxHandle CreateSolidImage(int width, int height, int index);

// Draws source stretched into the rectangle (right and bottom exclusive) of target's pixels.
void DrawImageStretched(KpxHandle source, KpxHandle target, int left, int top, int right,
                        int bottom);
// Draws source at its own size with its upper left corner at (x, y) of target.
void DrawImageInRect(KpxHandle source, KpxHandle target, int x, int y);
// A 1-bit mask of an 8-bit image: bit 1 where the pixel's value reaches level; 0 for other
// depths. The caller deletes it.
KpxHandle CreateThresholdMask(KpxHandle image, int level);
// The largest red value among the palette entries 1..255 that pixels use: on the grey images of
// alpha and masks, the highest grey level present. 0 when none.
int GetHighestGreyLevel(KpxHandle image);

// Owns a library image and deletes it when it goes out of scope.
class ScopedImage {
public:
    explicit ScopedImage(KpxHandle image = 0) : image_(image) {}
    ScopedImage(ScopedImage&& other) noexcept : image_(other.release()) {}
    ScopedImage& operator=(ScopedImage&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ScopedImage(const ScopedImage&) = delete;
    ScopedImage& operator=(const ScopedImage&) = delete;
    ~ScopedImage() { reset(0); }
    KpxHandle get() const { return image_; }
    KpxHandle release() {
        const KpxHandle image = image_;
        image_ = 0;
        return image;
    }
    void reset(KpxHandle image) {
        if (image_)
            KPXDeleteImage(image_);
        image_ = image;
    }

private:
    KpxHandle image_;
};
