#include "ClipFilterDialog.h"

#include "ClipPreview.h"
#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ResourceAccess.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimerEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;

namespace {

// The picture of a transport button.
QIcon transportIcon(QStyle* style, int role) {
    switch (role) {
    case 0:
        return style->standardIcon(QStyle::SP_BrowserReload); // loop
    case 1:
        return style->standardIcon(QStyle::SP_MediaPlay); // play
    case 2:
        return style->standardIcon(QStyle::SP_MediaStop); // stop
    case 3:
        return style->standardIcon(QStyle::SP_MediaSkipBackward); // to the start
    case 4:
        return style->standardIcon(QStyle::SP_MediaSeekBackward); // previous
    case 5:
        return style->standardIcon(QStyle::SP_MediaSeekForward); // next
    case 6:
        return style->standardIcon(QStyle::SP_MediaSkipForward); // to the end
    case 7:
        return style->standardIcon(QStyle::SP_ArrowRight); // play the range
    case 8:
        return style->standardIcon(QStyle::SP_ArrowDown); // range start
    default:
        return style->standardIcon(QStyle::SP_ArrowUp); // range end
    }
}

UINT captionId(int control) {
    return kfm5res::kFileDlgTextBase + static_cast<UINT>(control);
}

} // namespace

// -------------------- RangeSlider

RangeSlider::RangeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setPageStep(1);
    setSingleStep(1);
}

void RangeSlider::SetSelection(int first, int last) {
    first_ = first;
    last_ = last;
    update();
}

void RangeSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (last_ < first_ || maximum() <= minimum())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const auto at = [&](int value) {
        return groove.left() + handle.width() / 2 +
               QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
    };
    QPainter painter(this);
    const QRect band(QPoint(at(first_), groove.bottom() + 1),
                     QPoint(std::max(at(last_), at(first_) + 1), groove.bottom() + 3));
    painter.fillRect(band, palette().color(QPalette::Highlight));
}

// -------------------- ClipFilterDialog

ClipFilterDialog::ClipFilterDialog(QWidget* parent, UINT templateId, const ClipDialogIds& ids,
                                   ClipPreview* preview, const QString& path, int limit,
                                   const ClipChoiceValues& values)
    : ResourceDialog(parent, templateId, kfm::ui::GetResourceHandle()), ids_(ids),
      preview_(preview), range_(std::max(preview->LengthFrames(), 1), limit), values_(values) {
    range_.Reset(values.start, values.count);
    buildControls(path);
    connectControls();
    showRange();
    showPosition(preview_->Position() + 1, true);
    showTimes(true);
    enableControls();
    timerId_ = startTimer(kPositionTimerMs);
}

ClipFilterDialog::~ClipFilterDialog() {
    preview_->Stop();
}

int ClipFilterDialog::GetFrameCount() const {
    return std::min(range_.ClipFrames(), range_.Limit());
}

QLabel* ClipFilterDialog::label(int id) const {
    return kit().controlAs<QLabel>(id);
}

QAbstractButton* ClipFilterDialog::transportButton(int id, int icon, UINT tip, QWidget* parent) {
    auto* button = kit().add(id, new QToolButton(parent));
    button->setIcon(transportIcon(style(), icon));
    button->setAutoRaise(false);
    if (tip)
        button->setToolTip(kit().text(tip));
    return button;
}

CNumEdit* ClipFilterDialog::numberField(int id, int spinId, int maximum, QGridLayout* grid, int row,
                                        CUpDown*& spin) {
    auto* caption = new QLabel(kit().text(captionId(id)), this);
    auto* edit = kit().add(id, new CNumEdit(this));
    spin = kit().add(spinId, new CUpDown(this));
    edit->setMaxLength(4);
    edit->SetRange(1, maximum);
    edit->setMaximumWidth(60);
    spin->SetBuddy(edit);
    spin->SetRange32(1, maximum);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(spin, row, 2);
    return edit;
}

QWidget* ClipFilterDialog::buildTransport() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    if (ids_.loopIsButton) {
        loop_ = transportButton(ids_.loop, 0, 0, bar);
        loop_->setCheckable(true);
        row->addWidget(loop_);
        row->addSpacing(5);
    }
    row->addWidget(transportButton(ids_.play, 1, kfm5res::IDS_TIP_PLAY, bar));
    row->addWidget(transportButton(ids_.stop, 2, kfm5res::IDS_TIP_STOP, bar));
    row->addSpacing(5);
    row->addWidget(transportButton(ids_.toStart, 3, kfm5res::IDS_TIP_CLIP_START, bar));
    row->addWidget(transportButton(ids_.previous, 4, kfm5res::IDS_TIP_PREVIOUS_FRAME, bar));
    row->addWidget(transportButton(ids_.next, 5, kfm5res::IDS_TIP_NEXT_FRAME, bar));
    row->addWidget(transportButton(ids_.toEnd, 6, kfm5res::IDS_TIP_CLIP_END, bar));
    row->addSpacing(5);
    row->addWidget(transportButton(ids_.setRangeStart, 8, kfm5res::IDS_TIP_RANGE_START, bar));
    row->addWidget(transportButton(ids_.setRangeEnd, 9, kfm5res::IDS_TIP_RANGE_END, bar));
    row->addSpacing(10);
    row->addWidget(transportButton(ids_.playRange, 7, kfm5res::IDS_TIP_PLAY_RANGE, bar));
    row->addStretch();
    return bar;
}

void ClipFilterDialog::buildControls(const QString& path) {
    const int frames = range_.ClipFrames();
    auto* rows = new QVBoxLayout(this);

    auto* name = new QLabel(QFileInfo(path).fileName(), this);
    rows->addWidget(name);
    preview_->setParent(this);
    kit().add(ids_.previewHost, preview_);
    preview_->setMinimumSize(320, 200);
    rows->addWidget(preview_, 1);

    slider_ = kit().add(ids_.slider, new RangeSlider(this));
    slider_->setRange(1, frames);
    slider_->setValue(1);
    rows->addWidget(slider_);

    auto* transport = new QHBoxLayout;
    transport->addWidget(buildTransport(), 1);
    transport->addWidget(kit().add(ids_.position, new QLabel(this)));
    transport->addSpacing(8);
    transport->addWidget(kit().add(ids_.positionTime, new QLabel(this)));
    rows->addLayout(transport);

    auto* range = new QGroupBox(kit().text(captionId(ids_.rangeStartLabel)), this);
    kit().add(ids_.rangeStartLabel, range);
    auto* grid = new QGridLayout(range);
    startEdit_ = numberField(ids_.start, ids_.startSpin, frames, grid, 0, startSpin_);
    countEdit_ = numberField(ids_.count, ids_.countSpin, frames, grid, 1, countSpin_);
    grid->addWidget(new QLabel(kit().text(captionId(ids_.rangeStartTime)), range), 0, 3);
    grid->addWidget(kit().add(ids_.rangeStartTime, new QLabel(range)), 0, 4);
    grid->addWidget(kit().add(ids_.rangeCountLabel,
                              new QLabel(kit().text(captionId(ids_.rangeCountLabel)), range)),
                    1, 3);
    grid->addWidget(kit().add(ids_.rangeLength, new QLabel(range)), 1, 4);
    rows->addWidget(range);

    auto* options = new QGridLayout;
    divisorEdit_ = numberField(ids_.divisor, ids_.divisorSpin, frames, options, 0, divisorSpin_);
    int column = 3;
    const auto addCheck = [&](int id) {
        auto* check = kit().add(id, new QCheckBox(kit().text(captionId(id)), this));
        options->addWidget(check, 0, column++);
        return check;
    };
    allFrames_ = addCheck(ids_.allFrames);
    addCheck(ids_.merge)->setChecked(values_.merge);
    if (ids_.sound)
        addCheck(ids_.sound)->setChecked(values_.sound);
    if (!ids_.loopIsButton)
        loop_ = addCheck(ids_.loop);
    rows->addLayout(options);

    auto* facts = new QHBoxLayout;
    const auto addFact = [&](int id, const QString& text) {
        facts->addWidget(new QLabel(kit().text(captionId(id)), this));
        facts->addWidget(kit().add(id, new QLabel(text, this)));
        facts->addSpacing(12);
    };
    addFact(ids_.clipFrames, QString::number(frames));
    addFact(ids_.clipLength, ClipTimeText(preview_->FrameMilliseconds(), frames));
    facts->addStretch();
    facts->addWidget(kit().add(
        ids_.limitText,
        new QLabel(
            kit().text(kfm5res::IDS_CLIP_LIMIT).replace("%d", QString::number(range_.Limit())),
            this)));
    rows->addLayout(facts);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit().add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &ClipFilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ClipFilterDialog::reject);
    rows->addWidget(buttons);

    // The caller's values; the count and divisor the caller has none for follow the clip.
    updating_ = true;
    startSpin_->SetPos(range_.Start());
    countSpin_->SetPos(range_.Count());
    divisorSpin_->SetPos(values_.count < 0 ? DefaultDivisor(frames, range_.Limit())
                                           : std::max(values_.divisor, 1));
    updating_ = false;
    allFrames_->setChecked(values_.allFrames);
    loop_->setChecked(values_.loop);
    preview_->SetRepeat(values_.loop);
}

void ClipFilterDialog::connectControls() {
    const auto onClick = [this](int id, auto slot) {
        if (auto* button = kit().controlAs<QAbstractButton>(id))
            connect(button, &QAbstractButton::clicked, this, slot);
    };
    onClick(ids_.play, [this] { play(); });
    onClick(ids_.stop, [this] { preview_->Stop(); });
    onClick(ids_.toStart, [this] { preview_->SeekToStart(); });
    onClick(ids_.previous, [this] {
        preview_->Stop();
        if (preview_->Position() >= 1)
            preview_->Seek(preview_->Position() - 1);
    });
    onClick(ids_.next, [this] {
        preview_->Stop();
        if (preview_->Position() + 1 < range_.ClipFrames())
            preview_->Seek(preview_->Position() + 1);
    });
    onClick(ids_.toEnd, [this] { preview_->SeekToEnd(); });
    onClick(ids_.playRange, [this] { playRange(); });
    onClick(ids_.setRangeStart, [this] { setRangeStart(); });
    onClick(ids_.setRangeEnd, [this] { setRangeEnd(); });
    connect(loop_, &QAbstractButton::toggled, this, [this](bool on) { preview_->SetRepeat(on); });
    connect(allFrames_, &QAbstractButton::toggled, this, [this] { enableControls(); });
    connect(startEdit_, &QLineEdit::textChanged, this, [this] { startEdited(); });
    connect(countEdit_, &QLineEdit::textChanged, this, [this] { countEdited(); });
    connect(slider_, &QSlider::valueChanged, this, &ClipFilterDialog::sliderMoved);
    connect(preview_, &ClipPreview::shown, this,
            [this](int frame) { showPosition(frame + 1, false); });
}

void ClipFilterDialog::play() {
    preview_->Play();
}

void ClipFilterDialog::playRange() {
    if (range_.Start() < range_.End())
        preview_->PlayRange(range_.Start() - 1, range_.End() - 1);
}

void ClipFilterDialog::setRangeStart() {
    range_.SetStartAt(slider_->value());
    showRange();
}

void ClipFilterDialog::setRangeEnd() {
    range_.SetEndAt(slider_->value());
    showRange();
}

void ClipFilterDialog::startEdited() {
    if (updating_ || startEdit_->text().isEmpty())
        return;
    range_.SetStart(startEdit_->GetValue());
    showRange();
}

void ClipFilterDialog::countEdited() {
    if (updating_ || countEdit_->text().isEmpty())
        return;
    range_.SetCount(countEdit_->GetValue());
    showRange();
}

void ClipFilterDialog::sliderMoved(int value) {
    if (updating_)
        return;
    preview_->Seek(value - 1);
}

void ClipFilterDialog::showRange() {
    updating_ = true;
    if (startEdit_->GetValue() != range_.Start() || startEdit_->text().isEmpty())
        startSpin_->SetPos(range_.Start());
    if (countEdit_->GetValue() != range_.Count() || countEdit_->text().isEmpty())
        countSpin_->SetPos(range_.Count());
    updating_ = false;
    slider_->SetSelection(range_.Start(), range_.End());
    showTimes(false);
    enableControls();
}

void ClipFilterDialog::showPosition(int position, bool force) {
    position = std::clamp(position, 1, range_.ClipFrames());
    if (position == shownPosition_ && !force)
        return;
    shownPosition_ = position;
    label(ids_.position)->setText(QString::number(position));
    updating_ = true;
    slider_->setValue(position);
    updating_ = false;
    showTimes(force);
}

void ClipFilterDialog::showTimes(bool force) {
    const double frameMs = preview_->FrameMilliseconds();
    const auto rewrite = [&](int id, int frames, int& shown) {
        const int seconds = ClipSeconds(frameMs, frames);
        if (seconds == shown && !force)
            return;
        shown = seconds;
        label(id)->setText(ClipTimeText(frameMs, frames));
    };
    rewrite(ids_.positionTime, std::max(shownPosition_, 1), shownSeconds_);
    rewrite(ids_.rangeStartTime, range_.Start(), shownRangeSeconds_);
    rewrite(ids_.rangeLength, range_.Count(), shownLengthSeconds_);
}

void ClipFilterDialog::enableControls() {
    const bool ranged = !allFrames_->isChecked();
    for (int id : {ids_.rangeStartLabel, ids_.rangeCountLabel, ids_.start, ids_.startSpin,
                   ids_.count, ids_.countSpin, ids_.setRangeStart, ids_.setRangeEnd})
        if (QWidget* control = kit().control(id))
            control->setEnabled(ranged);
    if (QWidget* control = kit().control(ids_.playRange))
        control->setEnabled(ranged && range_.Start() < range_.End());
}

void ClipFilterDialog::FollowPosition() {
    showPosition(preview_->Position() + 1, false);
}

void ClipFilterDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timerId_)
        FollowPosition();
    else
        ResourceDialog::timerEvent(event);
}

void ClipFilterDialog::accept() {
    preview_->Stop();
    values_.loop = loop_->isChecked();
    if (ids_.sound)
        values_.sound = kit().controlAs<QCheckBox>(ids_.sound)->isChecked();
    values_.start = startSpin_->GetPos();
    values_.count = countSpin_->GetPos();
    values_.allFrames = allFrames_->isChecked();
    values_.divisor = divisorSpin_->GetPos();
    values_.merge = kit().controlAs<QCheckBox>(ids_.merge)->isChecked();
    ResourceDialog::accept();
}

void ClipFilterDialog::reject() {
    preview_->Stop();
    ResourceDialog::reject();
}

} // namespace kfm::dialogs
