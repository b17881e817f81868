#include "Bitra5Qt.h"

#include "ImageTable.h"

#include "gdi/DeviceContext.h"

#include <QPainter>
#include <QRectF>
#include <QSysInfo>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A device context over the caller's painter for the length of one call.
class PainterDC {
public:
    explicit PainterDC(QPainter& painter)
        : dc_(kfm::gdi::createPainterDC(&painter, kfm::gdi::DeviceKind::RasterDisplay, 32)) {}
    ~PainterDC() { DeleteDC(dc_); }
    PainterDC(const PainterDC&) = delete;
    PainterDC& operator=(const PainterDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// The stored-row rectangle of a rectangle counted from the picture's top row.
QRectF storedSource(const QRectF& source, int height) {
    return QRectF(source.x(), height - source.y() - source.height(), source.width(),
                  source.height());
}

// Fully transparent (0) to opaque (255) from a mask pixel: a set bit of a 1-bit mask is
// transparent, an 8-bit transparency value of 255 fully so.
int alphaOfMask(const QImage& mask, int x, int y) {
    const int value = mask.pixelIndex(x, y);
    return mask.depth() == 1 ? (value ? 0 : 255) : 255 - value;
}

// Blue, green, red bytes to opaque 32-bit pixels, four pixels (three words) at a time.
void widenRow(const std::uint8_t* source, QRgb* target, int width) {
    constexpr QRgb kOpaque = 0xFF000000u;
    int x = 0;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        for (; x + 4 <= width; x += 4, source += 12) {
            std::uint32_t a, b, c; // B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3
            std::memcpy(&a, source, 4);
            std::memcpy(&b, source + 4, 4);
            std::memcpy(&c, source + 8, 4);
            target[x] = kOpaque | (a & 0xFFFFFFu);
            target[x + 1] = kOpaque | (a >> 24) | ((b & 0xFFFFu) << 8);
            target[x + 2] = kOpaque | (b >> 16) | ((c & 0xFFu) << 16);
            target[x + 3] = kOpaque | (c >> 8);
        }
    }
    for (; x < width; ++x, source += 3)
        target[x] = kOpaque | (static_cast<QRgb>(source[2]) << 16) |
                    (static_cast<QRgb>(source[1]) << 8) | source[0];
}

void copyRowsBottomUp(const QImage& picture, KpxHandle image, std::size_t rowBytes) {
    std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    const int height = picture.height();
    for (int y = 0; y < height; ++y)
        std::memcpy(bits + static_cast<std::size_t>(height - 1 - y) * scan,
                    picture.constScanLine(y), rowBytes);
}

bool setColourTable(KpxHandle image, const QList<QRgb>& table) {
    std::vector<PALETTEENTRY> entries;
    entries.reserve(static_cast<std::size_t>(table.size()));
    for (const QRgb colour : table)
        entries.push_back(PALETTEENTRY{static_cast<BYTE>(qRed(colour)),
                                       static_cast<BYTE>(qGreen(colour)),
                                       static_cast<BYTE>(qBlue(colour)), 0});
    return entries.empty() ||
           KPXSetNewPalette(image, entries.data(), static_cast<int>(entries.size())) != 0;
}

KpxHandle indexedImage(const QImage& picture, int depth) {
    const KpxHandle image = KPXCreateImage(picture.width(), picture.height(), depth);
    if (!image)
        return 0;
    if (!setColourTable(image, picture.colorTable())) {
        KPXDeleteImage(image);
        return 0;
    }
    copyRowsBottomUp(picture, image, (static_cast<std::size_t>(picture.width()) * depth + 7) / 8);
    return image;
}

} // namespace

short KPXStretchBlt(QPainter& painter, int left, int top, int right, int bottom, KpxHandle image,
                    int clipLeft, int clipTop, int clipRight, int clipBottom, int mode, DWORD rop) {
    const PainterDC dc(painter);
    return KPXStretchBlt(dc.get(), left, top, right, bottom, image, clipLeft, clipTop, clipRight,
                         clipBottom, mode, rop);
}

short KPXBitBlt(QPainter& painter, int left, int top, int right, int bottom, KpxHandle image,
                int clipLeft, int clipTop, int clipRight, int clipBottom, int mode, DWORD rop) {
    const PainterDC dc(painter);
    return KPXBitBlt(dc.get(), left, top, right, bottom, image, clipLeft, clipTop, clipRight,
                     clipBottom, mode, rop);
}

short KPXStretchBltZoom(QPainter& painter, int left, int top, int right, int bottom,
                        KpxHandle image, int clipLeft, int clipTop, int clipRight, int clipBottom,
                        int mode, DWORD rop, int unused, int zoom) {
    const PainterDC dc(painter);
    return KPXStretchBltZoom(dc.get(), left, top, right, bottom, image, clipLeft, clipTop,
                             clipRight, clipBottom, mode, rop, unused, zoom);
}

short KPXBitBltFrame(QPainter& painter, int x, int y, KpxHandle chain, int n, int clipLeft,
                     int clipTop, int clipRight, int clipBottom, int mode, DWORD rop) {
    const PainterDC dc(painter);
    return KPXBitBltFrame(dc.get(), x, y, chain, n, clipLeft, clipTop, clipRight, clipBottom, mode,
                          rop);
}

KpxImageView::KpxImageView(KpxHandle image) {
    if (!image)
        return;
    record_ = KpxLockImage(image, kKpxRead);
    if (!record_ || !record_->info || !record_->bits)
        return;
    rows_ = kfm::gdi::dibStoredRows(&record_->header(), record_->colors(), record_->bits);
    shared_ = !rows_.isNull() && rows_.constBits() == record_->bits;
}

KpxImageView::~KpxImageView() {
    // The QImage may view the record's memory: let it go before the lock.
    rows_ = QImage();
    if (record_)
        KpxUnlockImage(record_, 0);
}

void KpxImageView::draw(QPainter& painter, const QRectF& target, const QRectF& source) const {
    if (rows_.isNull())
        return;
    // The part turned the right way up first: painting through a turning transform is far slower
    // than copying the rows.
    const QRect part = storedSource(source, rows_.height()).toAlignedRect() & rows_.rect();
    if (part.isEmpty())
        return;
    const QImage piece = rows_.copy(part).mirrored(false, true);
    const QRectF uprightSource(source.x() - part.x(),
                               source.y() - (rows_.height() - part.bottom() - 1), source.width(),
                               source.height());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, piece, uprightSource);
    painter.restore();
}

QImage KpxImageView::upright() const {
    return rows_.mirrored(false, true);
}

void KpxImageView::uprightRgb32(QImage& target) const {
    if (rows_.isNull()) {
        target = QImage();
        return;
    }
    if (target.size() != rows_.size() || target.format() != QImage::Format_RGB32)
        target = QImage(rows_.size(), QImage::Format_RGB32);
    const int height = rows_.height();
    const int width = rows_.width();
    if (rows_.format() != QImage::Format_BGR888) {
        const QImage converted = rows_.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            std::memcpy(target.scanLine(y), converted.constScanLine(height - 1 - y),
                        static_cast<std::size_t>(width) * 4);
        return;
    }
    // The common case of composed canvases: 24-bit rows, turned and widened in one pass.
    for (int y = 0; y < height; ++y)
        widenRow(rows_.constScanLine(height - 1 - y), reinterpret_cast<QRgb*>(target.scanLine(y)),
                 width);
}

QImage KpxImageToQImage(KpxHandle image, bool withTransparency) {
    QImage picture;
    {
        const KpxImageView view(image);
        if (!view)
            return {};
        picture = view.upright();
    }
    if (!withTransparency)
        return picture;
    const KpxHandle mask = KPXGetImageTransparentImage(image);
    if (!mask)
        return picture;
    const QImage maskRows = KpxImageToQImage(mask, false);
    KPXDeleteImage(mask);
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    const int width = std::min(picture.width(), maskRows.width());
    const int height = std::min(picture.height(), maskRows.height());
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] =
                qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), alphaOfMask(maskRows, x, y));
    }
    return picture;
}

KpxHandle KPXCreateImageFromQImage(const QImage& picture) {
    if (picture.isNull())
        return 0;
    switch (picture.format()) {
    case QImage::Format_Indexed8:
        return indexedImage(picture, 8);
    case QImage::Format_Mono:
        return indexedImage(picture, 1);
    case QImage::Format_MonoLSB:
        return indexedImage(picture.convertToFormat(QImage::Format_Mono), 1);
    default:
        break;
    }
    const QImage colours = picture.convertToFormat(QImage::Format_BGR888);
    const KpxHandle image = KPXCreateImage(colours.width(), colours.height(), 24);
    if (image)
        copyRowsBottomUp(colours, image, static_cast<std::size_t>(colours.width()) * 3);
    return image;
}
