#include "DlgNewDoc.h"

#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ResourceAccess.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;

namespace {

constexpr char kSection[] = "Dlgs\\NewDoc";
constexpr int kDefaultWidth = 468;
constexpr int kDefaultHeight = 60;

UINT captionId(int control) {
    return kfm5res::kFileDlgTextBase + static_cast<UINT>(control);
}

// A labelled size field of 4 digits, 1..9999, with its up-down, in a row of the grid.
CUpDown* sideField(kfm::ui::DialogKit& kit, QWidget* owner, QGridLayout* grid, int row, int id,
                   int spinId, int value) {
    auto* caption = new QLabel(kit.text(captionId(id)), owner);
    auto* edit = kit.add(id, new CNumEdit(owner));
    auto* spin = kit.add(spinId, new CUpDown(owner));
    edit->setMaxLength(4);
    edit->SetRange(kMinFormatSide, kMaxFormatSide);
    edit->setMaximumWidth(60);
    spin->SetBuddy(edit);
    spin->SetRange32(kMinFormatSide, kMaxFormatSide);
    spin->SetPos(value);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(spin, row, 2);
    return spin;
}

QDialogButtonBox* okCancel(kfm::ui::DialogKit& kit, QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    kit.add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit.add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QString sizeText(int width, int height) {
    return QStringLiteral("%1 x %2").arg(width).arg(height);
}

bool askWithDialog(QWidget* parent, QString& name, int& width, int& height) {
    CDlgNewDocFormat dialog(parent, &name, &width, &height);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

// -------------------- CDlgNewDocFormat

CDlgNewDocFormat::CDlgNewDocFormat(QWidget* parent, QString* name, int* width, int* height)
    : ResourceDialog(parent, kfm5res::IDD_NEW_DOC_FORMAT, kfm::ui::GetResourceHandle()),
      name_(name), width_(width), height_(height) {
    auto* grid = new QGridLayout;
    auto* caption = new QLabel(kit().text(captionId(kName)), this);
    nameEdit_ = kit().add(kName, new QLineEdit(name_ ? *name_ : QString(), this));
    nameEdit_->setMaxLength(kMaxNameLength);
    caption->setBuddy(nameEdit_);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(nameEdit_, 0, 1, 1, 2);
    widthSpin_ = sideField(kit(), this, grid, 1, kWidth, kWidthSpin, width_ ? *width_ : 1);
    heightSpin_ = sideField(kit(), this, grid, 2, kHeight, kHeightSpin, height_ ? *height_ : 1);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(grid);
    rows->addWidget(okCancel(kit(), this));
    nameEdit_->selectAll();
    nameEdit_->setFocus();
}

void CDlgNewDocFormat::accept() {
    if (name_)
        *name_ = nameEdit_->text();
    // Stored as 16-bit values; the range keeps them there.
    if (width_)
        *width_ = static_cast<std::uint16_t>(widthSpin_->GetPos());
    if (height_)
        *height_ = static_cast<std::uint16_t>(heightSpin_->GetPos());
    ResourceDialog::accept();
}

// -------------------- CDlgNewDoc

CDlgNewDoc::CDlgNewDoc(QWidget* parent, int* width, int* height, int* defaultIndex,
                       int* defaultWidth, int* defaultHeight)
    : ResourceDialog(parent, kfm5res::IDD_NEW_DOC, kfm::ui::GetResourceHandle(), kSection),
      width_(width), height_(height), defaultIndex_(defaultIndex), defaultWidth_(defaultWidth),
      defaultHeight_(defaultHeight), asker_(askWithDialog) {
    list_ = kit().add(kList, new QTreeWidget(this));
    list_->setRootIsDecorated(false);
    list_->setColumnCount(2);
    list_->header()->hide();
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumSize(260, 180);

    auto* grid = new QGridLayout;
    const int storedWidth = kit().readInt("SelectedWidth", kDefaultWidth);
    const int storedHeight = kit().readInt("SelectedHeight", kDefaultHeight);
    widthSpin_ = sideField(kit(), this, grid, 0, kWidth, kWidthSpin, storedWidth);
    heightSpin_ = sideField(kit(), this, grid, 1, kHeight, kHeightSpin, storedHeight);
    auto* actions = new QVBoxLayout;
    for (const int id : {kAdd, kDelete, kSetDefault}) {
        auto* button = kit().add(id, new QPushButton(kit().text(captionId(id)), this));
        button->setAutoDefault(false);
        actions->addWidget(button);
    }
    actions->addLayout(grid);
    actions->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(list_, 1);
    columns->addLayout(actions);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(columns);
    rows->addWidget(okCancel(kit(), this));

    userFormats_ = ReadUserFormats(kit());
    fillList();
    // The stored choice is selected only while its entry still has the stored size.
    const int stored = kit().readInt("SelectedID", 0);
    const bool matches = stored >= 0 && stored < list_->topLevelItemCount() &&
                         entry(stored).width == storedWidth && entry(stored).height == storedHeight;
    select(matches ? stored : -1);
    showSize(storedWidth, storedHeight);
    enableButtons();

    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CDlgNewDoc::selectionChanged);
    connect(kit().controlAs<QPushButton>(kAdd), &QPushButton::clicked, this,
            &CDlgNewDoc::addFormat);
    connect(kit().controlAs<QPushButton>(kDelete), &QPushButton::clicked, this,
            &CDlgNewDoc::deleteFormat);
    connect(kit().controlAs<QPushButton>(kSetDefault), &QPushButton::clicked, this,
            &CDlgNewDoc::setAsDefault);
}

CDlgNewDoc::~CDlgNewDoc() {
    if (!written_)
        WriteUserFormats(kit(), userFormats_);
}

NewDocFormat CDlgNewDoc::entry(int index) const {
    const auto& banners = BannerFormats();
    if (index < 0)
        return {};
    if (index < kBannerFormatCount) {
        const BannerFormat& banner = banners[static_cast<std::size_t>(index)];
        return {kit().text(banner.textId), banner.width, banner.height};
    }
    const auto user = static_cast<std::size_t>(index - kBannerFormatCount);
    return user < userFormats_.size() ? userFormats_[user] : NewDocFormat{};
}

void CDlgNewDoc::fillList() {
    list_->clear();
    const int count = kBannerFormatCount + static_cast<int>(userFormats_.size());
    for (int i = 0; i < count; ++i) {
        const NewDocFormat format = entry(i);
        new QTreeWidgetItem(list_, {format.name, sizeText(format.width, format.height)});
    }
    list_->resizeColumnToContents(0);
}

int CDlgNewDoc::Selection() const {
    const QList<QTreeWidgetItem*> chosen = list_->selectedItems();
    return chosen.isEmpty() ? -1 : list_->indexOfTopLevelItem(chosen.front());
}

void CDlgNewDoc::select(int index) {
    const QSignalBlocker quiet(list_);
    list_->clearSelection();
    if (QTreeWidgetItem* item = index >= 0 ? list_->topLevelItem(index) : nullptr) {
        item->setSelected(true);
        list_->setCurrentItem(item);
        list_->scrollToItem(item);
    }
}

void CDlgNewDoc::showSize(int width, int height) {
    widthSpin_->SetPos(width);
    heightSpin_->SetPos(height);
}

void CDlgNewDoc::selectionChanged() {
    const int index = Selection();
    if (index >= 0) {
        const NewDocFormat format = entry(index);
        showSize(format.width, format.height);
    }
    enableButtons();
}

void CDlgNewDoc::enableButtons() {
    kit().control(kAdd)->setEnabled(list_->topLevelItemCount() < kMaxFormatEntries);
    kit().control(kDelete)->setEnabled(Selection() >= kBannerFormatCount);
}

void CDlgNewDoc::addFormat() {
    if (list_->topLevelItemCount() >= kMaxFormatEntries)
        return;
    const int selected = Selection();
    QString name = selected >= 0 ? entry(selected).name : kit().text(kfm5res::IDS_NEW_FORMAT_NAME);
    int width = widthSpin_->GetPos();
    int height = heightSpin_->GetPos();
    if (!asker_(this, name, width, height))
        return;
    width = std::clamp(width, kMinFormatSide, kMaxFormatSide);
    height = std::clamp(height, kMinFormatSide, kMaxFormatSide);
    userFormats_.push_back({name, width, height});
    fillList();
    select(list_->topLevelItemCount() - 1);
    showSize(width, height);
    enableButtons();
}

void CDlgNewDoc::deleteFormat() {
    const int selected = Selection();
    if (selected < kBannerFormatCount)
        return;
    userFormats_.erase(userFormats_.begin() + (selected - kBannerFormatCount));
    fillList();
    select(selected - 1);
    const NewDocFormat previous = entry(selected - 1);
    showSize(previous.width, previous.height);
    enableButtons();
}

void CDlgNewDoc::setAsDefault() {
    if (defaultWidth_)
        *defaultWidth_ = widthSpin_->GetPos();
    if (defaultHeight_)
        *defaultHeight_ = heightSpin_->GetPos();
    if (defaultIndex_)
        *defaultIndex_ = Selection();
}

void CDlgNewDoc::accept() {
    if (width_)
        *width_ = widthSpin_->GetPos();
    if (height_)
        *height_ = heightSpin_->GetPos();
    kit().writeInt("SelectedID", Selection());
    kit().writeInt("SelectedWidth", widthSpin_->GetPos());
    kit().writeInt("SelectedHeight", heightSpin_->GetPos());
    ResourceDialog::accept();
}

void CDlgNewDoc::done(int result) {
    // The user formats are kept when the dialog closes, whichever way.
    WriteUserFormats(kit(), userFormats_);
    written_ = true;
    ResourceDialog::done(result);
}

} // namespace kfm::dialogs
