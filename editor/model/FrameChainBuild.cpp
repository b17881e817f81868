#include "FrameChainBuild.h"

#include "FrameChain.h"
#include "ImageCreation.h"
#include "ProgramState.h"
#include "ShellServices.h"

namespace {

constexpr UINT kCaptionBuildingFrames = 10880;

std::uint16_t chosenImage(const CObjFrame& f, int useDisplayImage) {
    return useDisplayImage ? f.GetDisplayImage() : f.GetImage();
}

// Progress of the build: begin on construction when shown, end on every way out.
class BuildProgress {
public:
    BuildProgress(bool show, int total) : show_(show) {
        if (!show_)
            return;
        shell().setWaitCursor(true);
        ProgressBegin(kCaptionBuildingFrames, total);
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
    int index = 0;
    for (auto it = std::next(list.begin()); it != list.end(); ++it, ++index) {
        const auto image = static_cast<KpxHandle>(chosenImage(*it, useDisplayImage));
        if (image) {
            it->PutFrameInfo(useDisplayImage);
            KPXAddImageFrame(head, image, -1);
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
