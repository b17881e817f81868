#include "DlgUpdateWizardSheet.h"

#include "DlgUpdateSettings.h"
#include "HyperLink.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "framework/ResourceDialog.h"
#include "registry/RegistryHelpers.h"

#include <QDate>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::update {

using namespace kfm5res;

namespace {

constexpr const char* kUpdateInfo = "UpdateInfo";

QString text(UINT id) {
    return kfm::ui::LibraryText(kfm::ui::GetResourceHandle(), id);
}

void name(QWidget* control, UINT id) {
    control->setObjectName(QStringLiteral("id%1").arg(id));
}

UINT outcomeTextId(int result) {
    switch (result) {
    case kNewerMajor:
    case kNewerMinor:
        return IDS_UPDATE_NEWER_VERSION;
    case kNewerBuild:
    case kNewerMinorBuild:
        return IDS_UPDATE_NEWER_BUILD;
    case kNotNewer:
        return IDS_UPDATE_CURRENT;
    default:
        return IDS_UPDATE_NO_REPLY;
    }
}

} // namespace

CDlgUpdateWizardIntro::CDlgUpdateWizardIntro(QWidget* parent) : QWizardPage(parent) {
    setTitle(text(IDD_UPDATE_INTRO));
    auto* intro = new QLabel(text(IDS_UPDATE_INTRO_TEXT), this);
    intro->setWordWrap(true);
    settings_ = new QPushButton(text(IDC_UPDATE_SETTINGS_BUTTON), this);
    name(settings_, IDC_UPDATE_SETTINGS_BUTTON);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(intro);
    rows->addStretch();
    rows->addWidget(settings_, 0, Qt::AlignLeft);
    connect(settings_, &QPushButton::clicked, this, [this] {
        CDlgUpdateSettings dialog(this);
        dialog.exec();
    });
}

CDlgUpdateWizardResult::CDlgUpdateWizardResult(QWidget* parent) : QWizardPage(parent) {
    setTitle(text(IDD_UPDATE_RESULT));
    checking_ = new QLabel(text(IDC_UPDATE_CHECKING), this);
    outcome_ = new QLabel(this);
    newsLabel_ = new QLabel(text(IDC_UPDATE_NEWS_LABEL), this);
    news_ = new QPlainTextEdit(this);
    news_->setReadOnly(true);
    auto* link = new kfm::ui::CHyperLink(text(IDC_UPDATE_LINK), this);
    link->SetUrl(text(IDS_UPDATE_LINK_URL));
    link->SetLinkStyle(0, kfm::ui::CHyperLink::StyleHoverColour);
    link_ = link;
    for (QLabel* label : {checking_, outcome_})
        label->setWordWrap(true);
    name(checking_, IDC_UPDATE_CHECKING);
    name(outcome_, IDC_UPDATE_OUTCOME);
    name(newsLabel_, IDC_UPDATE_NEWS_LABEL);
    name(news_, IDC_UPDATE_NEWS);
    name(link_, IDC_UPDATE_LINK);
    newsLabel_->setBuddy(news_);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(checking_);
    rows->addWidget(outcome_);
    rows->addWidget(newsLabel_);
    rows->addWidget(news_, 1);
    rows->addWidget(link_, 0, Qt::AlignLeft);
    outcome_->hide();
    newsLabel_->hide();
    news_->hide();
}

CDlgUpdateWizardResult::~CDlgUpdateWizardResult() {
    // No outcome reaches a page that is gone.
    check_.reset();
    if (!shown_)
        return;
    const QDate today = QDate::currentDate();
    WriteRegInt(kUpdateInfo, "LastDay", today.day());
    WriteRegInt(kUpdateInfo, "LastMonth", today.month());
    WriteRegInt(kUpdateInfo, "LastYear", today.year());
}

void CDlgUpdateWizardResult::initializePage() {
    shown_ = true;
    startCheck();
}

bool CDlgUpdateWizardResult::isComplete() const {
    return done_;
}

void CDlgUpdateWizardResult::startCheck() {
    done_ = false;
    emit completeChanged();
    outcome_->hide();
    newsLabel_->hide();
    news_->hide();
    checking_->show();
    const int proxyDefault = ReadRegInt(kUpdateSettingsSection, "ProxyDefault", 1, 0, 0);
    const std::string proxy = ReadRegString(kUpdateSettingsSection, "ProxyServer", "") + ":" +
                              ReadRegString(kUpdateSettingsSection, "PortNumber", "");
    check_ = StartUpdateCheck(this, kCheckDoneCommand, kProductAbbreviation, proxyDefault, proxy);
}

void CDlgUpdateWizardResult::CancelCheck() {
    if (check_)
        check_->Cancel();
}

bool CDlgUpdateWizardResult::event(QEvent* event) {
    return kfm::ui::DispatchPostedMessage(event, *this) || QWizardPage::event(event);
}

LRESULT CDlgUpdateWizardResult::WindowProc(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (wParam & 0xFFFF) == kCheckDoneCommand && check_ &&
        !check_->Running())
        showOutcome();
    return 0;
}

void CDlgUpdateWizardResult::showOutcome() {
    // The outcome is shown once; the next check starts from no outcome.
    const VersionOutcome outcome = check_->Outcome();
    check_.reset();
    checking_->hide();
    const bool newer = outcome.result >= kNewerMajor;
    newsLabel_->setVisible(newer);
    news_->setPlainText(newer ? kfm::ui::FromCodePage1252(outcome.news) : QString());
    news_->setVisible(newer);
    outcome_->setText(text(outcomeTextId(outcome.result)));
    outcome_->show();
    done_ = true;
    emit completeChanged();
    emit outcomeShown(outcome.result);
}

CDlgUpdateWizardSheet::CDlgUpdateWizardSheet(UINT captionId, QWidget* parent, bool skipIntroduction)
    : QWizard(parent) {
    setWindowTitle(text(captionId));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    if (!skipIntroduction)
        addPage(new CDlgUpdateWizardIntro(this));
    result_ = new CDlgUpdateWizardResult(this);
    addPage(result_);
    connect(this, &QWizard::currentIdChanged, this, &CDlgUpdateWizardSheet::updateButtons);
    connect(result_, &CDlgUpdateWizardResult::outcomeShown, this,
            &CDlgUpdateWizardSheet::updateButtons);
    updateButtons();
}

void CDlgUpdateWizardSheet::updateButtons() {
    const bool onResult = currentPage() == result_;
    if (!onResult)
        setButtonLayout({QWizard::Stretch, QWizard::NextButton, QWizard::CancelButton});
    else if (result_->isComplete())
        setButtonLayout(
            {QWizard::Stretch, QWizard::BackButton, QWizard::FinishButton, QWizard::CancelButton});
    else
        setButtonLayout({QWizard::Stretch, QWizard::FinishButton, QWizard::CancelButton});
}

void CDlgUpdateWizardSheet::reject() {
    result_->CancelCheck();
    QWizard::reject();
}

} // namespace kfm::update
