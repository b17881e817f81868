#pragma once
// The two window types that are no single control, imitated as a child widget with a classic
// frame: the dialog (template 10641 while the user works it, 10642 when captured) and the
// message box (10643, 10644). The frame's edges are 3-D panels; the caption is the style's
// title bar without the system-menu icon, with the caption buttons a classic window of those
// styles has. The message box lays out its icon, text and buttons as the system's does.

#include <QPixmap>
#include <QWidget>

#include <array>
#include <vector>

#include "ControlLook.h"
#include "types/Win32Types.h"

class QLabel;

namespace kfm::syscontrols {

class CSysControlButton;

class CDlgSysControlEmu : public QWidget {
public:
    // Controls of the message-box templates.
    enum Control : int {
        kMessageText = 10436,
        kButtonOk = 10432,
        kButtonCancel = 10429,
        kButtonAbort = 10435,
        kButtonRetry = 10433,
        kButtonIgnore = 10437,
        kButtonYes = 10430,
        kButtonNo = 10434,
        kIconStatic = 10431,
    };
    // Width and height of a message-box button.
    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 23;

    // templateId: 10641/10642 for the dialog, 10643/10644 for the message box; icons is the
    // preview's icon list (the message box shows one of its first four).
    CDlgSysControlEmu(UINT templateId, const ControlLook& look, const std::vector<QPixmap>& icons,
                      QWidget* parent);

    UINT TemplateId() const { return templateId_; }
    bool IsMessageBox() const;
    // The client area inside the frame, the caption and the edges.
    QRect ClientRect() const;
    // The message box's buttons left to right (empty for the dialog).
    const std::vector<CSysControlButton*>& Buttons() const { return buttons_; }
    QLabel* MessageLabel() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int frameWidth() const;
    int captionHeight() const;
    QRect captionRect() const;
    void drawCaption(QPainter& painter) const;
    void buildMessageBox(const std::vector<QPixmap>& icons);
    void layOutMessageBox();

    UINT templateId_;
    ControlLook look_;
    QLabel* icon_ = nullptr;
    QLabel* text_ = nullptr;
    std::vector<CSysControlButton*> buttons_;
};

// The caption text of a message-box button code 1..8 (strings 10721 to 10727).
UINT MessageButtonTextId(int code);
// The horizontal places of n buttons (1..3) across a dialog of that width.
std::vector<int> MessageButtonPositions(int count, int width);

} // namespace kfm::syscontrols
