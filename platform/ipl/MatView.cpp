#include "ipl/MatView.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace kfm::ipl {

bool isUsable(const Image& image) {
    const bool bits =
        image.channels == 1 && (image.bitsPerChannel == 1 || image.bitsPerChannel == 8);
    const bool colour = image.channels == 3 && image.bitsPerChannel == 8;
    if (!(bits || colour) || !image.data)
        return false;
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxSide || image.height > kMaxSide)
        return false;
    const std::uint64_t needed =
        (static_cast<std::uint64_t>(image.width) * image.channels * image.bitsPerChannel + 7) / 8;
    if (image.rowBytes < needed)
        return false;
    if (!image.roi)
        return true;
    const Rect& r = *image.roi;
    return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && r.x <= image.width - r.width &&
           r.y <= image.height - r.height;
}

Rect workArea(const Image& image) {
    return image.roi ? *image.roi : Rect{0, 0, image.width, image.height};
}

bool sameLayout(const Image& a, const Image& b) {
    return a.channels == b.channels && a.bitsPerChannel == b.bitsPerChannel;
}

} // namespace kfm::ipl

namespace kfm::ipl::detail {

namespace {

std::uint8_t* storedRow(const Image& image, int row) {
    return image.data + static_cast<std::size_t>(row) * image.rowBytes;
}

void unpackBits(const Image& image, const Rect& area, cv::Mat& out) {
    const int top = storedTop(image, area);
    for (int r = 0; r < area.height; ++r) {
        const std::uint8_t* in = storedRow(image, top + r);
        auto* bytes = out.ptr<std::uint8_t>(r);
        for (int c = 0; c < area.width; ++c) {
            const int x = area.x + c;
            bytes[c] = (in[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        }
    }
}

void packBits(const Image& image, const Rect& area, const cv::Mat& in) {
    const int top = storedTop(image, area);
    for (int r = 0; r < area.height; ++r) {
        std::uint8_t* out = storedRow(image, top + r);
        const auto* bytes = in.ptr<std::uint8_t>(r);
        for (int c = 0; c < area.width; ++c) {
            const int x = area.x + c;
            const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
            out[x >> 3] =
                static_cast<std::uint8_t>(bytes[c] >= 128 ? out[x >> 3] | bit : out[x >> 3] & ~bit);
        }
    }
}

} // namespace

bool overlaps(const Image& a, const Image& b) {
    const std::uint8_t* aEnd = a.data + a.rowBytes * static_cast<std::size_t>(a.height);
    const std::uint8_t* bEnd = b.data + b.rowBytes * static_cast<std::size_t>(b.height);
    return a.data < bEnd && b.data < aEnd;
}

MatView::MatView(const Image& image, Use use) : MatView(image, workArea(image), use) {}

MatView::MatView(const Image& image, const Rect& area, Use use)
    : image_(image), area_(area), use_(use) {
    if (image.bitsPerChannel == 1) {
        mat_.create(area.height, area.width, CV_8UC1);
        if (use != Use::Write)
            unpackBits(image, area, mat_);
        return;
    }
    const cv::Mat whole(image.height, image.width, CV_8UC(image.channels), image.data,
                        image.rowBytes);
    mat_ = whole(cv::Rect(area.x, storedTop(image, area), area.width, area.height));
}

void MatView::commit() {
    if (image_.bitsPerChannel == 1 && use_ != Use::Read)
        packBits(image_, area_, mat_);
}

cv::Mat independentSource(MatView& source, const Image& sourceImage, const Image& destination) {
    if (sourceImage.bitsPerChannel == 8 && overlaps(sourceImage, destination))
        return source.mat().clone();
    return source.mat();
}

int cvInterpolation(int interpolation) {
    switch (interpolation & ~kSmoothEdge) {
    case kLinear:
        return cv::INTER_LINEAR;
    case kCubic:
        return cv::INTER_CUBIC;
    case kSuper:
        return cv::INTER_AREA;
    default:
        return cv::INTER_NEAREST;
    }
}

} // namespace kfm::ipl::detail
