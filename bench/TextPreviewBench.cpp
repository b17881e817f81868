// The text dialog's preview refresh: a text of 40 characters at size 72 rendered and painted in
// the live preview, as one keystroke in the text box does. Runs offscreen on one thread; there is
// no peer to compare with, the time is printed at the end.

#include "AnimationData.h"
#include "DlgTextSettings.h"
#include "TextPreviewWnd.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using kfm::dialogs::CDlgTextSettings;

// The first 39 characters of the text; a fortieth that changes is added as typing does.
constexpr const char* kText = "The quick brown fox jumps over the lazy";

void BM_PreviewRefresh(benchmark::State& state) {
    CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kNew, nullptr);
    dialog.show();
    auto* size = dialog.kit().controlAs<QComboBox>(CDlgTextSettings::kSize);
    size->setCurrentIndex(size->findText("72"));
    auto* edit = dialog.kit().controlAs<QLineEdit>(CDlgTextSettings::kText);
    QApplication::processEvents();
    bool odd = false;
    for (auto _ : state) {
        const QString text = QString::fromLatin1(kText) + (odd ? "g" : "q");
        odd = !odd;
        const auto start = std::chrono::steady_clock::now();
        edit->setText(text);
        emit edit->textEdited(text);
        dialog.Preview()->viewport()->repaint();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["width"] = dialog.TextWidth();
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CAnimationData& animation = CreateProgramAnimation();
    animation.AnimationWidth = 1600;
    animation.AnimationHeight = 200;
    benchmark::RegisterBenchmark("text-preview/40-chars-size-72", BM_PreviewRefresh)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    DestroyProgramAnimation();
    return 0;
}
