#include "FrameObject.h"

#include "Bitra5.h"
#include "Geometry.h"
#include "ObjectRecordCompare.h"
#include "PackedRows.h"

#include <cstdlib>
#include <cstring>

namespace {

std::int32_t frameIdCounter = 0;

// Texts of a FrameInfo live in malloc memory, as the library hands them out.
char* heapCopy(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// An image of fewer than 8 bits per pixel as a new 8-bit image on its own palette.
std::uint16_t copyAsEightBit(KpxHandle source) {
    const int width = KPXWidth(source);
    const int height = KPXHeight(source);
    const int bpp = KPXbpp(source);
    const KpxHandle target = KPXCreateImage(width, height, 8);
    if (!target)
        return 0;
    const BITMAPINFO* sourceInfo = KPXGetBitmapInfoHeader(source);
    BITMAPINFO* targetInfo = KPXGetBitmapInfoHeader(target);
    const std::uint8_t* in = KPXGetBits(source);
    std::uint8_t* out = KPXGetBits(target);
    const int inRow = KPXGetScanBytes(source);
    const int outRow = KPXGetScanBytes(target);
    const int colors = bpp == 1 ? 2 : 16;
    for (int i = 0; i < 256; ++i)
        targetInfo->bmiColors[i] = i < colors ? sourceInfo->bmiColors[i] : RGBQUAD{0, 0, 0, 0};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = in + static_cast<std::size_t>(y) * inRow;
        std::uint8_t* dst = out + static_cast<std::size_t>(y) * outRow;
        kpx::unpackRow(src, bpp, std::span(dst, static_cast<std::size_t>(width)));
    }
    KPXFillDIBColorTable(target);
    return static_cast<std::uint16_t>(target);
}

void deleteImage(std::uint16_t& handle) {
    if (handle)
        KPXDeleteImage(static_cast<KpxHandle>(handle));
    handle = 0;
}

TextObjectRecord freshTextRecord() {
    return TextObjectRecord{};
}

} // namespace

std::int32_t CObjFrame::NormalizeDisposal(std::int32_t d) {
    if (d == 0)
        return 1;
    if (d == 4)
        return 3;
    return d;
}

CObjFrame::CObjFrame() : id_(frameIdCounter++) {}

void CObjFrame::TakeNewId() {
    id_ = frameIdCounter++;
}

CObjFrame::CObjFrame(std::uint16_t image, int w, int h, int l, int t, int d, int disp,
                     std::uint32_t transp, const char* n, const char* c,
                     const TextObjectRecord* textRecord, const ControlObjectRecord* controlRecord,
                     const VectorObjectRecord* vectorRecord, const NPImageObjectRecord* npRecord,
                     int soft)
    : width(w), height(h), left(l), top(t), delay(d), disposal(NormalizeDisposal(disp)),
      transparency(transp), name(n ? n : ""), comment(c ? c : ""), softAlpha(soft),
      id_(frameIdCounter++), image_(image) {
    if (textRecord) {
        hasText = 1;
        SetTextObject(*textRecord);
    }
    if (controlRecord) {
        hasControl = 1;
        SetControlObject(*controlRecord);
    }
    if (vectorRecord) {
        hasVector = 1;
        SetVectorObject(*vectorRecord);
    }
    if (npRecord) {
        hasNPImage = 1;
        SetNPImageObject(*npRecord);
    }
}

CObjFrame::CObjFrame(const CObjFrame& other) : id_(other.id_) {
    copyFrom(other);
}

CObjFrame& CObjFrame::operator=(const CObjFrame& other) {
    if (this == &other)
        return *this;
    FreeContents();
    copyFrom(other);
    return *this;
}

CObjFrame::~CObjFrame() {
    FreeContents();
}

void CObjFrame::FreeContents() {
    deleteImage(image_);
    deleteImage(renderedImage_);
    deleteImage(maskImage_);
    DeleteTextObject();
    DeleteVectorObject();
    DeleteControlObject();
    DeleteNPImageObject();
}

void CObjFrame::copyFrom(const CObjFrame& other) {
    id_ = other.id_;
    image_ = 0;
    if (other.image_) {
        const KpxHandle source = static_cast<KpxHandle>(other.image_);
        image_ = KPXbpp(source) < 8 ? copyAsEightBit(source)
                                    : static_cast<std::uint16_t>(KPXCreateImageFrom(source, 1));
    }
    // The rendered image is shared with its own reference, so deleting either frame never
    // releases an image that the other still shows.
    renderedImage_ = other.renderedImage_ ? static_cast<std::uint16_t>(KPXCreateImageFrom(
                                                static_cast<KpxHandle>(other.renderedImage_), 1))
                                          : 0;
    width = other.width;
    height = other.height;
    left = other.left;
    top = other.top;
    delay = other.delay;
    disposal = NormalizeDisposal(other.disposal);
    transparency = other.transparency;
    name = other.name;
    comment = other.comment;
    hasText = other.hasText;
    text = other.hasText ? other.text : freshTextRecord();
    hasControl = other.hasControl;
    control = other.hasControl ? other.control : ControlObjectRecord{};
    hasVector = other.hasVector;
    vector = other.hasVector ? other.vector : VectorObjectRecord{};
    hasNPImage = other.hasNPImage;
    npImage = other.hasNPImage ? other.npImage : NPImageObjectRecord{};
    softAlpha = other.softAlpha;
    alphaValue = other.alphaValue;
    objectsAsRead = other.objectsAsRead;
    maskImage_ = other.maskImage_ ? static_cast<std::uint16_t>(KPXCreateImageFrom(
                                        static_cast<KpxHandle>(other.maskImage_), 0))
                                  : 0;
    if (image_) {
        FrameInfo info = infoFromFrame();
        KPXSetImageFramesInfo(static_cast<KpxHandle>(image_), &info);
    }
    selected = other.selected;
    current = other.current;
    reserved1 = other.reserved1;
    reserved2 = other.reserved2;
    marked = other.marked;
    optimised = other.optimised;
}

std::uint16_t CObjFrame::SetImage(std::uint16_t image) {
    const std::uint16_t old = image_;
    image_ = image;
    return old;
}

std::uint16_t CObjFrame::SetRenderedImage(std::uint16_t image) {
    const std::uint16_t old = renderedImage_;
    renderedImage_ = image;
    return old;
}

std::uint16_t CObjFrame::SetMaskImage(std::uint16_t image) {
    const std::uint16_t old = maskImage_;
    maskImage_ = image;
    return old;
}

std::uint16_t CObjFrame::GetDisplayImage() const {
    const bool objects = hasText || hasControl || hasVector || softAlpha || hasNPImage;
    if (!objects)
        return image_;
    return renderedImage_ ? renderedImage_ : image_;
}

void CObjFrame::SetTextObject(const TextObjectRecord& record) {
    const auto reserved = text.reserved;
    text = record;
    text.reserved = reserved; // the reserved bytes are not copied
    if (!text.text)
        text.text = std::string();
}

void CObjFrame::GetTextObject(TextObjectRecord& out) const {
    out = text;
}

void CObjFrame::DeleteTextObject() {
    hasText = 0;
    text.text.reset();
}

void CObjFrame::SetTextAngle(int degrees) {
    SetRotationMatrix(degrees, text.matrix[0], text.matrix[1], text.matrix[2], text.matrix[3]);
}

int CObjFrame::GetTextAngle() const {
    return GetRotationAngle(text.matrix[0], text.matrix[1], text.matrix[2], text.matrix[3]);
}

void CObjFrame::FlipTextObject(int flags) {
    FlipSigns(flags, text.matrix[0], text.matrix[3]);
}

void CObjFrame::SetControlObject(const ControlObjectRecord& record) {
    control = record;
}
void CObjFrame::GetControlObject(ControlObjectRecord& out) const {
    out = control;
}

void CObjFrame::DeleteControlObject() {
    hasControl = 0;
    control.text.reset();
    control.caption.reset();
}

void CObjFrame::SetVectorObject(const VectorObjectRecord& record) {
    vector = record;
}
void CObjFrame::GetVectorObject(VectorObjectRecord& out) const {
    out = vector;
}

void CObjFrame::DeleteVectorObject() {
    hasVector = 0;
    vector.metafile.reset(nullptr);
}

void CObjFrame::SetVectorAngle(int degrees) {
    SetRotationMatrix(degrees, vector.matrix[0], vector.matrix[1], vector.matrix[2],
                      vector.matrix[3]);
}

int CObjFrame::GetVectorAngle() const {
    return GetRotationAngle(vector.matrix[0], vector.matrix[1], vector.matrix[2], vector.matrix[3]);
}

void CObjFrame::FlipVectorObject(int flags) {
    FlipSigns(flags, vector.matrix[0], vector.matrix[3]);
}

int CObjFrame::IsVectorMirrored() const {
    return IsMatrixMirrored(vector.matrix[0], vector.matrix[1], vector.matrix[2], vector.matrix[3]);
}

void CObjFrame::SetNPImageObject(const NPImageObjectRecord& record) {
    npImage = record;
}
void CObjFrame::GetNPImageObject(NPImageObjectRecord& out) const {
    out = npImage;
}

void CObjFrame::DeleteNPImageObject() {
    hasNPImage = 0;
    npImage.pixels24.clear();
    npImage.alpha.clear();
    npImage.maskPixels.clear();
    npImage.pixels8.clear();
    npImage.palette.clear();
}

FrameInfo CObjFrame::infoFromFrame() {
    FrameInfo info{};
    info.width = -1;
    info.height = -1;
    info.left = left;
    info.top = top;
    info.delay = delay;
    info.disposal = NormalizeDisposal(disposal);
    info.transparency = transparency;
    info.name = const_cast<char*>(name.c_str());
    info.comment = const_cast<char*>(comment.c_str());
    info.textObject = hasText ? &text : nullptr;
    info.controlObject = hasControl ? &control : nullptr;
    info.vectorObject = hasVector ? &vector : nullptr;
    info.npImageObject = hasNPImage ? &npImage : nullptr;
    info.keepTransparency = softAlpha;
    return info;
}

int CObjFrame::PutFrameInfo(int useRendered) {
    if (disposal == 4)
        disposal = 3;
    FrameInfo info = infoFromFrame();
    const std::uint16_t target = (useRendered && renderedImage_) ? renderedImage_ : image_;
    return KPXSetImageFramesInfo(static_cast<KpxHandle>(target), &info);
}

int CObjFrame::GetFrameInfo(FrameInfo& out) const {
    const int result = KPXGetImageFramesInfo(static_cast<KpxHandle>(image_), &out);
    out.keepTransparency = softAlpha;
    return result;
}

void CObjFrame::UpdateFromImageInfo() {
    if (!image_)
        return;
    FrameInfo info{};
    if (!KPXGetImageFramesInfo(static_cast<KpxHandle>(image_), &info))
        return;
    width = info.width;
    height = info.height;
    left = info.left;
    top = info.top;
    delay = info.delay;
    disposal = NormalizeDisposal(info.disposal);
    transparency = info.transparency;
    name = info.name ? info.name : "";
    comment = info.comment ? info.comment : "";
    DeleteTextObject();
    text = freshTextRecord();
    if (info.textObject) {
        SetTextObject(*info.textObject);
        hasText = 1;
    }
    DeleteControlObject();
    control = ControlObjectRecord{};
    if (info.controlObject) {
        SetControlObject(*info.controlObject);
        hasControl = 1;
    }
    DeleteVectorObject();
    vector = VectorObjectRecord{};
    if (info.vectorObject) {
        SetVectorObject(*info.vectorObject);
        hasVector = 1;
    }
    DeleteNPImageObject();
    npImage = NPImageObjectRecord{};
    if (info.npImageObject) {
        SetNPImageObject(*info.npImageObject);
        hasNPImage = 1;
    }
    softAlpha = info.keepTransparency;
    alphaValue = 0;
    deleteImage(maskImage_);
    FreeFrameParts(info, 0);
}

void CObjFrame::MakeFrameInfo(FrameInfo& out) const {
    out = FrameInfo{};
    out.width = width;
    out.height = height;
    out.left = left;
    out.top = top;
    out.delay = delay;
    out.disposal = disposal;
    out.transparency = transparency;
    out.name = heapCopy(name);
    out.comment = heapCopy(comment);
    out.textObject = hasText ? new TextObjectRecord(text) : nullptr;
    out.controlObject = hasControl ? new ControlObjectRecord(control) : nullptr;
    out.vectorObject = hasVector ? new VectorObjectRecord(vector) : nullptr;
    out.npImageObject = hasNPImage ? new NPImageObjectRecord(npImage) : nullptr;
    out.keepTransparency = softAlpha;
}

bool CObjFrame::IsEqual(const CObjFrame& other) const {
    using kfm::records::recordsEqual;
    if (id_ != other.id_ || image_ != other.image_ || width != other.width ||
        height != other.height || left != other.left || top != other.top || delay != other.delay ||
        transparency != other.transparency || name != other.name || comment != other.comment ||
        disposal != other.disposal)
        return false;
    if (hasText != other.hasText || (hasText && !recordsEqual(text, other.text)))
        return false;
    if (hasControl != other.hasControl || (hasControl && !recordsEqual(control, other.control)))
        return false;
    if (hasVector && !recordsEqual(vector, other.vector))
        return false;
    if (softAlpha != other.softAlpha || alphaValue != other.alphaValue)
        return false;
    if (hasNPImage && !recordsEqual(npImage, other.npImage))
        return false;
    return true;
}

void FreeFrameParts(FrameInfo& info, int mask) {
    if (mask == 0)
        mask = 127;
    if (mask & 1) {
        std::free(info.name);
        info.name = nullptr;
    }
    if (mask & 2) {
        std::free(info.comment);
        info.comment = nullptr;
    }
    if (mask & 4) {
        delete info.textObject;
        info.textObject = nullptr;
    }
    if (mask & 8) {
        delete info.controlObject;
        info.controlObject = nullptr;
    }
    if (mask & 16) {
        delete info.vectorObject;
        info.vectorObject = nullptr;
    }
    if (mask & 32) {
        delete info.npImageObject;
        info.npImageObject = nullptr;
    }
}

void HandTextObjectToFrame(CObjFrame& frame, const TextObjectRecord& record) {
    frame.DeleteTextObject();
    frame.SetTextObject(record);
    frame.hasText = 1;
}
