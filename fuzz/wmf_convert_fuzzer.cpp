// Fuzz target of the WMF to EMF conversion: whatever the conversion gives must be a stream the
// EMF player accepts and plays without reading outside it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "metafile/EmfPlayer.h"
#include "metafile/WmfToEmf.h"

namespace {

// Text needs the font database, which needs a GUI application.
void ensureApplication() {
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "wmf_convert_fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

} // namespace

// fontconfig keeps its configuration caches to the end of the process.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ensureApplication();
    const auto converted =
        kfm::metafile::convertWmfToEmf(std::span<const std::uint8_t>(data, size));
    if (converted.emf.empty())
        return 0;
    if (!kfm::metafile::readEmfHeader(converted.emf))
        std::abort(); // the conversion made a stream the player refuses
    QImage image(64, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    const auto played = kfm::metafile::playEmf(converted.emf, painter, QRectF(0, 0, 64, 64));
    if (played.status != kfm::metafile::EmfPlayStatus::Ok)
        std::abort();
    return 0;
}
