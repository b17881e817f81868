#include "DlgPrintOptions.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::dialogs {

namespace {

UINT captionId(int control) {
    return kfm5res::kFileDlgTextBase + static_cast<UINT>(control);
}

bool isSet(const int* value) {
    return value && *value != 0;
}

} // namespace

CDlgPrintOptions::CDlgPrintOptions(QWidget* parent, int* rim, int* title, int* rendered,
                                   int* bypass, int* columns, int* rows)
    : ResourceDialog(parent, kfm5res::IDD_PRINT_OPTIONS, kfm::ui::GetResourceHandle()), rim_(rim),
      title_(title), rendered_(rendered), bypass_(bypass), columns_(columns), rows_(rows) {
    auto* layout = new QVBoxLayout(this);
    const auto addCheck = [&](int id, bool on) {
        auto* check = kit().add(id, new QCheckBox(kit().text(captionId(id)), this));
        check->setChecked(on);
        layout->addWidget(check);
        return check;
    };
    addCheck(kRim, isSet(rim_));
    addCheck(kTitle, isSet(title_));
    auto* pair = new QButtonGroup(this);
    pair->addButton(addCheck(kRendered, isSet(rendered_)));
    pair->addButton(addCheck(kAsStored, !isSet(rendered_)));
    pair->setExclusive(true);
    addCheck(kOrderBypass, isSet(bypass_));
    addCheck(kOrderColumns, isSet(columns_));
    addCheck(kOrderRows, isSet(rows_));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit().add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgPrintOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgPrintOptions::reject);
    layout->addWidget(buttons);
}

bool CDlgPrintOptions::checked(int id) const {
    return kit().controlAs<QCheckBox>(id)->isChecked();
}

void CDlgPrintOptions::accept() {
    const auto put = [](int* target, bool on) {
        if (target)
            *target = on ? 1 : 0;
    };
    put(rim_, checked(kRim));
    put(title_, checked(kTitle));
    put(rendered_, checked(kRendered));
    put(bypass_, checked(kOrderBypass));
    put(columns_, checked(kOrderColumns));
    put(rows_, checked(kOrderRows));
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
