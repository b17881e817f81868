#include "FrameTransfer.h"

#include "Bitra5Qt.h"
#include "ClipboardFramesBlock.h"
#include "GIFAnimDoc.h"
#include "ProgramState.h"
#include "StripEdits.h"
#include "clipboard/DropFiles.h"
#include "memory/GlobalMemory.h"

#include <QImage>
#include <QPainter>
#include <QUrl>
#include <QWidget>

#include <cstring>

namespace kfm::ui {

namespace {

// A new 24-bit image of the picture; transparent parts show the animation's background colour.
KpxHandle imageFromPicture(const QImage& picture) {
    if (picture.isNull() || picture.width() > 65535 || picture.height() > 65535)
        return 0;
    QImage opaque(picture.size(), QImage::Format_RGB32);
    const COLORREF bk = g_Settings.animBkColor;
    opaque.fill(QColor(GetRValue(bk), GetGValue(bk), GetBValue(bk)));
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, picture);
    }
    return KPXCreateImageFromQImage(opaque);
}

FrameList framesOfFiles(const std::vector<std::string>& paths, CGIFAnimDoc* document) {
    FrameList frames;
    if (paths.empty() || !document)
        return frames;
    const HGLOBAL block = MakeDropFilesBlock(paths);
    if (std::unique_ptr<FrameList> imported = document->ImportDroppedFiles(block))
        frames.splice(frames.end(), *imported);
    GlobalFree(block);
    return frames;
}

} // namespace

QString FramesMimeType() {
    return QString::fromLatin1(kPrivateClipboardMimeType);
}

FramesMimeData::FramesMimeData(const QWidget* source, FrameList frames)
    : source_(source), frames_(std::move(frames)) {}

QStringList FramesMimeData::formats() const {
    return {FramesMimeType()};
}

bool FramesMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == FramesMimeType();
}

QVariant FramesMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType != FramesMimeType())
        return QVariant();
    // Other programs (another running editor) receive the frames as the clipboard block.
    std::vector<const CObjFrame*> frames;
    for (const CObjFrame& frame : frames_)
        if (frame.GetImage())
            frames.push_back(&frame);
    const auto block = WriteClipboardFramesBlock(frames);
    if (!block)
        return QVariant(QByteArray());
    return QVariant(QByteArray(reinterpret_cast<const char*>(block->data()),
                               static_cast<qsizetype>(block->size())));
}

bool OffersFrames(const QMimeData& data) {
    return data.hasFormat(FramesMimeType()) || data.hasImage() || data.hasUrls();
}

bool IsDragFrom(const QMimeData& data, const QWidget* strip) {
    const auto* frames = qobject_cast<const FramesMimeData*>(&data);
    return frames && strip && frames->Source() == strip;
}

std::vector<std::string> DroppedLocalFiles(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

HGLOBAL MakeDropFilesBlock(const std::vector<std::string>& paths) {
    return kfm::clipboard::makeDropFilesBlock(paths);
}

FrameList FramesFromDrop(const QMimeData& data, CGIFAnimDoc* document) {
    if (const auto* own = qobject_cast<const FramesMimeData*>(&data))
        return own->Frames();
    if (data.hasFormat(FramesMimeType())) {
        const QByteArray bytes = data.data(FramesMimeType());
        auto read = ReadClipboardFramesBytes(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
        if (!read.frames->empty())
            return std::move(*read.frames);
    }
    FrameList frames = framesOfFiles(DroppedLocalFiles(data), document);
    if (!frames.empty() || !data.hasImage())
        return frames;
    if (const KpxHandle image = imageFromPicture(qvariant_cast<QImage>(data.imageData())))
        frames.push_back(kfm::shell::FrameFromImage(image));
    return frames;
}

} // namespace kfm::ui
