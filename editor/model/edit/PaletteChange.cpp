#include "PaletteChange.h"

#include "AnimationData.h"

#include <algorithm>
#include <vector>

namespace {

// Entries of the image's colour table; 0 for images without one.
int paletteSize(KpxHandle image) {
    if (!image)
        return 0;
    const int bpp = KPXbpp(image);
    return bpp >= 1 && bpp <= 8 ? 1 << bpp : 0;
}

struct EntryChange {
    int index;
    COLORREF before;
    COLORREF after;
};

std::vector<EntryChange> changedEntries(KpxHandle oldImage, KpxHandle newImage) {
    std::vector<EntryChange> changes;
    const int shared = std::min(paletteSize(oldImage), paletteSize(newImage));
    for (int i = 0; i < shared; ++i) {
        const COLORREF before = KPXGetColorFromPalette(oldImage, i);
        const COLORREF after = KPXGetColorFromPalette(newImage, i);
        if (before != after)
            changes.push_back({i, before, after});
    }
    return changes;
}

// A target frame's image, copied before its first change in this operation.
class TargetImage {
public:
    explicit TargetImage(CObjFrame& frame) : frame_(frame) {}
    ~TargetImage() {
        if (copied_)
            KPXFillDIBColorTable(image());
    }
    TargetImage(const TargetImage&) = delete;
    TargetImage& operator=(const TargetImage&) = delete;

    KpxHandle image() const { return static_cast<KpxHandle>(frame_.GetImage()); }
    int size() const { return paletteSize(image()); }
    COLORREF entry(int i) const { return KPXGetColorFromPalette(image(), i); }
    void set(int i, COLORREF colour) {
        if (!copied_) {
            const KpxHandle copy = KPXCreateImageFrom(image(), 0);
            if (!copy)
                return;
            KPXDeleteImage(
                static_cast<KpxHandle>(frame_.SetImage(static_cast<std::uint16_t>(copy))));
            copied_ = true;
        }
        KPXSetColorToPalette(image(), i, colour);
    }
    bool changed() const { return copied_; }

private:
    CObjFrame& frame_;
    bool copied_ = false;
};

void applyByIndex(TargetImage& target, const std::vector<EntryChange>& changes) {
    for (const EntryChange& change : changes)
        if (change.index < target.size() && target.entry(change.index) != change.after)
            target.set(change.index, change.after);
}

void applyByColour(TargetImage& target, const std::vector<EntryChange>& changes) {
    // Each entry is judged by the colour it had before this operation, so a colour changed into
    // another changed entry's old colour is not changed twice.
    std::vector<COLORREF> original;
    for (int j = 0; j < target.size(); ++j)
        original.push_back(target.entry(j));
    for (const EntryChange& change : changes)
        for (int j = 0; j < static_cast<int>(original.size()); ++j)
            if (original[j] == change.before)
                target.set(j, change.after);
}

} // namespace

int ApplyPaletteChange(KpxHandle oldImage, KpxHandle newImage, int mode, bool currentOnly) {
    if (!g_pAnimationData || (mode != kPaletteApplyByIndex && mode != kPaletteApplyByColour))
        return 0;
    const std::vector<EntryChange> changes = changedEntries(oldImage, newImage);
    if (changes.empty())
        return 0;
    int changedFrames = 0;
    for (CObjFrame& frame : g_pAnimationData->frames) {
        const bool target = currentOnly ? frame.current != 0 : frame.selected != 0;
        if (!target || !frame.GetImage())
            continue;
        TargetImage image(frame);
        if (image.size() == 0)
            continue;
        if (mode == kPaletteApplyByIndex)
            applyByIndex(image, changes);
        else
            applyByColour(image, changes);
        changedFrames += image.changed() ? 1 : 0;
    }
    return changedFrames;
}
