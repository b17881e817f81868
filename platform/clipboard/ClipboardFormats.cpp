#include "ClipboardFormats.h"

#include "ClipboardBlocks.h"
#include "DropFiles.h"
#include "PackedDib.h"
#include "gdi/DibSection.h"
#include "memory/GlobalMemory.h"
#include "metafile/EnhMetafile.h"
#include "metafile/WinMetafile.h"
#include "metafile/WmfToEmf.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QUrl>

#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kfm::clipboard {

namespace {

const QString kPng = QStringLiteral("image/png");
const QString kBmp = QStringLiteral("image/bmp");
const QString kQtImage = QStringLiteral("application/x-qt-image");
const QString kEmf = QStringLiteral("image/x-emf");
const QString kEmfRegistered = QStringLiteral("image/emf");
const QString kWmf = QStringLiteral("image/x-wmf");
const QString kUriList = QStringLiteral("text/uri-list");

QString registeredMimeType(UINT format) {
    return QString::fromStdString(mimeTypeOf(format));
}

// The bytes of a global block (all of it: a block carries no length of its own).
QByteArray bytesOfGlobal(HANDLE data) {
    const auto block = static_cast<HGLOBAL>(data);
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    if (!bytes)
        return {};
    QByteArray copy(bytes, static_cast<qsizetype>(GlobalSize(block)));
    GlobalUnlock(block);
    return copy;
}

std::span<const std::uint8_t> spanOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

QByteArray byteArrayOf(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

QByteArray uriListOfDrop(HANDLE data) {
    const QByteArray drop = bytesOfGlobal(data);
    QByteArray list;
    for (const std::string& path :
         dropFilesNames(reinterpret_cast<const std::uint8_t*>(drop.constData()),
                        static_cast<std::size_t>(drop.size())))
        list += QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded() + "\r\n";
    return list;
}

bool isMetafileType(const QString& type) {
    return type == kEmf || type == kEmfRegistered || type == kWmf;
}

// The picture types of the data Qt reads, PNG first.
QStringList pictureTypes(const QMimeData& data) {
    QStringList types;
    if (data.hasFormat(kPng))
        types << kPng;
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QString& type : data.formats())
        if (type.startsWith(QLatin1String("image/")) && type != kPng && type != kBmp &&
            !isMetafileType(type) && readable.contains(type.toLatin1()))
            types << type;
    return types;
}

QByteArray dibOfMimeData(const QMimeData& data) {
    if (data.hasFormat(kBmp))
        if (QByteArray dib = dibOfBmpData(data.data(kBmp)); !dib.isEmpty())
            return dib;
    const QStringList types = pictureTypes(data);
    for (const QString& type : types)
        if (QByteArray dib = dibOfImage(imageOfForeignBytes(data.data(type))); !dib.isEmpty())
            return dib;
    // Qt's own picture of the data only for a picture that came as one, never a second reading
    // of bytes refused above.
    if (types.isEmpty() && !data.hasFormat(kBmp) && data.hasImage())
        return dibOfImage(qvariant_cast<QImage>(data.imageData()));
    return {};
}

bool offersPicture(const QMimeData& data) {
    return data.hasFormat(kBmp) || data.hasImage() || !pictureTypes(data).isEmpty();
}

QByteArray emfBytesOfMimeData(const QMimeData& data) {
    for (const QString& type : {kEmf, kEmfRegistered})
        if (data.hasFormat(type))
            return data.data(type);
    if (!data.hasFormat(kWmf))
        return {};
    return byteArrayOf(metafile::convertWmfToEmf(spanOf(data.data(kWmf))).emf);
}

HENHMETAFILE metafileOfMimeData(const QMimeData& data) {
    const QByteArray emf = emfBytesOfMimeData(data);
    return emf.isEmpty() ? nullptr
                         : SetEnhMetaFileBits(static_cast<UINT>(emf.size()),
                                              reinterpret_cast<const BYTE*>(emf.constData()));
}

// A CF_METAFILEPICT block of the data's Windows metafile, when it converts (damaged bytes are
// refused here rather than handed on).
HGLOBAL metafilePictureOfMimeData(const QMimeData& data) {
    const auto picture = metafile::pictureOfWmfFile(spanOf(data.data(kWmf)));
    if (!picture)
        return nullptr;
    const HGLOBAL block = blockOfMetafilePicture(*picture);
    if (!block)
        DeleteMetaFile(picture->hMF);
    return block;
}

std::vector<std::string> localFilesOf(const QMimeData& data) {
    std::vector<std::string> paths;
    if (!data.hasUrls())
        return paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

} // namespace

bool OfferedData::addHandle(UINT format, HANDLE data) {
    if (!data)
        return false;
    switch (format) {
    case CF_DIB:
        addPicture(bytesOfGlobal(data));
        return true;
    case CF_BITMAP:
        addPicture(dibOfBitmap(static_cast<HBITMAP>(data)));
        return true;
    case CF_ENHMETAFILE: {
        // Both types share one copy of the bytes.
        const QByteArray emf = byteArrayOf(static_cast<HENHMETAFILE>(data)->bytes());
        addBytes(kEmf, emf);
        addBytes(kEmfRegistered, emf);
        return true;
    }
    case CF_METAFILEPICT:
        if (const auto picture = metafilePictureInBlock(static_cast<HGLOBAL>(data)))
            addBytes(kWmf, byteArrayOf(metafile::wmfFileOfPicture(*picture)));
        return true;
    case CF_HDROP:
        addBytes(kUriList, uriListOfDrop(data));
        return true;
    default:
        break;
    }
    const QString type = registeredMimeType(format);
    if (type.isEmpty())
        return false;
    addBytes(type, bytesOfGlobal(data), true);
    return true;
}

std::unique_ptr<OfferedData> OfferedData::copy() const {
    auto copy = std::make_unique<OfferedData>();
    copy->types_ = types_;
    copy->registeredCount_ = registeredCount_;
    copy->bytes_ = bytes_;
    copy->dib_ = dib_;
    copy->png_ = png_;
    return copy;
}

void OfferedData::addBytes(const QString& mimeType, const QByteArray& bytes, bool registered) {
    if (bytes.isEmpty() || types_.contains(mimeType))
        return;
    types_.insert(registered ? registeredCount_++ : types_.size(), mimeType);
    bytes_[mimeType] = bytes;
}

void OfferedData::addPicture(const QByteArray& picture) {
    // Other programs get a sound bottom-up DIB even when this program set another kind.
    if (!dib_.isEmpty())
        return;
    const QByteArray dib = dibOfBmpData(picture);
    if (dib.isEmpty())
        return;
    dib_ = dib;
    types_ << kPng << kBmp << kQtImage;
    bytes_[kBmp] = bmpFileOfDib(dib);
}

QVariant OfferedData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType == kQtImage && !dib_.isEmpty())
        return imageOfDib(dib_);
    if (mimeType == kPng && !dib_.isEmpty()) {
        if (png_.isEmpty()) {
            QBuffer buffer(&png_);
            buffer.open(QIODevice::WriteOnly);
            imageOfDib(dib_).save(&buffer, "PNG");
        }
        return png_;
    }
    const auto it = bytes_.find(mimeType);
    return it == bytes_.end() ? QVariant() : QVariant(it->second);
}

bool offersFormat(const QMimeData& data, UINT format) {
    switch (format) {
    case CF_DIB:
    case CF_BITMAP:
        return offersPicture(data);
    case CF_ENHMETAFILE:
        return data.hasFormat(kEmf) || data.hasFormat(kEmfRegistered) || data.hasFormat(kWmf);
    case CF_METAFILEPICT:
        return data.hasFormat(kWmf);
    case CF_HDROP:
        // Not read here: the idle update of the Edit menu asks often. A list of remote files
        // only gives no drop record.
        return data.hasFormat(kUriList);
    default:
        break;
    }
    const QString type = registeredMimeType(format);
    return !type.isEmpty() && data.hasFormat(type);
}

HANDLE handleFromMimeData(const QMimeData& data, UINT format) {
    switch (format) {
    case CF_DIB:
        return globalOfBytes(dibOfMimeData(data));
    case CF_BITMAP:
        return bitmapOfDib(dibOfMimeData(data));
    case CF_ENHMETAFILE:
        return metafileOfMimeData(data);
    case CF_METAFILEPICT:
        return metafilePictureOfMimeData(data);
    case CF_HDROP: {
        const std::vector<std::string> paths = localFilesOf(data);
        return paths.empty() ? nullptr : makeDropFilesBlock(paths);
    }
    default:
        break;
    }
    const QString type = registeredMimeType(format);
    return type.isEmpty() || !data.hasFormat(type) ? nullptr : globalOfBytes(data.data(type));
}

void freeHandle(UINT format, HANDLE data) {
    if (!data)
        return;
    if (format == CF_BITMAP)
        DeleteBitmap(static_cast<HBITMAP>(data));
    else if (format == CF_ENHMETAFILE)
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
    else {
        if (format == CF_METAFILEPICT)
            if (const auto picture = metafilePictureInBlock(static_cast<HGLOBAL>(data)))
                DeleteMetaFile(picture->hMF);
        GlobalFree(static_cast<HGLOBAL>(data));
    }
}

} // namespace kfm::clipboard
