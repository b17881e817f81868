#include "Preferences.h"

#include "Kfm5ResourceIds.h"
#include "PreferencePages.h"
#include "ResourceAccess.h"
#include "registry/RegistryHelpers.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

namespace {

constexpr char kSection[] = "Dlgs\\Preferences";
constexpr int kPageCount = 4;

} // namespace

bool IsProgramFile(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    return file.isFile() && file.isExecutable();
}

CPreferences::CPreferences(QWidget* parent, int page, PreferencesRecord* record,
                           PreferencesHooks hooks)
    : QDialog(parent), record_(record), hooks_(std::move(hooks)) {
    setWindowTitle(kfm::ui::ResourceString(kfm5res::IDS_PREFERENCES_TITLE));
    tabs_ = new QTabWidget(this);
    general_ = new CPagePrefGeneral(this, *this);
    preview_ = new CPagePrefPreview(this, *this);
    edit_ = new CPagePrefEdit(this, *this);
    plugins_ = new CPagePrefPlugins(this, *this);
    for (kfm::ui::ResourcePage* each :
         std::initializer_list<kfm::ui::ResourcePage*>{general_, preview_, edit_, plugins_})
        tabs_->addTab(each, kfm::ui::ResourceString(each->kit().templateId()));
    // OK and Cancel; the sheet has no Apply.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPreferences::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPreferences::reject);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(tabs_);
    rows->addWidget(buttons);

    if (record_) {
        general_->ShowRecord(*record_);
        preview_->ShowRecord(*record_);
        edit_->ShowRecord(*record_);
    }
    const int stored = ReadRegInt(kSection, "ActivePageIndex", 0, 0, 0);
    const int wanted = record_ && record_->restorePage ? stored : page;
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == kPlugins)
            plugins_->Activate();
    });
    tabs_->setCurrentIndex(std::clamp(wanted, 0, kPageCount - 1));
    if (tabs_->currentIndex() == kPlugins)
        plugins_->Activate();
}

CPreferences::~CPreferences() {
    WriteRegInt(kSection, "ActivePageIndex", tabs_->currentIndex());
}

void CPreferences::SetRecord(PreferencesRecord* record) {
    record_ = record;
    if (record_)
        preview_->ShowRecord(*record_);
    plugins_->Refresh();
}

void CPreferences::accept() {
    if (record_) {
        PreferencesRecord chosen = *record_;
        // A page that refuses its values stays open in front.
        const auto refuse = [this](QWidget* page) {
            tabs_->setCurrentWidget(page);
            return;
        };
        if (!general_->OnOK(chosen))
            return refuse(general_);
        if (!preview_->OnOK(chosen))
            return refuse(preview_);
        if (!edit_->OnOK(chosen))
            return refuse(edit_);
        *record_ = chosen;
    }
    plugins_->OnOK();
    QDialog::accept();
}

void CPreferences::reject() {
    plugins_->OnCancel();
    QDialog::reject();
}

} // namespace kfm::dialogs
