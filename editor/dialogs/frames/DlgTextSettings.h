#pragma once
// The text settings dialog: the user types a text, chooses its face, style, size, character
// set, colour, shadow, anti-aliasing and kerning, and drags it into place in a live preview over
// the animation. OK builds a text frame: a new one (mode 0) or one in place of the edited text
// frame (mode 1). A text that cannot be drawn, or holds a character the chosen set lacks, keeps
// the dialog open with a message.

#include "CObjText.h"
#include "FinePaletteImage.h"
#include "FrameDialogMessages.h"
#include "FrameDialogParts.h"
#include "FrameObject.h"
#include "framework/ResourceDialog.h"

#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace kfm::ui {
class CColorButton;
}

namespace kfm::dialogs {

class CTextPreviewWnd;

// The text as bytes of a character set's code page, or the first character the set lacks.
struct EncodedText {
    std::string bytes;
    std::optional<char32_t> missing;
};
EncodedText EncodeText(const QString& text, int charset);
QString DecodeText(const std::string& bytes, int charset);

class CDlgTextSettings : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kText = 10456,
        kFace = 10441,
        kStyle = 10467,
        kSize = 10454,
        kCharset = 10448,
        kUnderline = 10468,
        kStrikeOut = 10455,
        kColour = 10440,
        kLeft = 10445,
        kLeftSpin = 10446,
        kTop = 10465,
        kTopSpin = 10466,
        kShadow = 10449,
        kShadowColour = 10451,
        kShadowX = 10469,
        kShadowXSpin = 10470,
        kShadowY = 10471,
        kShadowYSpin = 10472,
        kShadowTransparency = 10452,
        kShadowTransparencySpin = 10453,
        kShadowBlur = 10450,
        kAntialias = 10438,
        kKerning = 10439,
        kMoveTool = 10447,
        kZoomTool = 10473,
        kZoomOut = 10474,
        kPreview = 10443,
        kPreviewFrame = 10444,
        kInfo = 10442,
    };
    enum Mode : int { kNew = 0, kEdit = 1 };

    // background (not owned; 0: a blank one of the animation's size) lies at rect on the
    // animation's screen (right and bottom exclusive). In mode 1 frame is the text frame edited
    // (not owned, not changed).
    CDlgTextSettings(QWidget* parent, KpxHandle background, const RECT& rect, int mode,
                     const CObjFrame* frame);
    ~CDlgTextSettings() override;

    // The frame OK built (null before); the caller takes it.
    std::unique_ptr<CObjFrame> TakeTextFrame() { return std::move(made_); }
    const CObjFrame* GetTextFrame() const { return made_.get(); }

    CTextPreviewWnd* Preview() const { return preview_; }
    const CObjText& Holder() const { return holder_; }
    int TextWidth() const { return textWidth_; }
    int TextHeight() const { return textHeight_; }
    QString InfoText() const;
    // Renders now what a pending size typing would render after its pause.
    void FlushSizeTimer();
    void SetMessageSink(MessageSink sink) { message_ = std::move(sink); }
    void SetPaletteChooser(PaletteChooser chooser) { chooser_ = std::move(chooser); }

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void loadValues(const CObjFrame* frame);
    void fillFaces();
    void fillStylesAndCharsets();
    void showValues();
    void readControls();
    int chosenSize();
    int chosenCharset() const;
    bool render();
    void refresh(bool rerender);
    void setPositionRanges();
    void showPreviewImages();
    void showInfo();
    void enableShadow();
    void chooseColour(kfm::ui::CColorButton* button, bool text);
    void writeSettings() const;
    bool buildFrame();
    void placeMoved(bool ended, int left, int top);
    void placeSized(bool ended, int width, int height);

    int mode_;
    const CObjFrame* edited_;
    ScopedImage ownBackground_;
    KpxHandle background_;
    RECT backgroundRect_;
    int canvasWidth_;
    int canvasHeight_;
    CObjText holder_;
    QString text_;
    int left_ = 0;
    int top_ = 0;
    int textWidth_ = 0;
    int textHeight_ = 0;
    std::vector<std::string> faces_;
    ScopedImage colourImage_;
    std::unique_ptr<CObjFrame> made_;
    MessageSink message_ = ShowWarning;
    PaletteChooser chooser_ = ChooseWithPaletteDialog;
    QTimer sizeTimer_;

    QLineEdit* textEdit_;
    QComboBox* face_;
    QComboBox* style_;
    QComboBox* size_;
    QComboBox* charset_;
    QCheckBox* underline_;
    QCheckBox* strikeOut_;
    kfm::ui::CColorButton* colour_;
    NumberField leftField_;
    NumberField topField_;
    QCheckBox* shadow_;
    kfm::ui::CColorButton* shadowColour_;
    NumberField shadowX_;
    NumberField shadowY_;
    NumberField shadowTransparency_;
    QCheckBox* shadowBlur_;
    QCheckBox* antialias_;
    QCheckBox* kerning_;
    QToolButton* moveTool_;
    QToolButton* zoomTool_;
    QToolButton* zoomOut_;
    QWidget* previewFrame_;
    CTextPreviewWnd* preview_;
    QLabel* info_;
    std::vector<QWidget*> shadowLabels_;
};

} // namespace kfm::dialogs
