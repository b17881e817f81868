#include "SplitterSizes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kfm::shell {

namespace {

// The size commands and their ids.
constexpr std::array<std::pair<UINT, int>, 12> kSizeCommands = {{
    {20063, 80},
    {20064, 96},
    {20059, 112},
    {20060, 128},
    {20061, 144},
    {20062, 160},
    {20069, kThumbnailCustom},
    {20065, 180},
    {20068, 181},
    {20067, 182},
    {20066, 183},
    {20071, kThumbnailFitStrip},
}};

double scaledFactor(int id) {
    switch (id) {
    case 181:
        return 0.75;
    case 182:
        return 0.5;
    case 183:
        return 0.25;
    default:
        return 1.0;
    }
}

// Height for a width at the animation's proportions, rounded as the thumbnails are.
int proportionalHeight(int width, int animationWidth, int animationHeight) {
    return static_cast<int>(static_cast<double>(width) * animationHeight / animationWidth + 0.5);
}

int proportionalWidth(int height, int animationWidth, int animationHeight) {
    return static_cast<int>(static_cast<double>(height) * animationWidth / animationHeight + 0.5);
}

} // namespace

int ThumbnailIdForCommand(UINT command) {
    for (const auto& [id, size] : kSizeCommands)
        if (id == command)
            return size;
    return 0;
}

UINT CommandForThumbnailId(int size) {
    for (const auto& [id, value] : kSizeCommands)
        if (value == size)
            return id;
    return 0;
}

bool IsScaledThumbnailId(int id) {
    return id >= kThumbnailAnimationSize && id <= kThumbnailQuarter;
}

PaneSizes CalcPaneSizes(SIZE total, SIZE saved) {
    if (saved.cx == 0 && saved.cy == 0)
        return PaneSizes{SIZE{total.cx / 3, total.cy / 2}, SIZE{2 * (total.cx / 3), total.cy / 2}};
    return PaneSizes{saved, SIZE{total.cx - saved.cx, total.cy - saved.cy}};
}

SIZE CalcThumbnailSize(int id, const ThumbnailInputs& in) {
    if (IsScaledThumbnailId(id)) {
        const double f = scaledFactor(id);
        return SIZE{static_cast<LONG>(in.animationWidth * f + 0.5),
                    static_cast<LONG>(in.animationHeight * f + 0.5)};
    }
    if (id == kThumbnailCustom)
        return SIZE{in.customWidth, in.customHeight};
    if (id != kThumbnailFitStrip)
        return SIZE{id, id};

    const int column = in.stripColumnWidth != 0
                           ? in.stripColumnWidth
                           : (in.toggleBarHorizontalSize >= 0 ? in.toggleBarHorizontalSize : 80);
    int width = std::min(column - in.arrowWidth - 14, in.animationWidth);
    int height = 1;
    if (in.animationWidth > 0 && in.animationHeight > 0) {
        height = proportionalHeight(width, in.animationWidth, in.animationHeight);
        if (height <= in.animationHeight)
            width = proportionalWidth(height, in.animationWidth, in.animationHeight);
        else
            height = in.animationHeight;
    }
    width = std::max(width, 1);
    return SIZE{width, std::max(height, 1)};
}

int SnapStripBarX(int x, int arrowWidth, int gap) {
    return x < arrowWidth + gap + 14 ? 0 : x;
}

SIZE ThumbnailForStripBar(int x, int arrowWidth, int gap, int animationWidth, int animationHeight) {
    int width = x - (arrowWidth + gap + 14);
    if (animationWidth <= 0 || animationHeight <= 0)
        return SIZE{std::max(width, 0), 0};
    int height =
        std::min(proportionalHeight(width, animationWidth, animationHeight), animationHeight);
    if (height >= 0)
        width = proportionalWidth(height, animationWidth, animationHeight);
    else
        height = 0;
    return SIZE{std::max(width, 0), height};
}

int FitStripColumnWidth(int thumbnailWidth, int arrowWidth, int clientWidth, int sheetWidth,
                        int outerGap, int frameWidth, int borderWidth) {
    const int wanted = arrowWidth + 14 + thumbnailWidth;
    const int room = clientWidth - sheetWidth - outerGap - 2 * (frameWidth + borderWidth);
    return std::max(std::min(wanted, room), 0);
}

} // namespace kfm::shell
