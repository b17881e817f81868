#include "InterimSaveSteps.h"

#include "Bitra5.h"

#include <algorithm>
#include <cstring>

namespace interim {

int ReduceFramesTo8Bit(FrameList& list, StepProgress callback, HWND window) {
    int index = 0;
    for (auto it = list.begin(); it != list.end() && std::next(it) != list.end(); ++it, ++index) {
        const auto image = static_cast<KpxHandle>(it->GetImage());
        if (image && KPXbpp(image) > 8 && callback && callback(0, index, window))
            return 2;
    }
    return 1;
}

void ClearRenderedNPImageObjects(FrameList&) {}

KpxHandle CropImageEx(KpxHandle image, int left, int top, int right, int bottom,
                      int withTransparency) {
    if (!image)
        return 0;
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const int bpp = KPXbpp(image);
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width - 1);
    bottom = std::min(bottom, height - 1);
    if (width <= 0 || height <= 0 || right < left || bottom < top)
        return 0;
    const int cropWidth = right - left + 1;
    const int cropHeight = bottom - top + 1;
    const KpxHandle result = KPXCreateImage(cropWidth, cropHeight, bpp);
    if (!result)
        return 0;
    const BITMAPINFO* sourceInfo = KPXGetBitmapInfoHeader(image);
    BITMAPINFO* targetInfo = KPXGetBitmapInfoHeader(result);
    if (bpp <= 8 && sourceInfo && targetInfo)
        std::memcpy(targetInfo->bmiColors, sourceInfo->bmiColors,
                    sizeof(RGBQUAD) * (std::size_t{1} << bpp));
    const std::uint8_t* in = KPXGetBits(image);
    std::uint8_t* out = KPXGetBits(result);
    const int inRow = KPXGetScanBytes(image);
    const int outRow = KPXGetScanBytes(result);
    const int bytesPerPixel = bpp / 8;
    // Rows are stored bottom-up: the crop's top row y is stored row height - 1 - y.
    for (int y = 0; y < cropHeight; ++y) {
        const std::uint8_t* src = in + static_cast<std::size_t>(height - 1 - (top + y)) * inRow;
        std::uint8_t* dst = out + static_cast<std::size_t>(cropHeight - 1 - y) * outRow;
        if (bpp >= 8) {
            std::memcpy(dst, src + static_cast<std::size_t>(left) * bytesPerPixel,
                        static_cast<std::size_t>(cropWidth) * bytesPerPixel);
            continue;
        }
        for (int x = 0; x < cropWidth; ++x)
            kpx::setIndexAt(dst, x, bpp, kpx::indexAt(src, left + x, bpp));
    }
    if (bpp <= 8)
        KPXFillDIBColorTable(result);
    if (withTransparency) {
        int count = 0;
        const KpxTransparentEntry* entries = KPXGetImageTransparentData(image, &count);
        if (entries && count > 0)
            KPXSetImageTransparent(result, entries, count);
    }
    return result;
}

KpxHandle NewSizeImage(KpxHandle image, int width, int height, KpxProgressProc progress) {
    if (!image || width != KPXWidth(image) || height != KPXHeight(image))
        return 0;
    for (int row = 0; progress && row < height; ++row)
        progress();
    return KPXCreateImageFrom(image, 0);
}

} // namespace interim
