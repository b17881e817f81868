#include "DlgCompress.h"

#include "CompressionOptions.h"
#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ResourceAccess.h"

#include "Bitra5.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;

namespace {

UINT captionId(int control) {
    return kfm5res::kFileDlgTextBase + static_cast<UINT>(control);
}

struct OptionControl {
    int id;
    unsigned bit;
};

// The alternatives in the order they are shown, then the two additions.
constexpr OptionControl kRadios[] = {
    {CDlgCompress::kNone, kOptionNone},
    {CDlgCompress::kRle, kOptionRle},
    {CDlgCompress::kLzw, kOptionLzw},
    {CDlgCompress::kHuffman, kOptionHuffman},
    {CDlgCompress::kQualityOption, kOptionQuality},
};
constexpr OptionControl kChecks[] = {
    {CDlgCompress::kInterlaced, kOptionInterlaced},
    {CDlgCompress::kPredictor, kOptionPredictor},
};

QString formatCaption(const QString& format, int formatId) {
    KpxFormatEntry entry{};
    const QString name = KPXGetFormatName(formatId, &entry) ? QString::fromLatin1(entry.name)
                                                            : QString::number(formatId);
    QString caption = format;
    return caption.replace("%s", name);
}

} // namespace

CDlgCompress::CDlgCompress(QWidget* parent, int formatId, int bitsPerPixel, int* optionBits,
                           int* quality)
    : ResourceDialog(parent, kfm5res::IDD_COMPRESS, kfm::ui::GetResourceHandle()),
      optionBits_(optionBits), quality_(quality) {
    setWindowTitle(formatCaption(kit().text(kfm5res::IDS_COMPRESS_CAPTION, "%s"), formatId));
    const unsigned offered = OfferedCompressionOptions(formatId, bitsPerPixel);
    const unsigned first = FirstCompressionChoice(offered);

    auto* grid = new QGridLayout;
    auto* group = new QButtonGroup(this);
    int row = 0;
    for (const OptionControl& radio : kRadios) {
        auto* button = kit().add(radio.id, new QRadioButton(kit().text(captionId(radio.id)), this));
        group->addButton(button);
        button->setEnabled((offered & radio.bit) != 0);
        button->setChecked(radio.bit == first);
        grid->addWidget(button, row++, 0, 1, 3);
    }
    auto* label = kit().add(kQualityLabel, new QLabel(kit().text(captionId(kQualityLabel)), this));
    auto* edit = kit().add(kQuality, new CNumEdit(this));
    auto* spin = spin_ = kit().add(kQualitySpin, new CUpDown(this));
    edit->setMaxLength(3);
    edit->SetRange(kMinQuality, kMaxQuality);
    edit->setMaximumWidth(50);
    spin->SetBuddy(edit);
    spin->SetRange32(kMinQuality, kMaxQuality);
    spin->SetPos(quality_ ? *quality_ : kMaxQuality);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(spin, row++, 2);
    for (const OptionControl& check : kChecks) {
        auto* box = kit().add(check.id, new QCheckBox(kit().text(captionId(check.id)), this));
        box->setEnabled((offered & check.bit) != 0);
        grid->addWidget(box, row++, 0, 1, 3);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit().add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCompress::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCompress::reject);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(grid);
    rows->addWidget(buttons);

    connect(kit().controlAs<QRadioButton>(kQualityOption), &QRadioButton::toggled, this,
            [this] { enableQuality(); });
    enableQuality();
}

bool CDlgCompress::checked(int id) const {
    const auto* button = kit().controlAs<QAbstractButton>(id);
    return button && button->isEnabled() && button->isChecked();
}

void CDlgCompress::enableQuality() {
    const auto* option = kit().controlAs<QRadioButton>(kQualityOption);
    const bool on = option->isEnabled() && option->isChecked();
    for (int id : {kQuality, kQualitySpin, kQualityLabel})
        kit().control(id)->setEnabled(on);
}

void CDlgCompress::accept() {
    if (quality_)
        *quality_ = std::clamp(spin_->GetPos(), kMinQuality, kMaxQuality);
    unsigned bits = 0;
    for (const OptionControl& radio : kRadios)
        if (checked(radio.id))
            bits = radio.bit;
    for (const OptionControl& check : kChecks)
        if (checked(check.id))
            bits |= check.bit;
    if (optionBits_)
        *optionBits_ = static_cast<int>(bits);
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
