#include "PageOptimize.h"

#include "CommandRouter.h"
#include "GIFAnimDoc.h"
#include "GIFSheet.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "Optimizer.h"
#include "ResourceAccess.h"
#include "SheetEdits.h"
#include "ShellServices.h"
#include "UndoHistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kfm::ui {

using namespace kfm5res;
namespace rules = kfm::shell;

namespace {

// The image argument of the saved-size measurement: any non-zero value measures the animation.
constexpr short kWholeAnimation = 1;
constexpr int kColoursMinimum = 4;
constexpr int kColoursMaximum = 256;
constexpr UINT kMethodTexts[rules::kMethodItemCount] = {
    IDS_METHOD_256, IDS_METHOD_128, IDS_METHOD_64,           IDS_METHOD_32,
    IDS_METHOD_16,  IDS_METHOD_8,   IDS_METHOD_FINE_PALETTE, IDS_METHOD_FIXED_PALETTE};

CAnimationData& animation() {
    return *g_pAnimationData;
}

int paletteMode() {
    return animation().OptimizePalette & 0xFF;
}

// The palette mode replaces the low byte of the stored value.
void setPaletteMode(int mode) {
    animation().OptimizePalette = (animation().OptimizePalette & ~0xFF) | (mode & 0xFF);
}

} // namespace

CPageOptimize::CPageOptimize(CGIFSheet& sheet, QWidget* parent)
    : ResourcePage(parent, IDD_PAGE_OPTIMIZE, GetResourceHandle()), sheet_(sheet),
      watcher_(new TypingWatcher(this)) {
    build();
    ReadOptions();
    colours_.edit->SetAutoApply(true);
    ResetSizes();
}

void CPageOptimize::build() {
    DialogKit& k = kit();
    auto* page = new QVBoxLayout(this);

    auto* palette = new QGroupBox;
    auto* paletteLayout = new QGridLayout(palette);
    optimise_ = k.add(kOptimisePalette, new QRadioButton(k.text(IDS_PAGE_OPTIMISE_PALETTE)));
    keep_ = k.add(kKeepPalettes, new QRadioButton(k.text(IDS_PAGE_KEEP_PALETTES)));
    method_ = k.add(kMethod, new QComboBox);
    for (const UINT id : kMethodTexts)
        method_->addItem(k.text(id));
    method_->setToolTip(k.text(IDS_TIP_METHOD));
    QWidget* coloursRow = nullptr;
    colours_ = AddNumericField(k, kColours, kColoursSpin, kColoursMinimum, kColoursMaximum, 3,
                               &coloursRow);
    dither_ = k.add(kDither, new QCheckBox(k.text(IDS_PAGE_DITHER)));
    paletteLayout->addWidget(optimise_, 0, 0, 1, 2);
    paletteLayout->addWidget(AddLabel(k, kMethodLabel, IDS_PAGE_METHOD), 1, 0);
    paletteLayout->addWidget(method_, 1, 1);
    paletteLayout->addWidget(AddLabel(k, 0, IDS_PAGE_COLOURS), 2, 0);
    paletteLayout->addWidget(coloursRow, 2, 1);
    paletteLayout->addWidget(dither_, 3, 0, 1, 2);
    paletteLayout->addWidget(keep_, 4, 0, 1, 2);
    page->addWidget(palette);

    auto* removal = new QGroupBox;
    auto* removalLayout = new QVBoxLayout(removal);
    redundant_ = k.add(kRedundantPixels, new QCheckBox(k.text(IDS_PAGE_REDUNDANT_PIXELS)));
    comment_ = k.add(kComment, new QCheckBox(k.text(IDS_PAGE_REMOVE_COMMENTS)));
    title_ = k.add(kTitle, new QCheckBox(k.text(IDS_PAGE_REMOVE_TITLES)));
    special_ = k.add(kSpecialInfo, new QCheckBox(k.text(IDS_PAGE_SPECIAL_INFO)));
    diff_ = k.add(kDiffMethod, new QCheckBox(k.text(IDS_PAGE_DIFF_METHOD)));
    for (QWidget* w :
         std::initializer_list<QWidget*>{redundant_, comment_, title_, special_, diff_})
        removalLayout->addWidget(w);
    page->addWidget(removal);

    auto* estimate = new QGridLayout;
    speed_ = k.add(kSpeed, new QComboBox);
    const QString speedFormat = k.text(IDS_PAGE_SPEED_FORMAT, QStringLiteral("%1"));
    for (int i = 0; i < rules::kSpeedItemCount; ++i)
        speed_->addItem(QString::fromStdString([&] {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, speedFormat.toStdString().c_str(),
                          rules::SpeedForItem(i));
            return std::string(buffer);
        }()));
    speed_->setToolTip(k.text(IDS_TIP_LINE_SPEED));
    estimate->addWidget(AddLabel(k, 0, IDS_PAGE_LINE_SPEED), 0, 0);
    estimate->addWidget(speed_, 0, 1, 1, 2);
    sizeBefore_ = k.add(kSizeBefore, new QLabel);
    timeBefore_ = k.add(kTimeBefore, new QLabel);
    sizeAfter_ = k.add(kSizeAfter, new QLabel);
    timeAfter_ = k.add(kTimeAfter, new QLabel);
    estimate->addWidget(AddLabel(k, 0, IDS_PAGE_SIZE_BEFORE), 1, 0);
    estimate->addWidget(sizeBefore_, 1, 1);
    estimate->addWidget(timeBefore_, 1, 2);
    estimate->addWidget(AddLabel(k, 0, IDS_PAGE_SIZE_AFTER), 2, 0);
    estimate->addWidget(sizeAfter_, 2, 1);
    estimate->addWidget(timeAfter_, 2, 2);
    page->addLayout(estimate);
    run_ = k.add(kRun, new QPushButton(k.text(IDS_PAGE_RUN_OPTIMISER)));
    run_->setToolTip(k.text(IDS_TIP_RUN_OPTIMISER));
    page->addWidget(run_, 0, Qt::AlignLeft);
    page->addStretch(1);

    watcher_->Watch(colours_);
    connect(colours_.edit, &CNumEdit::committed, this, [this] { onColoursCommitted(); });
    connect(method_, &QComboBox::activated, this, [this](int i) { onMethodChosen(i); });
    connect(optimise_, &QRadioButton::clicked, this, [this] { onRadioClicked(false); });
    connect(keep_, &QRadioButton::clicked, this, [this] { onRadioClicked(true); });
    const std::pair<QCheckBox*, std::int32_t CAnimationData::*> checks[] = {
        {dither_, &CAnimationData::OptimizeDither},
        {redundant_, &CAnimationData::OptimizeRedundantPixels},
        {comment_, &CAnimationData::OptimizeComment},
        {title_, &CAnimationData::OptimizeTitle},
        {special_, &CAnimationData::OptimizeSpecialInfo},
        {diff_, &CAnimationData::OptimizeDiffMethod}};
    for (const auto& [check, field] : checks)
        connect(check, &QCheckBox::clicked, this,
                [this, check, field] { onCheckClicked(check, field); });
    connect(speed_, &QComboBox::activated, this, [this](int i) { onSpeedChosen(i); });
    connect(run_, &QPushButton::clicked, this, [this] { RunOptimizer(); });
}

void CPageOptimize::ReadOptions() {
    if (!g_pAnimationData)
        return;
    CAnimationData& a = animation();
    const bool keep = paletteMode() == rules::kPaletteModeKeep;
    if (keep)
        a.OptimizeDiffMethod = 0;
    else
        a.OptimizeSpecialInfo = 1;
    optimise_->setChecked(!keep);
    keep_->setChecked(keep);
    dither_->setChecked(a.OptimizeDither != 0);
    redundant_->setChecked(a.OptimizeRedundantPixels != 0);
    comment_->setChecked(a.OptimizeComment != 0);
    title_->setChecked(a.OptimizeTitle != 0);
    special_->setChecked(a.OptimizeSpecialInfo != 0);
    diff_->setChecked(a.OptimizeDiffMethod != 0);
    method_->setCurrentIndex(rules::ItemForPaletteMode(paletteMode()));
    a.OptimizeNumColors = std::clamp(a.OptimizeNumColors, kColoursMinimum, kColoursMaximum);
    colours_.Show(a.OptimizeNumColors);
    a.OptimizeBandwidth = rules::NormalizedSpeed(a.OptimizeBandwidth);
    speed_->setCurrentIndex(rules::ItemForSpeed(a.OptimizeBandwidth));
    applyEnabling();
}

void CPageOptimize::applyEnabling() {
    const bool on = !previewing_;
    const bool optimise = optimise_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{optimise_, keep_, dither_, redundant_,
                                                      comment_, title_, speed_})
        w->setEnabled(on);
    method_->setEnabled(on && optimise);
    if (QWidget* label = kit().control(kMethodLabel))
        label->setEnabled(on && optimise);
    colours_.SetEnabled(on && optimise);
    diff_->setEnabled(on && optimise && special_->isChecked());
    special_->setEnabled(on && !optimise);
    run_->setEnabled(on && runAvailable_);
}

void CPageOptimize::onColoursCommitted() {
    if (!g_pAnimationData || rules::g_nChangeSource != rules::kChangeSourceUser)
        return;
    const int count = colours_.Value();
    animation().OptimizeNumColors = count;
    const int item = rules::ItemForColourCount(count);
    method_->setCurrentIndex(item);
    setPaletteMode(rules::PaletteModeForItem(item));
}

void CPageOptimize::onMethodChosen(int item) {
    if (!g_pAnimationData)
        return;
    const int mode = rules::PaletteModeForItem(item);
    setPaletteMode(mode);
    if (const int count = rules::ColourCountForMode(mode)) {
        const rules::ChangeSourceScope source(rules::kChangeSourceUpdate);
        colours_.Show(count);
    }
    animation().OptimizeNumColors = colours_.Value();
}

void CPageOptimize::onRadioClicked(bool keep) {
    if (!g_pAnimationData)
        return;
    CAnimationData& a = animation();
    if (keep) {
        a.OptimizeDither = 0;
        a.OptimizeDiffMethod = 0;
        dither_->setChecked(false);
        diff_->setChecked(false);
        setPaletteMode(rules::kPaletteModeKeep);
    } else {
        a.OptimizeSpecialInfo = 1;
        special_->setChecked(true);
        setPaletteMode(rules::PaletteModeForItem(method_->currentIndex()));
    }
    applyEnabling();
}

void CPageOptimize::onCheckClicked(QCheckBox* check, std::int32_t CAnimationData::*field) {
    if (!g_pAnimationData)
        return;
    animation().*field = check->isChecked() ? 1 : 0;
    if (check == special_)
        applyEnabling();
}

void CPageOptimize::onSpeedChosen(int item) {
    if (!g_pAnimationData)
        return;
    animation().OptimizeBandwidth = rules::SpeedForItem(item);
    ShowSizes();
}

rules::SizeTexts CPageOptimize::sizeTexts() const {
    const DialogKit& k = kit();
    const auto text = [&k](UINT id) { return ToCodePage1252(k.text(id)); };
    return rules::SizeTexts{text(IDS_SIZE_NOT_MEASURED), text(IDS_SIZE_BYTES),
                            text(IDS_SIZE_KILOBYTES),    text(IDS_DECIMAL_POINT),
                            text(IDS_TIME_MINUTES),      text(IDS_TIME_SECONDS)};
}

void CPageOptimize::ShowSizes() {
    if (!g_pAnimationData)
        return;
    const rules::SizeTexts texts = sizeTexts();
    const CAnimationData& a = animation();
    const int speed = rules::NormalizedSpeed(a.OptimizeBandwidth);
    sizeBefore_->setText(FromCodePage1252(rules::FormatFileSize(a.sizeBefore, texts)));
    timeBefore_->setText(FromCodePage1252(rules::FormatDownloadTime(a.sizeBefore, speed, texts)));
    sizeAfter_->setText(FromCodePage1252(rules::FormatFileSize(a.sizeAfter, texts)));
    timeAfter_->setText(FromCodePage1252(rules::FormatDownloadTime(a.sizeAfter, speed, texts)));
}

void CPageOptimize::ResetSizes() {
    if (!g_pAnimationData)
        return;
    animation().sizeBefore = 0;
    animation().sizeAfter = 0;
    ShowSizes();
}

bool CPageOptimize::measureBefore(bool fileOnly) {
    CGIFAnimDoc* document = sheet_.Panes().Document();
    if (!g_pAnimationData || !document)
        return false;
    unsigned int size = 0;
    if (!TheUndoHistory().CanUndo()) {
        size = static_cast<unsigned int>(document->GetFileSize());
        if (size == 0 && fileOnly)
            return false;
    }
    if (size == 0)
        size = document->MeasureSavedFileSize(kWholeAnimation);
    if (size == 0)
        return false;
    // A new size before has no size after yet.
    animation().sizeBefore = static_cast<std::int32_t>(size);
    animation().sizeAfter = 0;
    ShowSizes();
    return true;
}

bool CPageOptimize::MeasureOpened() {
    return measureBefore(true);
}

OptimizeOptions CPageOptimize::runOptions() const {
    const bool optimise = optimise_->isChecked();
    OptimizeOptions options{};
    options.word[kOptionPaletteMode] =
        optimise ? rules::PaletteModeForItem(method_->currentIndex()) : rules::kPaletteModeKeep;
    options.word[kOptionDither] = dither_->isChecked() ? 1 : 0;
    options.word[kOptionRedundantPixels] = redundant_->isChecked() ? 1 : 0;
    options.word[kOptionRemoveComments] = comment_->isChecked() ? 1 : 0;
    options.word[kOptionRemoveTitles] = title_->isChecked() ? 1 : 0;
    options.word[kOptionRemoveSpecialInfo] = special_->isChecked() ? 1 : 0;
    options.word[kOptionDifferenceMethod] =
        optimise && special_->isChecked() && diff_->isChecked() ? 1 : 0;
    options.word[kOptionNumColors] = colours_.Value();
    return options;
}

// The strip, canvas and pages show the animation as it now is.
void CPageOptimize::showRunResult() {
    MainPanes& panes = sheet_.Panes();
    sheet_.FitViews(0);
    panes.OnDocumentChanged();
    panes.Router().RequestIdleUpdate();
}

void CPageOptimize::undoRun(CGIFAnimDoc& document, BOOL wasModified) {
    TheUndoHistory().Undo();
    // The animation is as before the run, and so is the document's modified mark; the size
    // before stays, with no size after.
    document.SetModifiedFlag(wasModified);
    animation().sizeAfter = 0;
    ShowSizes();
    showRunResult();
}

void CPageOptimize::RunOptimizer() {
    CGIFAnimDoc* document = sheet_.Panes().Document();
    if (!g_pAnimationData || !document || !measureBefore(false))
        return;
    const OptimizeOptions options = runOptions();
    const BOOL wasModified = document->IsModified();
    TheUndoHistory().BeginStep(kUndoKindOptimise);
    const int result = document->OptimizeAnimation(options);
    if (animation().AnimationStateElasticSize)
        sheet_.RedrawViews(1);
    TheUndoHistory().EndStep(1);
    const unsigned int after =
        result == kOptimizeCancelled ? 0 : document->MeasureSavedFileSize(kWholeAnimation);
    if (after == 0) {
        undoRun(*document, wasModified);
        return;
    }
    animation().sizeAfter = static_cast<std::int32_t>(after);
    ShowSizes();
    showRunResult();
    if (animation().sizeAfter < animation().sizeBefore)
        return;
    if (ShellMessageBox(IDS_QUESTION_KEEP_LARGER,
                        MB_YESNO_ | MB_ICONEXCLAMATION_ | MB_DEFBUTTON2_) == IDYES_)
        return;
    undoRun(*document, wasModified);
}

void CPageOptimize::SetRunEnabled(bool enabled) {
    runAvailable_ = enabled;
    applyEnabling();
}

void CPageOptimize::EnableControls(bool enable) {
    previewing_ = !enable;
    applyEnabling();
}

void CPageOptimize::ResetToDefaults() {
    if (!g_pAnimationData)
        return;
    rules::ResetOptimizeOptions(animation());
    ReadOptions();
}

} // namespace kfm::ui
