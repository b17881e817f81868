// Fuzz target of the WMF to EMF conversion: whatever the conversion gives must be a stream the
// EMF player accepts and plays without reading outside it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include <QImage>
#include <QPainter>

#include "metafile/EmfPlayer.h"
#include "metafile/WmfToEmf.h"

#include "FuzzApplication.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kfm::fuzz::ensureGuiApplication();
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
