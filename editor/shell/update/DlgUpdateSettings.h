#pragma once
// The update settings dialog (template 10649): connect directly or through a proxy "server:port",
// and how often the program reminds the user to check for updates (never, every 30, 60 or 180
// days). Its values live in "Dlgs\UpdateSettings"; OK stores them.

#include "framework/ResourceDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kfm::update {

// The registry section and the reminder interval used when none is stored.
constexpr const char* kUpdateSettingsSection = "Dlgs\\UpdateSettings";
constexpr int kDefaultReminderInterval = 30;

// The combo row of an interval (0 never, 1 for 30 days, 2 for 60, 3 for any other) and back.
int ReminderRow(int days);
int ReminderDays(int row);

class CDlgUpdateSettings : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    explicit CDlgUpdateSettings(QWidget* parent);

    void accept() override;

    QString proxyServer;
    QString portNumber;
    int proxyDefault = 1;
    int useProxy = 0;

private:
    void onDirectClicked();
    void onProxyClicked();
    void updateProxyControls();

    QCheckBox* direct_ = nullptr;
    QCheckBox* proxy_ = nullptr;
    QLineEdit* server_ = nullptr;
    QLineEdit* port_ = nullptr;
    QComboBox* reminder_ = nullptr;
};

} // namespace kfm::update
