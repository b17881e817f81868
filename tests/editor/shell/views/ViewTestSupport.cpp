#include "ViewTestSupport.h"

#include "FormatId.h"
#include "ResourceAccess.h"
#include "WidgetApplication.h"
#include "resources/LanguageLibrary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace kfm::test {

namespace {

// The application object of the whole test program, with the editor's texts and bitmaps.
class QtEnvironment : public WidgetApplication {
public:
    void SetUp() override {
        WidgetApplication::SetUp();
        LoadLanguageLibrary("KFM5Res", &resources_);
        kfm::ui::SetResourceHandle(resources_);
    }
    void TearDown() override {
        kfm::ui::SetResourceHandle(nullptr);
        FreeLanguageLibrary(resources_);
        WidgetApplication::TearDown();
    }

private:
    HMODULE resources_ = nullptr;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr int kSquare = 6;

KpxHandle makeFrame(int index, int width, int height, int delay) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    KPXFillImageByIndexColor(image, index % 200 + 1);
    const int left = (index * 2) % std::max(width - kSquare, 1);
    KPXFillImageByRGBColor2(image, KPXGetColorFromPalette(image, 0), left, 0, left + kSquare - 1,
                            kSquare - 1);
    FrameInfo info{};
    info.delay = delay;
    info.disposal = 1;
    KPXSetImageFramesInfo(image, &info);
    return image;
}

} // namespace

KpxHandle MakeAnimation(int frames, int width, int height, int delay, int loopCount) {
    const KpxHandle chain = makeFrame(0, width, height, delay);
    for (int i = 1; i < frames; ++i)
        KPXAddImageFrame(chain, makeFrame(i, width, height, delay), -1);
    AnimateInfo animate{width, height, frames, loopCount, nullptr};
    KPXSetAnimateInfo(chain, &animate);
    return chain;
}

bool WriteAnimation(const std::string& path, int frames, int width, int height, int delay,
                    int loopCount) {
    const KpxHandle chain = MakeAnimation(frames, width, height, delay, loopCount);
    const int saved = KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                         nullptr, nullptr);
    KPXDeleteImage(chain);
    return saved == 1;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds)
            return condition();
        QTest::qWait(5);
    }
    return true;
}

std::string ArtifactsFolder() {
    std::filesystem::create_directories(KFM_TEST_ARTIFACTS_DIR);
    return KFM_TEST_ARTIFACTS_DIR;
}

QString ArtifactPath(const char* name) {
    return QString::fromStdString(ArtifactsFolder() + "/" + name);
}

} // namespace kfm::test
