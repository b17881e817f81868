#include "DlgTextSettings.h"

#include "AnimationData.h"
#include "ControlDrawing.h"
#include "DisplayHelpers.h"
#include "EdgeLocks.h"
#include "FrameDialogRules.h"
#include "FrameTransforms.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "SmallControls.h"
#include "TextPreviewWnd.h"
#include "TextRender.h"
#include "text/TextFont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include <algorithm>
#include <cstring>

namespace kfm::dialogs {

using kfm::ui::CColorButton;

namespace {

constexpr const char* kSection = "Dlgs\\TextSettings";
constexpr const char* kDefaultFace = "Arial";
constexpr int kPositionMin = -999;
constexpr int kPositionMax = 9999;
constexpr int kSizeTypingPauseMs = 1000;
constexpr int kNewTextDelay = 10;
constexpr UINT kStyleTexts[4] = {kfm5res::IDS_STYLE_REGULAR, kfm5res::IDS_STYLE_BOLD,
                                 kfm5res::IDS_STYLE_BOLD_ITALIC, kfm5res::IDS_STYLE_ITALIC};
constexpr UINT kCharsetTexts[kTextCharsetCount] = {
    kfm5res::IDS_CHARSET_WESTERN,  kfm5res::IDS_CHARSET_HEBREW,
    kfm5res::IDS_CHARSET_ARABIC,   kfm5res::IDS_CHARSET_GREEK,
    kfm5res::IDS_CHARSET_BALTIC,   kfm5res::IDS_CHARSET_CENTRAL_EUROPEAN,
    kfm5res::IDS_CHARSET_CYRILLIC, kfm5res::IDS_CHARSET_SYMBOL};

int animationSide(bool width) {
    if (!g_pAnimationData)
        return 1;
    return std::max(width ? g_pAnimationData->AnimationWidth : g_pAnimationData->AnimationHeight,
                    1);
}

bool elasticCanvas() {
    return g_pAnimationData && g_pAnimationData->AnimationStateElasticSize;
}

QString plainFamily(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket < 0 ? family : family.left(bracket);
}

void setFaceName(LOGFONTA& font, const std::string& face) {
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::strncpy(font.lfFaceName, face.c_str(), sizeof font.lfFaceName - 1);
}

std::string faceName(const LOGFONTA& font) {
    return std::string(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
}

// The fine palette's entry of a colour; -1 when it has none.
int finePaletteIndex(COLORREF colour) {
    const PALETTEENTRY* fine = KPXGetFinePalette();
    for (int i = 0; i < 256; ++i)
        if (RGB(fine[i].peRed, fine[i].peGreen, fine[i].peBlue) == colour)
            return i;
    return -1;
}

QToolButton* toolButton(kfm::ui::DialogKit& kit, int id, UINT icon, UINT tip, bool checkable) {
    auto* button = kit.add(id, new QToolButton(kit.owner()));
    button->setCheckable(checkable);
    button->setIcon(QIcon(kfm::ui::ResourcePixmap(icon)));
    button->setToolTip(kit.text(tip));
    return button;
}

} // namespace

EncodedText EncodeText(const QString& text, int charset) {
    EncodedText out;
    for (const char32_t c : text.toUcs4()) {
        const int byte = kfm::text::byteOfUnicode(c, charset);
        if (byte < 0) {
            if (!out.missing)
                out.missing = c;
            out.bytes.push_back('?');
            continue;
        }
        out.bytes.push_back(static_cast<char>(byte));
    }
    return out;
}

QString DecodeText(const std::string& bytes, int charset) {
    std::u32string characters;
    for (const char c : bytes)
        characters.push_back(kfm::text::unicodeOfByte(static_cast<std::uint8_t>(c), charset));
    return QString::fromUcs4(characters.data(), static_cast<qsizetype>(characters.size()));
}

CDlgTextSettings::CDlgTextSettings(QWidget* parent, KpxHandle background, const RECT& rect,
                                   int mode, const CObjFrame* frame)
    : ResourceDialog(parent, kfm5res::IDD_TEXT_SETTINGS, kfm::ui::GetResourceHandle(), kSection),
      mode_(mode == kEdit && frame && frame->hasText ? kEdit : kNew), edited_(frame),
      background_(background), backgroundRect_(rect), canvasWidth_(animationSide(true)),
      canvasHeight_(animationSide(false)), colourImage_(CreateFinePaletteImage()) {
    if (!background_) {
        ownBackground_.reset(CreateSolidImage(canvasWidth_, canvasHeight_, 255));
        background_ = ownBackground_.get();
        backgroundRect_ = RECT{0, 0, canvasWidth_, canvasHeight_};
    }
    setWindowTitle(kit().text(mode_ == kEdit ? kfm5res::IDS_CAPTION_EDIT_TEXT
                                             : kfm5res::IDS_CAPTION_NEW_TEXT));
    buildControls();
    loadValues(mode_ == kEdit ? frame : nullptr);
    fillFaces();
    showValues();
    fillStylesAndCharsets();
    if (elasticCanvas()) {
        left_ = std::max(left_, 0);
        top_ = std::max(top_, 0);
    }
    leftField_.Show(left_);
    topField_.Show(top_);
    readControls();
    render();
    setPositionRanges();
    showPreviewImages();
    showInfo();
    enableShadow();
    preview_->ScrollTo(left_ - 10, top_ - 10);
    textEdit_->setFocus();
    textEdit_->selectAll();

    sizeTimer_.setSingleShot(true);
    sizeTimer_.setInterval(kSizeTypingPauseMs);
    connect(&sizeTimer_, &QTimer::timeout, this, [this] { refresh(true); });
    connect(textEdit_, &QLineEdit::textEdited, this, [this] { refresh(true); });
    connect(face_, &QComboBox::currentIndexChanged, this, [this] {
        fillStylesAndCharsets();
        refresh(true);
    });
    for (QComboBox* combo : {style_, charset_})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { refresh(true); });
    connect(size_, &QComboBox::activated, this, [this] {
        sizeTimer_.stop();
        refresh(true);
    });
    connect(size_->lineEdit(), &QLineEdit::textEdited, this, [this] { sizeTimer_.start(); });
    size_->lineEdit()->installEventFilter(this);
    for (QCheckBox* check : {underline_, strikeOut_, shadowBlur_, antialias_, kerning_})
        connect(check, &QCheckBox::toggled, this, [this] { refresh(true); });
    connect(shadow_, &QCheckBox::toggled, this, [this] {
        enableShadow();
        refresh(true);
    });
    for (const NumberField* field :
         {&leftField_, &topField_, &shadowX_, &shadowY_, &shadowTransparency_}) {
        field->edit->SetAutoApply(true);
        connect(field->edit, &kfm::ui::CNumEdit::committed, this, [this] { refresh(true); });
    }
    connect(colour_, &CColorButton::clicked, this, [this] { chooseColour(colour_, true); });
    connect(shadowColour_, &CColorButton::clicked, this,
            [this] { chooseColour(shadowColour_, false); });
    connect(preview_, &CTextPreviewWnd::moved, this, &CDlgTextSettings::placeMoved);
    connect(preview_, &CTextPreviewWnd::sized, this, &CDlgTextSettings::placeSized);
    connect(preview_, &CTextPreviewWnd::zoomed, this, [this] { showInfo(); });
    connect(moveTool_, &QToolButton::clicked, this, [this] {
        moveTool_->setChecked(true);
        zoomTool_->setChecked(false);
        preview_->SetTool(kfm::ui::CImageEditWnd::kToolMove);
    });
    connect(zoomTool_, &QToolButton::clicked, this, [this] {
        zoomTool_->setChecked(true);
        moveTool_->setChecked(false);
        preview_->SetTool(kfm::ui::CImageEditWnd::kToolZoom);
    });
    connect(zoomOut_, &QToolButton::clicked, this, [this] {
        preview_->ZoomOut();
        showInfo();
    });
}

CDlgTextSettings::~CDlgTextSettings() = default;

void CDlgTextSettings::buildControls() {
    kfm::ui::DialogKit& k = kit();
    textEdit_ = k.add(kText, new QLineEdit(this));
    face_ = k.add(kFace, new QComboBox(this));
    style_ = k.add(kStyle, new QComboBox(this));
    size_ = k.add(kSize, new QComboBox(this));
    size_->setEditable(true);
    size_->setInsertPolicy(QComboBox::NoInsert);
    size_->lineEdit()->setMaxLength(3);
    size_->setValidator(new QIntValidator(0, 999, size_));
    size_->setCompleter(nullptr); // a typed 5 stays 5, not the 52 of the list
    for (const int s : kTextSizes)
        size_->addItem(QString::number(s));
    charset_ = k.add(kCharset, new QComboBox(this));
    underline_ = AddCheck(k, kUnderline);
    strikeOut_ = AddCheck(k, kStrikeOut);
    colour_ = k.add(kColour, new CColorButton(this));
    colour_->EnableToolTip(true);
    leftField_ = AddNumberField(k, kLeft, kLeftSpin, kPositionMin, kPositionMax, 5);
    topField_ = AddNumberField(k, kTop, kTopSpin, kPositionMin, kPositionMax, 5);
    shadow_ = AddCheck(k, kShadow);
    shadowColour_ = k.add(kShadowColour, new CColorButton(this));
    shadowColour_->EnableToolTip(true);
    shadowX_ = AddNumberField(k, kShadowX, kShadowXSpin, kPositionMin, kPositionMax, 5);
    shadowY_ = AddNumberField(k, kShadowY, kShadowYSpin, kPositionMin, kPositionMax, 5);
    shadowTransparency_ =
        AddNumberField(k, kShadowTransparency, kShadowTransparencySpin, 0, 100, 3);
    shadowBlur_ = AddCheck(k, kShadowBlur);
    antialias_ = AddCheck(k, kAntialias);
    kerning_ = AddCheck(k, kKerning);
    moveTool_ =
        toolButton(k, kMoveTool, kfm5res::kIconPlacementView, kfm5res::IDS_TIP_MOVE_TEXT, true);
    zoomTool_ = toolButton(k, kZoomTool, kfm5res::kIconZoom, kfm5res::IDS_TIP_ZOOM, true);
    zoomOut_ = toolButton(k, kZoomOut, kfm5res::kIconZoomOut, kfm5res::IDS_TIP_ZOOM_OUT, false);
    previewFrame_ = k.add(kPreviewFrame, new QWidget(this));
    previewFrame_->setMinimumSize(360, 200);
    preview_ = k.add(kPreview, new CTextPreviewWnd(previewFrame_));
    auto* previewLayout = new QVBoxLayout(previewFrame_);
    previewLayout->setContentsMargins(2, 2, 2, 2);
    previewLayout->addWidget(preview_);
    info_ = k.add(kInfo, new QLabel(this));

    auto* font = new QFormLayout;
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_TEXT, textEdit_), textEdit_);
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_FACE, face_), face_);
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_STYLE, style_), style_);
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_SIZE, size_), size_);
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_CHARSET, charset_), charset_);
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_TEXT_COLOUR, colour_), colour_);
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_LEFT, leftField_.edit), leftField_.row);
    font->addRow(AddLabel(k, kfm5res::IDS_LABEL_TOP, topField_.edit), topField_.row);
    auto* checks = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(underline_), static_cast<QWidget*>(strikeOut_),
                       static_cast<QWidget*>(antialias_), static_cast<QWidget*>(kerning_)})
        checks->addWidget(w);
    auto* shadowBox = new QGroupBox(this);
    auto* shadowRows = new QFormLayout(shadowBox);
    shadowRows->addRow(shadow_);
    const auto shadowRow = [&](UINT text, QWidget* buddy, QWidget* field) {
        QLabel* label = AddLabel(k, text, buddy);
        shadowLabels_.push_back(label);
        shadowRows->addRow(label, field);
    };
    shadowRow(kfm5res::IDS_LABEL_SHADOW_COLOUR, shadowColour_, shadowColour_);
    shadowRow(kfm5res::IDS_LABEL_SHADOW_X, shadowX_.edit, shadowX_.row);
    shadowRow(kfm5res::IDS_LABEL_SHADOW_Y, shadowY_.edit, shadowY_.row);
    shadowRow(kfm5res::IDS_LABEL_SHADOW_TRANSPARENCY, shadowTransparency_.edit,
              shadowTransparency_.row);
    shadowRows->addRow(shadowBlur_);
    auto* settings = new QVBoxLayout;
    settings->addLayout(font);
    settings->addLayout(checks);
    settings->addWidget(shadowBox);
    settings->addStretch(1);
    auto* tools = new QHBoxLayout;
    tools->addWidget(moveTool_);
    tools->addWidget(zoomTool_);
    tools->addWidget(zoomOut_);
    tools->addWidget(info_, 1);
    auto* previewColumn = new QVBoxLayout;
    previewColumn->addLayout(tools);
    previewColumn->addWidget(previewFrame_, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(settings);
    columns->addLayout(previewColumn, 1);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(columns, 1);
    AddOkCancel(*this, rows);

    preview_->setFrameStyle(0);
    preview_->SetShowTransparency(true);
    preview_->SetZoom(100);
    preview_->SetTool(kfm::ui::CImageEditWnd::kToolMove);
    // The frame shows as the object over the canvas, through its graded transparency.
    preview_->SetObjectFlags(kfm::shell::imageedit::kObjectMovable |
                             kfm::shell::imageedit::kOverlayTransparent |
                             kfm::shell::imageedit::kOverlayAlpha);
    const TransparencyGrid grid = GetTransparencyGrid();
    preview_->SetChessboard(grid.cell, grid.color1, grid.color2);
    moveTool_->setChecked(true);
}

void CDlgTextSettings::loadValues(const CObjFrame* frame) {
    if (frame) {
        const TextObjectRecord& r = frame->text;
        holder_.m_Color = r.color;
        holder_.m_IsShadow = r.isShadow;
        holder_.m_ShadowColor = r.shadowColor;
        holder_.m_ShadowXOffset =
            static_cast<std::int16_t>(std::clamp(r.shadowXOffset, kPositionMin, kPositionMax));
        holder_.m_ShadowYOffset =
            static_cast<std::int16_t>(std::clamp(r.shadowYOffset, kPositionMin, kPositionMax));
        holder_.m_ShadowTransp = std::min<std::int16_t>(r.shadowTransp, 100);
        holder_.m_IsShadowBlur = r.isShadowBlur;
        holder_.m_Antialias = r.antialias;
        holder_.m_Kern = r.kern;
        holder_.m_nInterpolation = r.interpolation;
        std::copy(std::begin(r.matrix), std::end(r.matrix), std::begin(holder_.m_Matrix));
        holder_.m_LogFont = r.font;
        holder_.m_strText = r.text.value_or(std::string());
        left_ = std::clamp(frame->left, kPositionMin, kPositionMax);
        top_ = std::clamp(frame->top, kPositionMin, kPositionMax);
        text_ = DecodeText(holder_.m_strText, r.font.lfCharSet);
        return;
    }
    const kfm::ui::DialogKit& k = kit();
    holder_.m_Color = static_cast<COLORREF>(k.readInt("Color", 0)) & 0xFFFFFF;
    holder_.m_IsShadow = k.readInt("IsShadow", 0, 0, 1);
    holder_.m_ShadowColor = static_cast<COLORREF>(k.readInt("ShadowColor", 0)) & 0xFFFFFF;
    holder_.m_ShadowXOffset =
        static_cast<std::int16_t>(k.readInt("ShadowXOffset", 5, kPositionMin, kPositionMax));
    holder_.m_ShadowYOffset =
        static_cast<std::int16_t>(k.readInt("ShadowYOffset", 5, kPositionMin, kPositionMax));
    holder_.m_ShadowTransp = static_cast<std::int16_t>(k.readInt("ShadowTransp", 0, 0, 100));
    holder_.m_IsShadowBlur = k.readInt("IsShadowBlur", 0, 0, 1);
    holder_.m_Antialias = k.readInt("Antialias", 0, 0, 1);
    holder_.m_Kern = k.readInt("Kern", 0, 0, 1);
    LOGFONTA& f = holder_.m_LogFont;
    f.lfHeight = k.readInt("lfHeight", 40, kMinTextSize, kMaxTextSize);
    f.lfWidth = k.readInt("lfWidth", 0);
    f.lfEscapement = k.readInt("lfEscapement", 0);
    f.lfOrientation = k.readInt("lfOrientation", 0);
    f.lfWeight = k.readInt("lfWeight", 0, 0, 1000);
    const auto byte = [&k](const char* name) {
        return static_cast<BYTE>(k.readInt(name, 0, 0, 255));
    };
    f.lfItalic = byte("lfItalic");
    f.lfUnderline = byte("lfUnderline");
    f.lfStrikeOut = byte("lfStrikeOut");
    f.lfCharSet = byte("lfCharSet");
    f.lfOutPrecision = byte("lfOutPrecision");
    f.lfClipPrecision = byte("lfClipPrecision");
    f.lfQuality = byte("lfQuality");
    f.lfPitchAndFamily = byte("lfPitchAndFamily");
    setFaceName(f, k.readString("lfFaceName", kDefaultFace).toStdString());
    left_ = k.readInt("Left", 0, kPositionMin, kPositionMax);
    top_ = k.readInt("Top", 0, kPositionMin, kPositionMax);
    text_ = kit().text(kfm5res::IDS_TEXT_DEFAULT) + QStringLiteral("1");
}

void CDlgTextSettings::fillFaces() {
    // Scalable faces only; the vertical "@" faces are left out.
    faces_.clear();
    const QSignalBlocker quiet(face_);
    face_->clear();
    for (const QString& family : QFontDatabase::families()) {
        if (family.startsWith(QLatin1Char('@')) || !QFontDatabase::isScalable(family))
            continue;
        const QString plain = plainFamily(family);
        faces_.push_back(plain.toStdString());
        face_->addItem(plain, static_cast<int>(faces_.size() - 1));
    }
}

void CDlgTextSettings::fillStylesAndCharsets() {
    const QString family = face_->currentText();
    bool styles[4] = {false, false, false, false};
    for (const QString& style : QFontDatabase::styles(family)) {
        const int weight = QFontDatabase::weight(family, style);
        const bool italic = QFontDatabase::italic(family, style);
        // Qt weights run 100..900 like the font's own.
        styles[TextStyleOf(weight >= 600 ? 700 : 400, italic)] = true;
    }
    if (!std::count(std::begin(styles), std::end(styles), true))
        styles[0] = true;
    const int wantedStyle = TextStyleOf(holder_.m_LogFont.lfWeight, holder_.m_LogFont.lfItalic > 0);
    {
        const QSignalBlocker quiet(style_);
        style_->clear();
        for (int s = 0; s < 4; ++s)
            if (styles[s])
                style_->addItem(kit().text(kStyleTexts[s]), s);
        const int at = style_->findData(wantedStyle);
        style_->setCurrentIndex(at >= 0 ? at : 0);
    }
    const std::vector<std::uint8_t> sets = kfm::text::charsetsOfFace(family.toStdString());
    const QSignalBlocker quiet(charset_);
    charset_->clear();
    for (int i = 0; i < kTextCharsetCount; ++i)
        if (std::find(sets.begin(), sets.end(), kTextCharsets[i]) != sets.end())
            charset_->addItem(kit().text(kCharsetTexts[i]), kTextCharsets[i]);
    if (charset_->count() == 0)
        charset_->addItem(kit().text(kCharsetTexts[0]), 0);
    const int at = charset_->findData(static_cast<int>(holder_.m_LogFont.lfCharSet));
    charset_->setCurrentIndex(at >= 0 ? at : 0);
}

void CDlgTextSettings::showValues() {
    const QSignalBlocker quietText(textEdit_);
    textEdit_->setText(text_);
    {
        // A face the system lacks (a record from another machine) shows the first face; the
        // record keeps its own name until the user picks another.
        const QSignalBlocker quiet(face_);
        const int at = face_->findText(QString::fromStdString(faceName(holder_.m_LogFont)),
                                       Qt::MatchFixedString);
        face_->setCurrentIndex(
            at >= 0 ? at
                    : (face_->findText(kDefaultFace) >= 0 ? face_->findText(kDefaultFace) : 0));
    }
    {
        const QSignalBlocker quiet(size_);
        const int size = ClampTextSize(std::abs(static_cast<int>(holder_.m_LogFont.lfHeight)));
        const int at = TextSizeIndex(size);
        if (at >= 0)
            size_->setCurrentIndex(at);
        else
            size_->setEditText(QString::number(size));
    }
    for (auto [check, on] : {std::pair{underline_, holder_.m_LogFont.lfUnderline != 0},
                             std::pair{strikeOut_, holder_.m_LogFont.lfStrikeOut != 0},
                             std::pair{shadow_, holder_.m_IsShadow != 0},
                             std::pair{shadowBlur_, holder_.m_IsShadowBlur != 0},
                             std::pair{antialias_, holder_.m_Antialias != 0},
                             std::pair{kerning_, holder_.m_Kern != 0}}) {
        const QSignalBlocker quiet(check);
        check->setChecked(on);
    }
    colour_->SetPaletteColor(holder_.m_Color, std::max(finePaletteIndex(holder_.m_Color), 0));
    shadowColour_->SetPaletteColor(holder_.m_ShadowColor, finePaletteIndex(holder_.m_ShadowColor));
    shadowX_.Show(holder_.m_ShadowXOffset);
    shadowY_.Show(holder_.m_ShadowYOffset);
    shadowTransparency_.Show(holder_.m_ShadowTransp);
}

int CDlgTextSettings::chosenSize() {
    const int at = size_->currentIndex();
    if (at >= 0 && size_->itemText(at) == size_->currentText())
        return kTextSizes[at];
    const int typed = size_->currentText().toInt();
    const int size = ClampTextSize(typed);
    const QSignalBlocker quiet(size_);
    if (const int index = TextSizeIndex(size); index >= 0)
        size_->setCurrentIndex(index);
    else
        size_->setEditText(QString::number(size));
    return size;
}

int CDlgTextSettings::chosenCharset() const {
    return charset_->currentIndex() >= 0 ? charset_->currentData().toInt() : 0;
}

void CDlgTextSettings::readControls() {
    text_ = textEdit_->text();
    LOGFONTA& f = holder_.m_LogFont;
    const QString face = face_->currentText();
    const bool faceChosen = !face.isEmpty() && face.compare(QString::fromStdString(faceName(f)),
                                                            Qt::CaseInsensitive) != 0;
    if (faceChosen || faceName(f).empty() ||
        face_->findText(QString::fromStdString(faceName(f)), Qt::MatchFixedString) < 0)
        setFaceName(f, face.isEmpty() ? kDefaultFace : face.toStdString());
    f.lfHeight = chosenSize();
    const int style = style_->currentIndex() >= 0 ? style_->currentData().toInt() : 0;
    f.lfWeight = TextStyleWeight(style);
    f.lfItalic = TextStyleItalic(style) ? 255 : 0;
    f.lfCharSet = static_cast<BYTE>(chosenCharset());
    f.lfUnderline = underline_->isChecked();
    f.lfStrikeOut = strikeOut_->isChecked();
    f.lfWidth = 0;
    holder_.m_Color = colour_->GetColor();
    holder_.m_Antialias = antialias_->isChecked();
    holder_.m_Kern = kerning_->isChecked();
    holder_.m_IsShadow = shadow_->isChecked();
    holder_.m_ShadowXOffset = static_cast<std::int16_t>(shadowX_.Value());
    holder_.m_ShadowYOffset = static_cast<std::int16_t>(shadowY_.Value());
    holder_.m_ShadowColor = shadowColour_->GetColor();
    holder_.m_ShadowTransp = static_cast<std::int16_t>(shadowTransparency_.Value());
    holder_.m_IsShadowBlur = shadowBlur_->isChecked();
    holder_.m_strText = EncodeText(text_, f.lfCharSet).bytes;
    left_ = leftField_.Value();
    top_ = topField_.Value();
}

bool CDlgTextSettings::render() {
    TextObjectRecord record;
    holder_.FillRecord(record);
    FrameInfo info{};
    info.textObject = &record;
    const short image = holder_.m_strText.empty() ? 0 : CreateTextImage(&info);
    holder_.SetImage(static_cast<KpxHandle>(image));
    textWidth_ = image ? info.width : 0;
    textHeight_ = image ? info.height : 0;
    return image != 0;
}

void CDlgTextSettings::refresh(bool rerender) {
    readControls();
    if (rerender)
        render();
    setPositionRanges();
    showPreviewImages();
    showInfo();
}

void CDlgTextSettings::setPositionRanges() {
    const bool elastic = elasticCanvas();
    const PositionRange across = TextPositionRange(textWidth_, canvasWidth_, elastic);
    const PositionRange down = TextPositionRange(textHeight_, canvasHeight_, elastic);
    leftField_.SetLimits(across.minimum, across.maximum);
    topField_.SetLimits(down.minimum, down.maximum);
    left_ = std::clamp(left_, across.minimum, across.maximum);
    top_ = std::clamp(top_, down.minimum, down.maximum);
    leftField_.Show(left_);
    topField_.Show(top_);
}

void CDlgTextSettings::showPreviewImages() {
    SIZE canvas{canvasWidth_, canvasHeight_};
    if (elasticCanvas()) {
        canvas.cx = std::max<LONG>(canvas.cx, left_ + textWidth_);
        canvas.cy = std::max<LONG>(canvas.cy, top_ + textHeight_);
    }
    preview_->SetImage(background_, false, &backgroundRect_, &canvas);
    preview_->SetOverlayImage(holder_.GetImage());
    preview_->SetViewRect(left_, top_, left_ + textWidth_, top_ + textHeight_);
    preview_->viewport()->update();
}

QString CDlgTextSettings::InfoText() const {
    return info_->text();
}

void CDlgTextSettings::showInfo() {
    // The format's three numbers are the text's width and height and the zoom.
    const QString format = kit().text(kfm5res::IDS_TEXT_SIZE_INFO);
    const int values[3] = {textWidth_, textHeight_, preview_->ShownZoom()};
    QString line;
    int next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('%') && i + 1 < format.size()) {
            const QChar kind = format[i + 1];
            if (kind == QLatin1Char('d') && next < 3) {
                line += QString::number(values[next++]);
                ++i;
                continue;
            }
            if (kind == QLatin1Char('%')) {
                line += QLatin1Char('%');
                ++i;
                continue;
            }
        }
        line += format[i];
    }
    info_->setText(line);
}

void CDlgTextSettings::enableShadow() {
    const bool on = shadow_->isChecked();
    shadowColour_->setEnabled(on);
    shadowX_.SetEnabled(on);
    shadowY_.SetEnabled(on);
    shadowTransparency_.SetEnabled(on);
    shadowBlur_->setEnabled(on);
    for (QWidget* label : shadowLabels_)
        label->setEnabled(on);
}

void CDlgTextSettings::chooseColour(CColorButton* button, bool text) {
    int start = finePaletteIndex(button->GetColor());
    if (start < 0 && text)
        start = 0;
    const int chosen = chooser_(this, colourImage_.get(), start);
    if (chosen < 0 || chosen > 255)
        return;
    button->SetPaletteColor(KPXGetColorFromPalette(colourImage_.get(), chosen), chosen);
    refresh(true);
}

void CDlgTextSettings::FlushSizeTimer() {
    if (!sizeTimer_.isActive())
        return;
    sizeTimer_.stop();
    refresh(true);
}

bool CDlgTextSettings::eventFilter(QObject* watched, QEvent* event) {
    // The size box losing the focus while its pause runs renders at once.
    if (watched == size_->lineEdit() && event->type() == QEvent::FocusOut)
        FlushSizeTimer();
    return ResourceDialog::eventFilter(watched, event);
}

void CDlgTextSettings::paintEvent(QPaintEvent* event) {
    ResourceDialog::paintEvent(event);
    QPainter painter(this);
    const QRect around = previewFrame_->geometry();
    qDrawWinPanel(&painter, around, palette(), true);
}

void CDlgTextSettings::placeMoved(bool ended, int left, int top) {
    left_ = left;
    top_ = top;
    leftField_.Show(left);
    topField_.Show(top);
    if (ended && elasticCanvas())
        refresh(false);
}

void CDlgTextSettings::placeSized(bool ended, int width, int height) {
    textWidth_ = width;
    textHeight_ = height;
    if (ended)
        setPositionRanges();
    else
        showInfo();
}

void CDlgTextSettings::writeSettings() const {
    kfm::ui::DialogKit const& k = kit();
    const LOGFONTA& f = holder_.m_LogFont;
    k.writeInt("Color", static_cast<int>(holder_.m_Color));
    k.writeInt("IsShadow", holder_.m_IsShadow);
    k.writeInt("ShadowColor", static_cast<int>(holder_.m_ShadowColor));
    k.writeInt("ShadowXOffset", holder_.m_ShadowXOffset);
    k.writeInt("ShadowYOffset", holder_.m_ShadowYOffset);
    k.writeInt("ShadowTransp", holder_.m_ShadowTransp);
    k.writeInt("IsShadowBlur", holder_.m_IsShadowBlur);
    k.writeInt("Antialias", holder_.m_Antialias);
    k.writeInt("Kern", holder_.m_Kern);
    k.writeInt("lfHeight", f.lfHeight);
    k.writeInt("lfWidth", f.lfWidth);
    k.writeInt("lfEscapement", f.lfEscapement);
    k.writeInt("lfOrientation", f.lfOrientation);
    k.writeInt("lfWeight", f.lfWeight);
    k.writeInt("lfItalic", f.lfItalic);
    k.writeInt("lfUnderline", f.lfUnderline);
    k.writeInt("lfStrikeOut", f.lfStrikeOut);
    k.writeInt("lfCharSet", f.lfCharSet);
    k.writeInt("lfOutPrecision", f.lfOutPrecision);
    k.writeInt("lfClipPrecision", f.lfClipPrecision);
    k.writeInt("lfQuality", f.lfQuality);
    k.writeInt("lfPitchAndFamily", f.lfPitchAndFamily);
    k.writeString("lfFaceName", QString::fromStdString(faceName(f)));
    k.writeInt("Left", left_);
    k.writeInt("Top", top_);
}

bool CDlgTextSettings::buildFrame() {
    ScopedImage image(KPXCreateImageFrom(holder_.GetImage(), 0));
    if (!image.get())
        return false;
    TextObjectRecord record;
    holder_.FillRecord(record);
    record.left = left_;
    record.top = top_;
    FrameInfo info{};
    int delay = kNewTextDelay;
    int disposal = 1;
    std::string name;
    std::string comment;
    if (mode_ == kEdit && edited_) {
        delay = edited_->delay;
        disposal = edited_->disposal;
        name = edited_->name;
        comment = edited_->comment;
        record.transparencyLevel = edited_->text.transparencyLevel;
    } else {
        KPXGetImageFramesInfo(image.get(), &info);
        disposal = info.disposal > 0 ? info.disposal : 1;
        FreeFrameParts(info, 0);
    }
    const int width = KPXWidth(image.get());
    const int height = KPXHeight(image.get());
    auto frame = std::make_unique<CObjFrame>(
        static_cast<std::uint16_t>(image.release()), width, height, left_, top_, delay, disposal,
        0u, name.c_str(), comment.c_str(), &record, nullptr, nullptr, nullptr, 0);
    if (mode_ == kEdit && edited_) {
        frame->reserved1 = edited_->reserved1;
        frame->reserved2 = edited_->reserved2;
        frame->marked = edited_->marked;
        if (edited_->alphaValue > 0)
            ConvertFrameTo8Bit(frame.get(), edited_->alphaValue);
    }
    frame->left = left_;
    frame->top = top_;
    frame->selected = 1;
    frame->current = 1;
    made_ = std::move(frame);
    return true;
}

void CDlgTextSettings::accept() {
    FlushSizeTimer();
    left_ = leftField_.Value();
    top_ = topField_.Value();
    const RECT place{left_, top_, left_ + textWidth_ - 1, top_ + textHeight_ - 1};
    if (g_pAnimationData && !CheckEdgeLocks(&g_pAnimationData->frames, &place))
        return;
    readControls();
    const EncodedText encoded = EncodeText(text_, holder_.m_LogFont.lfCharSet);
    if (encoded.missing) {
        const char32_t missing = *encoded.missing;
        message_(this, kit()
                           .text(kfm5res::IDS_TEXT_CHARACTER_MISSING)
                           .replace(QLatin1String("%s"), QString::fromUcs4(&missing, 1)));
        return;
    }
    if (!render() || !buildFrame()) {
        message_(this, kit().text(kfm5res::IDS_TEXT_UNRENDERABLE));
        refresh(false);
        return;
    }
    if (mode_ == kNew)
        writeSettings();
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
