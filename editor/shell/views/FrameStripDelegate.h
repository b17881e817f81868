#pragma once
// The drawing of the strip's items: the thumbnail (the frame at its place on the animation's
// screen, or the frame alone), the numbered label, the drop indicator and the focus frame; and
// the in-place editor of a label.

#include <QImage>
#include <QStyledItemDelegate>

#include <string>

#include "FramePictures.h"
#include "StripGeometry.h"

namespace kfm::ui {

// What the items are drawn with; the strip owns it and keeps it up to date.
struct StripPaintState {
    ThumbnailStyle style;
    SIZE rowSize{0, 0};
    int textHeight = 0;
    QFont font;
    std::string labelPrefixFormat; // the label's number prefix, "%d" for the number
    QString placeholderLabel;      // the label of the placeholder item
    int dropItem = -1;             // the item under a drag, -1 none
    int dropMode = kfm::shell::kDropAfter;
    QImage markerBefore; // the drop arrows, 4 bits a pixel: entry 0 background,
    QImage markerAfter;  // entry 15 the arrow
    FramePictureCache* thumbnails = nullptr;
};

// The label of a row: the number prefix and the frame's label, or the placeholder's text.
QString StripLabelText(const StripPaintState& state, int row, const QString& label);
// The number prefix of the first frame, whose width places the label editor.
QString StripLabelPrefix(const StripPaintState& state, int number);
// The label editor's rectangle in an item.
QRect StripLabelEditorRect(const StripPaintState& state, const QRect& item);

class FrameStripDelegate : public QStyledItemDelegate {
public:
    FrameStripDelegate(const StripPaintState& state, QObject* parent);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    void paintThumbnail(QPainter& painter, const QStyleOptionViewItem& option, const QRect& area,
                        const QRect& thumbnail, int row) const;
    void paintLabel(QPainter& painter, const QStyleOptionViewItem& option, const QRect& label,
                    const QModelIndex& index) const;
    void paintDropIndicator(QPainter& painter, const QStyleOptionViewItem& option) const;

    const StripPaintState& state_;
};

} // namespace kfm::ui
