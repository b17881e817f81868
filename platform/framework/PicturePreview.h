#pragma once
// The preview area of an effect dialog: a fixed-size field showing a picture at its top left over
// a background, by default the widget's button face.

#include <QBrush>
#include <QImage>
#include <QWidget>

namespace kfm::ui {

class PicturePreview : public QWidget {
public:
    explicit PicturePreview(QSize size, QBrush background = Qt::NoBrush, QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    QSize sizeHint() const override { return size_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize size_;
    QBrush background_;
    QImage picture_;
};

} // namespace kfm::ui
