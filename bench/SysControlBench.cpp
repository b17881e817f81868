// The capture of a control frame's picture against a bare QWidget::render of the same live
// control in the same run: every kind at its default size (on a 160 x 120 animation), and a
// 640 x 480 dialog and list box. A capture renders the control over red (group boxes and icons
// over blue too), turns the render into a library image and converts it to 8 bits on the fine
// palette; the bare render only paints the widget into a QImage. The ratios are printed after
// the run.

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchRatios.h"
#include "SysControlRegistry.h"
#include "SysControlTypes.h"
#include "SysControlWnd.h"
#include "registry/Registry.h"

namespace {

using namespace kfm::syscontrols;
namespace w = word;

struct Case {
    std::string name;
    int type;
    int width; // 0: the type's default size
    int height;
};

const std::vector<Case> kCases = {
    {"Dialog", Dialog, 0, 0},
    {"MessageBox", MessageBox, 0, 0},
    {"Icon", Icon, 0, 0},
    {"PushButton", PushButton, 0, 0},
    {"RadioButton", RadioButton, 0, 0},
    {"CheckBox", CheckBox, 0, 0},
    {"StaticText", StaticText, 0, 0},
    {"EditBox", EditBox, 0, 0},
    {"ListBox", ListBox, 0, 0},
    {"ComboBox", ComboBox, 0, 0},
    {"GroupBox", GroupBox, 0, 0},
    {"HScrollBar", HScrollBar, 0, 0},
    {"VScrollBar", VScrollBar, 0, 0},
    {"Spin", Spin, 0, 0},
    {"Progress", Progress, 0, 0},
    {"Slider", Slider, 0, 0},
    {"Tab", Tab, 0, 0},
    {"DateTime", DateTime, 0, 0},
    {"MonthCalendar", MonthCalendar, 0, 0},
    {"Dialog640x480", Dialog, 640, 480},
    {"ListBox640x480", ListBox, 640, 480},
};

// A preview holding the live control of a case, its size from the type's defaults.
std::unique_ptr<CSysControlWnd> previewOf(const Case& c) {
    SysControlSettings s;
    LoadContext context;
    context.animationWidth = 160;
    context.animationHeight = 120;
    context.clock = [] { return UtcDateTime{2004, 2, 29, 13, 14, 15}; };
    LoadSettings(s, context);
    s[w::Type] = c.type;
    s[w::PBWidth] = 75;
    s[w::PBHeight] = 23;
    s[w::RBWidth] = s[w::HBWidth] = 90;
    s[w::RBHeight] = s[w::HBHeight] = 17;
    s[w::LBCurSel] = 1;
    s[w::TCCurSel] = 0;
    s.Caption = "Save the changes to the animation?";
    const SizeWords size = SizeWordsOfType(c.type);
    const FixedSize fixed = FixedSizeOfType(c.type);
    s[w::Width] = c.width ? c.width : size.width >= 0 ? s[size.width] : fixed.width;
    s[w::Height] = c.height ? c.height : size.height >= 0 ? s[size.height] : fixed.height;
    auto window = std::make_unique<CSysControlWnd>();
    window->SetSettings(s);
    window->SetItemsFromText("one\n\ntwo\n\nthree\n\nfour\n\nfive\n\nsix\n\nseven");
    window->SetControlType(c.type, 0);
    return window;
}

void BM_Capture(benchmark::State& state, const Case& c) {
    const auto window = previewOf(c);
    for (auto _ : state) {
        const KpxHandle picture = window->Capture();
        if (!picture) {
            state.SkipWithError("no capture");
            return;
        }
        benchmark::DoNotOptimize(picture);
    }
}

void BM_BareRender(benchmark::State& state, const Case& c) {
    const auto window = previewOf(c);
    // The same widget the capture renders (the emulations are made for the capture first).
    window->Capture();
    QWidget* control = window->GetControlWindow();
    if (!control) {
        state.SkipWithError("no control");
        return;
    }
    QImage picture(control->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        picture.fill(Qt::red);
        control->render(&picture, QPoint(), QRegion(),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
        benchmark::DoNotOptimize(picture.constBits());
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The registry of the bench's own, so the defaults are those of a fresh one.
    bench::ScratchFolder registry;
    kfm::registry::setStorageFolder(registry.file(""));
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark(("BM_Capture/" + c.name).c_str(), BM_Capture, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_BareRender/" + c.name).c_str(), BM_BareRender, c)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nCapture / bare render (CPU time):\n");
    for (const Case& c : kCases) {
        const double ratio = reporter.timeRatio("BM_Capture/" + c.name, "BM_BareRender/" + c.name);
        if (ratio > 0)
            std::printf("  %-16s %6.2f\n", c.name.c_str(), ratio);
    }
    benchmark::Shutdown();
    kfm::registry::setStorageFolder("");
    return 0;
}
