#include "MainPanes.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "AppSettings.h"
#include "FlimmerApp.h"
#include "GIFSheet.h"
#include "ImageView.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "PageFrame.h"
#include "StartupValues.h"
#include "registry/RegistryHelpers.h"

#include <algorithm>

namespace kfm::ui {

using namespace kfm5res;
namespace rules = kfm::shell;

namespace {

constexpr const char* kSettings = "Settings";

} // namespace

MainPanes::MainPanes(CMainFrame& frame, CFlimmerApp& app) : frame_(frame), app_(app) {
    thumbnailId_ = rules::BoundedThumbnailId(ReadRegInt(kSettings, "ThumbnailID", 80, 0, 0));
    stackedAtStart_ = ReadRegInt(kSettings, "ToggleBarIsHorizontal", 0, 0, 0) != 0;
    toggleBarHorizontalSize_ = ReadRegInt(kSettings, "ToggleBarHorizontalSize", -1, 0, 0);
}

MainPanes::~MainPanes() = default;

void MainPanes::Create() {
    outer_ = new CFlatSplitterWnd(&frame_);
    sheet_ = new CGIFSheet(*this, outer_);
    toggleBar_ = new CToggleSplitterWnd(outer_);
    toggleBar_->SetStacked(stackedAtStart_);
    strip_ = new CAnimationView(*this, app_.Document(), toggleBar_);
    canvas_ = new CImageView(*this, toggleBar_);
    toggleBar_->addWidget(strip_);
    toggleBar_->addWidget(canvas_);
    toggleBar_->stripBarReleased = [this](int x) { onStripBarReleased(x); };
    outer_->addWidget(sheet_);
    outer_->addWidget(toggleBar_);
    frame_.setCentralWidget(outer_);
    // The strip keeps its size when the window grows or shrinks; the canvas takes the change.
    toggleBar_->setStretchFactor(0, 0);
    toggleBar_->setStretchFactor(1, 1);
    outer_->setStretchFactor(1, 1);
}

QWidget* MainPanes::GetPaneView(int n) const {
    switch (n) {
    case 1:
        return sheet_;
    case 2:
        return strip_;
    case 3:
        return canvas_;
    default:
        return nullptr;
    }
}

CGIFAnimDoc* MainPanes::Document() const {
    return app_.Document();
}

// ---------------------------------------------------------------- thumbnail sizes

int MainPanes::stripColumnWidth() const {
    if (!toggleBar_)
        return 0;
    return toggleBar_->IsStacked() ? toggleBar_->width() : toggleBar_->FirstPaneSize();
}

SIZE MainPanes::CalcThumbnailSize(int id) const {
    if (!strip_)
        return SIZE{-1, -1};
    rules::ThumbnailInputs in;
    if (g_pAnimationData) {
        in.animationWidth = g_pAnimationData->AnimationWidth;
        in.animationHeight = g_pAnimationData->AnimationHeight;
    }
    in.customWidth = rules::g_AppSettings.ThumbnailCustomWidth;
    in.customHeight = rules::g_AppSettings.ThumbnailCustomHeight;
    in.stripColumnWidth = stripColumnWidth();
    in.toggleBarHorizontalSize = toggleBarHorizontalSize_;
    in.arrowWidth = CurrentPaneMetrics(strip_).arrowWidth;
    return rules::CalcThumbnailSize(id, in);
}

int MainPanes::SetThumbnailID(int id, bool force, bool fitColumn, bool refresh) {
    if ((!force && id == thumbnailId_) || !strip_)
        return thumbnailId_;
    thumbnailId_ = id;
    const SIZE size = CalcThumbnailSize(id);
    rules::g_AppSettings.ThumbnailWidth = static_cast<int>(size.cx);
    rules::g_AppSettings.ThumbnailHeight = static_cast<int>(size.cy);
    if (refresh)
        strip_->RefreshItems();
    if (fitColumn)
        FitStripColumn();
    return thumbnailId_;
}

void MainPanes::RefreshThumbnails() {
    SetThumbnailID(thumbnailId_, true, true, false);
}

void MainPanes::UpdateScaledThumbnailSize() {
    if (!rules::IsScaledThumbnailId(thumbnailId_) || !g_pAnimationData)
        return;
    auto& s = rules::g_AppSettings;
    if (s.ThumbnailWidth == g_pAnimationData->AnimationWidth &&
        s.ThumbnailHeight == g_pAnimationData->AnimationHeight)
        return;
    const SIZE size = CalcThumbnailSize(thumbnailId_);
    s.ThumbnailWidth = static_cast<int>(size.cx);
    s.ThumbnailHeight = static_cast<int>(size.cy);
}

void MainPanes::FitStripColumn() {
    if (!toggleBar_ || toggleBar_->IsStacked())
        return;
    const PaneMetrics metrics = CurrentPaneMetrics(strip_);
    const int sheetWidth = sheet_ && sheet_->isVisible() ? sheet_->width() : 0;
    const int gap = sheet_ && sheet_->isVisible() ? outer_->GetSplitterGap() : 0;
    const int width = rules::FitStripColumnWidth(rules::g_AppSettings.ThumbnailWidth,
                                                 metrics.arrowWidth, frame_.width(), sheetWidth,
                                                 gap, metrics.frameWidth, metrics.borderWidth);
    toggleBar_->SetFirstPaneSize(width);
}

void MainPanes::FitScaledStripColumn() {
    if (rules::IsScaledThumbnailId(thumbnailId_))
        FitStripColumn();
}

void MainPanes::OnThumbnailCommand(UINT command) {
    if (const int id = rules::ThumbnailIdForCommand(command))
        SetThumbnailID(id, false, true, true);
}

void MainPanes::onStripBarReleased(int releaseX) {
    if (thumbnailId_ != rules::kThumbnailFitStrip || !g_pAnimationData)
        return;
    const SIZE size = rules::ThumbnailForStripBar(
        releaseX, CurrentPaneMetrics(strip_).arrowWidth, toggleBar_->handleWidth(),
        g_pAnimationData->AnimationWidth, g_pAnimationData->AnimationHeight);
    rules::g_AppSettings.ThumbnailWidth = static_cast<int>(size.cx);
    rules::g_AppSettings.ThumbnailHeight = static_cast<int>(size.cy);
    strip_->RefreshItems();
}

// ---------------------------------------------------------------- layout

void MainPanes::OnOrientationCommand(UINT command) {
    if (!toggleBar_)
        return;
    toggleBar_->ToggleOrientation();
    if (command == ID_STRIP_TOGGLE && thumbnailId_ == rules::kThumbnailFitStrip)
        SetThumbnailID(rules::kThumbnailFitStrip, true, false, true);
}

void MainPanes::SetToggleBarSize() {
    if (!toggleBar_)
        return;
    const int column =
        rules::g_AppSettings.ThumbnailWidth + CurrentPaneMetrics(strip_).arrowWidth + 14;
    if (toggleBarHorizontalSize_ < 0)
        toggleBarHorizontalSize_ = column;
    toggleBar_->SetFirstPaneSize(toggleBar_->IsStacked() ? toggleBarHorizontalSize_ : column);
    // The sheet's column takes the width its pages need.
    if (sheet_ && outer_) {
        const int sheetWidth = sheet_->sizeHint().width();
        outer_->setSizes({sheetWidth, std::max(0, outer_->width() - sheetWidth)});
    }
}

void MainPanes::OnFrameResized() {
    if (!toggleBar_)
        return;
    if (toggleBar_->IsStacked() && thumbnailId_ == rules::kThumbnailFitStrip)
        SetThumbnailID(rules::kThumbnailFitStrip, true, false, true);
}

void MainPanes::SaveLayout() {
    if (!toggleBar_)
        return;
    WriteRegInt(kSettings, "ToggleBarHorizontalSize", toggleBar_->GetStripPaneSize());
    WriteRegInt(kSettings, "ToggleBarIsHorizontal", toggleBar_->IsStacked() ? 1 : 0);
    WriteRegInt(kSettings, "ThumbnailID", thumbnailId_);
}

void MainPanes::OnDocumentChanged() {
    if (!strip_ || !g_pAnimationData)
        return;
    // A document starts with its first entry selected and current.
    if (GetSelFramesCount() == 0 && !g_pAnimationData->frames.empty()) {
        SelectFrame(0);
        SetCurrentFrame(0);
    }
    RefreshThumbnails();
    strip_->RefreshItems();
    canvas_->RecalcCanvas();
    canvas_->RefreshCanvas();
    sheet_->UpdateAnimationPage();
    sheet_->UpdateFramePageFromSelection();
}

void MainPanes::OnNewOrOpenedDocument(bool opened) {
    if (sheet_)
        sheet_->OnInitialUpdate(opened);
}

// ---------------------------------------------------------------- view host

CommandRouter& MainPanes::Router() {
    return frame_.Router();
}

void MainPanes::ExecuteCommand(UINT id) {
    frame_.Router().Execute(id);
}

void MainPanes::SetLabelEditing(bool editing) {
    frame_.labelEditing = editing;
    frame_.Router().RequestIdleUpdate();
}

void MainPanes::SelectionChanged() {
    if (canvas_)
        canvas_->RefreshCanvas();
    if (sheet_)
        sheet_->UpdateFramePageFromSelection();
    frame_.Router().RequestIdleUpdate();
}

void MainPanes::FramesChanged() {
    if (canvas_) {
        canvas_->RecalcCanvas();
        canvas_->RefreshCanvas();
    }
    if (sheet_) {
        sheet_->UpdateAnimationPage();
        sheet_->UpdateFramePageFromSelection();
        sheet_->UpdateOptimizeState();
    }
    frame_.Router().RequestIdleUpdate();
}

void MainPanes::SelectionMoved() {
    RedrawViews(true, true);
    if (sheet_) {
        sheet_->FramePage().ShowPositionOfSelection();
        if (g_pAnimationData && g_pAnimationData->AnimationStateElasticSize)
            sheet_->UpdateAnimationPage();
        else
            sheet_->UpdateEdgeState();
    }
    frame_.Router().RequestIdleUpdate();
}

void MainPanes::RedrawViews(bool canvas, bool strip) {
    if (canvas && canvas_)
        canvas_->RefreshCanvas();
    // The strip rebuilds its rows: the animation's size may have changed its thumbnails.
    if (strip && strip_)
        strip_->RefreshItems();
}

void MainPanes::EnableViews(bool enable) {
    if (strip_)
        strip_->setEnabled(enable);
    if (sheet_)
        sheet_->EnablePages(enable ? 1 : 0);
}

} // namespace kfm::ui
