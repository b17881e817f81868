#include "BackgroundDlg.h"

#include "BitmapFile.h"
#include "PatinaResourceIds.h"
#include "PresetFile.h"
#include "resources/ResourceLibrary.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <dlfcn.h>

namespace kfm::patina {

using namespace patinares;

namespace {

constexpr int kSeedMin = -1;
constexpr int kSeedMax = 32767;
constexpr int kCountMin = 0;
constexpr int kCountMax = 100;

// The lock button's icon from the plug-in's own resources.
QIcon lockIcon(HINSTANCE texts) {
    const unsigned char* data = nullptr;
    UINT size = 0;
    QPixmap pixmap;
    if (kfm::resources::findBinary(texts, 2, IDI_LOCK, &data, &size))
        pixmap.loadFromData(data, size, "PNG");
    return QIcon(pixmap);
}

} // namespace

CBackgroundDlg::CBackgroundDlg(QWidget* parent, HINSTANCE texts, const QString& presetsFolder)
    : ResourceDialog(parent, IDD_BACKGROUND, texts), presetsFolder_(presetsFolder) {
    setWindowTitle(kit().text(IDS_CAPTION, QString::fromUtf8("Generátor podkladů")));
    buildControls();
    OnInitDialog();
}

void CBackgroundDlg::OnInitDialog() {
    gradient_->SetGradient(0x000000, 0xFFFFFF, 0x000000, -1.0f);
    SetPattern(settings_, 0, false, 8, 4);
    FillPresetList();
    resize(std::max(kNarrowWidth, minimumSizeHint().width()),
           std::max(kHeight, minimumSizeHint().height()));
    // The start texture: family 0, variant 4, one octave at frequency 4.
    SetTexture(settings_, 0, 4, 1.0, 4.0, 0, 0);
    lock_->setIcon(lockIcon(kit().resources()));
    lock_->setToolTip(kit().text(IDS_LOCK_TOOLTIP));
    ReadControls();
}

QString CBackgroundDlg::PluginPresetsFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&CBackgroundDlg::PluginPresetsFolder), &info) ||
        !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath() +
           QStringLiteral("/presets/");
}

QSlider* CBackgroundDlg::addSlider(int id, int min, int max, int value) {
    auto* slider = kit().add(id, new QSlider(Qt::Horizontal));
    slider->setRange(min, max);
    slider->setValue(value);
    return slider;
}

QSpinBox* CBackgroundDlg::addSpin(int id, int min, int max, int value) {
    // The edit and its up-down in one.
    auto* spin = kit().add(id, new QSpinBox);
    spin->setRange(min, max);
    spin->setValue(value);
    return spin;
}

QWidget* CBackgroundDlg::buildBasicPart() {
    auto* part = new QWidget;
    auto* columns = new QHBoxLayout(part);
    columns->setContentsMargins(0, 0, 0, 0);

    auto* left = new QVBoxLayout;
    preview_ =
        kit().add(IDC_PREVIEW, new CTexturePreview(QSize(kPreviewSide, kPreviewSide), Qt::black));
    left->addWidget(preview_);
    gradient_ = kit().add(IDC_GRADIENT, new CGradientCtrl);
    connect(gradient_, &CGradientCtrl::changed, this, &CBackgroundDlg::UpdatePreview);
    left->addWidget(gradient_);
    auto* redraw = kit().add(IDC_REDRAW, new QPushButton(kit().text(IDC_REDRAW)));
    connect(redraw, &QPushButton::clicked, this, &CBackgroundDlg::UpdatePreview);
    auto* saveBitmap = kit().add(IDC_SAVE_BITMAP, new QPushButton(kit().text(IDC_SAVE_BITMAP)));
    connect(saveBitmap, &QPushButton::clicked, this, &CBackgroundDlg::OnSaveBitmap);
    auto* previewButtons = new QHBoxLayout;
    previewButtons->addWidget(redraw);
    previewButtons->addWidget(saveBitmap);
    left->addLayout(previewButtons);
    left->addStretch();
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(kit().text(IDC_PRESETS)));
    presets_ = kit().add(IDC_PRESETS, new QListWidget);
    presets_->installEventFilter(this);
    connect(presets_, &QListWidget::itemSelectionChanged, this, &CBackgroundDlg::OnSelChangePreset);
    right->addWidget(presets_, 1);

    auto* seedRow = new QHBoxLayout;
    seedRow->addWidget(new QLabel(kit().text(IDC_SEED)));
    seed_ = kit().add(IDC_SEED, new QLineEdit(QStringLiteral("0")));
    connect(seed_, &QLineEdit::textChanged, this, &CBackgroundDlg::updateLockState);
    seedRow->addWidget(seed_);
    lock_ = kit().add(IDC_LOCK, new QToolButton);
    lock_->setCheckable(true);
    lock_->setText(kit().text(IDC_LOCK));
    seedRow->addWidget(lock_);
    right->addLayout(seedRow);

    auto* background = new QGroupBox(kit().text(IDS_BACKGROUND_GROUP));
    auto* backgroundLayout = new QGridLayout(background);
    pattern_ = new QButtonGroup(this);
    for (int type = 0; type < 5; ++type) {
        auto* radio =
            kit().add(kPatternRadios[type],
                      new QRadioButton(kit().text(static_cast<UINT>(kPatternRadios[type]))));
        pattern_->addButton(radio, type);
        backgroundLayout->addWidget(radio, type, 0, 1, 3);
    }
    pattern_->button(0)->setChecked(true);
    connect(pattern_, &QButtonGroup::idClicked, this, &CBackgroundDlg::UpdatePreview);
    auto* invert = kit().add(IDC_INVERT, new QCheckBox(kit().text(IDC_INVERT)));
    connect(invert, &QCheckBox::clicked, this, &CBackgroundDlg::UpdatePreview);
    backgroundLayout->addWidget(invert, 5, 0, 1, 3);
    rows_ = kit().add(IDC_ROWS, new QLineEdit(QStringLiteral("8")));
    bricks_ = kit().add(IDC_BRICKS, new QLineEdit(QStringLiteral("4")));
    backgroundLayout->addWidget(rows_, 6, 0);
    backgroundLayout->addWidget(new QLabel(kit().text(IDS_BRICKS_BY, QStringLiteral("x"))), 6, 1);
    backgroundLayout->addWidget(bricks_, 6, 2);
    right->addWidget(background);

    for (const int id : {IDC_TILE, IDC_KALEIDOSCOPE, IDC_STRETCH, IDC_RELIEF}) {
        auto* check = kit().add(id, new QCheckBox(kit().text(static_cast<UINT>(id))));
        // The stretch flag only shapes the output frame.
        if (id != IDC_STRETCH)
            connect(check, &QCheckBox::clicked, this, &CBackgroundDlg::UpdatePreview);
        right->addWidget(check);
    }
    auto* savePreset = kit().add(IDC_SAVE_PRESET, new QPushButton(kit().text(IDC_SAVE_PRESET)));
    connect(savePreset, &QPushButton::clicked, this, &CBackgroundDlg::OnSavePreset);
    right->addWidget(savePreset);
    advancedButton_ = kit().add(IDC_ADVANCED, new QPushButton(kit().text(IDS_ADVANCED_SHOW)));
    connect(advancedButton_, &QPushButton::clicked, this, &CBackgroundDlg::ToggleAdvanced);
    right->addWidget(advancedButton_);
    auto* ok = kit().add(IDC_OK, new QPushButton(kit().text(IDC_OK, QStringLiteral("OK"))));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CBackgroundDlg::accept);
    auto* cancel =
        kit().add(IDC_CANCEL, new QPushButton(kit().text(IDC_CANCEL, QStringLiteral("Storno"))));
    connect(cancel, &QPushButton::clicked, this, &CBackgroundDlg::reject);
    auto* okRow = new QHBoxLayout;
    okRow->addWidget(ok);
    okRow->addWidget(cancel);
    right->addLayout(okRow);
    columns->addLayout(right);
    return part;
}

QWidget* CBackgroundDlg::buildAdvancedPart() {
    auto* part = new QWidget;
    auto* layout = new QVBoxLayout(part);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* base = kit().add(IDC_BASE_GROUP, new QGroupBox(kit().text(IDC_BASE_GROUP)));
    auto* baseLayout = new QVBoxLayout(base);
    baseFunction_ = new QButtonGroup(this);
    for (int f = 0; f < 8; ++f) {
        const int id = kBaseFunctionRadios[f];
        auto* radio = kit().add(id, new QRadioButton(kit().text(static_cast<UINT>(id))));
        baseFunction_->addButton(radio, f);
        baseLayout->addWidget(radio);
    }
    baseFunction_->button(0)->setChecked(true);
    layout->addWidget(base);

    auto* numbers = new QGridLayout;
    const auto addRow = [&](int row, int id, QWidget* field) {
        numbers->addWidget(new QLabel(kit().text(static_cast<UINT>(id))), row, 0);
        numbers->addWidget(field, row, 1);
    };
    addRow(0, IDC_COMPLEXITY, addSpin(IDC_COMPLEXITY, 1, 8, 1));
    addRow(1, IDC_COLOUR_FUNCTION, addSpin(IDC_COLOUR_FUNCTION, 0, 8, 0));
    addRow(2, IDC_GENERATOR, addSpin(IDC_GENERATOR, 0, 8, 0));
    auto* zoom = addSlider(IDC_ZOOM, 1, 12, 1);
    auto* modulation = addSlider(IDC_MODULATION_SPEED, 8192, 262144, 65536);
    auto* frequency = addSlider(IDC_BASE_FREQUENCY, 31, 1023, 511);
    // Each slider stores its position as it moves.
    connect(zoom, &QSlider::valueChanged, this, [this](int v) { settings_.zoom = v; });
    connect(modulation, &QSlider::valueChanged, this,
            [this](int v) { extras_.modulationSpeed = v; });
    connect(frequency, &QSlider::valueChanged, this, [this](int v) { settings_.colourSpeed = v; });
    addRow(3, IDC_ZOOM, zoom);
    addRow(4, IDC_MODULATION_SPEED, modulation);
    addRow(5, IDC_BASE_FREQUENCY, frequency);
    layout->addLayout(numbers);

    auto* marble = kit().add(IDC_MARBLE, new QCheckBox(kit().text(IDC_MARBLE)));
    connect(marble, &QCheckBox::clicked, this, &CBackgroundDlg::UpdatePreview);
    layout->addWidget(marble);
    for (const int id : {IDC_SIGNED_NOISE, IDC_ABSOLUTE})
        layout->addWidget(kit().add(id, new QCheckBox(kit().text(static_cast<UINT>(id)))));
    auto* kind = kit().add(IDC_KIND, new QComboBox);
    for (int i = 0; i < kKindCount; ++i)
        kind->addItem(kit().text(IDS_KIND_FIRST + static_cast<UINT>(i)));
    layout->addWidget(kind);
    layout->addStretch();
    part->setVisible(false);
    return part;
}

void CBackgroundDlg::buildControls() {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildBasicPart());
    advancedPart_ = buildAdvancedPart();
    layout->addWidget(advancedPart_);
    // "Check1" toggles the advanced part as the button does.
    auto* check1 = kit().add(IDC_CHECK1, new QCheckBox(kit().text(IDC_CHECK1)));
    connect(check1, &QCheckBox::clicked, this, &CBackgroundDlg::ToggleAdvanced);
    advancedPart_->layout()->addWidget(check1);
    updateLockState();
}

std::optional<int> CBackgroundDlg::ShownSeed() const {
    bool ok = false;
    const int seed = seed_->text().trimmed().toInt(&ok);
    if (!ok || seed < kSeedMin || seed > kSeedMax)
        return std::nullopt;
    return seed;
}

void CBackgroundDlg::updateLockState() {
    const std::optional<int> seed = ShownSeed();
    lock_->setEnabled(!seed || *seed != -1);
}

std::optional<int> CBackgroundDlg::checkedNumber(int id, int min, int max) {
    auto* edit = kit().controlAs<QLineEdit>(id);
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (ok && value >= min && value <= max)
        return value;
    QMessageBox::warning(this, windowTitle(), kit().text(IDS_NUMBER_RANGE).arg(min).arg(max));
    edit->setFocus();
    edit->selectAll();
    return std::nullopt;
}

bool CBackgroundDlg::ReadControls() {
    const std::optional<int> seed = checkedNumber(IDC_SEED, kSeedMin, kSeedMax);
    if (!seed)
        return false;
    const std::optional<int> rows = checkedNumber(IDC_ROWS, kCountMin, kCountMax);
    if (!rows)
        return false;
    const std::optional<int> bricks = checkedNumber(IDC_BRICKS, kCountMin, kCountMax);
    if (!bricks)
        return false;
    SetPattern(settings_, pattern_->checkedId(),
               kit().controlAs<QCheckBox>(IDC_INVERT)->isChecked(), *rows, *bricks);
    SetColouring(settings_, baseFunction_->checkedId(), kit().controlAs<QSlider>(IDC_ZOOM)->value(),
                 kit().controlAs<QSlider>(IDC_BASE_FREQUENCY)->value(),
                 kit().controlAs<QSpinBox>(IDC_COLOUR_FUNCTION)->value());
    extras_.complexity = kit().controlAs<QSpinBox>(IDC_COMPLEXITY)->value();
    extras_.generator = kit().controlAs<QSpinBox>(IDC_GENERATOR)->value();
    extras_.modulationSpeed = kit().controlAs<QSlider>(IDC_MODULATION_SPEED)->value();
    extras_.marble = kit().controlAs<QCheckBox>(IDC_MARBLE)->isChecked();
    extras_.signedNoise = kit().controlAs<QCheckBox>(IDC_SIGNED_NOISE)->isChecked();
    extras_.absoluteValues = kit().controlAs<QCheckBox>(IDC_ABSOLUTE)->isChecked();
    extras_.kind = kit().controlAs<QComboBox>(IDC_KIND)->currentIndex();
    return true;
}

void CBackgroundDlg::ShowSettings() {
    if (auto* radio = pattern_->button(settings_.patternType))
        radio->setChecked(true);
    kit().controlAs<QCheckBox>(IDC_INVERT)->setChecked(settings_.invertPattern != 0);
    rows_->setText(QString::number(settings_.rowsPer256));
    bricks_->setText(QString::number(settings_.bricksPer256));
    if (auto* radio = baseFunction_->button(settings_.baseFunction))
        radio->setChecked(true);
    // Taken first: a slider stores its position in the settings as it moves.
    const int zoom = settings_.zoom;
    const int speed = settings_.colourSpeed;
    const int function = settings_.colourFunction;
    kit().controlAs<QSlider>(IDC_ZOOM)->setValue(zoom);
    kit().controlAs<QSlider>(IDC_BASE_FREQUENCY)->setValue(speed);
    kit().controlAs<QSpinBox>(IDC_COLOUR_FUNCTION)->setValue(function);
    // The controls hold what they can show: the next reading of them (before every
    // composition) takes a zoom, speed or function beyond their ranges to their nearest ends.
}

TextureEffects CBackgroundDlg::effects() const {
    return {kit().controlAs<QCheckBox>(IDC_TILE)->isChecked(),
            kit().controlAs<QCheckBox>(IDC_KALEIDOSCOPE)->isChecked(),
            kit().controlAs<QCheckBox>(IDC_RELIEF)->isChecked()};
}

void CBackgroundDlg::UpdatePreview() {
    if (loading_ || !ReadControls())
        return;
    QImage waiting = preview_->picture().isNull()
                         ? QImage(kPreviewSide, kPreviewSide, QImage::Format_RGB32)
                         : preview_->picture();
    if (preview_->picture().isNull())
        waiting.fill(Qt::black);
    {
        QPainter painter(&waiting);
        painter.setPen(Qt::white);
        painter.drawText(kWaitTextAt, kit().text(IDS_PLEASE_WAIT));
    }
    preview_->setPicture(waiting);
    preview_->repaint();

    QImage picture(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
    picture.fill(Qt::black);
    settings_.ramp = gradient_->Colours();
    const int seed = lock_->isEnabled() && lock_->isChecked() ? ShownSeed().value_or(0) : 0;
    const int used = RenderPreview(settings_, picture, kPreviewSide, kPreviewSide, seed, effects());
    seed_->setText(QString::number(used));
    preview_->setPicture(picture);
}

void CBackgroundDlg::FillPresetList() {
    const QString selected = presets_->currentItem() ? presets_->currentItem()->text() : QString();
    const QSignalBlocker quiet(presets_);
    presets_->clear();
    const QStringList files =
        QDir(presetsFolder_).entryList({QStringLiteral("*.ptn")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        presets_->addItem(QFileInfo(file).completeBaseName());
    const auto found = presets_->findItems(selected, Qt::MatchExactly);
    if (!selected.isEmpty() && !found.isEmpty())
        presets_->setCurrentItem(found.front());
}

void CBackgroundDlg::OnSelChangePreset() {
    const QListWidgetItem* item = presets_->currentItem();
    if (!item || !ReadControls())
        return;
    loading_ = true;
    GradientRamp ramp = gradient_->Ramp();
    if (LoadPreset(QDir(presetsFolder_).filePath(item->text() + QStringLiteral(".ptn")), settings_,
                   ramp)) {
        gradient_->SetRamp(ramp);
        ShowSettings();
    }
    loading_ = false;
    UpdatePreview();
}

bool CBackgroundDlg::SavePresetTo(const QString& path) {
    if (!ReadControls())
        return false;
    const bool saved = SavePreset(path, settings_, gradient_->Ramp());
    FillPresetList();
    return saved;
}

void CBackgroundDlg::OnSavePreset() {
    QFileDialog dialog(this, QString(), presetsFolder_, QStringLiteral("*.ptn"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromLatin1(kPresetExtension));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        SavePresetTo(dialog.selectedFiles().front());
}

bool CBackgroundDlg::SaveBitmapTo(const QString& path) {
    const BitmapSaveStep failed = SaveBitmapFile(path, preview_->picture());
    if (failed == BitmapSaveStep::Done)
        return true;
    QMessageBox::warning(this, QString(), QString::fromLatin1(BitmapSaveStepName(failed)));
    return false;
}

void CBackgroundDlg::OnSaveBitmap() {
    QFileDialog dialog(this, QString(), QString(), QStringLiteral("*.bmp"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(QStringLiteral("*.bmp"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        SaveBitmapTo(dialog.selectedFiles().front());
}

void CBackgroundDlg::ToggleAdvanced() {
    advanced_ = !advanced_;
    advancedPart_->setVisible(advanced_);
    advancedButton_->setText(kit().text(advanced_ ? IDS_ADVANCED_HIDE : IDS_ADVANCED_SHOW));
    kit().controlAs<QCheckBox>(IDC_CHECK1)->setChecked(advanced_);
    const int width = advanced_ ? kWideWidth : kNarrowWidth;
    // The layout decides how small the dialog can be; it grows and shrinks by the difference of
    // the two widths at least.
    layout()->activate();
    const QSize least = layout()->minimumSize();
    resize(std::max(width, least.width()), std::max(kHeight, least.height()));
}

PluginResult* CBackgroundDlg::BuildResult(int width, int height, PluginProgressProc progress) {
    TextureOutput output;
    output.seed = ShownSeed().value_or(0);
    output.effects = effects();
    output.stretch = kit().controlAs<QCheckBox>(IDC_STRETCH)->isChecked();
    return BuildTextureResult(settings_, width, height, progress, output);
}

void CBackgroundDlg::accept() {
    if (!ReadControls())
        return;
    ResourceDialog::accept();
}

bool CBackgroundDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == presets_) {
        if (event->type() == QEvent::FocusIn)
            FillPresetList();
        if (event->type() == QEvent::KeyRelease &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
            !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            OnSelChangePreset();
            return true;
        }
    }
    return ResourceDialog::eventFilter(watched, event);
}

void CBackgroundDlg::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        OnSelChangePreset();
    ResourceDialog::keyReleaseEvent(event);
}

} // namespace kfm::patina
