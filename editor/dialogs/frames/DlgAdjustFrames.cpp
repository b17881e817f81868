#include "DlgAdjustFrames.h"

#include "FrameDialogRules.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

namespace {

constexpr int kAmountLimit = 32000;
constexpr int kPercentLimit = 100;

} // namespace

CDlgAdjustFrames::CDlgAdjustFrames(QWidget* parent, int total, int count)
    : ResourceDialog(parent, kfm5res::IDD_ADJUST_FRAMES, kfm::ui::GetResourceHandle()),
      total_(std::max(total, 0)), count_(std::max(count, 0)) {
    amountMode_ = AddRadio(kit(), kAmountMode);
    percentMode_ = AddRadio(kit(), kPercentMode);
    amount_ = AddNumberField(kit(), kAmount, kAmountSpin, -kAmountLimit, kAmountLimit, 5);
    percent_ = AddNumberField(kit(), kPercent, kPercentSpin, -kPercentLimit, kPercentLimit, 4);
    change_ = AddNumberField(kit(), kChange, kChangeSpin, -total_, total_, 5);
    slider_ = kit().add(kSlider, new QSlider(Qt::Horizontal, this));
    slider_->setRange(-kPercentLimit, kPercentLimit);
    slider_->setTickInterval(10);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setPageStep(1);
    result_ = kit().add(kResult, new QLabel(this));
    const auto label = [this](int id) {
        return kit().add(id, new QLabel(kit().text(static_cast<UINT>(id)), this));
    };

    auto* rows = new QVBoxLayout(this);
    rows->addWidget(amountMode_);
    auto* amountRow = new QFormLayout;
    amountRow->addRow(label(kAmountLabel), amount_.row);
    rows->addLayout(amountRow);
    rows->addWidget(percentMode_);
    auto* percentRows = new QGridLayout;
    percentRows->addWidget(label(kPercentLabel), 0, 0);
    percentRows->addWidget(percent_.row, 0, 1, 1, 2);
    percentRows->addWidget(slider_, 1, 0, 1, 3);
    percentRows->addWidget(label(kPercentMinLabel), 2, 0, Qt::AlignLeft);
    percentRows->addWidget(label(kPercentZeroLabel), 2, 1, Qt::AlignHCenter);
    percentRows->addWidget(label(kPercentMaxLabel), 2, 2, Qt::AlignRight);
    percentRows->addWidget(label(kChangeLabel), 3, 0);
    percentRows->addWidget(change_.row, 3, 1, 1, 2);
    rows->addLayout(percentRows);
    rows->addWidget(result_);
    AddOkCancel(*this, rows);

    amount_.Show(0);
    percent_.Show(0);
    change_.Show(0);
    showTotal(total_);
    amountMode_->setChecked(true);
    setMode(0);
    for (const NumberField* field : {&amount_, &percent_, &change_})
        field->edit->SetAutoApply(true);
    connect(amountMode_, &QRadioButton::clicked, this, [this] { setMode(0); });
    connect(percentMode_, &QRadioButton::clicked, this, [this] { setMode(1); });
    connect(amount_.edit, &kfm::ui::CNumEdit::committed, this, &CDlgAdjustFrames::amountCommitted);
    connect(percent_.edit, &kfm::ui::CNumEdit::committed, this,
            &CDlgAdjustFrames::percentCommitted);
    connect(change_.edit, &kfm::ui::CNumEdit::committed, this, &CDlgAdjustFrames::changeCommitted);
    connect(slider_, &QSlider::valueChanged, this, &CDlgAdjustFrames::sliderMoved);
}

QString CDlgAdjustFrames::ResultText() const {
    return result_->text();
}

void CDlgAdjustFrames::setMode(int mode) {
    mode_ = mode;
    const bool amount = mode == 0;
    amount_.SetEnabled(amount);
    kit().control(kAmountLabel)->setEnabled(amount);
    percent_.SetEnabled(!amount);
    change_.SetEnabled(!amount);
    slider_->setEnabled(!amount);
    for (const int id :
         {kPercentLabel, kPercentMinLabel, kPercentZeroLabel, kPercentMaxLabel, kChangeLabel})
        kit().control(id)->setEnabled(!amount);
}

void CDlgAdjustFrames::showTotal(int total) {
    result_->setText(
        kit().text(kfm5res::IDS_RESULT_TOTAL).replace(QLatin1String("%s"), QString::number(total)));
}

void CDlgAdjustFrames::showPercent(int percent) {
    percent_.Show(percent);
    const QSignalBlocker quiet(slider_);
    slider_->setValue(percent);
}

void CDlgAdjustFrames::amountCommitted() {
    showTotal(TotalAfterAmount(total_, count_, amount_.Value()));
}

void CDlgAdjustFrames::percentCommitted() {
    const int percent = percent_.Value();
    const QSignalBlocker quiet(slider_);
    slider_->setValue(percent);
    const int change = ChangeForPercent(total_, percent);
    change_.Show(change);
    showTotal(total_ + change);
}

void CDlgAdjustFrames::sliderMoved(int value) {
    percent_.Show(value);
    const int change = ChangeForPercent(total_, value);
    change_.Show(change);
    showTotal(total_ + change);
}

void CDlgAdjustFrames::changeCommitted() {
    const int change = change_.Value();
    showTotal(total_ + change);
    showPercent(PercentForChange(total_, change));
}

void CDlgAdjustFrames::accept() {
    resultMode_ = mode_;
    resultAmount_ = static_cast<short>(amount_.Value());
    resultPercent_ = static_cast<short>(percent_.Value());
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
