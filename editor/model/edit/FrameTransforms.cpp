#include "FrameTransforms.h"

#include "Geometry.h"
#include "ImageUtilities.h"
#include "PaletteRender.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "TextRender.h"
#include "UndoHistory.h"
#include "VectorRender.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

using kfm::model::attachExplicit;
using kfm::model::explicitTransparencyOf;
using kfm::model::greyOfMask;
using kfm::model::hasTransparentIndex;
using kfm::model::kIndexFlag;
using kfm::model::kRememberedIndexFlag;
using kfm::model::kRememberedIndexMask;
using kfm::model::transparentIndex;

namespace {

// The wait cursor for the length of a re-rendering.
class WaitCursor {
public:
    WaitCursor() { shell().setWaitCursor(true); }
    ~WaitCursor() { shell().setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The new image becomes the frame's base image; the old one is released.
void replaceBaseImage(CObjFrame& f, KpxHandle image, bool takeSize) {
    if (const std::uint16_t old = f.SetImage(static_cast<std::uint16_t>(image)))
        KPXDeleteImage(static_cast<KpxHandle>(old));
    if (takeSize) {
        f.width = KPXWidth(image);
        f.height = KPXHeight(image);
    }
}

KpxHandle asTwentyFourBits(KpxHandle image) {
    return KPXColorConvert(image, 24, kKpxDitherNone, kKpxPaletteFixed, 0, nullptr, nullptr);
}

COLORREF paletteColour(KpxHandle image, int index) {
    PALETTEENTRY palette[256]{};
    const int count = GetImagePalette(static_cast<short>(image), palette);
    if (index < 0 || index >= std::max(count, 0) || index > 255)
        return 0;
    return RGB(palette[index].peRed, palette[index].peGreen, palette[index].peBlue);
}

// Runs a change of the picture with the frame's transparency level taken off and put back
// afterwards, so that the kept transparency (mask image) changes with the picture.
template <class Change> void withoutLevel(CObjFrame& f, Change change) {
    const int level = f.alphaValue;
    if (level >= 1)
        SetFrameTransparencyLevel(&f, 0);
    change();
    if (level >= 1) {
        f.alphaValue = 0;
        SetFrameTransparencyLevel(&f, level);
    }
}

// ---- Rendering of object frames from their source

// The frame's text rendered from its record; 0 when it cannot be.
KpxHandle renderTextObject(const CObjFrame& f) {
    FrameInfo info{};
    f.MakeFrameInfo(info);
    const short image = CreateTextImage(&info);
    FreeFrameParts(info, 0);
    return static_cast<KpxHandle>(image);
}

// The frame's metafile rendered at the record's size, angle and mirror; 0 when it cannot be.
KpxHandle renderVectorObject(const CObjFrame& f) {
    const VectorObjectRecord& v = f.vector;
    const RECT rect{0, 0, v.width - 1, v.height - 1};
    return static_cast<KpxHandle>(RenderMetafileImage(v.metafile.get(), rect, f.GetVectorAngle(),
                                                      v.interpolation, f.IsVectorMirrored(),
                                                      v.antialias));
}

// Changes an object frame's record by change and renders it again; a record that cannot be
// rendered is put back, so the record always matches the picture.
template <class Record, class Change, class Render>
void rerenderObject(CObjFrame& f, Record& record, Change change, Render render) {
    const WaitCursor wait;
    const Record before = record;
    change();
    const KpxHandle image = render(f);
    if (!image) {
        record = before;
        return;
    }
    replaceBaseImage(f, image, true);
}

// The object frame (text or vector) changed by change and rendered again, its transparency
// level kept.
template <class Change> void transformObject(CObjFrame& f, Change change) {
    withoutLevel(f, [&] {
        if (f.hasText)
            rerenderObject(f, f.text, change, renderTextObject);
        else
            rerenderObject(f, f.vector, change, renderVectorObject);
    });
}

// ---- Pixel rotation

struct RotatedFrame {
    int width = 0;
    int height = 0;
    double quad[4][2]{};
};

RotatedFrame rotatedFrame(int angle, int width, int height) {
    RotatedFrame r{width, height, {}};
    GetRotatedSize(static_cast<float>(angle), r.width, r.height);
    const auto corners = GetRotatedCorners(static_cast<float>(angle), width, height);
    for (std::size_t i = 0; i < corners.size(); ++i) {
        r.quad[i][0] = corners[i].x;
        r.quad[i][1] = corners[i].y;
    }
    return r;
}

// source (any depth) warped onto a new 24-bit image of the rotated size filled with colour.
KpxHandle warpOntoFilled(KpxHandle source, const RotatedFrame& r, COLORREF colour,
                         int interpolation) {
    ScopedImage flat(asTwentyFourBits(source));
    ScopedImage target(KPXCreateImage(r.width, r.height, 24));
    if (!flat.get() || !target.get())
        return 0;
    // The picture is warped as it is; its transparency is warped on its own.
    KPXSetImageTransparentEx(flat.get(), 0);
    KPXSetImageTransparent(flat.get(), nullptr, 0);
    IPLImageFillByColor(target.get(), 0, colour);
    if (!IPLWarpPerspectiveQ(flat.get(), target.get(), 0, r.quad, interpolation))
        return 0;
    return target.release();
}

// Rotation of a picture whose transparency is graded: the picture and its explicit
// transparency turn together; uncovered corners are fully transparent.
KpxHandle rotateGraded(KpxHandle image, int angle, int interpolation) {
    const KpxHandle alpha = explicitTransparencyOf(image);
    if (angle % 90 == 0) {
        if (angle % 360 == 0)
            return KPXCreateImageFrom(image, 0);
        ScopedImage turned(KPXRotateImage(image, angle, 0, nullptr));
        ScopedImage turnedAlpha(alpha ? KPXRotateImage(alpha, angle, 0, nullptr) : 0);
        if (!turned.get() || (alpha && !turnedAlpha.get()))
            return 0;
        if (turnedAlpha.get())
            KPXSetImageTransparentEx(turned.get(), turnedAlpha.release());
        return turned.release();
    }
    const RotatedFrame r = rotatedFrame(angle, KPXWidth(image), KPXHeight(image));
    ScopedImage picture(warpOntoFilled(image, r, RGB(255, 255, 255), interpolation));
    if (!picture.get())
        return 0;
    ScopedImage opaque;
    if (!alpha)
        opaque = ScopedImage(CreateSolidImage(KPXWidth(image), KPXHeight(image), 0));
    ScopedImage warpedAlpha(
        warpOntoFilled(alpha ? alpha : opaque.get(), r, RGB(255, 255, 255), interpolation));
    ScopedImage grey(CreateSolidImage(r.width, r.height, 255));
    if (!warpedAlpha.get() || !grey.get() ||
        !KPXFineColorConvert(grey.get(), warpedAlpha.get(), 0, 256, 0, 256, nullptr, 0))
        return 0;
    KPXSetImageTransparentEx(picture.get(), grey.release());
    return picture.release();
}

// A quarter turn keeps depth and colour table; the transparent index stays the index.
KpxHandle turnByQuarters(const CObjFrame& f, KpxHandle image, int angle) {
    if (angle % 360 == 0)
        return KPXCreateImageFrom(image, 0);
    const KpxHandle turned = KPXRotateImage(image, angle, 0, nullptr);
    if (!turned || KPXbpp(turned) == 24)
        return turned;
    KPXSetNewColorPaletteFrom(turned, image);
    if (hasTransparentIndex(f))
        SetImageTransparent(static_cast<short>(turned), transparentIndex(f));
    return turned;
}

// The warp of a palette or 24-bit picture onto its enlarged bounding box, brought back to 8 bits:
// a palette picture keeps its palette and its transparent index, which also fills the corners.
KpxHandle warpToEightBits(const CObjFrame& f, KpxHandle image, int angle, int interpolation) {
    const RotatedFrame r = rotatedFrame(angle, KPXWidth(image), KPXHeight(image));
    const bool paletteSource = KPXbpp(image) != 24;
    const bool indexed = paletteSource && hasTransparentIndex(f);
    const COLORREF fill = indexed ? paletteColour(image, transparentIndex(f)) : RGB(0, 0, 0);
    ScopedImage warped(warpOntoFilled(image, r, fill, interpolation));
    ScopedImage target(KPXCreateImage(r.width, r.height, 8));
    if (!warped.get() || !target.get())
        return 0;
    if (!paletteSource) {
        KPXSetNewPalette(target.get(), KPXGetFinePalette(), 256);
        KPXFineColorConvert(target.get(), warped.get(), 0, 256, 0, 0, nullptr, 0);
        return target.release();
    }
    KPXSetNewColorPaletteFrom(target.get(), image);
    if (indexed) {
        SetImageTransparent(static_cast<short>(warped.get()), static_cast<unsigned long>(fill));
        SetImageTransparent(static_cast<short>(target.get()), transparentIndex(f));
    }
    ScopedImage mask(KPXGetImageTransparentImage(warped.get()));
    if (!mask.get())
        mask = ScopedImage(KPXCreateImage(r.width, r.height, 1));
    KPXInvert(mask.get());
    KPXFineColorConvert(target.get(), warped.get(), mask.get(), 256, 0, 256, nullptr, 0);
    if (indexed)
        SetImageTransparent(static_cast<short>(target.get()), transparentIndex(f));
    return target.release();
}

// ---- Mirroring

KpxHandle mirroredCopy(KpxHandle image, int flags) {
    ScopedImage copy(KPXCreateImageFrom(image, 0));
    if (!copy.get() || !KPXFlipImage(copy.get(), flags))
        return 0;
    return copy.release();
}

// ---- Conversion of object frames

// An 8-bit picture and the index its transparent pixels hold (-1: none).
struct PlainImage {
    ScopedImage image{};
    int transparentIndex = -1;
};

// A 24-bit picture quantised to 8 bits; pixels that its explicit transparency makes fully
// transparent get the index kept free for them.
PlainImage quantisedImage(KpxHandle base, KpxHandle alpha) {
    PlainImage out{ScopedImage(KPXCreateImage(KPXWidth(base), KPXHeight(base), 8)), -1};
    if (!out.image.get())
        return out;
    ScopedImage mask;
    if (alpha) {
        mask = ScopedImage(CreateThresholdMask(alpha, 255));
        if (mask.get())
            KPXInvert(mask.get());
        SetImageTransparent(static_cast<short>(out.image.get()), 0);
    }
    KPXFineColorConvert(out.image.get(), base, mask.get(), 256, 0, 0, nullptr, 0);
    if (alpha)
        out.transparentIndex =
            std::max(GetImageTransparentIndex(static_cast<short>(out.image.get())), 0);
    return out;
}

// The index for the fully transparent pixels of a palette picture: the one the frame remembers,
// else one that no other pixel uses; -1 when every index is in use.
int freeIndexFor(const CObjFrame& f, KpxHandle image, KpxHandle transparent) {
    if (f.transparency & (kIndexFlag | kRememberedIndexMask))
        return transparentIndex(f);
    std::array<bool, 256> used{};
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const std::uint8_t* bits = KPXGetBits(image);
    const std::uint8_t* maskBits = KPXGetBits(transparent);
    const int stride = KPXGetScanBytes(image);
    const int maskStride = KPXGetScanBytes(transparent);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t bit = maskBits[static_cast<std::size_t>(y) * maskStride + x / 8];
            if (!(bit & (0x80 >> (x % 8))))
                used[bits[static_cast<std::size_t>(y) * stride + x]] = true;
        }
    const auto free = std::find(used.begin(), used.end(), false);
    return free == used.end() ? -1 : static_cast<int>(free - used.begin());
}

// A palette picture keeps its palette and pixels; its fully transparent pixels take a free
// index. An empty image when no index is free.
PlainImage paletteImageWithIndex(const CObjFrame& f, KpxHandle base, KpxHandle alpha) {
    ScopedImage transparent(CreateThresholdMask(alpha, 255));
    if (!transparent.get())
        return {};
    const int index = freeIndexFor(f, base, transparent.get());
    if (index < 0)
        return {};
    PlainImage out{ScopedImage(KPXCreateImageFrom(base, 0)), index};
    if (!out.image.get())
        return out;
    attachExplicit(out.image.get(), 0);
    KPXImageFillByColor(out.image.get(), transparent.get(), static_cast<COLORREF>(index));
    SetImageTransparent(static_cast<short>(out.image.get()), index);
    return out;
}

// An 8-bit picture in place of a 24-bit or graded one; graded transparency becomes a transparent
// index where the picture is fully transparent, whose palette entry shows the background.
bool convertToPlainImage(CObjFrame& f) {
    const auto base = static_cast<KpxHandle>(f.GetImage());
    const KpxHandle alpha = explicitTransparencyOf(base);
    PlainImage plain;
    if (alpha && KPXbpp(base) == 8)
        plain = paletteImageWithIndex(f, base, alpha);
    if (!plain.image.get())
        plain = quantisedImage(base, alpha);
    if (!plain.image.get())
        return false;
    if (plain.transparentIndex >= 0) {
        BITMAPINFO* info = KPXGetBitmapInfoHeader(plain.image.get());
        const COLORREF background = g_Settings.animBkColor;
        info->bmiColors[plain.transparentIndex] =
            RGBQUAD{GetBValue(background), GetGValue(background), GetRValue(background), 0};
        KPXFillDIBColorTable(plain.image.get());
        f.transparency = static_cast<std::uint32_t>(plain.transparentIndex) + kIndexFlag;
    }
    replaceBaseImage(f, plain.image.release(), false);
    f.PutFrameInfo(0);
    f.softAlpha = 0;
    if (f.alphaValue >= 1) {
        if (const std::uint16_t old = f.SetMaskImage(0))
            KPXDeleteImage(static_cast<KpxHandle>(old));
        const int level = f.alphaValue;
        f.alphaValue = 0;
        SetFrameTransparencyLevel(&f, level);
        f.softAlpha = 1;
    }
    return true;
}

void convertTextToImage(CObjFrame& f) {
    f.DeleteTextObject();
    f.softAlpha = 1;
    const auto base = static_cast<KpxHandle>(f.GetImage());
    const KpxHandle flat = asTwentyFourBits(base);
    if (!flat)
        return;
    if (const KpxHandle alpha = explicitTransparencyOf(base))
        attachExplicit(flat, KPXCreateImageFrom(alpha, 0));
    replaceBaseImage(f, flat, false);
    f.transparency = (f.transparency & 0xFF) + kRememberedIndexFlag;
}

void convertObjectsOf(CObjFrame& f) {
    if (f.hasText) {
        convertTextToImage(f);
        return;
    }
    if (f.hasVector) {
        f.DeleteVectorObject();
        f.softAlpha = 1;
        return;
    }
    if (f.hasControl) {
        f.DeleteControlObject();
        return;
    }
    const auto base = static_cast<KpxHandle>(f.GetImage());
    if (base && (KPXbpp(base) == 24 || explicitTransparencyOf(base)))
        convertToPlainImage(f);
}

CObjFrame* frameAtIndex(FrameList& frames, int index) {
    if (index < 0 || index >= static_cast<int>(frames.size()))
        return nullptr;
    return &*std::next(frames.begin(), index);
}

// The selected frames' copies, rendered together into one picture; 0 when nothing shows.
KpxHandle renderSelection(const FrameList& frames) {
    FrameList selection;
    for (auto it = frames.begin(); it != frames.end() && std::next(it) != frames.end(); ++it)
        if (it->selected)
            selection.push_back(*it);
    if (selection.empty())
        return 0;
    const int last = static_cast<int>(selection.size()) - 1;
    selection.emplace_back();
    return static_cast<KpxHandle>(CreateRenderedPreviewImage(&selection, last));
}

template <class Edit> int asUndoStep(int kind, Edit edit) {
    if (!g_pAnimationData)
        return 0;
    CUndoHistory& history = TheUndoHistory();
    history.BeginStep(kind);
    edit();
    return history.EndStep(0);
}

// ---- Conversion to 8 bits

// The transparency a picture carries, as an 8-bit grey image (255 transparent): a copy of its
// explicit transparency, else its colour-key mask; 0 when it is opaque.
KpxHandle transparencyAsGrey(KpxHandle image) {
    if (const KpxHandle explicitAlpha = explicitTransparencyOf(image))
        return KPXCreateImageFrom(explicitAlpha, 0);
    int count = 0;
    KPXGetImageTransparentData(image, &count);
    if (count <= 0)
        return 0;
    const ScopedImage mask(KPXGetImageTransparentImage(image));
    return mask.get() ? greyOfMask(mask.get()) : 0;
}

// An 8-bit copy of a picture of another depth: its colours quantised to 256 entries, its
// transparency kept as the copy's explicit transparency. 0 when it cannot be made.
KpxHandle eightBitCopy(KpxHandle image) {
    const ScopedImage flat(KPXbpp(image) == 24 ? 0 : asTwentyFourBits(image));
    const KpxHandle colours = flat.get() ? flat.get() : image;
    ScopedImage out(KPXCreateImage(KPXWidth(image), KPXHeight(image), 8));
    if (!out.get() || !KPXFineColorConvert(out.get(), colours, 0, 256, 0, 0, nullptr, 0))
        return 0;
    if (const KpxHandle alpha = transparencyAsGrey(image))
        attachExplicit(out.get(), alpha);
    return out.release();
}

} // namespace

int GetFrameObjectKind(const CObjFrame* frame) {
    if (!frame)
        return kFrameKindNone;
    if (frame->hasText)
        return kFrameKindText;
    if (frame->hasVector)
        return kFrameKindVector;
    if (frame->hasControl)
        return kFrameKindControl;
    const auto base = static_cast<KpxHandle>(frame->GetImage());
    if (base && KPXbpp(base) == 24)
        return kFrameKindImage24;
    if (base && KPXbpp(base) == 8 && frame->softAlpha)
        return kFrameKindSoftAlpha8;
    return frame->width >= 1 ? kFrameKindImage : kFrameKindNone;
}

short RotateFrameImage(CObjFrame* frame, short image, int angle, int interpolation) {
    const auto source = static_cast<KpxHandle>(image);
    if (!frame || !source)
        return 0;
    if (angle % 90 == 0)
        return static_cast<short>(turnByQuarters(*frame, source, angle));
    return static_cast<short>(warpToEightBits(*frame, source, angle, interpolation));
}

void RotateFrame(CObjFrame* frame, short image, int angle, int interpolation) {
    if (!frame)
        return;
    CObjFrame& f = *frame;
    if (f.hasText) {
        transformObject(f, [&] {
            f.SetTextAngle(angle);
            f.text.interpolation = interpolation;
        });
        return;
    }
    if (f.hasVector) {
        transformObject(f, [&] {
            f.SetVectorAngle(angle);
            f.vector.interpolation = interpolation;
        });
        return;
    }
    // The base image given as source is read after the level is off (the base is then a new
    // image); a source of the caller's own is read as it is.
    const bool fromBase = image == 0 || static_cast<std::uint16_t>(image) == f.GetImage();
    if (!f.GetImage() && fromBase)
        return;
    withoutLevel(f, [&] {
        const auto picture = static_cast<KpxHandle>(fromBase ? f.GetImage() : image);
        const bool graded = f.softAlpha || explicitTransparencyOf(picture);
        const KpxHandle rotated =
            graded ? rotateGraded(picture, angle, interpolation)
                   : static_cast<KpxHandle>(
                         RotateFrameImage(&f, static_cast<short>(picture), angle, interpolation));
        if (rotated)
            replaceBaseImage(f, rotated, true);
    });
}

void FlipFrame(CObjFrame* frame, int flags) {
    if (!frame || (flags & 3) == 0)
        return;
    CObjFrame& f = *frame;
    if (f.hasText) {
        transformObject(f, [&] { f.FlipTextObject(flags); });
        return;
    }
    if (f.hasVector) {
        transformObject(f, [&] { f.FlipVectorObject(flags); });
        return;
    }
    if (!f.GetImage())
        return;
    withoutLevel(f, [&] {
        if (const KpxHandle mirrored =
                mirroredCopy(static_cast<KpxHandle>(f.GetImage()), flags & 3))
            replaceBaseImage(f, mirrored, false);
    });
}

void SetFramesTransparencyLevel(const int* indexes, int percent) {
    if (!indexes || !g_pAnimationData)
        return;
    FrameList& frames = g_pAnimationData->frames;
    const int count = g_pAnimationData->RealFrameCount();
    for (const int* index = indexes; *index != -1 && *index != count; ++index)
        if (*index >= 0 && *index < count)
            SetFrameTransparencyLevel(frameAtIndex(frames, *index), percent);
}

void ConvertFrameTo8Bit(CObjFrame* frame, int alpha) {
    if (!frame || !frame->GetImage())
        return;
    CObjFrame& f = *frame;
    if (KPXbpp(static_cast<KpxHandle>(f.GetImage())) != 8)
        withoutLevel(f, [&f] {
            if (const KpxHandle eight = eightBitCopy(static_cast<KpxHandle>(f.GetImage())))
                replaceBaseImage(f, eight, false);
        });
    if (alpha != f.alphaValue)
        SetFrameTransparencyLevel(&f, alpha);
}

void ConvertSelFramesTo8Bit(FrameList* frames, std::span<const int> selected, int alpha) {
    if (!frames)
        return;
    const int count = static_cast<int>(frames->size()) - 1;
    for (const int index : selected) {
        if (index < 0 || index >= count)
            break;
        ConvertFrameTo8Bit(frameAtIndex(*frames, index), alpha);
    }
}

void ConvertObjectsToImages(FrameList* frames) {
    if (!frames)
        return;
    for (auto it = frames->begin(); it != frames->end() && std::next(it) != frames->end(); ++it)
        if (it->selected)
            convertObjectsOf(*it);
}

int MergeSelectedFrames(FrameList* frames) {
    if (!frames || !g_pAnimationData)
        return 0;
    ScopedImage merged(renderSelection(*frames));
    if (!merged.get())
        return 0;
    CUndoHistory& history = TheUndoHistory();
    history.BeginStep(kUndoKindMergeFrames);
    const int selectedCount = GetSelFramesCount();
    const int position = std::max(GetLastSelFrameIndex() + 1 - selectedCount, 0);
    if (!DeleteSelFrames()) {
        history.EndStep(0);
        return 0;
    }
    FrameInfo info{};
    KPXGetImageFramesInfo(merged.get(), &info);
    const int width = KPXWidth(merged.get());
    const int height = KPXHeight(merged.get());
    for (CObjFrame& f : *frames)
        f.selected = f.current = 0;
    const auto at =
        std::next(frames->begin(), std::min(position, static_cast<int>(frames->size()) - 1));
    auto inserted = frames->emplace(at, static_cast<std::uint16_t>(merged.release()), width, height,
                                    info.left, info.top, info.delay, info.disposal,
                                    info.transparency, info.name, info.comment, info.textObject,
                                    info.controlObject, info.vectorObject, info.npImageObject, 0);
    FreeFrameParts(info, 0);
    inserted->selected = 1;
    inserted->current = 1;
    inserted->PutFrameInfo(0);
    if (frames == &g_pAnimationData->frames)
        g_pAnimationData->UpdateFrameCount();
    history.EndStep(0);
    return 1;
}

int RotateCurrentFrameStep(int angle, int interpolation) {
    return asUndoStep(kUndoKindRotate, [&] {
        if (CObjFrame* f = GetCurrentFrame())
            RotateFrame(f, static_cast<short>(f->GetImage()), angle, interpolation);
    });
}

int MirrorCurrentFrameStep(int flags) {
    const int kind = flags == 2 ? kUndoKindMirrorVertically : kUndoKindMirrorHorizontally;
    return asUndoStep(kind, [&] {
        if (CObjFrame* f = GetCurrentFrame())
            FlipFrame(f, flags);
    });
}

int ConvertObjectsToImagesStep() {
    return asUndoStep(kUndoKindObjectsToImages,
                      [] { ConvertObjectsToImages(&g_pAnimationData->frames); });
}

int SetSelectedFramesTransparencyLevelStep(int percent) {
    return asUndoStep(kUndoKindAlpha, [&] {
        std::vector<int> indexes = GetSelFramesArray();
        if (indexes.empty() || indexes.back() != -1)
            indexes.push_back(-1);
        SetFramesTransparencyLevel(indexes.data(), percent);
    });
}
