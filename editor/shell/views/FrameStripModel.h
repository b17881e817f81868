#pragma once
// The frame strip's items: one row per node of the animation's frame list, the trailing
// placeholder included. The rows mirror the list; the strip brings them up to date after every
// change of the list (SyncItems). A row's text is its frame's label (the frame's comment).

#include <QAbstractListModel>

#include "AnimationData.h"

namespace kfm::ui {

class FrameStripModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // A new label for a real frame, as one undo step.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The frame of a row; null outside the list.
    static CObjFrame* FrameAt(int row);
    // The number of nodes of the frame list.
    static int NodeCount();
    // Whether a row is the placeholder at the end of the list.
    static bool IsPlaceholder(int row);

    // Brings the rows to the node count (rows are added or removed at the end) and marks every
    // row changed. Returns the number of rows added or removed.
    int SyncItems();

private:
    int rows_ = 0;
};

} // namespace kfm::ui
