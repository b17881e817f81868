#include "FrameStripDelegate.h"

#include "DisplayHelpers.h"
#include "FrameStripModel.h"
#include "ResourceAccess.h"
#include "ShellServices.h"

#include <QLineEdit>
#include <QPainter>
#include <QPolygon>

namespace kfm::ui {

namespace {

constexpr int kBeforeLegs = 21;
constexpr int kAfterLegs = 22;

QRect toQRect(const RECT& r) {
    return QRect(QPoint(static_cast<int>(r.left), static_cast<int>(r.top)),
                 QPoint(static_cast<int>(r.right) - 1, static_cast<int>(r.bottom) - 1));
}

RECT toRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

// A label cut to a width with "..." (at most one character a pixel is ever measured).
QString cutToWidth(const QString& text, const QFontMetrics& metrics, int width) {
    if (width <= 0)
        return {};
    // A text that cannot reach the width even in its widest characters needs no measuring.
    if (static_cast<qint64>(text.size()) * metrics.maxWidth() < width)
        return text;
    std::string bytes = ToCodePage1252(text.left(width + 1));
    ShortenTextToWidth(
        [&metrics](std::string_view s) {
            return metrics.horizontalAdvance(FromCodePage1252(std::string(s)));
        },
        bytes, width);
    return FromCodePage1252(bytes);
}

// The drop arrow with its two picture entries in the given colours.
QImage recoloured(QImage marker, const QColor& background, const QColor& arrow) {
    if (marker.format() != QImage::Format_Indexed8 || marker.colorCount() < 16)
        return marker;
    marker.setColor(0, background.rgb());
    marker.setColor(15, arrow.rgb());
    return marker;
}

} // namespace

QString StripLabelPrefix(const StripPaintState& state, int number) {
    return FromCodePage1252(FormatText(state.labelPrefixFormat, {std::to_string(number)}));
}

QString StripLabelText(const StripPaintState& state, int row, const QString& label) {
    const CObjFrame* frame = FrameStripModel::FrameAt(row);
    if (!frame || !frame->GetImage())
        return state.placeholderLabel;
    return StripLabelPrefix(state, row + 1) + label;
}

QRect StripLabelEditorRect(const StripPaintState& state, const QRect& item) {
    const auto layout = kfm::shell::LayoutStripItem(toRect(item), state.textHeight);
    const int prefix = QFontMetrics(state.font).horizontalAdvance(StripLabelPrefix(state, 1));
    return toQRect(kfm::shell::LabelEditorRect(layout, prefix));
}

FrameStripDelegate::FrameStripDelegate(const StripPaintState& state, QObject* parent)
    : QStyledItemDelegate(parent), state_(state) {}

QSize FrameStripDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(static_cast<int>(state_.rowSize.cx), static_cast<int>(state_.rowSize.cy));
}

void FrameStripDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const auto layout = kfm::shell::LayoutStripItem(toRect(option.rect), state_.textHeight);
    painter->save();
    painter->setFont(state_.font);
    painter->fillRect(option.rect, option.palette.base());
    paintThumbnail(*painter, option, toQRect(layout.area), toQRect(layout.thumbnail), index.row());
    paintLabel(*painter, option, toQRect(layout.label), index);
    if (index.row() == state_.dropItem)
        paintDropIndicator(*painter, option);
    if (option.state & QStyle::State_HasFocus) {
        // A dotted frame as focus rectangles are drawn (the style's own costs a paint's worth).
        painter->setPen(QPen(option.palette.text().color(), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

void FrameStripDelegate::paintThumbnail(QPainter& painter, const QStyleOptionViewItem& option,
                                        const QRect& area, const QRect& thumbnail, int row) const {
    const CObjFrame* frame = FrameStripModel::FrameAt(row);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor line =
        selected ? option.palette.highlight().color() : option.palette.text().color();
    if (!state_.style.withPosition)
        painter.fillRect(thumbnail, option.palette.button());
    if (!frame || !frame->GetDisplayImage() || !state_.thumbnails) {
        painter.setPen(line);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        return;
    }
    const ThumbnailStyle style = state_.style;
    const Thumbnail& picture = state_.thumbnails->Get(
        *frame, [&style](const CObjFrame& f) { return MakeThumbnail(f, style); });
    const QRect placed(thumbnail.topLeft() + picture.offset, picture.image.size());
    painter.drawImage(placed.topLeft(), picture.image);
    painter.setPen(line);
    if (state_.style.withPosition)
        painter.drawRect(placed.adjusted(-1, -1, 0, 0));
    else
        painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void FrameStripDelegate::paintLabel(QPainter& painter, const QStyleOptionViewItem& option,
                                    const QRect& label, const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    painter.fillRect(label, selected ? option.palette.highlight() : option.palette.base());
    painter.setPen(selected ? option.palette.highlightedText().color()
                            : option.palette.text().color());
    const QFontMetrics metrics(state_.font);
    const QString text = cutToWidth(StripLabelText(state_, index.row(), index.data().toString()),
                                    metrics, label.width() - 4);
    painter.drawText(label.adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void FrameStripDelegate::paintDropIndicator(QPainter& painter,
                                            const QStyleOptionViewItem& option) const {
    const QRect r = option.rect;
    const QColor highlight = option.palette.highlight().color();
    const bool before = state_.dropMode == kfm::shell::kDropBefore;
    const int legs = before ? kBeforeLegs : kAfterLegs;
    const QPoint corner = before ? r.topLeft() : r.bottomLeft();
    const int dy = before ? legs : -legs;
    const QPolygon triangle({corner, corner + QPoint(legs, 0), corner + QPoint(0, dy)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(highlight);
    painter.drawPolygon(triangle);
    painter.setPen(Qt::black);
    painter.drawLine(corner + QPoint(legs, 0), corner + QPoint(0, dy));
    const QImage marker = recoloured(before ? state_.markerBefore : state_.markerAfter, highlight,
                                     option.palette.base().color());
    if (marker.isNull())
        return;
    const QPoint at =
        before ? corner + QPoint(1, 1) : QPoint(corner.x() + 1, corner.y() - marker.height() + 1);
    painter.drawImage(at, marker);
}

QWidget* FrameStripDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setFont(state_.font);
    editor->setObjectName(QStringLiteral("StripLabelEditor"));
    return editor;
}

void FrameStripDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex&) const {
    editor->setGeometry(StripLabelEditorRect(state_, option.rect));
}

} // namespace kfm::ui
