#include "TextureResult.h"

#include <cstdlib>
#include <memory>
#include <new>

namespace kfm::patina {

namespace {

struct ResultFree {
    void operator()(PluginResult* result) const { FreePluginResult(result); }
};

} // namespace

PluginResult* BuildTextureResult(TextureSettings& settings, int width, int height,
                                 PluginProgressProc progress, const TextureOutput& output) {
    if (width < 1 || height < 1)
        return nullptr;
    if (progress)
        progress(0, 1, 2);
    std::unique_ptr<PluginResult, ResultFree> result(
        static_cast<PluginResult*>(std::calloc(1, sizeof(PluginResult))));
    if (!result)
        return nullptr;
    result->frames = static_cast<PluginFrame*>(std::calloc(1, sizeof(PluginFrame)));
    if (!result->frames)
        return nullptr;
    result->count = 1;
    PluginFrame& frame = result->frames[0];
    if (!AllocPluginFrame(&frame, width, height, 24, 0) || !frame.image.bmBits)
        return nullptr;
    const FrameRows rows{static_cast<std::uint8_t*>(frame.image.bmBits), width, height,
                         static_cast<int>(frame.image.bmWidthBytes)};
    try {
        if (!RenderTextureToFrame(settings, rows, output.seed, output.effects, output.stretch))
            return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (progress)
        progress(0, 2, 2);
    return result.release();
}

} // namespace kfm::patina
