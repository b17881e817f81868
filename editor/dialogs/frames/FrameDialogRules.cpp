#include "FrameDialogRules.h"

#include <algorithm>
#include <cmath>

namespace kfm::dialogs {

namespace {

int clampSide(double side) {
    if (!(side >= kMinSide)) // also catches NaN
        return kMinSide;
    return side > kMaxSide ? kMaxSide : static_cast<int>(side);
}

} // namespace

double AspectRatio(int width, int height, int fallbackWidth, int fallbackHeight) {
    if (width > 0 && height > 0)
        return static_cast<double>(width) / height;
    if (fallbackWidth > 0 && fallbackHeight > 0)
        return static_cast<double>(fallbackWidth) / fallbackHeight;
    return 1.0;
}

int HeightForWidth(int width, double ratio) {
    return clampSide(width / ratio + 0.5);
}

int WidthForHeight(int height, double ratio) {
    return clampSide(height * ratio + 0.5);
}

int TotalAfterAmount(int total, int count, int amount) {
    return count * amount + total;
}

int ChangeForPercent(int total, int percent) {
    return static_cast<int>(percent * 0.01 * total);
}

int PercentForChange(int total, int change) {
    if (total == 0)
        return 0;
    const double percent =
        -100.0 - static_cast<int>((static_cast<double>(change) + total) / total * -100.0);
    return static_cast<int>(std::clamp(percent, -100.0, 100.0));
}

int DelayAfterAmount(int delay, int amount) {
    return std::clamp(delay + amount, 0, kMaxDelay);
}

int DelayAfterPercent(int delay, int percent) {
    const int change = static_cast<int>(static_cast<float>(delay) * (percent * 0.01f));
    return std::clamp(delay + change, 0, kMaxDelay);
}

const int kTextSizes[kTextSizeCount] = {8,  9,  10, 11, 12, 13, 14, 15,  16,  18, 20, 22,
                                        24, 26, 28, 30, 32, 34, 36, 38,  42,  48, 52, 56,
                                        60, 64, 68, 72, 80, 88, 96, 102, 118, 134};

int ClampTextSize(int typed) {
    return std::clamp(typed, kMinTextSize, kMaxTextSize);
}

int TextSizeIndex(int size) {
    for (int i = 0; i < kTextSizeCount; ++i)
        if (kTextSizes[i] == size)
            return i;
    return -1;
}

PositionRange TextPositionRange(int textSide, int canvasSide, bool elastic) {
    PositionRange range;
    range.minimum = elastic ? 0 : 1 - std::max(textSide, 1);
    range.maximum = std::max(canvasSide - 1, range.minimum);
    return range;
}

const int kTextCharsets[kTextCharsetCount] = {0, 177, 178, 161, 186, 238, 204, 2};

int TextStyleOf(int weight, bool italic) {
    const bool bold = weight >= 600;
    if (bold)
        return italic ? 2 : 1;
    return italic ? 3 : 0;
}

int TextStyleWeight(int style) {
    return style == 1 || style == 2 ? 700 : 400;
}

bool TextStyleItalic(int style) {
    return style == 2 || style == 3;
}

int RotationResampling(int radio, bool antialias) {
    if (radio == 2)
        return antialias ? 18 : 2;
    return radio == 1 ? 1 : 0;
}

int RotationRadio(int code) {
    switch (code) {
    case 1:
        return 1;
    case 2:
    case 18:
        return 2;
    default:
        return 0;
    }
}

bool RotationAntialias(int code) {
    return code == 18;
}

int SignedAngle(int angle, bool counterClockwise) {
    return counterClockwise ? -angle : angle;
}

} // namespace kfm::dialogs
