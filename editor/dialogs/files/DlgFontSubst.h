#pragma once
// The font report (template 10601): after an import, which frames had a missing font replaced
// by which one. The report is one text of fields ended by "|", three to a row.

#include <array>
#include <string>
#include <vector>

#include "framework/ResourceDialog.h"

class QTreeWidget;

namespace kfm::dialogs {

using FontReportRow = std::array<std::string, 3>;

// The whole rows of a report: as many as it has separators / 3; what follows the last whole row
// is left out.
std::vector<FontReportRow> SplitFontReport(const std::string& report);

class CDlgFontSubst final : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int { kList = 10103 };

    CDlgFontSubst(QWidget* parent, const std::string& report);
    QTreeWidget* List() const { return list_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTreeWidget* list_;
};

} // namespace kfm::dialogs
