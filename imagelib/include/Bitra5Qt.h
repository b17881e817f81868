#pragma once
// The image library's Qt-facing forms, for programs that draw with Qt: the drawing calls with a
// QPainter in place of a device context, images seen as QImage (without copying where the depth
// allows) and images made from a QImage. QtGui only; nothing here needs widgets.

#include <QImage>

#include "Bitra5.h"

class QPainter;
class QRectF;
struct KpxImageRecord;

#define BITRA5_QT_API __attribute__((visibility("default")))

// -------------------- Drawing through a QPainter

// The device-context calls of the same names with the painter as the device, which answers as a
// 32-bit raster display. The painter's own transform and clip apply as well.
BITRA5_QT_API short KPXStretchBlt(QPainter& painter, int left, int top, int right, int bottom,
                                  KpxHandle image, int clipLeft, int clipTop, int clipRight,
                                  int clipBottom, int mode, DWORD rop);
BITRA5_QT_API short KPXBitBlt(QPainter& painter, int left, int top, int right, int bottom,
                              KpxHandle image, int clipLeft, int clipTop, int clipRight,
                              int clipBottom, int mode, DWORD rop);
BITRA5_QT_API short KPXStretchBltZoom(QPainter& painter, int left, int top, int right, int bottom,
                                      KpxHandle image, int clipLeft, int clipTop, int clipRight,
                                      int clipBottom, int mode, DWORD rop, int unused, int zoom);
BITRA5_QT_API short KPXBitBltFrame(QPainter& painter, int x, int y, KpxHandle chain, int n,
                                   int clipLeft, int clipTop, int clipRight, int clipBottom,
                                   int mode, DWORD rop);

// -------------------- Images as QImage

// A view of an image's pixels as a QImage. The view holds a read lock on the image for its
// lifetime, so the pixels stay valid and unchanged meanwhile (a delete asked for meanwhile waits
// for the view); keep it as short-lived as a paint. Writers on other threads wait for it.
class BITRA5_CLASS KpxImageView {
public:
    explicit KpxImageView(KpxHandle image);
    ~KpxImageView();
    KpxImageView(const KpxImageView&) = delete;
    KpxImageView& operator=(const KpxImageView&) = delete;

    // False for image 0, an image that cannot be locked or has no pixels.
    explicit operator bool() const { return !rows_.isNull(); }
    int width() const { return rows_.width(); }
    int height() const { return rows_.height(); }

    // The pixel rows in the order the image stores them: bottom row first, so the picture is
    // upside down. Shares the image's memory for 1, 8, 24 and 32 bits per pixel (and 16 bits);
    // 4-bit images come as a 32-bit copy. Colour images carry no alpha.
    const QImage& storedRows() const { return rows_; }
    bool sharesMemory() const { return shared_; }

    // Draws the source rectangle of the picture (from its top-left corner) into the target
    // rectangle, the right way up, without smoothing.
    void draw(QPainter& painter, const QRectF& target, const QRectF& source) const;
    // The picture the right way up, as a copy in the stored format.
    QImage upright() const;
    // The picture the right way up in 32-bit RGB, written into target (which keeps its memory
    // when it already has the size and format): the quickest form to paint again and again.
    void uprightRgb32(QImage& target) const;

private:
    KpxImageRecord* record_ = nullptr;
    QImage rows_;
    bool shared_ = false;
};

// A new QImage of the picture the right way up: the view's format, or with withTransparency and
// an image that has transparency, 32-bit ARGB whose alpha comes from the image's combined mask
// (a set bit of a 1-bit mask or 255 in an 8-bit transparency image is fully transparent, lower
// values of the latter graded). A null QImage for image 0 or a rotated image's transparency.
BITRA5_QT_API QImage KpxImageToQImage(KpxHandle image, bool withTransparency);

// A new image from a QImage, which the caller deletes: 8 bits with the colour table for indexed
// pictures, 1 bit for monochrome ones, 24 bits for the rest (alpha is dropped). 0 for a null
// QImage or when the image cannot be made.
BITRA5_QT_API KpxHandle KPXCreateImageFromQImage(const QImage& picture);
