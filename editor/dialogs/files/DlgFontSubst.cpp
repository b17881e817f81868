#include "DlgFontSubst.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kfm::dialogs {

namespace {

constexpr int kFrameColumnWidth = 50;

} // namespace

std::vector<FontReportRow> SplitFontReport(const std::string& report) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t bar = report.find('|'); bar != std::string::npos;
         bar = report.find('|', from)) {
        fields.push_back(report.substr(from, bar - from));
        from = bar + 1;
    }
    std::vector<FontReportRow> rows;
    for (std::size_t i = 0; i + 3 <= fields.size(); i += 3)
        rows.push_back({fields[i], fields[i + 1], fields[i + 2]});
    return rows;
}

CDlgFontSubst::CDlgFontSubst(QWidget* parent, const std::string& report)
    : ResourceDialog(parent, kfm5res::IDD_FONT_SUBST, kfm::ui::GetResourceHandle()) {
    list_ = kit().add(kList, new QTreeWidget(this));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({kit().text(kfm5res::IDS_FONT_COLUMN_FRAME),
                            kit().text(kfm5res::IDS_FONT_COLUMN_MISSING),
                            kit().text(kfm5res::IDS_FONT_COLUMN_REPLACED)});
    for (const FontReportRow& row : SplitFontReport(report))
        new QTreeWidgetItem(list_,
                            {kfm::ui::FromCodePage1252(row[0]), kfm::ui::FromCodePage1252(row[1]),
                             kfm::ui::FromCodePage1252(row[2])});
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgFontSubst::accept);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(list_);
    rows->addWidget(buttons);
    resize(460, 260);
}

void CDlgFontSubst::resizeEvent(QResizeEvent* event) {
    ResourceDialog::resizeEvent(event);
    // The frame column keeps its width; the two font columns share the rest.
    const int rest = list_->viewport()->width() - kFrameColumnWidth;
    list_->setColumnWidth(0, kFrameColumnWidth);
    list_->setColumnWidth(1, rest / 2);
    list_->setColumnWidth(2, rest - rest / 2);
}

} // namespace kfm::dialogs
