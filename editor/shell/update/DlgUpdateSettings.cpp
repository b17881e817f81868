#include "DlgUpdateSettings.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::update {

using namespace kfm5res;

namespace {

constexpr int kReminderRows = 4;
constexpr int kReminderDays[kReminderRows] = {0, 30, 60, 180};
// The proxy controls, enabled only for a proxy.
constexpr UINT kProxyControls[] = {IDC_UPDATE_SERVER_LABEL, IDC_UPDATE_SERVER,
                                   IDC_UPDATE_PORT_LABEL, IDC_UPDATE_PROXY_GROUP, IDC_UPDATE_PORT};

} // namespace

int ReminderRow(int days) {
    for (int row = 0; row < kReminderRows - 1; ++row)
        if (kReminderDays[row] == days)
            return row;
    return kReminderRows - 1;
}

int ReminderDays(int row) {
    return row >= 0 && row < kReminderRows ? kReminderDays[row] : kReminderDays[kReminderRows - 1];
}

CDlgUpdateSettings::CDlgUpdateSettings(QWidget* parent)
    : ResourceDialog(parent, IDD_UPDATE_SETTINGS, kfm::ui::GetResourceHandle(),
                     kUpdateSettingsSection) {
    auto& k = kit();
    direct_ = k.add(IDC_UPDATE_DIRECT, new QCheckBox(k.text(IDC_UPDATE_DIRECT), this));
    proxy_ = k.add(IDC_UPDATE_USE_PROXY, new QCheckBox(k.text(IDC_UPDATE_USE_PROXY), this));
    auto* group =
        k.add(IDC_UPDATE_PROXY_GROUP, new QGroupBox(k.text(IDC_UPDATE_PROXY_GROUP), this));
    server_ = k.add(IDC_UPDATE_SERVER, new QLineEdit(group));
    port_ = k.add(IDC_UPDATE_PORT, new QLineEdit(group));
    auto* serverLabel =
        k.add(IDC_UPDATE_SERVER_LABEL, new QLabel(k.text(IDC_UPDATE_SERVER_LABEL), group));
    auto* portLabel =
        k.add(IDC_UPDATE_PORT_LABEL, new QLabel(k.text(IDC_UPDATE_PORT_LABEL), group));
    serverLabel->setBuddy(server_);
    portLabel->setBuddy(port_);
    auto* proxyRows = new QFormLayout(group);
    proxyRows->addRow(serverLabel, server_);
    proxyRows->addRow(portLabel, port_);

    reminder_ = k.add(IDC_UPDATE_REMINDER, new QComboBox(this));
    for (int row = 0; row < kReminderRows; ++row)
        reminder_->addItem(k.text(IDS_UPDATE_REMIND_FIRST + row));
    auto* reminderLabel = new QLabel(k.text(IDS_UPDATE_REMINDER_LABEL), this);
    reminderLabel->setBuddy(reminder_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    k.add(IDOK, buttons->button(QDialogButtonBox::Ok));
    k.add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgUpdateSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgUpdateSettings::reject);

    auto* rows = new QVBoxLayout(this);
    rows->addWidget(direct_);
    rows->addWidget(proxy_);
    rows->addWidget(group);
    rows->addWidget(reminderLabel);
    rows->addWidget(reminder_);
    rows->addWidget(buttons);

    proxyDefault = k.readInt("ProxyDefault", 1) ? 1 : 0;
    useProxy = proxyDefault ? 0 : 1;
    proxyServer = k.readString("ProxyServer");
    portNumber = k.readString("PortNumber");
    direct_->setChecked(proxyDefault != 0);
    proxy_->setChecked(useProxy != 0);
    server_->setText(proxyServer);
    port_->setText(portNumber);
    reminder_->setCurrentIndex(
        ReminderRow(k.readInt("ReminderInterval", kDefaultReminderInterval)));
    updateProxyControls();

    connect(direct_, &QCheckBox::clicked, this, &CDlgUpdateSettings::onDirectClicked);
    connect(proxy_, &QCheckBox::clicked, this, &CDlgUpdateSettings::onProxyClicked);
}

void CDlgUpdateSettings::onDirectClicked() {
    proxyDefault = direct_->isChecked() ? 1 : 0;
    useProxy = proxyDefault ? 0 : 1;
    proxy_->setChecked(useProxy != 0);
    updateProxyControls();
}

void CDlgUpdateSettings::onProxyClicked() {
    useProxy = proxy_->isChecked() ? 1 : 0;
    proxyDefault = useProxy ? 0 : 1;
    direct_->setChecked(proxyDefault != 0);
    updateProxyControls();
}

void CDlgUpdateSettings::updateProxyControls() {
    for (const UINT id : kProxyControls)
        if (QWidget* control = kit().control(static_cast<int>(id)))
            control->setEnabled(proxyDefault == 0);
}

void CDlgUpdateSettings::accept() {
    proxyServer = server_->text();
    portNumber = port_->text();
    auto& k = kit();
    k.writeInt("ProxyDefault", proxyDefault);
    k.writeString("ProxyServer", proxyServer);
    k.writeString("PortNumber", portNumber);
    k.writeInt("ReminderInterval", ReminderDays(reminder_->currentIndex()));
    ResourceDialog::accept();
}

} // namespace kfm::update
