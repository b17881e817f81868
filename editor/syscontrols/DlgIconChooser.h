#pragma once
// The icon chooser (template 1099): the icons of the preview's icon list from the fifth on, for
// an icon control. OK or a double click takes the selected icon; without a selection OK ends as
// Cancel.

#include <QPixmap>

#include <vector>

#include "ControlIcons.h"
#include "framework/ResourceDialog.h"

class QListWidget;

namespace kfm::syscontrols {

class CDlgIconChooser : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int { kIconList = 10531 };
    // The first icons of the list are the message-box icons, which the chooser does not offer.
    static constexpr int kFirstListedIcon = kFirstNumberedIcon;

    CDlgIconChooser(QWidget* parent, const std::vector<QPixmap>& icons);

    // The chosen icon's position among the listed icons (icon position + 4 of the icon list),
    // or -1.
    int GetSelectedIcon() const { return chosen_; }

public slots:
    void accept() override;

private:
    QListWidget* list_ = nullptr;
    int chosen_ = -1;
};

} // namespace kfm::syscontrols
