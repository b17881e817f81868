// Fuzz target of the desktop clipboard's reading of other programs' data: the first input byte
// picks the MIME type the rest arrives under, and every clipboard format the data may give is
// read. It must never read outside the input, crash or hang.

#include <cstddef>
#include <cstdint>

#include <QClipboard>
#include <QMimeData>

#include "clipboard/Clipboard.h"

#include "FuzzApplication.h"

namespace {

constexpr const char* kTypes[] = {
    "image/bmp",   "image/png",     "image/x-emf", "image/emf",
    "image/x-wmf", "text/uri-list", "image/gif",   "application/x-keldoflimmer5"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kfm::fuzz::ensureGuiApplication();
    if (size == 0)
        return 0;
    auto* offered = new QMimeData;
    offered->setData(
        kTypes[data[0] % std::size(kTypes)],
        QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1)));
    QGuiApplication::clipboard()->setMimeData(offered);
    const UINT frames = RegisterClipboardFormatA("KeldoFlimmer5");
    if (!OpenClipboard(nullptr))
        return 0;
    for (UINT format : {CF_DIB, CF_BITMAP, CF_ENHMETAFILE, CF_METAFILEPICT, CF_HDROP, frames})
        if (IsClipboardFormatAvailable(format))
            GetClipboardData(format);
    CloseClipboard();
    return 0;
}
