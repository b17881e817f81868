#pragma once
// The property sheet: pane 1 of the main window, a scrolling view that holds the four pages of
// the animation (options, optimisation, animation, frame) as tabs. It is the one place through
// which the document, the commands, the strip and the canvas tell the pages that the animation
// changed, and through which the pages move frames and ask for a redraw. The active tab is kept
// in the animation record's TabPosition (stored with the settings).

#include <QScrollArea>

#include <span>
#include <string>

#include "AnimationData.h"

class QTabWidget;

namespace kfm::ui {

class MainPanes;
class CPageAnimation;
class CPageFrame;
class CPageOptimize;
class CPageOption;

class CGIFSheet : public QScrollArea {
    Q_OBJECT
public:
    // Tab indices.
    static constexpr int kOptionPage = 0;
    static constexpr int kOptimizePage = 1;
    static constexpr int kAnimationPage = 2;
    static constexpr int kFramePage = 3;

    CGIFSheet(MainPanes& panes, QWidget* parent = nullptr);
    // Keeps the active tab in TabPosition.
    ~CGIFSheet() override;

    // After a new document (opened false) or one opened from a file: the pages show it.
    void OnInitialUpdate(bool opened);

    void UpdateAnimationPage();
    void UpdateFramePage(CObjFrame* frame);
    void UpdateFramePageMulti(std::span<const int> selected, CObjFrame* current);
    void UpdateFramePageFromSelection();
    // 1 the animation page's enabling, 2 the frame page's.
    void RefreshPage(int page);
    void UpdateFrameControls(int enable, int count, int any24);
    void UpdateEdgeState();
    // After the preferences were reset: the options page re-reads, the optimisation page
    // takes its defaults.
    void UpdateOptionPages();
    // The redraw after a change: the size fitted when elastic, the canvas, and (with strip) the
    // strip's thumbnails.
    void RedrawViews(int strip, int unused = 1);
    // Fits the animation's size to the frames (when forced or elastic) and redraws.
    void FitViews(int force);
    void CropAnimationToFrames();
    void SetFramesProperty(std::span<const int> selected, int value, const std::string* text,
                           int flags);
    // Moves the selected frames as a group to x, y (not while the frame page's locked check
    // is set) and shows the position on the frame page.
    void SetSelFramesPosition(int x, int y);
    void SetFramePosition(int x, int y);
    // 1 the X position, 2 the Y position, 512 the locked check; -1 otherwise.
    int GetFramePageValue(int what) const;
    // The pages' controls during the in-pane preview.
    void EnablePages(int enable);
    void SetOptimizeAvailable(int available);
    void UpdateOptimizeState();

    MainPanes& Panes() const { return panes_; }
    QTabWidget* Tabs() const { return tabs_; }
    CPageOption& OptionPage() const { return *option_; }
    CPageOptimize& OptimizePage() const { return *optimize_; }
    CPageAnimation& AnimationPage() const { return *animation_; }
    CPageFrame& FramePage() const { return *frame_; }
    // The size the pages need (the options page's area).
    QSize PageAreaSize() const { return pageArea_; }
    QSize sizeHint() const override;

private:
    MainPanes& panes_;
    QTabWidget* tabs_;
    CPageOption* option_;
    CPageOptimize* optimize_;
    CPageAnimation* animation_;
    CPageFrame* frame_;
    QSize pageArea_;
};

} // namespace kfm::ui
