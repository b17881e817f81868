#include "ShiverMachine.h"

#include "ShiverPlugin.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace kfm::shiver {

std::unique_ptr<CShiverMachine> CShiverMachine::Create(int width, int height) {
    std::unique_ptr<CShiverMachine> machine(new (std::nothrow) CShiverMachine);
    if (!machine)
        return nullptr;
    machine->requestedWidth_ = width;
    machine->requestedHeight_ = height;
    auto picture =
        kfm::noise::CGrid::create(std::clamp(width, 1, kMaxSide), std::clamp(height, 1, kMaxSide));
    if (!picture)
        return nullptr;
    picture->fill(0);
    machine->picture_ = std::move(*picture);
    return machine;
}

int CShiverMachine::Render() {
    const int width = picture_.width();
    const int height = picture_.height();
    const int rowBytes = (width + 3) / 4 * 4;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rowBytes) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(rowBytes) * y + x] =
                static_cast<std::uint8_t>(std::clamp(picture_.get(x, y), 0, 255));
    PALETTEENTRY grey[256];
    for (int i = 0; i < 256; ++i)
        grey[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};

    PluginFrame frame{};
    frame.image = BITMAP{0, width, height, rowBytes, 1, 8, pixels.data()};
    frame.palette = grey;
    frame.transparentIndex = -1;
    frame.delay = 100;
    PluginRunInput input{width, height, 0, 1, &frame, nullptr};

    PluginInterface table{};
    if (!KFMGetPluginInterface(&table))
        return 0;
    PluginResult* result = table.pfnRunPlugin(&input, nullptr);
    const int count = result ? result->count : 0;
    table.pfnCleanUp(result);
    return count;
}

} // namespace kfm::shiver
