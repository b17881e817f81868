// The IPL wrappers that compose images: the transparent blit, constant-alpha composition, soft
// shadows, fills and colour transforms.

#include "IplImages.h"

#include "ipl/IplCompose.h"

#include <algorithm>
#include <cstdint>

namespace {

using kfm::ipl::Rect;
using kpx::ipl::describe;
using kpx::ipl::guarded;
using kpx::ipl::Image;
using kpx::ipl::pixelsChanged;
using kpx::ipl::succeeded;
using kpx::ipl::TemporaryImage;

bool inside(const Rect& rect, const Image& image) {
    return rect.width > 0 && rect.height > 0 && rect.x >= 0 && rect.y >= 0 &&
           rect.x <= image.width - rect.width && rect.y <= image.height - rect.height;
}

// The place in b and the part of a that a blit draws: rectInB normalised and clipped to b, and
// rectInA moved in by what the clipping cut from rectInB's left and top, so that the picture
// keeps its place. Empty areas when nothing is drawn.
struct BlitAreas {
    Rect inA;
    Rect inB;
    bool empty() const { return inA.width <= 0 || inA.height <= 0; }
};

BlitAreas blitAreas(const RECT& rectInB, const Rect& inA, const Image& b) {
    const std::int64_t left = std::min(rectInB.left, rectInB.right);
    const std::int64_t right = std::max(rectInB.left, rectInB.right);
    const std::int64_t top = std::min(rectInB.top, rectInB.bottom);
    const std::int64_t bottom = std::max(rectInB.top, rectInB.bottom);
    const std::int64_t x0 = std::clamp<std::int64_t>(left, 0, b.width);
    const std::int64_t x1 = std::clamp<std::int64_t>(right, 0, b.width);
    const std::int64_t y0 = std::clamp<std::int64_t>(top, 0, b.height);
    const std::int64_t y1 = std::clamp<std::int64_t>(bottom, 0, b.height);
    const std::int64_t cutLeft = x0 - left;
    const std::int64_t cutTop = y0 - top;
    BlitAreas areas;
    if (x1 <= x0 || y1 <= y0 || cutLeft >= inA.width || cutTop >= inA.height)
        return areas;
    areas.inB = {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                 static_cast<int>(y1 - y0)};
    areas.inA = {inA.x + static_cast<int>(cutLeft), inA.y + static_cast<int>(cutTop),
                 inA.width - static_cast<int>(cutLeft), inA.height - static_cast<int>(cutTop)};
    return areas;
}

// An optional one-channel image of a given size with its region set; false when the handle is
// given but does not fit.
bool describePlane(KpxHandle handle, const Image& like, const Rect& area, int bits,
                   std::optional<Image>* out) {
    if (!handle)
        return true;
    *out = describe(handle);
    if (!*out || (*out)->channels != 1 || (bits && (*out)->bitsPerChannel != bits) ||
        (*out)->width != like.width || (*out)->height != like.height)
        return false;
    (*out)->roi = area;
    return true;
}

} // namespace

int IPLTransparentBlt2(KpxHandle a, KpxHandle b, KpxHandle alphaA, KpxHandle alphaB, KpxHandle mask,
                       const RECT* rectInB, const RECT* rectInA) {
    return guarded(0, [&] {
        auto source = describe(a);
        auto target = describe(b);
        if (!source || !target || !kfm::ipl::sameLayout(*source, *target) || !rectInA)
            return 0;
        const Rect partOfA = kpx::ipl::toRect(*rectInA);
        if (!inside(partOfA, *source))
            return 0;
        const RECT wholeB{0, 0, target->width, target->height};
        const BlitAreas areas = blitAreas(rectInB ? *rectInB : wholeB, partOfA, *target);
        std::optional<Image> alphaOfA;
        std::optional<Image> alphaOfB;
        std::optional<Image> maskPlane;
        if (!describePlane(alphaA, *source, areas.inA, 0, &alphaOfA) ||
            !describePlane(alphaB, *target, areas.inB, 0, &alphaOfB))
            return 0;
        if (mask) {
            const auto m = describe(mask);
            const bool likeA = m && m->width == source->width && m->height == source->height;
            if (!describePlane(mask, likeA ? *source : *target, likeA ? areas.inA : areas.inB, 1,
                               &maskPlane))
                return 0;
        }
        if (areas.empty())
            return 1;
        source->roi = areas.inA;
        target->roi = areas.inB;
        kfm::ipl::Status status;
        const Image* maskImage = maskPlane ? &*maskPlane : nullptr;
        if (alphaOfA) {
            kfm::ipl::Composition how;
            how.alphaA = &*alphaOfA;
            how.alphaB = alphaOfB ? &*alphaOfB : nullptr;
            how.mask = maskImage;
            status = kfm::ipl::alphaComposite(*source, *target, *target, how);
        } else {
            // Opaque a over b: a copy of a, through the mask.
            status = kfm::ipl::alphaCompositeC(*source, *target, *target, kfm::ipl::Composite::Over,
                                               255, 0, true, maskImage);
        }
        pixelsChanged(b);
        return succeeded(status);
    });
}

int IPLTransparentBlt(KpxHandle a, KpxHandle b, KpxHandle alphaA, KpxHandle alphaB, KpxHandle mask,
                      const RECT* rectInB) {
    const RECT wholeA{0, 0, KPXWidth(a), KPXHeight(a)};
    return IPLTransparentBlt2(a, b, alphaA, alphaB, mask, rectInB, &wholeA);
}
