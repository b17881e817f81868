#include "GIFSheet.h"

#include "AnimationView.h"
#include "AppSettings.h"
#include "ImageView.h"
#include "MainPanes.h"
#include "PageAnimation.h"
#include "PageFrame.h"
#include "PageOptimize.h"
#include "PageOption.h"
#include "SheetEdits.h"
#include "SplitterSizes.h"

#include <QScrollBar>
#include <QTabWidget>

#include <algorithm>
#include <vector>

namespace kfm::ui {

namespace rules = kfm::shell;

CGIFSheet::CGIFSheet(MainPanes& panes, QWidget* parent)
    : QScrollArea(parent), panes_(panes), tabs_(new QTabWidget) {
    setObjectName(QStringLiteral("PropertySheet"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    option_ = new CPageOption(*this);
    optimize_ = new CPageOptimize(*this);
    animation_ = new CPageAnimation(*this);
    frame_ = new CPageFrame(*this);
    // Added in the order of their tab index.
    for (QWidget* page : std::initializer_list<QWidget*>{option_, optimize_, animation_, frame_})
        tabs_->addTab(page, page->windowTitle());
    setWidget(tabs_);
    tabs_->setCurrentIndex(g_pAnimationData ? std::clamp(g_pAnimationData->TabPosition, 0, 3)
                                            : kAnimationPage);
    // The settings are written at exit, possibly before the sheet goes: the record follows
    // every change of the tab.
    connect(tabs_, &QTabWidget::currentChanged, this, [](int index) {
        if (g_pAnimationData)
            g_pAnimationData->TabPosition = index;
    });
    QSize area;
    for (int i = 0; i < tabs_->count(); ++i)
        area = area.expandedTo(tabs_->widget(i)->sizeHint());
    // Every tab's caption shows: the area is at least as wide as the row of tabs.
    const QSize tabRow = tabs_->tabBar()->sizeHint();
    area.setWidth(std::max(area.width(), tabRow.width()));
    pageArea_ = area + QSize(6, tabRow.height() + 6);
}

CGIFSheet::~CGIFSheet() {
    if (g_pAnimationData)
        g_pAnimationData->TabPosition = tabs_->currentIndex();
}

QSize CGIFSheet::sizeHint() const {
    return pageArea_ + QSize(verticalScrollBar()->sizeHint().width(), 0);
}

void CGIFSheet::OnInitialUpdate(bool opened) {
    if (!g_pAnimationData)
        return;
    const rules::ChangeSourceScope source(rules::kChangeSourceFirstUpdate);
    if (!opened) {
        FitViews(1);
        UpdateAnimationPage();
        optimize_->ResetSizes();
        SetOptimizeAvailable(0);
    } else if (optimize_->MeasureOpened()) {
        SetOptimizeAvailable(1);
        rules::CheckEdgeLocksOnOpening();
        UpdateAnimationPage();
        UpdateEdgeState();
        if (g_pAnimationData->AnimationWidth == 0 || g_pAnimationData->AnimationHeight == 0) {
            FitViews(1);
            UpdateAnimationPage();
        }
    } else {
        optimize_->ResetSizes();
        UpdateAnimationPage();
    }
    UpdateFramePageFromSelection();
}

void CGIFSheet::UpdateAnimationPage() {
    option_->Refresh();
    animation_->Refresh();
}

void CGIFSheet::UpdateFramePage(CObjFrame* frame) {
    frame_->ShowFrame(frame);
}

void CGIFSheet::UpdateFramePageMulti(std::span<const int> selected, CObjFrame* current) {
    frame_->ShowFrames(selected, current);
}

void CGIFSheet::UpdateFramePageFromSelection() {
    if (!g_pAnimationData)
        return;
    const int count = GetSelFramesCount();
    const std::vector<int> selected = GetSelFramesArray();
    const bool realSelected = rules::RealFrameAt(selected.empty() ? -1 : selected.front());
    UpdateFrameControls(realSelected ? 1 : 0, count, IsAnyFrame24Bit());
    if (count <= 1)
        UpdateFramePage(GetCurrentFrame());
    else
        UpdateFramePageMulti(selected, GetCurrentFrame());
}

void CGIFSheet::RefreshPage(int page) {
    if (page == 1)
        animation_->UpdateEnabling();
    else if (page == 2)
        frame_->RefreshEnabling();
}

void CGIFSheet::UpdateFrameControls(int enable, int count, int any24) {
    frame_->SetControlsEnabled(enable != 0, count, any24 != 0);
}

void CGIFSheet::UpdateEdgeState() {
    animation_->SetEdgeState(rules::ComputeEdgeMarks());
}

void CGIFSheet::UpdateOptionPages() {
    option_->Refresh();
    optimize_->ResetToDefaults();
}

void CGIFSheet::RedrawViews(int strip, int) {
    if (!g_pAnimationData)
        return;
    const bool sized = g_pAnimationData->AnimationStateElasticSize && rules::FitAnimationSize();
    CImageView* canvas = panes_.Canvas();
    if (canvas) {
        if (sized)
            canvas->RecalcCanvas();
        canvas->RefreshCanvas();
    }
    if (sized && rules::IsScaledThumbnailId(panes_.ThumbnailId())) {
        panes_.RefreshThumbnails();
        if (panes_.Strip())
            panes_.Strip()->RefreshItems();
        return;
    }
    if (!rules::g_AppSettings.OptionsThumbDispWithPos || !strip || !panes_.Strip())
        return;
    if (sized)
        panes_.Strip()->RefreshItems();
    else
        panes_.Strip()->RedrawSelectedItems();
}

void CGIFSheet::FitViews(int force) {
    if (!g_pAnimationData)
        return;
    if (force || g_pAnimationData->AnimationStateElasticSize)
        rules::FitAnimationSize();
    if (CImageView* canvas = panes_.Canvas()) {
        canvas->RecalcCanvas();
        canvas->RefreshCanvas();
    }
    if (rules::g_AppSettings.OptionsThumbDispWithPos && panes_.Strip())
        panes_.Strip()->RefreshItems();
}

void CGIFSheet::CropAnimationToFrames() {
    if (!rules::CropAnimationToFrames())
        return;
    if (CImageView* canvas = panes_.Canvas()) {
        canvas->RecalcCanvas();
        canvas->RefreshCanvas();
    }
    if (panes_.Strip())
        panes_.Strip()->RefreshItems();
}

void CGIFSheet::SetFramesProperty(std::span<const int> selected, int value, const std::string* text,
                                  int flags) {
    rules::SetFramesProperty(selected, value, text, flags);
}

void CGIFSheet::SetSelFramesPosition(int x, int y) {
    const rules::ChangeSourceScope source(rules::kChangeSourceUpdate);
    if (frame_->LockedChecked())
        return;
    if (x == frame_->LeftField().Value() && y == frame_->TopField().Value())
        return;
    const std::vector<int> selected = GetSelFramesArray();
    rules::SetFramesProperty(selected, x, nullptr, rules::kPropertyLeft);
    rules::SetFramesProperty(selected, y, nullptr, rules::kPropertyTop);
    frame_->SetPosition(x, y);
}

void CGIFSheet::SetFramePosition(int x, int y) {
    frame_->SetPosition(x, y);
}

int CGIFSheet::GetFramePageValue(int what) const {
    switch (what) {
    case 1:
        return frame_->LeftField().Value();
    case 2:
        return frame_->TopField().Value();
    case 512:
        return frame_->LockedChecked() ? 1 : 0;
    default:
        return -1;
    }
}

void CGIFSheet::EnablePages(int enable) {
    option_->EnableControls(enable != 0);
    optimize_->EnableControls(enable != 0);
    animation_->EnableControls(enable != 0);
    frame_->EnableControls(enable != 0);
}

void CGIFSheet::SetOptimizeAvailable(int available) {
    optimize_->SetRunEnabled(available != 0);
}

void CGIFSheet::UpdateOptimizeState() {
    SetOptimizeAvailable(g_pAnimationData && g_pAnimationData->RealFrameCount() >= 1);
}

} // namespace kfm::ui
