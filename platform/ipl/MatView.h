#pragma once
// cv::Mat views of image descriptions for the units of the IPL stand-in (not used elsewhere).
// 8-bit images are viewed in place over their own rows with their stride; OpenCV has no 1-bit
// images, so those are unpacked into one byte per pixel (0 or 255) and packed back afterwards.

#include "ipl/IplImage.h"

#include <opencv2/core.hpp>

#include <new>

namespace kfm::ipl::detail {

// The first stored row of a picture rectangle.
inline int storedTop(const Image& image, const Rect& area) {
    return image.bottomUp ? image.height - area.y - area.height : area.y;
}

// The y of a pixel row of the picture (pixel centres at whole numbers) in storage order.
inline double storedPixelY(const Image& image, int areaHeight, double y) {
    return image.bottomUp ? areaHeight - 1 - y : y;
}

// True when the pixel memory of two descriptions overlaps.
bool overlaps(const Image& a, const Image& b);

enum class Use { Read, Write, ReadWrite };

class MatView {
public:
    // A view of the work area (or of the given area, which must lie inside the image).
    MatView(const Image& image, Use use);
    MatView(const Image& image, const Rect& area, Use use);
    MatView(const MatView&) = delete;
    MatView& operator=(const MatView&) = delete;

    cv::Mat& mat() { return mat_; }
    const Rect& area() const { return area_; }
    // Writes an unpacked 1-bit output back into its rows: bytes of 128 and above become 1,
    // padding bits stay as they were. Nothing to do for 8-bit images.
    void commit();

private:
    const Image& image_;
    Rect area_;
    Use use_;
    cv::Mat mat_;
};

// A view of a source that a function must not read while it writes the destination: a copy
// when both share memory, else the source's own rows.
cv::Mat independentSource(MatView& source, const Image& sourceImage, const Image& destination);

// Runs an OpenCV call and turns what it throws into a status.
template <class Call> Status guarded(Call call) {
    try {
        return call();
    } catch (const cv::Exception&) {
        return Status::Failed;
    } catch (const std::bad_alloc&) {
        return Status::OutOfMemory;
    }
}

// The OpenCV interpolation flag of an interpolation code (the smooth-edge flag left aside).
int cvInterpolation(int interpolation);

} // namespace kfm::ipl::detail
