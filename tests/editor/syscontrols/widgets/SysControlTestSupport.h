#pragma once
// What the control-frame tests share: settings of a known state, a captured picture as an
// indexed QImage (its transparent entry with alpha 0), and the English locale the pictures are
// made in.

#include <QImage>

#include <string>
#include <vector>

#include "Bitra5.h"
#include "ShellServices.h"
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

// Empty when the picture matches the golden picture of that name in tests/data/syscontrols
// exactly (size, colour table, indices), else what differs first.
std::string GoldenDifference(const QImage& picture, const std::string& name);

// Answers every message box with a chosen button and remembers the texts asked.
class AnsweringShell : public ShellServices {
public:
    std::string loadString(UINT id) override { return "text " + std::to_string(id); }
    int messageBox(const std::string& text, UINT) override {
        asked.push_back(text);
        return answer;
    }
    bool hasMainWindow() override { return false; }
    LRESULT sendToMainWindow(UINT, WPARAM, LPARAM) override { return 0; }
    bool escapePressed() override { return false; }
    void setWaitCursor(bool) override {}
    bool hasActiveDocument() override { return true; }
    void setDocumentModified(bool) override {}
    void refreshStripView() override {}
    void redrawViews(int, int) override {}
    void updateAnimationPage() override {}
    void updateOptimizeState() override {}

    int answer = IDOK;
    std::vector<std::string> asked;
};

} // namespace kfm::test
