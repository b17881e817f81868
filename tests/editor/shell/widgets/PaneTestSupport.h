#pragma once
// The editor's panes under test: animations made in memory, drags and drops sent to the strip as
// the window system sends them, and answers to popup menus.

#include "EditorTestSupport.h"

#include <QMimeData>
#include <QString>

#include <string>
#include <vector>

namespace kfm::ui {
class CAnimationView;
class CImageView;
} // namespace kfm::ui

namespace kfm::test {

// Replaces the animation by frames of width x height (8 bits, filled with palette index i % 200
// so each looks different) on a screen of screenWidth x screenHeight, frame i at (i % 8, i % 5),
// labelled "f<i>", and lets the panes show it from its first frame.
void FillAnimation(EditorFixture& editor, int frames, int width, int height, int screenWidth,
                   int screenHeight);
// Marks the document unchanged, so closing asks nothing (when the editor still runs).
void ForgetChanges(EditorFixture& editor);
// The labels (comments) of the real frames in list order.
std::vector<std::string> FrameLabels();

// Drags data over item of the strip (at yFraction of its height) and drops it there, with the
// modifiers and buttons given. Returns the drop's action (Qt::IgnoreAction when refused).
Qt::DropAction DropOnStrip(kfm::ui::CAnimationView& strip, const QMimeData& data, int item,
                           double yFraction, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                           Qt::MouseButtons buttons = Qt::LeftButton);

// Clicks the item with the given text (without "&") in the next popup menu once it shows.
void AnswerNextPopup(const QString& text);
// The texts (without "&") of the next popup menu's items, then closes it.
void ReadNextPopup(QStringList* texts);

} // namespace kfm::test
