// Fuzz target of the EMF player: every input is played onto a small image, at the size its
// header gives when that is small and at a fixed size otherwise. It must never read outside the
// input, crash or hang.

#include <cstddef>
#include <cstdint>
#include <span>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "metafile/EmfPlayer.h"

namespace {

// Text needs the font database, which needs a GUI application.
void ensureApplication() {
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "emf_play_fuzzer";
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
    const std::span<const std::uint8_t> bytes(data, size);
    if (!kfm::metafile::readEmfHeader(bytes))
        return 0;
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    kfm::metafile::playEmf(bytes, painter, QRectF(0, 0, 64, 64));
    return 0;
}
