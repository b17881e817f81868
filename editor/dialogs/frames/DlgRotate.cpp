#include "DlgRotate.h"

#include "AnimationData.h"
#include "DisplayHelpers.h"
#include "FrameDialogRules.h"
#include "FrameTransforms.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

namespace {

constexpr int kMaxAngle = 359;
constexpr int kPreviewSide = 260;

int animationSide(bool width) {
    if (!g_pAnimationData)
        return 1;
    return std::max(width ? g_pAnimationData->AnimationWidth : g_pAnimationData->AnimationHeight,
                    1);
}

QToolButton* directionButton(kfm::ui::DialogKit& kit, int id, UINT picture) {
    auto* button = kit.add(id, new QToolButton(kit.owner()));
    button->setText(kit.text(static_cast<UINT>(id)));
    button->setToolTip(button->text());
    button->setIcon(ButtonFacePicture(picture));
    button->setIconSize(QSize(24, 24));
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

} // namespace

CDlgRotate::CDlgRotate(QWidget* parent, KpxHandle background, const RECT& rect,
                       const CObjFrame& frame)
    : ResourceDialog(parent, kfm5res::IDD_ROTATE, kfm::ui::GetResourceHandle()), source_(frame),
      background_(background), backgroundRect_(rect), working_(std::make_unique<CObjFrame>(frame)) {
    if (!background_) {
        ownBackground_.reset(CreateSolidImage(animationSide(true), animationSide(false), 255));
        background_ = ownBackground_.get();
        backgroundRect_ = RECT{0, 0, animationSide(true), animationSide(false)};
    }
    clockwise_ = directionButton(kit(), kClockwise, kfm5res::IDB_ROTATE_CLOCKWISE);
    counterClockwise_ =
        directionButton(kit(), kCounterClockwise, kfm5res::IDB_ROTATE_COUNTER_CLOCKWISE);
    auto* directions = new QButtonGroup(this);
    directions->addButton(clockwise_);
    directions->addButton(counterClockwise_);
    auto* quarter = kit().add(k90, new QPushButton(kit().text(k90), this));
    auto* half = kit().add(k180, new QPushButton(kit().text(k180), this));
    freeAngle_ = AddCheck(kit(), kFreeAngle);
    angle_ = AddNumberField(kit(), kAngle, kAngleSpin, -kMaxAngle, kMaxAngle, 4);
    fast_ = AddRadio(kit(), kFast);
    smooth_ = AddRadio(kit(), kSmooth);
    best_ = AddRadio(kit(), kBest);
    antialias_ = AddCheck(kit(), kAntialias);
    auto* previewFrame = kit().add(kPreviewFrame, new QWidget(this));
    previewFrame->setMinimumSize(kPreviewSide, kPreviewSide);
    preview_ = kit().add(kPreview, new CRotatePreviewWnd(previewFrame));
    auto* previewLayout = new QVBoxLayout(previewFrame);
    previewLayout->setContentsMargins(2, 2, 2, 2);
    previewLayout->addWidget(preview_);

    auto* controls = new QVBoxLayout;
    auto* directionRow = new QHBoxLayout;
    directionRow->addWidget(clockwise_);
    directionRow->addWidget(counterClockwise_);
    controls->addLayout(directionRow);
    auto* quarterRow = new QHBoxLayout;
    quarterRow->addWidget(quarter);
    quarterRow->addWidget(half);
    controls->addLayout(quarterRow);
    controls->addWidget(freeAngle_);
    auto* angleRow = new QFormLayout;
    angleRow->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_ANGLE, angle_.edit), angle_.row);
    controls->addLayout(angleRow);
    auto* resampling = new QGroupBox(kit().text(kfm5res::IDS_LABEL_RESAMPLING), this);
    auto* resamplingRows = new QVBoxLayout(resampling);
    for (QWidget* w : {static_cast<QWidget*>(fast_), static_cast<QWidget*>(smooth_),
                       static_cast<QWidget*>(best_), static_cast<QWidget*>(antialias_)})
        resamplingRows->addWidget(w);
    controls->addWidget(resampling);
    controls->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(previewFrame, 1);
    columns->addLayout(controls);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(columns);
    AddOkCancel(*this, rows);

    preview_->setFrameStyle(0);
    preview_->SetShowTransparency(true);
    preview_->SetZoom(100);
    preview_->SetTool(kfm::ui::CImageEditWnd::kToolZoom);
    // The frame shows as the object over the canvas, through its graded transparency.
    preview_->SetObjectFlags(kfm::shell::imageedit::kObjectMovable |
                             kfm::shell::imageedit::kOverlayTransparent |
                             kfm::shell::imageedit::kOverlayAlpha);
    const TransparencyGrid grid = GetTransparencyGrid();
    preview_->SetChessboard(grid.cell, grid.color1, grid.color2);

    // The object frames start from their own angle and resampling.
    int angle = 0;
    if (frame.hasText) {
        angle = frame.GetTextAngle();
        resampling_ = frame.text.interpolation;
    } else if (frame.hasVector) {
        angle = frame.GetVectorAngle();
        resampling_ = frame.vector.interpolation;
    }
    const int radio = RotationRadio(resampling_);
    (radio == 0 ? fast_ : (radio == 1 ? smooth_ : best_))->setChecked(true);
    antialias_->setChecked(RotationAntialias(resampling_));
    resampling_ = RotationResampling(radio, antialias_->isChecked());
    clockwise_->setChecked(true);
    freeAngle_->setChecked(true);
    angle_.Show(std::clamp(angle, -kMaxAngle, kMaxAngle));
    angle_.edit->SetAutoApply(true);
    enableControls();
    updatePreview();

    connect(quarter, &QPushButton::clicked, this, [this] { setQuarter(90); });
    connect(half, &QPushButton::clicked, this, [this] { setQuarter(180); });
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(clockwise_),
                               static_cast<QAbstractButton*>(counterClockwise_)})
        connect(b, &QAbstractButton::clicked, this, &CDlgRotate::updatePreview);
    connect(freeAngle_, &QCheckBox::toggled, this, [this] {
        enableControls();
        updatePreview();
    });
    connect(angle_.edit, &kfm::ui::CNumEdit::committed, this, &CDlgRotate::updatePreview);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(fast_), static_cast<QAbstractButton*>(smooth_),
          static_cast<QAbstractButton*>(best_), static_cast<QAbstractButton*>(antialias_)})
        connect(b, &QAbstractButton::clicked, this, &CDlgRotate::resamplingChosen);
}

CDlgRotate::~CDlgRotate() = default;

int CDlgRotate::signedAngle() const {
    return SignedAngle(angle_.Value(), counterClockwise_->isChecked());
}

void CDlgRotate::setQuarter(int degrees) {
    angle_.Show(degrees);
    enableControls();
    updatePreview();
}

void CDlgRotate::resamplingChosen() {
    const int radio = smooth_->isChecked() ? 1 : (best_->isChecked() ? 2 : 0);
    resampling_ = RotationResampling(radio, antialias_->isChecked());
    enableControls();
    updatePreview();
}

void CDlgRotate::enableControls() {
    angle_.SetEnabled(freeAngle_->isChecked());
    antialias_->setEnabled(best_->isChecked());
}

void CDlgRotate::updatePreview() {
    RotateFrame(working_.get(), static_cast<short>(source_.GetImage()), signedAngle(), resampling_);
    const CObjFrame& f = *working_;
    SIZE canvas{animationSide(true), animationSide(false)};
    if (g_pAnimationData && g_pAnimationData->AnimationStateElasticSize) {
        canvas.cx = std::max<LONG>(canvas.cx, f.left + f.width);
        canvas.cy = std::max<LONG>(canvas.cy, f.top + f.height);
    }
    preview_->SetImage(background_, false, &backgroundRect_, &canvas);
    preview_->SetOverlayImage(static_cast<KpxHandle>(f.GetImage()));
    preview_->SetViewRect(f.left, f.top, f.left + f.width, f.top + f.height);
    preview_->viewport()->update();
}

void CDlgRotate::accept() {
    updatePreview();
    if (!working_->GetImage()) {
        message_(this, kit().text(kfm5res::IDS_EMPTY_RESULT));
        return;
    }
    resultAngle_ = signedAngle();
    result_ = std::make_unique<CObjFrame>(*working_);
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
