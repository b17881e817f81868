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
    // Then the numbered icons, up to the first number without a file.
    for (int number = kFirstNumberedIcon;; ++number) {
        const QPixmap icon(
            QStringLiteral(":/shellicons/icon%1.png").arg(number, 3, 10, QChar('0')));
        if (icon.isNull())
            break;
        icons.push_back(icon);
    }
    return icons;
}

} // namespace kfm::syscontrols
