#include "ControlIcons.h"

#include "ClassicDrawing.h"

#include <QStyle>

namespace kfm::syscontrols {

std::vector<QPixmap> LoadControlIcons() {
    std::vector<QPixmap> icons;
    QStyle* style = ClassicStyle();
    if (!style)
        return icons;
    // The system's order: exclamation, asterisk, question, hand.
    for (const QStyle::StandardPixmap pixmap :
         {QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxInformation,
          QStyle::SP_MessageBoxQuestion, QStyle::SP_MessageBoxCritical}) {
        QPixmap icon = style->standardPixmap(pixmap);
        if (icon.size() != QSize(kControlIconSide, kControlIconSide))
            icon = icon.scaled(kControlIconSide, kControlIconSide);
        icons.push_back(icon);
    }
    return icons;
}

} // namespace kfm::syscontrols
