#include "BlankFrame.h"

#include "FrameTransparency.h"
#include "ImageUtilities.h"

#include <algorithm>

namespace kfm::model {

std::unique_ptr<CObjFrame> CreateBlankFrame(const BlankFrameValues& values) {
    const int index = std::clamp(values.index, 0, 255);
    if (values.width < 1 || values.height < 1)
        return nullptr;
    ScopedImage image(KPXCreateImage(values.width, values.height, 8));
    if (!image.get())
        return nullptr;
    const PALETTEENTRY* fine = KPXGetFinePalette();
    RGBQUAD* table = KPXGetBitmapInfoHeader(image.get())->bmiColors;
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{fine[i].peBlue, fine[i].peGreen, fine[i].peRed, 0};
    KPXSetColorToPalette(image.get(), index, values.colour);
    KPXFillDIBColorTable(image.get());
    KPXFillImageByIndexColor(image.get(), index);
    if (values.transparent)
        SetImageTransparent(static_cast<short>(image.get()), index);
    FrameInfo info{};
    KPXGetImageFramesInfo(image.get(), &info);
    const std::uint32_t transparency = values.transparent ? kIndexFlag + index : 0u;
    auto frame =
        std::make_unique<CObjFrame>(static_cast<std::uint16_t>(image.release()), values.width,
                                    values.height, 0, 0, info.delay, info.disposal, transparency,
                                    info.name, info.comment, nullptr, nullptr, nullptr, nullptr, 0);
    FreeFrameParts(info, 0);
    return frame;
}

} // namespace kfm::model
