#pragma once
// What the control-frame tests share: settings of a known state, a captured picture as an
// indexed QImage (its transparent entry with alpha 0), and the English locale the pictures are
// made in.

#include <QImage>

#include "Bitra5.h"
#include "SysControlSettings.h"

namespace kfm::test {

// The moment the date defaults come from: 29 February 2004, 13:14:15 UTC.
constexpr int kClockYear = 2004;
// The animation size the size defaults come from.
constexpr int kAnimationWidth = 120;
constexpr int kAnimationHeight = 90;

// The settings of a fresh registry at the fixed clock and animation size, made the given type
// of the given size (its own size words and the current ones).
kfm::syscontrols::SysControlSettings ControlSettings(int type, int width, int height);
// The picture's indices, its colour table (the transparent entry with alpha 0) and size.
QImage IndexedPicture(KpxHandle image);
// The locale the date and calendar texts are made in.
void UseEnglishLocale();

} // namespace kfm::test
