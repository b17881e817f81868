#include "FramePictures.h"

#include "Bitra5Qt.h"
#include "StripGeometry.h"

#include <QPainter>

#include <algorithm>
#include <set>

namespace kfm::ui {

using kfm::shell::FitPictureInThumbnail;
using kfm::shell::FitScreenInThumbnail;
using kfm::shell::ScaleFrameIntoScreen;

namespace {

QColor toColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QRect toQRect(const RECT& r) {
    return QRect(static_cast<int>(r.left), static_cast<int>(r.top),
                 static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top));
}

QImage premultiplied(const QImage& picture) {
    return picture.isNull() ? picture
                            : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Lets the background through where an alpha image of the picture's size says so: a set bit of
// a 1-bit image, or the value of an 8-bit one (255 fully transparent, 0 opaque).
void applyAlphaImage(QImage& picture, KpxHandle alphaImage) {
    const QImage mask = KpxImageToQImage(alphaImage, false);
    if (mask.size() != picture.size() || (mask.depth() != 1 && mask.depth() != 8))
        return;
    for (int y = 0; y < mask.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            const int value = mask.pixelIndex(x, y);
            const int alpha = mask.depth() == 1 ? (value ? 0 : 255) : 255 - value;
            if (alpha == 255)
                continue;
            const QRgb c = line[x];
            line[x] = qPremultiply(qRgba(qRed(c), qGreen(c), qBlue(c), alpha));
        }
    }
}

bool drawnThroughAlpha(const CObjFrame& frame) {
    return (frame.hasVector || frame.softAlpha) && frame.GetMaskImage();
}

QImage overColour(const QImage& picture, COLORREF colour) {
    QImage out(picture.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(toColor(colour));
    QPainter painter(&out);
    painter.drawImage(0, 0, picture);
    return out;
}

// The colour of the palette entry at the frame's transparent index (text frames drawn without
// transparency show it where they are transparent).
COLORREF transparentColour(const CObjFrame& frame, KpxHandle image) {
    const COLORREF c = KPXGetColorFromPalette(image, static_cast<int>(frame.transparency & 0xFF));
    return c == static_cast<COLORREF>(-1) ? 0xFFFFFF : c;
}

void drawScaled(QImage& target, const QRect& into, const QImage& picture) {
    if (picture.isNull() || into.isEmpty())
        return;
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(into, picture);
}

} // namespace

QImage PictureOfImage(KpxHandle image) {
    return premultiplied(KpxImageToQImage(image, false));
}

QImage FramePicture(const CObjFrame& frame, Transparency transparency) {
    const auto image = static_cast<KpxHandle>(frame.GetDisplayImage());
    if (!image)
        return {};
    if (transparency == Transparency::Opaque)
        return PictureOfImage(image);
    if (!drawnThroughAlpha(frame))
        return premultiplied(KpxImageToQImage(image, true));
    QImage picture = PictureOfImage(image);
    if (!picture.isNull())
        applyAlphaImage(picture, static_cast<KpxHandle>(frame.GetMaskImage()));
    return picture;
}

Thumbnail MakeThumbnail(const CObjFrame& frame, const ThumbnailStyle& style) {
    const RECT box{0, 0, style.thumbnail.width(), style.thumbnail.height()};
    QImage picture = FramePicture(frame, style.transparent || frame.hasText ? Transparency::Through
                                                                            : Transparency::Opaque);
    if (!style.transparent && frame.hasText && !picture.isNull())
        picture = overColour(
            picture, transparentColour(frame, static_cast<KpxHandle>(frame.GetDisplayImage())));
    const RECT placed = style.withPosition
                            ? FitScreenInThumbnail(box, style.screenWidth, style.screenHeight)
                            : FitPictureInThumbnail(box, picture.width(), picture.height());
    const QRect area = toQRect(placed);
    Thumbnail thumbnail;
    thumbnail.offset = area.topLeft();
    if (area.isEmpty())
        return thumbnail;
    thumbnail.image = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    thumbnail.image.fill(toColor(style.background));
    QRect into(QPoint(0, 0), area.size());
    if (style.withPosition) {
        const RECT frameRect = ScaleFrameIntoScreen(
            RECT{0, 0, area.width(), area.height()}, style.screenWidth, style.screenHeight,
            frame.left, frame.top, frame.width, frame.height);
        into = toQRect(frameRect);
    }
    drawScaled(thumbnail.image, into, picture);
    return thumbnail;
}

// ---------------------------------------------------------------- cache

FramePictureCache::FramePictureCache(std::size_t byteLimit) : limit_(byteLimit) {}

FramePictureCache::~FramePictureCache() {
    Clear();
}

FramePictureCache::Signature FramePictureCache::SignatureOf(const CObjFrame& f) {
    Signature s;
    s.id = f.GetID();
    s.image = f.GetImage();
    s.display = f.GetDisplayImage();
    s.mask = f.GetMaskImage();
    s.left = f.left;
    s.top = f.top;
    s.width = f.width;
    s.height = f.height;
    s.transparency = f.transparency;
    s.hasText = f.hasText;
    s.hasVector = f.hasVector;
    s.softAlpha = f.softAlpha;
    s.alphaValue = f.alphaValue;
    return s;
}

const Thumbnail& FramePictureCache::Get(const CObjFrame& frame, const Maker& make) {
    const Signature key = SignatureOf(frame);
    if (auto it = entries_.find(key); it != entries_.end()) {
        ages_.splice(ages_.begin(), ages_, it->second.age);
        return it->second.picture;
    }
    Entry entry;
    entry.picture = make(frame);
    ++made_;
    // Holding the images keeps their handles from being given to other images while the
    // picture made from them is kept.
    for (const std::uint16_t handle : {key.image, key.display, key.mask})
        if (handle && std::find(entry.held.begin(), entry.held.end(), handle) == entry.held.end() &&
            KPXCreateImageFrom(static_cast<KpxHandle>(handle), 1))
            entry.held.push_back(handle);
    ages_.push_front(key);
    entry.age = ages_.begin();
    bytes_ += static_cast<std::size_t>(entry.picture.image.sizeInBytes());
    auto [it, inserted] = entries_.emplace(key, std::move(entry));
    while (bytes_ > limit_ && entries_.size() > 1 && ages_.back() != key)
        evict(entries_.find(ages_.back()));
    return it->second.picture;
}

void FramePictureCache::KeepOnly(const std::list<CObjFrame>& frames) {
    std::set<Signature> live;
    for (const CObjFrame& f : frames)
        live.insert(SignatureOf(f));
    for (auto it = entries_.begin(); it != entries_.end();) {
        const auto next = std::next(it);
        if (!live.contains(it->first))
            evict(it);
        it = next;
    }
}

void FramePictureCache::Clear() {
    while (!entries_.empty())
        evict(entries_.begin());
}

void FramePictureCache::evict(std::map<Signature, Entry>::iterator it) {
    bytes_ -= static_cast<std::size_t>(it->second.picture.image.sizeInBytes());
    for (const std::uint16_t handle : it->second.held)
        KPXDeleteImage(static_cast<KpxHandle>(handle));
    ages_.erase(it->second.age);
    entries_.erase(it);
}

} // namespace kfm::ui
