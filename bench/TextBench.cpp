// The text rasteriser against QPainter::drawText of the same string into a QImage: a
// 40-character text at 12, 48 and 144 pixels, each glyph format, with and without shadow,
// upright and turned by 30 degrees. BM_CreateTextImage renders with the font cache warm, as
// repeated renders of a text object do (QPainter's glyph cache is warm too);
// BM_CreateTextImageCold empties the cache first, so every glyph is rasterised anew. After the
// run the ratios of the warm renders to QPainter's are printed (CPU time, one thread).

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ObjectRecords.h"
#include "TextRender.h"

namespace {

constexpr const char* kText = "The quick brown fox jumps over a lazy do";
static_assert(std::char_traits<char>::length(kText) == 40);

TextObjectRecord record(int pixels, int format, bool shadow, int degrees) {
    TextObjectRecord r;
    r.color = RGB(20, 40, 200);
    r.antialias = format != kfm::text::kGlyphBitmap;
    r.font.lfHeight = -pixels;
    r.font.lfWeight = 400;
    std::strcpy(r.font.lfFaceName, "Liberation Sans");
    r.text = kText;
    r.isShadow = shadow;
    r.shadowXOffset = r.shadowYOffset = pixels / 12 + 1;
    r.isShadowBlur = shadow;
    const double radians = degrees * 3.14159265358979 / 180.0;
    r.matrix[0] = std::cos(radians);
    r.matrix[1] = std::sin(radians);
    r.matrix[2] = -std::sin(radians);
    r.matrix[3] = std::cos(radians);
    return r;
}

// args: pixels, antialias (0 bitmap, 1 grey 65 levels), shadow, degrees.
void createTextImages(benchmark::State& state, bool cold) {
    TextObjectRecord r = record(static_cast<int>(state.range(0)),
                                state.range(1) ? kfm::text::kGlyphGray8 : kfm::text::kGlyphBitmap,
                                state.range(2) != 0, static_cast<int>(state.range(3)));
    for (auto _ : state) {
        if (cold)
            kfm::text::clearFontCache();
        FrameInfo info{};
        info.textObject = &r;
        const short image = CreateTextImage(&info);
        if (!image) {
            state.SkipWithError("no image (is Liberation Sans installed?)");
            return;
        }
        KPXDeleteImage(image);
    }
}

void BM_CreateTextImage(benchmark::State& state) {
    createTextImages(state, false);
}

void BM_CreateTextImageCold(benchmark::State& state) {
    createTextImages(state, true);
}

void BM_QPainterDrawText(benchmark::State& state) {
    const int pixels = static_cast<int>(state.range(0));
    const int degrees = static_cast<int>(state.range(3));
    for (auto _ : state) {
        QFont font("Liberation Sans");
        font.setPixelSize(pixels);
        QImage image(pixels * 30, pixels * 12, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, state.range(1) != 0);
        painter.setFont(font);
        painter.setPen(QColor(20, 40, 200));
        painter.translate(pixels * 2, pixels * 6);
        painter.rotate(degrees);
        painter.drawText(0, 0, QString::fromLatin1(kText));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void textArguments(benchmark::internal::Benchmark* b) {
    for (const int pixels : {12, 48, 144})
        for (const int antialias : {0, 1})
            for (const int shadow : {0, 1})
                for (const int degrees : {0, 30})
                    b->Args({pixels, antialias, shadow, degrees});
}

BENCHMARK(BM_CreateTextImage)->Apply(textArguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateTextImageCold)->Apply(textArguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterDrawText)->Apply(textArguments)->Unit(benchmark::kMillisecond);

// Keeps each run's CPU time by benchmark and arguments.
class TextRatios : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.run_name.function_name][run.run_name.args] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void print() const {
        const auto ours = times.find("BM_CreateTextImage");
        const auto peer = times.find("BM_QPainterDrawText");
        if (ours == times.end() || peer == times.end())
            return;
        std::printf(
            "\nratios: CreateTextImage / QPainter::drawText (pixels/antialias/shadow/degrees)\n");
        for (const auto& [args, time] : ours->second) {
            const auto p = peer->second.find(args);
            if (p != peer->second.end() && p->second > 0)
                std::printf("%-14s ours %9.3f ms   QPainter %9.3f ms   %7.2fx\n", args.c_str(),
                            time, p->second, time / p->second);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> times;
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    cv::setNumThreads(1);
    benchmark::Initialize(&argc, argv);
    TextRatios reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print();
    benchmark::Shutdown();
    return 0;
}
