#include "FrameChainBuild.h"

#include "Bitra5.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ShellServices.h"

#include <set>

namespace {

std::uint16_t chosenImage(const CObjFrame& f, int useDisplayImage) {
    return useDisplayImage ? f.GetDisplayImage() : f.GetImage();
}

// Gives the frame a copy of its own in place of the chosen image, which it shares with a frame
// already in the chain (copies of a frame hold references to one image, and one image can be
// only one frame of a chain). The chosen image, or 0 when no copy could be made.
KpxHandle ownChosenImage(CObjFrame& f, int useDisplayImage) {
    const auto shared = static_cast<KpxHandle>(chosenImage(f, useDisplayImage));
    const KpxHandle copy = KPXCreateImageFrom(shared, 0);
    if (!copy)
        return 0;
    const auto handle = static_cast<std::uint16_t>(copy);
    if (f.GetRenderedImage() == shared)
        f.SetRenderedImage(handle);
    else
        f.SetImage(handle);
    KPXDeleteImage(shared);
    return copy;
}

// Progress of the build: begin on construction when shown, end on every way out.
class BuildProgress {
public:
    BuildProgress(bool show, int total) : show_(show) {
        if (!show_)
            return;
        shell().setWaitCursor(true);
        ProgressBegin(kfm5res::IDS_CAPTION_BUILDING_FRAMES, total);
    }
    ~BuildProgress() {
        if (!show_)
            return;
        ProgressEnd();
        shell().setWaitCursor(false);
    }
    BuildProgress(const BuildProgress&) = delete;
    BuildProgress& operator=(const BuildProgress&) = delete;

private:
    bool show_;
};

// Appends the frame's chosen image to the chain headed by head; true also for a frame without an
// image, which has no place in the chain.
bool appendToChain(CObjFrame& f, KpxHandle head, int useDisplayImage,
                   std::set<KpxHandle>& chained) {
    auto image = static_cast<KpxHandle>(chosenImage(f, useDisplayImage));
    if (!image)
        return true;
    if (chained.count(image) && !(image = ownChosenImage(f, useDisplayImage)))
        return false;
    f.PutFrameInfo(useDisplayImage);
    if (!KPXAddImageFrame(head, image, -1))
        return false;
    chained.insert(image);
    return true;
}

} // namespace

int BuildFramesImage(FrameList& list, int useDisplayImage, int showProgress) {
    BuildProgress progress(showProgress != 0, static_cast<int>(list.size()));
    if (list.size() <= 1)
        return 1;
    CObjFrame& first = list.front();
    first.PutFrameInfo(0);
    const auto head = static_cast<KpxHandle>(chosenImage(first, useDisplayImage));
    if (!head)
        return 0;
    const CAnimationData& a = *g_pAnimationData;
    AnimateInfo info{};
    info.screenWidth = a.AnimationWidth;
    info.screenHeight = a.AnimationHeight;
    info.frameCount = a.frameCount;
    info.loopCount = a.loopCount;
    info.comment = const_cast<char*>(a.comment.c_str());
    KPXSetAnimateInfo(head, &info);
    std::set<KpxHandle> chained{head};
    int index = 0;
    for (auto it = std::next(list.begin()); it != list.end(); ++it, ++index) {
        // A frame left out would shift the others' timing: no chain rather than one short.
        if (!appendToChain(*it, head, useDisplayImage, chained)) {
            SplitFramesImage(list, useDisplayImage);
            return 0;
        }
        if (showProgress && IsEscapePressed(0, index, nullptr)) {
            SplitFramesImage(list, useDisplayImage);
            return 2;
        }
    }
    return 1;
}

int SplitFramesImage(FrameList& list, int useDisplayImage) {
    if (list.empty())
        return 0;
    KPXSplitAllImageFrame(static_cast<KpxHandle>(chosenImage(list.front(), useDisplayImage)));
    return 1;
}

void DeleteRenderedImages(FrameList& list) {
    for (CObjFrame& f : list)
        if (const std::uint16_t rendered = f.SetRenderedImage(0))
            KPXDeleteImage(static_cast<KpxHandle>(rendered));
}

void PutAllFramesInfo(int useRendered) {
    for (CObjFrame& f : g_pAnimationData->frames)
        f.PutFrameInfo(useRendered);
}

void ClearNPImageObjects(FrameList& list) {
    for (CObjFrame& f : list) {
        if (!f.hasNPImage)
            continue;
        f.DeleteNPImageObject();
        f.PutFrameInfo(0);
    }
}
