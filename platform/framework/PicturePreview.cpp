#include "PicturePreview.h"

#include <QPainter>

namespace kfm::ui {

PicturePreview::PicturePreview(QSize size, QBrush background, QWidget* parent)
    : QWidget(parent), size_(size), background_(std::move(background)) {
    setFixedSize(size_);
}

void PicturePreview::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PicturePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_.style() == Qt::NoBrush ? palette().button() : background_);
    if (!picture_.isNull())
        painter.drawImage(QPoint(0, 0), picture_);
}

} // namespace kfm::ui
