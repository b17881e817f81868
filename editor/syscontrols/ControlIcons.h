#pragma once
// The icons an icon control and a message box can show: the four message-box icons of the
// Windows style (exclamation, asterisk, question, hand), then the numbered icons of the icon
// chooser. An icon's number is stored in files, so the order never changes and new icons are
// only appended.

#include <QPixmap>

#include <vector>

namespace kfm::syscontrols {

// The side of every icon of the list.
inline constexpr int kControlIconSide = 32;
// The number of the first icon after the four message-box icons.
inline constexpr int kFirstNumberedIcon = 4;

std::vector<QPixmap> LoadControlIcons();

} // namespace kfm::syscontrols
