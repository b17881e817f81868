#pragma once
// The two preview controls of the effect dialogs. KPXPREVIEW shows a picture inside a sunken
// frame: the source preview when its text is "Orig", the processed one otherwise (a plain face
// while it has none); a click asks to switch between fitted and actual size. KPXCOLORPREVIEW
// shows the chosen colours: the first filled when its text is "Fill", the second when it is "2",
// otherwise a ramp of 128 bars rising from the first colour's darkest shade.

#include <QFrame>
#include <QImage>
#include <QString>

#include "types/Win32Types.h"

namespace kpx::dialogs {

class KpxPreview : public QFrame {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "KPXPREVIEW";
    static constexpr const char* kSourceText = "Orig";

    KpxPreview(const QString& text, QWidget* parent = nullptr);
    bool showsSource() const { return text_ == QLatin1String(kSourceText); }
    // The pictures of the dialog; the control shows the one its text chooses.
    void setPictures(const QImage& source, const QImage& processed);
    const QImage& shownPicture() const { return showsSource() ? source_ : processed_; }
    // The size of the picture inside the frame.
    QSize pictureSize() const;
    QSize sizeHint() const override { return {200, 160}; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    QImage source_;
    QImage processed_;
};

class KpxColorPreview : public QFrame {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "KPXCOLORPREVIEW";

    KpxColorPreview(const QString& text, QWidget* parent = nullptr);
    void setColors(COLORREF first, COLORREF second);
    // The colour painted at x of the inside (0 .. width of the inside - 1).
    COLORREF colorAt(int x) const;
    QSize sizeHint() const override { return {200, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    COLORREF first_ = 0;
    COLORREF second_ = 0;
};

// Bar i (0..127) of the ramp of a colour: each channel less the smallest one, plus 2 i, at most
// 255.
COLORREF rampBar(COLORREF colour, int i);

} // namespace kpx::dialogs
