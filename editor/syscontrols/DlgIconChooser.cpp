#include "DlgIconChooser.h"

#include "ControlIcons.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::syscontrols {

namespace {

// The cell of an icon, as the system's icon view spaces them.
constexpr QSize kIconSpacing(41, 44);

} // namespace

CDlgIconChooser::CDlgIconChooser(QWidget* parent, const std::vector<QPixmap>& icons)
    : ResourceDialog(parent, kfm5res::IDD_ICON_CHOOSER, kfm::ui::GetResourceHandle()) {
    auto& k = kit();
    list_ = k.add(kIconList, new QListWidget(this));
    list_->setViewMode(QListView::IconMode);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setGridSize(kIconSpacing);
    list_->setIconSize(QSize(kControlIconSide, kControlIconSide));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumSize(8 * kIconSpacing.width() + 24, 4 * kIconSpacing.height() + 8);
    for (std::size_t i = kFirstListedIcon; i < icons.size(); ++i)
        list_->addItem(new QListWidgetItem(QIcon(icons[i]), QString()));
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    k.add(IDOK, buttons->button(QDialogButtonBox::Ok));
    k.add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgIconChooser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgIconChooser::reject);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(list_);
    rows->addWidget(buttons);
}

void CDlgIconChooser::accept() {
    // The selected item's position among exactly the listed items, from the first.
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->isSelected()) {
            chosen_ = row;
            ResourceDialog::accept();
            return;
        }
    }
    reject();
}

} // namespace kfm::syscontrols
