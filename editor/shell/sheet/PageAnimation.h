#pragma once
// The animation page: the logical screen's size, whether it follows the frames (elastic) or is
// fixed with locked edges, the loop count and the animation's comment, and the number of
// frames. Every change is one undo step written straight into the animation record.

#include "PageParts.h"
#include "SheetEdits.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;

namespace kfm::ui {

class CCornerControl;
class CGIFSheet;

class CPageAnimation : public ResourcePage {
    Q_OBJECT
public:
    // Control ids of the page's template.
    static constexpr int kComment = 10409;
    static constexpr int kEdgeLocks = 10410;
    static constexpr int kElastic = 10411;
    static constexpr int kFixed = 10412;
    static constexpr int kFrameCount = 10413;
    static constexpr int kHeight = 10414;
    static constexpr int kHeightSpin = 10415;
    static constexpr int kLoop = 10416;
    static constexpr int kLoopCount = 10417;
    static constexpr int kLoopCountSpin = 10418;
    static constexpr int kLoopCounted = 10419;
    static constexpr int kLoopForever = 10420;
    static constexpr int kWidthLabel = 10424;
    static constexpr int kHeightLabel = 10425;
    static constexpr int kEdgeLocksLabel = 10426;
    static constexpr int kWidth = 10427;
    static constexpr int kWidthSpin = 10428;

    explicit CPageAnimation(CGIFSheet& sheet, QWidget* parent = nullptr);

    // Re-reads everything from the animation record.
    void Refresh();
    // Re-reads only the size.
    void RefreshSize();
    // Whether the frames lie inside the animation on each side (shown with the edge locks).
    void SetEdgeState(const kfm::shell::EdgeMarks& marks);
    kfm::shell::EdgeMarks EdgeState() const { return marks_; }
    void EnableControls(bool enable);
    void UpdateEnabling();

    const NumericField& WidthField() const { return width_; }
    const NumericField& HeightField() const { return height_; }
    const NumericField& LoopCountField() const { return count_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void onSizeCommitted(bool horizontal);
    void onLoopClicked(int undoKind);
    void onLoopCountCommitted();
    void onCommentChanged();
    void onFixedClicked();
    void onElasticClicked();
    void onEdgeLocksClicked();
    void showEdgeLocks();
    bool panesReady() const;
    void afterSizeChange();

    CGIFSheet& sheet_;
    TypingWatcher* watcher_;
    NumericField width_;
    NumericField height_;
    NumericField count_;
    QCheckBox* loop_ = nullptr;
    QRadioButton* forever_ = nullptr;
    QRadioButton* counted_ = nullptr;
    QPlainTextEdit* comment_ = nullptr;
    QLabel* frameCount_ = nullptr;
    QRadioButton* fixed_ = nullptr;
    QRadioButton* elastic_ = nullptr;
    CCornerControl* edgeLocks_ = nullptr;
    kfm::shell::EdgeMarks marks_;
    bool initialised_ = false;
    bool previewing_ = false;
    bool commentStepPending_ = false;
    bool commentStepOpen_ = false;
};

} // namespace kfm::ui
