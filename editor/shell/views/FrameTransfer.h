#pragma once
// Frames on their way into and out of the strip by drag and drop. Frames dragged out travel
// under the private MIME type; inside this program they travel as the strip's own copies of
// them. What a drop brings in becomes frames: frames of this program, files from a file manager
// ("text/uri-list", imported as the document imports dropped files) or a picture.

#include <QMimeData>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "AnimationData.h"

class CGIFAnimDoc;
class QWidget;

namespace kfm::ui {

// The private MIME type of frames.
QString FramesMimeType();

// Frames dragged out of a strip.
class FramesMimeData : public QMimeData {
    Q_OBJECT
public:
    FramesMimeData(const QWidget* source, FrameList frames);

    const QWidget* Source() const { return source_; }
    const FrameList& Frames() const { return frames_; }

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QPointer<const QWidget> source_;
    FrameList frames_;
};

// Whether a drop offers something that may become frames.
bool OffersFrames(const QMimeData& data);
// Whether the data are frames dragged out of the given strip.
bool IsDragFrom(const QMimeData& data, const QWidget* strip);

// The local files of a "text/uri-list" drop, as paths.
std::vector<std::string> DroppedLocalFiles(const QMimeData& data);
// The drop record (DROPFILES with wide names) of the paths, as the document's import of
// dropped files reads it; null for no paths. The caller frees it with GlobalFree.
HGLOBAL MakeDropFilesBlock(const std::vector<std::string>& paths);

// The frames a drop brings: this program's frames, else the frames of the dropped files, else
// one frame of the dropped picture. Empty when nothing in the data becomes a frame.
FrameList FramesFromDrop(const QMimeData& data, CGIFAnimDoc* document);

} // namespace kfm::ui
