#include "SysControlPages.h"

#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ResourceAccess.h"
#include "SysControlTypes.h"
#include "SysControlWnd.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cstdint>

namespace kfm::syscontrols {

namespace {

constexpr UINT kEmptyPageTemplate = 10626;

QString controlText(const kfm::ui::DialogKit& kit, int id) {
    return kit.text(kfm5res::kScPageTextBase + static_cast<UINT>(id));
}

} // namespace

void SelectEntry(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

int UpDownPosition(int value) {
    return static_cast<std::int16_t>(value & 0xFFFF);
}

CSysControlPage::CSysControlPage(QWidget* parent, UINT templateId, CSysControlWnd* preview,
                                 SysControlPageHost* dialog)
    : ResourcePage(parent, templateId, kfm::ui::GetResourceHandle()), preview_(preview),
      dialog_(dialog) {
    auto* columns = new QHBoxLayout(this);
    form_ = new QFormLayout;
    // Labels go above their fields where the page is too narrow for both.
    form_->setRowWrapPolicy(QFormLayout::WrapLongRows);
    checkColumn_ = new QVBoxLayout;
    columns->addLayout(form_, 1);
    columns->addLayout(checkColumn_);
    checkColumn_->setSpacing(2);
}

// -------------------- Building

QCheckBox* CSysControlPage::addCheck(int id, int word) {
    auto* box = kit().add(id, new QCheckBox(controlText(kit(), id), this));
    checkColumn_->addWidget(box);
    checks_.push_back(CheckField{id, word, box, 0});
    connect(box, &QCheckBox::clicked, this, [this, id] { OnCheck(id); });
    return box;
}

QComboBox* CSysControlPage::addList(int id, int word, std::initializer_list<UINT> entries,
                                    int labelId) {
    auto* list = kit().add(id, new QComboBox(this));
    for (const UINT entry : entries)
        list->addItem(kit().text(entry));
    auto* label = new QLabel(controlText(kit(), id), this);
    if (labelId)
        kit().add(labelId, label);
    label->setBuddy(list);
    form_->addRow(label, list);
    lists_.push_back(ListField{id, word, list});
    connect(list, &QComboBox::activated, this, [this, id] { OnList(id); });
    return list;
}

CSysControlPage::NumberField& CSysControlPage::addNumber(int editId, int upDownId, int word,
                                                         int minimum, int maximum, int textLimit,
                                                         int labelId) {
    NumberField field{editId, upDownId, word, nullptr, nullptr};
    field.edit = kit().add(editId, new kfm::ui::CNumEdit(this));
    field.upDown = kit().add(upDownId, new kfm::ui::CUpDown(this));
    field.upDown->SetBuddy(field.edit);
    field.edit->setFixedWidth(56);
    field.upDown->setFixedSize(16, field.edit->sizeHint().height());
    field.edit->setMaxLength(textLimit);
    setRange(field, minimum, maximum);
    field.edit->SetNotifyWindow(this);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(field.edit);
    row->addWidget(field.upDown);
    row->addStretch();
    auto* label = new QLabel(controlText(kit(), editId), this);
    if (labelId)
        kit().add(labelId, label);
    label->setBuddy(field.edit);
    form_->addRow(label, row);
    numbers_.push_back(field);
    return numbers_.back();
}

void CSysControlPage::setRange(NumberField& field, int minimum, int maximum) {
    field.edit->SetRange(minimum, maximum);
    field.upDown->SetRange32(minimum, maximum);
}

QWidget* CSysControlPage::addLabel(int id) {
    auto* label = kit().add(id, new QLabel(controlText(kit(), id), this));
    form_->addRow(label);
    return label;
}

// -------------------- Filling

void CSysControlPage::initPage() {
    // The controls keep to the top of the page.
    checkColumn_->addStretch();
    SysControlSettings s;
    preview_->GetSettings(s);
    SetControls(s);
    for (NumberField& field : numbers_)
        field.edit->SetAutoApply(true);
    applyInitialEnabling(s);
}

void CSysControlPage::SetControls(const SysControlSettings& s) {
    for (CheckField& check : checks_)
        check.member = s.flag(check.word) ? 1 : 0;
    for (ListField& list : lists_)
        SelectEntry(list.list, s[list.word]);
    loadNumbers(s);
    updateData(false);
}

void CSysControlPage::updateData(bool save) {
    for (CheckField& check : checks_) {
        if (save)
            check.member = check.box->isChecked() ? 1 : 0;
        else
            check.box->setChecked(check.member != 0);
    }
}

void CSysControlPage::storeNumbers(SysControlSettings& s) const {
    for (const NumberField& field : numbers_)
        if (field.upDown->GetPos() != field.shown)
            s[field.word] = field.upDown->GetPos();
}

void CSysControlPage::loadNumbers(const SysControlSettings& s) {
    for (NumberField& field : numbers_) {
        field.upDown->SetPos(UpDownPosition(s[field.word]));
        field.shown = field.upDown->GetPos();
    }
}

void CSysControlPage::SuspendAutoApply() {
    for (NumberField& field : numbers_)
        field.edit->SuspendAutoApply();
}

void CSysControlPage::ResumeAutoApply() {
    for (NumberField& field : numbers_)
        field.edit->ResumeAutoApply();
}

// -------------------- Changes

SysControlSettings CSysControlPage::currentSettings() const {
    SysControlSettings s;
    preview_->GetSettings(s);
    return s;
}

void CSysControlPage::commit(const SysControlSettings& s) {
    preview_->SetSettings(s);
    preview_->UpdateControl(0, 1, 1);
}

void CSysControlPage::refit() {
    if (dialog_)
        dialog_->UpdateCanvas();
    if (preview_->GetTool() == CSysControlWnd::kToolControl)
        preview_->PlaceControl(1);
}

void CSysControlPage::OnCheck(int id) {
    updateData(true);
    SysControlSettings s = currentSettings();
    const CheckField* check = checkField(id);
    if (!check)
        return;
    s[check->word] = check->member;
    adjustChange(id, s);
    commit(s);
    followUp(id, s);
}

void CSysControlPage::OnList(int id) {
    SysControlSettings s = currentSettings();
    for (const ListField& list : lists_)
        if (list.id == id)
            s[list.word] = list.list->currentIndex();
    adjustChange(id, s);
    commit(s);
    followUp(id, s);
}

void CSysControlPage::OnNumber(kfm::ui::CNumEdit* edit) {
    SysControlSettings s = currentSettings();
    int id = 0;
    if (!takeEdit(edit, s)) {
        for (NumberField& field : numbers_) {
            if (field.edit == edit) {
                s[field.word] = field.upDown->GetPos();
                field.shown = s[field.word];
                id = field.editId;
                break;
            }
        }
    }
    if (id)
        adjustChange(id, s);
    commit(s);
    if (id)
        followUp(id, s);
}

LRESULT CSysControlPage::WindowProc(UINT message, WPARAM, LPARAM lParam) {
    if (message != kfm::ui::CNumEdit::WM_NUMEDIT_CHANGED)
        return 0;
    OnNumber(reinterpret_cast<kfm::ui::CNumEdit*>(lParam));
    return 1;
}

CSysControlPage::CheckField* CSysControlPage::checkField(int id) {
    for (CheckField& check : checks_)
        if (check.id == id)
            return &check;
    return nullptr;
}

CSysControlPage::NumberField* CSysControlPage::numberField(int id) {
    for (NumberField& field : numbers_)
        if (field.editId == id || field.upDownId == id)
            return &field;
    return nullptr;
}

void CSysControlPage::enable(int id, bool on) {
    if (QWidget* control = kit().control(id))
        control->setEnabled(on);
}

// -------------------- The empty page

CDlgSCPageEmpty::CDlgSCPageEmpty(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, kEmptyPageTemplate, preview) {
    setObjectName(QStringLiteral("CDlgSCPageEmpty"));
}

} // namespace kfm::syscontrols
