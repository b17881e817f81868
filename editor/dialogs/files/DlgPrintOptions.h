#pragma once
// The print options (template 10618): six print settings as check boxes; the pair "rendered" and
// "as stored" excludes each other, so the rendered setting is always 0 or 1.

#include "framework/ResourceDialog.h"

namespace kfm::dialogs {

class CDlgPrintOptions final : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kOrderBypass = 10225,
        kOrderColumns = 10226,
        kOrderRows = 10227,
        kAsStored = 10228,
        kRendered = 10229,
        kRim = 10230,
        kTitle = 10231,
    };

    // The caller's settings; OK writes them back.
    CDlgPrintOptions(QWidget* parent, int* rim, int* title, int* rendered, int* bypass,
                     int* columns, int* rows);

public slots:
    void accept() override;

private:
    bool checked(int id) const;

    int* rim_;
    int* title_;
    int* rendered_;
    int* bypass_;
    int* columns_;
    int* rows_;
};

} // namespace kfm::dialogs
