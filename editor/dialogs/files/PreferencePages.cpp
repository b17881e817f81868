#include "PreferencePages.h"

#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ResourceAccess.h"

#include <QCheckBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::dialogs {

using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;
using kfm::ui::DialogKit;

namespace {

UINT captionId(int control) {
    return kfm5res::kFileDlgTextBase + static_cast<UINT>(control);
}

QCheckBox* addCheck(DialogKit& kit, QWidget* page, int id) {
    return kit.add(id, new QCheckBox(kit.text(captionId(id)), page));
}

QPushButton* addButton(DialogKit& kit, QWidget* page, int id) {
    auto* button = kit.add(id, new QPushButton(kit.text(captionId(id)), page));
    button->setAutoDefault(false);
    return button;
}

QString badProgramText(const DialogKit& kit, const QString& path) {
    return kit.text(kfm5res::IDS_NOT_A_PROGRAM).replace("%s", path);
}

// A path field with its label and browse button in a row of the grid.
QLineEdit* pathRow(DialogKit& kit, QWidget* page, QGridLayout* grid, int row, int id,
                   int browseId) {
    auto* caption = new QLabel(kit.text(captionId(id)), page);
    auto* edit = kit.add(id, new QLineEdit(page));
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(addButton(kit, page, browseId), row, 2);
    return edit;
}

void showProgramIcon(QLabel* icon, const QString& path) {
    if (IsProgramFile(path))
        icon->setPixmap(QFileIconProvider().icon(QFileInfo(path)).pixmap(16, 16));
    else
        icon->setPixmap(QPixmap());
}

} // namespace

// -------------------- general

CPagePrefGeneral::CPagePrefGeneral(QWidget* parent, PreferencesHost& sheet)
    : ResourcePage(parent, kfm5res::IDD_PREF_GENERAL, kfm::ui::GetResourceHandle()), sheet_(sheet) {
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(addCheck(kit(), this, kSplash));
    rows->addWidget(addCheck(kit(), this, kRenderFrames));
    auto* undo = new QHBoxLayout;
    auto* caption = new QLabel(kit().text(captionId(kUndoSteps)), this);
    auto* edit = kit().add(kUndoSteps, new CNumEdit(this));
    undoSpin_ = kit().add(kUndoSpin, new CUpDown(this));
    edit->setMaxLength(2);
    edit->SetRange(kMinUndoSteps, kMaxUndoSteps);
    edit->SetAutoApply(false);
    edit->setMaximumWidth(40);
    undoSpin_->SetBuddy(edit);
    undoSpin_->SetRange32(kMinUndoSteps, kMaxUndoSteps);
    caption->setBuddy(edit);
    undo->addWidget(caption);
    undo->addWidget(edit);
    undo->addWidget(undoSpin_);
    undo->addStretch();
    rows->addLayout(undo);
    auto* reset = addButton(kit(), this, kReset);
    rows->addWidget(reset, 0, Qt::AlignLeft);
    rows->addStretch();
    connect(reset, &QPushButton::clicked, this, &CPagePrefGeneral::reset);
}

void CPagePrefGeneral::ShowRecord(const PreferencesRecord& record) {
    kit().controlAs<QCheckBox>(kSplash)->setChecked(record.showSplash != 0);
    kit().controlAs<QCheckBox>(kRenderFrames)->setChecked(record.renderFrames != 0);
    undoSpin_->SetPos(record.undoSteps);
}

bool CPagePrefGeneral::OnOK(PreferencesRecord& record) {
    record.undoSteps = undoSpin_->GetPos(); // held to 5..30
    record.showSplash = kit().controlAs<QCheckBox>(kSplash)->isChecked() ? 1 : 0;
    record.renderFrames = kit().controlAs<QCheckBox>(kRenderFrames)->isChecked() ? 1 : 0;
    return true;
}

void CPagePrefGeneral::reset() {
    // The program's settings change at once, whatever becomes of the sheet.
    if (sheet_.Hooks().resetProgram)
        sheet_.Hooks().resetProgram();
    if (PreferencesRecord* record = sheet_.GetRecord()) {
        record->browserAutoDetect = 1;
        record->undoSteps = 10;
        sheet_.SetRecord(record);
    }
    kit().controlAs<QCheckBox>(kRenderFrames)->setChecked(false);
    kit().controlAs<QCheckBox>(kSplash)->setChecked(true);
    undoSpin_->SetPos(10);
}

// -------------------- preview

CPagePrefPreview::CPagePrefPreview(QWidget* parent, PreferencesHost& sheet)
    : ResourcePage(parent, kfm5res::IDD_PREF_PREVIEW, kfm::ui::GetResourceHandle()), sheet_(sheet) {
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(addCheck(kit(), this, kAutoDetect));
    auto* grid = new QGridLayout;
    pathRow(kit(), this, grid, 0, kFirst, kBrowseFirst);
    pathRow(kit(), this, grid, 1, kSecond, kBrowseSecond);
    pathRow(kit(), this, grid, 2, kThird, kBrowseThird);
    grid->addWidget(kit().add(kThirdIcon, new QLabel(this)), 2, 3);
    rows->addLayout(grid);
    rows->addStretch();
    connect(kit().controlAs<QCheckBox>(kAutoDetect), &QCheckBox::toggled, this,
            &CPagePrefPreview::enableBrowsers);
    for (const auto& [button, edit] :
         {std::pair{kBrowseFirst, kFirst}, {kBrowseSecond, kSecond}, {kBrowseThird, kThird}})
        connect(kit().controlAs<QPushButton>(button), &QPushButton::clicked, this,
                [this, id = edit] { browse(id); });
    connect(kit().controlAs<QLineEdit>(kThird), &QLineEdit::textChanged, this,
            [this](const QString& path) {
                showProgramIcon(kit().controlAs<QLabel>(kThirdIcon), path);
            });
}

void CPagePrefPreview::ShowRecord(const PreferencesRecord& record) {
    kit().controlAs<QCheckBox>(kAutoDetect)->setChecked(record.browserAutoDetect != 0);
    kit().controlAs<QLineEdit>(kFirst)->setText(record.browser1);
    kit().controlAs<QLineEdit>(kSecond)->setText(record.browser2);
    kit().controlAs<QLineEdit>(kThird)->setText(record.browser3);
    enableBrowsers();
}

void CPagePrefPreview::enableBrowsers() {
    const bool manual = !kit().controlAs<QCheckBox>(kAutoDetect)->isChecked();
    for (const int id : {kFirst, kBrowseFirst, kSecond, kBrowseSecond})
        kit().control(id)->setEnabled(manual);
}

void CPagePrefPreview::browse(int editId) {
    auto* edit = kit().controlAs<QLineEdit>(editId);
    QString path = edit->text();
    if (sheet_.Hooks().chooseProgram && sheet_.Hooks().chooseProgram(this, path, kSection))
        edit->setText(path);
}

bool CPagePrefPreview::OnOK(PreferencesRecord& record) {
    const bool autoDetect = kit().controlAs<QCheckBox>(kAutoDetect)->isChecked();
    const QString first = kit().controlAs<QLineEdit>(kFirst)->text();
    const QString second = kit().controlAs<QLineEdit>(kSecond)->text();
    const QString third = kit().controlAs<QLineEdit>(kThird)->text();
    const auto refuse = [&](const QString& path) {
        if (sheet_.Hooks().warn)
            sheet_.Hooks().warn(this, badProgramText(kit(), path));
        return false;
    };
    if (!autoDetect) {
        for (const QString& path : {first, second})
            if (!QFileInfo(path).isFile())
                return refuse(path);
    }
    if (!third.isEmpty() && !IsProgramFile(third))
        return refuse(third);
    record.browserAutoDetect = autoDetect ? 1 : 0;
    record.browser1 = first;
    record.browser2 = second;
    record.browser3 = third;
    return true;
}

// -------------------- edit

CPagePrefEdit::CPagePrefEdit(QWidget* parent, PreferencesHost& sheet)
    : ResourcePage(parent, kfm5res::IDD_PREF_EDIT, kfm::ui::GetResourceHandle()), sheet_(sheet) {
    auto* rows = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    pathRow(kit(), this, grid, 0, kPath, kBrowse);
    grid->addWidget(kit().add(kIcon, new QLabel(this)), 0, 3);
    auto* none = kit().add(kNoProgram, new QLabel(this));
    none->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    grid->addWidget(none, 0, 4);
    rows->addLayout(grid);
    rows->addStretch();
    connect(kit().controlAs<QPushButton>(kBrowse), &QPushButton::clicked, this, [this] {
        auto* edit = kit().controlAs<QLineEdit>(kPath);
        QString path = edit->text();
        if (sheet_.Hooks().chooseProgram && sheet_.Hooks().chooseProgram(this, path, kSection))
            edit->setText(path);
    });
    connect(kit().controlAs<QLineEdit>(kPath), &QLineEdit::textChanged, this,
            [this] { showIcon(); });
}

void CPagePrefEdit::ShowRecord(const PreferencesRecord& record) {
    kit().controlAs<QLineEdit>(kPath)->setText(record.editorProgram);
    showIcon();
}

void CPagePrefEdit::showIcon() {
    const QString path = kit().controlAs<QLineEdit>(kPath)->text();
    showProgramIcon(kit().controlAs<QLabel>(kIcon), path);
    kit().control(kNoProgram)->setVisible(!IsProgramFile(path));
}

bool CPagePrefEdit::OnOK(PreferencesRecord& record) {
    const QString path = kit().controlAs<QLineEdit>(kPath)->text();
    // No editor at all is a choice too.
    if (!path.isEmpty() && !IsProgramFile(path)) {
        if (sheet_.Hooks().warn)
            sheet_.Hooks().warn(this, badProgramText(kit(), path));
        return false;
    }
    record.editorProgram = path;
    return true;
}

// -------------------- plug-ins

CPagePrefPlugins::CPagePrefPlugins(QWidget* parent, PreferencesHost& sheet)
    : ResourcePage(parent, kfm5res::IDD_PREF_PLUGINS, kfm::ui::GetResourceHandle()), sheet_(sheet) {
    auto* rows = new QVBoxLayout(this);
    list_ = kit().add(kList, new QListWidget(this));
    rows->addWidget(list_, 1);
    auto* count = new QHBoxLayout;
    count->addWidget(new QLabel(kit().text(captionId(kCount)), this));
    count->addWidget(kit().add(kCount, new QLabel(this)));
    count->addStretch();
    rows->addLayout(count);
    auto* buttons = new QHBoxLayout;
    for (const int id : {kAdd, kRemove, kRebuild, kClear})
        buttons->addWidget(addButton(kit(), this, id));
    rows->addLayout(buttons);
    connect(kit().controlAs<QPushButton>(kAdd), &QPushButton::clicked, this,
            &CPagePrefPlugins::add);
    connect(kit().controlAs<QPushButton>(kRemove), &QPushButton::clicked, this,
            &CPagePrefPlugins::remove);
    connect(kit().controlAs<QPushButton>(kRebuild), &QPushButton::clicked, this,
            &CPagePrefPlugins::rebuild);
    connect(kit().controlAs<QPushButton>(kClear), &QPushButton::clicked, this,
            &CPagePrefPlugins::clear);
    connect(list_, &QListWidget::itemSelectionChanged, this, &CPagePrefPlugins::enableRemove);
    enableRemove();
}

void CPagePrefPlugins::Activate() {
    if (activated_)
        return;
    activated_ = true;
    if (PluginFolders* plugins = sheet_.Hooks().plugins)
        plugins->Load();
    Refresh();
}

void CPagePrefPlugins::Refresh() {
    PluginFolders* plugins = sheet_.Hooks().plugins;
    list_->clear();
    if (plugins)
        for (const std::string& folder : plugins->Folders())
            list_->addItem(QString::fromLocal8Bit(folder.c_str()));
    kit().controlAs<QLabel>(kCount)->setText(QString::number(plugins ? plugins->Count() : 0));
    enableRemove();
}

void CPagePrefPlugins::enableRemove() {
    kit().control(kRemove)->setEnabled(!list_->selectedItems().isEmpty());
}

void CPagePrefPlugins::add() {
    PluginFolders* plugins = sheet_.Hooks().plugins;
    if (!plugins || !sheet_.Hooks().chooseFolder)
        return;
    const QString folder =
        sheet_.Hooks().chooseFolder(this, kit().text(kfm5res::IDS_CHOOSE_PLUGIN_FOLDER));
    if (folder.isEmpty())
        return;
    const int result = plugins->Add(folder.toLocal8Bit().toStdString());
    if (result == 1 && sheet_.Hooks().warn)
        sheet_.Hooks().warn(this, kit().text(kfm5res::IDS_PLUGIN_FOLDER_LISTED));
    else if (result < 0 && sheet_.Hooks().warn)
        sheet_.Hooks().warn(this, kit().text(kfm5res::IDS_PLUGIN_FOLDER_FAILED));
    modified_ = true;
    Refresh();
}

void CPagePrefPlugins::rebuild() {
    if (PluginFolders* plugins = sheet_.Hooks().plugins) {
        plugins->Rebuild();
        modified_ = true;
        Refresh();
    }
}

void CPagePrefPlugins::remove() {
    PluginFolders* plugins = sheet_.Hooks().plugins;
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    if (!plugins || chosen.isEmpty())
        return;
    plugins->Remove(chosen.front()->text().toLocal8Bit().toStdString());
    modified_ = true;
    Refresh();
}

void CPagePrefPlugins::clear() {
    PluginFolders* plugins = sheet_.Hooks().plugins;
    if (!plugins || !sheet_.Hooks().askYesNo ||
        !sheet_.Hooks().askYesNo(this, kit().text(kfm5res::IDS_QUESTION_CLEAR_PLUGINS)))
        return;
    plugins->Clear();
    modified_ = true;
    Refresh();
}

void CPagePrefPlugins::OnOK() {
    PluginFolders* plugins = sheet_.Hooks().plugins;
    if (!plugins)
        return;
    if (modified_)
        plugins->Save();
    plugins->UnloadAll();
}

void CPagePrefPlugins::OnCancel() {
    if (PluginFolders* plugins = sheet_.Hooks().plugins)
        plugins->UnloadAll();
}

} // namespace kfm::dialogs
