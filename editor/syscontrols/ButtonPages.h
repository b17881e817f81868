#pragma once
// The pages of the push button, radio button, check box, group box, static text and edit box.

#include "SysControlPages.h"

namespace kfm::syscontrols {

class CDlgSCPagePushButton : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int { kPush = 10341, kDefPush = 10338, kFlat = 10339, kMultiline = 10340 };
    CDlgSCPagePushButton(QWidget* parent, CSysControlWnd* preview);
};

// The radio button and the check box: four flags; clearing multiline fits the size to the text.
class CDlgSCPageTwoStateButton : public CSysControlPage {
    Q_OBJECT
public:
    struct Ids {
        int check;
        int leftText;
        int flat;
        int multiline;
    };
    struct Words {
        int check;
        int leftText;
        int flat;
        int multiline;
    };

protected:
    CDlgSCPageTwoStateButton(QWidget* parent, UINT templateId, int type, Ids ids, Words words,
                             CSysControlWnd* preview, SysControlPageHost* dialog);
    void adjustChange(int id, SysControlSettings& settings) override;
    void followUp(int id, const SysControlSettings& settings) override;

private:
    bool clearedMultiline(int id, const SysControlSettings& settings) const;

    const int type_;
    const Ids ids_;
    const Words words_;
};

class CDlgSCPageRadioButton : public CDlgSCPageTwoStateButton {
    Q_OBJECT
public:
    enum Control : int { kCheck = 10346, kLeftText = 10348, kFlat = 10347, kMultiline = 10349 };
    CDlgSCPageRadioButton(QWidget* parent, CSysControlWnd* preview, SysControlPageHost* dialog);
};

class CDlgSCPageCheckBox : public CDlgSCPageTwoStateButton {
    Q_OBJECT
public:
    enum Control : int { kCheck = 10308, kLeftText = 10310, kFlat = 10309, kMultiline = 10311 };
    CDlgSCPageCheckBox(QWidget* parent, CSysControlWnd* preview, SysControlPageHost* dialog);
};

class CDlgSCPageGroupBox : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int { kAlign = 10301, kFlat = 10302 };
    CDlgSCPageGroupBox(QWidget* parent, CSysControlWnd* preview);
};

// Static text: an alignment other than left and the no-wrap flag exclude each other.
class CDlgSCPageStaticText : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kAlign = 10375,
        kCenterVert = 10377,
        kNoPrefix = 10378,
        kNoWrap = 10379,
        kSunken = 10380,
        kBorder = 10376,
    };
    CDlgSCPageStaticText(QWidget* parent, CSysControlWnd* preview);

protected:
    void adjustChange(int id, SysControlSettings& settings) override;
};

// Edit box: the up-down options are enabled with the up-down flag.
class CDlgSCPageEditBox : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kAlign = 10288,
        kMultiline = 10291,
        kHScrollBar = 10289,
        kVScrollBar = 10299,
        kLeftScrollBar = 10290,
        kSpin = 10292,
        kSpinOrient = 10296,
        kSpinAlign = 10293,
        kSpinSetBuddyInt = 10298,
        kSpinNoThousands = 10295,
        kSpinOrientLabel = 10294,
        kSpinAlignLabel = 10297,
    };
    CDlgSCPageEditBox(QWidget* parent, CSysControlWnd* preview);

    // Enables the up-down options when the page's up-down flag is set.
    void UpdateSpinControls();
    void UpdateEnabling() override { UpdateSpinControls(); }

protected:
    void followUp(int id, const SysControlSettings& settings) override;
};

} // namespace kfm::syscontrols
