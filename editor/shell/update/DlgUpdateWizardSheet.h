#pragma once
// The update wizard: an introduction page (with the way to the update settings) and a result
// page that runs the update check when it shows and then tells its outcome: a newer version, a
// newer build, none newer, or no usable reply, with the news of a newer one as text. Cancel
// during the check aborts it. When the result page goes, the date of this check is stored for
// the start-up reminder.

#include <QWizard>
#include <QWizardPage>

#include <memory>

#include "MessageTarget.h"
#include "UpdateCheck.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kfm::update {

// The command the check posts to the result page when its outcome is known.
constexpr UINT kCheckDoneCommand = 1224;

class CDlgUpdateWizardIntro : public QWizardPage {
    Q_OBJECT
public:
    explicit CDlgUpdateWizardIntro(QWidget* parent = nullptr);

private:
    QPushButton* settings_ = nullptr;
};

class CDlgUpdateWizardResult : public QWizardPage, public kfm::ui::MessageTarget {
    Q_OBJECT
public:
    explicit CDlgUpdateWizardResult(QWidget* parent = nullptr);
    ~CDlgUpdateWizardResult() override;

    void initializePage() override;
    bool isComplete() const override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Aborts a running check (Cancel).
    void CancelCheck();
    bool Checking() const { return check_ && check_->Running(); }
    // The running check (tests replace its beep).
    UpdateCheck* Check() const { return check_.get(); }

signals:
    // The outcome is shown.
    void outcomeShown(int result);

protected:
    bool event(QEvent* event) override;

private:
    void startCheck();
    void showOutcome();

    std::unique_ptr<UpdateCheck> check_;
    bool shown_ = false;
    bool done_ = false;
    QLabel* checking_ = nullptr;
    QLabel* newsLabel_ = nullptr;
    QLabel* outcome_ = nullptr;
    QPlainTextEdit* news_ = nullptr;
    QWidget* link_ = nullptr;
};

class CDlgUpdateWizardSheet : public QWizard {
    Q_OBJECT
public:
    // captionId is the caption's string (10988 from both callers); skipIntroduction leaves the
    // introduction page out.
    CDlgUpdateWizardSheet(UINT captionId, QWidget* parent, bool skipIntroduction = false);

    CDlgUpdateWizardResult* ResultPage() const { return result_; }
    void reject() override;

private:
    void updateButtons();

    CDlgUpdateWizardResult* result_ = nullptr;
};

} // namespace kfm::update
