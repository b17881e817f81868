#pragma once
// The clipboard formats as the desktop carries them between programs, as MIME types:
// - registered formats: "application/x-" and the name in lower case, carrying the block's bytes
//   (the frames block "KeldoFlimmer5" travels as "application/x-keldoflimmer5");
// - CF_DIB and CF_BITMAP: "image/png", "image/bmp" (a BMP file: the packed DIB behind a 14-byte
//   file header) and Qt's own picture type; read from BMP (file or bare DIB), PNG or any picture
//   Qt reads, as a packed DIB;
// - CF_ENHMETAFILE: "image/x-emf" and "image/emf" (the EMF bytes); read also from a Windows
//   metafile, converted;
// - CF_METAFILEPICT: "image/x-wmf". The format's data is an HGLOBAL holding a METAFILEPICT
//   whose metafile the clipboard owns with the block. Offered as a placeable WMF whose box is
//   the picture's size (plain when it has none); read from a placeable or plain WMF that
//   converts, the extents taken from the placeable box (0 and 0 for a plain one);
// - CF_HDROP: "text/uri-list" of local files, as the DROPFILES record with wide names.

#include <QByteArray>
#include <QList>
#include <QMimeData>
#include <QString>

#include <map>
#include <memory>
#include <utility>

#include "types/Win32Types.h"

namespace kfm::clipboard {

// What this program offers the desktop: bytes by MIME type, registered formats (the frames
// block) first, the others in the order they were added. The PNG form of a picture is encoded
// only when a reader asks for it.
class OfferedData : public QMimeData {
public:
    // A copy sharing the bytes, to add to.
    std::unique_ptr<OfferedData> copy() const;
    // Adds the MIME forms of a handle of the format; false when the format has none.
    bool addHandle(UINT format, HANDLE data);
    // Adds bytes under a MIME type not offered yet; in front of the others for a registered
    // format.
    void addBytes(const QString& mimeType, const QByteArray& bytes, bool registered = false);

    QStringList formats() const override { return types_; }
    bool hasFormat(const QString& mimeType) const override { return types_.contains(mimeType); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    void addPicture(const QByteArray& picture);

    QStringList types_;
    qsizetype registeredCount_ = 0;
    std::map<QString, QByteArray> bytes_;
    QByteArray dib_;
    mutable QByteArray png_;
};

// Whether the data offer the format (directly or in a form it converts from).
bool offersFormat(const QMimeData& data, UINT format);
// A new handle of the format made from the data, owned by the caller; null when the data do not
// offer it or their bytes are damaged.
HANDLE handleFromMimeData(const QMimeData& data, UINT format);
// Frees a handle of the format as the clipboard holds it.
void freeHandle(UINT format, HANDLE data);

} // namespace kfm::clipboard
