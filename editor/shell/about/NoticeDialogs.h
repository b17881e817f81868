#pragma once
// The outside editor's two notices: CDlgMsgEditor before a frame that is already open in the
// outside editor is handed over again (its check box: show the notice next time), and
// CDlgFrameChanged when the outside editor saved a frame (take the picture back? its check box:
// end the outside edit of the frame).

#include "framework/ResourceDialog.h"

class QCheckBox;
class QLabel;

namespace kfm::ui {

class CDlgMsgEditor : public ResourceDialog {
    Q_OBJECT
public:
    explicit CDlgMsgEditor(QWidget* parent = nullptr);
    // Check box 10123: 1 until OK reads it back.
    BOOL m_bShowNextTime = 1;

    void accept() override;

private:
    QCheckBox* showNextTime_;
};

class CDlgFrameChanged : public ResourceDialog {
    Q_OBJECT
public:
    // frameNumber is the number shown to the user (the frame's position from 1).
    CDlgFrameChanged(QWidget* parent, int frameNumber);
    // The state of check box 10124 when the dialog ended (by OK or Cancel).
    BOOL GetCheck() const { return m_bCheck; }

    // Check box 10124 (0 at start) and the text of control 10125.
    BOOL m_bCheck = 0;
    QString m_strText;

    void done(int result) override;

private:
    QCheckBox* check_;
};

} // namespace kfm::ui
