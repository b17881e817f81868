#pragma once
// The small controls that dialogs and pages place on their forms:
// - CImageStatic paints the first image of a picture strip from the language library;
// - CColorButton shows a colour (raised 3-D or flat) and names it in its tooltip;
// - CCornerControl is a frame with a clickable mark on each side (the four edge locks);
// - CImagePreview owns an image of the image library and paints it;
// - CColorSwatch is filled with one colour.

#include <QAbstractButton>
#include <QPixmap>
#include <QWidget>

#include <cstdint>

#include "Bitra5.h"
#include "CornerMarks.h"

namespace kfm::ui {

class CImageStatic : public QWidget {
    Q_OBJECT
public:
    explicit CImageStatic(QWidget* parent = nullptr);

    // Cuts image 0 (imageWidth wide, the strip's height) from the picture bitmapId; pixels of
    // the mask colour stay transparent. False (and nothing shown) when the picture is missing.
    bool CreateImageList(UINT bitmapId, int imageWidth, COLORREF maskColour);
    const QPixmap& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap image_;
};

class CColorButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    // The colour and the palette index the tooltip names.
    void SetPaletteColor(COLORREF colour, int index);
    // The colour alone; the palette index stays.
    void SetColor(COLORREF colour);
    COLORREF GetColor() const { return colour_; }
    int GetPaletteIndex() const { return paletteIndex_; }
    // The tooltip shows only while enabled (off after construction).
    void EnableToolTip(bool on);
    // A button that is not clickable ignores left clicks and shows no hand cursor.
    void SetHandCursor(bool on);
    bool Clickable() const { return clickable_; }
    // 0 a raised 3-D face in the colour, 1 a flat field of the colour.
    void SetDrawStyle(int style);
    // Flat style only: a black frame instead of the sunken edge.
    void SetBlackFrame(bool on);
    // The tooltip's text, whether or not the tooltip is shown.
    const QString& TipText() const { return tipText_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void setTipText(const QString& text);
    void drawRaised(QPainter& painter) const;
    void drawFlat(QPainter& painter) const;

    COLORREF colour_;
    std::uint8_t paletteIndex_ = 0;
    bool tipOn_ = false;
    bool clickable_ = true;
    int drawStyle_ = 0;
    bool blackFrame_ = false;
    QString tipText_;
};

class CCornerControl : public QAbstractButton {
    Q_OBJECT
public:
    explicit CCornerControl(QWidget* parent = nullptr);

    // The selected sides (side bits: left 1, top 2, right 4, bottom 8).
    void SetType(int sides);
    void SetType(bool left, bool top, bool right, bool bottom);
    int GetType() const { return type_; }
    // Enables or disables the mark of one side bit; other values change the bits only.
    void EnableMark(int side, bool on);
    void EnableMark(bool left, bool top, bool right, bool bottom);
    int EnabledMarks() const { return enabledMarks_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A double click reaches this too, so the second click of one toggles the mark again.
    void mousePressEvent(QMouseEvent* event) override;

private:
    void toggleMarkAt(const QPoint& point);
    void drawMark(QPainter& painter, const kfm::shell::CornerGeometry& geometry, int side) const;

    int enabledMarks_ = kfm::shell::kAllSides;
    int type_ = 0;
    QPixmap mark_;
};

class CImagePreview : public QWidget {
    Q_OBJECT
public:
    explicit CImagePreview(QWidget* parent = nullptr);
    ~CImagePreview() override;
    CImagePreview(const CImagePreview&) = delete;
    CImagePreview& operator=(const CImagePreview&) = delete;

    // Takes ownership of the image; the one held before is deleted.
    void SetImage(KpxHandle image);
    KpxHandle GetImage() const { return image_; }
    // Draws the image's transparent pixels in the face colour.
    void SetTransparent(bool on);
    // A click or key closes the parent window.
    void SetCloseOnClick(bool on) { closeOnClick_ = on; }
    // Stretches the image over the client area; off centres it at its own size.
    void SetStretch(bool on);
    // A black frame around the client area.
    void SetFrame(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect imageTarget() const;
    void drawImage(QPainter& painter, const QRect& target) const;
    void closeParent();

    KpxHandle image_ = 0;
    bool transparent_ = false;
    bool closeOnClick_ = false;
    bool stretch_ = true;
    bool frame_ = false;
};

class CColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit CColorSwatch(QWidget* parent = nullptr);

    void SetColor(COLORREF colour);
    COLORREF GetColor() const { return colour_; }
    void SetFrame(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF colour_ = 0;
    bool frame_ = false;
};

} // namespace kfm::ui
