#include "StatusPanel.h"

#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "ShellServices.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>

namespace kfm::ui {

namespace {

constexpr int kLeastCounterWidth = 50;
// Ids of the progress display's controls.
constexpr int kLabelId = 65535;
constexpr int kProgressBarId = 1238;

QString objectNameFor(int id) {
    return QStringLiteral("ID_%1").arg(id);
}

} // namespace

StatusPanel::StatusPanel(QStatusBar* bar)
    : bar_(bar), idle_(new QLabel(bar)), counter_(new QLabel(bar)) {
    // The idle text sits in the message pane under the prompts, which hide it while shown.
    idle_->setText(ResourceString(kfm5res::AFX_IDS_IDLEMESSAGE));
    bar_->addWidget(idle_, 1);
    counter_->setObjectName(objectNameFor(kfm5res::ID_INDICATOR_FRAMES));
    counter_->setAlignment(Qt::AlignCenter);
    counter_->setFrameShape(QFrame::Panel);
    counter_->setFrameShadow(QFrame::Sunken);
    bar_->addPermanentWidget(counter_);
    SetFrameCounter(QStringLiteral(" "));
    ShowIdleMessage();
}

void StatusPanel::ShowIdleMessage() {
    bar_->clearMessage();
}

void StatusPanel::SetFrameCounter(const QString& text) {
    if (counter_->text() == text)
        return;
    counter_->setText(text);
    const int width = counter_->fontMetrics().horizontalAdvance(text) + 8;
    counter_->setMinimumWidth(std::max(kLeastCounterWidth, width));
}

QString StatusPanel::captionText(int position) const {
    const int percent = total_ > 0 ? position * 100 / total_ : 100;
    return FromCodePage1252(FormatText(caption_, {std::to_string(percent)}));
}

void StatusPanel::BeginProgress(UINT captionId, int total) {
    if (progress_)
        return;
    bar_->showMessage(QStringLiteral(" "));
    active_ = true;
    total_ = total;
    position_ = 0;
    stepCounter_ = 0;
    caption_ = ResourceText(captionId);

    const QString text = captionText(0);
    const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QSize textSize = QFontMetrics(font).size(Qt::TextSingleLine, text);
    const QRect client = bar_->rect();
    label_ = new QLabel(text, bar_);
    label_->setObjectName(objectNameFor(kLabelId));
    label_->setFont(font);
    label_->setGeometry(
        QRect(QPoint(5, client.top() + (client.height() - textSize.height()) / 2 + 1),
              QPoint(textSize.width() + 15, client.bottom())));
    progress_ = new QProgressBar(bar_);
    progress_->setObjectName(objectNameFor(kProgressBarId));
    progress_->setTextVisible(false);
    progress_->setRange(0, std::max(total, 0));
    progress_->setValue(0);
    // The bar ends 3 pixels before the frame counter pane.
    const int paneLeft = counter_->isVisible() ? counter_->geometry().left() : client.right();
    const int right = std::min(textSize.width() + 217, paneLeft - 3);
    progress_->setGeometry(
        QRect(QPoint(textSize.width() + 17, client.top() + 4),
              QPoint(std::max(right, textSize.width() + 18), client.bottom() - 2)));
    label_->show();
    progress_->show();
    label_->raise();
    progress_->raise();
    label_->repaint();
    progress_->repaint();
    lastPaint_.start();
}

void StatusPanel::StepProgress(WPARAM position) {
    const int next = position ? static_cast<int>(position) : position_ + 1;
    stepCounter_ = next;
    const int granularity = std::max(1, g_Progress.stepDivisor);
    if (next % granularity == 0)
        moveBar(next);
    else if (next >= total_)
        moveBar(total_);
    position_ = next;
}

void StatusPanel::moveBar(int position) {
    if (!progress_ || position == progress_->value() || total_ <= 0)
        return;
    progress_->setValue(std::min(position, total_));
    label_->setText(captionText(position));
    // A long operation paints the bar itself, as it does not return to the event loop; between
    // such paints the change waits for the next one or for the loop.
    constexpr qint64 kPaintIntervalMs = 40;
    if (position < total_ && lastPaint_.isValid() && lastPaint_.elapsed() < kPaintIntervalMs)
        return;
    label_->repaint();
    progress_->repaint();
    lastPaint_.start();
}

void StatusPanel::EndProgress() {
    delete label_;
    delete progress_;
    active_ = false;
    ShowIdleMessage();
    bar_->repaint();
}

} // namespace kfm::ui
