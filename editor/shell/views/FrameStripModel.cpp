#include "FrameStripModel.h"

#include "ResourceAccess.h"
#include "StripEdits.h"

#include <iterator>

namespace kfm::ui {

int FrameStripModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant FrameStripModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const CObjFrame* frame = FrameAt(index.row());
    return frame ? QVariant(FromCodePage1252(frame->comment)) : QVariant();
}

bool FrameStripModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole ||
        !kfm::shell::CommitFrameLabel(index.row(), ToCodePage1252(value.toString())))
        return false;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags FrameStripModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDropEnabled;
    if (!IsPlaceholder(index.row()))
        flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    return flags;
}

CObjFrame* FrameStripModel::FrameAt(int row) {
    if (!g_pAnimationData || row < 0 || row >= NodeCount())
        return nullptr;
    return &*std::next(g_pAnimationData->frames.begin(), row);
}

int FrameStripModel::NodeCount() {
    return g_pAnimationData ? static_cast<int>(g_pAnimationData->frames.size()) : 0;
}

bool FrameStripModel::IsPlaceholder(int row) {
    return row >= 0 && row == NodeCount() - 1;
}

int FrameStripModel::SyncItems() {
    const int wanted = NodeCount();
    const int changed = std::abs(wanted - rows_);
    if (wanted > rows_) {
        beginInsertRows({}, rows_, wanted - 1);
        rows_ = wanted;
        endInsertRows();
    } else if (wanted < rows_) {
        beginRemoveRows({}, wanted, rows_ - 1);
        rows_ = wanted;
        endRemoveRows();
    }
    if (rows_ > 0)
        emit dataChanged(index(0), index(rows_ - 1));
    return changed;
}

} // namespace kfm::ui
