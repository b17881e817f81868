#include "ListControls.h"

#include "ClassicDrawing.h"
#include "ControlDrawing.h"
#include "TextControls.h"
#include "gdi/SystemLook.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace kfm::syscontrols {

namespace {

constexpr int kItemBytesRole = Qt::UserRole + 1;
// The list of a simple combo box and a field both have a two-pixel sunken edge; the shown list
// of a drop-down one a one-pixel frame.
constexpr int kSunkenEdge = 2;
constexpr int kListFrame = 1;

// Rows at the classic height, the selection in the highlight colours and, when the control has
// the focus look, the dotted mark around the current row.
class ClassicItemDelegate : public QStyledItemDelegate {
public:
    ClassicItemDelegate(const QAbstractItemView* view, bool focus, int columnWidth)
        : QStyledItemDelegate(const_cast<QAbstractItemView*>(view)), view_(view), focus_(focus),
          columnWidth_(columnWidth) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int width =
            columnWidth_ > 0 ? columnWidth_ : QStyledItemDelegate::sizeHint(option, index).width();
        return QSize(width, ListItemHeight());
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const bool enabled = option.state & QStyle::State_Enabled;
        const QRect row = option.rect;
        painter->fillRect(row, SysColour(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        const QColor ink = SysColour(!enabled   ? COLOR_GRAYTEXT
                                     : selected ? COLOR_HIGHLIGHTTEXT
                                                : COLOR_WINDOWTEXT);
        painter->setFont(option.font);
        DrawControlText(*painter, row.adjusted(2, 0, -1, 0),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs,
                        index.data(Qt::DisplayRole).toString(), true, ink);
        if (focus_ && view_ && view_->currentIndex() == index)
            DrawFocusMark(*painter, row, SysColour(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    }

private:
    const QAbstractItemView* view_;
    bool focus_;
    int columnWidth_;
};

void fillList(QListWidget& list, const std::vector<std::string>& items) {
    for (const std::string& item : items) {
        auto* row = new QListWidgetItem(ShownText(item), &list);
        row->setData(kItemBytesRole, QByteArray(item.data(), static_cast<qsizetype>(item.size())));
    }
}

std::vector<std::string> itemsOf(const QListWidget& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.count(); ++i) {
        const QByteArray bytes = list.item(i)->data(kItemBytesRole).toByteArray();
        items.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return items;
}

void setUpList(QListWidget& list, const ControlLook& look, bool focus, int columnWidth) {
    list.setFrameShape(QFrame::NoFrame);
    list.setUniformItemSizes(true);
    list.setItemDelegate(new ClassicItemDelegate(&list, focus, columnWidth));
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(!look.vScroll          ? Qt::ScrollBarAlwaysOff
                                    : look.disableNoScroll ? Qt::ScrollBarAlwaysOn
                                                           : Qt::ScrollBarAsNeeded);
    list.setAutoFillBackground(true);
    fillList(list, ShownItems(look));
}

// The rows of height itemHeight that fit, at least one when atLeastOne.
int wholeRows(int space, bool atLeastOne) {
    const int rows = std::max(0, space) / ListItemHeight();
    return atLeastOne ? std::max(1, rows) : rows;
}

} // namespace

int ListItemHeight() {
    return QFontMetrics(ControlFont()).height() + 1;
}

int ComboFieldHeight() {
    return QFontMetrics(ControlFont()).height() + 8;
}

std::vector<std::string> ShownItems(const ControlLook& look) {
    std::vector<std::string> items = look.items;
    if (look.sort)
        std::stable_sort(items.begin(), items.end(),
                         [](const std::string& a, const std::string& b) {
                             return ShownText(a).compare(ShownText(b), Qt::CaseInsensitive) < 0;
                         });
    return items;
}

// -------------------- List box

CSysControlListBox::CSysControlListBox(const ControlLook& look, QWidget* parent)
    : QListWidget(parent) {
    setUpList(*this, look, look.focus, look.multicolumn ? std::max(1, look.columnWidth) : 0);
    setSelectionMode(look.extendedSelection ? QAbstractItemView::ExtendedSelection
                                            : QAbstractItemView::SingleSelection);
    if (look.multicolumn) {
        setFlow(QListView::TopToBottom);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
        setHorizontalScrollBarPolicy(!look.hScroll          ? Qt::ScrollBarAlwaysOff
                                     : look.disableNoScroll ? Qt::ScrollBarAlwaysOn
                                                            : Qt::ScrollBarAsNeeded);
    } else if (look.hScroll && look.disableNoScroll) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    // The caret row carries the focus mark; with no selection it is the first row.
    if (count() > 0)
        selectionModel()->setCurrentIndex(model()->index(std::max(0, look.selection), 0),
                                          QItemSelectionModel::NoUpdate);
    if (look.selection >= 0) {
        if (look.extendedSelection)
            item(look.selection)->setSelected(true);
        else
            setCurrentRow(look.selection);
    }
    if (look.vScroll && look.leftScrollBar)
        left_ = new LeftScrollBar(
            this, look.disableNoScroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded,
            [this](int margin) { setViewportMargins(margin, 0, 0, 0); });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (filling_ || !report_)
            return;
        const bool single = selectionMode() == QAbstractItemView::SingleSelection;
        report_(currentRow(), single || !selectedItems().isEmpty());
    });
    filling_ = false;
}

int CSysControlListBox::RealHeight(const ControlLook& look, int height, int edgeWidth) {
    if (!look.integralHeight)
        return height;
    const int client = height - 2 * edgeWidth;
    return 2 * edgeWidth + wholeRows(client, true) * ListItemHeight();
}

std::vector<std::string> CSysControlListBox::Items() const {
    return itemsOf(*this);
}

void CSysControlListBox::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    if (left_)
        left_->Place();
}

// -------------------- Combo box

CSysControlComboBox::CSysControlComboBox(const ControlLook& look, QWidget* parent)
    : QWidget(parent), look_(look) {
    const bool simple = look.comboKind == 0;
    const std::vector<std::string> items = ShownItems(look);
    if (!simple) {
        dropDown_ = new QComboBox(this);
        // The classic drop-down list shows its choice in a white field like the editable kind;
        // only the field's text cannot be typed.
        dropDown_->setEditable(true);
        dropDown_->lineEdit()->setReadOnly(look.comboKind == 2);
        for (const std::string& item : items)
            dropDown_->addItem(ShownText(item),
                               QByteArray(item.data(), static_cast<qsizetype>(item.size())));
        dropDown_->setCurrentIndex(look.selection);
        connect(dropDown_, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (!filling_)
                select(index);
        });
        if (QLineEdit* edit = dropDown_->lineEdit(); edit && look.comboKind == 1)
            connect(edit, &QLineEdit::textEdited, this, [this] {
                if (edited_)
                    edited_();
            });
    } else {
        field_ = new QLineEdit(this);
        field_->setFrame(false);
        if (look.selection >= 0)
            field_->setText(ShownText(items[static_cast<std::size_t>(look.selection)]));
        field_->setCursorPosition(0);
        connect(field_, &QLineEdit::textEdited, this, [this] {
            if (edited_)
                edited_();
        });
    }
    if (simple || look.showDropDown) {
        list_ = new QListWidget(this);
        ControlLook listLook = look;
        listLook.sort = false; // already in the shown order
        listLook.items = items;
        setUpList(*list_, listLook, false, 0);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        if (look.selection >= 0)
            list_->setCurrentRow(look.selection);
        connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (!filling_)
                select(row);
        });
    }
    filling_ = false;
}

void CSysControlComboBox::select(int index) {
    filling_ = true;
    const std::vector<std::string> items = Items();
    const std::string text = index >= 0 && index < static_cast<int>(items.size())
                                 ? items[static_cast<std::size_t>(index)]
                                 : std::string();
    if (dropDown_ && dropDown_->currentIndex() != index)
        dropDown_->setCurrentIndex(index);
    if (field_)
        field_->setText(ShownText(text));
    if (list_ && list_->currentRow() != index)
        list_->setCurrentRow(index);
    filling_ = false;
    if (selected_)
        selected_(index, text);
}

int CSysControlComboBox::RealHeight(const ControlLook& look, int height) {
    const int field = ComboFieldHeight();
    if (look.comboKind != 0 && !look.showDropDown)
        return field;
    const int frame = look.comboKind == 0 ? 2 * kSunkenEdge : 2 * kListFrame;
    if (!look.integralHeight)
        return std::max(height, field);
    return field + frame +
           wholeRows(height - field - frame, look.comboKind != 0) * ListItemHeight();
}

std::vector<std::string> CSysControlComboBox::Items() const {
    if (list_)
        return itemsOf(*list_);
    std::vector<std::string> items;
    for (int i = 0; i < dropDown_->count(); ++i) {
        const QByteArray bytes = dropDown_->itemData(i).toByteArray();
        items.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return items;
}

int CSysControlComboBox::CurrentIndex() const {
    if (dropDown_)
        return dropDown_->currentIndex();
    return list_ ? list_->currentRow() : -1;
}

void CSysControlComboBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void CSysControlComboBox::layOut() {
    const int field = ComboFieldHeight();
    const int width = this->width();
    if (dropDown_)
        dropDown_->setGeometry(0, 0, width, field);
    if (field_)
        field_->setGeometry(kSunkenEdge, kSunkenEdge, width - 2 * kSunkenEdge,
                            field - 2 * kSunkenEdge);
    if (list_) {
        const int frame = field_ ? kSunkenEdge : kListFrame;
        list_->setGeometry(frame, field + frame, width - 2 * frame,
                           std::max(0, height() - field - 2 * frame));
    }
}

void CSysControlComboBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int field = ComboFieldHeight();
    const QRect below(0, field, width(), std::max(0, height() - field));
    if (field_)
        DrawSunkenEdge(painter, QRect(0, 0, width(), field));
    if (list_ && field_)
        DrawSunkenEdge(painter, below);
    else if (list_) {
        const QColor frame = SysColour(COLOR_WINDOWFRAME);
        kfm::ui::Draw3dRect(painter, below, frame, frame);
    }
}

} // namespace kfm::syscontrols
