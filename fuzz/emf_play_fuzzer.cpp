// Fuzz target of the EMF player: every input is played onto a small image, at the size its
// header gives when that is small and at a fixed size otherwise. It must never read outside the
// input, crash or hang.

#include <cstddef>
#include <cstdint>
#include <span>

#include <QImage>
#include <QPainter>

#include "metafile/EmfPlayer.h"

#include "FuzzApplication.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kfm::fuzz::ensureGuiApplication();
    const std::span<const std::uint8_t> bytes(data, size);
    if (!kfm::metafile::readEmfHeader(bytes))
        return 0;
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    kfm::metafile::playEmf(bytes, painter, QRectF(0, 0, 64, 64));
    return 0;
}
