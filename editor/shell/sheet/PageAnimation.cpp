#include "PageAnimation.h"

#include "AnimationView.h"
#include "AppSettings.h"
#include "CanvasGeometry.h"
#include "GIFSheet.h"
#include "ImageView.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "PageFrame.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "SmallControls.h"
#include "SplitterSizes.h"
#include "UndoHistory.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kfm::ui {

using namespace kfm5res;
namespace rules = kfm::shell;

namespace {

constexpr int kSizeMaximum = 9999;
constexpr int kLoopMaximum = 65535; // the looping block's unsigned 16 bits
constexpr int kCommentLimit = 4096;

CAnimationData& animation() {
    return *g_pAnimationData;
}

} // namespace

CPageAnimation::CPageAnimation(CGIFSheet& sheet, QWidget* parent)
    : ResourcePage(parent, IDD_PAGE_ANIMATION, GetResourceHandle()), sheet_(sheet),
      watcher_(new TypingWatcher(this)) {
    build();
    width_.edit->SetAutoApply(true);
    height_.edit->SetAutoApply(true);
    count_.edit->SetAutoApply(true);
    if (g_pAnimationData) {
        const bool elasticOn = animation().AnimationStateElasticSize != 0;
        elastic_->setChecked(elasticOn);
        fixed_->setChecked(!elasticOn);
    }
    UpdateEnabling();
    initialised_ = true;
}

void CPageAnimation::build() {
    DialogKit& k = kit();
    auto* page = new QVBoxLayout(this);

    auto* screen = new QGroupBox;
    auto* screenForm = new QFormLayout(screen);
    QWidget* widthRow = nullptr;
    QWidget* heightRow = nullptr;
    width_ = AddNumericField(k, kWidth, kWidthSpin, 1, kSizeMaximum, 4, &widthRow);
    height_ = AddNumericField(k, kHeight, kHeightSpin, 1, kSizeMaximum, 4, &heightRow);
    fixed_ = k.add(kFixed, new QRadioButton(k.text(IDS_PAGE_FIXED_SIZE)));
    elastic_ = k.add(kElastic, new QRadioButton(k.text(IDS_PAGE_ELASTIC_SIZE)));
    screenForm->addRow(elastic_);
    screenForm->addRow(fixed_);
    screenForm->addRow(AddLabel(k, kWidthLabel, IDS_PAGE_WIDTH), widthRow);
    screenForm->addRow(AddLabel(k, kHeightLabel, IDS_PAGE_HEIGHT), heightRow);
    edgeLocks_ = k.add(kEdgeLocks, new CCornerControl);
    screenForm->addRow(AddLabel(k, kEdgeLocksLabel, IDS_PAGE_EDGE_LOCKS), edgeLocks_);
    page->addWidget(screen);

    auto* looping = new QGroupBox;
    auto* loopLayout = new QGridLayout(looping);
    loop_ = k.add(kLoop, new QCheckBox(k.text(IDS_PAGE_LOOP)));
    forever_ = k.add(kLoopForever, new QRadioButton(k.text(IDS_PAGE_LOOP_FOREVER)));
    counted_ = k.add(kLoopCounted, new QRadioButton(k.text(IDS_PAGE_LOOP_TIMES)));
    QWidget* countRow = nullptr;
    count_ = AddNumericField(k, kLoopCount, kLoopCountSpin, 1, kLoopMaximum, 5, &countRow);
    loopLayout->addWidget(loop_, 0, 0, 1, 2);
    loopLayout->addWidget(forever_, 1, 0, 1, 2);
    loopLayout->addWidget(counted_, 2, 0);
    loopLayout->addWidget(countRow, 2, 1);
    page->addWidget(looping);

    auto* info = new QFormLayout;
    frameCount_ = k.add(kFrameCount, new QLabel);
    info->addRow(AddLabel(k, 0, IDS_PAGE_FRAME_COUNT), frameCount_);
    page->addLayout(info);
    page->addWidget(AddLabel(k, 0, IDS_PAGE_COMMENT));
    comment_ = k.add(kComment, new QPlainTextEdit);
    comment_->setTabChangesFocus(true);
    page->addWidget(comment_, 1);

    for (const NumericField* f : {&width_, &height_, &count_})
        watcher_->Watch(*f);
    comment_->installEventFilter(this);
    connect(width_.edit, &CNumEdit::committed, this, [this] { onSizeCommitted(true); });
    connect(height_.edit, &CNumEdit::committed, this, [this] { onSizeCommitted(false); });
    connect(count_.edit, &CNumEdit::committed, this, [this] { onLoopCountCommitted(); });
    connect(loop_, &QCheckBox::clicked, this, [this] { onLoopClicked(kUndoKindLoop); });
    connect(forever_, &QRadioButton::clicked, this, [this] { onLoopClicked(kUndoKindLoopMode); });
    connect(counted_, &QRadioButton::clicked, this, [this] { onLoopClicked(kUndoKindLoopMode); });
    connect(comment_, &QPlainTextEdit::textChanged, this, [this] { onCommentChanged(); });
    connect(fixed_, &QRadioButton::clicked, this, [this] { onFixedClicked(); });
    connect(elastic_, &QRadioButton::clicked, this, [this] { onElasticClicked(); });
    connect(edgeLocks_, &CCornerControl::clicked, this, [this] { onEdgeLocksClicked(); });
}

bool CPageAnimation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == comment_) {
        // Focus marks a step as pending; the first change opens it; leaving closes it.
        if (event->type() == QEvent::FocusIn) {
            commentStepPending_ = true;
        } else if (event->type() == QEvent::FocusOut) {
            commentStepPending_ = false;
            if (commentStepOpen_) {
                commentStepOpen_ = false;
                TheUndoHistory().EndStep(0);
            }
        }
    }
    return ResourcePage::eventFilter(watched, event);
}

void CPageAnimation::Refresh() {
    if (!g_pAnimationData)
        return;
    const rules::ChangeSourceScope source(rules::kChangeSourceUpdate);
    const CAnimationData& a = animation();
    width_.Show(a.AnimationWidth);
    height_.Show(a.AnimationHeight);
    const rules::LoopChoice loop = rules::LoopChoiceOf(a.loopCount, count_.Value());
    loop_->setChecked(loop.on);
    forever_->setChecked(loop.endless);
    counted_->setChecked(!loop.endless);
    count_.Show(loop.count);
    frameCount_->setText(QString::number(a.RealFrameCount()));
    const QString comment = FromCodePage1252(a.comment);
    if (comment_->toPlainText() != comment) {
        const QSignalBlocker block(comment_);
        comment_->setPlainText(comment);
    }
    fixed_->setChecked(a.AnimationStateElasticSize == 0);
    elastic_->setChecked(a.AnimationStateElasticSize != 0);
    showEdgeLocks();
    SetEdgeState(rules::ComputeEdgeMarks());
    UpdateEnabling();
}

void CPageAnimation::RefreshSize() {
    if (!g_pAnimationData)
        return;
    const rules::ChangeSourceScope source(rules::kChangeSourceUpdate);
    width_.Show(animation().AnimationWidth);
    height_.Show(animation().AnimationHeight);
}

void CPageAnimation::SetEdgeState(const rules::EdgeMarks& marks) {
    marks_ = marks;
    showEdgeLocks();
}

// The control shows the locks as its selected sides and the edge marks as its enabled marks.
void CPageAnimation::showEdgeLocks() {
    if (g_pAnimationData) {
        const CAnimationData& a = animation();
        edgeLocks_->SetType(a.AnimationStateLockLeft != 0, a.AnimationStateLockTop != 0,
                            a.AnimationStateLockRight != 0, a.AnimationStateLockBottom != 0);
    }
    edgeLocks_->EnableMark(marks_.left, marks_.top, marks_.right, marks_.bottom);
}

void CPageAnimation::onEdgeLocksClicked() {
    if (!g_pAnimationData)
        return;
    const int bits = edgeLocks_->GetType();
    CAnimationData& a = animation();
    a.AnimationStateLockLeft = (bits & 1) ? 1 : 0;
    a.AnimationStateLockTop = (bits & 2) ? 1 : 0;
    a.AnimationStateLockRight = (bits & 4) ? 1 : 0;
    a.AnimationStateLockBottom = (bits & 8) ? 1 : 0;
    sheet_.FramePage().RefreshLimits();
}

void CPageAnimation::EnableControls(bool enable) {
    previewing_ = !enable;
    UpdateEnabling();
}

void CPageAnimation::UpdateEnabling() {
    const bool on = !previewing_;
    const bool loopOn = loop_->isChecked();
    const bool fixed = fixed_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(loop_), static_cast<QWidget*>(comment_),
                       static_cast<QWidget*>(fixed_), static_cast<QWidget*>(elastic_)})
        w->setEnabled(on);
    forever_->setEnabled(on && loopOn);
    counted_->setEnabled(on && loopOn);
    count_.SetEnabled(on && loopOn && !forever_->isChecked());
    width_.SetEnabled(on && fixed);
    height_.SetEnabled(on && fixed);
    edgeLocks_->setEnabled(on && fixed);
    for (const int label : {kWidthLabel, kHeightLabel, kEdgeLocksLabel})
        if (QWidget* w = kit().control(label))
            w->setEnabled(on && fixed);
}

bool CPageAnimation::panesReady() const {
    const MainPanes& panes = sheet_.Panes();
    return g_pAnimationData && panes.Strip() && panes.Canvas() && panes.GetPaneView(1);
}

void CPageAnimation::onSizeCommitted(bool horizontal) {
    if (rules::g_nChangeSource != rules::kChangeSourceUser || !panesReady())
        return;
    const NumericField& field = horizontal ? width_ : height_;
    std::int32_t& size = horizontal ? animation().AnimationWidth : animation().AnimationHeight;
    const int wanted = field.Value();
    if (wanted == size)
        return;
    TheUndoHistory().BeginStep(kUndoKindAnimationSize);
    const int old = size;
    size = wanted;
    CImageView& canvas = *sheet_.Panes().Canvas();
    sheet_.FramePage().RefreshLimits();
    const RECT selection = canvas.GetSelectionRect();
    const int edge = static_cast<int>(horizontal ? selection.left : selection.top);
    if (GetSelFramesCount() > 0 && edge >= wanted) {
        if (ShellMessageBox(IDS_QUESTION_SHRINK_ANIMATION, MB_YESNO_ | MB_ICONEXCLAMATION_) !=
            IDYES_) {
            // Declined: the field and the animation both keep the old size, and the step,
            // left unchanged, is dropped.
            size = old;
            field.Show(old);
            sheet_.FramePage().RefreshLimits();
            TheUndoHistory().EndStep(0);
            return;
        }
        const int limit = sheet_.FramePage().PositionLimit(horizontal);
        rules::PullSelectedFramesToLimit(horizontal, limit);
        sheet_.FramePage().ShowPositionOfSelection();
    }
    afterSizeChange();
    TheUndoHistory().EndStep(0);
}

void CPageAnimation::afterSizeChange() {
    MainPanes& panes = sheet_.Panes();
    panes.Canvas()->RecalcCanvas();
    panes.Canvas()->RefreshCanvas();
    sheet_.UpdateEdgeState();
    if (rules::IsScaledThumbnailId(panes.ThumbnailId()))
        panes.RefreshThumbnails();
    else if (rules::g_AppSettings.OptionsThumbDispWithPos)
        panes.Strip()->RefreshItems();
}

void CPageAnimation::onLoopClicked(int undoKind) {
    if (!g_pAnimationData)
        return;
    TheUndoHistory().BeginStep(undoKind);
    rules::LoopChoice choice;
    choice.on = loop_->isChecked();
    choice.endless = forever_->isChecked();
    choice.count = count_.Value();
    animation().loopCount = rules::LoopCountOf(choice);
    TheUndoHistory().EndStep(0);
    UpdateEnabling();
}

void CPageAnimation::onLoopCountCommitted() {
    if (!initialised_ || rules::g_nChangeSource != rules::kChangeSourceUser)
        return;
    onLoopClicked(kUndoKindLoopCount);
}

void CPageAnimation::onCommentChanged() {
    if (!g_pAnimationData)
        return;
    if (commentStepPending_ && !commentStepOpen_) {
        TheUndoHistory().BeginStep(kUndoKindAnimationComment);
        commentStepOpen_ = true;
    }
    QString text = comment_->toPlainText();
    if (text.size() > kCommentLimit) {
        text.truncate(kCommentLimit);
        const QSignalBlocker block(comment_);
        comment_->setPlainText(text);
        comment_->moveCursor(QTextCursor::End);
    }
    animation().comment = ToCodePage1252(text);
}

void CPageAnimation::onFixedClicked() {
    if (!g_pAnimationData)
        return;
    animation().AnimationStateElasticSize = fixed_->isChecked() ? 0 : 1;
    sheet_.FramePage().RefreshLimits();
    sheet_.UpdateEdgeState();
    UpdateEnabling();
}

void CPageAnimation::onElasticClicked() {
    if (!g_pAnimationData)
        return;
    const int elastic = elastic_->isChecked() ? 1 : 0;
    UpdateEnabling();
    if (elastic == animation().AnimationStateElasticSize)
        return;
    TheUndoHistory().BeginStep(kUndoKindElasticSize);
    animation().AnimationStateElasticSize = elastic;
    if (animation().RealFrameCount() > 0) {
        sheet_.CropAnimationToFrames();
        RefreshSize();
        sheet_.FramePage().RefreshLimits();
        sheet_.UpdateFramePageFromSelection();
        if (rules::IsScaledThumbnailId(sheet_.Panes().ThumbnailId()))
            sheet_.Panes().RefreshThumbnails();
    }
    TheUndoHistory().EndStep(0);
}

} // namespace kfm::ui
