#pragma once
// The optimisation page: the optimiser's options kept in the animation record (palette method
// and colour count or keeping the palettes, dithering, what to remove, the difference method),
// the line speed of the download estimate, and the file size before and after with its
// download time. Its button runs the optimiser on the animation as one undo step, which goes
// again when the user cancels the run with Esc or declines a result that is not smaller.

#include "OptimizePageRules.h"
#include "PageParts.h"
#include "PaletteRender.h"

class CGIFAnimDoc;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kfm::ui {

class CGIFSheet;

class CPageOptimize : public ResourcePage {
    Q_OBJECT
public:
    static constexpr int kTimeAfter = 10508;
    static constexpr int kSizeAfter = 10509;
    static constexpr int kSpeed = 10510;
    static constexpr int kTimeBefore = 10511;
    static constexpr int kSizeBefore = 10512;
    static constexpr int kComment = 10513;
    static constexpr int kDither = 10514;
    static constexpr int kColours = 10515;
    static constexpr int kColoursSpin = 10516;
    static constexpr int kRun = 10517;
    static constexpr int kMethod = 10518;
    static constexpr int kOptimisePalette = 10519;
    static constexpr int kKeepPalettes = 10520;
    static constexpr int kDiffMethod = 10521;
    static constexpr int kSpecialInfo = 10523;
    static constexpr int kMethodLabel = 10524;
    static constexpr int kTitle = 10532;
    static constexpr int kRedundantPixels = 10533;

    explicit CPageOptimize(CGIFSheet& sheet, QWidget* parent = nullptr);

    // Both sizes 0, shown as not measured.
    void ResetSizes();
    void ShowSizes();
    // Measures the size of the opened document's file (the size after not measured); false when
    // it cannot.
    bool MeasureOpened();
    void SetRunEnabled(bool enabled);
    void EnableControls(bool enable);
    void ResetToDefaults();
    // Re-reads the options from the animation record.
    void ReadOptions();
    // The run button: measures the size before, runs the optimiser with the page's options as
    // one undo step and measures the size after. Nothing changes when the size before cannot be
    // measured; the step is undone when the run is cancelled, the size after cannot be measured
    // or the user keeps the old animation rather than a result that is not smaller.
    void RunOptimizer();

    const NumericField& ColoursField() const { return colours_; }

private:
    void build();
    void applyEnabling();
    void onColoursCommitted();
    void onMethodChosen(int item);
    void onRadioClicked(bool keep);
    void onCheckClicked(QCheckBox* check, std::int32_t CAnimationData::*field);
    void onSpeedChosen(int item);
    kfm::shell::SizeTexts sizeTexts() const;
    // The size before: the document's file while no step was made (with fileOnly nothing else),
    // else the animation saved to a work file; the size after becomes not measured. False when
    // it cannot be measured.
    bool measureBefore(bool fileOnly);
    OptimizeOptions runOptions() const;
    void undoRun(CGIFAnimDoc& document, BOOL wasModified);
    void showRunResult();

    CGIFSheet& sheet_;
    TypingWatcher* watcher_;
    QRadioButton* optimise_ = nullptr;
    QRadioButton* keep_ = nullptr;
    QComboBox* method_ = nullptr;
    NumericField colours_;
    QCheckBox* dither_ = nullptr;
    QCheckBox* redundant_ = nullptr;
    QCheckBox* comment_ = nullptr;
    QCheckBox* title_ = nullptr;
    QCheckBox* special_ = nullptr;
    QCheckBox* diff_ = nullptr;
    QComboBox* speed_ = nullptr;
    QPushButton* run_ = nullptr;
    QLabel* sizeBefore_ = nullptr;
    QLabel* timeBefore_ = nullptr;
    QLabel* sizeAfter_ = nullptr;
    QLabel* timeAfter_ = nullptr;
    bool previewing_ = false;
    bool runAvailable_ = false;
};

} // namespace kfm::ui
