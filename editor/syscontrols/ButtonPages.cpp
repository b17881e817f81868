#include "ButtonPages.h"

#include "Kfm5ResourceIds.h"
#include "SysControlTypes.h"
#include "SysControlWnd.h"

#include <QCheckBox>
#include <QComboBox>

namespace kfm::syscontrols {

namespace {

namespace w = word;
using namespace kfm5res;

constexpr std::initializer_list<UINT> kAlignments = {IDS_SCP_LEFT, IDS_SCP_CENTRED, IDS_SCP_RIGHT};

} // namespace

CDlgSCPagePushButton::CDlgSCPagePushButton(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10633, preview) {
    addCheck(kPush, w::PBPush);
    addCheck(kDefPush, w::PBDefPush);
    addCheck(kFlat, w::PBFlat);
    addCheck(kMultiline, w::PBMultiline);
    initPage();
}

// -------------------- Radio button and check box

CDlgSCPageTwoStateButton::CDlgSCPageTwoStateButton(QWidget* parent, UINT templateId, int type,
                                                   Ids ids, Words words, CSysControlWnd* preview,
                                                   SysControlPageHost* dialog)
    : CSysControlPage(parent, templateId, preview, dialog), type_(type), ids_(ids), words_(words) {
    addCheck(ids.check, words.check);
    addCheck(ids.leftText, words.leftText);
    addCheck(ids.flat, words.flat);
    addCheck(ids.multiline, words.multiline);
}

bool CDlgSCPageTwoStateButton::clearedMultiline(int id, const SysControlSettings& s) const {
    return id == ids_.multiline && !s.flag(words_.multiline);
}

void CDlgSCPageTwoStateButton::adjustChange(int id, SysControlSettings& s) {
    if (!clearedMultiline(id, s))
        return;
    // One line: the control takes the size of its text, and the dialog's size fields show it.
    preview()->SetSettings(s);
    preview()->FitSizeToText(type_);
    preview()->GetSettings(s);
    const SizeWords size = SizeWordsOfType(type_);
    s[size.width] = s[w::Width];
    s[size.height] = s[w::Height];
    if (dialog())
        dialog()->SetSizeFields(s[w::Width], s[w::Height]);
}

void CDlgSCPageTwoStateButton::followUp(int id, const SysControlSettings& s) {
    if (clearedMultiline(id, s))
        refit();
}

CDlgSCPageRadioButton::CDlgSCPageRadioButton(QWidget* parent, CSysControlWnd* preview,
                                             SysControlPageHost* dialog)
    : CDlgSCPageTwoStateButton(
          parent, 10634, RadioButton, Ids{kCheck, kLeftText, kFlat, kMultiline},
          Words{w::RBCheck, w::RBLeftText, w::RBFlat, w::RBMultiline}, preview, dialog) {
    initPage();
}

CDlgSCPageCheckBox::CDlgSCPageCheckBox(QWidget* parent, CSysControlWnd* preview,
                                       SysControlPageHost* dialog)
    : CDlgSCPageTwoStateButton(parent, 10621, CheckBox, Ids{kCheck, kLeftText, kFlat, kMultiline},
                               Words{w::HBCheck, w::HBLeftText, w::HBFlat, w::HBMultiline}, preview,
                               dialog) {
    initPage();
}

// -------------------- Group box and static text

CDlgSCPageGroupBox::CDlgSCPageGroupBox(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10627, preview) {
    addList(kAlign, w::GBAlign, kAlignments);
    addCheck(kFlat, w::GBFlat);
    initPage();
}

CDlgSCPageStaticText::CDlgSCPageStaticText(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10636, preview) {
    addList(kAlign, w::STAlign, kAlignments);
    addCheck(kCenterVert, w::STCenterVert);
    addCheck(kNoPrefix, w::STNoPrefix);
    addCheck(kNoWrap, w::STNoWrap);
    addCheck(kSunken, w::STSunken);
    addCheck(kBorder, w::STBorder);
    initPage();
}

void CDlgSCPageStaticText::adjustChange(int id, SysControlSettings& s) {
    if (id == kAlign && s[w::STAlign] != 0) {
        // Centred and right-aligned text wraps.
        s[w::STNoWrap] = 0;
        checkField(kNoWrap)->member = 0;
        updateData(false);
    } else if (id == kNoWrap && s.flag(w::STNoWrap)) {
        // Text that does not wrap is left-aligned.
        kit().controlAs<QComboBox>(kAlign)->setCurrentIndex(0);
        s[w::STAlign] = 0;
    }
}

// -------------------- Edit box

CDlgSCPageEditBox::CDlgSCPageEditBox(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10625, preview) {
    addList(kAlign, w::EBAlign, kAlignments);
    addCheck(kMultiline, w::EBMultiline);
    addCheck(kHScrollBar, w::EBHScrollBar);
    addCheck(kVScrollBar, w::EBVScrollBar);
    addCheck(kLeftScrollBar, w::EBLeftScrollBar);
    addCheck(kSpin, w::EBSpin);
    addList(kSpinOrient, w::EBSpinOrient, {IDS_SCP_HORIZONTAL, IDS_SCP_VERTICAL}, kSpinOrientLabel);
    addList(kSpinAlign, w::EBSpinAlign, {IDS_SCP_LEFT, IDS_SCP_RIGHT}, kSpinAlignLabel);
    addCheck(kSpinSetBuddyInt, w::EBSpinSetBuddyInt);
    addCheck(kSpinNoThousands, w::EBSpinNoThousands);
    initPage();
}

void CDlgSCPageEditBox::UpdateSpinControls() {
    const bool on = checkField(kSpin)->member != 0;
    for (const int id : {kSpinOrient, kSpinAlign, kSpinSetBuddyInt, kSpinNoThousands,
                         kSpinOrientLabel, kSpinAlignLabel})
        enable(id, on);
}

void CDlgSCPageEditBox::followUp(int id, const SysControlSettings&) {
    if (id == kSpin)
        UpdateSpinControls();
}

} // namespace kfm::syscontrols
