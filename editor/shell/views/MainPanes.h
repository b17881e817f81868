#pragma once
// The main window's client area: the outer splitter with the property sheet's column and the
// toggle bar with the frame strip and the canvas. It keeps the
// thumbnail size id and turns it into the strip's thumbnail size, keeps the strip's layout
// between runs, and carries the panes' requests to each other and to the main window.

#include <QObject>

#include "Splitters.h"
#include "ViewHost.h"

class CFlimmerApp;
class CGIFAnimDoc;

namespace kfm::ui {

class CAnimationView;
class CGIFSheet;
class CImageView;
class CMainFrame;

class MainPanes : public QObject, public ViewHost {
    Q_OBJECT
public:
    MainPanes(CMainFrame& frame, CFlimmerApp& app);
    ~MainPanes() override;

    // Builds the splitters and the panes as the main window's client (reads the layout kept
    // from the last run).
    void Create();
    // Pane 1 the property sheet, 2 the strip, 3 the canvas; null for others or before Create.
    QWidget* GetPaneView(int n) const;
    CAnimationView* Strip() const { return strip_; }
    CGIFSheet* Sheet() const { return sheet_; }
    CGIFAnimDoc* Document() const;
    CImageView* Canvas() const { return canvas_; }
    CToggleSplitterWnd* ToggleBar() const { return toggleBar_; }

    // Thumbnail sizes.
    int ThumbnailId() const { return thumbnailId_; }
    // Applies a size id (unforced and unchanged: nothing); refresh rebuilds the strip's rows,
    // fitColumn sizes its column to the thumbnails. Returns the id.
    int SetThumbnailID(int id, bool force, bool fitColumn, bool refresh);
    void RefreshThumbnails();
    // (-1, -1) without a strip.
    SIZE CalcThumbnailSize(int id) const;
    void FitStripColumn();
    void FitScaledStripColumn();
    // Thumbnail size command (20059 to 20071 but the dialog's 20070).
    void OnThumbnailCommand(UINT command);
    // Commands 20072 to 20074.
    void OnOrientationCommand(UINT command);
    // Command 1225: the sheet's column and the strip's column and row from the settings.
    void SetToggleBarSize();
    // After the main window changed its size.
    void OnFrameResized();
    // After a new or opened document: the strip and canvas show it from its first frame.
    void OnDocumentChanged();
    // After that, for a new document or one opened from a file: the sheet's first update.
    void OnNewOrOpenedDocument(bool opened);
    // The values written at closing.
    void SaveLayout();

    // ViewHost.
    CommandRouter& Router() override;
    void ExecuteCommand(UINT id) override;
    void SetLabelEditing(bool editing) override;
    void SelectionChanged() override;
    void FramesChanged() override;
    void SelectionMoved() override;
    void UpdateScaledThumbnailSize() override;
    void EnableViews(bool enable) override;

    // The redraw after a change elsewhere (canvas and, with strip, the strip's thumbnails).
    void RedrawViews(bool canvas, bool strip);

private:
    int stripColumnWidth() const;
    void onStripBarReleased(int releaseX);

    CMainFrame& frame_;
    CFlimmerApp& app_;
    CFlatSplitterWnd* outer_ = nullptr;
    CGIFSheet* sheet_ = nullptr;
    CToggleSplitterWnd* toggleBar_ = nullptr;
    CAnimationView* strip_ = nullptr;
    CImageView* canvas_ = nullptr;
    int thumbnailId_ = 80;
    int toggleBarHorizontalSize_ = -1;
    bool stackedAtStart_ = false;
};

} // namespace kfm::ui
