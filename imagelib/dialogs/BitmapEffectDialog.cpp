#include "BitmapEffectDialog.h"

#include "Bitra5Qt.h"
#include "Bitra5ResourceIds.h"
#include "EffectPreviews.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace kpx::dialogs {

namespace res = bitra5res;

namespace {

// One parameter of a dialog: its label, its range and how many characters its edit takes.
struct ParameterRow {
    UINT label;
    int min;
    int max;
    int editChars;
};

struct EffectLayout {
    int effect;
    UINT templateId;
    std::vector<ParameterRow> rows;
    EffectParameters defaults;
};

constexpr ParameterRow kBrightness{res::IDS_EFFECT_BRIGHTNESS, -127, 127, 4};
constexpr ParameterRow kContrast{res::IDS_EFFECT_CONTRAST, -127, 127, 4};

const std::vector<EffectLayout>& layouts() {
    static const std::vector<EffectLayout> table = {
        {kKpxEffectTint, res::IDD_EFFECT_TINT, {kBrightness, kContrast}, {0, 0, RGB(0, 0, 0)}},
        {kKpxEffectTwoColors,
         res::IDD_EFFECT_TWO_COLORS,
         {},
         {kKpxDitherNone, RGB(0, 0, 0), RGB(255, 255, 255)}},
        {kKpxEffectBrightness, res::IDD_EFFECT_BRIGHTNESS, {kBrightness, kContrast}, {}},
        {kKpxEffectBrightness2, res::IDD_EFFECT_BRIGHTNESS, {kBrightness, kContrast}, {}},
        {kKpxEffectColorBalance,
         res::IDD_EFFECT_BALANCE,
         {{res::IDS_EFFECT_RED, -127, 127, 4},
          {res::IDS_EFFECT_GREEN, -127, 127, 4},
          {res::IDS_EFFECT_BLUE, -127, 127, 4}},
         {}},
        {kKpxEffectHueSaturation,
         res::IDD_EFFECT_HUE,
         {{res::IDS_EFFECT_HUE, -359, 359, 4},
          {res::IDS_EFFECT_SATURATION, -127, 127, 4},
          kBrightness},
         {}},
        {kKpxEffectSharpen, res::IDD_EFFECT_SHARPEN, {{res::IDS_EFFECT_PASSES, 0, 5, 1}}, {}},
        // Sizes up to 20 need two characters.
        {kKpxEffectBlur, res::IDD_EFFECT_BLUR, {{res::IDS_EFFECT_BLUR_SIZE, 0, 20, 2}}, {}},
        {kKpxEffectEmboss, res::IDD_EFFECT_EMBOSS, {}, {kKpxEmbossBottom, 0, 0x808080}},
        {kKpxEffectEdges, res::IDD_EFFECT_EDGES, {}, {}},
        {kKpxEffectMosaic, res::IDD_EFFECT_MOSAIC, {{res::IDS_EFFECT_BLOCK_SIZE, 1, 50, 2}}, {1}},
    };
    return table;
}

const EffectLayout* layoutOf(int effect) {
    for (const EffectLayout& layout : layouts())
        if (layout.effect == effect)
            return &layout;
    return nullptr;
}

ColorChooser& installedChooser() {
    static ColorChooser chooser;
    return chooser;
}

bool systemChooser(QWidget* parent, COLORREF* colour) {
    const QColor chosen = QColorDialog::getColor(
        QColor(GetRValue(*colour), GetGValue(*colour), GetBValue(*colour)), parent);
    if (!chosen.isValid())
        return false;
    *colour = RGB(static_cast<BYTE>(chosen.red()), static_cast<BYTE>(chosen.green()),
                  static_cast<BYTE>(chosen.blue()));
    return true;
}

int& parameterAt(EffectParameters& p, int index) {
    return index == 0 ? p.p1 : index == 1 ? p.p2 : p.p3;
}

// The directions in the grid of the emboss group (row, column); the middle stays empty.
struct DirectionCell {
    int direction;
    int row;
    int column;
};
constexpr DirectionCell kDirectionCells[] = {
    {kKpxEmbossTopLeft, 0, 0}, {kKpxEmbossTop, 0, 1},         {kKpxEmbossTopRight, 0, 2},
    {kKpxEmbossLeft, 1, 0},    {kKpxEmbossRight, 1, 2},       {kKpxEmbossBottomLeft, 2, 0},
    {kKpxEmbossBottom, 2, 1},  {kKpxEmbossBottomRight, 2, 2},
};

struct DitherChoice {
    UINT id;
    UINT text;
    int dither;
};
constexpr DitherChoice kDitherChoices[] = {
    {res::IDC_EFFECT_DITHER_NONE, res::IDS_EFFECT_DITHER_NONE, kKpxDitherNone},
    {res::IDC_EFFECT_DITHER_ORDERED, res::IDS_EFFECT_DITHER_ORDERED, kKpxDitherOrdered},
    {res::IDC_EFFECT_DITHER_FLOYD, res::IDS_EFFECT_DITHER_FLOYD, kKpxDitherFloydSteinberg},
};

// The picture of the source in a box: fitted with its aspect ratio kept, or at 1:1, centred on
// white.
QImage sourcePicture(KpxHandle image, QSize box, bool fitted) {
    QImage canvas(box, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QImage picture;
    if (fitted) {
        const KpxHandle small = BitraNormalizePreviewSize(image, box.width(), box.height(), 0);
        picture = KpxImageToQImage(small, false);
        if (small != image)
            KPXDeleteImage(small);
    } else {
        picture = KpxImageToQImage(image, false);
    }
    QPainter painter(&canvas);
    painter.drawImage(
        QPoint((box.width() - picture.width()) / 2, (box.height() - picture.height()) / 2),
        picture);
    return canvas;
}

// The source picture through the effect, for the preview; the picture itself when the effect
// leaves nothing to do. Runs off the UI thread on its own copies.
QImage processedPicture(const QImage& source, int effect, EffectParameters p, int value) {
    const KpxHandle image = KPXCreateImageFromQImage(source);
    const KpxHandle result = KPXApplyBitmapEffect(image, effect, p.p1, p.p2, p.p3, value, nullptr);
    QImage picture =
        result ? KpxImageToQImage(result, false).convertToFormat(QImage::Format_RGB32) : source;
    KPXDeleteImage(result);
    KPXDeleteImage(image);
    return picture;
}

// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void SetColorChooser(ColorChooser chooser) {
    installedChooser() = std::move(chooser);
}

UINT BitmapEffectDialog::templateOf(int effect) {
    const EffectLayout* layout = layoutOf(effect);
    return layout ? layout->templateId : 0;
}

EffectParameters BitmapEffectDialog::defaultsOf(int effect) {
    const EffectLayout* layout = layoutOf(effect);
    return layout ? layout->defaults : EffectParameters{};
}

BitmapEffectDialog::BitmapEffectDialog(QWidget* owner, KpxHandle image, int effect, int value)
    : ResourceDialog(owner, templateOf(effect), KpxGetResourceInstance()), image_(image),
      effect_(effect), value_(value), parameters_(defaultsOf(effect)), opened_(parameters_),
      refresh_(nullptr, 60) {
    kfm::ui::UseDialogStyle();
    buildControls();
    showParameters();
    showColours();
}

BitmapEffectDialog::~BitmapEffectDialog() = default;

KpxHandle BitmapEffectDialog::apply(KpxRowCallback progress) const {
    return KPXApplyBitmapEffect(image_, effect_, parameters_.p1, parameters_.p2, parameters_.p3,
                                value_, progress);
}

void BitmapEffectDialog::reject() {
    parameters_ = opened_;
    ResourceDialog::reject();
}

void BitmapEffectDialog::buildControls() {
    auto* column = new QVBoxLayout(this);

    auto* previews = new QHBoxLayout;
    const auto addPreview = [&](UINT id, UINT caption, const char* text) {
        auto* box = new QGroupBox(kit().text(caption));
        auto* inside = new QVBoxLayout(box);
        auto* view = kit().add(static_cast<int>(id), new KpxPreview(QString::fromLatin1(text)));
        view->setMinimumSize(160, 120);
        inside->addWidget(view);
        previews->addWidget(box);
        connect(view, &KpxPreview::clicked, this, [this] {
            fitted_ = !fitted_;
            rebuildSourcePreview();
            requestPreview(true);
        });
        return view;
    };
    sourceView_ =
        addPreview(res::IDC_EFFECT_PREVIEW_SOURCE, res::IDS_EFFECT_BEFORE, KpxPreview::kSourceText);
    resultView_ = addPreview(res::IDC_EFFECT_PREVIEW_RESULT, res::IDS_EFFECT_AFTER, "Result");
    column->addLayout(previews, 1);
    auto* hint = new QLabel(kit().text(res::IDS_EFFECT_PREVIEW_HINT));
    hint->setWordWrap(true);
    column->addWidget(hint);

    auto* grid = new QGridLayout;
    addParameterRows(grid);
    column->addLayout(grid);
    addExtras(column);

    auto* buttons = new QDialogButtonBox;
    auto* ok = kit().add(IDOK, buttons->addButton(kit().text(res::IDS_EFFECT_OK, tr("OK")),
                                                  QDialogButtonBox::AcceptRole));
    kit().add(IDCANCEL, buttons->addButton(kit().text(res::IDS_EFFECT_CANCEL, tr("Cancel")),
                                           QDialogButtonBox::RejectRole));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

void BitmapEffectDialog::addParameterRows(QGridLayout* grid) {
    const EffectLayout* layout = layoutOf(effect_);
    if (!layout)
        return;
    for (int k = 0; k < static_cast<int>(layout->rows.size()); ++k) {
        const ParameterRow& row = layout->rows[k];
        auto* slider =
            kit().add(static_cast<int>(res::IDC_EFFECT_SLIDER + k), new QSlider(Qt::Horizontal));
        slider->setRange(row.min, row.max);
        slider->setPageStep(std::max(1, (row.max - row.min) / 10));
        auto* spin = kit().add(static_cast<int>(res::IDC_EFFECT_SPIN + k), new QSpinBox);
        spin->setRange(row.min, row.max);
        if (auto* edit = spin->findChild<QLineEdit*>()) {
            edit->setMaxLength(row.editChars);
            kit().add(static_cast<int>(res::IDC_EFFECT_EDIT + k), edit);
        }
        auto* label = new QLabel(kit().text(row.label));
        label->setBuddy(spin);
        grid->addWidget(label, k, 0);
        grid->addWidget(slider, k, 1);
        grid->addWidget(spin, k, 2);
        grid->setColumnStretch(1, 1);
        connect(slider, &QSlider::valueChanged, this, [this, k](int v) { setParameter(k, v); });
        connect(spin, &QSpinBox::valueChanged, this, [this, k](int v) { setParameter(k, v); });
    }
}

QWidget* BitmapEffectDialog::colourButton(UINT id, UINT text, int* parameter) {
    auto* button = kit().add(static_cast<int>(id), new QPushButton(kit().text(text)));
    connect(button, &QPushButton::clicked, this, [this, parameter] { chooseColour(parameter); });
    return button;
}

QWidget* BitmapEffectDialog::ditherGroup() {
    auto* box = new QGroupBox(kit().text(res::IDS_EFFECT_DITHERING));
    auto* inside = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (const DitherChoice& choice : kDitherChoices) {
        auto* radio =
            kit().add(static_cast<int>(choice.id), new QRadioButton(kit().text(choice.text)));
        group->addButton(radio);
        inside->addWidget(radio);
        connect(radio, &QRadioButton::toggled, this, [this, choice](bool on) {
            if (on)
                setParameter(0, choice.dither);
        });
    }
    return box;
}

QWidget* BitmapEffectDialog::embossGroup() {
    auto* box = new QGroupBox(kit().text(res::IDS_EFFECT_LIGHT_FROM));
    auto* grid = new QGridLayout(box);
    auto* group = new QButtonGroup(box);
    for (const DirectionCell& cell : kDirectionCells) {
        const UINT text = res::IDS_EFFECT_DIRECTION_FIRST + (cell.direction - kKpxEmbossTop);
        auto* radio = kit().add(cell.direction, new QRadioButton(kit().text(text)));
        group->addButton(radio);
        grid->addWidget(radio, cell.row, cell.column);
        connect(radio, &QRadioButton::toggled, this, [this, cell](bool on) {
            if (on)
                setParameter(0, cell.direction);
        });
    }
    return box;
}

void BitmapEffectDialog::addExtras(QVBoxLayout* column) {
    switch (effect_) {
    case kKpxEffectTint: {
        auto* row = new QHBoxLayout;
        row->addWidget(
            colourButton(res::IDC_EFFECT_COLOR_1, res::IDS_EFFECT_TINT_COLOR, &parameters_.p3));
        row->addWidget(kit().add(static_cast<int>(res::IDC_EFFECT_COLOR_RAMP),
                                 new KpxColorPreview(QStringLiteral("Ramp"))),
                       1);
        column->addLayout(row);
        break;
    }
    case kKpxEffectTwoColors: {
        auto* row = new QHBoxLayout;
        row->addWidget(ditherGroup());
        auto* colours = new QGridLayout;
        colours->addWidget(
            colourButton(res::IDC_EFFECT_COLOR_1, res::IDS_EFFECT_COLOR_1, &parameters_.p2), 0, 0);
        colours->addWidget(kit().add(static_cast<int>(res::IDC_EFFECT_COLOR_FILL_1),
                                     new KpxColorPreview(QStringLiteral("Fill"))),
                           0, 1);
        colours->addWidget(
            colourButton(res::IDC_EFFECT_COLOR_2, res::IDS_EFFECT_COLOR_2, &parameters_.p3), 1, 0);
        colours->addWidget(kit().add(static_cast<int>(res::IDC_EFFECT_COLOR_FILL_2),
                                     new KpxColorPreview(QStringLiteral("2"))),
                           1, 1);
        row->addLayout(colours, 1);
        column->addLayout(row);
        break;
    }
    case kKpxEffectEmboss: {
        auto* row = new QHBoxLayout;
        row->addWidget(embossGroup());
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(colourButton(res::IDC_EFFECT_EMBOSS_COLOR, res::IDS_EFFECT_EMBOSS_COLOR,
                                        &parameters_.p3));
        auto* reset = kit().add(static_cast<int>(res::IDC_EFFECT_EMBOSS_RESET),
                                new QPushButton(kit().text(res::IDS_EFFECT_EMBOSS_RESET)));
        connect(reset, &QPushButton::clicked, this, [this] {
            parameters_.p1 = opened_.p1;
            parameters_.p3 = opened_.p3;
            showParameters();
            requestPreview(false);
        });
        buttons->addWidget(reset);
        buttons->addStretch();
        row->addLayout(buttons);
        column->addLayout(row);
        break;
    }
    case kKpxEffectEdges: {
        auto* invert = kit().add(static_cast<int>(res::IDC_EFFECT_INVERT),
                                 new QCheckBox(kit().text(res::IDS_EFFECT_INVERT)));
        connect(invert, &QCheckBox::toggled, this,
                [this](bool on) { setParameter(0, on ? 1 : 0); });
        column->addWidget(invert);
        break;
    }
    default:
        break;
    }
}

void BitmapEffectDialog::setParameter(int index, int value) {
    int& parameter = parameterAt(parameters_, index);
    if (parameter == value)
        return;
    parameter = value;
    showParameters();
    requestPreview(false);
}

// Puts the parameters into every control that shows them, without echoes.
void BitmapEffectDialog::showParameters() {
    for (int k = 0; k < 3; ++k) {
        const int value = parameterAt(parameters_, k);
        if (auto* slider = kit().controlAs<QSlider>(static_cast<int>(res::IDC_EFFECT_SLIDER + k))) {
            const QSignalBlocker block(slider);
            slider->setValue(value);
        }
        if (auto* spin = kit().controlAs<QSpinBox>(static_cast<int>(res::IDC_EFFECT_SPIN + k))) {
            const QSignalBlocker block(spin);
            spin->setValue(value);
        }
    }
    const auto check = [&](int id, bool on) {
        if (auto* button = kit().controlAs<QAbstractButton>(id)) {
            const QSignalBlocker block(button);
            button->setChecked(on);
        }
    };
    if (effect_ == kKpxEffectTwoColors)
        for (const DitherChoice& choice : kDitherChoices)
            check(static_cast<int>(choice.id), parameters_.p1 == choice.dither);
    if (effect_ == kKpxEffectEmboss)
        for (const DirectionCell& cell : kDirectionCells)
            check(cell.direction, parameters_.p1 == cell.direction);
    if (effect_ == kKpxEffectEdges)
        check(static_cast<int>(res::IDC_EFFECT_INVERT), parameters_.p1 == 1);
}

void BitmapEffectDialog::chooseColour(int* parameter) {
    COLORREF colour = static_cast<COLORREF>(*parameter);
    const ColorChooser& chooser = installedChooser();
    const bool chosen = chooser ? chooser(this, &colour) : systemChooser(this, &colour);
    if (!chosen)
        return;
    *parameter = static_cast<int>(colour & 0xFFFFFF);
    showColours();
    requestPreview(false);
}

void BitmapEffectDialog::showColours() {
    // The first chosen colour is the tint colour, or the colour of 0; the second that of 1.
    const COLORREF first =
        static_cast<COLORREF>(effect_ == kKpxEffectTint ? parameters_.p3 : parameters_.p2);
    const COLORREF second = static_cast<COLORREF>(parameters_.p3);
    for (const UINT id :
         {res::IDC_EFFECT_COLOR_RAMP, res::IDC_EFFECT_COLOR_FILL_1, res::IDC_EFFECT_COLOR_FILL_2})
        if (auto* preview = kit().controlAs<KpxColorPreview>(static_cast<int>(id)))
            preview->setColors(first, second);
}

void BitmapEffectDialog::showEvent(QShowEvent* event) {
    ResourceDialog::showEvent(event);
    rebuildSourcePreview();
    requestPreview(true);
}

void BitmapEffectDialog::resizeEvent(QResizeEvent* event) {
    ResourceDialog::resizeEvent(event);
    if (!isVisible() || sourcePicture_.size() == sourceView_->pictureSize())
        return;
    rebuildSourcePreview();
    requestPreview(true);
}

void BitmapEffectDialog::rebuildSourcePreview() {
    const QSize box = sourceView_->pictureSize();
    if (box.isEmpty())
        return;
    sourcePicture_ = sourcePicture(image_, box, fitted_);
    sourceView_->setPictures(sourcePicture_, processedPicture_);
    resultView_->setPictures(sourcePicture_, processedPicture_);
}

// Computes the processed preview again after a pause when the parameters changed since the last
// one, or always when forced.
void BitmapEffectDialog::requestPreview(bool force) {
    if (sourcePicture_.isNull() || (!force && parameters_ == lastPreview_))
        return;
    lastPreview_ = parameters_;
    refresh_.setJob([this, source = sourcePicture_, effect = effect_, p = parameters_,
                     value = value_]() -> kfm::ui::PreviewRefresh::Apply {
        QImage picture = processedPicture(source, effect, p, value);
        return [this, picture] {
            processedPicture_ = picture;
            sourceView_->setPictures(sourcePicture_, processedPicture_);
            resultView_->setPictures(sourcePicture_, processedPicture_);
        };
    });
    refresh_.request();
}

} // namespace kpx::dialogs

KpxHandle KPXBitmapEffect(QWidget* owner, KpxHandle image, int effect, int value,
                          KpxRowCallback progress) {
    using kpx::dialogs::BitmapEffectDialog;
    if (!image)
        return 0;
    if (effect == kKpxEffectNegative) {
        const kpx::dialogs::WaitCursor wait;
        return KPXApplyBitmapEffect(image, effect, 0, 0, 0, value, progress);
    }
    if (BitmapEffectDialog::templateOf(effect) == 0)
        return 0;
    BitmapEffectDialog dialog(owner, image, effect, value);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const kpx::dialogs::WaitCursor wait;
    return dialog.apply(progress);
}
