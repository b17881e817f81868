#pragma once
// The preferences sheet (title 10871): the general, preview, edit and plug-ins pages over a
// preferences record (PreferencesRecord.h).

#include <QDialog>

#include "PreferencesRecord.h"

class QTabWidget;
class QWidget;

namespace kfm::dialogs {

class CPagePrefGeneral;
class CPagePrefPreview;
class CPagePrefEdit;
class CPagePrefPlugins;

class CPreferences final : public QDialog, public PreferencesHost {
    Q_OBJECT
public:
    enum Page : int { kGeneral = 0, kPreview = 1, kEdit = 2, kPlugins = 3 };

    // page: the page to open on (the record's restore flag opens the one used last instead).
    CPreferences(QWidget* parent, int page, PreferencesRecord* record, PreferencesHooks hooks);
    ~CPreferences() override;

    PreferencesRecord* GetRecord() const override { return record_; }
    // Replaces the record and shows it on the pages that show record values.
    void SetRecord(PreferencesRecord* record) override;
    QTabWidget* Tabs() const { return tabs_; }
    CPagePrefGeneral* General() const { return general_; }
    CPagePrefPreview* PreviewPage() const { return preview_; }
    CPagePrefEdit* EditPage() const { return edit_; }
    CPagePrefPlugins* PluginsPage() const { return plugins_; }
    const PreferencesHooks& Hooks() const override { return hooks_; }

public slots:
    void accept() override;
    void reject() override;

private:
    PreferencesRecord* record_;
    PreferencesHooks hooks_;
    QTabWidget* tabs_;
    CPagePrefGeneral* general_;
    CPagePrefPreview* preview_;
    CPagePrefEdit* edit_;
    CPagePrefPlugins* plugins_;
};

} // namespace kfm::dialogs
