#include "Optimizer.h"

#include <QTemporaryDir>

#include <array>
#include <filesystem>
#include <iterator>

#include "AnimationAreaCrop.h"
#include "Bitra5.h"
#include "FrameChainBuild.h"
#include "FrameTransforms.h"
#include "GIFAnimDoc.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ShellServices.h"

namespace {

constexpr int kNoPalette = -1;
constexpr int kGifDisposalNone = 1;
constexpr int kGifDisposalBackground = 2;

int paletteMode(const OptimizeOptions& options) {
    return options.word[kOptionPaletteMode] & 0xFF;
}

// The kind of common palette CalculateGlobalPalette builds for a palette mode; -1 for none.
int paletteKind(int mode) {
    if (mode >= 0 && mode <= 6)
        return 0;
    if (mode == 7 || mode == 11)
        return 1;
    return mode == 10 ? 2 : kNoPalette;
}

bool convertsFrames(int mode) {
    return (mode >= 0 && mode <= 7) || mode == 10;
}

bool isNotPlaceholder(const FrameList& list, FrameList::const_iterator it) {
    return it != list.end() && std::next(it) != list.end();
}

bool hasSpecialInformation(const CObjFrame& f) {
    return f.GetImage() && (f.hasText || f.hasVector || f.softAlpha || f.hasControl ||
                            f.alphaValue > 0 || f.hasNPImage);
}

// What one run of the optimiser shares between its steps.
struct OptimizerRun {
    explicit OptimizerRun(OptimizeOptions o) : options(o), mode(paletteMode(o)) {
        // Modes without a common palette still render onto a valid one.
        const PALETTEENTRY* fine = KPXGetFinePalette();
        std::copy(fine, fine + palette.size(), palette.begin());
    }

    OptimizeOptions options;
    int mode;
    std::array<PALETTEENTRY, 256> palette{};
    int paletteResult = kNoPalette;
    int transparentIndex = 0;
    int renderedCount = 0;
    int provisional = 0;
};

// Renders the object frames once so that the common palette sees what they show; 2 when
// cancelled.
int renderObjectFramesForPalette(FrameList& list) {
    int result = 0;
    {
        const ShownProgress progress(kfm5res::IDS_CAPTION_RENDERING, CountObjectFrames(-1));
        result = RenderImagesFromFrames(&list, IsEscapePressed, nullptr);
    }
    if (result == kOptimizeCancelled)
        DeleteRenderedImages(list);
    return result;
}

void removeNames(CObjFrame& f, const OptimizeOptions& options) {
    if (options.word[kOptionRemoveComments] && !f.name.empty())
        f.name.clear();
    if (options.word[kOptionRemoveTitles] && !f.comment.empty())
        f.comment.clear();
}

// Draws frame `index` over the state of the frames before it and quantises it to the run's
// palette; the chain must be built.
ScopedImage renderFrame(FrameList& list, CObjFrame& f, int index, OptimizerRun& run) {
    return ScopedImage(CreateRenderedImage(list.front().GetImage(), &f, index - 1,
                                           run.palette.data(), run.mode,
                                           run.options.word[kOptionNumColors],
                                           run.options.word[kOptionDither], &run.transparentIndex));
}

void dropAlpha(CObjFrame& f) {
    f.alphaValue = 0;
    f.softAlpha = 0;
}

void markTransparentIndex(CObjFrame& f, int index) {
    f.transparency = kKpxTransparencyIndexFlag + static_cast<std::uint32_t>(index & 0xFF);
}

// Turns the frame's objects into its picture while the chain is built; the rendered image, or
// none when the frame keeps its base image.
ScopedImage flattenObjects(FrameList& list, CObjFrame& f, int index, OptimizerRun& run) {
    const int kind = GetFrameObjectKind(&f);
    const auto base = static_cast<KpxHandle>(f.GetImage());
    ScopedImage rendered;
    if (KPXbpp(base) == 24 && !f.hasVector) {
        // A text source on a 24-bit frame stays: it is quantised, not flattened.
        rendered = renderFrame(list, f, index, run);
        dropAlpha(f);
    } else if (f.hasText) {
        rendered = renderFrame(list, f, index, run);
        f.DeleteTextObject();
        dropAlpha(f);
        markTransparentIndex(f, run.transparentIndex);
    } else if (f.hasVector) {
        rendered = renderFrame(list, f, index, run);
        f.DeleteVectorObject();
        dropAlpha(f);
        markTransparentIndex(f, run.transparentIndex);
    } else if (f.hasControl) {
        // The captured control picture that is its base image stays.
        f.DeleteControlObject();
    }
    if (kind == kFrameKindSoftAlpha8) {
        rendered = renderFrame(list, f, index, run);
        dropAlpha(f);
    }
    return rendered;
}

void takeRenderedAsBase(CObjFrame& f, ScopedImage rendered) {
    f.optimised = 1;
    if (const std::uint16_t old = f.SetImage(static_cast<std::uint16_t>(rendered.release())))
        KPXDeleteImage(old);
}

// Step through every frame: names, titles and the flattening of object frames; 2 when
// cancelled.
int flattenFrames(FrameList& list, OptimizerRun& run) {
    const OptimizeOptions& options = run.options;
    const ShownProgress progress(kfm5res::IDS_CAPTION_GLOBAL_PALETTE, CountObjectFrames(-1));
    int index = 0;
    for (auto it = list.begin(); it != list.end(); ++it, ++index) {
        CObjFrame& f = *it;
        removeNames(f, options);
        if (!options.word[kOptionRemoveSpecialInfo] || !hasSpecialInformation(f))
            continue;
        if (BuildFramesImage(list, 0, 0) != 1)
            continue;
        ScopedImage rendered = flattenObjects(list, f, index, run);
        SplitFramesImage(list, 0);
        f.optimised = 0;
        if (!rendered.get())
            continue;
        takeRenderedAsBase(f, std::move(rendered));
        if (IsEscapePressed(0, ++run.renderedCount, nullptr))
            return kOptimizeCancelled;
    }
    return 0;
}

int convertToCommonPalette(OptimizerRun& run, int plainFrames) {
    return OptimizeToGlobalPalette256Ex(run.palette.data(), run.options, run.paletteResult,
                                        plainFrames);
}

// ---- The difference method

void composeFrame(KpxHandle canvas, KpxHandle chain, int n, int width, int height) {
    KPXStretchBltFrame(canvas, 0, 0, width, height, chain, n, 0, 0, 0, 0, 0, 0, 0,
                       g_Settings.animBkColor, 0);
}

ScopedImage copyOf(KpxHandle image) {
    return ScopedImage(KPXCreateImageFrom(image, 0));
}

// Puts the full-canvas frame information of frame f on image: the animation's size at 0,0,
// disposal 1, the given transparent index (-1 none), f's delay and strings, no objects.
void putFullCanvasInfo(KpxHandle image, const CObjFrame& f, int transparentIndex) {
    const CAnimationData& a = *g_pAnimationData;
    FrameInfo info{};
    info.width = a.AnimationWidth;
    info.height = a.AnimationHeight;
    info.delay = f.delay;
    info.disposal = kGifDisposalNone;
    info.transparency = transparentIndex > -1 ? kKpxTransparencyIndexFlag +
                                                    static_cast<std::uint32_t>(transparentIndex)
                                              : 0;
    info.name = const_cast<char*>(f.name.c_str());
    info.comment = const_cast<char*>(f.comment.c_str());
    info.keepTransparency = 1;
    KPXSetImageFramesInfo(image, &info);
}

void setRendered(CObjFrame& f, ScopedImage image) {
    if (const std::uint16_t old = f.SetRenderedImage(static_cast<std::uint16_t>(image.release())))
        KPXDeleteImage(old);
}

// Every frame takes its rendered image as its base image and its place from that image.
void takeRenderedImages(FrameList& list) {
    for (CObjFrame& f : list) {
        const std::uint16_t rendered = f.GetRenderedImage();
        if (!rendered)
            continue;
        f.SetRenderedImage(0);
        if (const std::uint16_t old = f.SetImage(rendered))
            KPXDeleteImage(old);
        f.UpdateFromImageInfo();
        f.softAlpha = 0;
    }
}

bool usesIndexZero(KpxHandle image) {
    KpxIndexHistogramEntry histogram[256] = {};
    int useTransparency = 0;
    return KPXGenerateHistogramIndexImage(image, histogram, &useTransparency) > 0 &&
           histogram[0].count > 0;
}

// The first frame takes palette entry 0 of the second, so that the two tables agree; only when
// no pixel of the first frame shows that entry, since it would change colour otherwise.
void alignFirstPaletteEntry(FrameList& list) {
    if (list.size() < 2)
        return;
    const auto first = static_cast<KpxHandle>(list.front().GetImage());
    const auto second = static_cast<KpxHandle>(std::next(list.begin())->GetImage());
    if (!first || !second || usesIndexZero(first))
        return;
    KPXSetColorToPalette(first, 0, KPXGetColorFromPalette(second, 0));
    KPXFillDIBColorTable(first);
}

// ---- Cropping to the visible pixels

bool isOptimalRectCandidate(const CObjFrame& f, int fromSecondFrame) {
    const auto image = static_cast<KpxHandle>(f.GetImage());
    // A frame restored to the background clears its whole rectangle when it goes: cropping its
    // transparent border, or dropping it when it is wholly transparent, would leave what lies
    // there on the screen.
    return image && (fromSecondFrame || f.selected) && !f.hasText && !f.hasVector &&
           f.disposal != kGifDisposalBackground && KPXIsImageTransparent(image) &&
           (f.transparency & kKpxTransparencyIndexFlag);
}

void cropToRect(CObjFrame& f, const RECT& r) {
    const auto image = static_cast<KpxHandle>(f.GetImage());
    if (r.right - r.left >= KPXWidth(image) - 1 && r.bottom - r.top >= KPXHeight(image) - 1)
        return;
    const KpxHandle cropped = KPXCropImageEx(image, r.left, r.top, r.right, r.bottom, 1);
    if (!cropped)
        return;
    KPXDeleteImage(f.SetImage(static_cast<std::uint16_t>(cropped)));
    f.left += r.left;
    f.top += r.top;
    f.width = r.right - r.left + 1;
    f.height = r.bottom - r.top + 1;
}

void selectAfterMerge(int index) {
    if (index == g_pAnimationData->frameCount)
        --index;
    DeselectAllFrames();
    SelectFrame(index);
    SetCurrentFrame(index);
}

} // namespace

int OptimizeAnimation(OptimizeOptions options) {
    if (!g_pAnimationData)
        return 0;
    CAnimationData& a = *g_pAnimationData;
    FrameList& list = a.frames;
    OptimizerRun run(options);

    CropFramesToAnimation();
    run.provisional = renderObjectFramesForPalette(list);
    if (run.provisional == kOptimizeCancelled)
        return kOptimizeCancelled;
    if (const int kind = paletteKind(run.mode); kind != kNoPalette)
        run.paletteResult = CalculateGlobalPalette(run.palette.data(), kind, options);
    DeleteRenderedImages(list);

    const int plainFrames = a.RealFrameCount() - CountObjectFrames(-1);
    if (flattenFrames(list, run) == kOptimizeCancelled)
        return kOptimizeCancelled;
    if (options.word[kOptionRemoveComments])
        a.comment.clear();

    if (options.word[kOptionDifferenceMethod]) {
        if (convertsFrames(run.mode)) {
            run.provisional = convertToCommonPalette(run, plainFrames);
            if (run.provisional == kOptimizeCancelled)
                return kOptimizeCancelled;
        }
        if (RemoveRedundantPixels() == kOptimizeCancelled)
            return kOptimizeCancelled;
        CropFramesToOptimalRect(1);
        return run.provisional;
    }
    if (options.word[kOptionRedundantPixels])
        CropFramesToOptimalRect(1);
    return convertsFrames(run.mode) ? convertToCommonPalette(run, plainFrames) : run.provisional;
}

int RemoveRedundantPixels() {
    if (!g_pAnimationData)
        return 0;
    CAnimationData& a = *g_pAnimationData;
    FrameList& list = a.frames;
    const int built = BuildFramesImage(list, 0, 1);
    if (built != 1)
        return built == kOptimizeCancelled ? kOptimizeCancelled : 0;
    const int width = a.AnimationWidth;
    const int height = a.AnimationHeight;
    const auto head = static_cast<KpxHandle>(list.front().GetImage());
    ScopedImage canvas(KPXCreateImage(width, height, 8));
    if (!canvas.get()) {
        SplitFramesImage(list, 0);
        return 0;
    }
    const ShownProgress progress(kfm5res::IDS_CAPTION_DIFFERENCE, a.RealFrameCount());
    KPXSetNewColorPaletteFrom(canvas.get(), head);
    KPXFillImageByRGBColor2(canvas.get(), g_Settings.animBkColor, 0, 0, width - 1, height - 1);

    // Frames without a picture have no place in the chain: the chain index counts the others.
    int n = 0;
    for (auto it = list.begin(); isNotPlaceholder(list, it); ++it) {
        CObjFrame& f = *it;
        if (!f.GetImage())
            continue;
        if (n == 0) {
            composeFrame(canvas.get(), head, 0, width, height);
            ScopedImage first = copyOf(canvas.get());
            putFullCanvasInfo(first.get(), f, -1);
            setRendered(f, std::move(first));
            ++n;
            continue;
        }
        const ScopedImage before = copyOf(canvas.get());
        ScopedImage work = copyOf(canvas.get());
        composeFrame(work.get(), head, n, width, height);
        canvas = copyOf(work.get());
        const int unique = KPXCompareImagesAndFillByUniqueColor(work.get(), before.get(), 0, 0);
        if (unique > -1)
            SetImageTransparent(work.get(), unique);
        putFullCanvasInfo(work.get(), f, unique);
        setRendered(f, std::move(work));
        ++n;
        if (IsEscapePressed(0, n, nullptr)) {
            SplitFramesImage(list, 0);
            DeleteRenderedImages(list);
            return kOptimizeCancelled;
        }
    }
    canvas = ScopedImage();
    SplitFramesImage(list, 0);
    takeRenderedImages(list);
    alignFirstPaletteEntry(list);
    return 1;
}

void CropFramesToOptimalRect(int fromSecondFrame) {
    if (!g_pAnimationData)
        return;
    CAnimationData& a = *g_pAnimationData;
    FrameList& list = a.frames;
    int toSelect = -1;
    int index = fromSecondFrame ? 1 : 0;
    auto it = list.begin();
    if (index >= static_cast<int>(list.size()))
        it = list.end();
    else
        std::advance(it, index);
    while (it != list.end()) {
        CObjFrame& f = *it;
        if (!isOptimalRectCandidate(f, fromSecondFrame)) {
            ++it;
            ++index;
            continue;
        }
        RECT r{};
        const int transparentIndex = static_cast<int>(f.transparency & 0xFF);
        const bool whollyTransparent =
            KPXGetOptimalRect(&r, static_cast<KpxHandle>(f.GetImage()), transparentIndex) == 1;
        if (!whollyTransparent) {
            cropToRect(f, r);
        } else if (it != list.begin() && std::prev(it)->disposal == kGifDisposalNone) {
            std::prev(it)->delay += f.delay;
            if (f.selected && toSelect < 0)
                toSelect = index;
            it = list.erase(it);
            continue;
        }
        ++it;
        ++index;
    }
    a.UpdateFrameCount();
    if (toSelect >= 0)
        selectAfterMerge(toSelect);
}

int GetFileSizeOnDisk(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        return 0;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<int>(static_cast<std::uint32_t>(size));
}

unsigned int MeasureSavedFileSize(CGIFAnimDoc& document, short image) {
    if (!image)
        return 0;
    // The folder and everything in it go when it goes out of scope.
    const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kfmXXXXXX"));
    if (!folder.isValid())
        return 0;
    const std::string path = folder.filePath(QStringLiteral("kfm.gif")).toStdString();
    if (document.OnSaveDocument(path.c_str()) != 1)
        return 0;
    return static_cast<unsigned int>(GetFileSizeOnDisk(path));
}
